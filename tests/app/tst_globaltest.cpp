#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "Dyn11Document.h"
#include "IniFile.h"
#include "LinkRig.h"
#include "Qel8624Device.h"
#include "Qel8624Emulator.h"
#include "QelGlobals.h"
#include "RecordingOperator.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

// The data module against the instrument emulator on a pseudo-terminal: what it sends on the
// line and what every registered window is told, in order.
class TMessageLog : public QObject {
public:
    struct TMsg {
        int Id;
        qintptr W, L;
        bool operator==(const TMsg&) const = default;
    };
    QList<TMsg> Got;
    std::function<void(const TMsg&)> OnMessage;
    bool event(QEvent* e) override {
        if (e->type() >= QEvent::User && e->type() < 2000) {
            auto* m = static_cast<TQelMessage*>(e);
            Got.append({int(e->type()), m->WParam, m->LParam});
            if (OnMessage)
                OnMessage(Got.last());
            return true;
        }
        return QObject::event(e);
    }
    int Count(int id, qintptr w = -1, qintptr l = -1) const {
        int n = 0;
        for (const auto& m : Got)
            if (m.Id == id && (w < 0 || m.W == w) && (l < 0 || m.L == l))
                ++n;
        return n;
    }
};

class TstGlobalTest : public QObject {
    Q_OBJECT
    QTemporaryDir FHome;

    struct TRig : TLinkRig {
        TMessageLog Log;
        ~TRig() override { Global.reset(); }
    };

    std::unique_ptr<TRig> Connect(const TEmulatorIdentity& identity = {}, bool viaLink = false,
                                  const TLinkTimings& timings = TLinkRig::ShortTimings()) {
        auto rig = std::make_unique<TRig>();
        rig->Timings = timings;
        rig->DocumentsFolder = FHome.path();
        if (!rig->StartEmulator(600, identity, viaLink))
            return nullptr;
        rig->CreateGlobal();
        rig->Global->RegisterWindow(&rig->Log);
        return rig;
    }

    void MakeDyn11(TQelGlobal& g, const QString& file) {
        QVERIFY(g.NewDocument(file));
        QVERIFY(::MakeDyn11(g));
    }

    static int IndexOf(const QList<QStringList>& requests, const QString& head, int from = 0) {
        if (from < 0)
            return -1;
        for (int i = from; i < requests.size(); ++i)
            if (requests[i].join(' ').startsWith(head))
                return i;
        return -1;
    }

private Q_SLOTS:
    void initTestCase() { qputenv("HOME", FHome.path().toLocal8Bit()); }

    void tapTestOnDyn11() {
        auto rig = Connect();
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        QVERIFY(rig->WaitIdle());
        MakeDyn11(g, FHome.filePath(QStringLiteral("dyn11.xml")));
        QCOMPARE(g.NominalVoltageRatioText(), QStringLiteral("5.5000"));
        QCOMPARE(g.MeasurementConfigurationText(), QStringLiteral("HV:LV"));
        rig->Emulator->ClearLog();
        rig->Log.Got.clear();
        g.StartTapTest(1);
        QCOMPARE(g.CurrentSetup.Setup.TestVoltage, 0.0f);
        QCOMPARE(g.CurrentSetup.Setup.HVNominal, 110.0f);
        QCOMPARE(g.CurrentSetup.Setup.LVNominal, 20.0f);
        QTRY_VERIFY_WITH_TIMEOUT(rig->Log.Count(UM_RESULT, wpResult, lpTapResult) == 1, 20000);

        const QList<QStringList> req = rig->Emulator->Requests();
        const int del = IndexOf(req, QStringLiteral("M F 00000000"));
        const int setup = IndexOf(req, QStringLiteral("T S V"), del);
        const int run = IndexOf(req, QStringLiteral("T M R"), setup);
        const int poll = IndexOf(req, QStringLiteral("T M Q"), run);
        const int tap = IndexOf(req, QStringLiteral("T R T 00000000"), poll);
        QVERIFY2(
            del >= 0 && setup > del && run > setup && poll > run && tap > poll,
            qPrintable(QString::number(del) + ' ' + QString::number(setup) + ' ' + QString::number(run)));
        const Qel8624::TTestSetupArgs sent = rig->Emulator->CurrentSetup();
        QCOMPARE(sent.TestVoltage, 0.0f);
        QCOMPARE(sent.HvNominal, 110.0f);
        QCOMPARE(sent.LvNominal, 20.0f);
        QCOMPARE(sent.TapA, 1);

        // The live result carries the setup's nominal voltages and its deviations.
        QCOMPARE(g.LiveResult.HVNominal, 110.0f);
        QCOMPARE(g.LiveResult.LVNominal, 20.0f);
        for (int p = 0; p < 3; ++p) {
            QVERIFY(g.LiveResult.Ratio[p] > 0);
            QVERIFY(std::fabs(g.LiveResult.RatioDeviation[p]) < 1.0f);
        }
        QVERIFY(rig->Log.Count(UM_LINKSTATE, wpCompleted, int(CommandType::TESTSETUP)) >= 1);
        QVERIFY(rig->Log.Count(UM_LINKSTATE, wpTestStatus, 0) >= 1);
    }

    void setupResentAndRunRefused() {
        auto rig = Connect();
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        QVERIFY(rig->WaitIdle());
        MakeDyn11(g, FHome.filePath(QStringLiteral("refuse.xml")));
        TEmulatorFault setupFault;
        setupFault.Kind = TEmulatorFault::Refuse;
        setupFault.Request = QStringLiteral("T S N");
        setupFault.ErrorNumber = 2305;
        rig->Emulator->AddFault(setupFault);
        TEmulatorFault runFault;
        runFault.Kind = TEmulatorFault::Refuse;
        runFault.Request = QStringLiteral("T M R");
        runFault.ErrorNumber = 2306;
        rig->Emulator->AddFault(runFault);
        rig->Emulator->ClearLog();
        g.StartTapTest(3);
        QTRY_VERIFY_WITH_TIMEOUT(IndexOf(rig->Emulator->Requests(), QStringLiteral("T M H")) >= 0, 15000);
        const QList<QStringList> req = rig->Emulator->Requests();
        const int first = IndexOf(req, QStringLiteral("T S T 00000003"));
        const int again = IndexOf(req, QStringLiteral("T S T 00000001"), first);
        const int run = IndexOf(req, QStringLiteral("T M R"), again);
        const int halt = IndexOf(req, QStringLiteral("T M H"), run);
        QStringList all;
        for (const auto& r : req)
            all << r.join(' ');
        QVERIFY2(first >= 0 && again > first && run > again && halt > run, qPrintable(all.join('|')));
        QVERIFY(g.StopRequested);
        QVERIFY(g.TapCountFlag);
    }

    void uploadWithoutStoredTests() {
        auto rig = Connect();
        QVERIFY(rig);
        rig->Emulator->SetStoredTests({});
        TQelGlobal& g = *rig->Global;
        QVERIFY(rig->WaitIdle());
        rig->Emulator->ClearLog();
        g.StartUpload();
        QTRY_COMPARE_WITH_TIMEOUT(rig->Operator.Texts(),
                                  QStringList{QStringLiteral("Sorry there are no measuring stored ")}, 15000);
        int dirs = 0;
        for (const auto& r : rig->Emulator->Requests())
            dirs += r.join(' ') == QLatin1String("M G");
        QCOMPARE(dirs, 4);
    }

    void uploadOfTwoStoredTests() {
        auto rig = Connect();
        QVERIFY(rig);
        QList<TEmulatorStoredTest> tests = TQel8624Emulator::DefaultStoredTests();
        QVERIFY(tests.size() >= 2);
        tests = tests.mid(0, 2);
        tests[0].Slot = 3;
        tests[0].SetupOnly = false;
        tests[1].Slot = 7;
        tests[1].SetupOnly = false;
        rig->Emulator->SetStoredTests(tests);
        TQelGlobal& g = *rig->Global;
        QVERIFY(rig->WaitIdle());
        rig->Emulator->ClearLog();
        rig->Log.Got.clear();
        g.StartUpload();
        QTRY_VERIFY_WITH_TIMEOUT(rig->Log.Count(UM_LINKSTATE, wpUploadEnded, int(TUploadEnd::Done)) == 1,
                                 30000);
        QStringList seen;
        int taps = 0;
        for (const auto& r : rig->Emulator->Requests()) {
            const QString t = r.join(' ');
            if (t.startsWith(QLatin1String("M R I")) || t.startsWith(QLatin1String("M R S")))
                seen << t;
            if (t.startsWith(QLatin1String("M R T")))
                ++taps;
        }
        // Infos 3 and 7 for the directory, then records 3 and 7, each its setup and info first.
        QCOMPARE(seen, (QStringList{QStringLiteral("M R I 00000003"), QStringLiteral("M R I 00000007"),
                                    QStringLiteral("M R S 00000003"), QStringLiteral("M R I 00000003"),
                                    QStringLiteral("M R S 00000007"), QStringLiteral("M R I 00000007")}));
        QVERIFY(taps > 0);
        QCOMPARE(int(g.DirectoryEntries.size()), 2);
        QCOMPARE(g.DirectoryEntries[0]->Slot, 3);
        QCOMPARE(g.DirectoryEntries[1]->Slot, 7);
        QCOMPARE(int(g.UploadedRecords.size()), 2);
        int at501 = -1, at500 = -1;
        for (int i = 0; i < rig->Log.Got.size(); ++i) {
            if (rig->Log.Got[i] == TMessageLog::TMsg{UM_LINKSTATE, wpCompleted, lpDirectoryListed})
                at501 = i;
            if (rig->Log.Got[i] == TMessageLog::TMsg{UM_LINKSTATE, wpCompleted, lpAllRecordsRead})
                at500 = i;
        }
        QVERIFY(at501 >= 0 && at500 > at501);
    }

    void testVoltagesAndSectionFollowType() {
        {
            TEmulatorIdentity id;
            id.Type = QStringLiteral("QEL 8625");
            auto rig = Connect(id);
            QVERIFY(rig);
            QVERIFY(rig->WaitIdle());
            QCOMPARE(rig->Global->TestVoltages, (std::array<float, 4>{250, 100, 25, 2}));
            QCOMPARE(rig->Global->ConfigSection, QStringLiteral("QEL8625"));
        }
        auto rig = Connect();
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        QVERIFY(rig->WaitIdle());
        QCOMPARE(g.TestVoltages, (std::array<float, 4>{100, 40, 10, 1}));
        QCOMPARE(g.ConfigSection, QStringLiteral("QEL8624"));
        g.StartupMode = 2;
        g.WriteConfig();
        TIniFile ini(g.ConfigFileName);
        QCOMPARE(ini.ReadInteger(QStringLiteral("QEL8624"), QStringLiteral("StartupMode"), -1), 2);
        QCOMPARE(g.ConfigFileName, rig->App.filePath(QStringLiteral("Qel8625.cfg")));

        // A type text with characters no section name may hold: they never reach the file.
        TEmulatorIdentity odd;
        odd.Type = QStringLiteral("QEL 86]24;\r\n[x");
        rig = Connect(odd);
        QVERIFY(rig);
        QVERIFY(rig->WaitIdle());
        QCOMPARE(rig->Global->ConfigSection, QStringLiteral("QEL8624x"));
        const auto written = [&] {
            rig->Global->WriteConfig();
            QFile file(rig->ConfigFile());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray once = written();
        QCOMPARE(once.count("[QEL8624x]"), 1);
        QCOMPARE(written(), once); // no section gained by writing again
    }

    // The thread never waits for the operator: a message raised by a completion is shown after
    // the hand-over, and polling goes on while it waits for an answer.
    void completionMessageLetsThePollGoOn() {
        auto rig = Connect();
        QVERIFY(rig);
        rig->Emulator->SetStoredTests({});
        QVERIFY(rig->WaitIdle());
        bool polledWhileShown = false;
        rig->Operator.WhileShown = [&](const QString&) {
            rig->Emulator->ClearLog();
            polledWhileShown = QTest::qWaitFor([&] { return rig->WasSent(QStringLiteral("C M")); }, 20000);
        };
        QVERIFY(rig->Global->StartUpload());
        QTRY_COMPARE_WITH_TIMEOUT(rig->Operator.Texts(),
                                  QStringList{QStringLiteral("Sorry there are no measuring stored ")}, 20000);
        QVERIFY(polledWhileShown);
        QTRY_COMPARE(rig->Log.Count(UM_LINKSTATE, wpUploadEnded, int(TUploadEnd::NothingStored)), 1);
    }

    // A tap reply whose fields do not read is no result: no message 1401, the test stops.
    void unreadableTapResult() {
        auto rig = Connect();
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        QVERIFY(rig->WaitIdle());
        MakeDyn11(g, FHome.filePath(QStringLiteral("unreadable.xml")));
        TEmulatorFault bad;
        bad.Kind = TEmulatorFault::Malformed;
        bad.Request = QStringLiteral("T R T");
        rig->Emulator->AddFault(bad);
        rig->Log.Got.clear();
        g.StartTapTest(1);
        QTRY_VERIFY_WITH_TIMEOUT(rig->WasSent(QStringLiteral("T M H")), 20000);
        QTRY_VERIFY(rig->Operator.Beeps >= 1);
        QTRY_COMPARE(rig->Operator.Texts().size(), 1);
        QVERIFY(rig->Operator.Texts().first().contains(QStringLiteral("could not be read")));
        QCOMPARE(rig->Log.Count(UM_RESULT), 0);
        QCOMPARE(rig->Log.Count(UM_LINKSTATE, wpCompleted, int(CommandType::TESTGETTAP)), 0);
        QCOMPARE(g.LiveResult.Ratio, (std::array<float, 3>{0, 0, 0}));
        QCOMPARE(g.Qel().State(), LinkState::Idle);
    }

    // A refusal inside a memory read ends that slot's read only: it never sends a test setup.
    void refusedRecordReadNeverStartsATest() {
        auto rig = Connect();
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        QVERIFY(rig->WaitIdle());
        TEmulatorFault refused;
        refused.Kind = TEmulatorFault::Refuse;
        refused.Request = QStringLiteral("M R S 00000002");
        refused.ErrorNumber = Qel8624::ErrEndOfList; // in the resend list of a tap test
        rig->Emulator->AddFault(refused);
        rig->Emulator->ClearLog();
        QVERIFY(g.StartUpload());
        QTRY_COMPARE_WITH_TIMEOUT(rig->Log.Count(UM_LINKSTATE, wpUploadEnded, int(TUploadEnd::Done)), 1,
                                  30000);
        QVERIFY(!rig->WasSent(QStringLiteral("T S")));
        QVERIFY(!rig->WasSent(QStringLiteral("T M R")));
        QTRY_VERIFY(rig->Operator.Texts().contains(QStringLiteral("Memory slot 2 could not be read.")));
        // Entries and records still belong to the same slots; slot 2 has no record.
        QCOMPARE(g.DirectoryEntries.size(), g.UploadedRecords.size());
        for (size_t i = 0; i < g.DirectoryEntries.size(); ++i)
            QCOMPARE(g.UploadedRecords[i] == nullptr, g.DirectoryEntries[i]->Slot == 2);
    }

    // A second operation from the event loop of one that waits for the link is refused.
    void operationArrivingWhileAnotherWaits() {
        // The held poll is released from the waiting operation's event loop, however long a busy
        // machine takes to get there: no deadline of the link may run out first (a poll that
        // timed out would take the released reply as the next command's). And the test waits
        // for the poll to be held, not for a frame after the log was cleared: a poll held just
        // before that left no frame to wait for.
        TLinkTimings patient = TLinkRig::ShortTimings();
        patient.Transport = {120000, 120000, 120000};
        patient.GuardMs = 120000;
        auto rig = Connect({}, false, patient);
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        QVERIFY(rig->WaitIdle());
        MakeDyn11(g, FHome.filePath(QStringLiteral("nested.xml")));
        // The thread is held in a poll whose reply does not come, with a request pending: the
        // test start has to wait in the guard.
        rig->Emulator->AddFault({TEmulatorFault::Held, QStringLiteral("C M")});
        rig->Emulator->ClearLog();
        QTRY_COMPARE_WITH_TIMEOUT(rig->Emulator->HeldCount(), 1, 20000);
        QVERIFY(g.Qel().RequestMemGetDir(false));
        bool nested = false;
        bool secondStarted = true;
        QTimer::singleShot(0, this, [&] {
            nested = true;
            secondStarted = g.StartTapTest(1); // as a second press of the key would
            rig->Emulator->ReleaseHeld();
        });
        QVERIFY(g.StartTapTest(1));
        QVERIFY(nested);
        QVERIFY(!secondStarted); // the page must not say it started
        QTRY_VERIFY_WITH_TIMEOUT(rig->Log.Count(UM_RESULT, wpResult, lpTapResult) == 1, 20000);
        QCOMPARE(rig->Sent().count(QStringLiteral("M F 00000000")), 1);
        QCOMPARE(rig->Sent().filter(QStringLiteral("T S V")).size(), 1);
    }

    // The data module brings the link back by itself, without a message per attempt.
    void linkComesBack_data() {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("instrument appears after the start") << QStringLiteral("late");
        QTest::newRow("instrument restarted on the same port") << QStringLiteral("restart");
        QTest::newRow("connect refused once") << QStringLiteral("refused");
    }
    void linkComesBack() {
        QFETCH(QString, scenario);
        auto rig = std::make_unique<TRig>();
        rig->DocumentsFolder = FHome.path();
        if (scenario == QLatin1String("late")) {
            rig->SetPort(rig->LinkPath()); // nothing there yet
            rig->CreateGlobal();
            QTRY_VERIFY_WITH_TIMEOUT(rig->Global->Qel().State() == LinkState::Disconnected, 20000);
            QVERIFY(!rig->Global->Qel().LastOpenError().isEmpty());
            QVERIFY(rig->StartEmulator(600, {}, true));
        } else {
            QVERIFY(rig->StartEmulator(600, {}, true));
            if (scenario == QLatin1String("refused"))
                rig->Emulator->AddFault({TEmulatorFault::Refuse, QStringLiteral("C O"), 0x905});
            rig->CreateGlobal();
            if (scenario == QLatin1String("restart")) {
                QVERIFY(rig->WaitIdle());
                rig->Emulator.reset(); // its line hangs up
                QTRY_VERIFY_WITH_TIMEOUT(rig->Global->Qel().State() != LinkState::Idle, 20000);
                QVERIFY(rig->StartEmulator(600, {}, true));
            }
        }
        QVERIFY(rig->WaitIdle(30000));
        QCOMPARE(rig->Global->Qel().InstrumentType(), QStringLiteral("QEL 8624"));
        QCOMPARE(rig->Global->LinkCondition(), TQelGlobal::TLinkCondition::Connected);
        if (scenario == QLatin1String("refused"))
            QCOMPARE(rig->Sent().count(QStringLiteral("C O")), 2);
        QVERIFY(rig->Operator.Entries.isEmpty());
    }

    void shutDownWhileIdle() {
        auto rig = Connect();
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        QVERIFY(rig->WaitIdle());
        rig->Emulator->ClearLog();
        g.ShutDown();
        QTRY_VERIFY(IndexOf(rig->Emulator->Requests(), QStringLiteral("C C")) >= 0);
        const QList<QStringList> req = rig->Emulator->Requests();
        QVERIFY(IndexOf(req, QStringLiteral("T M H")) >= 0);
        QVERIFY(IndexOf(req, QStringLiteral("T M H")) < IndexOf(req, QStringLiteral("C C")));
        rig->Global.reset(); // destruction after ShutDown must not hang either
    }

    void documentMessages() {
        auto rig = Connect();
        QVERIFY(rig);
        TQelGlobal& g = *rig->Global;
        const QString file = FHome.filePath(QStringLiteral("doc.xml"));
        QVERIFY(g.NewDocument(file));
        QVERIFY(rig->Log.Got.size() >= 2);
        QCOMPARE(rig->Log.Got.at(rig->Log.Got.size() - 2).Id, int(UM_NEWDOC));
        QCOMPARE(rig->Log.Got.last(), (TMessageLog::TMsg{UM_DOCCHANGED, 1, 0}));
        rig->Log.Got.clear();
        g.Doc().DUTGeneral(); // touch
        QVERIFY(g.DocumentChanged());
        QCOMPARE(rig->Log.Got, (QList<TMessageLog::TMsg>{{UM_DOCCHANGED, 0, 0}}));
        QVERIFY(QFile::exists(file));

        // A document without transformer data gets the defaults and says so.
        const QString bare = FHome.filePath(QStringLiteral("bare.xml"));
        {
            QFile f(bare);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("<?xml version=\"1.0\"?>\n<KovaDoc Name=\"bare\"><QEL/></KovaDoc>\n");
        }
        rig->Log.Got.clear();
        QVERIFY(g.OpenDocument(bare));
        QCOMPARE(rig->Log.Got, (QList<TMessageLog::TMsg>{{UM_NODUTDATA, 0, 0}, {UM_DOCCHANGED, 1, 0}}));
        QCOMPARE(g.Doc().DUTTrafoData().Winding().Count(), 3);

        // A broken file is refused with the place of the fault; the open document stays.
        const QString broken = FHome.filePath(QStringLiteral("broken.xml"));
        {
            QFile f(broken);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("<?xml version=\"1.0\"?>\n<KovaDoc>\n<DUTGeneral>\n</KovaDoc>\n");
        }
        rig->Log.Got.clear();
        QVERIFY(!g.OpenDocument(broken));
        QVERIFY(rig->Log.Got.isEmpty());
        QCOMPARE(rig->Operator.Entries.size(), 1);
        QVERIFY(rig->Operator.Entries[0].Text.contains(QStringLiteral("broken.xml")));
        QCOMPARE(g.Doc().DUTTrafoData().Winding().Count(), 3);
    }
};

QTEST_GUILESS_MAIN(TstGlobalTest)
#include "tst_globaltest.moc"
