#pragma once
#include <QDialog>

class TNumEdit;
class TQelImage;
class TStateButton;
class TOperatorIFace;

// "Tap Voltages Auto Fill": the voltages of the first and the last tap, between which the tap
// changer frame spreads its taps evenly. Enter is OK, Escape Cancel. Made on first use by the
// frame and hidden, not discarded, after each use.
class TTapChangerAutoFillForm : public QDialog {
    Q_OBJECT
public:
    explicit TTapChangerAutoFillForm(QWidget* parent = nullptr);

    // Presets both fields (volts) and opens the dialog window-modal; `accepted` follows OK.
    void Open(double start, double end);
    double Start() const;
    double End() const;
    void SetOperator(TOperatorIFace* op);
    void SetImages(const TQelImage& images);

    TNumEdit* edStart;
    TNumEdit* edEnd;
    TStateButton* StateButton7; // OK
    TStateButton* StateButton6; // Cancel

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
