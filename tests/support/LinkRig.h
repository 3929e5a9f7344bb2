#pragma once
// Header only: the tests that use it link the data module and the emulator themselves.
//
// A data module in a temporary application folder whose instrument is the emulator on a
// pseudo-terminal, the way the program entry builds it, with the link's time limits shortened
// so that a lost reply or a reconnection takes a fraction of the real times.
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "GlobalState.h"
#include "IniFile.h"
#include "Qel8624Device.h"
#include "Qel8624Emulator.h"
#include "QelGlobals.h"
#include "RecordingOperator.h"

struct TLinkRig {
    TGlobalStateGuard State; // the data module's settings and saves change process-wide state
    QTemporaryDir App;
    TRecordingOperator Operator;
    std::unique_ptr<TQel8624Emulator> Emulator;
    std::unique_ptr<TQelGlobal> Global;
    TLinkTimings Timings = ShortTimings();
    QString DocumentsFolder = App.filePath(QStringLiteral("home"));

    virtual ~TLinkRig() { Global.reset(); }

    // Long enough for any reply of the emulator on a busy machine, short enough for a test.
    static TLinkTimings ShortTimings() {
        TLinkTimings t;
        t.Transport = {1500, 3000, 1500};
        t.GuardMs = 4000;
        t.ReconnectMs = 300;
        t.UploadStallMs = 20000;
        return t;
    }

    QString ConfigFile() const { return App.filePath(QStringLiteral("Qel8625.cfg")); }
    // A name the port can be reached under whatever pseudo-terminal the emulator gets.
    QString LinkPath() const { return App.filePath(QStringLiteral("instrument-port")); }
    void SetConfig(const QString& key, const QString& value,
                   const QString& section = QStringLiteral("Qel8625")) {
        TIniFile ini(ConfigFile());
        ini.WriteString(section, key, value);
    }
    // The instrument port, under the executable's section and the one the instrument type selects.
    void SetPort(const QString& port, const QString& type = QStringLiteral("QEL 8624")) {
        SetConfig(QStringLiteral("ComPort"), port);
        QString section = type;
        section.remove(QLatin1Char(' '));
        SetConfig(QStringLiteral("ComPort"), port, section);
    }
    // Starts a new emulator; with `viaLink` it is reached under LinkPath().
    bool StartEmulator(int measuringMs = 1500, const TEmulatorIdentity& identity = {}, bool viaLink = false) {
        Emulator = std::make_unique<TQel8624Emulator>();
        Emulator->SetIdentity(identity);
        Emulator->SetMeasuringTime(measuringMs);
        if (!Emulator->Start(viaLink ? LinkPath() : QString()))
            return false;
        SetPort(viaLink ? LinkPath() : Emulator->SlavePath(), identity.Type);
        return true;
    }
    void CreateGlobal(const QStringList& arguments = {}) {
        TQelStartup s;
        s.ExecutablePath = App.filePath(QStringLiteral("Qel8625"));
        s.Arguments = arguments;
        s.DocumentsFolder = DocumentsFolder;
        s.Operator = &Operator;
        s.Link = Timings;
        Global = std::make_unique<TQelGlobal>(s);
    }
    bool WaitIdle(int ms = 20000) {
        return QTest::qWaitFor([this] { return Global->Qel().State() == LinkState::Idle; }, ms);
    }
    // The instrument stops answering `request` ("" = every request) for good.
    void SilenceFor(const QString& request) {
        TEmulatorFault silent;
        silent.Kind = TEmulatorFault::Silent;
        silent.Request = request;
        silent.Count = -1;
        Emulator->AddFault(silent);
    }
    // Requests the emulator received, joined by blanks ("M R S 00000003").
    QStringList Sent() const {
        QStringList out;
        for (const QStringList& r : Emulator->Requests())
            out << r.join(QLatin1Char(' '));
        return out;
    }
    bool WasSent(const QString& head) const {
        for (const QString& r : Sent())
            if (r.startsWith(head))
                return true;
        return false;
    }
};
