#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The arithmetic of the analysis chart, apart from any widget: what a cell's number and unit
// are, the statistics line, the axis ranges with their limit bands, and the times of column 0.
// Everything that reaches the chart from here is finite.
namespace QelChart {

// The value of a cell as the chart and the statistics read it: the SI reader's number, and only
// a finite one ("--", "..", "nan" and texts are no values).
std::optional<double> CellValue(const QString& text);
// "%" when the text holds "%", "°" when it holds "°", else the trimmed text after the number and
// its SI prefix ("10 kV" -> "V"); empty for a text without a number.
QString CellUnit(const QString& text);
// Units shown without scaling: none, "%" and "°".
bool IsPlainUnit(const QString& unit);

// The statistics record of the chart's Y column.
struct TTntCalcResults {
    QString Unit;
    int Count = 0;
    double Min = 0;
    double Max = 0;
    double StdDev = 0;
    double Mean = 0;
    double TotalVariance = 0; // sum of the squared deviations from the mean
    double Variance = 0;      // sample variance
};

// Mean and variance in one stable pass (Welford), so that large values with a small spread
// keep their digits and the variance is never negative.
class TRunningStats {
public:
    void Add(double v);
    TTntCalcResults Result(const QString& unit) const;

private:
    int FCount = 0;
    double FMean = 0;
    double FM2 = 0;
    double FMin = 0;
    double FMax = 0;
    double FFirst = 0;
    bool FAllEqual = true;
};

// "Nr: 4  Min:   0.1%  Max:   0.4%  Mean:  0.25%  StdDev: 0.129%"; "Nr: 0" without values.
QString StatisticsText(const TTntCalcResults& r);
// One value of the line: fixed point for "%" and no unit, else with SI prefix.
QString StatisticValue(double v, const QString& unit);

// 2, 5 or 10 times the power of ten of v, with v's sign; 1 for 0.
double RoundedStep(double v);

// The axes and bands of one chart. Time is in milliseconds since the epoch.
struct TAxisInput {
    bool HasPoints = false;
    double MinX = 0, MaxX = 0, MinY = 0, MaxY = 0; // of the data, or the axes' current ranges
    bool FromData = true;                          // false after zoom and scroll: keep the ranges
    bool TimeAxis = false;
    bool TapAxis = false;        // X is the tap number
    std::optional<double> Green; // band limits for the Y column
    std::optional<double> Yellow;
};
struct TAxisResult {
    double MinX = -0.5, MaxX = 0.5, MinY = -1, MaxY = 1;
    double XStep = 0.1, YStep = 0.5, YAnchor = 0;
    bool Bands = false;
    // Levels of the band series in their order, from the top: fail max, attention max, ok max,
    // attention min, fail min; each filled down to Bottom from XFrom to XTo.
    double Levels[5] = {};
    double Bottom = 0, XFrom = 0, XTo = 0;
};
TAxisResult ComputeAxes(const TAxisInput& in);

// The time of a Time cell: in the document's formats, else in a few common forms. Invalid when
// none reads it.
QDateTime ReadTime(const QString& text, const QString& dateFormat, const QString& timeFormat);

// The same for many cells: the forms are made once, and a text that repeats the one before (the
// rows of one result share their time) is read once.
class TTimeReader {
public:
    TTimeReader(const QString& dateFormat, const QString& timeFormat);
    QDateTime Read(const QString& text);
    // The local time of the text in milliseconds since the epoch. Forms of digits and separators
    // are read here rather than by Qt, whose reading looks up the time zone for every text; the
    // zone's offset is looked up once per hour of the day.
    std::optional<qint64> ReadMSecs(const QString& text);

private:
    std::optional<qint64> LocalMSecs(const QDate& date, const QTime& time);

    QStringList FForms;
    QString FLastText;
    QDateTime FLast;
    QString FLastMSecsText;
    std::optional<qint64> FLastMSecs;
    qint64 FOffsetHour = -1; // Julian day * 24 + hour of FOffset
    int FOffset = 0;         // seconds of local time ahead of UTC
};

// Reads text laid out as the Qt date-time format, when the format has only numeric fields (d, dd,
// M, MM, yy, yyyy, h, hh, H, HH, m, mm, s, ss, zzz), AP / ap and other characters that stand for
// themselves. False when the format has anything else or the text does not fit.
bool ReadNumericDateTime(const QString& text, const QString& format, QDate& date, QTime& time);

} // namespace QelChart
