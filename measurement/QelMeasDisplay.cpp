// Behaviour of the live display: what it shows on each message of the data module.
#include "QelMeasDisplay.h"

#include "IniFile.h"
#include "Qel8624Protocol.h"
#include "QelGlobals.h"
#include "QelStatusTexts.h"
#include "StateButton.h"

#include <QLabel>

#include <cmath>

const QString TQelMeasDisplayFrame::NotMeasured = QStringLiteral("    ...    ");

namespace {
const QString SetupSection = QStringLiteral("Setup");
const QString RatioKey = QStringLiteral("RatioDisplay");
constexpr float VoltageNotReported = 255;
} // namespace

TQelMeasDisplayFrame::TQelMeasDisplayFrame(TQelGlobal& global, QWidget* parent)
    : QFrame(parent), FGlobal(global) {
    setObjectName(QStringLiteral("MeasDisplayFrame"));
    BuildLayout();
    Reset();
    const int state = TIniFile(FGlobal.ConfigFileName).ReadInteger(SetupSection, RatioKey, bnRatio->State());
    bnRatio->SetState(state == 1 ? 1 : 0);
    RedrawRatios();
    connect(bnRatio, &TStateButton::Click, this, &TQelMeasDisplayFrame::bnRatioClick);
    PinPhaseHeader(0);
}

QString TQelMeasDisplayFrame::HVConnectionText(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("D");
    case 1:
        return QStringLiteral("Y");
    case 2:
        return QStringLiteral("Yn");
    case 3:
        return QStringLiteral("Z");
    case 4:
        return QStringLiteral("Zn");
    case 5:
        return QStringLiteral("1P");
    case 6:
        return QStringLiteral("CT");
    case 14:
        return QStringLiteral("RE");
    default:
        return QStringLiteral("??");
    }
}

QString TQelMeasDisplayFrame::LVConnectionText(int code) {
    const QString text = HVConnectionText(code);
    return text == QLatin1String("??") ? text : text.toLower();
}

bool TQelMeasDisplayFrame::event(QEvent* e) {
    switch (int(e->type())) {
    case UM_DOCCHANGED:
        OnDocChanged();
        return true;
    case UM_LINKSTATE:
        OnLinkState(static_cast<const TQelMessage*>(e)->WParam);
        return true;
    case UM_RESULT:
        OnResult();
        return true;
    case UM_SETTINGSCHANGED:
        return true;
    default:
        return QFrame::event(e);
    }
}

void TQelMeasDisplayFrame::Reset() {
    for (const auto& column : {lbVoltRatio, lbRatioDev, lbPhaseDev, lbCurrent})
        for (QLabel* l : column)
            l->setText(NotMeasured);
    for (auto& table : FRatios)
        table.fill(NotMeasured);
    FArbitraryResult = false;
}

void TQelMeasDisplayFrame::bnRatioClick() {
    RedrawRatios();
    TIniFile ini(FGlobal.ConfigFileName);
    ini.WriteInteger(SetupSection, RatioKey, bnRatio->State());
}

void TQelMeasDisplayFrame::RedrawRatios() {
    const int table = bnRatio->State() == 1 ? 1 : 0;
    for (int p = 0; p < 3; ++p)
        lbVoltRatio[p]->setText(FRatios[table][p]);
}

bool TQelMeasDisplayFrame::ArbitraryTest() const {
    const int clock = FGlobal.CurrentSetup.Setup.ClockNumber;
    return clock == Qel8624::ClockArbitrary || clock == Qel8624::ClockArbitraryAuto;
}

// The phase column's header follows the kind of test; a tap never changes it.
void TQelMeasDisplayFrame::PinPhaseHeader(int state) {
    bnPhaseDeviation->SetStateMin(0);
    bnPhaseDeviation->SetStateMax(1);
    bnPhaseDeviation->SetState(state);
    bnPhaseDeviation->SetStateMax(state);
    bnPhaseDeviation->SetStateMin(state);
}

void TQelMeasDisplayFrame::OnDocChanged() {
    for (int p = 0; p < 3; ++p)
        lbPhase[p]->setText(QString(QLatin1Char(char('A' + p))));
    OnLinkState(wpLinkState);
}

void TQelMeasDisplayFrame::OnLinkState(qintptr wParam) {
    const TInstrumentState now = FGlobal.InstrumentState();
    const bool arbitrary = ArbitraryTest();
    lbVectorGroup->setText(QStringLiteral("VectorGroup"));
    lbHVConfig->setText(HVConnectionText(now.VectorGroup.Hv));
    lbLVConfig->setText(LVConnectionText(now.VectorGroup.Lv));
    PinPhaseHeader(0);
    // The simulated instrument reports its voltage as an instrument does, so both read alike.
    lbTestV->setText(now.TestVoltage == VoltageNotReported || !std::isfinite(now.TestVoltage)
                         ? QStringLiteral("???")
                         : QString::number(int(now.TestVoltage)) + QStringLiteral(" V"));
    lbDisplacement->setVisible(!arbitrary);
    lbArbPhaseDisp->setVisible(arbitrary);
    if (!arbitrary) {
        lbDisplacement->setText(now.VectorGroup.Clock == Qel8624::ClockNotSet
                                    ? QStringLiteral("??")
                                    : QString::number(now.VectorGroup.Clock));
    } else {
        if (!FArbitraryResult)
            lbArbPhaseDisp->setText(QStringLiteral("??"));
        PinPhaseHeader(1);
        const TTestSetup& setup = FGlobal.CurrentSetup.Setup;
        lbHVConfig->setText(HVConnectionText(setup.HVConnection));
        lbLVConfig->setText(LVConnectionText(setup.LVConnection));
        // The voltage the detector drives: the test's, or the instrument's first without one.
        const float volts = setup.TestVoltage != 0 ? setup.TestVoltage : FGlobal.TestVoltages[0];
        lbTestV->setText(std::isfinite(volts) ? QString::number(int(volts)) + QStringLiteral(" V")
                                              : QStringLiteral("???"));
    }
    if (FArbitraryResult)
        lbArbPhaseDisp->setText(lbDisplacement->text());
    lbTestStatus->setText(TestStatusName(now.Status));
    if (wParam == wpTestStatus && (now.Status == TestStatus::Measuring || arbitrary))
        Reset();
}

void TQelMeasDisplayFrame::OnResult() {
    // An arbitrary phase shift result has the detector's texts; the data module's are those of
    // a tap test.
    const bool arbitrary = ArbitraryTest();
    if (arbitrary)
        FArbitraryResult = true;
    for (int p = 0; p < 3; ++p) {
        const TPhaseResultTexts t = arbitrary ? FGlobal.ArbitraryResultTexts(p) : FGlobal.PhaseResultTexts(p);
        FRatios[0][p] = t.VoltageRatio.isEmpty() ? t.VoltageRatio : t.VoltageRatio + QLatin1Char(' ');
        FRatios[1][p] = t.TurnsRatio + QLatin1Char(' ');
        lbRatioDev[p]->setText(t.RatioDeviation + QLatin1Char(' '));
        lbPhaseDev[p]->setText(t.Phase + QLatin1Char(' '));
        lbCurrent[p]->setText(t.Current + QLatin1Char(' '));
    }
    lbTestV->setText(QStringLiteral("???"));
    if (arbitrary) {
        const float angle = FGlobal.ArbitraryResult.PhaseShift[0];
        const QString text = std::isfinite(angle) ? QString::number(std::lround(angle)) + QStringLiteral("°")
                                                  : QStringLiteral("??");
        lbDisplacement->setText(text);
        lbArbPhaseDisp->setText(text);
    }
    RedrawRatios();
}
