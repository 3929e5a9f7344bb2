// Configuration file, command line and folders of the data module.
#include "QelGlobals.h"

#include "EntrySwitches.h"
#include "IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

void TQelGlobal::ReadConfig() {
    const TIniFile ini(ConfigFileName);
    const QString& s = ConfigSection;
    DataPath = ini.ReadString(s, QStringLiteral("DataPath"), DataPath);
    TemplatesPath = ini.ReadString(s, QStringLiteral("TemplatesPath"), TemplatesPath);
    ComPort = ini.ReadString(s, QStringLiteral("ComPort"), ComPort);
    StartupMode = ini.ReadInteger(s, QStringLiteral("StartupMode"), StartupMode);
    TemperatureUnit = ini.ReadInteger(s, QStringLiteral("TemperatureUnit"), TemperatureUnit);
    TestStandard = ini.ReadInteger(s, QStringLiteral("TestStandard"), TestStandard);
    QelMeasTime = ini.ReadFloat(s, QStringLiteral("QelMeasTime"), QelMeasTime);
    QelDetectTime = ini.ReadFloat(s, QStringLiteral("QelDetectTime"), QelDetectTime);
    DataStorage = ini.ReadInteger(s, QStringLiteral("DataStorage"), DataStorage);
    UserInterface = ini.ReadInteger(s, QStringLiteral("UserInterface"), UserInterface);
    UserInput = ini.ReadInteger(s, QStringLiteral("UserInput"), UserInput);
    SimArbPhaseShift = ini.ReadFloat(s, QStringLiteral("SimArbPhaseShift"), SimArbPhaseShift);
    EnsureDefaultFolders();
}

void TQelGlobal::WriteConfig() {
    TIniFile ini(ConfigFileName);
    const QString& s = ConfigSection;
    ini.WriteString(s, QStringLiteral("DataPath"), DataPath);
    ini.WriteString(s, QStringLiteral("TemplatesPath"), TemplatesPath);
    ini.WriteString(s, QStringLiteral("ComPort"), ComPort);
    ini.WriteInteger(s, QStringLiteral("TemperatureUnit"), TemperatureUnit);
    ini.WriteInteger(s, QStringLiteral("StartupMode"), StartupMode);
    ini.WriteInteger(s, QStringLiteral("TestStandard"), TestStandard);
    ini.WriteFloat(s, QStringLiteral("QelMeasTime"), QelMeasTime);
    ini.WriteFloat(s, QStringLiteral("QelDetectTime"), QelDetectTime);
    ini.WriteInteger(s, QStringLiteral("DataStorage"), DataStorage);
    ini.WriteInteger(s, QStringLiteral("UserInterface"), UserInterface);
    ini.WriteInteger(s, QStringLiteral("UserInput"), UserInput);
    ini.WriteFloat(s, QStringLiteral("SimArbPhaseShift"), SimArbPhaseShift);
    // A configuration that cannot be written is not reported: the run goes on with the
    // settings in memory, and the next write tries again.
    ini.UpdateFile();
}

void TQelGlobal::ApplySettings() {
    TEntrySwitches::TouchEntry = TEntrySwitches::TouchEntryWide = UserInterface == 1;
    TEntrySwitches::InputLists = TEntrySwitches::InputListsWide = UserInput == 1;
    WriteConfig();
    SendToAll(UM_SETTINGSCHANGED, 0, 0);
}

void TQelGlobal::ParseCommandLine(const QStringList& arguments) {
    for (const QString& arg : arguments) {
        const QString a = arg.toUpper();
        if (a == QLatin1String("/DBG")) {
            DebugMode = true;
        } else if (a == QLatin1String("/SIM")) {
            SimulationMode = true;
        } else if (a == QLatin1String("/250")) {
            FVariant250 = true;
        } else if (a == QLatin1String("/NOTOUCH")) {
            UserInterface = 0;
            TEntrySwitches::TouchEntry = TEntrySwitches::TouchEntryWide = false;
        }
    }
}

void TQelGlobal::ApplyInstrumentType(const QString& typeText) {
    if (typeText.trimmed().isEmpty()) return;
    QString section = typeText;
    section.remove(' ');
    ConfigSection = section;
    ReadConfig();
}

void TQelGlobal::EnsureDefaultFolders() {
    QDir dir;
    if (!QFileInfo::exists(DataPath)) {
        dir.mkdir(DocumentsFolder + QStringLiteral("KOVA"));
        dir.mkdir(DocumentsFolder + QStringLiteral("KOVA/Data"));
    }
    if (!QFileInfo::exists(TemplatesPath)) dir.mkdir(DocumentsFolder + QStringLiteral("KOVA/Templates"));
    if (!QFileInfo::exists(WorkingFolder)) dir.mkdir(WorkingFolder);
}

void TQelGlobal::CreateDataFolders() {
    // Folders that cannot be created are not reported here; the file operations that need
    // them say so when they fail.
    for (const QString& path : {DataPath, TemplatesPath, WorkingFolder})
        if (!QFileInfo::exists(path)) QDir().mkpath(path);
}

void TQelGlobal::ReadSiblingPrinterPort() {
    // The sibling instrument's file lies in a shared data folder ("programs" folder first,
    // then the user's own data folder); only its printer port is of interest.
    const QString relative = QStringLiteral("Orbenta/Lumo 7391/Lumo7391.cfg");
    QStringList candidates;
    const QStringList shared = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (auto it = shared.crbegin(); it != shared.crend(); ++it) candidates << WithSlash(*it) + relative;
    candidates << WithSlash(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) + relative;
    for (const QString& file : candidates) {
        if (!QFileInfo::exists(file)) continue;
        const TIniFile ini(file);
        PrinterPort = ini.ReadInteger(QStringLiteral("Printer"), QStringLiteral("ComPort"), 0);
        return;
    }
}
