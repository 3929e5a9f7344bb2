#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <limits>

// What the index keeps of one test document and of each of its result rows.

inline constexpr double NoValue = std::numeric_limits<double>::quiet_NaN();

struct TIndexedRow {
    QString Pair;  // the measured winding pair as the results show it ("HV T3(N):LV")
    QString Tap;   // the tap number
    QString Phase; // "A", "B", "C"
    QString Time;  // as the results show it
    double TurnsRatio = NoValue;
    double VoltageRatio = NoValue;
    double RatioDeviation = NoValue; // %
    double PhaseDeviation = NoValue; // degrees
};

struct TIndexedTest {
    QString Path;    // absolute
    QByteArray Hash; // SHA-256 of the file's bytes, hex
    qint64 Modified = 0; // ms since the epoch
    qint64 Size = 0;
    QString SerialNo, Type, Location, Manufacturer;
    QString VectorGroup; // the transformer's configuration ("Dyn11")
    QString Standard;    // "IEC / VDE", ...
    QString TestDateText; // the Time of the first result as the document shows it
    QDateTime TestDate;   // the same read with the document's date and time formats; invalid when it does not read
    QString Verdict;      // empty while no verdict is known
    int Rows = 0;         // result rows
    // The result row whose ratio deviation is largest in magnitude (signed), with where it was.
    double WorstDeviation = NoValue;
    QString WorstPair, WorstTap, WorstPhase;
    QList<TIndexedRow> Results;

    // The key tests are ordered by: the test date, or the file's time when the date does not read.
    QString SortKey() const;
};

// One test in the history of a transformer: of this test set (Origin empty) or of the fleet.
struct THistoryEntry {
    QString Origin; // the test set that measured it; empty for this one
    QString Path;   // the test file (on the test set that measured it)
    QByteArray Hash;
    QString SerialNo, Type;
    QString TestDateText;
    QDateTime TestDate;
    QString SortKey;
    int Rows = 0;
    double WorstDeviation = NoValue;
    QString WorstPair, WorstTap, WorstPhase;
    QString Verdict;
    QList<TIndexedRow> Results; // filled when asked for
    bool Local() const { return Origin.isEmpty(); }
};

// A test document the index could not read, and why.
struct TUnreadableTest {
    QString Path;
    QString Reason;
};

// What one run of indexing did.
struct TIndexOutcome {
    int Added = 0;     // tests new to the index
    int Updated = 0;   // tests read again because they changed
    int Unchanged = 0; // tests whose file had not changed
    int Removed = 0;   // tests whose file is gone
    QList<TUnreadableTest> Unreadable;
    QString Error; // the index itself failed (its file cannot be written)
    bool Ok() const { return Error.isEmpty(); }
};
