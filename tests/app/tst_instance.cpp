// One program per configuration: a second start of the real program hands over to the first one
// (here, this test process holding the instrument link) and ends without touching its port.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include "GlobalState.h"
#include "IniFile.h"
#include "Qel8624Device.h"
#include "Qel8624Emulator.h"
#include "QelGlobals.h"
#include "QelInstance.h"
#include "RecordingOperator.h"

namespace {

// The program under the given name: a hard link where the file system allows, else a copy.
bool PlaceProgram(const QString& as) {
    const QString program = qEnvironmentVariable("QEL_PROGRAM");
    if (program.isEmpty())
        return false;
    return ::link(QFile::encodeName(program).constData(), QFile::encodeName(as).constData()) == 0 ||
           QFile::copy(program, as);
}

} // namespace

class TstInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstOfEachConfiguration() {
        QTemporaryDir a, b;
        const QString configA = a.filePath(QStringLiteral("Qel8625.cfg"));
        {
            TQelInstance first(configA);
            QVERIFY(first.IsFirst());
            QVERIFY(TQelInstance(b.filePath(QStringLiteral("Qel8625.cfg"))).IsFirst());
            // The same file, however its folder is spelled.
            QVERIFY(!TQelInstance(a.path() + QStringLiteral("/./Qel8625.cfg")).IsFirst());
            QCOMPARE(TQelInstance::KeyFor(a.path() + QStringLiteral("/./Qel8625.cfg")),
                     TQelInstance::KeyFor(configA));
            // A program that has run for an hour is still running.
            QFile lock(QDir::temp().filePath(TQelInstance::KeyFor(configA) + QStringLiteral(".lock")));
            QVERIFY(lock.open(QIODevice::ReadWrite));
            QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                     QFileDevice::FileModificationTime));
            lock.close();
            QVERIFY(!TQelInstance(configA).IsFirst());
        }
        // Once the first has ended, the next start is first again.
        QVERIFY(TQelInstance(configA).IsFirst());
    }

    // A first program that does not answer in time (busy, hung): the later start learns so and
    // says that the program is already running instead of starting a second one.
    void firstThatDoesNotAnswer() {
        QTemporaryDir a;
        const QString config = a.filePath(QStringLiteral("Qel8625.cfg"));
        TQelInstance first(config);
        QSignalSpy activated(&first, &TQelInstance::ActivationRequested);
        const TQelInstance later(config);
        QVERIFY(!later.IsFirst());
        // This thread is the first's: it cannot answer while the later start waits.
        QVERIFY(!later.ActivateFirst(200));
        QVERIFY(activated.wait(10000)); // the request is seen once the first gets to it
    }

    void secondStartExitsAndTheFirstKeepsItsPort() {
        TGlobalStateGuard state;
        QTemporaryDir app;
        TQel8624Emulator emulator;
        QVERIFY(emulator.Start());
        {
            TIniFile ini(app.filePath(QStringLiteral("Qel8625.cfg")));
            for (const QString& section : {QStringLiteral("Qel8625"), QStringLiteral("QEL8624")})
                ini.WriteString(section, QStringLiteral("ComPort"), emulator.SlavePath());
        }
        const QString program = app.filePath(QStringLiteral("Qel8625"));
        TQelInstance first(TQelGlobal::ConfigFileFor(program));
        QVERIFY(first.IsFirst());
        TRecordingOperator op;
        TQelStartup s;
        s.ExecutablePath = program;
        s.DocumentsFolder = app.filePath(QStringLiteral("home"));
        s.Operator = &op;
        TQelGlobal global(s);
        QTRY_VERIFY_WITH_TIMEOUT(global.Qel().State() == LinkState::Idle, 15000);

        QVERIFY2(PlaceProgram(program), "QEL_PROGRAM names the program");
        QSignalSpy activated(&first, &TQelInstance::ActivationRequested);
        emulator.ClearLog();
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), app.filePath(QStringLiteral("home")));
        second.setProcessEnvironment(env);
        second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QSignalSpy finished(&second, &QProcess::finished);
        second.start(program, {});
        // This thread answers the second start while it waits.
        QVERIFY(finished.wait(60000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(activated.count(), 1);

        // No second handshake reached the instrument, and the first goes on polling it.
        const int seen = emulator.Requests().size();
        QTRY_VERIFY_WITH_TIMEOUT(emulator.Requests().size() > seen, 10000);
        for (const QStringList& r : emulator.Requests())
            QVERIFY2(r != Qel8624::ConnectRequest(), qPrintable(r.join(' ')));
        QCOMPARE(global.Qel().State(), LinkState::Idle);
        QVERIFY(op.Entries.isEmpty());
        QVERIFY(!QFile::exists(app.filePath(QStringLiteral("home/Documents"))));
    }
};

QTEST_GUILESS_MAIN(TstInstance)
#include "tst_instance.moc"
