// The recent names of the file dialogs and the names they accept.
#include "RecentNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList Entries(int n) {
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QStringLiteral("/t/e%1.xml").arg(i);
    return out;
}

} // namespace

class TestRecentNames : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recording_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("after");
        const QStringList ten = Entries(10);
        QTest::newRow("open: a new name goes to the top, the last goes")
            << false << ten << "/t/new.xml" << QStringList{"/t/new.xml"} + ten.mid(0, 9);
        QTest::newRow("open: a listed name changes nothing") << false << ten << "/t/e3.xml" << ten;
        QTest::newRow("open: a short list grows")
            << false << Entries(2) << "/t/new.xml" << QStringList{"/t/new.xml"} + Entries(2);
        QTest::newRow("save: appended, also when listed, the first goes")
            << true << ten << "/t/e3.xml" << ten.mid(1) + QStringList{"/t/e3.xml"};
        QTest::newRow("save: a short list grows")
            << true << Entries(1) << "/t/new.xml" << Entries(1) + QStringList{"/t/new.xml"};
    }

    void recording() {
        QFETCH(bool, save);
        QFETCH(QStringList, start);
        QFETCH(QString, file);
        QFETCH(QStringList, after);
        TRecentNames names(QStringLiteral("/opt/qel"), QStringLiteral("/nonexistent/cbFileName.cfg"));
        names.SetEntries(start);
        if (save)
            names.RecordSaved(file);
        else
            names.RecordOpened(file);
        QCOMPARE(names.Entries(), after);
    }

    // Below the program's folder an entry is relative to it (resolved there whatever the working
    // directory); anywhere else it is the full path.
    void entriesAndTheirFile() {
        QTemporaryDir dir;
        const QString app = dir.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkpath(app + QStringLiteral("/data")));
        TRecentNames names(app);
        QCOMPARE(names.FileName(), app + QStringLiteral("/cbFileName.cfg"));
        names.RecordOpened(app + QStringLiteral("/data/x.xml"));
        names.RecordOpened(QStringLiteral("/media/usb/y.xml"));
        names.RecordOpened(app + QStringLiteral("/../app2/z.xml"));
        QVERIFY(names.Save());
        QFile f(names.FileName());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(
            f.readAll(),
            (dir.filePath(QStringLiteral("app2/z.xml")) + "\r\n/media/usb/y.xml\r\ndata/x.xml\r\n").toUtf8());
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(QDir::tempPath()));
        TRecentNames again(app);
        QVERIFY(again.Load());
        QCOMPARE(again.Resolve(again.Entries().last()), app + QStringLiteral("/data/x.xml"));
        QCOMPARE(again.Resolve(QStringLiteral("/media/usb/y.xml")), QStringLiteral("/media/usb/y.xml"));
        QDir::setCurrent(cwd);
    }

    void names_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("file");
        QTest::addColumn<bool>("folder");
        QTest::newRow("plain") << "Test 1" << true << true;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("blank") << "  " << false << false;
        QTest::newRow("question mark") << "a?b" << false << false;
        QTest::newRow("star") << "*.xml" << false << false;
        QTest::newRow("colon") << "c:x" << false << false;
        QTest::newRow("slash") << "a/b" << false << false;
        QTest::newRow("backslash") << "a\\b" << false << false;
        QTest::newRow("dot dot") << ".." << true << false;
        QTest::newRow("dot") << "." << true << false;
    }

    void names() {
        QFETCH(QString, name);
        QFETCH(bool, file);
        QFETCH(bool, folder);
        QCOMPARE(XMLDialogNames::ValidFilePart(name), file);
        QCOMPARE(XMLDialogNames::ValidFolderName(name), folder);
    }

    void extensions_data() {
        QTest::addColumn<QString>("defaultExt");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("passes");
        QTest::newRow("lower case file") << ".XML"
                                         << "a.xml" << true;
        QTest::newRow("upper case file") << ".XML"
                                         << "b.XML" << true;
        QTest::newRow("other extension") << ".XML"
                                         << "c.txt" << false;
        QTest::newRow("backup") << ".XML"
                                << "d.~xml" << false;
        QTest::newRow("longer extension") << ".XML"
                                          << "e.xmlx" << false;
        QTest::newRow("extension inside") << ".XML"
                                          << "f.xml.save" << false;
        QTest::newRow("second of two") << ".bmp|.XML"
                                       << "g.xml" << true;
        QTest::newRow("empty entries skipped") << "|.XML||"
                                               << "h.txt" << false;
        QTest::newRow("no extension set") << ""
                                          << "i.txt" << true;
        QTest::newRow("without the dot") << "xml"
                                         << "j.XML" << true;
    }

    void extensions() {
        QFETCH(QString, defaultExt);
        QFETCH(QString, name);
        QFETCH(bool, passes);
        QCOMPARE(XMLDialogNames::Passes(name, XMLDialogNames::Extensions(defaultExt)), passes);
    }
};

QTEST_GUILESS_MAIN(TestRecentNames)
#include "tst_recentnames.moc"
