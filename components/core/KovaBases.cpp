#include "KovaBases.h"

#include "SIPrefixes.h"

namespace {

const char* const kPrefixKeys[] = {"SSIUnitFemto", "SSIUnitPico", "SSIUnitNano", "SSIUnitMikro",
                                   "SSIUnitMilli", "SSIUnitSI",   "SSIUnitKilo", "SSIUnitMega",
                                   "SSIUnitGiga",  "SSIUnitTera", "SSIUnitPeta"};

// Units of TSIConversion in list order; SSIKelvin and SSIVoltPerSeconds exist as texts only.
const char* const kUnitKeys[] = {
    "SSIVolt",      "SSIAmpere",    "SSIVA",         "SSIVAR",          "SSIWatt",    "SSIHz",
    "SSISeconds",   "SSIFarad",     "SSIHenry",      "SSIRelHumidity",  "SSICRad",    "SSICelsius",
    "SSIFarenheit", "SSIImpedance", "SSIAdmittance", "SSIOhm",          "SSIMeter",   "SSITesla",
    "SSIKiloGramm", "SSITons",      "SSIMinutes",    "SSIPCPerSeconds", "SSIPressure"};

QList<QPair<QString, QString>> BuiltInConsts() {
    const QList<QPair<const char*, QString>> raw = {
        {"SSorryNoHlpAvail", QStringLiteral("Sorry no Help available")},
        {"SAddToList", QStringLiteral("Do you want to add \"%s\" to the list?")},
        {"SDeleteElement", QStringLiteral("Do you want to delete \"%s\"?")},
        {"SDeleteListAll", QStringLiteral("Do you want to delete the whole list")},
        {"SErrOnlyListValues",
         QStringLiteral("Sorry only Entries from List are valid.\r\nPlease DoubleClick to get the entries")},
        {"SNumValBetween", QStringLiteral("Please enter value between %s and %s")},
        {"SNumValLblBtw", QStringLiteral("%s:\r\nPlease enter value between %s and %s")},
        {"SNumValErr", QStringLiteral("Value has to be between %s and %s")},
        {"SNumHint", QStringLiteral("'%s' between %s and %s")},
        {"SErrWritingFile", QStringLiteral("Error writing file :\r\n\t%s")},
        {"SLoadStringGrid", QStringLiteral("Load String Grid")},
        {"SSaveStringGrid", QStringLiteral("Save String Grid")},
        {"SAddInfo", QStringLiteral("\r\n\r\nPlease use right button\r\nto set the behaviour of this field")},
        {"SFileName", QStringLiteral("File Name")},
        {"SSIUnitFemto", QStringLiteral("f")},
        {"SSIUnitPico", QStringLiteral("p")},
        {"SSIUnitNano", QStringLiteral("n")},
        {"SSIUnitMikro", QStringLiteral("µ")},
        {"SSIUnitMilli", QStringLiteral("m")},
        {"SSIUnitSI", QStringLiteral(" ")},
        {"SSIUnitKilo", QStringLiteral("k")},
        {"SSIUnitMega", QStringLiteral("M")},
        {"SSIUnitGiga", QStringLiteral("G")},
        {"SSIUnitTera", QStringLiteral("T")},
        {"SSIUnitPeta", QStringLiteral("P")},
        {"SSIVolt", QStringLiteral("V")},
        {"SSIAmpere", QStringLiteral("A")},
        {"SSIVA", QStringLiteral("VA")},
        {"SSIVAR", QStringLiteral("VAR")},
        {"SSIWatt", QStringLiteral("W")},
        {"SSIHz", QStringLiteral("Hz")},
        {"SSISeconds", QStringLiteral("s")},
        {"SSIFarad", QStringLiteral("F")},
        {"SSIHenry", QStringLiteral("H")},
        {"SSIRelHumidity", QStringLiteral("% r.h.")},
        {"SSICRad", QStringLiteral("CRad")},
        {"SSICelsius", QStringLiteral("°C")},
        {"SSIFarenheit", QStringLiteral("°F")},
        {"SSIKelvin", QStringLiteral("K")},
        {"SSIImpedance", QStringLiteral("V/A")},
        {"SSIAdmittance", QStringLiteral("A/V")},
        {"SSIOhm", QStringLiteral("Ω")},
        {"SSIMeter", QStringLiteral("m")},
        {"SSITesla", QStringLiteral("T")},
        {"SSIKiloGramm", QStringLiteral("kg")},
        {"SSITons", QStringLiteral("t")},
        {"SSIMinutes", QStringLiteral("min")},
        {"SSIPCPerSeconds", QStringLiteral("%/s")},
        {"SSIVoltPerSeconds", QStringLiteral("V/s")},
        {"SSIPressure", QStringLiteral("hPa")},
        {"SFirstRecord", QStringLiteral("First Row")},
        {"SPriorRecord", QStringLiteral("Prior Row")},
        {"SNextRecord", QStringLiteral("Next Row")},
        {"SLastRecord", QStringLiteral("Last Row")},
        {"SInsertRecord", QStringLiteral("Insert Row")},
        {"SDeleteRecord", QStringLiteral("Delete Row")},
        {"SLoadCSV", QStringLiteral("Load CSV")},
        {"SSaveCSV", QStringLiteral("Save CSV")},
        {"SCopyRow", QStringLiteral("Copy Row")},
        {"SPasteRow", QStringLiteral("Paste Row")},
        {"SAddCol", QStringLiteral("Add Column")},
        {"SDelCol", QStringLiteral("Delete Column")},
        {"SIncFixedCol", QStringLiteral("Inc Fixed Column")},
        {"SDecFixedCol", QStringLiteral("Dec Fixed Column")},
        {"SIncFixedRow", QStringLiteral("Inc Fixed Row")},
        {"SDecFixedRow", QStringLiteral("Dec Fixed Row")},
        {"SRefreshRecord", QStringLiteral("Refresh data")},
        {"SDeleteRecordQuestion", QStringLiteral("Delete Row?")},
        {"SDeleteMultipleRecordsQuestion", QStringLiteral("Delete all selected records?")},
        {"SDataSourceFixed", QStringLiteral("Operation not allowed in a DBCtrlGrid")},
        {"SNotReplicatable", QStringLiteral("Control cannot be used in a DBCtrlGrid")},
        {"SPropDefByLookup", QStringLiteral("Property already defined by lookup field")},
        {"STooManyColumns", QStringLiteral("Grid requested to display more than 256 columns")},
        {"SDeleteColumnQuestion", QStringLiteral("Delete last Column?")},
        {"SColumnName", QStringLiteral("Please Enter Column Name")},
        {"SColumn", QStringLiteral("Column")},
        {"SAdjustWidth", QStringLiteral("Adjust Width")},
        {"SDefineColumns", QStringLiteral("Define Columns")},
    };
    QList<QPair<QString, QString>> out;
    out.reserve(raw.size());
    for (const auto& [key, text] : raw)
        out.append({QString::fromLatin1(key), text});
    return out;
}

QString Lookup(const QList<QPair<QString, QString>>& consts, const QString& key) {
    for (const auto& [k, text] : consts)
        if (k == key)
            return text;
    return QString();
}

} // namespace

TSIConversion::TSIConversion() {
    const auto consts = BuiltInConsts();
    for (const char* key : kUnitKeys)
        for (const auto& [k, text] : consts)
            if (k == QLatin1String(key))
                FUnits << text;
}

QString TSIConversion::SIUnit(int unitIndex) const {
    return unitIndex >= 0 && unitIndex < FUnits.size() ? FUnits[unitIndex] : QString();
}

QString TSIConversion::SIToStr(int unitIndex, int decimals, double value) const {
    return FormatSI(value, 0, decimals, true) + SIUnit(unitIndex);
}

double TSIConversion::StrToSI(const QString& text, int /*unitIndex*/, double def) const {
    double v = 0;
    return ReadSI(text, v) ? v : def;
}

TKovaBase::TKovaBase(QObject* parent) : QObject(parent), FConsts(BuiltInConsts()) {
    Rebuild(false);
}

QString TKovaBase::Text(const QString& key) const {
    return Lookup(FConsts, key);
}

QString TKovaBase::DefaultText(const QString& key) {
    static const QList<QPair<QString, QString>> consts = BuiltInConsts();
    return Lookup(consts, key);
}

void TKovaBase::ApplyTexts(const QList<QPair<QString, QString>>& texts, bool building) {
    for (const auto& [key, text] : texts)
        for (auto& entry : FConsts)
            if (entry.first == key && !text.isEmpty())
                entry.second = text;
    Rebuild(building);
    Q_EMIT TextsChanged();
}

void TKovaBase::Rebuild(bool building) {
    if (!building) {
        QStringList letters;
        for (const char* key : kPrefixKeys)
            letters << Text(QString::fromLatin1(key));
        SetPrefixLetters(letters);
    }
    QStringList units;
    for (const char* key : kUnitKeys)
        units << Text(QString::fromLatin1(key));
    FConversion.Rebuild(units);
}
