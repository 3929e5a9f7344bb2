// What one result costs the user-interface thread in the real main window (simulation): the rows
// written into the results grid, the grid stored, the test saved and every page reloaded, with
// 1,000 and 10,000 rows in the test.
#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

#include "BenchSupport.h"
#include "FStringGrids.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelMain.h"
#include "QelManual.h"
#include "SampleTest.h"
#include "TestDirs.h"
#include "XMLKvDoc.h"

int main(int argc, char* argv[]) {
    OffscreenWithoutDisplay();
    QApplication app(argc, argv);
    QTemporaryDir home;
    InstallVectorGroupTable(home.path());
    TQelStartup s;
    s.ExecutablePath = home.filePath(QStringLiteral("Qel8625"));
    s.DocumentsFolder = home.filePath(QStringLiteral("docs"));
    s.Arguments = {QStringLiteral("/SIM")};
    TQelGlobal g(s);
    g.LoadVectorGroupTable();
    g.SimDraw = [] { return 3; };
    g.SimTimer()->stop();
    TQelImage images;
    TQelMainForm form(g);
    form.SetImages(images);
    form.show();
    for (int rows : {1000, 10000}) {
        TSampleTest sample;
        sample.ExtraRows = rows;
        FillSampleTest(g.Doc(), sample);
        g.DocumentChanged();
        app.processEvents();
        const int runs = 9;
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            form.ManualFrame->TestSingleTap();
            app.processEvents();
            QElapsedTimer t;
            t.start();
            g.SimTimerTick(); // the result is accepted and message 1401 posted
            app.processEvents();
            times.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        std::printf("one result, %5d rows in the test: %8.1f ms (median of %d; %d rows now)\n", rows,
                    Median(times), runs, form.ManualFrame->sgMeasData->Table().RowCount() - 1);
    }
    return 0;
}
