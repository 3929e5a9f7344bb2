#pragma once
#include "XMLGrid.h"
#include "XMLKvBase.h"

// The sibling instrument's subtree of the document family. This application gives it no
// meaning; the bindings exist so that the multi-file analysis can read its measurement table
// and so that the older layout can be converted on load.

// Where a table has both its older name "TGrid" and "Grid", the older one is looked up first.
class TXMLCTTableOwner : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    TXMLGridType Grid() const {
        const pugi::xml_node old = FNode.child("TGrid");
        return old ? TXMLGridType(old, FDom) : Child<TXMLGridType>("Grid");
    }
};

class TXMLCTSetupType : public TXMLCTTableOwner {
public:
    using TXMLCTTableOwner::TXMLCTTableOwner;
    TXMLNumberValueType MaxACVoltage() const { return Child<TXMLNumberValueType>("MaxACVoltage"); }
    // MeasDisplay1 ... MeasDisplay8.
    TXMLIntValueType MeasDisplay(int index) const;
    TXMLTextValueType SWVersion() const { return Child<TXMLTextValueType>("SWVersion"); }
    TXMLIntValueType CheckMandatories() const { return Child<TXMLIntValueType>("CheckMandatories"); }
    TXMLTextValueType JPEGName() const { return Child<TXMLTextValueType>("JPEGName"); }
    TXMLIntValueType JPEGCount() const { return Child<TXMLIntValueType>("JPEGCount"); }
    TXMLTextValueType SerialNr() const { return Child<TXMLTextValueType>("SerialNr"); }
    TXMLTextValueType CalibrationDate() const { return Child<TXMLTextValueType>("CalibrationDate"); }
    // The remaining text and integer leaves by name ("StandardCapacitor", "HideAnalysis", ...).
    TXMLTextValueType TextLeaf(const char* name) const { return Child<TXMLTextValueType>(name); }
    TXMLIntValueType IntLeaf(const char* name) const { return Child<TXMLIntValueType>(name); }
};

class TXMLSequenceType : public TXMLCTTableOwner {
public:
    using TXMLCTTableOwner::TXMLCTTableOwner;
    TXMLIntValueType XSelection() const { return Child<TXMLIntValueType>("XSelection"); }
    TXMLIntValueType YSelection() const { return Child<TXMLIntValueType>("YSelection"); }
    TXMLTextValueType FieldSelection() const { return Child<TXMLTextValueType>("FieldSelection"); }
};

class TXMLMeasDataType : public TXMLCTTableOwner {
public:
    using TXMLCTTableOwner::TXMLCTTableOwner;
};

class TXMLCTType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    QString Name() const { return TextAttr("Name"); }
    void SetName(const QString& v) const { SetTextAttr("Name", v); }
    QString Version() const { return TextAttr("Version"); }
    void SetVersion(const QString& v) const { SetTextAttr("Version", v); }
    TXMLCTSetupType Setup() const { return Child<TXMLCTSetupType>("Setup"); }
    TXMLSequenceType Sequence() const { return Child<TXMLSequenceType>("Sequence"); }
    TXMLMeasDataType MeasData() const { return Child<TXMLMeasDataType>("MeasData"); }
};

// A document whose element has a "TLumo7391Doc" child is in the sibling's older layout:
// builds the current layout from it into converted (a new document with root KovaDoc) and
// returns true. False when there is nothing to convert or the conversion failed.
bool ConvertOlderSiblingLayout(const pugi::xml_document& loaded, pugi::xml_document& converted);
