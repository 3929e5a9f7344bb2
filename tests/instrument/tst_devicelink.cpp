// The link of the instrument thread against the emulator on a pseudo-terminal: handshake, idle
// poll, lost cable, port change and shutting down.
#include "tst_devicewatch.h"

#include "RS232Comms.h"
#include "RecordingOperator.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <functional>
#include <memory>

namespace {

// A pseudo-terminal whose far end answers from a script, for replies that no well-behaved
// instrument (and so no emulator) gives: fields that are not numbers.
class TScriptedLine : public QObject {
public:
    std::function<QByteArray(const QString& request)> Answer;
    QStringList Received;     // requests as "M R S 00000001"
    QList<qint64> ReceivedAt; // milliseconds of Clock, one per request
    QElapsedTimer Clock;
    QString SlavePath;

    ~TScriptedLine() override {
        Notifier.reset();
        if (KeepFd >= 0)
            ::close(KeepFd);
        if (Master >= 0)
            ::close(Master);
    }
    bool Start() {
        Master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0)
            return false;
        SlavePath = QString::fromLatin1(ptsname(Master));
        // Holding the far end open keeps the master from reporting a hang-up while the port
        // is closed.
        KeepFd = ::open(ptsname(Master), O_RDWR | O_NOCTTY);
        Clock.start();
        Notifier = std::make_unique<QSocketNotifier>(Master, QSocketNotifier::Read);
        connect(Notifier.get(), &QSocketNotifier::activated, this, [this] { Read(); });
        return KeepFd >= 0;
    }

private:
    void Read() {
        char buffer[256];
        ssize_t n = 0;
        while ((n = ::read(Master, buffer, sizeof buffer)) > 0)
            Pending.append(buffer, n);
        qsizetype end = 0;
        while ((end = Pending.indexOf(":~:")) >= 0) {
            Received << QString::fromLatin1(Pending.left(end).mid(1))
                            .split(QLatin1Char(':'))
                            .join(QLatin1Char(' '));
            ReceivedAt << Clock.elapsed();
            Pending.remove(0, end + 3);
            const QByteArray reply = Answer(Received.last());
            if (::write(Master, reply.constData(), size_t(reply.size())) != reply.size())
                qWarning("scripted line: short write");
        }
    }
    int Master = -1;
    int KeepFd = -1;
    QByteArray Pending;
    std::unique_ptr<QSocketNotifier> Notifier;
};

} // namespace

class TDeviceLinkTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void connectKeepsIdentification();
    void connectRefusedByInstrument();
    void connectWithoutOpenPort();
    void cablePulledWhileIdle();
    void deadPortEndsTheLink_data();
    void deadPortEndsTheLink();
    void portChangeWhileConnected();
    void portChangeDuringBusyNotification();
    void portChangeDuringComErrorNotification();
    void shutdownWhileCallbackWaits();
    void malformedReplyEndsThePassWithABeep();
    void openFromInsideCallback();
};

void TDeviceLinkTest::connectKeepsIdentification() {
    TQel8624Emulator emulator;
    TEmulatorIdentity id;
    id.Type = QStringLiteral("QEL 8624");
    id.SerialNumber = QStringLiteral("SN-4711");
    id.Firmware = QStringLiteral("3.1.7");
    id.CalibratedBy = QStringLiteral("Lab: North/2"); // escaped on the wire
    id.LastCalibration = QDateTime(QDate(2025, 6, 30), QTime(14, 5, 9));
    id.NextCalibration = QDateTime(QDate(2027, 6, 30), QTime(0, 0, 0));
    emulator.SetIdentity(id);
    QVERIFY2(emulator.Start(), qPrintable(emulator.ErrorText()));

    TQel8624 device;
    TDeviceWatch watch(device);
    QCOMPARE(device.State(), LinkState::Disconnected);
    QVERIFY(ConnectDevice(device, emulator, watch));
    QCOMPARE(watch.States(), QStringList({"state Connecting ...", "state Connected", "state Idle"}));
    QCOMPARE(device.InstrumentType(), id.Type);
    QCOMPARE(device.SerialNumber(), id.SerialNumber);
    QCOMPARE(device.FirmwareVersion(), id.Firmware);
    QCOMPARE(device.CalibratedBy(), id.CalibratedBy);
    QCOMPARE(device.LastCalibration(), id.LastCalibration);
    QCOMPARE(device.NextCalibration(), id.NextCalibration);
    QCOMPARE(device.PortName(), emulator.SlavePath());

    // Before any test ran the idle poll is C M.
    QVERIFY(QTest::qWaitFor([&] { return SentRequests(emulator, true).size() >= 5; }, 3000));
    QCOMPARE(SentRequests(emulator, true).mid(0, 5), QStringList({"C O", "I", "S I", "C M", "C M"}));
    QCOMPARE(emulator.InvalidFrames(), 0);
    QCOMPARE(watch.States().size(), 3); // polls that succeed change nothing

    device.RequestDisconnect();
    QVERIFY(device.WaitForState(LinkState::Disconnected, 3000));
    QCOMPARE(SentRequests(emulator).last(), QStringLiteral("C C"));
    QVERIFY(device.InstrumentType().isEmpty());
    QVERIFY(!device.LastCalibration().isValid());
}

void TDeviceLinkTest::connectRefusedByInstrument() {
    TQel8624Emulator emulator;
    QVERIFY(emulator.Start());
    emulator.AddFault({TEmulatorFault::Refuse, QStringLiteral("C O"), 0x905});

    TQel8624 device;
    TDeviceWatch watch(device);
    QVERIFY(device.Open(emulator.SlavePath()));
    device.RequestConnect();
    QVERIFY(QTest::qWaitFor([&] { return watch.States().size() >= 2; }, 5000));
    QTest::qWait(300); // nothing may follow
    QCOMPARE(watch.States(), QStringList({"state Connecting ...", "state Disconnected"}));
    QCOMPARE(device.State(), LinkState::Disconnected);
    QVERIFY(device.InstrumentType().isEmpty());
    QVERIFY(device.SerialNumber().isEmpty());
    QVERIFY(device.FirmwareVersion().isEmpty());
    QVERIFY(!device.LastCalibration().isValid());
    QCOMPARE(SentRequests(emulator, true), QStringList({"C O"}));

    // The port stays open: the next connect request succeeds.
    device.RequestConnect();
    QVERIFY(QTest::qWaitFor([&] { return device.State() == LinkState::Idle; }, 5000));
    QCOMPARE(device.InstrumentType(), emulator.Identity().Type);
}

void TDeviceLinkTest::connectWithoutOpenPort() {
    TQel8624 device;
    TDeviceWatch watch(device);
    QVERIFY(!device.Open(QStringLiteral("/dev/qel-no-such-port")));
    QVERIFY(device.LastOpenError().contains(QStringLiteral("qel-no-such-port")));
    device.RequestConnect();
    QVERIFY(QTest::qWaitFor([&] { return watch.States().size() >= 3; }, 5000));
    QCOMPARE(watch.States(), QStringList({"state Connecting ...", "state ComError", "state Disconnected"}));
    QCOMPARE(device.LastResult(), quint8(6)); // exchange on a closed port
}

void TDeviceLinkTest::cablePulledWhileIdle() {
    TQel8624Emulator emulator;
    QVERIFY(emulator.Start());
    TQel8624 device;
    const TVuroRS232Comms::TDeadlines deadlines{500, 1000, 500};
    device.SetTransportDeadlines(deadlines);
    TDeviceWatch watch(device);
    QVERIFY(ConnectDevice(device, emulator, watch));
    watch.Events.clear();

    // Two polls go unanswered, then the cable is back.
    emulator.AddFault({TEmulatorFault::Silent, QStringLiteral("C M"), 0, 2});
    QElapsedTimer clock;
    clock.start();
    QVERIFY(QTest::qWaitFor([&] { return !watch.Events.isEmpty(); }, 10000));
    QCOMPARE(watch.Events, QStringList({"state ComError"}));
    QVERIFY2(clock.elapsed() >= deadlines.ProgressMs, qPrintable(QString::number(clock.elapsed())));
    // Idle again without a notification, and polling goes on; the instrument does not answer.
    QVERIFY(QTest::qWaitFor([&] { return device.State() == LinkState::Idle; }, 5000));
    QVERIFY(!device.Answering());

    // The first answered poll says so: Idle is notified once more.
    QVERIFY(QTest::qWaitFor([&] { return watch.Events.size() >= 3; }, 15000));
    QCOMPARE(watch.Events, QStringList({"state ComError", "state ComError", "state Idle"}));
    QVERIFY(device.Answering());
    emulator.ClearLog();
    QVERIFY(QTest::qWaitFor([&] { return emulator.Frames().size() >= 4; }, 15000));
    QCOMPARE(watch.States().size(), 3);
    QCOMPARE(device.State(), LinkState::Idle);

    // The period of the answered polls: 0.4752 s after the end of the previous one (the upper
    // bound only catches a thread that polls far too late).
    const QList<TEmulatorFrame> frames = emulator.Frames();
    for (qsizetype i = 1; i < frames.size(); ++i) {
        const qint64 gap = frames[i - 1].Time.msecsTo(frames[i].Time);
        QVERIFY2(gap >= 470 && gap <= 5000, qPrintable(QStringLiteral("poll gap %1 ms").arg(gap)));
    }
}

void TDeviceLinkTest::deadPortEndsTheLink_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    // A device that went away answers EIO: the link ends at the first poll. A line that stays
    // silent ends it after the polls the thread allows.
    QTest::newRow("port gone") << int(TEmulatorFault::Hangup) << 1;
    QTest::newRow("silent line") << int(TEmulatorFault::Silent) << -1;
}

void TDeviceLinkTest::deadPortEndsTheLink() {
    QFETCH(int, kind);
    QFETCH(int, count);
    TQel8624Emulator emulator;
    QVERIFY(emulator.Start());
    TQel8624 device;
    device.SetTransportDeadlines({300, 600, 300});
    TDeviceWatch watch(device);
    QVERIFY(ConnectDevice(device, emulator, watch));
    watch.Events.clear();
    emulator.AddFault({TEmulatorFault::TKind(kind), QStringLiteral("C M"), 0, count});
    QVERIFY(QTest::qWaitFor([&] { return device.State() == LinkState::Disconnected; }, 20000));
    QVERIFY(
        QTest::qWaitFor([&] { return watch.States().endsWith(QStringLiteral("state Disconnected")); }, 5000));
    const int errors = int(watch.States().count(QStringLiteral("state ComError")));
    QCOMPARE(errors, kind == int(TEmulatorFault::Hangup) ? 1 : TQel8624::LostAfterFailedPolls);
    QVERIFY(device.InstrumentType().isEmpty());
    QVERIFY(!device.Answering());
}

void TDeviceLinkTest::portChangeWhileConnected() {
    TQel8624Emulator oldPort;
    TQel8624Emulator newPort;
    QVERIFY(oldPort.Start());
    QVERIFY(newPort.Start());
    TEmulatorIdentity other = newPort.Identity();
    other.SerialNumber = QStringLiteral("OTHER-1");
    newPort.SetIdentity(other);

    TQel8624 device;
    TDeviceWatch watch(device);
    QVERIFY(ConnectDevice(device, oldPort, watch));
    watch.Events.clear();

    // As the setup page does it: disconnect, open the new port, connect.
    device.RequestDisconnect();
    QVERIFY(device.Open(newPort.SlavePath()));
    device.RequestConnect();
    QVERIFY(QTest::qWaitFor([&] { return device.State() == LinkState::Idle && watch.States().size() >= 4; },
                            5000));
    QCOMPARE(watch.States(),
             QStringList({"state Disconnected", "state Connecting ...", "state Connected", "state Idle"}));
    QCOMPARE(SentRequests(oldPort).last(), QStringLiteral("C C"));
    QCOMPARE(SentRequests(newPort).mid(0, 3), QStringList({"C O", "I", "S I"}));
    QCOMPARE(device.SerialNumber(), QStringLiteral("OTHER-1"));
    QCOMPARE(device.PortName(), newPort.SlavePath());

    // The old port is closed: nothing reaches it any more.
    const qsizetype before = oldPort.Requests().size();
    QTest::qWait(1200);
    QCOMPARE(oldPort.Requests().size(), before);
}

// The setup page changing the port from inside the hand-over of `state`: disconnect, open the
// new port; `opened` tells the result of that open.
static void SwitchPortOnState(TQel8624& device, TDeviceWatch& watch, LinkState state, const QString& port,
                              bool& opened) {
    device.SetOnStateChange([&device, &watch, &opened, state, port](LinkState s) {
        watch.Events << QStringLiteral("state ") + LinkStateText(s);
        if (s == state && !opened) {
            device.RequestDisconnect();
            opened = device.Open(port);
        }
    });
}

void TDeviceLinkTest::portChangeDuringBusyNotification() {
    // The setup page changes the port while the thread hands over "Busy...": the thread serves
    // the open inside that hand-over. The old link ends (C C, closed, the pending command
    // dropped as a disconnect drops it) and the new port runs nothing before its handshake.
    TQel8624Emulator oldPort;
    TQel8624Emulator newPort;
    QVERIFY(oldPort.Start());
    QVERIFY(newPort.Start());
    TQel8624 device;
    TDeviceWatch watch(device);
    QVERIFY(ConnectDevice(device, oldPort, watch));
    watch.Events.clear();
    oldPort.ClearLog();

    bool opened = false;
    SwitchPortOnState(device, watch, LinkState::Busy, newPort.SlavePath(), opened);
    QVERIFY(device.RequestMemGetDir(false));
    QVERIFY(QTest::qWaitFor([&] { return opened; }, 5000));
    QVERIFY(device.WaitForState(LinkState::Disconnected, 3000));
    device.RequestConnect();
    QVERIFY(QTest::qWaitFor([&] { return device.State() == LinkState::Idle && watch.States().size() >= 5; },
                            5000));
    QTest::qWait(100);
    QCOMPARE(watch.Changes(), QStringList({"state Busy...", "state Disconnected", "state Connecting ...",
                                           "state Connected", "state Idle"}));
    QCOMPARE(SentRequests(oldPort), QStringList({"C C"}));
    QCOMPARE(SentRequests(newPort).mid(0, 3), QStringList({"C O", "I", "S I"}));
    QVERIFY(!SentRequests(newPort).contains(QStringLiteral("M G")));
}

void TDeviceLinkTest::portChangeDuringComErrorNotification() {
    // A poll times out and the port is changed while "ComError" is handed over: the new port
    // is neither polled as Idle without a handshake nor closed again by the ComError pass.
    TQel8624Emulator oldPort;
    TQel8624Emulator newPort;
    QVERIFY(oldPort.Start());
    QVERIFY(newPort.Start());
    TQel8624 device;
    TDeviceWatch watch(device);
    QVERIFY(ConnectDevice(device, oldPort, watch));
    watch.Events.clear();

    bool opened = false;
    SwitchPortOnState(device, watch, LinkState::ComError, newPort.SlavePath(), opened);
    oldPort.AddFault({TEmulatorFault::Silent, QStringLiteral("C M"), 0, 1});
    QVERIFY(QTest::qWaitFor([&] { return opened; }, 10000));
    QVERIFY(device.WaitForState(LinkState::Disconnected, 3000));
    QTest::qWait(200);
    QCOMPARE(device.State(), LinkState::Disconnected);
    QVERIFY(SentRequests(newPort, true).isEmpty()); // not polled before its handshake
    device.RequestConnect();
    QVERIFY(QTest::qWaitFor([&] { return device.State() == LinkState::Idle && watch.States().size() >= 5; },
                            5000));
    QCOMPARE(watch.States(), QStringList({"state ComError", "state Disconnected", "state Connecting ...",
                                          "state Connected", "state Idle"}));
    QCOMPARE(SentRequests(newPort, true).mid(0, 3), QStringList({"C O", "I", "S I"}));
    QCOMPARE(device.PortName(), newPort.SlavePath());
}

void TDeviceLinkTest::shutdownWhileCallbackWaits() {
    TQel8624Emulator emulator;
    QVERIFY(emulator.Start());
    TRecordingOperator op;
    auto device = std::make_unique<TQel8624>(&op);
    bool called = false;
    device->SetOnStateChange([&](LinkState) { called = true; });
    QVERIFY(device->Open(emulator.SlavePath()));
    device->RequestConnect();
    // This thread does not deliver events now, so the thread hangs in its first notification.
    QThread::msleep(300);
    device.reset();    // must not wait for this thread
    QTest::qWait(100); // the pending hand-over must not run any more
    QVERIFY(!called);

    // Destroyed in the middle of an unanswered poll: the exchange runs out, its ComError is
    // not handed over any more.
    device = std::make_unique<TQel8624>(&op);
    device->SetTransportDeadlines({500, 1000, 500});
    TDeviceWatch watch(*device);
    QVERIFY(ConnectDevice(*device, emulator, watch));
    watch.Events.clear();
    emulator.AddFault({TEmulatorFault::Silent, QString(), 0, -1});
    QVERIFY(QTest::qWaitFor([&] { return emulator.Frames().last().Reply.isEmpty(); }, 5000));
    device.reset();
    QTest::qWait(100);
    QVERIFY(watch.Events.isEmpty());
}

void TDeviceLinkTest::malformedReplyEndsThePassWithABeep() {
    TScriptedLine line;
    line.Answer = [](const QString& request) -> QByteArray {
        if (request == QLatin1String("I"))
            return "+OK:QEL 8624:1:2.0.0:~:";
        if (request == QLatin1String("S I"))
            return "+OK:Lab:1A0101000000:1B0101000000:~:";
        if (request.startsWith(QLatin1String("M R S")) || request == QLatin1String("S P"))
            return "+OK:00000B00:00000064:NOT-A-NUMBER:~:";
        return "+OK:~:";
    };
    QVERIFY(line.Start());
    TRecordingOperator op;
    TQel8624 device(&op);
    TDeviceWatch watch(device);
    QVERIFY(device.Open(line.SlavePath));
    device.RequestConnect();
    QVERIFY(QTest::qWaitFor([&] { return watch.States().endsWith(QStringLiteral("state Idle")); }, 5000));
    watch.Events.clear();

    // The record buffer holds a test setup first.
    TMemoryData setup;
    setup.Setup.HVConnection = Qel8624::conYN;
    setup.Setup.HVNominal = 110;
    setup.Setup.LVNominal = 20;
    setup.Setup.TapStep = 1;
    QVERIFY(device.RequestTestSetup(setup, false));
    QVERIFY(QTest::qWaitFor([&] { return watch.Events.size() >= 3; }, 5000));
    QCOMPARE(device.RecordBuffer().Setup.HVConnection, qint32(Qel8624::conYN));
    watch.Events.clear();

    // A stored test whose header does not read: no completion, Idle again, a beep; the record
    // buffer no longer holds the setup (a read starts from an empty buffer).
    QVERIFY(device.RequestMemGetRecord(1, false));
    QVERIFY(QTest::qWaitFor([&] { return watch.Events.size() >= 3; }, 5000));
    QCOMPARE(watch.Events, QStringList({"state Busy...", "failed 9 unreadable", "state Idle"}));
    QTRY_COMPARE(op.Beeps, 1);
    QCOMPARE(device.RecordBuffer(), TMemoryData());

    // A live sample that does not read ends that poll only (one beep each); polling keeps its
    // period instead of retrying at once.
    line.Received.clear();
    line.ReceivedAt.clear();
    device.SetLiveSampling(true);
    QVERIFY(QTest::qWaitFor([&] { return line.Received.count(QStringLiteral("S P")) >= 3; }, 20000));
    QTRY_VERIFY(op.Beeps >= 4);
    QList<qint64> samples;
    for (qsizetype i = 0; i < line.Received.size(); ++i)
        if (line.Received[i] == QLatin1String("S P"))
            samples << line.ReceivedAt[i];
    for (qsizetype i = 1; i < samples.size(); ++i)
        QVERIFY2(samples[i] - samples[i - 1] >= 450,
                 qPrintable(QString::number(samples[i] - samples[i - 1])));
    QCOMPARE(watch.LiveCount, 0);
    QCOMPARE(device.State(), LinkState::Idle);
}

void TDeviceLinkTest::openFromInsideCallback() {
    // The thread waits for the callback, the callback waits for the port to be opened by the
    // thread: served inside the hand-over, no deadlock.
    TQel8624Emulator first;
    TQel8624Emulator second;
    QVERIFY(first.Start());
    QVERIFY(second.Start());
    first.AddFault({TEmulatorFault::Refuse, QStringLiteral("C O"), 0x905});
    TQel8624 device;
    QStringList states;
    bool opened = false;
    device.SetOnStateChange([&](LinkState s) {
        states << LinkStateText(s);
        if (s == LinkState::Disconnected && !opened) {
            device.RequestDisconnect(); // closes the first port before the second is opened
            opened = device.Open(second.SlavePath());
        }
    });
    QVERIFY(device.Open(first.SlavePath()));
    device.RequestConnect();
    QVERIFY(QTest::qWaitFor([&] { return opened; }, 5000));
    device.RequestConnect();
    QVERIFY(device.WaitForState(LinkState::Idle, 5000));
    QCOMPARE(SentRequests(second).mid(0, 3), QStringList({"C O", "I", "S I"}));
    QCOMPARE(device.PortName(), second.SlavePath());
}

QTEST_GUILESS_MAIN(TDeviceLinkTest)
#include "tst_devicelink.moc"
