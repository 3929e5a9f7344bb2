#include "StateButton.h"

#include "Gradient.h"
#include "PopupPanel.h"
#include "PopupPanelLayout.h"
#include "QelImage.h"

#include <QCoreApplication>
#include <QPainter>

TStateButton::TStateButton(QWidget* parent)
    : TCaptionButton(parent), FDisabledTextColor(palette().color(QPalette::Disabled, QPalette::Text)) {
    SetLayout(blGlyphRight);
    resize(150, 48);
}

void TStateButton::SetCenterColor(bool on) {
    FCenterColor = on;
    update();
}
void TStateButton::SetColorScale(double scale) {
    FColorScale = scale;
    update();
}
void TStateButton::SetGradientStart(const QColor& c) {
    FStart = c;
    update();
}
QColor TStateButton::GradientMid() const {
    return FMid.isValid() ? FMid : palette().color(QPalette::Button);
}
void TStateButton::SetGradientMid(const QColor& c) {
    FMid = c;
    update();
}
void TStateButton::SetGradientEnd(const QColor& c) {
    FEnd = c;
    update();
}
void TStateButton::SetDisabledTextColor(const QColor& c) {
    FDisabledTextColor = c;
    update();
}

QSize TStateButton::PictureBoxSize() const {
    return ImageList() ? ImageList()->Size() : QSize(32, 32);
}

TPopupWindow* TStateButton::NewPopupWindow() {
    return new TPopupPanel(this);
}

TCaptionButton* TStateButton::NewPopupItem(TPopupWindow* popup) {
    return new TStateButton(popup);
}

QSize TStateButton::PopupItemSize() const {
    const int h = (PopupHeight() == 0 || PopupWidth() == 0) ? height() : PopupHeight();
    const int w = PopupWidth() != 0 ? PopupWidth() : (Selection() != fsNone ? width() + 10 : width());
    return QSize(w, h);
}

void TStateButton::AdjustPopupLayout(TPopupLayoutInput& in) const {
    in.Columns = 0;
    in.RowAllowance = 1;
}

// The 8-bit button tells its owner directly and closes its pop-up unconditionally.
void TStateButton::NotifyItemChosen(TCaptionButton* owner) {
    Q_EMIT owner->Click();
}

void TStateButton::ClosePopupOf(TCaptionButton* owner) {
    QCoreApplication::postEvent(owner, new TPopupCloseEvent(owner->PopupWindow(), true));
}

void TStateButton::TakeColours(const TStateButton& owner, bool own) {
    FCenterColor = owner.FCenterColor;
    FColorScale = owner.FColorScale;
    FStart = own ? owner.FStart : Lighten(owner.FStart, 180);
    FMid = own ? owner.GradientMid() : Lighten(owner.GradientMid(), 180);
    FEnd = own ? owner.FEnd : Lighten(owner.FEnd, 180);
    update();
}

void TStateButton::StylePopupItem(TCaptionButton* item, bool highlighted) {
    const bool own = highlighted || (PopupButton() && Selection() == fsNone);
    static_cast<TStateButton*>(item)->TakeColours(*this, own);
    if (own)
        TCaptionButton::ShowTick(item, true);
}

void TStateButton::ShowTick(TCaptionButton* item, bool on) {
    TCaptionButton::ShowTick(item, on);
    if (auto* owner = qobject_cast<TStateButton*>(item->OwnerButton()))
        static_cast<TStateButton*>(item)->TakeColours(*owner, on);
}

void TStateButton::StateApplied(int, bool inRange) {
    if (!inRange)
        SetCaption(QString());
    FPictureVisible = inRange;
}

QRect TStateButton::PictureRect() const {
    const QSize pic = PictureBoxSize();
    const int shift = IsDrawnDown() ? 1 : 0;
    const QRect text = CaptionRect();
    switch (Layout()) {
    case blGlyphLeft:
        return QRect(QPoint(5 + shift, (height() - pic.height()) / 2 + shift), pic);
    case blGlyphRight:
        return QRect(QPoint(width() - pic.width() - 5 + shift, (height() - pic.height()) / 2 + shift), pic);
    case blGlyphTop:
        return QRect(QPoint((width() - pic.width()) / 2 + shift, text.top() - 2 - pic.height()), pic);
    case blGlyphBottom:
        return QRect(QPoint((width() - pic.width()) / 2 + shift, text.bottom() + 1 + 5), pic);
    }
    return QRect();
}

QRect TStateButton::CaptionRect() const {
    const QSize pic = FPictureVisible && HasFacePicture() ? PictureBoxSize() : QSize();
    const int shift = IsDrawnDown() ? 1 : 0;
    const QFontMetrics fm(font());
    const int flags = WordWrap() ? Qt::TextWordWrap : 0;
    switch (Layout()) {
    case blGlyphLeft: {
        const int left = pic.isEmpty() ? 5 : 5 + pic.width() + 5;
        return QRect(left + shift, shift, width() - left - 5, height());
    }
    case blGlyphRight: {
        const int right = pic.isEmpty() ? 5 : pic.width() + 10;
        return QRect(5 + shift, shift, width() - 5 - right, height());
    }
    case blGlyphTop:
    case blGlyphBottom: {
        const QRect b =
            fm.boundingRect(QRect(0, 0, width() - 10, height()), flags | Qt::AlignCenter, Caption());
        const int gap = Layout() == blGlyphTop ? 2 : 5;
        const int total = b.height() + (pic.isEmpty() ? 0 : gap + pic.height());
        const int top = (height() - total) / 2;
        const int textTop = Layout() == blGlyphTop && !pic.isEmpty() ? top + pic.height() + gap : top;
        return QRect((width() - b.width()) / 2 + shift, textTop + shift, b.width(), b.height());
    }
    }
    return QRect();
}

void TStateButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    TGradientSpec spec;
    spec.CenterColor = FCenterColor;
    spec.ColorScale = FColorScale;
    spec.Mode = gmBoth;
    if (isEnabled()) {
        spec.Start = FStart;
        spec.Mid = GradientMid();
        spec.End = FEnd;
    } else {
        // Disabled: a flat, slightly shaded face of the middle colour.
        const bool flat = FStart == FEnd;
        spec.Start = ScaleColor(GradientMid(), flat ? 1.0 : 1.05);
        spec.Mid = GradientMid();
        spec.End = ScaleColor(GradientMid(), flat ? 1.0 : 0.95);
    }
    PaintGradient(p, rect(), spec);

    // The panel's two bevels: raised at rest, lowered while pressed.
    const bool down = IsDrawnDown();
    const QColor light = down ? palette().color(QPalette::Dark) : palette().color(QPalette::Light);
    const QColor dark = down ? palette().color(QPalette::Light) : palette().color(QPalette::Dark);
    for (int i = 0; i < 2; ++i) {
        const QRect r = rect().adjusted(i, i, -1 - i, -1 - i);
        p.setPen(light);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(dark);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }

    if (FPictureVisible) {
        const QPixmap picture = FacePixmap();
        if (!picture.isNull()) {
            const QRect box = PictureRect();
            const QSize size = picture.deviceIndependentSize().toSize();
            p.drawPixmap(box.left() + (box.width() - size.width()) / 2,
                         box.top() + (box.height() - size.height()) / 2, picture);
        }
    }
    p.setPen(isEnabled() ? QColor(Qt::black) : QColor(0x80, 0x80, 0x80));
    p.setFont(font());
    const int align = (Layout() == blGlyphTop || Layout() == blGlyphBottom)
                          ? Qt::AlignCenter
                          : (Qt::AlignLeft | Qt::AlignVCenter);
    p.drawText(CaptionRect(), align | (WordWrap() ? Qt::TextWordWrap : 0), Caption());
}
