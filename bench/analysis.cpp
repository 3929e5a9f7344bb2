// The ANALYSIS page over large tests: rebuilding the chart of the ratio deviation against the tap
// (every series, units, axes and bands) and its first paint, for 10,000 and 100,000 result rows;
// the merge of the measurement tables of 100 test files of 1,000 rows each; the peak memory.
#include "BenchStartup.h"
#include "BenchSupport.h"
#include "GridTable.h"
#include "QelAnalysisFrames.h"
#include "QelGlobals.h"
#include "RecordingOperator.h"
#include "SampleTest.h"
#include "TntFChart.h"
#include "XMLKvDoc.h"

#include <QApplication>
#include <QChartView>
#include <QDir>
#include <QTabBar>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int ResultRows(const TKvXML& doc) {
    return doc.QEL().Measurement().Grid().RowCount() - 1;
}

void Chart(TQelGlobal& g, const QString& folder, int rows) {
    const QString file = QDir(folder).filePath(QStringLiteral("Big%1.XML").arg(rows));
    g.NewDocument(file);
    TSampleTest sample;
    sample.ExtraRows = rows;
    FillSampleTest(g.Doc(), sample);
    g.Doc().SetFileName(file);
    TQelAnalysisFrame page(g);
    page.resize(780, 520);
    page.show();
    page.LoadFromDocument();
    page.pcViewSelector->setCurrentIndex(0);
    const double rebuild = MedianMs(3, [&] {
        page.FChart1->Rebuild();
        page.RecomputeAxes(true);
    });
    const double paint = MedianMs(3, [&] {
        page.FChart1->Rebuild();
        page.RecomputeAxes(true);
        page.FChart1->View()->grab();
    });
    std::printf("chart, %d rows (%d series): rebuild %.0f ms, rebuild and first paint %.0f ms\n",
                ResultRows(g.Doc()), int(page.FChart1->GridSeries().size()), rebuild, paint);
    // The third default view: the ratio deviation over the time of each row.
    page.pcViewSelector->setCurrentIndex(2);
    const double overTime = MedianMs(3, [&] {
        page.FChart1->Rebuild();
        page.RecomputeAxes(true);
        page.FChart1->View()->grab();
    });
    std::printf("chart over time, %d rows: rebuild and first paint %.0f ms\n", ResultRows(g.Doc()), overTime);
}

} // namespace

int main(int argc, char* argv[]) {
    OffscreenWithoutDisplay();
    QApplication app(argc, argv);
    QTemporaryDir home;
    TRecordingOperator op;
    TQelGlobal g(SimulationStartup(home, &op));
    Chart(g, home.path(), 10000);
    Chart(g, home.path(), 100000);

    QStringList files;
    for (int i = 0; i < 100; ++i) {
        TKvXML doc;
        doc.New();
        TSampleTest sample;
        sample.ExtraRows = 1000;
        FillSampleTest(doc, sample);
        const QString file = home.filePath(QStringLiteral("merge/T%1.XML").arg(i, 3, 10, QChar('0')));
        QDir().mkpath(home.filePath(QStringLiteral("merge")));
        doc.Save(file, false, false);
        files << file;
    }
    TMemoryGridTable merged(QStringLiteral("sgMeasData"), 1, 1);
    const double merge = MedianMs(3, [&] {
        TKvXML::MergeMeasurementTables(merged, files, home.path(), TKvXML::TMergeSource::Measurement);
    });
    std::printf("merge of 100 files of about 1,000 rows: %.0f ms (%d rows merged)\n", merge,
                merged.RowCount());
    std::printf("peak memory: %ld MiB\n", PeakMemoryMiB());
    return 0;
}
