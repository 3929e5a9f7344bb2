// The files of the filter grids: the CSV text of the whole table, loading and saving through
// the variant's format, and the file dialogs.
#include "FilterGrid.h"

#include "CSVForm.h"
#include "ShadowTable.h"

#include <QFileDialog>

QString TFilterStringGrid::ExportCSVText(const QString& prefix, QChar separator, bool units) const {
    CSVForm::TOptions options;
    options.Prefix = prefix;
    options.Separator = separator;
    options.Units = units;
    return CSVForm::Text(Shadow(), options);
}

bool TFilterStringGrid::LoadFromFile(const QString& fileName) {
    return LoadFromFile(fileName, ListSeparator());
}

namespace {

QString AskFileName(QWidget* parent, QFileDialog::AcceptMode mode, const QString& title,
                    const QString& name) {
    QFileDialog dialog(parent, title, name, QStringLiteral("Comma Separated Values(*.csv);;All files (*.*)"));
    dialog.setAcceptMode(mode);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    if (mode == QFileDialog::AcceptOpen)
        dialog.setFileMode(QFileDialog::ExistingFile);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().front()
               : QString();
}

} // namespace

bool TFilterStringGrid::LoadWithDialog() {
    const QString name =
        AskFileName(this, QFileDialog::AcceptOpen, QStringLiteral("Load String Grid"), FileName());
    if (name.isEmpty())
        return false;
    FFileName = name;
    return LoadFromFile(name);
}

bool TFilterStringGrid::SaveWithDialog(bool units) {
    const QString name =
        AskFileName(this, QFileDialog::AcceptSave, QStringLiteral("Save String Grid"), FileName());
    if (name.isEmpty())
        return false;
    FFileName = name;
    return SaveToFile(name, units, false);
}
