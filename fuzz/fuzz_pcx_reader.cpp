// A picture file beside the program is outside input: the PCX reader and the raster lines made
// from what it read must take any bytes without reading or writing out of bounds.
#include "PCX_16.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPcxPicture picture;
    if (!Pcx::Read(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), picture))
        return 0;
    for (bool invert : {false, true}) {
        const QList<QByteArray> lines = Pcx::BitImageLines(picture, invert);
        if (lines.size() != picture.Height)
            __builtin_trap();
        for (const QByteArray& l : lines)
            if (l.size() > 255)
                __builtin_trap();
    }
    (void)picture.Pixel(picture.Width - 1, picture.Height - 1);
    return 0;
}
