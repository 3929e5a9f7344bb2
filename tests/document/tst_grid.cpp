#include "GridTable.h"
#include "XMLKvDoc.h"

#include <QTest>

// The table element: its own operations, and storing and loading string tables.
class TstGrid : public QObject {
    Q_OBJECT

    static TMemoryGridTable MeasurementTable(int dataRows) {
        TMemoryGridTable table(QStringLiteral("sgMeasData"), 13, dataRows + 1);
        const QStringList titles = {"Time",       "Phase",      "Meas.Conf",  "Prim.Volt.",  "Sec.Volt",
                                    "TapNr.",     "Nom.VRatio", "Volt.Ratio", "Turns Ratio", "Ratio Dev.",
                                    "Phase Dev.", "Phaseshift", "Current"};
        for (int c = 0; c < 13; ++c)
            table.SetCell(c, 0, titles[c]);
        for (int r = 1; r <= dataRows; ++r)
            for (int c = 0; c < 13; ++c)
                table.SetCell(c, r, QStringLiteral("r%1c%2").arg(r).arg(c));
        return table;
    }

private Q_SLOTS:
    void cellNamesGrowPastThreeDigits() {
        QCOMPARE(XMLCellName('C', 0), QByteArray("C000"));
        QCOMPARE(XMLCellName('C', 12), QByteArray("C012"));
        QCOMPARE(XMLCellName('C', 999), QByteArray("C999"));
        QCOMPARE(XMLCellName('C', 1000), QByteArray("C1000"));

        TKvXML doc;
        const auto grid = doc.QEL().Analysis().Grid();
        TMemoryGridTable wide(QStringLiteral("sgWide"), 1001, 2);
        wide.SetCell(1000, 0, QStringLiteral("last"));
        wide.SetCell(1000, 1, QStringLiteral("x"));
        grid.StoreFrom(wide, 0);
        QCOMPARE(grid.Headers().TextAttr("C1000"), QStringLiteral("last"));
        QCOMPARE(grid.Cell(1000, 1), QStringLiteral("x"));
        TMemoryGridTable back;
        QVERIFY(grid.LoadInto(back));
        QCOMPARE(back.ColCount(), 1001);
        QCOMPARE(back.Cell(1000, 1), QStringLiteral("x"));
    }

    void storeThirteenColumns() {
        TKvXML doc;
        const auto grid = doc.QEL().Measurement().Grid();
        grid.StoreFrom(MeasurementTable(3), 0);
        QCOMPARE(grid.Name(), QStringLiteral("sgMeasData"));
        QVERIFY(!grid.HasChild("VisibleCols")); // written only for a count above 0
        QCOMPARE(grid.Headers().Count(), 13);
        QCOMPARE(grid.Headers().Cell(12), QStringLiteral("Current"));
        QCOMPARE(grid.R().Count(), 3);
        for (const auto& row : grid.R().Items()) {
            QCOMPARE(row.Count(), 13);
            QVERIFY(row.Node().attribute("C000") && row.Node().attribute("C012"));
            QCOMPARE(QString::fromUtf8(row.Node().last_attribute().name()), QStringLiteral("C012"));
        }
        QCOMPARE(grid.Cell(12, 3), QStringLiteral("r3c12"));
        QCOMPARE(grid.RowCount(), 4);
        QCOMPARE(grid.ColCount(), 13);
        QCOMPARE(grid.FixedRows().Value(), 1);

        // Storing a shorter table deletes rows from the end and keeps the rest.
        grid.StoreFrom(MeasurementTable(1), 3);
        QCOMPARE(grid.R().Count(), 1);
        QCOMPARE(grid.VisibleCols().Value(), 3);
    }

    void storeEmptyTableDropsSeriesInfo() {
        TKvXML doc;
        const auto grid = doc.QEL().Measurement().Grid();
        grid.StoreFrom(MeasurementTable(2), 0);
        grid.R().Item(0).Info().SetOperator(QStringLiteral("Ann"));
        grid.R().Item(0).Info().SetRelHumidity(QStringLiteral("50"));
        QVERIFY(doc.GetXML().contains(QStringLiteral("RelHumitidy=\"50\"")));

        TMemoryGridTable empty(QStringLiteral("sgMeasData"), 13, 2);
        empty.SetCell(0, 1, QStringLiteral("   "));
        grid.StoreFrom(empty, 0);
        QCOMPARE(grid.R().Count(), 1);
        QVERIFY(!grid.R().Item(0).HasInfo());
    }

    void storeResizesRowsOfOtherWidth() {
        TKvXML doc;
        const auto grid = doc.QEL().Analysis().Grid();
        grid.Initialise();
        grid.R().Item(0).SetTextAttr("S001", QStringLiteral("1")); // six attributes: emptied and rebuilt
        TMemoryGridTable views(QStringLiteral("sgViews"), 4, 2);
        views.SetCell(3, 1, QStringLiteral("y"));
        grid.StoreFrom(views, 0);
        QCOMPARE(grid.R().Item(0).Count(), 4);
        QVERIFY(!grid.R().Item(0).Node().attribute("S001"));
        QCOMPARE(grid.Cell(3, 1), QStringLiteral("y"));
    }

    void loadRoundTripAndLimits() {
        TKvXML doc;
        const auto grid = doc.QEL().Measurement().Grid();
        TMemoryGridTable source = MeasurementTable(4);
        source.SetFixedCols(2);
        grid.StoreFrom(source, 0);
        grid.R().Item(1).Node().remove_attribute("C005"); // a missing cell loads empty
        TMemoryGridTable target(QStringLiteral("sgMeasData"), 2, 2);
        QVERIFY(grid.LoadInto(target));
        QCOMPARE(target.ColCount(), 13);
        QCOMPARE(target.RowCount(), 5);
        QCOMPARE(target.FixedCols(), 2);
        QCOMPARE(target.Row(3), source.Row(3));
        QCOMPARE(target.Cell(5, 2), QString());
        QCOMPARE(target.Cell(4, 2), QStringLiteral("r2c4"));

        // Fixed counts are limited to the table's size.
        grid.SetRowCount(1);
        grid.FixedRows().SetValue(3);
        grid.FixedCols().SetValue(40);
        QVERIFY(grid.LoadInto(target));
        QCOMPARE(target.RowCount(), 1);
        QCOMPARE(target.FixedRows(), 0);
        QCOMPARE(target.FixedCols(), 12);
    }

    void unloadableElementIsOverwrittenByTheTable() {
        TKvXML doc;
        const auto grid = doc.QEL().Measurement().Grid();
        grid.Headers().SetCell(0, QStringLiteral("Time"));
        grid.FixedRows().SetTextAttr("Value", QStringLiteral("one"));
        TMemoryGridTable shown = MeasurementTable(2);
        QVERIFY(!grid.LoadInto(shown));
        QCOMPARE(shown.Cell(3, 2), QStringLiteral("r2c3")); // the table keeps what it had
        QCOMPARE(grid.FixedRows().Value(), 1);
        QCOMPARE(grid.R().Count(), 2);
        QCOMPARE(grid.Cell(3, 2), QStringLiteral("r2c3"));
    }

    void setCellAddressesAsGetCellDoes() {
        TKvXML doc;
        const auto grid = doc.QEL().Measurement().Grid();
        grid.Initialise();
        grid.SetCell(4, 0, QStringLiteral("Last"));
        QCOMPARE(grid.Cell(4, 0), QStringLiteral("Last"));
        // A title past the columns is not written: the stored table keeps its five columns.
        grid.SetCell(5, 0, QStringLiteral("Extra"));
        QCOMPARE(grid.Headers().Count(), 5);
        QVERIFY(!grid.Headers().Node().attribute("C005"));
        // A row past the rows is not added.
        grid.SetCell(0, 2, QStringLiteral("nowhere"));
        QCOMPARE(grid.RowCount(), 2);
        TMemoryGridTable shown;
        QVERIFY(grid.LoadInto(shown));
        QCOMPARE(shown.ColCount(), 5);
        QCOMPARE(shown.Cell(4, 0), QStringLiteral("Last"));
    }

    void tableOperations() {
        TKvXML doc;
        const auto grid = doc.QEL().Analysis().Grid();
        grid.Initialise();
        QCOMPARE(grid.ColCount(), 5);
        QCOMPARE(grid.RowCount(), 2);
        QCOMPARE(grid.FixedCols().Value(), 1);
        QCOMPARE(grid.Cell(0, 1), QString(""));
        QVERIFY(grid.Cell(5, 0).isNull()); // past the columns: nothing
        QVERIFY(grid.Cell(0, 2).isNull()); // past the rows: nothing
        grid.SetCell(1, 1, QStringLiteral("Filter"));
        grid.SetRowCount(4);
        QCOMPARE(grid.R().Count(), 3);
        grid.SetColCount(4);
        QCOMPARE(grid.Headers().Count(), 4);
        QCOMPARE(grid.Cell(1, 1), QString("")); // resizing empties the cells
        QCOMPARE(grid.ColCount(), 4);
        grid.SetColCount(4);
        grid.SetCell(2, 3, QStringLiteral("kept"));
        grid.SetColCount(4); // same size: unchanged
        QCOMPARE(grid.Cell(2, 3), QStringLiteral("kept"));
        grid.SetRowCount(0);
        QCOMPARE(grid.RowCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TstGrid)
#include "tst_grid.moc"
