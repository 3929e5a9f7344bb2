// The main window in simulation: the pages and their keys, the start-up modes, help, the title
// and the layout. No instrument is needed here.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>

#include "ExtStaticText.h"
#include "MainRig.h"
#include "PanelButton.h"
#include "PopupPanel.h"
#include "QelAbouts.h"
#include "QelFileLists.h"
#include "QelManual.h"
#include "QelPageControl.h"
#include "QelStatusTexts.h"
#include "QelTapActionDlg.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

class TstMainPages : public QObject {
    Q_OBJECT

    static void SetPage(TQelMainForm& f, int page) { f.PageControl1->setCurrentIndex(page); }
    // One row per start-up mode 0 ... last.
    static void StartupModeRows(int last) {
        QTest::addColumn<int>("mode");
        const char* const names[] = {"0 Select Startup", "1 Quick Startup", "2 FileManager",
                                     "3 Load Last File"};
        for (int mode = 0; mode <= last; ++mode)
            QTest::newRow(names[mode]) << mode;
    }
    // The tests kept beside the default document under names of their own.
    static QStringList KeptTests(const TQelGlobal& g) {
        QStringList files;
        for (const QString& f : QDir(g.DataPath).entryList({g.ConfigSection + QStringLiteral(" *.XML")}))
            files << g.DataPath + f;
        return files;
    }

private Q_SLOTS:
    void fourthKeyFollowsThePage() {
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM")});
        TQelMainForm& f = *rig.Form;
        f.show();
        QCOMPARE(f.PageControl1->currentIndex(), int(TQelMainForm::pgSetup));
        QVERIFY(!f.bnF4->isHidden());
        QVERIFY(f.bnF4Analysis->isHidden());
        QCOMPARE(f.bnF4->Caption(), QStringLiteral("About"));
        QVERIFY(f.MeasDisplayFrame->isHidden());

        SetPage(f, TQelMainForm::pgMeasure);
        QVERIFY(!f.bnF4->isHidden());
        QVERIFY(f.bnF4Analysis->isHidden());
        QCOMPARE(f.bnF4->State(), 2);
        QVERIFY(f.bnF4->Caption().trimmed().isEmpty());
        QVERIFY(!f.bnF4->HasFacePicture());
        QVERIFY(!f.MeasDisplayFrame->isHidden());
        // A tap on the blank key neither changes it nor does anything.
        f.bnF4->PerformClick();
        QCOMPARE(f.bnF4->State(), 2);
        QVERIFY(rig.Operator.Entries.isEmpty());
        QVERIFY(f.About() == nullptr);

        SetPage(f, TQelMainForm::pgAnalysis);
        QVERIFY(f.bnF4->isHidden());
        QVERIFY(!f.bnF4Analysis->isHidden());
        QCOMPARE(f.bnF4Analysis->Caption(), QStringLiteral("More Analysis"));
        f.bnF4Analysis->PerformClick();
        QVERIFY(f.bnF4Analysis->IsPopupOpen());
        TPopupWindow* popup = f.bnF4Analysis->PopupWindow();
        QCOMPARE(popup->ItemButton(1)->Caption(), QStringLiteral("Analysis Params"));
        QCOMPARE(popup->ItemButton(2)->Caption(), QStringLiteral("Analysis for Files"));
        // Each entry opens its dialog modally; the file list stays for the run.
        QWidget* shown = nullptr;
        QString title;
        // The entries open their dialogs after the pop-up has closed, so a closer watches for them.
        QTimer closer;
        closer.setInterval(10);
        QObject::connect(&closer, &QTimer::timeout, &f, [&] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && !shown) {
                shown = modal;
                title = modal->windowTitle();
                modal->close();
            }
        });
        closer.start();
        popup->ItemButton(2)->PerformClick();
        QTRY_VERIFY(shown != nullptr);
        QVERIFY(title.startsWith(QStringLiteral("Analysis File Selection")));
        QCOMPARE(static_cast<QWidget*>(f.FileList()), shown);
        QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
        f.bnF4Analysis->PerformClick();
        shown = nullptr;
        f.bnF4Analysis->PopupWindow()->ItemButton(1)->PerformClick();
        QTRY_VERIFY(shown != nullptr);
        QCOMPARE(title, QStringLiteral("Analysis Limits"));
        closer.stop();
        QCOMPARE(rig.NotAvailable(QStringLiteral("Analysis for Files")), 0);
        QCOMPARE(rig.NotAvailable(QStringLiteral("Analysis Params")), 0);

        // Back on SETUP the key is "About" again.
        SetPage(f, TQelMainForm::pgSetup);
        QCOMPARE(f.bnF4->Caption(), QStringLiteral("About"));
        QVERIFY(f.bnF4Analysis->isHidden());
    }

    void keysStartTestsOrSayWhatIsMissing() {
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM")});
        TQelMainForm& f = *rig.Form;
        f.show();
        // "Start Testing all Taps" brings MEASURE to the front and offers the first tap.
        QTimer stop;
        QObject::connect(&stop, &QTimer::timeout, &f, [&] {
            if (TDlgTapAction* d = f.ManualFrame->TapDialog(); d && d->isVisible()) {
                d->bnStopClick();
                stop.stop();
            }
        });
        stop.start(5);
        f.bnF1->PerformClick();
        QCOMPARE(f.PageControl1->currentIndex(), int(TQelMainForm::pgMeasure));
        QVERIFY(rig.Global->StopRequested);
        QCOMPARE(rig.NotAvailable(QStringLiteral("Start Testing all Taps")), 0);
        rig.Global->StopRequested = false;
        // "Test a single Tap" asks about the series first; Cancel starts nothing.
        SetPage(f, TQelMainForm::pgAnalysis);
        rig.Operator.Answers = {TOperatorIFace::TAnswer::Cancel};
        f.bnF3->PerformClick();
        QCOMPARE(f.PageControl1->currentIndex(), int(TQelMainForm::pgMeasure));
        QCOMPARE(rig.Global->SimTestStatus, TestStatus::Idle);
        f.bnF6->PerformClick();
        QCOMPARE(rig.NotAvailable(QStringLiteral("File Manager")), 1);
        f.bnF2->PerformClick();
        QVERIFY(rig.Global->StopRequested);
        QCOMPARE(rig.Operator.Entries.size(), 2);
        QCOMPARE(rig.Operator.Entries.first().Title, rig.Global->ConfigSection);
    }

    // Every picture that the keys, the title bar and the About box name is there to be drawn.
    void everyPictureTheWindowNamesIsDrawn() {
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM")});
        rig.Form->CreateAbout();
        const QList<TCaptionButton*> buttons = rig.Form->findChildren<TCaptionButton*>();
        int named = 0;
        for (const TCaptionButton* b : buttons)
            for (int k = 0; k < b->CaptionItems().size(); ++k) {
                const int picture = b->ItemPicture(k);
                if (picture < 0)
                    continue;
                ++named;
                QVERIFY2(b->ImageList() && b->ImageList()->HasPicture(picture),
                         qPrintable(QStringLiteral("%1: %2").arg(b->objectName()).arg(picture)));
            }
        QVERIFY(named >= 15);
        for (int page = 0; page < 3; ++page)
            QVERIFY(!rig.Form->PageControl1->tabIcon(page).isNull());
    }

    void simulationBannerTitleAndAbout() {
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM"), QStringLiteral("/DBG")});
        TQelMainForm& f = *rig.Form;
        QVERIFY(!f.StatusBar1->isHidden());
        QCOMPARE(f.esAlarms->Caption(), QStringLiteral("Simulation"));
        QVERIFY(!f.esAlarms->isHidden());
        QCOMPARE(f.esTitleBar->Caption(), QStringLiteral("Qel8625 - /../Data/Qel8625"));
        QCOMPARE(f.esTitleBar->GradStart(), QColor(Qt::yellow));
        QCOMPARE(f.esTitleBar->GradEnd(), QColor(128, 128, 0));
        QCOMPARE(f.esTitleBar->FontColor(), QColor(Qt::black));
        // A test status message must not take the simulation's banner away.
        rig.Global->SendToAll(UM_LINKSTATE, 2, 0);
        QCOMPARE(f.esAlarms->Caption(), QStringLiteral("Simulation"));
        QCOMPARE(f.StatusPanel(1), QStringLiteral("QEL 8624 :Idle"));

        TQelAbout* about = f.CreateAbout();
        about->SetForm(TQelAbout::afStartup);
        QCOMPARE(about->lbStatusInfo->text(), QStringLiteral("Qel8625 simulated"));
        QCOMPARE(about->lbFirmware->text(), QStringLiteral("- -"));
        QCOMPARE(about->lbSerialNo->text(), QStringLiteral("- -"));
        QCOMPARE(about->lbCalibrationDate->text(), QStringLiteral("- -"));
        QVERIFY(about->lbFirmwareInformation->isHidden());
        // The start-up form offers the first choice, the About form the operating instructions.
        QVERIFY(!about->bnQuickStart->isHidden());
        QVERIFY(!about->bnFileManager->isHidden());
        QVERIFY(about->bnHelp->isHidden());
        QCOMPARE(about->bnQuickStart->Caption(), QStringLiteral("Quick Measurement"));
        QCOMPARE(about->bnFileManager->Caption(), QStringLiteral("File Manager"));
        about->SetForm(TQelAbout::afAbout);
        QVERIFY(about->bnQuickStart->isHidden());
        QVERIFY(about->bnFileManager->isHidden());
        QVERIFY(!about->bnHelp->isHidden());

        // A new document renews the title.
        QVERIFY(QDir(rig.App.path()).mkpath(QStringLiteral("tests")));
        QVERIFY(rig.Global->NewDocument(rig.App.filePath(QStringLiteral("tests/T 110.xml"))));
        QCOMPARE(f.esTitleBar->Caption(), QStringLiteral("Qel8625 - /../tests/T 110"));
    }

    // The title bar is a yellow face shading to olive at its lower edge, the banner red shading
    // to maroon: every colour of each face is seen, not only the first two.
    void titleAndBannerShadeToTheirThirdColour() {
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM")});
        TQelMainForm& f = *rig.Form;
        f.show();
        QVERIFY(!f.esAlarms->isHidden());
        const QImage title = f.esTitleBar->grab().toImage();
        const int x = 3;
        QCOMPARE(title.pixelColor(x, 2), QColor(Qt::yellow));
        const QColor titleLow = title.pixelColor(x, title.height() - 3);
        QVERIFY2(titleLow.red() < 255 && titleLow.green() < 255 && titleLow.red() > 128,
                 qPrintable(titleLow.name()));
        const QImage banner = f.esAlarms->grab().toImage();
        QCOMPARE(banner.pixelColor(x, 2), QColor(Qt::red));
        const QColor bannerLow = banner.pixelColor(x, banner.height() - 3);
        QVERIFY2(bannerLow.red() < 255 && bannerLow.red() > 128 && bannerLow.green() == 0,
                 qPrintable(bannerLow.name()));
    }

    void startupModes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("aboutShown");
        QTest::addColumn<int>("fileManagerAsked");
        QTest::newRow("0 Select Startup") << 0 << true << 0;
        QTest::newRow("1 Quick Startup") << 1 << false << 0;
        QTest::newRow("2 FileManager") << 2 << false << 1;
        QTest::newRow("3 Load Last File") << 3 << false << 0;
    }
    void startupModes() {
        QFETCH(int, mode);
        QFETCH(bool, aboutShown);
        QFETCH(int, fileManagerAsked);
        TMainRig rig;
        rig.SetConfig(QStringLiteral("StartupMode"), QString::number(mode));
        rig.Create({QStringLiteral("/SIM")});
        TQelMainForm& f = *rig.Form;
        f.CreateAbout(); // as the program entry does
        QVERIFY(!f.isVisible());
        SetPage(f, TQelMainForm::pgAnalysis);
        bool startupForm = false, windowHidden = false;
        // Bound to the window: in the modes without the box it never runs, and must not run later.
        QTimer::singleShot(0, &f, [&] {
            if (TQelAbout* about = f.About(); about && about->isVisible()) {
                startupForm = about->Form() == TQelAbout::afStartup && !about->bnQuickStart->isHidden();
                windowHidden = !f.isVisible();
                about->bnQuickStart->PerformClick();
            }
        });
        rig.Global->SendToAll(UM_STARTUP, 0, 0);
        QVERIFY(f.isVisible());
        QCOMPARE(startupForm, aboutShown);
        QCOMPARE(windowHidden, aboutShown); // the box comes first, the window after it
        if (aboutShown) {
            QCOMPARE(f.PageControl1->currentIndex(), int(TQelMainForm::pgSetup));
            QVERIFY(f.About() == nullptr);
        }
        QCOMPARE(rig.NotAvailable(QStringLiteral("File Manager")), fileManagerAsked);
    }

    void loadLastFileKeepsTheLastTest() {
        TMainRig rig;
        rig.SetConfig(QStringLiteral("StartupMode"), QStringLiteral("3"));
        rig.Create({QStringLiteral("/SIM")});
        rig.Global->SendToAll(UM_STARTUP, 0, 0);
        const QString document = rig.Global->DefaultDocumentName();
        QCOMPARE(rig.Global->Doc().FileName(), document); // the first start has one to save
        rig.Global->Doc().DUTGeneral().Location().SetValue(QStringLiteral("Substation North"));
        QVERIFY(rig.Global->DocumentChanged());
        rig.Restart({QStringLiteral("/SIM")});
        rig.Global->SendToAll(UM_STARTUP, 0, 0);
        QCOMPARE(rig.Global->Doc().FileName(), document);
        QCOMPARE(rig.Global->Doc().DUTGeneral().Location().Value(), QStringLiteral("Substation North"));
        QVERIFY(rig.Operator.Entries.isEmpty());
    }

    // A quick test left in the default document outlives the starts after it: it is kept under a
    // name of its own before the new default document is written, and the operator is told.
    void measuredDefaultDocumentSurvivesTwoRestarts_data() { StartupModeRows(2); }
    void measuredDefaultDocumentSurvivesTwoRestarts() {
        QFETCH(int, mode);
        TMainRig rig;
        rig.SetConfig(QStringLiteral("StartupMode"), QString::number(mode));
        rig.Create({QStringLiteral("/SIM")});
        const QString name = rig.Global->DefaultDocumentName();
        const auto grid = rig.Global->Doc().QEL().Measurement().Grid();
        grid.SetCell(0, 1, QStringLiteral("12:00:00"));
        grid.SetCell(3, 1, QStringLiteral("5.5012"));
        QVERIFY(rig.Global->DocumentChanged());
        QVERIFY(rig.Operator.Entries.isEmpty());

        rig.Restart({QStringLiteral("/SIM")});
        const QStringList kept = KeptTests(*rig.Global);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(rig.Operator.Entries.size(), 1);
        QCOMPARE(rig.Operator.Entries[0].Kind, TOperatorIFace::TKind::Information);
        QVERIFY2(rig.Operator.Entries[0].Text.endsWith(kept[0]), qPrintable(rig.Operator.Entries[0].Text));
        QCOMPARE(rig.Global->Doc().FileName(), name);
        QVERIFY(!HasMeasurementRows(rig.Global->Doc().Data()));

        // The next start finds an unmeasured default document: it is replaced, the kept test stays.
        rig.Operator.Entries.clear();
        rig.Restart({QStringLiteral("/SIM")});
        QVERIFY(rig.Operator.Entries.isEmpty());
        QCOMPARE(KeptTests(*rig.Global), kept);
        TKvXML test;
        QVERIFY(test.Load(kept[0]).Status == TKvXML::TLoadStatus::Loaded);
        QCOMPARE(test.QEL().Measurement().Grid().Cell(3, 1), QStringLiteral("5.5012"));
    }

    // A default document that does not load is kept as it is, whatever the start-up mode, and the
    // program goes on with a new default document that saves.
    void unreadableDefaultDocumentIsKeptAside_data() { StartupModeRows(3); }
    void unreadableDefaultDocumentIsKeptAside() {
        QFETCH(int, mode);
        TMainRig rig;
        rig.SetConfig(QStringLiteral("StartupMode"), QString::number(mode));
        const QString name = rig.App.filePath(QStringLiteral("home/KOVA/Data/Qel8625.XML"));
        const QByteArray broken("<?xml version=\"1.0\"?>\n<KovaDoc>\n<DUTGeneral>\n</KovaDoc>\n");
        QVERIFY(QDir().mkpath(QFileInfo(name).path()));
        {
            QFile f(name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(broken);
        }
        rig.Create({QStringLiteral("/SIM")});
        if (mode == 3)
            rig.Global->SendToAll(UM_STARTUP, 0, 0); // mode 3 opens the document then
        QCOMPARE(rig.Global->DefaultDocumentName(), name);
        QCOMPARE(rig.Global->Doc().FileName(), name);
        const QStringList kept = KeptTests(*rig.Global);
        QCOMPARE(kept.size(), 1);
        QFile keptFile(kept[0]);
        QVERIFY(keptFile.open(QIODevice::ReadOnly));
        QCOMPARE(keptFile.readAll(), broken);
        QCOMPARE(rig.Operator.Entries.size(), 1);
        const QString told = rig.Operator.Entries[0].Text;
        QVERIFY2(told.startsWith(QStringLiteral("The default document could not be read:")) &&
                     told.contains(name + '(') && told.contains(kept[0]),
                 qPrintable(told));

        rig.Operator.Entries.clear();
        rig.Global->Doc().DUTGeneral().Location().SetValue(QStringLiteral("Substation North"));
        QVERIFY(rig.Global->DocumentChanged());
        QVERIFY(rig.Operator.Entries.isEmpty());
        TKvXML saved;
        QVERIFY(saved.Load(name));
        QCOMPARE(saved.DUTGeneral().Location().Value(), QStringLiteral("Substation North"));
    }

    // A later start of the program hands over to this one: the window comes to the front.
    void laterStartBringsTheWindowToTheFront() {
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM")});
        TQelMainForm& f = *rig.Form;
        f.BringToFront(); // before the start-up message the window stays hidden
        QVERIFY(!f.isVisible());
        f.show();
        f.showMinimized();
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == &other);
        f.BringToFront();
        QVERIFY(!f.isMinimized());
        QTRY_VERIFY(QApplication::activeWindow() == &f);
    }

    void helpAtThePageContext() {
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM")});
        TQelMainForm& f = *rig.Form;
        f.show();
        QList<QUrl> opened;
        f.OpenHelpUrl = [&](const QUrl& url) {
            opened << url;
            return true;
        };
        const QString help = rig.App.filePath(QStringLiteral("Operating Instructions Qel8625.html"));
        QCOMPARE(f.HelpFile(), help);
        f.bnHelp->PerformClick();
        QVERIFY(opened.isEmpty());
        QCOMPARE(rig.Operator.Texts(),
                 QStringList{QStringLiteral("\tSorry no Help available.\r\n\r\n\r\nHelpfile :\r\n\r\n'") +
                             help + QStringLiteral("'\r\n\r\nnot found.")});

        QFile file(help);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html><body><a id=\"context-7\"></a></body></html>");
        file.close();
        const int contexts[] = {7, 51, 6};
        for (int page = 0; page < 3; ++page) {
            SetPage(f, page);
            f.bnHelp->PerformClick();
            QCOMPARE(opened.last().toLocalFile(), help);
            QCOMPARE(opened.last().fragment(), QStringLiteral("context-%1").arg(contexts[page]));
        }
        QCOMPARE(opened.size(), 3);
        QCOMPARE(rig.Operator.Entries.size(), 1);
    }

    void windowCoveringTheScreenStaysPut() {
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM")});
        TQelMainForm& f = *rig.Form;
        f.show();
        QCOMPARE(f.size(), QSize(800, 600));
        QCOMPARE(f.pnButtons->geometry(), QRect(2, 544, 796, 54));
        // On the 800-pixel screen neither a drag nor a double-click moves it.
        const QRect before = f.geometry();
        QTest::mouseDClick(f.esTitleBar, Qt::LeftButton, {}, QPoint(100, 10));
        QTest::mousePress(f.esTitleBar, Qt::LeftButton, {}, QPoint(100, 10));
        QTest::mouseMove(f.esTitleBar, QPoint(160, 40));
        QTest::mouseRelease(f.esTitleBar, Qt::LeftButton, {}, QPoint(160, 40));
        QCOMPARE(f.geometry(), before);
    }

    void shortDocumentNames() {
        QCOMPARE(ShortDocumentName(QStringLiteral("/home/op/Documents/KOVA/Data/T1.XML")),
                 QStringLiteral("/../Data/T1"));
        QCOMPARE(ShortDocumentName(QStringLiteral("/data/T1.xml")), QStringLiteral("/data/T1"));
        QCOMPARE(ShortDocumentName(QStringLiteral("/T1.xml")), QStringLiteral("/T1"));
        QCOMPARE(ShortDocumentName(QStringLiteral("/a/b/T1.backup.xml")), QStringLiteral("/../b/T1.backup"));
        QCOMPARE(ShortDocumentName(QString()), QString());
    }
};

QTEST_MAIN(TstMainPages)
#include "tst_mainpages.moc"
