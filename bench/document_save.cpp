// Load, plain save and indented save of test documents with 1,000, 10,000 and 100,000
// measured rows of 13 columns, and the peak memory of the process after each size.
// Saves include flushing to the disk and the rolling backup, as the application does them.
#include "XMLKvDoc.h"
#include "XMLTextWriter.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

long PeakMemoryKiB() {
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return 0;
#endif
}

// Filled row by row through the binding, so that the peak memory is the document's own
// rather than that of a table the rows came from.
void Fill(TKvXML& doc, int rows) {
    ApplyDocumentDefaults(doc.Data());
    const TXMLGridType grid = doc.QEL().Measurement().Grid();
    grid.SetName(QStringLiteral("sgMeasData"));
    grid.R().Clear();
    const QStringList titles = {"Time",       "Phase",      "Meas.Conf",  "Prim.Volt.",  "Sec.Volt",
                                "TapNr.",     "Nom.VRatio", "Volt.Ratio", "Turns Ratio", "Ratio Dev.",
                                "Phase Dev.", "Phaseshift", "Current"};
    grid.Headers().Resize(13);
    for (int c = 0; c < 13; ++c)
        grid.Headers().SetCell(c, titles[c]);
    const TXMLRTypeList list = grid.R();
    for (int r = 1; r <= rows; ++r) {
        const QStringList cells = {
            QStringLiteral("12:%1:%2").arg(r / 60 % 60, 2, 10, QChar('0')).arg(r % 60, 2, 10, QChar('0')),
            QString(QChar('A' + r % 3)),
            QStringLiteral("HV-LV"),
            QStringLiteral("10 kV"),
            QStringLiteral("400 V"),
            QString::number(r % 33 + 1),
            QStringLiteral("25.000"),
            QStringLiteral("25.012"),
            QStringLiteral("25.0098"),
            QStringLiteral("0.039 %"),
            QStringLiteral("0.012 °"),
            QStringLiteral("330 °"),
            QStringLiteral("1.234 mA")};
        const TXMLRType row = list.Add();
        for (int c = 0; c < 13; ++c)
            row.SetCell(c, cells[c]);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("%8s %10s %10s %12s %12s %12s %12s %12s\n", "rows", "file MiB", "load ms", "plain ms",
                "indented ms", "text ms", "ms/1k rows", "peak MiB");
    for (const int rows : {1000, 10000, 100000}) {
        const QString file = dir.filePath(QStringLiteral("bench%1.xml").arg(rows));
        TKvXML doc;
        Fill(doc, rows);
        const int runs = rows >= 100000 ? 3 : 9;
        const double plain = MedianMs(runs, [&] { doc.Save(file, false, true); });
        const double text = MedianMs(runs, [&] { XMLFileBytes(doc.Dom(), false, doc.XSLStyleSheetFile()); });
        const double indented = MedianMs(runs, [&] { doc.Save(file, true, true); });
        TKvXML reader;
        const double load = MedianMs(runs, [&] { reader.Load(file); });
        if (reader.QEL().Measurement().Grid().RowCount() != rows + 1)
            std::printf("load lost rows!\n");
        std::printf("%8d %10.1f %10.1f %12.1f %12.1f %12.1f %12.2f %12.1f\n", rows,
                    double(QFileInfo(file).size()) / (1 << 20), load, plain, indented, text,
                    plain / (rows / 1000.0), double(PeakMemoryKiB()) / 1024);
    }
    std::printf("plain/indented: saved with rolling backup, flushed to the disk; text: building the file "
                "content alone\n");
    return 0;
}
