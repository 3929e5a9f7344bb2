// Figures of the framed transport on a pseudo-terminal against the instrument emulator:
// the round-trip time of an exchange, and the processor time the transport spends while it
// waits about 3 s for a slow reply (it sleeps in poll(), so this should be close to nothing).
#include "Qel8624Emulator.h"
#include "Qel8624Protocol.h"
#include "RS232Comms.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double ThreadCpuMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
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
    return 0;
}
