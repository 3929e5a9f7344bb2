#pragma once
#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

#include <string>

// The project's own serialiser of test documents: UTF-16 text, CR LF line ends, elements
// indented by two blanks per level (or one run of text), attributes in their order.
// Characters that XML 1.0 cannot carry (control characters other than TAB, LF, CR) are left
// out, so that every written file can be read again.

// One node and its descendants, without a line end after it.
void AppendXMLTree(std::u16string& out, pugi::xml_node node, bool indented);

// The document element's tree alone, without prolog.
QString XMLTreeText(const pugi::xml_document& doc, bool indented);

// The content of a test file: byte-order mark FF FE, then in UTF-16 LE the declaration line,
// the style sheet line (when styleSheet is not blank) and the tree, each ended by CR LF.
// The document's own declaration and style sheet reference are replaced by these lines;
// other comments and processing instructions around the document element are kept.
QByteArray XMLFileBytes(const pugi::xml_document& doc, bool indented, const QString& styleSheet);
// The same content without a copy: UTF-16 units already in little-endian byte order.
// expected (characters) sizes the buffer, so that a large document is not grown step by step.
std::u16string XMLFileText(const pugi::xml_document& doc, bool indented, const QString& styleSheet,
                           size_t expected = 0);
