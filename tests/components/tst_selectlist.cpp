// The lists of earlier entries in "AscInput.cfg": what a list keeps, what it writes, and that
// two lists of one section never lose each other's entries.
#include "SelectList.h"
#include "TestDirs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {} // namespace

class TestSelectList : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString File() const { return FDir.filePath(QStringLiteral("AscInput.cfg")); }

private Q_SLOTS:
    void cleanup() { QFile::remove(File()); }

    void addRules_data() {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("added");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("current");
        QTest::newRow("new text, its sorted place")
            << QStringList{"b", "d"} << "c" << true << QStringList{"b", "d", "c"} << 1;
        QTest::newRow("empty text") << QStringList{"b"} << "" << false << QStringList{"b"} << 0;
        QTest::newRow("text already listed")
            << QStringList{"b", "a"} << "b" << false << QStringList{"b", "a"} << 0;
        QTest::newRow("pasted lines become blanks") << QStringList{"a"} << "Line 1\r\nLine 2\nLine 3" << true
                                                    << QStringList{"a", "Line 1 Line 2 Line 3"} << 1;
    }

    void addRules() {
        QFETCH(QStringList, start);
        QFETCH(QString, text);
        QFETCH(bool, added);
        QFETCH(QStringList, after);
        QFETCH(int, current);
        TTntSelectList list(File(), QStringLiteral("S"));
        for (const QString& t : start)
            list.Add(t);
        list.Nearest(start.first());
        QCOMPARE(list.Add(text), added);
        QCOMPARE(list.Entries(), after);
        if (added)
            QCOMPARE(list.CurrentIndex(), current);
    }

    void fullListDropsOldestNotFirstInOrder() {
        TTntSelectList list(File(), QStringLiteral("S"));
        QCOMPARE(list.MaxCount(), 1000);
        list.Add(QStringLiteral("zz oldest"));
        for (int i = 1; i < 1000; ++i)
            list.Add(QStringLiteral("entry %1").arg(i, 4, 10, QLatin1Char('0')));
        QCOMPARE(list.Count(), 1000);
        QVERIFY(list.Add(QStringLiteral("aa newest")));
        QCOMPARE(list.Count(), 1000);
        QVERIFY(!list.Contains(QStringLiteral("zz oldest")));
        QVERIFY(list.Contains(QStringLiteral("entry 0001")));
        QCOMPARE(list.Entry(0), QStringLiteral("aa newest"));
        QCOMPARE(list.Entries().last(), QStringLiteral("aa newest"));
    }

    void sortedLookups() {
        TTntSelectList list(File(), QStringLiteral("S"));
        for (const char* t : {"delta", "Alpha", "charlie", "bravo"})
            list.Add(QString::fromLatin1(t));
        QCOMPARE(list.Sorted(), (QStringList{"Alpha", "bravo", "charlie", "delta"}));
        QCOMPARE(list.Nearest(QStringLiteral("c")), 2);
        QCOMPARE(list.Nearest(QStringLiteral("zulu")), 4);
        QCOMPARE(list.Entry(4), QString());
        QStringList target{"Alpha", "bravo", "delta", "charlie"}; // same number, other content
        bool refilled = false;
        list.Nearest(QStringLiteral("b"), &target, &refilled);
        QVERIFY(refilled);
        QCOMPARE(target, list.Sorted());
        list.Nearest(QStringLiteral("b"), &target, &refilled);
        QVERIFY(!refilled);
    }

    // The file a list writes, exactly.
    void writesTheFile() {
        TTntSelectList list(File(), QStringLiteral("QelSetupFrame.edTrafoName"));
        QCOMPARE(list.Load(imAutoInsert), imAutoInsert);
        list.Add(QStringLiteral("T 400"));
        list.Add(QStringLiteral("A 110"));
        QVERIFY(list.Save(imAskBeforeInsert));
        QCOMPARE(ReadBytes(File()), QByteArray("[QelSetupFrame.edTrafoName]\r\nEntries=2\r\nInsertMode=2\r\n"
                                               "Text1=T 400\r\nText2=A 110\r\n"));
        // A shorter list leaves no keys of the longer one behind.
        list.Delete(QStringLiteral("T 400"));
        QVERIFY(list.Save(imAskBeforeInsert));
        QCOMPARE(ReadBytes(File()),
                 QByteArray("[QelSetupFrame.edTrafoName]\r\nEntries=1\r\nInsertMode=2\r\nText1=A 110\r\n"));
        QCOMPARE(TSelectList(File()).Section(), QStringLiteral("TFrmAscii"));
        QCOMPARE(TTntSelectList(File()).Section(), QStringLiteral("TTntAscInputForm"));
    }

    void loadsWhatAnyoneWrote_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("mode");
        QTest::newRow("as written") << QByteArray("Entries=2\nInsertMode=0\nText1=b\nText2=a\n")
                                    << QStringList{"b", "a"} << 0;
        QTest::newRow("count past the keys")
            << QByteArray("Entries=2000000000\nText1=b\nText2=a\n") << QStringList{"b", "a"} << 1;
        QTest::newRow("negative count") << QByteArray("Entries=-5\nText1=b\n") << QStringList{} << 1;
        QTest::newRow("mode past the modes")
            << QByteArray("Entries=1\nInsertMode=9\nText1=b\n") << QStringList{"b"} << 1;
        QTest::newRow("negative mode") << QByteArray("InsertMode=-1\n") << QStringList{} << 1;
        QTest::newRow("stored mode wins") << QByteArray("InsertMode=3\n") << QStringList{} << 3;
        QTest::newRow("a hole and a double")
            << QByteArray("Entries=3\nText1=b\nText3=b\n") << QStringList{"b"} << 1;
        QTest::newRow("no section") << QByteArray() << QStringList{} << 1;
    }

    void loadsWhatAnyoneWrote() {
        QFETCH(QByteArray, section);
        QFETCH(QStringList, entries);
        QFETCH(int, mode);
        QVERIFY(WriteBytes(File(), section.isEmpty() ? QByteArray("[Other]\nx=1\n") : "[S]\n" + section));
        TTntSelectList list(File(), QStringLiteral("s"));
        QCOMPARE(int(list.Load(imAutoInsert)), mode);
        QCOMPARE(list.Entries(), entries);
    }

    // The keyboard's list and the field's own list of one section, both open.
    void twoListsOfOneSection() {
        TTntSelectList field(File(), QStringLiteral("S"));
        TTntSelectList keyboard(File(), QStringLiteral("S"));
        field.Add(QStringLiteral("shared"));
        QVERIFY(field.Save(imAutoInsert));
        field.Load(imAutoInsert);
        keyboard.Load(imAutoInsert);
        QVERIFY(keyboard.Add(QStringLiteral("from keyboard")));
        QVERIFY(keyboard.Save(imAutoInsert));
        QVERIFY(field.Add(QStringLiteral("from field")));
        QVERIFY(field.Delete(QStringLiteral("shared")));
        QVERIFY(field.Save(imAutoInsert));
        QCOMPARE(field.Entries(), (QStringList{"from keyboard", "from field"}));
        TTntSelectList reader(File(), QStringLiteral("S"));
        reader.Load(imNoInsert);
        QCOMPARE(reader.Entries(), (QStringList{"from keyboard", "from field"}));
    }
};

QTEST_GUILESS_MAIN(TestSelectList)
#include "tst_selectlist.moc"
