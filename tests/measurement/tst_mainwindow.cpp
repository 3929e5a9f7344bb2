// The main window against the instrument emulator on a pseudo-terminal: how it follows the
// link, the test status and the upload, the About box of a connected instrument, and the way out.
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>

#include "Dyn11Document.h"
#include "EntrySwitches.h"
#include "ExtStaticText.h"
#include "GlobalState.h"
#include "MainRig.h"
#include "PanelButton.h"
#include "PopupPanel.h"
#include "Progress.h"
#include "QelAbouts.h"
#include "QelPageControl.h"
#include "QelUpload.h"
#include "StatusRelay.h"
#include "XMLDialogs.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

namespace {

bool Sent(const TQel8624Emulator& e, const QString& head) {
    for (const QStringList& r : e.Requests())
        if (r.join(' ').startsWith(head))
            return true;
    return false;
}

const QColor Red(Qt::red), Yellow(Qt::yellow), Black(Qt::black);

// Registered after the main window, so it sees each message right after the window handled it:
// how the window looked while an upload ran, however fast it ran.
class TUploadWatch : public QObject {
public:
    explicit TUploadWatch(TQelMainForm& form) : FForm(form) {}
    bool SawProgress = false, Locked = false, TitleBarUsable = true;
    QString Title;
    int Highest = 0;
    bool event(QEvent* e) override {
        if (int(e->type()) != UM_LINKSTATE)
            return QObject::event(e);
        const auto* m = static_cast<const TQelMessage*>(e);
        if (m->WParam == wpCompleted && FForm.Progress()) {
            SawProgress = true;
            Title = FForm.Progress()->windowTitle();
            Highest = std::max(Highest, FForm.Progress()->Position());
            Locked = Locked || (!FForm.pnButtons->isEnabled() && !FForm.PageControl1->isEnabled());
            TitleBarUsable = TitleBarUsable && FForm.bnClose->isEnabled();
        }
        return true;
    }

private:
    TQelMainForm& FForm;
};

} // namespace

class TstMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void debugPanelsAndTitleFollowATapTest() {
        TMainRig rig;
        QVERIFY(rig.StartEmulator(1500));
        rig.Create({QStringLiteral("/DBG")});
        TQelMainForm& f = *rig.Form;
        QVERIFY(!f.StatusBar1->isHidden());
        QVERIFY(rig.WaitIdle());
        QTRY_COMPARE(f.StatusPanel(0), QStringLiteral("QEL 8624 :Idle"));
        QTRY_VERIFY(f.esAlarms->isHidden());
        QCOMPARE(f.esTitleBar->Caption(), QStringLiteral("QEL8624 - /../Data/Qel8625"));

        MakeDyn11(*rig.Global);
        rig.Global->StartTapTest(1);
        // While the instrument measures the title bar turns red with yellow text.
        QTRY_VERIFY_WITH_TIMEOUT(
            rig.Global->Qel().Status() == TestStatus::Measuring && f.esTitleBar->GradStart() == Red, 10000);
        QCOMPARE(f.esTitleBar->FontColor(), Yellow);
        QCOMPARE(f.esTitleBar->GradEnd(), QColor(81, 0, 0));
        QCOMPARE(f.StatusPanel(1), QStringLiteral("QEL 8624 :Measuring"));
        QVERIFY(f.esAlarms->isHidden());

        // The result is fetched: the last command is named, the title is yellow again.
        QTRY_COMPARE_WITH_TIMEOUT(f.StatusPanel(4), QStringLiteral("TESTGETTAP "), 15000);
        QTRY_COMPARE(f.esTitleBar->GradStart(), Yellow);
        QCOMPARE(f.esTitleBar->FontColor(), Black);
        QVERIFY(f.StatusPanel(1) != QStringLiteral("QEL 8624 :Measuring"));
    }

    void bannerWhenNoInstrumentAnswers() {
        TMainRig rig;
        QVERIFY(rig.StartEmulator());
        rig.SilenceFor(QString());
        rig.Create();
        TQelMainForm& f = *rig.Form;
        QVERIFY(f.StatusBar1->isHidden());
        TQelAbout* about = f.CreateAbout();
        // The connection is tried (the hand-over of its states needs this thread's events) and given up.
        QTRY_VERIFY_WITH_TIMEOUT(!rig.Emulator->Frames().isEmpty(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Global->Qel().State() == LinkState::Disconnected &&
                                     f.esAlarms->Caption() == QStringLiteral("Qel8625 not connected"),
                                 20000);
        QVERIFY(!f.esAlarms->isHidden());
        QCOMPARE(f.esTitleBar->GradStart(), Yellow);
        QCOMPARE(about->lbStatusInfo->text(), QStringLiteral("Qel8625 not connected, please check ComPort."));
        QCOMPARE(about->lbFirmware->text(), QStringLiteral("- -"));
        QCOMPARE(about->lbSerialNo->text(), QStringLiteral("- -"));
    }

    void alarmStatusInBannerTitleStaysYellow() {
        TMainRig rig;
        QVERIFY(rig.StartEmulator(4000));
        TStatusRelay relay;
        QVERIFY(relay.Start(rig.Emulator->SlavePath()));
        rig.SetPort(relay.SlavePath());
        rig.Create({QStringLiteral("/DBG")});
        TQelMainForm& f = *rig.Form;
        QVERIFY(rig.WaitIdle());
        // The instrument is asked for its test status once a test has been run.
        MakeDyn11(*rig.Global);
        rig.Global->StartTapTest(1);
        QTRY_COMPARE_WITH_TIMEOUT(f.esTitleBar->GradStart(), Red, 10000);

        relay.ForceStatusCode(251); // the instrument's emergency stop
        QTRY_COMPARE_WITH_TIMEOUT(f.esAlarms->Caption(), QStringLiteral("Emergency Stop"), 5000);
        QVERIFY(!f.esAlarms->isHidden());
        QCOMPARE(f.StatusPanel(1), QStringLiteral("QEL 8624 :EmergencyStop"));
        QCOMPARE(f.esTitleBar->GradStart(), Yellow);
        QCOMPARE(f.esTitleBar->FontColor(), Black);

        relay.ForceStatusCode(252);
        QTRY_COMPARE_WITH_TIMEOUT(f.esAlarms->Caption(), QStringLiteral("Over Current"), 5000);

        relay.ForceStatusCode(-1); // released: the banner goes away
        QTRY_VERIFY_WITH_TIMEOUT(f.esAlarms->isHidden(), 5000);
        QVERIFY(f.StatusPanel(1) != QStringLiteral("QEL 8624 :OverCurrent"));
    }

    void aboutBoxShowsTheConnectedInstrument() {
        TMainRig rig;
        QVERIFY(rig.StartEmulator());
        rig.Create();
        TQelMainForm& f = *rig.Form;
        // Created before the link is up, as by the program entry: it follows the link by itself.
        TQelAbout* about = f.CreateAbout();
        QVERIFY(rig.WaitIdle());
        QTRY_COMPARE(about->lbStatusInfo->text(), QStringLiteral("QEL8624 connected"));
        QCOMPARE(about->lbFirmware->text(), QStringLiteral("2.05.12"));
        QCOMPARE(about->lbSerialNo->text(), QStringLiteral("86240117"));
        const QDateTime calibrated = rig.Global->Qel().LastCalibration();
        QVERIFY(calibrated.isValid());
        QCOMPARE(about->lbCalibrationDate->text(),
                 QLocale::system().toString(calibrated.date(), QLocale::ShortFormat));
        QCOMPARE(about->lbSWVersion->text(), QStringLiteral(QEL_VERSION_TEXT));
        QVERIFY(!about->lbFileDate->text().isEmpty());
        // 2.05.12 on the 100 V instrument is below the upgrade line.
        QVERIFY(!about->lbFirmwareInformation->isHidden());

        // bnF4 on SETUP shows it modally in About form, and frees it afterwards.
        f.show();
        bool shown = false, aboutForm = false, startButtons = true;
        QTimer::singleShot(0, this, [&] {
            TQelAbout* box = f.About();
            shown = box && box->isVisible();
            aboutForm = box && box->Form() == TQelAbout::afAbout;
            startButtons = box && (!box->bnQuickStart->isHidden() || !box->bnFileManager->isHidden());
            if (box)
                box->bnOK->PerformClick();
        });
        f.bnF4->PerformClick();
        QVERIFY(shown);
        QVERIFY(aboutForm);
        QVERIFY(!startButtons);
        QVERIFY(f.About() == nullptr);
    }

    void uploadShowsProgressAndUnlocksAtTheEnd() {
        TMainRig rig;
        QVERIFY(rig.StartEmulator());
        rig.Emulator->SetStoredTests(TQel8624Emulator::DefaultStoredTests());
        QVERIFY(rig.CreateShownAndIdle({QStringLiteral("/DBG")}));
        TQelMainForm& f = *rig.Form;
        TUploadWatch watch(f);
        rig.Global->RegisterWindow(&watch);
        f.bnF5->PerformClick();
        QTRY_VERIFY_WITH_TIMEOUT(f.Upload() && f.Upload()->isVisible(), 30000);
        QCOMPARE(f.Upload()->lbMemory->count(), 3);
        QVERIFY(f.Upload()->bnOk->ImageList()); // the buttons show their pictures
        QVERIFY(f.Upload()->lbMemory->item(0)->text().startsWith(QStringLiteral("1: T-110-4711, ")));
        f.Upload()->bnCancelClick();
        // The pages were locked while the memory was read; the title bar was not.
        QVERIFY(watch.SawProgress);
        QCOMPARE(watch.Title, QStringLiteral("Uploading QEL8624 memory..."));
        QVERIFY(watch.Locked);
        QVERIFY(watch.TitleBarUsable);
        QCOMPARE(watch.Highest, 100);
        QVERIFY(f.Progress() == nullptr);
        QVERIFY(f.pnButtons->isEnabled());
        QVERIFY(f.PageControl1->isEnabled());
        QCOMPARE(f.StatusPanel(4), QStringLiteral("500 "));
        QVERIFY(!rig.Global->UploadedRecords.empty());

        // Tests read before: the operator is asked first; No keeps the lists.
        rig.Operator.Answers << TOperatorIFace::TAnswer::No;
        rig.Emulator->ClearLog();
        f.bnF5->PerformClick();
        QVERIFY(rig.Operator.Texts().contains(QStringLiteral("Do you want to upload the memory again?")));
        // A dialog of its own over the lists read before, gone when it closes.
        QList<TQelUpload*> dialogs = f.findChildren<TQelUpload*>();
        QCOMPARE(dialogs.size(), 2);
        TQelUpload* fromKey = dialogs[0] == f.Upload() ? dialogs[1] : dialogs[0];
        QVERIFY(fromKey->isVisible());
        QCOMPARE(fromKey->lbMemory->count(), 3);
        QPointer<TQelUpload> gone(fromKey);
        fromKey->bnCancelClick();
        QTRY_VERIFY(!gone);
        QVERIFY(f.Upload());
        QVERIFY(!Sent(*rig.Emulator, QStringLiteral("M R D")));
    }

    // The dialog over the emulator's stored tests: the text of a row, a delete the instrument
    // refuses keeps its row, one it carries out removes it, and "Open as Document " proposes the
    // first free name and leaves a confirmed test.
    void uploadDialogShowsDeletesAndOpens() {
        TMainRig rig;
        QVERIFY(rig.StartEmulator());
        rig.Emulator->SetStoredTests(TQel8624Emulator::DefaultStoredTests());
        const TGlobalStateGuard state;
        rig.CreateWithFileManager();
        TEntrySwitches::TouchEntryWide = true; // the touch name dialog (the settings set it at start)
        rig.Form->show();
        QVERIFY(rig.WaitIdle());
        TQelMainForm& f = *rig.Form;
        f.bnF5->PerformClick();
        QTRY_VERIFY_WITH_TIMEOUT(f.Upload() && f.Upload()->isVisible(), 30000);
        TQelUpload& u = *f.Upload();
        u.bnDeleteClick();
        QCOMPARE(rig.Operator.Texts().last(), QStringLiteral("Select a row for deleting"));
        u.bnOkClick();
        QCOMPARE(rig.Operator.Texts().last(), QStringLiteral("Select an upload item."));
        u.lbMemory->setCurrentRow(1);
        QVERIFY(u.Memo1->toPlainText().contains(QStringLiteral("Configuration:\t\tYNd5")));

        TEmulatorFault refuse;
        refuse.Request = QStringLiteral("M F");
        rig.Emulator->AddFault(refuse);
        u.bnDeleteClick();
        QCOMPARE(rig.Operator.Entries.last().Title, QStringLiteral("Delete"));
        QVERIFY(
            rig.Operator.Texts().last().startsWith(QStringLiteral("Do you want to delete \r\n\"2: GT-2, ")));
        QTRY_VERIFY_WITH_TIMEOUT(
            rig.Operator.Texts().last().startsWith(QStringLiteral("Memory slot 2 was not")), 20000);
        QCOMPARE(u.lbMemory->count(), 3);
        u.bnDeleteClick();
        QTRY_COMPARE_WITH_TIMEOUT(u.lbMemory->count(), 2, 20000);
        QVERIFY(u.lbMemory->item(1)->text().startsWith(QStringLiteral("4: ")));

        QFile existing(rig.Global->DataPath + QStringLiteral("Upload.xml"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        u.lbMemory->setCurrentRow(0);
        u.bnOkClick();
        TXMLSaveDialog* save = f.FileManager()->SaveDialog();
        QVERIFY(f.FileManager()->FileDialog() == save && save->isVisible());
        QCOMPARE(save->windowTitle(), QStringLiteral("Save As"));
        QCOMPARE(save->FileName(), rig.Global->DataPath + QStringLiteral("Upload1.xml"));
        save->bnOpenClick();
        QTRY_VERIFY(!u.isVisible());
        // The dialog may give the name the default extension's spelling.
        const QString made = rig.Files->CurrentFile();
        QCOMPARE(made.toLower(), (rig.Global->DataPath + QStringLiteral("Upload1.xml")).toLower());
        QVERIFY(QFileInfo::exists(made));
        QVERIFY(!rig.Files->HasMarker(made));
        QCOMPARE(rig.Global->Doc().DUTGeneral().SerialNo().Value(), QStringLiteral("T-110-4711"));
    }

    // A memory read that fails midway gives the pages back through the one end notification,
    // whatever the failure: refused or unreadable (that slot is skipped, the operator told
    // which), or lost on the line (the upload is cut off).
    void uploadFailingMidwayUnlocksThePages_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("refused") << int(TEmulatorFault::Refuse) << QStringLiteral("could not be read");
        QTest::newRow("reply lost") << int(TEmulatorFault::Silent) << QStringLiteral("cut off");
        QTest::newRow("unreadable reply")
            << int(TEmulatorFault::Malformed) << QStringLiteral("could not be read");
    }
    void uploadFailingMidwayUnlocksThePages() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        TMainRig rig;
        QVERIFY(rig.StartEmulator());
        rig.Emulator->SetStoredTests(TQel8624Emulator::DefaultStoredTests());
        TEmulatorFault fault;
        fault.Kind = TEmulatorFault::TKind(kind);
        fault.Request = QStringLiteral("M R S");
        fault.ErrorNumber = 0x908;
        fault.Count = 1;
        rig.Emulator->AddFault(fault);
        QVERIFY(rig.CreateShownAndIdle());
        TQelMainForm& f = *rig.Form;
        TUploadWatch watch(f);
        rig.Global->RegisterWindow(&watch);
        f.bnF5->PerformClick();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.Global->UploadRunning(), 30000);
        QVERIFY(watch.Locked);
        QTRY_VERIFY(f.Progress() == nullptr);
        QVERIFY(f.pnButtons->isEnabled());
        QVERIFY(f.PageControl1->isEnabled());
        // The operator is told what went wrong; an error inside an upload never starts a test.
        QTRY_VERIFY(!rig.Operator.Texts().filter(message).isEmpty());
        QVERIFY(!Sent(*rig.Emulator, QStringLiteral("T S V")));
        QVERIFY(!Sent(*rig.Emulator, QStringLiteral("T M R")));
        QTRY_COMPARE(rig.Global->Qel().State(), LinkState::Idle);
    }

    // "Upload Data" that cannot start says why, at once.
    void uploadWithoutInstrumentTellsWhy_data() {
        QTest::addColumn<bool>("simulation");
        QTest::addColumn<QString>("message");
        QTest::newRow("simulation") << true
                                    << QStringLiteral("Simulation: there is no instrument memory to upload.");
        QTest::newRow("no instrument")
            << false << QStringLiteral("Qel8625 not connected: there is no memory to upload.");
    }
    void uploadWithoutInstrumentTellsWhy() {
        QFETCH(bool, simulation);
        QFETCH(QString, message);
        TMainRig rig;
        rig.SetPort(rig.LinkPath()); // nothing there
        rig.Create(simulation ? QStringList{QStringLiteral("/SIM")} : QStringList());
        rig.Form->show();
        rig.Form->bnF5->PerformClick();
        QTRY_COMPARE(rig.Operator.Texts(), QStringList{message});
        QVERIFY(rig.Form->Progress() == nullptr);
        QVERIFY(rig.Form->pnButtons->isEnabled());
    }

    // The screens never say "connected" while nothing answers, and clear by themselves.
    void lostLinkShownAndCleared() {
        TMainRig rig;
        QVERIFY(rig.StartEmulator(1500, {}, true));
        QVERIFY(rig.CreateShownAndIdle({QStringLiteral("/DBG")}));
        TQelMainForm& f = *rig.Form;
        TQelAbout* about = f.CreateAbout();
        QTRY_COMPARE(about->lbStatusInfo->text(), QStringLiteral("QEL8624 connected"));
        QVERIFY(f.esAlarms->isHidden());

        // The cable is pulled: the polls go unanswered.
        rig.SilenceFor(QStringLiteral("C M"));
        QTRY_COMPARE_WITH_TIMEOUT(f.esAlarms->Caption(), QStringLiteral("QEL8624 does not answer"), 20000);
        QVERIFY(!f.esAlarms->isHidden());
        QVERIFY(!about->lbStatusInfo->text().contains(QStringLiteral("connected")));
        rig.Emulator->ClearFaults();
        QTRY_VERIFY_WITH_TIMEOUT(f.esAlarms->isHidden(), 20000);
        QTRY_COMPARE(about->lbStatusInfo->text(), QStringLiteral("QEL8624 connected"));

        // The instrument goes away altogether and comes back on the same port.
        rig.Emulator.reset();
        QTRY_COMPARE_WITH_TIMEOUT(f.esAlarms->Caption(), QStringLiteral("QEL8624 not connected"), 20000);
        QVERIFY(!about->lbStatusInfo->text().endsWith(QStringLiteral(" connected")));
        QVERIFY(rig.StartEmulator(1500, {}, true));
        QTRY_VERIFY_WITH_TIMEOUT(f.esAlarms->isHidden(), 30000);
        QTRY_COMPARE(about->lbStatusInfo->text(), QStringLiteral("QEL8624 connected"));
        QTRY_COMPARE(f.StatusPanel(0), QStringLiteral("QEL 8624 :Idle"));
        QVERIFY(rig.Operator.Entries.isEmpty()); // no box per attempt
    }

    void closeWhileConnectedShutsDownAndEnds() {
        TMainRig rig;
        QVERIFY(rig.StartEmulator());
        QVERIFY(rig.CreateShownAndIdle());
        TQelMainForm& f = *rig.Form;
        QSignalSpy closed(&f, &TQelMainForm::Closed);
        rig.Emulator->ClearLog();

        f.bnClose->PerformClick();
        QVERIFY(f.bnClose->IsPopupOpen());
        TCaptionButton* exit = f.bnClose->PopupWindow()->ItemButton(1);
        QVERIFY(exit);
        QCOMPARE(exit->Caption(), QStringLiteral("Exit to Windows"));
        QVERIFY(!f.bnClose->PopupWindow()->ItemButton(2)); // "Shut Down " lies above the range
        exit->PerformClick();

        QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 5000);
        QVERIFY(f.ShutDownDone());
        QVERIFY(f.isHidden());
        QVERIFY(Sent(*rig.Emulator, QStringLiteral("T M H")));
        QVERIFY(Sent(*rig.Emulator, QStringLiteral("C C")));
        QCOMPARE(rig.Global->Qel().State(), LinkState::Disconnected);
        QTRY_VERIFY(rig.Global->Qel().isFinished());

        // The data module goes down after the window and writes the settings of the instrument.
        rig.Form.reset();
        rig.Global.reset();
        TIniFile ini(rig.ConfigFile());
        QCOMPARE(
            ini.ReadString(QStringLiteral("QEL8624"), QStringLiteral("StartupMode"), QStringLiteral("none")),
            QStringLiteral("0"));
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
