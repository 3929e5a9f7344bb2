// A phase shift detection on a DYN transformer of -37.5 degrees, run by the real detector over
// the emulator: its progress dialog while it measures, and the result on the MEASURE page of the
// real main window (the live display and the rows of the results grid).
#include "../SheetSupport.h"
#include "FStringGrids.h"
#include "FilterGridView.h"
#include "IniFile.h"
#include "OperatorIFace.h"
#include "Qel8624Device.h"
#include "Qel8624Emulator.h"
#include "QelArbProgress.h"
#include "QelArbitrary.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelMain.h"
#include "QelManual.h"
#include "QelPageControl.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// Runs the loop until `done` holds, looking every 50 ms; false after `ms`.
bool WaitFor(const std::function<bool()>& done, int ms) {
    QEventLoop loop;
    QTimer look;
    look.setInterval(50);
    int left = ms / 50;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done() || --left <= 0)
            loop.quit();
    });
    look.start();
    if (!done())
        loop.exec();
    return done();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: qel_arbitrary_sheets progress.png result.png table-folder\n");
        return 2;
    }
    TQel8624Emulator emulator;
    TEmulatorLiveModel model;
    model.TurnsRatio = {8.66, 8.66, 8.66};
    model.PhaseShift = {-37.5, -37.5, -37.5};
    model.CounterRate = 100;
    emulator.SetLiveModel(model);
    if (!emulator.Start()) {
        std::fprintf(stderr, "no emulator: %s\n", qPrintable(emulator.ErrorText()));
        return 1;
    }
    QTemporaryDir home;
    QFile::copy(QString::fromLocal8Bit(argv[3]) + QStringLiteral("/VectorGroupTable.csv"),
                home.filePath(QStringLiteral("VectorGroupTable.csv")));
    {
        TIniFile ini(home.filePath(QStringLiteral("Qel8625.cfg")));
        ini.WriteString(QStringLiteral("Qel8625"), QStringLiteral("ComPort"), emulator.SlavePath());
        ini.WriteString(QStringLiteral("QEL8624"), QStringLiteral("ComPort"), emulator.SlavePath());
    }
    TSilentOperator op;
    TQelStartup s;
    s.ExecutablePath = home.filePath(QStringLiteral("Qel8625"));
    s.DocumentsFolder = home.path();
    s.Operator = &op;
    TQelGlobal g(s);
    g.LoadVectorGroupTable();
    // The window first: the test is the one it shows.
    TQelImage images;
    TQelMainForm form(g);
    form.SetImages(images);
    form.move(0, 0);
    form.show();
    form.PageControl1->setCurrentIndex(TQelMainForm::pgMeasure);
    if (!WaitFor([&] { return g.Qel().State() == LinkState::Idle; }, 20000)) {
        std::fprintf(stderr, "the emulator did not answer\n");
        return 1;
    }
    g.NewDocument(home.filePath(QStringLiteral("aps.xml")));
    const auto windings = g.Doc().DUTTrafoData().Winding();
    windings.Item(0).Configuration().SetValue(0);
    windings.Item(0).NominalVoltage().SetValue(QStringLiteral("86.6 kV"));
    windings.Item(1).Configuration().SetValue(2);
    windings.Item(1).VectorGroup().SetValue(85);
    windings.Item(1).NominalVoltage().SetValue(QStringLiteral("10 kV"));
    const auto setup = g.Doc().QEL().Setup();
    setup.ActTestVoltage().SetValue(QStringLiteral("Auto"));
    setup.ActMeasWindingH().SetValue(0);
    setup.ActMeasWindingX().SetValue(1);
    g.DocumentChanged();

    TQelArbitrary detector(g);
    detector.Timer()->setInterval(200);
    TApmProgressBarForm progress(detector, &form);
    g.StartTapTest(1);
    bool ok = WaitFor([&] { return detector.Step() >= 6; }, 60000) &&
              SaveSheet(progress, QString::fromLocal8Bit(argv[1]));
    // The page enters the result as rows of the grid when the detector reports it.
    ok = WaitFor([&] { return !detector.Running(); }, 120000) && ok;
    ok = g.ArbitraryResult.Count == 1 && ok;
    // The grid scrolled to its last columns: Phase Dev. and Phaseshift.
    QScrollBar* across = form.ManualFrame->sgMeasData->View()->horizontalScrollBar();
    across->setValue(across->maximum());
    ok = SaveSheet(form, QString::fromLocal8Bit(argv[2])) && ok;
    return ok ? 0 : 1;
}
