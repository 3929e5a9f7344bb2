#include "QelArbProgress.h"

#include "QelArbitrary.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

TApmProgressBarForm::TApmProgressBarForm(TQelArbitrary& detector, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint), FDetector(detector) {
    setWindowTitle(QStringLiteral("Test Progress....."));
    setModal(true);
    pbProgressBar = new QProgressBar(this);
    pbProgressBar->setRange(0, TQelArbitrary::StepCount);
    pbProgressBar->setTextVisible(false);
    lblState = new QLabel(AlarmText(0), this);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setMinimumHeight(48);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pbProgressBar);
    layout->addWidget(lblState);
    layout->addWidget(btnCancel, 0, Qt::AlignHCenter);
    resize(420, 160);

    tmrTestProgress = new QTimer(this);
    tmrTestProgress->setInterval(1000);
    connect(tmrTestProgress, &QTimer::timeout, this, &TApmProgressBarForm::Refresh);
    connect(btnCancel, &QPushButton::clicked, this, [this] {
        FDetector.Cancel();
        btnCancel->setEnabled(false);
    });
    connect(&FDetector, &TQelArbitrary::Started, this, &TApmProgressBarForm::Open);
    connect(&FDetector, &TQelArbitrary::Finished, this, &TApmProgressBarForm::Refresh);
}

QString TApmProgressBarForm::AlarmText(int alarm) {
    switch (alarm) {
    case 1:
        return QStringLiteral(" Cables are not plugged!!!!!!!!");
    case 2:
        return QStringLiteral(" Emergency Button Pressed!!!!!!!!");
    case 3:
        return QStringLiteral(" Output Voltage Fail!!!!!!!!");
    case 4:
        return QStringLiteral(" Over Current Detected!!!!!!!!");
    default:
        return QStringLiteral(" Testing in Progress.....");
    }
}

void TApmProgressBarForm::Open() {
    pbProgressBar->setValue(std::max(0, FDetector.Step()));
    lblState->setText(AlarmText(0));
    btnCancel->setEnabled(true);
    if (QWidget* owner = parentWidget())
        move(owner->geometry().center() - rect().center());
    tmrTestProgress->start();
    open(); // modal without a loop of its own: the detector's timer goes on
}

void TApmProgressBarForm::Refresh() {
    if (!FDetector.Running()) {
        pbProgressBar->setValue(pbProgressBar->maximum());
        tmrTestProgress->stop();
        if (isVisible())
            accept();
        return;
    }
    pbProgressBar->setValue(std::max(0, FDetector.Step()));
    lblState->setText(AlarmText(FDetector.Alarm()));
}
