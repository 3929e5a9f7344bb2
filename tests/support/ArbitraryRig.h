#pragma once
// Header only: the tests that use it link the data module and the emulator themselves.
//
// A data module on the emulator with a test whose phase displacement asks for phase shift
// detection, and the detector made as the program entry makes it, ticking fast.
#include <QEvent>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "LinkRig.h"
#include "QelArbitrary.h"
#include "TestDirs.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

// Messages 1393 and 1401 as the pages get them.
class TArbitraryMessages : public QObject {
public:
    QList<std::pair<int, qintptr>> Got; // message, wParam
    bool event(QEvent* e) override {
        const int type = int(e->type());
        if (type == UM_RESULT || type == UM_LINKSTATE) {
            Got.append({type, static_cast<TQelMessage*>(e)->WParam});
            return true;
        }
        return QObject::event(e);
    }
    int Count(int message, qintptr wParam) const {
        return int(std::count(Got.begin(), Got.end(), std::pair<int, qintptr>{message, wParam}));
    }
};

struct TArbitraryRig : TLinkRig {
    TArbitraryMessages Messages;
    std::unique_ptr<TQelArbitrary> Arb;

    ~TArbitraryRig() override {
        Arb.reset();
        Global.reset();
    }

    // A counter fast enough that a settling wait takes two polls.
    static TEmulatorLiveModel FastModel() {
        TEmulatorLiveModel m;
        m.CounterRate = 200;
        return m;
    }
    // ... with a ratio and a shift of its own on each phase.
    static TEmulatorLiveModel PerPhaseModel() {
        TEmulatorLiveModel m = FastModel();
        m.TurnsRatio = {8, 9.5, 12};
        m.PhaseShift = {37.5, 20, 5};
        return m;
    }

    // Connections of the HV and LV windings (0 D, 1 Y, 2 YN, ...), clock 85 or 86.
    bool Create(int hv, int lv, int clock, const TEmulatorLiveModel& model, const QStringList& arguments = {},
                const QString& testVoltage = QStringLiteral("Auto")) {
        const bool simulated = arguments.contains(QStringLiteral("/SIM"));
        if (!simulated) {
            if (!StartEmulator())
                return false;
            Emulator->SetLiveModel(model);
        }
        if (!InstallVectorGroupTable(App.path()))
            return false;
        CreateGlobal(arguments);
        Global->RegisterWindow(&Messages);
        if (!Global->LoadVectorGroupTable() ||
            !Global->NewDocument(App.filePath(QStringLiteral("home/aps.xml"))))
            return false;
        const auto windings = Global->Doc().DUTTrafoData().Winding();
        windings.Item(0).Configuration().SetValue(hv);
        windings.Item(0).NominalVoltage().SetValue(QStringLiteral("110 kV"));
        windings.Item(1).Configuration().SetValue(lv);
        windings.Item(1).VectorGroup().SetValue(clock);
        windings.Item(1).NominalVoltage().SetValue(QStringLiteral("20 kV"));
        const auto setup = Global->Doc().QEL().Setup();
        setup.ActTestVoltage().SetValue(testVoltage);
        setup.ActMeasWindingH().SetValue(0);
        setup.ActMeasWindingX().SetValue(1);
        if (!Global->DocumentChanged())
            return false;
        Arb = std::make_unique<TQelArbitrary>(*Global);
        Arb->Timer()->setInterval(40);
        return simulated || WaitIdle();
    }
    // Starts the test as the measurement page does and waits until the detection has ended.
    bool Run(int timeoutMs = 120000) {
        Global->StartTapTest(1);
        return Arb->Running() && QTest::qWaitFor([this] { return !Arb->Running(); }, timeoutMs);
    }
    // The measurement connections selected, in order (selection 102 left out).
    QList<int> Selections() const {
        QList<int> out;
        for (const QStringList& r : Emulator->Requests())
            if (r.size() >= 2 && (r.at(0) == QLatin1String("S") &&
                                  (r.at(1) == QLatin1String("C") || r.at(1) == QLatin1String("H")))) {
                const int s = int(r.at(2).toUInt(nullptr, 16));
                if (s != 102)
                    out << s;
            }
        return out;
    }
};
