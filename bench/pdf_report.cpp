// The PDF report of a 1,000-row test (the sample test repeated; targets: under 1 s and under
// 500 kB) and of a 10,000-row one: the whole writer (transform, layout, painting, the file
// replaced) and its parts. Medians of several runs.
#include "BenchStartup.h"
#include "BenchSupport.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>

#include "PDFReport.h"
#include "QelGlobals.h"
#include "QelReports.h"
#include "RecordingOperator.h"
#include "ReportRenderer.h"
#include "SampleTest.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

int main(int argc, char* argv[]) {
    OffscreenWithoutDisplay();
    QGuiApplication app(argc, argv);
    QTemporaryDir home;
    if (!CopyReportFiles(home))
        return 1;
    TRecordingOperator op;
    TQelGlobal g(SimulationStartup(home, &op));
    TQelReports reports(g);
    TQtReportRenderer renderer;
    renderer.Paper = QPageSize::A4;
    bool met = true;
    for (const int rows : {1000, 10000}) {
        const QString test = g.DataPath + QStringLiteral("bench%1.xml").arg(rows);
        g.NewDocument(test);
        TSampleTest sample;
        sample.ExtraRows = rows;
        FillSampleTest(g.Doc(), sample);
        g.SaveDocument(0);
        const int results = g.Doc().QEL().Measurement().Grid().RowCount() - 1;
        const TReportHead head = ReportHeadOf(g.Doc(), reports.LogoFile());
        const QString pdf = g.DataPath + QStringLiteral("bench%1.pdf").arg(rows);
        const int runs = rows > 5000 ? 3 : 7;
        QString error;
        const double whole = MedianMs(runs, [&] {
            if (!WritePDFReport(renderer, test, reports.StyleSheetFile(), head, pdf, &error))
                std::fprintf(stderr, "not written: %s\n", qPrintable(error));
        });
        THTMLTransform html;
        const double transform = MedianMs(runs, [&] { html = TransformForPages(test, reports.StyleSheetFile()); });
        QByteArray bytes;
        const double render = MedianMs(
            runs, [&] { bytes = renderer.RenderPDF(html.Text(), QFileInfo(test).path(), head, &error); });
        const qint64 size = QFileInfo(pdf).size();
        std::printf("PDF report, %5d rows: %8.1f ms, %7.1f kB (transform %.1f ms, layout and pages %.1f ms)\n",
                    results, whole, size / 1024.0, transform, render);
        if (rows == 1000) {
            const bool ok = whole < 1000 && size < 500 * 1000;
            std::printf("  targets < 1 s and < 500 kB: %s\n", ok ? "met" : "NOT MET");
            met = met && ok;
        }
    }
    std::printf("peak memory %ld MiB\n", PeakMemoryMiB());
    if (!op.Entries.isEmpty()) {
        std::fprintf(stderr, "the operator was told: %s\n", qPrintable(op.Texts().join(" | ")));
        return 1;
    }
    return met ? 0 : 2;
}
