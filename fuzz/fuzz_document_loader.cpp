// The test file reader on arbitrary bytes: whatever it accepts must convert, load into a
// table, and write out as a file that reads back to the same text.
#include "GridTable.h"
#include "XMLCT.h"
#include "XMLDocReader.h"
#include "XMLGrid.h"
#include "XMLTextWriter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    pugi::xml_document doc;
    if (!ReadXMLDocument(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), doc).Ok)
        return 0;
    pugi::xml_document converted;
    pugi::xml_document& current = ConvertOlderSiblingLayout(doc, converted) ? converted : doc;

    const TXMLGridType grid(current.document_element().child("QEL").child("Measurement").child("Grid"),
                            nullptr);
    TMemoryGridTable table(QStringLiteral("sgMeasData"), 2, 2);
    if (grid.Node())
        grid.LoadInto(table);

    for (const bool indented : {false, true}) {
        const QByteArray written = XMLFileBytes(current, indented, QStringLiteral("\\KovaDoc.xsl"));
        pugi::xml_document again;
        if (!ReadXMLDocument(written, again).Ok)
            std::abort();
        if (XMLFileBytes(again, indented, QStringLiteral("\\KovaDoc.xsl")) != written)
            std::abort();
    }
    return 0;
}
