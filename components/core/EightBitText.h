#pragma once
#include <QByteArray>
#include <QString>

// Texts of files that were typed on Windows: 8-bit bytes that are not UTF-8 are read as
// Windows-1252, so that their umlauts, quotes and euro signs survive instead of becoming U+FFFD.

// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or code points
// past U+10FFFF.
bool IsUtf8(const QByteArray& b);
// Windows-1252 at 0x80..0x9F, where it differs from Latin-1; its five unused codes and every other
// byte stand for themselves.
char32_t Windows1252CodePoint(unsigned char c);
QString FromWindows1252(const QByteArray& b);
// UTF-8 when the bytes are UTF-8, else Windows-1252.
QString FromUtf8OrWindows1252(const QByteArray& b);
