#include "XMLQel.h"

#include <QByteArray>

QString ConfigurationText(int code) {
    static const char* const texts[] = {"D", "Y", "YN", "Z", "ZN", "1P", "CT", "?"};
    return code >= 0 && code < 8 ? QString::fromLatin1(texts[code]) : QStringLiteral("??");
}

QString StandardText(int code) {
    static const char* const texts[] = {"IEC / VDE", "ANSI / IEEE", "AUSTRALIAN"};
    return code >= 0 && code < 3 ? QString::fromLatin1(texts[code]) : QStringLiteral("--");
}

QString TXMLAuxListType::S(int index) const {
    return TextAttr(QByteArray("S" + QByteArray::number(index)).constData());
}

void TXMLAuxListType::SetS(int index, const QString& value) const {
    SetTextAttr(QByteArray("S" + QByteArray::number(index)).constData(), value);
}

void TXMLConfigurationType::SetValue(int code) const {
    SetIntAttr("Value", code);
    SetValueStr(ConfigurationText(code));
}

void TXMLWindingType::Initialise(const TXMLWindingType& w) {
    w.SetAvail(0);
    w.NominalPower().SetValue(QStringLiteral("0 VA"));
    w.NominalCurrent().SetValue(QStringLiteral(" 0 A"));
    w.NominalVoltage().SetValue(QStringLiteral(" 0 V"));
    // The code without its text: the setup page writes both once the operator chose.
    w.Configuration().SetIntAttr("Value", 0);
    w.Configuration().SetValueStr(QString());
    w.VectorGroup().SetValue(0);
    w.TapChangerAvailable().SetValue(0);
    const TXMLTapChangerDataType tc = w.TapChangerData();
    tc.NrOfTaps().SetValue(1);
    tc.NominalTap().SetValue(1);
    tc.FirstTap().SetValue(1);
}

void ApplyDocumentDefaults(const TXMLKovaDocType& doc) {
    const TXMLWindingTypeList windings = doc.DUTTrafoData().Winding();
    if (windings.Count() == 0) {
        for (int i = 0; i < 3; ++i)
            windings.Add();
        const TXMLWindingType hv = windings.Item(0), lv = windings.Item(1), tv = windings.Item(2);
        hv.SetAvail(1);
        lv.SetAvail(1);
        hv.NominalVoltage().SetValue(QStringLiteral("0 kV"));
        hv.NominalPower().SetValue(QStringLiteral(" 0 kVA"));
        lv.NominalVoltage().SetValue(QStringLiteral("10 kV"));
        lv.NominalPower().SetValue(QStringLiteral("0 kVA"));
        hv.TapChangerAvailable().SetValue(0);
        lv.TapChangerAvailable().SetValue(0);
        tv.SetAvail(0);

        const TXMLSetupType setup = doc.QEL().Setup();
        setup.Standard().SetValue(0);
        setup.ActTestVoltage().SetValue(QStringLiteral("Auto"));
        setup.ActMeasWindingH().SetValue(0);
        setup.ActMeasWindingX().SetValue(1);
        setup.ActMeasHVTapIdx().SetValue(1);
        setup.ActMeasLVTapIdx().SetValue(1);
        setup.ActMeasTVTapIdx().SetValue(1);
        setup.Condition().AmbientTemp().SetValue(QStringLiteral("20"));
        setup.Condition().RelHumidity().SetValue(QStringLiteral("50"));
        setup.Condition().Pressure().SetValue(QStringLiteral("1024 hPA"));
        doc.QEL().Analysis().GraphSelection().SetValue(1);
    }
    doc.QEL().Measurement().Grid().Initialise();
}

bool HasMeasurementRows(const TXMLKovaDocType& doc) {
    for (const TXMLRType& row : doc.QEL().Measurement().Grid().R().Items())
        for (int col = 0; col < row.Count(); ++col)
            if (!row.Cell(col).trimmed().isEmpty())
                return true;
    return false;
}
