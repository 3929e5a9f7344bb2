// The MEASURE page of the real main window with the result of a Dyn11 110 kV / 20 kV tap test on
// its live display: once in simulation, once over the instrument emulator on a pseudo-terminal.
#include "../SheetSupport.h"
#include "IniFile.h"
#include "OperatorIFace.h"
#include "Qel8624Device.h"
#include "Qel8624Emulator.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelMain.h"
#include "QelPageControl.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// Lets the events run until the condition holds (at most `ms`).
bool WaitFor(const std::function<bool()>& done, int ms) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    check.start(50);
    if (!done())
        loop.exec();
    return done();
}

// Counts the results the data module announces.
class TResultCounter : public QObject {
public:
    int Results = 0;
    bool event(QEvent* e) override {
        if (int(e->type()) == UM_RESULT)
            ++Results;
        return QObject::event(e);
    }
};

bool Sheet(const QString& tableFolder, const QString& file, bool simulated) {
    QTemporaryDir home;
    QFile::copy(tableFolder + QStringLiteral("/VectorGroupTable.csv"),
                home.filePath(QStringLiteral("VectorGroupTable.csv")));
    TQel8624Emulator emulator;
    const QString config = home.filePath(QStringLiteral("Qel8625.cfg"));
    {
        TIniFile ini(config);
        ini.WriteInteger(QStringLiteral("Qel8625"), QStringLiteral("StartupMode"), 1);
        if (!simulated) {
            emulator.SetMeasuringTime(800);
            if (!emulator.Start())
                return false;
            for (const QString& section : {QStringLiteral("Qel8625"), QStringLiteral("QEL8624")})
                ini.WriteString(section, QStringLiteral("ComPort"), emulator.SlavePath());
        }
    }
    TSilentOperator op;
    TQelStartup s;
    s.ExecutablePath = home.filePath(QStringLiteral("Qel8625"));
    s.DocumentsFolder = home.path();
    if (simulated)
        s.Arguments = {QStringLiteral("/SIM")};
    s.Operator = &op;
    TQelGlobal g(s);
    g.LoadVectorGroupTable();
    TQelImage images;
    bool saved = false;
    {
        TQelMainForm form(g);
        form.SetImages(images);
        TResultCounter counter;
        g.RegisterWindow(&counter);
        const auto windings = g.Doc().DUTTrafoData().Winding();
        windings.Item(0).Configuration().SetValue(0);
        windings.Item(0).NominalVoltage().SetValue(QStringLiteral("110 kV"));
        windings.Item(1).Configuration().SetValue(2);
        windings.Item(1).VectorGroup().SetValue(11);
        windings.Item(1).NominalVoltage().SetValue(QStringLiteral("20 kV"));
        g.Doc().QEL().Setup().ActTestVoltage().SetValue(QStringLiteral("100 V"));
        g.Doc().QEL().Setup().ActMeasWindingH().SetValue(0);
        g.Doc().QEL().Setup().ActMeasWindingX().SetValue(1);
        g.DocumentChanged();
        g.SendToAll(UM_STARTUP, 0, 0);
        form.PageControl1->setCurrentIndex(TQelMainForm::pgMeasure);
        form.PageControl1Change();
        if (!simulated && !WaitFor([&] { return g.Qel().State() == LinkState::Idle; }, 20000)) {
            std::fprintf(stderr, "the emulator did not connect\n");
        } else {
            g.StartTapTest(1);
            WaitFor([&] { return counter.Results > 0; }, 20000);
            // The state message after the result, then the picture.
            WaitFor([] { return false; }, 600);
            saved = form.grab().save(file);
        }
        g.UnregisterWindow(&counter);
        g.ShutDown();
    }
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
    return saved;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: qel_measure_sheets simulation.png emulator.png table-folder\n");
        return 2;
    }
    const QString table = QString::fromLocal8Bit(argv[3]);
    const bool sim = Sheet(table, QString::fromLocal8Bit(argv[1]), true);
    const bool emu = Sheet(table, QString::fromLocal8Bit(argv[2]), false);
    return sim && emu ? 0 : 1;
}
