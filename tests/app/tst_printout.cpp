// The printout of results on the printer emulator: the header block, the result blocks of the
// rows as the results grid shows them, and the way "Print Row(s)" goes down the selection.
#include <QTest>

#include "EmulatorPrinter.h"
#include "GPTPrinters.h"
#include "GridTable.h"
#include "LinkRig.h"
#include "QelPrintout.h"
#include "RecordingOperator.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

namespace {

using TItem = TPrinterEmulator::TItem;

// The results grid: Time, Phase, Meas.Conf, Prim.Volt., Sec.Volt, TapNr., Nom.VRatio,
// Volt.Ratio, Turns Ratio, Ratio Dev., Phase Dev., Phaseshift, Current.
struct TResults {
    TMemoryGridTable Table{QStringLiteral("sgMeasData"), 13, 1};
    void Add(const QString& time, const QString& phase, const QString& conf, const QString& ratio) {
        const int r = Table.RowCount();
        Table.SetRowCount(r + 1);
        const QStringList cells = {time,      phase,      conf, QStringLiteral("110.000 kV"), QStringLiteral("20.000 kV"),
                                   "3",       "5.5000",   "",   ratio,
                                   "0.08 %",  "0.01",     "",   QStringLiteral("1.8 \u00b5A")};
        for (int c = 0; c < 13; ++c)
            Table.SetCell(c, r, cells[c]);
    }
    QelPrintout::TRows Rows() const {
        return {Table.RowCount(), [this](int c, int r) { return Table.Cell(c, r); }};
    }
};

QStringList Block(const QString& conf, const QStringList& values) {
    QStringList lines = {QStringLiteral("Meas.Conf.          ") + QString(conf).rightJustified(14),
                         QStringLiteral("HV:     110.000 kV LV:      20.000 kV"),
                         QStringLiteral("Ph   T-R    Dev(%)    P(deg)      I(mA)")};
    for (const QString& v : values)
        lines << v;
    lines << QString(42, '*') << QString();
    return lines;
}

QString Value(const QString& phase, const QString& ratio) {
    return phase + QStringLiteral("  ") + ratio + QStringLiteral("  0.08 %     0.01    1.8 uA");
}

struct TRig {
    TPrinterEmulator Emulator;
    TGPTPrinter Printer;
    TRecordingOperator Operator;
    TKvXML Doc;
    bool Start() {
        Doc.New();
        return Emulator.Start() && (Printer.SetPortName(Emulator.SlavePath()), Printer.Open());
    }
    bool WaitPrinted(int lines) {
        return QTest::qWaitFor([&] { return Printer.Pending() == 0 && Emulator.TextLines().size() >= lines; },
                               60000);
    }
};

} // namespace

class TstPrintout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void headerBlock() {
        TRig rig;
        QVERIFY(rig.Start());
        const auto dut = rig.Doc.DUTGeneral();
        dut.Type().SetValue(QStringLiteral("ONAN 40 MVA"));
        dut.Location().SetValue(QStringLiteral("Substation\x1b North"));
        dut.SerialNo().SetValue(QStringLiteral("T-110-4711"));
        dut.Operator().SetValue(QStringLiteral("J. Smith"));
        const QDateTime when(QDate(2026, 3, 14), QTime(10, 22, 5));
        const QString logo = QString::fromLocal8Bit(qgetenv("QEL_SOURCE_DIR")) + QStringLiteral("/data/Norvik.pcx");
        QVERIFY(QelPrintout::PrintHeader(rig.Printer, rig.Doc, QStringLiteral("86240117"), logo, when, &rig.Operator));
        QVERIFY(rig.WaitPrinted(11));
        const QList<TItem> items = rig.Emulator.Items();
        QCOMPARE(items.first().Kind, TItem::Init);
        int images = 0;
        while (items[1 + images].Kind == TItem::Image)
            ++images;
        QVERIFY(images >= 16);
        const QString date = QLocale::system().toString(when.date(), QLocale::ShortFormat) + QStringLiteral(" 10:22");
        const QStringList expected = {QString(),
                                      QStringLiteral("    NORVIK QEL 8624"),
                                      QStringLiteral("  MEASUREMENTS RESULTS"),
                                      QStringLiteral("            Unit No  : 86240117"),
                                      QString(),
                                      QStringLiteral("DATE     : ") + date,
                                      QStringLiteral("Object   : ONAN 40 MVA"),
                                      QStringLiteral("Location : Substation  North"),
                                      QStringLiteral("SerialNo : T-110-4711"),
                                      QStringLiteral("Tested By: J. Smith"),
                                      QString()};
        QCOMPARE(rig.Emulator.TextLines(), expected);
        QList<int> modes;
        for (const TItem& i : items)
            if (i.Kind == TItem::Text)
                modes << i.Mode;
        QCOMPARE(modes, (QList<int>{1, 1, 1, 2, 1, 2, 2, 2, 2, 2, 1}));
        // Without paper nothing is printed and the operator is told.
        rig.Emulator.Clear();
        rig.Emulator.Send(GPT::PaperOutByte);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Printer.PaperOut(), 20000);
        QVERIFY(!QelPrintout::PrintHeader(rig.Printer, rig.Doc, QString(), logo, when, &rig.Operator));
        QCOMPARE(rig.Operator.Texts().last(), QelPrintout::PaperText);
        QCOMPARE(int(rig.Printer.Pending()), 0);
    }

    // Rows as they are shown: a B row prints A, B and C of its measurement and the loop goes on
    // past C; a C row whose rows above belong elsewhere prints C alone; a row without a time
    // prints nothing; a "Single" row prints its own value line; a row of the same Meas.Conf but
    // the wrong phase is no partner.
    void resultBlocks() {
        TRig rig;
        QVERIFY(rig.Start());
        TResults t;
        t.Add("10:00", "A", "HV:LV T3", "5.501");  // 1
        t.Add("10:00", "B", "HV:LV T3", "5.502");  // 2
        t.Add("10:00", "C", "hv:lv t3", "5.503");  // 3
        t.Add("10:01", "A", "HV:LV T4", "5.401");  // 4
        t.Add("10:01", "C", "HV:LV T5", "5.303");  // 5
        t.Add("", "A", "HV:LV T6", "5.201");       // 6
        t.Add("10:02", "Single", "HV:LV T7", "5.1"); // 7
        t.Add("10:03", "A", "HV:LV T8", "5.001");  // 8
        t.Add("10:03", "A", "HV:LV T8", "5.002");  // 9: a second A is no B
        bool first = false;
        rig.Operator.Answers = {TOperatorIFace::TAnswer::Cancel};
        QelPrintout::PrintSelection(&rig.Printer, rig.Doc, QString(), QString(), t.Rows(), 2, 9, first, &rig.Operator);
        QCOMPARE(rig.Operator.Texts(), QStringList{QStringLiteral("Do you want to print with a header")});
        QStringList expected;
        expected << Block("HV:LV T3", {Value("A", "5.501"), Value("B", "5.502"), Value("C", "5.503")})
                 << Block("HV:LV T4", {Value("A", "5.401")}) << Block("HV:LV T5", {Value("C", "5.303")})
                 << Block("HV:LV T7", {Value("Single", "  5.1")}) << Block("HV:LV T8", {Value("A", "5.001")})
                 << Block("HV:LV T8", {Value("A", "5.002")}) << QString();
        QVERIFY(rig.WaitPrinted(int(expected.size())));
        QCOMPARE(rig.Emulator.TextLines(), expected);
    }

    void noPrinter() {
        TRecordingOperator op;
        TKvXML doc;
        doc.New();
        TResults t;
        bool first = true;
        QelPrintout::PrintSelection(nullptr, doc, QString(), QString(), t.Rows(), 1, 1, first, &op);
        TGPTPrinter closed;
        QelPrintout::PrintSelection(&closed, doc, QString(), QString(), t.Rows(), 1, 1, first, &op);
        QCOMPARE(op.Texts(), QStringList(2, QelPrintout::NoPrinterText));
        QVERIFY(first);
    }

    // The port from the configuration: any name, a pseudo-terminal included; none, no printer.
    void portFromTheConfiguration() {
        TPrinterEmulator emulator;
        QVERIFY(emulator.Start());
        TLinkRig rig;
        rig.CreateGlobal({QStringLiteral("/SIM")});
        TGPTPrinter printer;
        rig.Global->PrinterPort = -1;
        QVERIFY(!QelPrintout::OpenLinePrinter(printer, *rig.Global));
        QVERIFY(!printer.Ready());
        rig.SetConfig(QStringLiteral("PrinterPort"), emulator.SlavePath(), rig.Global->ConfigSection);
        QVERIFY(QelPrintout::OpenLinePrinter(printer, *rig.Global));
        QVERIFY(printer.Ready());
        QVERIFY(printer.PrintLine(QStringLiteral("on the configured port"), 2));
        QTRY_COMPARE_WITH_TIMEOUT(emulator.TextLines(), QStringList{QStringLiteral("on the configured port")}, 20000);
        printer.Close();
        rig.SetConfig(QStringLiteral("PrinterPort"), rig.App.filePath(QStringLiteral("no-such-port")),
                      rig.Global->ConfigSection);
        QVERIFY(!QelPrintout::OpenLinePrinter(printer, *rig.Global));
        QVERIFY(!printer.LastErrorText().isEmpty());
    }

    void fields_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("left");
        QTest::addColumn<QString>("field");
        QTest::newRow("left") << " Meas.Conf. " << 20 << true << "Meas.Conf.          ";
        QTest::newRow("right") << "HV:LV T3" << 14 << false << "      HV:LV T3";
        QTest::newRow("cut") << "HV:LV T3 a very long one" << 14 << false << "HV:LV T3 a ver";
        QTest::newRow("micro") << "1.8 \u00b5A \u039cA" << 10 << true << "1.8 uA uA ";
    }
    void fields() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(bool, left);
        QFETCH(QString, field);
        QCOMPARE(QelPrintout::Field(text, width, left), field);
    }
};

QTEST_MAIN(TstPrintout)
#include "tst_printout.moc"
