// The tap changer frame's controls: three integer fields with their arrows, the tap table with
// its Activate toggle, the auto fill key.
#include "QelTapChangers.h"

#include "FStringGrids.h"
#include "FilterGridView.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "PanelButton.h"
#include "QelTapCellDelegate.h"
#include "StateButton.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

namespace {

TNumEdit* NewTapField(const QString& name, const QString& label, int min, int max, QWidget* parent) {
    auto* ed = new TNumEdit(parent);
    ed->setObjectName(name);
    ed->SetUnitStr(QString());
    ed->SetLabelStr(label);
    ed->SetFracLen(0);
    ed->SetRange(min, max);
    ed->SetValue(0);
    ed->setMinimumWidth(70);
    return ed;
}

TPanelButton* NewArrow(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new TPanelButton(parent);
    b->setObjectName(name);
    b->SetCaptionItems({'"' + caption + "\",-1"});
    b->setFixedSize(32, 22);
    return b;
}

} // namespace

void TQelTapChangeDefFrame::Build() {
    GroupBox1 = new QGroupBox(QStringLiteral("HV Side"), this);
    edNrOfTaps = NewTapField(QStringLiteral("edNrOfTaps"), QStringLiteral("Total Taps"), 0,
                             QelWindings::MaxTaps, GroupBox1);
    edStartTap = NewTapField(QStringLiteral("edStartTap"), QStringLiteral("Bottom Tap"),
                             -QelWindings::MaxTapNumber, QelWindings::MaxTapNumber, GroupBox1);
    edNomTap = NewTapField(QStringLiteral("edNomTap"), QStringLiteral("Nom. Tap"), -QelWindings::MaxTapNumber,
                           QelWindings::MaxTapNumber, GroupBox1);
    UpDownCont1Up = NewArrow(QStringLiteral("UpDownCont1Up"), QStringLiteral("▲"), GroupBox1);
    UpDownCont1Down = NewArrow(QStringLiteral("UpDownCont1Down"), QStringLiteral("▼"), GroupBox1);
    UpDownCont2Up = NewArrow(QStringLiteral("UpDownCont2Up"), QStringLiteral("▲"), GroupBox1);
    UpDownCont2Down = NewArrow(QStringLiteral("UpDownCont2Down"), QStringLiteral("▼"), GroupBox1);
    UpDownCont3Up = NewArrow(QStringLiteral("UpDownCont3Up"), QStringLiteral("▲"), GroupBox1);
    UpDownCont3Down = NewArrow(QStringLiteral("UpDownCont3Down"), QStringLiteral("▼"), GroupBox1);

    sgTapData = new TFStringGrid(GroupBox1);
    sgTapData->setObjectName(QStringLiteral("sgTapData"));
    sgTapData->setToolTip(QStringLiteral("Double Click to change Values"));
    sgTapData->SetDefaultRowHeight(26);
    // The double click opens the editors; in-place typing (Standard user interface) starts
    // with a key.
    FDelegate = new TTapCellDelegate(sgTapData->View());
    FFixedDelegate = new TTapCellDelegate(sgTapData->View()->FixedView());
    for (TTapCellDelegate* d : {FDelegate, FFixedDelegate})
        d->Highlighted = [this](int row) { return row > 0 && row == HighlightedRow(); };
    sgTapData->View()->setItemDelegate(FDelegate);
    sgTapData->View()->FixedView()->setItemDelegate(FFixedDelegate);

    bnTools = new TPanelButton(GroupBox1);
    bnTools->setObjectName(QStringLiteral("bnTools"));
    bnTools->SetCaptionItems({QStringLiteral("\"Auto Fill\",-1")});
    bnTools->setMinimumHeight(40);

    StateButton1 = new TStateButton(sgTapData->View()->viewport());
    StateButton1->setObjectName(QStringLiteral("StateButton1"));
    StateButton1->SetCaptionItems({QStringLiteral("\"no \",-1"), QStringLiteral("\"yes\",-1")});
    StateButton1->SetStateMax(1);
    StateButton1->hide();

    auto* fields = new QGridLayout;
    const auto row = [&](int r, const QString& caption, TNumEdit* ed, TPanelButton* up, TPanelButton* down) {
        fields->addWidget(new QLabel(caption, GroupBox1), r, 0);
        fields->addWidget(ed, r, 1);
        auto* arrows = new QVBoxLayout;
        arrows->setSpacing(0);
        arrows->addWidget(up);
        arrows->addWidget(down);
        fields->addLayout(arrows, r, 2);
    };
    row(0, QStringLiteral("Total Taps"), edNrOfTaps, UpDownCont1Up, UpDownCont1Down);
    row(1, QStringLiteral("Bottom Tap"), edStartTap, UpDownCont2Up, UpDownCont2Down);
    row(2, QStringLiteral("Nom. Tap"), edNomTap, UpDownCont3Up, UpDownCont3Down);
    fields->setColumnStretch(1, 1);

    auto* box = new QVBoxLayout(GroupBox1);
    box->addLayout(fields);
    box->addWidget(sgTapData, 1);
    box->addWidget(bnTools);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(GroupBox1);
}
