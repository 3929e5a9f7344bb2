// Quantity texts come from documents and from the operator: the reader must take any text,
// and whatever it reads must format and read back to the same magnitude.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "SIPrefixes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    double v = 0;
    QString unit;
    if (ReadSI(text, v, &unit) && std::isfinite(v)) {
        const QString formatted = FormatSI(v, 0, 6, true);
        double back = 0;
        if (!ReadSI(formatted, back))
            __builtin_trap();
    }
    ReadSINarrow(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), v);
    ReadSIWithoutUnit(text, QStringLiteral("V"), v);
    if (size >= sizeof(double) + 2) {
        double x;
        memcpy(&x, data, sizeof x);
        const int width = data[sizeof x] % 20;
        const int decimals = data[sizeof x + 1] % 8;
        FormatSI(x, width, decimals, data[0] & 1);
        FormatFixed(std::isfinite(x) && std::fabs(x) < 1e30 ? x : 0, width, decimals, data[0] & 2);
    }
    return 0;
}
