// The column dialog of the wide grid: a width per column, and whether the widths become the
// default kept in the grid's ini file.
#include "FStringGrids.h"

#include "IniFile.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

QString TTntFStringGrid::ColWidthsText() const {
    QStringList widths;
    for (int c = 0; c < ColCount(); ++c)
        widths << QString::number(ColWidth(c));
    return u'"' + widths.join(u';') + u'"';
}

bool TTntFStringGrid::StoreColWidths() const {
    if (FIniFileName.isEmpty())
        return false;
    TIniFile ini(FIniFileName);
    ini.WriteString(objectName(), QStringLiteral("ColWidths"), ColWidthsText());
    return ini.UpdateFile();
}

bool TTntFStringGrid::DefineColumns() {
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Define Columns"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    QList<QSpinBox*> widths;
    for (int c = 0; c < ColCount(); ++c) {
        auto* width = new QSpinBox(&dialog);
        width->setRange(0, 1000);
        width->setValue(ColWidth(c));
        form->addRow(Cell(c, 0), width);
        widths << width;
    }
    auto* useAsDefault = new QCheckBox(QStringLiteral("Use As Default"), &dialog);
    layout->addWidget(useAsDefault);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    for (int c = 0; c < widths.size() && c < ColCount(); ++c)
        SetColWidth(c, widths[c]->value());
    RebuildFilterButtons();
    if (useAsDefault->isChecked())
        StoreColWidths();
    return true;
}
