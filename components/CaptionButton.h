#pragma once
#include "CaptionItems.h"
#include "GlyphCache.h"
#include "QelImage.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

class TOperatorIFace;
class TPopupWindow;
struct TPopupLayoutInput;

// Private messages between a pop-up and the button that owns it.
constexpr QEvent::Type UM_POPUPCLOSE = QEvent::Type(1824);  // close request
constexpr QEvent::Type UM_POPUPCHOSEN = QEvent::Type(1825); // an item was chosen

// The close request names the pop-up it is about, so that a request that arrives after
// that pop-up is gone (the owner was tapped, then the pop-up lost the activation)
// cannot close a newer one.
class TPopupCloseEvent : public QEvent {
public:
    TPopupCloseEvent(TPopupWindow* popup, bool unconditional);
    QPointer<TPopupWindow> Popup;
    bool Unconditional; // close even while a tap on the owner is in progress
};

// The state machine shared by the touch buttons: a list of caption items of which one is
// shown, cycled through by taps or picked from a pop-up grid of item buttons; in menu
// mode item 0 is a fixed face and the pick is reported; pop-up items can be ticked.
// The two visible kinds (TPanelButton, TStateButton) differ in drawing and a few rules.
class TCaptionButton : public QWidget {
    Q_OBJECT
public:
    explicit TCaptionButton(QWidget* parent = nullptr);
    ~TCaptionButton() override;

    QStringList CaptionItems() const { return FItems.Items(); }
    // Resets the range to all items and applies the current state again.
    void SetCaptionItems(const QStringList& items);

    // In menu mode the picked item, otherwise the item shown.
    int State() const { return FPopupButton ? FPicked : FItemIndex; }
    void SetState(int v);
    int StateMin() const { return FStateMin; }
    void SetStateMin(int v); // outside 0..count-1 is ignored
    int StateMax() const { return FStateMax; }
    void SetStateMax(int v); // outside 0..count-1 is ignored

    bool Popup() const { return FPopup; }
    void SetPopup(bool on) {
        FPopup = on;
        update();
    }
    bool PopupImages() const { return FPopupImages; }
    void SetPopupImages(bool on) { FPopupImages = on; }
    bool PopupButton() const { return FPopupButton; }
    void SetPopupButton(bool on);
    int PopupWidth() const { return FPopupWidth; }
    void SetPopupWidth(int w) { FPopupWidth = w; }
    int PopupHeight() const { return FPopupHeight; }
    void SetPopupHeight(int h) { FPopupHeight = h; }
    bool PopupAutoClose() const { return FPopupAutoClose; }
    void SetPopupAutoClose(bool on) { FPopupAutoClose = on; }
    TSGSelection Selection() const { return FSelection; }
    void SetSelection(TSGSelection s) { FSelection = s; }
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout l);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool on);

    // The picture source; the button forgets it when the list is destroyed.
    TImageList* ImageList() const { return FImageList; }
    void SetImageList(TImageList* list);

    QString Caption() const { return FCaption; }
    void SetCaption(const QString& text);

    // Drawn pressed: the ticked look of a pop-up item, or a key held down by the program.
    bool Pressed() const { return FPressed; }
    void SetPressed(bool on);

    // Item operations.
    QString ItemCaption(int k) const { return FItems.Caption(k); }
    int ItemPicture(int k) const { return FItems.Picture(k); }
    bool ItemChecked(int k) const { return FItems.Checked(k); }
    void SetItemChecked(int k, bool on) { FItems.SetChecked(k, on); }
    QString CompositeCaption() const { return FItems.CompositeCaption(); }
    int ItemIndex() const { return FItemIndex; } // the item shown (0 in menu mode)
    // The picture shown on the face: the current item's, or item 0's on a pop-up key.
    int FacePicture() const;
    bool HasFacePicture() const;

    bool IsPopupOpen() const { return !FPopupWindow.isNull(); }
    TPopupWindow* PopupWindow() const;
    bool IsPopupItem() const { return FIsPopupItem; }
    TCaptionButton* OwnerButton() const { return FOwner; }

    // What a tap does (also the Enter key).
    void PerformClick();
    void ClosePopup();

    // Where the message about an illegal caption item goes; a message box over the button when
    // none is set. The items of a pop-up report to their owner's.
    void SetOperator(TOperatorIFace* op) { FOperator = op; }

Q_SIGNALS:
    void Click();
    void MouseDown(Qt::MouseButton button, QPoint pos);
    void MouseUp(Qt::MouseButton button, QPoint pos);
    void Resized();

protected:
    // What tells the two kinds apart.
    virtual QString ClassName() const = 0;
    virtual TPopupWindow* NewPopupWindow() = 0;
    virtual TCaptionButton* NewPopupItem(TPopupWindow* popup) = 0;
    // Styles a new item like its owner; highlighted items show the owner's current choice.
    virtual void StylePopupItem(TCaptionButton* item, bool highlighted);
    virtual QSize PopupItemSize() const;
    virtual void AdjustPopupLayout(TPopupLayoutInput& in) const;
    virtual bool CountsCell(int k) const;
    // The owner learns that an item was chosen.
    virtual void NotifyItemChosen(TCaptionButton* owner);
    virtual void ClosePopupOf(TCaptionButton* owner);
    virtual bool MenuNoneTicks() const { return false; }
    virtual bool IgnoresClickWithoutState() const { return false; }
    // A ticked or released pop-up item shows its new look.
    virtual void ShowTick(TCaptionButton* item, bool on);
    // The state was applied (v may lie outside the items).
    virtual void StateApplied(int v, bool inRange);

    // Drawing helpers for the subclasses.
    bool IsDrawnDown() const { return FPushed || FPressed; }
    QPixmap FacePixmap();

    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void ApplyState(int v);
    void OpenPopup();
    void ItemClicked();
    void ReportIllegal(const QString& line) const;

    TCaptionItemList FItems;
    int FItemIndex = 0;
    int FPicked = 0;
    int FStateMin = 0;
    int FStateMax = 0;
    bool FPopup = false;
    bool FPopupImages = true;
    bool FPopupButton = false;
    int FPopupWidth = 0;
    int FPopupHeight = 0;
    bool FPopupAutoClose = false;
    TSGSelection FSelection = fsNone;
    TButtonLayout FLayout = blGlyphLeft;
    bool FWordWrap = false;
    QPointer<TImageList> FImageList;
    QMetaObject::Connection FImageListGone;
    TOperatorIFace* FOperator = nullptr;
    QString FCaption;
    bool FPressed = false;
    bool FPushed = false;        // held down by the operator's finger
    bool FSuppressClick = false; // this tap closed the pop-up; it must not open it again
    QPointer<TPopupWindow> FPopupWindow;
    QPointer<TCaptionButton> FOwner;
    bool FIsPopupItem = false;
    TGlyphSlot FGlyph;
};
