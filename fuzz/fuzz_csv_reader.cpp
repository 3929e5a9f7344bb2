// Grid CSV files are written by spreadsheets and edited by hand: any bytes must read as a
// table within the column limit, and writing that table reads back to the same cells.
#include <cstddef>
#include <cstdint>

#include "CSVForm.h"
#include "GridTable.h"
#include "TextEscapes.h"

namespace {

void Check(const QString& text, QChar separator) {
    const CSVForm::TTable table = CSVForm::Parse(text, separator);
    if (table.Rows.empty() || table.Cols < 1 || table.Cols > CSVForm::MaxColumns)
        __builtin_trap();
    TMemoryGridTable grid(QString(), table.Cols, int(table.Rows.size()));
    for (size_t r = 0; r < table.Rows.size(); ++r) {
        if (table.Rows[r].size() != table.Cols)
            __builtin_trap();
        for (int c = 0; c < table.Cols; ++c)
            grid.SetCell(c, int(r), table.Rows[r][c]);
    }
    CSVForm::TOptions options;
    options.Separator = separator;
    const CSVForm::TTable back = CSVForm::Parse(CSVForm::Text(grid, options), separator);
    if (back.Rows.size() != table.Rows.size() || back.Cols != table.Cols)
        __builtin_trap();
    for (size_t r = 0; r < back.Rows.size(); ++r)
        for (int c = 0; c < back.Cols; ++c)
            if (back.Rows[r][c] != UnescapeBackslashes(EscapeBackslashes(table.Rows[r][c])))
                __builtin_trap();
    // The unit option reads every cell as a quantity; it must take any text.
    options.Units = true;
    CSVForm::Text(grid, options);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = CSVForm::DecodeText(bytes);
    Check(text, u',');
    Check(text, u';');
    const QStringList fields = SplitCommaText(text.left(4096));
    if (!fields.isEmpty() && SplitCommaText(CommaText(fields)) != fields)
        __builtin_trap();
    return 0;
}
