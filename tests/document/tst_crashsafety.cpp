#include "GridTable.h"
#include "XMLKvDoc.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cstdio>

// A process saving a test over and over is killed at random moments: afterwards the test
// file must always load and hold a complete version, the rolling backup the one before.
namespace {

const int kRows = 3000;
const int kRounds = 40;

QString VersionText(int version) {
    return QStringLiteral("v%1").arg(version);
}

int VersionOf(const TKvXML& doc) {
    return doc.DUTGeneral().Job().Value().mid(1).toInt();
}

// Complete when the last measured row carries the same version as the header data.
bool Complete(const TKvXML& doc) {
    const auto grid = doc.QEL().Measurement().Grid();
    return grid.RowCount() == kRows + 1 && grid.Cell(12, kRows) == doc.DUTGeneral().Job().Value();
}

void Stamp(TKvXML& doc, int version) {
    doc.DUTGeneral().Job().SetValue(VersionText(version));
    doc.QEL().Measurement().Grid().SetCell(12, kRows, VersionText(version));
}

// The child: saves new versions until killed (or a minute has passed, should nobody kill it).
int SaveLoop(const QString& file) {
    TKvXML doc;
    if (!doc.Load(file) || !Complete(doc))
        return 2;
    int version = VersionOf(doc);
    const QDeadlineTimer limit(60000);
    while (!limit.hasExpired()) {
        Stamp(doc, ++version);
        if (!doc.Save(file, version % 2 == 0, true))
            return 3;
        std::printf("%d\n", version);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

class TstCrashSafety : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void killedWhileSaving() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Crash.xml"));
        {
            TKvXML doc;
            ApplyDocumentDefaults(doc.Data());
            TMemoryGridTable table(QStringLiteral("sgMeasData"), 13, kRows + 1);
            for (int r = 0; r <= kRows; ++r)
                for (int c = 0; c < 13; ++c)
                    table.SetCell(c, r, QStringLiteral("%1.%2 kV").arg(r).arg(c));
            doc.QEL().Measurement().Grid().StoreFrom(table, 0);
            Stamp(doc, 0);
            QVERIFY(doc.Save(file, false, false));
        }

        int lastSeen = 0;
        int killedMidWrite = 0; // rounds that left a half-written temporary file behind
        for (int round = 0; round < kRounds; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--save-loop"), file});
            QVERIFY(child.waitForStarted());
            QVERIFY2(child.waitForReadyRead(60000), child.readAllStandardError().constData());
            QThread::msleep(QRandomGenerator::global()->bounded(120));
            child.kill();
            QVERIFY(child.waitForFinished());
            const QList<QByteArray> reported = child.readAllStandardOutput().split('\n');
            int reportedVersion = lastSeen;
            for (const QByteArray& line : reported)
                if (!line.isEmpty())
                    reportedVersion = line.toInt();

            if (!QDir(dir.path()).entryList({QStringLiteral("Crash.xml.~tmp*")}, QDir::Files).isEmpty())
                ++killedMidWrite;

            TKvXML doc;
            const auto loaded = doc.Load(file);
            QVERIFY2(loaded.Status == TKvXML::TLoadStatus::Loaded, qPrintable(loaded.Error));
            QVERIFY(Complete(doc));
            const int version = VersionOf(doc);
            // Either what the child last reported saved, or a later save it had no time to report;
            // the child reported one save at least before it was killed, so the file moved on.
            QVERIFY2(version >= reportedVersion && version > lastSeen,
                     qPrintable(QStringLiteral("%1 after %2, %3 reported")
                                    .arg(version)
                                    .arg(lastSeen)
                                    .arg(reportedVersion)));

            TKvXML backup;
            QVERIFY(backup.Load(dir.filePath(QStringLiteral("Crash.~xml"))));
            QVERIFY(Complete(backup));
            const int previous = VersionOf(backup);
            QVERIFY(previous == version - 1 || previous == version);
            lastSeen = version;
        }
        // How many kills fell into the write itself depends on the disk; the figure is for the log.
        qInfo("%d of %d kills left a half-written temporary file", killedMidWrite, kRounds);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--save-loop") == 0)
        return SaveLoop(QString::fromLocal8Bit(argv[2]));
    TstCrashSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
