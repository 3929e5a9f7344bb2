// The touch combo box: list sizes and placement, the choice and its Change, the focus rule.
#include "EntrySwitches.h"
#include "ExtStaticText.h"
#include "TSControls.h"

#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTest>

namespace {

QStringList Taps(int n) {
    QStringList items;
    for (int i = 1; i <= n; ++i)
        items << QStringLiteral("Tap %1").arg(i);
    return items;
}

void Tap(QWidget* w, QPoint at = QPoint(-1, -1)) {
    QVERIFY(w);
    QTest::mouseClick(w, Qt::LeftButton, {}, at.x() < 0 ? QPoint(w->width() / 2, w->height() / 2) : at);
}

// Touches row `row` of the open list.
void TapRow(TTSComboBox& cb, int row) {
    QListView* list = cb.DropDown();
    QVERIFY(list);
    const QRect r = list->visualRect(list->model()->index(row, 0));
    Tap(list->viewport(), r.center());
}

// A combo box that records the keyboard seam and answers with a text.
class TKeyboardCombo : public TTSComboBox {
public:
    using TTSComboBox::TTSComboBox;
    int Opened = 0;
    QString Answer;

protected:
    void OpenKeyboard() override {
        ++Opened;
        TakeKeyboardText(Answer);
    }
};

} // namespace

class TestTSComboBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void listHeights_data();
    void listHeights();
    void placement_data();
    void placement();
    void changeOnlyOnRealChange();
    void closingWithoutRowChangesNothing();
    void itemsClampTheIndex();
    void focusLeavingBothCloses();
    void keysOfTheList();
    void fieldThatIsTypedInto();

private:
    QWidget* FForm = nullptr;
    TTSComboBox* Box(int y, int height = 30);
};

void TestTSComboBox::init() {
    FForm = new QWidget;
    FForm->resize(400, 600);
    TEntrySwitches::TouchEntry = false;
}

void TestTSComboBox::cleanup() {
    delete FForm;
    FForm = nullptr;
    TEntrySwitches::TouchEntry = false;
}

TTSComboBox* TestTSComboBox::Box(int y, int height) {
    auto* cb = new TTSComboBox(FForm);
    cb->setGeometry(20, y, 200, height);
    auto* other = new QLineEdit(FForm);
    other->setObjectName(QStringLiteral("other"));
    other->setGeometry(250, 10, 100, 30);
    FForm->show();
    if (!QTest::qWaitForWindowActive(FForm))
        qWarning("form not active");
    return cb;
}

void TestTSComboBox::listHeights_data() {
    QTest::addColumn<int>("items");
    QTest::addColumn<int>("rows");
    QTest::newRow("twelve items, nine rows") << 12 << 9;
    QTest::newRow("eight items, nine rows") << 8 << 9;
    QTest::newRow("seven items, eight rows") << 7 << 8;
    QTest::newRow("three items, four rows") << 3 << 4;
}

void TestTSComboBox::listHeights() {
    QFETCH(int, items);
    QFETCH(int, rows);
    TTSComboBox* cb = Box(20);
    cb->SetItems(Taps(items));
    Tap(cb->ArrowKey());
    QListView* list = cb->DropDown();
    QVERIFY(list);
    QCOMPARE(list->parentWidget(), FForm);
    QCOMPARE(list->geometry(), QRect(20, 50, 200, rows * 30));
    // Rows are as high as the box.
    QCOMPARE(list->visualRect(list->model()->index(0, 0)).height(), 30);
}

void TestTSComboBox::placement_data() {
    QTest::addColumn<int>("formHeight");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("items");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("room below") << 600 << 100 << 12 << QRect(20, 130, 200, 270);
    QTest::newRow("near the bottom opens upward") << 600 << 540 << 12 << QRect(20, 270, 200, 270);
    QTest::newRow("short list still fits below") << 600 << 480 << 2 << QRect(20, 510, 200, 90);
    QTest::newRow("no room: more above, limited") << 400 << 250 << 40 << QRect(20, 0, 200, 250);
    QTest::newRow("no room: more below, limited") << 400 << 120 << 40 << QRect(20, 150, 200, 250);
}

void TestTSComboBox::placement() {
    QFETCH(int, formHeight);
    QFETCH(int, y);
    QFETCH(int, items);
    QFETCH(QRect, geometry);
    FForm->resize(400, formHeight);
    TTSComboBox* cb = Box(y);
    cb->SetItems(Taps(items));
    cb->SetDroppedDown(true);
    QVERIFY(cb->DropDown());
    QCOMPARE(cb->DropDown()->geometry(), geometry);
}

void TestTSComboBox::changeOnlyOnRealChange() {
    TTSComboBox* cb = Box(20);
    cb->SetDropDownList(true);
    cb->SetItems(Taps(5));
    QSignalSpy changes(cb, &TTSComboBox::Change);
    QSignalSpy clicks(cb, &TTSComboBox::Click);
    cb->SetItemIndex(1);
    QCOMPARE(cb->Caption(), QStringLiteral("Tap 2"));
    cb->SetItemIndex(7);
    QCOMPARE(cb->ItemIndex(), -1);
    QVERIFY(cb->Caption().isEmpty());
    QCOMPARE(changes.count(), 0); // SetItemIndex never raises Change

    // A touch on the field of a drop-down list opens it, on a row chooses it.
    Tap(cb->Field());
    QCOMPARE(clicks.count(), 1);
    TapRow(*cb, 2);
    QTRY_VERIFY(!cb->DroppedDown());
    QCOMPARE(cb->ItemIndex(), 2);
    QCOMPARE(cb->Caption(), QStringLiteral("Tap 3"));
    QCOMPARE(changes.count(), 1);

    // The row already chosen: no Change. The open list highlights it.
    Tap(cb->ArrowKey());
    QCOMPARE(cb->DropDown()->currentIndex().row(), 2);
    TapRow(*cb, 2);
    QTRY_VERIFY(!cb->DroppedDown());
    QCOMPARE(changes.count(), 1);
    Tap(cb->ArrowKey());
    TapRow(*cb, 0);
    QTRY_VERIFY(!cb->DroppedDown());
    QCOMPARE(cb->ItemIndex(), 0);
    QCOMPARE(changes.count(), 2);
    // The field of an open drop-down list closes it, taking the highlighted row.
    Tap(cb->ArrowKey());
    QTest::keyClick(cb->DropDown(), Qt::Key_Down);
    Tap(cb->Field());
    QVERIFY(!cb->DroppedDown());
    QCOMPARE(cb->ItemIndex(), 1);
    QCOMPARE(changes.count(), 3);
    QCOMPARE(clicks.count(), 5);
}

void TestTSComboBox::closingWithoutRowChangesNothing() {
    TTSComboBox* cb = Box(20);
    cb->SetItems(Taps(4));
    cb->SetItemIndex(1);
    cb->SetCaption(QStringLiteral("Tap 9")); // shown text that is no row
    QSignalSpy changes(cb, &TTSComboBox::Change);
    Tap(cb->ArrowKey());
    QVERIFY(cb->DroppedDown());
    QVERIFY(cb->DropDown()->selectionModel()->selectedIndexes().isEmpty());
    Tap(cb->ArrowKey());
    QVERIFY(!cb->DroppedDown());
    QCOMPARE(cb->ItemIndex(), 1);
    QCOMPARE(cb->Caption(), QStringLiteral("Tap 9"));
    QCOMPARE(changes.count(), 0);
    // Without items the arrow opens nothing.
    cb->SetItems({});
    Tap(cb->ArrowKey());
    QVERIFY(!cb->DroppedDown());
}

void TestTSComboBox::itemsClampTheIndex() {
    TTSComboBox* cb = Box(20);
    cb->SetItems(Taps(10));
    cb->SetItemIndex(8);
    cb->SetItems(Taps(9));
    QCOMPARE(cb->ItemIndex(), 8);
    QCOMPARE(cb->Caption(), QStringLiteral("Tap 9"));
    cb->SetItems(Taps(3));
    QCOMPARE(cb->ItemIndex(), -1);
    QVERIFY(cb->Caption().isEmpty());
    cb->SetDroppedDown(true);
    cb->SetDroppedDown(false);
    QCOMPARE(cb->ItemIndex(), -1);
}

void TestTSComboBox::focusLeavingBothCloses() {
    TTSComboBox* cb = Box(20);
    cb->SetItems(Taps(5));
    cb->SetItemIndex(0);
    cb->Field()->setFocus();
    QSignalSpy changes(cb, &TTSComboBox::Change);
    Tap(cb->ArrowKey());
    QListView* list = cb->DropDown();
    QVERIFY(list);
    // The list takes the focus from the box and stays open.
    QTRY_VERIFY(list->hasFocus());
    QVERIFY(cb->DroppedDown());
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex().row(), 1);
    // The focus going elsewhere closes it without taking the highlighted row.
    FForm->findChild<QLineEdit*>(QStringLiteral("other"))->setFocus();
    QTRY_VERIFY(!cb->DroppedDown());
    QCOMPARE(cb->ItemIndex(), 0);
    QCOMPARE(changes.count(), 0);
    // So does a touch elsewhere on the form.
    Tap(cb->ArrowKey());
    QVERIFY(cb->DroppedDown());
    QTest::mousePress(FForm, Qt::LeftButton, {}, QPoint(300, 500));
    QVERIFY(!cb->DroppedDown());
}

void TestTSComboBox::keysOfTheList() {
    TTSComboBox* cb = Box(20);
    cb->SetItems(Taps(5));
    QSignalSpy changes(cb, &TTSComboBox::Change);
    cb->Field()->setFocus();
    QTRY_VERIFY(cb->Field()->hasFocus());
    QTest::keyClick(cb->Field(), Qt::Key_Down, Qt::AltModifier);
    QVERIFY(cb->DroppedDown());
    QTest::keyClick(cb->DropDown(), Qt::Key_Down);
    QTest::keyClick(cb->DropDown(), Qt::Key_Down);
    QTest::keyClick(cb->DropDown(), Qt::Key_Return);
    QVERIFY(!cb->DroppedDown());
    QCOMPARE(cb->ItemIndex(), 1);
    QCOMPARE(changes.count(), 1);
    QTRY_VERIFY(cb->Field()->hasFocus());
    QTest::keyClick(cb->Field(), Qt::Key_F4);
    QTest::keyClick(cb->DropDown(), Qt::Key_Down);
    QTest::keyClick(cb->DropDown(), Qt::Key_Escape);
    QVERIFY(!cb->DroppedDown());
    QCOMPARE(cb->ItemIndex(), 1);
}

void TestTSComboBox::fieldThatIsTypedInto() {
    auto* cb = new TKeyboardCombo(FForm);
    cb->setGeometry(20, 20, 200, 30);
    FForm->show();
    QVERIFY(QTest::qWaitForWindowActive(FForm));
    cb->SetItems({QStringLiteral("COM1"), QStringLiteral("COM2")});
    cb->SetItemIndex(1);
    QSignalSpy changes(cb, &TTSComboBox::Change);
    QSignalSpy clicks(cb, &TTSComboBox::Click);
    // Switch off: a touch only raises Click; the operator types.
    Tap(cb->Field());
    QCOMPARE(cb->Opened, 0);
    QVERIFY(!cb->DroppedDown());
    QCOMPARE(clicks.count(), 1);
    QTest::keyClicks(cb->Field(), QStringLiteral("x"));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(cb->ItemIndex(), -1); // the typed text is no item
    // Switch on: the keyboard seam opens; its text counts only when it differs.
    TEntrySwitches::TouchEntry = true;
    cb->Answer = cb->Caption();
    Tap(cb->Field());
    QCOMPARE(cb->Opened, 1);
    QCOMPARE(changes.count(), 1);
    cb->Answer = QStringLiteral("COM1");
    Tap(cb->Field());
    QCOMPARE(cb->Caption(), QStringLiteral("COM1"));
    QCOMPARE(cb->ItemIndex(), 0);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(clicks.count(), 3);
}

QTEST_MAIN(TestTSComboBox)
#include "tst_tscombobox.moc"
