#include "NumInputForm.h"

#include "ExtStaticText.h"
#include "HelpPanel.h"
#include "KovaBases.h"
#include "MessageBoxOperator.h"
#include "SIPrefixes.h"

#include <QClipboard>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScreen>

#include <algorithm>

namespace {

// Key grid: keys of 90 × 80 with 8 pixels between them, on an 800 × 600 pad.
constexpr int kKeyW = 90;
constexpr int kKeyH = 80;
constexpr int kGap = 8;
constexpr int kTop = 150;

QRect Cell(int x0, int col, int row, int cols = 1, int rows = 1, int width = kKeyW) {
    return QRect(x0 + col * (width + kGap), kTop + row * (kKeyH + kGap), cols * width + (cols - 1) * kGap,
                 rows * kKeyH + (rows - 1) * kGap);
}

const char* const kPrefixNames[] = {"pnPico", "pnNano", "pnMikro", "pnMilli",
                                    "pnSI",   "pnKilo", "pnMega",  "pnGiga"};

// Line breaks of the texts as a label shows them.
QString Lines(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    return text;
}

} // namespace

TTntNumInputForm::TTntNumInputForm(QWidget* parent) : TTntNumInputForm(parent, false) {}

TTntNumInputForm::TTntNumInputForm(QWidget* parent, bool narrow) : QDialog(parent), FNarrow(narrow) {
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(800, 600);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    setPalette(pal);
    setAutoFillBackground(true);
    Build();
}

TExtStaticText* TTntNumInputForm::AddKey(const QString& name, const QString& caption, QRect geometry) {
    auto* key = new TExtStaticText(this);
    key->setObjectName(name);
    key->SetCaption(caption);
    key->SetCenterColor(true);
    key->setGeometry(geometry);
    QFont f = key->font();
    f.setPixelSize(26);
    f.setBold(true);
    key->setFont(f);
    return key;
}

void TTntNumInputForm::Build() {
    edMemo = new QLineEdit(this);
    edMemo->setObjectName(QStringLiteral("edMemo"));
    edMemo->setReadOnly(true);
    edMemo->setFocusPolicy(Qt::NoFocus);
    edMemo->setGeometry(10, 10, 780, 64);
    QFont big = edMemo->font();
    big.setPixelSize(34);
    edMemo->setFont(big);

    pnHelp = NewHelpPanel(this, QRect(10, 82, 780, 58), 8, 18, &lbHelp);

    // Digits in calculator order (7 8 9 on top), 0 twice as wide.
    constexpr int digitsX = 10;
    const int digitCells[10][2] = {{0, 3}, {0, 2}, {1, 2}, {2, 2}, {0, 1},
                                   {1, 1}, {2, 1}, {0, 0}, {1, 0}, {2, 0}};
    for (int d = 0; d <= 9; ++d) {
        auto* key = AddKey(QStringLiteral("pnDigit%1").arg(d), QString::number(d),
                           Cell(digitsX, digitCells[d][0], digitCells[d][1], d == 0 ? 2 : 1));
        const QChar c = QChar('0' + d);
        connect(key, &TExtStaticText::Click, this, [this, c] {
            FEntry.Digit(c);
            Refresh();
        });
    }
    // The key may show the locale's comma; what it types is always the application's ".".
    const QString point =
        FNarrow || QLocale().decimalPoint().isEmpty() ? QStringLiteral(".") : QLocale().decimalPoint();
    connect(AddKey(QStringLiteral("pnDecimal"), point, Cell(digitsX, 2, 3)), &TExtStaticText::Click, this,
            [this] {
                FEntry.Decimal();
                Refresh();
            });
    connect(AddKey(QStringLiteral("pnChangeSign"), QStringLiteral("+/-"), Cell(digitsX, 0, 4)),
            &TExtStaticText::Click, this, [this] {
                FEntry.ChangeSign();
                Refresh();
            });
    connect(AddKey(QStringLiteral("pnExp"), QStringLiteral("exp"), Cell(digitsX, 1, 4)),
            &TExtStaticText::Click, this, [this] {
                FEntry.Exp();
                Refresh();
            });
    connect(AddKey(QStringLiteral("pnBackSpace"), QString(QChar(0x2190)), Cell(digitsX, 2, 4)),
            &TExtStaticText::Click, this, [this] {
                FEntry.BackSpace();
                Refresh();
            });

    // Prefix keys, small to large, two to a row.
    constexpr int prefixX = 10 + 3 * (kKeyW + kGap) + 14;
    for (int i = 0; i < 8; ++i) {
        const int exponent = TNumPadEntry::KeyExponents[i];
        auto* key = AddKey(QString::fromLatin1(kPrefixNames[i]), QString(), Cell(prefixX, i % 2, i / 2));
        FPrefixKeys << key;
        connect(key, &TExtStaticText::Click, this, [this, exponent] {
            FEntry.SelectPrefix(exponent);
            Refresh();
        });
    }

    constexpr int functionX = prefixX + 2 * (kKeyW + kGap) + 14;
    constexpr int functionW = (790 - functionX - kGap) / 2;
    struct TFunctionKey {
        const char* Name;
        QString Caption;
        int Col, Row, Cols;
        void (TNumPadEntry::*Action)();
    };
    const TFunctionKey functions[] = {
        {"pnShow", QStringLiteral("Show"), 0, 0, 1, &TNumPadEntry::Show},
        {"pnUndo", QStringLiteral("Undo"), 1, 0, 1, &TNumPadEntry::Undo},
        {"pnClear", FNarrow ? QStringLiteral("Delete") : QStringLiteral("Clear"), 0, 1, 2,
         &TNumPadEntry::Clear},
    };
    for (const auto& fk : functions) {
        auto* key = AddKey(QString::fromLatin1(fk.Name), fk.Caption,
                           Cell(functionX, fk.Col, fk.Row, fk.Cols, 1, functionW));
        const auto action = fk.Action;
        connect(key, &TExtStaticText::Click, this, [this, action] {
            (FEntry.*action)();
            Refresh();
        });
    }
    connect(AddKey(QStringLiteral("pnCopy"), QStringLiteral("Copy"), Cell(functionX, 0, 2, 1, 1, functionW)),
            &TExtStaticText::Click, this, &TTntNumInputForm::CopyDisplay);
    connect(
        AddKey(QStringLiteral("pnPaste"), QStringLiteral("Paste"), Cell(functionX, 1, 2, 1, 1, functionW)),
        &TExtStaticText::Click, this, &TTntNumInputForm::PasteClipboard);
    pnOK = AddKey(QStringLiteral("pnOK"), QStringLiteral("OK"), Cell(functionX, 0, 3, 1, 2, functionW));
    connect(pnOK, &TExtStaticText::Click, this, &TTntNumInputForm::Confirm);
    auto* cancel =
        AddKey(QStringLiteral("pnCancel"), QStringLiteral("Cancel"), Cell(functionX, 1, 3, 1, 2, functionW));
    connect(cancel, &TExtStaticText::Click, this, &QDialog::reject);
}

void TTntNumInputForm::Setup(double value, const TQuantityFormat& format, const QString& label, double min,
                             double max, const QString& help) {
    FLabel = label;
    FHelp = help;
    FMin = min;
    FMax = max;
    FValue = value;
    FEntry.Open(value, format, min, max, !FNarrow);
    Refresh();
}

QString TTntNumInputForm::Text(const QString& key) const {
    return FKovaBase ? FKovaBase->Text(key) : TKovaBase::DefaultText(key);
}

QString TTntNumInputForm::DisplayText() const {
    return FEntry.DisplayText(FLabel);
}

QString TTntNumInputForm::HelpText() const {
    if (!FHelp.isEmpty())
        return FHelp;
    if (!HasRange(FMin, FMax))
        return QString();
    const QStringList bounds = {QuantityTextWithUnit(FEntry.Format(), FMin),
                                QuantityTextWithUnit(FEntry.Format(), FMax)};
    if (FNarrow)
        return FLabel.isEmpty()
                   ? FillPlaceholders(QStringLiteral("Please enter value between %s and %s"), bounds)
                   : FillPlaceholders(QStringLiteral("%s:\n\rPlease enter value between %s and %s"),
                                      QStringList{FLabel} + bounds);
    return FLabel.isEmpty()
               ? FillPlaceholders(Text(QStringLiteral("SNumValBetween")), bounds)
               : FillPlaceholders(Text(QStringLiteral("SNumValLblBtw")), QStringList{FLabel} + bounds);
}

TExtStaticText* TTntNumInputForm::Key(const QString& name) const {
    return findChild<TExtStaticText*>(name, Qt::FindDirectChildrenOnly);
}

void TTntNumInputForm::Refresh() {
    const QString text = DisplayText();
    edMemo->setText(text);
    edMemo->setSelection(FEntry.EntryStart(FLabel), int(FEntry.Entry().size()));
    for (int i = 0; i < FPrefixKeys.size(); ++i) {
        TExtStaticText* key = FPrefixKeys[i];
        const int exponent = TNumPadEntry::KeyExponents[i];
        key->setVisible(FEntry.PrefixKeyVisible(exponent));
        key->SetCaption((exponent == 0 ? QString() : PrefixLetter(exponent)) + FEntry.Format().Unit);
        const bool chosen = FEntry.HasPrefix() && FEntry.Prefix() == exponent;
        key->SetGradMid(chosen ? QColor(255, 210, 90) : QColor());
    }
    const QString help = HelpText();
    lbHelp->setText(Lines(help));
    pnHelp->setVisible(!help.isEmpty());
    // A half-typed entry ("-", "0E") cannot be confirmed.
    pnOK->setEnabled(FEntry.IsNumber());
}

void TTntNumInputForm::Confirm() {
    double v = 0;
    if (!FEntry.Result(v))
        return;
    if (OutOfRange(v, FMin, FMax)) {
        const QStringList bounds = {QuantityTextWithUnit(FEntry.Format(), FMin),
                                    QuantityTextWithUnit(FEntry.Format(), FMax)};
        const QString format = FNarrow ? QStringLiteral("Value has to be between %s and %s")
                                       : Text(QStringLiteral("SNumValErr"));
        const QString message = FillPlaceholders(format, bounds);
        if (FOperator) {
            FOperator->Error(message);
        } else {
            TMessageBoxOperator boxes(this);
            boxes.Error(message);
        }
        return;
    }
    FValue = v;
    accept();
}

void TTntNumInputForm::CopyDisplay() {
    QGuiApplication::clipboard()->setText(DisplayText());
}

void TTntNumInputForm::PasteClipboard() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    if (FEntry.Paste(text))
        Refresh();
}

void TTntNumInputForm::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const QString text = e->text();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Confirm();
    } else if (key == Qt::Key_Escape) {
        reject();
    } else if (key == Qt::Key_Delete) {
        FEntry.Clear();
    } else if (key == Qt::Key_Backspace) {
        FEntry.BackSpace();
    } else if ((key == Qt::Key_Insert && mods == Qt::ControlModifier) || e->matches(QKeySequence::Copy)) {
        CopyDisplay();
    } else if ((key == Qt::Key_Insert && mods == Qt::ShiftModifier) || e->matches(QKeySequence::Paste)) {
        PasteClipboard();
    } else if (text.size() == 1 && text[0].isDigit() && text[0].unicode() < 128) {
        FEntry.Digit(text[0]);
    } else if (text == QLatin1String(".") || text == QLatin1String(",") ||
               (!QLocale().decimalPoint().isEmpty() && text == QLocale().decimalPoint())) {
        FEntry.Decimal();
    } else {
        QDialog::keyPressEvent(e);
        return;
    }
    Refresh();
}

void TTntNumInputForm::showEvent(QShowEvent* e) {
    // Over the window it was opened from, inside the screen.
    const QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
    const QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
    QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    QRect frame(QPoint(0, 0), size());
    frame.moveCenter(over ? over->frameGeometry().center() : area.center());
    frame.moveLeft(
        std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width() + 1)));
    frame.moveTop(
        std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height() + 1)));
    move(frame.topLeft());
    // The prefix letters may have been translated since the pad was set up.
    Refresh();
    QDialog::showEvent(e);
    setFocus();
}
