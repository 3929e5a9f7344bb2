#pragma once
#include "Qel8624Protocol.h"
#include "Qel8624Records.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QWaitCondition>

#include <array>
#include <atomic>
#include <functional>
#include <memory>

#include "RS232Comms.h"

class TOperatorIFace;
using TVuroRS232CommsDeadlines = TVuroRS232Comms::TDeadlines;

// Link state of the instrument thread.
enum class LinkState : quint8 {
    Disconnected = 0,
    Not8624 = 1, // never entered
    Connecting = 2,
    Connected = 3,
    ComError = 4,
    Busy = 5,
    Idle = 6,
    Disconnecting = 7, // never entered
};
// The display text of a link state ("Connecting ...", "Busy...", ...).
QString LinkStateText(LinkState state);

// How a queued request ended.
enum class TCommandOutcome : quint8 {
    Completed,  // every frame had its reply; the instrument may still have refused (error number)
    ReplyLost,  // a transport failure ended it (time-out, line error, port gone)
    Unreadable, // a reply arrived but its fields do not read (the pass beeps)
};

// The end of a queued request, with what its reply said, read on the instrument thread: a reply
// that cannot be read never becomes a result.
struct TCompletion {
    CommandType Type = CommandType::MEMGETDIR;
    qint32 Argument = 0; // the slot or tap result number the request was for
    int ErrorNumber = 0; // 0 "+OK", the instrument's number after "+ERROR", -1 unrecognised
    TCommandOutcome Outcome = TCommandOutcome::Completed;
    // Decoded reply, valid when Accepted():
    std::array<quint8, Qel8624::MemorySlots> Directory{}; // MEMGETDIR: 2 R, 1 S, 0 empty
    TTestInfo Info;                                       // MEMGETINFO (slot = Argument)
    TTapResult Tap;                                       // TESTGETTAP (deviations 0, flag cleared)
    std::shared_ptr<const TMemoryData> Record;            // MEMGETRECORD: the whole stored test

    bool Completed() const { return Outcome == TCommandOutcome::Completed; }
    bool Accepted() const { return Completed() && ErrorNumber == 0; }
};

// The one thread that talks to the QEL 8624. It owns the serial transport, runs the connection
// handshake, polls the instrument while idle and executes one queued request at a time.
//
// The user-interface thread queues requests with the Request... operations and learns about
// everything through four callbacks. Each callback runs on the thread that created this object
// (the user-interface thread) while the instrument thread waits for it. The completion callback
// follows every queued request, also one that failed, and carries its decoded reply.
// Callbacks may queue further requests; they must not destroy this object, and they must not
// open a modal box (the thread would wait for the operator): post such messages instead.
//
// The thread sleeps until there is something to do: a queued request, a connect or disconnect
// request, the next idle poll. Nothing wakes it on a link with nothing to do.
//
// The object is created running; destroying it ends the loop, waits for the thread and closes
// the port. Once termination is asked for, the thread no longer waits for the user interface.
class TQel8624 : public QThread {
    Q_OBJECT
public:
    using TStateHandler = std::function<void(LinkState)>;
    using TCompletionHandler = std::function<void(const TCompletion&)>;
    using TTestStatusHandler = std::function<void(TestStatus)>;
    using TLiveDataHandler = std::function<void(const TLiveSampleA&, const TLiveSampleB&)>;

    static constexpr qint64 PollIntervalUs = 475200; // 5.5e-6 day
    static constexpr int GuardTimeOutMs = 15000;
    // Polls that time out one after the other before the link counts as lost (the instrument
    // may have been switched off and on: it wants the handshake again).
    static constexpr int LostAfterFailedPolls = 3;

    // `op` receives the beeps (may be null); it must outlive this object.
    explicit TQel8624(TOperatorIFace* op = nullptr, QObject* parent = nullptr);
    ~TQel8624() override;

    // --- Callbacks (set from the user-interface thread; an empty function is not called) ---
    void SetOnStateChange(TStateHandler handler);
    void SetOnCompletion(TCompletionHandler handler);
    void SetOnTestStatus(TTestStatusHandler handler);
    void SetOnLiveData(TLiveDataHandler handler);

    // --- Link ---
    // Stores the port name and opens the port; true on success. An already open port stays as
    // it is, unless a disconnect is pending: then the link on the old port is ended first (C C,
    // port closed) so that the next connect request runs on the new port. Keeps processing the
    // user-interface events while the instrument thread carries it out.
    bool Open(const QString& portName);
    void RequestConnect();
    // Closes the port, opens it again by its name and connects: a device that went away and came
    // back (a USB adapter plugged in again) is a new device. Only while Disconnected.
    void RequestReconnect();
    // Also drops a connect request that was not handled yet: the later request wins.
    void RequestDisconnect();
    // Waits for the link state with the user-interface events still delivered (the thread
    // hands its notifications to this thread on the way); false after `timeoutMs`.
    bool WaitForState(LinkState state, int timeoutMs);
    // Ends the loop after the current pass (does not wait).
    void Terminate();
    // Time limits of the transport and the request guard (tests shorten them).
    void SetTransportDeadlines(const TVuroRS232CommsDeadlines& deadlines);
    void SetGuardTimeOutMs(int ms) { FGuardTimeOutMs = ms; }
    int GuardTimeOut() const { return FGuardTimeOutMs.load(); }
    // True while a callback runs on the user-interface thread (the thread waits for it).
    bool InHandOver() const { return FHandOverDepth > 0; }

    // --- Queued requests. Each passes the request guard: accepted at once when no command is
    // pending and the link is Idle or Connected; otherwise refused when `wait` is false, else
    // the user-interface events are processed until the link is ready, at most 15 s, after which
    // the pending request is replaced. Returns whether the request was queued. ---
    bool RequestMemGetDir(bool wait);
    bool RequestMemDelete(qint32 slot, bool wait);
    bool RequestMemGetRecord(qint32 slot, bool wait); // the record buffer is cleared as it starts
    bool RequestMemGetInfo(qint32 slot, bool wait);
    bool RequestTestSetup(const TMemoryData& record, bool wait); // header without date + taps
    bool RequestTestRun(bool wait);
    bool RequestTestHalt(bool wait);
    bool RequestTestContinue(bool wait);
    bool RequestTestGetTap(qint32 n, bool wait);
    bool RequestApmOutput(bool on, bool wait);
    // APMSELECTEXT when the new-firmware flag is set, else APMSELECT; `shortForm` asks for
    // APMSELECT whatever the firmware (the detector's final reset).
    bool RequestApmSelect(const TApmSelection& selection, bool wait, bool shortForm = false);

    // --- The last reply (the completion carries its decoded form) ---
    void CopyRecordBuffer(TMemoryData& destination) const;
    TMemoryData RecordBuffer() const { return Locked(FRecord); }
    TApmSelection ApmSelection() const { return Locked(FApmSelection); } // the selection last queued
    // Deviations against the winding pair of the record buffer's header.
    void ComputeDeviations(TTapResult& tap) const;

    // --- State ---
    LinkState State() const { return FState.load(); }
    bool IsReady() const; // what the request guard waits for
    CommandType Command() const { return Locked(FCommandType); }
    int ErrorNumber() const { return FErrorNumber.load(); }
    TestStatus Status() const { return FTestStatus.load(); }
    Qel8624::TVectorGroup ReportedVectorGroup() const { return Locked(FVectorGroup); }
    float ActualTestVoltage() const { return Locked(FActualTestVoltage); } // V
    qint32 FourthStatusValue() const { return Locked(FFourth); }
    quint8 LastResult() const { return FLastResult.load(); } // transport result code
    // False from a failed exchange until an exchange succeeds again: the instrument does not
    // answer (the link state may still be Idle, as polls keep trying).
    bool Answering() const { return FAnswering.load(); }
    quint32 LastSystemError() const { return FLastSystemError.load(); }
    // Why the last Open failed, readable for the operator (names the fix for a denied port).
    QString LastOpenError() const { return Locked(FLastOpenError); }
    QString PortName() const { return Locked(FPortName); }
    QString InstrumentType() const { return Locked(FIdent.Type); }
    QString SerialNumber() const { return Locked(FIdent.SerialNumber); }
    QString FirmwareVersion() const { return Locked(FIdent.Firmware); }
    QString CalibratedBy() const { return Locked(FCalibration.CalibratedBy); }
    QDateTime LastCalibration() const { return Locked(FCalibration.LastCalibration); }
    QDateTime NextCalibration() const { return Locked(FCalibration.NextCalibration); }
    QString RequestText() const; // tokens of the last request, comma separated
    QString ReplyText() const;   // fields of the last reply, comma separated
    QStringList ReplyFields() const { return Locked(FLastReply); }
    bool StatusQueryMode() const { return FStatusQueryMode.load(); }

    // --- Flags set by the data module and the phase shift detector ---
    void SetVariantFlag(bool hundredVolt) { FVariant = hundredVolt; }
    bool VariantFlag() const { return FVariant.load(); }
    void SetNewFirmware(bool on) { FNewFirmware = on; }
    bool NewFirmware() const { return FNewFirmware.load(); }
    void SetLiveSampling(bool on) { FLiveSampling = on; }
    bool LiveSampling() const { return FLiveSampling.load(); }

Q_SIGNALS:
    // Internal wake-up of the user-interface waits (request guard, Open, WaitForState):
    // emitted by the thread at every state change and when a port open is done.
    void ReadinessChanged();

protected:
    void run() override;

private:
    struct TRequest {
        TRequest(CommandType type = CommandType::MEMGETDIR, qint32 argument = 0)
            : Type(type), Argument(argument) {}
        CommandType Type;
        qint32 Argument;     // slot or tap result number
        bool Output = false; // APMOUTPUT
        TApmSelection Selection;
        std::shared_ptr<const TMemoryData> Setup; // TESTSETUP
    };
    struct TOpenJob {
        QString Port;
        quint64 Id = 0;
        bool Pending = false;
    };

    // user-interface side
    bool Guard(bool wait);
    bool WaitUntil(const std::function<bool()>& done, QDeadlineTimer deadline);
    bool Queue(TRequest request, bool wait);

    // thread side: loop and states (Qel8624Device.cpp)
    void Pass();
    void PassConnecting();
    void PassIdle();
    void PassBusy();
    void Poll();
    bool PollLiveSamples();
    void ServeOpenJob();
    void EndLink(bool sayGoodbye);
    void SetState(LinkState state, bool notify);
    void SetStateFrom(LinkState expected, LinkState state, bool notify);
    bool HandOver(std::function<void()> call);
    void Beep();
    void ClearIdentification();
    void PauseUntilNextPass();
    bool HasWork() const; // under FLock
    void Wake();
    void Reopen();
    void PollFailed(quint8 result);
    static QDeadlineTimer NextPollTime(); // 0.4752 s from now
    template <typename T> T Locked(const T& field) const {
        QMutexLocker lock(&FLock);
        return field;
    }

    // thread side: exchanges and commands (Qel8624Commands.cpp)
    quint8 Exchange(const QStringList& tokens);
    bool CommandFrame(const QStringList& tokens);
    void Execute(const TRequest& request, TCompletion& completion);
    void ExecuteMemGetRecord(qint32 slot);
    void ReadStoredTest(qint32 slot, TMemoryData& work, bool& listEnded);
    void ExecuteTestSetup(const TMemoryData& record);
    void ExecuteApmSelect(const TRequest& request);

    TOperatorIFace* FOperator;

    // Shared between the threads. Flags and numbers are atomics; compound data is under FLock.
    mutable QMutex FLock;
    QWaitCondition FWake; // wakes the loop pause and the hand-over wait
    std::atomic<LinkState> FState{LinkState::Disconnected};
    std::atomic<bool> FConnectRequest{false};
    std::atomic<bool> FReconnectRequest{false};
    std::atomic<bool> FAnswering{true};
    std::atomic<int> FGuardTimeOutMs{GuardTimeOutMs};
    int FHandOverDepth = 0; // user-interface thread only
    std::atomic<bool> FDisconnectRequest{false};
    std::atomic<bool> FCommandPending{false};
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FStatusQueryMode{false};
    std::atomic<bool> FLiveSampling{false};
    std::atomic<bool> FHasStateHandler{false};
    std::atomic<bool> FHasCompletionHandler{false};
    std::atomic<bool> FHasTestStatusHandler{false};
    std::atomic<bool> FHasLiveHandler{false};
    std::atomic<bool> FVariant{false};
    std::atomic<bool> FNewFirmware{false};
    std::atomic<int> FErrorNumber{0};
    std::atomic<TestStatus> FTestStatus{TestStatus::Idle};
    std::atomic<quint8> FLastResult{0};
    std::atomic<quint32> FLastSystemError{0};

    // under FLock
    TRequest FPending;
    CommandType FCommandType = CommandType::MEMGETDIR;
    TApmSelection FApmSelection;
    TOpenJob FOpenJob;
    quint64 FOpenSeq = 0;
    quint64 FOpenDoneId = 0;
    bool FOpenResult = false;
    QString FPortName;
    QString FLastOpenError;
    Qel8624::TIdentification FIdent;
    Qel8624::TCalibration FCalibration;
    Qel8624::TVectorGroup FVectorGroup;
    float FActualTestVoltage = 0;
    qint32 FFourth = 0;
    QStringList FLastTokens;
    QStringList FLastReply;
    TMemoryData FRecord;

    // user-interface thread only
    TStateHandler FOnStateChange;
    TCompletionHandler FOnCompletion;
    TTestStatusHandler FOnTestStatus;
    TLiveDataHandler FOnLiveData;

    // instrument thread only
    std::unique_ptr<TVuroRS232Comms> FComms;
    int FConnectStep = 0;
    QDeadlineTimer FNextPoll;
    TVuroRS232CommsDeadlines FDeadlines; // under FLock
    bool FDeadlinesChanged = false;      // under FLock
    int FFailedPolls = 0;
    bool FTransportFailed = false; // in the command being executed
    bool FReplyLost = false;       // ... and no reply fields were left
    TLiveSampleA FLiveA;
    TLiveSampleB FLiveB;
};
