// The CSV form of a table and the in-memory CSV table: what goes into a file reads back into
// the same cells, whatever the cells hold and whichever list separator is in force.
#include "CSVForm.h"
#include "CSVGrid.h"
#include "GridTable.h"
#include "RecordingOperator.h"
#include "SIPrefixes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

TMemoryGridTable Table(const QList<QStringList>& rows) {
    TMemoryGridTable t(QString(), int(rows.front().size()), int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            t.SetCell(c, r, rows[r][c]);
    return t;
}

QString Csv(const TGridTable& t, QChar sep, bool units, const QString& prefix = QString()) {
    CSVForm::TOptions o;
    o.Prefix = prefix;
    o.Separator = sep;
    o.Units = units;
    return CSVForm::Text(t, o);
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestCSVForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { SetDecimalSeparator(u'.'); }

    void fieldQuotesExactlyWhatWouldShiftColumns_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QChar>("sep");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "400 kV" << QChar(u',') << "400 kV";
        QTest::newRow("comma, list comma") << "North, Bay 2" << QChar(u',') << "\"North, Bay 2\"";
        QTest::newRow("comma, list semicolon") << "North, Bay 2" << QChar(u';') << "North, Bay 2";
        QTest::newRow("path with separator")
            << "C:\\Data\\a;b.xml" << QChar(u';') << "\"C:\\\\Data\\\\a;b.xml\"";
        QTest::newRow("inner quote") << "12\" pipe" << QChar(u',') << "\"12\"\" pipe\"";
        QTest::newRow("leading quote") << "\"x" << QChar(u',') << "\"\"\"x\"";
        QTest::newRow("escapes") << "a\tb\r\nc\\" << QChar(u',') << "a\\tb\\r\\nc\\\\";
    }
    void fieldQuotesExactlyWhatWouldShiftColumns() {
        QFETCH(QString, cell);
        QFETCH(QChar, sep);
        QFETCH(QString, field);
        QCOMPARE(CSVForm::Field(cell, sep), field);
    }

    void tableReadsBackCellForCell_data() {
        QTest::addColumn<QChar>("sep");
        QTest::newRow("comma") << QChar(u',');
        QTest::newRow("semicolon") << QChar(u';');
    }
    void tableReadsBackCellForCell() {
        QFETCH(QChar, sep);
        const QList<QStringList> rows = {{"FileName", "Nr", "Notes"},
                                         {"/data/North, Bay 2.xml", "1", "two\nlines"},
                                         {"a;b", "\"quoted\"", "back\\slash"},
                                         {"", "", ""},
                                         {"12\" pipe", "tab\there", "end"}};
        const QString text = Csv(Table(rows), sep, false);
        const CSVForm::TTable back = CSVForm::Parse(text, sep);
        QCOMPARE(back.Cols, 3);
        QCOMPARE(int(back.Rows.size()), rows.size());
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE(back.Rows[size_t(r)], rows[r]);
    }

    void plainTablesKeepTheirForm() {
        const TMemoryGridTable t = Table({{"Nr", "FileName"}, {"1", "/home/k/a.xml"}, {"2", ""}});
        QCOMPARE(Csv(t, u',', false), QStringLiteral("Nr,FileName\r\n1,/home/k/a.xml\r\n2,\r\n"));
        QCOMPARE(Csv(t, u';', false, QStringLiteral(";")),
                 QStringLiteral(";Nr;FileName\r\n;1;/home/k/a.xml\r\n;2;\r\n"));
    }

    void unitOptionMovesUnitsIntoTitles() {
        const TMemoryGridTable t =
            Table({{"Time", "Phase", "Prim.Volt.", "Turns Ratio", "Ratio Dev.", "Phase Dev."},
                   {"", "", "", "", "", ""},
                   {"09.12.2026 15:30:14", "A", "10 kV", "25.0098", "0.12 %", "-0.5 °"},
                   {"15:31:02", "B", "400 V", "25.01", "-0.04 %", "0.25 °"}});
        QCOMPARE(Csv(t, u',', true),
                 QStringLiteral("Time,Phase,Prim.Volt.[V],Turns Ratio,Ratio Dev.[%],Phase Dev.[°]\r\n"
                                ",,,,,\r\n"
                                "09.12.2026 15:30:14,A,10000,25.0098,0.12,-0.5\r\n"
                                "15:31:02,B,400,25.01,-0.04,0.25\r\n"));
        // Reports write the locale's decimal separator.
        SetDecimalSeparator(u',');
        const QString withComma = Csv(t, u';', true);
        QVERIFY2(withComma.contains(QStringLiteral(";25,0098;0,12;-0,5\r\n")), qPrintable(withComma));
    }

    void dateTimesAreNoQuantities_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("dateTime");
        for (const char* t :
             {"2026-03-14 10:22", "14.03.2026", "10:22:05", "3/14/26 10:22 AM", " 09.12.2026 15:30:14"})
            QTest::newRow(t) << QString::fromLatin1(t) << true;
        for (const char* t :
             {"10.5 kV", "1E-5 A", "0.12 %", "-0.5 \u00b0", "25.0098", "2026", "6.0524", ".."})
            QTest::newRow(t) << QString::fromUtf8(t) << false;
    }
    void dateTimesAreNoQuantities() {
        QFETCH(QString, text);
        QFETCH(bool, dateTime);
        QCOMPARE(CSVForm::IsDateTime(text), dateTime);
    }

    void unitOfSample_data() {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("unit");
        QTest::newRow("percent") << "0.12 %"
                                 << "%";
        QTest::newRow("degree") << "330 °"
                                << "°";
        QTest::newRow("kilo") << "10 kV"
                              << "V";
        QTest::newRow("no prefix") << "400 V"
                                   << "V";
        QTest::newRow("milli") << "1.234 mA"
                               << "A";
        QTest::newRow("no blank") << "10kVA"
                                  << "VA";
        QTest::newRow("plain number") << "25.0098"
                                      << "";
    }
    void unitOfSample() {
        QFETCH(QString, sample);
        QFETCH(QString, unit);
        QCOMPARE(CSVForm::UnitOf(sample), unit);
    }

    void parseTakesEveryLineEndAndCutsWideLines() {
        CSVForm::TTable t = CSVForm::Parse(QStringLiteral("a,b\r\nc\n\nd,e,f\re"), u',');
        QCOMPARE(t.Cols, 3);
        QCOMPARE(int(t.Rows.size()), 5);
        QCOMPARE(t.Rows[1], (QStringList{"c", "", ""}));
        QCOMPARE(t.Rows[2], (QStringList{"", "", ""}));
        QCOMPARE(t.Rows[4], (QStringList{"e", "", ""}));
        QCOMPARE(int(CSVForm::Parse(QStringLiteral("a\r\n"), u',').Rows.size()), 1);
        QCOMPARE(int(CSVForm::Parse(QString(), u',').Rows.size()), 1);

        QStringList wide;
        for (int c = 0; c < 300; ++c)
            wide << QString::number(c);
        t = CSVForm::Parse(wide.join(u','), u',');
        QCOMPARE(t.Cols, CSVForm::MaxColumns);
        QVERIFY(t.Truncated);
        QCOMPARE(t.Rows[0].back(), QStringLiteral("255"));
    }

    void decodeFollowsByteOrderMarkOrContent() {
        QCOMPARE(CSVForm::DecodeText(QByteArray("\xEF\xBB\xBF\xC3\xA4")), QStringLiteral("ä"));
        QCOMPARE(CSVForm::DecodeText(QByteArray("\xFF\xFE\xE4\x00", 4)), QStringLiteral("ä"));
        // Typed on Windows: not UTF-8, so Windows-1252 with its euro sign.
        QCOMPARE(CSVForm::DecodeText(QByteArray("\x80 M\xE4rz")), QStringLiteral("€ März"));
    }

    void commaTextBothWays_data() {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QStringList{"a", "b"} << "a,b";
        QTest::newRow("blank, comma, quote")
            << QStringList{"b c", "x,y", "q\"r", ""} << "\"b c\",\"x,y\",\"q\"\"r\",";
        QTest::newRow("one empty field") << QStringList{""} << "\"\"";
        QTest::newRow("empty middle") << QStringList{"a", "", "b"} << "a,,b";
    }
    void commaTextBothWays() {
        QFETCH(QStringList, fields);
        QFETCH(QString, text);
        QCOMPARE(CommaText(fields), text);
        QCOMPARE(SplitCommaText(text), fields);
    }

    void commaTextReadsLikeTheListsItCameFrom() {
        QCOMPARE(SplitCommaText(u"  a b , c"), (QStringList{"a", "b", "c"}));
        QCOMPARE(SplitCommaText(u"a,"), (QStringList{"a", ""}));
        QCOMPARE(SplitCommaText(QString(QChar(0)) + "x"), (QStringList{"x"}));
    }

    void csvGridKeepsCellsAndRefusesOutsideIndexes() {
        TCSVGrid g;
        QCOMPARE(g.ColCount(), 5);
        QCOMPARE(g.RowCount(), 5);
        g.SetCell(4, 4, QStringLiteral("x"));
        g.SetColCount(7);
        g.SetRowCount(6);
        QCOMPARE(g.Cell(4, 4), QStringLiteral("x"));
        QCOMPARE(g.Cell(6, 5), QString());
        try {
            g.SetCell(7, 0, QStringLiteral("y"));
            QFAIL("no range error");
        } catch (const ECSVGridRange& e) {
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("CSVGrid Range Error[7,0]"));
        }
        QVERIFY_THROWS_EXCEPTION(ECSVGridRange, g.Cell(0, -1));
    }

    void csvGridSavesAppendsAndReportsFailure() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ArbPhase.csv"));
        TRecordingOperator op;
        TCSVGrid g;
        g.SetColCount(2);
        g.SetRowCount(2);
        g.SetCell(0, 0, QStringLiteral("Step"));
        g.SetCell(1, 0, QStringLiteral("Phase"));
        g.SetCell(0, 1, QStringLiteral("1"));
        // The in-memory table takes the unit of any readable sample.
        g.SetCell(1, 1, QStringLiteral("Phi 12.5 °"));
        QVERIFY(g.SaveToFile(path, u';', false, true, op));
        QCOMPARE(ReadAll(path), QByteArray("Step;Phase[\xC2\xB0]\r\n1;Phi 12.5 \xC2\xB0\r\n"));
        QVERIFY(g.SaveToFile(path, u';', true, false, op));
        QCOMPARE(ReadAll(path).count("Step;"), 2);
        QVERIFY(op.Entries.isEmpty());

        QVERIFY(!g.SaveToFile(dir.path(), u';', false, false, op));
        QCOMPARE(op.Texts(), QStringList{QStringLiteral("Error Saving File :")});
    }

    void appendPutsALineBreakBetween() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("list.LST"));
        QVERIFY(WriteTextFile(path, "Nr,FileName", false, nullptr));
        QVERIFY(WriteTextFile(path, "1,a.xml\r\n", true, nullptr));
        QCOMPARE(ReadAll(path), QByteArray("Nr,FileName\r\n1,a.xml\r\n"));
        QVERIFY(WriteTextFile(path, "2,b.xml\r\n", true, nullptr));
        QCOMPARE(ReadAll(path), QByteArray("Nr,FileName\r\n1,a.xml\r\n2,b.xml\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCSVForm)
#include "tst_csvform.moc"
