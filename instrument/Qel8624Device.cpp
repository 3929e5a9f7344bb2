#include "Qel8624Device.h"

#include "OperatorIFace.h"
#include "RS232Comms.h"

#include <QEventLoop>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QMutexLocker>
#include <QTimer>

#include <chrono>
#include <exception>

Q_LOGGING_CATEGORY(lcQelDev, "qel.instrument")

using namespace Qel8624;

QString LinkStateText(LinkState state) {
    switch (state) {
    case LinkState::Disconnected:
        return QStringLiteral("Disconnected");
    case LinkState::Not8624:
        return QStringLiteral("Not8624");
    case LinkState::Connecting:
        return QStringLiteral("Connecting ...");
    case LinkState::Connected:
        return QStringLiteral("Connected");
    case LinkState::ComError:
        return QStringLiteral("ComError");
    case LinkState::Busy:
        return QStringLiteral("Busy...");
    case LinkState::Idle:
        return QStringLiteral("Idle");
    case LinkState::Disconnecting:
        return QStringLiteral("Disconnecting ...");
    }
    return QString();
}

QDeadlineTimer TQel8624::NextPollTime() {
    return QDeadlineTimer(std::chrono::microseconds(PollIntervalUs), Qt::PreciseTimer);
}

TQel8624::TQel8624(TOperatorIFace* op, QObject* parent) : QThread(parent), FOperator(op) {
    setObjectName(QStringLiteral("TQel8624")); // names the system thread as well
    start();
}

TQel8624::~TQel8624() {
    // The thread never waits for this (user-interface) thread once termination is set, so a
    // plain wait cannot deadlock; at worst it lasts one exchange (at most 9 s).
    Terminate();
    wait();
}

void TQel8624::Terminate() {
    {
        QMutexLocker lock(&FLock);
        FTerminated = true;
        FWake.wakeAll();
    }
    Q_EMIT ReadinessChanged();
}

void TQel8624::Wake() {
    // Under the lock, so that a flag set just before is seen by the loop before it sleeps again.
    QMutexLocker lock(&FLock);
    FWake.wakeAll();
}

void TQel8624::SetTransportDeadlines(const TVuroRS232CommsDeadlines& deadlines) {
    QMutexLocker lock(&FLock);
    FDeadlines = deadlines;
    FDeadlinesChanged = true;
}

// ---------------------------------------------------------------- callbacks and hand-over

void TQel8624::SetOnStateChange(TStateHandler handler) {
    FOnStateChange = std::move(handler);
    FHasStateHandler = bool(FOnStateChange);
}

void TQel8624::SetOnCompletion(TCompletionHandler handler) {
    FOnCompletion = std::move(handler);
    FHasCompletionHandler = bool(FOnCompletion);
}

void TQel8624::SetOnTestStatus(TTestStatusHandler handler) {
    FOnTestStatus = std::move(handler);
    FHasTestStatusHandler = bool(FOnTestStatus);
}

void TQel8624::SetOnLiveData(TLiveDataHandler handler) {
    FOnLiveData = std::move(handler);
    FHasLiveHandler = bool(FOnLiveData);
}

bool TQel8624::HandOver(std::function<void()> call) {
    // Runs `call` on the thread that owns this object and waits until it has returned, because
    // the callbacks read the reply and the record buffer that the next exchange would replace.
    // Each hand-over has its own completion flag: one may nest in another when a callback opens
    // the port and the port change notifies (see ServeOpenJob).
    auto done = std::make_shared<bool>(false);
    {
        QMutexLocker lock(&FLock);
        if (FTerminated)
            return false;
    }
    QMetaObject::invokeMethod(
        this,
        [this, done, call = std::move(call)] {
            // After termination the thread no longer waits; nothing may run on its behalf then.
            if (!FTerminated) {
                ++FHandOverDepth;
                try {
                    call();
                } catch (const std::exception& e) {
                    qCWarning(lcQelDev) << "instrument callback failed:" << e.what();
                } catch (...) {
                    qCWarning(lcQelDev) << "instrument callback failed";
                }
                --FHandOverDepth;
            }
            QMutexLocker lock(&FLock);
            *done = true;
            FWake.wakeAll();
        },
        Qt::QueuedConnection);

    QMutexLocker lock(&FLock);
    while (!*done && !FTerminated) {
        if (FOpenJob.Pending) {
            // A callback that opens the port must not wait for a thread that waits for it.
            lock.unlock();
            ServeOpenJob();
            lock.relock();
            continue;
        }
        FWake.wait(&FLock);
    }
    return *done;
}

void TQel8624::Beep() {
    if (!FOperator)
        return;
    // The operator interface belongs to the user-interface thread; the beep need not be waited for.
    QMetaObject::invokeMethod(
        this, [this] { FOperator->Beep(); }, Qt::QueuedConnection);
}

void TQel8624::SetStateFrom(LinkState expected, LinkState state, bool notify) {
    // A callback may have changed the link meanwhile (a port change from inside a callback ends
    // the link); then the step that follows no longer applies.
    if (State() == expected)
        SetState(state, notify);
}

void TQel8624::SetState(LinkState state, bool notify) {
    FState = state;
    Q_EMIT ReadinessChanged();
    if (notify && FHasStateHandler)
        HandOver([this, state] {
            // A copy: the handler may replace itself while it runs.
            if (const TStateHandler handler = FOnStateChange)
                handler(state);
        });
}

// ---------------------------------------------------------------- link requests (UI thread)

bool TQel8624::Open(const QString& portName) {
    quint64 id = 0;
    {
        QMutexLocker lock(&FLock);
        FPortName = portName;
        if (FTerminated || isFinished())
            return false;
        id = ++FOpenSeq;
        FOpenJob = {portName, id, true};
        FWake.wakeAll();
    }
    // The port belongs to the instrument thread; wait for it with the events still delivered
    // (the thread may hand over a state change on its way).
    const auto served = [this, id] {
        QMutexLocker lock(&FLock);
        return FOpenDoneId >= id;
    };
    if (!WaitUntil(served, QDeadlineTimer(QDeadlineTimer::Forever)))
        return false;
    QMutexLocker lock(&FLock);
    return FOpenDoneId == id && FOpenResult; // a later Open may have overtaken this one
}

void TQel8624::RequestConnect() {
    FConnectRequest = true;
    Wake();
}

void TQel8624::RequestReconnect() {
    FReconnectRequest = true;
    Wake();
}

void TQel8624::RequestDisconnect() {
    FConnectRequest = false;
    FReconnectRequest = false;
    FDisconnectRequest = true;
    Wake();
}

bool TQel8624::WaitForState(LinkState state, int timeoutMs) {
    return WaitUntil([this, state] { return State() == state; }, QDeadlineTimer(timeoutMs));
}

bool TQel8624::WaitUntil(const std::function<bool()>& done, QDeadlineTimer deadline) {
    // Woken by every state change; checked again before each wait so that none slips in between.
    // Our own wake-ups end the local loop with a code of their own; any other end (the
    // application quitting: QCoreApplication::exit ends every loop) ends the wait as well.
    constexpr int WokenUp = 0x5144;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    const auto wake = [&loop] { loop.exit(WokenUp); };
    connect(this, &TQel8624::ReadinessChanged, &loop, wake);
    connect(this, &QThread::finished, &loop, wake);
    connect(&timer, &QTimer::timeout, &loop, wake);
    while (!done()) {
        if (FTerminated || isFinished() || deadline.hasExpired())
            return done();
        if (!deadline.isForever())
            timer.start(std::max<qint64>(1, deadline.remainingTime()));
        if (loop.exec() != WokenUp)
            return done();
    }
    return true;
}

// ---------------------------------------------------------------- request guard (UI thread)

bool TQel8624::IsReady() const {
    const LinkState s = State();
    return !FCommandPending && (s == LinkState::Idle || s == LinkState::Connected);
}

bool TQel8624::Guard(bool wait) {
    if (IsReady())
        return true;
    if (!wait || FTerminated)
        return false;
    if (WaitUntil([this] { return IsReady(); }, QDeadlineTimer(FGuardTimeOutMs.load())))
        return true;
    if (FTerminated || isFinished())
        return false;
    // After 15 s the waiting request replaces the one still pending.
    QMutexLocker lock(&FLock);
    FCommandPending = false;
    return true;
}

bool TQel8624::Queue(TRequest request, bool wait) {
    if (!Guard(wait))
        return false;
    QMutexLocker lock(&FLock);
    FCommandType = request.Type;
    FPending = std::move(request);
    FCommandPending = true;
    FWake.wakeAll(); // the thread takes it up at once, not at its next poll
    return true;
}

bool TQel8624::RequestMemGetDir(bool wait) {
    return Queue({CommandType::MEMGETDIR}, wait);
}

bool TQel8624::RequestMemDelete(qint32 slot, bool wait) {
    return Queue({CommandType::MEMDELETE, slot}, wait);
}

bool TQel8624::RequestMemGetRecord(qint32 slot, bool wait) {
    return Queue({CommandType::MEMGETRECORD, slot}, wait);
}

bool TQel8624::RequestMemGetInfo(qint32 slot, bool wait) {
    return Queue({CommandType::MEMGETINFO, slot}, wait);
}

bool TQel8624::RequestTestSetup(const TMemoryData& record, bool wait) {
    qCDebug(lcQelDev, "QelDev.TestSetup %d %d", record.Setup.TapA, record.Setup.TapResults);
    TRequest request{CommandType::TESTSETUP};
    request.Setup = std::make_shared<const TMemoryData>(record);
    return Queue(std::move(request), wait);
}

bool TQel8624::RequestTestRun(bool wait) {
    return Queue({CommandType::TESTRUN}, wait);
}

bool TQel8624::RequestTestHalt(bool wait) {
    return Queue({CommandType::TESTHALT}, wait);
}

bool TQel8624::RequestTestContinue(bool wait) {
    return Queue({CommandType::TESTCONTINUE}, wait);
}

bool TQel8624::RequestTestGetTap(qint32 n, bool wait) {
    return Queue({CommandType::TESTGETTAP, n}, wait);
}

bool TQel8624::RequestApmOutput(bool on, bool wait) {
    TRequest request{CommandType::APMOUTPUT};
    request.Output = on;
    return Queue(std::move(request), wait);
}

bool TQel8624::RequestApmSelect(const TApmSelection& selection, bool wait, bool shortForm) {
    TRequest request{FNewFirmware && !shortForm ? CommandType::APMSELECTEXT : CommandType::APMSELECT};
    request.Selection = selection;
    if (!Queue(std::move(request), wait))
        return false;
    QMutexLocker lock(&FLock);
    FApmSelection = selection;
    return true;
}

// ---------------------------------------------------------------- queries

QString TQel8624::RequestText() const {
    QMutexLocker lock(&FLock);
    return FLastTokens.join(QLatin1Char(','));
}

QString TQel8624::ReplyText() const {
    QMutexLocker lock(&FLock);
    return FLastReply.join(QLatin1Char(','));
}

// ---------------------------------------------------------------- the loop (instrument thread)

void TQel8624::run() {
    FComms = std::make_unique<TVuroRS232Comms>();
    while (!FTerminated) {
        const LinkState s = State();
        if (s != LinkState::Busy && s != LinkState::ComError)
            ServeOpenJob();
        try {
            Pass();
        } catch (const std::exception& e) {
            // A malformed reply ends the pass; the operator hears it, the link goes on.
            qCDebug(lcQelDev) << "instrument pass failed:" << e.what();
            Beep();
        } catch (...) {
            Beep();
        }
        PauseUntilNextPass();
    }
    FComms.reset(); // closes the port
    {
        QMutexLocker lock(&FLock);
        FOpenDoneId = FOpenSeq; // an Open that was not served any more has failed
        FOpenResult = false;
    }
    Q_EMIT ReadinessChanged();
}

bool TQel8624::HasWork() const {
    switch (State()) {
    case LinkState::Disconnected:
    case LinkState::Not8624:
        return FConnectRequest || FReconnectRequest;
    case LinkState::Idle:
        return FCommandPending || FDisconnectRequest || FNextPoll.hasExpired();
    case LinkState::Connected:
    case LinkState::Disconnecting:
        return false;
    default: // each handshake step, the command, the end of a failed link: the next pass at once
        return true;
    }
}

void TQel8624::PauseUntilNextPass() {
    // Sleeps until there is work: every request sets its flag and wakes the thread under the
    // lock, so none is missed between the check and the wait. While idle the poll deadline
    // bounds the sleep; otherwise nothing wakes the thread (a link without a port, simulation).
    QMutexLocker lock(&FLock);
    while (!FTerminated && !FOpenJob.Pending && !HasWork()) {
        if (State() == LinkState::Idle)
            FWake.wait(&FLock, FNextPoll);
        else
            FWake.wait(&FLock);
    }
}

void TQel8624::Pass() {
    switch (State()) {
    case LinkState::Disconnected:
    case LinkState::Not8624:
        if (FReconnectRequest.exchange(false)) {
            Reopen();
            FConnectRequest = false;
            FConnectStep = 0;
            SetState(LinkState::Connecting, true);
        } else if (FConnectRequest.exchange(false)) {
            FConnectStep = 0;
            SetState(LinkState::Connecting, true);
        }
        break;
    case LinkState::Connecting:
        PassConnecting();
        break;
    case LinkState::ComError:
        EndLink(false);
        break;
    case LinkState::Busy:
        PassBusy();
        break;
    case LinkState::Idle:
        PassIdle();
        break;
    case LinkState::Connected:
    case LinkState::Disconnecting:
        break;
    }
}

void TQel8624::PassConnecting() {
    // One step per pass, so that a terminate or a port change never waits for the whole handshake.
    const int step = FConnectStep;
    switch (step) {
    case 0:
        ClearIdentification();
        if (Exchange(ConnectRequest()) != TVuroRS232Comms::rcOK)
            SetState(LinkState::ComError, true);
        break;
    case 1:
    case 3:
        if (!IsAccepted(FComms->ReplyFields())) {
            SetState(LinkState::Disconnected, true);
        } else if (step == 3) {
            QMutexLocker lock(&FLock);
            FIdent = DecodeIdentification(FComms->ReplyFields());
        }
        break;
    case 2:
        if (Exchange(IdentifyRequest()) != TVuroRS232Comms::rcOK)
            SetState(LinkState::Disconnected, true);
        break;
    case 4:
        if (Exchange(CalibrationRequest()) != TVuroRS232Comms::rcOK) {
            ClearIdentification();
            SetState(LinkState::Disconnected, true);
        }
        break;
    case 5:
        if (!IsAccepted(FComms->ReplyFields())) {
            SetState(LinkState::Disconnected, true);
            break;
        }
        {
            QMutexLocker lock(&FLock);
            FCalibration = DecodeCalibration(FComms->ReplyFields());
        }
        SetState(LinkState::Connected, true);
        FFailedPolls = 0;
        FNextPoll = NextPollTime();
        FDisconnectRequest = false;
        SetStateFrom(LinkState::Connected, LinkState::Idle, true);
        break;
    }
    FConnectStep = step + 1;
}

void TQel8624::PassIdle() {
    if (FCommandPending) {
        SetState(LinkState::Busy, true);
    } else if (FDisconnectRequest) {
        EndLink(true);
    } else if (FNextPoll.hasExpired()) {
        Poll();
    }
}

void TQel8624::PassBusy() {
    TRequest request;
    bool pending = false;
    {
        QMutexLocker lock(&FLock);
        pending = FCommandPending;
        request = std::move(FPending);
        FPending = TRequest();
        FCommandPending = false;
    }
    if (!pending) { // nothing left to run (the request was withdrawn)
        SetState(LinkState::Idle, true);
        return;
    }
    // Idle already while the command runs: a callback may queue the next request at once.
    SetState(LinkState::Idle, false);
    FTransportFailed = false;
    FReplyLost = false;
    TCompletion completion;
    completion.Type = request.Type;
    completion.Argument = request.Argument;
    try {
        Execute(request, completion);
        if (FTransportFailed)
            completion.Outcome = TCommandOutcome::ReplyLost;
    } catch (const std::exception& e) {
        // A reply whose fields do not read ends the command: no result, the operator hears it,
        // and the completion says so. The link itself is fine.
        qCDebug(lcQelDev) << "reply of command" << int(request.Type) << "unreadable:" << e.what();
        completion.Outcome = TCommandOutcome::Unreadable;
        FErrorNumber = -1;
        Beep();
    }
    completion.ErrorNumber = FErrorNumber;
    if (completion.Outcome == TCommandOutcome::ReplyLost && FReplyLost)
        Beep();
    if (FHasCompletionHandler)
        HandOver([this, completion] {
            if (const TCompletionHandler handler = FOnCompletion)
                handler(completion);
        });
    FNextPoll = NextPollTime();
    SetStateFrom(LinkState::Idle, LinkState::Idle, true);
}

void TQel8624::PollFailed(quint8 result) {
    // A port that reports a line or system error is gone (a USB adapter pulled, the far end
    // closed): the link ends and the port is closed, so that it can be opened again. Time-outs
    // keep the link up and polling, until several in a row say the instrument is not there.
    const bool portGone = result == TVuroRS232Comms::rcLineError || result == TVuroRS232Comms::rcSystemError;
    SetState(LinkState::ComError, true);
    if (!portGone && ++FFailedPolls < LostAfterFailedPolls)
        SetStateFrom(LinkState::ComError, LinkState::Idle, false);
}

void TQel8624::Poll() {
    const bool statusMode = FStatusQueryMode;
    const bool wasAnswering = FAnswering;
    try {
        const quint8 result = Exchange(statusMode ? StatusRequest() : CheckRequest());
        if (result != TVuroRS232Comms::rcOK) {
            // Only the failure is reported; the link stays up (see PollFailed).
            PollFailed(result);
        } else {
            FFailedPolls = 0;
            if (!wasAnswering) // the instrument answers again: the screens say so
                SetStateFrom(LinkState::Idle, LinkState::Idle, true);
        }
        if (result == TVuroRS232Comms::rcOK && statusMode) {
            const TStatusReply reply = DecodeStatus(FComms->ReplyFields(), FComms->ReceivedText(), Status());
            {
                QMutexLocker lock(&FLock);
                FVectorGroup = reply.VectorGroup;
                if (!reply.Refused) {
                    FActualTestVoltage = float(reply.TestVoltage);
                    FFourth = reply.Fourth;
                }
            }
            if (!reply.Refused) {
                FTestStatus = reply.Status;
                if (FHasTestStatusHandler)
                    HandOver([this, status = reply.Status] {
                        if (const TTestStatusHandler handler = FOnTestStatus)
                            handler(status);
                    });
            }
        }
        if (FLiveSampling && FHasLiveHandler && State() == LinkState::Idle)
            PollLiveSamples();
    } catch (...) {
        FNextPoll = NextPollTime();
        throw;
    }
    FNextPoll = NextPollTime();
}

bool TQel8624::PollLiveSamples() {
    // S P, S Q, S K in turn; handed over only when all three were answered.
    QStringList fields[3];
    const QStringList requests[3] = {LivePRequest(), LiveQRequest(), LiveKRequest()};
    for (int i = 0; i < 3; ++i) {
        if (Exchange(requests[i]) != TVuroRS232Comms::rcOK) {
            SetState(LinkState::ComError, true); // the next pass ends the link
            return false;
        }
        if (!IsAccepted(FComms->ReplyFields()))
            return false;
        fields[i] = FComms->ReplyFields();
    }
    const TLiveP p = DecodeLiveP(fields[0]);
    const TLiveQ q = DecodeLiveQ(fields[1]);
    const TLiveK k = DecodeLiveK(fields[2]);
    if (p.Secondary > 0.000001f)
        FLiveA.Ratio = p.Primary / p.Secondary;
    FLiveA.PrimaryVoltage = p.Primary;
    FLiveA.SecondaryVoltage = p.Secondary;
    FLiveA.Values = p.Values;
    FLiveA.Counter = p.Counter;
    FLiveA.StatusByte = p.StatusByte;
    FLiveA.ConditionWord = p.Condition;
    FLiveA.GainCode = q.GainCode;
    FLiveA.QValue2 = q.Value2;
    FLiveA.QValue3 = q.Value3;
    FLiveB = {k.RawPrimary, k.RawSecondary, k.Value3, k.Value4Low, k.Value4High};
    HandOver([this, a = FLiveA, b = FLiveB] {
        if (const TLiveDataHandler handler = FOnLiveData)
            handler(a, b);
    });
    return true;
}

void TQel8624::ServeOpenJob() {
    TOpenJob job;
    {
        QMutexLocker lock(&FLock);
        if (!FOpenJob.Pending)
            return;
        job = FOpenJob;
        FOpenJob.Pending = false;
    }
    if (FDisconnectRequest) {
        // A port change: the link on the old port ends before the new port is opened, so that
        // the connect request that follows runs on the new one. The loop serves the job only
        // between passes, but a hand-over serves it while it waits, and that may be the Busy
        // notification (the command has not run yet; the disconnect drops it as it drops any
        // pending command) or a ComError notification (the link has just failed: closed as the
        // ComError pass would close it, without a goodbye). Left as they were, the new port
        // would run the command, or be polled as Idle, without a handshake, or be closed again
        // by the ComError pass that follows.
        const LinkState s = State();
        if (s == LinkState::Idle || s == LinkState::Connected || s == LinkState::Connecting ||
            s == LinkState::Busy) {
            EndLink(true);
        } else if (s == LinkState::ComError) {
            EndLink(false);
        } else {
            FComms->Close();
            FDisconnectRequest = false;
        }
    }
    const quint8 result = FComms->Open(job.Port);
    if (result != TVuroRS232Comms::rcOK) {
        FLastSystemError = FComms->LastSystemError();
        qCDebug(lcQelDev) << "opening" << job.Port << "failed:" << FComms->LastErrorText();
    }
    {
        QMutexLocker lock(&FLock);
        FLastOpenError = result == TVuroRS232Comms::rcOK ? QString() : FComms->LastErrorText();
        FOpenDoneId = std::max(FOpenDoneId, job.Id);
        FOpenResult = result == TVuroRS232Comms::rcOK;
    }
    Q_EMIT ReadinessChanged();
}

void TQel8624::EndLink(bool sayGoodbye) {
    if (sayGoodbye && FComms->IsOpen())
        Exchange(DisconnectRequest()); // the instrument may be gone already: result ignored
    FComms->Close();
    ClearIdentification();
    FFailedPolls = 0;
    {
        QMutexLocker lock(&FLock);
        FDisconnectRequest = false;
        FCommandPending = false;
    }
    SetState(LinkState::Disconnected, true);
}

void TQel8624::Reopen() {
    // By name again: the device behind it may be a new one (a USB adapter plugged in again, a
    // pseudo-terminal behind the same link). A port that does not exist yet fails here, and the
    // handshake reports it like any closed port.
    FComms->Close();
    const QString port = PortName();
    const quint8 result = FComms->Open(port);
    FLastSystemError = FComms->LastSystemError();
    QMutexLocker lock(&FLock);
    FLastOpenError = result == TVuroRS232Comms::rcOK ? QString() : FComms->LastErrorText();
}

void TQel8624::ClearIdentification() {
    QMutexLocker lock(&FLock);
    FIdent = TIdentification();
    FCalibration = TCalibration();
}
