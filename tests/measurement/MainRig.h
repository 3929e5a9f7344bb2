#pragma once
// The main window with a data module of its own in a temporary application folder, the way the
// program entry builds them; an instrument emulator on a pseudo-terminal when a link is wanted.
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "GlobalState.h"
#include "IniFile.h"
#include "Qel8624Device.h"
#include "Qel8624Emulator.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelMain.h"
#include "RecordingOperator.h"

struct TMainRig {
    TGlobalStateGuard State; // the data module's settings and saves change process-wide state
    QTemporaryDir App;
    TRecordingOperator Operator;
    TQelImage Images;
    std::unique_ptr<TQel8624Emulator> Emulator;
    std::unique_ptr<TQelGlobal> Global;
    std::unique_ptr<TQelMainForm> Form;

    ~TMainRig() {
        Form.reset();
        Global.reset();
    }

    QString ConfigFile() const { return App.filePath(QStringLiteral("Qel8625.cfg")); }
    void SetConfig(const QString& key, const QString& value,
                   const QString& section = QStringLiteral("Qel8625")) {
        TIniFile ini(ConfigFile());
        ini.WriteString(section, key, value);
    }
    // The instrument port, under the executable's section and the one the emulator's type selects.
    void SetPort(const QString& port) {
        SetConfig(QStringLiteral("ComPort"), port);
        SetConfig(QStringLiteral("ComPort"), port, QStringLiteral("QEL8624"));
    }
    bool StartEmulator(int measuringMs = 1500) {
        Emulator = std::make_unique<TQel8624Emulator>();
        Emulator->SetMeasuringTime(measuringMs);
        if (!Emulator->Start())
            return false;
        SetPort(Emulator->SlavePath());
        return true;
    }

    void Create(const QStringList& arguments = {}) {
        TQelStartup s;
        s.ExecutablePath = App.filePath(QStringLiteral("Qel8625"));
        s.Arguments = arguments;
        s.DocumentsFolder = App.filePath(QStringLiteral("home"));
        s.Operator = &Operator;
        Global = std::make_unique<TQelGlobal>(s);
        Form = std::make_unique<TQelMainForm>(*Global);
        Form->SetImages(Images);
    }

    // The program ended and started again on the same folders.
    void Restart(const QStringList& arguments = {}) {
        Form.reset();
        Global.reset();
        Create(arguments);
    }

    // Connected to the emulator and on screen, as after a start with the instrument attached.
    bool CreateShownAndIdle(const QStringList& arguments = {}) {
        Create(arguments);
        Form->show();
        return WaitIdle();
    }
    // The instrument stops answering `request` ("" = every request) for good.
    void SilenceFor(const QString& request) {
        TEmulatorFault silent;
        silent.Kind = TEmulatorFault::Silent;
        silent.Request = request;
        silent.Count = -1;
        Emulator->AddFault(silent);
    }

    bool WaitIdle(int ms = 15000) {
        return QTest::qWaitFor([this] { return Global->Qel().State() == LinkState::Idle; }, ms);
    }

    // The operator's messages that say a function is missing.
    int NotAvailable(const QString& function) const {
        int n = 0;
        for (const QString& t : Operator.Texts())
            if (t.contains(QStringLiteral("\"%1\" is not available yet").arg(function)))
                ++n;
        return n;
    }
};
