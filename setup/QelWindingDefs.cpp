// What the winding frame does: load and store the winding, the selectors by value, the nominal
// current, the tap changer and its dialog.
#include "QelWindingDefs.h"

#include "GridTable.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "PanelButton.h"
#include "Qel8624Device.h"
#include "Qel8624Protocol.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelTapChangerDefs.h"
#include "QelWindings.h"
#include "SIPrefixes.h"
#include "XMLKvDoc.h"

#include <QGroupBox>
#include <QLabel>

#include <algorithm>

using namespace QelWindings;

namespace {

QString VectorGroupItem(int value) {
    switch (value) {
    case Qel8624::ClockNotSet:
        return QStringLiteral("\"Auto\",169");
    case Qel8624::ClockArbitrary:
        return QStringLiteral("\"Arbitrary Phase Shift\",168");
    case Qel8624::ClockArbitraryAuto:
        return QStringLiteral("\"APS Auto Trafo\",170");
    default:
        if (value >= 0 && value <= 11)
            return QStringLiteral("\"%1\",%2").arg(value).arg(148 + value);
        return QStringLiteral("\"%1\",-1").arg(value < 0 ? QStringLiteral("?") : QString::number(value));
    }
}

double Quantity(const TXMLQuantityType& q) {
    double v = 0;
    return q.ReadValue(v) ? v : 0.0;
}

} // namespace

TQelWindingDefFrame::TQelWindingDefFrame(TQelGlobal& global, QWidget* parent)
    : QFrame(parent), FGlobal(global) {
    Build();
    for (TNumEdit* ed : {edNomPower, edNomVoltage}) {
        ed->SetOperator(FGlobal.Operator());
        connect(ed, &TNumEdit::Change, this, [this, ed] { DoNotifyXMLChange(ed); });
    }
    connect(bnConfiguration, &TPanelButton::Click, this, [this] {
        if (FUpdating || FWinding < 0)
            return;
        Store(false);
        if (FWinding > 0)
            RebuildVectorGroupSelector(true);
        // The rules of the HV connection and the selectors follow before the save.
        Q_EMIT ConfigurationClick();
        Q_EMIT Stored();
        FGlobal.DocumentChanged();
        Q_EMIT Changed();
    });
    connect(bnVectorGrp, &TPanelButton::Click, this, &TQelWindingDefFrame::bnVectorGrpClick);
    connect(bnTapChanger, &TPanelButton::Click, this, [this] { DoNotifyXMLChange(bnTapChanger); });
    connect(bnTapParams, &TPanelButton::Click, this, &TQelWindingDefFrame::bnTapParamsClick);
}

void TQelWindingDefFrame::SetTapChangerForm(TTapChangerForm* form) {
    FTapForm = form;
}

void TQelWindingDefFrame::SetCaption(const QString& caption) {
    GroupBox->setTitle(caption);
}

void TQelWindingDefFrame::SetImages(const TQelImage& images) {
    for (TPanelButton* b : {bnConfiguration, bnVectorGrp, bnTapChanger, bnTapParams})
        b->SetImageList(images.Image32x32L());
}

int TQelWindingDefFrame::CodeOfEntry(int entry) {
    return entry >= 0 && entry <= 6 ? entry : Qel8624::conNotSet;
}

int TQelWindingDefFrame::EntryOfCode(int code) {
    return code >= 0 && code <= 6 ? code : 7;
}

TXMLWindingType TQelWindingDefFrame::WindingElement() const {
    return FWinding < 0 ? TXMLWindingType() : FGlobal.Doc().DUTTrafoData().Winding().Item(FWinding);
}

void TQelWindingDefFrame::Bind(int winding) {
    FWinding = winding;
    bnVectorGrp->setVisible(winding > 0);
    lbVectorGrp->setVisible(winding > 0);
    Load();
}

void TQelWindingDefFrame::Load() {
    const TXMLWindingType w = WindingElement();
    if (w.IsNull())
        return;
    FUpdating = true;
    edNomPower->SetValue(Quantity(w.NominalPower()));
    edNomVoltage->SetValue(Quantity(w.NominalVoltage()));
    edNomCurrent->setText(w.NominalCurrent().Value().trimmed());
    bnConfiguration->SetState(EntryOfCode(w.Configuration().Value()));
    if (FWinding > 0)
        RebuildVectorGroupSelector();
    bnTapChanger->SetState(w.TapChangerAvailable().Value() == 1 ? 1 : 0);
    ApplyTapState();
    FUpdating = false;
}

void TQelWindingDefFrame::ApplyTapState() {
    const bool taps = bnTapChanger->State() == 1;
    bnTapParams->setEnabled(bnTapChanger->isEnabled() && taps);
    edNomVoltage->setEnabled(!bnTapParams->isEnabled());
    pnTapInfo->setVisible(taps);
    const TXMLTapChangerDataType data = WindingElement().TapChangerData();
    if (taps && !data.IsNull()) {
        lbFirstTap->setText(QString::number(data.FirstTap().Value()));
        lbNomTap->setText(QString::number(data.NominalTap().Value()));
        lbNrOfTaps->setText(QString::number(data.NrOfTaps().Value()));
    }
}

void TQelWindingDefFrame::RebuildVectorGroupSelector(bool keepIndex) {
    const TXMLWindingType w = WindingElement();
    if (w.IsNull() || FWinding == 0)
        return;
    const int hv = FGlobal.Doc().DUTTrafoData().Winding().Item(0).Configuration().Value();
    const QList<int> clocks = FGlobal.VectorGroups().Clocks(
        ConfigurationText(hv).toUpper(), ConfigurationText(w.Configuration().Value()).toLower());
    int stored = w.VectorGroup().Value();
    if (keepIndex && clocks.isEmpty())
        return;
    // A clock keeps its index among the clocks of the pair (a clock the old pair lacked, that of
    // its order: clock k is entry k div 2); Auto, 85 and 86 stay what they are.
    int index = -1;
    if (keepIndex && stored >= 0 && stored <= 11) {
        index = int(FClocks.indexOf(stored));
        if (index < 0)
            index = stored / 2;
    }
    if (!clocks.isEmpty()) // a pair the table does not list leaves the clock entries as they were
        FClocks = clocks;
    if (index >= 0) {
        stored = FClocks[std::min<qsizetype>(index, FClocks.size() - 1)];
        if (stored != w.VectorGroup().Value())
            w.VectorGroup().SetValue(stored);
    }
    FVectorValues = FClocks;
    FVectorValues << Qel8624::ClockNotSet << Qel8624::ClockArbitrary;
    if (FGlobal.Qel().NewFirmware())
        FVectorValues << Qel8624::ClockArbitraryAuto;
    // What the document holds stays what it shows; only the operator's pick writes another.
    if (!FVectorValues.contains(stored))
        FVectorValues << stored;
    QStringList items;
    for (int v : std::as_const(FVectorValues))
        items << VectorGroupItem(v);
    const bool updating = FUpdating;
    FUpdating = true;
    bnVectorGrp->SetCaptionItems(items);
    bnVectorGrp->SetStateMax(int(items.size()) - 1);
    bnVectorGrp->SetState(int(FVectorValues.indexOf(stored)));
    FUpdating = updating;
}

void TQelWindingDefFrame::Store(bool recompute) {
    const TXMLWindingType w = WindingElement();
    if (w.IsNull())
        return;
    // What the nominal current is computed from, as the document held it.
    const auto inputs = [&w] {
        return QStringList{w.NominalPower().Value(), w.NominalVoltage().Value(),
                           QString::number(w.Configuration().Value())};
    };
    const QStringList before = inputs();
    w.SetName(WindingName(FWinding));
    w.NominalPower().SetValue(edNomPower->ValueText().trimmed());
    w.NominalVoltage().SetValue(edNomVoltage->ValueText().trimmed());
    w.NominalCurrent().SetValue(edNomCurrent->text().trimmed());
    const int code = CodeOfEntry(bnConfiguration->State());
    if (code != w.Configuration().Value() || w.Configuration().ValueStr().isEmpty())
        w.Configuration().SetValue(code);
    const bool taps = bnTapChanger->State() == 1;
    const bool switchedOn = taps && w.TapChangerAvailable().Value() != 1;
    w.TapChangerAvailable().SetValue(taps ? 1 : 0);
    if (switchedOn) {
        // Taps without a voltage start with the winding's: the nominal voltage never turns empty.
        TMemoryGridTable table(QStringLiteral("sgTapData"), 4, 2);
        TTapChanger values;
        LoadTapChanger(w.TapChangerData(), values, table);
        StoreTapChanger(w.TapChangerData(), values, table, NewTapRowVoltage(w));
    }
    if (taps)
        TakeNominalVoltageFromTap(w);
    if (recompute || inputs() != before) {
        UpdateNominalCurrent(w);
        edNomCurrent->setText(w.NominalCurrent().Value().trimmed());
    }
}

void TQelWindingDefFrame::DoNotifyXMLChange(QObject* sender) {
    if (FUpdating || FWinding < 0)
        return;
    Store(sender == edNomPower || sender == edNomVoltage);
    ApplyTapState();
    Q_EMIT Stored();
    FGlobal.DocumentChanged();
    Q_EMIT Changed();
}

void TQelWindingDefFrame::bnVectorGrpClick() {
    const int entry = bnVectorGrp->State();
    if (FUpdating || FWinding <= 0 || entry < 0 || entry >= FVectorValues.size())
        return;
    WindingElement().VectorGroup().SetValue(FVectorValues[entry]);
    Store(false);
    Q_EMIT Stored();
    FGlobal.DocumentChanged();
    Q_EMIT Changed();
}

void TQelWindingDefFrame::bnTapParamsClick() {
    if (FWinding < 0 || FWaitingForTapForm)
        return;
    if (!FTapForm)
        FTapForm = new TTapChangerForm(FGlobal, window());
    FWaitingForTapForm = true;
    connect(
        FTapForm, &QDialog::finished, this,
        [this](int result) { TapParamsClosed(result == QDialog::Accepted); }, Qt::SingleShotConnection);
    FTapForm->Open();
}

void TQelWindingDefFrame::TapParamsClosed(bool ok) {
    FWaitingForTapForm = false;
    if (!ok)
        return; // the dialog has put the windings back as they were
    const QString shown = edNomVoltage->ValueText().trimmed();
    Store(false);
    const TXMLWindingType w = WindingElement();
    if (w.NominalVoltage().Value().trimmed().compare(shown, Qt::CaseInsensitive) != 0) {
        UpdateNominalCurrent(w);
        edNomCurrent->setText(w.NominalCurrent().Value().trimmed());
    }
    ApplyTapState();
    Q_EMIT Stored();
    FGlobal.DocumentChanged();
    Q_EMIT Changed();
}
