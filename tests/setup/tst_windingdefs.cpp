// The three winding frames on screen (offscreen) against the document: the phase displacement
// selector per winding pair and firmware, by value, its index kept through a connection change;
// the HV connection rules; the nominal current; switching a tap changer on; the tertiary winding.
#include <QApplication>
#include <QTest>

#include "NumInput.h"
#include "NumInputForm.h"
#include "PanelButton.h"
#include "Qel8624Device.h"
#include "Qel8624Protocol.h"
#include "QelSetupRules.h"
#include "QelTrafoWindings.h"
#include "QelWindingDefs.h"
#include "SetupRig.h"

using namespace Qel8624;

class TWindingDefsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TSetupRig> FRig;

    TSetupRig& Rig() { return *FRig; }
    TQelWindingDefFrame& Side(int w) {
        TQelTrafoWindingsFrame& page = *FRig->Page;
        return w == 0 ? *page.HVSideDef : w == 1 ? *page.LVSideDef : *page.TVSideDef;
    }
    // The document's windings as the test wants them, saved; the frames follow (message 1389).
    void SetWindings(int hv, int lv, int clock) {
        Rig().Winding(0).Configuration().SetValue(hv);
        Rig().Winding(1).Configuration().SetValue(lv);
        Rig().Winding(1).VectorGroup().SetValue(clock);
        QVERIFY(Rig().G().DocumentChanged());
    }

private Q_SLOTS:
    void init() {
        FRig = std::make_unique<TSetupRig>();
        QVERIFY(FRig->Start());
        QVERIFY(FRig->ShowPage());
    }
    void cleanup() { FRig.reset(); }

    void selectorPerPairAndFirmware_data() {
        QTest::addColumn<int>("hv");
        QTest::addColumn<int>("lv");
        QTest::addColumn<bool>("newFirmware");
        QTest::addColumn<int>("clock");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("shown");
        const QStringList odd = {"1", "3", "5", "7", "9", "11", "Auto", "Arbitrary Phase Shift"};
        const QStringList even = {"0", "2", "4", "6", "8", "10", "Auto", "Arbitrary Phase Shift"};
        QTest::newRow("Dyn11") << int(conD) << int(conYN) << false << 11 << odd << 5;
        QTest::newRow("Dyn11 new firmware")
            << int(conD) << int(conYN) << true << 11 << (odd + QStringList{"APS Auto Trafo"}) << 5;
        QTest::newRow("Yyn0") << int(conY) << int(conYN) << false << 0 << even << 0;
        QTest::newRow("Dz Auto") << int(conD) << int(conZ) << false << 255 << even << 6;
        QTest::newRow("86 kept without new firmware")
            << int(conD) << int(conYN) << false << 86 << (odd + QStringList{"APS Auto Trafo"}) << 8;
        QTest::newRow("11 kept for an even pair")
            << int(conY) << int(conYN) << false << 11 << (even + QStringList{"11"}) << 8;
    }

    // By value: the entries of the pair, the stored value shown, and nothing written by a load.
    void selectorPerPairAndFirmware() {
        QFETCH(int, hv);
        QFETCH(int, lv);
        QFETCH(bool, newFirmware);
        QFETCH(int, clock);
        QFETCH(QStringList, entries);
        QFETCH(int, shown);
        Rig().G().Qel().SetNewFirmware(newFirmware);
        SetWindings(hv, lv, clock);
        const QByteArray saved = Rig().FileBytes();
        QCOMPARE(Captions(Side(1).bnVectorGrp), entries);
        QCOMPARE(Side(1).bnVectorGrp->State(), shown);
        QCOMPARE(Side(1).bnVectorGrp->ItemPicture(0), 148 + Side(1).VectorGroupValues()[0]);
        FRig->Page->Load();
        QCOMPARE(Rig().Winding(1).VectorGroup().Value(), clock);
        QVERIFY(Rig().G().DocumentChanged());
        QCOMPARE(Rig().FileBytes(), saved);
        QVERIFY(!Side(0).bnVectorGrp->isVisible()); // HV has no displacement of its own
    }

    void operatorsPickWritesTheClock() {
        SetWindings(conD, conYN, 11);
        QVERIFY(Pick(Side(1).bnVectorGrp, 2)); // "5"
        QCOMPARE(Rig().Winding(1).VectorGroup().Value(), 5);
        QVERIFY(Pick(Side(1).bnVectorGrp, 7)); // "Arbitrary Phase Shift"
        QCOMPARE(Rig().Winding(1).VectorGroup().Value(), 85);
        QVERIFY(Rig().G().OpenDocument(Rig().File));
        QCOMPARE(Rig().Winding(1).VectorGroup().Value(), 85);
        QCOMPARE(Side(1).bnVectorGrp->State(), 7);
    }

    void hvConnectionRules() {
        SetWindings(conD, conYN, 11);
        QVERIFY(Pick(Side(0).bnConfiguration, 7)); // "Auto  3 Ph"
        for (int w = 1; w <= 2; ++w) {
            QCOMPARE(Rig().Winding(w).Configuration().Value(), int(conNotSet));
            QCOMPARE(Rig().Winding(w).VectorGroup().Value(), int(ClockNotSet));
        }
        QVERIFY(!Side(1).bnConfiguration->isEnabled());
        QVERIFY(!Side(1).bnVectorGrp->isEnabled());
        QCOMPARE(Side(1).bnVectorGrp->ItemCaption(Side(1).bnVectorGrp->State()), QStringLiteral("Auto"));

        QVERIFY(Pick(Side(0).bnConfiguration, 0)); // "D"
        QCOMPARE(Rig().Winding(1).Configuration().Value(), int(conD));
        QCOMPARE(Rig().Winding(2).Configuration().Value(), int(conD));
        QVERIFY(Side(1).bnConfiguration->isEnabled());

        // Single phase and CT: no displacement to find, so their tests are no automatic ones.
        QVERIFY(Pick(Side(0).bnConfiguration, 5)); // "Single"
        QCOMPARE(Rig().Winding(1).Configuration().Value(), int(con1P));
        QCOMPARE(Rig().Winding(1).VectorGroup().Value(), 0);
        QCOMPARE(Rig().Winding(2).VectorGroup().Value(), 0);
        QCOMPARE(Side(1).bnConfiguration->State(), 5);
        QVERIFY(!Side(1).bnVectorGrp->isEnabled());

        QVERIFY(Pick(Side(0).bnConfiguration, 6)); // "CT"
        QCOMPARE(Rig().Winding(2).Configuration().Value(), int(conCT));
        QCOMPARE(Rig().Winding(1).VectorGroup().Value(), 0);
    }

    // A change of a connection keeps the index of the phase displacement list and writes the
    // clock of that entry: never a vector group the table does not know ("Dyn0", phases "??").
    void connectionChangeKeepsTheIndex_data() {
        QTest::addColumn<int>("side"); // whose connection the operator picks
        QTest::addColumn<int>("hv");
        QTest::addColumn<int>("lv");
        QTest::addColumn<int>("clock");
        QTest::addColumn<int>("entry"); // picked
        QTest::addColumn<int>("clockAfter");
        QTest::addColumn<QString>("configuration");
        QTest::newRow("LV D to Yn, clock 0") << 1 << int(conD) << int(conD) << 0 << 2 << 1 << "Dyn1";
        QTest::newRow("LV Yn to D, clock 11") << 1 << int(conD) << int(conYN) << 11 << 0 << 10 << "Dd10";
        QTest::newRow("LV Yn to Z, Auto stays") << 1 << int(conD) << int(conYN) << 255 << 3 << 255 << "Dz?";
        QTest::newRow("LV Yn to Y, 85 stays") << 1 << int(conD) << int(conYN) << 85 << 1 << 85
                                              << "Dy Arbitrary Phaseshift ";
        QTest::newRow("HV D to Y, yn11") << 0 << int(conD) << int(conYN) << 11 << 1 << 10 << "Yyn10";
        QTest::newRow("HV Y to D, yn0") << 0 << int(conY) << int(conYN) << 0 << 0 << 1 << "Dyn1";
    }
    void connectionChangeKeepsTheIndex() {
        QFETCH(int, side);
        QFETCH(int, hv);
        QFETCH(int, lv);
        QFETCH(int, clock);
        QFETCH(int, entry);
        QFETCH(int, clockAfter);
        QFETCH(QString, configuration);
        SetWindings(hv, lv, clock);
        const int index = Side(1).bnVectorGrp->State();
        QVERIFY(Pick(Side(side).bnConfiguration, entry));
        QCOMPARE(Rig().Winding(1).VectorGroup().Value(), clockAfter);
        QCOMPARE(Side(1).bnVectorGrp->State(), index);
        QCOMPARE(int(Captions(Side(1).bnVectorGrp).size()), 8); // no extra entry
        QCOMPARE(QelSetup::TrafoConfigurationText(Rig().G().Doc().DUTTrafoData()), configuration);
        QCOMPARE(Rig().Winding(side).Name(), QelWindings::WindingName(side));
        if (clockAfter <= 11)
            for (int p = 0; p < 3; ++p)
                QVERIFY(Rig().G().VectorGroupLookup(p, Rig().Winding(0).Configuration().Value(),
                                                    Rig().Winding(1).Configuration().Value(), clockAfter)
                            .Found);
        QCOMPARE(Rig().G().OpenDocument(Rig().File), true); // as saved
        QCOMPARE(Rig().Winding(1).VectorGroup().Value(), clockAfter);
    }

    void nominalCurrent() {
        QVERIFY(Side(0).edNomPower->EnterValue(70e3));
        QVERIFY(Side(0).edNomVoltage->EnterValue(400e3));
        QCOMPARE(Side(0).edNomCurrent->text(), QStringLiteral("101.036 mA"));
        QCOMPARE(Rig().Winding(0).NominalCurrent().Value(), QStringLiteral("101.036 mA"));
        QCOMPARE(Rig().Winding(0).NominalVoltage().Value(), QStringLiteral("400 kV"));
        // The frame that changed the document named its winding.
        QCOMPARE(Rig().Winding(0).Name(), QStringLiteral("HV-Winding"));

        Rig().Winding(0).NominalVoltage().SetValue(QStringLiteral("0 V"));
        QVERIFY(Rig().G().DocumentChanged());
        QVERIFY(Side(0).edNomPower->EnterValue(80e3));
        QCOMPARE(Side(0).edNomCurrent->text(), QStringLiteral("??"));

        // A single-phase winding has no sqrt(3): the current follows the connection at once, and
        // so do the windings the rules put on 1P.
        QVERIFY(Side(0).edNomVoltage->EnterValue(10e3));
        QVERIFY(Side(0).edNomPower->EnterValue(10e3));
        QCOMPARE(Rig().Winding(0).NominalCurrent().Value(), QStringLiteral("577.35 mA"));
        Rig().Winding(1).NominalPower().SetValue(QStringLiteral("10 kVA"));
        QVERIFY(Rig().G().DocumentChanged());
        QVERIFY(Pick(Side(0).bnConfiguration, 5));
        QCOMPARE(Rig().Winding(0).NominalCurrent().Value(), QStringLiteral("1 A"));
        QCOMPARE(Rig().Winding(1).NominalCurrent().Value(), QStringLiteral("1 A"));
        QCOMPARE(Side(0).edNomCurrent->text(), QStringLiteral("1 A"));
    }

    // Switching a tap changer on: the nominal voltage follows the nominal tap, the field is off;
    // taps without a voltage (an older document) start with the winding's, never empty.
    void switchingATapChangerOn() {
        const TXMLGridType grid = Rig().Winding(1).TapChangerData().Grid();
        for (int r = 1; r < grid.RowCount(); ++r)
            grid.SetCell(1, r, QString());
        Rig().Winding(1).NominalVoltage().SetValue(QStringLiteral("20 kV"));
        QVERIFY(Rig().G().DocumentChanged());
        QVERIFY(Side(1).edNomPower->EnterValue(100e3));
        Tap(Side(1).bnTapChanger);
        QCOMPARE(Rig().Winding(1).TapChangerAvailable().Value(), 1);
        QCOMPARE(Rig().Winding(1).NominalVoltage().Value(), QStringLiteral("20.000 kV"));
        QCOMPARE(Rig().Winding(1).TapChangerData().Grid().Cell(1, 2), QStringLiteral("20.000 kV"));
        QVERIFY(!Side(1).edNomVoltage->isEnabled());
        QVERIFY(Side(1).bnTapParams->isEnabled());
        QVERIFY(Side(1).pnTapInfo->isVisible());
        QCOMPARE(Side(1).edNomCurrent->text(), QStringLiteral("2.887 A"));
        QCOMPARE(Rig().Winding(1).NominalCurrent().Value(), QStringLiteral("2.887 A"));
        Tap(Side(1).bnTapChanger);
        QVERIFY(Side(1).edNomVoltage->isEnabled());
        QVERIFY(!Side(1).pnTapInfo->isVisible());
    }

    // The voltage of the nominal tap replaces the one typed: the current follows it.
    void tapChangerOnRecomputesTheCurrent() {
        QVERIFY(Side(0).edNomPower->EnterValue(70e3));
        QVERIFY(Side(0).edNomVoltage->EnterValue(400e3));
        QCOMPARE(Rig().Winding(0).NominalCurrent().Value(), QStringLiteral("101.036 mA"));
        Tap(Side(0).bnTapChanger);
        QCOMPARE(Rig().Winding(0).NominalVoltage().Value(), QStringLiteral("10.000 kV"));
        QCOMPARE(Rig().Winding(0).NominalCurrent().Value(), QStringLiteral("4.041 A"));
        QCOMPARE(Side(0).edNomCurrent->text(), QStringLiteral("4.041 A"));
    }

    void tertiaryWinding() {
        QVERIFY(!Side(2).isEnabled());
        Rig().Winding(2).SetAvail(1);
        QVERIFY(Rig().G().DocumentChanged());
        QVERIFY(Side(2).isEnabled());
        QVERIFY(Side(2).bnConfiguration->isEnabled());
        QVERIFY(!Side(2).bnTapParams->isEnabled());
    }
};

QTEST_MAIN(TWindingDefsTest)
#include "tst_windingdefs.moc"
