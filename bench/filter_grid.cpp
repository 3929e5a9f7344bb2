// The results table at its largest: a wide filter grid of 100,000 rows of 13 columns with
// filter buttons on the first three columns, on an off-screen display. Prints the document
// store and load of the table (10,000 and 100,000 rows), CSV load, button rebuild, setting a
// filter, fitting the widths, deleting 1,000 selected rows under a filter, appending a row to
// a 10,000-row grid, and the peak memory.
#include "BenchSupport.h"
#include "FStringGrids.h"
#include "XMLKvDoc.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

double Ms(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

const QStringList kTitles = {"Time",       "Phase",      "Meas.Conf",  "Prim.Volt.",  "Sec.Volt",
                             "TapNr.",     "Nom.VRatio", "Volt.Ratio", "Turns Ratio", "Ratio Dev.",
                             "Phase Dev.", "Phaseshift", "Current"};

// Series of ten three-phase results, a blank row after each series.
QStringList ResultRow(int r) {
    if (r % 31 == 0)
        return QStringList(13);
    const int result = r / 3;
    const int tap = result % 33 + 1;
    return {QStringLiteral("09.12.2026 %1:%2:%3")
                .arg(result / 3600 % 24, 2, 10, QChar('0'))
                .arg(result / 60 % 60, 2, 10, QChar('0'))
                .arg(result % 60, 2, 10, QChar('0')),
            QString(QChar(u'A' + r % 3)),
            QStringLiteral("HV T%1:LV").arg(tap),
            QStringLiteral("%1 kV").arg(10.0 + tap * 0.25, 0, 'f', 2),
            QStringLiteral("400.0 V"),
            QString::number(tap),
            QStringLiteral("%1").arg(25.0 + tap * 0.625, 0, 'f', 4),
            QStringLiteral("%1").arg(25.0 + tap * 0.625 + (r % 7) * 0.001, 0, 'f', 4),
            QStringLiteral("%1").arg(25.0 + tap * 0.625 + (r % 5) * 0.001, 0, 'f', 4),
            QStringLiteral("%1 %").arg((r % 11 - 5) * 0.01, 0, 'f', 3),
            QStringLiteral("%1 °").arg((r % 13 - 6) * 0.005, 0, 'f', 3),
            QStringLiteral(".."),
            QStringLiteral("%1 mA").arg(1.0 + (r % 17) * 0.1, 0, 'f', 3)};
}

void Fill(TGridTable& t, int rows) {
    const TGridTableUpdate update(t);
    t.SetColCount(13);
    t.SetRowCount(rows + 1);
    for (int c = 0; c < 13; ++c)
        t.SetCell(c, 0, kTitles[c]);
    for (int r = 1; r <= rows; ++r) {
        const QStringList cells = ResultRow(r);
        for (int c = 0; c < 13; ++c)
            t.SetCell(c, r, cells[c]);
    }
}

void FilterFirstThree(TFilterStringGrid& g) {
    g.SetOnHasFilter([](int col, TSGSelection& f, bool& sorted) {
        f = col < 3 ? fsMulti : fsNone;
        sorted = false;
    });
}

void DocumentFigures(int rows) {
    TTntFStringGrid grid;
    FilterFirstThree(grid);
    Fill(grid.Table(), rows);
    grid.RebuildFilterButtons();
    TKvXML doc;
    const TXMLGridType element = doc.QEL().Measurement().Grid();
    const double store = Ms([&] { element.StoreFrom(grid.Table(), 0); });
    const double restore = Ms([&] { element.StoreFrom(grid.Table(), 0); });
    TTntFStringGrid target;
    FilterFirstThree(target);
    const double load = Ms([&] { element.LoadInto(target.Table()); });
    // What every page does after each save: the same table again, into the same rows.
    const double reload = Ms([&] { element.LoadInto(target.Table()); });
    std::printf("document store, %6d rows:        %8.1f ms (again into the same rows: %.1f ms)\n", rows,
                store, restore);
    std::printf("document load into a grid, %6d rows: %5.1f ms (again: %.1f ms)\n", rows, load, reload);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kRows = 100000;

    TTntFStringGrid grid;
    grid.setObjectName(QStringLiteral("sgMeasData"));
    grid.resize(800, 400);
    grid.show();
    FilterFirstThree(grid);
    const double fill = Ms([&] { Fill(grid.Table(), kRows); });
    std::printf("fill %d rows through the table:      %8.1f ms, %ld MiB\n", kRows, fill, PeakMemoryMiB());

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("sgMeasData.csv"));
    grid.SaveToFile(csv);
    {
        TTntFStringGrid loaded;
        const double load = Ms([&] { loaded.LoadFromFile(csv); });
        std::printf("CSV load, %d rows:                  %8.1f ms\n", loaded.Table().RowCount() - 1, load);
    }

    const double rebuild = Ms([&] { grid.RebuildFilterButtons(); });
    std::printf("button rebuild:                        %8.1f ms\n", rebuild);
    const double filter =
        Ms([&] { grid.SetFilterString(QStringLiteral("Time;->A, ->B;Meas.Conf;;;;;;;;;;;")); });
    std::printf("set filter (%d rows shown):         %8.1f ms\n", grid.RowCount() - 1, filter);
    const double fit = Ms([&] { grid.FitColWidths(true, false); });
    std::printf("fit widths, all rows shown:            %8.1f ms\n", fit);

    grid.SelectRows(1, 1000);
    const double del = Ms([&] { grid.DeleteSelectedRows(); });
    std::printf("delete 1,000 selected rows under a filter: %4.1f ms (%d rows left)\n", del,
                grid.Table().RowCount() - 1);

    TTntFStringGrid small;
    small.resize(800, 400);
    small.show();
    FilterFirstThree(small);
    Fill(small.Table(), 10000);
    small.SetFilterString(QStringLiteral("Time;->A, ->B, ->C;Meas.Conf;;;;;;;;;;;"));
    constexpr int kAppends = 200;
    const double append = Ms([&] {
        for (int i = 0; i < kAppends; ++i) {
            const int row = small.RowCount();
            small.SetRowCount(row + 1);
            const QStringList cells = ResultRow(row);
            for (int c = 0; c < 13; ++c)
                small.SetCell(c, row, cells[c]);
        }
    });
    std::printf("append one row to a 10,000-row grid:   %8.3f ms (mean of %d)\n", append / kAppends,
                kAppends);
    std::printf("peak memory, grids:                    %8ld MiB\n", PeakMemoryMiB());

    DocumentFigures(10000);
    DocumentFigures(kRows);
    std::printf("peak memory, with the documents:       %8ld MiB\n", PeakMemoryMiB());
    return 0;
}
