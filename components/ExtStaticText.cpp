#include "ExtStaticText.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

TExtStaticText::TExtStaticText(QWidget* parent)
    : TExtGradient(parent), FDisabledTextColor(palette().color(QPalette::Disabled, QPalette::Text)) {
    QFont f = font();
    f.setFamily(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    setFont(f);
}

void TExtStaticText::SetCaption(const QString& text) {
    FCaption = text;
    FCaptionSet = true;
    update();
}
void TExtStaticText::SetAngle(int degrees) {
    if (degrees != 0 && degrees != 90 && degrees != 180 && degrees != 270)
        return;
    FAngle = degrees;
    update();
}
void TExtStaticText::SetCenterText(bool on) {
    FCenterText = on;
    update();
}
void TExtStaticText::SetIsPressed(bool on) {
    FIsPressed = on;
    update();
}
void TExtStaticText::SetXPos(int x) {
    FXPos = x;
    update();
}
void TExtStaticText::SetYPos(int y) {
    FYPos = y;
    update();
}
void TExtStaticText::SetShiftCaption(const QString& text) {
    FShiftCaption = text;
    update();
}
void TExtStaticText::SetShFontSize(int points) {
    FShFontSize = points;
    update();
}
void TExtStaticText::SetReadOnly(bool on) {
    FReadOnly = on;
}
void TExtStaticText::SetFontColor(const QColor& c) {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, c);
    setPalette(pal);
    update();
}

void TExtStaticText::SetDisabledTextColor(const QColor& c) {
    FDisabledTextColor = c;
    update();
}

QPoint TExtStaticText::TextPosition() const {
    if (!FCenterText) {
        // Until placed, the text stands in the middle.
        return QPoint(FXPos < 0 ? width() / 2 : FXPos, FYPos < 0 ? height() / 2 : FYPos);
    }
    const QFontMetrics fm(font());
    const int tw = fm.horizontalAdvance(Caption());
    const int th = fm.height();
    switch (FAngle) {
    case 0:
    case 180:
        return QPoint((width() - tw) / 2, (height() - th) / 2);
    case 90:
        return QPoint((width() - th) / 2, height() - (height() - tw) / 2);
    default:
        return QPoint(width() - th, (height() - tw) / 2);
    }
}

void TExtStaticText::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const TGradientSpec spec = ResolvedSpec();
    PaintGradient(p, rect(), spec);

    const bool sunk = FIsPressed || !isEnabled();
    p.fillRect(QRect(0, 0, width(), 1), sunk ? spec.End : spec.Start);
    p.fillRect(QRect(0, 0, 1, height()), sunk ? spec.End : spec.Start);
    p.fillRect(QRect(0, height() - 2, width(), 2), FIsPressed ? spec.Start : spec.End);
    p.fillRect(QRect(width() - 2, 0, 2, height()), FIsPressed ? spec.Start : spec.End);

    const QColor textColour = isEnabled() ? palette().color(QPalette::WindowText) : FDisabledTextColor;
    const int shift = FIsPressed ? 1 : 0;
    p.setPen(textColour);
    p.setFont(font());
    // The position is the top-left corner of the unrotated text box; rotate about it.
    const QPoint pos = TextPosition() + QPoint(shift, shift);
    const QFontMetrics fm(font());
    p.save();
    if (FAngle == 0 || FAngle == 180) {
        p.translate(pos);
        if (FAngle == 180) {
            p.translate(fm.horizontalAdvance(Caption()), fm.height());
            p.rotate(180);
        }
    } else if (FAngle == 90) {
        p.translate(pos);
        p.rotate(-90);
    } else {
        p.translate(pos + QPoint(fm.height(), 0));
        p.rotate(90);
    }
    p.drawText(QPoint(0, fm.ascent()), Caption());
    p.restore();

    if (!FShiftCaption.isEmpty()) {
        QFont small = font();
        small.setPointSize(FShFontSize);
        p.setFont(small);
        const QFontMetrics sfm(small);
        p.drawText(QPoint(4 + shift, 2 + shift + sfm.ascent()), FShiftCaption);
    }
}

void TExtStaticText::mousePressEvent(QMouseEvent* e) {
    if (FReadOnly)
        return;
    SetIsPressed(true);
    Q_EMIT MouseDown(e->button(), e->position().toPoint());
}

void TExtStaticText::mouseReleaseEvent(QMouseEvent* e) {
    const bool wasPressed = FIsPressed;
    SetIsPressed(false);
    Q_EMIT MouseUp(e->button(), e->position().toPoint());
    if (wasPressed && rect().contains(e->position().toPoint()))
        Q_EMIT Click();
}

void TExtStaticText::mouseMoveEvent(QMouseEvent* e) {
    Q_EMIT MouseMove(e->buttons(), e->position().toPoint());
}
