// Writes the original language files of the program: every window it has, by the build mode of
// the language manager, into the ".ori" named on the command line and the "Common.ori" beside it
// (scripts/language-files).
//   QelLanguageBuild <file.ori>
#include "../setupsheets/SheetSupport.h"
#include "EveryForm.h"
#include "IniFile.h"
#include "LangManager.h"
#include "OperatorIFace.h"
#include "QelArbitrary.h"
#include "QelGlobals.h"
#include "QelTestFiles.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The build's question about the old common file is answered Yes: the files are made anew.
class TBuildOperator : public TOperatorIFace {
public:
    TAnswer Message(TKind kind, const QString&, const QString& text, TButtons) override {
        if (kind == TKind::Confirmation)
            return TAnswer::Yes;
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return TAnswer::Ok;
    }
    void Beep() override {}
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Application Software 8625"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: QelLanguageBuild file.ori\n");
        return 2;
    }
    const QString ori = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir home;
    TBuildOperator op;
    // The windows' texts do not depend on the vector group table: none is copied.
    TQelGlobal global(SheetStartup(home, QString(), &op));
    TQelTestFiles files(global);
    TQelArbitrary arbitrary(global);
    TEveryForm forms(global, files, arbitrary);

    TLangManager languages;
    languages.SetOperator(&op);
    languages.SetSaveDialog([&](const QString&, const QString&, const QString&) { return ori; });
    languages.SetKovaBase(&global.KovaBase());
    languages.SetBuildLanguage(true);
    for (QWidget* form : forms.Forms())
        languages.Attach(form);
    const TIniFile written(ori);
    int keys = 0;
    for (const QString& section : written.Sections())
        keys += written.KeyCount(section);
    std::printf("%s: %d sections, %d keys\n", qPrintable(ori), int(written.Sections().size()), keys);
    return keys > 0 ? 0 : 1;
}
