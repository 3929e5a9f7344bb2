// The PCX reader and writer of the line printer's pictures.
#include "PCX_16.h"

#include <algorithm>

namespace {

int Word(const QByteArray& b, int offset) {
    return quint8(b[offset]) | (quint8(b[offset + 1]) << 8);
}

void PutWord(QByteArray& b, int offset, int value) {
    b[offset] = char(value & 0xFF);
    b[offset + 1] = char((value >> 8) & 0xFF);
}

bool Fail(QString* why, const QString& text) {
    if (why)
        *why = text;
    return false;
}

} // namespace

int TPcxPicture::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width || y >= Lines.size() || BitsPerPixel <= 0)
        return 0;
    const QByteArray& line = Lines[y];
    const qsizetype bit = qsizetype(x) * BitsPerPixel;
    const qsizetype index = bit / 8;
    if (index >= line.size() || index >= BytesPerLine)
        return 0;
    const int shift = 8 - BitsPerPixel - int(bit % 8);
    return (quint8(line[index]) >> shift) & ((1 << BitsPerPixel) - 1);
}

namespace Pcx {

bool Read(const QByteArray& file, TPcxPicture& picture, QString* why) {
    picture = {};
    if (file.size() < HeaderSize)
        return Fail(why, QStringLiteral("shorter than a PCX header"));
    if (quint8(file[0]) != 10)
        return Fail(why, QStringLiteral("not a PCX file"));
    if (quint8(file[2]) != 1)
        return Fail(why, QStringLiteral("not run-length encoded"));
    const int bpp = quint8(file[3]);
    if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8)
        return Fail(why, QStringLiteral("%1 bits per pixel").arg(bpp));
    const int xmin = Word(file, 4), ymin = Word(file, 6), xmax = Word(file, 8), ymax = Word(file, 10);
    if (xmax < xmin || ymax < ymin)
        return Fail(why, QStringLiteral("an empty window"));
    const int width = xmax - xmin + 1, height = ymax - ymin + 1;
    if (width > MaxWidth || height > MaxHeight)
        return Fail(why, QStringLiteral("%1 x %2 pixels is too large").arg(width).arg(height));
    const int planes = quint8(file[65]);
    if (planes < 1 || planes > 4)
        return Fail(why, QStringLiteral("%1 planes").arg(planes));
    const int bytesPerLine = Word(file, 66);
    if (bytesPerLine < (width * bpp + 7) / 8 || bytesPerLine > (MaxWidth * 8 + 7) / 8 + 2)
        return Fail(why, QStringLiteral("%1 bytes per line for %2 pixels").arg(bytesPerLine).arg(width));

    const qsizetype lineSize = qsizetype(planes) * bytesPerLine;
    picture.Width = width;
    picture.Height = height;
    picture.BitsPerPixel = bpp;
    picture.Planes = planes;
    picture.BytesPerLine = bytesPerLine;
    picture.Lines.reserve(height);
    QByteArray line;
    line.reserve(lineSize);
    const char* data = file.constData();
    qsizetype at = HeaderSize;
    int pending = 0; // the rest of a run that crossed the end of the line
    char pendingByte = 0;
    while (picture.Lines.size() < height) {
        if (pending > 0) {
            const qsizetype n = std::min<qsizetype>(pending, lineSize - line.size());
            line.append(n, pendingByte);
            pending -= int(n);
        } else {
            if (at >= file.size()) {
                picture = {};
                return Fail(why, QStringLiteral("the picture data ends early"));
            }
            const quint8 b = quint8(data[at++]);
            if (b >= 192) {
                if (at >= file.size()) {
                    picture = {};
                    return Fail(why, QStringLiteral("the picture data ends early"));
                }
                pending = b - 192;
                pendingByte = data[at++];
            } else {
                line.append(char(b));
            }
        }
        if (line.size() == lineSize) {
            picture.Lines.append(line);
            line.clear();
        }
    }
    return true;
}

QByteArray Write1Bit(int width, const QList<QByteArray>& rows) {
    width = std::clamp(width, 1, MaxWidth);
    const int height = std::clamp(int(rows.size()), 1, MaxHeight);
    int bytesPerLine = (width + 7) / 8;
    bytesPerLine += bytesPerLine % 2;
    QByteArray out(HeaderSize, '\0');
    out[0] = 10; // manufacturer
    out[1] = 5;  // version 3.0
    out[2] = 1;  // run-length encoded
    out[3] = 1;  // bits per pixel
    PutWord(out, 8, width - 1);
    PutWord(out, 10, height - 1);
    PutWord(out, 12, 203); // dots per inch of a printer line
    PutWord(out, 14, 203);
    // The two-colour palette: 0 black, 1 white.
    for (int i = 19; i < 22; ++i)
        out[i] = char(0xFF);
    out[65] = 1; // planes
    PutWord(out, 66, bytesPerLine);
    PutWord(out, 68, 1); // colour palette
    for (int y = 0; y < height; ++y) {
        QByteArray line = y < rows.size() ? rows[y].left(bytesPerLine) : QByteArray();
        // Padding pixels are white (1), as the rest of the line.
        line.append(bytesPerLine - line.size(), char(0xFF));
        for (int i = 0; i < bytesPerLine;) {
            int run = 1;
            while (i + run < bytesPerLine && run < 63 && line[i + run] == line[i])
                ++run;
            const quint8 b = quint8(line[i]);
            if (run > 1 || b >= 192)
                out.append(char(192 + run));
            out.append(char(b));
            i += run;
        }
    }
    return out;
}

QList<QByteArray> BitImageLines(const TPcxPicture& picture, bool invert) {
    QList<QByteArray> out;
    const int width = std::min(picture.Width, 255 * 8);
    const int bytes = (width + 7) / 8;
    out.reserve(picture.Lines.size());
    for (int y = 0; y < picture.Lines.size(); ++y) {
        QByteArray raster(bytes, '\0');
        if (picture.BitsPerPixel == 1) {
            for (int x = 0; x < width; ++x) {
                const int value = picture.Pixel(x, y);
                if ((value == 0) != invert)
                    raster[x / 8] = char(quint8(raster[x / 8]) | (0x80 >> (x % 8)));
            }
        }
        out.append(raster);
    }
    return out;
}

} // namespace Pcx
