#pragma once
#include <QColor>
#include <QList>
#include <QPointer>
#include <QWidget>

class TCaptionButton;
class TPanelButton;
class TStateButton;

// The borderless stay-on-top window of item buttons that a touch button opens. It sees
// keys first (Escape closes it) and asks its owner to close it when it loses the
// activation, so that tapping anywhere else dismisses it.
class TPopupWindow : public QWidget {
    Q_OBJECT
public:
    TPopupWindow(TCaptionButton* owner, const QColor& colour);

    TCaptionButton* Owner() const { return FOwner; }
    // The item buttons in order; SBItems holds the item number of each.
    QList<TCaptionButton*> SBList;
    QList<int> SBItems;
    // The button of item k, or null when that item has no cell.
    TCaptionButton* ItemButton(int k) const;

protected:
    void changeEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void RequestClose();
    QPointer<TCaptionButton> FOwner;
    QColor FColour;
};

// The pop-up of a TPanelButton: light grey, like a themed menu.
class TPopupPanelForm : public TPopupWindow {
    Q_OBJECT
public:
    explicit TPopupPanelForm(TPanelButton* owner);
    TPanelButton* PanelBtn() const;
};

// The pop-up of a TStateButton: grey behind the gradient keys.
class TPopupPanel : public TPopupWindow {
    Q_OBJECT
public:
    explicit TPopupPanel(TStateButton* owner);
    TStateButton* StateBtn() const;
};
