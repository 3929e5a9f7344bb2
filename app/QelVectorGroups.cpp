// The vector group table of the data module: loaded once, looked up without the user interface.
#include "QelGlobals.h"

#include "OperatorIFace.h"
#include "ProgramFiles.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

bool TQelGlobal::LoadVectorGroupTable() {
    const QString fileName = AppFolder + QStringLiteral("VectorGroupTable.csv");
    TraceShippedFile("vector group table", fileName);
    const TVectorGroupTable::TLoad result = FVectorGroups.Load(fileName);
    if (result == TVectorGroupTable::TLoad::Loaded)
        return true;
    if (FOperator) {
        const QString text = result == TVectorGroupTable::TLoad::Missing
                                 ? QStringLiteral("Cannot open input file.") + fileName
                                 : QStringLiteral("File \"%1\" not found").arg(fileName);
        FOperator->Message(TOperatorIFace::TKind::Error, QStringLiteral("System"), text,
                           TOperatorIFace::TButtons::OkCancel);
    }
    return false;
}

TVectorGroupMatch TQelGlobal::VectorGroupLookup(int phase, int hvCode, int lvCode, int clock) const {
    if (hvCode < 0 || hvCode > 7 || lvCode < 0 || lvCode > 7)
        return {};
    return VectorGroupLookupByNames(ConfigurationText(hvCode), ConfigurationText(lvCode), clock, phase);
}

TVectorGroupMatch TQelGlobal::VectorGroupLookupByNames(const QString& hvName, const QString& lvName,
                                                       int clock, int phase) const {
    // Read without the typed interface, which would add a missing element to the document.
    const pugi::xml_attribute standard =
        FDoc->Dom().document_element().child("QEL").child("Setup").child("Standard").attribute("Value");
    return FVectorGroups.Lookup(hvName, lvName, clock, phase, standard.as_int(0));
}

Qel8624::TVectorGroup TQelGlobal::PairVectorGroup() const {
    const TXMLSetupType setup = FDoc->QEL().Setup();
    const int h = setup.ActMeasWindingH().Value();
    const int x = setup.ActMeasWindingX().Value();
    const auto windings = FDoc->DUTTrafoData().Winding();
    Qel8624::TVectorGroup vg;
    if (h < 0 || h >= windings.Count() || x < 0 || x >= windings.Count())
        return vg;
    vg.Hv = windings.Item(h).Configuration().Value();
    vg.Lv = windings.Item(x).Configuration().Value();
    vg.Clock = ClockToSend(h, x);
    if (vg.Lv == Qel8624::conNotSet)
        vg.Hv = Qel8624::conNotSet;
    return vg;
}

std::array<QString, 3> TQelGlobal::MeasuredTerminals(const Qel8624::TVectorGroup& vg) const {
    std::array<QString, 3> texts;
    for (int p = 0; p < 3; ++p)
        texts[size_t(p)] = VectorGroupLookup(p, vg.Hv, vg.Lv, vg.Clock).Connection;
    return texts;
}

std::array<QString, 3> TQelGlobal::WriteMeasuredTerminals(const Qel8624::TVectorGroup& vg) {
    const std::array<QString, 3> texts = MeasuredTerminals(vg);
    const TXMLSetupType setup = FDoc->QEL().Setup();
    setup.ActWindMeasPhaseA().SetValue(texts[0]);
    setup.ActWindMeasPhaseB().SetValue(texts[1]);
    setup.ActWindMeasPhaseC().SetValue(texts[2]);
    return texts;
}
