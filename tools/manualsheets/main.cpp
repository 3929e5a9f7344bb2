// The MEASURE page of the real main window in simulation during a test over all taps of a Dyn11
// transformer (the tap dialog offering the next tap) and after it.
#include "../setupsheets/SheetSupport.h"
#include "Dyn11Document.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelMain.h"
#include "QelManual.h"
#include "QelTapActionDlg.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

void Settle(int ms) {
    QEventLoop settle;
    QTimer::singleShot(ms, &settle, &QEventLoop::quit);
    settle.exec();
}

// The screen where the window is: the tap dialog is a window of its own above it.
bool Save(QWidget& w, const QString& file) {
    Settle(300);
    QPixmap shot = w.screen()->grabWindow(0, w.x(), w.y(), w.width(), w.height());
    if (shot.isNull())
        shot = w.grab();
    const bool saved = shot.save(file);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
    return saved;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: qel_manual_sheets during.png after.png table-folder [kept-test.xml]\n");
        return 2;
    }
    QTemporaryDir home;
    TSilentOperator op;
    op.AnswerYes = true; // the test over all taps goes on at every question
    TQelGlobal g(SheetStartup(home, QString::fromLocal8Bit(argv[3]), &op));
    g.LoadVectorGroupTable();
    g.SimDraw = [] { return 7; };
    g.SimTimer()->stop();
    TQelImage images;
    TQelMainForm form(g);
    form.SetImages(images);
    form.move(0, 0);
    form.show();

    MakeDyn11(g);
    g.Doc().DUTTrafoData().TrafoConfiguration().SetValue(QStringLiteral("Dyn11"));
    SetTapChanger(g, 0, {"115.5 kV", "110 kV", "104.5 kV"}, {}, 2);
    SetTapChanger(g, 1, {"21 kV", "20 kV"}, {});
    const TXMLSetupType setup = g.Doc().QEL().Setup();
    setup.ActMeasHVTapIdx().SetValue(1);
    setup.ActMeasLVTapIdx().SetValue(1);
    setup.ActTestVoltage().SetValue(QStringLiteral("100 V"));
    setup.ActWindMeasPhaseA().SetValue(QStringLiteral("1U-1V : 2u-2n"));
    setup.ActWindMeasPhaseB().SetValue(QStringLiteral("1V-1W : 2v-2n"));
    setup.ActWindMeasPhaseC().SetValue(QStringLiteral("1W-1U : 2w-2n"));
    g.DocumentChanged();

    // Each started tap is measured at once; the dialog is answered "Test Tap", except that the
    // fourth time it is left open for the first picture.
    int dialogs = 0;
    bool during = false;
    QTimer driver;
    driver.setInterval(20);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (g.SimTestStatus == TestStatus::Measuring)
            g.SimTimerTick();
        TDlgTapAction* d = form.ManualFrame->TapDialog();
        if (!d || !d->isVisible())
            return;
        if (++dialogs == 4 && !during) {
            during = true;
            driver.stop();
            Save(form, QString::fromLocal8Bit(argv[1]));
            driver.start();
        }
        d->bnNextTap->PerformClick();
    });
    driver.start();
    QTimer::singleShot(0, &form, [&] { form.bnF1Click(); });
    // Never a blocking wait here: the tap dialog runs event loops of its own.
    QTimer finish;
    finish.setInterval(50);
    QObject::connect(&finish, &QTimer::timeout, [&] {
        if (!during || form.ManualFrame->AllTaps())
            return;
        finish.stop();
        driver.stop();
        bool saved = Save(form, QString::fromLocal8Bit(argv[2]));
        // The finished test, for the pictures of the operating instructions, which show the pages
        // of the program itself opening it.
        if (argc > 4) {
            const QString kept = QString::fromLocal8Bit(argv[4]);
            QFile::remove(kept);
            saved = g.SaveDocument(1) && QFile::copy(g.Doc().FileName(), kept) && saved;
            std::printf("%s %s\n", saved ? "kept" : "could not keep", qPrintable(kept));
        }
        app.exit(saved ? 0 : 1);
    });
    finish.start();
    return app.exec();
}
