// The history of the open test on the real data module and test files, with the index thread of
// the program: every other test of its serial number and type oldest first, the chart of each tap
// and phase over the test dates, a save read into the index through the data module's hook, an
// earlier test opened with Enter (the unsaved-changes question first), a test without serial
// number, and a damaged index the operator is told of.
#include <QSignalSpy>
#include <QTest>

#include "FStringGrids.h"
#include "StateButton.h"
#include "HistoryTests.h"
#include "IndexService.h"
#include "QelHistoryForm.h"
#include "TestFilesRig.h"
#include "TestIndex.h"
#include "TntFChart.h"

#include <QLabel>
#include <QLineSeries>

namespace {

struct THistoryRig : TTestFilesRig {
    std::unique_ptr<TTestIndexService> Index;
    std::unique_ptr<TQelHistoryForm> Form;
    QString IndexFile = App.filePath(QStringLiteral("share/TestIndex.sqlite"));

    ~THistoryRig() override {
        Form.reset();
        if (Global)
            Global->SetSavedHook(nullptr);
        Index.reset();
    }
    void Start() {
        TTestIndexService::TSettings s;
        s.IndexFile = IndexFile;
        s.Folders = {Global->DataPath};
        Index = std::make_unique<TTestIndexService>(s, &Operator);
        Global->SetSavedHook(Index.get());
        Index->Start();
        Index->Finish();
        Form = std::make_unique<TQelHistoryForm>(*Global, *Index);
        Form->OpenTest = [this](const QString& file) { return Files->OpenOther(file); };
    }
    bool Show() {
        QSignalSpy shown(Form.get(), &TQelHistoryForm::Shown);
        Form->Refresh();
        return shown.count() > 0 || shown.wait(30000);
    }
    QStringList Column(int col) const {
        QStringList cells;
        for (int r = 1; r < Form->sgHistory->RowCount(); ++r)
            cells << Form->sgHistory->Cell(col, r);
        return cells;
    }
};

} // namespace

class TstHistory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void otherTestsOldestFirstWithTheirChart() {
        THistoryRig rig;
        rig.CreateFiles();
        QVERIFY(WriteHistoryTest(rig.Data("2026.xml"), {.Date = QDate(2026, 1, 9), .Taps = 2}));
        QVERIFY(WriteHistoryTest(rig.Data("2024.xml"), {.Date = QDate(2024, 11, 30), .Taps = 2, .Deviation = [](int, int p) {
                                                            return p == 2 ? -1.5 : 0.2;
                                                        }}));
        QVERIFY(WriteHistoryTest(rig.Data("old/2025.xml"), {.Date = QDate(2025, 4, 2), .Taps = 2}));
        QVERIFY(WriteHistoryTest(rig.Data("other type.xml"), {.Type = QStringLiteral("ONAF 63 MVA"), .Taps = 2}));
        QVERIFY(WriteHistoryTest(rig.Data("other serial.xml"), {.SerialNo = QStringLiteral("K-1"), .Taps = 2}));
        QVERIFY(WriteBytes(rig.Data("cut.xml"), "<?xml version=\"1.0\"?>\n<KovaDoc"));
        QVERIFY(rig.Global->OpenDocument(rig.Data("2026.xml")));
        rig.Start();
        QVERIFY(rig.Show());
        QCOMPARE(rig.Column(1), (QStringList{rig.Data("2024.xml"), rig.Data("old/2025.xml")}));
        QCOMPARE(rig.Column(0), (QStringList{"2024-11-30 10:01:05", "2025-04-02 10:01:05"}));
        QCOMPARE(rig.Column(2), (QStringList{"-1.50 %", "0.10 %"}));
        QCOMPARE(rig.Column(3).front(), QStringLiteral("HV T1:LV, tap 1, phase C"));
        QVERIFY2(rig.Form->lbState->text().contains("2 other test(s)") &&
                     rig.Form->lbState->text().contains("cut.xml"),
                 qPrintable(rig.Form->lbState->text()));
        // Two taps by three phases, each over the three test dates (the open test among them).
        const std::vector<QLineSeries*>& series = rig.Form->FChart1->GridSeries();
        QCOMPARE(int(series.size()), 6);
        QCOMPARE(series.front()->name(), QStringLiteral("Tap 1 A"));
        QCOMPARE(series.back()->name(), QStringLiteral("Tap 2 C"));
        QCOMPARE(series.front()->count(), 3);
        QVERIFY(rig.Form->FChart1->IsTimeAxis());
        QCOMPARE(rig.Form->FChart1->YSelection(), 4);

        // A save goes into the index through the data module's hook.
        rig.Global->Doc().DUTGeneral().Type().SetValue(QStringLiteral("ONAF 63 MVA"));
        QVERIFY(rig.Global->DocumentChanged());
        rig.Index->Finish();
        QVERIFY(rig.Show());
        QCOMPARE(rig.Column(1), QStringList{rig.Data("other type.xml")});

        // Enter opens the chosen test; its pending changes are asked about first.
        rig.Global->Doc().DUTGeneral().Type().SetValue(QStringLiteral("ONAN 40 MVA"));
        QVERIFY(rig.Global->DocumentChanged());
        rig.Index->Finish();
        QVERIFY(rig.Show());
        rig.Form->show();
        rig.Form->sgHistory->SetRow(1);
        rig.Operator.Answers << TOperatorIFace::TAnswer::Yes;
        QTest::keyClick(rig.Form.get(), Qt::Key_Return);
        QCOMPARE(rig.Global->Doc().FileName(), rig.Data("2024.xml"));
        QVERIFY(!rig.Form->isVisible());
        QVERIFY(!QFileInfo::exists(rig.Data("2026.xml.save")));
    }

    void testWithoutSerialNumberAndADamagedIndex() {
        THistoryRig rig;
        rig.CreateFiles();
        QVERIFY(WriteHistoryTest(rig.Data("none.xml"), {.SerialNo = QString()}));
        QVERIFY(QDir().mkpath(QFileInfo(rig.IndexFile).path()));
        QVERIFY(WriteBytes(rig.IndexFile, QByteArray("not an index\n").repeated(500)));
        QVERIFY(rig.Global->OpenDocument(rig.Data("none.xml")));
        rig.Start();
        QTRY_VERIFY_WITH_TIMEOUT(rig.Operator.Texts().join(u'\n').contains("The test index was damaged"), 30000);
        QVERIFY(rig.Show());
        QCOMPARE(rig.Form->lbState->text(), QStringLiteral("The test has no serial number, so it has no history."));
        QVERIFY(!rig.Form->bnOpen->isEnabled());
        QVERIFY(QFileInfo::exists(rig.IndexFile + ".damaged"));
    }
};

QTEST_MAIN(TstHistory)
#include "tst_history.moc"
