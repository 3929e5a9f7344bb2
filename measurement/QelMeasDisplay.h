#pragma once
#include <QFrame>
#include <QString>

#include <array>

class QLabel;
class TQelGlobal;
class TStateButton;

// The live display: the strip across the top of the MEASURE page that shows, in large green
// figures, the last result of the three phases (ratio, ratio deviation, phase deviation, and the
// excitation current in a column kept out of view), the vector group the instrument reports and
// the test voltage. It never talks to the instrument and never writes the document: it follows
// the data module's messages and asks the data module for its texts (InstrumentState,
// PhaseResultTexts).
class TQelMeasDisplayFrame : public QFrame {
    Q_OBJECT
public:
    static constexpr int DisplayHeight = 160;
    // "    ...    ": a value not measured yet.
    static const QString NotMeasured;

    explicit TQelMeasDisplayFrame(TQelGlobal& global, QWidget* parent = nullptr);

    // The text of a connection code as the HV ("Yn") and the LV ("yn") winding show it.
    static QString HVConnectionText(int code);
    static QString LVConnectionText(int code);

    // --- components, named as the tests address them ---
    QFrame* pnVectorGroup;
    QLabel* lbVectorGroup;
    QLabel* lbHVConfig;
    QLabel* lblSep2;
    QLabel* lbLVConfig;
    QLabel* lblSep1;
    QLabel* lbDisplacement;
    QLabel* lbArbPhaseDisp;
    QLabel* Label4;
    QLabel* lbTestV;
    QLabel* Label5;
    QLabel* lbTestStatus;
    QFrame* pnPhaseLbls;
    std::array<QLabel*, 3> lbPhase{};
    QFrame* pnVoltageRatio;
    TStateButton* bnRatio;
    std::array<QLabel*, 3> lbVoltRatio{};
    QFrame* pnRatioDev;
    TStateButton* StateButton1;
    std::array<QLabel*, 3> lbRatioDev{};
    QFrame* pnPhaseDev;
    TStateButton* bnPhaseDeviation;
    std::array<QLabel*, 3> lbPhaseDev{};
    QFrame* pnCurrent;
    TStateButton* StateButton4;
    std::array<QLabel*, 3> lbCurrent{}; // phases A, B, C

    // --- handlers (also what a test runs) ---
    void bnRatioClick();
    void OnDocChanged();
    void OnLinkState(qintptr wParam);
    void OnResult();

protected:
    bool event(QEvent* e) override;

private:
    void BuildLayout();
    void Reset();
    void RedrawRatios();
    bool ArbitraryTest() const;
    void PinPhaseHeader(int state);

    TQelGlobal& FGlobal;
    // Voltage ratio (state 0 of bnRatio) and turns ratio (state 1) of each phase: both are
    // filled with every result, so switching shows the other ratio without asking again.
    std::array<std::array<QString, 3>, 2> FRatios;
    bool FArbitraryResult = false;
};
