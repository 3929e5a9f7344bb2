#pragma once
#include "Gradient.h"

#include <QPalette>

// A key cap of the on-screen keyboards: a gradient face with a caption that can be
// rotated, a small shift caption in the corner and a pressed look while touched.
class TExtStaticText : public TExtGradient {
    Q_OBJECT
public:
    explicit TExtStaticText(QWidget* parent = nullptr);

    // Until a caption is given the key shows its name, as a designer would see it.
    QString Caption() const { return FCaptionSet ? FCaption : objectName(); }
    void SetCaption(const QString& text);
    int Angle() const { return FAngle; }
    void SetAngle(int degrees); // 0, 90, 180 or 270; other values are ignored
    bool CenterText() const { return FCenterText; }
    void SetCenterText(bool on);
    bool IsPressed() const { return FIsPressed; }
    void SetIsPressed(bool on);
    int XPos() const { return FXPos; }
    void SetXPos(int x);
    int YPos() const { return FYPos; }
    void SetYPos(int y);
    QString ShiftCaption() const { return FShiftCaption; }
    void SetShiftCaption(const QString& text);
    int ShFontSize() const { return FShFontSize; }
    void SetShFontSize(int points);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool on);
    QColor DisabledTextColor() const { return FDisabledTextColor; }
    void SetDisabledTextColor(const QColor& c);

    // The caption's colour while enabled (yellow on the red alarm field, for example).
    QColor FontColor() const { return palette().color(QPalette::WindowText); }
    void SetFontColor(const QColor& c);

    // Where the caption's baseline starts for the current size, angle and font.
    QPoint TextPosition() const;

Q_SIGNALS:
    void Click();
    void MouseDown(Qt::MouseButton button, QPoint pos);
    void MouseUp(Qt::MouseButton button, QPoint pos);
    // While held: lets a title bar made of a key cap drag its window.
    void MouseMove(Qt::MouseButtons buttons, QPoint pos);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    QString FCaption;
    bool FCaptionSet = false;
    int FAngle = 0;
    bool FCenterText = true;
    bool FIsPressed = false;
    int FXPos = -1;
    int FYPos = -1;
    QString FShiftCaption;
    int FShFontSize = 8;
    bool FReadOnly = false;
    QColor FDisabledTextColor;
};

// Captions are Unicode throughout, so the wide key cap is the same class.
using TTntExtStaticText = TExtStaticText;
