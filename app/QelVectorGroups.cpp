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
