#pragma once
#include <QWidget>

class QProgressBar;

// Shown while the instrument's memory is read. It is a window of its own so that it stays
// usable while the main window's pages are locked against input during the upload.
class TfrmProgress : public QWidget {
    Q_OBJECT
public:
    // `section` names the instrument ("Uploading QEL8624 memory...").
    explicit TfrmProgress(const QString& section, QWidget* parent = nullptr);
    QProgressBar* ProgressBar1;
    int Position() const;
    void SetPosition(int percent); // clamped to 0 ... 100
};
