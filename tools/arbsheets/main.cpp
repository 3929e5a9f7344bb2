// A phase shift detection on a DYN transformer of -37.5 degrees, run by the real detector over
// the emulator: its progress dialog while it measures, and the result per phase as the data
// module gives its texts.
#include "../SheetSupport.h"
#include "IniFile.h"
#include "OperatorIFace.h"
#include "Qel8624Device.h"
#include "Qel8624Emulator.h"
#include "QelArbProgress.h"
#include "QelArbitrary.h"
#include "QelGlobals.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTableView>
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
    g.NewDocument(home.filePath(QStringLiteral("aps.xml")));
    const auto windings = g.Doc().DUTTrafoData().Winding();
    windings.Item(0).Configuration().SetValue(0);
    windings.Item(0).NominalVoltage().SetValue(QStringLiteral("150 kV"));
    windings.Item(1).Configuration().SetValue(2);
    windings.Item(1).VectorGroup().SetValue(85);
    windings.Item(1).NominalVoltage().SetValue(QStringLiteral("10 kV"));
    const auto setup = g.Doc().QEL().Setup();
    setup.ActTestVoltage().SetValue(QStringLiteral("Auto"));
    setup.ActMeasWindingH().SetValue(0);
    setup.ActMeasWindingX().SetValue(1);
    g.DocumentChanged();
    if (!WaitFor([&] { return g.Qel().State() == LinkState::Idle; }, 20000)) {
        std::fprintf(stderr, "the emulator did not answer\n");
        return 1;
    }

    TQelArbitrary detector(g);
    detector.Timer()->setInterval(200);
    QWidget owner;
    owner.resize(800, 600);
    TApmProgressBarForm progress(detector, &owner);
    g.StartTapTest(1);
    bool ok = WaitFor([&] { return detector.Step() >= 6; }, 60000) &&
              SaveSheet(progress, QString::fromLocal8Bit(argv[1]));
    ok = WaitFor([&] { return !detector.Running(); }, 120000) && ok;

    QStandardItemModel rows(3, 6);
    rows.setHorizontalHeaderLabels({QStringLiteral("Turns Ratio"), QStringLiteral("Volt Ratio"),
                                    QStringLiteral("Ratio Dev."), QStringLiteral("Phaseshift"),
                                    QStringLiteral("Current"), QStringLiteral("Test Voltage")});
    rows.setVerticalHeaderLabels({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    for (int p = 0; p < 3; ++p) {
        const TPhaseResultTexts t = g.ArbitraryResultTexts(p);
        const QStringList cells = {t.TurnsRatio, t.VoltageRatio, t.RatioDeviation,
                                   t.Phase,      t.Current,      t.TestVoltage};
        for (int c = 0; c < cells.size(); ++c)
            rows.setItem(p, c, new QStandardItem(cells.at(c)));
    }
    QTableView view;
    view.setWindowTitle(QStringLiteral("Arbitrary phase shift: %1").arg(g.ArbitraryResult.VectorGroup));
    view.setModel(&rows);
    view.horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    view.resize(720, 150);
    view.show();
    ok = SaveSheet(view, QString::fromLocal8Bit(argv[2])) && ok;
    return ok ? 0 : 1;
}
