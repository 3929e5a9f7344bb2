// The winding frame's controls, top to bottom.
#include "QelWindingDefs.h"

#include "NumInput.h"
#include "NumInputForm.h"
#include "PanelButton.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

TNumEdit* NewQuantityField(const QString& name, const QString& label, const QString& unit, double min,
                           double max, QWidget* parent) {
    auto* ed = new TNumEdit(parent);
    ed->setObjectName(name);
    ed->SetUnitStr(unit);
    ed->SetLabelStr(label);
    ed->SetNumLen(16);
    ed->SetFracLen(3);
    ed->SetKillZeros(true);
    ed->SetRange(min, max);
    ed->setAlignment(Qt::AlignRight);
    return ed;
}

TPanelButton* NewButton(const QString& name, const QStringList& items, QWidget* parent) {
    auto* b = new TPanelButton(parent);
    b->setObjectName(name);
    b->SetCaptionItems(items);
    b->SetStateMax(int(items.size()) - 1);
    b->setMinimumHeight(40);
    return b;
}

} // namespace

void TQelWindingDefFrame::Build() {
    GroupBox = new QGroupBox(QStringLiteral("HV Side"), this);
    edNomPower = NewQuantityField(QStringLiteral("edNomPower"), QStringLiteral("Nominal Power"),
                                  QStringLiteral("VA"), 1, 999e6, GroupBox);
    edNomCurrent = NewQuantityField(QStringLiteral("edNomCurrent"), QStringLiteral("Nominal Current"),
                                    QStringLiteral("A"), 0, 999e6, GroupBox);
    edNomCurrent->setReadOnly(true); // computed from power and voltage
    edNomVoltage = NewQuantityField(QStringLiteral("edNomVoltage"), QStringLiteral("Nominal Voltage"),
                                    QStringLiteral("V"), 1, 999e3, GroupBox);

    bnConfiguration =
        NewButton(QStringLiteral("bnConfiguration"),
                  {QStringLiteral("\"D\",-1"), QStringLiteral("\"Y\",-1"), QStringLiteral("\"Yn\",-1"),
                   QStringLiteral("\"Z\",-1"), QStringLiteral("\"Zn\",-1"), QStringLiteral("\"Single\",-1"),
                   QStringLiteral("\"CT\",-1"), QStringLiteral("\"Auto  3 Ph\",-1")},
                  GroupBox);
    bnConfiguration->SetPopup(true);
    bnConfiguration->SetPopupElements(2);
    bnVectorGrp = NewButton(QStringLiteral("bnVectorGrp"), {QStringLiteral("\"Auto\",169")}, GroupBox);
    bnVectorGrp->SetPopup(true);
    bnVectorGrp->SetPopupElements(3);
    lbVectorGrp = new QLabel(QStringLiteral("Phase Displacement"), GroupBox);
    bnTapChanger = NewButton(QStringLiteral("bnTapChanger"),
                             {QStringLiteral("\"Without\",-1"), QStringLiteral("\"With\",-1")}, GroupBox);
    bnTapParams =
        NewButton(QStringLiteral("bnTapParams"), {QStringLiteral("\"Tap Parameters\",-1")}, GroupBox);

    pnTapInfo = new QFrame(GroupBox);
    pnTapInfo->setObjectName(QStringLiteral("pnTapInfo"));
    pnTapInfo->setFrameShape(QFrame::StyledPanel);
    lbFirstTap = new QLabel(pnTapInfo);
    lbNomTap = new QLabel(pnTapInfo);
    lbNrOfTaps = new QLabel(pnTapInfo);
    auto* info = new QGridLayout(pnTapInfo);
    info->setContentsMargins(6, 2, 6, 2);
    info->addWidget(new QLabel(QStringLiteral("Bottom Tap"), pnTapInfo), 0, 0);
    info->addWidget(lbFirstTap, 0, 1);
    info->addWidget(new QLabel(QStringLiteral("Nominal Tap:"), pnTapInfo), 1, 0);
    info->addWidget(lbNomTap, 1, 1);
    info->addWidget(new QLabel(QStringLiteral("Nr Of Taps:"), pnTapInfo), 2, 0);
    info->addWidget(lbNrOfTaps, 2, 1);
    for (QLabel* l : {lbFirstTap, lbNomTap, lbNrOfTaps})
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* grid = new QGridLayout(GroupBox);
    int r = 0;
    const auto add = [&](const QString& caption, QWidget* w, QLabel* label = nullptr) {
        grid->addWidget(label ? label : new QLabel(caption, GroupBox), r, 0);
        grid->addWidget(w, r++, 1);
    };
    add(QStringLiteral("Nom.Power"), edNomPower);
    add(QStringLiteral("Nom.Current"), edNomCurrent);
    add(QStringLiteral("Nom.Voltage"), edNomVoltage);
    add(QStringLiteral("Vector Group"), bnConfiguration);
    add(QString(), bnVectorGrp, lbVectorGrp);
    add(QStringLiteral("Tap Changer"), bnTapChanger);
    add(QStringLiteral("Tap Parameters"), bnTapParams);
    grid->addWidget(pnTapInfo, r++, 0, 1, 2);
    grid->setRowStretch(r, 1);
    grid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(GroupBox);
}
