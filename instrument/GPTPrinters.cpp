// The line printer: its send buffer, the print thread and the bytes of its control sequences.
#include "GPTPrinters.h"

#include "PCX_16.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMutexLocker>

#include <algorithm>
#include <pthread.h>
#include <time.h>

namespace {

// Bytes handed to the port in one go: small, so that an XOFF finds little on its way.
constexpr int Batch = 4;
// A little slower than the line, so the port's queue never grows.
constexpr double BitsPerByte = 10.5;
constexpr unsigned long IdleWaitMs = 100;
constexpr qint64 HeldWaitNs = 20'000'000;

} // namespace

// ------------------------------------------------------------------ the print thread

qint64 TPrintThread::CpuTimeNs() const {
    if (!FHaveHandle)
        return 0;
    clockid_t id;
    timespec t{};
    if (pthread_getcpuclockid(FHandle, &id) != 0 || clock_gettime(id, &t) != 0)
        return 0;
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void TPrintThread::run() {
    FHandle = pthread_self();
    FHaveHandle = true;
    TGPTPrinter& p = FPrinter;
    const std::function<qint64()> clock = p.FClock;
    const qint64 byteNs = qint64(BitsPerByte * 1e9 / p.FBaud);
    QElapsedTimer pace;
    pace.start();
    qint64 nextDue = 0;
    qint64 lastContact = clock();
    while (!p.FStop) {
        ++p.FRounds;
        if (!p.FOpen) {
            // Not there (yet): by name again after a while, as the instrument link does.
            p.FPort.Open();
            if (!p.FPort.IsOpen()) {
                QMutexLocker lock(&p.FLock);
                if (!p.FStop)
                    p.FWake.wait(&p.FLock, static_cast<unsigned long>(std::max(1, p.FReopenMs)));
                continue;
            }
            // A printer switched on anew holds nothing back until it says so.
            p.FPaused = false;
            p.FPaperOut = false;
            lastContact = clock();
            p.FCts = p.FPort.Ready();
            p.FOpen = true;
            p.ReportReady();
        }
        // The printer's bytes: every one refreshes the contact and ends a paper out first; after
        // a paper out, any byte but "P" and XOFF says the paper is back.
        char in[64];
        int status = GPT::stNone;
        bool paperBack = false;
        int n = 0;
        while ((n = p.FPort.ReadPending(in, int(sizeof in))) > 0) {
            for (int i = 0; i < n; ++i) {
                const bool wasOut = p.FPaperOut.exchange(false);
                const char b = in[i] >= 'a' && in[i] <= 'z' ? char(in[i] - 'a' + 'A') : in[i];
                if (b == GPT::XON) {
                    status = GPT::stXOn;
                    p.FPaused = false;
                } else if (b == GPT::XOFF) {
                    status = GPT::stXOff;
                    p.FPaused = true;
                } else if (b == GPT::PaperOutByte) {
                    status = GPT::stPaperOut;
                    p.FPaused = true;
                    p.FPaperOut = true;
                } else if (wasOut) {
                    p.FPaused = false;
                    paperBack = true;
                }
            }
            lastContact = clock();
        }
        // A printer that went quiet after XOFF is taken as ready again; one without paper is not.
        if (p.FPaused && !p.FPaperOut && clock() - lastContact > p.FSilenceLimit) {
            p.FPaused = false;
            lastContact = clock();
        }
        if (status != GPT::stNone) {
            p.Report(status);
        } else if (paperBack) {
            // No status byte of its own: the next paper out is news again.
            int out = GPT::stPaperOut;
            p.FReported.compare_exchange_strong(out, GPT::stNone);
        }
        if (n < 0) {
            // The line is gone (a hang-up, the printer switched off): closed, and opened by name
            // again from the next round on. What is still queued goes out once it is back.
            p.FPort.Close();
            p.FOpen = false;
            p.FCts = false;
            p.ReportReady();
            continue;
        }
        const bool cts = p.FPort.Ready();
        p.FCts = cts;
        p.ReportReady();
        const bool held = p.FPaused || !cts;

        QByteArray chunk;
        bool empty = true;
        {
            QMutexLocker lock(&p.FLock);
            if (!held && !p.FBuffer.isEmpty()) {
                const qint64 now = pace.nsecsElapsed();
                // No credit for time spent waiting beyond one group: the thread wakes when a whole
                // group is due, so a credit of less would send half groups at half the pace.
                nextDue = std::max(nextDue, now - Batch * byteNs);
                int k = 0;
                while (k < Batch && k < p.FBuffer.size() && nextDue <= now) {
                    ++k;
                    nextDue += byteNs;
                }
                chunk = p.FBuffer.left(k);
                p.FBuffer.remove(0, k);
            }
            empty = p.FBuffer.isEmpty();
            if (empty && chunk.isEmpty() && !held && !p.FStop)
                p.FWake.wait(&p.FLock, IdleWaitMs);
        }
        if (!chunk.isEmpty() && !p.FPort.WriteBytes(chunk)) {
            // The line refused the bytes: they stay first in the buffer for the next round.
            QMutexLocker lock(&p.FLock);
            p.FBuffer.prepend(chunk);
            p.FWake.wait(&p.FLock, IdleWaitMs);
            continue;
        }
        if (held)
            p.FPort.WaitForInput(HeldWaitNs);
        else if (!empty)
            p.FPort.WaitForInput(std::max<qint64>(0, nextDue + (Batch - 1) * byteNs - pace.nsecsElapsed()));
    }
}

// ------------------------------------------------------------------ the printer

TGPTPrinter::TGPTPrinter(QObject* parent) : QObject(parent) {
    auto ticks = std::make_shared<QElapsedTimer>();
    ticks->start();
    FClock = [ticks] { return ticks->elapsed(); };
    FPort.SetBaudRate(FBaud);
    FPort.SetDataBits(8);
    FPort.SetParity(rsNone);
    FPort.SetStopBits(1);
    FPort.SetProtocol(rsNoProtocol);
    FPort.SetEOS(eosNone);
    FPort.SetTimeOut(1000);
}

TGPTPrinter::~TGPTPrinter() {
    Close();
}

bool TGPTPrinter::Open() {
    Close();
    FPort.SetComPort(FPortNumber);
    FPort.SetPortName(FPortName);
    FPort.Open();
    FOpen = FPort.IsOpen();
    FLastError = FPort.LastErrorText();
    FCts = FOpen && FPort.Ready();
    FReadyReported = Ready();
    FPaused = false;
    FPaperOut = false;
    FStop = false;
    // Also without the port: the thread opens it as soon as it is there.
    FThread = std::make_unique<TPrintThread>(*this);
    FThread->setObjectName(QStringLiteral("Printer"));
    FThread->start();
    return FOpen;
}

void TGPTPrinter::Close() {
    if (FThread) {
        {
            QMutexLocker lock(&FLock);
            FStop = true;
            FWake.wakeAll();
        }
        FThread->wait();
        FThread.reset();
    }
    FPort.Close();
    FOpen = false;
    FCts = false;
    FReadyReported = false;
}

bool TGPTPrinter::Ready() const {
    return FOpen && FCts;
}

qsizetype TGPTPrinter::Pending() const {
    QMutexLocker lock(&FLock);
    return FBuffer.size();
}

qint64 TGPTPrinter::ThreadCpuNs() const {
    return FThread ? FThread->CpuTimeNs() : 0;
}

void TGPTPrinter::Report(int status) {
    if (FReported.exchange(status) == status)
        return;
    // Runs on the print thread: the signal goes out on the printer's own thread.
    QMetaObject::invokeMethod(this, [this, status] { Q_EMIT StatusChanged(status); }, Qt::QueuedConnection);
}

void TGPTPrinter::ReportReady() {
    const bool ready = Ready();
    if (FReadyReported.exchange(ready) == ready)
        return;
    QMetaObject::invokeMethod(this, [this, ready] { Q_EMIT ReadyChanged(ready); }, Qt::QueuedConnection);
}

bool TGPTPrinter::Queue(const QByteArray& bytes) {
    if (!Ready())
        return false;
    QMutexLocker lock(&FLock);
    FBuffer += bytes;
    FQueued += quint64(bytes.size());
    FWake.wakeAll();
    return true;
}

bool TGPTPrinter::Initialise() {
    return Queue(GPT::Initialise);
}

QByteArray TGPTPrinter::PrinterText(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            out += ' ';
        else if (u > 0xFF)
            out += '?';
        else
            out += char(u);
    }
    return out;
}

QByteArray TGPTPrinter::BitImageLine(const QByteArray& raster) {
    const QByteArray bytes = raster.left(255);
    return QByteArray("\x1bg", 2) + char(quint8(bytes.size())) + bytes;
}

bool TGPTPrinter::PrintLine(const QString& text, int mode) {
    return Queue(QByteArray("\x1bP", 2) + char(quint8(mode)) + PrinterText(text) + '\r');
}

bool TGPTPrinter::PrintPicture(const QString& fileName, bool invert) {
    if (!Ready())
        return false;
    QFile file(fileName);
    // A picture file is small; one larger than any printable picture is no picture for us.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 16 * 1024 * 1024)
        return false;
    TPcxPicture picture;
    if (!Pcx::Read(file.readAll(), picture))
        return false;
    QByteArray bytes;
    for (const QByteArray& raster : Pcx::BitImageLines(picture, invert))
        bytes += BitImageLine(raster);
    return Queue(bytes);
}
