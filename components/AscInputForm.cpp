#include "AscInputForm.h"

#include "CaptionButton.h"
#include "KeyRepeat.h"
#include "KovaBases.h"
#include "MessageBoxOperator.h"
#include "QuantityTexts.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStringListModel>

#include <algorithm>

namespace {

constexpr int kRepeatMs = 100;
// The first ticks only wait: a short touch types once.
constexpr int kRepeatAfter = 4;

// The key code that goes with a character; the event's text carries the character itself.
int KeyFor(QChar c) {
    if (c >= u'a' && c <= u'z')
        return Qt::Key_A + (c.unicode() - u'a');
    if (c.unicode() < 0x100) {
        const char16_t upper = c.toUpper().unicode();
        return upper < 0x100 ? upper : c.unicode();
    }
    return Qt::Key_unknown;
}

} // namespace

QString TTntAscInputForm::OwnerName(const QWidget* w) {
    for (const QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget())
        if (!p->objectName().isEmpty())
            return p->objectName();
    return QString();
}

TTntAscInputForm::TTntAscInputForm(QWidget* owner) : TTntAscInputForm(owner, false) {}

TTntAscInputForm::TTntAscInputForm(QWidget* owner, bool narrow)
    : QDialog(owner), FNarrow(narrow), FOwner(owner) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    auto* ticks = new TTimerTicks(this);
    FTicks = ticks;
    connect(FTicks, &TTickSource::Tick, this, &TTntAscInputForm::RepeatTick);
    Build();
    BindLine(QString(), QString(), false);
}

TTntAscInputForm::~TTntAscInputForm() = default;

void TTntAscInputForm::SetTickSource(TTickSource* ticks) {
    if (!ticks || ticks == FTicks)
        return;
    StopRepeat();
    delete FTicks;
    FTicks = ticks;
    ticks->setParent(this);
    connect(FTicks, &TTickSource::Tick, this, &TTntAscInputForm::RepeatTick);
}

TTntSelectList* TTntAscInputForm::NewList(const QString& fileName, const QString& section) const {
    return new TTntSelectList(fileName, section);
}

TTntSelectList* TAscInputForm::NewList(const QString& fileName, const QString& section) const {
    return new TSelectList(fileName, section);
}

QString TTntAscInputForm::ListFile() const {
    return FListFile.isEmpty() ? TTntSelectList::DefaultFileName() : FListFile;
}

QString TTntAscInputForm::SectionName() const {
    if (!FSection.isEmpty() || !FOwner)
        return FSection;
    const QString name = FOwner->objectName();
    const QString owner = OwnerName(FOwner);
    if (owner.isEmpty())
        return name;
    return owner + '.' + name;
}

void TTntAscInputForm::SetInsertMode(TInsertMode mode) {
    FMode = mode;
    ListMenuItems();
    UpdateListParts();
}

QString TTntAscInputForm::Message(const QString& key) const {
    return FKovaBase ? FKovaBase->Text(key) : TKovaBase::DefaultText(key);
}

QWidget* TTntAscInputForm::Part(const QString& name) const {
    return findChild<QWidget*>(name);
}

QString TTntAscInputForm::Text() const {
    return FMemo ? edMemo->toPlainText() : edText->text();
}

void TTntAscInputForm::SetText(const QString& text) {
    if (FMemo) {
        edMemo->setPlainText(text);
        edMemo->moveCursor(QTextCursor::End);
    } else {
        edText->setText(text);
    }
}

QString TTntAscInputForm::HelpText() const {
    return lbHelp->text();
}

bool TTntAscInputForm::HelpShown() const {
    return !pnHelp->isHidden();
}

bool TTntAscInputForm::SelectListShown() const {
    return !lbSelect->isHidden();
}

QStringList TTntAscInputForm::SelectListItems() const {
    return FSelectModel->stringList();
}

// --- binding and showing -------------------------------------------------------------------

void TTntAscInputForm::BindLine(const QString& text, const QString& hint, bool password) {
    FMemo = false;
    FPassword = password;
    FHint = hint;
    PnMemo->hide();
    edText->show();
    edText->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
    edText->setText(text);
    FUndoText = text;
    FFreshBind = true;
    FCaps = false;
    FShift = false;
    StopRepeat();
    lbHelp->setText(hint.isEmpty() ? Message(QStringLiteral("SSorryNoHlpAvail")) : hint);
    pnHelp->setVisible(!hint.isEmpty());
    FSelectModel->setStringList({});
    Relabel();
    UpdateListParts();
}

void TTntAscInputForm::BindMemo(const QString& text, const QString& hint) {
    BindLine(QString(), hint, false);
    FMemo = true;
    edText->hide();
    bnPopup->hide();
    bnList->hide();
    lbSelect->hide();
    PnMemo->show();
    edMemo->setPlainText(text);
    edMemo->moveCursor(QTextCursor::End);
    FUndoText = text;
}

void TTntAscInputForm::showEvent(QShowEvent* e) {
    const QWidget* over = FOwner ? FOwner->window() : nullptr;
    const QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(e);
    if (FMemo) {
        edMemo->setFocus();
    } else {
        edText->setFocus();
        // The wide keyboard opens on the whole text selected, so the first key replaces it; the
        // 8-bit one puts the caret at the end. Set once the dialog has given its first focus
        // (which selects the whole text).
        if (FFreshBind)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!FFreshBind)
                        return;
                    FFreshBind = false;
                    if (FNarrow)
                        edText->end(false);
                    else
                        edText->selectAll();
                },
                Qt::QueuedConnection);
        EnsureList();
        UpdateListParts();
    }
}

void TTntAscInputForm::hideEvent(QHideEvent* e) {
    StopRepeat();
    QDialog::hideEvent(e);
}

void TTntAscInputForm::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && !isActiveWindow())
        StopRepeat();
}

// --- the list ------------------------------------------------------------------------------

void TTntAscInputForm::EnsureList() {
    // A password never goes near the list, not even to read its stored mode.
    if (FMemo || FPassword || !FUseList || FList)
        return;
    FList.reset(NewList(ListFile(), SectionName()));
    FMode = FList->Load(FMode);
    ListMenuItems();
}

void TTntAscInputForm::UpdateListParts() {
    const bool lists = !FMemo && !FPassword && FUseList && FMode != imNoSelList;
    const bool entries = FList && FList->Count() > 0;
    bnPopup->setVisible(lists && entries);
    bnList->setVisible(lists && entries);
    lbSelect->setVisible(lists && FSelectModel->rowCount() > 0);
    if (!lbSelect->isHidden())
        lbSelect->raise();
}

void TTntAscInputForm::RefillList(bool show) {
    EnsureList();
    if (!FList || !show) {
        FSelectModel->setStringList({});
        UpdateListParts();
        return;
    }
    QStringList rows = FSelectModel->stringList();
    bool refilled = false;
    const int at = FList->Nearest(edText->text(), &rows, &refilled);
    // Refilled whenever the entries differ, not only when their number does.
    if (refilled)
        FSelectModel->setStringList(rows);
    if (!rows.isEmpty()) {
        const QModelIndex index = FSelectModel->index(std::min(at, int(rows.size()) - 1), 0);
        lbSelect->setCurrentIndex(index);
        lbSelect->scrollTo(index);
    }
    UpdateListParts();
}

void TTntAscInputForm::TextEdited(const QString& text) {
    // A new text earns the add question again.
    FAsked = false;
    if (!FMemo)
        RefillList(!text.isEmpty());
}

void TTntAscInputForm::EntryTapped(const QModelIndex& index) {
    SetEntryText(index.data().toString());
    FSelectModel->setStringList({});
    UpdateListParts();
}

void TTntAscInputForm::PopupClicked() {
    if (FPassword)
        return;
    RefillList(FSelectModel->rowCount() == 0);
}

void TTntAscInputForm::SetEntryText(const QString& text) {
    edText->setText(text);
    edText->setFocus();
}

void TTntAscInputForm::StepEntry(int delta) {
    const QString text = edText->text();
    const int at = FList->Nearest(text);
    const bool exact = FList->Entry(at) == text;
    const int target = std::clamp(delta > 0 ? (exact ? at + 1 : at) : at - 1, 0, FList->Count() - 1);
    SetEntryText(FList->Entry(target));
    if (!lbSelect->isHidden())
        RefillList(true);
}

bool TTntAscInputForm::Ask(const QString& text, const QString& title) {
    TMessageBoxOperator boxes(this);
    TOperatorIFace* op = FOperator ? FOperator : &boxes;
    return op->Message(TOperatorIFace::TKind::Confirmation, title, text, TOperatorIFace::TButtons::YesNo) ==
           TOperatorIFace::TAnswer::Yes;
}

void TTntAscInputForm::ShowError(const QString& text) {
    TMessageBoxOperator boxes(this);
    (FOperator ? FOperator : &boxes)->Error(text);
}

void TTntAscInputForm::ListMenuPicked() {
    EnsureList();
    if (!FList)
        return;
    // The 8-bit menu has no "Add Entry": its items are one lower.
    const int item = bnList->State() + (FNarrow ? 1 : 0);
    const QString text = edText->text();
    const QString addTitle = FNarrow ? QStringLiteral("Text Input") : QString();
    const QString deleteTitle = FNarrow ? QStringLiteral("Error") : QString();
    const QString addText = FNarrow ? QStringLiteral("Do you want to add \"%s\" to the list?")
                                    : Message(QStringLiteral("SAddToList"));
    switch (item) {
    case 1:
        if (!text.isEmpty() && !FList->Contains(text) && Ask(FillPlaceholders(addText, {text}), addTitle))
            FList->Add(text);
        break;
    case 2:
        if (FList->Contains(text) &&
            Ask(FillPlaceholders(Message(QStringLiteral("SDeleteElement")), {text}), deleteTitle)) {
            FList->Delete(text);
            edText->clear();
        }
        break;
    case 3:
        if (Ask(Message(QStringLiteral("SDeleteListAll")), deleteTitle))
            FList->Clear();
        break;
    case 4:
        FMode = imAskBeforeInsert;
        break;
    case 5:
        FMode = imAutoInsert;
        break;
    case 6:
        FMode = imNoInsert;
        break;
    case 7:
        FMode = imNoSelList;
        break;
    default:
        return;
    }
    ListMenuItems();
    RefillList(!lbSelect->isHidden());
}

// --- OK and Cancel -------------------------------------------------------------------------

void TTntAscInputForm::Ok() {
    if (FClosing)
        return;
    if (!FMemo && !FPassword) {
        EnsureList();
        const QString text = edText->text();
        if (!FAsked && FList) {
            if (FMode == imAutoInsert) {
                FList->Add(text);
            } else if (FMode == imAskBeforeInsert && !text.isEmpty() && !FList->Contains(text)) {
                const QString question = FNarrow ? QStringLiteral("Do you want to add \"%s\" to the list?")
                                                 : Message(QStringLiteral("SAddToList"));
                if (Ask(FillPlaceholders(question, {text}),
                        FNarrow ? QStringLiteral("Text Input") : QString()))
                    FList->Add(text);
                FAsked = true;
            }
        }
    }
    FClosing = true;
    StopRepeat();
    if (FList && FList->Changed(FMode)) {
        if (FList->Save(FMode))
            Q_EMIT ListSaved();
        else
            ShowError(FillPlaceholders(Message(QStringLiteral("SErrWritingFile")), {FList->FileName()}));
    }
    accept();
}

void TTntAscInputForm::Cancel() {
    if (FClosing)
        return;
    FClosing = true;
    StopRepeat();
    // The text stays as it was; what the operator confirmed in the list menu is kept.
    if (FList && FList->Changed(FMode) && FList->Save(FMode))
        Q_EMIT ListSaved();
    reject();
}

void TTntAscInputForm::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // Enter is OK, with OK's rules for the list: a password or "No Selection List" never
        // stores.
        if (!FMemo)
            Ok();
        return;
    }
    if (key == Qt::Key_Escape) {
        Cancel();
        return;
    }
    if (!FMemo && (key == Qt::Key_Up || key == Qt::Key_Down) && FList && FList->Count() > 0 && !FPassword) {
        StepEntry(key == Qt::Key_Down ? 1 : -1);
        return;
    }
    if (key == Qt::Key_Home || key == Qt::Key_End) {
        const QStringList rows = FSelectModel->stringList();
        if (!lbSelect->isHidden() && !rows.isEmpty())
            SetEntryText(key == Qt::Key_Home ? rows.first() : rows.last());
        else
            (FMemo ? static_cast<QWidget*>(edMemo) : edText)->setFocus();
        return;
    }
    QDialog::keyPressEvent(e);
}

// --- keys ----------------------------------------------------------------------------------

void TTntAscInputForm::Send(int qtKey, const QString& text) {
    QWidget* target = FMemo ? static_cast<QWidget*>(edMemo) : edText;
    target->setFocus();
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

void TTntAscInputForm::TypeChar(const QString& c) {
    if (c.isEmpty() || FClosing)
        return;
    Send(KeyFor(c[0]), c.left(1));
}

void TTntAscInputForm::SendNavigation(TKeyKind kind) {
    static constexpr struct {
        TKeyKind Kind;
        int Key;
    } keys[] = {{TKeyKind::BackSpace, Qt::Key_Backspace},
                {TKeyKind::Home, Qt::Key_Home},
                {TKeyKind::End, Qt::Key_End},
                {TKeyKind::Delete, Qt::Key_Delete},
                {TKeyKind::Up, Qt::Key_Up},
                {TKeyKind::Down, Qt::Key_Down},
                {TKeyKind::Left, Qt::Key_Left},
                {TKeyKind::Right, Qt::Key_Right}};
    if (kind == TKeyKind::Enter) {
        Send(Qt::Key_Return, FMemo ? QStringLiteral("\r") : QString());
    } else if (kind == TKeyKind::Tab) {
        // A line has no tab; the memo takes it as a character.
        if (FMemo)
            Send(Qt::Key_Tab, QStringLiteral("\t"));
    } else {
        for (const auto& k : keys)
            if (k.Kind == kind)
                Send(k.Key, QString());
    }
}

void TTntAscInputForm::KeyClicked(QWidget* key) {
    const auto it = FKeys.constFind(key);
    if (it == FKeys.cend() || FClosing)
        return;
    const TKey k = *it;
    switch (k.Kind) {
    case TKeyKind::Letter:
        TypeChar(FCaps || FShift ? k.Char.toUpper() : k.Char.toLower());
        break;
    case TKeyKind::Tagged:
        TypeChar(TagChar(k.Tag));
        break;
    case TKeyKind::Space:
        TypeChar(k.Char);
        break;
    case TKeyKind::Caps:
    case TKeyKind::Shift:
        ToggleModifier(k.Kind);
        return;
    default:
        SendNavigation(k.Kind);
        break;
    }
    // Shift acts for one key; Caps Lock stays.
    if (FShift && !FClosing) {
        FShift = false;
        Relabel();
    }
}

void TTntAscInputForm::KeyPressed(QWidget* key) {
    const auto it = FKeys.constFind(key);
    if (it == FKeys.cend() || FClosing)
        return;
    if (it->Kind == TKeyKind::Caps || it->Kind == TKeyKind::Shift) {
        ToggleModifier(it->Kind);
        return;
    }
    KeyClicked(key);
    if (FClosing)
        return;
    FRepeatKey = key;
    FRepeatCount = 0;
    FTicks->Start(kRepeatMs);
}

void TTntAscInputForm::KeyReleased() {
    StopRepeat();
}

void TTntAscInputForm::StopRepeat() {
    if (FTicks)
        FTicks->Stop();
    FRepeatKey = nullptr;
    FRepeatCount = 0;
}

void TTntAscInputForm::RepeatTick() {
    if (!FRepeatKey || !FRepeatKey->isVisible()) {
        StopRepeat();
        return;
    }
    if (++FRepeatCount >= kRepeatAfter)
        KeyClicked(FRepeatKey);
}

void TTntAscInputForm::ToggleModifier(TKeyKind kind) {
    if (kind == TKeyKind::Caps)
        FCaps = !FCaps;
    else
        FShift = !FShift;
    Relabel();
}

void TTntAscInputForm::SpecialCharPicked() {
    TypeChar(bnSpecialChar->ItemCaption(bnSpecialChar->State()));
    if (!FMemo)
        edText->deselect();
}

bool TTntAscInputForm::eventFilter(QObject* watched, QEvent* e) {
    // A finger that slides off a held key ends its repeat.
    if (FRepeatKey && watched == FRepeatKey) {
        if (e->type() == QEvent::Leave) {
            StopRepeat();
        } else if (e->type() == QEvent::MouseMove) {
            const auto* me = static_cast<QMouseEvent*>(e);
            if (!FRepeatKey->rect().contains(me->position().toPoint()))
                StopRepeat();
        }
    }
    return QDialog::eventFilter(watched, e);
}

// --- clipboard, undo, help -----------------------------------------------------------------

void TTntAscInputForm::Copy() {
    QGuiApplication::clipboard()->setText(Text());
}

void TTntAscInputForm::Paste() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    // A line takes a pasted text as one line.
    SetText(FMemo ? text : TTntSelectList::ListText(text));
    if (!FMemo)
        TextEdited(edText->text());
}

void TTntAscInputForm::Undo() {
    SetText(FUndoText);
}

void TTntAscInputForm::ToggleHelp() {
    pnHelp->setVisible(pnHelp->isHidden());
    if (!pnHelp->isHidden())
        pnHelp->raise();
}
