// The keyboard's form: 771 × 533, keys of 50 × 50 on a 58-pixel pitch.
#include "AscInputForm.h"

#include "ExtStaticText.h"
#include "HelpPanel.h"
#include "KeyRepeat.h"
#include "PanelButton.h"
#include "QelImage.h"
#include "StateButton.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QScroller>
#include <QStringListModel>
#include <QStyledItemDelegate>

namespace {

constexpr int kKey = 50;
constexpr int kPitch = 58;

// The pairs of the tagged keys, normal and shifted, by tag 1 ... 17 (16 and 17 have no key).
const char* const kCharTable[17][2] = {{"1", "!"}, {"2", "@"}, {"3", "#"}, {"4", "$"},  {"5", "%"},
                                       {"6", "^"}, {"7", "&"}, {"8", "*"}, {"9", "("},  {"0", ")"},
                                       {"+", "-"}, {";", ":"}, {",", "<"}, {"=", "\""}, {".", ">"},
                                       {"/", "?"}, {"\\", "|"}};

// The special characters: the face, then the items. The micro sign is U+00B5, the one the
// number reader takes for the prefix.
const char16_t* const kSpecialChars[] = {u"Ω", u"[", u"]", u"°", u"_",      u"€", u"£", u"Ω", u"α",
                                         u"β", u"γ", u"δ", u"ε", u"\u00B5", u"σ", u"φ", u"ρ", u"ξ"};

QString Item(const QString& caption, int picture) {
    return QStringLiteral("\"%1\",%2").arg(caption).arg(picture);
}

// Rows of the selection list, 27 pixels high.
class TRowHeight : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), 27);
    }
};

} // namespace

QString TTntAscInputForm::TagChar(int tag) const {
    if (tag < 1 || tag > 17)
        return QString();
    return QString::fromLatin1(kCharTable[tag - 1][FCaps || FShift ? 1 : 0]);
}

void TTntAscInputForm::ConnectPress(QWidget* key, std::function<void()> pressed,
                                    std::function<void()> released) {
    auto down = [pressed](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton)
            pressed();
    };
    auto up = [released](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton)
            released();
    };
    if (auto* b = qobject_cast<TCaptionButton*>(key)) {
        connect(b, &TCaptionButton::MouseDown, this, down);
        connect(b, &TCaptionButton::MouseUp, this, up);
    } else if (auto* t = qobject_cast<TExtStaticText*>(key)) {
        connect(t, &TExtStaticText::MouseDown, this, down);
        connect(t, &TExtStaticText::MouseUp, this, up);
    }
}

void TTntAscInputForm::ConnectClick(QWidget* key, std::function<void()> clicked) {
    if (auto* b = qobject_cast<TCaptionButton*>(key))
        connect(b, &TCaptionButton::Click, this, clicked);
    else if (auto* t = qobject_cast<TExtStaticText*>(key))
        connect(t, &TExtStaticText::Click, this, clicked);
}

QWidget* TTntAscInputForm::AddCommandKey(const QString& name, const QString& caption, QRect geometry) {
    QWidget* w = nullptr;
    if (FNarrow) {
        auto* t = new TExtStaticText(this);
        t->SetCaption(caption);
        t->SetCenterColor(true);
        w = t;
    } else {
        auto* b = new TPanelButton(this);
        b->SetCaption(caption);
        w = b;
    }
    w->setObjectName(name);
    w->setGeometry(geometry);
    // The text field keeps the focus (and its selection) whatever key is touched.
    w->setFocusPolicy(Qt::NoFocus);
    QFont f = w->font();
    f.setPixelSize(caption.size() == 1 ? 22 : 14);
    f.setBold(caption.size() == 1);
    w->setFont(f);
    w->installEventFilter(this);
    return w;
}

QWidget* TTntAscInputForm::AddKey(const QString& name, const QString& caption, QRect geometry, TKey key) {
    QWidget* w = AddCommandKey(name, caption, geometry);
    if (key.Kind == TKeyKind::Tagged) {
        QFont f = w->font();
        f.setPixelSize(22);
        f.setBold(true);
        w->setFont(f);
    }
    FKeys.insert(w, key);
    const bool navigation =
        key.Kind == TKeyKind::Home || key.Kind == TKeyKind::End || key.Kind == TKeyKind::Delete;
    const bool modifier = key.Kind == TKeyKind::Caps || key.Kind == TKeyKind::Shift;
    if (FNarrow || navigation) {
        // Acts on press and repeats while held (a modifier only toggles).
        ConnectPress(
            w, [this, w] { KeyPressed(w); }, [this] { KeyReleased(); });
    } else if (modifier) {
        ConnectClick(w, [this, kind = key.Kind] { ToggleModifier(kind); });
    } else {
        ConnectClick(w, [this, w] { KeyClicked(w); });
    }
    return w;
}

TCaptionButton* TTntAscInputForm::AddStateKey(const QString& name, const QStringList& items, QRect geometry,
                                              int imageSize) {
    TCaptionButton* b = FNarrow ? static_cast<TCaptionButton*>(new TStateButton(this))
                                : static_cast<TCaptionButton*>(new TPanelButton(this));
    b->setObjectName(name);
    b->setGeometry(geometry);
    b->setFocusPolicy(Qt::NoFocus);
    b->SetImageList(imageSize == 32 ? FImages32 : FImages22);
    b->SetCaptionItems(items);
    b->installEventFilter(this);
    return b;
}

void TTntAscInputForm::Build() {
    setObjectName(FNarrow ? QStringLiteral("FrmAscii") : QStringLiteral("TntAscInputForm"));
    setWindowTitle(QStringLiteral("Text Input"));
    setFixedSize(771, 533);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xF8, 0xF5, 0xF5));
    setPalette(pal);
    setAutoFillBackground(true);
    FImages22 = new TImageList(QSize(22, 22), &TQelImage::DrawPicture, nullptr, this);
    FImages32 = new TImageList(QSize(32, 32), &TQelImage::DrawPicture, nullptr, this);

    QFont textFont = font();
    textFont.setPixelSize(20);
    edText = new QLineEdit(this);
    edText->setObjectName(QStringLiteral("edText"));
    edText->setGeometry(11, 15, 699, 32);
    edText->setFont(textFont);
    connect(edText, &QLineEdit::textEdited, this, &TTntAscInputForm::TextEdited);

    PnMemo = new QFrame(this);
    PnMemo->setObjectName(QStringLiteral("PnMemo"));
    PnMemo->setGeometry(11, 11, 725, 93);
    edMemo = new QPlainTextEdit(PnMemo);
    edMemo->setObjectName(QStringLiteral("edMemo"));
    edMemo->setGeometry(0, 0, 725, 93);
    edMemo->setFont(textFont);
    QScroller::grabGesture(edMemo->viewport(), QScroller::TouchGesture);
    PnMemo->hide();

    pnHelp = NewHelpPanel(this, QRect(11, 119, 397, 105), 6, 0, &lbHelp);
    pnHelp->hide();

    lbSelect = new QListView(this);
    lbSelect->setObjectName(QStringLiteral("lbSelect"));
    lbSelect->setGeometry(11, 47, 457, 112);
    lbSelect->setFont(textFont);
    lbSelect->setFocusPolicy(Qt::NoFocus);
    lbSelect->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lbSelect->setUniformItemSizes(true);
    lbSelect->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    lbSelect->setItemDelegate(new TRowHeight(lbSelect));
    FSelectModel = new QStringListModel(lbSelect);
    lbSelect->setModel(FSelectModel);
    QScroller::grabGesture(lbSelect->viewport(), QScroller::TouchGesture);
    connect(lbSelect, &QListView::clicked, this, &TTntAscInputForm::EntryTapped);
    lbSelect->hide();

    bnPopup = AddCommandKey(QStringLiteral("bnPopup"), QString(QChar(0x25BC)), QRect(718, 15, 42, 34));
    ConnectClick(bnPopup, [this] { PopupClicked(); });
    bnList = AddStateKey(QStringLiteral("bnList"), {}, QRect(718, 61, 42, 42), 22);
    bnList->SetPopup(true);
    bnList->SetPopupButton(true);
    bnList->SetPopupWidth(220);
    bnList->SetPopupHeight(42);
    connect(bnList, &TCaptionButton::Click, this, &TTntAscInputForm::ListMenuPicked);
    ListMenuItems();
    bnPopup->hide();
    bnList->hide();

    QStringList special;
    for (const char16_t* c : kSpecialChars)
        special << Item(QString::fromUtf16(c), -1);
    bnSpecialChar = AddStateKey(QStringLiteral("bnSpecialChar"), special, QRect(533, 115, 50, 50), 22);
    bnSpecialChar->SetPopup(true);
    bnSpecialChar->SetPopupButton(true);
    if (auto* panel = qobject_cast<TPanelButton*>(bnSpecialChar))
        panel->SetPopupElements(5);
    bnSpecialChar->SetPopupWidth(50);
    bnSpecialChar->SetPopupHeight(50);
    QFont specialFont = bnSpecialChar->font();
    specialFont.setPixelSize(22);
    bnSpecialChar->setFont(specialFont);
    connect(bnSpecialChar, &TCaptionButton::Click, this, &TTntAscInputForm::SpecialCharPicked);

    ConnectClick(AddCommandKey(QStringLiteral("bnCopy"), QStringLiteral("Copy"), QRect(592, 115, kKey, kKey)),
                 [this] { Copy(); });
    ConnectClick(
        AddCommandKey(QStringLiteral("bnPaste"), QStringLiteral("Paste"), QRect(592, 174, kKey, kKey)),
        [this] { Paste(); });
    ConnectClick(AddCommandKey(QStringLiteral("pnUndo"), QStringLiteral("Undo"), QRect(651, 174, kKey, kKey)),
                 [this] { Undo(); });
    AddKey(QStringLiteral("pnHome"), QStringLiteral("Home"), QRect(651, 115, kKey, kKey), {TKeyKind::Home});
    AddKey(QStringLiteral("pnEnd"), QStringLiteral("End"), QRect(709, 115, kKey, kKey), {TKeyKind::End});
    AddKey(QStringLiteral("pnDelete"), QStringLiteral("Delete"), QRect(709, 174, kKey, kKey),
           {TKeyKind::Delete});
    AddKey(QStringLiteral("pnUp"), QString(QChar(0x25B2)), QRect(475, 115, kKey, kKey), {TKeyKind::Up});
    AddKey(QStringLiteral("pnLeft"), QString(QChar(0x25C0)), QRect(417, 174, kKey, kKey), {TKeyKind::Left});
    AddKey(QStringLiteral("pnDown"), QString(QChar(0x25BC)), QRect(475, 175, kKey, kKey), {TKeyKind::Down});
    AddKey(QStringLiteral("pnRight"), QString(QChar(0x25B6)), QRect(533, 174, kKey, kKey), {TKeyKind::Right});

    // Row 234: + 1 ... 9 0 and Backspace.
    AddKey(QStringLiteral("estPlus"), QString(), QRect(11, 234, kKey, kKey), {TKeyKind::Tagged, 11});
    for (int d = 1; d <= 10; ++d)
        AddKey(QStringLiteral("est%1").arg(d % 10), QString(), QRect(11 + d * kPitch, 234, kKey, kKey),
               {TKeyKind::Tagged, d});
    AddKey(QStringLiteral("pnBackSpace"), QStringLiteral("Backspace"), QRect(649, 234, 108, kKey),
           {TKeyKind::BackSpace});
    // Row 292: Tab, Q ... P, and Enter over two rows.
    AddKey(QStringLiteral("pnTab"), QStringLiteral("Tab"), QRect(11, 292, 84, kKey), {TKeyKind::Tab});
    const auto letters = [this](const char* row, int x, int y) {
        for (int i = 0; row[i]; ++i) {
            const QString c(QChar::fromLatin1(row[i]));
            AddKey(QStringLiteral("est") + c, c, QRect(x + i * kPitch, y, kKey, kKey),
                   {TKeyKind::Letter, 0, c});
        }
    };
    letters("QWERTYUIOP", 103, 292);
    AddKey(QStringLiteral("pnEnter"), QStringLiteral("Enter"), QRect(709, 292, 48, 108), {TKeyKind::Enter});
    // Row 350: Caps Lock, A ... L, ;
    pnCaps = AddKey(QStringLiteral("pnCaps"), QStringLiteral("Caps Lock"), QRect(11, 350, 106, kKey),
                    {TKeyKind::Caps});
    letters("ASDFGHJKL", 125, 350);
    AddKey(QStringLiteral("estSemiColon"), QString(), QRect(647, 350, kKey, kKey), {TKeyKind::Tagged, 12});
    // Row 408: Shift, Z ... M , . = Shift.
    pnShift1 = AddKey(QStringLiteral("pnShift1"), QStringLiteral("Shift"), QRect(11, 408, 81, kKey),
                      {TKeyKind::Shift});
    letters("ZXCVBNM", 100, 408);
    AddKey(QStringLiteral("estComma"), QString(), QRect(506, 408, kKey, kKey), {TKeyKind::Tagged, 13});
    AddKey(QStringLiteral("estPoint"), QString(), QRect(564, 408, kKey, kKey), {TKeyKind::Tagged, 15});
    AddKey(QStringLiteral("estEqual"), QString(), QRect(622, 408, kKey, kKey), {TKeyKind::Tagged, 14});
    pnShift2 = AddKey(QStringLiteral("pnShift2"), QStringLiteral("Shift"), QRect(680, 408, 81, kKey),
                      {TKeyKind::Shift});
    // Row 474: the space bar, OK, Cancel, Help.
    AddKey(QStringLiteral("estSpace"), QString(), QRect(61, 474, 316, kKey),
           {TKeyKind::Space, 0, QStringLiteral(" ")});

    auto* ok = AddStateKey(QStringLiteral("pnOK"), {Item(QStringLiteral("OK"), TQelImage::picOk)},
                           QRect(385, 474, 116, kKey), 32);
    connect(ok, &TCaptionButton::Click, this, &TTntAscInputForm::Ok);
    auto* cancel =
        AddStateKey(QStringLiteral("pnCancel"), {Item(QStringLiteral("Cancel"), TQelImage::picCancel)},
                    QRect(510, 474, 116, kKey), 32);
    connect(cancel, &TCaptionButton::Click, this, &TTntAscInputForm::Cancel);
    auto* help = AddStateKey(QStringLiteral("BtnHelp"), {Item(QStringLiteral("Help"), TQelImage::picHelp)},
                             QRect(644, 474, 116, kKey), 32);
    connect(help, &TCaptionButton::Click, this, &TTntAscInputForm::ToggleHelp);

    Relabel();
}

void TTntAscInputForm::ListMenuItems() {
    // Items 4 ... 7 (8-bit: 3 ... 6) set the mode; the current one shows picture 7.
    const auto mode = [this](TInsertMode m) {
        return FMode == m ? TQelImage::picModeOn : TQelImage::picModeOff;
    };
    QStringList items{Item(QString(), TQelImage::picListMenu)};
    if (!FNarrow)
        items << Item(QStringLiteral("Add Entry"), TQelImage::picAddEntry);
    items << Item(QStringLiteral("Clear Entry"), FNarrow ? TQelImage::picListMenu : TQelImage::picClearEntry)
          << Item(QStringLiteral("Clear All"), FNarrow ? TQelImage::picListMenu : TQelImage::picClearAll)
          << Item(QStringLiteral("Ask Insert"), mode(imAskBeforeInsert))
          << Item(QStringLiteral("Auto Insert"), mode(imAutoInsert))
          << Item(QStringLiteral("No Insert"), mode(imNoInsert))
          << Item(QStringLiteral("No Selection List"), mode(imNoSelList));
    bnList->SetCaptionItems(items);
}

void TTntAscInputForm::Relabel() {
    for (auto it = FKeys.cbegin(); it != FKeys.cend(); ++it) {
        if (it->Kind == TKeyKind::Tagged) {
            const QString now = TagChar(it->Tag);
            if (auto* b = qobject_cast<TCaptionButton*>(it.key())) {
                b->SetCaption(now);
            } else if (auto* t = qobject_cast<TExtStaticText*>(it.key())) {
                // The key cap shows its other character small in the corner.
                t->SetCaption(now);
                const bool shifted = FCaps || FShift;
                t->SetShiftCaption(QString::fromLatin1(kCharTable[it->Tag - 1][shifted ? 0 : 1]));
            }
        }
    }
    ShowModifier(pnCaps, FCaps);
    ShowModifier(pnShift1, FShift);
    ShowModifier(pnShift2, FShift);
}

void TTntAscInputForm::ShowModifier(QWidget* key, bool on) {
    if (!key)
        return;
    QFont f = key->font();
    f.setBold(on);
    key->setFont(f);
    if (auto* b = qobject_cast<TPanelButton*>(key)) {
        b->SetBackGroundColor(QColor(0x80, 0x80, 0x80));
        b->SetUseBackGroundColor(on);
    } else if (auto* t = qobject_cast<TExtStaticText*>(key)) {
        t->SetGradMid(on ? QColor(0x80, 0x80, 0x80) : QColor());
    }
    key->update();
}
