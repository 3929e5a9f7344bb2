// The on-screen text keyboard and the text boxes that open it: what the keys type, what a list
// stores (and never stores), the key repeat on a virtual clock, the desk's drop-down.
#include "AscInput.h"
#include "AscInputForm.h"
#include "CaptionButton.h"
#include "GlobalState.h"
#include "KeyRepeat.h"
#include "PopupPanel.h"
#include "RecordingOperator.h"
#include "SelectionListForm.h"
#include "TSControls.h"
#include "TestDirs.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The repeat ticks on a clock the test moves.
class TVirtualTicks : public TTickSource {
public:
    void Start(int intervalMs) override {
        FInterval = intervalMs;
        FSinceTick = 0;
        FActive = true;
    }
    void Stop() override { FActive = false; }
    bool IsActive() const override { return FActive; }
    void Advance(int ms) {
        for (int t = 0; t < ms && FActive; ++t)
            if (++FSinceTick == FInterval) {
                FSinceTick = 0;
                Q_EMIT Tick();
            }
    }

private:
    int FInterval = 0;
    int FSinceTick = 0;
    bool FActive = false;
};

void Tap(QWidget* w) {
    QVERIFY(w);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
}

void TapKeys(TTntAscInputForm* kb, const QStringList& keys) {
    for (const QString& k : keys)
        Tap(kb->Part(k));
}

// Picks item k of a menu button through its pop-up, as a finger does.
void Pick(TCaptionButton* menu, int k) {
    QVERIFY(menu);
    QSignalSpy picked(menu, &TCaptionButton::Click);
    menu->PerformClick();
    QVERIFY(menu->PopupWindow());
    TCaptionButton* item = menu->PopupWindow()->ItemButton(k);
    QVERIFY(item);
    item->PerformClick();
    QVERIFY(picked.count() > 0 || picked.wait(5000));
    QTRY_VERIFY(!menu->IsPopupOpen());
}

} // namespace

class TestAscInput : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    std::unique_ptr<TGlobalStateGuard> FGuard;
    std::unique_ptr<QWidget> FForm;
    TRecordingOperator FOperator;

    QString File() const { return FDir.filePath(QStringLiteral("AscInput.cfg")); }

    TTntAscInputForm* Keyboard(const QString& text, bool narrow = false, TInsertMode mode = imAutoInsert,
                               bool password = false) {
        TTntAscInputForm* kb = narrow ? new TAscInputForm(FForm.get()) : new TTntAscInputForm(FForm.get());
        kb->setAttribute(Qt::WA_DeleteOnClose);
        kb->SetListFile(File());
        kb->SetOperator(&FOperator);
        kb->BindLine(text, QString(), password);
        kb->SetSectionName(QStringLiteral("S"));
        kb->SetInsertMode(mode);
        kb->open();
        if (!QTest::qWaitForWindowExposed(kb))
            qWarning("keyboard not exposed");
        return kb;
    }

    // A box of the setup page, touched on the touch screen.
    template <class TBox = TTntAscEdit> TBox* Box(const QString& text = QString()) {
        auto* box = new TBox(FForm.get());
        box->setObjectName(QStringLiteral("edTrafoName"));
        box->SetListFile(File());
        box->SetOperator(&FOperator);
        box->setGeometry(20, 20, 300, 30);
        box->setText(text);
        FForm->show();
        if (!QTest::qWaitForWindowActive(FForm.get()))
            qWarning("form not active");
        return box;
    }

    TTntAscInputForm* Touch(TTntAscEdit* box) {
        Tap(box);
        TTntAscInputForm* kb = box->Keyboard();
        if (kb && !QTest::qWaitForWindowExposed(kb))
            qWarning("keyboard not exposed");
        return kb;
    }

private Q_SLOTS:
    void init() {
        FGuard = std::make_unique<TGlobalStateGuard>();
        FForm = std::make_unique<QWidget>();
        FForm->setObjectName(QStringLiteral("QelSetupFrame"));
        FForm->resize(400, 300);
        FOperator = TRecordingOperator();
        QFile::remove(File());
    }
    void cleanup() {
        FForm.reset();
        FGuard.reset();
    }

    void keysTypeTheCharacterTheyShow_data();
    void keysTypeTheCharacterTheyShow();
    void openingTextAndUndo_data();
    void openingTextAndUndo();
    void keyTable_data();
    void keyTable();
    void boxTakesOkNotCancel();
    void listFileWrittenByAKeyboard();
    void askBeforeInsertOnce();
    void whatOkAndEnterStore_data();
    void whatOkAndEnterStore();
    void heldKeyRepeats_data();
    void heldKeyRepeats();
    void listBoxFollowsTheList();
    void specialCharacters();
    void listMenu_data();
    void listMenu();
    void comboBoxOpensTheKeyboard();
    void memoMode();
    void deskCompletesFromTheList();
    void deskConfirming_data();
    void deskConfirming();
    void contextMenuSetsTheMode();
};

void TestAscInput::keysTypeTheCharacterTheyShow_data() {
    QTest::addColumn<bool>("narrow");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("caps");
    for (const bool narrow : {false, true}) {
        const char* kind = narrow ? "8-bit: " : "wide: ";
        QTest::addRow("%sletters", kind) << narrow << QStringList{"estQ", "estE", "estL"} << "qel" << false;
        QTest::addRow("%sShift for one key", kind)
            << narrow << QStringList{"pnShift1", "estA", "estB", "est1"} << "Ab1" << false;
        QTest::addRow("%sCaps Lock stays", kind)
            << narrow << QStringList{"pnCaps", "estA", "estB", "est1"} << "AB!" << true;
        QTest::addRow("%sCaps Lock off again", kind)
            << narrow << QStringList{"pnCaps", "estA", "pnCaps", "estA"} << "Aa" << false;
        QTest::addRow("%sshifted symbols", kind)
            << narrow
            << QStringList{"pnShift2", "est7",         "pnShift1", "estEqual", "pnShift1", "estComma",
                           "pnShift1", "estSemiColon", "pnShift1", "estPlus",  "pnShift1", "estPoint"}
            << "&\"<:->" << false;
        QTest::addRow("%ssymbols", kind)
            << narrow << QStringList{"estPlus",  "estSemiColon", "estComma", "estEqual",
                                     "estPoint", "est0",         "estSpace", "est9"}
            << "+;,=.0 9" << false;
        QTest::addRow("%sBackspace and arrows", kind)
            << narrow << QStringList{"estA", "estB", "estC", "pnLeft", "pnBackSpace", "pnRight", "estD"}
            << "acd" << false;
    }
}

void TestAscInput::keysTypeTheCharacterTheyShow() {
    QFETCH(bool, narrow);
    QFETCH(QStringList, keys);
    QFETCH(QString, text);
    QFETCH(bool, caps);
    TTntAscInputForm* kb = Keyboard(QString(), narrow);
    TapKeys(kb, keys);
    QCOMPARE(kb->Text(), text);
    QCOMPARE(kb->CapsLock(), caps);
    QVERIFY(!kb->ShiftOn());
    // The tagged keys show what they type now.
    if (narrow)
        return;
    auto* one = qobject_cast<TCaptionButton*>(kb->Part(QStringLiteral("est1")));
    QCOMPARE(one->Caption(), caps ? QStringLiteral("!") : QStringLiteral("1"));
}

void TestAscInput::openingTextAndUndo_data() {
    QTest::addColumn<bool>("narrow");
    QTest::addColumn<QString>("typed");
    QTest::newRow("wide: the first key replaces the text") << false << "x";
    QTest::newRow("8-bit: the caret at the end") << true << "Trafo 7x";
}

void TestAscInput::openingTextAndUndo() {
    QFETCH(bool, narrow);
    QFETCH(QString, typed);
    TTntAscInputForm* kb = Keyboard(QStringLiteral("Trafo 7"), narrow);
    Tap(kb->Part(QStringLiteral("estX")));
    QCOMPARE(kb->Text(), typed);
    Tap(kb->Part(QStringLiteral("pnUndo")));
    QCOMPARE(kb->Text(), QStringLiteral("Trafo 7"));
    QGuiApplication::clipboard()->setText(QStringLiteral("two\r\nlines"));
    Tap(kb->Part(QStringLiteral("bnPaste")));
    QCOMPARE(kb->Text(), QStringLiteral("two lines"));
    TapKeys(kb, {QStringLiteral("pnShift1"), QStringLiteral("estA")});
    Tap(kb->Part(QStringLiteral("bnCopy")));
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("two linesA"));
}

void TestAscInput::keyTable_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("edText") << "edText" << QRect(11, 15, 699, 32);
    QTest::newRow("lbSelect") << "lbSelect" << QRect(11, 47, 457, 112);
    QTest::newRow("bnList") << "bnList" << QRect(718, 61, 42, 42);
    QTest::newRow("pnDown") << "pnDown" << QRect(475, 175, 50, 50);
    QTest::newRow("estPlus") << "estPlus" << QRect(11, 234, 50, 50);
    QTest::newRow("est0") << "est0" << QRect(591, 234, 50, 50);
    QTest::newRow("pnBackSpace") << "pnBackSpace" << QRect(649, 234, 108, 50);
    QTest::newRow("estP") << "estP" << QRect(625, 292, 50, 50);
    QTest::newRow("pnEnter") << "pnEnter" << QRect(709, 292, 48, 108);
    QTest::newRow("estSemiColon") << "estSemiColon" << QRect(647, 350, 50, 50);
    QTest::newRow("estEqual") << "estEqual" << QRect(622, 408, 50, 50);
    QTest::newRow("estSpace") << "estSpace" << QRect(61, 474, 316, 50);
    QTest::newRow("BtnHelp") << "BtnHelp" << QRect(644, 474, 116, 50);
}

void TestAscInput::keyTable() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    TTntAscInputForm* kb = Keyboard(QString());
    QCOMPARE(kb->size(), QSize(771, 533));
    QVERIFY(kb->Part(name));
    QCOMPARE(kb->Part(name)->geometry(), geometry);
}

void TestAscInput::boxTakesOkNotCancel() {
    TEntrySwitches::TouchEntryWide = true;
    TTntAscEdit* box = Box(QStringLiteral("T1"));
    box->setToolTip(QStringLiteral("Name of the transformer"));
    QSignalSpy change(box, &TTntAscEdit::Change);
    TTntAscInputForm* kb = Touch(box);
    QVERIFY(kb);
    QCOMPARE(kb->HelpText(), QStringLiteral("Name of the transformer"));
    TapKeys(kb, {QStringLiteral("estZ"), QStringLiteral("estZ")});
    kb->Cancel();
    QCOMPARE(box->text(), QStringLiteral("T1"));
    QCOMPARE(box->KeyboardResult(), int(QDialog::Rejected));
    QCOMPARE(change.count(), 0);
    QTRY_VERIFY(!box->Keyboard());

    kb = Touch(box);
    TapKeys(kb, {QStringLiteral("estZ"), QStringLiteral("pnOK")});
    QCOMPARE(box->text(), QStringLiteral("z"));
    QCOMPARE(box->KeyboardResult(), int(QDialog::Accepted));
    QCOMPARE(change.count(), 1);
}

void TestAscInput::listFileWrittenByAKeyboard() {
    TEntrySwitches::TouchEntryWide = true;
    TTntAscEdit* box = Box();
    TTntAscInputForm* kb = Touch(box);
    TapKeys(kb, {QStringLiteral("pnShift1"), QStringLiteral("estT"), QStringLiteral("est4"),
                 QStringLiteral("pnOK")});
    QCOMPARE(ReadBytes(File()),
             QByteArray("[QelSetupFrame.edTrafoName]\r\nEntries=1\r\nInsertMode=1\r\nText1=T4\r\n"));
    // The box's own list followed what its keyboard saved.
    QCOMPARE(box->List()->Entries(), QStringList{QStringLiteral("T4")});
    // The keyboard opens with the list's buttons; a typed letter shows the list.
    kb = Touch(box);
    QVERIFY(!kb->Part(QStringLiteral("bnPopup"))->isHidden());
    QVERIFY(!kb->SelectListShown());
    Tap(kb->Part(QStringLiteral("estT")));
    QVERIFY(kb->SelectListShown());
    QCOMPARE(kb->SelectListItems(), QStringList{QStringLiteral("T4")});
}

void TestAscInput::askBeforeInsertOnce() {
    TEntrySwitches::TouchEntryWide = true;
    TTntAscEdit* box = Box();
    box->SetInsertMode(imAskBeforeInsert);
    FOperator.DefaultAnswer = TOperatorIFace::TAnswer::No;
    TTntAscInputForm* kb = Touch(box);
    TapKeys(kb,
            {QStringLiteral("estN"), QStringLiteral("estE"), QStringLiteral("estW"), QStringLiteral("pnOK")});
    QCOMPARE(FOperator.Texts(), QStringList{QStringLiteral("Do you want to add \"new\" to the list?")});
    QCOMPARE(FOperator.Entries.first().Buttons, TOperatorIFace::TButtons::YesNo);
    QVERIFY(box->Asked());
    // OK again on the same text asks no more.
    QTRY_VERIFY(!box->Keyboard());
    kb = Touch(box);
    kb->Ok();
    QCOMPARE(FOperator.Entries.size(), 1);
    QVERIFY(!box->List()->Contains(QStringLiteral("new")));
    // A text typed anew earns the question again; Yes adds it.
    QTRY_VERIFY(!box->Keyboard());
    FOperator.DefaultAnswer = TOperatorIFace::TAnswer::Yes;
    kb = Touch(box);
    TapKeys(kb, {QStringLiteral("estO"), QStringLiteral("pnOK")});
    QCOMPARE(FOperator.Entries.size(), 2);
    QCOMPARE(box->List()->Entries(), QStringList{QStringLiteral("o")});
}

void TestAscInput::whatOkAndEnterStore_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("password");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("stored");
    QTest::newRow("auto insert, OK") << int(imAutoInsert) << false << "pnOK" << true;
    QTest::newRow("auto insert, Enter key") << int(imAutoInsert) << false << "pnEnter" << true;
    QTest::newRow("auto insert, hardware Enter") << int(imAutoInsert) << false << "Return" << true;
    QTest::newRow("no insert, Enter") << int(imNoInsert) << false << "pnEnter" << false;
    QTest::newRow("no selection list, Enter") << int(imNoSelList) << false << "pnEnter" << false;
    QTest::newRow("no selection list, OK") << int(imNoSelList) << false << "pnOK" << false;
    QTest::newRow("password, OK") << int(imAutoInsert) << true << "pnOK" << false;
    QTest::newRow("password, Enter") << int(imAutoInsert) << true << "pnEnter" << false;
    QTest::newRow("password, hardware Enter") << int(imAutoInsert) << true << "Return" << false;
}

// Nothing a password field types ever reaches the file, not even through a stored mode that
// would add it; "No Selection List" and "No Insert" never add, whatever key closes.
void TestAscInput::whatOkAndEnterStore() {
    QFETCH(int, mode);
    QFETCH(bool, password);
    QFETCH(QString, key);
    QFETCH(bool, stored);
    TEntrySwitches::TouchEntryWide = true;
    const QByteArray before = "[QelSetupFrame.edTrafoName]\r\nEntries=0\r\nInsertMode=" +
                              QByteArray::number(password ? int(imAutoInsert) : mode) + "\r\n";
    QVERIFY(WriteBytes(File(), before));
    TTntAscEdit* box = Box();
    if (password)
        box->setEchoMode(QLineEdit::Password);
    QSignalSpy change(box, &TTntAscEdit::Change);
    TTntAscInputForm* kb = Touch(box);
    QVERIFY(kb->Part(QStringLiteral("bnPopup"))->isHidden());
    QVERIFY(kb->Part(QStringLiteral("bnList"))->isHidden());
    TapKeys(kb, {QStringLiteral("estS"), QStringLiteral("est3")});
    QVERIFY(!kb->SelectListShown());
    if (key == QLatin1String("Return"))
        QTest::keyClick(kb->Part(QStringLiteral("edText")), Qt::Key_Return);
    else
        Tap(kb->Part(key));
    QCOMPARE(box->text(), QStringLiteral("s3"));
    QCOMPARE(change.count(), 1);
    const QByteArray after = ReadBytes(File());
    QCOMPARE(after.contains("s3"), stored);
    if (password || mode == imNoSelList || mode == imNoInsert)
        QCOMPARE(after, before);
}

void TestAscInput::heldKeyRepeats_data() {
    QTest::addColumn<bool>("narrow");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("heldMs");
    QTest::addColumn<QString>("text");
    // Delete at once, then every 100 ms from the fourth tick on: 450 ms delete two characters.
    QTest::newRow("Delete released after 450 ms") << false << "pnDelete"
                                                  << "release" << 450 << "cdefghijkl";
    QTest::newRow("Delete held 1 s") << false << "pnDelete"
                                     << "release" << 1000 << "ijkl";
    QTest::newRow("Delete tapped") << false << "pnDelete"
                                   << "release" << 0 << "bcdefghijkl";
    QTest::newRow("Delete slid off at 450 ms") << false << "pnDelete"
                                               << "leave" << 450 << "cdefghijkl";
    QTest::newRow("keyboard hidden at 450 ms") << false << "pnDelete"
                                               << "hide" << 450 << "cdefghijkl";
    QTest::newRow("End held") << false << "pnEnd"
                              << "release" << 450 << "abcdefghijkl";
    QTest::newRow("8-bit letter held 450 ms") << true << "estX"
                                              << "release" << 450 << "xxabcdefghijkl";
}

void TestAscInput::heldKeyRepeats() {
    QFETCH(bool, narrow);
    QFETCH(QString, key);
    QFETCH(QString, end);
    QFETCH(int, heldMs);
    QFETCH(QString, text);
    TTntAscInputForm* kb = Keyboard(QStringLiteral("abcdefghijkl"), narrow);
    auto* ticks = new TVirtualTicks;
    kb->SetTickSource(ticks);
    auto* edText = qobject_cast<QLineEdit*>(kb->Part(QStringLiteral("edText")));
    edText->setCursorPosition(0);
    QWidget* k = kb->Part(key);
    QTest::mousePress(k, Qt::LeftButton, {}, QPoint(10, 10));
    ticks->Advance(heldMs);
    if (end == QLatin1String("leave")) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(k, &leave);
    } else if (end == QLatin1String("hide")) {
        kb->hide();
    } else {
        QTest::mouseRelease(k, Qt::LeftButton, {}, QPoint(10, 10));
    }
    QVERIFY(!ticks->IsActive());
    ticks->Advance(1000);
    QCOMPARE(edText->text(), text);
}

// The list box shows the list as it is, also when an entry was replaced by another.
void TestAscInput::listBoxFollowsTheList() {
    TTntAscInputForm* kb = Keyboard(QString());
    FOperator.DefaultAnswer = TOperatorIFace::TAnswer::Yes;
    for (const char* t : {"banana", "apple", "apricot"})
        kb->List()->Add(QString::fromLatin1(t));
    Tap(kb->Part(QStringLiteral("estA")));
    QCOMPARE(kb->SelectListItems(), (QStringList{"apple", "apricot", "banana"}));
    auto* lbSelect = qobject_cast<QListView*>(kb->Part(QStringLiteral("lbSelect")));
    QCOMPARE(lbSelect->currentIndex().row(), 0);
    TapKeys(kb, {QStringLiteral("estP"), QStringLiteral("estR")});
    QCOMPARE(lbSelect->currentIndex().data().toString(), QStringLiteral("apricot"));
    // A tap on an entry takes it and closes the list box.
    QTest::mouseClick(lbSelect->viewport(), Qt::LeftButton, {},
                      lbSelect->visualRect(lbSelect->model()->index(0, 0)).center());
    QCOMPARE(kb->Text(), QStringLiteral("apple"));
    QVERIFY(!kb->SelectListShown());
    auto* bnList = qobject_cast<TCaptionButton*>(kb->Part(QStringLiteral("bnList")));
    Pick(bnList, 2); // Clear Entry "apple"
    QCOMPARE(kb->Text(), QString());
    TapKeys(kb, {QStringLiteral("estC"), QStringLiteral("estH")});
    Pick(bnList, 1); // Add Entry "ch"
    QCOMPARE(kb->List()->Count(), 3);
    Tap(kb->Part(QStringLiteral("estE")));
    QCOMPARE(kb->SelectListItems(), (QStringList{"apricot", "banana", "ch"}));
    // Up and Down step through the sorted entries and stop at the ends.
    QTest::keyClick(kb->Part(QStringLiteral("edText")), Qt::Key_Up);
    QCOMPARE(kb->Text(), QStringLiteral("ch"));
    QTest::keyClick(kb->Part(QStringLiteral("edText")), Qt::Key_Down);
    QCOMPARE(kb->Text(), QStringLiteral("ch"));
    Tap(kb->Part(QStringLiteral("pnUp")));
    QCOMPARE(kb->Text(), QStringLiteral("banana"));
}

void TestAscInput::specialCharacters() {
    TTntAscInputForm* kb = Keyboard(QString());
    auto* special = qobject_cast<TCaptionButton*>(kb->Part(QStringLiteral("bnSpecialChar")));
    QCOMPARE(special->CaptionItems().size(), 18);
    Pick(special, 13);
    Pick(special, 7);
    // The micro sign the number reader takes, not the Greek letter mu.
    QCOMPARE(kb->Text(), QString::fromUtf16(u"\u00B5\u03A9"));
}

void TestAscInput::listMenu_data() {
    QTest::addColumn<bool>("narrow");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("title");
    QTest::newRow("wide: No Insert") << false << 6 << int(imNoInsert) << "";
    QTest::newRow("wide: Ask Insert") << false << 4 << int(imAskBeforeInsert) << "";
    QTest::newRow("8-bit: No Insert") << true << 5 << int(imNoInsert) << "Error";
    QTest::newRow("8-bit: Ask Insert") << true << 3 << int(imAskBeforeInsert) << "Error";
}

void TestAscInput::listMenu() {
    QFETCH(bool, narrow);
    QFETCH(int, item);
    QFETCH(int, mode);
    QFETCH(QString, title);
    TTntAscInputForm* kb = Keyboard(QStringLiteral("old"), narrow);
    kb->List()->Add(QStringLiteral("old"));
    auto* bnList = qobject_cast<TCaptionButton*>(kb->Part(QStringLiteral("bnList")));
    QCOMPARE(bnList->CaptionItems().size(), narrow ? 7 : 8);
    Pick(bnList, item);
    QCOMPARE(int(kb->InsertMode()), mode);
    QCOMPARE(bnList->ItemPicture(item), 7); // the current mode is marked
    // Clear All asks; No keeps the list, and Cancel still keeps the chosen mode.
    FOperator.DefaultAnswer = TOperatorIFace::TAnswer::No;
    Pick(bnList, narrow ? 2 : 3);
    QCOMPARE(FOperator.Texts(), QStringList{QStringLiteral("Do you want to delete the whole list")});
    QCOMPARE(FOperator.Entries.first().Title, title);
    QCOMPARE(kb->List()->Count(), 1);
    kb->Cancel();
    TTntSelectList stored(File(), QStringLiteral("S"));
    QCOMPARE(int(stored.Load(imLocked)), mode);
}

void TestAscInput::comboBoxOpensTheKeyboard() {
    TEntrySwitches::TouchEntryWide = TEntrySwitches::TouchEntry = true;
    FForm->show();
    auto* cb = new TTntTSComboBox(FForm.get());
    cb->setObjectName(QStringLiteral("cbFileName"));
    cb->SetListFile(File());
    cb->SetOperator(&FOperator);
    cb->setGeometry(10, 10, 200, 30);
    cb->SetItems({QStringLiteral("a.xml")});
    cb->show();
    QSignalSpy change(cb, &TTSComboBox::Change);
    Tap(cb->Field());
    TTntAscInputForm* kb = cb->Keyboard();
    QVERIFY(kb);
    QVERIFY(!qobject_cast<TAscInputForm*>(kb));
    QCOMPARE(kb->SectionName(), QStringLiteral("QelSetupFrame.cbFileName"));
    TapKeys(kb, {QStringLiteral("estB"), QStringLiteral("estPoint"), QStringLiteral("estX"),
                 QStringLiteral("pnOK")});
    QCOMPARE(cb->Caption(), QStringLiteral("b.x"));
    QCOMPARE(change.count(), 1);
    // A drop-down list opens no keyboard; the 8-bit box opens the 8-bit keyboard.
    auto* plain = new TTSComboBox(FForm.get());
    plain->setGeometry(10, 50, 200, 30);
    plain->show();
    Tap(plain->Field());
    QVERIFY(qobject_cast<TAscInputForm*>(plain->Keyboard()));
    auto* list = new TTntTSComboBox(FForm.get());
    list->SetDropDownList(true);
    list->setGeometry(10, 90, 200, 30);
    list->show();
    Tap(list->Field());
    QVERIFY(!list->Keyboard());
}

void TestAscInput::memoMode() {
    TEntrySwitches::TouchEntry = true;
    FForm->show();
    auto* memo = new TAscMemo(FForm.get());
    memo->setGeometry(10, 10, 300, 100);
    memo->setPlainText(QStringLiteral("Notes"));
    memo->show();
    QSignalSpy change(memo, &TTntAscMemo::Change);
    Tap(memo->viewport());
    TTntAscInputForm* kb = memo->Keyboard();
    QVERIFY(qobject_cast<TAscInputForm*>(kb));
    QVERIFY(kb->MemoMode());
    QVERIFY(kb->Part(QStringLiteral("edText"))->isHidden());
    QVERIFY(kb->Part(QStringLiteral("bnList"))->isHidden());
    TapKeys(kb, {QStringLiteral("pnEnter"), QStringLiteral("pnTab"), QStringLiteral("estA")});
    QCOMPARE(kb->Text(), QStringLiteral("Notes\n\ta"));
    Tap(kb->Part(QStringLiteral("pnOK")));
    QCOMPARE(memo->toPlainText(), QStringLiteral("Notes\n\ta"));
    QCOMPARE(change.count(), 1);
    QVERIFY(!QFile::exists(File()));
}

void TestAscInput::deskCompletesFromTheList() {
    TEntrySwitches::InputListsWide = true;
    TTntAscEdit* box = Box();
    for (const char* t : {"Transformer B", "Other", "Transformer A"})
        box->List()->Add(QString::fromLatin1(t));
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("tr"));
    QCOMPARE(box->text(), QStringLiteral("Transformer A"));
    QCOMPARE(box->selectedText(), QStringLiteral("ansformer A"));
    QCOMPARE(box->cursorPosition(), 2);
    TTntSelectionListForm* drop = box->DropDown();
    QVERIFY(drop && drop->isVisible());
    QCOMPARE(drop->Items(), (QStringList{"Other", "Transformer A", "Transformer B"}));
    QCOMPARE(drop->SelectedText(), QStringLiteral("Transformer A"));
    QCOMPARE(drop->geometry().topLeft(), box->mapToGlobal(QPoint(-1, box->height() - 1)));
    QCOMPARE(drop->width(), box->width());
    // A deletion is not completed again.
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("Tr"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("T"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, QStringLiteral("t"));
    QCOMPARE(box->text(), QStringLiteral("Transformer A"));
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClicks(box, QStringLiteral(" b"));
    QCOMPARE(box->text(), QStringLiteral("Transformer A b"));
    QVERIFY(!drop->isVisible() || drop->SelectedText() == QStringLiteral("Transformer B"));
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(!drop->isVisible());
}

void TestAscInput::deskConfirming_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("auto insert adds") << int(imAutoInsert) << "New"
                                      << "New" << QStringList{"Old", "New"} << QStringList{};
    QTest::newRow("ask insert asks after the focus moved")
        << int(imAskBeforeInsert) << "New"
        << "New" << QStringList{"Old", "New"} << QStringList{"Do you want to add \"New\" to the list?"};
    QTest::newRow("only list entries refuses a new text")
        << int(imOnlyListEntries) << "New"
        << "" << QStringList{"Old"}
        << QStringList{"Sorry only Entries from List are valid.\r\nPlease DoubleClick to get the entries"};
    QTest::newRow("only list entries takes a listed one") << int(imOnlyListEntries) << "Old"
                                                          << "Old" << QStringList{"Old"} << QStringList{};
    QTest::newRow("no insert") << int(imNoInsert) << "New"
                               << "New" << QStringList{"Old"} << QStringList{};
}

void TestAscInput::deskConfirming() {
    QFETCH(int, mode);
    QFETCH(QString, text);
    QFETCH(QString, after);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, messages);
    TEntrySwitches::InputListsWide = true;
    FOperator.DefaultAnswer = TOperatorIFace::TAnswer::Yes;
    TTntAscEdit* box = Box();
    auto* other = new QLineEdit(FForm.get());
    other->setGeometry(20, 100, 100, 30);
    other->show();
    box->List()->Add(QStringLiteral("Old"));
    box->SetInsertMode(TInsertMode(mode));
    QSignalSpy change(box, &TTntAscEdit::Change);
    QSignalSpy exit(box, &TTntAscEdit::Exit);
    box->setFocus();
    QTest::keyClicks(box, text);
    box->setSelection(0, 0);
    box->setText(text);
    other->setFocus();
    QTRY_COMPARE(FOperator.Texts(), messages);
    QCOMPARE(box->text(), after);
    QCOMPARE(exit.count(), 1);
    QCOMPARE(change.count(), after.isEmpty() ? 0 : 1);
    TTntSelectList stored(File(), box->ListSection());
    stored.Load(imAutoInsert);
    QCOMPARE(stored.Entries(), entries);
    // Leaving again changes nothing and asks nothing more.
    box->setFocus();
    other->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(FOperator.Texts(), messages);
    QCOMPARE(change.count(), after.isEmpty() ? 0 : 1);
}

void TestAscInput::contextMenuSetsTheMode() {
    TTntAscEdit* box = Box(QStringLiteral("Old"));
    box->List()->Add(QStringLiteral("Old"));
    std::unique_ptr<QMenu> menu(box->NewContextMenu(nullptr));
    QMenu* entries = menu->findChild<QMenu*>(QStringLiteral("mnEntryList"));
    QVERIFY(entries);
    const auto action = [&entries](const char* caption) -> QAction* {
        for (QAction* a : entries->actions())
            if (a->text() == QLatin1String(caption))
                return a;
        return nullptr;
    };
    QVERIFY(action("Auto Insert")->isChecked());
    action("Only Selection List")->trigger();
    QCOMPARE(box->InsertMode(), imOnlyListEntries);
    TTntSelectList stored(File(), QStringLiteral("QelSetupFrame.edTrafoName"));
    QCOMPARE(stored.Load(imAutoInsert), imOnlyListEntries);
    QCOMPARE(stored.Entries(), QStringList{QStringLiteral("Old")});
    menu.reset(box->NewContextMenu(nullptr));
    entries = menu->findChild<QMenu*>(QStringLiteral("mnEntryList"));
    action("No Selection List")->trigger();
    menu.reset(box->NewContextMenu(nullptr));
    entries = menu->findChild<QMenu*>(QStringLiteral("mnEntryList"));
    QVERIFY(action("No Insert")->isChecked());
    action("Lock Entry")->trigger();
    QVERIFY(box->isReadOnly());
}

QTEST_MAIN(TestAscInput)
#include "tst_ascinput.moc"
