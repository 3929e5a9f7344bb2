#include "QelReports.h"

#include "CSVForm.h"
#include "CSVTools.h"
#include "KovaBases.h"
#include "OperatorIFace.h"
#include "ProgramFiles.h"
#include "XMLKvDoc.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <QMutexLocker>
#include <QSemaphore>

Q_LOGGING_CATEGORY(lcQelReports, "qel.reports")

QString ProgramDataFile(const QString& appFolder, const QString& setting) {
    QString name = setting.trimmed();
    while (name.startsWith(u'\\') || name.startsWith(u'/'))
        name.remove(0, 1);
    return name.isEmpty() ? QString() : appFolder + name;
}

TQelReports::TQelReports(TQelGlobal& global, QObject* parent)
    : QObject(parent), FGlobal(global), FWorker(std::make_unique<QObject>()) {
    FThread.setObjectName(QStringLiteral("Reports"));
    FWorker->moveToThread(&FThread);
    FThread.start(QThread::LowPriority);
    FGlobal.SetExports(this);
    TraceShippedFile("style sheet", StyleSheetFile());
    TraceShippedFile("logo", LogoFile());
}

TQelReports::~TQelReports() {
    FGlobal.SetExports(nullptr);
    Finish();
    FThread.quit();
    FThread.wait();
}

QString TQelReports::StyleSheetFile() const {
    return ProgramDataFile(FGlobal.AppFolder, FGlobal.Doc().XSLStyleSheetFile());
}

QString TQelReports::LogoFile() const {
    return ProgramDataFile(FGlobal.AppFolder, FGlobal.Doc().CompanyFile());
}

bool TQelReports::WriteCSV(const QString& fileName) {
    QString error;
    const bool written = WriteCSVReport(FGlobal.Doc(), fileName, ListSeparator(), &error);
    return Outcome(fileName, written, error);
}

bool TQelReports::WriteHTML(const QString& fileName) {
    return Queue(fileName, {false, FGlobal.Doc().FileName(), StyleSheetFile(), LogoFile(), {}});
}

bool TQelReports::WritePDF(const QString& fileName) {
    if (!FRenderer)
        return Outcome(fileName, false, QStringLiteral("%1: no PDF renderer in this program").arg(fileName));
    return Queue(fileName, {true, FGlobal.Doc().FileName(), StyleSheetFile(), LogoFile(),
                            ReportHeadOf(FGlobal.Doc(), LogoFile())});
}

bool TQelReports::Queue(const QString& fileName, TJob job) {
    {
        const QMutexLocker hold(&FLock);
        const bool waiting = FPending.contains(fileName);
        FPending.insert(fileName, std::move(job));
        if (waiting)
            return true;
    }
    QMetaObject::invokeMethod(
        FWorker.get(), [this, fileName] { Run(fileName); }, Qt::QueuedConnection);
    return true;
}

void TQelReports::Run(const QString& fileName) {
    TJob job;
    {
        const QMutexLocker hold(&FLock);
        const auto it = FPending.constFind(fileName);
        if (it == FPending.cend())
            return;
        job = *it;
        FPending.erase(it);
    }
    QString error;
    const bool written =
        job.Pdf ? WritePDFReport(*FRenderer, job.TestFile, job.StyleSheet, job.Head, fileName, &error)
                : WriteHTMLReport(job.TestFile, job.StyleSheet, fileName, job.Logo, &error);
    QMetaObject::invokeMethod(
        this,
        [this, fileName, written, error] {
            Outcome(fileName, written, error);
            Q_EMIT Written(fileName, written);
        },
        Qt::QueuedConnection);
}

void TQelReports::Finish() {
    // The report thread runs its jobs in order: when this one runs, the earlier ones are done.
    QSemaphore done;
    QMetaObject::invokeMethod(
        FWorker.get(), [&done] { done.release(); }, Qt::QueuedConnection);
    done.acquire();
}

bool TQelReports::Outcome(const QString& fileName, bool written, const QString& error) {
    if (written) {
        FFailing.remove(fileName);
        return true;
    }
    qCWarning(lcQelReports, "%s", qUtf8Printable(error));
    if (FFailing.contains(fileName))
        return false;
    FFailing.insert(fileName);
    const QString text =
        FGlobal.KovaBase().Text(QStringLiteral("SErrWritingFile")).replace(QStringLiteral("%s"), fileName);
    // Saves run inside the instrument's hand-overs as well: the box waits for the current event.
    TQelGlobal* global = &FGlobal;
    QMetaObject::invokeMethod(
        global,
        [global, text] {
            if (TOperatorIFace* op = global->Operator())
                op->Error(text);
        },
        Qt::QueuedConnection);
    return false;
}
