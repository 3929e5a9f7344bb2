#include "QelImage.h"

#include <QImage>
#include <QPainter>

TImageList::TImageList(QSize size, TDrawer drawer, TGlyphCache* glyphs, QObject* parent)
    : QObject(parent), FSize(size), FDrawer(std::move(drawer)), FGlyphs(glyphs) {}

bool TImageList::HasPicture(int number) const {
    return !Picture(number).isNull();
}

QPixmap TImageList::Picture(int number, bool enabled) const {
    if (number < 0 || !FDrawer)
        return QPixmap();
    // Disabled pictures share the map under the negated, shifted key.
    const int key = enabled ? number : -number - 1;
    auto it = FCache.find(key);
    if (it != FCache.end())
        return it->second;

    QImage image(FSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        if (!FDrawer(p, number, QRectF(QPointF(0, 0), QSizeF(FSize)))) {
            FCache.emplace(key, QPixmap());
            return QPixmap();
        }
    }
    if (!enabled) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = qUnpremultiply(line[x]);
                const int a = qAlpha(c) / 2;
                const int g = qGray(c) / 2 + 64;
                line[x] = qPremultiply(qRgba(g, g, g, a));
            }
        }
    }
    const QPixmap pixmap = QPixmap::fromImage(image);
    FCache.emplace(key, pixmap);
    return pixmap;
}

TQelImage::TQelImage(QObject* parent)
    : QObject(parent), FImage32(new TImageList(QSize(32, 32), &TQelImage::DrawPicture, &FGlyphs, this)),
      FImage22(new TImageList(QSize(22, 22), &TQelImage::DrawPicture, &FGlyphs, this)),
      FImage16(new TImageList(QSize(16, 16), &TQelImage::DrawPicture, &FGlyphs, this)) {}

TQelImage::~TQelImage() {
    // The lists go first: buttons still showing them return their slots while the cache lives.
    delete FImage32;
    delete FImage22;
    delete FImage16;
}
