#include "PanelButton.h"

#include "PopupPanel.h"
#include "PopupPanelLayout.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace {
constexpr int Spacing = 4;

// Light text on dark faces, so that a coloured key stays readable.
QColor TextOn(const QColor& face, const QColor& normal) {
    return qGray(face.rgb()) < 110 ? QColor(Qt::white) : normal;
}
} // namespace

TPanelButton::TPanelButton(QWidget* parent) : TCaptionButton(parent) {
    resize(150, 48);
}

void TPanelButton::SetShowPressed(bool on) {
    FShowPressed = on;
    update();
}

void TPanelButton::SetUseBackGroundColor(bool on) {
    FUseBackGroundColor = on;
    update();
}

void TPanelButton::SetBackGroundColor(const QColor& c) {
    FBackGroundColor = c;
    update();
}

TPopupWindow* TPanelButton::NewPopupWindow() {
    return new TPopupPanelForm(this);
}

TCaptionButton* TPanelButton::NewPopupItem(TPopupWindow* popup) {
    return new TPanelButton(popup);
}

void TPanelButton::StylePopupItem(TCaptionButton* item, bool highlighted) {
    auto* b = static_cast<TPanelButton*>(item);
    b->FUseBackGroundColor = FUseBackGroundColor;
    b->FBackGroundColor = FBackGroundColor;
    TCaptionButton::StylePopupItem(item, highlighted);
}

void TPanelButton::AdjustPopupLayout(TPopupLayoutInput& in) const {
    in.Columns = FPopupElements;
}

void TPanelButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    const bool down = IsDrawnDown() || FShowPressed;
    opt.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
    if (hasFocus())
        opt.features |= QStyleOptionButton::DefaultButton;

    QColor face = palette().color(QPalette::Button);
    if (FUseBackGroundColor) {
        face = FBackGroundColor;
        p.fillRect(rect(), down ? face.darker(130) : face);
        p.setPen(face.darker(160));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    } else {
        p.drawControl(QStyle::CE_PushButtonBevel, opt);
        if (IsPopupItem() && Pressed()) {
            // A ticked item must be told apart at a glance, not only by a subtle bevel.
            face = QColor(0xC0, 0xC0, 0xC0);
            p.fillRect(rect().adjusted(3, 3, -3, -3), face);
        }
    }

    QRect content = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
    if (down)
        content.translate(1, 1);

    const QPixmap picture = FacePixmap();
    const QSize pic = picture.isNull() ? QSize() : picture.deviceIndependentSize().toSize();
    const bool horizontal = Layout() == blGlyphLeft || Layout() == blGlyphRight;
    QString text = Caption().trimmed().isEmpty() ? QString() : Caption();
    const int gap = pic.isEmpty() || text.isEmpty() ? 0 : Spacing;
    int flags = Qt::AlignCenter | (WordWrap() ? Qt::TextWordWrap : 0);

    QRect textBounds;
    if (!text.isEmpty()) {
        const int availW = qMax(horizontal ? content.width() - pic.width() - gap : content.width(), 1);
        const int availH = qMax(horizontal ? content.height() : content.height() - pic.height() - gap, 1);
        const QFontMetrics fm = p.fontMetrics();
        // A caption too long for one line is wrapped rather than cut, and shortened
        // with an ellipsis only when even the wrapped text does not fit.
        if (fm.horizontalAdvance(text) > availW)
            flags |= Qt::TextWordWrap;
        textBounds = fm.boundingRect(QRect(0, 0, availW, availH), flags, text);
        if (textBounds.height() > availH || textBounds.width() > availW) {
            flags &= ~Qt::TextWordWrap;
            text = fm.elidedText(QString(text).replace(u'\n', u' '), Qt::ElideRight, availW);
            textBounds = fm.boundingRect(QRect(0, 0, availW, availH), flags, text);
        }
        textBounds.setWidth(qMin(textBounds.width(), availW));
    }
    const int groupW =
        horizontal ? pic.width() + gap + textBounds.width() : qMax(pic.width(), textBounds.width());
    const int groupH =
        horizontal ? qMax(pic.height(), textBounds.height()) : pic.height() + gap + textBounds.height();
    const QRect group(content.left() + (content.width() - groupW) / 2,
                      content.top() + (content.height() - groupH) / 2, groupW, groupH);
    QRect picRect, textRect;
    switch (Layout()) {
    case blGlyphLeft:
        picRect = QRect(QPoint(group.left(), group.center().y() - pic.height() / 2), pic);
        textRect = QRect(group.left() + pic.width() + gap, group.top(), textBounds.width(), group.height());
        break;
    case blGlyphRight:
        textRect = QRect(group.left(), group.top(), textBounds.width(), group.height());
        picRect = QRect(QPoint(group.right() - pic.width() + 1, group.center().y() - pic.height() / 2), pic);
        break;
    case blGlyphTop:
        picRect = QRect(QPoint(group.center().x() - pic.width() / 2, group.top()), pic);
        textRect = QRect(group.left(), group.top() + pic.height() + gap, group.width(), textBounds.height());
        break;
    case blGlyphBottom:
        textRect = QRect(group.left(), group.top(), group.width(), textBounds.height());
        picRect = QRect(QPoint(group.center().x() - pic.width() / 2, group.bottom() - pic.height() + 1), pic);
        break;
    }
    if (!picture.isNull())
        p.drawPixmap(picRect.topLeft(), picture);
    if (!text.isEmpty()) {
        if (isEnabled()) {
            p.setPen(TextOn(face, palette().color(QPalette::ButtonText)));
            p.drawText(textRect, flags, text);
        } else {
            // Embossed: a highlight copy one pixel down-right under the shadow-coloured text.
            p.setPen(palette().color(QPalette::Light));
            p.drawText(textRect.translated(1, 1), flags, text);
            p.setPen(palette().color(QPalette::Dark));
            p.drawText(textRect, flags, text);
        }
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(4, 4, -4, -4);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
