// The printout of results on the line printer.
#include "QelPrintout.h"

#include "GPTPrinters.h"
#include "IniFile.h"
#include "OperatorIFace.h"
#include "QelGlobals.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QLocale>

#include <algorithm>

namespace QelPrintout {
namespace {

constexpr int ModeTitle = 1;
constexpr int ModeData = 2;

enum TCol { cTime = 0, cPhase = 1, cConf = 2, cPrim = 3, cSec = 4, cTurns = 8, cDev = 9, cPhDev = 10, cCurrent = 12 };

QString Micro(QString text) {
    // The printer has no micro sign: "µ" in either case prints as "u".
    return text.replace(QChar(0x00B5), QLatin1Char('u')).replace(QChar(0x039C), QLatin1Char('u'));
}

QString Cell(const TRows& rows, int col, int row) {
    return row >= 1 && row < rows.Count && rows.Cell ? rows.Cell(col, row) : QString();
}

QString PhaseOf(const TRows& rows, int row) {
    return Cell(rows, cPhase, row).trimmed().toUpper();
}

// Rows of one measurement have the same Meas.Conf; a partner must also carry its own phase.
bool Partner(const TRows& rows, int row, int other, const QString& phase) {
    return other >= 1 && other < rows.Count &&
           Cell(rows, cConf, other).compare(Cell(rows, cConf, row), Qt::CaseInsensitive) == 0 &&
           PhaseOf(rows, other) == phase;
}

} // namespace

QString Field(const QString& text, int width, bool left) {
    const QString t = Micro(text.trimmed());
    return (left ? t.leftJustified(width, QLatin1Char(' '), true) : t.rightJustified(width, QLatin1Char(' '), true));
}

bool OpenLinePrinter(TGPTPrinter& printer, const TQelGlobal& global) {
    const TIniFile ini(global.ConfigFileName);
    const QString name = ini.ReadString(global.ConfigSection, QStringLiteral("PrinterPort"), QString()).trimmed();
    if (!name.isEmpty()) {
        printer.SetPortName(name);
    } else if (global.PrinterPort >= 0) {
        printer.SetPortName(QString());
        printer.SetRS232Port(TRs232Port(std::clamp(global.PrinterPort, 0, int(rsCom20))));
    } else {
        printer.Close();
        return false;
    }
    return printer.Open();
}

bool PrintHeader(TGPTPrinter& printer, const TKvXML& doc, const QString& unitNo, const QString& logoFile,
                 const QDateTime& now, TOperatorIFace* op) {
    if (!printer.Ready())
        return false;
    if (printer.PaperOut()) {
        if (op)
            op->Inform(PaperText);
        return false;
    }
    printer.Initialise();
    // A missing or unreadable logo is left out; the text is printed all the same.
    printer.PrintPicture(logoFile, false);
    printer.PrintLine(QString(), ModeTitle);
    printer.PrintLine(QStringLiteral("    NORVIK QEL 8624"), ModeTitle);
    printer.PrintLine(QStringLiteral("  MEASUREMENTS RESULTS"), ModeTitle);
    printer.PrintLine(QStringLiteral("            Unit No  : ") + unitNo, ModeData);
    printer.PrintLine(QString(), ModeTitle);
    const QLocale locale = QLocale::system();
    printer.PrintLine(QStringLiteral("DATE     : ") + locale.toString(now.date(), QLocale::ShortFormat) + ' ' +
                          now.time().toString(QStringLiteral("hh:mm")),
                      ModeData);
    const auto dut = doc.DUTGeneral();
    printer.PrintLine(QStringLiteral("Object   : ") + dut.Type().Value(), ModeData);
    printer.PrintLine(QStringLiteral("Location : ") + dut.Location().Value(), ModeData);
    printer.PrintLine(QStringLiteral("SerialNo : ") + dut.SerialNo().Value(), ModeData);
    printer.PrintLine(QStringLiteral("Tested By: ") + dut.Operator().Value(), ModeData);
    printer.PrintLine(QString(), ModeTitle);
    return true;
}

int PrintResult(TGPTPrinter& printer, const TRows& rows, int row) {
    if (Cell(rows, cTime, row).trimmed().isEmpty())
        return 1;
    int a = -1, b = -1, c = -1, single = -1;
    int covers = 1;
    const QString phase = PhaseOf(rows, row);
    if (phase == QLatin1String("A")) {
        a = row;
        if (Partner(rows, row, row + 1, QStringLiteral("B"))) {
            b = row + 1;
            covers = 2;
            if (Partner(rows, row, row + 2, QStringLiteral("C"))) {
                c = row + 2;
                covers = 3;
            }
        }
    } else if (phase == QLatin1String("B")) {
        b = row;
        if (Partner(rows, row, row - 1, QStringLiteral("A")))
            a = row - 1;
        if (Partner(rows, row, row + 1, QStringLiteral("C"))) {
            c = row + 1;
            covers = 2;
        }
    } else if (phase == QLatin1String("C")) {
        c = row;
        if (Partner(rows, row, row - 1, QStringLiteral("B"))) {
            b = row - 1;
            if (Partner(rows, row, row - 2, QStringLiteral("A")))
                a = row - 2;
        }
    } else {
        single = row; // "Single": a one-phase result prints its own value line
    }
    printer.PrintLine(Field(QStringLiteral("Meas.Conf."), 20, true) + Field(Cell(rows, cConf, row), 14, false),
                      ModeData);
    printer.PrintLine(QStringLiteral("HV:") + Micro(Cell(rows, cPrim, row)).rightJustified(15) +
                          QStringLiteral(" LV:") + Micro(Cell(rows, cSec, row)).rightJustified(15),
                      ModeData);
    printer.PrintLine(QStringLiteral("Ph   T-R    Dev(%)    P(deg)      I(mA)"), ModeData);
    for (int r : {a, b, c, single}) {
        if (r < 0)
            continue;
        printer.PrintLine(Micro(Cell(rows, cPhase, r)) + QStringLiteral("  ") +
                              Micro(Cell(rows, cTurns, r)).rightJustified(5) + QStringLiteral("  ") +
                              Micro(Cell(rows, cDev, r)).rightJustified(5) + QStringLiteral("    ") +
                              Micro(Cell(rows, cPhDev, r)).rightJustified(5) + QStringLiteral("    ") +
                              Micro(Cell(rows, cCurrent, r)).rightJustified(5),
                          ModeData);
    }
    printer.PrintLine(QString(42, QLatin1Char('*')), ModeData);
    printer.PrintLine(QString(), ModeData);
    return covers;
}

void PrintSelection(TGPTPrinter* printer, const TKvXML& doc, const QString& unitNo, const QString& logoFile,
                    const TRows& rows, int first, int last, bool& firstPrint, TOperatorIFace* op,
                    const QDateTime& now) {
    if (!printer || !printer->Ready()) {
        if (op)
            op->Inform(NoPrinterText);
        return;
    }
    if (printer->PaperOut()) {
        if (op)
            op->Inform(PaperText);
        return;
    }
    bool header = firstPrint;
    if (!header && op)
        header = op->Message(TOperatorIFace::TKind::Confirmation, QString(),
                             QStringLiteral("Do you want to print with a header"),
                             TOperatorIFace::TButtons::OkCancel) == TOperatorIFace::TAnswer::Ok;
    if (header && PrintHeader(*printer, doc, unitNo, logoFile, now, op))
        firstPrint = false;
    for (int row = std::max(1, first); row <= last && row < rows.Count;) {
        if (printer->PaperOut()) {
            if (op)
                op->Inform(PaperText);
            return;
        }
        row += std::max(1, PrintResult(*printer, rows, row));
    }
    printer->PrintLine(QString(), ModeData);
}

} // namespace QelPrintout
