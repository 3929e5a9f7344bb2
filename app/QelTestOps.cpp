// Test and upload operations of the data module, and its handling of the instrument thread's
// callbacks. All of it runs on the user-interface thread.
#include "QelGlobals.h"

#include "OperatorIFace.h"
#include "Qel8624Device.h"
#include "SIPrefixes.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcQelGlobal, "qel.global")

namespace {
bool IsArbitrary(qint32 clock) {
    return clock == Qel8624::ClockArbitrary || clock == Qel8624::ClockArbitraryAuto;
}
} // namespace

void TQelGlobal::StartTapTest(int measurements) {
    if (FQel->State() == LinkState::Busy)
        return;
    const TXMLSetupType setup = FDoc->QEL().Setup();
    const int h = setup.ActMeasWindingH().Value();
    const int x = setup.ActMeasWindingX().Value();
    const auto windings = FDoc->DUTTrafoData().Winding();

    TTestSetup& s = CurrentSetup.Setup;
    s = TTestSetup();
    s.HVConnection = windings.Item(h).Configuration().Value();
    s.LVConnection = windings.Item(x).Configuration().Value();
    s.ClockNumber = windings.Item(x).VectorGroup().Value();
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

    if (IsArbitrary(s.ClockNumber)) {
        TArbitraryStart start;
        start.TestVoltage = s.TestVoltage != 0 ? s.TestVoltage : TestVoltages[0];
        start.VectorGroupText = ConfigurationText(s.HVConnection) + ConfigurationText(s.LVConnection);
        start.AutoTransformer = s.ClockNumber == Qel8624::ClockArbitraryAuto;
        PostToAll(UM_LINKSTATE, 0, 0);
        if (OnArbitraryStart)
            OnArbitraryStart(start);
        return;
    }
    if (SimulationMode) {
        OnTestStatus(SimTestStatus);
        return;
    }
    qCDebug(lcQelGlobal, "Test Tap %d %d", s.TapA, s.TapResults);
    if (FQel->Status() == TestStatus::TapWait) {
        FQel->RequestTestContinue(true);
    } else if (FQel->Status() != TestStatus::Measuring) {
        TapResultCounter = 0;
        DeleteInProgress = false;
        if (!FQel->RequestMemDelete(0, true))
            return;
    }
    StopRequested = false;
}

void TQelGlobal::StopTest() {
    StopRequested = true;
    if (!SimulationMode)
        FQel->RequestTestHalt(true);
}

void TQelGlobal::ShutDown() {
    const LinkState state = FQel->State();
    if (state == LinkState::Connected || state == LinkState::Idle) {
        StopRequested = true;
        if (!SimulationMode)
            FQel->RequestTestHalt(false);
        FQel->RequestDisconnect();
        // Up to 2 s for the goodbye, checked every 100 ms; the screen stays alive meanwhile.
        QEventLoop loop;
        QTimer tick;
        int checks = 0;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            if (FQel->State() == LinkState::Disconnected || ++checks >= 20)
                loop.quit();
        });
        tick.start(100);
        if (FQel->State() != LinkState::Disconnected)
            loop.exec();
    }
    FQel->Terminate();
}

void TQelGlobal::StartUpload() {
    if (FQel->State() == LinkState::Busy)
        return;
    DirectoryAttempts = 0;
    FQel->RequestMemGetDir(true);
}

bool TQelGlobal::DeleteMemorySlot(int slot) {
    DeleteInProgress = true;
    return FQel->RequestMemDelete(slot, false);
}

int TQelGlobal::FirmwareVersionNumber() const {
    return Qel8624::FirmwareVersionNumber(FQel->FirmwareVersion());
}

void TQelGlobal::OnStateChange(LinkState /*state*/) {
    PostToAll(UM_LINKSTATE, 0, 0);
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
bool TQelGlobal::NextFlaggedSlot(int& cursor, bool (TQel8624::*request)(qint32, bool)) {
    for (int slot = std::max(cursor, 1); slot <= 100; ++slot) {
        if (SlotFlags[slot - 1] == 0)
            continue;
        (FQel.get()->*request)(slot, true);
        cursor = slot + 1;
        return true;
    }
    cursor = 101;
    return false;
}

bool TQelGlobal::NextDirectoryEntry() {
    return NextFlaggedSlot(ListCursor, &TQel8624::RequestMemGetInfo);
}

bool TQelGlobal::NextRecord() {
    return NextFlaggedSlot(ReadCursor, &TQel8624::RequestMemGetRecord);
}

void TQelGlobal::OnCompletion(CommandType type, int errorNumber) {
    if (errorNumber != 0) {
        qCDebug(lcQelGlobal, "OnQelCommStateNotify %x", errorNumber);
        if (Qel8624::IsSetupResendError(errorNumber)) {
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
    PostToAll(UM_LINKSTATE, 3, static_cast<int>(type));
    qCDebug(lcQelGlobal, "OnQelCompletionNotify %d", static_cast<int>(type));
    // A request refused below ends the handling silently: the link reports its own state.
    switch (type) {
    case CommandType::MEMGETDIR: {
        const auto directory = FQel->MemoryDirectory();
        std::copy(directory.begin(), directory.begin() + std::min<size_t>(directory.size(), SlotFlags.size()),
                  SlotFlags.begin());
        ListCursor = 1;
        DirectoryEntries.clear();
        if (!NextDirectoryEntry()) {
            if (DirectoryAttempts < 3)
                FQel->RequestMemGetDir(true);
            else if (FOperator)
                FOperator->Inform(QStringLiteral("Sorry there are no measuring stored "));
        }
        ++DirectoryAttempts;
        break;
    }
    case CommandType::MEMDELETE:
        if (!DeleteInProgress)
            FQel->RequestTestSetup(CurrentSetup, true);
        break;
    case CommandType::MEMGETRECORD: {
        auto record = std::make_unique<TMemoryData>();
        FQel->CopyRecordBuffer(*record);
        UploadedRecords.push_back(std::move(record));
        if (!NextRecord())
            PostToAll(UM_LINKSTATE, 3, 500);
        break;
    }
    case CommandType::MEMGETINFO: {
        auto info = std::make_unique<TTestInfo>();
        FQel->ReadMemoryInfo(*info);
        info->Slot = ListCursor - 1;
        DirectoryEntries.push_back(std::move(info));
        if (!NextDirectoryEntry()) {
            PostToAll(UM_LINKSTATE, 3, 501);
            ReadCursor = 1;
            UploadedRecords.clear();
            NextRecord();
        }
        break;
    }
    case CommandType::TESTSETUP:
        if (FQel->Status() == TestStatus::TapWait)
            FQel->RequestTestContinue(true);
        else
            FQel->RequestTestRun(true);
        break;
    case CommandType::TESTGETTAP:
        FQel->ReadTapResult(LiveResult);
        LiveResult.HVNominal = CurrentSetup.Setup.HVNominal;
        LiveResult.LVNominal = CurrentSetup.Setup.LVNominal;
        ComputeTapDeviations(LiveResult, CurrentSetup.Setup.HVConnection, CurrentSetup.Setup.LVConnection);
        PostToAll(UM_RESULT, 2, static_cast<int>(CommandType::TESTGETTAP));
        break;
    default:
        break;
    }
}

void TQelGlobal::OnTestStatus(TestStatus status) {
    const TestStatus now = FQel->Status();
    if (PreviousTestStatus == TestStatus::Measuring &&
        (now == TestStatus::Idle || now == TestStatus::TapWait)) {
        FQel->RequestTestGetTap(TapResultCounter, true);
        ++TapResultCounter;
    }
    if (status == TestStatus::TapWait && status != PreviousTestStatus && SimulationMode)
        PostToAll(UM_RESULT, 2, 0);
    PreviousTestStatus = now;
    if (!IsArbitrary(CurrentSetup.Setup.ClockNumber))
        PostToAll(UM_LINKSTATE, 2, 0);
}
