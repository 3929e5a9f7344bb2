#include "HelpPanel.h"

#include "LangManager.h"

#include <QFrame>
#include <QLabel>

QFrame* NewHelpPanel(QWidget* parent, const QRect& geometry, int margin, int pixelSize, QLabel** label) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QStringLiteral("pnHelp"));
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setGeometry(geometry);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 225));
    panel->setPalette(pal);
    auto* text = new QLabel(panel);
    text->setObjectName(QStringLiteral("lbHelp"));
    SetLangTag(text, LangTagNever); // the hint of the field being edited
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text->setGeometry(margin, 2, geometry.width() - 2 * margin, geometry.height() - 4);
    if (pixelSize > 0) {
        QFont f = text->font();
        f.setPixelSize(pixelSize);
        text->setFont(f);
    }
    *label = text;
    return panel;
}
