#pragma once
#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

// Turns the bytes of a test file into a DOM. Test files are UTF-16 with a byte-order mark;
// UTF-8 and declared 8-bit files (Latin-1, Latin-9, Windows-1252; hand-made or from older
// tools) are read as well, an undeclared 8-bit file that is not UTF-8 as Windows-1252.
// Declarations, processing instructions, comments and the attribute order are kept.
struct TXMLReadResult {
    bool Ok = false;
    QString Message; // the parser's description of the fault
    int Line = 0;    // 1-based position of the fault in the text
    int Column = 0;
};

TXMLReadResult ReadXMLDocument(const QByteArray& bytes, pugi::xml_document& doc);
