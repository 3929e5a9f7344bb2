#include "Progress.h"

#include <QProgressBar>
#include <QVBoxLayout>

TfrmProgress::TfrmProgress(const QString& section, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), ProgressBar1(new QProgressBar(this)) {
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("Uploading %1 memory...").arg(section));
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar1);
    resize(320, 60);
}

int TfrmProgress::Position() const {
    return ProgressBar1->value();
}

void TfrmProgress::SetPosition(int percent) {
    ProgressBar1->setValue(std::clamp(percent, 0, 100));
}
