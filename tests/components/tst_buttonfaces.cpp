// What the faces of buttons, key caps and gradient bars look like.
#include "ExtStaticText.h"
#include "Gradient.h"
#include "PanelButton.h"
#include "QelImage.h"
#include "StateButton.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

namespace {

const QColor White(255, 255, 255);
const QColor Mid(100, 100, 200);
const QColor End(0x80, 0x80, 0x80);

TGradientSpec Spec(bool center, TGradMode mode, double scale = 1.0) {
    TGradientSpec s;
    s.Start = White;
    s.Mid = Mid;
    s.End = End;
    s.CenterColor = center;
    s.Mode = mode;
    s.ColorScale = scale;
    return s;
}

QColor At(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}

// Mean x of the strongly red pixels (the red cross of the Cancel picture).
double RedColumn(const QImage& image) {
    double sum = 0;
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qRed(c) > 170 && qGreen(c) < 90 && qBlue(c) < 90) {
                sum += x;
                ++n;
            }
        }
    return n ? sum / n : -1;
}

} // namespace

class TestButtonFaces : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void colourHelpers();
    void plainGradientRunsTopToMiddleColour();
    void centreGradientsMeetInTheMiddle();
    void splitGradientAndMidPos();
    void frameAndBevel();
    void panelButtonLooks();
    void pictureFollowsLayout();
    void stateButtonLooks();
    void keyCapPressAndCaption();
};

void TestButtonFaces::colourHelpers() {
    QCOMPARE(Lighten(QColor(0x80, 0x10, 0xF0), 100), QColor(200, 0x74, 200));
    QCOMPARE(ScaleColor(QColor(200, 100, 10), 1.3), QColor(255, 130, 13));
    QCOMPARE(ScaleColor(QColor(200, 100, 10), 0.95), QColor(190, 95, 10));
}

void TestButtonFaces::plainGradientRunsTopToMiddleColour() {
    const QImage flat = RenderGradient(QSize(10, 10), [] {
        TGradientSpec s;
        s.Start = s.Mid = s.End = QColor(10, 20, 30);
        return s;
    }());
    QCOMPARE(At(flat, 9, 9), QColor(10, 20, 30));

    const QImage g = RenderGradient(QSize(20, 100), Spec(false, gmBoth));
    QCOMPARE(At(g, 5, 0), White);
    // Halfway down the colour is halfway from the start to the middle colour, and it gets there
    // evenly: a quarter of the way down, a quarter of the way.
    const auto near = [](const QColor& c, double r, double g, double b) {
        return qAbs(c.red() - r) <= 1 && qAbs(c.green() - g) <= 1 && qAbs(c.blue() - b) <= 1;
    };
    QVERIFY(near(At(g, 5, 50), 177.5, 177.5, 227.5));
    QVERIFY(near(At(g, 5, 25), 216.25, 216.25, 241.25));
    QCOMPARE(At(g, 0, 99), At(g, 19, 99)); // rows are uniform
}

void TestButtonFaces::centreGradientsMeetInTheMiddle() {
    const QImage v = RenderGradient(QSize(20, 100), Spec(true, gmVertical));
    QCOMPARE(At(v, 3, 0), White);
    QCOMPARE(At(v, 3, 50), Mid);
    QVERIFY(qAbs(At(v, 3, 99).red() - End.red()) <= 3);
    // A doubled scale reaches the middle colour halfway to the middle and stays there.
    const QImage steep = RenderGradient(QSize(20, 100), Spec(true, gmVertical, 2.0));
    QCOMPARE(At(steep, 3, 25), Mid);
    QCOMPARE(At(steep, 3, 40), Mid);

    const QImage h = RenderGradient(QSize(100, 20), Spec(true, gmHorizontal));
    QCOMPARE(At(h, 0, 5), White);
    QCOMPARE(At(h, 50, 5), Mid);

    // Both ways: the mean of the two ramps, meeting the middle colour at the centre.
    const QImage both = RenderGradient(QSize(200, 40), Spec(true, gmBoth));
    QCOMPARE(At(both, 100, 20), Mid);
    QCOMPARE(At(both, 0, 0), White);
    // The longer side ramps as steeply as the shorter one: 20 px in from the left edge
    // the colour is as far along as 20 px down from the top.
    QCOMPARE(At(both, 20, 20), At(both, 100, 20));
}

void TestButtonFaces::splitGradientAndMidPos() {
    TGradient bar;
    bar.resize(100, 10);
    bar.SetCenterColor(true);
    bar.SetGradMode(gmHorizontal);
    bar.SetGradientStart(White);
    bar.SetGradientMid(Mid);
    bar.SetGradientEnd(QColor(0, 0, 0));
    bar.SetGradMidPos(0.25);
    bar.SetGradMidPos(1.5);  // ignored
    bar.SetGradMidPos(-0.1); // ignored
    QCOMPARE(bar.GradMidPos(), 0.25);
    const QImage g = bar.grab().toImage();
    QCOMPARE(At(g, 0, 5), White);
    QCOMPARE(At(g, 25, 5), Mid);
    QVERIFY(At(g, 99, 5).red() < 5);
}

void TestButtonFaces::frameAndBevel() {
    TExtGradient plain;
    plain.resize(40, 30);
    plain.SetGradStart(White);
    plain.SetGradMid(Mid);
    plain.SetGradEnd(QColor(0, 0, 0));
    plain.SetCenterColor(true);
    plain.SetFrameWidth(2);
    QImage g = plain.grab().toImage();
    QCOMPARE(At(g, 1, 15), White);
    QCOMPARE(At(g, 39, 15), QColor(0, 0, 0));
    plain.SetBevelMode(1);
    g = plain.grab().toImage();
    QCOMPARE(At(g, 1, 15), QColor(0, 0, 0));
    QCOMPARE(At(g, 20, 29), White);
    QCOMPARE(At(g, 20, 15), Mid);
}

void TestButtonFaces::panelButtonLooks() {
    TPanelButton b;
    QCOMPARE(b.size(), QSize(150, 48));
    b.SetCaptionItems({"\"Cancel\",-1"});
    const QImage normal = b.grab().toImage();
    b.SetPressed(true);
    const QImage pressed = b.grab().toImage();
    QVERIFY(pressed != normal);
    b.SetPressed(false);
    b.setEnabled(false);
    QVERIFY(b.grab().toImage() != normal);
    b.setEnabled(true);

    b.SetUseBackGroundColor(true);
    const QImage blue = b.grab().toImage();
    QCOMPARE(At(blue, 10, 24), QColor(0, 0, 255));
    // The caption stays readable on the dark face: light text pixels exist.
    bool light = false;
    for (int x = 40; x < 110 && !light; ++x)
        for (int y = 14; y < 34 && !light; ++y)
            light = qGray(blue.pixel(x, y)) > 200;
    QVERIFY(light);
}

void TestButtonFaces::pictureFollowsLayout() {
    TQelImage images;
    TPanelButton b;
    b.SetImageList(images.Image32x32L());
    b.SetCaptionItems({"\"Cancel\",0"});
    const double left = RedColumn(b.grab().toImage());
    b.SetLayout(blGlyphRight);
    const double right = RedColumn(b.grab().toImage());
    QVERIFY(left > 0 && left < 75);
    QVERIFY(right > 75);

    // A pop-up key without its own picture shows the picture of item 0.
    b.SetCaptionItems({"\"\",0", "\"Exit to Windows\",-1"});
    b.SetPopup(true);
    b.SetState(1);
    QCOMPARE(b.FacePicture(), 0);
    QVERIFY(RedColumn(b.grab().toImage()) > 0);
}

void TestButtonFaces::stateButtonLooks() {
    TQelImage images;
    TStateButton s;
    s.SetImageList(images.Image32x32L());
    s.SetCaptionItems({"\"Cancel\",0"});
    QCOMPARE(s.PictureBoxSize(), QSize(32, 32));
    QVERIFY(s.PictureRect().left() > 100); // picture right by default
    const QImage face = s.grab().toImage();
    QVERIFY(RedColumn(face) > 100);
    s.SetLayout(blGlyphLeft);
    QCOMPARE(s.PictureRect().left(), 5);
    s.SetPressed(true);
    QCOMPARE(s.PictureRect().left(), 6);
    QVERIFY(s.CaptionRect().left() > 5 + 32);

    // Disabled: a face of the middle colour without the white start.
    s.SetPressed(false);
    s.setEnabled(false);
    const QImage disabled = s.grab().toImage();
    QVERIFY(At(disabled, 75, 3) != White);
    s.SetGradientStart(End);
    s.SetGradientEnd(End);
    s.SetGradientMid(Mid);
    QCOMPARE(At(s.grab().toImage(), 120, 5), Mid);
}

void TestButtonFaces::keyCapPressAndCaption() {
    TExtStaticText key;
    key.setObjectName(QStringLiteral("bnKeyA"));
    QCOMPARE(key.Caption(), QStringLiteral("bnKeyA"));
    key.SetCaption(QStringLiteral("A"));
    key.resize(60, 60);
    QSignalSpy clicks(&key, &TExtStaticText::Click);
    QSignalSpy downs(&key, &TExtStaticText::MouseDown);
    QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(30, 30));
    QVERIFY(key.IsPressed());
    QCOMPARE(downs.count(), 1);
    QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(30, 30));
    QVERIFY(!key.IsPressed());
    QCOMPARE(clicks.count(), 1);
    // Released off the key: no click.
    QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(30, 30));
    QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(90, 30));
    QCOMPARE(clicks.count(), 1);

    // Text colour: the font colour, or the disabled colour.
    key.SetFontColor(QColor(255, 255, 0));
    key.SetGradStart(QColor(255, 0, 0));
    key.SetGradMid(QColor(128, 0, 0));
    key.SetGradEnd(QColor(128, 0, 0));
    auto yellowPixels = [&key] {
        const QImage image = key.grab().toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                if (qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) < 80)
                    ++n;
            }
        return n;
    };
    QVERIFY(yellowPixels() > 5);
    key.setEnabled(false);
    QCOMPARE(yellowPixels(), 0);
    key.setEnabled(true);

    key.SetReadOnly(true);
    QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(30, 30));
    QVERIFY(!key.IsPressed());
    QCOMPARE(downs.count(), 2); // only the press that slid off

    key.SetAngle(45); // not a right angle: ignored
    QCOMPARE(key.Angle(), 0);
    key.SetAngle(90);
    QCOMPARE(key.Angle(), 90);
    const QImage upright = key.grab().toImage();
    key.SetAngle(0);
    QVERIFY(key.grab().toImage() != upright);

    // The pressed key draws its text one pixel lower right.
    key.SetReadOnly(false);
    const QImage up = key.grab().toImage();
    key.SetIsPressed(true);
    QVERIFY(key.grab().toImage() != up);
}

QTEST_MAIN(TestButtonFaces)
#include "tst_buttonfaces.moc"
