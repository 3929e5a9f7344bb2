#include "FStringGrids.h"

#include "CSVForm.h"
#include "CSVGrid.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "ShadowTable.h"
#include "StateButton.h"

#include <QFile>

namespace {

// The bytes of a file to be loaded; false after telling the operator when there are none.
bool ReadInput(const QString& fileName, TOperatorIFace& op, QByteArray& bytes) {
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    op.Message(TOperatorIFace::TKind::Error, QStringLiteral("System"),
               QStringLiteral("Cannot open input file.") + fileName, TOperatorIFace::TButtons::OkCancel);
    return false;
}

void WarnTooManyColumns(TOperatorIFace& op) {
    op.Message(TOperatorIFace::TKind::Warning, QString(),
               QStringLiteral("Grid requested to display more than %1 columns").arg(CSVForm::MaxColumns));
}

} // namespace

bool TTntFStringGrid::SaveToFile(const QString& fileName, bool units, bool append) {
    const QByteArray content = CSVForm::GridFileContent(Shadow(), ListSeparator(), units);
    if (!WriteTextFile(fileName, content, append, nullptr)) {
        Operator().Error(QStringLiteral("Error writing file :\r\n\t%1").arg(fileName));
        return false;
    }
    SetModified(false);
    return true;
}

bool TTntFStringGrid::LoadFromFile(const QString& fileName, QChar separator) {
    QByteArray bytes;
    if (!ReadInput(fileName, Operator(), bytes))
        return false;
    // A large file is held once at a time: as bytes, as text, as rows.
    QString text = CSVForm::DecodeText(bytes);
    bytes = QByteArray();
    CSVForm::TTable table = CSVForm::Parse(text, separator);
    text = QString();
    if (table.Truncated)
        WarnTooManyColumns(Operator());
    TakeRows(std::move(table.Rows), table.Cols);
    return true;
}

TCaptionButton* TTntFStringGrid::NewFilterButton(QWidget* parent) {
    return new TPanelButton(parent);
}

bool TFStringGrid::SaveToFile(const QString& fileName, bool, bool append) {
    QString text;
    for (int r = 0; r < Shadow().RowCount(); ++r)
        text += CommaText(Shadow().Row(r)) + QLatin1String("\r\n");
    if (!WriteTextFile(fileName, CSVForm::EncodeText(text), append, nullptr)) {
        Operator().Error(QStringLiteral("Error writing File :") + fileName);
        return false;
    }
    SetModified(false);
    return true;
}

bool TFStringGrid::LoadFromFile(const QString& fileName, QChar) {
    QByteArray bytes;
    if (!ReadInput(fileName, Operator(), bytes))
        return false;
    const QString text = CSVForm::DecodeText(bytes);
    std::vector<QStringList> rows;
    int cols = 1;
    bool truncated = false;
    for (const QStringView line : QStringView(text).split(u'\n')) {
        QStringList cells = SplitCommaText(line);
        if (cells.size() > CSVForm::MaxColumns) {
            cells.resize(CSVForm::MaxColumns);
            truncated = true;
        }
        cols = std::max(cols, int(cells.size()));
        rows.push_back(std::move(cells));
    }
    // The line break after the last line ends it; it starts no row.
    if (rows.size() > 1 && text.endsWith(u'\n'))
        rows.pop_back();
    if (truncated)
        WarnTooManyColumns(Operator());
    TakeRows(std::move(rows), cols);
    return true;
}

TCaptionButton* TFStringGrid::NewFilterButton(QWidget* parent) {
    auto* button = new TStateButton(parent);
    button->SetCenterColor(CenterColor());
    button->SetColorScale(ColorScale());
    button->SetGradientStart(GradientStart());
    button->SetGradientMid(GradientMid());
    button->SetGradientEnd(GradientEnd());
    return button;
}
