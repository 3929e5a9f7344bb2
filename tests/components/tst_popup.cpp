// Pop-ups of the touch buttons: building, picking, ticking, placement and closing.
#include "Gradient.h"
#include "PanelButton.h"
#include "PopupPanel.h"
#include "PopupPanelLayout.h"
#include "StateButton.h"

#include <QCoreApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {

const QStringList ViewItems = {"\"\",101",           "\"Add View\",-1",  "\"Delete View\",-1",
                               "\"Rename View\",-1", "\"Save View\",-1", "\"Show Actual Diagram\",127"};
const QStringList FilterItems = {"\"Phase\",-1", "\"->A\",-1", "\"->B\",-1", "\"->C\",-1"};

// Posted close and item messages are handled before the test looks.
void Settle() {
    QCoreApplication::sendPostedEvents();
}

void Tap(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
}

QStringList Captions(const TPopupWindow* popup) {
    QStringList captions;
    for (const TCaptionButton* b : popup->SBList)
        captions << b->Caption();
    return captions;
}

} // namespace

class TestPopup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void menuButtonPicksAnEntry();
    void popupWithoutPicturesAndNoCellItems();
    void cyclingPopupChoosesState();
    void multipleTicks();
    void singleTicks();
    void tapOnOwnerClosesPopup();
    void staleCloseRequestIsIgnored();
    void losingActivationCloses();
    void ownerDestroyedWithOpenPopup();
    void enterKeyOpensPopup();
    void opensAboveAtBottomEdge();
    void placementRules();
    void stateButtonPopup();

private:
    QWidget* FWindow = nullptr;
    QWidget* Window(QPoint pos = QPoint(100, 50), QSize size = QSize(400, 200));
};

void TestPopup::init() {
    FWindow = nullptr;
}
void TestPopup::cleanup() {
    delete FWindow;
}

QWidget* TestPopup::Window(QPoint pos, QSize size) {
    FWindow = new QWidget(nullptr, Qt::FramelessWindowHint);
    FWindow->setGeometry(QRect(pos, size));
    FWindow->show();
    if (!QTest::qWaitForWindowExposed(FWindow))
        qWarning("window not exposed");
    return FWindow;
}

void TestPopup::menuButtonPicksAnEntry() {
    auto* bnView = new TPanelButton(Window());
    bnView->SetPopup(true);
    bnView->SetPopupButton(true);
    bnView->SetCaptionItems(ViewItems);
    QSignalSpy clicks(bnView, &TPanelButton::Click);

    Tap(bnView);
    QVERIFY(bnView->IsPopupOpen());
    QCOMPARE(clicks.count(), 0); // opening is not a command
    TPopupWindow* popup = bnView->PopupWindow();
    QVERIFY(qobject_cast<TPopupPanelForm*>(popup));
    QCOMPARE(popup->SBList.size(), 5);
    QCOMPARE(Captions(popup),
             (QStringList{"Add View", "Delete View", "Rename View", "Save View", "Show Actual Diagram"}));
    // One column of cells as high as the button, as wide as the button plus 10.
    QCOMPARE(popup->size(), QSize(160 + 11, 5 * 48 + 11));
    QCOMPARE(popup->SBList.at(1)->geometry(), QRect(3, 3 + 48, 160, 48));
    QCOMPARE(popup->SBList.at(4)->FacePicture(), 127);

    QPointer<TPopupWindow> guard(popup);
    Tap(popup->SBList.at(1)); // "Delete View"
    Settle();
    QCOMPARE(bnView->State(), 2);
    QCOMPARE(clicks.count(), 1);
    QVERIFY(!bnView->IsPopupOpen());
    QCOMPARE(bnView->Caption(), QString()); // the face keeps item 0
    QCOMPARE(bnView->FacePicture(), 101);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard.isNull());
}

void TestPopup::popupWithoutPicturesAndNoCellItems() {
    auto* b = new TPanelButton(Window());
    b->SetPopup(true);
    b->SetPopupImages(false);
    b->SetPopupWidth(130);
    b->SetPopupHeight(40);
    b->SetCaptionItems({"\"Tools\",100", "\"New\",96", "\"Hidden\",-2", "\"Print\",14"});
    b->PerformClick();
    TPopupWindow* popup = b->PopupWindow();
    QVERIFY(popup);
    QCOMPARE(popup->SBItems, (QList<int>{0, 1, 3}));
    QCOMPARE(popup->SBList.at(0)->FacePicture(), -1);
    QCOMPARE(popup->SBList.at(2)->Caption(), QStringLiteral("Print"));
    // Cells close up over the item without a cell.
    QCOMPARE(popup->SBList.at(2)->geometry(), QRect(3, 3 + 2 * 40, 130, 40));
    // The current item shows pressed and has the focus.
    QVERIFY(popup->SBList.at(0)->Pressed());
    QVERIFY(!popup->SBList.at(1)->Pressed());
}

void TestPopup::cyclingPopupChoosesState() {
    auto* b = new TPanelButton(Window());
    b->SetPopup(true);
    b->SetCaptionItems({"\"Off\",6", "\"On\",7", "\"Auto\",169"});
    QSignalSpy clicks(b, &TPanelButton::Click);
    b->PerformClick();
    QCOMPARE(b->PopupWindow()->SBList.size(), 3);
    Tap(b->PopupWindow()->SBList.at(2));
    Settle();
    QCOMPARE(b->State(), 2);
    QCOMPARE(b->Caption(), QStringLiteral("Auto"));
    QCOMPARE(clicks.count(), 1);
    QVERIFY(!b->IsPopupOpen());
}

void TestPopup::multipleTicks() {
    auto* b = new TPanelButton(Window());
    b->SetPopup(true);
    b->SetPopupButton(true);
    b->SetSelection(fsMulti);
    b->SetCaptionItems(FilterItems); // applying state 0 ticks "all"
    QVERIFY(b->ItemChecked(0));
    QCOMPARE(b->Caption(), QStringLiteral("Phase"));
    QSignalSpy clicks(b, &TPanelButton::Click);

    b->PerformClick();
    TPopupWindow* popup = b->PopupWindow();
    Tap(popup->ItemButton(3));
    Settle();
    QVERIFY(!b->ItemChecked(0)); // a value drops "all"
    QVERIFY(b->ItemChecked(3));
    QCOMPARE(b->Caption(), QStringLiteral("->C"));
    QVERIFY(b->IsPopupOpen()); // ticking keeps the pop-up open
    QCOMPARE(clicks.count(), 1);

    Tap(popup->ItemButton(1));
    Settle();
    QCOMPARE(b->Caption(), QStringLiteral("->A, ->C"));
    QCOMPARE(b->State(), 1);
    QVERIFY(popup->ItemButton(1)->Pressed());

    Tap(popup->ItemButton(1));
    Tap(popup->ItemButton(3));
    Settle();
    QCOMPARE(b->Caption(), QStringLiteral("[..]"));
    QVERIFY(!popup->ItemButton(3)->Pressed());
    QCOMPARE(clicks.count(), 4);

    // Reopened, the pop-up shows the ticks of the owner.
    b->PerformClick();
    QVERIFY(!b->IsPopupOpen());
    b->SetItemChecked(2, true);
    b->PerformClick();
    QVERIFY(b->PopupWindow()->ItemButton(2)->Pressed());
    QVERIFY(!b->PopupWindow()->ItemButton(1)->Pressed());
}

void TestPopup::singleTicks() {
    auto* menu = new TPanelButton(Window());
    menu->SetPopup(true);
    menu->SetPopupButton(true);
    menu->SetSelection(fsSingle);
    menu->SetCaptionItems(FilterItems);
    menu->PerformClick();
    TPopupWindow* popup = menu->PopupWindow();
    Tap(popup->ItemButton(1));
    Tap(popup->ItemButton(2));
    Settle();
    QVERIFY(!menu->ItemChecked(1));
    QVERIFY(!popup->ItemButton(1)->Pressed());
    QVERIFY(menu->ItemChecked(2));
    QCOMPARE(menu->Caption(), QStringLiteral("->B"));
    // In a menu the one choice cannot be taken back.
    Tap(popup->ItemButton(2));
    Settle();
    QVERIFY(menu->ItemChecked(2));
    QVERIFY(popup->ItemButton(2)->Pressed());

    // Outside menu mode the ticked item can be unticked.
    auto* plain = new TPanelButton(FWindow);
    plain->move(0, 100);
    plain->SetPopup(true);
    plain->SetSelection(fsSingle);
    plain->SetPopupAutoClose(false);
    plain->SetCaptionItems(FilterItems);
    plain->PerformClick();
    TPopupWindow* second = plain->PopupWindow();
    QVERIFY(second);
    Tap(second->ItemButton(3));
    Tap(second->ItemButton(3));
    Settle();
    QVERIFY(!plain->ItemChecked(3));
    QCOMPARE(plain->Caption(), QStringLiteral("[..]"));

    // With PopupAutoClose a tick closes the pop-up at once.
    plain->SetPopupAutoClose(true);
    Tap(second->ItemButton(1));
    Settle();
    QVERIFY(!plain->IsPopupOpen());
    QVERIFY(plain->ItemChecked(1));
}

void TestPopup::tapOnOwnerClosesPopup() {
    auto* b = new TPanelButton(Window());
    b->SetPopup(true);
    b->SetPopupButton(true);
    b->SetCaptionItems(ViewItems);
    QSignalSpy clicks(b, &TPanelButton::Click);
    Tap(b);
    QVERIFY(b->IsPopupOpen());
    Tap(b); // closes and must not reopen on release
    Settle();
    QVERIFY(!b->IsPopupOpen());
    QVERIFY(!b->Pressed());
    Tap(b);
    QVERIFY(b->IsPopupOpen());
    QCOMPARE(clicks.count(), 0);
}

void TestPopup::staleCloseRequestIsIgnored() {
    auto* b = new TPanelButton(Window());
    b->SetPopup(true);
    b->SetCaptionItems(FilterItems);
    b->PerformClick();
    TPopupWindow* first = b->PopupWindow();
    b->PerformClick(); // closed
    b->PerformClick(); // a new one
    TPopupWindow* second = b->PopupWindow();
    QVERIFY(second && second != first);
    QCoreApplication::postEvent(b, new TPopupCloseEvent(first, false));
    Settle();
    QCOMPARE(b->PopupWindow(), second);
    // The request about the open pop-up closes it.
    QCoreApplication::postEvent(b, new TPopupCloseEvent(second, false));
    Settle();
    QVERIFY(!b->IsPopupOpen());
}

void TestPopup::losingActivationCloses() {
    auto* b = new TPanelButton(Window());
    b->SetPopup(true);
    b->SetCaptionItems(FilterItems);
    b->PerformClick();
    QTRY_VERIFY(b->PopupWindow()->isActiveWindow());
    QWidget other;
    other.setGeometry(500, 400, 100, 100);
    other.show();
    other.activateWindow();
    QTRY_VERIFY(!b->IsPopupOpen());
}

void TestPopup::ownerDestroyedWithOpenPopup() {
    auto* b = new TPanelButton(Window());
    b->SetPopup(true);
    b->SetCaptionItems(FilterItems);
    b->PerformClick();
    QPointer<TPopupWindow> popup = b->PopupWindow();
    Tap(popup->ItemButton(1)); // close and item messages are now pending for the owner
    delete b;
    QVERIFY(popup.isNull());
    Settle(); // the pending messages go nowhere
}

void TestPopup::enterKeyOpensPopup() {
    auto* b = new TPanelButton(Window());
    b->SetPopup(true);
    b->SetCaptionItems(FilterItems);
    b->SetState(2);
    b->setFocus();
    QTest::keyClick(b, Qt::Key_Enter);
    QVERIFY(b->IsPopupOpen());
    // The focus goes to the item of the current state, so Enter again picks it.
    QCOMPARE(b->PopupWindow()->focusWidget(), b->PopupWindow()->ItemButton(2));
}

void TestPopup::opensAboveAtBottomEdge() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QWidget* w = Window(QPoint(200, screen.bottom() - 60), QSize(200, 60));
    auto* b = new TPanelButton(w);
    b->move(0, 5);
    b->SetPopup(true);
    b->SetPopupButton(true);
    b->SetCaptionItems(ViewItems);
    b->PerformClick();
    TPopupWindow* popup = b->PopupWindow();
    QVERIFY(popup);
    const QRect button(b->mapToGlobal(QPoint(0, 0)), b->size());
    QVERIFY2(popup->geometry().bottom() < button.top(), "the pop-up must lie above the button");
    QVERIFY(popup->geometry().top() >= screen.top());
    QCOMPARE(popup->SBList.size(), 5);
}

void TestPopup::placementRules() {
    TPopupLayoutInput in;
    in.Screen = QRect(0, 0, 800, 600);
    in.Item = QSize(160, 48);
    in.Items = {1, 2, 3, 4, 5};
    in.MenuButton = true;
    in.Button = QRect(100, 100, 150, 48);
    TPopupLayout below = LayoutPopup(in, 6);
    QCOMPARE(below.Geometry, QRect(94, 148, 171, 251));
    QVERIFY(!below.Above);

    // Not enough room below but room above: it opens above, three pixels further left.
    in.Button = QRect(100, 500, 150, 48);
    TPopupLayout above = LayoutPopup(in, 6);
    QVERIFY(above.Above);
    QCOMPARE(above.Geometry.left(), 91);
    QCOMPARE(above.Geometry.top(), 548 - above.Geometry.height() - 48);
    QVERIFY(above.Geometry.bottom() < 500);

    // No room above either: it stays below and is cut by the screen.
    in.Screen = QRect(0, 0, 800, 130);
    in.Button = QRect(100, 40, 150, 48);
    const TPopupLayout cramped = LayoutPopup(in, 6);
    QVERIFY(!cramped.Above);
    QCOMPARE(cramped.Geometry.top(), 88);

    // A frame-drawing system gets 8 pixels more each way.
    in.Screen = QRect(0, 0, 800, 600);
    in.Button = QRect(100, 100, 150, 48);
    in.FrameAllowance = true;
    QCOMPARE(LayoutPopup(in, 6).Geometry.size(), below.Geometry.size() + QSize(8, 8));
    in.FrameAllowance = false;

    // Near the right edge a menu is right-aligned with its button.
    in.Button = QRect(700, 100, 100, 48);
    const QRect right = LayoutPopup(in, 6).Geometry;
    QVERIFY(right.left() < 700 - 6);
    QVERIFY(right.right() <= 800);

    // Fixed columns: every cell lies inside the window.
    in.Button = QRect(100, 100, 150, 48);
    in.Columns = 2;
    in.Items = {1, 2, 3, 4, 5};
    const TPopupLayout columns = LayoutPopup(in, 5);
    QCOMPARE(columns.Geometry.width(), 2 * 160 + 11);
    for (QPoint cell : columns.CellTopLeft)
        QVERIFY(QRect(QPoint(0, 0), columns.Geometry.size()).contains(QRect(cell, in.Item)));

    // Too many rows for the room below: more columns.
    in.Columns = 0;
    in.MenuButton = false;
    in.Items.clear();
    for (int k = 0; k < 20; ++k)
        in.Items << k;
    const TPopupLayout wide = LayoutPopup(in, 20);
    QCOMPARE(wide.CellTopLeft.at(8), QPoint(3, 3 + 8 * 48)); // nine rows fit below
    QCOMPARE(wide.CellTopLeft.at(9), QPoint(163, 3));
    QCOMPARE(wide.Geometry.width(), 3 * 160 + 11);

    // Nothing to show.
    QVERIFY(LayoutPopup(in, 0).Geometry.isEmpty());
}

void TestPopup::stateButtonPopup() {
    auto* s = new TStateButton(Window());
    s->SetPopup(true);
    s->SetPopupButton(true);
    s->SetSelection(fsNone);
    s->SetCaptionItems({"\"List\",5", "\"Clear Entry\",5", "\"Clear All\",5", "\"Ask Insert\",7"});
    QSignalSpy clicks(s, &TStateButton::Click);
    s->PerformClick();
    TPopupWindow* popup = s->PopupWindow();
    QVERIFY(qobject_cast<TPopupPanel*>(popup));
    QCOMPARE(popup->SBList.size(), 3);
    // Item width is the button's own when nothing is ticked.
    QCOMPARE(popup->SBList.first()->width(), s->width());
    auto* item = static_cast<TStateButton*>(popup->ItemButton(2));
    QCOMPARE(item->GradientStart(), s->GradientStart()); // a menu without ticks uses the owner's colours
    Tap(item);
    QCOMPARE(clicks.count(), 1); // told directly, not through a message
    Settle();
    QVERIFY(!s->IsPopupOpen());
    QCOMPARE(s->State(), 2);

    // Ticking pop-ups use lightened colours for unticked items.
    s->SetSelection(fsMulti);
    s->SetCaptionItems({"\"All\",-1", "\"A\",-1", "\"B\",-1"});
    s->PerformClick();
    auto* a = static_cast<TStateButton*>(s->PopupWindow()->ItemButton(1));
    QCOMPARE(a->GradientStart(), Lighten(s->GradientStart(), 180));
    Tap(a);
    QCOMPARE(a->GradientStart(), s->GradientStart());
    QCOMPARE(s->Caption(), QStringLiteral("A"));
}

QTEST_MAIN(TestPopup)
#include "tst_popup.moc"
