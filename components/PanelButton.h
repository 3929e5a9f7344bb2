#pragma once
#include "CaptionButton.h"

#include <QColor>

// The touch button of all windows and frames: a push button showing the caption and
// picture of its current caption item. Plain, cycling, pop-up and menu buttons are the
// same class with different settings.
//
//   auto* bnF1 = new TPanelButton(pnButtons);
//   bnF1->SetImageList(images->Image32x32L());
//   bnF1->SetCaptionItems({"\"Start Testing all Taps\",27"});
//   connect(bnF1, &TPanelButton::Click, this, &TQelMainForm::bnF1Click);
class TPanelButton : public TCaptionButton {
    Q_OBJECT
public:
    explicit TPanelButton(QWidget* parent = nullptr);

    int PopupElements() const { return FPopupElements; }
    void SetPopupElements(int columns) { FPopupElements = columns; }
    bool ShowPressed() const { return FShowPressed; }
    void SetShowPressed(bool on);
    bool UseBackGroundColor() const { return FUseBackGroundColor; }
    void SetUseBackGroundColor(bool on);
    QColor BackGroundColor() const { return FBackGroundColor; }
    void SetBackGroundColor(const QColor& c);

    QSize sizeHint() const override { return QSize(150, 48); }

protected:
    QString ClassName() const override { return QStringLiteral("TPanelButton"); }
    TPopupWindow* NewPopupWindow() override;
    TCaptionButton* NewPopupItem(TPopupWindow* popup) override;
    void StylePopupItem(TCaptionButton* item, bool highlighted) override;
    void AdjustPopupLayout(TPopupLayoutInput& in) const override;
    void paintEvent(QPaintEvent*) override;

private:
    int FPopupElements = 0;
    bool FShowPressed = false;
    bool FUseBackGroundColor = false;
    QColor FBackGroundColor = QColor(0, 0, 255);
};
