// The application's numbered pictures, drawn as vectors so that every size of image list
// gets a sharp picture. Each picture is drawn on a 32 × 32 grid that is scaled to the
// target rectangle.
#include "QelImage.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <map>

namespace {

const QColor Outline(70, 70, 70);
const QColor Paper(255, 255, 255);
const QColor Green(46, 158, 62);
const QColor Red(211, 47, 47);
const QColor Blue(30, 99, 198);
const QColor FolderYellow(242, 193, 78);
const QColor FolderDark(214, 160, 40);
const QColor Steel(120, 130, 140);

QPen Line(const QColor& c, qreal w) {
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Document(QPainter& p, const QRectF& r, bool lines = true) {
    const qreal fold = r.width() * 0.3;
    QPolygonF page;
    page << r.topLeft() << QPointF(r.right() - fold, r.top()) << QPointF(r.right(), r.top() + fold)
         << r.bottomRight() << r.bottomLeft();
    p.setPen(Line(Outline, 1.5));
    p.setBrush(Paper);
    p.drawPolygon(page);
    QPolygonF corner;
    corner << QPointF(r.right() - fold, r.top()) << QPointF(r.right() - fold, r.top() + fold)
           << QPointF(r.right(), r.top() + fold);
    p.setBrush(QColor(220, 220, 220));
    p.drawPolygon(corner);
    if (lines) {
        p.setPen(Line(QColor(150, 150, 150), 1.2));
        for (qreal y = r.top() + fold + 3; y < r.bottom() - 2; y += 3.5)
            p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    }
}

void Folder(QPainter& p, const QRectF& r, bool open = false) {
    QPainterPath back;
    back.moveTo(r.left(), r.bottom());
    back.lineTo(r.left(), r.top());
    back.lineTo(r.left() + r.width() * 0.35, r.top());
    back.lineTo(r.left() + r.width() * 0.45, r.top() + r.height() * 0.15);
    back.lineTo(r.right(), r.top() + r.height() * 0.15);
    back.lineTo(r.right(), r.bottom());
    back.closeSubpath();
    p.setPen(Line(Outline, 1.5));
    p.setBrush(FolderDark);
    p.drawPath(back);
    QPolygonF front;
    if (open)
        front << QPointF(r.left() + r.width() * 0.18, r.top() + r.height() * 0.38)
              << QPointF(r.right() + r.width() * 0.08, r.top() + r.height() * 0.38) << r.bottomRight()
              << r.bottomLeft();
    else
        front << QPointF(r.left(), r.top() + r.height() * 0.3)
              << QPointF(r.right(), r.top() + r.height() * 0.3) << r.bottomRight() << r.bottomLeft();
    p.setBrush(FolderYellow);
    p.drawPolygon(front);
}

void Floppy(QPainter& p, const QRectF& r) {
    QPolygonF body;
    body << r.topLeft() << QPointF(r.right() - r.width() * 0.15, r.top())
         << QPointF(r.right(), r.top() + r.height() * 0.15) << r.bottomRight() << r.bottomLeft();
    p.setPen(Line(Outline, 1.5));
    p.setBrush(Blue);
    p.drawPolygon(body);
    p.setBrush(QColor(225, 230, 235));
    p.drawRect(QRectF(r.left() + r.width() * 0.22, r.top(), r.width() * 0.5, r.height() * 0.32));
    p.setBrush(Blue.darker(130));
    p.drawRect(QRectF(r.left() + r.width() * 0.52, r.top() + r.height() * 0.05, r.width() * 0.12,
                      r.height() * 0.22));
    p.setBrush(Paper);
    p.drawRect(
        QRectF(r.left() + r.width() * 0.15, r.top() + r.height() * 0.5, r.width() * 0.7, r.height() * 0.5));
}

void Cross(QPainter& p, QPointF c, qreal s, const QColor& colour = Red, qreal w = 4) {
    p.setPen(Line(colour, w));
    p.drawLine(c + QPointF(-s, -s), c + QPointF(s, s));
    p.drawLine(c + QPointF(-s, s), c + QPointF(s, -s));
}

void Check(QPainter& p, QPointF c, qreal s, const QColor& colour = Green, qreal w = 4.5) {
    p.setPen(Line(colour, w));
    p.setBrush(Qt::NoBrush);
    QPolygonF tick;
    tick << c + QPointF(-s, 0) << c + QPointF(-s * 0.35, s * 0.7) << c + QPointF(s, -s * 0.8);
    p.drawPolyline(tick);
}

// A round badge in a corner that tells what a command does to the main picture.
enum class TBadge { Plus, Minus, Cross, Up, Down };
void Badge(QPainter& p, QPointF c, TBadge kind, qreal r = 7) {
    const QColor fill = kind == TBadge::Plus || kind == TBadge::Up || kind == TBadge::Down ? Green : Red;
    p.setPen(Line(Paper, 1.5));
    p.setBrush(fill);
    p.drawEllipse(c, r, r);
    p.setPen(Line(Paper, 2.6));
    const qreal s = r * 0.55;
    switch (kind) {
    case TBadge::Plus:
        p.drawLine(c + QPointF(-s, 0), c + QPointF(s, 0));
        p.drawLine(c + QPointF(0, -s), c + QPointF(0, s));
        break;
    case TBadge::Minus:
        p.drawLine(c + QPointF(-s, 0), c + QPointF(s, 0));
        break;
    case TBadge::Cross:
        p.drawLine(c + QPointF(-s * 0.8, -s * 0.8), c + QPointF(s * 0.8, s * 0.8));
        p.drawLine(c + QPointF(-s * 0.8, s * 0.8), c + QPointF(s * 0.8, -s * 0.8));
        break;
    case TBadge::Up:
    case TBadge::Down: {
        const qreal d = kind == TBadge::Up ? -1 : 1;
        p.drawLine(c + QPointF(0, -s * d), c + QPointF(0, s * d));
        p.drawLine(c + QPointF(0, s * d), c + QPointF(-s, 0));
        p.drawLine(c + QPointF(0, s * d), c + QPointF(s, 0));
        break;
    }
    }
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour, qreal w = 3.5) {
    p.setPen(Line(colour, w));
    p.drawLine(from, to);
    const qreal a = qAtan2(to.y() - from.y(), to.x() - from.x());
    const qreal head = w * 2.2;
    QPolygonF tip;
    tip << to + QPointF(qCos(a) * w * 0.6, qSin(a) * w * 0.6)
        << to - QPointF(qCos(a - 0.6) * head, qSin(a - 0.6) * head)
        << to - QPointF(qCos(a + 0.6) * head, qSin(a + 0.6) * head);
    p.setPen(Line(colour, 1));
    p.setBrush(colour);
    p.drawPolygon(tip);
}

void Table(QPainter& p, const QRectF& r, int rows = 4, int columns = 3) {
    p.setPen(Line(Outline, 1.5));
    p.setBrush(Paper);
    p.drawRect(r);
    p.setBrush(QColor(170, 200, 240));
    p.drawRect(QRectF(r.left(), r.top(), r.width(), r.height() / rows));
    p.setPen(Line(QColor(140, 140, 140), 1));
    for (int i = 2; i < rows; ++i) {
        const qreal y = r.top() + r.height() * i / rows;
        p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
    }
    for (int i = 1; i < columns; ++i) {
        const qreal x = r.left() + r.width() * i / columns;
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
    }
}

void ListLines(QPainter& p, const QRectF& r, int lines = 4) {
    p.setPen(Line(Outline, 1.5));
    p.setBrush(Paper);
    p.drawRoundedRect(r, 2, 2);
    for (int i = 0; i < lines; ++i) {
        const qreal y = r.top() + r.height() * (i + 1) / (lines + 1);
        p.setPen(Line(Blue, 2.2));
        p.drawPoint(QPointF(r.left() + 4, y));
        p.setPen(Line(QColor(110, 110, 110), 1.6));
        p.drawLine(QPointF(r.left() + 7, y), QPointF(r.right() - 3, y));
    }
}

void Printer(QPainter& p, const QRectF& r) {
    p.setPen(Line(Outline, 1.5));
    p.setBrush(Paper);
    p.drawRect(QRectF(r.left() + r.width() * 0.2, r.top(), r.width() * 0.6, r.height() * 0.45));
    p.setBrush(QColor(150, 155, 165));
    p.drawRoundedRect(QRectF(r.left(), r.top() + r.height() * 0.35, r.width(), r.height() * 0.4), 2, 2);
    p.setBrush(Paper);
    p.drawRect(
        QRectF(r.left() + r.width() * 0.2, r.top() + r.height() * 0.62, r.width() * 0.6, r.height() * 0.38));
    p.setPen(Line(QColor(120, 120, 120), 1.2));
    for (int i = 1; i <= 2; ++i) {
        const qreal y = r.top() + r.height() * (0.62 + 0.12 * i);
        p.drawLine(QPointF(r.left() + r.width() * 0.3, y), QPointF(r.right() - r.width() * 0.3, y));
    }
    p.setPen(Line(Green, 2.4));
    p.drawPoint(QPointF(r.right() - r.width() * 0.12, r.top() + r.height() * 0.47));
}

void Bars(QPainter& p, const QRectF& r) {
    p.setPen(Line(Outline, 1.5));
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    const qreal heights[] = {0.45, 0.8, 0.6, 0.95};
    const QColor colours[] = {Blue, Green, QColor(240, 170, 30), Red};
    const qreal bw = r.width() / 5.0;
    for (int i = 0; i < 4; ++i) {
        const qreal h = (r.height() - 2) * heights[i];
        p.setPen(Line(colours[i].darker(130), 1));
        p.setBrush(colours[i]);
        p.drawRect(QRectF(r.left() + 2 + i * (bw + 1), r.bottom() - h, bw, h));
    }
}

void Curve(QPainter& p, const QRectF& r) {
    p.setPen(Line(Outline, 1.5));
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    // The green band between the limits, and a measured curve within it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 255, 128, 170));
    p.drawRect(QRectF(r.left() + 1, r.top() + r.height() * 0.3, r.width() - 1, r.height() * 0.4));
    p.setBrush(QColor(253, 255, 164, 200));
    p.drawRect(QRectF(r.left() + 1, r.top() + r.height() * 0.15, r.width() - 1, r.height() * 0.15));
    p.drawRect(QRectF(r.left() + 1, r.top() + r.height() * 0.7, r.width() - 1, r.height() * 0.15));
    QPolygonF curve;
    for (int i = 0; i <= 8; ++i)
        curve << QPointF(r.left() + 2 + (r.width() - 4) * i / 8.0,
                         r.center().y() + qSin(i * 0.8) * r.height() * 0.22);
    p.setPen(Line(Blue, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(curve);
}

void Circle(QPainter& p, QPointF c, qreal r, const QColor& fill) {
    p.setPen(Line(fill.darker(140), 1.5));
    p.setBrush(fill);
    p.drawEllipse(c, r, r);
}

void Glyph(QPainter& p, const QRectF& r, const QString& text, const QColor& colour, qreal size,
           bool bold = true) {
    QFont f = p.font();
    f.setPixelSize(qMax(1, qRound(size)));
    f.setBold(bold);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

void Monitor(QPainter& p, const QRectF& r) {
    p.setPen(Line(Outline, 1.5));
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(QRectF(r.left(), r.top(), r.width(), r.height() * 0.72), 2, 2);
    p.setBrush(QColor(120, 180, 240));
    p.drawRect(QRectF(r.left() + 3, r.top() + 3, r.width() - 6, r.height() * 0.72 - 6));
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(QRectF(r.center().x() - 3, r.top() + r.height() * 0.72, 6, r.height() * 0.15));
    p.drawRect(QRectF(r.center().x() - 9, r.bottom() - r.height() * 0.13, 18, r.height() * 0.13));
}

void Instrument(QPainter& p, const QRectF& r) {
    p.setPen(Line(Outline, 1.5));
    p.setBrush(QColor(235, 120, 40));
    p.drawRoundedRect(r, 3, 3);
    p.setBrush(QColor(200, 230, 200));
    p.drawRect(QRectF(r.left() + 3, r.top() + 3, r.width() - 6, r.height() * 0.45));
    p.setBrush(QColor(60, 60, 60));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(r.left() + r.width() * (0.25 + 0.25 * i), r.bottom() - r.height() * 0.22), 1.8,
                      1.8);
}

// Two windings on a core: the symbol of the transformer under test.
void Coils(QPainter& p, const QRectF& r, int windings, bool thirdOn = true) {
    const qreal radius = r.width() / (windings == 3 ? 4.4 : 3.4);
    QList<QPointF> centres;
    if (windings == 3)
        centres << QPointF(r.center().x(), r.top() + radius)
                << QPointF(r.left() + radius, r.bottom() - radius)
                << QPointF(r.right() - radius, r.bottom() - radius);
    else
        centres << QPointF(r.left() + radius * 1.15, r.center().y())
                << QPointF(r.right() - radius * 1.15, r.center().y());
    const QColor colours[] = {Blue, Red, Green};
    for (int i = 0; i < centres.size(); ++i) {
        const bool off = i == 2 && !thirdOn;
        p.setPen(QPen(off ? QColor(160, 160, 160) : colours[i], 2.6, off ? Qt::DashLine : Qt::SolidLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centres[i], radius, radius);
    }
}

void Wrench(QPainter& p, const QRectF& r) {
    p.save();
    p.translate(r.center());
    p.rotate(45);
    const qreal L = r.width() * 0.95;
    p.setPen(Line(Outline, 1.5));
    p.setBrush(Steel);
    p.drawRoundedRect(QRectF(-L / 2 + 7, -2.5, L - 9, 5), 2, 2);
    QPainterPath head;
    head.addEllipse(QPointF(-L / 2 + 5, 0), 6.5, 6.5);
    QPainterPath jaw;
    jaw.addRect(QRectF(-L / 2 - 3, -2.5, 8, 5));
    p.drawPath(head.subtracted(jaw));
    p.restore();
}

void Trash(QPainter& p, const QRectF& r) {
    p.setPen(Line(Outline, 1.5));
    p.setBrush(QColor(170, 175, 185));
    QPolygonF bin;
    bin << QPointF(r.left() + r.width() * 0.12, r.top() + r.height() * 0.22)
        << QPointF(r.right() - r.width() * 0.12, r.top() + r.height() * 0.22)
        << QPointF(r.right() - r.width() * 0.2, r.bottom())
        << QPointF(r.left() + r.width() * 0.2, r.bottom());
    p.drawPolygon(bin);
    p.drawRoundedRect(QRectF(r.left(), r.top() + r.height() * 0.1, r.width(), r.height() * 0.12), 1, 1);
    p.drawRect(QRectF(r.center().x() - r.width() * 0.15, r.top(), r.width() * 0.3, r.height() * 0.1));
    p.setPen(Line(QColor(90, 90, 100), 1.4));
    for (int i = -1; i <= 1; ++i)
        p.drawLine(QPointF(r.center().x() + i * r.width() * 0.2, r.top() + r.height() * 0.35),
                   QPointF(r.center().x() + i * r.width() * 0.16, r.bottom() - r.height() * 0.1));
}

void Meter(QPainter& p, const QRectF& r) {
    p.setPen(Line(Outline, 1.5));
    p.setBrush(Paper);
    p.drawRoundedRect(r, 3, 3);
    const QPointF c(r.center().x(), r.bottom() - r.height() * 0.18);
    const qreal radius = r.width() * 0.38;
    p.setPen(Line(Green, 2.4));
    p.drawArc(QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius), 90 * 16, 60 * 16);
    p.setPen(Line(QColor(240, 170, 30), 2.4));
    p.drawArc(QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius), 150 * 16, 15 * 16);
    p.setPen(Line(Red, 2.4));
    p.drawArc(QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius), 30 * 16, 60 * 16);
    p.setPen(Line(Outline, 2));
    p.drawLine(c, c + QPointF(radius * 0.85 * qCos(qDegreesToRadians(115.0)),
                              -radius * 0.85 * qSin(qDegreesToRadians(115.0))));
    p.setBrush(Outline);
    p.drawEllipse(c, 1.8, 1.8);
}

void Play(QPainter& p, const QRectF& r, const QColor& colour = Green) {
    QPolygonF tri;
    tri << r.topLeft() << QPointF(r.right(), r.center().y()) << r.bottomLeft();
    p.setPen(Line(colour.darker(140), 1.5));
    p.setBrush(colour);
    p.drawPolygon(tri);
}

// A clock face with the reference phase at twelve and the hand at the clock number,
// the usual way to show the phase displacement of a vector group.
void ClockFace(QPainter& p, const QRectF& r, int clock) {
    const QPointF c = r.center();
    const qreal radius = r.width() / 2 - 1.5;
    p.setPen(Line(Outline, 1.5));
    p.setBrush(QColor(250, 250, 245));
    p.drawEllipse(c, radius, radius);
    for (int h = 0; h < 12; ++h) {
        const qreal a = qDegreesToRadians(h * 30.0);
        const qreal inner = h % 3 == 0 ? radius - 5 : radius - 3.5;
        p.setPen(Line(h % 3 == 0 ? Outline : QColor(140, 140, 140), h % 3 == 0 ? 1.8 : 1.2));
        p.drawLine(c + QPointF(qSin(a) * inner, -qCos(a) * inner),
                   c + QPointF(qSin(a) * (radius - 1.5), -qCos(a) * (radius - 1.5)));
    }
    // The reference (high-voltage) phase: a blue marker at twelve.
    QPolygonF ref;
    ref << c + QPointF(0, -radius + 1) << c + QPointF(-3, -radius - 2.5) << c + QPointF(3, -radius - 2.5);
    p.setPen(Line(Blue, 1));
    p.setBrush(Blue);
    p.drawPolygon(ref);
    if (clock >= 0) {
        const qreal a = qDegreesToRadians(clock * 30.0);
        p.setPen(Line(Red, 3));
        p.drawLine(c, c + QPointF(qSin(a) * (radius - 4), -qCos(a) * (radius - 4)));
    }
    p.setPen(Line(Outline, 1));
    p.setBrush(Outline);
    p.drawEllipse(c, 1.8, 1.8);
}

void Eye(QPainter& p, const QRectF& r) {
    QPainterPath eye;
    eye.moveTo(r.left(), r.center().y());
    eye.quadTo(r.center().x(), r.top() - r.height() * 0.2, r.right(), r.center().y());
    eye.quadTo(r.center().x(), r.bottom() + r.height() * 0.2, r.left(), r.center().y());
    p.setPen(Line(Outline, 1.5));
    p.setBrush(Paper);
    p.drawPath(eye);
    Circle(p, r.center(), r.height() * 0.32, Blue);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(r.center(), r.height() * 0.13, r.height() * 0.13);
}

void Clipboard(QPainter& p, const QRectF& r) {
    p.setPen(Line(Outline, 1.5));
    p.setBrush(QColor(190, 140, 80));
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(Paper);
    p.drawRect(r.adjusted(3, 4, -3, -2));
    p.setBrush(Steel);
    p.drawRoundedRect(QRectF(r.center().x() - 5, r.top() - 2, 10, 5), 1.5, 1.5);
}

// The sparkle of something new.
void Star(QPainter& p, QPointF c, qreal r) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal a = qDegreesToRadians(i * 36.0 - 90);
        const qreal d = i % 2 == 0 ? r : r * 0.45;
        star << c + QPointF(qCos(a) * d, qSin(a) * d);
    }
    p.setPen(Line(QColor(200, 140, 0), 1.2));
    p.setBrush(QColor(255, 215, 0));
    p.drawPolygon(star);
}

struct TEntry {
    const char* Name;
    void (*Draw)(QPainter&);
};

const std::map<int, TEntry>& Pictures() {
    static const std::map<int, TEntry> pictures = {
        {TQelImage::picCancel,
         {"Cancel",
          [](QPainter& p) {
              Cross(p, {16, 16}, 9);
          }}},
        {TQelImage::picOk,
         {"OK",
          [](QPainter& p) {
              Check(p, {16, 17}, 11);
          }}},
        {TQelImage::picHelp,
         {"Help",
          [](QPainter& p) {
              Circle(p, {16, 16}, 13, Blue);
              Glyph(p, QRectF(0, 0, 32, 32), QStringLiteral("?"), Paper, 20);
          }}},
        {TQelImage::picMinimize,
         {"Minimize",
          [](QPainter& p) {
              p.setPen(Line(Outline, 1.5));
              p.setBrush(QColor(230, 235, 240));
              p.drawRoundedRect(QRectF(3, 3, 26, 26), 4, 4);
              p.setPen(Line(Outline, 4));
              p.drawLine(QPointF(9, 22), QPointF(23, 22));
          }}},
        {TQelImage::picCloseWindow,
         {"Close window",
          [](QPainter& p) {
              p.setPen(Line(Red.darker(140), 1.5));
              p.setBrush(Red);
              p.drawRoundedRect(QRectF(3, 3, 26, 26), 4, 4);
              Cross(p, {16, 16}, 6.5, Paper, 3.5);
          }}},
        {TQelImage::picListMenu,
         {"List menu",
          [](QPainter& p) {
              ListLines(p, QRectF(2, 3, 22, 26));
              QPolygonF tri;
              tri << QPointF(21, 22) << QPointF(31, 22) << QPointF(26, 29);
              p.setPen(Line(Outline, 1));
              p.setBrush(Outline);
              p.drawPolygon(tri);
          }}},
        {TQelImage::picModeOff,
         {"Mode not selected",
          [](QPainter& p) {
              p.setPen(Line(Outline, 2));
              p.setBrush(Paper);
              p.drawEllipse(QPointF(16, 16), 10, 10);
          }}},
        {TQelImage::picModeOn,
         {"Mode selected",
          [](QPainter& p) {
              p.setPen(Line(Outline, 2));
              p.setBrush(Paper);
              p.drawEllipse(QPointF(16, 16), 10, 10);
              p.setPen(Qt::NoPen);
              p.setBrush(Green);
              p.drawEllipse(QPointF(16, 16), 5.5, 5.5);
          }}},
        {TQelImage::picClearEntry,
         {"Clear entry",
          [](QPainter& p) {
              p.setPen(Line(Outline, 1.5));
              p.setBrush(Paper);
              p.drawRoundedRect(QRectF(2, 9, 28, 12), 2, 2);
              p.setPen(Line(QColor(110, 110, 110), 1.6));
              p.drawLine(QPointF(5, 15), QPointF(17, 15));
              Badge(p, {24, 23}, TBadge::Cross);
          }}},
        {TQelImage::picClearAll,
         {"Clear all",
          [](QPainter& p) {
              ListLines(p, QRectF(2, 2, 24, 27));
              Badge(p, {24, 24}, TBadge::Cross);
          }}},
        {TQelImage::picAddEntry,
         {"Add entry",
          [](QPainter& p) {
              ListLines(p, QRectF(2, 2, 24, 27));
              Badge(p, {24, 24}, TBadge::Plus);
          }}},
        {TQelImage::picDirUp,
         {"Folder up",
          [](QPainter& p) {
              Folder(p, QRectF(2, 6, 28, 22));
              Arrow(p, QPointF(16, 25), QPointF(16, 11), Green);
          }}},
        {TQelImage::picNewFolder,
         {"New folder",
          [](QPainter& p) {
              Folder(p, QRectF(2, 6, 26, 22));
              Badge(p, {24, 24}, TBadge::Plus);
          }}},
        {TQelImage::picComputer, {"Computer", [](QPainter& p) { Monitor(p, QRectF(2, 3, 28, 27)); }}},
        {TQelImage::picOpen, {"Open", [](QPainter& p) { Folder(p, QRectF(2, 6, 27, 22), true); }}},
        {TQelImage::picSaveFile, {"Save file", [](QPainter& p) { Floppy(p, QRectF(3, 3, 26, 26)); }}},
        {TQelImage::picContextMenu,
         {"Context menu",
          [](QPainter& p) {
              ListLines(p, QRectF(8, 4, 22, 22), 3);
              QPolygonF pointer;
              pointer << QPointF(3, 12) << QPointF(3, 28) << QPointF(7, 24) << QPointF(10, 30)
                      << QPointF(12.5, 29) << QPointF(9.5, 23) << QPointF(14, 23);
              p.setPen(Line(Paper, 1.2));
              p.setBrush(Qt::black);
              p.drawPolygon(pointer);
          }}},
        {TQelImage::picStartAllTaps,
         {"Start testing all taps",
          [](QPainter& p) {
              Play(p, QRectF(3, 4, 14, 24));
              Play(p, QRectF(15, 4, 14, 24));
          }}},
        {TQelImage::picStop,
         {"Stop",
          [](QPainter& p) {
              p.setPen(Line(Red.darker(140), 1.5));
              p.setBrush(Red);
              p.drawRoundedRect(QRectF(6, 6, 20, 20), 2, 2);
          }}},
        {TQelImage::picMeasureTab, {"Measure", [](QPainter& p) { Meter(p, QRectF(2, 5, 28, 22)); }}},
        {TQelImage::picSetupTab,
         {"Setup",
          [](QPainter& p) {
              p.setPen(Line(Outline, 2.5));
              p.drawLine(QPointF(16, 4), QPointF(16, 28));
              Coils(p, QRectF(2, 5, 28, 22), 2);
          }}},
        {TQelImage::picAnalysis, {"Analysis", [](QPainter& p) { Curve(p, QRectF(3, 3, 26, 26)); }}},
        {TQelImage::picAbout,
         {"About",
          [](QPainter& p) {
              Circle(p, {16, 16}, 13, Blue);
              Glyph(p, QRectF(0, 1, 32, 32), QStringLiteral("i"), Paper, 20);
          }}},
        {TQelImage::picDeleteRows,
         {"Delete rows",
          [](QPainter& p) {
              Table(p, QRectF(2, 3, 25, 22));
              Badge(p, {24, 24}, TBadge::Minus);
          }}},
        {TQelImage::picLoad,
         {"Load",
          [](QPainter& p) {
              Folder(p, QRectF(2, 10, 26, 19), true);
              Document(p, QRectF(10, 1, 14, 15), false);
              Arrow(p, QPointF(17, 4), QPointF(17, 17), Green, 3);
          }}},
        {TQelImage::picSave,
         {"Save",
          [](QPainter& p) {
              Floppy(p, QRectF(3, 3, 24, 24));
              Badge(p, {25, 25}, TBadge::Down, 6);
          }}},
        {TQelImage::picSingleTap,
         {"Test a single tap",
          [](QPainter& p) {
              Play(p, QRectF(6, 4, 16, 24));
              p.setPen(Line(Outline, 1.5));
              p.setBrush(Outline);
              p.drawRect(QRectF(23, 5, 4, 22));
          }}},
        {TQelImage::picDeleteRow,
         {"Delete row",
          [](QPainter& p) {
              Table(p, QRectF(2, 3, 25, 22));
              p.setPen(Line(Red, 2.5));
              p.drawLine(QPointF(4, 17), QPointF(25, 17));
              Badge(p, {24, 24}, TBadge::Cross);
          }}},
        {TQelImage::picDeleteAllRows,
         {"Delete all rows",
          [](QPainter& p) {
              Table(p, QRectF(2, 3, 25, 22));
              Cross(p, {14.5, 15}, 8, Red, 3.5);
          }}},
        {TQelImage::picClose,
         {"Close",
          [](QPainter& p) {
              p.setPen(Line(Outline, 1.5));
              p.setBrush(QColor(160, 110, 60));
              p.drawRect(QRectF(4, 3, 14, 26));
              p.setBrush(QColor(70, 70, 70));
              p.drawEllipse(QPointF(15, 16), 1.3, 1.3);
              Arrow(p, QPointF(16, 16), QPointF(30, 16), Red, 3);
          }}},
        {TQelImage::picFileManager,
         {"File manager",
          [](QPainter& p) {
              Folder(p, QRectF(2, 9, 28, 20));
              Document(p, QRectF(7, 2, 13, 16), false);
              Document(p, QRectF(12, 4, 13, 16), false);
              Folder(p, QRectF(2, 9, 28, 20), true);
          }}},
        {TQelImage::picReport, {"Report", [](QPainter& p) { Printer(p, QRectF(2, 3, 28, 26)); }}},
        {TQelImage::picNewSeries,
         {"New measurement series",
          [](QPainter& p) {
              Table(p, QRectF(2, 3, 25, 22));
              Badge(p, {24, 24}, TBadge::Plus);
          }}},
        {TQelImage::picTools, {"Tools", [](QPainter& p) { Wrench(p, QRectF(2, 2, 28, 28)); }}},
        {TQelImage::picView,
         {"View",
          [](QPainter& p) {
              Curve(p, QRectF(2, 2, 24, 22));
              Eye(p, QRectF(14, 20, 17, 10));
          }}},
        {TQelImage::picNewTest,
         {"New test",
          [](QPainter& p) {
              Document(p, QRectF(5, 4, 20, 26));
              Star(p, {23, 8}, 7.5);
          }}},
        {TQelImage::picFromTemplate,
         {"New based on template",
          [](QPainter& p) {
              Document(p, QRectF(2, 1, 17, 22));
              Document(p, QRectF(10, 7, 17, 22));
              Badge(p, {25, 25}, TBadge::Plus, 6);
          }}},
        {TQelImage::picAddFile,
         {"Add file",
          [](QPainter& p) {
              Document(p, QRectF(5, 2, 20, 27));
              Badge(p, {24, 24}, TBadge::Plus);
          }}},
        {TQelImage::picRemoveFile,
         {"Remove file",
          [](QPainter& p) {
              Document(p, QRectF(5, 2, 20, 27));
              Badge(p, {24, 24}, TBadge::Minus);
          }}},
        {TQelImage::picRemoveAll,
         {"Remove all",
          [](QPainter& p) {
              Document(p, QRectF(2, 1, 17, 22));
              Document(p, QRectF(9, 6, 17, 22));
              Badge(p, {24, 24}, TBadge::Cross);
          }}},
        {TQelImage::picSaveList,
         {"Save list",
          [](QPainter& p) {
              ListLines(p, QRectF(2, 2, 20, 24));
              Floppy(p, QRectF(15, 15, 15, 15));
          }}},
        {TQelImage::picShowAnalysis, {"Show analysis", [](QPainter& p) { Bars(p, QRectF(3, 3, 26, 26)); }}},
        {TQelImage::picLoadList,
         {"Load list",
          [](QPainter& p) {
              ListLines(p, QRectF(2, 2, 20, 24));
              Folder(p, QRectF(14, 16, 17, 14), true);
          }}},
        {TQelImage::picDiagram,
         {"Diagram",
          [](QPainter& p) {
              Clipboard(p, QRectF(4, 3, 24, 27));
              Curve(p, QRectF(9, 9, 15, 17));
          }}},
        {TQelImage::picUpload,
         {"Upload data",
          [](QPainter& p) {
              Instrument(p, QRectF(2, 2, 17, 16));
              Monitor(p, QRectF(14, 14, 17, 17));
              Arrow(p, QPointF(8, 21), QPointF(8, 30), Green, 2.5);
          }}},
        {TQelImage::picOpenAsDocument,
         {"Open as document",
          [](QPainter& p) {
              Document(p, QRectF(9, 2, 20, 27));
              Arrow(p, QPointF(1, 16), QPointF(17, 16), Green, 3.2);
          }}},
        {TQelImage::picDelete, {"Delete", [](QPainter& p) { Trash(p, QRectF(5, 2, 22, 28)); }}},
        {TQelImage::picArbitraryPhase,
         {"Arbitrary phase shift",
          [](QPainter& p) {
              p.setPen(Line(Outline, 1.2));
              p.drawLine(QPointF(2, 16), QPointF(30, 16));
              QPolygonF a, b;
              for (int i = 0; i <= 28; ++i) {
                  a << QPointF(2 + i, 16 - 10 * qSin(i * M_PI / 14));
                  b << QPointF(2 + i, 16 - 10 * qSin(i * M_PI / 14 - 1.1));
              }
              p.setBrush(Qt::NoBrush);
              p.setPen(Line(Blue, 2.2));
              p.drawPolyline(a);
              p.setPen(Line(Red, 2.2));
              p.drawPolyline(b);
          }}},
        {TQelImage::picAutoClock,
         {"Automatic phase displacement",
          [](QPainter& p) {
              ClockFace(p, QRectF(1, 1, 30, 30), -1);
              Glyph(p, QRectF(0, 2, 32, 32), QStringLiteral("A"), Green.darker(120), 16);
          }}},
        {TQelImage::picApsAutoTrafo,
         {"Arbitrary phase shift of an auto transformer",
          [](QPainter& p) {
              p.setPen(QPen(Blue, 2.6));
              p.setBrush(Qt::NoBrush);
              p.drawEllipse(QPointF(10, 16), 8, 8);
              p.setPen(Line(Outline, 2));
              p.drawLine(QPointF(10, 4), QPointF(10, 28));
              Arrow(p, QPointF(3, 26), QPointF(17, 8), Red, 2);
              p.setPen(Line(Red, 2));
              p.drawLine(QPointF(21, 20), QPointF(30, 20));
              p.setPen(Line(Blue, 2));
              p.drawLine(QPointF(21, 20), QPointF(27, 11));
          }}},
        {TQelImage::picTertiaryOff,
         {"Tertiary winding off", [](QPainter& p) { Coils(p, QRectF(2, 2, 28, 28), 3, false); }}},
        {TQelImage::picTertiaryOn,
         {"Tertiary winding on", [](QPainter& p) { Coils(p, QRectF(2, 2, 28, 28), 3, true); }}},
    };
    return pictures;
}

bool IsClock(int number) {
    return number >= TQelImage::picClock0 && number < TQelImage::picClock0 + 12;
}

} // namespace

QList<int> TQelImage::PictureNumbers() {
    QList<int> numbers;
    for (const auto& [number, entry] : Pictures()) {
        if (number > picClock0 && numbers.last() < picClock0)
            for (int clock = 0; clock < 12; ++clock)
                numbers << ClockPicture(clock);
        numbers << number;
    }
    return numbers;
}

QString TQelImage::PictureName(int number) {
    if (IsClock(number))
        return QStringLiteral("Clock %1").arg(number - picClock0);
    auto it = Pictures().find(number);
    return it == Pictures().end() ? QString() : QString::fromLatin1(it->second.Name);
}

bool TQelImage::DrawPicture(QPainter& p, int number, const QRectF& r) {
    auto it = Pictures().find(number);
    if (it == Pictures().end() && !IsClock(number))
        return false;
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / 32.0, r.height() / 32.0);
    if (IsClock(number))
        ClockFace(p, QRectF(1, 1, 30, 30), number - picClock0);
    else
        it->second.Draw(p);
    p.restore();
    return true;
}
