#include "QelTapChangerDefs.h"

#include "OperatorIFace.h"
#include "PanelButton.h"
#include "QelGlobals.h"
#include "QelTapChangers.h"
#include "QelWindings.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
const char* const Sides[] = {"HV Side", "LV Side", "TV Side"};
const char* const Windings[] = {"HV Winding", "LV Winding", "TV Winding"};
} // namespace

TTapChangerForm::TTapChangerForm(TQelGlobal& global, QWidget* parent) : QDialog(parent), FGlobal(global) {
    setObjectName(QStringLiteral("TapChangerForm"));
    setWindowTitle(QStringLiteral("Tap Changer Definition"));
    setMinimumSize(700, 360);

    TQelTapChangeDefFrame* frames[3];
    QGroupBox* boxes[3];
    QLabel* labels[3];
    auto* columns = new QHBoxLayout;
    for (int w = 0; w < 3; ++w) {
        frames[w] = new TQelTapChangeDefFrame(global, this);
        frames[w]->SetCaption(QString::fromLatin1(Sides[w]));
        boxes[w] = new QGroupBox(QString::fromLatin1(Windings[w]), this);
        auto* box = new QVBoxLayout(boxes[w]);
        box->addWidget(new QLabel(QStringLiteral("Nominal Voltage"), boxes[w]));
        labels[w] = new QLabel(boxes[w]);
        QFont bold = labels[w]->font();
        bold.setBold(true);
        labels[w]->setFont(bold);
        box->addWidget(labels[w]);
        box->addStretch(1);
        auto* column = new QVBoxLayout;
        column->addWidget(frames[w], 1);
        column->addWidget(boxes[w], 1);
        columns->addLayout(column, 1);
    }
    HVWinding = frames[0];
    LVWinding = frames[1];
    TVWinding = frames[2];
    HVWinding->setObjectName(QStringLiteral("HVWinding"));
    LVWinding->setObjectName(QStringLiteral("LVWinding"));
    TVWinding->setObjectName(QStringLiteral("TVWinding"));
    gbNomVoltageHV = boxes[0];
    gbNomVoltageLV = boxes[1];
    gbNomVoltageTV = boxes[2];
    lbNomVoltageHV = labels[0];
    lbNomVoltageLV = labels[1];
    lbNomVoltageTV = labels[2];
    lbNomVoltageHV->setObjectName(QStringLiteral("lbNomVoltageHV"));
    lbNomVoltageLV->setObjectName(QStringLiteral("lbNomVoltageLV"));
    lbNomVoltageTV->setObjectName(QStringLiteral("lbNomVoltageTV"));

    bnOk = new TPanelButton(this);
    bnOk->setObjectName(QStringLiteral("bnOk"));
    bnOk->SetCaptionItems({QStringLiteral("\"OK\",1")});
    bnOk->setMinimumSize(120, 48);
    bnCancel = new TPanelButton(this);
    bnCancel->setObjectName(QStringLiteral("bnCancel"));
    bnCancel->SetCaptionItems({QStringLiteral("\"Cancel\",0")});
    bnCancel->setMinimumSize(120, 48);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("All Voltages are related to Phase - Phase"), this));
    bottom->addStretch(1);
    bottom->addWidget(bnOk);
    bottom->addWidget(bnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(bottom);
    resize(780, 480);

    connect(bnOk, &TPanelButton::Click, this, &TTapChangerForm::bnOkClick);
    connect(bnCancel, &TPanelButton::Click, this, &TTapChangerForm::reject);
}

void TTapChangerForm::SetImages(const TQelImage& images) {
    bnOk->SetImageList(images.Image32x32L());
    bnCancel->SetImageList(images.Image32x32L());
    for (TQelTapChangeDefFrame* frame : {HVWinding, LVWinding, TVWinding})
        frame->SetImages(images);
}

TQelTapChangeDefFrame* TTapChangerForm::Frame(int winding) const {
    return winding == 0 ? HVWinding : winding == 1 ? LVWinding : TVWinding;
}

void TTapChangerForm::Open() {
    const auto windings = FGlobal.Doc().DUTTrafoData().Winding();
    // Everything the frames and the nominal voltages below change lies in the three windings.
    FWindingsAsOpened.Take({windings.Item(0).Node(), windings.Item(1).Node(), windings.Item(2).Node()});
    QLabel* labels[] = {lbNomVoltageHV, lbNomVoltageLV, lbNomVoltageTV};
    QGroupBox* boxes[] = {gbNomVoltageHV, gbNomVoltageLV, gbNomVoltageTV};
    for (int w = 0; w < 3; ++w) {
        const TXMLWindingType winding = windings.Item(w);
        const bool available = w < 2 || winding.Avail() == 1;
        const bool taps = winding.TapChangerAvailable().Value() == 1;
        Frame(w)->Bind(winding);
        Frame(w)->setVisible(available && taps && !winding.IsNull());
        if (taps)
            QelWindings::TakeNominalVoltageFromTap(winding);
        labels[w]->setText(winding.NominalVoltage().Value().trimmed());
        boxes[w]->setVisible(available && !Frame(w)->isVisibleTo(this));
    }
    open();
}

void TTapChangerForm::bnOkClick() {
    for (int w = 0; w < 3; ++w) {
        TQelTapChangeDefFrame* frame = Frame(w);
        const QelWindings::TTapChanger taps = frame->Values();
        if (!frame->isVisibleTo(this) || taps.NominalTapInTable())
            continue;
        const QString text = taps.NrOfTaps > 0
                                 ? QStringLiteral("%1: the nominal tap %2 is not one of the taps %3 to %4.")
                                       .arg(QString::fromLatin1(Sides[w]))
                                       .arg(taps.NominalTap)
                                       .arg(taps.FirstTap)
                                       .arg(taps.FirstTap + taps.NrOfTaps - 1)
                                 : QStringLiteral("%1: a tap changer needs at least one tap.")
                                       .arg(QString::fromLatin1(Sides[w]));
        if (FGlobal.Operator())
            FGlobal.Operator()->Error(text, FGlobal.ConfigSection);
        return;
    }
    const auto windings = FGlobal.Doc().DUTTrafoData().Winding();
    for (int w = 0; w < 3; ++w) {
        Frame(w)->Store();
        QelWindings::TakeNominalVoltageFromTap(windings.Item(w));
        Frame(w)->Unbind();
    }
    const TXMLSetupType setup = FGlobal.Doc().QEL().Setup();
    setup.ActMeasHVTapIdx().SetValue(1);
    setup.ActMeasLVTapIdx().SetValue(1);
    setup.ActMeasTVTapIdx().SetValue(1);
    FWindingsAsOpened.Clear();
    accept();
}

void TTapChangerForm::reject() {
    for (int w = 0; w < 3; ++w)
        Frame(w)->Unbind();
    if (!FWindingsAsOpened.IsEmpty())
        FWindingsAsOpened.Restore();
    FWindingsAsOpened.Clear();
    QDialog::reject();
}
