#pragma once
#include "SelectList.h"

#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

#include <memory>

class QMenu;
class TKovaBase;
class TOperatorIFace;
class TTntAscInputForm;
class TTntSelectionListForm;

// The private message on which a box asks whether to add its text to the list: posted while
// the focus moves, so that no question opens inside the focus change.
constexpr QEvent::Type UM_ASKINSERT = QEvent::Type(4024);

// The text box of the pages. With the touch entry switch on, a tap opens the on-screen keyboard
// on its text, with its list of earlier entries; on a desk the list completes what is typed in a
// drop-down (input lists switch on) and the context menu sets how the list behaves. The list is
// kept in "AscInput.cfg" under SectionName, or under owner name + "." + field name.
//
//   auto* edTrafoName = new TTntAscEdit(this);
//   edTrafoName->setObjectName("edTrafoName");
//   edTrafoName->SetOperator(operator);
//   connect(edTrafoName, &TTntAscEdit::Change, this, &TQelSetupFrame::edTrafoNameChange);
class TTntAscEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TTntAscEdit(QWidget* parent = nullptr);
    ~TTntAscEdit() override;

    QString SectionName() const { return FSectionName; }
    void SetSectionName(const QString& section);
    // The section the list is kept in.
    QString ListSection() const;
    TInsertMode InsertMode() const { return FMode; }
    // Saves the list with the new mode once the list exists.
    void SetInsertMode(TInsertMode mode);
    // The add question was answered for the text as it stands.
    bool Asked() const { return FAsked; }
    // "AscInput.cfg" beside the program unless set.
    void SetListFile(const QString& fileName) { FListFile = fileName; }
    QString ListFile() const;
    void SetOperator(TOperatorIFace* op) { FOperator = op; }
    void SetKovaBase(const TKovaBase* base) { FKovaBase = base; }

    // The box's list, loaded on first use (none for a password box).
    TTntSelectList* List();
    // The keyboard while it is open; the modal result of the last one.
    TTntAscInputForm* Keyboard() const { return FKeyboard; }
    int KeyboardResult() const { return FKeyboardResult; }
    TTntSelectionListForm* DropDown() const { return FDropDown; }
    // The context menu as the right button shows it (the caller owns it).
    QMenu* NewContextMenu(QWidget* parent);
    // The hint without the desktop note.
    QString Hint() const;

Q_SIGNALS:
    void Change();
    void Exit();
    void DblClick();
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    // What the 8-bit twin changes: its switches, its keyboard and its list.
    virtual bool TouchEntry() const;
    virtual bool InputLists() const;
    virtual TTntAscInputForm* NewKeyboard();
    virtual TTntSelectList* NewList(const QString& fileName, const QString& section) const;

    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    bool IsPassword() const { return echoMode() != QLineEdit::Normal; }
    bool ListsInUse() const;
    void OpenKeyboard();
    void Typed(const QString& text);
    void Confirm(bool leaving);
    void AskInsert();
    void ShowDropDown(bool focus);
    void HideDropDown();
    void TakeEntry(const QString& text);
    bool Ask(const QString& text);
    void SaveList();
    QString Message(const QString& key) const;
    void UpdateHint();

    QString FSectionName;
    QString FListFile;
    TInsertMode FMode = imAutoInsert;
    bool FAsked = false;
    bool FAskPending = false;
    QString FEntryText;
    QString FLastText;
    int FKeyboardResult = 0;
    std::unique_ptr<TTntSelectList> FList;
    QPointer<TTntAscInputForm> FKeyboard;
    TTntSelectionListForm* FDropDown = nullptr;
    TOperatorIFace* FOperator = nullptr;
    const TKovaBase* FKovaBase = nullptr;
};

// The memo of the pages: with the touch entry switch on, a tap opens the keyboard in memo mode.
class TTntAscMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TTntAscMemo(QWidget* parent = nullptr);

    void SetOperator(TOperatorIFace* op) { FOperator = op; }
    void SetKovaBase(const TKovaBase* base) { FKovaBase = base; }
    TTntAscInputForm* Keyboard() const { return FKeyboard; }

Q_SIGNALS:
    void Change();
    void Exit();

protected:
    virtual bool TouchEntry() const;
    virtual TTntAscInputForm* NewKeyboard();
    void focusOutEvent(QFocusEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void OpenKeyboard();

    QPointer<TTntAscInputForm> FKeyboard;
    TOperatorIFace* FOperator = nullptr;
    const TKovaBase* FKovaBase = nullptr;
};

// The 8-bit twins: the plain switches, the 8-bit keyboard and list.
class TAscEdit : public TTntAscEdit {
    Q_OBJECT
public:
    explicit TAscEdit(QWidget* parent = nullptr) : TTntAscEdit(parent) {}

protected:
    bool TouchEntry() const override;
    bool InputLists() const override;
    TTntAscInputForm* NewKeyboard() override;
    TTntSelectList* NewList(const QString& fileName, const QString& section) const override;
};

class TAscMemo : public TTntAscMemo {
    Q_OBJECT
public:
    explicit TAscMemo(QWidget* parent = nullptr) : TTntAscMemo(parent) {}

protected:
    bool TouchEntry() const override;
    TTntAscInputForm* NewKeyboard() override;
};
