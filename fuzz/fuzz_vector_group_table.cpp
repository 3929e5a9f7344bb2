// "VectorGroupTable.csv" is a file anyone can edit: any text must read as a table or be refused,
// and every row it keeps must be found again by its names, clock and phase.
#include <cstddef>
#include <cstdint>

#include "CSVForm.h"
#include "VectorGroupTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TVectorGroupTable table;
    const bool read = table.Read(text);
    if (read == table.IsEmpty())
        __builtin_trap(); // a table that was read holds rows, a refused one none
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 1; i < lines.size() && i < 64; ++i) {
        const QStringList f = SplitCommaText(lines[i]);
        bool number = false;
        const int clock = f.size() > 2 ? f[2].toInt(&number) : 0;
        if (!read || f.size() < 6 || !number || lines[i].contains(QLatin1Char('\r')) ||
            f[2].trimmed() != QString::number(clock))
            continue;
        const int phase = f[3].trimmed().toUpper() == QLatin1String("A")   ? 0
                          : f[3].trimmed().toUpper() == QLatin1String("B") ? 1
                          : f[3].trimmed().toUpper() == QLatin1String("C") ? 2
                                                                           : -1;
        if (phase >= 0 && !table.Lookup(f[0], f[1], clock, phase, int(size % 3)).Found)
            __builtin_trap();
    }
    table.Clocks(QStringLiteral("D"), QStringLiteral("yn"));
    TVectorGroupTable::TerminalNames(text.left(200), int(size % 4));
    return 0;
}
