// The numbered pictures, their lists and the shared picture cache of the buttons.
#include "GlyphCache.h"
#include "PanelButton.h"
#include "QelImage.h"

#include <QImage>
#include <QPainter>
#include <QSet>
#include <QTest>
#include <QtMath>

namespace {

int OpaquePixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128)
                ++n;
    return n;
}

QImage Render(int number, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    TQelImage::DrawPicture(p, number, QRectF(0, 0, size, size));
    return image;
}

bool IsRed(QRgb c) {
    return qAlpha(c) > 128 && qRed(c) > 150 && qGreen(c) < 110 && qBlue(c) < 110;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void picturesAreDrawnAndDistinct();
    void unknownNumbersHaveNone();
    void disabledPicturesAreGrey();
    void clockHandPointsAtTheHour();
    void cacheLivesWithItsButtons();
    void buttonForgetsDestroyedList();
};

void TestPictures::picturesAreDrawnAndDistinct() {
    TQelImage images;
    QSet<QByteArray> seen;
    for (int n : TQelImage::PictureNumbers()) {
        for (TImageList* list : {images.Image16x16L(), images.ImageList22x22(), images.Image32x32L()}) {
            const QPixmap pixmap = list->Picture(n);
            QCOMPARE(pixmap.size(), list->Size());
            const QImage image = pixmap.toImage();
            // Something recognisable, not a blank or a filled square.
            const int opaque = OpaquePixels(image);
            const int area = list->Width() * list->Height();
            QVERIFY2(opaque > area / 12, qPrintable(QStringLiteral("picture %1 is almost blank").arg(n)));
            QVERIFY2(opaque < area, qPrintable(QStringLiteral("picture %1 fills its square").arg(n)));
        }
        const QImage big = Render(n, 32);
        const QByteArray bytes(reinterpret_cast<const char*>(big.constBits()), big.sizeInBytes());
        QVERIFY2(!seen.contains(bytes), qPrintable(QStringLiteral("picture %1 repeats another").arg(n)));
        seen.insert(bytes);
    }
}

void TestPictures::unknownNumbersHaveNone() {
    TQelImage images;
    for (int n : {-2, -1, 16, 147, 160, 999}) {
        QVERIFY(!images.Image32x32L()->HasPicture(n));
        QVERIFY(images.Image32x32L()->Picture(n).isNull());
        QVERIFY(TQelImage::PictureName(n).isEmpty());
    }
}

void TestPictures::disabledPicturesAreGrey() {
    TQelImage images;
    const QImage image = images.Image32x32L()->Picture(TQelImage::picCancel, false).toImage();
    QVERIFY(OpaquePixels(image) == 0); // half transparent throughout
    bool drawn = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            if (c.alpha() == 0)
                continue;
            drawn = true;
            QVERIFY(qAbs(c.red() - c.green()) <= 2 && qAbs(c.green() - c.blue()) <= 2);
        }
    QVERIFY(drawn);
}

void TestPictures::clockHandPointsAtTheHour() {
    for (int clock = 0; clock < 12; ++clock) {
        const QImage image = Render(TQelImage::ClockPicture(clock), 96);
        auto redAt = [&](int hour) {
            const qreal a = qDegreesToRadians(hour * 30.0);
            const QPointF p = QPointF(48, 48) + QPointF(qSin(a), -qCos(a)) * 26;
            return IsRed(image.pixel(p.toPoint()));
        };
        QVERIFY2(redAt(clock), qPrintable(QStringLiteral("clock %1").arg(clock)));
        QVERIFY2(!redAt((clock + 3) % 12) && !redAt((clock + 6) % 12),
                 qPrintable(QStringLiteral("clock %1 has a second hand").arg(clock)));
    }
}

void TestPictures::cacheLivesWithItsButtons() {
    TQelImage images;
    const TGlyphCache& cache = images.Glyphs();
    QCOMPARE(cache.ListCount(), 0);
    auto a = std::make_unique<TPanelButton>();
    auto b = std::make_unique<TPanelButton>();
    for (TPanelButton* button : {a.get(), b.get()}) {
        button->SetImageList(images.Image32x32L());
        button->SetCaptionItems({"\"OK\",1", "\"Cancel\",0"});
        button->grab();
    }
    QCOMPARE(cache.ListCount(), 1);
    QCOMPARE(cache.List(QSize(32, 32))->Users(), 2);

    // Changing the picture reuses the slot; another size takes a slot in another list.
    a->SetState(1);
    a->grab();
    QCOMPARE(cache.List(QSize(32, 32))->Users(), 2);
    b->SetImageList(images.Image16x16L());
    b->grab();
    QCOMPARE(cache.ListCount(), 2);
    QCOMPARE(cache.List(QSize(32, 32))->Users(), 1);

    // A button without a picture holds no slot.
    b->SetCaptionItems({"\"Text only\",-1"});
    b->grab();
    QCOMPARE(cache.ListCount(), 1);
    a.reset();
    QCOMPARE(cache.ListCount(), 0);

    // Pictures that go before their buttons take the buttons' slots with them.
    auto pictures = std::make_unique<TQelImage>();
    b->SetCaptionItems({"\"OK\",1"});
    b->SetImageList(pictures->Image32x32L());
    b->grab();
    QCOMPARE(pictures->Glyphs().ListCount(), 1);
    pictures.reset();
    QVERIFY(!b->ImageList());
    b->grab();
}

void TestPictures::buttonForgetsDestroyedList() {
    TPanelButton button;
    // A list of its own, without a cache: the face is drawn straight from it.
    auto list = std::make_unique<TImageList>(QSize(24, 24), &TQelImage::DrawPicture);
    button.SetImageList(list.get());
    button.SetCaptionItems({"\"Help\",2"});
    QVERIFY(button.HasFacePicture());
    button.grab();
    list.reset();
    QVERIFY(!button.ImageList());
    button.grab(); // paints without the list
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
