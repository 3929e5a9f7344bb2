// Figures of the framed transport on a pseudo-terminal against the instrument emulator:
// the round-trip time of an exchange, the processor time the transport spends while it waits
// about 3 s for a slow reply (it sleeps in poll(), so this should be close to nothing), and the
// dead time of the instrument thread: from a command's completion to the first byte of the next
// queued command, and from a request queued on an idle link to its first byte (target < 1 ms).
#include "Qel8624Device.h"
#include "Qel8624Emulator.h"
#include "Qel8624Protocol.h"
#include "RS232Comms.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double ThreadCpuMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

qint64 NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void PrintSpread(const char* name, std::vector<double> us) {
    if (us.empty()) {
        std::printf("%s: no samples\n", name);
        return;
    }
    std::sort(us.begin(), us.end());
    std::printf("%-44s median %7.1f us  p95 %7.1f us  max %7.1f us  (%zu samples)\n", name, us[us.size() / 2],
                us[us.size() * 95 / 100], us.back(), us.size());
}

// Over the instrument thread: the gaps the link loop itself adds between commands.
int ThreadDeadTime() {
    TQel8624Emulator emulator;
    if (!emulator.Start())
        return 1;
    TQel8624 device;
    constexpr int Chain = 200;
    std::vector<qint64> completed; // when each completion ran
    device.SetOnCompletion([&](const TCompletion&) {
        completed.push_back(NowNs());
        if (int(completed.size()) < Chain)
            device.RequestTestHalt(true); // the next command, queued from the completion
    });
    if (!device.Open(emulator.SlavePath()))
        return 1;
    device.RequestConnect();
    if (!device.WaitForState(LinkState::Idle, 10000))
        return 1;

    emulator.ClearLog();
    device.RequestTestHalt(false);
    QElapsedTimer limit;
    limit.start();
    while (int(completed.size()) < Chain && limit.elapsed() < 60000)
        Wait(5);
    std::vector<double> boundary;
    std::vector<qint64> halts;
    for (const TEmulatorFrame& f : emulator.Frames())
        if (f.Tokens == QStringList({"T", "M", "H"}))
            halts.push_back(f.MonotonicNs);
    for (size_t i = 0; i + 1 < halts.size() && i < completed.size(); ++i)
        boundary.push_back(double(halts[i + 1] - completed[i]) / 1e3);
    PrintSpread("completion -> first byte of the next command", boundary);

    // A request queued on an idle link, between two polls.
    std::vector<double> queued;
    for (int round = 0; round < 40; ++round) {
        Wait(150);
        emulator.ClearLog();
        const size_t before = completed.size();
        const qint64 t0 = NowNs();
        if (!device.RequestMemGetDir(false))
            continue; // a poll was running: try in the next round
        while (completed.size() == before && limit.elapsed() < 120000)
            Wait(1);
        for (const TEmulatorFrame& f : emulator.Frames())
            if (f.Tokens == QStringList({"M", "G"}))
                queued.push_back(double(f.MonotonicNs - t0) / 1e3);
    }
    PrintSpread("request on an idle link -> its first byte", queued);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TQel8624Emulator emulator;
    if (!emulator.Start()) {
        std::fprintf(stderr, "emulator: %s\n", qPrintable(emulator.ErrorText()));
        return 1;
    }
    TVuroRS232Comms link;
    if (link.Open(emulator.SlavePath()) != TVuroRS232Comms::rcOK) {
        std::fprintf(stderr, "open: %s\n", qPrintable(link.LastErrorText()));
        return 1;
    }

    for (const auto& [name, request] : {std::pair{"C M (short reply)", Qel8624::CheckRequest()},
                                        std::pair{"M R T (13 fields)", Qel8624::MemReadTapRequest(1, 0)}}) {
        constexpr int Rounds = 300;
        std::vector<double> us;
        us.reserve(Rounds);
        const double cpu0 = ThreadCpuMs();
        for (int i = 0; i < Rounds; ++i) {
            QElapsedTimer t;
            t.start();
            link.AddTokens(request);
            if (link.Exchange() != TVuroRS232Comms::rcOK) {
                std::fprintf(stderr, "exchange failed\n");
                return 1;
            }
            us.push_back(double(t.nsecsElapsed()) / 1e3);
        }
        const double cpu = ThreadCpuMs() - cpu0;
        std::sort(us.begin(), us.end());
        std::printf("round trip %-18s median %7.1f us  p95 %7.1f us  max %7.1f us  cpu/exchange %6.1f us\n",
                    name, us[us.size() / 2], us[us.size() * 95 / 100], us.back(), cpu * 1e3 / Rounds);
    }

    // A reply that comes in three pieces 1.5 s apart: the transport waits 3 s in all.
    TEmulatorFault slow;
    slow.Kind = TEmulatorFault::Pieces;
    slow.Request = QStringLiteral("I");
    slow.ByteDelayMs = 1500;
    emulator.AddFault(slow);
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = ThreadCpuMs();
    link.AddTokens(Qel8624::IdentifyRequest());
    const quint8 rc = link.Exchange();
    const double cpu = ThreadCpuMs() - cpu0;
    std::printf("slow reply: result %d after %lld ms wall, transport cpu %.2f ms (%.3f %% of the wait)\n", rc,
                static_cast<long long>(wall.elapsed()), cpu,
                100.0 * cpu / double(std::max<qint64>(1, wall.elapsed())));

    // Waiting out the progress deadline on a silent line costs as little.
    TEmulatorFault silent;
    silent.Kind = TEmulatorFault::Silent;
    silent.Request = QStringLiteral("C M");
    emulator.AddFault(silent);
    wall.restart();
    const double cpu1 = ThreadCpuMs();
    link.AddTokens(Qel8624::CheckRequest());
    const quint8 rc2 = link.Exchange();
    std::printf("silent line: result %d after %lld ms wall, transport cpu %.2f ms\n", rc2,
                static_cast<long long>(wall.elapsed()), ThreadCpuMs() - cpu1);

    link.Close();
    if (ThreadDeadTime() != 0) {
        std::fprintf(stderr, "instrument thread: no connection\n");
        return 1;
    }
    return 0;
}
