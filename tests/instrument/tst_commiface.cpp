// The general serial device on a real pseudo-terminal: this end is the device, the test plays
// the far end on the master side.
#include "CommIFaceRS232.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

class TCommIFaceTest : public QObject {
    Q_OBJECT

    int m_Master = -1;
    QString m_Slave;
    std::unique_ptr<TRS232Device> m_Device;

    void Send(const QByteArray& bytes) {
        QCOMPARE(::write(m_Master, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }
    // Everything the device wrote, waiting up to `ms` for it to arrive.
    QByteArray Received(int ms = 500, qsizetype atLeast = 1) {
        QByteArray all;
        QElapsedTimer t;
        t.start();
        while (all.size() < atLeast && t.elapsed() < ms) {
            pollfd p{m_Master, POLLIN, 0};
            if (::poll(&p, 1, int(ms - t.elapsed())) <= 0)
                break;
            char buf[4096];
            const auto n = ::read(m_Master, buf, sizeof buf);
            if (n <= 0)
                break;
            all.append(buf, n);
        }
        return all;
    }

private Q_SLOTS:
    void init() {
        m_Master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(m_Master >= 0 && ::grantpt(m_Master) == 0 && ::unlockpt(m_Master) == 0);
        m_Slave = QString::fromLocal8Bit(::ptsname(m_Master));
        m_Device = std::make_unique<TRS232Device>();
        m_Device->SetPortName(m_Slave);
        m_Device->SetTimeOut(300);
        m_Device->Open();
        QVERIFY2(m_Device->IsOpen(), qPrintable(m_Device->LastErrorText()));
    }
    void cleanup() {
        m_Device.reset();
        ::close(m_Master);
    }

    void defaults() {
        TRS232Device d;
        QCOMPARE(d.ComPort(), rsCOM1);
        QCOMPARE(d.BaudRate(), 9600);
        QCOMPARE(d.Parity(), rsNone);
        QCOMPARE(d.StopBits(), 1);
        QCOMPARE(d.DataBits(), 8);
        QCOMPARE(d.Protocol(), rsNoProtocol);
        QCOMPARE(d.TimeOut(), quint16(1000));
        QCOMPARE(d.EOS(), eosCRLF);
        QVERIFY(!d.IsOpen());
        QCOMPARE(TCommIFace::Terminator(eosEOT), QByteArray("\x04"));
        QCOMPARE(TCommIFace::Terminator(eosEOILF), QByteArray());
    }

    void openFailure() {
        TRS232Device d;
        d.SetPortName(QStringLiteral("/dev/no-such-printer"));
        d.Open();
        QVERIFY(!d.IsOpen());
        QCOMPARE(d.LastError(), int(TCommIFace::errOpen));
        // Exclusive: a second device on the same line is refused.
        TRS232Device second;
        second.SetPortName(m_Slave);
        second.Open();
        QVERIFY(!second.IsOpen());
        QCOMPARE(second.LastError(), int(TCommIFace::errOpen));
    }

    void writeTextWithTerminatorAndLog() {
        QStringList sent;
        m_Device->SetSendLog(&sent);
        m_Device->WriteText("PRINT 1");
        QCOMPARE(m_Device->LastError(), 0);
        QCOMPARE(Received(500, 9), QByteArray("PRINT 1\r\n"));
        // Longer than the classic 2000-byte buffer: still written whole.
        const QByteArray big(5000, 'x');
        m_Device->WriteText(big);
        QCOMPARE(Received(2000, 5002).size(), 5002);
        QCOMPARE(sent, QStringList({"PRINT 1", QString(5000, QLatin1Char('x'))}));
        m_Device->WriteByte(0x1B);
        QCOMPARE(Received(), QByteArray("\x1B"));
    }

    void readLine() {
        QStringList received;
        m_Device->SetReceiveLog(&received);
        Send("first\r\nsecond\r\npart");
        QCOMPARE(m_Device->ReadLine(), QByteArray("first"));
        QCOMPARE(m_Device->ReadLine(), QByteArray("second"));
        QCOMPARE(m_Device->LastError(), 0);
        QElapsedTimer t;
        t.start();
        QCOMPARE(m_Device->ReadLine(), QByteArray("part")); // what arrived before the time-out
        QCOMPARE(m_Device->LastError(), int(TCommIFace::errReadWrite));
        QVERIFY(t.elapsed() >= 250);
        QCOMPARE(received, QStringList({"first", "second", "part"}));

        // The terminator follows EOS from the next open on; without one every call gives one byte.
        m_Device->Close();
        m_Device->SetEOS(eosNone);
        m_Device->Open();
        Send("ab");
        QCOMPARE(m_Device->ReadLine(), QByteArray("a"));
        QCOMPARE(m_Device->LastError(), 0);
        QCOMPARE(m_Device->ReadLine(), QByteArray("b"));
        m_Device->Close();
        m_Device->SetEOS(eosEOT);
        m_Device->Open();
        Send("x\x04");
        QCOMPARE(m_Device->ReadLine(), QByteArray("x"));
    }

    void readByteAndBlock() {
        Send("\x13");
        QCOMPARE(m_Device->ReadByte(), quint8(0x13));
        QCOMPARE(m_Device->LastError(), 0);
        QCOMPARE(m_Device->ReadByte(), quint8(0));
        QCOMPARE(m_Device->LastError(), int(TCommIFace::errReadWrite));

        char buf[16];
        Send("\r\nab\r\nrest");
        // A terminator that is all there is does not end the block; one after data does.
        QCOMPARE(m_Device->ReadBlock(buf, sizeof buf), 6);
        QCOMPARE(QByteArray(buf, 6), QByteArray("\r\nab\r\n"));
        QCOMPARE(m_Device->ReadBlock(buf, 2), 2); // buffer full
        QCOMPARE(m_Device->LastError(), 0);
        QCOMPARE(m_Device->ReadBlock(buf, sizeof buf), 2); // time-out after "st"
        QCOMPARE(m_Device->LastError(), int(TCommIFace::errReadWrite));

        Send("zz");
        QVERIFY(m_Device->ClearInput());
        QCOMPARE(m_Device->ReadByte(), quint8(0));
    }

    void readyWithoutModemLines() { QVERIFY(m_Device->Ready()); }

    void sharedByTwoThreads() {
        // Lines written from two threads at once arrive whole, never interleaved.
        m_Device->SetEOS(eosLF);
        m_Device->Close();
        m_Device->Open();
        const QByteArray a(60, 'A'), b(60, 'B');
        auto writer = [this](const QByteArray& line) {
            return QThread::create([this, line] {
                for (int i = 0; i < 100; ++i)
                    m_Device->WriteText(line);
            });
        };
        std::unique_ptr<QThread> t1(writer(a)), t2(writer(b));
        t1->start();
        t2->start();
        const QByteArray all = Received(10000, 2 * 100 * 61);
        QVERIFY(t1->wait(5000) && t2->wait(5000));
        const auto lines = all.split('\n');
        QCOMPARE(lines.size(), 201);
        for (qsizetype i = 0; i < 200; ++i)
            QVERIFY(lines.at(i) == a || lines.at(i) == b);
    }
};

QTEST_GUILESS_MAIN(TCommIFaceTest)
#include "tst_commiface.moc"
