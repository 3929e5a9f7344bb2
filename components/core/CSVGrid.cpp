#include "CSVGrid.h"

#include "CSVForm.h"
#include "OperatorIFace.h"

#include <QFile>
#include <QSaveFile>

ECSVGridRange::ECSVGridRange(int col, int row)
    : std::out_of_range(QStringLiteral("CSVGrid Range Error[%1,%2]").arg(col).arg(row).toStdString()) {}

TCSVGrid::TCSVGrid() : FCells(QString(), 5, 5) {}

void TCSVGrid::Check(int col, int row) const {
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
        throw ECSVGridRange(col, row);
}

QString TCSVGrid::Cell(int col, int row) const {
    Check(col, row);
    return FCells.Cell(col, row);
}

void TCSVGrid::SetCell(int col, int row, const QString& text) {
    Check(col, row);
    FCells.SetCell(col, row, text);
}

QString TCSVGrid::Text(QChar separator, bool units) const {
    CSVForm::TOptions options;
    options.Separator = separator;
    options.Units = units;
    options.TitleSampleMustLookNumeric = false;
    return CSVForm::Text(FCells, options);
}

bool TCSVGrid::SaveToFile(const QString& fileName, QChar separator, bool append, bool units,
                          TOperatorIFace& op) const {
    if (WriteTextFile(fileName, CSVForm::EncodeText(Text(separator, units)), append, nullptr))
        return true;
    op.Error(QStringLiteral("Error Saving File :"));
    return false;
}

bool WriteTextFile(const QString& path, const QByteArray& content, bool append, QString* error) {
    QByteArray old;
    if (append && QFile::exists(path)) {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly)) {
            if (error)
                *error = in.errorString();
            return false;
        }
        old = in.readAll();
        if (!old.isEmpty() && !old.endsWith('\n') && !old.endsWith('\r'))
            old += "\r\n";
    }
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || (!old.isEmpty() && out.write(old) != old.size()) ||
        out.write(content) != content.size() || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}
