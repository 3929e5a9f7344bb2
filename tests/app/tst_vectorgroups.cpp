// The vector group table of the data module: the committed file read into the index, the
// lookups by codes and by names, the terminal names of each standard, what a missing or damaged
// file leaves, and a Dyn11 tap measured over the emulator converted by the table's factor.
#include <QFile>
#include <QTest>

#include <cmath>

#include "Dyn11Document.h"
#include "LinkRig.h"
#include "Qel8624Protocol.h"
#include "QelGlobals.h"
#include "TestDirs.h"
#include "VectorGroupTable.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

using namespace Qel8624;

namespace {

QString CommittedTable() {
    return SourceDir() + QStringLiteral("/data/VectorGroupTable.csv");
}

// Counts the new-result notifications of the data module.
class TResultCounter : public QObject {
public:
    int Results = 0;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Type(UM_RESULT)) {
            ++Results;
            return true;
        }
        return QObject::event(e);
    }
};

} // namespace

class TVectorGroupsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void everyPairOfTheCommittedTableIsFound() {
        TVectorGroupTable table;
        QCOMPARE(table.Load(CommittedTable()), TVectorGroupTable::TLoad::Loaded);
        QCOMPARE(table.RowCount(), 450);
        for (int hv = conD; hv <= conZN; ++hv)
            for (int lv = conD; lv <= conZN; ++lv) {
                const QString hvName = ConfigurationText(hv), lvName = ConfigurationText(lv).toLower();
                const QList<int> clocks = table.Clocks(hvName, lvName);
                QCOMPARE(clocks.size(), 6);
                for (int i = 0; i < 6; ++i)
                    QCOMPARE(clocks[i], clocks[0] + 2 * i);
                for (int clock : clocks)
                    for (int phase = 0; phase < 3; ++phase) {
                        const TVectorGroupMatch m = table.Lookup(hvName, lvName, clock, phase, 1);
                        QVERIFY(m.Found);
                        QVERIFY(std::fabs(m.Factor * VectorGroupRatioFactor(hv, lv) - 1) < 1e-6);
                    }
            }
        QCOMPARE(table.Clocks(QStringLiteral("d"), QStringLiteral("YN")), (QList<int>{1, 3, 5, 7, 9, 11}));
    }

    void lookups_data() {
        QTest::addColumn<int>("hv");
        QTest::addColumn<int>("lv");
        QTest::addColumn<int>("clock");
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("standard");
        QTest::addColumn<QString>("connection");
        QTest::addColumn<double>("factor");
        const double r3 = std::sqrt(3.0);
        QTest::newRow("Dyn11 A ANSI") << int(conD) << int(conYN) << 11 << 0 << 1 << "H1-H2 :X1-X0" << 1 / r3;
        QTest::newRow("Dyn11 A IEC") << int(conD) << int(conYN) << 11 << 0 << 0 << "1U-1V :2u-n" << 1 / r3;
        QTest::newRow("Dyn11 C AUS") << int(conD) << int(conYN) << 11 << 2 << 2 << "1C-1A :2c-n" << 1 / r3;
        QTest::newRow("Yd1 B") << int(conY) << int(conD) << 1 << 1 << 1 << "H2-(H1H3) :X2-X3" << r3;
        QTest::newRow("ZNd0 A") << int(conZN) << int(conD) << 0 << 0 << 1 << "H1-H3 :X1-X3" << 3.0;
        QTest::newRow("other parity") << int(conD) << int(conYN) << 10 << 0 << 1 << "??" << 1.0;
        QTest::newRow("1P") << int(con1P) << int(con1P) << 0 << 0 << 1 << "??" << 1.0;
        QTest::newRow("not set") << int(conNotSet) << int(conNotSet) << 255 << 0 << 1 << "??" << 1.0;
        QTest::newRow("no phase 3") << int(conD) << int(conYN) << 11 << 3 << 1 << "??" << 1.0;
    }

    // By codes through the data module, in the names of the document's standard.
    void lookups() {
        QFETCH(int, hv);
        QFETCH(int, lv);
        QFETCH(int, clock);
        QFETCH(int, phase);
        QFETCH(int, standard);
        QFETCH(QString, connection);
        QFETCH(double, factor);
        TLinkRig rig;
        QVERIFY(InstallVectorGroupTable(rig.App.path()));
        rig.CreateGlobal({QStringLiteral("/SIM")});
        TQelGlobal& g = *rig.Global;
        QVERIFY(g.LoadVectorGroupTable());
        QVERIFY(g.NewDocument(rig.App.filePath(QStringLiteral("t.xml"))));
        g.Doc().QEL().Setup().Standard().SetValue(standard);
        const QString before = g.DocumentXMLText();
        const TVectorGroupMatch m = g.VectorGroupLookup(phase, hv, lv, clock);
        QCOMPARE(m.Connection, connection);
        QVERIFY(std::fabs(m.Factor - factor) < 1e-9);
        QCOMPARE(m.Found, connection != QLatin1String("??"));
        QCOMPARE(g.DocumentXMLText(), before); // a query writes nothing
        const TVectorGroupMatch byNames =
            g.VectorGroupLookupByNames(ConfigurationText(hv), ConfigurationText(lv).toLower(), clock, phase);
        QCOMPARE(byNames.Connection, m.Connection);
        QCOMPARE(rig.Operator.Entries.size(), 0);
    }

    void terminalNames_data() {
        QTest::addColumn<int>("standard");
        QTest::addColumn<QString>("text");
        QTest::newRow("IEC") << 0 << "1U-(1U1V) :n-2v";
        QTest::newRow("ANSI") << 1 << "H1-(H1H2) :X0-X2";
        QTest::newRow("AUSTRALIAN") << 2 << "1A-(1A1B) :n-2b";
        QTest::newRow("unknown code") << 7 << "H1-(H1H2) :X0-X2";
    }

    void terminalNames() {
        QFETCH(int, standard);
        QFETCH(QString, text);
        QCOMPARE(TVectorGroupTable::TerminalNames(QStringLiteral("H1-(H1H2) :X0-X2"), standard), text);
        QCOMPARE(TVectorGroupTable::TerminalNames(QStringLiteral("H0 H3 X1 X3"), 0),
                 QStringLiteral("N 1W 2u 2w"));
    }

    // CR LF lines, blanks between fields, names of any case, the first of two equal rows, a factor
    // that is no number, a row without one.
    void rowsAsTheFileHasThem() {
        TVectorGroupTable table;
        QVERIFY(table.Read(QStringLiteral("Primary,Secondary,Clock,Leg,Terminals,Factor\r\n"
                                          "d YN  11,a ,\"H1-H2 :X1-X0\",0.57735\r\n"
                                          "D,yn,11,A,\"second\",2\r\n"
                                          "Y,y,0,A,\"H1-(H2H3) :X1-(X2X3)\",one\r\n"
                                          "Y,y,2,A,\"short row\"\r\n"
                                          "\r\n")));
        QCOMPARE(table.RowCount(), 4);
        const TVectorGroupMatch first = table.Lookup(QStringLiteral("D"), QStringLiteral("yn"), 11, 0, 1);
        QCOMPARE(first.Connection, QStringLiteral("H1-H2 :X1-X0"));
        QCOMPARE(first.Factor, 0.57735);
        const TVectorGroupMatch noNumber = table.Lookup(QStringLiteral("Y"), QStringLiteral("y"), 0, 0, 1);
        QVERIFY(noNumber.Found);
        QCOMPARE(noNumber.Factor, 1.0);
        QCOMPARE(table.Lookup(QStringLiteral("Y"), QStringLiteral("y"), 2, 0, 1).Factor, 1.0);
        QCOMPARE(table.Clocks(QStringLiteral("Y"), QStringLiteral("Y")), (QList<int>{0, 2}));
    }

    void missingOrDamagedTable_data() {
        QTest::addColumn<QByteArray>("content"); // empty: no file
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QByteArray() << "Cannot open input file.%1";
        QTest::newRow("no table") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11) << "File \"%1\" not found";
        QTest::newRow("titles only") << QByteArray("Primary,Secondary,Clock,Leg,Terminals,Factor\n")
                                     << "File \"%1\" not found";
    }

    // The operator is told; every lookup then finds nothing and gives the factor 1.0.
    void missingOrDamagedTable() {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        TLinkRig rig;
        const QString file = rig.App.filePath(QStringLiteral("VectorGroupTable.csv"));
        if (!content.isEmpty())
            QVERIFY(WriteBytes(file, content));
        rig.CreateGlobal({QStringLiteral("/SIM")});
        TQelGlobal& g = *rig.Global;
        QVERIFY(!g.LoadVectorGroupTable());
        QCOMPARE(rig.Operator.Entries.size(), 1);
        const TRecordingOperator::TEntry& e = rig.Operator.Entries[0];
        QCOMPARE(e.Text, message.arg(file));
        QCOMPARE(e.Title, QStringLiteral("System"));
        QCOMPARE(e.Buttons, TOperatorIFace::TButtons::OkCancel);
        QVERIFY(g.VectorGroups().IsEmpty());
        const TVectorGroupMatch m = g.VectorGroupLookup(0, conD, conYN, 11);
        QCOMPARE(m.Connection, QStringLiteral("??"));
        QVERIFY(!m.Found);
        QCOMPARE(m.Factor, 1.0);
        QVERIFY(g.VectorGroups().Clocks(QStringLiteral("D"), QStringLiteral("yn")).isEmpty());
    }

    // A tap measured by the instrument: its turns ratio, the voltage ratio through the table's
    // factor and the deviation against 110 kV / 20 kV, all within the emulator's scatter.
    void dyn11MeasuredOverTheEmulator() {
        TLinkRig rig;
        QVERIFY(InstallVectorGroupTable(rig.App.path()));
        QVERIFY(rig.StartEmulator());
        rig.CreateGlobal();
        TQelGlobal& g = *rig.Global;
        QVERIFY(g.LoadVectorGroupTable());
        TResultCounter results;
        g.RegisterWindow(&results);
        QVERIFY(rig.WaitIdle());
        QVERIFY(g.NewDocument(rig.App.filePath(QStringLiteral("dyn11.xml"))));
        QVERIFY(MakeDyn11(g));
        g.StartTapTest(1);
        QTRY_VERIFY_WITH_TIMEOUT(results.Results == 1, 20000);
        g.UnregisterWindow(&results);

        const double turns = 110.0 * std::sqrt(3.0) / 20.0; // 9.526
        for (int p = 0; p < 3; ++p) {
            const TVectorGroupMatch m = g.VectorGroupLookup(p, conD, conYN, 11);
            QVERIFY(m.Found);
            const double ratio = g.LiveResult.Ratio[p];
            const double voltageRatio = ratio * m.Factor;
            const double deviation = (voltageRatio / (110.0 / 20.0) - 1) * 100;
            const QString values = QStringLiteral("%1 %2 %3").arg(ratio).arg(voltageRatio).arg(deviation);
            QVERIFY2(std::fabs(ratio / turns - 1) <= 0.005, qPrintable(values));
            QVERIFY2(std::fabs(voltageRatio / 5.5 - 1) <= 0.005, qPrintable(values));
            QVERIFY2(std::fabs(deviation) <= 0.5, qPrintable(values));
            // The data module's deviation from the instrument's factor table says the same.
            QVERIFY2(std::fabs(g.LiveResult.RatioDeviation[p] - deviation) < 0.001, qPrintable(values));
        }
    }
};

QTEST_GUILESS_MAIN(TVectorGroupsTest)
#include "tst_vectorgroups.moc"
