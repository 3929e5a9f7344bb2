// Draws the product's printer logo "Norvik.pcx": a 1-bit picture of the printer's line width
// with two winding rings and the name, from a small pixel font, so that it needs no font files
// and comes out the same on every machine.
//   NorvikLogoGen <output.pcx>
#include <QFile>
#include <QList>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "PCX_16.h"

namespace {

constexpr int Width = 384;
constexpr int Height = 56;

// 5 x 7 glyphs, one string per row, '#' ink.
const std::map<char, std::vector<const char*>>& Font() {
    static const std::map<char, std::vector<const char*>> font = {
        {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
        {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
        {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
        {'V', {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
        {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
        {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
        {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
        {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
        {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
        {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
        {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
        {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
        {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
        {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    };
    return font;
}

struct TCanvas {
    std::vector<std::vector<bool>> Ink = std::vector<std::vector<bool>>(Height, std::vector<bool>(Width));
    void Set(int x, int y) {
        if (x >= 0 && y >= 0 && x < Width && y < Height)
            Ink[size_t(y)][size_t(x)] = true;
    }
    void Text(const char* text, int x, int y, int scale) {
        for (const char* c = text; *c; ++c, x += 6 * scale) {
            const auto& glyph = Font().at(*c);
            for (int gy = 0; gy < 7; ++gy)
                for (int gx = 0; gx < 5; ++gx)
                    if (glyph[size_t(gy)][gx] == '#')
                        for (int dy = 0; dy < scale; ++dy)
                            for (int dx = 0; dx < scale; ++dx)
                                Set(x + gx * scale + dx, y + gy * scale + dy);
        }
    }
    void Ring(int cx, int cy, double r, double thickness) {
        for (int y = cy - int(r) - 2; y <= cy + int(r) + 2; ++y)
            for (int x = cx - int(r) - 2; x <= cx + int(r) + 2; ++x) {
                const double d = std::hypot(x - cx, y - cy);
                if (d <= r && d >= r - thickness)
                    Set(x, y);
            }
    }
    void Bar(int x0, int y0, int x1, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                Set(x, y);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: NorvikLogoGen <output.pcx>\n");
        return 2;
    }
    TCanvas c;
    // Two winding rings on a core: the sign of a transformer.
    c.Ring(44, 28, 20, 4);
    c.Ring(72, 28, 20, 4);
    c.Bar(20, 2, 96, 3);
    c.Bar(20, 52, 96, 53);
    c.Text("NORVIK", 116, 4, 5);
    c.Text("QEL 8624", 118, 44, 1);
    c.Bar(170, 46, 364, 47);
    QList<QByteArray> rows;
    for (int y = 0; y < Height; ++y) {
        // Pixel value 1 is paper, 0 is ink.
        QByteArray row((Width + 7) / 8, char(0xFF));
        for (int x = 0; x < Width; ++x)
            if (c.Ink[size_t(y)][size_t(x)])
                row[x / 8] = char(quint8(row[x / 8]) & ~(0x80 >> (x % 8)));
        rows << row;
    }
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(Pcx::Write1Bit(Width, rows)) < 0) {
        std::fprintf(stderr, "NorvikLogoGen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
