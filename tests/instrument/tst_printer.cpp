// The line printer against the printer emulator on a pseudo-terminal: the bytes it sends, the
// bit-image lines of a picture, and how it follows XOFF, XON and paper out; the PCX reader.
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>

#include "EmulatorPrinter.h"
#include "GPTPrinters.h"
#include "PCX_16.h"

namespace {

using TItem = TPrinterEmulator::TItem;

// A picture with a pattern that shows every misplaced or lost dot: a diagonal, a border and a
// block at the right edge of a width that is no multiple of 8.
QList<QByteArray> TestRows(int width, int height) {
    QList<QByteArray> rows;
    for (int y = 0; y < height; ++y) {
        QByteArray row((width + 7) / 8, char(0xFF));
        for (int x = 0; x < width; ++x) {
            const bool ink = x == y || x == 0 || y == 0 || x == width - 1 || (x > width - 4 && y % 2);
            if (ink)
                row[x / 8] = char(quint8(row[x / 8]) & ~(0x80 >> (x % 8)));
        }
        rows << row;
    }
    return rows;
}

// The raster the printer should get for those rows: ink is a dot.
QByteArray ExpectedRaster(const QByteArray& row, int width) {
    QByteArray out((width + 7) / 8, '\0');
    for (int x = 0; x < width; ++x)
        if (!(quint8(row[x / 8]) & (0x80 >> (x % 8))))
            out[x / 8] = char(quint8(out[x / 8]) | (0x80 >> (x % 8)));
    return out;
}

QByteArray Header(int bpp, int xmin, int ymin, int xmax, int ymax, int planes, int bytesPerLine) {
    QByteArray h(Pcx::HeaderSize, '\0');
    h[0] = 10;
    h[1] = 5;
    h[2] = 1;
    h[3] = char(bpp);
    auto word = [&](int at, int v) {
        h[at] = char(v & 0xFF);
        h[at + 1] = char((v >> 8) & 0xFF);
    };
    word(4, xmin);
    word(6, ymin);
    word(8, xmax);
    word(10, ymax);
    h[65] = char(planes);
    word(66, bytesPerLine);
    return h;
}

struct TRig {
    TPrinterEmulator Emulator;
    TGPTPrinter Printer;
    std::shared_ptr<std::atomic<qint64>> Now = std::make_shared<std::atomic<qint64>>(0);

    bool Start() {
        if (!Emulator.Start())
            return false;
        auto now = Now;
        Printer.SetClock([now] { return now->load(); });
        Printer.SetPortName(Emulator.SlavePath());
        return Printer.Open();
    }
    // Rounds of the print thread from now on: a round that started after this call has seen
    // everything that happened before it.
    bool WaitRounds(int n) {
        const quint64 from = Printer.Rounds();
        return QTest::qWaitFor([&] { return Printer.Rounds() >= from + quint64(n); }, 20000);
    }
    bool WaitSent() {
        return QTest::qWaitFor([&] { return Printer.Pending() == 0; }, 60000) && WaitRounds(3);
    }
};

} // namespace

class TstPrinter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linesAndSequences() {
        TRig rig;
        QVERIFY2(rig.Start(), qPrintable(rig.Printer.LastErrorText()));
        QVERIFY(rig.Printer.Ready());
        QVERIFY(rig.Printer.Initialise());
        // An ESC in a document text must never become a printer command; what Latin-1 cannot
        // hold prints as "?".
        QVERIFY(rig.Printer.PrintLine(QStringLiteral("DUT \x1bP\x01 7\x7f\u0085x \u00e9\u20ac"), 2));
        QVERIFY(rig.Printer.PrintLine(QStringLiteral("    NORVIK QEL 8624"), 1));
        QTRY_COMPARE_WITH_TIMEOUT(int(rig.Emulator.TextLines().size()), 2, 20000);
        const QByteArray bytes = rig.Emulator.Received();
        QCOMPARE(bytes.left(4), QByteArray::fromHex("1b5b4018"));
        QCOMPARE(bytes.mid(4, 3), QByteArray("\x1bP\x02", 3));
        const QList<TItem> items = rig.Emulator.Items();
        const QList<TItem> expected = {{TItem::Init, 0, {}},
                                       {TItem::ModeSet, 2, {}},
                                       {TItem::Text, 2, QByteArray("DUT  P  7  x \xe9?")},
                                       {TItem::ModeSet, 1, {}},
                                       {TItem::Text, 1, QByteArray("    NORVIK QEL 8624")}};
        QCOMPARE(items, expected);
    }

    // The status reaches the user interface on its own thread, each change once.
    void statusIsQueuedToTheUserInterface() {
        TRig rig;
        QVERIFY(rig.Start());
        QList<int> seen;
        QList<QThread*> threads;
        QObject::connect(&rig.Printer, &TGPTPrinter::StatusChanged, &rig.Printer, [&](int s) {
            seen << s;
            threads << QThread::currentThread();
        });
        rig.Emulator.Send(GPT::XOFF);
        QTRY_COMPARE_WITH_TIMEOUT(int(seen.size()), 1, 20000);
        rig.Emulator.Send(GPT::XOFF);
        rig.Emulator.Send(GPT::XON);
        QTRY_COMPARE_WITH_TIMEOUT(int(seen.size()), 2, 20000);
        rig.Emulator.Send('p');
        QTRY_COMPARE_WITH_TIMEOUT(int(seen.size()), 3, 20000);
        QCOMPARE(seen, (QList<int>{GPT::stXOff, GPT::stXOn, GPT::stPaperOut}));
        QVERIFY(rig.Printer.PaperOut());
        for (QThread* t : threads)
            QCOMPARE(t, QThread::currentThread());
    }

    // XOFF holds the output within a few bytes; XON lets the rest go with nothing lost.
    void xoffHoldsAndXonResumes() {
        TRig rig;
        QVERIFY(rig.Start());
        QByteArray text;
        for (int i = 0; i < 40; ++i) {
            const QString line = QStringLiteral("Line %1 of the flow-control test").arg(i);
            QVERIFY(rig.Printer.PrintLine(line, 2));
            text += QByteArray("\x1bP\x02", 3) + line.toLatin1() + '\r';
        }
        QTRY_VERIFY_WITH_TIMEOUT(rig.Emulator.ReceivedCount() >= 100, 20000);
        const qsizetype mark = rig.Emulator.Send(GPT::XOFF);
        QTRY_COMPARE_WITH_TIMEOUT(rig.Printer.Status(), int(GPT::stXOff), 20000);
        QVERIFY(rig.WaitRounds(5));
        const qsizetype held = rig.Emulator.ReceivedCount();
        QVERIFY2(held - mark <= 10, qPrintable(QString::number(held - mark)));
        QVERIFY(rig.Printer.Pending() > 0);
        QVERIFY(rig.WaitRounds(5));
        QCOMPARE(rig.Emulator.ReceivedCount(), held);
        rig.Emulator.Send(GPT::XON);
        QVERIFY(rig.WaitSent());
        QTRY_COMPARE_WITH_TIMEOUT(rig.Emulator.Received(), text, 20000);
    }

    // Five seconds without a byte from the printer release an XOFF, never a paper out: that
    // waits until the printer reports again.
    void silenceReleasesXoffButNotPaperOut() {
        TRig rig;
        QVERIFY(rig.Start());
        rig.Emulator.Send(GPT::XOFF);
        QTRY_COMPARE_WITH_TIMEOUT(rig.Printer.Status(), int(GPT::stXOff), 20000);
        QVERIFY(rig.Printer.PrintLine(QStringLiteral("after silence"), 2));
        QVERIFY(rig.WaitRounds(3));
        QCOMPARE(int(rig.Emulator.ReceivedCount()), 0);
        *rig.Now += 5001;
        QTRY_COMPARE_WITH_TIMEOUT(rig.Emulator.TextLines(), QStringList{QStringLiteral("after silence")}, 20000);

        rig.Emulator.Clear();
        rig.Emulator.Send(GPT::PaperOutByte);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Printer.PaperOut(), 20000);
        QVERIFY(rig.Printer.PrintLine(QStringLiteral("new paper"), 2));
        *rig.Now += 60000;
        QVERIFY(rig.WaitRounds(5));
        QCOMPARE(int(rig.Emulator.ReceivedCount()), 0);
        QVERIFY(rig.Printer.PaperOut());
        rig.Emulator.Send(GPT::XON);
        QTRY_COMPARE_WITH_TIMEOUT(rig.Emulator.TextLines(), QStringList{QStringLiteral("new paper")}, 20000);
        QVERIFY(!rig.Printer.PaperOut());
    }

    // After a paper out the printer's next status says the paper is back: XON, or any byte but
    // another "P" or an XOFF, releases the output at once (the clock stands still, so no silence
    // does it); an XOFF holds it on until XON.
    void paperBack_data() {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<bool>("released");
        QTest::newRow("XON") << QByteArray(1, GPT::XON) << true;
        QTest::newRow("another byte") << QByteArray("0") << true;
        QTest::newRow("P again") << QByteArray("P") << false;
        QTest::newRow("XOFF, then XON") << QByteArray(1, GPT::XOFF) << false;
    }
    void paperBack() {
        QFETCH(QByteArray, status);
        QFETCH(bool, released);
        TRig rig;
        QVERIFY(rig.Start());
        QSignalSpy statuses(&rig.Printer, &TGPTPrinter::StatusChanged);
        rig.Emulator.Send(GPT::PaperOutByte);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Printer.PaperOut(), 20000);
        QVERIFY(rig.Printer.PrintLine(QStringLiteral("after the paper"), 2));
        QVERIFY(rig.WaitRounds(5));
        QCOMPARE(int(rig.Emulator.ReceivedCount()), 0);
        rig.Emulator.Send(status[0]);
        QVERIFY(rig.WaitRounds(5));
        if (!released) {
            QCOMPARE(int(rig.Emulator.ReceivedCount()), 0);
            rig.Emulator.Send(GPT::XON);
        }
        QTRY_COMPARE_WITH_TIMEOUT(rig.Emulator.TextLines(), QStringList{QStringLiteral("after the paper")}, 20000);
        QVERIFY(!rig.Printer.PaperOut());
        // The next paper out is news again, whatever said the paper was back.
        QTRY_VERIFY_WITH_TIMEOUT(statuses.size() >= 1, 20000);
        const qsizetype before = statuses.size();
        rig.Emulator.Send(GPT::PaperOutByte);
        QTRY_COMPARE_WITH_TIMEOUT(statuses.size(), before + 1, 20000);
        QCOMPARE(statuses.last().first().toInt(), int(GPT::stPaperOut));
    }

    // A printer that is not there when the program opens it (switched on later, a USB adapter
    // plugged in later) is opened by name as soon as it is; one switched off and on again too.
    // Ready follows, and each change reaches the user interface.
    void portOpenedByNameWhenItComes() {
        QTemporaryDir dir;
        const QString port = dir.filePath(QStringLiteral("printer"));
        TPrinterEmulator emulator;
        TGPTPrinter printer;
        printer.SetReopenInterval(20);
        printer.SetPortName(port);
        QSignalSpy ready(&printer, &TGPTPrinter::ReadyChanged);
        QVERIFY(!printer.Open());
        QVERIFY(!printer.Ready());
        QVERIFY(!printer.PrintLine(QStringLiteral("lost"), 2));
        for (int round = 0; round < 2; ++round) {
            QVERIFY2(emulator.Start(port), qPrintable(emulator.ErrorText()));
            QTRY_VERIFY_WITH_TIMEOUT(printer.Ready(), 20000);
            QVERIFY(printer.PrintLine(QStringLiteral("switched on %1").arg(round), 2));
            QTRY_COMPARE_WITH_TIMEOUT(emulator.TextLines().size(), round + 1, 20000);
            emulator.Stop();
            QTRY_VERIFY_WITH_TIMEOUT(!printer.Ready(), 20000);
        }
        QCOMPARE(emulator.TextLines(), (QStringList{"switched on 0", "switched on 1"}));
        QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 4, 20000);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(ready.at(i).first().toBool(), i % 2 == 0);
        printer.Close();
    }

    // A picture's bit-image lines decode back to the picture, right edge included.
    void pictureLines() {
        TRig rig;
        QVERIFY(rig.Start());
        QTemporaryDir dir;
        const int width = 61, height = 20;
        const QList<QByteArray> rows = TestRows(width, height);
        QFile file(dir.filePath(QStringLiteral("t.pcx")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Pcx::Write1Bit(width, rows));
        file.close();
        QVERIFY(rig.Printer.PrintPicture(file.fileName(), false));
        QTRY_COMPARE_WITH_TIMEOUT(int(rig.Emulator.ImageLines().size()), height, 30000);
        const QList<QByteArray> lines = rig.Emulator.ImageLines();
        for (int y = 0; y < height; ++y)
            QCOMPARE(lines[y], ExpectedRaster(rows[y], width));
        QVERIFY(!rig.Printer.PrintPicture(dir.filePath(QStringLiteral("missing.pcx")), false));
    }

    // The logo that ships with the program is a 1-bit picture of the printer's width that
    // decodes to the bit-image lines it was drawn as.
    void logoDecodes() {
        QFile file(QString::fromLocal8Bit(qgetenv("QEL_SOURCE_DIR")) + QStringLiteral("/data/Norvik.pcx"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        TPcxPicture picture;
        QString why;
        QVERIFY2(Pcx::Read(file.readAll(), picture, &why), qPrintable(why));
        QCOMPARE(picture.BitsPerPixel, 1);
        QVERIFY(picture.Width <= 255 * 8);
        const QList<QByteArray> lines = Pcx::BitImageLines(picture, false);
        QCOMPARE(int(lines.size()), picture.Height);
        int dots = 0;
        for (int y = 0; y < picture.Height; ++y)
            for (int x = 0; x < picture.Width; ++x) {
                const bool dot = quint8(lines[y][x / 8]) & (0x80 >> (x % 8));
                QCOMPARE(dot, picture.Pixel(x, y) == 0);
                dots += dot;
            }
        QVERIFY(dots > 500);
    }

    void bitImageLineLength_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("bytes");
        QTest::newRow("1 pixel") << 1 << 1;
        QTest::newRow("8 pixels") << 8 << 1;
        QTest::newRow("9 pixels") << 9 << 2;
        QTest::newRow("384 pixels") << 384 << 48;
        QTest::newRow("2040 pixels") << 2040 << 255;
        QTest::newRow("3000 pixels, cut") << 3000 << 255;
    }
    void bitImageLineLength() {
        QFETCH(int, width);
        QFETCH(int, bytes);
        TPcxPicture picture;
        QVERIFY(Pcx::Read(Pcx::Write1Bit(width, TestRows(width, 3)), picture));
        const QList<QByteArray> lines = Pcx::BitImageLines(picture, false);
        QCOMPARE(int(lines.size()), 3);
        QCOMPARE(int(lines[0].size()), bytes);
        const QByteArray line = TGPTPrinter::BitImageLine(lines[0]);
        QCOMPARE(line.left(2), QByteArray("\x1bg"));
        QCOMPARE(quint8(line[2]), quint8(bytes));
        QCOMPARE(int(line.size()), 3 + bytes);
        // The rightmost pixel (a border dot) is there.
        if (width <= 2040)
            QVERIFY(quint8(lines[1][(width - 1) / 8]) & (0x80 >> ((width - 1) % 8)));
    }

    void pcxReaderChecks_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("ok");
        const QByteArray data(8, char(0xAA));
        QTest::newRow("good 16 x 2") << Header(1, 0, 0, 15, 1, 1, 2) + QByteArray(4, char(0x55)) << true;
        QTest::newRow("offset window") << Header(1, 5, 7, 20, 8, 1, 2) + QByteArray(4, '\0') << true;
        QTest::newRow("run crossing the line") << Header(1, 0, 0, 15, 1, 1, 2) + QByteArray("\xc4\x11", 2) << true;
        QTest::newRow("not pcx") << QByteArray(200, 'x') << false;
        QTest::newRow("short header") << Header(1, 0, 0, 15, 1, 1, 2).left(100) << false;
        QTest::newRow("3 bits per pixel") << Header(3, 0, 0, 15, 1, 1, 6) + data << false;
        QTest::newRow("0 planes") << Header(1, 0, 0, 15, 1, 0, 2) + data << false;
        QTest::newRow("9 planes") << Header(1, 0, 0, 15, 1, 9, 2) + data << false;
        QTest::newRow("lines too short") << Header(1, 0, 0, 15, 1, 1, 1) + data << false;
        QTest::newRow("xmax below xmin") << Header(1, 10, 0, 5, 1, 1, 2) + data << false;
        QTest::newRow("huge height") << Header(1, 0, 0, 15, 65535, 1, 2) + data << false;
        QTest::newRow("truncated data") << Header(1, 0, 0, 15, 3, 1, 2) + QByteArray(5, '\0') << false;
        QTest::newRow("run count at the end") << Header(1, 0, 0, 15, 1, 1, 2) + QByteArray("\x01\x02\x03\xc1", 4)
                                              << false;
        QTest::newRow("8 bits, blank") << Header(8, 0, 0, 3, 1, 1, 4) + data << true;
    }
    void pcxReaderChecks() {
        QFETCH(QByteArray, file);
        QFETCH(bool, ok);
        TPcxPicture picture;
        QCOMPARE(Pcx::Read(file, picture), ok);
        if (!ok)
            return;
        QCOMPARE(int(picture.Lines.size()), picture.Height);
        for (const QByteArray& line : picture.Lines)
            QCOMPARE(line.size(), qsizetype(picture.Planes) * picture.BytesPerLine);
        const QList<QByteArray> lines = Pcx::BitImageLines(picture, true);
        if (picture.BitsPerPixel != 1)
            for (const QByteArray& l : lines)
                QCOMPARE(l, QByteArray(l.size(), '\0'));
    }
};

QTEST_MAIN(TstPrinter)
#include "tst_printer.moc"
