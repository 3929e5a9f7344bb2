#pragma once
#include <QHash>
#include <QList>
#include <QString>

#include <vector>

// What a vector group lookup gives for one phase.
struct TVectorGroupMatch {
    QString Connection = QStringLiteral("??"); // terminals of the phase, in the standard's names
    // Measured turns ratio x Factor = voltage ratio. 1.0 where the table has no row (a
    // single-phase winding, a current transformer, a pair it does not list, no table at all) or
    // the row's factor is no positive number: the voltage ratio is then the turns ratio.
    double Factor = 1.0;
    bool Found = false; // a row of the table matched
};

// The vector group table ("VectorGroupTable.csv" beside the executable), read once into an index
// so that the data module, the live display, the simulation and the upload look a phase up in
// constant time, without any user interface.
//
// File: one row per line, each a comma text (a field holding a blank, a comma or a double quote is
// quoted, inner quotes doubled; outside quotes a blank also ends a field). The first line holds
// the titles. Columns: HV connection name, LV connection name, clock number,
// phase "A" "B" "C", terminal connection in ANSI names ("H1-(H2H3) :X1-X2"), factor.
class TVectorGroupTable {
public:
    enum class TLoad { Loaded, Missing, Unreadable };
    // Replaces the table by the file's; on failure the table is empty.
    TLoad Load(const QString& fileName);
    // The same from the file's text; false (and an empty table) for a text that is no vector
    // group table (fewer than six titles, or no row with six fields).
    bool Read(const QString& text);
    void Clear();
    bool IsEmpty() const { return FRows.empty(); }
    int RowCount() const { return int(FRows.size()); }

    // The first row of the connection names (compared without regard to case), clock number and
    // phase (0, 1, 2 for A, B, C), its terminals in the names of the standard.
    TVectorGroupMatch Lookup(const QString& hvName, const QString& lvName, int clock, int phase,
                             int standard) const;
    // The clock numbers of a pair's phase-A rows in table order (-1 for a clock that is no
    // number): the entries of the phase displacement selector.
    QList<int> Clocks(const QString& hvName, const QString& lvName) const;

    // A connection text of the table in the terminal names of a standard: 0 IEC / VDE ("1U",
    // "2v", "N", "n"), 2 Australian ("1A", "2b"); ANSI / IEEE and any other code as written.
    static QString TerminalNames(const QString& ansiText, int standard);

private:
    struct TRow {
        QString Connection;
        double Factor = 1.0;
    };
    static QString Key(const QString& hv, const QString& lv, const QString& clock, const QString& phase);
    static QString PairKey(const QString& hv, const QString& lv);

    std::vector<TRow> FRows;
    QHash<QString, int> FIndex;         // first row of names, clock and phase
    QHash<QString, QList<int>> FClocks; // clocks of the phase-A rows of a pair
};
