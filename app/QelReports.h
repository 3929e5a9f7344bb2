#pragma once
#include "PDFReport.h"
#include "QelGlobals.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThread>

#include <memory>

// A file the document's settings name beside the executable ("\KovaDoc.xsl", "\company.jpg"):
// appFolder + the name without its leading separators; empty for a blank setting.
QString ProgramDataFile(const QString& appFolder, const QString& setting);

// The reports beside every saved test (DataStorage bit 1 CSV, bit 2 HTML, bit 4 PDF), installed
// into the data module for as long as the object lives. The CSV report is written with the save;
// the HTML and PDF reports are made from the saved test file on a thread of its own, because
// transforming and laying out a long test takes longer than the operator should wait after
// every result. The PDF needs a renderer (SetRenderer); without one it is not written. A report that
// cannot be written is told to the operator once ("Error writing file :" and its name), not at
// every automatic save of a running test; once it has been written again, a later failure is
// told again. The test file itself is saved whatever becomes of its reports.
class TQelReports : public QObject, public TDocumentExports {
    Q_OBJECT
public:
    explicit TQelReports(TQelGlobal& global, QObject* parent = nullptr);
    // Finishes the HTML reports under way, then leaves the data module without reports.
    ~TQelReports() override;

    bool WriteCSV(const QString& fileName) override;
    // Queue the report and return at once. A save that comes while the report of the same
    // file waits replaces it: the newest version of the test is the one reported.
    bool WriteHTML(const QString& fileName) override;
    bool WritePDF(const QString& fileName) override;
    // Waits until every queued report is written; its outcome is delivered by the events
    // that follow.
    void Finish();

    // The layout of the PDF report (Qt Gui, handed in by the program); it must outlive this.
    void SetRenderer(const TReportRenderer* renderer) { FRenderer = renderer; }
    const TReportRenderer* Renderer() const { return FRenderer; }

    // The document's style sheet and logo settings ("\KovaDoc.xsl", "\company.jpg") name files
    // beside the executable.
    QString StyleSheetFile() const;
    QString LogoFile() const;

Q_SIGNALS:
    // On the thread of this object, after each queued report (HTML, PDF) that was written or
    // failed.
    void Written(const QString& fileName, bool written);

private:
    struct TJob {
        bool Pdf = false;
        QString TestFile, StyleSheet, Logo;
        TReportHead Head;
    };
    bool Queue(const QString& fileName, TJob job);
    void Run(const QString& fileName); // on the report thread
    bool Outcome(const QString& fileName, bool written, const QString& error);

    TQelGlobal& FGlobal;
    QSet<QString> FFailing; // reports the operator was told of and that have not been written since
    QThread FThread;
    std::unique_ptr<QObject> FWorker; // lives on FThread; the jobs run in its events
    QMutex FLock;
    QHash<QString, TJob> FPending; // by report file; guarded by FLock
    const TReportRenderer* FRenderer = nullptr;
};
