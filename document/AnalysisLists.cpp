#include "AnalysisLists.h"

#include "CSVForm.h"
#include "GridTable.h"
#include "XMLKvDoc.h"

#include <QDir>
#include <QFile>

namespace AnalysisLists {

bool ReadListFile(const QString& listFile, QStringList& files, QString* error) {
    files.clear();
    QFile f(listFile);
    QByteArray bytes;
    if (f.open(QIODevice::ReadOnly))
        bytes = f.readAll();
    if (!f.isOpen() || f.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(listFile), f.errorString());
        return false;
    }
    const CSVForm::TTable table = CSVForm::Parse(CSVForm::DecodeText(bytes), ListSeparator());
    for (size_t r = 1; r < table.Rows.size(); ++r)
        if (table.Rows[r].size() > 1 && !table.Rows[r][1].trimmed().isEmpty())
            files << table.Rows[r][1];
    return true;
}

void MergeTests(TGridTable& target, const QStringList& files, const QString& dataFolder,
                QStringList* unread) {
    TKvXML::MergeMeasurementTables(target, files, dataFolder, TKvXML::TMergeSource::Measurement,
                                   QStringLiteral("File Name"), unread);
    // The measured time first, the file second; an empty merge has no columns to exchange.
    if (target.ColCount() < 2)
        return;
    const TGridTableUpdate update(target);
    for (int r = 0; r < target.RowCount(); ++r) {
        const QString file = target.Cell(0, r);
        target.SetCell(0, r, target.Cell(1, r));
        target.SetCell(1, r, file);
    }
}

} // namespace AnalysisLists
