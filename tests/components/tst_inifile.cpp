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
