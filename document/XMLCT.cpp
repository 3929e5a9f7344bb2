#include "XMLCT.h"

#include <QByteArray>

TXMLIntValueType TXMLCTSetupType::MeasDisplay(int index) const {
    return Child<TXMLIntValueType>(QByteArray("MeasDisplay" + QByteArray::number(index)).constData());
}

namespace {

// The children of source, deep-copied in order, under a fresh target element of that name
// (an existing one is replaced). The source's own attributes are not carried over.
bool Become(pugi::xml_node source, pugi::xml_node parent, const char* targetName,
            pugi::xml_node* made = nullptr) {
    if (!source)
        return true;
    while (pugi::xml_node old = parent.child(targetName))
        parent.remove_child(old);
    pugi::xml_node target = parent.append_child(targetName);
    if (!target)
        return false;
    for (pugi::xml_node c = source.first_child(); c; c = c.next_sibling())
        if (!target.append_copy(c))
            return false;
    if (made)
        *made = target;
    return true;
}

bool BecomeWithTable(pugi::xml_node source, pugi::xml_node ct, const char* targetName) {
    pugi::xml_node made;
    if (!Become(source, ct, targetName, &made))
        return false;
    // The older table element stays beside its copy under the current name.
    return !made || Become(made.child("TGrid"), made, "Grid");
}

} // namespace

bool ConvertOlderSiblingLayout(const pugi::xml_document& loaded, pugi::xml_document& converted) {
    const pugi::xml_node old = loaded.document_element().child("TLumo7391Doc");
    if (!old)
        return false;
    converted.reset();
    pugi::xml_node root = converted.append_child("KovaDoc");
    if (!root || !root.append_attribute("Version").set_value("1.1"))
        return false;
    if (!Become(old.child("TCTEUTDoc"), root, "DUTGeneral"))
        return false;
    pugi::xml_node ct = root.append_child("CT");
    if (!ct)
        return false;
    // Older files spell the measurement element either way.
    pugi::xml_node meas = old.child("TCTMeasdata");
    if (!meas)
        meas = old.child("TCTMeasData");
    return BecomeWithTable(old.child("CTSetup"), ct, "Setup") &&
           BecomeWithTable(old.child("TCTSequence"), ct, "Sequence") && BecomeWithTable(meas, ct, "MeasData");
}
