#include "GridTable.h"
#include "XMLKvDoc.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

namespace {

// Appends the document's data rows to target below its last row, its columns matched by title.
void MergeTable(TGridTable& target, const TGridTable& part, const QString& shownPath) {
    std::vector<int> column(size_t(part.ColCount()));
    for (int c = 0; c < part.ColCount(); ++c) {
        const QString title = part.Cell(c, 0);
        int found = -1;
        for (int t = 0; t < target.ColCount() && found < 0; ++t)
            if (target.Cell(t, 0) == title)
                found = t;
        if (found < 0) {
            found = target.ColCount();
            target.SetColCount(found + 1);
            target.SetCell(found, 0, title);
        }
        column[size_t(c)] = found;
    }
    // A target without data takes the whole row count (one empty row follows the data),
    // one with data the data rows only.
    const int first = target.RowCount();
    const int grow = first == 1 ? part.RowCount() : part.RowCount() - 1;
    target.SetRowCount(first + grow);
    const int dataStart = first == 1 ? 1 : first;
    for (int r = 1; r < part.RowCount(); ++r)
        for (int c = 0; c < part.ColCount(); ++c)
            target.SetCell(column[size_t(c)], dataStart + r - 1, part.Cell(c, r));
    for (int r = first; r < first + grow; ++r)
        target.SetCell(0, r, shownPath);
}

} // namespace

bool TKvXML::MergeMeasurementTables(TGridTable& target, const QStringList& files, const QString& baseFolder,
                                    TMergeSource source, const QString& fileNameTitle, QStringList* unread) {
    const TGridTableUpdate update(target);
    target.SetColCount(1);
    target.SetRowCount(1);
    target.SetCell(0, 0, QString());
    const QDir base(baseFolder);
    for (qsizetype i = 0; i < files.size(); ++i) {
        TKvXML scratch;
        if (!QFileInfo(files[i]).isFile() || !scratch.Load(files[i])) {
            if (unread)
                *unread << files[i];
            continue;
        }
        const TXMLGridType grid = source == TMergeSource::Measurement ? scratch.QEL().Measurement().Grid()
                                                                      : scratch.CT().MeasData().Grid();
        // A table that does not load holds no measurements to merge.
        TMemoryGridTable part(QString(), 0, 0);
        if (!grid.LoadInto(part)) {
            if (unread)
                *unread << files[i];
            continue;
        }
        MergeTable(target, part, QDir::toNativeSeparators(base.relativeFilePath(files[i])));
        if (i + 1 < files.size())
            target.SetRowCount(target.RowCount() + 1);
    }
    if (target.RowCount() > 1) {
        target.SetFixedRows(1);
        target.SetCell(0, 0, fileNameTitle);
    }
    return true;
}
