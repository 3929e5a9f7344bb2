#pragma once
#include "SelectList.h"

#include <QDialog>
#include <QHash>
#include <QPointer>

#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;
class QPlainTextEdit;
class QStringListModel;
class TCaptionButton;
class TImageList;
class TKovaBase;
class TOperatorIFace;
class TTickSource;

// The on-screen text keyboard: a modal form of large keys for typing a line (with the field's
// list of earlier entries) or a memo with a finger. Every key reaches the text as a QKeyEvent
// carrying the exact character it shows, so the text never depends on the keyboard layout of
// the system. Shift acts for one key, Caps Lock stays; Home, End and Delete repeat while held.
//
//   auto* kb = new TTntAscInputForm(edTrafoName);
//   kb->BindLine(edTrafoName->text(), edTrafoName->toolTip(), false);
//   kb->SetSectionName("QelSetupFrame.edTrafoName");
//   kb->SetInsertMode(imAutoInsert);
//   connect(kb, &QDialog::accepted, edTrafoName, [=] { edTrafoName->setText(kb->Text()); });
//   kb->open();
class TTntAscInputForm : public QDialog {
    Q_OBJECT
public:
    // Kinds of key; a key's tag selects its pair in the character table.
    enum class TKeyKind {
        Letter,
        Tagged,
        Space,
        BackSpace,
        Tab,
        Enter,
        Caps,
        Shift,
        Home,
        End,
        Delete,
        Up,
        Down,
        Left,
        Right
    };

    // owner: the field (or control) the keyboard types for; it names the list without a section.
    explicit TTntAscInputForm(QWidget* owner = nullptr);
    ~TTntAscInputForm() override;

    // Line mode (a single-line field or a combo box's text) or memo mode.
    void BindLine(const QString& text, const QString& hint, bool password);
    void BindMemo(const QString& text, const QString& hint);
    bool MemoMode() const { return FMemo; }
    bool Password() const { return FPassword; }

    // The section of the field's list; empty: the owner's name, after its owner's name and ".".
    void SetSectionName(const QString& section) { FSection = section; }
    QString SectionName() const;
    void SetInsertMode(TInsertMode mode);
    TInsertMode InsertMode() const { return FMode; }
    // The add question was answered for this text already.
    void SetAsked(bool asked) { FAsked = asked; }
    bool Asked() const { return FAsked; }
    // "AscInput.cfg" beside the program unless set.
    void SetListFile(const QString& fileName) { FListFile = fileName; }
    // Off: a text without a list of earlier entries (a new folder's name).
    void SetUseList(bool on) { FUseList = on; }
    QString ListFile() const;
    // Where the questions go; message boxes over the keyboard when none is set.
    void SetOperator(TOperatorIFace* op) { FOperator = op; }
    // Translated texts; the built-in ones when none is set.
    void SetKovaBase(const TKovaBase* base) { FKovaBase = base; }
    // The ticks of the key repeat (taken over); a 100 ms timer unless set.
    void SetTickSource(TTickSource* ticks);

    // The text as it stands (after OK: the result).
    QString Text() const;
    // The list, once the keyboard has been shown in line mode (none for a password field).
    TTntSelectList* List() const { return FList.get(); }

    // The name of the nearest named widget above w: the form or frame a field belongs to.
    static QString OwnerName(const QWidget* w);

    // A part by its name ("pnOK", "estQ", "est1", "pnShift1", "bnList", "lbSelect", "edText").
    QWidget* Part(const QString& name) const;
    bool CapsLock() const { return FCaps; }
    bool ShiftOn() const { return FShift; }
    // The character a tagged key types now (tags 1 ... 17).
    QString TagChar(int tag) const;
    QString HelpText() const;
    bool HelpShown() const;
    bool SelectListShown() const;
    QStringList SelectListItems() const;

    // What the keys and the list menu do, also for the hardware keyboard.
    void Ok();
    void Cancel();

Q_SIGNALS:
    // The list was saved with these entries (the field's own list reloads).
    void ListSaved();

protected:
    // The 8-bit twin: key caps that type on press, the shift character in the key's corner,
    // state buttons, a list menu without "Add Entry", its own question titles.
    TTntAscInputForm(QWidget* owner, bool narrow);
    virtual TTntSelectList* NewList(const QString& fileName, const QString& section) const;

    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    struct TKey {
        TKey(TKeyKind kind = TKeyKind::Space, int tag = 0, const QString& c = QString())
            : Kind(kind), Tag(tag), Char(c) {}
        TKeyKind Kind;
        int Tag;
        QString Char; // a letter key's letter, the space key's blank
    };

    // Layout (AscInputFormLayout.cpp).
    void Build();
    QWidget* AddKey(const QString& name, const QString& caption, QRect geometry, TKey key);
    QWidget* AddCommandKey(const QString& name, const QString& caption, QRect geometry);
    TCaptionButton* AddStateKey(const QString& name, const QStringList& items, QRect geometry, int imageSize);
    void ConnectPress(QWidget* key, std::function<void()> pressed, std::function<void()> released);
    void ConnectClick(QWidget* key, std::function<void()> clicked);
    void Relabel();
    void ShowModifier(QWidget* key, bool on);
    void ListMenuItems();

    // Behaviour (AscInputForm.cpp).
    void KeyPressed(QWidget* key);
    void KeyReleased();
    void KeyClicked(QWidget* key);
    void Send(int qtKey, const QString& text);
    void SendNavigation(TKeyKind kind);
    void StartRepeat(TKeyKind kind);
    void StopRepeat();
    void RepeatTick();
    void ToggleModifier(TKeyKind kind);
    void TypeChar(const QString& c);
    void SpecialCharPicked();
    void ListMenuPicked();
    void PopupClicked();
    void TextEdited(const QString& text);
    void EntryTapped(const QModelIndex& index);
    void RefillList(bool show);
    void UpdateListParts();
    void SetEntryText(const QString& text);
    void StepEntry(int delta);
    void EnsureList();
    bool Ask(const QString& text, const QString& title);
    void ShowError(const QString& text);
    void Copy();
    void Paste();
    void Undo();
    void ToggleHelp();
    QString Message(const QString& key) const;
    void SetText(const QString& text);

    const bool FNarrow;
    QPointer<QWidget> FOwner;
    bool FMemo = false;
    bool FPassword = false;
    bool FUseList = true;
    QString FHint;
    QString FUndoText;
    QString FSection;
    QString FListFile;
    TInsertMode FMode = imAutoInsert;
    bool FAsked = false;
    bool FCaps = false;
    bool FShift = false;
    bool FClosing = false;
    bool FFreshBind = false; // the opening selection is still to be set
    std::unique_ptr<TTntSelectList> FList;
    TOperatorIFace* FOperator = nullptr;
    const TKovaBase* FKovaBase = nullptr;
    TTickSource* FTicks = nullptr;
    TKeyKind FRepeatKind = TKeyKind::Home;
    QPointer<QWidget> FRepeatKey;
    int FRepeatCount = 0;

    QHash<QWidget*, TKey> FKeys;
    TImageList* FImages22 = nullptr;
    TImageList* FImages32 = nullptr;
    QLineEdit* edText = nullptr;
    QFrame* PnMemo = nullptr;
    QPlainTextEdit* edMemo = nullptr;
    QListView* lbSelect = nullptr;
    QStringListModel* FSelectModel = nullptr;
    QFrame* pnHelp = nullptr;
    QLabel* lbHelp = nullptr;
    QWidget* bnPopup = nullptr;
    TCaptionButton* bnList = nullptr;
    TCaptionButton* bnSpecialChar = nullptr;
    QWidget* pnShift1 = nullptr;
    QWidget* pnShift2 = nullptr;
    QWidget* pnCaps = nullptr;
};

// The 8-bit twin, opened by TAscEdit, TAscMemo and the 8-bit touch combo box.
class TAscInputForm : public TTntAscInputForm {
    Q_OBJECT
public:
    explicit TAscInputForm(QWidget* owner = nullptr) : TTntAscInputForm(owner, true) {}

protected:
    TTntSelectList* NewList(const QString& fileName, const QString& section) const override;
};
