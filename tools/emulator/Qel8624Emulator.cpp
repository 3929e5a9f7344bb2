#include "Qel8624Emulator.h"

#include "EmulatorFrameReader.h"
#include "EmulatorInstrument.h"
#include "EmulatorPty.h"
#include "RS232Comms.h"

#include <QDateTime>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

struct TQel8624Emulator::TPrivate {
    mutable std::mutex Mutex;
    mutable std::condition_variable FrameLogged;
    TEmulatorInstrument Instrument;
    TEmulatorFrameReader Reader;
    QList<TEmulatorFault> Faults;
    QList<TEmulatorFrame> Frames;
    std::function<void(const QString&)> Sink;
    QString SlavePath, ErrorText, LinkPath;
    QList<QByteArray> HeldReplies;

    int LineFd = -1; // master end of the pty, or the serial device
    int KeepFd = -1; // our own handle on the slave end: keeps the line up while no one has it open
    int WakeFd[2] = {-1, -1};
    std::thread Thread;
    bool Stopping = false;

    // Bytes on their way out, each piece not before its time.
    struct TPiece {
        QByteArray Bytes;
        Clock::time_point Due;
    };
    std::deque<TPiece> Out;

    bool Begin();
    void Run();
    void Wake() const {
        const char c = 0;
        [[maybe_unused]] const auto n = ::write(WakeFd[1], &c, 1);
    }
    void HandleInput(const QByteArray& bytes);
    QByteArray Respond(TEmulatorFrame& frame, QList<TPiece>& pieces);
    void HangUp();
    bool Flush();
};

namespace {

bool Matches(const TEmulatorFault& fault, const QStringList& tokens) {
    const QStringList want = fault.Request.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return want.size() <= tokens.size() && tokens.mid(0, want.size()) == want;
}

} // namespace

TQel8624Emulator::TQel8624Emulator() : d(std::make_unique<TPrivate>()) {
    const QDateTime now = QDateTime::currentDateTime();
    d->Instrument.Identity.LastCalibration = now.addYears(-1);
    d->Instrument.Identity.NextCalibration = now.addYears(1);
}

TQel8624Emulator::~TQel8624Emulator() {
    Stop();
}

bool TQel8624Emulator::Start(const QString& linkPath) {
    if (IsRunning())
        return true;
    d->LinkPath.clear();
    TEmulatorPty pty;
    if (!OpenEmulatorPty(pty, d->ErrorText))
        return false;
    d->SlavePath = pty.SlavePath;
    d->KeepFd = pty.KeepFd;
    d->LineFd = pty.LineFd;
    const int fd = pty.LineFd;
    if (!linkPath.isEmpty()) {
        if (!LinkEmulatorPty(pty.SlavePath, linkPath, d->ErrorText)) {
            ::close(fd);
            if (d->KeepFd >= 0)
                ::close(d->KeepFd);
            d->LineFd = d->KeepFd = -1;
            return false;
        }
        d->LinkPath = linkPath;
    }
    return d->Begin();
}

bool TQel8624Emulator::StartOnDevice(const QString& device) {
    if (IsRunning())
        return true;
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        d->ErrorText = ErrnoText(device);
        return false;
    }
    MakeRawLine(fd);
    d->SlavePath = device;
    d->LineFd = fd;
    return d->Begin();
}

bool TQel8624Emulator::TPrivate::Begin() {
    ::fcntl(LineFd, F_SETFL, ::fcntl(LineFd, F_GETFL) | O_NONBLOCK);
    if (::pipe2(WakeFd, O_NONBLOCK | O_CLOEXEC) != 0) {
        ErrorText = ErrnoText(QStringLiteral("pipe"));
        ::close(LineFd);
        LineFd = -1;
        return false;
    }
    Stopping = false;
    Thread = std::thread([this] { Run(); });
    return true;
}

void TQel8624Emulator::Stop() {
    if (!d->Thread.joinable())
        return;
    {
        std::lock_guard lock(d->Mutex);
        d->Stopping = true;
    }
    d->Wake();
    d->Thread.join();
    for (int* fd : {&d->LineFd, &d->KeepFd, &d->WakeFd[0], &d->WakeFd[1]}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    if (!d->LinkPath.isEmpty()) {
        UnlinkEmulatorPty(d->SlavePath, d->LinkPath);
        d->LinkPath.clear();
    }
}

bool TQel8624Emulator::IsRunning() const {
    return d->Thread.joinable();
}
QString TQel8624Emulator::SlavePath() const {
    return d->SlavePath;
}
QString TQel8624Emulator::ErrorText() const {
    std::lock_guard lock(d->Mutex);
    return d->ErrorText;
}

void TQel8624Emulator::TPrivate::Run() {
    std::unique_lock lock(Mutex);
    while (!Stopping) {
        int timeout = -1;
        pollfd fds[2] = {{WakeFd[0], POLLIN, 0}, {LineFd, short(LineFd >= 0 ? POLLIN : 0), 0}};
        if (!Out.empty()) {
            const auto wait =
                std::chrono::ceil<std::chrono::milliseconds>(Out.front().Due - Clock::now()).count();
            if (wait > 0)
                timeout = int(wait);
            else
                fds[1].events |= POLLOUT;
        }
        lock.unlock();
        const int n = ::poll(fds, LineFd >= 0 ? 2 : 1, timeout);
        lock.lock();
        if (n < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN) {
            char buf[64];
            while (::read(WakeFd[0], buf, sizeof buf) > 0) {
            }
        }
        if (LineFd >= 0 && (fds[1].revents & POLLIN)) {
            char buf[512];
            const auto got = ::read(LineFd, buf, sizeof buf);
            if (got > 0)
                HandleInput(QByteArray(buf, got));
        }
        if (LineFd >= 0 && (fds[1].revents & (POLLHUP | POLLERR)) && KeepFd < 0 &&
            !(fds[1].revents & POLLIN)) {
            // A real device that went away: nothing more to answer.
            ErrorText = QStringLiteral("line hung up");
            ::close(LineFd);
            LineFd = -1;
        }
        if (!Flush())
            break;
    }
}

bool TQel8624Emulator::TPrivate::Flush() {
    if (LineFd < 0) {
        Out.clear();
        return true;
    }
    while (!Out.empty() && Out.front().Due <= Clock::now()) {
        auto& piece = Out.front();
        const auto w = ::write(LineFd, piece.Bytes.constData(), size_t(piece.Bytes.size()));
        if (w < 0)
            return errno == EAGAIN || errno == EINTR || errno == EIO;
        piece.Bytes.remove(0, w);
        if (!piece.Bytes.isEmpty())
            return true; // the line is full; poll says when it drains
        Out.pop_front();
    }
    return true;
}

void TQel8624Emulator::TPrivate::HandleInput(const QByteArray& bytes) {
    for (auto& read : Reader.Feed(bytes)) {
        TEmulatorFrame frame;
        frame.Time = QDateTime::currentDateTime();
        frame.MonotonicNs =
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
        frame.Raw = read.Raw;
        frame.Tokens = read.Tokens;
        frame.Problem = read.Problem;
        QList<TPiece> pieces;
        const QByteArray reply = Respond(frame, pieces);
        frame.Reply = reply;
        if (LineFd >= 0)
            Out.insert(Out.end(), pieces.begin(), pieces.end());
        Frames.append(frame);
        if (Sink)
            Sink(QStringLiteral("%1 <- %2%3  -> %4")
                     .arg(frame.Time.toString(QStringLiteral("hh:mm:ss.zzz")), QString::fromLatin1(frame.Raw),
                          frame.Valid ? QString() : QStringLiteral("  [REJECTED: %1]").arg(frame.Problem),
                          reply.isEmpty() ? QStringLiteral("(no answer)") : QString::fromLatin1(reply)));
        FrameLogged.notify_all();
    }
}

QByteArray TQel8624Emulator::TPrivate::Respond(TEmulatorFrame& frame, QList<TPiece>& pieces) {
    const auto now = Clock::now();
    const auto at = [&](const QByteArray& bytes, int afterMs = 0) {
        if (!bytes.isEmpty())
            pieces.append({bytes, now + std::chrono::milliseconds(afterMs)});
        return bytes;
    };
    if (!frame.Problem.isEmpty()) {
        frame.Valid = false;
        return at(frame.Raw.startsWith('+') ? TEmulatorInstrument::Error(TEmulatorInstrument::ErrMalformed)
                                            : QByteArray());
    }
    // The first matching fault decides. A refused request, or one lost on the line (silent,
    // hung up), never reaches the instrument: it changes nothing there. The others garble the
    // reply of a request that was carried out.
    std::optional<TEmulatorFault> fault;
    for (qsizetype i = 0; i < Faults.size() && !fault; ++i) {
        if (!Matches(Faults.at(i), frame.Tokens))
            continue;
        fault = Faults.at(i);
        if (fault->Count > 0 && --Faults[i].Count == 0)
            Faults.removeAt(i);
    }
    frame.Problem = TEmulatorInstrument::Check(frame.Tokens);
    frame.Valid = frame.Problem.isEmpty();
    if (fault) {
        switch (fault->Kind) {
        case TEmulatorFault::Refuse:
            return at(TEmulatorInstrument::Error(fault->ErrorNumber));
        case TEmulatorFault::Silent:
            return {};
        case TEmulatorFault::Hangup:
            HangUp();
            return {};
        default:
            break;
        }
    }
    const auto answer = Instrument.Answer(frame.Tokens, now);
    if (!fault)
        return at(answer.Reply);
    switch (fault->Kind) {
    case TEmulatorFault::Garbage: {
        // Printable noise without ":" so it can never look like the end of a frame.
        std::uniform_int_distribution<int> ch(0x3B, 0x7D);
        QByteArray noise;
        for (int k = 0; k < 40; ++k)
            noise += char(ch(Instrument.Random));
        return at(noise);
    }
    case TEmulatorFault::Partial:
        return at(answer.Reply.left(answer.Reply.size() / 2));
    case TEmulatorFault::Slow:
        for (qsizetype k = 0; k < answer.Reply.size(); ++k)
            at(answer.Reply.mid(k, 1), int(k) * std::max(1, fault->ByteDelayMs));
        return answer.Reply;
    case TEmulatorFault::Pieces: {
        const qsizetype third = std::max<qsizetype>(1, answer.Reply.size() / 3);
        at(answer.Reply.left(third));
        at(answer.Reply.mid(third, third), fault->ByteDelayMs);
        at(answer.Reply.mid(2 * third), 2 * fault->ByteDelayMs);
        return answer.Reply;
    }
    case TEmulatorFault::Trailing:
        return at(answer.Reply + "+OK:00000001:~:");
    case TEmulatorFault::Malformed:
        return at("+OK:ZZZZZZZZ:ZZZZZZZZ:ZZZZZZZZ:~:");
    case TEmulatorFault::Held:
        HeldReplies << answer.Reply;
        return answer.Reply;
    default:
        return at(answer.Reply);
    }
}

void TQel8624Emulator::TPrivate::HangUp() {
    // Closing every handle on the master end is what pulling the device looks like to the port.
    if (KeepFd >= 0)
        ::close(KeepFd);
    KeepFd = -1;
    if (LineFd >= 0)
        ::close(LineFd);
    LineFd = -1;
    Out.clear();
}

// --- Configuration and observation ---

void TQel8624Emulator::SetIdentity(const TEmulatorIdentity& identity) {
    std::lock_guard lock(d->Mutex);
    d->Instrument.Identity = identity;
    const QDateTime now = QDateTime::currentDateTime();
    if (!identity.LastCalibration.isValid())
        d->Instrument.Identity.LastCalibration = now.addYears(-1);
    if (!identity.NextCalibration.isValid())
        d->Instrument.Identity.NextCalibration = now.addYears(1);
}

TEmulatorIdentity TQel8624Emulator::Identity() const {
    std::lock_guard lock(d->Mutex);
    return d->Instrument.Identity;
}

void TQel8624Emulator::SetMeasuringTime(int ms) {
    std::lock_guard lock(d->Mutex);
    d->Instrument.MeasuringMs = std::max(0, ms);
}

void TQel8624Emulator::SetStoredTests(const QList<TEmulatorStoredTest>& tests) {
    std::lock_guard lock(d->Mutex);
    d->Instrument.Stored = tests;
}

void TQel8624Emulator::SetPhaseShift(double degrees) {
    std::lock_guard lock(d->Mutex);
    d->Instrument.Model.PhaseShift.fill(degrees);
}

void TQel8624Emulator::SetLiveTurnsRatio(double ratio) {
    std::lock_guard lock(d->Mutex);
    d->Instrument.Model.TurnsRatio.fill(ratio);
}

void TQel8624Emulator::SetLiveModel(const TEmulatorLiveModel& model) {
    std::lock_guard lock(d->Mutex);
    d->Instrument.SetLiveModel(model);
}

TEmulatorLiveModel TQel8624Emulator::LiveModel() const {
    std::lock_guard lock(d->Mutex);
    return d->Instrument.Model;
}

void TQel8624Emulator::SetConnectedVectorGroup(const Qel8624::TVectorGroup& vg) {
    std::lock_guard lock(d->Mutex);
    d->Instrument.Connected = vg;
}

void TQel8624Emulator::SetSeed(quint32 seed) {
    std::lock_guard lock(d->Mutex);
    d->Instrument.Random.seed(seed);
}

void TQel8624Emulator::AddFault(const TEmulatorFault& fault) {
    std::lock_guard lock(d->Mutex);
    d->Faults.append(fault);
}

void TQel8624Emulator::ClearFaults() {
    std::lock_guard lock(d->Mutex);
    d->Faults.clear();
}

void TQel8624Emulator::ReleaseHeld() {
    {
        std::lock_guard lock(d->Mutex);
        const auto now = Clock::now();
        for (const QByteArray& reply : d->HeldReplies)
            if (d->LineFd >= 0)
                d->Out.push_back({reply, now});
        d->HeldReplies.clear();
    }
    d->Wake();
}

int TQel8624Emulator::HeldCount() const {
    std::lock_guard lock(d->Mutex);
    return int(d->HeldReplies.size());
}

void TQel8624Emulator::FinishTap() {
    std::lock_guard lock(d->Mutex);
    d->Instrument.FinishTap();
}

QList<TEmulatorFrame> TQel8624Emulator::Frames() const {
    std::lock_guard lock(d->Mutex);
    return d->Frames;
}

QList<QStringList> TQel8624Emulator::Requests() const {
    std::lock_guard lock(d->Mutex);
    QList<QStringList> r;
    for (const auto& f : d->Frames)
        if (f.Valid)
            r.append(f.Tokens);
    return r;
}

int TQel8624Emulator::InvalidFrames() const {
    std::lock_guard lock(d->Mutex);
    return int(
        std::count_if(d->Frames.begin(), d->Frames.end(), [](const TEmulatorFrame& f) { return !f.Valid; }));
}

void TQel8624Emulator::ClearLog() {
    std::lock_guard lock(d->Mutex);
    d->Frames.clear();
}

bool TQel8624Emulator::WaitForFrames(int count, int timeoutMs) const {
    std::unique_lock lock(d->Mutex);
    return d->FrameLogged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return d->Frames.size() >= count; });
}

void TQel8624Emulator::SetLogSink(std::function<void(const QString&)> sink) {
    std::lock_guard lock(d->Mutex);
    d->Sink = std::move(sink);
}

TestStatus TQel8624Emulator::Status() const {
    std::lock_guard lock(d->Mutex);
    return d->Instrument.Status(Clock::now());
}

Qel8624::TTestSetupArgs TQel8624Emulator::CurrentSetup() const {
    std::lock_guard lock(d->Mutex);
    return d->Instrument.Setup;
}

QList<QList<float>> TQel8624Emulator::SetupTapLines() const {
    std::lock_guard lock(d->Mutex);
    return d->Instrument.TapLines;
}

bool TQel8624Emulator::OutputOn() const {
    std::lock_guard lock(d->Mutex);
    return d->Instrument.OutputOn;
}
