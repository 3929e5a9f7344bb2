#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

// PCX pictures for the line printer's bit-image mode. The reader takes any bytes: a file anyone
// can replace beside the program must never make it read or write outside what it holds.
struct TPcxPicture {
    int Width = 0;  // pixels per line (xmax - xmin + 1)
    int Height = 0; // lines (ymax - ymin + 1)
    int BitsPerPixel = 0;
    int Planes = 0;
    int BytesPerLine = 0; // per plane
    // One decoded scan line each: Planes x BytesPerLine bytes.
    QList<QByteArray> Lines;

    // The value of pixel x of line y in the first plane (0 outside the picture).
    int Pixel(int x, int y) const;
};

namespace Pcx {

// The largest picture taken: far more than a printer line (at most 255 x 8 dots) and a logo need.
constexpr int MaxWidth = 4096;
constexpr int MaxHeight = 2048;
constexpr int HeaderSize = 128;

// Decodes a whole file. False, with why, when the header is not a PCX header this printer can
// take (manufacturer 10, run-length encoding, 1, 2, 4 or 8 bits per pixel, 1 to 4 planes, lines
// long enough for the width, a size within the limits above) or the data ends before the last
// line. A run that crosses the end of a line goes on in the next one, as some writers do.
bool Read(const QByteArray& file, TPcxPicture& picture, QString* why = nullptr);

// A 1-bit picture as a PCX file; `rows` holds one byte array per line, most significant bit
// first, bit set = pixel value 1. Lines are padded to an even byte count.
QByteArray Write1Bit(int width, const QList<QByteArray>& rows);

// The printer's raster lines of a picture: per scan line ceil(width / 8) bytes (at most 255, the
// rest of a wider line is cut), bit 7 of byte 0 the leftmost dot. Only 1-bit pictures give dots:
// a dot for pixel value 0, or for value 1 when invert is set; deeper pictures give blank lines.
QList<QByteArray> BitImageLines(const TPcxPicture& picture, bool invert);

} // namespace Pcx
