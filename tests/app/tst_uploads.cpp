#include <QFile>
#include <QTest>

#include <cmath>

#include "Qel8624Device.h"
#include "QelUploads.h"
#include "SIPrefixes.h"
#include "TestFilesRig.h"

// The instrument's stored tests (the emulator's own) read over the line, listed, shown as text and
// turned into test documents that stay what the instrument measured.
class TstUploads : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestFilesRig> Uploaded() {
        auto rig = std::make_unique<TTestFilesRig>();
        if (!rig->StartEmulator(600) || !InstallVectorGroupTable(rig->App.path()))
            return nullptr;
        rig->CreateFiles({});
        rig->Global->LoadVectorGroupTable();
        if (!rig->WaitIdle())
            return nullptr;
        rig->Global->StartUpload();
        if (!QTest::qWaitFor([&] { return !rig->Global->UploadRunning(); }, 60000) ||
            rig->Global->DirectoryEntries.size() != 3 || rig->Global->UploadedRecords.size() != 3)
            return nullptr;
        return rig;
    }

    static QStringList Lines(const QString& text) { return text.split(QStringLiteral("\r\n")); }

private Q_SLOTS:
    void listRowsAndRecordText() {
        auto rig = Uploaded();
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        QVERIFY(QelUploads::ListRow(*g.DirectoryEntries[0])
                    .startsWith(QStringLiteral("1: T-110-4711, Substation North, ONAN 40 MVA, ")));
        QVERIFY(QelUploads::ListRow(*g.DirectoryEntries[2])
                    .startsWith(QStringLiteral("4: DT-9, Village West, ")));
        const QStringList t = Lines(QelUploads::RecordText(g, *g.UploadedRecords[0]));
        const QStringList head = {"Configuration:\t\tDyn11",
                                  "TestVoltage:\t\t100.0  V",
                                  "HV Nominal Voltage:\t110.000 kV",
                                  "LV Nominal Voltage:\t20.000 kV",
                                  "Total Taps:\t\t5",
                                  "Bottom Tap Number:\t1",
                                  "Nominal Tap Number:\t3",
                                  "Step Tap - Tap:\t\t500.000  V",
                                  "Max. Deviation:\t\t0.50",
                                  "DUT Serial No:\t\tT-110-4711",
                                  "DUT Type:\t\tONAN 40 MVA",
                                  "DUT Location:\t\tSubstation North",
                                  "Operator:\t\tJ. Smith",
                                  ""};
        QCOMPARE(t.mid(0, head.size()), head);
        QVERIFY(t[14].startsWith(QStringLiteral("Phase Description\t")));
        QVERIFY(t[15].startsWith(QStringLiteral("\t\t\t")) && t[16].startsWith(QStringLiteral("\t\t\t")));
        QCOMPARE(t.mid(17, 7),
                 (QStringList{"", "Tap: \t\t\t1 (1 of 5)", "HV : \t\t\t110.000 kV ", "LV : \t\t\t19.000 kV ",
                              "", "Phase\tT-Ratio\tTRDev\tPhDev\tCurrent", QString(63, '*')}));
        QVERIFY(t[24].startsWith(QStringLiteral(" A  \t")) && t[24].endsWith(QStringLiteral("mA")));
        // A stored setup: no results, no phase block.
        const QString setup = QelUploads::RecordText(g, *g.UploadedRecords[2]);
        QVERIFY(setup.endsWith(QStringLiteral("Operator:\t\tService\r\n\r\n")));
        QVERIFY(setup.contains(QStringLiteral("Configuration:\t\tYy0\r\nTestVoltage:\t\tAuto\r\n")));
        QVERIFY(setup.contains(QStringLiteral("LV Nominal Voltage:\t400.000 V\r\n")));
    }

    // Each stored test becomes a document that agrees with itself: the tap table's LV voltages are
    // the results' own, and the deviations recomputed with the table's factor match the record's.
    void convertedTestsAgreeWithTheRecords() {
        auto rig = Uploaded();
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        for (size_t k = 0; k < 3; ++k) {
            const TMemoryData& r = *g.UploadedRecords[k];
            const QString name = QelUploads::FirstFreeFileName(g.DataPath + QStringLiteral("Upload.xml"));
            QCOMPARE(QFileInfo(name).fileName(),
                     k == 0 ? QStringLiteral("Upload.xml") : QStringLiteral("Upload%1.xml").arg(k));
            QVERIFY(QelUploads::OpenAsDocument(*rig->Files, name, false, r, *g.DirectoryEntries[k]));
            QVERIFY(!rig->Files->HasMarker(name));
            TKvXML saved;
            QVERIFY(saved.Load(name));
            const TXMLWindingType lv = saved.DUTTrafoData().Winding().Item(1);
            QCOMPARE(lv.Configuration().Value(), int(r.Setup.LVConnection));
            QCOMPARE(lv.VectorGroup().Value(), int(r.Setup.ClockNumber));
            QCOMPARE(saved.DUTTrafoData().Winding().Item(2).Avail(), 0);
            QCOMPARE(lv.TapChangerData().NrOfTaps().Value(), int(r.Setup.TapA));
            const TXMLGridType taps = lv.TapChangerData().Grid();
            const TXMLGridType rows = saved.QEL().Measurement().Grid();
            const int n = QelUploads::TapResultCount(r);
            QCOMPARE(rows.RowCount(), 1 + 3 * n + 1);
            for (int i = 0; i < n; ++i) {
                const TTapResult& tap = r.Taps[size_t(i)];
                // Tap i is table row i + 1.
                QCOMPARE(taps.Cell(1, i + 1), FormatSI(tap.LVNominal * 1000.0, 0, 3, false) + 'V');
                for (int p = 0; p < 3; ++p) {
                    const int row = 1 + 3 * i + p;
                    QCOMPARE(rows.Cell(1, row), QString(QChar('A' + p)));
                    QCOMPARE(rows.Cell(4, row), taps.Cell(1, i + 1));
                    QCOMPARE(rows.Cell(5, row), QString::number(r.Setup.TapB + i));
                    double dev = 0;
                    QVERIFY(ReadSI(rows.Cell(9, row), dev));
                    QVERIFY2(std::fabs(dev - tap.RatioDeviation[size_t(p)]) <= 0.0051,
                             qPrintable(rows.Cell(9, row)));
                }
            }
        }
        QCOMPARE(
            QFileInfo(QelUploads::FirstFreeFileName(g.DataPath + QStringLiteral("Upload.xml"))).fileName(),
            QStringLiteral("Upload3.xml"));
    }

    // The converted test is confirmed: after a change, "Cancel" keeps the change and "No" goes back to
    // the converted test, never to an empty one.
    void convertedTestSurvivesTheUnsavedChangesQuestion() {
        auto rig = Uploaded();
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        const QString name = g.DataPath + QStringLiteral("Upload.xml");
        QVERIFY(QelUploads::OpenAsDocument(*rig->Files, name, false, *g.UploadedRecords[0],
                                           *g.DirectoryEntries[0]));
        const int rows = g.Doc().QEL().Measurement().Grid().RowCount();
        QCOMPARE(rows, 17);
        g.Doc().DUTGeneral().Job().SetValue(QStringLiteral("changed"));
        QVERIFY(g.DocumentChanged());
        rig->Operator.Answers = {TOperatorIFace::TAnswer::Cancel};
        QCOMPARE(rig->Files->CheckUnsavedChanges(), TQelTestFiles::mrCancel);
        QCOMPARE(g.Doc().DUTGeneral().Job().Value(), QStringLiteral("changed"));
        rig->Operator.Answers = {TOperatorIFace::TAnswer::No};
        QCOMPARE(rig->Files->CheckUnsavedChanges(), TQelTestFiles::mrNo);
        QCOMPARE(g.Doc().QEL().Measurement().Grid().RowCount(), rows);
        QCOMPARE(g.Doc().DUTGeneral().SerialNo().Value(), QStringLiteral("T-110-4711"));
        QVERIFY(g.Doc().DUTGeneral().Job().Value() != QStringLiteral("changed"));
        TKvXML saved;
        QVERIFY(saved.Load(name));
        QCOMPARE(saved.QEL().Measurement().Grid().RowCount(), rows);
        // An existing name is replaced only on the operator's word.
        rig->Operator.Answers = {TOperatorIFace::TAnswer::Cancel};
        QVERIFY(!QelUploads::OpenAsDocument(*rig->Files, name, false, *g.UploadedRecords[2],
                                            *g.DirectoryEntries[2]));
        QVERIFY(saved.Load(name));
        QCOMPARE(saved.QEL().Measurement().Grid().RowCount(), rows);
    }

    void deleteWaitsForTheInstrument() {
        auto rig = Uploaded();
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        TEmulatorFault refuse;
        refuse.Request = QStringLiteral("M F");
        rig->Emulator->AddFault(refuse);
        QVERIFY(g.DeleteMemorySlot(2));
        QTRY_VERIFY_WITH_TIMEOUT(!g.DeleteInProgress, 20000);
        QCOMPARE(int(g.DirectoryEntries.size()), 3);
        QTRY_VERIFY_WITH_TIMEOUT(rig->Operator.Texts().contains(QStringLiteral(
                                     "Memory slot 2 was not deleted: it is still stored in the instrument.")),
                                 20000);
        QVERIFY(g.DeleteMemorySlot(2));
        QTRY_VERIFY_WITH_TIMEOUT(!g.DeleteInProgress, 20000);
        QCOMPARE(int(g.DirectoryEntries.size()), 2);
        QCOMPARE(g.DirectoryEntries[1]->Slot, 4);
        QCOMPARE(g.UploadedRecords[1]->Setup.DUTSerialNumber, QStringLiteral("DT-9"));
    }

    // Records the instrument may hold however it was set up.
    void oddRecords_data() {
        QTest::addColumn<float>("lvNominal");
        QTest::addColumn<float>("step");
        QTest::addColumn<float>("testVoltage");
        QTest::addColumn<int>("hv");
        QTest::addColumn<QStringList>("tapVoltages");
        QTest::addColumn<int>("rowsPerTap");
        QTest::newRow("lv 20 kV, step 0.2 kV")
            << 20.f << 0.2f << 100.f << 0 << QStringList{"18.400 kV", "18.600 kV"} << 3;
        QTest::newRow("lv 0.4 kV, step 0.5 kV") << 0.4f << 0.5f << 0.f << 1 << QStringList{"", ""} << 3;
        QTest::newRow("single phase")
            << 10.f << 0.f << 10.f << 5 << QStringList{"10.000 kV", "10.000 kV"} << 1;
        QTest::newRow("CT") << 10.f << 0.f << 10.f << 6 << QStringList{"10.000 kV", "10.000 kV"} << 1;
    }
    void oddRecords() {
        QFETCH(float, lvNominal);
        QFETCH(float, step);
        QFETCH(float, testVoltage);
        QFETCH(int, hv);
        QFETCH(QStringList, tapVoltages);
        QFETCH(int, rowsPerTap);
        TTestFilesRig rig;
        QVERIFY(InstallVectorGroupTable(rig.App.path()));
        rig.CreateFiles();
        rig.Global->LoadVectorGroupTable();
        TMemoryData r;
        r.Setup.HVConnection = hv;
        r.Setup.LVConnection = rowsPerTap == 1 ? hv : 1;
        r.Setup.ClockNumber = hv == 0 ? 11 : 0; // a clock of the pair (Dy11, Yy0)
        r.Setup.TestVoltage = testVoltage;
        r.Setup.HVNominal = 110;
        r.Setup.LVNominal = lvNominal;
        r.Setup.TapA = 9;
        r.Setup.TapB = 1;
        r.Setup.TapC = 9;
        r.Setup.TapStep = step;
        r.Setup.TapResults = 500;
        // Turns ratios as the winding pair gives them: every voltage ratio is 110 kV / LV.
        const float turns = Qel8624::VectorGroupRatioFactor(r.Setup.HVConnection, r.Setup.LVConnection) * 110 / lvNominal;
        for (TTapResult& t : r.Taps)
            t = {110, lvNominal, {turns, turns, turns}, {}, {}, {}, false};
        const QString name = rig.Global->DataPath + QStringLiteral("Odd.xml");
        QVERIFY(QelUploads::OpenAsDocument(*rig.Files, name, false, r, {}));
        const TKvXML& doc = rig.Global->Doc();
        const TXMLWindingType lv = doc.DUTTrafoData().Winding().Item(1);
        QCOMPARE(lv.TapChangerData().Grid().Cell(1, 1), tapVoltages[0]);
        QCOMPARE(lv.TapChangerData().Grid().Cell(1, 2), tapVoltages[1]);
        QCOMPARE(doc.QEL().Setup().ActTestVoltage().Value(),
                 testVoltage == 0 ? QStringLiteral("Auto") : FormatSI(testVoltage, 0, 1, false) + 'V');
        QCOMPARE(lv.NominalVoltage().Value(), FormatSI(lvNominal * 1000.0, 0, 3, false) + 'V');
        // 500 stored results are more than a record holds.
        QCOMPARE(doc.QEL().Measurement().Grid().RowCount(), 1 + rowsPerTap * QelMaxTaps + 1);
        if (rowsPerTap == 1)
            QCOMPARE(doc.QEL().Measurement().Grid().Cell(1, 1), QStringLiteral("Single"));
        // A ratio for every winding: the table's factor, 1.0 where it has no row (1P, CT).
        for (int row = 1; row <= rowsPerTap; ++row) {
            const TXMLGridType grid = doc.QEL().Measurement().Grid();
            QVERIFY2(std::fabs(grid.Cell(7, row).toDouble() / (110 / lvNominal) - 1) < 1e-4,
                     qPrintable(grid.Cell(7, row)));
            QCOMPARE(grid.Cell(8, row), FormatFixed(turns, 0, 4, false));
            QVERIFY2(std::fabs(grid.Cell(9, row).remove('%').toDouble()) < 0.01, qPrintable(grid.Cell(9, row)));
            QVERIFY(grid.Cell(9, row).endsWith(QStringLiteral(" %")));
        }
        if (tapVoltages[0].isEmpty())
            QTRY_VERIFY_WITH_TIMEOUT(
                rig.Operator.Texts().join('|').contains(QStringLiteral("tap(s) 1, 2, 3")), 10000);
        TMemoryData bad = r;
        bad.Setup.HVConnection = 9;
        bad.Setup.LVConnection = 1;
        bad.Setup.ClockNumber = 15;
        QVERIFY(QelUploads::RecordText(*rig.Global, bad)
                    .startsWith(QStringLiteral("Configuration:\t\t?y??\r\n")));
        // No row for such a vector group: the factor 1.0, never a product with 0.
        QVERIFY(QelUploads::OpenAsDocument(*rig.Files, rig.Global->DataPath + QStringLiteral("Bad.xml"), false,
                                           bad, {}));
        const TXMLGridType rows = rig.Global->Doc().QEL().Measurement().Grid();
        QCOMPARE(rows.Cell(7, 1), rows.Cell(8, 1));
        QVERIFY(rows.Cell(9, 1).endsWith(QStringLiteral(" %")));
    }

    // No taps stored: the LV winding has no tap changer and an empty tap table, not the taps of
    // the new test it was made from.
    void recordWithoutTaps() {
        TTestFilesRig rig;
        QVERIFY(InstallVectorGroupTable(rig.App.path()));
        rig.CreateFiles();
        rig.Global->LoadVectorGroupTable();
        TMemoryData r;
        r.Setup.HVConnection = 0;
        r.Setup.LVConnection = 2;
        r.Setup.ClockNumber = 11;
        r.Setup.HVNominal = 110;
        r.Setup.LVNominal = 20;
        QVERIFY(QelUploads::OpenAsDocument(*rig.Files, rig.Global->DataPath + QStringLiteral("NoTaps.xml"), false,
                                           r, {}));
        QVERIFY(rig.Global->OpenDocument(rig.Global->DataPath + QStringLiteral("NoTaps.xml")));
        const TXMLWindingType lv = rig.Global->Doc().DUTTrafoData().Winding().Item(1);
        QCOMPARE(lv.TapChangerAvailable().Value(), 0);
        const TXMLTapChangerDataType taps = lv.TapChangerData();
        QCOMPARE(taps.NrOfTaps().Value(), 0);
        const TXMLGridType grid = taps.Grid();
        QCOMPARE(grid.Cell(0, 0), QStringLiteral("Tap"));
        for (int row = 1; row < grid.RowCount(); ++row)
            for (int c = 0; c < 4; ++c)
                QCOMPARE(grid.Cell(c, row), QString());
        QCOMPARE(lv.NominalVoltage().Value(), QStringLiteral("20.000 kV"));
    }
};

QTEST_MAIN(TstUploads)
#include "tst_uploads.moc"
