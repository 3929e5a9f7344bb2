#include "EmulatorPrinter.h"

#include "EmulatorPty.h"

#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// The printer's side of the byte stream: control sequences and text lines.
class TDecoder {
public:
    explicit TDecoder(QList<TPrinterEmulator::TItem>& items) : FItems(items) {}

    void Feed(quint8 b) {
        using I = TPrinterEmulator::TItem;
        switch (FState) {
        case sText:
            if (b == 0x1B)
                FState = sEsc;
            else if (b == '\r') {
                FItems.append({I::Text, FMode, FText});
                FText.clear();
            } else
                FText += char(b);
            return;
        case sEsc:
            FState = sText;
            if (b == '[')
                FState = sInit1;
            else if (b == 'P')
                FState = sMode;
            else if (b == 'g')
                FState = sCount;
            else
                FItems.append({I::Unknown, FMode, QByteArray("\x1b", 1) + char(b)});
            return;
        case sInit1:
            FState = b == '@' ? sInit2 : sText;
            if (b != '@')
                FItems.append({I::Unknown, FMode, QByteArray("\x1b[", 2) + char(b)});
            return;
        case sInit2:
            FState = sText;
            FItems.append(b == 0x18 ? I{I::Init, FMode, {}} : I{I::Unknown, FMode, QByteArray("\x1b[@", 3) + char(b)});
            return;
        case sMode:
            FMode = b;
            FItems.append({I::ModeSet, FMode, {}});
            FState = sText;
            return;
        case sCount:
            FCount = b;
            FImage.clear();
            FState = FCount == 0 ? sText : sImage;
            if (FCount == 0)
                FItems.append({I::Image, FMode, {}});
            return;
        case sImage:
            FImage += char(b);
            if (FImage.size() == FCount) {
                FItems.append({I::Image, FMode, FImage});
                FState = sText;
            }
            return;
        }
    }

private:
    enum { sText, sEsc, sInit1, sInit2, sMode, sCount, sImage } FState = sText;
    QList<TPrinterEmulator::TItem>& FItems;
    QByteArray FText, FImage;
    int FMode = 0;
    int FCount = 0;
};

} // namespace

struct TPrinterEmulator::TPrivate {
    int Baud = 9600;
    int LineFd = -1;
    int KeepFd = -1;
    QString SlavePath, LinkPath, ErrorText;
    std::atomic<bool> Running{false};
    std::thread Thread;
    mutable QMutex Lock;
    QByteArray Received;
    QList<TItem> Items;
    std::unique_ptr<TDecoder> Decoder;

    void Loop() {
        using Clock = std::chrono::steady_clock;
        // One byte per character time: 10 bits at the line's rate; a short burst may be taken
        // at once after a wait, as a receive buffer would.
        const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / Baud);
        auto credit = Clock::now();
        while (Running) {
            pollfd p{LineFd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
                continue;
            const auto now = Clock::now();
            credit = std::max(credit, now - 4 * byteTime);
            int allowed = int((now - credit) / byteTime);
            if (allowed < 1) {
                std::this_thread::sleep_until(credit + byteTime);
                allowed = 1;
            }
            QMutexLocker lock(&Lock);
            const qsizetype n = Take(std::min<int>(allowed, 16));
            if (n > 0)
                credit += n * byteTime;
        }
    }

    // Reads what has arrived, up to max bytes, into the log and the decoder (the lock held).
    qsizetype Take(int max) {
        char buffer[256];
        const auto n = ::read(LineFd, buffer, size_t(std::min<int>(max, int(sizeof buffer))));
        if (n <= 0)
            return 0;
        Received.append(buffer, n);
        for (qsizetype i = 0; i < n; ++i)
            Decoder->Feed(quint8(buffer[i]));
        return n;
    }
};

TPrinterEmulator::TPrinterEmulator(int baud) : d(std::make_unique<TPrivate>()) {
    d->Baud = std::max(300, baud);
    d->Decoder = std::make_unique<TDecoder>(d->Items);
}

TPrinterEmulator::~TPrinterEmulator() {
    Stop();
}

bool TPrinterEmulator::Start(const QString& linkPath) {
    if (d->Running)
        return true;
    TEmulatorPty pty;
    if (!OpenEmulatorPty(pty, d->ErrorText))
        return false;
    if (!linkPath.isEmpty() && !LinkEmulatorPty(pty.SlavePath, linkPath, d->ErrorText)) {
        ::close(pty.LineFd);
        if (pty.KeepFd >= 0)
            ::close(pty.KeepFd);
        return false;
    }
    d->LinkPath = linkPath;
    d->SlavePath = pty.SlavePath;
    d->KeepFd = pty.KeepFd;
    const int fd = pty.LineFd;
    // Non-blocking: a status byte sent from another thread may take what a poll announced.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    d->LineFd = fd;
    d->Running = true;
    d->Thread = std::thread([this] { d->Loop(); });
    return true;
}

void TPrinterEmulator::Stop() {
    if (!d->Running)
        return;
    d->Running = false;
    d->Thread.join();
    ::close(d->LineFd);
    if (d->KeepFd >= 0)
        ::close(d->KeepFd);
    d->LineFd = d->KeepFd = -1;
    if (!d->LinkPath.isEmpty())
        UnlinkEmulatorPty(d->SlavePath, d->LinkPath);
    d->LinkPath.clear();
}

QString TPrinterEmulator::SlavePath() const {
    return d->SlavePath;
}

QString TPrinterEmulator::ErrorText() const {
    return d->ErrorText;
}

qsizetype TPrinterEmulator::Send(char status) {
    QMutexLocker lock(&d->Lock);
    // What is on its way was sent before the status byte: it counts as received before it.
    while (d->LineFd >= 0 && d->Take(256) > 0) {
    }
    const qsizetype before = d->Received.size();
    if (d->LineFd >= 0)
        (void)!::write(d->LineFd, &status, 1);
    return before;
}

QByteArray TPrinterEmulator::Received() const {
    QMutexLocker lock(&d->Lock);
    return d->Received;
}

qsizetype TPrinterEmulator::ReceivedCount() const {
    QMutexLocker lock(&d->Lock);
    return d->Received.size();
}

QList<TPrinterEmulator::TItem> TPrinterEmulator::Items() const {
    QMutexLocker lock(&d->Lock);
    return d->Items;
}

QStringList TPrinterEmulator::TextLines() const {
    QStringList lines;
    for (const TItem& item : Items())
        if (item.Kind == TItem::Text)
            lines << QString::fromLatin1(item.Bytes);
    return lines;
}

QList<QByteArray> TPrinterEmulator::ImageLines() const {
    QList<QByteArray> lines;
    for (const TItem& item : Items())
        if (item.Kind == TItem::Image)
            lines << item.Bytes;
    return lines;
}

void TPrinterEmulator::Clear() {
    QMutexLocker lock(&d->Lock);
    d->Received.clear();
    d->Items.clear();
    d->Decoder = std::make_unique<TDecoder>(d->Items);
}
