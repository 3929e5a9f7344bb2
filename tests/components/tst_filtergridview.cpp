// The filter grid on screen: its buttons lie over the title cells, a pick from a button's
// pop-up filters the rows, the fixed columns stay in view when the table scrolls sideways,
// and a drag scrolls both parts together.
#include "CaptionButton.h"
#include "FStringGrids.h"
#include "FilterGridView.h"
#include "PopupPanel.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QScroller>
#include <QTest>

namespace {

QRect Global(const QWidget* w) {
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

QRect TitleCell(TFilterStringGrid& g, int col) {
    const QHeaderView* h = g.View()->TitleHeader(col);
    return QRect(h->viewport()->mapToGlobal(QPoint(h->sectionViewportPosition(col), 0)),
                 QSize(h->sectionSize(col), h->height()));
}

} // namespace

class TestFilterGridView : public QObject {
    Q_OBJECT
private:
    TTntFStringGrid* FGrid = nullptr;

private Q_SLOTS:
    void init() {
        FGrid = new TTntFStringGrid;
        FGrid->setObjectName(QStringLiteral("sgMeasData"));
        FGrid->resize(420, 260);
        TGridTable& t = FGrid->Table();
        {
            const TGridTableUpdate update(t);
            t.SetColCount(13);
            t.SetRowCount(41);
            for (int c = 0; c < 13; ++c)
                t.SetCell(c, 0, QStringLiteral("Col %1").arg(c));
            for (int r = 1; r <= 40; ++r) {
                t.SetCell(0, r, QStringLiteral("12:%1:00").arg(r / 4, 2, 10, QChar('0')));
                t.SetCell(1, r, QString(QChar(u'A' + r % 3)));
                for (int c = 2; c < 13; ++c)
                    t.SetCell(c, r, QStringLiteral("%1.%2").arg(r).arg(c));
            }
        }
        FGrid->SetOnHasFilter([](int col, TSGSelection& f, bool& sorted) {
            f = col < 3 || col == 6 ? fsMulti : fsNone;
            sorted = false;
        });
        for (int c = 0; c < 13; ++c)
            FGrid->SetColWidth(c, 70);
        FGrid->SetFixedCols(3);
        FGrid->RebuildFilterButtons();
        FGrid->show();
        QVERIFY(QTest::qWaitForWindowExposed(FGrid));
    }
    void cleanup() {
        delete FGrid;
        FGrid = nullptr;
    }

    void buttonsLieOverTheTitleCells() {
        for (const int c : {0, 1, 2, 6}) {
            const TCaptionButton* b = FGrid->FilterButton(c);
            QVERIFY(b);
            QVERIFY(b->isVisible());
            QCOMPARE(Global(b), TitleCell(*FGrid, c));
            QCOMPARE(b->Caption(), QStringLiteral("Col %1").arg(c));
        }
        QVERIFY(!FGrid->FilterButton(3));
        // A wider column takes its button along.
        FGrid->SetColWidth(1, 120);
        QCOMPARE(Global(FGrid->FilterButton(2)), TitleCell(*FGrid, 2));
        QCOMPARE(FGrid->FilterButton(2)->width(), 70);
    }

    void aPickFromThePopupHidesTheRows() {
        TCaptionButton* b = FGrid->FilterButton(1);
        b->PerformClick();
        QVERIFY(b->IsPopupOpen());
        TPopupWindow* popup = b->PopupWindow();
        int k = 1;
        while (k < b->CaptionItems().size() && b->ItemCaption(k) != QLatin1String("->B"))
            ++k;
        QVERIFY(popup->ItemButton(k));
        popup->ItemButton(k)->PerformClick();
        QTRY_COMPARE(FGrid->RowCount(), 1 + 14);
        for (int r = 1; r < FGrid->RowCount(); ++r)
            QCOMPARE(FGrid->Cell(1, r), QStringLiteral("B"));
        QCOMPARE(b->Caption(), QStringLiteral("->B"));
        QCOMPARE(FGrid->FilterString(), QStringLiteral("Col 0;->B;Col 2;;;;Col 6;;;;;;;"));
        QCOMPARE(FGrid->Table().RowCount(), 41);

        // "All" again shows every row.
        popup->ItemButton(0)->PerformClick();
        QTRY_COMPARE(FGrid->RowCount(), 41);
        b->PerformClick();
        QVERIFY(!b->IsPopupOpen());
    }

    void fixedColumnsStayInViewWhenScrolledSideways() {
        QScrollBar* h = FGrid->View()->horizontalScrollBar();
        QVERIFY(h->maximum() > 0);
        QTableView* fixed = FGrid->View()->FixedView();
        QVERIFY(fixed->isVisible());
        const QRect fixedBefore = Global(fixed);
        const QModelIndex scrolled = FGrid->View()->model()->index(0, 6);
        const int x6 = FGrid->View()->visualRect(scrolled).x();
        const QRect button0 = Global(FGrid->FilterButton(0));

        h->setValue(h->maximum());
        QCOMPARE(Global(fixed), fixedBefore);
        QCOMPARE(fixed->width(), 3 * 70);
        QCOMPARE(fixed->visualRect(fixed->model()->index(0, 0)).x(), 0);
        QVERIFY(FGrid->View()->visualRect(scrolled).x() < x6);
        // At the left edge of the table the first column is still to be seen.
        const QPoint leftEdge = FGrid->View()->viewport()->mapTo(FGrid, QPoint(5, 5));
        QCOMPARE(FGrid->childAt(leftEdge), fixed->viewport());
        QCOMPARE(Global(FGrid->FilterButton(0)), button0);
        QCOMPARE(Global(FGrid->FilterButton(6)), TitleCell(*FGrid, 6));
    }

    void aDragScrollsBothParts() {
        QWidget* viewport = FGrid->View()->viewport();
        QVERIFY(QScroller::hasScroller(viewport));
        QVERIFY(QScroller::hasScroller(FGrid->View()->FixedView()->viewport()));
        QScroller::scroller(viewport)->scrollTo(QPointF(0, 200), 0);
        QTRY_VERIFY(FGrid->View()->verticalScrollBar()->value() > 0);
        QCOMPARE(FGrid->View()->FixedView()->verticalScrollBar()->value(),
                 FGrid->View()->verticalScrollBar()->value());
    }
};

QTEST_MAIN(TestFilterGridView)
#include "tst_filtergridview.moc"
