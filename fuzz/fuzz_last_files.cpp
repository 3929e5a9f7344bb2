// "LastFiles.cfg" as anyone may have edited it: whatever the bytes, the list holds at most four
// names, none blank, none with a line end, and what it writes reads back as the same list.
#include "LastFiles.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TLastFiles list(QStringLiteral("/nonexistent/LastFiles.cfg"), QStringLiteral("/nonexistent/"));
    list.Read(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (list.Count() > TLastFiles::MaxCount)
        std::abort();
    for (const QString& f : list.Files())
        if (!TestFileNames::Storable(f))
            std::abort();
    const QStringList files = list.Files();
    list.Read(list.Bytes());
    if (list.Files() != files)
        std::abort();
    return 0;
}
