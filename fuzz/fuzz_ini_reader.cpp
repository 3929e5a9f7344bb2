// Configuration files are edited by hand and shared with other programs: any content must
// parse, read back as the same bytes, and a rewrite of one key must leave every other line as it was.
#include <cstddef>
#include <cstdint>

#include "IniFile.h"

namespace {

// Lines as the file reads them: each ends with CR LF, LF or a lone CR, the last one may end with none.
int Lines(const QByteArray& text) {
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++n;
    return n + (!text.isEmpty() && !text.endsWith('\n') && !text.endsWith('\r') ? 1 : 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray raw(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TIniFile ini(QStringLiteral("/nonexistent/fuzz.cfg"));
    ini.SetBytes(raw);
    // Read and written back unchanged, the file is the same bytes.
    if (ini.Bytes() != raw)
        __builtin_trap();
    const bool existed = ini.SectionExists(QStringLiteral("Qel8625"));
    for (const QString& section : ini.Sections())
        for (const QString& key : ini.Keys(section)) {
            ini.ReadString(section, key, QString());
            ini.ReadInteger(section, key, 0);
            ini.ReadFloat(section, key, 0);
        }
    // Lines of the text: a UTF-16 file's bytes hold line-feed bytes inside other characters.
    const int before = Lines(ini.Text().toUtf8());
    ini.WriteString(QStringLiteral("Qel8625"), QStringLiteral("ComPort"), QStringLiteral("COM2"));
    if (ini.ReadString(QStringLiteral("qel8625"), QStringLiteral("comport"), QString()) !=
        QLatin1String("COM2"))
        __builtin_trap();
    // One key changes at most three lines: the key, a new section header and a blank line.
    if (Lines(ini.Text().toUtf8()) > before + 3)
        __builtin_trap();
    // A new section goes after everything that was there, byte for byte.
    if (!existed && !ini.Bytes().startsWith(raw))
        __builtin_trap();
    return 0;
}
