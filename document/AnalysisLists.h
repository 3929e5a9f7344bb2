#pragma once
#include <QString>
#include <QStringList>

class TGridTable;

// The list files of the multi-file analysis (".LST": a CSV file in the operator's list format,
// the title row "Nr" and "FileName", then a running number and a test file per row) and the
// merged table made from one. Nothing here needs a window: the analysis dialog and the
// command-line tool share it.
namespace AnalysisLists {

// The FileName column of a list file, in its order (blank cells left out). False with error
// naming the file when it cannot be read; a list without rows is read as an empty list.
bool ReadListFile(const QString& listFile, QStringList& files, QString* error = nullptr);

// The measurement tables of files merged into target as the multi-file analysis shows them:
// the measured time first, the file (relative to dataFolder, under the title "File Name")
// second, then the other columns matched by title in the order they first occur, an empty row
// between the files. Files that are missing or do not load are left out and named in unread.
void MergeTests(TGridTable& target, const QStringList& files, const QString& dataFolder,
                QStringList* unread = nullptr);

} // namespace AnalysisLists
