#pragma once
#include <QDateTime>
#include <QString>

#include <functional>

class TGPTPrinter;
class TKvXML;
class TQelGlobal;
class TOperatorIFace;

// The printout of measurement results on the line printer: the header block and one block per
// result, from the rows as a table shows them. Nothing here needs a window; the operator is
// reached through TOperatorIFace.
namespace QelPrintout {

// The rows to print from: cells by (column, row), row 0 the titles, as the results grid shows them.
struct TRows {
    int Count = 0;
    std::function<QString(int col, int row)> Cell;
};

inline const QString NoPrinterText = QStringLiteral(
    "Sorry no printer connected\r\nSee Accessories and Options 7391 DRU\r\nfor more information");
inline const QString PaperText = QStringLiteral("Please check paper in printer");

// Opens the printer on its port: the key "PrinterPort" of the configuration section (a port
// name as for the instrument: COM3, /dev/ttyUSB0, a pseudo-terminal), else the printer port of
// the sibling instrument's file. False, the printer closed, without either or when it does not
// open; every print request then says that no printer is connected.
bool OpenLinePrinter(TGPTPrinter& printer, const TQelGlobal& global);

// The header block; false (the operator told when the paper is out) when nothing was printed.
bool PrintHeader(TGPTPrinter& printer, const TKvXML& doc, const QString& unitNo, const QString& logoFile,
                 const QDateTime& now, TOperatorIFace* op);
// The result block of row: the rows of its measurement that belong to it (same Meas.Conf, the
// right Phase), one value line each. The result is the count of rows from row on that the
// block covers (at least 1, so that a caller going down the rows always advances).
int PrintResult(TGPTPrinter& printer, const TRows& rows, int row);

// "Print Row(s)": the header first (without asking at the first print of the run, then on the
// operator's word), then the blocks of the rows first ... last, then an empty line.
void PrintSelection(TGPTPrinter* printer, const TKvXML& doc, const QString& unitNo, const QString& logoFile,
                    const TRows& rows, int first, int last, bool& firstPrint, TOperatorIFace* op,
                    const QDateTime& now = QDateTime::currentDateTime());

// A cell as a field of the printout: trimmed, "µ" as "u", padded with blanks and cut to width.
QString Field(const QString& text, int width, bool left);

} // namespace QelPrintout
