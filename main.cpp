#include <QApplication>

#include <memory>

#include "FleetSettings.h"
#include "GPTPrinters.h"
#include "IndexService.h"
#include "LangManager.h"
#include "MessageBoxOperator.h"
#include "ProgramFiles.h"
#include "QelArbProgress.h"
#include "QelArbitrary.h"
#include "QelFileManagers.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelInstance.h"
#include "QelMain.h"
#include "QelManual.h"
#include "QelPrintout.h"
#include "QelReports.h"
#include "QelSetup.h"
#include "QelTestFiles.h"
#include "ReportRenderer.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Application Software 8625"));
    // The main window ends the run itself, after the instrument has said goodbye.
    QApplication::setQuitOnLastWindowClosed(false);

    TMessageBoxOperator messageBoxes;
    TQelStartup startup;
    startup.ExecutablePath = QApplication::applicationFilePath();
    startup.Arguments = QApplication::arguments().mid(1);
    startup.Operator = &messageBoxes;

    // A second start of the same configuration never opens the port the first one holds.
    TQelInstance instance(TQelGlobal::ConfigFileFor(startup.ExecutablePath));
    if (!instance.IsFirst()) {
        if (!instance.ActivateFirst(5000))
            messageBoxes.Inform(QStringLiteral("Application Software 8625 is already running."));
        return 0;
    }

    // The one data module of the run; every window that needs it is handed it.
    TQelGlobal QelGlobal(startup);
    // Read once, before any page asks for a connection or a factor.
    QelGlobal.LoadVectorGroupTable();
    // The CSV, HTML and PDF reports beside every saved test, as DataStorage asks; the PDF laid
    // out by Qt Gui, which the reports themselves never reach.
    TQtReportRenderer pdfRenderer;
    TQelReports reports(QelGlobal);
    reports.SetRenderer(&pdfRenderer);
    // The index of the tests and the fleet store, kept current on their own thread: the tests changed
    // since the last run now, every saved test after its save.
    TTestIndexService::TSettings indexSettings;
    indexSettings.Folders = {QelGlobal.DataPath};
    indexSettings.Fleet = TFleetSettings::Read(QelGlobal.ConfigFileName);
    TTestIndexService testIndex(indexSettings, &messageBoxes);
    QelGlobal.SetSavedHook(&testIndex);
    struct TUnhook {
        TQelGlobal& Global;
        ~TUnhook() { Global.SetSavedHook(nullptr); }
    } unhook{QelGlobal};
    testIndex.Start();
    // The test files of the run before any window: a test kept at start-up joins the recent ones.
    TQelTestFiles testFiles(QelGlobal);
    testFiles.SetRenderer(&pdfRenderer);
    // The phase shift detector takes the tests with clock 85 and 86 for the run.
    TQelArbitrary arbitrary(QelGlobal);

    // The pictures outlive every window that paints them, though they are made after the windows.
    std::unique_ptr<TQelImage> images;

    // The user interface in the configured language, every window translated when it first shows;
    // "/LANGBUILD" writes the original language files instead. Made before the windows, gone after.
    TLangManager languages;
    languages.SetOperator(&messageBoxes);
    languages.SetLanguageFolder(ProgramDataFolder() + QStringLiteral("languages"));
    languages.SetKovaBase(&QelGlobal.KovaBase());
    if (startup.Arguments.contains(QStringLiteral("/LANGBUILD"), Qt::CaseInsensitive))
        languages.SetBuildLanguage(true);
    else
        languages.SetLanguage(TQelSetupFrame::ConfiguredLanguage(QelGlobal.ConfigFileName));

    // The line printer outlives the window that prints on it.
    TGPTPrinter linePrinter;
    QelPrintout::OpenLinePrinter(linePrinter, QelGlobal);
    // Hidden until the start-up message; it shows itself by the start-up mode.
    TQelMainForm mainForm(QelGlobal);
    mainForm.ManualFrame->SetLinePrinter(&linePrinter);
    messageBoxes.SetParent(&mainForm);
    mainForm.CreateAbout();
    TApmProgressBarForm arbitraryProgress(arbitrary, &mainForm);
    QObject::connect(&mainForm, &TQelMainForm::Closed, &app, &QApplication::quit);
    QObject::connect(&instance, &TQelInstance::ActivationRequested, &mainForm, &TQelMainForm::BringToFront);

    images = std::make_unique<TQelImage>();
    mainForm.SetImages(*images);
    mainForm.SetFileManager(new TFileManager(testFiles, &mainForm));
    mainForm.SetTestIndex(&testIndex);
    mainForm.SetupFrame->SetLanguageManager(&languages);
    // Translated before the pages show the first test.
    languages.Attach(&mainForm);
    languages.WatchWindows();

    QelGlobal.SendToAll(UM_STARTUP, 0, 0);
    return app.exec();
}
