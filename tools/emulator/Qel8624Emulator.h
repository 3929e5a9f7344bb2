#pragma once
#include "Qel8624Protocol.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

// A stand-in QEL 8624 on a serial line: it owns the master end of a pseudo-terminal (or a real
// serial device) and answers every request of the command set from its own thread, so a caller
// that blocks in a serial exchange still gets its answer. Every received frame is checked
// strictly and logged; tests read the log to see exactly what the application sent.
//
// All public methods are thread-safe; configuration may change while it runs.

struct TEmulatorIdentity {
    QString Type = QStringLiteral("QEL 8624");
    QString SerialNumber = QStringLiteral("86240117");
    QString Firmware = QStringLiteral("2.05.12");
    QString CalibratedBy = QStringLiteral("QEL Service");
    QDateTime LastCalibration; // invalid: a year before start
    QDateTime NextCalibration; // invalid: a year after start
};

// One test in the instrument's memory.
struct TEmulatorStoredTest {
    int Slot = 1;           // 1 ... 100
    bool SetupOnly = false; // "S" in the directory (a stored setup) instead of "R"
    Qel8624::TStoredSetupReply Setup;
    Qel8624::TInfoReply Info;
    QList<Qel8624::TTapReply> Taps;
};

// A fault played on the next matching requests.
struct TEmulatorFault {
    enum TKind {
        Refuse,    // "+ERROR:<ErrorNumber>"
        Silent,    // no answer at all (cable pulled)
        Hangup,    // closes its end of the line: the device is gone
        Garbage,   // bytes that never form a frame
        Partial,   // the first part of the right reply, never the rest
        Slow,      // the right reply, one byte every ByteDelayMs
        Pieces,    // the right reply in three pieces, ByteDelayMs apart
        Trailing,  // the right reply with more bytes after its end in the same write
        Malformed, // a well-formed "+OK" frame whose fields are not numbers
        Held,      // the right reply, sent only when ReleaseHeld is called
    };
    TKind Kind = Refuse;
    QString Request; // leading tokens joined by blanks ("T M R", "M R T"); empty = any
    qint32 ErrorNumber = 0x901;
    int Count = 1;         // how many requests it hits; -1 = all from now on
    int ByteDelayMs = 100; // Slow: per byte; Pieces: between pieces
};

// What the live samples (S P, S K) show while the phase shift detector drives the instrument,
// and the faults they play on demand.
struct TEmulatorLiveModel {
    // Per phase A, B, C: the turns ratio and the phase shift (degrees) the two measurement
    // connections of that phase show (transformer: 49/48, 65/66, 80/82; auto-transformer:
    // 54/55/56, 71/72/70, 88/86/87).
    std::array<double, 3> TurnsRatio{10, 10, 10};
    std::array<double, 3> PhaseShift{0, 0, 0};
    // The primary voltage of voltage codes 0, 16, 48, 96 (a selection's own voltage wins).
    std::array<float, 4> TestVoltages{250, 100, 25, 2};
    double CounterRate = 20;      // measurement counts per second while the output is on
    int CounterStart = 0;         // the count at output on (250: it wraps at once)
    bool CounterStuck = false;    // the counter stays at CounterStart
    int SettlingCounts = 0;       // after a selection change the old readings stay this many counts
    bool SettlingInvalid = false; // ... with the valid bit clear meanwhile
    bool ValidWhileOff = false;   // the valid bit (and the counter) also while the output is off
    bool EmergencyStop = false;   // condition bit 15 clear; the output goes off and stays off
    bool CablesUnplugged = false; // condition bit 14 clear
    bool OutputFail = false;      // status bit 6 set; no primary voltage
    bool ZeroSecondary = false;   // the secondary reads 0 V
};

// One received frame as logged.
struct TEmulatorFrame {
    QDateTime Time;
    qint64 MonotonicNs = 0; // steady clock (std::chrono::steady_clock) when the frame was complete
    QByteArray Raw;
    QStringList Tokens; // unescaped
    bool Valid = false;
    QString Problem;  // why a frame was rejected
    QByteArray Reply; // what was sent back (empty for none)
};

class TQel8624Emulator {
public:
    TQel8624Emulator();
    ~TQel8624Emulator();
    TQel8624Emulator(const TQel8624Emulator&) = delete;
    TQel8624Emulator& operator=(const TQel8624Emulator&) = delete;

    // Creates a pseudo-terminal and starts answering on it; SlavePath() is the port to open.
    // With `linkPath` a symbolic link of that name points at it while the emulator runs, so a
    // restarted emulator is found under the same port name (as a re-plugged adapter is).
    bool Start(const QString& linkPath = QString());
    // Answers on an existing serial device instead (9600 8N1 raw).
    bool StartOnDevice(const QString& device);
    void Stop();
    bool IsRunning() const;
    QString SlavePath() const;
    QString ErrorText() const;

    // --- Configuration ---
    void SetIdentity(const TEmulatorIdentity& identity);
    TEmulatorIdentity Identity() const;
    void SetMeasuringTime(int ms); // Measuring per tap, default 1500 ms
    void FinishTap();              // the tap being measured is done now, whatever the time
    void SetStoredTests(const QList<TEmulatorStoredTest>& tests);
    static QList<TEmulatorStoredTest> DefaultStoredTests();
    void SetPhaseShift(double degrees);   // seen by the live samples, default 0
    void SetLiveTurnsRatio(double ratio); // default 10
    // The whole live model (the two above set all three phases of it).
    void SetLiveModel(const TEmulatorLiveModel& model);
    TEmulatorLiveModel LiveModel() const;
    void SetSeed(quint32 seed); // measured values are reproducible per seed
    // What an automatic setup (connection 15, clock 255) finds on the terminals; none by default.
    void SetConnectedVectorGroup(const Qel8624::TVectorGroup& vg);
    void AddFault(const TEmulatorFault& fault);
    void ClearFaults();
    void ReleaseHeld();    // sends the replies a Held fault keeps back
    int HeldCount() const; // replies kept back now

    // --- Observation ---
    QList<TEmulatorFrame> Frames() const;
    QList<QStringList> Requests() const; // tokens of the valid frames, in order
    int InvalidFrames() const;
    void ClearLog();
    // Waits (without spinning) until at least `count` frames were logged since ClearLog.
    bool WaitForFrames(int count, int timeoutMs) const;
    // Called from the emulator thread with one line per frame (the command-line front end prints).
    void SetLogSink(std::function<void(const QString&)> sink);

    // The instrument's state as it sees it.
    TestStatus Status() const;
    Qel8624::TTestSetupArgs CurrentSetup() const;
    QList<QList<float>> SetupTapLines() const; // the T S I lines received: index, hv, lv
    bool OutputOn() const;

private:
    struct TPrivate;
    std::unique_ptr<TPrivate> d;
};
