// The filter grids as the pages use them: the filter rules of both variants, filter strings
// both ways, and every row operation under an active filter, checked against the table that
// holds every row.
#include "CSVForm.h"
#include "CaptionButton.h"
#include "FStringGrids.h"
#include "FilterGridView.h"
#include "FilterRules.h"
#include "RecordingOperator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using TRows = QList<QStringList>;

// The results of three series: the time of a series repeats or changes inside it, a blank row
// ends it; one voltage is padded as the live display formats it.
const TRows kSeries = {
    {"Time", "Phase", "Meas.Conf", "Prim.Volt.", "Note"},
    {"12:00:01", "A", "HV:LV T1", "     400 kV", "R&D"},
    {"12:00:01", "B", "HV:LV T1", "400 kV", ""},
    {"12:00:01", "C", "HV:LV T1", "400 kV", ""},
    {"", "", "", "", ""},
    {"12:05:00", "A", "HV:LV T2", "410 kV", ""},
    {"12:05:30", "B", "North, Bay 2", "410 kV", ""},
    {"", "", "", "", ""},
    {"12:10:00", "A", "HV:LV T1", "420 kV", "A&B&&C"},
};

std::unique_ptr<TFilterStringGrid> MakeGrid(bool wide) {
    std::unique_ptr<TFilterStringGrid> g;
    if (wide)
        g = std::make_unique<TTntFStringGrid>();
    else
        g = std::make_unique<TFStringGrid>();
    g->setObjectName(QStringLiteral("sgMeasData"));
    g->resize(600, 300);
    return g;
}

void Fill(TFilterStringGrid& g, const TRows& rows) {
    TGridTable& t = g.Table();
    const TGridTableUpdate update(t);
    t.SetColCount(int(rows.front().size()));
    t.SetRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            t.SetCell(c, r, rows[r][c]);
}

void FilterColumns(TFilterStringGrid& g, int below) {
    g.SetOnHasFilter([below](int col, TSGSelection& f, bool& sorted) {
        f = col < below ? fsMulti : fsNone;
        sorted = false;
    });
    g.RebuildFilterButtons();
}

// What a tick in the pop-up leaves behind: the values' entries ticked, "all" not.
void Choose(TFilterStringGrid& g, int col, const QStringList& values) {
    TCaptionButton* b = g.FilterButton(col);
    QVERIFY(b);
    b->SetItemChecked(0, false);
    for (int k = 1; k < b->CaptionItems().size(); ++k)
        b->SetItemChecked(k, values.contains(FilterRules::EntryValue(b->ItemCaption(k))));
    g.ApplyFilters();
}

QList<int> Shown(const TFilterStringGrid& g) {
    QList<int> rows;
    for (int r = 1; r < g.RowCount(); ++r)
        rows << g.ShadowRow(r);
    return rows;
}

QStringList Entries(const TFilterStringGrid& g, int col) {
    QStringList entries;
    const TCaptionButton* b = g.FilterButton(col);
    for (int k = 1; b && k < b->CaptionItems().size(); ++k)
        entries << b->ItemCaption(k);
    return entries;
}

// A table of n numbered rows; every tenth is phase "A", the others "B".
TRows Numbered(int n) {
    TRows rows = {{"Nr", "Phase", "Meas.Conf", "Prim.Volt.", "Note"}};
    for (int i = 1; i <= n; ++i)
        rows << QStringList{QString::number(i), i % 10 == 0 ? "A" : "B", "HV:LV", "10 kV", ""};
    return rows;
}

QStringList Column(const TGridTable& t, int col) {
    QStringList cells;
    for (int r = 1; r < t.RowCount(); ++r)
        cells << t.Cell(col, r);
    return cells;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestFilterGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void buttonsOfferTheColumnsValues_data() {
        QTest::addColumn<bool>("wide");
        QTest::addColumn<int>("col");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("wide: series starts")
            << true << 0 << QStringList{"->12:00:01", "->12:05:00", "->12:10:00"};
        QTest::newRow("8-bit: every time")
            << false << 0 << QStringList{"->12:00:01", "->12:05:00", "->12:05:30", "->12:10:00"};
        QTest::newRow("trimmed, distinct") << true << 3 << QStringList{"->400 kV", "->410 kV", "->420 kV"};
        QTest::newRow("first & doubled") << true << 4 << QStringList{"->R&&D", "->A&&B&&C"};
    }
    void buttonsOfferTheColumnsValues() {
        QFETCH(bool, wide);
        QFETCH(int, col);
        QFETCH(QStringList, entries);
        auto g = MakeGrid(wide);
        Fill(*g, kSeries);
        FilterColumns(*g, 5);
        QCOMPARE(Entries(*g, col), entries);
        QCOMPARE(g->FilterButton(col)->Caption(), kSeries[0][col]);
        QCOMPARE(g->FixedRows(), 1);
    }

    void filterRulesOfBothVariants_data() {
        QTest::addColumn<bool>("wide");
        QTest::addColumn<int>("col");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QList<int>>("shown");
        QTest::newRow("wide: a series whole")
            << true << 0 << QStringList{"12:00:01"} << QList<int>{1, 2, 3, 4};
        QTest::newRow("wide: series with two times")
            << true << 0 << QStringList{"12:05:00"} << QList<int>{5, 6, 7};
        QTest::newRow("wide: blanks stay") << true << 1 << QStringList{"A"} << QList<int>{1, 4, 5, 7, 8};
        QTest::newRow("wide: padded text matches")
            << true << 3 << QStringList{"400 kV"} << QList<int>{1, 2, 3, 4, 7};
        QTest::newRow("8-bit: plain value") << false << 0 << QStringList{"12:05:30"} << QList<int>{6};
        QTest::newRow("8-bit: blanks go") << false << 1 << QStringList{"A"} << QList<int>{1, 5, 8};
        QTest::newRow("8-bit: padded text matches")
            << false << 3 << QStringList{"400 kV"} << QList<int>{1, 2, 3};
        QTest::newRow("8-bit: doubled & undone once") << false << 4 << QStringList{"A&B&&C"} << QList<int>{8};
        QTest::newRow("8-bit: two values")
            << false << 1 << QStringList{"A", "B"} << QList<int>{1, 2, 5, 6, 8};
    }
    void filterRulesOfBothVariants() {
        QFETCH(bool, wide);
        QFETCH(int, col);
        QFETCH(QStringList, values);
        QFETCH(QList<int>, shown);
        auto g = MakeGrid(wide);
        Fill(*g, kSeries);
        FilterColumns(*g, 5);
        Choose(*g, col, values);
        QCOMPARE(Shown(*g), shown);
        QVERIFY(g->IsFiltered());
        QCOMPARE(g->Table().RowCount(), kSeries.size());
    }

    void customListTestDecidesWhenEntriesAreGiven() {
        auto g = MakeGrid(true);
        Fill(*g, kSeries);
        g->SetOnGetFilterEntries([](int col, QStringList& list) {
            if (col == 3)
                list << "up to 405 kV"
                     << "above 405 kV";
        });
        QList<QPair<QStringList, int>> asked;
        g->SetOnIsInList([&](const QStringList& values, int col, int row) {
            asked << qMakePair(values, row);
            const int kv = g->Table().Cell(col, row).trimmed().split(' ').front().toInt();
            return kv > 0 && (values.contains("above 405 kV") ? kv > 405 : kv <= 405);
        });
        FilterColumns(*g, 5);
        QCOMPARE(Entries(*g, 3), (QStringList{"->up to 405 kV", "->above 405 kV"}));
        Choose(*g, 3, {"above 405 kV"});
        QCOMPARE(Shown(*g), (QList<int>{5, 6, 8}));
        QCOMPARE(asked.size(), 8);
        QCOMPARE(asked.front().first, QStringList{"above 405 kV"});
    }

    void filterStringsBothWays_data() {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("get");
        QTest::addColumn<QList<int>>("shown");
        const QList<int> all = {1, 2, 3, 4, 5, 6, 7, 8};
        QTest::newRow("no filter") << "Time;Phase;Meas.Conf;;;"
                                   << "Time;Phase;Meas.Conf;;;" << all;
        QTest::newRow("blank fields") << ";;;;;"
                                      << "Time;Phase;Meas.Conf;;;" << all;
        // A stale or translated title means "no filter" and renames nothing.
        QTest::newRow("stale title") << "Zeit;Phasen;[..];;;"
                                     << "Time;Phase;Meas.Conf;;;" << all;
        QTest::newRow("two values") << "Time;->A, ->B;Meas.Conf;;;"
                                    << "Time;->A, ->B;Meas.Conf;;;" << QList<int>{1, 2, 4, 5, 6, 7, 8};
        QTest::newRow("value holding a comma") << "Time;Phase;->North, Bay 2;;;"
                                               << "Time;Phase;->North, Bay 2;;;" << QList<int>{4, 6, 7};
        QTest::newRow("series and phase") << "->12:00:01;->B;Meas.Conf;;;"
                                          << "->12:00:01;->B;Meas.Conf;;;" << QList<int>{2, 4};
    }
    void filterStringsBothWays() {
        QFETCH(QString, set);
        QFETCH(QString, get);
        QFETCH(QList<int>, shown);
        auto g = MakeGrid(true);
        Fill(*g, kSeries);
        FilterColumns(*g, 3);
        QCOMPARE(g->FilterString(), QStringLiteral("Time;Phase;Meas.Conf;;;"));
        g->SetFilterString(set);
        QCOMPARE(g->FilterString(), get);
        QCOMPARE(Shown(*g), shown);
        for (int c = 0; c < 5; ++c)
            QCOMPARE(g->Cell(c, 0), kSeries[0][c]);
    }

    void rowCountChangesGoThroughTheRowMap() {
        auto g = MakeGrid(true);
        Fill(*g, Numbered(100));
        FilterColumns(*g, 2);
        Choose(*g, 1, {"A"});
        QCOMPARE(g->RowCount(), 11);
        QList<int> told;
        connect(g.get(), &TFilterStringGrid::RowColChange, this, [&](int rows, int) { told << rows; });

        g->SetRowCount(12);
        QCOMPARE(g->Table().RowCount(), 102);
        QCOMPARE(g->ShadowRow(11), 101);
        g->SetCell(0, 11, QStringLiteral("new"));
        QCOMPARE(g->Table().Cell(0, 101), QStringLiteral("new"));

        // The last three shown rows go: table rows 90, 100 and the new one.
        g->SetRowCount(9);
        QCOMPARE(told, (QList<int>{12, 9}));
        QCOMPARE(g->Table().RowCount(), 99);
        QStringList expected;
        for (int i = 1; i <= 100; ++i)
            if (i != 90 && i != 100)
                expected << QString::number(i);
        QCOMPARE(Column(g->Table(), 0), expected);
        QCOMPARE(g->RowCount(), 9);
        QCOMPARE(g->Cell(0, 8), QStringLiteral("80"));
    }

    void deleteRemovesExactlyTheSelectedRows_data() {
        QTest::addColumn<bool>("wide");
        QTest::newRow("wide") << true;
        QTest::newRow("8-bit") << false;
    }
    void deleteRemovesExactlyTheSelectedRows() {
        QFETCH(bool, wide);
        auto g = MakeGrid(wide);
        Fill(*g, Numbered(100));
        FilterColumns(*g, 2);
        Choose(*g, 1, {"A"});
        int changes = 0;
        connect(g.get(), &TFilterStringGrid::Changed, this, [&] { ++changes; });
        g->SelectRows(3, 3);
        g->SelectRows(5, 5);
        QCOMPARE(g->SelectedRows(), std::vector<int>{5});
        g->SelectRows(3, 5);
        g->DeleteSelectedRows();
        QStringList expected;
        for (int i = 1; i <= 100; ++i)
            if (i != 30 && i != 40 && i != 50)
                expected << QString::number(i);
        QCOMPARE(Column(g->Table(), 0), expected);
        // Deleting lifts the filter: every row is shown, every button says "all".
        QCOMPARE(g->RowCount(), 98);
        QVERIFY(!g->IsFiltered());
        QCOMPARE(g->FilterButton(1)->Caption(), QStringLiteral("Phase"));
        QVERIFY(changes > 0);
        QVERIFY(g->Modified());
    }

    void deleteOfIdenticalRowsTakesTheOneSelected() {
        auto g = MakeGrid(true);
        // Two identical results and the identical empty rows between series.
        Fill(*g, {{"Time", "Phase"}, {"t1", "A"}, {"", ""}, {"t1", "A"}, {"", ""}, {"t2", "B"}, {"", ""}});
        FilterColumns(*g, 2);
        Choose(*g, 1, {"A"});
        QCOMPARE(Shown(*g), (QList<int>{1, 2, 3, 4, 6}));
        g->SelectRows(4, 5); // the second empty row and the last one
        g->DeleteSelectedRows();
        QCOMPARE(g->Table().RowCount(), 5);
        QCOMPARE(Column(g->Table(), 0), (QStringList{"t1", "", "t1", "t2"}));
        QCOMPARE(Column(g->Table(), 1), (QStringList{"A", "", "A", "B"}));
    }

    void deletingEveryRowLeavesAnEmptyOne() {
        auto g = MakeGrid(false);
        Fill(*g, Numbered(3));
        g->SelectAllRows();
        g->DeleteSelectedRows();
        QCOMPARE(g->RowCount(), 2);
        QCOMPARE(g->RowCells(1), QStringList(5));
        QCOMPARE(g->FixedRows(), 1);
    }

    void insertAndPasteGoWhereTheGridShows() {
        auto g = MakeGrid(true);
        Fill(*g, Numbered(100));
        FilterColumns(*g, 2);
        Choose(*g, 1, {"A"});
        g->InsertRow(3); // before the row showing table row 30
        QCOMPARE(g->Table().RowCount(), 102);
        QCOMPARE(g->Cell(0, 3), QString());
        QCOMPARE(g->Cell(0, 4), QStringLiteral("30"));
        QCOMPARE(g->Table().Cell(0, 30), QString());
        QCOMPARE(g->Table().Cell(0, 29), QStringLiteral("29"));

        g->SetRow(4);
        g->PasteRows(QStringLiteral("x,A,\"North, Bay 2\",\"1 kV\",n,extra,more\r\n\r\n  \r\ny,A\r\n"));
        QCOMPARE(g->Table().RowCount(), 104);
        QCOMPARE(g->RowCells(4), (QStringList{"x", "A", "North, Bay 2", "1 kV", "n"}));
        QCOMPARE(g->RowCells(5), (QStringList{"y", "A", "", "", ""}));
        QCOMPARE(g->Cell(0, 6), QStringLiteral("30"));
        QCOMPARE(g->Row(), 6);
        QCOMPARE(g->Table().Cell(0, 31), QStringLiteral("x"));
        QVERIFY(g->Modified());

        g->SelectRows(4, 5);
        QCOMPARE(g->CopyRowsText(), QStringLiteral("x,A,\"North, Bay 2\",\"1 kV\",n\r\ny,A,,,\r\n"));
    }

    void rebuildingKeepsTheChoicesAndTheRows() {
        auto g = MakeGrid(true);
        Fill(*g, kSeries);
        FilterColumns(*g, 3);
        g->SetFilterString(QStringLiteral("Time;->B;Meas.Conf;;;"));
        const QList<int> shown = Shown(*g);
        g->FitColWidths(true, false);
        QCOMPARE(Shown(*g), shown);
        QCOMPARE(g->FilterString(), QStringLiteral("Time;->B;Meas.Conf;;;"));
        g->RebuildFilterButtons();
        QCOMPARE(Shown(*g), shown);
        // A value that is gone leaves its column unfiltered, buttons and rows alike.
        for (int r = 1; r < g->Table().RowCount(); ++r)
            if (g->Table().Cell(1, r) == "B")
                g->Table().SetCell(1, r, QStringLiteral("X"));
        g->RebuildFilterButtons();
        QCOMPARE(g->FilterString(), QStringLiteral("Time;Phase;Meas.Conf;;;"));
        QCOMPARE(g->RowCount(), kSeries.size());
    }

    void fitWidthsStaysWithinTheLimits() {
        auto g = MakeGrid(true);
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g.get()));
        Fill(*g, {{"Nr", "Notes", "Hidden"}, {"1", QString(200, u'x'), "h"}});
        g->SetColWidth(2, 0);
        // The long text is cut at the limit; the narrow table is then widened by a fifth.
        g->FitColWidths(true, false);
        QCOMPARE(g->ColWidth(1), 180);
        QVERIFY(g->ColWidth(0) >= TFilterStringGrid::MinColWidth && g->ColWidth(0) < 60);
        QCOMPARE(g->ColWidth(2), 0);
        g->FitColWidths(false, true);
        const int sum = g->ColWidth(0) + g->ColWidth(1);
        QVERIFY2(std::abs(sum - g->View()->viewport()->width()) <= 2, qPrintable(QString::number(sum)));
    }

    void filesKeepEveryRowAndReportFailures() {
        QTemporaryDir dir;
        TRecordingOperator op;
        auto g = MakeGrid(true);
        g->SetOperator(&op);
        Fill(*g, kSeries);
        FilterColumns(*g, 3);
        Choose(*g, 1, {"C"});
        g->SetModified(true);
        const QString path = dir.filePath(QStringLiteral("grid.csv"));
        QVERIFY(g->SaveToFile(path));
        QVERIFY(!g->Modified());
        const QByteArray saved = QString::fromUtf8(ReadAll(path)).replace(ListSeparator(), u',').toUtf8();
        QVERIFY(saved.startsWith(
            "Time,Phase,Meas.Conf,Prim.Volt.,Note\r\n12:00:01,A,HV:LV T1,     400 kV,R&D\r\n"));
        QVERIFY(saved.contains(ListSeparator() == u',' ? "\r\n12:05:30,B,\"North, Bay 2\",410 kV,\r\n"
                                                       : "\r\n12:05:30,B,North, Bay 2,410 kV,\r\n"));
        QCOMPARE(saved.count("\r\n"), kSeries.size());

        auto back = MakeGrid(true);
        back->SetOperator(&op);
        QVERIFY(back->LoadFromFile(path));
        QCOMPARE(back->RowCount(), kSeries.size());
        for (int r = 0; r < kSeries.size(); ++r)
            QCOMPARE(back->RowCells(r), kSeries[r]);

        // Missing and unreadable files leave the table as it was.
        const QString missing = dir.filePath(QStringLiteral("missing.csv"));
        QVERIFY(!back->LoadFromFile(missing, u','));
        QVERIFY(!back->LoadFromFile(dir.path(), u','));
        QCOMPARE(op.Texts(),
                 (QStringList{"Cannot open input file." + missing, "Cannot open input file." + dir.path()}));
        QCOMPARE(op.Entries.front().Title, QStringLiteral("System"));
        QCOMPARE(back->RowCells(6), kSeries[6]);

        g->SetModified(true);
        QVERIFY(!g->SaveToFile(dir.path()));
        QVERIFY(g->Modified());
        QCOMPARE(op.Texts().back(), "Error writing file :\r\n\t" + dir.path());
    }

    void savingWithUnitsAndAppending() {
        QTemporaryDir dir;
        auto g = MakeGrid(true);
        Fill(*g, {{"Phase", "Ratio Dev.", "Prim.Volt."}, {"A", "0.12 %", "10 kV"}});
        const QString path = dir.filePath(QStringLiteral("units.csv"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old line");
        }
        QVERIFY(g->SaveToFile(path, true, true));
        QCOMPARE(QString::fromUtf8(ReadAll(path)),
                 QStringLiteral("old line\r\nPhase,Ratio Dev.[%],Prim.Volt.[V]\r\nA,0.12,10000\r\n")
                     .replace(u',', ListSeparator()));
    }

    void eightBitFilesAreCommaTexts() {
        QTemporaryDir dir;
        TRecordingOperator op;
        auto g = MakeGrid(false);
        g->SetOperator(&op);
        Fill(*g, {{"Group", "Phase A"}, {"Dyn11", "1U-2W"}, {"", "a \"b\""}});
        const QString path = dir.filePath(QStringLiteral("VectorGroupTable.csv"));
        QVERIFY(g->SaveToFile(path));
        QCOMPARE(ReadAll(path), QByteArray("Group,\"Phase A\"\r\nDyn11,1U-2W\r\n,\"a \"\"b\"\"\"\r\n"));
        auto back = MakeGrid(false);
        QVERIFY(back->LoadFromFile(path));
        QCOMPARE(back->RowCount(), 3);
        QCOMPARE(back->RowCells(2), (QStringList{"", "a \"b\""}));

        QVERIFY(!g->SaveToFile(dir.path()));
        QCOMPARE(op.Texts(), QStringList{"Error writing File :" + dir.path()});
    }

    void columnWidthsBecomeTheDefault() {
        QTemporaryDir dir;
        TTntFStringGrid g;
        g.setObjectName(QStringLiteral("sgTapData"));
        Fill(g, {{"Tap", "Voltage", "Name"}, {"1", "10 kV", ""}});
        g.SetColWidth(0, 40);
        g.SetColWidth(2, 0);
        QCOMPARE(g.ColWidthsText(), QStringLiteral("\"40;64;0\""));
        QVERIFY(!g.StoreColWidths());
        const QString path = dir.filePath(QStringLiteral("Qel8625.cfg"));
        g.SetIniFileName(path);
        QVERIFY(g.StoreColWidths());
        QCOMPARE(QString::fromUtf8(ReadAll(path)).trimmed(),
                 QStringLiteral("[sgTapData]\r\nColWidths=\"40;64;0\""));
    }

    void wideFilesAreCutAtTheColumnLimit() {
        QTemporaryDir dir;
        TRecordingOperator op;
        auto g = MakeGrid(true);
        g->SetOperator(&op);
        const QString path = dir.filePath(QStringLiteral("wide.csv"));
        QStringList cells;
        for (int c = 0; c < 300; ++c)
            cells << QString::number(c);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(cells.join(u';').toUtf8() + "\r\n1;2\r\n");
        }
        QVERIFY(g->LoadFromFile(path, u';'));
        QCOMPARE(g->ColCount(), 256);
        QCOMPARE(g->RowCount(), 2);
        QCOMPARE(op.Texts(), QStringList{"Grid requested to display more than 256 columns"});
    }
};

QTEST_MAIN(TestFilterGrid)
#include "tst_filtergrid.moc"
