// Configuration files are edited by hand and shared with other programs: any content must
// parse, and a rewrite of one key must leave every other line as it was.
#include <cstddef>
#include <cstdint>

#include "IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TIniFile ini(QStringLiteral("/nonexistent/fuzz.cfg"));
    ini.SetText(text);
    for (const QString& section : ini.Sections())
        for (const QString& key : ini.Keys(section)) {
            ini.ReadString(section, key, QString());
            ini.ReadInteger(section, key, 0);
            ini.ReadFloat(section, key, 0);
        }
    const int before = static_cast<int>(ini.Text().count('\n'));
    ini.WriteString(QStringLiteral("Qel8625"), QStringLiteral("ComPort"), QStringLiteral("COM2"));
    if (ini.ReadString(QStringLiteral("qel8625"), QStringLiteral("comport"), QString()) !=
        QLatin1String("COM2"))
        __builtin_trap();
    // One key changes at most three lines: the key, a new section header and a blank line.
    if (ini.Text().count('\n') > before + 3)
        __builtin_trap();
    return 0;
}
