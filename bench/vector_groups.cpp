// The vector group table read into its index and 10,000 lookups through the data module's
// query; a winding's tap table of 9,999 rows shaped and stored into the test document.
// Targets: load < 5 ms, lookup < 2 µs, store < 20 ms.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "GridTable.h"
#include "QelGlobals.h"
#include "QelWindings.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

namespace {

// Beside the program (build-release/VectorGroupTable.csv) or in the source tree.
QString TableFile() {
    const QString beside =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../VectorGroupTable.csv");
    if (QFile::exists(beside))
        return beside;
    return qEnvironmentVariable("QEL_SOURCE_DIR", QStringLiteral(".")) +
           QStringLiteral("/data/VectorGroupTable.csv");
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    if (!QFile::copy(TableFile(), home.filePath(QStringLiteral("VectorGroupTable.csv")))) {
        std::fprintf(stderr, "no VectorGroupTable.csv (%s)\n", qPrintable(TableFile()));
        return 1;
    }
    TQelStartup s;
    s.ExecutablePath = home.filePath(QStringLiteral("Qel8625"));
    s.DocumentsFolder = home.path();
    s.Arguments = {QStringLiteral("/SIM")};
    TQelGlobal g(s);
    g.NewDocument(home.filePath(QStringLiteral("bench.xml")));

    const double load = MedianMs(21, [&] { g.LoadVectorGroupTable(); });
    std::printf("vector group table load (%d rows): %.3f ms (target < 5 ms)\n", g.VectorGroups().RowCount(),
                load);

    constexpr int Lookups = 10000;
    int found = 0;
    const double lookups = MedianMs(11, [&] {
        found = 0;
        for (int i = 0; i < Lookups; ++i) {
            const int hv = i % 5, lv = (i / 5) % 5;
            const int clock = (i / 25) % 12;
            found += g.VectorGroupLookup(i % 3, hv, lv, clock).Found ? 1 : 0;
        }
    });
    std::printf("%d lookups (%d found): %.3f ms, %.3f us each (target < 2 us)\n", Lookups, found, lookups,
                lookups * 1000.0 / Lookups);

    const TXMLWindingType winding = g.Doc().DUTTrafoData().Winding().Item(1);
    const QelWindings::TTapChanger taps{9999, -4999, 0};
    const double store = MedianMs(11, [&] {
        TMemoryGridTable table(QStringLiteral("sgTapData"), 4, 2);
        winding.TapChangerData().Grid().Initialise();
        QelWindings::StoreTapChanger(winding.TapChangerData(), taps, table,
                                     QelWindings::NewTapRowVoltage(winding));
    });
    std::printf("tap table of %d rows shaped and stored: %.3f ms (target < 20 ms)\n", taps.NrOfTaps, store);
    return 0;
}
