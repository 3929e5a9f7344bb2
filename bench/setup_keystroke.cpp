// One keystroke on the setup page of the main window in a test of 1,000 and 3,000 result rows
// (the sample test of the reports with that many more rows):
// the letter and Enter in the DUT type field, which stores the page, saves the test, broadcasts
// message 1389 and reloads every page. Median of 20 keystrokes per size.
#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <cstdio>

#include "AscInput.h"
#include "AscInputForm.h"
#include "BenchStartup.h"
#include "BenchSupport.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelMain.h"
#include "QelSetup.h"
#include "RecordingOperator.h"
#include "SampleTest.h"
#include "XMLGrid.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

namespace {

void Key(QWidget* w, int key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

} // namespace

int main(int argc, char* argv[]) {
    OffscreenWithoutDisplay();
    QApplication app(argc, argv);
    QTemporaryDir home;
    TRecordingOperator op;
    TQelGlobal g(SimulationStartup(home, &op));
    TQelMainForm form(g);
    TQelImage images;
    form.SetImages(images);
    form.show();
    TTntAscEdit* edType = form.SetupFrame->edType;
    for (int rows : {1000, 3000}) {
        g.NewDocument(home.filePath(QStringLiteral("bench%1.xml").arg(rows)));
        TSampleTest sample;
        sample.ExtraRows = rows;
        FillSampleTest(g.Doc(), sample);
        g.DocumentChanged(); // the first save writes the confirmed copy as well
        int n = 0;
        const double ms = MedianMs(20, [&] {
            edType->selectAll();
            const QString letter = QString(QChar('a' + (n++ % 2)));
            Key(edType, Qt::Key_A, letter);
            Key(edType, Qt::Key_Return, QStringLiteral("\r"));
        });
        std::printf("setup page keystroke, %5d rows: %8.2f ms (median of 20; type now \"%s\")\n", rows, ms,
                    qPrintable(g.Doc().DUTGeneral().Type().Value()));
    }
    return 0;
}
