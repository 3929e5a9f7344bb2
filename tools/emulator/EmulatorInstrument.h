#pragma once
#include "Qel8624Emulator.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <random>

// What the stand-in instrument knows and how it answers one request. No I/O and no lock: the
// emulator's thread calls it under the emulator's mutex.
class TEmulatorInstrument {
public:
    using TClock = std::chrono::steady_clock;

    // Error numbers of the stand-in for requests it cannot take.
    static constexpr qint32 ErrNoSetup = 0x901;    // run without a complete setup
    static constexpr qint32 ErrEndOfList = 0x907;  // past the last tap / setup line
    static constexpr qint32 ErrEmptySlot = 0x908;  // memory slot holds nothing
    static constexpr qint32 ErrMalformed = 0x100;  // frame or arguments not well formed
    static constexpr qint32 ErrUnknown = 0x101;    // request not in the command set
    static constexpr qint32 ErrWrongState = 0x102; // e.g. continue with no tap waiting

    struct TAnswer {
        QByteArray Reply;
        QString Problem; // why the request was not well formed (empty when it was)
    };

    // Carries out a request and gives the reply (a refusal for a request not well formed).
    TAnswer Answer(const QStringList& tokens, TClock::time_point now);
    // Why a request is not well formed, without carrying it out (empty when it is).
    static QString Check(const QStringList& tokens);
    TestStatus Status(TClock::time_point now);
    void FinishTap() { m_FinishNow = true; }

    static QByteArray Ok(const QStringList& values = {});
    static QByteArray Error(qint32 number);

    TEmulatorIdentity Identity;
    int MeasuringMs = 1500;
    QList<TEmulatorStoredTest> Stored = TQel8624Emulator::DefaultStoredTests();
    TEmulatorLiveModel Model;
    // An emergency stop switches the output off.
    void SetLiveModel(const TEmulatorLiveModel& model);
    // The transformer on the terminals: an automatic part of the setup (connection 15, clock
    // 255) is what the instrument finds there. Not set (the default): the setup stays as sent.
    Qel8624::TVectorGroup Connected;
    std::mt19937 Random{8624};

    Qel8624::TTestSetupArgs Setup;
    QList<QList<float>> TapLines;
    bool OutputOn = false;

private:
    static TAnswer Parse(const QStringList& tokens, QString& command, QStringList& args);
    TAnswer Memory(const QString& command, const QStringList& args);
    TAnswer Test(const QString& command, const QStringList& args, TClock::time_point now);
    TAnswer Live(const QString& command, const QStringList& args, TClock::time_point now);
    void CompleteTap(TClock::time_point now);
    Qel8624::TTapReply Measure(int tap);
    const TEmulatorStoredTest* Slot(qint32 slot) const;
    struct TReading {
        double Primary = 0, Secondary = 0;
    };
    double SelectedRatio(qint32 selection) const;
    TReading Reading(qint32 selection) const;
    TReading LiveReading(TClock::time_point now, bool& valid) const;
    double CountsSince(TClock::time_point since, TClock::time_point now) const;

    bool m_HaveVector = false, m_HaveNominal = false;
    bool m_Running = false, m_Measuring = false, m_FinishNow = false;
    TClock::time_point m_MeasureStart{};
    QList<Qel8624::TTapReply> m_Results;
    qint32 m_VoltageCode = 0, m_Selection = 102, m_SelectVoltage = 0, m_Mode = 0;
    bool m_VoltageCodeGiven = false;
    TClock::time_point m_OutputSince{};
    // The settling transient: the reading of the previous selection until the instrument has
    // measured the new one for a while.
    TReading m_Held;
    TClock::time_point m_SelectedAt{};
    bool m_Selected = false;
};
