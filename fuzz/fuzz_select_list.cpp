// "AscInput.cfg" is a file anyone can edit: whatever it holds, a list loads bounded, holds one-line
// entries without doubles, comes out with a mode that is a mode, and reads back as it was saved.
#include <cstddef>
#include <cstdint>

#include <QFile>
#include <QTemporaryDir>

#include "SelectList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("AscInput.cfg"));
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly))
            return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    TTntSelectList list(file, QStringLiteral("S"), 50);
    const TInsertMode mode = list.Load(imAskBeforeInsert);
    if (!IsInsertMode(mode) || list.Count() > 50)
        __builtin_trap();
    QSet<QString> seen;
    for (const QString& e : list.Entries()) {
        if (e.isEmpty() || e.contains('\n') || e.contains('\r') || seen.contains(e))
            __builtin_trap();
        seen.insert(e);
    }
    list.Add(QStringLiteral("new\r\nentry"));
    if (!list.Save(mode))
        return 0;
    TTntSelectList again(file, QStringLiteral("s"), 50);
    if (again.Load(imNoInsert) != mode)
        __builtin_trap();
    // Entries with blanks at either end come back trimmed: the file keeps no such blanks.
    QStringList expected;
    for (const QString& e : list.Entries())
        if (!e.trimmed().isEmpty() && !expected.contains(e.trimmed()))
            expected << e.trimmed();
    if (again.Entries() != expected)
        __builtin_trap();
    return 0;
}
