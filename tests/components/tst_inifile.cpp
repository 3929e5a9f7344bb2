#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "IniFile.h"

// The configuration file is shared with people editing it by hand and with other sections'
// owners: a rewrite must change only the lines it owns.
class TstIniFile : public QObject {
    Q_OBJECT

    static QByteArray ReadAll(const QString& name) {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void WriteAll(const QString& name, const QByteArray& data) {
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(data);
    }

private Q_SLOTS:
    void utf16FilesStayUtf16() {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("Deutsch.lan"));
        const auto utf16 = [](const QString& text) {
            QByteArray b("\xFF\xFE");
            for (const QChar c : text)
                b.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
            return b;
        };
        WriteAll(name, utf16(QStringLiteral("[Form]\r\nbnClose.Caption=\"Schließen\"\r\n")));
        {
            TIniFile ini(name);
            QCOMPARE(ini.Encoding(), TIniFile::TEncoding::Utf16LE);
            QCOMPARE(ini.ReadString(QStringLiteral("form"), QStringLiteral("bnclose.caption"), QString()),
                     QStringLiteral("\"Schließen\""));
            ini.WriteString(QStringLiteral("Form"), QStringLiteral("lbSize.Caption"),
                            QStringLiteral("\"Größe Ω\""));
            QVERIFY(ini.UpdateFile());
        }
        QCOMPARE(ReadAll(name), utf16(QStringLiteral("[Form]\r\nbnClose.Caption=\"Schließen\"\r\n"
                                                     "lbSize.Caption=\"Größe Ω\"\r\n")));
        // A new file in the encoding its owner chose, with CR LF.
        const QString fresh = dir.filePath(QStringLiteral("New.ori"));
        {
            TIniFile ini(fresh);
            ini.SetEncoding(TIniFile::TEncoding::Utf16LE);
            ini.WriteString(QStringLiteral("Common"), QStringLiteral("Language"),
                            QStringLiteral("\"ORIGINAL\""));
            QVERIFY(ini.UpdateFile());
        }
        QCOMPARE(ReadAll(fresh), utf16(QStringLiteral("[Common]\r\nLanguage=\"ORIGINAL\"\r\n")));
        // Bytes that are no UTF-16 text stay the bytes they were.
        TIniFile odd(QStringLiteral("/nonexistent/odd.lan"));
        odd.SetBytes(QByteArray("\xFF\xFE[\0", 5));
        QCOMPARE(odd.Encoding(), TIniFile::TEncoding::Bytes);
        QCOMPARE(odd.Bytes(), QByteArray("\xFF\xFE[\0", 5));
        odd.SetBytes(QByteArray("\xFF\xFE\x00\xD8[\0", 6)); // a lone surrogate
        QCOMPARE(odd.Bytes(), QByteArray("\xFF\xFE\x00\xD8[\0", 6));
    }

    void rewriteKeepsEverythingElse() {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("X.cfg"));
        WriteAll(name,
                 "; hand-written note\r\n[Setup]\r\nPageIndex=2\r\n\r\n[X]\r\nComPort=COM1\r\nOdd line\r\n"
                 "Extra=keep me\r\n\r\n[QelAnalysis]\r\nLastListName=a.LST\r\n");
        {
            TIniFile ini(name);
            ini.WriteString(QStringLiteral("x"), QStringLiteral("comport"), QStringLiteral("COM3"));
            ini.WriteString(QStringLiteral("X"), QStringLiteral("DataPath"), QStringLiteral("/d/"));
            ini.WriteInteger(QStringLiteral("New"), QStringLiteral("K"), 5);
            QVERIFY(ini.UpdateFile());
        }
        QCOMPARE(ReadAll(name), QByteArray("; hand-written note\r\n[Setup]\r\nPageIndex=2\r\n\r\n[X]\r\n"
                                           "ComPort=COM3\r\nOdd line\r\nExtra=keep me\r\nDataPath=/d/\r\n\r\n"
                                           "[QelAnalysis]\r\nLastListName=a.LST\r\n\r\n[New]\r\nK=5\r\n"));
    }

    void readsWithoutCaseAndWithDefaults() {
        TIniFile ini(QStringLiteral("/nonexistent/never.cfg"));
        ini.SetText(QStringLiteral("[Printer]\nComPort = 3 \n[Other]\nv=C:\\path\\x\nf=16,5\ng=abc\n"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("PRINTER"), QStringLiteral("comport"), 0), 3);
        QCOMPARE(ini.ReadString(QStringLiteral("other"), QStringLiteral("V"), QString()),
                 QStringLiteral("C:\\path\\x"));
        QCOMPARE(ini.ReadFloat(QStringLiteral("Other"), QStringLiteral("f"), 0), 16.5);
        QCOMPARE(ini.ReadFloat(QStringLiteral("Other"), QStringLiteral("g"), 7.0), 7.0);
        QCOMPARE(ini.ReadInteger(QStringLiteral("Other"), QStringLiteral("g"), 9), 9);
        QCOMPARE(ini.ReadString(QStringLiteral("Missing"), QStringLiteral("x"), QStringLiteral("d")),
                 QStringLiteral("d"));
        QCOMPARE(ini.Sections(), (QStringList{QStringLiteral("Printer"), QStringLiteral("Other")}));
        QCOMPARE(ini.Keys(QStringLiteral("other")).size(), 3);
    }

    void floatsAlwaysWithPoint() {
        TIniFile ini(QStringLiteral("/nonexistent/never.cfg"));
        ini.WriteFloat(QStringLiteral("S"), QStringLiteral("T"), 16.25);
        QVERIFY(ini.Text().contains(QStringLiteral("T=16.25")));
        ini.WriteFloat(QStringLiteral("S"), QStringLiteral("T"), 16.0);
        QVERIFY(ini.Text().contains(QStringLiteral("T=16\r\n")));
    }

    void deleteAndErase() {
        TIniFile ini(QStringLiteral("/nonexistent/never.cfg"));
        ini.SetText(QStringLiteral("[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n"));
        ini.DeleteKey(QStringLiteral("a"), QStringLiteral("A"));
        ini.EraseSection(QStringLiteral("b"));
        QCOMPARE(ini.Text(), QStringLiteral("[A]\r\nb=2\r\n"));
    }

    // Bytes the file holds stay as they are, whatever the change elsewhere: line ends of every
    // kind, a Windows-1252 line, a byte-order mark, a last line without its end.
    void untouchedLinesStayByteForByte_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("Windows-1252 umlaut and euro") << QByteArray("[A]\r\nName=M\xFCller \x80\r\nk=1\r\n")
                                                      << QByteArray("[A]\r\nName=M\xFCller \x80\r\nk=2\r\n");
        QTest::newRow("CR-only line ends") << QByteArray("[A]\rk=1\rx=y\r") << QByteArray("[A]\rk=2\rx=y\r");
        QTest::newRow("mixed line ends")
            << QByteArray("[A]\nk=1\r\nx=y\r") << QByteArray("[A]\nk=2\r\nx=y\r");
        QTest::newRow("byte-order mark")
            << QByteArray("\xEF\xBB\xBF[A]\r\nk=1\r\n") << QByteArray("\xEF\xBB\xBF[A]\r\nk=2\r\n");
        QTest::newRow("new key after an unended last line")
            << QByteArray("[B]\nx=\xE4\n[A]\nz=0") << QByteArray("[B]\nx=\xE4\n[A]\nz=0\nK=2\n");
    }

    void untouchedLinesStayByteForByte() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("X.cfg"));
        WriteAll(name, before);
        TIniFile ini(name);
        QVERIFY(ini.WriteInteger(QStringLiteral("a"), QStringLiteral("K"), 2));
        QVERIFY(ini.UpdateFile());
        QCOMPARE(ReadAll(name), after);
    }

    // A UTF-16 mark in front of 8-bit lines, as an editor may leave it: the lines keep their bytes
    // and their meaning (the mark is text of the first line), and what is written reads back as
    // written whatever length the file then has (an even one must not turn it into UTF-16).
    void markThatDoesNotMatchItsBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("value");
        const QByteArray header("\xFF\xFE[S]\r\nInsertMode=123\r\n"); // odd: no UTF-16
        const QByteArray lonely("\xFF\xFE]\r\nEntries=2\r\nInsehtMode=2\r]\r\n"
                                "Entri\xAC" "es=3\r\nInst2=Axt3=]\rT\n");
        for (const QString& value : {QStringLiteral("1"), QStringLiteral("22")}) { // both lengths
            QTest::addRow("header behind the mark, %s", qPrintable(value)) << header << value;
            QTest::addRow("lone CR and section ], %s", qPrintable(value)) << lonely << value;
        }
    }
    void markThatDoesNotMatchItsBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("AscInput.cfg"));
        WriteAll(name, bytes);
        {
            TIniFile ini(name);
            QCOMPARE(ini.Encoding(), TIniFile::TEncoding::Bytes);
            QVERIFY(!ini.SectionExists(QStringLiteral("S")));
            QVERIFY(ini.WriteString(QStringLiteral("S"), QStringLiteral("InsertMode"), value));
            QVERIFY(ini.UpdateFile());
        }
        const QByteArray written = ReadAll(name);
        QVERIFY(written.contains(bytes));
        const TIniFile again(name);
        QCOMPARE(again.Encoding(), TIniFile::TEncoding::Bytes);
        QCOMPARE(again.ReadString(QStringLiteral("S"), QStringLiteral("InsertMode"), QString()), value);
    }

    void eightBitLinesReadAsWindows1252() {
        TIniFile ini(QStringLiteral("/nonexistent/never.cfg"));
        ini.SetBytes("[A]\r\nName=M\xFCller \x80\r\nUtf=M\xC3\xBCller\r\n");
        QCOMPARE(ini.ReadString(QStringLiteral("A"), QStringLiteral("Name"), QString()),
                 QStringLiteral("Müller €"));
        QCOMPARE(ini.ReadString(QStringLiteral("A"), QStringLiteral("Utf"), QString()),
                 QStringLiteral("Müller"));
    }

    // U+FEFF inside a value is text, also where a written value begins with it.
    void valueBeginningWithByteOrderMarkReadsBack() {
        TIniFile ini(QStringLiteral("/nonexistent/never.cfg"));
        ini.SetBytes("\xEF\xBB\xBF[A]\r\nK= \xEF\xBB\xBF"
                     "A\r\n");
        const QString value = ini.ReadString(QStringLiteral("A"), QStringLiteral("K"), QString());
        QCOMPARE(value, QString(QChar(0xFEFF)) + QLatin1Char('A'));
        QVERIFY(ini.WriteString(QStringLiteral("A"), QStringLiteral("K"), value));
        TIniFile again(QStringLiteral("/nonexistent/never.cfg"));
        again.SetBytes(ini.Bytes());
        QCOMPARE(again.ReadString(QStringLiteral("A"), QStringLiteral("K"), QString()), value);
    }

    // A name that could not be read back is refused; a value never breaks its line.
    void namesAndValuesThatCannotBeWritten_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("written");
        QTest::newRow("plain") << "S"
                               << "K" << true;
        QTest::newRow("section with ]") << "S]x"
                                        << "K" << false;
        QTest::newRow("section with line break") << "S\nT"
                                                 << "K" << false;
        QTest::newRow("key with a list index") << "S"
                                               << "bnMode.List[0]" << true;
        QTest::newRow("key with =") << "S"
                                    << "K=1" << false;
        QTest::newRow("key with CR") << "S"
                                     << "K\r" << false;
        QTest::newRow("key that reads as a comment") << "S"
                                                     << ";K" << false;
        QTest::newRow("blank key") << "S"
                                   << "  " << false;
    }

    void namesAndValuesThatCannotBeWritten() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(bool, written);
        TIniFile ini(QStringLiteral("/nonexistent/never.cfg"));
        ini.SetText(QStringLiteral("[S]\r\nold=1\r\n"));
        QCOMPARE(ini.WriteString(section, key, QStringLiteral("v")), written);
        QCOMPARE(ini.Text() == QStringLiteral("[S]\r\nold=1\r\n"), !written);
        QCOMPARE(ini.Modified(), written);
        if (written) {
            QVERIFY(ini.WriteString(section, key, QStringLiteral("line one\r\nline two\nthree\rfour")));
            QCOMPARE(ini.ReadString(section, key, QString()), QStringLiteral("line one line two three four"));
            QCOMPARE(ini.Text().count('\n'), 3);
        }
    }

    // Two owners of one file: each write starts from the file as it is now.
    void twoOwnersKeepEachOthersKeys() {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("AscInput.cfg"));
        WriteAll(name, "[Old]\r\nk=0\r\n");
        TIniFile first(name);
        TIniFile second(name);
        first.WriteString(QStringLiteral("First"), QStringLiteral("a"), QStringLiteral("1"));
        second.WriteString(QStringLiteral("Second"), QStringLiteral("b"), QStringLiteral("2"));
        second.WriteString(QStringLiteral("Old"), QStringLiteral("k"), QStringLiteral("9"));
        QVERIFY(first.UpdateFile());
        QVERIFY(second.UpdateFile());
        first.DeleteKey(QStringLiteral("Old"), QStringLiteral("k"));
        QVERIFY(first.UpdateFile());
        QCOMPARE(ReadAll(name), QByteArray("[Old]\r\n\r\n[First]\r\na=1\r\n\r\n[Second]\r\nb=2\r\n"));
        // After its write an owner reads what the other wrote.
        QCOMPARE(first.ReadString(QStringLiteral("Second"), QStringLiteral("b"), QString()),
                 QStringLiteral("2"));
    }

    // The lookups go through the index: a file of 30,000 lines with keys written, moved and
    // deleted between reads still finds every key where it is.
    void indexFollowsEveryChange() {
        QByteArray big;
        for (int s = 0; s < 300; ++s) {
            big += "[S" + QByteArray::number(s) + "]\r\n";
            for (int k = 0; k < 99; ++k)
                big += "Text" + QByteArray::number(k) + "=v" + QByteArray::number(s * 100 + k) + "\r\n";
        }
        TIniFile ini(QStringLiteral("/nonexistent/never.cfg"));
        ini.SetBytes(big);
        QCOMPARE(ini.ReadString(QStringLiteral("s299"), QStringLiteral("TEXT98"), QString()),
                 QStringLiteral("v29998"));
        ini.DeleteKey(QStringLiteral("S150"), QStringLiteral("Text0"));
        ini.WriteString(QStringLiteral("S150"), QStringLiteral("New"), QStringLiteral("n"));
        ini.EraseSection(QStringLiteral("S10"));
        QCOMPARE(ini.ReadString(QStringLiteral("S150"), QStringLiteral("Text1"), QString()),
                 QStringLiteral("v15001"));
        QCOMPARE(ini.ReadString(QStringLiteral("S150"), QStringLiteral("New"), QString()),
                 QStringLiteral("n"));
        QVERIFY(!ini.ValueExists(QStringLiteral("S150"), QStringLiteral("Text0")));
        QVERIFY(!ini.SectionExists(QStringLiteral("S10")));
        QCOMPARE(ini.ReadString(QStringLiteral("S11"), QStringLiteral("Text5"), QString()),
                 QStringLiteral("v1105"));
        QCOMPARE(ini.KeyCount(QStringLiteral("S150")), 99);
        QCOMPARE(ini.Sections().size(), 299);
    }

    void unwritableFileReportsAndKeepsOld() {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("sub/none.cfg"));
        TIniFile ini(name);
        ini.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("v"));
        QVERIFY(!ini.UpdateFile());
        QVERIFY(!ini.ErrorString().isEmpty());
        QVERIFY(ini.Modified());
    }
};

QTEST_GUILESS_MAIN(TstIniFile)
#include "tst_inifile.moc"
