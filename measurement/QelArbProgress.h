#pragma once
#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class TQelArbitrary;

// The progress of a phase shift detection: its step on a bar, the instrument's alarm and Cancel.
// It opens when a detection starts (modal, on top of its owner, without blocking the loop the
// detector runs in) and closes itself when the detection has ended.
class TApmProgressBarForm : public QDialog {
    Q_OBJECT
public:
    TApmProgressBarForm(TQelArbitrary& detector, QWidget* owner = nullptr);

    // The text of an alarm state (0 none ... 4 over-current).
    static QString AlarmText(int alarm);
    // What the 1 s timer does: the bar and the alarm text; closes after the detection.
    void Refresh();

    QProgressBar* pbProgressBar = nullptr;
    QLabel* lblState = nullptr;
    QPushButton* btnCancel = nullptr;
    QTimer* tmrTestProgress = nullptr;

private:
    void Open();
    TQelArbitrary& FDetector;
};
