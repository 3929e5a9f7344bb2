// Where the files beside the program are read and written: a build tree keeps everything beside
// the program, an installation reads from its data folder and writes into the user's folder.
#include "ProgramFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestProgramFiles : public QObject {
    Q_OBJECT

    QTemporaryDir FRoot;
    QString Path(const QString& relative) const { return QDir::cleanPath(FRoot.filePath(relative)); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(FRoot.isValid());
        // The user's folders of this run lie in the temporary folder too.
        qputenv("XDG_CONFIG_HOME", Path(QStringLiteral("home/.config")).toUtf8());
        for (const char* dir : {"build", "prefix/bin", "prefix/share/qel8625", "locked"})
            QVERIFY(QDir().mkpath(Path(QString::fromLatin1(dir))));
        QVERIFY(QFile::setPermissions(Path(QStringLiteral("locked")),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }

    void cleanupTestCase() {
        QFile::setPermissions(Path(QStringLiteral("locked")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void layouts_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("dataFolder");
        QTest::addColumn<bool>("writesBeside");
        QTest::newRow("build tree") << "build" << false << "build" << true;
        QTest::newRow("installed program") << "prefix/bin" << true << "prefix/share/qel8625" << false;
        QTest::newRow("installed data folder")
            << "prefix/share/qel8625" << true << "prefix/share/qel8625" << false;
        QTest::newRow("program folder not writable") << "locked" << false << "locked" << false;
    }

    void layouts() {
        QFETCH(QString, folder);
        QFETCH(bool, installed);
        QFETCH(QString, dataFolder);
        QFETCH(bool, writesBeside);
        const QString dir = Path(folder);
        if (folder == QLatin1String("locked") && QFileInfo(dir).isWritable())
            QSKIP("this user writes into any folder");
        QCOMPARE(IsInstalledFolder(dir), installed);
        QCOMPARE(ProgramDataFolder(dir), Path(dataFolder) + '/');
        // Even a prefix the user owns stays as installed: the user's files never go there.
        const QString written = ProgramFileName(QStringLiteral("LastFiles.cfg"), dir);
        const QString userFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QCOMPARE(written, (writesBeside ? dir : userFolder) + QStringLiteral("/LastFiles.cfg"));
        QVERIFY(written.startsWith(Path(QStringLiteral("home/.config"))) == !writesBeside);
        if (!writesBeside)
            QVERIFY(QFileInfo(userFolder).isDir());
    }
};

QTEST_GUILESS_MAIN(TestProgramFiles)
#include "tst_programfiles.moc"
