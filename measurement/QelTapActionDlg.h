#pragma once
#include <QDialog>

class QLabel;
class TPanelButton;

// "Select next operation ..": asked before each tap of a test over all taps. The operator tests
// the tap shown, skips it or stops the test; the result stays readable after the dialog closed.
class TDlgTapAction : public QDialog {
    Q_OBJECT
public:
    enum TResult { trNone = 0, trTestTap = 1, trSkipTap = 2, trStop = 3 };

    explicit TDlgTapAction(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* lbTapName;
    TPanelButton* bnNextTap;
    TPanelButton* bnSkipTap;
    TPanelButton* bnStop;

    // Shows the dialog modally for the tap text; the result and the keyboard choice start anew.
    int ShowFor(const QString& tapText);
    int Result() const { return FResult; }
    void SetResult(int result) { FResult = result; }
    int KeyboardChoice() const { return FChoice; }
    // Closes the dialog with a result (a tap confirmed at the instrument closes it with 1).
    void CloseWith(int result);

    void bnNextTapClick() { CloseWith(trTestTap); }
    void bnSkipTapClick() { CloseWith(trSkipTap); }
    void bnStopClick() { CloseWith(trStop); }

protected:
    void keyReleaseEvent(QKeyEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void ShowChoice();
    int FResult = trNone;
    int FChoice = 1;
};
