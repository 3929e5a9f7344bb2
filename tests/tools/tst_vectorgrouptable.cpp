// The committed vector group table against its generator, against the instrument's factor table
// and against a calculation of its own of when two measured voltages are in phase.
#include "Qel8624Protocol.h"
#include "TestDirs.h"
#include "VectorGroupModel.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <complex>
#include <numbers>

namespace {

using TPhasor = std::complex<double>;

struct TLine {
    QString Hv, Lv, Clock, Phase, Terminals, Factor;
    QString Raw;
};

QByteArray CommittedTable() {
    return ReadBytes(SourceDir() + QStringLiteral("/data/VectorGroupTable.csv"));
}

// Names, clock and phase are plain fields; the terminal text is the one quoted field.
QList<TLine> DataLines() {
    static const QRegularExpression row(
        QStringLiteral("^([A-Za-z]+),([a-z]+),(\\d+),([ABC]),\"([^\"]*)\",([0-9.]+)$"));
    QList<TLine> out;
    const QStringList lines = QString::fromLatin1(CommittedTable()).split('\n', Qt::SkipEmptyParts);
    for (int i = 1; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = row.match(lines[i]);
        TLine l;
        l.Raw = lines[i];
        if (m.hasMatch())
            l = {m.captured(1), m.captured(2), m.captured(3), m.captured(4),
                 m.captured(5), m.captured(6), lines[i]};
        out << l;
    }
    return out;
}

int Code(const QString& name) {
    static const QStringList names = {"D", "Y", "YN", "Z", "ZN"};
    return int(names.indexOf(name.toUpper()));
}

TPhasor Degrees(double deg) {
    return std::polar(1.0, deg * std::numbers::pi / 180.0);
}

// What the clock number means, and nothing of how the windings are built: line terminal j of the
// HV side at -120° (j - 1), the same LV terminal a further 30° per clock step behind, neutrals at
// 0, a junction of two tied terminals at their mean.
TPhasor Potential(const QString& end, int clock) {
    if (end.startsWith('(')) {
        static const QRegularExpression junction(QStringLiteral("^\\(([HX][123])([HX][123])\\)$"));
        const QRegularExpressionMatch m = junction.match(end);
        return m.hasMatch() ? (Potential(m.captured(1), clock) + Potential(m.captured(2), clock)) / 2.0
                            : TPhasor(NAN, NAN);
    }
    const int j = end.mid(1).toInt();
    if (end.size() != 2 || j < 0 || j > 3)
        return {NAN, NAN};
    if (j == 0)
        return 0;
    const double lag = end[0] == 'X' ? 30.0 * clock : 0.0;
    return Degrees(-120.0 * (j - 1) - lag);
}

TPhasor PairVoltage(const QString& pair, int clock) {
    static const QRegularExpression ends(
        QStringLiteral("^(\\([HX]\\d[HX]\\d\\)|[HX]\\d)-(\\([HX]\\d[HX]\\d\\)|[HX]\\d)$"));
    const QRegularExpressionMatch m = ends.match(pair);
    if (!m.hasMatch())
        return {NAN, NAN};
    return Potential(m.captured(1), clock) - Potential(m.captured(2), clock);
}

bool InPhase(TPhasor a, TPhasor b) {
    if (!(std::abs(a) > 1e-9 && std::abs(b) > 1e-9))
        return false;
    const TPhasor q = a / b;
    return q.real() > 0 && std::fabs(std::arg(q)) < 1e-9;
}

// Every pair of terminals of one side, the neutral included where the winding has one.
QStringList TerminalPairs(QChar letter, bool neutral) {
    QStringList ends;
    for (int j = neutral ? 0 : 1; j <= 3; ++j)
        ends << QString(letter) + QString::number(j);
    QStringList pairs;
    for (const QString& p : ends)
        for (const QString& q : ends)
            if (p != q)
                pairs << p + '-' + q;
    return pairs;
}

} // namespace

class TVectorGroupTableTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void committedTableIsTheGeneratorsOutput() {
        const QByteArray committed = CommittedTable();
        QVERIFY2(!committed.isEmpty(), "data/VectorGroupTable.csv is missing");
        const std::string generated = VectorGroups::TableText();
        QCOMPARE(committed, QByteArray::fromStdString(generated));
    }

    void titlesAndFieldsKeepTheirForm() {
        const QByteArray table = CommittedTable();
        const QString title = QString::fromLatin1(table.left(table.indexOf('\n')));
        const QStringList titles = title.split(',');
        QCOMPARE(titles.size(), 6);
        for (const QString& t : titles) {
            QVERIFY2(!t.isEmpty() && !t.contains(' '), qPrintable(title));
            QVERIFY2(!t.contains('H', Qt::CaseInsensitive) && !t.contains('X', Qt::CaseInsensitive),
                     qPrintable(t)); // only terminal names carry these letters
        }
        const QList<TLine> lines = DataLines();
        QCOMPARE(lines.size(), 25 * 6 * 3);
        for (const TLine& l : lines) {
            QVERIFY2(!l.Terminals.isEmpty(), qPrintable(l.Raw)); // the quoted form matched
            QString outside = l.Raw;
            outside.remove('"' + l.Terminals + '"');
            QVERIFY2(!outside.contains('H', Qt::CaseInsensitive) &&
                         !outside.contains('X', Qt::CaseInsensitive),
                     qPrintable(l.Raw));
        }
    }

    // Six rows of phase A per winding pair, one per clock number it can realise, ascending:
    // even when both sides are star or both are not, odd otherwise; phases A, B, C under each.
    void everyPairHasItsSixClockNumbers() {
        const QList<TLine> lines = DataLines();
        const QStringList hvNames = {"D", "Y", "YN", "Z", "ZN"}, lvNames = {"d", "y", "yn", "z", "zn"};
        int i = 0;
        for (const QString& hv : hvNames)
            for (const QString& lv : lvNames) {
                const bool hvStar = hv.startsWith('Y'), lvStar = lv.startsWith('y');
                const int first = hvStar == lvStar ? 0 : 1;
                for (int clock = first; clock < 12; clock += 2)
                    for (const char phase : {'A', 'B', 'C'}) {
                        QVERIFY(i < lines.size());
                        const TLine& l = lines[i++];
                        QCOMPARE(l.Hv, hv);
                        QCOMPARE(l.Lv, lv);
                        QCOMPARE(l.Clock, QString::number(clock));
                        QCOMPARE(l.Phase, QString(QLatin1Char(phase)));
                    }
            }
        QCOMPARE(i, lines.size());
    }

    void factorIsTheInverseOfTheInstrumentsFactor() {
        for (const TLine& l : DataLines()) {
            const double instrument = Qel8624::VectorGroupRatioFactor(Code(l.Hv), Code(l.Lv));
            QVERIFY2(std::fabs(l.Factor.toDouble() * instrument - 1.0) < 1e-6, qPrintable(l.Raw));
        }
    }

    // The two measured voltages are in phase; phases B and C are the legs after A in sequence;
    // a junction only where no pair of terminals of that side would do; neutrals only where the
    // winding has one.
    void everyRowMeasuresTwoVoltagesInPhase() {
        const QList<TLine> lines = DataLines();
        TPhasor hvOfA;
        for (const TLine& l : lines) {
            const int clock = l.Clock.toInt();
            const QStringList sides = l.Terminals.split(QStringLiteral(" :"));
            QCOMPARE(sides.size(), 2);
            QVERIFY2(sides[0].count('H') >= 2 && !sides[0].contains('X'), qPrintable(l.Raw));
            QVERIFY2(sides[1].count('X') >= 2 && !sides[1].contains('H'), qPrintable(l.Raw));
            const TPhasor hv = PairVoltage(sides[0], clock);
            const TPhasor lv = PairVoltage(sides[1], clock);
            QVERIFY2(InPhase(hv, lv), qPrintable(l.Raw));

            const int phase = l.Phase[0].unicode() - 'A';
            if (phase == 0)
                hvOfA = hv;
            QVERIFY2(InPhase(hv, hvOfA * Degrees(-120.0 * phase)), qPrintable(l.Raw));

            const bool neutral[2] = {l.Hv.endsWith('N'), l.Lv.endsWith('n')};
            for (int s = 0; s < 2; ++s) {
                const QChar letter = s == 0 ? 'H' : 'X';
                if (!neutral[s])
                    QVERIFY2(!sides[s].contains(QString(letter) + '0'), qPrintable(l.Raw));
                if (!sides[s].contains('('))
                    continue;
                for (const QString& pair : TerminalPairs(letter, neutral[s]))
                    QVERIFY2(!InPhase(PairVoltage(pair, clock), s == 0 ? hv : lv),
                             qPrintable(l.Raw + QStringLiteral(" would take ") + pair));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TVectorGroupTableTest)
#include "tst_vectorgrouptable.moc"
