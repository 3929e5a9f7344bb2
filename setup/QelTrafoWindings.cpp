#include "QelTrafoWindings.h"

#include "PanelButton.h"
#include "Qel8624Protocol.h"
#include "QelGlobals.h"
#include "QelTapChangerDefs.h"
#include "QelWindingDefs.h"
#include "QelWindings.h"
#include "WinMsgList.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QHBoxLayout>

TQelTrafoWindingsFrame::TQelTrafoWindingsFrame(TQelGlobal& global, QWidget* parent)
    : QFrame(parent), FGlobal(global) {
    setObjectName(QStringLiteral("TrafoWindings"));
    HVSideDef = new TQelWindingDefFrame(global, this);
    LVSideDef = new TQelWindingDefFrame(global, this);
    TVSideDef = new TQelWindingDefFrame(global, this);
    HVSideDef->setObjectName(QStringLiteral("HVSideDef"));
    LVSideDef->setObjectName(QStringLiteral("LVSideDef"));
    TVSideDef->setObjectName(QStringLiteral("TVSideDef"));
    HVSideDef->SetCaption(QStringLiteral("HV Side"));
    LVSideDef->SetCaption(QStringLiteral("LV Side"));
    TVSideDef->SetCaption(QStringLiteral("TV Side"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    for (TQelWindingDefFrame* f : {HVSideDef, LVSideDef, TVSideDef}) {
        layout->addWidget(f, 1);
        f->SetTapChangerForm(TapChangerForm());
    }
    // LV and TV rebuild their selectors when the document comes back (message 1389).
    connect(HVSideDef, &TQelWindingDefFrame::ConfigurationClick, this,
            &TQelTrafoWindingsFrame::HVSideDefbnConfigurationClick);
    FGlobal.RegisterWindow(this);
}

TQelTrafoWindingsFrame::~TQelTrafoWindingsFrame() {
    FGlobal.UnregisterWindow(this);
}

TTapChangerForm* TQelTrafoWindingsFrame::TapChangerForm() {
    if (!FTapForm) {
        FTapForm = new TTapChangerForm(FGlobal, this);
        if (FImages)
            FTapForm->SetImages(*FImages);
    }
    return FTapForm;
}

void TQelTrafoWindingsFrame::SetImages(const TQelImage& images) {
    FImages = &images;
    for (TQelWindingDefFrame* f : {HVSideDef, LVSideDef, TVSideDef})
        f->SetImages(images);
    TapChangerForm()->SetImages(images);
}

bool TQelTrafoWindingsFrame::event(QEvent* e) {
    if (e->type() == QEvent::Type(UM_DOCCHANGED)) {
        Load();
        return true;
    }
    return QFrame::event(e);
}

void TQelTrafoWindingsFrame::Load() {
    HVSideDef->Bind(0);
    LVSideDef->Bind(1);
    TVSideDef->Bind(2);
    ApplyEnablingRules();
}

void TQelTrafoWindingsFrame::HVSideDefbnConfigurationClick() {
    QelWindings::ApplyHvConnectionRules(FGlobal.Doc().DUTTrafoData());
    // The pairs with HV changed: LV and TV keep the index of their phase displacement.
    LVSideDef->RebuildVectorGroupSelector(true);
    TVSideDef->RebuildVectorGroupSelector(true);
}

void TQelTrafoWindingsFrame::ApplyEnablingRules() {
    const auto windings = FGlobal.Doc().DUTTrafoData().Winding();
    const int hv = windings.Item(0).Configuration().Value();
    const bool tertiary = windings.Item(2).Avail() == 1;
    TVSideDef->setEnabled(tertiary);
    const bool whole = hv == Qel8624::conCT || hv == Qel8624::conNotSet;
    for (TQelWindingDefFrame* f : {LVSideDef, TVSideDef}) {
        f->bnConfiguration->setEnabled(!whole);
        f->bnVectorGrp->setEnabled(!whole && hv != Qel8624::con1P);
        if (hv == Qel8624::con1P)
            f->bnConfiguration->SetState(TQelWindingDefFrame::EntryOfCode(hv));
        if (whole || hv == Qel8624::con1P) {
            // Shown as Auto; what is stored is the rules' business, not the display's.
            const int autoEntry = int(f->VectorGroupValues().indexOf(Qel8624::ClockNotSet));
            if (autoEntry >= 0)
                f->bnVectorGrp->SetState(autoEntry);
        }
    }
}
