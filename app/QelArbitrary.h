#pragma once
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

#include "ArbPhaseMath.h"
#include "Qel8624Records.h"

class QTimer;
class TQelGlobal;
struct TArbitraryStart;
struct TCompletion;

// The phase shift detector: for a test with phase displacement 85 ("Arbitrary Phase Shift") or
// 86 ("APS Auto Trafo") it drives the instrument step by step (measurement connection, output,
// settled live reading) and computes per phase the turns ratio, the voltage ratio and the angle.
//
// It runs on the user-interface thread, driven by its 700 ms timer. A tick never waits: a request
// the link does not take now, or that the instrument refuses, is sent again at a later tick, and
// a reading counts only from live samples that arrived after the step's last request was
// accepted. Every way out (finished, cancelled, failed, link lost) switches the test output off
// and selects the test voltage again before the detector becomes idle.
class TQelArbitrary : public QObject {
    Q_OBJECT
public:
    enum TAlarm { alNone = 0, alCables = 1, alEmergency = 2, alOutputFail = 3, alOverCurrent = 4 };
    static constexpr int FinishStep = 40;
    static constexpr int StepCount = 41; // the progress bar's maximum

    // Installs itself as the data module's arbitrary start and its APM completion handler.
    explicit TQelArbitrary(TQelGlobal& global, QObject* parent = nullptr);
    ~TQelArbitrary() override;

    // The data module hands over a test with clock 85 or 86. Refused while a detection runs;
    // in simulation nothing is sent (the simulation makes the result).
    void Start(const TArbitraryStart& start);
    // The voltage code of one of the instrument's four test voltages; -1 for another
    // ("Illegal Voltage Value").
    int VoltageCode(float volts) const;
    void SetVectorGroupText(const QString& text) { FVectorGroup = text.toUpper(); }
    QString VectorGroupText() const { return FVectorGroup; }
    // The operator's Cancel: the detection ends at the next tick, without a result.
    void Cancel();

    bool Running() const { return FRunning; }
    int Step() const { return FStep; }
    int Alarm() const { return FAlarm; }
    bool AutoTransformer() const { return FAuto; }

    // One step of the machine (the timer's slot; tests may call it).
    void Tick();
    QTimer* Timer() const { return FTimer; }
    // Live samples a settling wait may take before the detection fails (a counter that does
    // not advance).
    void SetSettleLimit(int samples) { FSettleLimit = samples; }
    // Failed answers to one request before the detection gives up.
    void SetRefusalLimit(int answers) { FRefusalLimit = answers; }

    // The debug log: the 32-column header and a row per phase of every computation.
    static QStringList LogHeader();
    const QList<QStringList>& LogRows() const { return FLog; }

Q_SIGNALS:
    void Started();  // a detection began (the progress dialog opens)
    void Finished(); // it ended, whichever way

private:
    enum class TRequestKind { Select, Output };
    struct TRequest {
        TRequestKind Kind = TRequestKind::Select;
        TApmSelection Selection;  // Select
        int Measure = -1;         // Select: a measurement connection on the selection last sent
        bool TestVoltage = false; // Select: the stored test voltage
        bool ShortForm = false;   // Select: APMSELECT whatever the firmware
        bool On = false;          // Output
    };
    enum class TWait { None, Reading, Settled };
    struct TStep {
        int Number = 0;
        QList<TRequest> Requests;
        TWait Wait = TWait::None;
        int Slot = -1; // where a settled reading is kept
        QString Trace;
        std::function<void()> Action; // after the requests and the wait
    };
    struct TReading {
        double V1 = 1, V2 = 1;
        qint32 Gain = 0;
        float RawV1 = 0, RawV2 = 0;
    };

    void BuildSequence();
    TRequest Measure(int selection) const;
    TRequest SelectVoltage() const;
    TRequest Output(bool on) const;
    TRequest Reset() const;
    bool SendRequest(const TRequest& r);
    // Sends the next request the machine wants; false when it wants none (the step's wait).
    bool Pump();
    bool OnCompletion(const TCompletion& c);
    void OnLiveData(const TLiveSampleA& a, const TLiveSampleB& b);
    void TickRunning();
    void TickFinishing();
    // Whether the step's wait is over; false leaves it for a later tick.
    bool WaitDone(const TStep& step);
    void Advance();
    void Fail(const QString& text);
    void BeginFinish();
    void EndDetection();
    bool LinkUsable() const;
    void ComputeTransformer();
    void ComputeAutoTransformer();
    // Phases from the corrected pairs; the log row of each phase is completed by `logRow`.
    void StoreResults(const std::function<void(int, QStringList&)>& logRow);
    void WriteLog() const;
    void Trace(const QString& text) const;

    TQelGlobal& FGlobal;
    QTimer* FTimer = nullptr;
    QList<TStep> FSequence;
    int FIndex = 0;     // position in FSequence
    int FStep = -1;     // its number
    int FRequestAt = 0; // next request of the step
    bool FAwaiting = false;
    TRequest FPendingRequest;    // the request whose completion is awaited
    bool FPendingResume = false; // ... switches the output on again after an alarm
    bool FPendingFinish = false; // ... is one of the switch-off
    int FFinishAt = 0, FFinishTries = 0;
    bool FResultStored = false;
    int FRefusals = 0;
    int FRefusalLimit = 4;
    bool FRunning = false, FCancel = false, FFinishing = false, FInTick = false;
    bool FOutputWanted = false; // the detection has switched the output on
    bool FResumeOutput = false; // an alarm has cleared: the output goes on again first
    int FAlarm = alNone;
    bool FAlarmSeen = false;
    // Settling: counted only over samples after the step's last accepted request.
    quint64 FSampleSerial = 0, FAcceptedSerial = 0, FSeenSerial = 0;
    int FSettle = 0, FSettleSamples = 0, FSettleLimit = 40;
    quint8 FStartCount = 0, FEndCount = 0;
    TLiveSampleA FLiveA;
    TLiveSampleB FLiveB;
    std::array<TReading, 16> FReadings{};
    float FTestVoltage = 0;
    QString FVectorGroup;
    bool FAuto = false;
    int FGroupIndex = -1;
    double FCorrection = 1;
    ArbPhase::TFactors FFactors;
    std::array<double, 3> FK1{1, 1, 1}, FK2{1, 1, 1};
    QList<QStringList> FLog;
};
