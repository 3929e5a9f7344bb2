// A review sheet of the touch-screen buttons and the application's pictures.
#include "DialogSheet.h"
#include "EntrySheet.h"
#include "ExtStaticText.h"
#include "Gradient.h"
#include "KeyboardSheet.h"
#include "PanelButton.h"
#include "PopupPanel.h"
#include "QelImage.h"
#include "SheetText.h"
#include "StateButton.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTextStream>

namespace {

QStringList Items(std::initializer_list<const char*> list) {
    QStringList items;
    for (const char* s : list)
        items << QString::fromUtf8(s);
    return items;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery.png");
    TQelImage images;

    QImage sheet(1400, 1500, QImage::Format_ARGB32);
    sheet.fill(QColor(236, 236, 236));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);

    // Panel buttons in their looks.
    Heading(p, 24, QStringLiteral("TPanelButton"));
    QWidget host;
    host.resize(1400, 400);
    struct TSample {
        const char* Note;
        std::function<void(TPanelButton*)> Setup;
    };
    const QList<TSample> panels = {
        {"function key, picture left, wrapped",
         [&](TPanelButton* b) {
             b->SetWordWrap(true);
             b->SetCaptionItems(Items({"\"Start Testing all Taps\",27"}));
         }},
        {"picture right",
         [&](TPanelButton* b) {
             b->SetLayout(blGlyphRight);
             b->SetCaptionItems(Items({"\"File Manager\",88"}));
         }},
        {"picture top",
         [&](TPanelButton* b) {
             b->SetLayout(blGlyphTop);
             b->resize(150, 70);
             b->SetCaptionItems(Items({"\"Upload Data\",163"}));
         }},
        {"disabled (embossed)",
         [&](TPanelButton* b) {
             b->SetCaptionItems(Items({"\"Stop Testing\",28"}));
             b->setEnabled(false);
         }},
        {"Pressed",
         [&](TPanelButton* b) {
             b->SetCaptionItems(Items({"\"OK\",1"}));
             b->SetPressed(true);
         }},
        {"UseBackGroundColor",
         [&](TPanelButton* b) {
             b->SetCaptionItems(Items({"\"Cancel\",0"}));
             b->SetUseBackGroundColor(true);
         }},
        {"menu button face (bnView)",
         [&](TPanelButton* b) {
             b->SetPopup(true);
             b->SetPopupButton(true);
             b->SetCaptionItems(
                 Items({"\"\",101", "\"Add View\",-1", "\"Delete View\",-1", "\"Rename View\",-1",
                        "\"Save View\",-1", "\"Show Actual Diagram\",127"}));
         }},
        {"filter, two ticked",
         [&](TPanelButton* b) {
             b->SetPopup(true);
             b->SetPopupButton(true);
             b->SetSelection(fsMulti);
             b->SetCaptionItems(Items({"\"Phase\",-1", "\"->A\",-1", "\"->B\",-1", "\"->C\",-1"}));
             b->SetState(1);
             b->SetState(3);
             b->SetItemChecked(0, false);
             b->SetCaption(b->CompositeCaption());
         }},
    };
    QList<TPanelButton*> buttons;
    for (int i = 0; i < panels.size(); ++i) {
        auto* b = new TPanelButton(&host);
        b->SetImageList(images.Image32x32L());
        panels[i].Setup(b);
        b->move(10 + i * 170, 10);
        buttons << b;
    }
    // The title-bar keys are icon-only and 37 pixels.
    const int titleIcons[] = {TQelImage::picHelp, TQelImage::picMinimize, TQelImage::picCloseWindow};
    for (int i = 0; i < 3; ++i) {
        auto* b = new TPanelButton(&host);
        b->SetImageList(images.ImageList22x22());
        b->SetCaptionItems({QStringLiteral("\"\",%1").arg(titleIcons[i])});
        b->resize(37, 37);
        b->move(10 + i * 42, 110);
    }
    host.show();
    QCoreApplication::processEvents();
    p.drawPixmap(0, 34, host.grab(QRect(0, 0, 1400, 160)));
    for (int i = 0; i < panels.size(); ++i)
        Note(p, QRect(10 + i * 170, 34 + 90, 150, 40), QString::fromUtf8(panels[i].Note));
    Note(p, QRect(140, 34 + 120, 200, 30), QStringLiteral("title-bar keys 37 px"));

    // An open menu pop-up and an open tick pop-up.
    Heading(p, 220, QStringLiteral("Pop-ups: bnView menu, filter with ticks (TPopupPanelForm)"));
    buttons[6]->PerformClick();
    buttons[7]->PerformClick();
    QCoreApplication::processEvents();
    if (TPopupWindow* w = buttons[6]->PopupWindow())
        p.drawPixmap(10, 230, w->grab());
    if (TPopupWindow* w = buttons[7]->PopupWindow())
        p.drawPixmap(220, 230, w->grab());

    // State buttons and key caps.
    Heading(p, 540, QStringLiteral("TStateButton, TExtStaticText, TGradient"));
    QWidget host2;
    host2.resize(1400, 200);
    auto* s1 = new TStateButton(&host2);
    s1->SetImageList(images.Image32x32L());
    s1->SetCaptionItems(Items({"\"OK\",1"}));
    s1->move(10, 10);
    auto* s2 = new TStateButton(&host2);
    s2->SetImageList(images.Image32x32L());
    s2->SetLayout(blGlyphLeft);
    s2->SetCaptionItems(Items({"\"Help\",2"}));
    s2->SetPressed(true);
    s2->move(170, 10);
    auto* s3 = new TStateButton(&host2);
    s3->SetCaptionItems(Items({"\"Disabled\",-1"}));
    s3->setEnabled(false);
    s3->move(330, 10);
    const char* keys[] = {"Q", "W", "E", "Shift"};
    for (int i = 0; i < 4; ++i) {
        auto* k = new TExtStaticText(&host2);
        k->SetCaption(QString::fromUtf8(keys[i]));
        k->SetShiftCaption(i < 3 ? QString::number(i + 1) : QString());
        k->SetCenterColor(i == 1);
        k->SetIsPressed(i == 2);
        k->resize(i == 3 ? 100 : 56, 56);
        k->move(500 + i * 62, 6);
    }
    auto* rotated = new TExtStaticText(&host2);
    rotated->SetCaption(QStringLiteral("Enter"));
    rotated->SetAngle(90);
    rotated->resize(56, 110);
    rotated->move(810, 6);
    auto* title = new TExtGradient(&host2);
    title->setGeometry(10, 80, 600, 23);
    title->SetCenterColor(true);
    title->SetGradMode(gmVertical);
    title->SetGradMid(QColor(40, 80, 160));
    title->SetGradEnd(QColor(20, 40, 100));
    auto* titleText = new QLabel(QStringLiteral("  QEL 8624    transformer turns ratio meter"), title);
    titleText->setStyleSheet(QStringLiteral("color: white; font-weight: bold"));
    titleText->setGeometry(0, 0, 600, 23);
    auto* alarm = new TGradient(&host2);
    alarm->setGeometry(620, 80, 180, 23);
    alarm->SetCenterColor(true);
    alarm->SetGradMode(gmHorizontal);
    alarm->SetGradientStart(QColor(255, 0, 0));
    alarm->SetGradientMid(QColor(128, 0, 0));
    alarm->SetGradientEnd(QColor(255, 0, 0));
    auto* alarmText = new QLabel(QStringLiteral("Emergency Stop"), alarm);
    alarmText->setStyleSheet(QStringLiteral("color: yellow; font-weight: bold"));
    alarmText->setAlignment(Qt::AlignCenter);
    alarmText->setGeometry(0, 0, 180, 23);
    auto* both = new TExtGradient(&host2);
    both->setGeometry(10, 115, 300, 60);
    both->SetCenterColor(true);
    both->SetFrameWidth(1);
    host2.show();
    QCoreApplication::processEvents();
    p.drawPixmap(0, 550, host2.grab(QRect(0, 0, 1400, 190)));

    // Every numbered picture at 32 and 16 pixels.
    Heading(p, 770, QStringLiteral("TQelImage pictures (number: 32 px and 16 px)"));
    const QList<int> numbers = TQelImage::PictureNumbers();
    const int perRow = 10;
    for (int i = 0; i < numbers.size(); ++i) {
        const int n = numbers[i];
        const int x = 10 + (i % perRow) * 138;
        const int y = 785 + (i / perRow) * 92;
        p.fillRect(QRect(x, y, 132, 86), Qt::white);
        p.drawPixmap(x + 8, y + 6, images.Image32x32L()->Picture(n));
        p.drawPixmap(x + 48, y + 14, images.Image16x16L()->Picture(n));
        p.drawPixmap(x + 72, y + 6, images.Image32x32L()->Picture(n, false));
        Note(p, QRect(x, y + 42, 132, 44), QStringLiteral("%1 %2").arg(n).arg(TQelImage::PictureName(n)));
    }
    p.end();
    if (!sheet.save(out)) {
        QTextStream(stderr) << "cannot write " << out << '\n';
        return 1;
    }
    const QString entryOut = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (!entryOut.isEmpty() && !RenderEntrySheet(entryOut)) {
        QTextStream(stderr) << "cannot write " << entryOut << '\n';
        return 1;
    }
    const QString keyboardOut = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    if (!keyboardOut.isEmpty() && !RenderKeyboardSheet(keyboardOut)) {
        QTextStream(stderr) << "cannot write " << keyboardOut << '\n';
        return 1;
    }
    const QString dialogOut = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
    if (!dialogOut.isEmpty() && !RenderDialogSheet(dialogOut)) {
        QTextStream(stderr) << "cannot write " << dialogOut << '\n';
        return 1;
    }
    return 0;
}
