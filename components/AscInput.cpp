#include "AscInput.h"

#include "AscInputForm.h"
#include "EntrySwitches.h"
#include "KovaBases.h"
#include "MessageBoxOperator.h"
#include "QuantityTexts.h"
#include "SelectionListForm.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>

namespace {

// A context menu or another window taking over is not the operator leaving the field.
bool Leaving(const QFocusEvent* e) {
    return e->reason() != Qt::PopupFocusReason && e->reason() != Qt::ActiveWindowFocusReason;
}

bool Tapped(const QWidget* w, const QMouseEvent* e) {
    return e->button() == Qt::LeftButton && w->isEnabled() && w->rect().contains(e->position().toPoint());
}

} // namespace

TTntAscEdit::TTntAscEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, &TTntAscEdit::Typed);
}

TTntAscEdit::~TTntAscEdit() {
    delete FDropDown;
}

bool TTntAscEdit::TouchEntry() const {
    return TEntrySwitches::TouchEntryWide;
}

bool TTntAscEdit::InputLists() const {
    return TEntrySwitches::InputListsWide;
}

TTntAscInputForm* TTntAscEdit::NewKeyboard() {
    return new TTntAscInputForm(this);
}

TTntSelectList* TTntAscEdit::NewList(const QString& fileName, const QString& section) const {
    return new TTntSelectList(fileName, section);
}

QString TTntAscEdit::Message(const QString& key) const {
    return FKovaBase ? FKovaBase->Text(key) : TKovaBase::DefaultText(key);
}

void TTntAscEdit::SetSectionName(const QString& section) {
    FSectionName = section;
    FList.reset(); // the next use reads the list of the new section
}

QString TTntAscEdit::ListSection() const {
    if (!FSectionName.isEmpty())
        return FSectionName;
    return TTntAscInputForm::OwnerName(this) + '.' + objectName();
}

QString TTntAscEdit::ListFile() const {
    return FListFile.isEmpty() ? TTntSelectList::DefaultFileName() : FListFile;
}

TTntSelectList* TTntAscEdit::List() {
    if (IsPassword())
        return nullptr;
    if (!FList) {
        FList.reset(NewList(ListFile(), ListSection()));
        FMode = FList->Load(FMode);
    }
    return FList.get();
}

void TTntAscEdit::SetInsertMode(TInsertMode mode) {
    FMode = mode;
    if (FList)
        SaveList();
}

void TTntAscEdit::SaveList() {
    if (!FList || !FList->Changed(FMode))
        return;
    if (!FList->Save(FMode)) {
        TMessageBoxOperator boxes(this);
        (FOperator ? FOperator : &boxes)
            ->Error(FillPlaceholders(Message(QStringLiteral("SErrWritingFile")), {FList->FileName()}));
    }
}

bool TTntAscEdit::ListsInUse() const {
    return InputLists() && !IsPassword() && FMode != imNoSelList;
}

QString TTntAscEdit::Hint() const {
    QString hint = toolTip();
    const QString note = Message(QStringLiteral("SAddInfo"));
    if (!note.isEmpty() && hint.endsWith(note))
        hint.chop(note.size());
    return hint;
}

void TTntAscEdit::UpdateHint() {
    // On a desk the hint tells where the list is set up; on the touch screen there is no right button.
    const QString hint = Hint();
    const QString shown = TouchEntry() ? hint : hint + Message(QStringLiteral("SAddInfo"));
    if (toolTip() != shown)
        setToolTip(shown);
}

void TTntAscEdit::showEvent(QShowEvent* e) {
    QLineEdit::showEvent(e);
    List();
}

bool TTntAscEdit::Ask(const QString& text) {
    TMessageBoxOperator boxes(this);
    TOperatorIFace* op = FOperator ? FOperator : &boxes;
    return op->Message(TOperatorIFace::TKind::Confirmation, QString(), text,
                       TOperatorIFace::TButtons::YesNo) == TOperatorIFace::TAnswer::Yes;
}

// --- touch ---------------------------------------------------------------------------------

void TTntAscEdit::mouseReleaseEvent(QMouseEvent* e) {
    QLineEdit::mouseReleaseEvent(e);
    if (Tapped(this, e) && TouchEntry() && !isReadOnly() && !(FKeyboard && FKeyboard->isVisible()))
        OpenKeyboard();
}

void TTntAscEdit::OpenKeyboard() {
    TTntAscInputForm* kb = NewKeyboard();
    FKeyboard = kb;
    kb->setAttribute(Qt::WA_DeleteOnClose);
    kb->SetListFile(ListFile());
    kb->SetOperator(FOperator);
    kb->SetKovaBase(FKovaBase);
    kb->BindLine(text(), Hint(), IsPassword());
    kb->SetSectionName(ListSection());
    kb->SetAsked(FAsked);
    kb->SetInsertMode(IsPassword() ? imNoInsert : FMode);
    // The keyboard saved the section this box keeps too: read it again.
    connect(kb, &TTntAscInputForm::ListSaved, this, [this] {
        if (FList)
            FMode = FList->Load(FMode);
    });
    connect(kb, &QDialog::finished, this, [this, kb](int result) {
        FKeyboardResult = result;
        if (result != QDialog::Accepted)
            return;
        const QString old = text();
        setText(kb->Text());
        FAsked = kb->Asked();
        FEntryText = FLastText = text();
        if (text() != old)
            Q_EMIT Change();
    });
    kb->open();
}

// --- desk ----------------------------------------------------------------------------------

void TTntAscEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (!Leaving(e))
        return;
    UpdateHint();
    FEntryText = text();
    FLastText = text();
}

void TTntAscEdit::Typed(const QString& text) {
    FAsked = false;
    const QString before = FLastText;
    FLastText = text;
    if (!ListsInUse() || TouchEntry() || !List()) {
        HideDropDown();
        return;
    }
    TTntSelectList* list = List();
    const int at = list->Nearest(text);
    const QString entry = list->Entry(at);
    if (text.isEmpty() || entry == text || !entry.toUpper().startsWith(text.toUpper())) {
        HideDropDown();
        return;
    }
    ShowDropDown(false);
    FDropDown->Select(at);
    // Completed only while the operator adds characters at the end (compared with what was
    // typed, not with the completion): after a deletion the text stays as typed, so Backspace
    // and Delete work.
    if (text.size() > before.size() && cursorPosition() == text.size()) {
        setText(entry);
        setCursorPosition(int(entry.size()));
        cursorBackward(true, int(entry.size() - text.size()));
    }
}

void TTntAscEdit::ShowDropDown(bool focus) {
    TTntSelectList* list = List();
    if (!list || !ListsInUse() || list->Count() == 0) {
        HideDropDown();
        return;
    }
    if (!FDropDown) {
        FDropDown = new TTntSelectionListForm(this);
        connect(FDropDown, &TTntSelectionListForm::Taken, this, &TTntAscEdit::TakeEntry);
        connect(FDropDown, &TTntSelectionListForm::Confirmed, this, [this] {
            HideDropDown();
            setFocus();
            Confirm(false);
        });
        connect(FDropDown, &TTntSelectionListForm::Dismissed, this, [this] {
            HideDropDown();
            setFocus();
        });
    }
    FDropDown->SetItems(list->Sorted());
    FDropDown->Place();
    FDropDown->show();
    FDropDown->raise();
    if (focus) {
        FDropDown->Select(list->Nearest(text()));
        FDropDown->activateWindow();
        FDropDown->List()->setFocus();
    }
}

void TTntAscEdit::HideDropDown() {
    if (FDropDown)
        FDropDown->hide();
}

void TTntAscEdit::TakeEntry(const QString& entry) {
    setText(entry);
    FLastText = entry;
    if (FDropDown)
        FDropDown->SetItems({});
    HideDropDown();
    activateWindow();
    setFocus();
}

void TTntAscEdit::Confirm(bool leaving) {
    // On the touch screen the keyboard keeps the list.
    TTntSelectList* list = ListsInUse() && !TouchEntry() ? List() : nullptr;
    const QString t = text();
    if (list) {
        switch (FMode) {
        case imAutoInsert:
            if (list->Add(t))
                SaveList();
            break;
        case imAskBeforeInsert:
            if (!FAsked && !FAskPending && !t.isEmpty() && !list->Contains(t)) {
                FAskPending = true;
                QCoreApplication::postEvent(this, new QEvent(UM_ASKINSERT));
            }
            break;
        case imOnlyListEntries:
            if (!t.isEmpty() && !list->Contains(t)) {
                clear();
                // Never a modal box inside the focus change itself.
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        TMessageBoxOperator boxes(this);
                        (FOperator ? FOperator : &boxes)
                            ->Error(Message(QStringLiteral("SErrOnlyListValues")));
                    },
                    Qt::QueuedConnection);
            }
            break;
        default:
            break;
        }
    }
    if (FDropDown && !FDropDown->List()->hasFocus())
        HideDropDown();
    if (text().trimmed() != FEntryText.trimmed()) {
        FEntryText = text();
        Q_EMIT Change();
    }
    if (leaving)
        Q_EMIT Exit();
}

void TTntAscEdit::AskInsert() {
    FAskPending = false;
    TTntSelectList* list = List();
    const QString t = text();
    if (!list || FAsked || t.isEmpty() || list->Contains(t))
        return;
    FAsked = true;
    if (Ask(FillPlaceholders(Message(QStringLiteral("SAddToList")), {t})) && list->Add(t))
        SaveList();
}

bool TTntAscEdit::event(QEvent* e) {
    if (e->type() == UM_ASKINSERT) {
        AskInsert();
        return true;
    }
    return QLineEdit::event(e);
}

void TTntAscEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (Leaving(e))
        Confirm(true);
}

void TTntAscEdit::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        QLineEdit::keyPressEvent(e);
        Confirm(false);
        return;
    case Qt::Key_Escape:
        if (FDropDown && FDropDown->isVisible()) {
            HideDropDown();
            return;
        }
        break;
    case Qt::Key_Down:
        if (ListsInUse() && !TouchEntry()) {
            ShowDropDown(true);
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(e);
}

void TTntAscEdit::keyReleaseEvent(QKeyEvent* e) {
    QLineEdit::keyReleaseEvent(e);
    Q_EMIT KeyUp(e->key(), e->modifiers());
}

void TTntAscEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    QLineEdit::mouseDoubleClickEvent(e);
    // The list of valid entries is a double click away.
    if (ListsInUse() && !TouchEntry())
        ShowDropDown(true);
    Q_EMIT DblClick();
}

QMenu* TTntAscEdit::NewContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("pmAscEdit"));
    const bool editable = !isReadOnly();
    menu->addAction(QStringLiteral("Undo"), this, &QLineEdit::undo)
        ->setEnabled(editable && isUndoAvailable());
    menu->addSeparator();
    menu->addAction(QStringLiteral("Cut"), this, &QLineEdit::cut)->setEnabled(editable && hasSelectedText());
    menu->addAction(QStringLiteral("Copy"), this, &QLineEdit::copy)->setEnabled(hasSelectedText());
    menu->addAction(QStringLiteral("Paste"), this, &QLineEdit::paste)->setEnabled(editable);
    menu->addAction(QStringLiteral("Delete"), this, &QLineEdit::del)
        ->setEnabled(editable && hasSelectedText());
    menu->addSeparator();
    menu->addAction(QStringLiteral("Select All"), this, &QLineEdit::selectAll);
    QMenu* entries = menu->addMenu(QStringLiteral("Entry List"));
    entries->setObjectName(QStringLiteral("mnEntryList"));
    QAction* lock =
        entries->addAction(QStringLiteral("Lock Entry"), this, [this] { setReadOnly(!isReadOnly()); });
    lock->setCheckable(true);
    lock->setChecked(isReadOnly());
    entries->addAction(QStringLiteral("Clear Entry"), this, [this] {
        TTntSelectList* list = List();
        const QString t = text();
        if (list && list->Contains(t) &&
            Ask(FillPlaceholders(Message(QStringLiteral("SDeleteElement")), {t}))) {
            list->Delete(t);
            SaveList();
        }
    });
    entries->addAction(QStringLiteral("Clear All"), this, [this] {
        TTntSelectList* list = List();
        if (list && Ask(Message(QStringLiteral("SDeleteListAll")))) {
            list->Clear();
            SaveList();
        }
    });
    entries->addSeparator();
    const struct {
        const char* Caption;
        TInsertMode Mode;
        bool Checked;
    } modes[] = {{"Ask Insert", imAskBeforeInsert, FMode == imAskBeforeInsert},
                 {"Auto Insert", imAutoInsert, FMode == imAutoInsert},
                 {"No Insert", imNoInsert, FMode == imNoInsert || FMode == imNoSelList},
                 {"No Selection List", imNoSelList, false},
                 {"Only Selection List", imOnlyListEntries, FMode == imOnlyListEntries}};
    for (const auto& m : modes) {
        QAction* a = entries->addAction(QString::fromLatin1(m.Caption), this,
                                        [this, mode = m.Mode] { SetInsertMode(mode); });
        a->setCheckable(true);
        a->setChecked(m.Checked);
    }
    entries->setEnabled(!IsPassword());
    return menu;
}

void TTntAscEdit::contextMenuEvent(QContextMenuEvent* e) {
    QMenu* menu = NewContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

// --- memo ----------------------------------------------------------------------------------

TTntAscMemo::TTntAscMemo(QWidget* parent) : QPlainTextEdit(parent) {
    connect(this, &QPlainTextEdit::textChanged, this, &TTntAscMemo::Change);
}

bool TTntAscMemo::TouchEntry() const {
    return TEntrySwitches::TouchEntryWide;
}

TTntAscInputForm* TTntAscMemo::NewKeyboard() {
    return new TTntAscInputForm(this);
}

void TTntAscMemo::mouseReleaseEvent(QMouseEvent* e) {
    QPlainTextEdit::mouseReleaseEvent(e);
    if (Tapped(this, e) && TouchEntry() && !isReadOnly() && !(FKeyboard && FKeyboard->isVisible()))
        OpenKeyboard();
}

void TTntAscMemo::OpenKeyboard() {
    TTntAscInputForm* kb = NewKeyboard();
    FKeyboard = kb;
    kb->setAttribute(Qt::WA_DeleteOnClose);
    kb->SetOperator(FOperator);
    kb->SetKovaBase(FKovaBase);
    kb->BindMemo(toPlainText(), toolTip());
    connect(kb, &QDialog::accepted, this, [this, kb] {
        if (kb->Text() != toPlainText())
            setPlainText(kb->Text());
    });
    kb->open();
}

void TTntAscMemo::focusOutEvent(QFocusEvent* e) {
    QPlainTextEdit::focusOutEvent(e);
    if (Leaving(e))
        Q_EMIT Exit();
}

// --- 8-bit twins ---------------------------------------------------------------------------

bool TAscEdit::TouchEntry() const {
    return TEntrySwitches::TouchEntry;
}

bool TAscEdit::InputLists() const {
    return TEntrySwitches::InputLists;
}

TTntAscInputForm* TAscEdit::NewKeyboard() {
    return new TAscInputForm(this);
}

TTntSelectList* TAscEdit::NewList(const QString& fileName, const QString& section) const {
    return new TSelectList(fileName, section);
}

bool TAscMemo::TouchEntry() const {
    return TEntrySwitches::TouchEntry;
}

TTntAscInputForm* TAscMemo::NewKeyboard() {
    return new TAscInputForm(this);
}
