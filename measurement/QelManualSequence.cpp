// Tests of one tap and over all taps and winding pairs: the tap order, the reconnection prompts,
// the tap action dialog, the results, the test status and the progress of the running tap.
#include "QelManual.h"

#include "FStringGrids.h"
#include "OperatorIFace.h"
#include "Qel8624Device.h"
#include "QelGlobals.h"
#include "QelTapActionDlg.h"
#include "TSControls.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QLabel>
#include <QProgressBar>

#include <algorithm>
#include <cmath>

namespace {
constexpr int wHV = 0, wLV = 1, wTV = 2;

using TAnswer = TOperatorIFace::TAnswer;
using TButtons = TOperatorIFace::TButtons;
using TKind = TOperatorIFace::TKind;

const QString BusyText = QStringLiteral("System is Busy\r\nStand by");
const QString DoneText = QStringLiteral("\r\nTest done.");

QString StatusLongText(TestStatus s) {
    static const char* const texts[] = {"System Ready",
                                        "Checking Connections",
                                        "Checking Configuration",
                                        "Checking Displacement",
                                        "Measuring..",
                                        "Wait for Tap",
                                        "SysIntegrity",
                                        "Checking Voltage",
                                        "Floating Voltage Inputs",
                                        "Unsaved Data",
                                        "No Memory",
                                        "Emergency Stop",
                                        "Out of Range",
                                        "Over-Current",
                                        "Configuration Fault",
                                        "Reversed Connections"};
    const int i = int(s);
    return i >= 0 && i < 16 ? QString::fromLatin1(texts[i]) : QString::number(i);
}

QString Seconds(double s) {
    return QString::number(s, 'f', 1);
}
} // namespace

// ------------------------------------------------------------------ counts and positions

int TQelManualFrame::RemainingMeasurements() const {
    const int h = H();
    const int x = X();
    const auto selected = [this](int w) {
        return w >= 0 && w <= 2 && Taps[size_t(w)].Shown && SelectedIndex(w) >= 0;
    };
    const auto count = [this](int w) { return int(Taps[size_t(w)].Rows.size()); };
    int n = 1;
    if (selected(h))
        n = count(h) - SelectedIndex(h);
    else if (h == wLV && selected(wHV))
        n = count(wHV) - SelectedIndex(wHV);
    if (selected(x))
        n = n * count(x) - SelectedIndex(x);
    else if (x == wLV && selected(wHV))
        n = count(wHV) - SelectedIndex(wHV);
    return std::max(1, n);
}

bool TQelManualFrame::AtBottom() const {
    const auto atFirst = [this](int w) { return !Taps[size_t(w)].Shown || SelectedIndex(w) == 0; };
    if (!atFirst(wHV))
        return false;
    if (X() == wLV)
        return atFirst(wLV);
    if (X() == wTV)
        return !Taps[wTV].Shown;
    return true;
}

QString TQelManualFrame::BottomText() const {
    const auto part = [this](int w, const QString& name) {
        const TTapPanel& t = Taps[size_t(w)];
        return t.Shown && !t.Selector->Items().isEmpty() ? name + ' ' + t.Selector->Items().first() : name;
    };
    QString text = part(wHV, QStringLiteral("HV")) + ':';
    if (X() == wLV)
        text += part(wLV, QStringLiteral("LV"));
    else if (X() == wTV)
        text += part(wTV, QStringLiteral("TV"));
    return text;
}

// ------------------------------------------------------------------ starting

bool TQelManualFrame::Start(int measurements) {
    FStartTime = Ticks();
    if (FGlobal.StartTapTest(measurements)) {
        lbTestStatus->setText(QStringLiteral("Test Started .."));
        return true;
    }
    // Nothing was started: the operator must not believe otherwise.
    FAllTaps = false;
    lbTestStatus->setText(BusyText);
    if (TOperatorIFace* op = FGlobal.Operator())
        op->Inform(BusyText);
    return false;
}

void TQelManualFrame::TestSingleTap() {
    TOperatorIFace* op = FGlobal.Operator();
    const TAnswer a =
        op ? op->Message(TKind::Confirmation, FGlobal.ConfigSection,
                         QStringLiteral("Do you want to create a new measuring serie?\r\n\r\n"
                                        "[No] will append the measurement to the last serie.\r\n\r\n"),
                         TButtons::YesNoCancel)
           : TAnswer::No;
    if (a == TAnswer::Cancel)
        return;
    if (a == TAnswer::Yes)
        NewSeries(true);
    FAllTaps = false;
    FGlobal.StatusText = QStringLiteral("Started:1");
    Start(1);
}

void TQelManualFrame::TestAllTaps() {
    TOperatorIFace* op = FGlobal.Operator();
    const bool bottom = AtBottom();
    if (!bottom) {
        const QString text = QStringLiteral("Press YES to start with the bottom tap (%1)\r\n\r\n"
                                            "Press No to start at the actual selected tap (%2)\r\n")
                                 .arg(BottomText(), FGlobal.MeasurementConfigurationText());
        const TAnswer a =
            op ? op->Message(TKind::Confirmation, FGlobal.ConfigSection, text, TButtons::YesNoCancel)
               : TAnswer::Yes;
        if (a == TAnswer::Cancel)
            return;
        if (a == TAnswer::Yes) {
            // The bottom is the first activated tap, which need not be the first row.
            SetPair(wHV, wLV);
            for (int w : {wHV, wLV})
                if (Taps[size_t(w)].Shown)
                    SetActualTap(w, FirstRow(w));
        } else {
            // Never an inactive tap: a winding whose actual tap is not offered starts at its first.
            for (int w : {H(), X()})
                if (w >= 0 && w <= 2 && Taps[size_t(w)].Shown && SelectedIndex(w) < 0)
                    SetActualTap(w, FirstRow(w));
        }
        FGlobal.DocumentChanged();
    }
    FAllTaps = true;
    sgMeasData->LastRow();
    NewSeries(true);
    FStartTime = Ticks();
    FGlobal.StatusText = QStringLiteral("Started:%1").arg(RemainingMeasurements());
    if (!bottom)
        Start(RemainingMeasurements());
    else
        NextTapWithDialog(false);
}

// ------------------------------------------------------------------ the tap order

TQelManualFrame::TAdvance TQelManualFrame::Advance(bool start) {
    TOperatorIFace* op = FGlobal.Operator();
    const int h = H();
    const int x = X();
    const auto next = [this](int w) {
        const TTapPanel& t = Taps[size_t(w)];
        const int i = SelectedIndex(w) + 1; // the first entry when none is selected
        return t.Shown && i < int(t.Rows.size()) ? t.Rows[size_t(i)] : -1;
    };
    const auto reconnect = [&](const QString& winding) {
        const QString text = QStringLiteral("Make connection for measuring \r\n\t%1 Winding \r\nagainst\r\n"
                                            "\tTertiary Winding.\r\nPress OK after reconnection.")
                                 .arg(winding);
        return !op || op->Message(TKind::Confirmation, FGlobal.ConfigSection, text, TButtons::OkCancel) ==
                          TAnswer::Ok;
    };
    const bool tvAvailable = FGlobal.Doc().DUTTrafoData().Winding().Item(wTV).Avail() == 1;
    bool advanced = false;
    if (x >= 0 && x <= 2 && HasTapChanger(x) && next(x) > 0) {
        SetActualTap(x, next(x));
        advanced = true;
    } else if (h >= 0 && h <= 2 && Taps[size_t(h)].Shown && SelectedIndex(h) >= 0 && HasTapChanger(h) &&
               next(h) > 0) {
        SetActualTap(h, next(h));
        if (Taps[size_t(x)].Shown)
            SetActualTap(x, FirstRow(x));
        advanced = true;
    } else if (x == wLV) {
        if (tvAvailable) {
            if (!reconnect(QStringLiteral("HV")))
                return TAdvance::Cancelled;
            SetPair(h, wTV);
            if (Taps[wHV].Shown)
                SetActualTap(wHV, FirstRow(wHV));
            if (Taps[wTV].Shown)
                SetActualTap(wTV, FirstRow(wTV));
            advanced = true;
        }
    } else if (x == wTV && h == wHV) {
        if (!reconnect(QStringLiteral("LV")))
            return TAdvance::Cancelled;
        SetPair(wLV, wTV);
        if (Taps[wLV].Shown)
            SetActualTap(wLV, FirstRow(wLV));
        if (Taps[wTV].Shown)
            SetActualTap(wTV, FirstRow(wTV));
        advanced = true;
    }
    if (!advanced) {
        FAllTaps = false;
        if (op)
            op->Inform(DoneText);
        return TAdvance::Done;
    }
    if (start) {
        FGlobal.DocumentChanged();
        FGlobal.StatusText = QStringLiteral("Started:%1").arg(RemainingMeasurements());
        Start(RemainingMeasurements());
    }
    return TAdvance::Advanced;
}

void TQelManualFrame::NextTapWithDialog(bool advanceFirst) {
    if (FTapDialogShowing || !FTapDialog)
        return;
    FTapDialogShowing = true;
    bool advance = advanceFirst;
    int result = TDlgTapAction::trNone;
    do {
        if (advance) {
            const TAdvance a = Advance(false);
            BuildTapSelectors();
            RefreshPage();
            if (a == TAdvance::Done) {
                result = TDlgTapAction::trNone;
                break;
            }
        }
        result = FTapDialog->ShowFor(FGlobal.MeasurementConfigurationText());
        advance = true;
    } while (result == TDlgTapAction::trSkipTap && FTapDialog);
    FTapDialogShowing = false;
    if (result == TDlgTapAction::trTestTap) {
        FGlobal.DocumentChanged();
        FGlobal.StatusText = QStringLiteral("Started:%1").arg(RemainingMeasurements());
        Start(RemainingMeasurements());
    } else if (result == TDlgTapAction::trStop) {
        FAllTaps = false;
        FGlobal.StopTest();
    }
}

// Both tap changers of HV and LV on their last table rows: the pair is done (TV decides the rest).
bool TQelManualFrame::SwitchCondition() const {
    const auto last = [this](int w) { return !HasTapChanger(w) || FGlobal.ActualTap(w) == NrOfTaps(w); };
    return last(H()) && last(X());
}

bool TQelManualFrame::TestFinished() const {
    const auto below = [this](int w) { return HasTapChanger(w) && FGlobal.ActualTap(w) < NrOfTaps(w); };
    if (below(wHV) || below(wLV))
        return false;
    if (SwitchCondition())
        return false;
    return !below(wTV);
}

// ------------------------------------------------------------------ results

bool TQelManualFrame::AutoConfiguration() const {
    const auto windings = FGlobal.Doc().DUTTrafoData().Winding();
    const int h = std::clamp(H(), 0, 2);
    const int x = std::clamp(X(), 0, 2);
    return windings.Item(h).Configuration().Value() == Qel8624::conNotSet ||
           windings.Item(x).Configuration().Value() == Qel8624::conNotSet ||
           windings.Item(x).VectorGroup().Value() == Qel8624::ClockNotSet;
}

// The configuration the instrument found; Yes keeps it for the test object.
bool TQelManualFrame::AskAutoConfiguration() {
    const Qel8624::TVectorGroup vg = FGlobal.LiveSnapshot().VectorGroup;
    const QString text =
        QStringLiteral("Do you want to use the configuration \r\n\"%1\"\r\nfor this test object?")
            .arg(ConfigurationText(vg.Hv) + ':' + ConfigurationText(vg.Lv).toLower() +
                 QString::number(vg.Clock));
    TOperatorIFace* op = FGlobal.Operator();
    if (op && op->Message(TKind::Confirmation, FGlobal.ConfigSection, text, TButtons::YesNo) != TAnswer::Yes)
        return false;
    const auto windings = FGlobal.Doc().DUTTrafoData().Winding();
    const int h = std::clamp(H(), 0, 2);
    const int x = std::clamp(X(), 0, 2);
    // The reported connection of the H side belongs to winding H, whichever winding that is. The
    // document keeps clock numbers against HV; the instrument reported X against H.
    windings.Item(h).Configuration().SetValue(vg.Hv);
    windings.Item(x).Configuration().SetValue(vg.Lv);
    int clock = vg.Clock;
    const int clockH = h == wHV ? 0 : int(windings.Item(h).VectorGroup().Value());
    if (clock >= 0 && clock <= 11 && clockH >= 0 && clockH <= 11)
        clock = (clock + clockH) % 12;
    windings.Item(x).VectorGroup().SetValue(clock);
    FGlobal.DocumentChanged();
    return true;
}

void TQelManualFrame::OnResult() {
    if (AutoConfiguration() && !AskAutoConfiguration()) {
        FAllTaps = false;
        FGlobal.StopTest();
        WriteResultRows(false);
        return;
    }
    const int clock =
        FGlobal.Doc().DUTTrafoData().Winding().Item(std::clamp(X(), 0, 2)).VectorGroup().Value();
    const bool arbitrary = clock == Qel8624::ClockArbitrary || clock == Qel8624::ClockArbitraryAuto;
    WriteResultRows(arbitrary);
    if (arbitrary && FTapDialog && FTapDialog->isVisible())
        FTapDialog->CloseWith(TDlgTapAction::trNone);
    if (!FAllTaps)
        return;
    if (TestFinished()) {
        FAllTaps = false;
        if (TOperatorIFace* op = FGlobal.Operator())
            op->Inform(DoneText);
    } else if (SwitchCondition()) {
        // Cancel at the reconnection prompt leaves the pair as it is and ends the test.
        if (Advance(true) == TAdvance::Cancelled)
            FAllTaps = false;
    } else {
        NextTapWithDialog(true);
    }
}

// ------------------------------------------------------------------ test status

void TQelManualFrame::OnLinkState(qintptr wParam) {
    const TInstrumentState state = FGlobal.InstrumentState();
    const TestStatus now = state.Status;
    lbTestStatus->setText(state.Link == LinkState::Busy ? QStringLiteral("System busy..")
                                                        : StatusLongText(now));
    if (wParam != wpTestStatus)
        return;
    const qint64 ticks = Ticks();
    const bool idleOrWait = now == TestStatus::Idle || now == TestStatus::TapWait;
    // An instrument waiting for its tap after the run or continue request, without having been
    // seen measuring, is asked to go on. Only from the wait: in Idle it refuses, which would stop
    // the test.
    if (!FGlobal.SimulationMode && now == TestStatus::TapWait) {
        const CommandType last = FGlobal.Qel().Command();
        if ((last == CommandType::TESTRUN || last == CommandType::TESTCONTINUE) &&
            ticks - std::max(FLastContinue, FStartTime) > 2000) {
            FGlobal.Qel().RequestTestContinue(false);
            FGlobal.StatusText = QStringLiteral("Continue again");
            FLastContinue = ticks;
        }
    }
    if (!AutoConfiguration() && FPreviousStatus == TestStatus::Measuring && idleOrWait) {
        FGlobal.QelMeasTime = double(ticks - FStartTime) / 1000.0;
        FGlobal.StatusText = QStringLiteral("Save MT:") + Seconds(FGlobal.QelMeasTime);
        FGlobal.ApplySettings();
    }
    if ((FPreviousStatus == TestStatus::CheckConfig || FPreviousStatus == TestStatus::CheckDispl) &&
        now == TestStatus::TapWait) {
        FGlobal.QelDetectTime = double(ticks - FStartTime) / 1000.0 + FGlobal.QelMeasTime;
        FGlobal.StatusText = QStringLiteral("Save DT:") + Seconds(FGlobal.QelDetectTime);
        if (!FGlobal.SimulationMode)
            FGlobal.Qel().RequestTestContinue(false);
    }
    if (FPreviousStatus == TestStatus::TapWait && now == TestStatus::Measuring && FTapDialog &&
        FTapDialog->isVisible())
        FTapDialog->CloseWith(TDlgTapAction::trTestTap); // the tap was confirmed at the instrument
    FPreviousStatus = now;
}

void TQelManualFrame::Timer1Timer() {
    const TestStatus status = FGlobal.InstrumentState().Status;
    if (status == TestStatus::Idle || int(status) > int(TestStatus::Measuring)) {
        KvProgressBar1->setFormat(QString());
        KvProgressBar1->setValue(0);
        lbTime->clear();
        return;
    }
    const double total = AutoConfiguration() ? FGlobal.QelDetectTime : FGlobal.QelMeasTime;
    const double elapsed = double(Ticks() - FStartTime) / 1000.0;
    const double remaining = std::max(0.0, total - elapsed);
    const int whole = int(std::ceil(remaining));
    const QString caption = remaining <= 0
                                ? QStringLiteral("0:00")
                                : QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QChar('0'));
    KvProgressBar1->setFormat(caption);
    lbTime->setText(caption);
    FGlobal.StatusText = QStringLiteral("Tot:") + caption;
    // An expected time of nothing (a setting of 0) gives no bar rather than a division by it.
    KvProgressBar1->setValue(total > 0 ? std::clamp(int(std::lround(elapsed * 100 / total)), 0, 100) : 0);
}
