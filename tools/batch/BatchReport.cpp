// report FILE.xml... [--csv] [--html]: the reports a save writes, for tests already saved.
#include "BatchArguments.h"
#include "BatchCommands.h"
#include "BatchOperator.h"
#include "QelGlobals.h"
#include "QelReports.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>

namespace {

QString Shown(const QString& file) {
    return QDir::toNativeSeparators(file);
}

} // namespace

int RunReport(const TBatchArguments& a, TConsoleOperator& op) {
    // No instrument: the run reads and writes files only.
    TQelGlobal global(BatchStartup(op, {QStringLiteral("/SIM")}));
    TQelReports reports(global);
    QString htmlDone;
    bool htmlWritten = false;
    QEventLoop htmlWait;
    QObject::connect(&reports, &TQelReports::HTMLWritten, &htmlWait, [&](const QString& file, bool written) {
        htmlDone = file;
        htmlWritten = written;
        htmlWait.quit();
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
            if (global.WriteReports(file, 1))
                PrintResult(Shown(base + QStringLiteral(".csv")));
            else
                status = bsFileFailed;
        }
        if (a.Html) {
            htmlDone.clear();
            global.WriteReports(file, 2);
            // The report thread says when it is done with this test; the next one waits for it.
            if (htmlDone.isEmpty())
                htmlWait.exec();
            if (htmlWritten)
                PrintResult(Shown(htmlDone));
            else
                status = bsFileFailed;
        }
        // The reports' messages are posted: they are said before the next test.
        QCoreApplication::processEvents();
    }
    return status;
}
