// Rules of the windings and tap changers: nominal current, the HV connection rules, the tap
// table's shape, auto fill and edits, the nominal voltage taken from the nominal tap (and never
// from a text that is no number), and the windings of a new document.
#include <QTest>

#include "GridTable.h"
#include "LinkRig.h"
#include "Qel8624Protocol.h"
#include "QelGlobals.h"
#include "QelWindings.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

using namespace Qel8624;
using namespace QelWindings;

namespace {

QStringList Column(const TGridTable& t, int col) {
    QStringList cells;
    for (int r = 1; r < t.RowCount(); ++r)
        cells << t.Cell(col, r);
    return cells;
}

} // namespace

class TWindingsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TLinkRig> FRig;
    TQelGlobal& G() { return *FRig->Global; }
    TXMLWindingType Winding(int w) { return G().Doc().DUTTrafoData().Winding().Item(w); }

private Q_SLOTS:
    void init() {
        FRig = std::make_unique<TLinkRig>();
        FRig->CreateGlobal({QStringLiteral("/SIM")});
        QVERIFY(G().NewDocument(FRig->App.filePath(QStringLiteral("w.xml"))));
        GiveDefaultWindings(G().Doc().DUTTrafoData());
    }
    void cleanup() { FRig.reset(); }

    void nominalCurrent_data() {
        QTest::addColumn<QString>("power");
        QTest::addColumn<QString>("voltage");
        QTest::addColumn<int>("connection");
        QTest::addColumn<QString>("current");
        QTest::newRow("70 kVA at 400 kV") << "70 kVA"
                                          << "400 kV" << int(conD) << "101.036 mA";
        QTest::newRow("100 kVA at 10 kV") << "100 kVA"
                                          << "10 kV" << int(conYN) << "5.774 A";
        QTest::newRow("single phase") << "10 kVA"
                                      << "10 kV" << int(con1P) << "1 A";
        QTest::newRow("no voltage") << "70 kVA"
                                    << "0 V" << int(conD) << "??";
        QTest::newRow("voltage no number") << "70 kVA"
                                           << "" << int(conD) << "??";
        QTest::newRow("power no number") << "-"
                                         << "10 kV" << int(conD) << "??";
    }

    void nominalCurrent() {
        QFETCH(QString, power);
        QFETCH(QString, voltage);
        QFETCH(int, connection);
        QFETCH(QString, current);
        QCOMPARE(NominalCurrentText(power, voltage, connection).trimmed(), current);
    }

    void hvConnectionRules_data() {
        QTest::addColumn<int>("hv");
        QTest::addColumn<int>("lvBefore");
        QTest::addColumn<int>("lv");
        QTest::addColumn<int>("tv");
        QTest::addColumn<int>("clock");
        QTest::newRow("auto") << int(conNotSet) << int(conYN) << int(conNotSet) << int(conNotSet) << 255;
        QTest::newRow("single phase") << int(con1P) << int(conYN) << int(con1P) << int(con1P) << 0;
        QTest::newRow("CT") << int(conCT) << int(conD) << int(conCT) << int(conCT) << 0;
        QTest::newRow("D after auto") << int(conD) << int(conNotSet) << int(conD) << int(conD) << 11;
        QTest::newRow("Y keeps yn") << int(conY) << int(conYN) << int(conYN) << int(conZ) << 11;
    }

    void hvConnectionRules() {
        QFETCH(int, hv);
        QFETCH(int, lvBefore);
        QFETCH(int, lv);
        QFETCH(int, tv);
        QFETCH(int, clock);
        Winding(0).Configuration().SetValue(hv);
        Winding(1).Configuration().SetValue(lvBefore);
        Winding(1).VectorGroup().SetValue(11);
        Winding(2).Configuration().SetValue(conZ);
        Winding(2).VectorGroup().SetValue(11);
        for (int w = 1; w <= 2; ++w) {
            Winding(w).NominalPower().SetValue(QStringLiteral("10 kVA"));
            Winding(w).NominalCurrent().SetValue(QStringLiteral("as before"));
        }
        ApplyHvConnectionRules(G().Doc().DUTTrafoData());
        QCOMPARE(Winding(1).Configuration().Value(), lv);
        QCOMPARE(Winding(2).Configuration().Value(), tv);
        QCOMPARE(Winding(1).VectorGroup().Value(), clock);
        QCOMPARE(Winding(2).VectorGroup().Value(), clock);
        // A connection the rules changed carries the current of its own formula.
        for (int w = 1; w <= 2; ++w) {
            const int code = Winding(w).Configuration().Value();
            const bool changed = code != (w == 1 ? lvBefore : int(conZ));
            QCOMPARE(Winding(w).NominalCurrent().Value(),
                     changed ? NominalCurrentText(QStringLiteral("10 kVA"), QStringLiteral("10 kV"), code).trimmed()
                             : QStringLiteral("as before"));
        }
    }

    void newDocumentWindings() {
        for (int w = 0; w < 3; ++w) {
            const TXMLTapChangerDataType taps = Winding(w).TapChangerData();
            QCOMPARE(taps.NrOfTaps().Value(), 3);
            QCOMPARE(taps.FirstTap().Value(), -1);
            QCOMPARE(taps.NominalTap().Value(), 0);
            QCOMPARE(Winding(w).NominalVoltage().Value(), QStringLiteral("10 kV"));
            TMemoryGridTable table;
            QVERIFY(taps.Grid().LoadInto(table));
            QCOMPARE(taps.Grid().Name(), QStringLiteral("sgTapData"));
            QCOMPARE(Column(table, ColTap), (QStringList{"-1", "0", "1"}));
            QCOMPARE(Column(table, ColVoltage), (QStringList{"10.000 kV", "10.000 kV", "10.000 kV"}));
            QCOMPARE(Column(table, ColActivate), (QStringList{"yes", "yes", "yes"}));
            QCOMPARE(taps.Grid().VisibleCols().Value(), 3);
        }
        QCOMPARE(Winding(0).NominalPower().Value(), QStringLiteral("100 kVA"));
        QCOMPARE(Winding(0).NominalCurrent().Value().trimmed(), QStringLiteral("5.774 A"));
    }

    // Tap numbers from the bottom tap, new rows with the winding's voltage, rows that exist keep
    // their texts, no taps leave one empty row.
    void tapTableShape() {
        TMemoryGridTable table(QStringLiteral("sgTapData"), 4, 2);
        TTapChanger taps{5, -2, 0};
        ShapeTapTable(table, taps, QStringLiteral("20.000 kV"));
        QCOMPARE(table.RowCount(), 6);
        QCOMPARE(table.Cell(0, 0), QStringLiteral("Tap"));
        QCOMPARE(table.Cell(3, 0), QStringLiteral("Activate"));
        QCOMPARE(Column(table, ColTap), (QStringList{"-2", "-1", "0", "1", "2"}));
        QCOMPARE(taps.NominalRow(), 3);
        QCOMPARE(table.Cell(ColTap, taps.NominalRow()), QStringLiteral("0"));

        table.SetCell(ColVoltage, 2, QStringLiteral("21.000 kV"));
        table.SetCell(ColName, 2, QStringLiteral("up"));
        table.SetCell(ColActivate, 2, QStringLiteral("no"));
        taps = {7, 1, 4};
        ShapeTapTable(table, taps, QStringLiteral("22.000 kV"));
        QCOMPARE(Column(table, ColTap), (QStringList{"1", "2", "3", "4", "5", "6", "7"}));
        QCOMPARE(Column(table, ColVoltage), (QStringList{"20.000 kV", "21.000 kV", "20.000 kV", "20.000 kV",
                                                         "20.000 kV", "22.000 kV", "22.000 kV"}));
        QCOMPARE(table.Cell(ColName, 2), QStringLiteral("up"));
        QCOMPARE(table.Cell(ColActivate, 2), QStringLiteral("no"));

        ShapeTapTable(table, {0, 1, 1}, QStringLiteral("22.000 kV"));
        QCOMPARE(table.RowCount(), 2);
        QCOMPARE(table.Cell(ColTap, 1), QString());
        QCOMPARE(table.Cell(ColVoltage, 1), QString());
    }

    void nominalTapInTable_data() {
        QTest::addColumn<int>("taps");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("nominal");
        QTest::addColumn<bool>("inTable");
        QTest::newRow("bottom") << 5 << -2 << -2 << true;
        QTest::newRow("top") << 5 << -2 << 2 << true;
        QTest::newRow("above") << 5 << -2 << 3 << false;
        QTest::newRow("below") << 5 << -2 << -3 << false;
        QTest::newRow("no taps") << 0 << 1 << 1 << false;
    }

    void nominalTapInTable() {
        QFETCH(int, taps);
        QFETCH(int, first);
        QFETCH(int, nominal);
        QFETCH(bool, inTable);
        QCOMPARE((TTapChanger{taps, first, nominal}).NominalTapInTable(), inTable);
    }

    void autoFill() {
        TMemoryGridTable table(QStringLiteral("sgTapData"), 4, 2);
        ShapeTapTable(table, {5, 1, 3}, QString());
        AutoFillTapVoltages(table, 5, 10000, 12000);
        QCOMPARE(Column(table, ColVoltage), (QStringList{"    10.000 kV", "    10.500 kV", "    11.000 kV",
                                                         "    11.500 kV", "    12.000 kV"}));
        ShapeTapTable(table, {1, 1, 1}, QString());
        AutoFillTapVoltages(table, 1, 10000, 12000);
        QCOMPARE(Column(table, ColVoltage), (QStringList{"    10.000 kV"}));
    }

    void editedVoltage_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cell");
        QTest::newRow("with prefix") << "11 kV"
                                     << "11.000 kV";
        QTest::newRow("plain volts") << "400"
                                     << "400.000 V";
        QTest::newRow("no number") << "eleven"
                                   << "10.500 kV";
        QTest::newRow("empty") << ""
                               << "10.500 kV";
    }

    void editedVoltage() {
        QFETCH(QString, typed);
        QFETCH(QString, cell);
        QCOMPARE(EditedTapVoltage(typed, QStringLiteral("10.500 kV")), cell);
    }

    // The nominal voltage follows the nominal tap, through the data module's query too, and
    // survives a reload; a nominal tap without a number, or outside the table, never replaces it.
    void nominalVoltageFollowsTheNominalTap() {
        const TXMLWindingType hv = Winding(0);
        hv.TapChangerAvailable().SetValue(1);
        TMemoryGridTable table;
        TTapChanger taps;
        QVERIFY(LoadTapChanger(hv.TapChangerData(), taps, table));
        table.SetCell(ColVoltage, taps.NominalRow(), QStringLiteral("10.500 kV"));
        StoreTapChanger(hv.TapChangerData(), taps, table, NewTapRowVoltage(hv));
        QCOMPARE(G().NominalVoltage(0), QStringLiteral("10.500 kV"));
        UpdateNominalCurrent(hv);
        QCOMPARE(hv.NominalCurrent().Value().trimmed(), QStringLiteral("5.499 A"));
        QVERIFY(G().SaveDocument(1));
        QVERIFY(G().OpenDocument(FRig->App.filePath(QStringLiteral("w.xml"))));
        QCOMPARE(G().NominalVoltage(0), QStringLiteral("10.500 kV"));
        QCOMPARE(Winding(0).NominalCurrent().Value().trimmed(), QStringLiteral("5.499 A"));

        table.SetCell(ColVoltage, taps.NominalRow(), QString());
        StoreTapChanger(Winding(0).TapChangerData(), taps, table, QString());
        QCOMPARE(G().NominalVoltage(0), QStringLiteral("10.500 kV"));
        table.SetCell(ColVoltage, taps.NominalRow(), QStringLiteral("n/a"));
        StoreTapChanger(Winding(0).TapChangerData(), taps, table, QString());
        QCOMPARE(G().NominalVoltage(0), QStringLiteral("10.500 kV"));
        taps.NominalTap = 5;
        StoreTapChanger(Winding(0).TapChangerData(), taps, table, QString());
        QCOMPARE(G().NominalVoltage(0), QStringLiteral("10.500 kV"));
        QCOMPARE(G().WindingVoltageAtTap(0, 1), QStringLiteral("10.000 kV"));
    }

    // A damaged table element is rewritten from the frame's table; no taps give one empty row.
    void loadingTapChangers() {
        const TXMLTapChangerDataType data = Winding(1).TapChangerData();
        data.Grid().Node().remove_child("FixedRows");
        TMemoryGridTable table(QStringLiteral("sgTapData"), 4, 2);
        TTapChanger taps;
        QVERIFY(!LoadTapChanger(data, taps, table));
        QCOMPARE(data.Grid().FixedRows().Value(), 1);
        QVERIFY(LoadTapChanger(data, taps, table));

        data.NrOfTaps().SetValue(0);
        QVERIFY(LoadTapChanger(data, taps, table));
        QCOMPARE(table.RowCount(), 2);
        QCOMPARE(table.Cell(ColVoltage, 1), QString());
        QCOMPARE(table.Cell(ColVoltage, 0), QStringLiteral("Voltage"));
    }
};

QTEST_GUILESS_MAIN(TWindingsTest)
#include "tst_windings.moc"
