// The program in German: the main window on its MEASURE page and the setup page's Options tab,
// drawn by the real main window under a virtual display (scripts/language-screenshots):
//   qel_language_sheets <docs folder> <data folder>
#include "../setupsheets/SheetSupport.h"
#include "LangManager.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelMain.h"
#include "QelPageControl.h"
#include "QelSetup.h"

#include <QApplication>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Application Software 8625"));
    if (argc < 3) {
        std::fprintf(stderr, "usage: qel_language_sheets docs-folder data-folder\n");
        return 2;
    }
    const QString docs = QString::fromLocal8Bit(argv[1]);
    const QString data = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir home;
    TSilentOperator op;
    const TQelStartup s = SheetStartup(home, data, &op);
    TQelGlobal global(s);
    global.LoadVectorGroupTable();

    TLangManager languages;
    languages.SetOperator(&op);
    languages.SetLanguageFolder(data + QStringLiteral("/languages"));
    languages.SetKovaBase(&global.KovaBase());
    languages.SetLanguage(QStringLiteral("Deutsch"));

    TQelMainForm form(global);
    TQelImage images;
    form.SetImages(images);
    form.SetupFrame->SetLanguageManager(&languages);
    languages.Attach(&form);
    languages.WatchWindows();
    global.NewDocument(home.filePath(QStringLiteral("T 4711.xml")));
    form.show();

    bool ok = true;
    form.PageControl1->setCurrentIndex(TQelMainForm::pgMeasure);
    form.PageControl1Change();
    ok = SaveSheet(form, docs + QStringLiteral("/german-main-window.png")) && ok;
    form.PageControl1->setCurrentIndex(TQelMainForm::pgSetup);
    form.PageControl1Change();
    form.SetupFrame->PageControl1->setCurrentIndex(TQelSetupFrame::tbOptions);
    ok = SaveSheet(form, docs + QStringLiteral("/german-setup-options.png")) && ok;
    form.SetupFrame->PageControl1->setCurrentIndex(TQelSetupFrame::tbTrafoData);
    ok = SaveSheet(form, docs + QStringLiteral("/german-setup-trafo-data.png")) && ok;
    return ok ? 0 : 1;
}
