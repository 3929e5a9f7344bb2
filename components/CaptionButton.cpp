#include "CaptionButton.h"

#include "MessageBoxOperator.h"
#include "PopupPanel.h"
#include "PopupPanelLayout.h"
#include "QelImage.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

TPopupCloseEvent::TPopupCloseEvent(TPopupWindow* popup, bool unconditional)
    : QEvent(UM_POPUPCLOSE), Popup(popup), Unconditional(unconditional) {}

TCaptionButton::TCaptionButton(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
}

TCaptionButton::~TCaptionButton() = default;

TPopupWindow* TCaptionButton::PopupWindow() const {
    return FPopupWindow;
}

void TCaptionButton::ReportIllegal(const QString& line) const {
    const QString text = CaptionItem::IllegalInputText(ClassName(), line);
    if (FOperator) {
        FOperator->Error(text);
    } else {
        TMessageBoxOperator boxes(const_cast<TCaptionButton*>(this));
        boxes.Error(text);
    }
}

void TCaptionButton::SetCaptionItems(const QStringList& items) {
    FItems.SetItems(items, FIsPopupItem || IsPopupOpen());
    FStateMin = 0;
    FStateMax = FItems.Count() - 1;
    SetState(FItemIndex);
}

void TCaptionButton::SetState(int v) {
    if (v < 0 || v >= FItems.Count()) {
        FItemIndex = v;
        StateApplied(v, false);
        update();
        return;
    }
    // A broken item is the form author's mistake; say which one instead of showing garbage.
    const QString& line = FItems.Items().at(v);
    if (!CaptionItem::IsLegal(line)) {
        ReportIllegal(line);
        return;
    }
    if (FPopupButton) {
        TSGSelection selection = FSelection;
        if (selection == fsNone && MenuNoneTicks())
            selection = fsMulti;
        switch (selection) {
        case fsNone:
            FCaption = FItems.Caption(0);
            break;
        case fsSingle:
            FItems.ClearChecked();
            FCaption = FItems.Caption(v);
            if (v > 0)
                FItems.SetChecked(v, true);
            FPicked = v;
            break;
        case fsMulti:
            FPicked = v;
            FItems.SetChecked(v, true);
            FCaption = FItems.CompositeCaption();
            break;
        }
        FItemIndex = 0;
    } else {
        FCaption = FItems.Caption(v);
        FItemIndex = v;
    }
    StateApplied(v, true);
    update();
}

void TCaptionButton::SetStateMin(int v) {
    if (v < 0 || v >= FItems.Count())
        return;
    FCaption = QStringLiteral(" ");
    FStateMin = v;
    SetState(FItemIndex >= FStateMin && FItemIndex <= FStateMax ? FItemIndex : FStateMin);
}

void TCaptionButton::SetStateMax(int v) {
    if (v < 0 || v >= FItems.Count())
        return;
    FCaption = QStringLiteral(" ");
    FStateMax = v;
    SetState(FItemIndex >= FStateMin && FItemIndex <= FStateMax ? FItemIndex : FStateMin);
}

void TCaptionButton::SetPopupButton(bool on) {
    FPopupButton = on;
    update();
}

void TCaptionButton::SetLayout(TButtonLayout l) {
    FLayout = l;
    update();
}

void TCaptionButton::SetWordWrap(bool on) {
    FWordWrap = on;
    update();
}

void TCaptionButton::SetImageList(TImageList* list) {
    disconnect(FImageListGone);
    FGlyph.Clear();
    FImageList = list;
    // The face's slot belongs to the list's cache: it is given back before the list goes.
    if (list)
        FImageListGone = connect(list, &QObject::destroyed, this, [this] { FGlyph.Clear(); });
    StateApplied(FItemIndex, FItemIndex >= 0 && FItemIndex < FItems.Count());
    update();
}

void TCaptionButton::SetCaption(const QString& text) {
    FCaption = text;
    update();
}

void TCaptionButton::SetPressed(bool on) {
    FPressed = on;
    update();
}

int TCaptionButton::FacePicture() const {
    int picture = FItems.Picture(FItemIndex);
    if (picture == CaptionItem::NoPicture && FPopup)
        picture = FItems.Picture(0);
    return picture;
}

bool TCaptionButton::HasFacePicture() const {
    const int picture = FacePicture();
    return FImageList && picture >= 0 && FImageList->HasPicture(picture);
}

QPixmap TCaptionButton::FacePixmap() {
    const int picture = FacePicture();
    TImageList* list = FImageList;
    if (!list || picture < 0 || !list->HasPicture(picture)) {
        FGlyph.Clear();
        return QPixmap();
    }
    const bool enabled = isEnabled();
    TGlyphCache* glyphs = list->Glyphs();
    if (!glyphs)
        return list->Picture(picture, enabled);
    const qint64 key =
        (qint64(quintptr(list) & 0xFFFFFFFFu) << 24) | (qint64(picture) << 1) | (enabled ? 1 : 0);
    return FGlyph.Get(*glyphs, list->Size(), key,
                      [list, picture, enabled] { return list->Picture(picture, enabled); });
}

void TCaptionButton::StateApplied(int, bool) {}

void TCaptionButton::PerformClick() {
    if (!isEnabled())
        return;
    if (FPopup) {
        if (IsPopupOpen())
            ClosePopup();
        else
            OpenPopup();
        return;
    }
    if (FIsPopupItem && FOwner) {
        ItemClicked();
        return;
    }
    if (IgnoresClickWithoutState() && FItemIndex == -1)
        return;
    if (FItems.Count() > 0) {
        int next = FItemIndex + 1;
        if (FItemIndex >= FStateMax || next < FStateMin)
            next = FStateMin;
        SetState(next);
    } else {
        SetState(-1);
    }
    SetPressed(false);
    if (isVisible() && !FIsPopupItem && isEnabled())
        Q_EMIT Click();
}

void TCaptionButton::ShowTick(TCaptionButton* item, bool on) {
    item->SetPressed(on);
    QFont f = item->font();
    f.setBold(on);
    item->setFont(f);
}

void TCaptionButton::ClosePopupOf(TCaptionButton* owner) {
    QCoreApplication::postEvent(owner, new TPopupCloseEvent(owner->FPopupWindow, false));
}

void TCaptionButton::NotifyItemChosen(TCaptionButton* owner) {
    QCoreApplication::postEvent(owner, new QEvent(UM_POPUPCHOSEN));
}

void TCaptionButton::ItemClicked() {
    TCaptionButton* owner = FOwner;
    const int k = FStateMin;
    if (FSelection == fsNone) {
        owner->SetState(k);
        owner->FPicked = k;
        owner->update();
        if (owner->FPopupButton)
            FItems.ClearChecked();
        ClosePopupOf(owner);
    } else if (owner->IsPopupOpen()) {
        bool on = !FPressed;
        TPopupWindow* popup = owner->FPopupWindow;
        if (FSelection == fsSingle) {
            for (int j = 0; j < owner->FItems.Count(); ++j) {
                if (!owner->ItemChecked(j))
                    continue;
                owner->SetItemChecked(j, false);
                if (TCaptionButton* b = popup->ItemButton(j))
                    ShowTick(b, false);
            }
        } else if (on && k > 0 && owner->ItemChecked(0)) {
            // Choosing a value drops "all".
            owner->SetItemChecked(0, false);
            if (TCaptionButton* b = popup->ItemButton(0))
                ShowTick(b, false);
        }
        // The one choice of a single-choice menu cannot be taken back, only replaced.
        if (owner->FPopupButton && FSelection == fsSingle)
            on = true;
        ShowTick(this, on);
        owner->SetItemChecked(k, on);
        SetItemChecked(k, on);
        owner->FPicked = k;
        owner->SetCaption(owner->CompositeCaption());
        if (owner->FPopupAutoClose)
            ClosePopupOf(owner);
    }
    NotifyItemChosen(owner);
}

QSize TCaptionButton::PopupItemSize() const {
    const int h = (FPopupHeight == 0 || FPopupWidth == 0) ? height() : FPopupHeight;
    const int w = FPopupWidth == 0 ? width() + 10 : FPopupWidth;
    return QSize(w, h);
}

void TCaptionButton::AdjustPopupLayout(TPopupLayoutInput&) const {}

bool TCaptionButton::CountsCell(int k) const {
    return FItems.Picture(k) != CaptionItem::NoCell;
}

void TCaptionButton::StylePopupItem(TCaptionButton* item, bool highlighted) {
    if (highlighted)
        ShowTick(item, true);
}

void TCaptionButton::OpenPopup() {
    const QSize cell = PopupItemSize();
    QList<int> cells;
    int n = 0;
    for (int k = FStateMin; k <= FStateMax; ++k) {
        if (!CountsCell(k))
            continue;
        ++n;
        if (FPopupButton && k == FStateMin)
            continue; // the face gets no cell
        cells << k;
    }
    TPopupLayoutInput in;
    in.Button = QRect(mapToGlobal(QPoint(0, 0)), size());
    QScreen* scr = screen();
    in.Screen = scr ? scr->geometry() : QRect(0, 0, 800, 600);
    in.Item = cell;
    in.Items = cells;
    in.MenuButton = FPopupButton;
    AdjustPopupLayout(in);
    const TPopupLayout layout = LayoutPopup(in, n);
    if (layout.Geometry.isEmpty())
        return;

    TPopupWindow* popup = NewPopupWindow();
    FPopupWindow = popup;
    popup->setGeometry(layout.Geometry);

    QStringList entries = FItems.Items();
    if (!FPopupImages)
        for (int k = 0; k < entries.size(); ++k)
            entries[k] = CaptionItem::Make(FItems.Caption(k));

    TCaptionButton* focusItem = nullptr;
    for (int i = 0; i < cells.size(); ++i) {
        const int k = cells.at(i);
        TCaptionButton* item = NewPopupItem(popup);
        item->FOwner = this;
        item->FIsPopupItem = true;
        item->FOperator = FOperator;
        item->FSelection = FSelection;
        item->FLayout = FLayout;
        item->FWordWrap = FWordWrap;
        item->setFont(font());
        item->SetImageList(FImageList);
        item->SetCaptionItems(entries);
        item->SetStateMin(k);
        item->SetStateMax(k);
        item->SetState(k);
        item->SetItemChecked(k, ItemChecked(k));
        item->setGeometry(QRect(layout.CellTopLeft.at(i), cell));
        const bool highlighted = (!FPopupButton && FItemIndex == k) || ItemChecked(k);
        StylePopupItem(item, highlighted);
        if (highlighted && !focusItem)
            focusItem = item;
        popup->SBList << item;
        popup->SBItems << k;
    }
    // The key stays down while its pop-up is open, so the operator sees where it belongs.
    SetPressed(true);
    popup->show();
    popup->raise();
    popup->activateWindow();
    if (focusItem)
        focusItem->setFocus();
    else
        popup->setFocus();
}

void TCaptionButton::ClosePopup() {
    if (TPopupWindow* popup = FPopupWindow) {
        FPopupWindow = nullptr;
        popup->hide();
        popup->deleteLater();
    }
    SetPressed(false);
}

bool TCaptionButton::event(QEvent* e) {
    if (e->type() == UM_POPUPCLOSE) {
        auto* request = static_cast<TPopupCloseEvent*>(e);
        if (!FPopupWindow || request->Popup != FPopupWindow)
            return true; // about a pop-up already gone
        if (request->Unconditional || !FSuppressClick)
            ClosePopup();
        FSuppressClick = false;
        return true;
    }
    if (e->type() == UM_POPUPCHOSEN) {
        Q_EMIT Click();
        return true;
    }
    return QWidget::event(e);
}

void TCaptionButton::mousePressEvent(QMouseEvent* e) {
    if (IsPopupOpen()) {
        // A tap on the owner while its pop-up is open closes the pop-up and must not
        // reopen it on release, whatever order the platform reports the deactivation in.
        if (!FPopupWindow->geometry().contains(e->globalPosition().toPoint())) {
            FSuppressClick = true;
            ClosePopup();
        }
    } else if (FSelection == fsNone && e->button() == Qt::LeftButton) {
        FPushed = true;
        update();
    }
    Q_EMIT MouseDown(e->button(), e->position().toPoint());
}

void TCaptionButton::mouseReleaseEvent(QMouseEvent* e) {
    Q_EMIT MouseUp(e->button(), e->position().toPoint());
    const bool wasPushed = FPushed;
    FPushed = false;
    if (FSuppressClick) {
        if (FItems.Count() == 0)
            SetPressed(false);
    } else if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) &&
               (wasPushed || FSelection != fsNone)) {
        // A finger that slides off the key before lifting cancels the tap.
        PerformClick();
    }
    FSuppressClick = false;
    update();
}

void TCaptionButton::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        PerformClick();
        if (TPopupWindow* popup = FPopupWindow) {
            popup->activateWindow();
            QWidget* target = popup->SBList.isEmpty() ? static_cast<QWidget*>(popup) : popup->SBList.first();
            for (TCaptionButton* item : popup->SBList)
                if (item->Pressed()) {
                    target = item;
                    break;
                }
            target->setFocus();
        }
        return;
    }
    QWidget::keyPressEvent(e);
}

void TCaptionButton::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    Q_EMIT Resized();
}
