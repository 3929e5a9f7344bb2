#include "EightBitText.h"

namespace {

constexpr char16_t kWindows1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsAscii(const QByteArray& b) {
    for (const char c : b)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

bool IsUtf8(const QByteArray& b) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData());
    const auto* end = reinterpret_cast<const unsigned char*>(b.constData()) + b.size();
    while (p < end) {
        const unsigned char c = *p++;
        if (c < 0x80)
            continue;
        const int extra = c >= 0xF5 ? -1 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : -1;
        if (extra < 0 || end - p < extra)
            return false;
        char32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : c & 0x1F;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (*p & 0x3F);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
    }
    return true;
}

char32_t Windows1252CodePoint(unsigned char c) {
    return c >= 0x80 && c < 0xA0 ? kWindows1252[c - 0x80] : c;
}

QString FromWindows1252(const QByteArray& b) {
    QString out(b.size(), Qt::Uninitialized);
    QChar* o = out.data();
    for (const char c : b)
        *o++ = QChar(char16_t(Windows1252CodePoint(static_cast<unsigned char>(c))));
    return out;
}

QString FromUtf8OrWindows1252(const QByteArray& b) {
    if (IsAscii(b))
        return QString::fromLatin1(b);
    return IsUtf8(b) ? QString::fromUtf8(b) : FromWindows1252(b);
}
