#include "XMLTextWriter.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// Name: element, attribute and processing instruction names, where a character that XML
// cannot carry becomes "_" instead of vanishing ("xml" + U+FFFF must not turn into "xml").
enum class TContext { Attribute, Text, Raw, Name };

void Put(std::u16string& out, const char* ascii) {
    while (*ascii)
        out.push_back(char16_t(static_cast<unsigned char>(*ascii++)));
}

// Decodes UTF-8 (invalid sequences become U+FFFD) and escapes for the context.
void PutText(std::u16string& out, const char* s, TContext ctx) {
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    while (*p) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            if (ctx == TContext::Name) {
                // Only name characters: whatever a lenient reader took into a name must not
                // make the written file unreadable.
                const bool nameChar = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                      (c >= '0' && c <= '9') || c == '_' || c == ':' || c == '-' || c == '.';
                out.push_back(nameChar ? char16_t(c) : u'_');
                continue;
            }
            if (ctx != TContext::Raw) {
                switch (c) {
                case '&':
                    Put(out, "&amp;");
                    continue;
                case '<':
                    Put(out, "&lt;");
                    continue;
                case '>':
                    Put(out, "&gt;");
                    continue;
                case '"':
                    if (ctx == TContext::Attribute) {
                        Put(out, "&quot;");
                        continue;
                    }
                    break;
                case '\r':
                    Put(out, "&#13;");
                    continue;
                case '\n':
                case '\t':
                    // A literal line break or tab in an attribute would be read back as a blank.
                    if (ctx == TContext::Attribute) {
                        Put(out, c == '\n' ? "&#10;" : "&#9;");
                        continue;
                    }
                    break;
                default:
                    break;
                }
            }
            if (c >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                out.push_back(char16_t(c));
            continue;
        }
        int extra = c >= 0xF5 ? -1 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : -1;
        char32_t cp = extra == 3 ? c & 0x07 : extra == 2 ? c & 0x0F : c & 0x1F;
        ++p;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) {
                extra = -1;
                break;
            }
            cp = (cp << 6) | (*p & 0x3F);
        }
        const bool bad = extra < 0 || (extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                         (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF));
        if (bad) {
            out.push_back(u'\xFFFD');
        } else if (cp == 0xFFFE || cp == 0xFFFF) {
            // not a character of XML
            if (ctx == TContext::Name)
                out.push_back(u'_');
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
}

void PutNewLine(std::u16string& out, size_t depth) {
    out.append(u"\r\n");
    out.append(2 * depth, u' ');
}

// The value of a comment, processing instruction or CDATA section, with every occurrence of
// what would end it early (also one formed by leaving characters out) broken up by insert.
std::u16string Guarded(const char* value, std::u16string_view end, std::u16string_view insert) {
    std::u16string text;
    PutText(text, value, TContext::Raw);
    for (size_t at = text.find(end); at != std::u16string::npos; at = text.find(end, at + insert.size() + 1))
        text.insert(at + 1, insert);
    return text;
}

void PutAttributes(std::u16string& out, pugi::xml_node node) {
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        out.push_back(u' ');
        PutText(out, a.name(), TContext::Name);
        Put(out, "=\"");
        PutText(out, a.value(), TContext::Attribute);
        out.push_back(u'"');
    }
}

// Everything but an element's start: the leaf nodes.
void PutLeaf(std::u16string& out, pugi::xml_node node) {
    switch (node.type()) {
    case pugi::node_pcdata:
        PutText(out, node.value(), TContext::Text);
        break;
    case pugi::node_cdata:
        // "]]>" cannot stand inside one section; it is split across two.
        Put(out, "<![CDATA[");
        out.append(Guarded(node.value(), u"]]>", u"]]><![CDATA["));
        Put(out, "]]>");
        break;
    case pugi::node_comment: {
        // XML allows no "--" inside a comment, nor a "-" at its end.
        std::u16string text = Guarded(node.value(), u"--", u" ");
        if (!text.empty() && text.back() == u'-')
            text.push_back(u' ');
        Put(out, "<!--");
        out.append(text);
        Put(out, "-->");
        break;
    }
    case pugi::node_pi:
        Put(out, "<?");
        PutText(out, node.name(), TContext::Name);
        // A reader drops the blanks before the value; they are not written.
        if (std::u16string value = Guarded(node.value(), u"?>", u" ");
            value.erase(0, std::min(value.size(), value.find_first_not_of(u" \t\r\n"))), !value.empty()) {
            out.push_back(u' ');
            out.append(value);
        }
        Put(out, "?>");
        break;
    case pugi::node_declaration:
        Put(out, "<?");
        PutText(out, node.name(), TContext::Name);
        PutAttributes(out, node);
        Put(out, "?>");
        break;
    case pugi::node_doctype:
        Put(out, "<!DOCTYPE ");
        PutText(out, node.value(), TContext::Raw);
        out.push_back(u'>');
        break;
    default:
        break;
    }
}

// False for text that would come out as blanks and line ends only (characters the writer
// leaves out included): a reader drops such text, so it is not written, and the file reads
// back to the tree it was written from.
bool Renders(pugi::xml_node node) {
    if (node.type() != pugi::node_pcdata)
        return true;
    std::u16string probe;
    PutText(probe, node.value(), TContext::Text);
    for (const char16_t c : probe)
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            return true;
    return false;
}

bool HasContent(pugi::xml_node node) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (Renders(c))
            return true;
    return false;
}

// Text inside an element is kept exactly: such an element is written without line breaks.
bool HoldsText(pugi::xml_node node) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if ((c.type() == pugi::node_pcdata && Renders(c)) || c.type() == pugi::node_cdata)
            return true;
    return false;
}

bool IsStyleSheetReference(pugi::xml_node node) {
    return node.type() == pugi::node_pi && std::strcmp(node.name(), "xml-stylesheet") == 0;
}

} // namespace

void AppendXMLTree(std::u16string& out, pugi::xml_node root, bool indented) {
    // Iterative, so that a deeply nested file cannot exhaust the stack.
    std::vector<bool> lineBreaks; // per open element: its children go on lines of their own
    pugi::xml_node node = root;
    for (;;) {
        const bool renders = Renders(node);
        if (renders && !lineBreaks.empty() && lineBreaks.back())
            PutNewLine(out, lineBreaks.size());
        bool descend = false;
        if (!renders) {
            // nothing to write
        } else if (node.type() == pugi::node_element) {
            out.push_back(u'<');
            PutText(out, node.name(), TContext::Name);
            PutAttributes(out, node);
            if (HasContent(node)) {
                out.push_back(u'>');
                lineBreaks.push_back(indented && !HoldsText(node));
                descend = true;
            } else {
                Put(out, "/>");
            }
        } else {
            PutLeaf(out, node);
        }
        if (descend) {
            node = node.first_child();
            continue;
        }
        for (;;) {
            if (node == root)
                return;
            if (pugi::xml_node next = node.next_sibling()) {
                node = next;
                break;
            }
            node = node.parent();
            const bool broken = lineBreaks.back();
            lineBreaks.pop_back();
            if (broken)
                PutNewLine(out, lineBreaks.size());
            Put(out, "</");
            PutText(out, node.name(), TContext::Name);
            out.push_back(u'>');
        }
    }
}

QString XMLTreeText(const pugi::xml_document& doc, bool indented) {
    std::u16string text;
    if (pugi::xml_node root = doc.document_element())
        AppendXMLTree(text, root, indented);
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}

std::u16string XMLFileText(const pugi::xml_document& doc, bool indented, const QString& styleSheet,
                           size_t expected) {
    std::u16string text;
    text.reserve(std::max<size_t>(expected, 1 << 12));
    text.push_back(u'\xFEFF');
    Put(text, "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n");
    if (!styleSheet.trimmed().isEmpty()) {
        Put(text, "<?xml-stylesheet type=\"text/xsl\" href = \"");
        text.append(reinterpret_cast<const char16_t*>(styleSheet.utf16()), size_t(styleSheet.size()));
        Put(text, "\"?>\r\n");
    }
    for (pugi::xml_node top = doc.first_child(); top; top = top.next_sibling()) {
        if (top.type() == pugi::node_declaration || IsStyleSheetReference(top))
            continue;
        AppendXMLTree(text, top, indented);
        Put(text, "\r\n");
    }
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN)
        qToLittleEndian<char16_t>(text.data(), qsizetype(text.size()), text.data());
    return text;
}

QByteArray XMLFileBytes(const pugi::xml_document& doc, bool indented, const QString& styleSheet) {
    const std::u16string text = XMLFileText(doc, indented, styleSheet);
    return QByteArray(reinterpret_cast<const char*>(text.data()), qsizetype(text.size() * 2));
}
