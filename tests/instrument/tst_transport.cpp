// The framed transport over a real pseudo-terminal, with the instrument emulator as its peer.
#include "Qel8624Emulator.h"
#include "RS232Comms.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>

using Comms = TVuroRS232Comms;

// The deadlines scaled down by ten (the program keeps 3 s and 6 s).
constexpr Comms::TDeadlines Tenth{300, 600, 300};

class TTransportTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TQel8624Emulator> m_Emulator;
    Comms m_Link;

    // Sends one request and returns the transport's result.
    quint8 Send(const QStringList& tokens) {
        m_Link.AddTokens(tokens);
        return m_Link.Exchange();
    }
    void Fault(TEmulatorFault::TKind kind, int delayMs = 0, const QString& request = QStringLiteral("C M")) {
        TEmulatorFault f;
        f.Kind = kind;
        f.Request = request;
        f.ByteDelayMs = delayMs;
        m_Emulator->AddFault(f);
    }

private Q_SLOTS:
    void init() {
        m_Link.SetDeadlines({});
        m_Emulator = std::make_unique<TQel8624Emulator>();
        QVERIFY2(m_Emulator->Start(), qPrintable(m_Emulator->ErrorText()));
        QCOMPARE(m_Link.Open(m_Emulator->SlavePath()), quint8(Comms::rcOK));
    }
    void cleanup() {
        m_Link.Close();
        m_Emulator.reset();
    }

    void encodings() {
        QCOMPARE(Comms::BuildFrame({"T", "I", "S", "a:b/c~"}), QByteArray("+T:I:S:a/:b//c/~:~:"));
        QCOMPARE(Comms::BuildFrame({"C", "O"}), QByteArray("+C:O:~:"));
        QCOMPARE(Comms::IntToken(1), QStringLiteral("00000001"));
        QCOMPARE(Comms::IntToken(-1), QStringLiteral("FFFFFFFF"));
        QCOMPARE(Comms::FloatToken(1.0f), QStringLiteral("3F800000"));
        QCOMPARE(Comms::FloatToken(0.0f), QStringLiteral("0"));
        QCOMPARE(Comms::FloatToken(-2.0f), QStringLiteral("C0000000"));
        QCOMPARE(Comms::DecodeInt(QStringLiteral(" FFFFFFFF ")), -1);
        QCOMPARE(Comms::DecodeInt(QStringLiteral("xyz")), 0);
        QCOMPARE(Comms::DecodeInt(QStringLiteral("123456789")), 0); // more than 32 bits
        QVERIFY(!Comms::DecodeFloat(QStringLiteral("1.5")));
        QVERIFY(!Comms::DecodeFloat(QString()));
        // Hexadecimal digits only: no sign, no prefix.
        QCOMPARE(Comms::DecodeInt(QStringLiteral("0x10")), 0);
        QCOMPARE(Comms::DecodeInt(QStringLiteral("+1")), 0);
        QCOMPARE(Comms::DecodeInt(QStringLiteral("-1")), 0);
        QCOMPARE(Comms::DecodeInt(QStringLiteral("1 2")), 0);
        QCOMPARE(Comms::DecodeInt(QStringLiteral("00000000b")), 11);
        QVERIFY(!Comms::DecodeFloat(QStringLiteral("0x3F800000")));
        QVERIFY(!Comms::DecodeFloat(QStringLiteral("+3F800000")));
        QCOMPARE(Comms::DecodeFloat(QStringLiteral(" 3f800000 ")).value_or(0), 1.0f);
    }

    void splitting() {
        const auto f = Comms::SplitReply("+OK:00000003:3F800000:~:");
        QVERIFY(f);
        QCOMPARE(*f, QStringList({"+OK", "00000003", "3F800000", "~"}));
        QCOMPARE(Comms::SplitReply("+OK:x/:y:~:")->at(1), QStringLiteral("x:y"));
        // A field ending in an escaped "/" still ends at its ":".
        QCOMPARE(*Comms::SplitReply("+OK:a//:b:~:"), QStringList({"+OK", "a/", "b", "~"}));
        QCOMPARE(*Comms::SplitReply(Comms::BuildFrame({"OK", "/:~//", ""})),
                 QStringList({"+OK", "/:~//", "", "~"}));
        QVERIFY(!Comms::SplitReply(""));
    }

    void dates() {
        QCOMPARE(Comms::DecodeDateTime(QStringLiteral("0A0C1F173B3B")),
                 QDateTime(QDate(2010, 12, 31), QTime(23, 59, 59)));
        QVERIFY(!Comms::DecodeDateTime(QStringLiteral("0A0D01000000")).isValid()); // month 13
        QVERIFY(!Comms::DecodeDateTime(QStringLiteral("0A0001000000")).isValid()); // month 0
        QVERIFY(!Comms::DecodeDateTime(QStringLiteral("0A021E000000")).isValid()); // 30 February
        QVERIFY(!Comms::DecodeDateTime(QStringLiteral("0A0C1F173B")).isValid());   // too short
        QVERIFY(!Comms::DecodeDateTime(QStringLiteral("0A0C1F17GG3B")).isValid());
        QVERIFY(!Comms::DecodeDateTime(QStringLiteral("+A0C1F173B3B")).isValid()); // a sign is no digit
        const QDateTime when(QDate(2026, 12, 9), QTime(5, 23, 0));
        QCOMPARE(Comms::DecodeDateTime(Comms::EncodeDateTime(when)), when);
    }

    void portNames() {
        QCOMPARE(Comms::SystemPortName(QStringLiteral("COM1")), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(Comms::SystemPortName(QStringLiteral("COM12")), QStringLiteral("/dev/ttyS11"));
        QCOMPARE(Comms::SystemPortName(QStringLiteral("ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(Comms::SystemPortName(QStringLiteral("/dev/pts/7")), QStringLiteral("/dev/pts/7"));
    }

    void typedReadsOfAReply() {
        // The far end of a bare pseudo-terminal answers the request with exactly this frame.
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const QString slave = QString::fromLocal8Bit(::ptsname(master));
        Comms link;
        QCOMPARE(link.Open(slave), quint8(Comms::rcOK));
        std::thread peer([master] {
            QByteArray request;
            while (!request.contains(":~:")) {
                pollfd p{master, POLLIN, 0};
                char buffer[256];
                const auto n = ::poll(&p, 1, 5000) > 0 ? ::read(master, buffer, sizeof buffer) : -1;
                if (n <= 0)
                    return;
                request.append(buffer, n);
            }
            const QByteArray reply("+OK:00000003:3F800000:~:");
            [[maybe_unused]] const auto w = ::write(master, reply.constData(), size_t(reply.size()));
        });
        link.AddText(QStringLiteral("S"));
        link.AddText(QStringLiteral("Q"));
        const quint8 rc = link.Exchange();
        peer.join();
        link.Close();
        ::close(master);
        QCOMPARE(rc, quint8(Comms::rcOK));
        QCOMPARE(link.ReplyFields(), QStringList({"+OK", "00000003", "3F800000", "~"}));
        QCOMPARE(link.ReplyInt(1), 3);
        QCOMPARE(link.ReplyFloat(2), 1.0f);
    }

    void closedPort() {
        Comms never;
        never.AddText(QStringLiteral("C"));
        never.AddText(QStringLiteral("O"));
        QCOMPARE(never.Exchange(), quint8(Comms::rcNotOpen));
        QCOMPARE(never.Tokens(), QStringList({"C", "O"}));
        QCOMPARE(never.TokensText(), QStringLiteral("C,O"));
        // The next request starts afresh.
        never.AddText(QStringLiteral("I"));
        QCOMPARE(never.Tokens(), QStringList({"I"}));

        QCOMPARE(never.Open(QStringLiteral("/dev/no-such-port")), quint8(Comms::rcSystemError));
        QCOMPARE(never.LastSystemError(), quint32(ENOENT));
        QVERIFY(!never.IsOpen());
        QVERIFY(!never.LastErrorText().isEmpty());
    }

    void exchange() {
        QCOMPARE(m_Link.Open(m_Emulator->SlavePath()), quint8(Comms::rcOK)); // already open
        QCOMPARE(m_Link.Exchange(), quint8(Comms::rcOK));                    // no tokens: nothing sent
        m_Link.AddText(QStringLiteral("I"));
        QCOMPARE(m_Link.Exchange(), quint8(Comms::rcOK));
        QVERIFY(m_Link.Tokens().isEmpty());
        QCOMPARE(m_Link.ReplyFields(), QStringList({"+OK", "QEL 8624", "86240117", "2.05.12", "~"}));
        QCOMPARE(m_Link.ReplyText(), QStringLiteral("+OK,QEL 8624,86240117,2.05.12,~"));

        QCOMPARE(Send({"M", "R", "S", Comms::IntToken(1)}), quint8(Comms::rcOK));
        QCOMPARE(m_Link.ReplyInt(1), 0x020B);
        QCOMPARE(m_Link.ReplyFloat(3), 110.0f);
        QCOMPARE(m_Link.ReplyInt(42), 0); // missing field
        QVERIFY_THROWS_EXCEPTION(EConvertError, m_Link.ReplyFloat(42));
        QVERIFY_THROWS_EXCEPTION(EConvertError, m_Link.ReplyFloat(0)); // "+OK" is no number

        // Only the frame the application sent was seen, byte for byte.
        const auto frames = m_Emulator->Frames();
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames.at(0).Raw, QByteArray("+I:~:"));
        QCOMPARE(frames.at(1).Raw, QByteArray("+M:R:S:00000001:~:"));
        QCOMPARE(m_Emulator->InvalidFrames(), 0);
    }

    void splitReplyWithinDeadlines() {
        // Three pieces apart by half the progress deadline: the whole takes longer than one
        // progress deadline but ends within the absolute one.
        m_Link.SetDeadlines({1500, 6000, 1500});
        Fault(TEmulatorFault::Pieces, 750);
        QElapsedTimer t;
        t.start();
        QCOMPARE(Send({"C", "M"}), quint8(Comms::rcOK));
        QVERIFY(t.elapsed() >= 1500);
        QCOMPARE(m_Link.ReplyField(0), QStringLiteral("+OK"));
    }

    void gapBeyondProgressDeadline() {
        // A gap that never ends (the second piece comes after a minute).
        m_Link.SetDeadlines(Tenth);
        Fault(TEmulatorFault::Pieces, 60000);
        QElapsedTimer t;
        t.start();
        QCOMPARE(Send({"C", "M"}), quint8(Comms::rcTimeOut));
        QVERIFY(t.elapsed() >= Tenth.ProgressMs);
        QCOMPARE(m_Link.Tokens(), QStringList({"C", "M"})); // kept for the status bar
        m_Link.AddText(QStringLiteral("I"));                // until the next request
        QCOMPARE(m_Link.Tokens(), QStringList({"I"}));
    }

    void replyBeyondAbsoluteDeadline() {
        // Progress all the time (a byte every 40 ms, far inside the progress deadline), but the
        // reply of about 33 bytes needs twice the absolute deadline.
        m_Link.SetDeadlines(Tenth);
        Fault(TEmulatorFault::Slow, 40, QStringLiteral("I"));
        QElapsedTimer t;
        t.start();
        QCOMPARE(Send({"I"}), quint8(Comms::rcTimeOut));
        QVERIFY(t.elapsed() >= Tenth.AbsoluteMs);
        QVERIFY(!m_Link.ReceivedText().isEmpty()); // it did see progress
    }

    void portHeldByAnotherProgram() {
        // The port is open here already: a second open is told the port is in use, not that
        // the user lacks a group.
        Comms second;
        QCOMPARE(second.Open(m_Emulator->SlavePath()), quint8(Comms::rcSystemError));
        QVERIFY2(second.LastErrorText().contains(QStringLiteral("in use")),
                 qPrintable(second.LastErrorText()));
        QVERIFY(!second.LastErrorText().contains(QStringLiteral("dialout")));
        QCOMPARE(second.LastSystemError(), quint32(EBUSY));
    }

    void bytesAfterTheEndAreDiscarded() {
        Fault(TEmulatorFault::Trailing);
        QCOMPARE(Send({"C", "M"}), quint8(Comms::rcOK));
        QCOMPARE(m_Link.ReceivedText(), QStringLiteral("+OK:~:"));
        QCOMPARE(m_Link.ReplyFields(), QStringList({"+OK", "~"}));
        // They do not leak into the next reply either.
        QCOMPARE(Send({"I"}), quint8(Comms::rcOK));
        QCOMPARE(m_Link.ReplyField(1), QStringLiteral("QEL 8624"));
    }

    void faultsGiveTheirResultCodes() {
        m_Link.SetDeadlines(Tenth);
        Fault(TEmulatorFault::Refuse, 0, QStringLiteral("T M R"));
        QCOMPARE(Send({"T", "M", "R"}), quint8(Comms::rcOK));
        QCOMPARE(m_Link.ReplyField(0), QStringLiteral("+ERROR"));
        QCOMPARE(m_Link.ReplyInt(1), 0x901);
        QVERIFY(m_Link.ReceivedText().contains(QLatin1String("+ERROR:")));

        Fault(TEmulatorFault::Slow, 20);
        QCOMPARE(Send({"C", "M"}), quint8(Comms::rcOK));

        for (auto kind : {TEmulatorFault::Silent, TEmulatorFault::Garbage, TEmulatorFault::Partial}) {
            Fault(kind);
            QCOMPARE(Send({"C", "M"}), quint8(Comms::rcTimeOut));
            // The link recovers with the next request.
            QCOMPARE(Send({"C", "M"}), quint8(Comms::rcOK));
        }

        Fault(TEmulatorFault::Hangup);
        QElapsedTimer t;
        t.start();
        QCOMPARE(Send({"C", "M"}), quint8(Comms::rcLineError));
        QVERIFY(t.elapsed() < 2000); // noticed at once, not by the deadline
    }

    void openedHereUsedByAnotherThread() {
        // The port follows the thread that does the exchanges, without notifier complaints.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        Comms link;
        std::unique_ptr<QThread> worker(QThread::create([&link] {
            link.AddText(QStringLiteral("I"));
            const quint8 rc = link.Exchange();
            link.AddText(QString::number(rc)); // hand the result back through the tokens
            link.Close();
        }));
        link.SetWorkerThread(worker.get());
        m_Link.Close();
        QCOMPARE(link.Open(m_Emulator->SlavePath()), quint8(Comms::rcOK));
        worker->start();
        QVERIFY(worker->wait(10000));
        QCOMPARE(link.Tokens(), QStringList({"0"}));
        QCOMPARE(link.ReplyField(1), QStringLiteral("QEL 8624"));
    }

    void malformedRequestIsRejected() {
        // An integer token in lower case is no valid argument.
        QCOMPARE(Send({"T", "S", "V", "0000020b", "00000064"}), quint8(Comms::rcOK));
        QCOMPARE(m_Link.ReplyField(0), QStringLiteral("+ERROR"));
        QCOMPARE(m_Emulator->InvalidFrames(), 1);
        QVERIFY(!m_Emulator->Frames().constLast().Problem.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TTransportTest)
#include "tst_transport.moc"
