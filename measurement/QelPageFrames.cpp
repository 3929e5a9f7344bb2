#include "QelPageFrames.h"

#include <QLabel>
#include <QVBoxLayout>

TQelPlaceholderFrame::TQelPlaceholderFrame(const QString& title, const QString& content, QWidget* parent)
    : QFrame(parent), FTitle(new QLabel(title, this)), FContent(new QLabel(content, this)) {
    setFrameShape(QFrame::StyledPanel);
    QFont f = FTitle->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.4);
    FTitle->setFont(f);
    FTitle->setAlignment(Qt::AlignCenter);
    FContent->setAlignment(Qt::AlignCenter);
    FContent->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(FTitle);
    layout->addWidget(FContent);
    layout->addStretch(1);
}

QString TQelPlaceholderFrame::Title() const {
    return FTitle->text();
}
QString TQelPlaceholderFrame::Content() const {
    return FContent->text();
}
