// CPU time the instrument thread spends on 30 s of idle polling on a connected link (target:
// under 1 % of one core), the poll period it keeps and how often the thread wakes up (only for
// the polls); then the wake-ups of a thread with nothing to do (simulation: none).
// Usage: bench_thread_idle [seconds]
#include "Qel8624Device.h"
#include "Qel8624Emulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

// The system thread named after the class (QThread names it from its object name).
QString FindThread(const QString& name) {
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && QString::fromLatin1(comm.readAll()).trimmed() == name)
            return tid;
    }
    return QString();
}

// User plus system time of one thread, in seconds.
double ThreadCpuSeconds(const QString& tid) {
    QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(tid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the parenthesised command name; utime and stime are fields 14 and 15.
    const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (f.size() < 13)
        return -1;
    return double(f[11].toLongLong() + f[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

// Context switches of one thread: each time it slept and was woken (or was preempted).
long long ThreadSwitches(const QString& tid) {
    QFile status(QStringLiteral("/proc/self/task/%1/status").arg(tid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    long long n = 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
            n += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    return n;
}

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 30;

    TQel8624Emulator emulator;
    if (!emulator.Start()) {
        std::fprintf(stderr, "emulator: %s\n", qPrintable(emulator.ErrorText()));
        return 1;
    }
    TQel8624 device;
    QEventLoop waitIdle;
    device.SetOnStateChange([&](LinkState s) {
        if (s == LinkState::Idle)
            waitIdle.quit();
    });
    if (!device.Open(emulator.SlavePath())) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(emulator.SlavePath()));
        return 1;
    }
    device.RequestConnect();
    QTimer::singleShot(10000, &waitIdle, &QEventLoop::quit);
    waitIdle.exec();
    if (device.State() != LinkState::Idle) {
        std::fprintf(stderr, "no connection\n");
        return 1;
    }
    const QString tid = FindThread(device.objectName());
    if (tid.isEmpty()) {
        std::fprintf(stderr, "instrument thread not found\n");
        return 1;
    }

    emulator.ClearLog();
    const long long switches0 = ThreadSwitches(tid);
    const double thread0 = ThreadCpuSeconds(tid);
    const double process0 = ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    const double threadCpu = ThreadCpuSeconds(tid) - thread0;
    const long long switches = ThreadSwitches(tid) - switches0;
    const double processCpu = ProcessCpuSeconds() - process0;

    const QList<TEmulatorFrame> frames = emulator.Frames();
    QList<qint64> gaps;
    for (qsizetype i = 1; i < frames.size(); ++i)
        gaps << frames[i - 1].Time.msecsTo(frames[i].Time);
    std::sort(gaps.begin(), gaps.end());
    double mean = 0;
    for (qint64 g : gaps)
        mean += double(g);
    mean = gaps.isEmpty() ? 0 : mean / double(gaps.size());

    std::printf("idle polling on a connected link, %.1f s wall\n", elapsed);
    std::printf("  instrument thread CPU: %.3f s = %.3f %% of one core (target < 1 %%)\n", threadCpu,
                100.0 * threadCpu / elapsed);
    std::printf("  whole process CPU (emulator included): %.3f s = %.3f %%\n", processCpu,
                100.0 * processCpu / elapsed);
    std::printf(
        "  polls: %lld, period mean %.1f ms, min %lld ms, median %lld ms, max %lld ms (nominal 475.2 ms "
        "after the end of the previous poll)\n",
        static_cast<long long>(frames.size()), mean,
        gaps.isEmpty() ? 0LL : static_cast<long long>(gaps.first()),
        gaps.isEmpty() ? 0LL : static_cast<long long>(gaps[gaps.size() / 2]),
        gaps.isEmpty() ? 0LL : static_cast<long long>(gaps.last()));
    std::printf("  thread wake-ups (context switches): %lld = %.2f per poll (an exchange sleeps twice: until "
                "the poll is due, and in poll() for the reply)\n",
                switches, frames.isEmpty() ? 0.0 : double(switches) / double(frames.size()));
    std::printf("  link state at the end: %s\n", qPrintable(LinkStateText(device.State())));

    // A link with nothing to do, as in simulation: no port, no request.
    {
        TQel8624 idle;
        QTimer::singleShot(200, &app, &QCoreApplication::quit);
        app.exec(); // let it reach its sleep
        QString idleTid;
        for (const QString& t :
             QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile comm(QStringLiteral("/proc/self/task/%1/comm").arg(t));
            if (t != tid && comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "TQel8624")
                idleTid = t;
        }
        const long long before = ThreadSwitches(idleTid);
        QTimer::singleShot(std::min(seconds, 10) * 1000, &app, &QCoreApplication::quit);
        app.exec();
        std::printf("  a link with nothing to do (simulation): %lld wake-ups in %d s\n",
                    ThreadSwitches(idleTid) - before, std::min(seconds, 10));
    }
    return 0;
}
