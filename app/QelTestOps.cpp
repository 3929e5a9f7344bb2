// Test and upload operations of the data module, and its handling of the instrument thread's
// callbacks. All of it runs on the user-interface thread.
#include "QelGlobals.h"

#include "OperatorIFace.h"
#include "Qel8624Device.h"
#include "SIPrefixes.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <QTimer>

Q_LOGGING_CATEGORY(lcQelGlobal, "qel.global")

namespace {
bool IsArbitrary(qint32 clock) {
    return clock == Qel8624::ClockArbitrary || clock == Qel8624::ClockArbitraryAuto;
}

// The requests of a tap test: an error number of the resend list asks for the setup again.
bool IsTapTestCommand(CommandType type) {
    switch (type) {
    case CommandType::MEMDELETE: // slot 0 before a test start
    case CommandType::TESTSETUP:
    case CommandType::TESTRUN:
    case CommandType::TESTCONTINUE:
    case CommandType::TESTGETTAP:
        return true;
    default:
        return false;
    }
}

// Marks an operation of the data module as waiting in the request guard for as long as it runs.
class TOperationScope {
public:
    explicit TOperationScope(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TOperationScope() { FFlag = false; }
    TOperationScope(const TOperationScope&) = delete;
    TOperationScope& operator=(const TOperationScope&) = delete;

private:
    bool& FFlag;
};

QString SlotList(const QList<int>& slots) {
    QStringList texts;
    for (int slot : slots)
        texts << QString::number(slot);
    return texts.join(QStringLiteral(", "));
}
} // namespace

bool TQelGlobal::StartTapTest(int measurements) {
    if (!SimulationMode && FQel->State() == LinkState::Busy)
        return false;
    if (FOperationWaiting) {
        // Arrived from the event loop of another operation's wait: the two would interleave
        // their requests (two memory clears, two setups).
        qCDebug(lcQelGlobal) << "test start refused: another operation waits for the link";
        return false;
    }
    const TXMLSetupType setup = FDoc->QEL().Setup();
    const int h = setup.ActMeasWindingH().Value();
    const int x = setup.ActMeasWindingX().Value();
    const auto windings = FDoc->DUTTrafoData().Winding();

    TTestSetup& s = CurrentSetup.Setup;
    s = TTestSetup();
    s.HVConnection = windings.Item(h).Configuration().Value();
    s.LVConnection = windings.Item(x).Configuration().Value();
    s.ClockNumber = ClockToSend(h, x);
    double v = 0;
    s.TestVoltage = ReadSI(setup.ActTestVoltage().Value(), v) ? float(v) : 0.0f;
    s.HVNominal = ReadSI(WindingVoltageAtTap(h, ActualTap(h)), v) ? float(v / 1000) : 0.0f;
    s.LVNominal = ReadSI(WindingVoltageAtTap(x, ActualTap(x)), v) ? float(v / 1000) : 0.0f;
    if (s.LVConnection == Qel8624::conNotSet)
        s.HVConnection = Qel8624::conNotSet;
    if (TapCountFlag || measurements > 0) {
        s.TapA = measurements;
        if (measurements == 1)
            s.TapResults = 1;
    }
    s.TapStep = 1.0f;

    SimTestStatus = TestStatus::Measuring;
    LiveResult.RatioDeviation = {0, 0, 0};
    // Set up, an instrument reports the vector group of the setup; so does the simulation.
    if (SimulationMode)
        FSimVectorGroup = {s.HVConnection, s.LVConnection, s.ClockNumber};

    if (IsArbitrary(s.ClockNumber)) {
        TArbitraryStart start;
        start.TestVoltage = s.TestVoltage != 0 ? s.TestVoltage : TestVoltages[0];
        start.VectorGroupText = ConfigurationText(s.HVConnection) + ConfigurationText(s.LVConnection);
        start.AutoTransformer = s.ClockNumber == Qel8624::ClockArbitraryAuto;
        PostToAll(UM_LINKSTATE, wpLinkState, 0);
        if (!OnArbitraryStart)
            return false;
        OnArbitraryStart(start);
        return true;
    }
    if (SimulationMode) {
        OnTestStatus(SimTestStatus);
        return true;
    }
    qCDebug(lcQelGlobal, "Test Tap %d %d", s.TapA, s.TapResults);
    bool started = true;
    {
        TOperationScope waiting(FOperationWaiting);
        if (FQel->Status() == TestStatus::TapWait) {
            started = FQel->RequestTestContinue(true);
        } else if (FQel->Status() != TestStatus::Measuring) {
            TapResultCounter = 0;
            DeleteInProgress = false;
            if (!FQel->RequestMemDelete(0, true)) {
                if (FStopAfterOperation)
                    StopTest();
                return false;
            }
        }
        StopRequested = false;
    }
    if (FStopAfterOperation)
        StopTest();
    return started;
}

// Clock numbers in the document are those of a winding against HV. The instrument wants the
// displacement of X against H: for a pair without HV that is the difference of the two (LV yn11
// against TV yn11 is yn-yn 0), and not known when either is not set. A clock of X that asks for
// phase shift detection (85, 86) stays what it is.
int TQelGlobal::ClockToSend(int h, int x) const {
    const auto windings = FDoc->DUTTrafoData().Winding();
    const int clockX = x == 0 ? 0 : int(windings.Item(x).VectorGroup().Value());
    if (h == 0 || IsArbitrary(clockX))
        return clockX;
    const int clockH = windings.Item(h).VectorGroup().Value();
    auto valid = [](int c) { return c >= 0 && c <= 11; };
    if (!valid(clockX) || !valid(clockH))
        return Qel8624::ClockNotSet;
    return ((clockX - clockH) % 12 + 12) % 12;
}

void TQelGlobal::StopTest() {
    StopRequested = true;
    if (SimulationMode) {
        // A stop ends the simulated measurement: the next tick has no result to give.
        if (SimTestStatus == TestStatus::Measuring) {
            SimTestStatus = TestStatus::Idle;
            OnTestStatus(SimTestStatus);
        }
        return;
    }
    if (FOperationWaiting) {
        // Carried out as soon as the waiting operation has returned.
        FStopAfterOperation = true;
        return;
    }
    {
        TOperationScope waiting(FOperationWaiting);
        FQel->RequestTestHalt(true);
    }
    FStopAfterOperation = false; // a stop that arrived meanwhile is this one
}

void TQelGlobal::ShutDown() {
    // The operator ends the link: it is not tried again.
    FLinkWanted = false;
    FReconnectTimer->stop();
    const LinkState state = FQel->State();
    if (state == LinkState::Connected || state == LinkState::Idle) {
        StopRequested = true;
        if (!SimulationMode)
            FQel->RequestTestHalt(false);
        FQel->RequestDisconnect();
        // Up to 2 s for the goodbye; the screen stays alive meanwhile.
        FQel->WaitForState(LinkState::Disconnected, 2000);
    }
    FQel->Terminate();
}

bool TQelGlobal::StartUpload() {
    if (FQel->State() == LinkState::Busy || FOperationWaiting || FUploadRunning)
        return false;
    // Without an instrument the guard would wait its whole time limit for a link that is not
    // there; the operator is told why at once instead.
    if (SimulationMode || LinkCondition() != TLinkCondition::Connected) {
        EndUpload(SimulationMode ? TUploadEnd::Simulation : TUploadEnd::NoLink);
        return false;
    }
    DirectoryAttempts = 0;
    FUnreadSlots.clear();
    FUploadRunning = true;
    FUploadStall->start();
    bool requested = false;
    {
        TOperationScope waiting(FOperationWaiting);
        requested = FQel->RequestMemGetDir(true);
    }
    if (!requested)
        EndUpload(TUploadEnd::LinkLost);
    if (FStopAfterOperation)
        StopTest();
    return requested;
}

bool TQelGlobal::DeleteMemorySlot(int slot) {
    DeleteInProgress = FQel->RequestMemDelete(slot, false);
    return DeleteInProgress;
}

// The entry and record of a slot go only once the instrument has deleted it (keyed by slot: rows
// before it may have gone meanwhile).
void TQelGlobal::SlotDeleted(int slot) {
    DeleteInProgress = false;
    for (size_t i = 0; i < DirectoryEntries.size(); ++i) {
        if (DirectoryEntries[i] && DirectoryEntries[i]->Slot == slot) {
            DirectoryEntries.erase(DirectoryEntries.begin() + std::ptrdiff_t(i));
            if (i < UploadedRecords.size())
                UploadedRecords.erase(UploadedRecords.begin() + std::ptrdiff_t(i));
            break;
        }
    }
    if (slot >= 1 && slot <= int(SlotFlags.size()))
        SlotFlags[size_t(slot - 1)] = 0;
}

void TQelGlobal::DeleteRefused(int slot) {
    DeleteInProgress = false;
    Tell(QStringLiteral("Memory slot %1 was not deleted: it is still stored in the instrument.").arg(slot));
    PostToAll(UM_LINKSTATE, wpDeleteRefused, slot);
}

int TQelGlobal::FirmwareVersionNumber() const {
    return Qel8624::FirmwareVersionNumber(FQel->FirmwareVersion());
}

TQelGlobal::TLinkCondition TQelGlobal::LinkCondition() const {
    if (SimulationMode)
        return TLinkCondition::Simulated;
    switch (FQel->State()) {
    case LinkState::Idle:
    case LinkState::Busy:
    case LinkState::Connected:
        return FQel->Answering() ? TLinkCondition::Connected : TLinkCondition::NotAnswering;
    case LinkState::Connecting:
        // The attempts after a lost link are no news for the operator: the link is down.
        return FReconnecting ? TLinkCondition::NotConnected : TLinkCondition::Connecting;
    case LinkState::ComError:
        // A failed poll of an established link (it keeps its identification) or a failed handshake.
        return FQel->InstrumentType().isEmpty() ? TLinkCondition::NotConnected : TLinkCondition::NotAnswering;
    default:
        return TLinkCondition::NotConnected;
    }
}

void TQelGlobal::Tell(const QString& text) {
    // A modal box opened inside a hand-over would hold the instrument thread until the operator
    // answers, and its event loop would run the data module again from inside itself.
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            if (FOperator)
                FOperator->Inform(text);
        },
        Qt::QueuedConnection);
}

void TQelGlobal::Reconnect() {
    if (!FLinkWanted || SimulationMode || FQel->State() != LinkState::Disconnected)
        return;
    FReconnecting = true;
    FQel->RequestReconnect();
}

void TQelGlobal::OnStateChange(LinkState state) {
    PostToAll(UM_LINKSTATE, wpLinkState, 0);
    if (state == LinkState::Idle) {
        FReconnecting = false;
        FReconnectTimer->stop();
    } else if (state == LinkState::Disconnected && FLinkWanted && !SimulationMode) {
        // Down without the operator's word: the port is opened by name again in a moment.
        FReconnectTimer->start();
    }
    const QString type = FQel->InstrumentType();
    const bool variant100 = !type.contains(QStringLiteral("8625"));
    FQel->SetVariantFlag(variant100);
    const int firmware = FirmwareVersionNumber();
    TapCountFlag = !(firmware <= 10035 && variant100);
    FQel->SetNewFirmware(firmware >= Qel8624::ExtendedSelectFirmware);
    ChooseTestVoltages(variant100);
    ApplyInstrumentType(type);
}

// The first flagged slot from cursor on gets the request; the cursor moves past it
// (past the end when none is left).
TQelGlobal::TNext TQelGlobal::NextFlaggedSlot(int& cursor, bool (TQel8624::*request)(qint32, bool)) {
    for (int slot = std::max(cursor, 1); slot <= 100; ++slot) {
        if (SlotFlags[slot - 1] == 0)
            continue;
        cursor = slot + 1;
        return (FQel.get()->*request)(slot, true) ? TNext::Requested : TNext::Refused;
    }
    cursor = 101;
    return TNext::NoneLeft;
}

TQelGlobal::TNext TQelGlobal::NextDirectoryEntry() {
    return NextFlaggedSlot(ListCursor, &TQel8624::RequestMemGetInfo);
}

TQelGlobal::TNext TQelGlobal::NextRecord() {
    return NextFlaggedSlot(ReadCursor, &TQel8624::RequestMemGetRecord);
}

bool TQelGlobal::IsUploadCommand(CommandType type) const {
    return type == CommandType::MEMGETDIR || type == CommandType::MEMGETINFO ||
           type == CommandType::MEMGETRECORD;
}

// After a directory entry (records false) or a stored test (records true) of the upload.
void TQelGlobal::ContinueUpload(TNext next, bool records) {
    if (next == TNext::Refused) {
        EndUpload(TUploadEnd::LinkLost);
        return;
    }
    if (next == TNext::Requested)
        return;
    if (records) {
        PostToAll(UM_LINKSTATE, wpCompleted, lpAllRecordsRead);
        EndUpload(TUploadEnd::Done);
        return;
    }
    PostToAll(UM_LINKSTATE, wpCompleted, lpDirectoryListed);
    ReadCursor = 1;
    UploadedRecords.clear();
    ContinueUpload(NextRecord(), true);
}

void TQelGlobal::EndUpload(TUploadEnd reason) {
    FUploadRunning = false;
    FUploadStall->stop();
    if (!FUnreadSlots.isEmpty())
        Tell(FUnreadSlots.size() == 1
                 ? QStringLiteral("Memory slot %1 could not be read.").arg(FUnreadSlots.first())
                 : QStringLiteral("Memory slots %1 could not be read.").arg(SlotList(FUnreadSlots)));
    FUnreadSlots.clear();
    switch (reason) {
    case TUploadEnd::Done:
    case TUploadEnd::NothingStored: // the Part's own message has been shown
        break;
    case TUploadEnd::Refused:
        Tell(QStringLiteral("The instrument refused to list its memory. The upload has ended."));
        break;
    case TUploadEnd::Unreadable:
        Tell(QStringLiteral("The instrument's memory list could not be read. The upload has ended."));
        break;
    case TUploadEnd::LinkLost:
        Tell(ConfigSection + QStringLiteral(" does not answer: the upload was cut off."));
        break;
    case TUploadEnd::Stalled:
        Tell(ConfigSection + QStringLiteral(" made no progress for %1 s: the upload was cut off.")
                                 .arg(FUploadStall->interval() / 1000));
        break;
    case TUploadEnd::NoLink:
        Tell(ConfigSection + QStringLiteral(" not connected: there is no memory to upload."));
        break;
    case TUploadEnd::Simulation:
        Tell(QStringLiteral("Simulation: there is no instrument memory to upload."));
        break;
    }
    PostToAll(UM_LINKSTATE, wpUploadEnded, static_cast<int>(reason));
}

// An upload request the instrument refused: the read of that slot ends, the upload goes on.
void TQelGlobal::OnUploadRefused(const TCompletion& c) {
    switch (c.Type) {
    case CommandType::MEMGETDIR:
        EndUpload(c.Completed() ? TUploadEnd::Refused : TUploadEnd::Unreadable);
        break;
    case CommandType::MEMGETINFO: {
        // Listed all the same, so entries and records keep belonging to the same slots; "?"
        // says that nothing of it could be read.
        auto info = std::make_unique<TTestInfo>();
        info->DUTSerialNumber = QStringLiteral("?");
        info->Slot = c.Argument;
        DirectoryEntries.push_back(std::move(info));
        FUnreadSlots << c.Argument;
        FUploadStall->start();
        ContinueUpload(NextDirectoryEntry(), false);
        break;
    }
    case CommandType::MEMGETRECORD:
        UploadedRecords.push_back(nullptr); // no data for this row
        if (!FUnreadSlots.contains(c.Argument))
            FUnreadSlots << c.Argument;
        FUploadStall->start();
        ContinueUpload(NextRecord(), true);
        break;
    default:
        break;
    }
}

// A request that ended without a readable reply: no result, no message 1393 wParam 3.
void TQelGlobal::OnCommandFailed(const TCompletion& c) {
    qCDebug(lcQelGlobal, "OnQelCommStateNotify %x", c.ErrorNumber);
    if (IsUploadCommand(c.Type)) {
        if (!FUploadRunning)
            return;
        if (c.Outcome == TCommandOutcome::ReplyLost)
            EndUpload(TUploadEnd::LinkLost);
        else
            OnUploadRefused(c);
        return;
    }
    if (c.Type == CommandType::MEMDELETE && DeleteInProgress) {
        DeleteRefused(c.Argument);
        return;
    }
    if (c.Type == CommandType::TESTGETTAP && c.Outcome == TCommandOutcome::Unreadable)
        Tell(QStringLiteral("The result of the tap could not be read from the instrument. The test was "
                            "stopped."));
    // As for any error number that is not in the resend list: the test stops.
    if (c.Type != CommandType::TESTHALT)
        StopTest();
}

void TQelGlobal::OnCompletion(const TCompletion& c) {
    if (OnArbitraryCompletion && OnArbitraryCompletion(c))
        return;
    const CommandType type = c.Type;
    const int errorNumber = c.ErrorNumber;
    if (!c.Completed()) {
        OnCommandFailed(c);
        return;
    }
    if (errorNumber != 0) {
        qCDebug(lcQelGlobal, "OnQelCommStateNotify %x", errorNumber);
        if (IsUploadCommand(type)) {
            // An error inside an upload never starts a test: that slot's read ends.
            if (FUploadRunning)
                OnUploadRefused(c);
        } else if (type == CommandType::MEMDELETE && DeleteInProgress) {
            // A slot the instrument would not delete keeps its row: it is still stored.
            DeleteRefused(c.Argument);
        } else if (type == CommandType::TESTHALT) {
            // A refused halt is not answered by another halt.
        } else if (IsTapTestCommand(type) && Qel8624::IsSetupResendError(errorNumber)) {
            // The instrument wants the setup again with a single measurement.
            TapCountFlag = true;
            CurrentSetup.Setup.TapA = 1;
            CurrentSetup.Setup.TapResults = 0;
            FQel->RequestTestSetup(CurrentSetup, true);
        } else {
            StopTest();
        }
        return;
    }
    PostToAll(UM_LINKSTATE, wpCompleted, static_cast<int>(type));
    qCDebug(lcQelGlobal, "OnQelCompletionNotify %d", static_cast<int>(type));
    // A request refused below ends the handling silently: the link reports its own state.
    switch (type) {
    case CommandType::MEMGETDIR: {
        if (!FUploadRunning)
            break;
        FUploadStall->start();
        std::copy(c.Directory.begin(),
                  c.Directory.begin() + std::min<size_t>(c.Directory.size(), SlotFlags.size()),
                  SlotFlags.begin());
        ListCursor = 1;
        DirectoryEntries.clear();
        const TNext next = NextDirectoryEntry();
        if (next == TNext::NoneLeft) {
            if (DirectoryAttempts < 3) {
                if (!FQel->RequestMemGetDir(true))
                    EndUpload(TUploadEnd::LinkLost);
            } else {
                Tell(QStringLiteral("Sorry there are no measuring stored "));
                EndUpload(TUploadEnd::NothingStored);
            }
        } else if (next == TNext::Refused) {
            EndUpload(TUploadEnd::LinkLost);
        }
        ++DirectoryAttempts;
        break;
    }
    case CommandType::MEMDELETE:
        if (DeleteInProgress)
            SlotDeleted(c.Argument);
        else
            FQel->RequestTestSetup(CurrentSetup, true);
        break;
    case CommandType::MEMGETRECORD: {
        if (!FUploadRunning)
            break;
        FUploadStall->start();
        UploadedRecords.push_back(c.Record ? std::make_unique<TMemoryData>(*c.Record) : nullptr);
        ContinueUpload(NextRecord(), true);
        break;
    }
    case CommandType::MEMGETINFO: {
        if (!FUploadRunning)
            break;
        FUploadStall->start();
        auto info = std::make_unique<TTestInfo>(c.Info);
        info->Slot = ListCursor - 1;
        DirectoryEntries.push_back(std::move(info));
        ContinueUpload(NextDirectoryEntry(), false);
        break;
    }
    case CommandType::TESTSETUP:
        if (FQel->Status() == TestStatus::TapWait)
            FQel->RequestTestContinue(true);
        else
            FQel->RequestTestRun(true);
        break;
    case CommandType::TESTGETTAP:
        AcceptTapResult(c.Tap, lpTapResult);
        break;
    default:
        break;
    }
}

void TQelGlobal::OnTestStatus(TestStatus) {
    const TestStatus now = InstrumentState().Status;
    // A simulated result exists before its status arrives here (SimTimerTick has accepted it).
    if (!SimulationMode && PreviousTestStatus == TestStatus::Measuring &&
        (now == TestStatus::Idle || now == TestStatus::TapWait)) {
        FQel->RequestTestGetTap(TapResultCounter, true);
        ++TapResultCounter;
    }
    PreviousTestStatus = now;
    if (!IsArbitrary(CurrentSetup.Setup.ClockNumber))
        PostToAll(UM_LINKSTATE, wpTestStatus, 0);
}
