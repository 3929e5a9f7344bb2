// Time cells come from test documents anyone can edit: the chart's reader must take any text in
// any date and time pattern, and what it reads must be the moment Qt reads.
#include <cstddef>
#include <cstdint>

#include "QelChartMath.h"
#include "TimePatterns.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString all = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // "date pattern|time pattern|text", the patterns in the document's letters.
    const QStringList parts = all.split(QLatin1Char('|'));
    const QString dateFormat = parts.value(0);
    const QString timeFormat = parts.value(1);
    const QString text = parts.size() > 2 ? parts.mid(2).join(QLatin1Char('|')) : all;
    QDate date;
    QTime time;
    if (QelChart::ReadNumericDateTime(text, QtDatePattern(dateFormat), date, time) &&
        (!date.isValid() || !time.isValid()))
        __builtin_trap();
    QelChart::TTimeReader reader(dateFormat, timeFormat);
    const std::optional<qint64> own = reader.ReadMSecs(text);
    if (own != reader.ReadMSecs(text))
        __builtin_trap();
    return 0;
}
