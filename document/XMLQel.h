#pragma once
#include "XMLCT.h"
#include "XMLGrid.h"
#include "XMLKvBase.h"

#include "TextEscapes.h"

// The test document of this application: nameplate data, windings and tap changers, the
// settings and results of the turns-ratio test and the analysis settings.

// Winding connection codes 0 D, 1 Y, 2 YN, 3 Z, 4 ZN, 5 1P, 6 CT, 7 "?"; any other "??".
QString ConfigurationText(int code);
// Terminal naming standards 0 "IEC / VDE", 1 "ANSI / IEEE", 2 "AUSTRALIAN"; any other "--".
QString StandardText(int code);

// Multi-line notes are stored on one line with the backslash escapes.
inline QString EscapeNotes(const QString& text) {
    return EscapeBackslashes(text);
}
inline QString UnescapeNotes(const QString& stored) {
    return UnescapeBackslashes(stored);
}

class TXMLNotesType : public TXMLTextValueType {
public:
    using TXMLTextValueType::TXMLTextValueType;
    // The notes as the operator typed them; Value() is the stored, escaped line.
    QString Text() const { return UnescapeNotes(Value()); }
    void SetText(const QString& text) const { SetValue(EscapeNotes(text)); }
};

// Seven user-defined auxiliary fields: titles in one element, texts in another, S0 ... S6.
class TXMLAuxListType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    static constexpr int Count = 7;
    QString S(int index) const;
    void SetS(int index, const QString& value) const;
};
using TXMLAuxTitleListType = TXMLAuxListType;
using TXMLAuxTextListType = TXMLAuxListType;

class TXMLDUTGeneralType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    QString Version() const { return TextAttr("Version"); }
    void SetVersion(const QString& v) const { SetTextAttr("Version", v); }
    TXMLTextValueType Class() const { return Child<TXMLTextValueType>("Class"); }
    TXMLTextValueType Type() const { return Child<TXMLTextValueType>("Type"); }
    TXMLTextValueType Description() const { return Child<TXMLTextValueType>("Description"); }
    TXMLTextValueType User() const { return Child<TXMLTextValueType>("User"); }
    TXMLTextValueType Manufacturer() const { return Child<TXMLTextValueType>("Manufacturer"); }
    TXMLTextValueType Location() const { return Child<TXMLTextValueType>("Location"); }
    TXMLTextValueType SerialNo() const { return Child<TXMLTextValueType>("SerialNo"); }
    TXMLTextValueType InventoryNo() const { return Child<TXMLTextValueType>("InventoryNo"); }
    TXMLTextValueType Built() const { return Child<TXMLTextValueType>("Built"); }
    TXMLTextValueType AuxiliaryTitle() const { return Child<TXMLTextValueType>("AuxiliaryTitle"); }
    TXMLTextValueType Operator() const { return Child<TXMLTextValueType>("Operator"); }
    TXMLTextValueType Supervisor() const { return Child<TXMLTextValueType>("Supervisor"); }
    TXMLTextValueType Job() const { return Child<TXMLTextValueType>("Job"); }
    TXMLNotesType Notes() const { return Child<TXMLNotesType>("Notes"); }
    TXMLAuxTitleListType AuxTitleList() const { return Child<TXMLAuxTitleListType>("AuxTitleList"); }
    TXMLAuxTextListType AuxTextList() const { return Child<TXMLAuxTextListType>("AuxTextList"); }
};

// Setting the code also rewrites its text from the code table.
class TXMLConfigurationType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    int Value() const { return IntAttr("Value"); }
    void SetValue(int code) const;
    QString ValueStr() const { return TextAttr("ValueStr"); }
    void SetValueStr(const QString& v) const { SetTextAttr("ValueStr", v); }
    QString Text() const { return ConfigurationText(Value()); }
};

// Setting the code leaves its text alone; Text() is the code table's.
class TXMLStandardType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    int Value() const { return IntAttr("Value"); }
    void SetValue(int code) const { SetIntAttr("Value", code); }
    QString ValueStr() const { return TextAttr("ValueStr"); }
    void SetValueStr(const QString& v) const { SetTextAttr("ValueStr", v); }
    QString Text() const { return StandardText(Value()); }
};

class TXMLTapChangerDataType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    QString Name() const { return TextAttr("Name"); }
    void SetName(const QString& v) const { SetTextAttr("Name", v); }
    TXMLIntValueType NrOfTaps() const { return Child<TXMLIntValueType>("NrOfTaps"); }
    TXMLIntValueType NominalTap() const { return Child<TXMLIntValueType>("NominalTap"); }
    TXMLIntValueType FirstTap() const { return Child<TXMLIntValueType>("FirstTap"); }
    TXMLGridType Grid() const { return Child<TXMLGridType>("Grid"); }
};

class TXMLWindingType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    QString Name() const { return TextAttr("Name"); }
    void SetName(const QString& v) const { SetTextAttr("Name", v); }
    int Avail() const { return IntAttr("Avail"); }
    void SetAvail(int v) const { SetIntAttr("Avail", v); }
    TXMLQuantityType NominalPower() const { return Child<TXMLQuantityType>("NominalPower"); }
    TXMLQuantityType NominalCurrent() const { return Child<TXMLQuantityType>("NominalCurrent"); }
    TXMLQuantityType NominalVoltage() const { return Child<TXMLQuantityType>("NominalVoltage"); }
    TXMLConfigurationType Configuration() const { return Child<TXMLConfigurationType>("Configuration"); }
    TXMLIntValueType VectorGroup() const { return Child<TXMLIntValueType>("VectorGroup"); }
    TXMLIntValueType TapChangerAvailable() const { return Child<TXMLIntValueType>("TapChangerAvailable"); }
    TXMLTapChangerDataType TapChangerData() const { return Child<TXMLTapChangerDataType>("TapChangerData"); }
    // Declared by the format; no page of this application uses it.
    TXMLGridType Grid() const { return Child<TXMLGridType>("Grid"); }

    // The values every new winding starts with.
    static void Initialise(const TXMLWindingType& winding);
};
using TXMLWindingTypeList = TXMLNodeList<TXMLWindingType>;

class TXMLDUTTrafoDataType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    QString Version() const { return TextAttr("Version"); }
    void SetVersion(const QString& v) const { SetTextAttr("Version", v); }
    TXMLTextValueType TrafoConfiguration() const { return Child<TXMLTextValueType>("TrafoConfiguration"); }
    // Winding 0 HV, 1 LV, 2 TV; a winding added or inserted here is initialised.
    TXMLWindingTypeList Winding() const {
        return TXMLWindingTypeList(FNode, "Winding", FDom, &TXMLWindingType::Initialise);
    }
};

class TXMLConditionType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    TXMLTextValueType AmbientTemp() const { return Child<TXMLTextValueType>("AmbientTemp"); }
    TXMLTextValueType RelHumidity() const { return Child<TXMLTextValueType>("RelHumidity"); }
    TXMLTextValueType Pressure() const { return Child<TXMLTextValueType>("Pressure"); }
};

class TXMLSetupType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    TXMLTextValueType ActTestVoltage() const { return Child<TXMLTextValueType>("ActTestVoltage"); }
    // Winding indices on the H and X terminals; an empty value reads as 0.
    TXMLIntValueType ActMeasWindingH() const { return Child<TXMLIntValueType>("ActMeasWindingH"); }
    TXMLIntValueType ActMeasWindingX() const { return Child<TXMLIntValueType>("ActMeasWindingX"); }
    TXMLIntValueType ActMeasHVTapIdx() const { return Child<TXMLIntValueType>("ActMeasHVTapIdx"); }
    TXMLIntValueType ActMeasLVTapIdx() const { return Child<TXMLIntValueType>("ActMeasLVTapIdx"); }
    TXMLIntValueType ActMeasTVTapIdx() const { return Child<TXMLIntValueType>("ActMeasTVTapIdx"); }
    TXMLTextValueType ActWindMeasPhaseA() const { return Child<TXMLTextValueType>("ActWindMeasPhaseA"); }
    TXMLTextValueType ActWindMeasPhaseB() const { return Child<TXMLTextValueType>("ActWindMeasPhaseB"); }
    TXMLTextValueType ActWindMeasPhaseC() const { return Child<TXMLTextValueType>("ActWindMeasPhaseC"); }
    TXMLTextValueType TimeFormat() const { return Child<TXMLTextValueType>("TimeFormat"); }
    TXMLTextValueType DateFormat() const { return Child<TXMLTextValueType>("DateFormat"); }
    TXMLStandardType Standard() const { return Child<TXMLStandardType>("Standard"); }
    TXMLConditionType Condition() const { return Child<TXMLConditionType>("Condition"); }
};

class TXMLMeasurementType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    TXMLGridType Grid() const { return Child<TXMLGridType>("Grid"); }
};

class TXMLJPEGFilesType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    QString Value() const { return TextAttr("Value"); }
    void SetValue(const QString& v) const { SetTextAttr("Value", v); }
    QString Title() const { return TextAttr("Title"); }
    void SetTitle(const QString& v) const { SetTextAttr("Title", v); }
};
using TXMLJPEGFilesTypeList = TXMLNodeList<TXMLJPEGFilesType>;

class TXMLAnalysisType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    TXMLIntValueType GraphSelection() const { return Child<TXMLIntValueType>("GraphSelection"); }
    TXMLIntValueType XSelection() const { return Child<TXMLIntValueType>("XSelection"); }
    TXMLIntValueType YSelection() const { return Child<TXMLIntValueType>("YSelection"); }
    TXMLQuantityType MaxRelRatioErrorGreen() const {
        return Child<TXMLQuantityType>("MaxRelRatioErrorGreen");
    }
    TXMLQuantityType MaxRelRatioErrorYellow() const {
        return Child<TXMLQuantityType>("MaxRelRatioErrorYellow");
    }
    TXMLQuantityType MaxRelPhaseErrorGreen() const {
        return Child<TXMLQuantityType>("MaxRelPhaseErrorGreen");
    }
    TXMLQuantityType MaxRelPhaseErrorYellow() const {
        return Child<TXMLQuantityType>("MaxRelPhaseErrorYellow");
    }
    TXMLGridType Grid() const { return Child<TXMLGridType>("Grid"); }
    TXMLJPEGFilesTypeList JPEGFiles() const { return TXMLJPEGFilesTypeList(FNode, "JPEGFiles", FDom); }
    TXMLTextValueType JPEGName() const { return Child<TXMLTextValueType>("JPEGName"); }
    TXMLIntValueType JPEGCount() const { return Child<TXMLIntValueType>("JPEGCount"); }
};

class TXMLQELType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    QString Version() const { return TextAttr("Version"); }
    void SetVersion(const QString& v) const { SetTextAttr("Version", v); }
    TXMLSetupType Setup() const { return Child<TXMLSetupType>("Setup"); }
    TXMLMeasurementType Measurement() const { return Child<TXMLMeasurementType>("Measurement"); }
    TXMLAnalysisType Analysis() const { return Child<TXMLAnalysisType>("Analysis"); }
};

class TXMLKovaDocType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    QString Name() const { return TextAttr("Name"); }
    void SetName(const QString& v) const { SetTextAttr("Name", v); }
    QString FileName() const { return TextAttr("FileName"); }
    void SetFileName(const QString& v) const { SetTextAttr("FileName", v); }
    QString Version() const { return TextAttr("Version"); }
    void SetVersion(const QString& v) const { SetTextAttr("Version", v); }
    TXMLDUTGeneralType DUTGeneral() const { return Child<TXMLDUTGeneralType>("DUTGeneral"); }
    TXMLDUTTrafoDataType DUTTrafoData() const { return Child<TXMLDUTTrafoDataType>("DUTTrafoData"); }
    TXMLQELType QEL() const { return Child<TXMLQELType>("QEL"); }
    // The sibling instrument's data: kept as it is, never read or written by this application.
    TXMLCTType CT() const { return Child<TXMLCTType>("CT"); }
};

// Completes a new document, one started from a template and an opened one without
// transformer data: three windings when there are none, the test settings, and always an
// empty measurement table (which discards measured rows).
void ApplyDocumentDefaults(const TXMLKovaDocType& doc);

// True when the measurement table holds a row with any text in it: a test that was measured.
bool HasMeasurementRows(const TXMLKovaDocType& doc);
