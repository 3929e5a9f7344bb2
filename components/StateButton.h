#pragma once
#include "CaptionButton.h"

#include <QColor>

// The gradient-faced twin of TPanelButton used on the live display and the 8-bit
// keyboards: same caption items and pop-ups, drawn as a panel with a gradient face,
// a picture box and a caption. Its pop-up items show ticks by colour.
class TStateButton : public TCaptionButton {
    Q_OBJECT
public:
    explicit TStateButton(QWidget* parent = nullptr);

    bool CenterColor() const { return FCenterColor; }
    void SetCenterColor(bool on);
    double ColorScale() const { return FColorScale; }
    void SetColorScale(double scale);
    QColor GradientStart() const { return FStart; }
    void SetGradientStart(const QColor& c);
    QColor GradientMid() const; // the system button face until set
    void SetGradientMid(const QColor& c);
    QColor GradientEnd() const { return FEnd; }
    void SetGradientEnd(const QColor& c);
    QColor DisabledTextColor() const { return FDisabledTextColor; }
    void SetDisabledTextColor(const QColor& c);

    // The picture box: 32 × 32 until an image list is set, then the list's picture size.
    QSize PictureBoxSize() const;
    // Where picture and caption go for the current layout (the caption's rectangle).
    QRect PictureRect() const;
    QRect CaptionRect() const;

    QSize sizeHint() const override { return QSize(150, 48); }

protected:
    QString ClassName() const override { return QStringLiteral("TStateButton"); }
    TPopupWindow* NewPopupWindow() override;
    TCaptionButton* NewPopupItem(TPopupWindow* popup) override;
    void StylePopupItem(TCaptionButton* item, bool highlighted) override;
    QSize PopupItemSize() const override;
    void AdjustPopupLayout(TPopupLayoutInput& in) const override;
    bool CountsCell(int) const override { return true; }
    void NotifyItemChosen(TCaptionButton* owner) override;
    void ClosePopupOf(TCaptionButton* owner) override;
    bool MenuNoneTicks() const override { return true; }
    bool IgnoresClickWithoutState() const override { return true; }
    void ShowTick(TCaptionButton* item, bool on) override;
    void StateApplied(int v, bool inRange) override;
    void paintEvent(QPaintEvent*) override;

private:
    void TakeColours(const TStateButton& owner, bool own);

    bool FCenterColor = true;
    double FColorScale = 1.0;
    QColor FStart = Qt::white;
    QColor FMid;
    QColor FEnd = QColor(0x80, 0x80, 0x80);
    QColor FDisabledTextColor;
    bool FPictureVisible = true;
};

// Captions are Unicode throughout, so the wide twin is the same class.
using TTntStateButton = TStateButton;
