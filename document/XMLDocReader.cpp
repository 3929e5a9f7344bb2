#include "XMLDocReader.h"

#include "EightBitText.h"

#include <algorithm>
#include <cstring>

namespace {

enum class TEncoding { Utf8, Utf16LE, Utf16BE, Latin1, Windows1252, Latin9 };

char32_t EightBitCodePoint(unsigned char c, TEncoding enc) {
    if (enc == TEncoding::Windows1252)
        return Windows1252CodePoint(c);
    if (enc == TEncoding::Latin9) {
        switch (c) {
        case 0xA4:
            return 0x20AC;
        case 0xA6:
            return 0x0160;
        case 0xA8:
            return 0x0161;
        case 0xB4:
            return 0x017D;
        case 0xB8:
            return 0x017E;
        case 0xBC:
            return 0x0152;
        case 0xBD:
            return 0x0153;
        case 0xBE:
            return 0x0178;
        default:
            break;
        }
    }
    return c;
}

bool StartsWith(const QByteArray& b, const char* prefix, qsizetype n) {
    return b.size() >= n && std::memcmp(b.constData(), prefix, size_t(n)) == 0;
}

TEncoding Detect(const QByteArray& b, qsizetype& skip) {
    skip = 0;
    if (StartsWith(b, "\xFF\xFE", 2))
        return skip = 2, TEncoding::Utf16LE;
    if (StartsWith(b, "\xFE\xFF", 2))
        return skip = 2, TEncoding::Utf16BE;
    if (StartsWith(b, "\xEF\xBB\xBF", 3))
        return skip = 3, TEncoding::Utf8;
    if (StartsWith(b, "<\0", 2))
        return TEncoding::Utf16LE;
    if (StartsWith(b, "\0<", 2))
        return TEncoding::Utf16BE;
    // Without a byte-order mark an 8-bit file names its encoding in the declaration.
    if (b.startsWith("<?xml")) {
        const QByteArray decl = b.left(b.indexOf("?>")).toLower();
        const auto declares = [&decl](const char* name) {
            return decl.contains(QByteArray("\"") + name + "\"") ||
                   decl.contains(QByteArray("'") + name + "'");
        };
        if (declares("windows-1252") || declares("cp1252"))
            return TEncoding::Windows1252;
        if (declares("iso-8859-15") || declares("latin-9") || declares("latin9"))
            return TEncoding::Latin9;
        for (const char* name : {"iso-8859-1", "latin1", "latin-1"})
            if (declares(name))
                return TEncoding::Latin1;
    }
    // An 8-bit file that is not UTF-8 although it says nothing else was typed on Windows:
    // read as UTF-8, each of its umlauts would become U+FFFD and be lost with the next save.
    return IsUtf8(b) ? TEncoding::Utf8 : TEncoding::Windows1252;
}

char* PutCodePoint(char* out, char32_t cp) {
    if (cp < 0x80) {
        *out++ = char(cp);
    } else if (cp < 0x800) {
        *out++ = char(0xC0 | (cp >> 6));
        *out++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = char(0xE0 | (cp >> 12));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    } else {
        *out++ = char(0xF0 | (cp >> 18));
        *out++ = char(0x80 | ((cp >> 12) & 0x3F));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    }
    return out;
}

// UTF-8 text in a buffer the parser takes over; unpaired surrogates become U+FFFD.
char* ToUtf8(const QByteArray& bytes, qsizetype skip, TEncoding enc, size_t& size) {
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData()) + skip;
    const size_t n = size_t(bytes.size() - skip);
    // An 8-bit character takes up to three bytes of UTF-8 (the euro sign), a UTF-16 unit as well.
    const size_t capacity = enc == TEncoding::Utf8                                   ? n
                            : enc == TEncoding::Utf16LE || enc == TEncoding::Utf16BE ? 3 * (n / 2)
                                                                                     : 3 * n;
    char* buffer = static_cast<char*>(pugi::get_memory_allocation_function()(capacity + 1));
    if (!buffer)
        return nullptr;
    char* out = buffer;
    if (enc == TEncoding::Utf8) {
        if (n)
            std::memcpy(out, in, n);
        out += n;
    } else if (enc != TEncoding::Utf16LE && enc != TEncoding::Utf16BE) {
        for (size_t i = 0; i < n; ++i)
            out = PutCodePoint(out, EightBitCodePoint(in[i], enc));
    } else {
        const bool le = enc == TEncoding::Utf16LE;
        const size_t units = n / 2;
        const auto unit = [&](size_t i) -> char32_t {
            return le ? char32_t(in[2 * i] | (in[2 * i + 1] << 8))
                      : char32_t((in[2 * i] << 8) | in[2 * i + 1]);
        };
        for (size_t i = 0; i < units; ++i) {
            char32_t cp = unit(i);
            if (cp < 0x80) {
                *out++ = char(cp);
                continue;
            }
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
                unit(i + 1) <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
                ++i;
            } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                cp = 0xFFFD;
            }
            out = PutCodePoint(out, cp);
        }
    }
    size = size_t(out - buffer);
    return buffer;
}

void Locate(const char* text, size_t size, ptrdiff_t offset, int& line, int& column) {
    line = 1;
    column = 1;
    const size_t end = offset < 0 ? 0 : std::min(size, size_t(offset));
    for (size_t i = 0; i < end; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column; // continuation bytes of a character do not move the column
        }
    }
}

} // namespace

TXMLReadResult ReadXMLDocument(const QByteArray& bytes, pugi::xml_document& doc) {
    TXMLReadResult result;
    qsizetype skip = 0;
    const TEncoding enc = Detect(bytes, skip);
    size_t size = 0;
    char* text = ToUtf8(bytes, skip, enc, size);
    if (!text) {
        result.Message = QStringLiteral("Out of memory");
        return result;
    }
    const pugi::xml_parse_result parsed =
        doc.load_buffer_inplace_own(text, size, pugi::parse_full, pugi::encoding_utf8);
    if (parsed) {
        result.Ok = true;
        return result;
    }
    result.Message = QString::fromUtf8(parsed.description());
    // The parser rewrote its buffer in place; the fault is located in a fresh copy of the text.
    if (char* again = ToUtf8(bytes, skip, enc, size)) {
        Locate(again, size, parsed.offset, result.Line, result.Column);
        pugi::get_memory_deallocation_function()(again);
    }
    return result;
}
