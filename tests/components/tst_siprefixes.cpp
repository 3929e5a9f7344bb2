#include <QTest>

#include "GlobalState.h"
#include "KovaBases.h"
#include "SIPrefixes.h"

#include <optional>

// Quantity texts are what the documents store and what the operator types: the reader and the
// formatters must agree with each other and with the texts already in stored files.
class TstSIPrefixes : public QObject {
    Q_OBJECT
    std::optional<TGlobalStateGuard> FState;

private Q_SLOTS:
    // Separator and prefix letters come back after every test, passed or failed.
    void init() {
        FState.emplace();
        SetDecimalSeparator('.');
    }
    void cleanup() { FState.reset(); }

    void readerExamples() {
        double v = 0;
        QString unit;
        QVERIFY(ReadSI(QStringLiteral("10.5 kV"), v, &unit));
        QCOMPARE(v, 10500.0);
        QCOMPARE(unit, QStringLiteral("V"));

        // A unit that begins with a prefix letter is taken as that prefix.
        QVERIFY(ReadSI(QStringLiteral("5 min"), v, &unit));
        QCOMPARE(v, 0.005);
        QCOMPARE(unit, QStringLiteral("in"));

        QVERIFY(!ReadSI(QStringLiteral("kV"), v));
        QVERIFY(!ReadSI(QStringLiteral("Auto"), v));
        QVERIFY(!ReadSI(QString(), v));
        QVERIFY(!ReadSI(QStringLiteral("   "), v));
        QVERIFY(!ReadSI(QStringLiteral("-"), v));
        QVERIFY(!ReadSI(QStringLiteral("."), v));
    }

    void readerLeadingTextAndSigns() {
        double v = 0;
        QString unit;
        QVERIFY(ReadSI(QStringLiteral("U = -2.5 mA"), v, &unit));
        QCOMPARE(v, -0.0025);
        QCOMPARE(unit, QStringLiteral("A"));
        QVERIFY(ReadSI(QStringLiteral("1E3"), v, &unit));
        QCOMPARE(v, 1000.0);
        // A dangling exponent is no part of the number.
        QVERIFY(ReadSI(QStringLiteral("2E"), v, &unit));
        QCOMPARE(v, 2.0);
        QVERIFY(ReadSI(QStringLiteral("3 uF"), v, &unit));
        QCOMPARE(v, 3e-6);
        QCOMPARE(unit, QStringLiteral("F"));
        QVERIFY(ReadSI(QStringLiteral("3 µs"), v, &unit));
        QCOMPARE(v, 3e-6);
        QVERIFY(ReadSI(QStringLiteral("0.50 %"), v, &unit));
        QCOMPARE(v, 0.5);
        QCOMPARE(unit, QStringLiteral("%"));
        QVERIFY(ReadSI(QStringLiteral("400"), v, &unit));
        QCOMPARE(v, 400.0);
        QVERIFY(unit.isEmpty());
    }

    void readerCommaLocale() {
        SetDecimalSeparator(',');
        double v = 0;
        QVERIFY(ReadSI(QStringLiteral("1,5 k"), v));
        QCOMPARE(v, 1500.0);
        QCOMPARE(FormatSI(1500, 0, 2, false), QStringLiteral("1,50 k"));
        QCOMPARE(FormatFixed(0.5, 6, 2, false), QStringLiteral("  0,50"));
    }

    void readerWithoutUnitAndNarrow() {
        double v = 0;
        QVERIFY(ReadSIWithoutUnit(QStringLiteral("5 min"), QStringLiteral("min"), v));
        QCOMPARE(v, 5.0);
        QVERIFY(ReadSINarrow(QByteArray("110 kV"), v));
        QCOMPARE(v, 110000.0);
        // The narrow reader knows no T or P prefix.
        QVERIFY(ReadSINarrow(QByteArray("2 T"), v));
        QCOMPARE(v, 2.0);
        QVERIFY(!ReadSINarrow(QByteArray("abc"), v));
    }

    void engineeringExponent() {
        QCOMPARE(EngineeringExponent(0), 0);
        QCOMPARE(EngineeringExponent(1234), 3);
        QCOMPARE(EngineeringExponent(999), 0);
        QCOMPARE(EngineeringExponent(0.05), -3);
        QCOMPARE(EngineeringExponent(0.001), -3);
        QCOMPARE(EngineeringExponent(0.0009), -6);
        QCOMPARE(EngineeringExponent(-1e6), 6);
        QCOMPARE(EngineeringExponent(1), 0);
    }

    void formatterExamples() {
        QCOMPARE(FormatSI(400000, 16, 3, true), QString(11, ' ') + QStringLiteral("400 k"));
        QCOMPARE(FormatSI(0, 0, 3, true), QStringLiteral("0 "));
        // The live display's engineering format: width 5, one decimal.
        QCOMPARE(FormatSI(0.00025, 5, 1, false), QStringLiteral("250.0 µ"));
        QCOMPARE(FormatSI(0.3473, 5, 1, false), QStringLiteral("347.3 m"));
        QCOMPARE(FormatSI(1.5, 5, 1, false), QStringLiteral("  1.5 "));
        QCOMPARE(FormatSI(10000, 0, 3, false), QStringLiteral("10.000 k"));
        // A reference fixes the prefix.
        QCOMPARE(FormatSI(250000, 0, 2, false, 1e6), QStringLiteral("0.25 M"));
        QCOMPARE(FormatSI(500, 0, 1, true, 1e6), QStringLiteral("0 M"));
    }

    void formatterWholeRange() {
        for (int e = -15; e <= 15; e += 3) {
            const double v = 1.5 * std::pow(10.0, e);
            const QString t = FormatSI(v, 0, 3, true);
            QCOMPARE(t, e == 0 ? QStringLiteral("1.5 ") : QStringLiteral("1.5 ") + PrefixLetter(e));
            double back = 0;
            QVERIFY2(ReadSI(t, back), qPrintable(t));
            QVERIFY2(std::fabs(back - v) <= std::fabs(v) * 1e-12, qPrintable(t));
        }
        // Beyond the table: an exponent above, zero below.
        QCOMPARE(FormatSI(2e18, 0, 2, true), QStringLiteral("2e18 "));
        QCOMPARE(FormatSI(-2e18, 0, 2, true), QStringLiteral("-2e18 "));
        QCOMPARE(FormatSI(3e-19, 0, 2, true), QStringLiteral("0 "));
        QCOMPARE(FormatSI(3e-19, 0, 2, false), QStringLiteral("0.00 "));
        double back = 0;
        QVERIFY(ReadSI(FormatSI(2e18, 0, 2, true), back));
        QCOMPARE(back, 2e18);
    }

    void formatterWidthLimit() {
        // Too long for the width: decimals are dropped until it fits (one character of slack).
        QCOMPARE(FormatSI(123.456, 5, 3, false), QStringLiteral("123.46 "));
        QCOMPARE(FormatSI(123456, 3, 3, false), QStringLiteral("123 k"));
        QCOMPARE(FormatSI(999.96, 5, 1, false), QStringLiteral("1000.0 "));
    }

    void fixedFormatter() {
        QCOMPARE(FormatFixed(0.5, 6, 2, false), QStringLiteral("  0.50"));
        QCOMPARE(FormatFixed(0.5, 0, 2, true), QStringLiteral("0.5"));
        QCOMPARE(FormatFixed(12345.678, 7, 3, false), QStringLiteral("12345.7"));
        QCOMPARE(FormatFixed(100, 0, 2, true), QStringLiteral("100"));
        QCOMPARE(FormatFixed(-1.26, 0, 1, false), QStringLiteral("-1.3"));
    }

    void conversionList() {
        TKovaBase base;
        const TSIConversion& c = base.SIConversion();
        QCOMPARE(c.Count(), 23);
        QCOMPARE(c.SIUnit(0), QStringLiteral("V"));
        QCOMPARE(c.SIUnit(15), QStringLiteral("Ω"));
        QCOMPARE(c.SIUnit(22), QStringLiteral("hPa"));
        QVERIFY(c.SIUnit(23).isEmpty());
        QVERIFY(c.SIUnit(-1).isEmpty());
        QCOMPARE(c.SIToStr(0, 3, 110000), QStringLiteral("110 kV"));
        QCOMPARE(c.SIToStr(99, 3, 110000), QStringLiteral("110 k"));
        QCOMPARE(c.StrToSI(QStringLiteral("20 kV"), 0, -1), 20000.0);
        QCOMPARE(c.StrToSI(QStringLiteral("Auto"), 0, -1), -1.0);
        QCOMPARE(base.Consts().size(), 78);
        QCOMPARE(base.Text(QStringLiteral("SSIUnitSI")), QStringLiteral(" "));
    }

    void translatedPrefixesReplaceReaderLetters() {
        TKovaBase base;
        base.ApplyTexts({{QStringLiteral("SSIUnitKilo"), QStringLiteral("K")}});
        double v = 0;
        QVERIFY(ReadSI(QStringLiteral("2 KV"), v));
        QCOMPARE(v, 2000.0);
        QCOMPARE(FormatSI(2000, 0, 0, true), QStringLiteral("2 K"));
        // While a language file is being built the reader keeps its letters.
        base.ApplyTexts({{QStringLiteral("SSIUnitKilo"), QStringLiteral("k")}});
        QVERIFY(ReadSI(QStringLiteral("2 kV"), v));
        QCOMPARE(v, 2000.0);
        base.ApplyTexts({{QStringLiteral("SSIUnitKilo"), QStringLiteral("x")}}, true);
        QVERIFY(ReadSI(QStringLiteral("2 kV"), v));
        QCOMPARE(v, 2000.0);
    }
};

QTEST_GUILESS_MAIN(TstSIPrefixes)
#include "tst_siprefixes.moc"
