// merge LIST.LST [--out FILE.csv]: the multi-file analysis table without its window.
#include "AnalysisLists.h"
#include "BatchArguments.h"
#include "BatchCommands.h"
#include "BatchOperator.h"
#include "CSVForm.h"
#include "CSVGrid.h"
#include "GridTable.h"
#include "QelGlobals.h"
#include "XMLKvDoc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

QString Shown(const QString& file) {
    return QDir::toNativeSeparators(file);
}

// Why a listed test is not in the merge.
QString Unread(const QString& file) {
    if (!QFileInfo(file).isFile())
        return QStringLiteral("%1: no such test file, left out of the merge").arg(Shown(file));
    TKvXML doc;
    const TKvXML::TLoadResult result = doc.Load(file);
    const QString why =
        result.Loaded() ? QStringLiteral("its measurement table does not read") : result.Error;
    return QStringLiteral("%1: left out of the merge: %2").arg(Shown(file), why);
}

} // namespace

int RunMerge(const TBatchArguments& a, TConsoleOperator& op) {
    // No instrument; the data folder of the configuration shortens the file names.
    TQelGlobal global(BatchStartup(op, {QStringLiteral("/SIM")}));
    const QString list = a.Files.front();
    if (!QFileInfo(list).isFile()) {
        op.Say(QStringLiteral("%1: no such list file").arg(Shown(list)));
        return bsFileFailed;
    }
    QStringList files;
    QString error;
    if (!AnalysisLists::ReadListFile(list, files, &error)) {
        op.Say(QStringLiteral("list file not read: %1").arg(error));
        return bsFileFailed;
    }
    TMemoryGridTable table(QString(), 0, 0);
    QStringList unread;
    AnalysisLists::MergeTests(table, files, global.DataPath, &unread);
    for (const QString& file : unread)
        op.Say(Unread(file));

    const QByteArray content = CSVForm::GridFileContent(table, ListSeparator(), false);
    if (a.Out.isEmpty()) {
        if (std::fwrite(content.constData(), 1, size_t(content.size()), stdout) != size_t(content.size()) ||
            std::fflush(stdout) != 0) {
            op.Say(QStringLiteral("the merged table could not be written to standard output"));
            return bsFileFailed;
        }
    } else {
        if (!WriteTextFile(a.Out, content, false, &error)) {
            op.Say(QStringLiteral("%1: not written: %2").arg(Shown(a.Out), error));
            return bsFileFailed;
        }
        PrintResult(Shown(QFileInfo(a.Out).absoluteFilePath()));
    }
    return unread.isEmpty() ? bsOk : bsFileFailed;
}
