// The line printer at work: 100 three-phase results (header, blocks, closing line) printed to
// the printer emulator at 9600 baud; the throughput the printer receives (target: at least
// 700 bytes/s) and the CPU time of the print thread while printing (target: under 5 % of one
// core) and while idle afterwards (target: under 0.1 %).
// Usage: bench_printer [results] [idle seconds]
#include "EmulatorPrinter.h"
#include "GPTPrinters.h"
#include "GridTable.h"
#include "QelPrintout.h"
#include "XMLKvDoc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int results = argc > 1 ? std::max(1, atoi(argv[1])) : 100;
    const int idleSeconds = argc > 2 ? std::max(1, atoi(argv[2])) : 10;

    TPrinterEmulator emulator;
    TGPTPrinter printer;
    if (!emulator.Start()) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", qPrintable(emulator.ErrorText()));
        return 1;
    }
    printer.SetPortName(emulator.SlavePath());
    if (!printer.Open()) {
        std::fprintf(stderr, "printer: %s\n", qPrintable(printer.LastErrorText()));
        return 1;
    }
    TKvXML doc;
    doc.New();
    TMemoryGridTable table(QStringLiteral("sgMeasData"), 13, 1 + 3 * results);
    for (int i = 0; i < results; ++i)
        for (int p = 0; p < 3; ++p) {
            const int r = 1 + 3 * i + p;
            const QStringList cells = {"10:22:05", QString(QChar('A' + p)), QStringLiteral("HV:LV T%1").arg(i + 1),
                                       "110.000 kV", "20.000 kV", QString::number(i + 1), "5.5000", "9.5263",
                                       "5.5012", "0.02 %", "0.01", "", "1.8 mA"};
            for (int c = 0; c < 13; ++c)
                table.SetCell(c, r, cells[c]);
        }
    const QelPrintout::TRows rows{table.RowCount(), [&](int c, int r) { return table.Cell(c, r); }};

    // Waits in the event loop's thread without spinning: the emulator counts what arrived.
    const qint64 cpu0 = printer.ThreadCpuNs();
    QElapsedTimer wall;
    wall.start();
    bool first = true;
    QelPrintout::PrintSelection(&printer, doc, QStringLiteral("86240117"), QString(), rows, 1, table.RowCount() - 1,
                                first, nullptr);
    const qsizetype total = qsizetype(printer.QueuedBytes());
    while (emulator.ReceivedCount() < total)
        QThread::msleep(50);
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double printCpu = double(printer.ThreadCpuNs() - cpu0) / 1e9;

    const qint64 idle0 = printer.ThreadCpuNs();
    QElapsedTimer idleWall;
    idleWall.start();
    QThread::sleep(unsigned(idleSeconds));
    const double idleCpu = double(printer.ThreadCpuNs() - idle0) / 1e9;
    const double idleSpan = double(idleWall.nsecsElapsed()) / 1e9;

    std::printf("printed %d three-phase results: %lld bytes in %.1f s = %.0f bytes/s (target >= 700)\n", results,
                static_cast<long long>(total), seconds, double(total) / seconds);
    std::printf("print thread CPU while printing: %.3f s = %.2f %% of a core (target < 5 %%)\n", printCpu,
                100.0 * printCpu / seconds);
    std::printf("print thread CPU idle for %.0f s: %.4f s = %.3f %% of a core (target < 0.1 %%)\n", idleSpan, idleCpu,
                100.0 * idleCpu / idleSpan);
    std::printf("text lines decoded by the printer: %lld\n", static_cast<long long>(emulator.TextLines().size()));
    return 0;
}
