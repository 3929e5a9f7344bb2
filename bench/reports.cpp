// Time of one DocumentChanged (save, reports, broadcast) with DataStorage 3 on tests of 1,000
// and 10,000 result rows, and how it divides: the save alone (DataStorage 0), with the CSV
// report (1), with the HTML report (2). The HTML report is made on a thread of its own: its
// figure is the time from a DocumentChanged until the report is on the disk.
#include "BenchStartup.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

#include "CSVTools.h"
#include "HTMLTransform.h"
#include "QelGlobals.h"
#include "QelReports.h"
#include "RecordingOperator.h"
#include "SampleTest.h"
#include "XMLKvDoc.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    if (!CopyReportFiles(home))
        return 1;
    TRecordingOperator op;
    TQelGlobal g(SimulationStartup(home, &op));
    TQelReports reports(g);
    for (const int rows : {1000, 10000}) {
        g.NewDocument(g.DataPath + QStringLiteral("bench%1.xml").arg(rows));
        TSampleTest sample;
        sample.ExtraRows = rows;
        FillSampleTest(g.Doc(), sample);
        g.DataStorage = 3;
        g.DocumentChanged(); // the first save writes the confirmed copy as well
        for (const int storage : {3, 0, 1, 2}) {
            g.DataStorage = storage;
            const int runs = rows > 5000 ? 10 : 30;
            QElapsedTimer t;
            t.start();
            for (int i = 0; i < runs; ++i)
                g.DocumentChanged();
            const double perCall = double(t.nsecsElapsed()) / 1e6 / runs;
            reports.Finish();
            std::printf("DocumentChanged, DataStorage %d, %5d rows: %8.2f ms per call\n", storage,
                        g.Doc().QEL().Measurement().Grid().RowCount() - 1, perCall);
        }
        QElapsedTimer h;
        h.start();
        g.DataStorage = 2;
        g.DocumentChanged();
        reports.Finish();
        std::printf("  HTML report on the disk %.2f ms after DocumentChanged\n",
                    double(h.nsecsElapsed()) / 1e6);
        // The two halves of the reports, without the disk.
        QElapsedTimer t;
        t.start();
        const int size = int(CSVReportText(g.Doc(), u',').size());
        const double csv = double(t.nsecsElapsed()) / 1e6;
        t.restart();
        const THTMLTransform html = TransformTestFile(g.Doc().FileName(), reports.StyleSheetFile());
        std::printf("  CSV text %.2f ms (%d characters), HTML transform %.2f ms (%d bytes)\n", csv, size,
                    double(t.nsecsElapsed()) / 1e6, int(html.Html.size()));
    }
    QCoreApplication::processEvents();
    if (!op.Entries.isEmpty()) {
        std::fprintf(stderr, "the operator was told: %s\n", qPrintable(op.Texts().join(" | ")));
        return 1;
    }
    return 0;
}
