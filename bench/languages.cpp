// Translating every window of the program from the German language file: the language change
// from the Options tab (files read, every registered window translated) and one pass over all
// windows with the file already open. Target: under 100 ms for the whole application.
//   bench_languages [folder of the language files]
#include "BenchStartup.h"
#include "BenchSupport.h"
#include "EveryForm.h"
#include "LangManager.h"
#include "QelArbitrary.h"
#include "QelGlobals.h"
#include "QelTestFiles.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace {

class TQuiet : public TOperatorIFace {
public:
    TAnswer Message(TKind, const QString&, const QString& text, TButtons) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return TAnswer::Ok;
    }
    void Beep() override {}
};

} // namespace

int main(int argc, char* argv[]) {
    OffscreenWithoutDisplay();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Application Software 8625"));
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../languages"));
    QTemporaryDir home;
    TQuiet op;
    TQelGlobal global(SimulationStartup(home, &op));
    TQelTestFiles files(global);
    TQelArbitrary arbitrary(global);
    TEveryForm forms(global, files, arbitrary);

    TLangManager languages;
    languages.SetOperator(&op);
    languages.SetLanguageFolder(folder);
    if (!languages.Languages().contains(QStringLiteral("Deutsch"))) {
        std::fprintf(stderr, "no Deutsch.lan in %s\n", qPrintable(folder));
        return 1;
    }
    languages.SetKovaBase(&global.KovaBase());
    const QList<QWidget*> windows = forms.Forms();
    for (QWidget* w : windows)
        languages.Attach(w);

    bool german = false;
    const double change = MedianMs(15, [&] {
        german = !german;
        languages.SetLanguage(german ? QStringLiteral("Deutsch") : QStringLiteral("English"));
    });
    languages.SetLanguage(QStringLiteral("Deutsch"));
    const double pass = MedianMs(15, [&] {
        for (QWidget* w : windows)
            languages.HandleForm(w, true, false);
    });
    std::printf("windows: %d\n", int(windows.size()));
    std::printf("language change (files read, every window translated), median: %.2f ms (target < 100 ms)\n",
                change);
    std::printf("every window from the open German file, median: %.2f ms\n", pass);
    std::printf("peak memory: %ld MiB\n", PeakMemoryMiB());
    return 0;
}
