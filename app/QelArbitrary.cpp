// The phase shift detector's step machine: the sequences, the settling wait and every way out.
#include "QelArbitrary.h"

#include "Qel8624Device.h"
#include "QelGlobals.h"

#include <QLoggingCategory>
#include <QTimer>

#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcQelArbitrary, "qel.arbitrary")

namespace {
constexpr int TickMs = 700;
constexpr int SettledCounts = 60;  // the counter advance that makes a reading settled
constexpr int FinishAttempts = 20; // ticks the switch-off may wait for the link
const TApmSelection ResetSelection{0, 102, 0, 0};

bool IsApm(CommandType type) {
    return type == CommandType::APMSELECT || type == CommandType::APMSELECTEXT ||
           type == CommandType::APMOUTPUT;
}
} // namespace

TQelArbitrary::TQelArbitrary(TQelGlobal& global, QObject* parent) : QObject(parent), FGlobal(global) {
    FTimer = new QTimer(this);
    FTimer->setInterval(TickMs);
    connect(FTimer, &QTimer::timeout, this, &TQelArbitrary::Tick);
    FGlobal.OnArbitraryStart = [this](const TArbitraryStart& start) { Start(start); };
    FGlobal.OnArbitraryCompletion = [this](const TCompletion& c) { return OnCompletion(c); };
}

TQelArbitrary::~TQelArbitrary() {
    FGlobal.OnArbitraryStart = nullptr;
    FGlobal.OnArbitraryCompletion = nullptr;
    if (FRunning) {
        // Nobody waits for the answer any more; the output off is worth the try.
        FGlobal.Qel().RequestApmOutput(false, false);
        FGlobal.Qel().SetLiveSampling(false);
        FGlobal.Qel().SetOnLiveData({});
    }
}

int TQelArbitrary::VoltageCode(float volts) const {
    static constexpr int codes[] = {0, 16, 48, 96};
    for (int i = 0; i < 4; ++i)
        if (std::abs(FGlobal.TestVoltages[i] - volts) <= 1e-4f * std::max(1.0f, std::abs(volts)))
            return codes[i];
    return -1;
}

void TQelArbitrary::Start(const TArbitraryStart& start) {
    if (FRunning) {
        // A second start would throw away the readings of the detection under way.
        qCDebug(lcQelArbitrary) << "start refused: a detection runs";
        return;
    }
    FVectorGroup = start.VectorGroupText.toUpper();
    FAuto = start.AutoTransformer;
    FTestVoltage = start.TestVoltage;
    if (FGlobal.SimulationMode)
        return; // the simulation's tick makes the result
    const auto refuse = [this](const QString& text) {
        FGlobal.Tell(text);
        FGlobal.PostToAll(UM_LINKSTATE, wpTestStatus, 0);
    };
    if (VoltageCode(FTestVoltage) < 0)
        return refuse(QStringLiteral("Illegal Voltage Value"));
    FGroupIndex = ArbPhase::VectorGroupIndex(FVectorGroup);
    FCorrection = ArbPhase::CorrectionFor(FVectorGroup);
    if (FGroupIndex < 0)
        return refuse(QStringLiteral("The vector group \"%1\" is not one the phase shift detection knows. "
                                     "No detection was started.")
                          .arg(FVectorGroup));
    if (!LinkUsable())
        return refuse(
            QStringLiteral("The instrument is not connected. No phase shift detection was started."));

    FLog.clear();
    FK1 = {1, 1, 1};
    FK2 = {1, 1, 1};
    FReadings.fill(TReading{});
    FFactors = {};
    BuildSequence();
    FIndex = 0;
    FStep = FSequence.first().Number;
    FRequestAt = 0;
    FAwaiting = FCancel = FFinishing = FOutputWanted = FResumeOutput = FAlarmSeen = false;
    FAlarm = alNone;
    FRefusals = FSettle = FSettleSamples = 0;
    FAcceptedSerial = FSeenSerial = FSampleSerial;
    FLiveA = {};
    FGlobal.Qel().SetOnLiveData([this](const TLiveSampleA& a, const TLiveSampleB& b) { OnLiveData(a, b); });
    FGlobal.Qel().SetLiveSampling(true);
    FRunning = true;
    FTimer->start();
    Q_EMIT Started();
}

void TQelArbitrary::Cancel() {
    if (FRunning)
        FCancel = true;
}

// ---------------------------------------------------------------- the sequences

TQelArbitrary::TRequest TQelArbitrary::Measure(int selection) const {
    TRequest r;
    r.Measure = selection;
    r.Selection.Mode = FAuto ? 9 : 0;
    return r;
}

TQelArbitrary::TRequest TQelArbitrary::SelectVoltage() const {
    TRequest r;
    r.TestVoltage = true;
    r.Selection = {VoltageCode(FTestVoltage), 102, FTestVoltage, FAuto ? 9 : 0};
    return r;
}

TQelArbitrary::TRequest TQelArbitrary::Output(bool on) const {
    TRequest r;
    r.Kind = TRequestKind::Output;
    r.On = on;
    return r;
}

TQelArbitrary::TRequest TQelArbitrary::Reset() const {
    TRequest r;
    r.Selection = ResetSelection;
    return r;
}

void TQelArbitrary::BuildSequence() {
    FSequence.clear();
    const auto measured = [this](int number, int selection, int slot, const QString& trace) {
        FSequence.append({number, {Measure(selection), Output(true)}, TWait::Settled, slot, trace, {}});
    };
    const auto told = [this] { FGlobal.PostToAll(UM_LINKSTATE, wpTestStatus, 0); };
    // The valid bit is not asked for before the output is on: an instrument may set it only
    // while it drives the test voltage. A live reading without alarm is enough there.
    FSequence.append({-1, {}, TWait::Reading, -1, {}, {}});
    if (FAuto) {
        FSequence.append({0, {Reset(), Output(true)}, TWait::Settled, -1, {}, told});
    } else {
        TRequest select = SelectVoltage();
        select.Selection.Mode = 0;
        FSequence.append({0, {select}, TWait::Reading, -1, {}, told});
    }
    FSequence.append({1, {Output(true)}, TWait::Settled, -1, {}, {}});
    FSequence.append({2, {}, TWait::None, -1, {}, [this] { FFactors = ArbPhase::FactorsFor(FGroupIndex); }});
    if (!FAuto) {
        measured(3, 49, 0, QStringLiteral("APM_XFRTYPE1_STEP1"));
        measured(4, 48, 1, QStringLiteral("APM_XFRTYPE1_STEP2"));
        FSequence.append({5, {}, TWait::None, -1, QStringLiteral("APM_XFRTYPE1_VERIFYMTD1_START"), {}});
        measured(6, 65, 2, QStringLiteral("APM_XFRTYPE1_VERIFYMTD1_STEP1"));
        measured(7, 66, 3, QStringLiteral("APM_XFRTYPE1_VERIFYMTD1_STEP2"));
        FSequence.append({8, {}, TWait::None, -1, QStringLiteral("VERIFYMTD2_START"), {}});
        measured(9, 80, 4, QStringLiteral("APM_XFRTYPE1_VERIFYMTD2_STEP1"));
        measured(10, 82, 5, QStringLiteral("APM_XFRTYPE1_VERIFYMTD2_STEP2"));
        FSequence.append({11, {}, TWait::None, -1, QStringLiteral("APM_XFRTYPE1_COMPLETE"), {}});
        FSequence.append({16, {}, TWait::None, -1, QStringLiteral("APM_CALCRATIOANDPHS"), [this] {
                              ComputeTransformer();
                          }});
        return;
    }
    static const int selections[3][4] = {{54, 55, 54, 56}, {71, 72, 71, 70}, {88, 86, 88, 87}};
    static const char* const phases[3] = {"A", "B", "C"};
    for (int p = 0; p < 3; ++p) {
        const int first = 18 + 7 * p; // 18, 25, 32
        FSequence.append({first, {SelectVoltage(), Output(true)}, TWait::None, -1, {}, {}});
        for (int m = 0; m < 4; ++m)
            measured(first + 1 + m, selections[p][m], 4 * p + m,
                     QStringLiteral("APM_PHASE%1_MEASURE%2").arg(QLatin1String(phases[p])).arg(m + 1));
        FSequence.append({first + 5, {Reset()}, TWait::None, -1, {}, {}}); // 23, 30, 37
    }
    FSequence.append({38, {}, TWait::None, -1, QStringLiteral("APM_AUTO_TRANSFORMER_COMPLETE"), {}});
    FSequence.append({39, {}, TWait::None, -1, QStringLiteral("APM_AUTOTRANSFORMER_CALCULATION"), [this] {
                          ComputeAutoTransformer();
                      }});
}

// ---------------------------------------------------------------- the tick

void TQelArbitrary::Tick() {
    if (FInTick || !FRunning)
        return;
    FInTick = true;
    try {
        if (FCancel && !FFinishing)
            BeginFinish();
        Trace(QStringLiteral("MS %1 SS %2").arg(FAwaiting ? 2 : FRequestAt > 0 ? 1 : 0).arg(FStep));
        if (FFinishing)
            TickFinishing();
        else
            TickRunning();
    } catch (...) {
        // Nothing advanced: the same step is tried again at the next tick.
        qCWarning(lcQelArbitrary) << "step" << FStep << "failed";
    }
    FInTick = false;
}

bool TQelArbitrary::LinkUsable() const {
    switch (FGlobal.Qel().State()) {
    case LinkState::Idle:
    case LinkState::Connected:
    case LinkState::Busy:
        return true;
    default:
        return false;
    }
}

bool TQelArbitrary::SendRequest(const TRequest& r) {
    TQel8624& qel = FGlobal.Qel();
    if (r.Kind == TRequestKind::Output)
        return qel.RequestApmOutput(r.On, false);
    TApmSelection s = r.Selection;
    if (r.Measure >= 0) {
        // The voltage code and voltage stay those the instrument was given last.
        s = qel.ApmSelection();
        s.Selection = r.Measure;
        s.Mode = r.Selection.Mode;
    }
    return qel.RequestApmSelect(s, false, r.ShortForm);
}

bool TQelArbitrary::Pump() {
    if (FAwaiting)
        return true;
    TRequest next;
    bool resume = false;
    if (FFinishing) {
        // The output off first, then the test voltage selection.
        if (FFinishAt >= 2) {
            EndDetection();
            return true;
        }
        next = FFinishAt == 0 ? Output(false) : Reset();
        next.ShortForm = true;
    } else if (FResumeOutput) {
        // The alarm may have switched the output off; the step's wait starts again after it.
        next = Output(true);
        resume = true;
    } else {
        const TStep& step = FSequence.at(FIndex);
        if (FRequestAt >= step.Requests.size())
            return false;
        next = step.Requests.at(FRequestAt);
    }
    // A request the link does not take now is sent again at the next tick.
    if (SendRequest(next)) {
        FPendingRequest = next;
        FPendingResume = resume;
        FPendingFinish = FFinishing;
        FAwaiting = true;
        if (resume)
            FResumeOutput = false;
    }
    return true;
}

void TQelArbitrary::TickRunning() {
    if (!LinkUsable())
        return Fail(QStringLiteral("The link to the instrument was lost."));
    if (Pump())
        return;
    const TStep& step = FSequence.at(FIndex);
    if (!WaitDone(step))
        return;
    if (step.Slot >= 0)
        FReadings[size_t(step.Slot)] = {FLiveA.PrimaryVoltage, FLiveA.SecondaryVoltage, FLiveA.GainCode,
                                        FLiveB.RawPrimaryVoltage, FLiveB.RawSecondaryVoltage};
    if (!step.Trace.isEmpty())
        Trace(step.Trace);
    if (step.Action)
        step.Action();
    if (!FFinishing)
        Advance();
}

bool TQelArbitrary::OnCompletion(const TCompletion& c) {
    if (!FRunning || !FAwaiting || !IsApm(c.Type))
        return false;
    FAwaiting = false;
    if (!c.Accepted()) {
        // Refused or lost: the same request goes out again at a later tick.
        if (++FRefusals < FRefusalLimit)
            return true;
        FRefusals = 0;
        if (FPendingFinish)
            ++FFinishAt; // the switch-off goes on with what is left
        else if (!FFinishing)
            Fail(QStringLiteral("The instrument did not take the request of the phase shift detection "
                                "(error %1).")
                     .arg(c.ErrorNumber, 0, 16));
        return true;
    }
    FRefusals = 0;
    // Only samples polled after this request count for the step's reading.
    FAcceptedSerial = FSampleSerial;
    FSettle = 0;
    FSettleSamples = 0;
    if (FPendingRequest.Kind == TRequestKind::Output)
        FOutputWanted = FPendingRequest.On;
    if (FPendingFinish)
        ++FFinishAt;
    else if (!FPendingResume && !FFinishing)
        ++FRequestAt;
    // The link is ready again inside the completion: the next request of the step goes at once.
    Pump();
    return false; // the data module goes on with its handling of a completed request
}

void TQelArbitrary::OnLiveData(const TLiveSampleA& a, const TLiveSampleB& b) {
    FLiveA = a;
    FLiveB = b;
    ++FSampleSerial;
}

bool TQelArbitrary::WaitDone(const TStep& step) {
    if (step.Wait == TWait::None)
        return true;
    if (FSampleSerial <= FAcceptedSerial || FSampleSerial == FSeenSerial)
        return false; // no sample since the last request, or since the last look
    FSeenSerial = FSampleSerial;
    const TLiveSampleA& a = FLiveA;
    if (a.ConditionWord == 0)
        return false; // no reading yet
    if (!(a.ConditionWord & 0x8000))
        FAlarm = alEmergency;
    else if (!(a.ConditionWord & 0x4000))
        FAlarm = alCables;
    else if (a.StatusByte & 0x40)
        FAlarm = alOutputFail;
    else
        FAlarm = alNone;
    if (FAlarm != alNone) {
        FAlarmSeen = true;
        FSettle = FSettleSamples = 0;
        return false;
    }
    if (FAlarmSeen) {
        // Cleared: the interrupted step waits for a settled reading from scratch.
        FAlarmSeen = false;
        FSettle = FSettleSamples = 0;
        FAcceptedSerial = FSampleSerial;
        FResumeOutput = FOutputWanted;
        return false;
    }
    if (step.Wait == TWait::Reading)
        return true;
    if (++FSettleSamples > FSettleLimit) {
        Fail(QStringLiteral("The instrument's reading did not settle (measurement counter %1 to %2).")
                 .arg(FStartCount)
                 .arg(FEndCount));
        return false;
    }
    const bool primary = std::isfinite(a.PrimaryVoltage) && a.PrimaryVoltage > 0;
    if (!(a.StatusByte & 0x80) || !primary) {
        FSettle = 0; // an invalid reading, or no test voltage: the wait starts again
        return false;
    }
    if (!(std::isfinite(a.SecondaryVoltage) && a.SecondaryVoltage > 0)) {
        Fail(QStringLiteral("The secondary voltage reads 0 V: check the secondary cables."));
        return false;
    }
    if (FSettle == 0) {
        FStartCount = FEndCount = a.Counter;
        FSettle = 1;
        return false;
    }
    FEndCount = a.Counter;
    const int advance = (FEndCount - FStartCount) & 0xFF; // the counter wraps at 256
    if (advance <= SettledCounts)
        return false;
    Trace(QStringLiteral("DEBUG: StartMeterCount %1").arg(FStartCount));
    Trace(QStringLiteral("DEBUG: EndMeterCount   %1").arg(FEndCount));
    Trace(QStringLiteral("DEBUG: BufferTimer     %1").arg(FSettleSamples));
    return true;
}

void TQelArbitrary::Advance() {
    if (FIndex + 1 >= FSequence.size())
        return BeginFinish();
    ++FIndex;
    FStep = FSequence.at(FIndex).Number;
    FRequestAt = 0;
    FSettle = FSettleSamples = 0;
    FAcceptedSerial = FSampleSerial;
}

// ---------------------------------------------------------------- the ways out

void TQelArbitrary::Fail(const QString& text) {
    if (FFinishing)
        return;
    FGlobal.Tell(text + QStringLiteral("\nThe phase shift detection was stopped; no result was stored."));
    BeginFinish();
}

void TQelArbitrary::BeginFinish() {
    FFinishing = true;
    FStep = FinishStep;
    FFinishAt = 0;
    FFinishTries = 0;
    FResumeOutput = false;
}

void TQelArbitrary::TickFinishing() {
    if (!LinkUsable() || (!FAwaiting && ++FFinishTries > FinishAttempts))
        return EndDetection(); // the instrument cannot be reached: nothing more to switch
    Pump();
}

void TQelArbitrary::EndDetection() {
    const bool result = FResultStored;
    FTimer->stop();
    FGlobal.Qel().SetLiveSampling(false);
    FGlobal.Qel().SetOnLiveData({});
    FRunning = FFinishing = FCancel = FAwaiting = FResultStored = false;
    FStep = -1;
    FIndex = 0;
    FAlarm = alNone;
    Trace(QStringLiteral("APM_EXIT"));
    // Pages waiting for the detection learn it ended; a result has told them with 1401.
    if (!result)
        FGlobal.PostToAll(UM_LINKSTATE, wpTestStatus, 0);
    Q_EMIT Finished();
}

void TQelArbitrary::Trace(const QString& text) const {
    if (FGlobal.DebugMode)
        qCDebug(lcQelArbitrary).noquote() << text;
}
