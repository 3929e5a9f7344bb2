#pragma once
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>

// Headings and small notes of the review sheets.
inline void Heading(QPainter& p, int x, int y, const QString& text) {
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(16);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(x, y, text);
}
inline void Heading(QPainter& p, int y, const QString& text) {
    Heading(p, 10, y, text);
}

inline void Note(QPainter& p, QRect r, const QString& text, Qt::Alignment align = Qt::AlignHCenter) {
    QFont f = p.font();
    f.setBold(false);
    f.setPixelSize(11);
    p.setFont(f);
    p.setPen(QColor(60, 60, 60));
    p.drawText(r, int(align | Qt::AlignTop | Qt::TextWordWrap), text);
}
