#pragma once
#include <QColor>
#include <QImage>
#include <QWidget>

class QPainter;

enum TGradMode { gmVertical, gmHorizontal, gmBoth };

// Colours of the gradient faces. System colours are resolved (QPalette) before these apply.
QColor Lighten(const QColor& c, int amount);  // each channel + amount, at most 200
QColor ScaleColor(const QColor& c, double f); // each channel × f, rounded, at most 255

struct TGradientSpec {
    QColor Start = Qt::white;
    QColor Mid; // the system button face when invalid
    QColor End = QColor(0x80, 0x80, 0x80);
    bool CenterColor = false; // light edges ramping into the middle colour
    double ColorScale = 1.0;
    TGradMode Mode = gmBoth;
    int FrameWidth = 0;
    int BevelMode = 0; // not 0: black top-left and white bottom-right frame
    // A horizontal gradient split at MidPos of the width (start to mid, then mid to end).
    bool SplitAtMidPos = false;
    double MidPos = 0.5;
};

// The gradient of a face as an image of the given size (frame not included).
QImage RenderGradient(QSize size, const TGradientSpec& spec);
// Gradient plus the frame, into r.
void PaintGradient(QPainter& p, const QRect& r, const TGradientSpec& spec);

// A painted gradient area: the face of key caps and title bars.
class TExtGradient : public QWidget {
    Q_OBJECT
public:
    explicit TExtGradient(QWidget* parent = nullptr);

    bool CenterColor() const { return FSpec.CenterColor; }
    void SetCenterColor(bool on);
    int BevelMode() const { return FSpec.BevelMode; }
    void SetBevelMode(int mode);
    double ColorScale() const { return FSpec.ColorScale; }
    void SetColorScale(double scale);
    TGradMode GradMode() const { return FSpec.Mode; }
    void SetGradMode(TGradMode mode);
    QColor GradStart() const { return FSpec.Start; }
    void SetGradStart(const QColor& c);
    QColor GradMid() const { return FSpec.Mid; }
    void SetGradMid(const QColor& c);
    QColor GradEnd() const { return FSpec.End; }
    void SetGradEnd(const QColor& c);
    int FrameWidth() const { return FSpec.FrameWidth; }
    void SetFrameWidth(int w);

protected:
    void paintEvent(QPaintEvent*) override;
    // The colours in force, with system colours resolved.
    TGradientSpec ResolvedSpec() const;
    TGradientSpec FSpec;
};

// The same painter with a movable middle for horizontal bars, under the colour names
// its forms use.
class TGradient : public TExtGradient {
    Q_OBJECT
public:
    explicit TGradient(QWidget* parent = nullptr);

    QColor GradientStart() const { return GradStart(); }
    void SetGradientStart(const QColor& c) { SetGradStart(c); }
    QColor GradientMid() const { return GradMid(); }
    void SetGradientMid(const QColor& c) { SetGradMid(c); }
    QColor GradientEnd() const { return GradEnd(); }
    void SetGradientEnd(const QColor& c) { SetGradEnd(c); }
    double GradMidPos() const { return FSpec.MidPos; }
    void SetGradMidPos(double pos); // outside 0..1 is ignored
};
