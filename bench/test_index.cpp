// The test index: indexing 1,000 tests of 102 rows (target < 10 s), the history of one transformer
// among 10,000 tests (target < 50 ms), and the save of a 1,000-row test with and without the index
// kept current after it (target: at most 5 % slower).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

#include "BenchSupport.h"
#include "HistoryTests.h"
#include "IndexService.h"
#include "QelGlobals.h"
#include "TestIndex.h"
#include "XMLGrid.h"

namespace {

void WriteTests(const QString& folder, int count, int transformers) {
    for (int i = 0; i < count; ++i)
        WriteHistoryTest(QStringLiteral("%1/%2/t%3.xml").arg(folder).arg(i % 100).arg(i),
                         {.SerialNo = QStringLiteral("T-%1").arg(i % transformers),
                          .Date = QDate(2000, 1, 1).addDays(i),
                          .Taps = 34});
}

double SaveMs(TQelGlobal& g, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        g.SaveDocument(1);
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return Median(times);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    {
        const QString folder = dir.filePath(QStringLiteral("thousand"));
        WriteTests(folder, 1000, 100);
        TTestIndex index;
        index.Open(dir.filePath(QStringLiteral("thousand.sqlite")));
        QElapsedTimer t;
        t.start();
        const TIndexOutcome o = index.IndexFolders({folder});
        const double first = double(t.nsecsElapsed()) / 1e9;
        t.restart();
        const TIndexOutcome again = index.IndexFolders({folder});
        std::printf("indexing 1,000 tests of 102 rows: %.2f s (%d added); again, nothing changed: %.3f s (%d unchanged)\n",
                    first, o.Added, double(t.nsecsElapsed()) / 1e9, again.Unchanged);
    }
    {
        const QString folder = dir.filePath(QStringLiteral("tenthousand"));
        WriteTests(folder, 10000, 1000);
        TTestIndex index;
        index.Open(dir.filePath(QStringLiteral("tenthousand.sqlite")));
        QElapsedTimer t;
        t.start();
        index.IndexFolders({folder});
        const double indexed = double(t.nsecsElapsed()) / 1e9;
        int found = 0;
        const double list = MedianMs(21, [&] { found = int(index.History(QStringLiteral("T-417")).size()); });
        const double rows = MedianMs(21, [&] { index.History(QStringLiteral("T-417"), {}, true); });
        std::printf("10,000 tests indexed in %.1f s; history of one transformer (%d tests): %.2f ms, with their rows "
                    "for the chart %.2f ms\n",
                    indexed, found, list, rows);
    }
    {
        TQelStartup s;
        s.ExecutablePath = dir.filePath(QStringLiteral("Qel8625"));
        s.DocumentsFolder = dir.path();
        s.Arguments = {QStringLiteral("/SIM")};
        TQelGlobal g(s);
        g.NewDocument(dir.filePath(QStringLiteral("save.xml")));
        const TXMLGridType grid = g.Doc().QEL().Measurement().Grid();
        grid.SetRowCount(1001);
        for (int r = 1; r <= 1000; ++r)
            for (int c = 0; c < 13; ++c)
                grid.SetCell(c, r, QStringLiteral("%1.%2").arg(r).arg(c));
        g.SaveDocument(1);
        const int runs = 41;
        const double off = SaveMs(g, runs);
        TTestIndexService::TSettings settings;
        settings.IndexFile = dir.filePath(QStringLiteral("save.sqlite"));
        TTestIndexService service(settings, nullptr);
        service.Start();
        service.Finish();
        g.SetSavedHook(&service);
        const double on = SaveMs(g, runs);
        service.Finish();
        g.SetSavedHook(nullptr);
        const double offAgain = SaveMs(g, runs);
        const double base = std::min(off, offAgain);
        std::printf("save of a 1,000-row test: %.2f ms without the index (again %.2f ms), %.2f ms with it (%+.1f %%)\n",
                    off, offAgain, on, (on / base - 1) * 100);
    }
    return 0;
}
