// Configuration file, command line and folders of the data module.
#include "QelGlobals.h"

#include "EntrySwitches.h"
#include "IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace {

// The keys of the section, in the order they are written; one table for reading and writing.
using TSettingRef = std::variant<QString*, int*, double*>;
std::vector<std::pair<const char*, TSettingRef>> SettingsTable(TQelGlobal& g) {
    return {{"DataPath", &g.DataPath},       {"TemplatesPath", &g.TemplatesPath},
            {"ComPort", &g.ComPort},         {"TemperatureUnit", &g.TemperatureUnit},
            {"StartupMode", &g.StartupMode}, {"TestStandard", &g.TestStandard},
            {"QelMeasTime", &g.QelMeasTime}, {"QelDetectTime", &g.QelDetectTime},
            {"DataStorage", &g.DataStorage}, {"UserInterface", &g.UserInterface},
            {"UserInput", &g.UserInput},     {"SimArbPhaseShift", &g.SimArbPhaseShift}};
}

} // namespace

void TQelGlobal::ReadConfig() {
    const TIniFile ini(ConfigFileName);
    // Every key falls back to the value in force; a value that does not read keeps it too.
    for (const auto& [name, ref] : SettingsTable(*this)) {
        const QString key = QString::fromLatin1(name);
        std::visit(
            [&](auto* value) {
                using T = std::remove_pointer_t<decltype(value)>;
                if constexpr (std::is_same_v<T, QString>)
                    *value = ini.ReadString(ConfigSection, key, *value);
                else if constexpr (std::is_same_v<T, int>)
                    *value = ini.ReadInteger(ConfigSection, key, *value);
                else
                    *value = ini.ReadFloat(ConfigSection, key, *value);
            },
            ref);
    }
    EnsureDefaultFolders();
}

void TQelGlobal::WriteConfig() {
    TIniFile ini(ConfigFileName);
    for (const auto& [name, ref] : SettingsTable(*this)) {
        const QString key = QString::fromLatin1(name);
        std::visit(
            [&](auto* value) {
                using T = std::remove_pointer_t<decltype(value)>;
                if constexpr (std::is_same_v<T, QString>)
                    ini.WriteString(ConfigSection, key, *value);
                else if constexpr (std::is_same_v<T, int>)
                    ini.WriteInteger(ConfigSection, key, *value);
                else
                    ini.WriteFloat(ConfigSection, key, *value);
            },
            ref);
    }
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
    // The text comes from the line: only what a section name may hold is kept, so that a "]",
    // a line break or a ";" can never start a new section or a comment in the configuration.
    QString section;
    for (const QChar c : typeText)
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
            (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
            c == QLatin1Char('_') || c == QLatin1Char('.') || c == QLatin1Char('+'))
            section += c;
    if (section.isEmpty())
        return;
    ConfigSection = section;
    ReadConfig();
}

void TQelGlobal::EnsureDefaultFolders() {
    QDir dir;
    if (!QFileInfo::exists(DataPath)) {
        dir.mkdir(DocumentsFolder + QStringLiteral("KOVA"));
        dir.mkdir(DocumentsFolder + QStringLiteral("KOVA/Data"));
    }
    if (!QFileInfo::exists(TemplatesPath))
        dir.mkdir(DocumentsFolder + QStringLiteral("KOVA/Templates"));
    if (!QFileInfo::exists(WorkingFolder))
        dir.mkdir(WorkingFolder);
}

void TQelGlobal::CreateDataFolders() {
    // Folders that cannot be created are not reported here; the file operations that need
    // them say so when they fail.
    for (const QString& path : {DataPath, TemplatesPath, WorkingFolder})
        if (!QFileInfo::exists(path))
            QDir().mkpath(path);
}

void TQelGlobal::ReadSiblingPrinterPort() {
    // The sibling instrument's file lies in a shared data folder ("programs" folder first,
    // then the user's own data folder); only its printer port is of interest.
    const QString relative = QStringLiteral("Orbenta/Lumo 7391/Lumo7391.cfg");
    QStringList candidates;
    const QStringList shared = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (auto it = shared.crbegin(); it != shared.crend(); ++it)
        candidates << WithSlash(*it) + relative;
    candidates << WithSlash(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) + relative;
    for (const QString& file : candidates) {
        if (!QFileInfo::exists(file))
            continue;
        const TIniFile ini(file);
        PrinterPort = ini.ReadInteger(QStringLiteral("Printer"), QStringLiteral("ComPort"), 0);
        return;
    }
}
