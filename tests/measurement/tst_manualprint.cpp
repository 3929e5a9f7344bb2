// "Print Row(s)" of the MEASURE page against the printer emulator on a pseudo-terminal: the
// entries are there only while a printer is, the first print of a run comes with the header
// without asking, later ones ask, and the selected rows print as the grid shows them.
#include <QAction>
#include <QMenu>

#include "EmulatorPrinter.h"
#include "FStringGrids.h"
#include "GPTPrinters.h"
#include "MainRig.h"
#include "QelAnalysisFrames.h"
#include "QelGlobals.h"
#include "QelPageControl.h"
#include "QelPrintout.h"
#include "SampleTest.h"
#include "PanelButton.h"
#include "QelManual.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

namespace {

QAction* PrintAction(const TQelManualFrame& page) {
    for (QAction* a : page.PopupMenu1->actions())
        if (a->text() == QStringLiteral("Print Rows(s)"))
            return a;
    return nullptr;
}

// Three rows of one three-phase result and a "Single" row, written as the page writes results.
void AddRows(TQelManualFrame& page) {
    TTntFStringGrid& g = *page.sgMeasData;
    const int first = g.RowCount() - 1;
    g.SetRowCount(first + 5);
    const QStringList phases = {"A", "B", "C", "Single"};
    for (int i = 0; i < 4; ++i) {
        const QStringList cells = {"14.03.2026 10:22", phases[i], i < 3 ? "HV:LV T3" : "HV:LV T4", "110.000 kV",
                                   "20.000 kV", "3", "5.5000", "9.5263", QStringLiteral("5.50%1").arg(i), "0.02 %",
                                   "0.01", "", "1.8 mA"};
        for (int c = 0; c < cells.size(); ++c)
            g.SetCell(c, first + i, cells[c]);
    }
}

// The main window in simulation with the printer emulator as its line printer.
struct TPrintRig {
    TPrinterEmulator Printer;
    TGPTPrinter LinePrinter;
    TMainRig Main;

    bool Start() {
        if (!Printer.Start())
            return false;
        LinePrinter.SetPortName(Printer.SlavePath());
        if (!LinePrinter.Open())
            return false;
        Main.Create({QStringLiteral("/SIM")});
        Main.Form->show();
        Main.Form->ManualFrame->SetLinePrinter(&LinePrinter);
        return true;
    }
};

} // namespace

class TstManualPrint : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void withoutPrinterTheEntriesAreAbsent() {
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM")});
        rig.Form->show();
        TQelManualFrame& page = *rig.Form->ManualFrame;
        QVERIFY(PrintAction(page));
        QVERIFY(!PrintAction(page)->isVisible());
        QCOMPARE(page.bnTools->StateMax(), 4);
        rig.Form->PageControl1->setCurrentIndex(2);
        QCOMPARE(rig.Form->QelAnalysisFrame1->bnToolMeas->StateMax(), 4);
        QVERIFY(!rig.Form->QelAnalysisFrame1->mnMeas->actions().last()->isVisible());
        page.mnPrintRowsClick();
        QCOMPARE(rig.Operator.Texts().last(),
                 QStringLiteral("Sorry no printer connected\r\nSee Accessories and Options 7391 DRU\r\nfor more "
                                "information"));
    }

    void printRows() {
        TPrintRig p;
        QVERIFY(p.Start());
        TPrinterEmulator& printer = p.Printer;
        TGPTPrinter& linePrinter = p.LinePrinter;
        TMainRig& rig = p.Main;
        TQelManualFrame& page = *rig.Form->ManualFrame;
        QVERIFY(PrintAction(page)->isVisible());
        QCOMPARE(page.bnTools->StateMax(), 5);
        AddRows(page);
        // The B row: A, B and C of its measurement.
        page.sgMeasData->SelectRows(2, 2);
        page.mnPrintRowsClick();
        QVERIFY(!rig.Operator.Texts().contains(QStringLiteral("Do you want to print with a header")));
        QTRY_VERIFY_WITH_TIMEOUT(linePrinter.Pending() == 0 &&
                                     printer.TextLines().contains(QStringLiteral("Tested By: ")),
                                 60000);
        QTRY_VERIFY_WITH_TIMEOUT(printer.TextLines().size() >= 11 + 3 + 3 + 2 + 1, 60000);
        const QStringList lines = printer.TextLines().mid(11);
        QCOMPARE(lines.mid(3, 3), (QStringList{"A  5.500  0.02 %     0.01    1.8 mA",
                                               "B  5.501  0.02 %     0.01    1.8 mA",
                                               "C  5.502  0.02 %     0.01    1.8 mA"}));
        QCOMPARE(printer.Items().first().Kind, TPrinterEmulator::TItem::Init);
        // The next print asks for the header; Cancel prints the rows alone.
        printer.Clear();
        rig.Operator.Answers = {TOperatorIFace::TAnswer::Cancel};
        page.sgMeasData->SelectRows(4, 4);
        page.mnPrintRowsClick();
        QCOMPARE(rig.Operator.Texts().last(), QStringLiteral("Do you want to print with a header"));
        QTRY_VERIFY_WITH_TIMEOUT(printer.TextLines().size() >= 7, 60000);
        QCOMPARE(printer.TextLines().mid(0, 4),
                 (QStringList{"Meas.Conf.                HV:LV T4", "HV:     110.000 kV LV:      20.000 kV",
                              "Ph   T-R    Dev(%)    P(deg)      I(mA)", "Single  5.503  0.02 %     0.01    1.8 mA"}));
    }

    // The printer switched on after the program started, as the program opens it: its entries
    // come once it is there. Paper pulled while it prints holds the output, the operator is told,
    // and the rest goes out when the paper is back, not a byte lost.
    void printerSwitchedOnLaterAndPaperPulled() {
        TGPTPrinter linePrinter; // outlives the window, as in the program
        linePrinter.SetReopenInterval(20);
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM")});
        const QString port = rig.App.filePath(QStringLiteral("printer-port"));
        rig.SetConfig(QStringLiteral("PrinterPort"), port, rig.Global->ConfigSection);
        QVERIFY(!QelPrintout::OpenLinePrinter(linePrinter, *rig.Global));
        rig.Form->show();
        TQelManualFrame& page = *rig.Form->ManualFrame;
        page.SetLinePrinter(&linePrinter);
        QVERIFY(!PrintAction(page)->isVisible());

        TPrinterEmulator printer;
        QVERIFY2(printer.Start(port), qPrintable(printer.ErrorText()));
        QTRY_VERIFY_WITH_TIMEOUT(PrintAction(page)->isVisible(), 20000);
        QCOMPARE(page.bnTools->StateMax(), 5);
        AddRows(page);
        page.sgMeasData->SelectRows(1, 4);
        page.mnPrintRowsClick();
        QTRY_VERIFY_WITH_TIMEOUT(printer.ReceivedCount() >= 100, 20000);
        const qsizetype mark = printer.Send(GPT::PaperOutByte);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Operator.Texts().contains(QelPrintout::PaperText), 20000);
        const auto rounds = [&](int n) {
            const quint64 from = linePrinter.Rounds();
            return QTest::qWaitFor([&] { return linePrinter.Rounds() >= from + quint64(n); }, 20000);
        };
        QVERIFY(rounds(3));
        const qsizetype held = printer.ReceivedCount();
        QVERIFY2(held - mark <= 10, qPrintable(QString::number(held - mark)));
        QVERIFY(linePrinter.Pending() > 0);
        QVERIFY(rounds(5));
        QCOMPARE(printer.ReceivedCount(), held);

        printer.Send(GPT::XON);
        QTRY_VERIFY_WITH_TIMEOUT(linePrinter.Pending() == 0, 60000);
        QTRY_COMPARE_WITH_TIMEOUT(quint64(printer.ReceivedCount()), linePrinter.QueuedBytes(), 60000);
        QVERIFY(printer.TextLines().contains(QStringLiteral("Single  5.503  0.02 %     0.01    1.8 mA")));
        QCOMPARE(rig.Operator.Texts().count(QelPrintout::PaperText), 1);
    }

    // The ANALYSIS page's Tools act on the test's table through the MEASURE page, on the rows
    // selected on the ANALYSIS page, also while its filter hides some.
    void analysisPageToolsActOnTheTestsTable() {
        TPrintRig p;
        QVERIFY(p.Start());
        TPrinterEmulator& printer = p.Printer;
        TMainRig& rig = p.Main;
        QList<QStringList> rows;
        const QStringList phases = {"A", "B", "C", "Single", "Single"};
        for (int i = 0; i < phases.size(); ++i)
            rows << QStringList{"14.03.2026 10:22", phases[i], i < 3 ? "HV:LV T3" : QStringLiteral("HV:LV T%1").arg(i),
                                "110.000 kV", "20.000 kV", "3", "5.5000", "9.5263", QStringLiteral("5.50%1").arg(i),
                                "0.02 %", "0.01", "", "1.8 mA"};
        const QString file = rig.Global->DataPath + QStringLiteral("Print.xml");
        QVERIFY(WriteTableTest(file, SampleMeasurementTitles(), rows));
        QVERIFY(rig.Global->OpenDocument(file));
        rig.Form->PageControl1->setCurrentIndex(2);
        TQelAnalysisFrame& a = *rig.Form->QelAnalysisFrame1;
        QCOMPARE(a.bnToolMeas->StateMax(), 5);
        QVERIFY(a.mnMeas->actions().last()->isVisible());

        // Only the "HV:LV T4" row shown: the first grid row is the table's fifth.
        TTntFStringGrid& g = *a.sgMeasData;
        g.SetFilterString(QStringLiteral("Time;Phase;->HV:LV T4;"));
        QCOMPARE(g.RowCount(), 2);
        g.SelectRows(1, 1);
        a.MeasurementTools(5);
        QTRY_VERIFY_WITH_TIMEOUT(printer.TextLines().contains(QStringLiteral("Single  5.504  0.02 %     0.01    1.8 mA")),
                                 60000);
        QVERIFY(!printer.TextLines().contains(QStringLiteral("Single  5.503  0.02 %     0.01    1.8 mA")));

        // Delete Row(s) takes that row out of the test.
        rig.Operator.Answers = {TOperatorIFace::TAnswer::Ok};
        g.SelectRows(1, 1);
        a.MeasurementTools(2);
        QCOMPARE(rig.Operator.Texts().last(), QStringLiteral("Do you want to delete the selected lines"));
        const auto stored = rig.Global->Doc().QEL().Measurement().Grid().R();
        QCOMPARE(stored.Count(), 4);
        QCOMPARE(stored.Item(3).Cell(8), QStringLiteral("5.503"));
    }
};

QTEST_MAIN(TstManualPrint)
#include "tst_manualprint.moc"
