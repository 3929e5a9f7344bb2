// Execution of the queued requests and the reads of their replies (part of TQel8624).
#include "Qel8624Device.h"

#include "RS232Comms.h"

#include <QMutexLocker>

using namespace Qel8624;

namespace {
void FillTap(TTapResult& tap, const TTapReply& reply) {
    tap = TTapResult();
    tap.HVNominal = reply.HvNominal;
    tap.LVNominal = reply.LvNominal;
    for (int p = 0; p < 3; ++p) {
        tap.Ratio[p] = reply.Phase[p].Ratio;
        tap.Current[p] = reply.Phase[p].Current;
        tap.PhaseDeviation[p] = reply.Phase[p].PhaseDeviation;
    }
}
} // namespace

quint8 TQel8624::Exchange(const QStringList& tokens) {
    // Every frame is built here from the running command's own data, so a request queued by the
    // user-interface thread meanwhile can never mix its tokens into this one.
    {
        QMutexLocker lock(&FLock);
        if (FDeadlinesChanged) {
            FComms->SetDeadlines(FDeadlines);
            FDeadlinesChanged = false;
        }
    }
    FComms->ClearTokens();
    FComms->AddTokens(tokens);
    const quint8 result = FComms->Exchange();
    FLastResult = result;
    FAnswering = result == TVuroRS232Comms::rcOK;
    FLastSystemError = FComms->LastSystemError();
    QMutexLocker lock(&FLock);
    FLastTokens = tokens;
    FLastReply = FComms->ReplyFields();
    return result;
}

bool TQel8624::CommandFrame(const QStringList& tokens) {
    const quint8 result = Exchange(tokens);
    if (result != TVuroRS232Comms::rcOK) {
        FTransportFailed = true;
        FReplyLost = FComms->ReplyCount() == 0;
        SetState(LinkState::ComError, true);
        FNextPoll = NextPollTime();
        // A port that reports a line or system error is gone: the link ends (the next pass
        // closes the port) instead of running on a dead device.
        if (result != TVuroRS232Comms::rcLineError && result != TVuroRS232Comms::rcSystemError)
            SetStateFrom(LinkState::ComError, LinkState::Idle, false);
    }
    FErrorNumber = Qel8624::ErrorNumber(FComms->ReplyFields());
    return result == TVuroRS232Comms::rcOK && FErrorNumber == 0;
}

void TQel8624::Execute(const TRequest& request, TCompletion& completion) {
    switch (request.Type) {
    case CommandType::MEMGETRECORD:
        ExecuteMemGetRecord(request.Argument);
        if (!FTransportFailed) {
            QMutexLocker lock(&FLock);
            completion.Record = std::make_shared<const TMemoryData>(FRecord);
        }
        break;
    case CommandType::TESTSETUP:
        if (request.Setup)
            ExecuteTestSetup(*request.Setup);
        break;
    case CommandType::TESTRUN:
        if (CommandFrame(TestRunRequest()))
            FStatusQueryMode = true;
        break;
    case CommandType::APMOUTPUT:
        CommandFrame(ApmOutputRequest(request.Output));
        break;
    case CommandType::APMSELECT:
    case CommandType::APMSELECTEXT:
        ExecuteApmSelect(request);
        break;
    case CommandType::MEMGETDIR:
        if (CommandFrame(MemGetDirRequest()))
            completion.Directory = DecodeMemoryDirectory(FComms->ReplyFields().value(1));
        break;
    case CommandType::MEMDELETE:
        CommandFrame(MemDeleteRequest(request.Argument));
        break;
    case CommandType::MEMGETINFO:
        if (CommandFrame(MemReadInfoRequest(request.Argument))) {
            const TInfoReply reply = DecodeInfo(FComms->ReplyFields()); // throws when unreadable
            TTestInfo& info = completion.Info;
            info.DUTSerialNumber = reply.DutSerialNumber;
            info.DUTLocation = reply.DutLocation;
            info.DUTType = reply.DutType;
            info.Operator = reply.Operator;
            info.MaxDeviation = reply.MaxDeviation;
            info.TestDate = reply.TestDate;
            info.Slot = request.Argument;
        }
        break;
    case CommandType::TESTHALT:
        CommandFrame(TestHaltRequest());
        break;
    case CommandType::TESTCONTINUE:
        CommandFrame(TestContinueRequest());
        break;
    case CommandType::TESTGETTAP:
        if (CommandFrame(TestGetTapRequest(request.Argument)))
            FillTap(completion.Tap, DecodeTestTap(FComms->ReplyFields())); // throws when unreadable
        break;
    }
}

void TQel8624::ExecuteMemGetRecord(qint32 slot) {
    // Collected apart and published at the end: the buffer the callbacks read changes only
    // while no callback runs, and always as one whole test.
    TMemoryData work;
    bool listEnded = false;
    const auto publish = [&] {
        QMutexLocker lock(&FLock);
        FRecord = work;
    };
    try {
        ReadStoredTest(slot, work, listEnded);
    } catch (...) {
        // A reply that does not read ends the command (the loop beeps); the buffer still
        // holds what was read before it, and nothing of an earlier test.
        publish();
        throw;
    }
    publish();
    // The refusal that ends the tap list is the normal end of a stored test; the same number
    // refusing the header or the info is a real error and is reported as such.
    if (listEnded && FErrorNumber == ErrEndOfList)
        FErrorNumber = 0;
}

void TQel8624::ReadStoredTest(qint32 slot, TMemoryData& work, bool& listEnded) {
    if (CommandFrame(MemReadSetupRequest(slot))) {
        const TStoredSetupReply s = DecodeStoredSetup(FComms->ReplyFields());
        TTestSetup& h = work.Setup;
        h.HVConnection = s.VectorGroup.Hv;
        h.LVConnection = s.VectorGroup.Lv;
        h.ClockNumber = s.VectorGroup.Clock;
        h.TestVoltage = float(s.TestVoltage);
        h.HVNominal = s.HvNominal;
        h.LVNominal = s.LvNominal;
        h.TapA = s.TotalTaps;
        h.TapB = s.BottomTap;
        h.TapC = s.NominalTap;
        h.TapStep = s.TapStep;
        h.TapResults = s.StoredResults;
        if (CommandFrame(MemReadInfoRequest(slot))) {
            const TInfoReply info = DecodeInfo(FComms->ReplyFields());
            h.DUTSerialNumber = info.DutSerialNumber;
            h.DUTLocation = info.DutLocation;
            h.DUTType = info.DutType;
            h.Operator = info.Operator;
            h.MaxDeviation = info.MaxDeviation;
            h.TestDate = info.TestDate;
            for (int n = 0; n < QelMaxTaps; ++n) {
                const bool accepted = CommandFrame(MemReadTapRequest(slot, n));
                if (accepted) {
                    const TTapReply reply = DecodeStoredTap(FComms->ReplyFields());
                    TTapResult& tap = work.Taps[n];
                    FillTap(tap, reply);
                    tap.Flag = reply.Flagged;
                    ComputeTapDeviations(tap, h.HVConnection, h.LVConnection);
                }
                if ((n + 1) % 10 == 0)
                    Beep(); // progress of a long read, as the instrument itself signals it
                if (!accepted) {
                    listEnded = !FTransportFailed;
                    break;
                }
            }
        }
    }
}

void TQel8624::ExecuteTestSetup(const TMemoryData& record) {
    {
        QMutexLocker lock(&FLock);
        const QDateTime date = FRecord.Setup.TestDate;
        FRecord.Setup = record.Setup;
        FRecord.Setup.TestDate = date;
        FRecord.Taps = record.Taps;
    }
    const TTestSetup& h = record.Setup;
    TTestSetupArgs args;
    args.VectorGroup = {h.HVConnection, h.LVConnection, h.ClockNumber};
    args.TestVoltage = h.TestVoltage;
    args.TapA = h.TapA;
    args.TapB = h.TapB;
    args.TapC = h.TapC;
    args.HvNominal = h.HVNominal;
    args.LvNominal = h.LVNominal;
    args.DutSerialNumber = h.DUTSerialNumber;
    args.DutLocation = h.DUTLocation;
    args.DutType = h.DUTType;
    args.Operator = h.Operator;
    args.MaxDeviation = h.MaxDeviation;
    for (const QStringList& frame : TestSetupRequests(args))
        if (!CommandFrame(frame))
            return;
    if (h.TapStep != 0)
        return;
    for (int i = 0; i < QelMaxTaps; ++i) {
        const TTapResult& tap = record.Taps[i];
        if (!CommandFrame(TestSetupTapRequest(i, tap.HVNominal, tap.LVNominal))) {
            if (!FTransportFailed && FErrorNumber == ErrEndOfList)
                FErrorNumber = 0;
            return;
        }
    }
}

void TQel8624::ExecuteApmSelect(const TRequest& request) {
    const TApmSelection& s = request.Selection;
    if (!CommandFrame(ApmVoltageRequest(s.VoltageCode)))
        return;
    if (request.Type == CommandType::APMSELECTEXT)
        CommandFrame(ApmSelectExtRequest(s.Selection, s.Voltage, s.Mode));
    else
        CommandFrame(ApmSelectRequest(s.Selection, s.Voltage));
}

// ---------------------------------------------------------------- reading the last reply

void TQel8624::CopyRecordBuffer(TMemoryData& destination) const {
    QMutexLocker lock(&FLock);
    destination = FRecord;
}

void TQel8624::ComputeDeviations(TTapResult& tap) const {
    qint32 hv = 0;
    qint32 lv = 0;
    {
        QMutexLocker lock(&FLock);
        hv = FRecord.Setup.HVConnection;
        lv = FRecord.Setup.LVConnection;
    }
    ComputeTapDeviations(tap, hv, lv);
}
