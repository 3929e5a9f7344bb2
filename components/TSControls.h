#pragma once
#include <QFrame>
#include <QPointer>
#include <QStringList>

class QLineEdit;
class QListView;
class QStringListModel;
class TExtStaticText;
class TKovaBase;
class TOperatorIFace;
class TTntAscInputForm;

// The touch combo box: a framed field with a large arrow key; a touch drops down a list of
// rows as high as the box, below it or, where there is no room below, above it. A touched row
// is the choice; `Change` comes only when the chosen item really changes. Touching anything
// else closes the list and changes nothing.
//
//   auto* cbTestVoltage = new TTSComboBox(this);
//   cbTestVoltage->SetDropDownList(true);
//   cbTestVoltage->SetItems({"10 V", "40 V", "100 V"});
//   cbTestVoltage->SetItemIndex(2);
//   connect(cbTestVoltage, &TTSComboBox::Change, this, &TQelManualFrame::cbTestVoltageChange);
class TTSComboBox : public QFrame {
    Q_OBJECT
public:
    static constexpr int ArrowWidth = 40;

    explicit TTSComboBox(QWidget* parent = nullptr);
    ~TTSComboBox() override;

    QStringList Items() const { return FItems; }
    // Copies the list; an ItemIndex past its end becomes -1 and empties the field.
    void SetItems(const QStringList& items);
    int ItemIndex() const { return FItemIndex; }
    // 0 <= i < count: that item, shown in the field; otherwise none and an empty field. No Change.
    void SetItemIndex(int i);
    QString Caption() const;
    // Shows text; ItemIndex stays.
    void SetCaption(const QString& text);
    bool DropDownList() const { return FDropDownList; }
    // On: the field only offers the list. Off: the field is typed into as well.
    void SetDropDownList(bool on);
    bool DroppedDown() const { return !FList.isNull(); }
    // True opens the list, false closes it taking the highlighted row.
    void SetDroppedDown(bool on);

    // The open list (null while closed), its height in rows and where it stands.
    QListView* DropDown() const;

    QLineEdit* Field() const { return FField; }
    TExtStaticText* ArrowKey() const { return FArrow; }

    // For the on-screen keyboard: where its questions go, its texts, its list file
    // ("AscInput.cfg" beside the program unless set).
    void SetOperator(TOperatorIFace* op) { FOperator = op; }
    void SetKovaBase(const TKovaBase* base) { FKovaBase = base; }
    void SetListFile(const QString& fileName) { FListFile = fileName; }
    // The keyboard while it is open.
    TTntAscInputForm* Keyboard() const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void Change();
    void Click();

protected:
    // Which touch entry switch applies and which keyboard opens; the wide twin takes the wide ones.
    virtual bool TouchEntry() const;
    virtual TTntAscInputForm* NewKeyboard();
    // A field that is typed into opens the on-screen text keyboard on its text when the touch
    // entry switch is on; the keyboard hands its OK text to TakeKeyboardText.
    virtual void OpenKeyboard();
    // The keyboard closed with OK on text: the field takes it, Change when it differs.
    void TakeKeyboardText(const QString& text);

    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void LayoutParts();
    void FieldTouched();
    void ArrowTouched();
    void OpenList();
    // Closes the list; as a choice the highlighted row (if any) is taken.
    void CloseList(bool asChoice);
    void FocusChanged(QWidget* old, QWidget* now);
    void TextEdited(const QString& text);
    bool Inside(const QWidget* w) const;

    QLineEdit* FField = nullptr;
    TExtStaticText* FArrow = nullptr;
    QStringList FItems;
    int FItemIndex = -1;
    bool FDropDownList = false;
    QPointer<QListView> FList;
    QStringListModel* FModel = nullptr;
    QMetaObject::Connection FFocusWatch;
    TOperatorIFace* FOperator = nullptr;
    const TKovaBase* FKovaBase = nullptr;
    QString FListFile;
    QPointer<TTntAscInputForm> FKeyboard;
};

// The same control on wide text, following the wide touch entry switch.
class TTntTSComboBox : public TTSComboBox {
    Q_OBJECT
public:
    explicit TTntTSComboBox(QWidget* parent = nullptr) : TTSComboBox(parent) {}

protected:
    bool TouchEntry() const override;
    TTntAscInputForm* NewKeyboard() override;
};
