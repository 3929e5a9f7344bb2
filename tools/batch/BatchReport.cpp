// report FILE.xml... [--csv] [--html] [--pdf]: the reports a save writes, for tests already saved.
#include "BatchArguments.h"
#include "BatchCommands.h"
#include "BatchOperator.h"
#include "QelGlobals.h"
#include "QelReports.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

#include <tuple>

namespace {

QString Shown(const QString& file) {
    return QDir::toNativeSeparators(file);
}

} // namespace

int RunReport(const TBatchArguments& a, TConsoleOperator& op, const TReportRenderer* renderer) {
    // No instrument: the run reads and writes files only.
    TQelGlobal global(BatchStartup(op, {QStringLiteral("/SIM")}));
    TQelReports reports(global);
    reports.SetRenderer(renderer);
    QString done;
    bool doneWritten = false;
    QEventLoop wait;
    QObject::connect(&reports, &TQelReports::Written, &wait, [&](const QString& file, bool written) {
        done = file;
        doneWritten = written;
        wait.quit();
    });

    int status = bsOk;
    for (const QString& given : a.Files) {
        const QString file = QFileInfo(given).absoluteFilePath();
        // A test whose file is gone is not reported from a backup of it.
        if (!QFileInfo(file).isFile()) {
            op.Say(QStringLiteral("%1: no such test file").arg(Shown(given)));
            status = bsFileFailed;
            continue;
        }
        QString error;
        if (!global.OpenDocument(file, &error)) {
            op.Say(QStringLiteral("%1: not reported: %2").arg(Shown(given), error));
            status = bsFileFailed;
            continue;
        }
        const QFileInfo fi(file);
        const QString base = fi.path() + '/' + fi.completeBaseName();
        if (a.Csv) {
            if (global.WriteReports(file, dsCSV))
                PrintResult(Shown(base + QStringLiteral(".csv")));
            else
                status = bsFileFailed;
        }
        // The report thread makes these; each is waited for before the next.
        for (const auto& [asked, storage, extension] :
             {std::tuple{a.Html, dsHTML, ".html"}, std::tuple{a.Pdf, dsPDF, ".pdf"}}) {
            if (!asked)
                continue;
            const QString report = base + QLatin1String(extension);
            done.clear();
            if (!global.WriteReports(file, storage)) {
                status = bsFileFailed;
                continue;
            }
            while (done != report)
                wait.exec();
            if (doneWritten)
                PrintResult(Shown(report));
            else
                status = bsFileFailed;
        }
        // The reports' messages are posted: they are said before the next test.
        QCoreApplication::processEvents();
    }
    return status;
}
