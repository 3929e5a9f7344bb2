// Language files are written by translators in any editor: any content must parse, read back as
// the same bytes, name no common file outside the language folder, and every text read from it
// must go back into a file without breaking a line.
#include <cstddef>
#include <cstdint>

#include "IniFile.h"
#include "LangFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray raw(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TIniFile file(QStringLiteral("/nonexistent/fuzz.lan"));
    file.SetBytes(raw);
    if (file.Bytes() != raw)
        __builtin_trap();
    LangText::THeader header;
    LangText::ReadHeader(file, QStringLiteral("Application Software 8625"), header);
    const QString common = LangText::CommonFileName(header.CommonLanguageFile);
    if (common.contains('/') || common.contains('\\') || common == QLatin1String("..") || common.isEmpty())
        __builtin_trap();
    for (const QString& section : file.Sections())
        for (const QString& key : file.Keys(section)) {
            const QString value = file.ReadString(section, key, QString());
            for (const QString& text : {LangText::FromFile(value), LangText::ConstFromFile(value)}) {
                const QString back = LangText::ToFile(text);
                if (back.contains('\r') || back.contains('\n') ||
                    LangText::Unquote(back) != LangText::BreaksToFile(text))
                    __builtin_trap();
            }
        }
    return 0;
}
