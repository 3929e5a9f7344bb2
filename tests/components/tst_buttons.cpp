// Caption items, states, ranges and taps of the touch buttons.
#include "PanelButton.h"
#include "RecordingOperator.h"
#include "StateButton.h"

#include <QSignalSpy>
#include <QTest>

class TestButtons : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void captionItemReading_data();
    void captionItemReading();
    void cyclingThroughItems();
    void cyclingWithStateMin();
    void buttonWithoutItems();
    void outOfRangeBoundsIgnored();
    void narrowedRangeResetsState();
    void illegalInputIsReported();
    void tapAndEnterKey();
    void stateButtonDifferences();
    void menuFaceKeepsItemZero();
};

void TestButtons::captionItemReading_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("picture");
    QTest::newRow("blanks around number") << "\"Tools\", 100"
                                          << "Tools" << 100;
    QTest::newRow("empty caption") << "\"\",101"
                                   << "" << 101;
    QTest::newRow("no leading quote") << "Tools,5"
                                      << "" << -1;
    QTest::newRow("leading blanks") << "   \"Add View\",-1"
                                    << "Add View" << -1;
    QTest::newRow("unreadable number") << "\"Save\", x1"
                                       << "Save" << -1;
    QTest::newRow("no comma") << "\"Save\""
                              << "Save" << -1;
    QTest::newRow("comma inside caption") << "\"a, b\",7"
                                          << "a, b" << 7;
    QTest::newRow("text before comma skipped") << "\"X\" junk, 12 ,3"
                                               << "X" << 12;
    QTest::newRow("no cell marker") << "\"Gap\",-2"
                                    << "Gap" << -2;
}

void TestButtons::captionItemReading() {
    QFETCH(QString, line);
    QFETCH(QString, caption);
    QFETCH(int, picture);
    QCOMPARE(CaptionItem::Caption(line), caption);
    QCOMPARE(CaptionItem::Picture(line), picture);
    QVERIFY(CaptionItem::IsLegal(line));
}

void TestButtons::cyclingThroughItems() {
    TPanelButton b;
    b.SetCaptionItems({"\"Off\",6", "\"On\",7", "\"Auto\",169"});
    b.show();
    QSignalSpy clicks(&b, &TPanelButton::Click);
    QCOMPARE(b.State(), 0);
    QCOMPARE(b.Caption(), QStringLiteral("Off"));
    QList<int> seen;
    for (int i = 0; i < 3; ++i) {
        b.PerformClick();
        seen << b.State();
    }
    QCOMPARE(seen, (QList<int>{1, 2, 0}));
    QCOMPARE(b.Caption(), QStringLiteral("Off"));
    QCOMPARE(clicks.count(), 3);
    QCOMPARE(b.FacePicture(), 6);
}

void TestButtons::cyclingWithStateMin() {
    TPanelButton b;
    b.SetCaptionItems({"\"A\",-1", "\"B\",-1", "\"C\",-1"});
    b.SetStateMin(1);
    QCOMPARE(b.State(), 1); // 0 lies outside the new range
    b.show();
    QList<int> seen;
    for (int i = 0; i < 3; ++i) {
        b.PerformClick();
        seen << b.State();
    }
    QCOMPARE(seen, (QList<int>{2, 1, 2}));
}

void TestButtons::buttonWithoutItems() {
    TPanelButton b;
    b.SetCaption(QStringLiteral("Face"));
    b.show();
    QSignalSpy clicks(&b, &TPanelButton::Click);
    b.PerformClick();
    QCOMPARE(b.State(), -1);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(b.Caption(), QStringLiteral("Face")); // the face keeps its caption
    b.PerformClick();
    QCOMPARE(clicks.count(), 2);

    // A hidden or disabled button does not report taps.
    b.hide();
    b.PerformClick();
    b.show();
    b.setEnabled(false);
    b.PerformClick();
    QCOMPARE(clicks.count(), 2);
}

void TestButtons::outOfRangeBoundsIgnored() {
    TPanelButton b;
    b.SetCaptionItems({"\"A\",-1", "\"B\",-1", "\"C\",-1"});
    b.SetState(2);
    b.SetStateMin(3);
    b.SetStateMin(-1);
    b.SetStateMax(7);
    b.SetStateMax(-2);
    QCOMPARE(b.StateMin(), 0);
    QCOMPARE(b.StateMax(), 2);
    QCOMPARE(b.State(), 2);
    QCOMPARE(b.Caption(), QStringLiteral("C"));

    // A state outside the items is kept but leaves the face alone.
    b.SetState(9);
    QCOMPARE(b.State(), 9);
    QCOMPARE(b.Caption(), QStringLiteral("C"));
}

void TestButtons::narrowedRangeResetsState() {
    TPanelButton b;
    b.SetCaptionItems({"\"A\",-1", "\"B\",-1", "\"C\",-1", "\"D\",-1"});
    b.SetState(3);
    b.SetStateMax(1); // 3 no longer fits
    QCOMPARE(b.State(), 0);
    b.SetState(1);
    b.SetStateMax(2); // 1 still fits
    QCOMPARE(b.State(), 1);
    QCOMPARE(b.Caption(), QStringLiteral("B"));

    // New items reset the range to all of them and keep the current item.
    b.SetCaptionItems({"\"X\",-1", "\"Y\",-1", "\"Z\",-1", "\"W\",-1", "\"V\",-1"});
    QCOMPARE(b.StateMin(), 0);
    QCOMPARE(b.StateMax(), 4);
    QCOMPARE(b.Caption(), QStringLiteral("Y"));
}

void TestButtons::illegalInputIsReported() {
    TRecordingOperator op;
    TPanelButton b;
    b.SetOperator(&op);
    b.SetCaptionItems({"\"OK\",1", "\"Broken,3"});
    QVERIFY(op.Entries.isEmpty());
    b.SetState(1);
    QCOMPARE(op.Entries.size(), 1);
    QCOMPARE(op.Entries.first().Kind, TOperatorIFace::TKind::Error);
    QCOMPARE(op.Entries.first().Text, QStringLiteral("\n\rIllegal Input in TPanelButton.CaptionsItems: "
                                                     "\"Broken,3\n\rValid Format : <\"Caption\">,<State>"));
    QCOMPARE(b.State(), 0);
    QCOMPARE(b.Caption(), QStringLiteral("OK"));

    TStateButton s;
    s.SetOperator(&op);
    s.SetCaptionItems({"  \"Open"});
    QCOMPARE(op.Entries.size(), 2);
    QVERIFY(op.Entries.last().Text.startsWith(
        QStringLiteral("\n\rIllegal Input in TStateButton.CaptionsItems: ")));
}

void TestButtons::tapAndEnterKey() {
    QWidget w;
    w.resize(400, 200);
    auto* b = new TPanelButton(&w);
    b->SetCaptionItems({"\"A\",-1", "\"B\",-1"});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QSignalSpy clicks(b, &TPanelButton::Click);
    QSignalSpy downs(b, &TPanelButton::MouseDown);
    QSignalSpy ups(b, &TPanelButton::MouseUp);

    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(20, 20));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(downs.count(), 1);
    QCOMPARE(ups.count(), 1);
    QCOMPARE(b->State(), 1);

    // A finger that slides off the key before lifting does not tap.
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(300, 20));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(b->State(), 1);

    b->setFocus();
    QTest::keyClick(b, Qt::Key_Return);
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(b->State(), 0);
}

void TestButtons::stateButtonDifferences() {
    TStateButton s;
    s.show();
    QCOMPARE(s.Layout(), blGlyphRight);
    QCOMPARE(s.PictureBoxSize(), QSize(32, 32));
    QSignalSpy clicks(&s, &TStateButton::Click);
    // Without items the first tap goes to -1; from there taps are ignored.
    s.PerformClick();
    QCOMPARE(s.State(), -1);
    s.PerformClick();
    QCOMPARE(clicks.count(), 1);

    s.SetCaptionItems({"\"A\",1", "\"B\",2"});
    QCOMPARE(s.State(), -1); // new items keep the state, which still lies outside
    s.SetState(0);
    QCOMPARE(s.Caption(), QStringLiteral("A"));
    s.SetState(5); // outside: the face is cleared
    QCOMPARE(s.Caption(), QString());

    // In menu mode without a selection rule the 8-bit button ticks like fsMulti.
    s.SetPopupButton(true);
    s.SetState(1);
    QVERIFY(s.ItemChecked(1));
    QCOMPARE(s.State(), 1);
    QCOMPARE(s.Caption(), QStringLiteral("B"));
}

void TestButtons::menuFaceKeepsItemZero() {
    TPanelButton b;
    b.SetPopup(true);
    b.SetPopupButton(true);
    b.SetCaptionItems({"\"Tools\",100", "\"New Meas. Serie\",96", "\"Delete Row(s)\",59"});
    b.SetState(2);
    QCOMPARE(b.State(), 0); // nothing picked from the pop-up yet
    QCOMPARE(b.ItemIndex(), 0);
    QCOMPARE(b.Caption(), QStringLiteral("Tools"));
    QCOMPARE(b.FacePicture(), 100);

    // Ticking menus show what is ticked.
    b.SetSelection(fsSingle);
    b.SetState(2);
    QCOMPARE(b.State(), 2);
    QCOMPARE(b.Caption(), QStringLiteral("Delete Row(s)"));
    QVERIFY(b.ItemChecked(2));
    b.SetState(0);
    QVERIFY(!b.ItemChecked(0));
    QVERIFY(!b.ItemChecked(2));
}

QTEST_MAIN(TestButtons)
#include "tst_buttons.moc"
