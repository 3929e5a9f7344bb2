#pragma once
#include "IndexRecords.h"

#include <QDialog>

#include <functional>

class QLabel;
class TQelGlobal;
class TQelImage;
class TStateButton;
class TTestIndexService;
class TTntFChart;
class TTntFStringGrid;

// "History": the other tests of the open test's transformer (the same serial number and type),
// this test set's and the fleet's, oldest first with date, file and worst ratio deviation, and
// the chart of each tap's ratio deviation over the test dates (one series per tap and phase,
// the open test among them, with the ratio limits of the open test). An earlier test opens from
// here. The list comes from the index thread; the window never waits for it.
class TQelHistoryForm : public QDialog {
    Q_OBJECT
public:
    TQelHistoryForm(TQelGlobal& global, TTestIndexService& index, QWidget* parent = nullptr);
    void SetImages(const TQelImage& images);

    // Opens a test as the file manager does (the unsaved-changes question first); true when it
    // was opened.
    std::function<bool(const QString& file)> OpenTest;

    // Asks for the history of the open test.
    void Refresh();
    // The tests listed (after the history arrived).
    const QList<THistoryEntry>& Entries() const { return FEntries; }

    QLabel* lbTransformer;
    QLabel* lbState;
    TTntFStringGrid* sgHistory;
    TTntFStringGrid* sgTaps; // the chart's table, not shown: one block of rows per tap and phase
    TTntFChart* FChart1;
    TStateButton* bnOpen;
    TStateButton* bnClose;

Q_SIGNALS:
    // The history is shown (tests wait for it).
    void Shown();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void HistoryReady(const QString& serialNo, const QString& type, const QList<THistoryEntry>& history,
                      const QList<TUnreadableTest>& unreadable);
    void FillChart(const QList<THistoryEntry>& tests);
    void bnOpenClick();
    void FleetTestFetched(const QString& fileName, const QString& error);

    TQelGlobal& FGlobal;
    TTestIndexService& FIndex;
    QString FSerialNo, FType, FCurrent;
    QList<THistoryEntry> FEntries;
};
