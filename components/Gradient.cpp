#include "Gradient.h"

#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <cmath>
#include <vector>

QColor Lighten(const QColor& c, int amount) {
    return QColor(std::min(c.red() + amount, 200), std::min(c.green() + amount, 200),
                  std::min(c.blue() + amount, 200));
}

QColor ScaleColor(const QColor& c, double f) {
    auto ch = [f](int v) { return std::clamp(int(std::lround(v * f)), 0, 255); };
    return QColor(ch(c.red()), ch(c.green()), ch(c.blue()));
}

namespace {

struct TRgb {
    int R, G, B;
};
TRgb Rgb(const QColor& c) {
    return {c.red(), c.green(), c.blue()};
}

// One channel moving from `from` towards `to` by `perStep` per step, never past `to`.
int Ramp(int from, int to, double steps, double perStepFactor) {
    const double v = from + steps * perStepFactor * (to - from);
    return int(from <= to ? std::min<double>(v, to) : std::max<double>(v, to));
}

TRgb RampRgb(TRgb from, TRgb to, double steps, double factor) {
    return {Ramp(from.R, to.R, steps, factor), Ramp(from.G, to.G, steps, factor),
            Ramp(from.B, to.B, steps, factor)};
}

// The edge-to-middle ramp across a length: from start at the low edge and from end at the
// high edge, both reaching the middle colour at the same distance.
TRgb CenterRamp(int i, int length, TRgb start, TRgb mid, TRgb end, double scale) {
    const double factor = 2.0 * scale / std::max(length, 1);
    if (i <= length / 2)
        return RampRgb(start, mid, i, factor);
    return RampRgb(end, mid, length - i + 1, factor);
}

} // namespace

QImage RenderGradient(QSize size, const TGradientSpec& spec) {
    QImage image(size, QImage::Format_RGB32);
    if (size.isEmpty())
        return image;
    const int W = size.width();
    const int H = size.height();
    const TRgb start = Rgb(spec.Start), mid = Rgb(spec.Mid), end = Rgb(spec.End);
    if (spec.Start == spec.Mid && spec.Mid == spec.End) {
        image.fill(spec.Start);
        return image;
    }
    auto put = [&](int x, int y, TRgb c) {
        reinterpret_cast<QRgb*>(image.scanLine(y))[x] = qRgb(c.R, c.G, c.B);
    };
    if (!spec.CenterColor) {
        for (int y = 0; y < H; ++y) {
            const TRgb c{start.R + y * (mid.R - start.R) / H, start.G + y * (mid.G - start.G) / H,
                         start.B + y * (mid.B - start.B) / H};
            for (int x = 0; x < W; ++x)
                put(x, y, c);
        }
        return image;
    }
    const double scale = spec.ColorScale;
    switch (spec.Mode) {
    case gmVertical:
        for (int y = 0; y < H; ++y) {
            const TRgb c = CenterRamp(y, H, start, mid, end, scale);
            for (int x = 0; x < W; ++x)
                put(x, y, c);
        }
        break;
    case gmHorizontal:
        for (int x = 0; x < W; ++x) {
            TRgb c;
            if (spec.SplitAtMidPos) {
                const double part = std::max(1.0, W * spec.MidPos);
                const double rest = std::max(1.0, W - part);
                c = x < part ? RampRgb(start, mid, x, scale / part)
                             : RampRgb(mid, end, x - part, (scale != 0 ? 1.0 / scale : 1.0) / rest);
            } else {
                c = CenterRamp(x, W, start, mid, end, scale);
            }
            for (int y = 0; y < H; ++y)
                put(x, y, c);
        }
        break;
    case gmBoth: {
        // The ramp along the longer side is steepened so both reach the middle colour
        // at the same distance from the edge.
        const double hScale = W > H ? scale * W / std::max(H, 1) : scale;
        const double vScale = H > W ? scale * H / std::max(W, 1) : scale;
        std::vector<TRgb> columns(static_cast<size_t>(W));
        for (int x = 0; x < W; ++x)
            columns[size_t(x)] = CenterRamp(x, W, start, mid, end, hScale);
        for (int y = 0; y < H; ++y) {
            const TRgb v = CenterRamp(y, H, start, mid, end, vScale);
            for (int x = 0; x < W; ++x) {
                const TRgb h = columns[size_t(x)];
                put(x, y, {(h.R + v.R) / 2, (h.G + v.G) / 2, (h.B + v.B) / 2});
            }
        }
        break;
    }
    }
    return image;
}

void PaintGradient(QPainter& p, const QRect& r, const TGradientSpec& spec) {
    if (r.isEmpty())
        return;
    p.drawImage(r.topLeft(), RenderGradient(r.size(), spec));
    const int fw = spec.FrameWidth;
    if (fw <= 0)
        return;
    const QColor light = spec.BevelMode != 0 ? QColor(Qt::black) : spec.Start;
    const QColor dark = spec.BevelMode != 0 ? QColor(Qt::white) : spec.End;
    p.fillRect(QRect(r.left(), r.top(), r.width(), fw), light);
    p.fillRect(QRect(r.left(), r.top(), fw, r.height()), light);
    p.fillRect(QRect(r.left(), r.bottom() - fw, r.width(), fw + 1), dark);
    p.fillRect(QRect(r.right() - fw, r.top(), fw + 1, r.height()), dark);
}

TExtGradient::TExtGradient(QWidget* parent) : QWidget(parent) {}

TGradientSpec TExtGradient::ResolvedSpec() const {
    TGradientSpec s = FSpec;
    if (!s.Mid.isValid())
        s.Mid = palette().color(QPalette::Button);
    return s;
}

void TExtGradient::SetCenterColor(bool on) {
    FSpec.CenterColor = on;
    update();
}
void TExtGradient::SetBevelMode(int mode) {
    FSpec.BevelMode = mode;
    update();
}
void TExtGradient::SetColorScale(double scale) {
    FSpec.ColorScale = scale;
    update();
}
void TExtGradient::SetGradMode(TGradMode mode) {
    FSpec.Mode = mode;
    update();
}
void TExtGradient::SetGradStart(const QColor& c) {
    FSpec.Start = c;
    update();
}
void TExtGradient::SetGradMid(const QColor& c) {
    FSpec.Mid = c;
    update();
}
void TExtGradient::SetGradEnd(const QColor& c) {
    FSpec.End = c;
    update();
}
void TExtGradient::SetFrameWidth(int w) {
    FSpec.FrameWidth = w;
    update();
}

void TExtGradient::paintEvent(QPaintEvent*) {
    QPainter p(this);
    PaintGradient(p, rect(), ResolvedSpec());
}

TGradient::TGradient(QWidget* parent) : TExtGradient(parent) {
    FSpec.SplitAtMidPos = true;
}

void TGradient::SetGradMidPos(double pos) {
    if (pos < 0.0 || pos > 1.0)
        return;
    FSpec.MidPos = pos;
    update();
}
