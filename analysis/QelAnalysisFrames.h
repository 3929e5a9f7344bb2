#pragma once
#include <QFrame>
#include <QImage>

#include <functional>

class QLabel;
class QMenu;
class QSplitter;
class QTabBar;
class TFStringGrid;
class TPanelButton;
class TQelGlobal;
class TQelImage;
class TTntFChart;
class TTntFStringGrid;
class TXMLAnalysisType;

// The ANALYSIS page: the measurement table of the current test, a chart of one of its columns
// against another with the green, yellow and red limit bands, the statistics line, and the
// named views (filter plus axis choice) kept in the test document. Every store of the views
// exports one JPEG picture per view beside the test, for the reports, and saves the test.
//
// The multi-file analysis embeds a second page in multi-file mode: its table is the merged one,
// its column numbers are shifted by the inserted file column, and it does not follow the
// notifications about the current document.
class TQelAnalysisFrame : public QFrame {
    Q_OBJECT
public:
    explicit TQelAnalysisFrame(TQelGlobal& global, QWidget* parent = nullptr);
    ~TQelAnalysisFrame() override;

    void SetImages(const TQelImage& images);

    // --- components, named as in the form ---
    QWidget* pnData;
    QLabel* Label3;
    TTntFStringGrid* sgMeasData;
    QSplitter* Splitter1;
    QWidget* pnAnalysis;
    TTntFChart* FChart1;
    TFStringGrid* sgView;
    QTabBar* pcViewSelector;
    TPanelButton* bnToolMeas;
    TPanelButton* bnView;
    QMenu* mnMeas;

    // --- what the page does (also what the tests and the multi-file dialog call) ---
    // Views and measurement table from the document (notification 1389).
    void LoadFromDocument();
    // The views of the current document as tabs, the active one applied (the multi-file
    // analysis shows every listed test in the current test's views).
    void LoadViews();
    // The active tab's view: selections and filter, then axes and bands.
    void ApplyView(bool refresh = true);
    // Axes and limit bands: from the data (fromData), or around the zoomed ranges.
    void RecomputeAxes(bool fromData);
    // The view operations of bnView's states: 1 add, 2 delete, 3 rename, 4 save, 5 show.
    void ViewOperation(int state);
    // Writes the views into the document, exports the pictures of every page and saves the test.
    void StoreViews();
    // The pictures of notification 1390 (wParam as the message has it).
    void ExportViews(int wParam);
    // The three views of a document that has none.
    void CreateDefaultViews();
    int ViewCount() const;
    QString ViewName(int view) const;

    bool MultiFile() const { return FMultiFile; }
    void SetMultiFile() { FMultiFile = true; }

    // The band limits of the chart's Y column, read from the current document; none for other
    // columns and for limits that are not numbers of at least 0.
    bool BandLimits(double& green, double& yellow) const;

    // The name entry of Add View and Rename View; the on-screen keyboard or a text dialog unless
    // set. False when the operator cancelled.
    std::function<bool(const QString& suggestion, QString& name)> AskName;
    // Opens an exported picture with the desktop's viewer unless set.
    std::function<bool(const QString& fileName)> OpenPicture;
    // The measurement page's Tools action (state of bnToolMeas or of the menu); nothing unless set.
    std::function<void(int state)> MeasurementTools;
    // Whether the line printer is there: "Print Row(s)" is offered only then.
    std::function<bool()> LinePrinterPresent;
    void RefreshPrintEntries();

    static const QStringList& DefaultLimitTexts();

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildLayout();
    void PlaceToolButton();
    void BuildTabs();
    void ChartSelectionChange();
    void GridChanged();
    void ChartViewChanged();
    void bnToolMeasClick();
    void bnViewClick();
    void AddView();
    void DeleteView();
    void RenameView();
    void SaveView();
    void ShowActualDiagram();
    bool AskViewName(const QString& suggestion, QString& name);
    void WriteDefaultLimits();
    void LoadViewTable(const TXMLAnalysisType& analysis);
    void StoreViewTable(const TXMLAnalysisType& analysis);
    void UpdateSelectorVisibility();
    bool WritePicture(const QImage& picture, const QString& fileName, int quality);
    void RefreshSettings();
    void SetTimeFormats();

    TQelGlobal& FGlobal;
    bool FMultiFile = false;
    bool FUpdating = false; // loading or applying a view: no axes on intermediate changes
};
