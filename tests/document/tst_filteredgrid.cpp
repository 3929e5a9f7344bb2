// A filter grid and the document's table element: storing a filtered grid writes every row
// of its table, in place, and loading keeps the grid's filter, applied to the new rows.
#include "CaptionButton.h"
#include "FStringGrids.h"
#include "XMLKvDoc.h"

#include <QTest>

namespace {

// n numbered rows; every tenth is phase "A".
void Fill(TGridTable& t, int n) {
    const TGridTableUpdate update(t);
    t.SetColCount(3);
    t.SetRowCount(n + 1);
    t.SetCell(0, 0, QStringLiteral("Nr"));
    t.SetCell(1, 0, QStringLiteral("Phase"));
    t.SetCell(2, 0, QStringLiteral("Volt"));
    for (int i = 1; i <= n; ++i) {
        t.SetCell(0, i, QString::number(i));
        t.SetCell(1, i, i % 10 == 0 ? QStringLiteral("A") : QStringLiteral("B"));
        t.SetCell(2, i, QStringLiteral("%1 V").arg(i));
    }
}

void FilterPhaseA(TFilterStringGrid& g) {
    g.SetOnHasFilter([](int col, TSGSelection& f, bool& sorted) {
        f = col < 2 ? fsMulti : fsNone;
        sorted = false;
    });
    g.RebuildFilterButtons();
    g.SetFilterString(QStringLiteral("Nr;->A;;"));
}

} // namespace

class TstFilteredGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void storingAFilteredGridWritesEveryRow() {
        TTntFStringGrid g;
        g.setObjectName(QStringLiteral("sgMeasData"));
        Fill(g.Table(), 100);
        FilterPhaseA(g);
        QCOMPARE(g.RowCount(), 11);

        TKvXML doc;
        const TXMLGridType grid = doc.QEL().Measurement().Grid();
        grid.StoreFrom(g.Table(), 0);
        QCOMPARE(grid.Name(), QStringLiteral("sgMeasData"));
        QCOMPARE(grid.RowCount(), 101);
        for (int r = 0; r <= 100; ++r)
            for (int c = 0; c < 3; ++c)
                QCOMPARE(grid.Cell(c, r), g.Table().Cell(c, r));

        // Test conditions kept in a row element stay with their row when the grid is stored
        // again after a row was written.
        grid.R().Item(54).Info().SetOperator(QStringLiteral("Meier"));
        g.SetCell(2, 5, QStringLiteral("changed")); // grid row 5 shows table row 50
        grid.StoreFrom(g.Table(), 0);
        QCOMPARE(grid.Cell(2, 50), QStringLiteral("changed"));
        QCOMPARE(grid.R().Item(54).Info().Operator(), QStringLiteral("Meier"));
        QCOMPARE(grid.Cell(0, 55), QStringLiteral("55"));
    }

    void loadingKeepsTheFilterAndShowsItsRows() {
        TKvXML doc;
        const TXMLGridType grid = doc.QEL().Measurement().Grid();
        TMemoryGridTable stored(QStringLiteral("sgMeasData"), 3, 121);
        Fill(stored, 120);
        grid.StoreFrom(stored, 0);

        TTntFStringGrid g;
        Fill(g.Table(), 100);
        FilterPhaseA(g);
        int changes = 0;
        connect(&g, &TFilterStringGrid::Changed, this, [&] { ++changes; });
        QVERIFY(grid.LoadInto(g.Table()));
        QCOMPARE(changes, 1);
        QCOMPARE(g.Table().RowCount(), 121);
        QCOMPARE(g.FilterString(), QStringLiteral("Nr;->A;;"));
        QCOMPARE(g.RowCount(), 13);
        QCOMPARE(g.Cell(0, 12), QStringLiteral("120"));

        // A shorter table: the filter still holds, over what is left.
        TMemoryGridTable shorter(QStringLiteral("sgMeasData"), 3, 36);
        Fill(shorter, 35);
        grid.StoreFrom(shorter, 0);
        QVERIFY(grid.LoadInto(g.Table()));
        QCOMPARE(g.Table().RowCount(), 36);
        QCOMPARE(g.RowCount(), 4);
        QCOMPARE(g.Cell(2, 3), QStringLiteral("30 V"));
    }
};

QTEST_MAIN(TstFilteredGrid)
#include "tst_filteredgrid.moc"
