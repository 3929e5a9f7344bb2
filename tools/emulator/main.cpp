// Command-line front end of the stand-in instrument: prints the port to point the application
// at and every frame it receives, until interrupted.
#include "Qel8624Emulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <unistd.h>

namespace {

int g_SignalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_SignalPipe[1], &c, 1);
}

bool ParseFault(const QString& spec, TEmulatorFault& fault, QString& problem) {
    // KIND[:REQUEST[:NUMBER[:COUNT]]], e.g. refuse:T M R:0x901:1, silent:T M Q:-1:-1, slow::50
    const QStringList p = spec.split(QLatin1Char(':'));
    static const QStringList kinds{"refuse", "silent", "hangup",   "garbage",  "partial",
                                   "slow",   "pieces", "trailing", "malformed"};
    const int kind = int(kinds.indexOf(p.value(0).toLower()));
    if (kind < 0) {
        problem = QStringLiteral("unknown fault kind '%1'").arg(p.value(0));
        return false;
    }
    fault.Kind = TEmulatorFault::TKind(kind);
    fault.Request = p.value(1);
    bool ok = true;
    if (p.size() > 2 && !p.at(2).isEmpty()) {
        const int n = p.at(2).toInt(&ok, 0);
        if (fault.Kind == TEmulatorFault::Slow || fault.Kind == TEmulatorFault::Pieces)
            fault.ByteDelayMs = n;
        else
            fault.ErrorNumber = n;
    }
    fault.Count = p.size() > 3 ? p.at(3).toInt(&ok, 0) : (fault.Kind == TEmulatorFault::Slow ? -1 : 1);
    if (!ok)
        problem = QStringLiteral("bad number in fault '%1'").arg(spec);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Qel8624Emulator"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Stand-in QEL 8624 on a pseudo-terminal or serial device."));
    parser.addHelpOption();
    const QCommandLineOption device({"d", "device"},
                                    "Answer on this serial device instead of a new pseudo-terminal.", "path");
    const QCommandLineOption link(
        "link",
        "Also reach the pseudo-terminal under this name (a symbolic link, removed at "
        "the end), so that the application finds a restarted emulator on the same port.",
        "path");
    const QCommandLineOption type("type", "Instrument type (default \"QEL 8624\"; also \"QEL 8625\").",
                                  "text", "QEL 8624");
    const QCommandLineOption serial("serial", "Serial number.", "text", "86240117");
    const QCommandLineOption firmware("firmware", "Firmware version (default 2.05.12).", "text", "2.05.12");
    const QCommandLineOption measuring("measuring-ms", "Time a tap measurement takes (default 1500).", "ms",
                                       "1500");
    const QCommandLineOption phase("phase-shift", "Phase shift the live samples show, degrees.", "deg", "0");
    const QCommandLineOption ratio("live-ratio", "Turns ratio the live samples show.", "ratio", "10");
    const QCommandLineOption empty("empty-memory", "Start with no stored tests.");
    const QCommandLineOption seed("seed", "Seed of the measured values.", "n", "8624");
    const QCommandLineOption fault(
        "fault",
        "Fault KIND[:REQUEST[:NUMBER[:COUNT]]]; KIND is refuse, silent, hangup, garbage, "
        "partial, slow, pieces, trailing or malformed; NUMBER is the error number (refuse) or delay in ms "
        "(slow, "
        "pieces); "
        "COUNT -1 means always. Repeatable.",
        "spec");
    const QCommandLineOption quiet({"q", "quiet"}, "Do not print the frames.");
    parser.addOptions(
        {device, link, type, serial, firmware, measuring, phase, ratio, empty, seed, fault, quiet});
    parser.process(app);

    QTextStream out(stdout), err(stderr);
    TQel8624Emulator emulator;
    TEmulatorIdentity id;
    id.Type = parser.value(type);
    id.SerialNumber = parser.value(serial);
    id.Firmware = parser.value(firmware);
    emulator.SetIdentity(id);
    emulator.SetMeasuringTime(parser.value(measuring).toInt());
    emulator.SetPhaseShift(parser.value(phase).toDouble());
    emulator.SetLiveTurnsRatio(parser.value(ratio).toDouble());
    emulator.SetSeed(parser.value(seed).toUInt());
    if (parser.isSet(empty))
        emulator.SetStoredTests({});
    for (const QString& spec : parser.values(fault)) {
        TEmulatorFault f;
        QString problem;
        if (!ParseFault(spec, f, problem)) {
            err << problem << Qt::endl;
            return 2;
        }
        emulator.AddFault(f);
    }
    if (!parser.isSet(quiet))
        emulator.SetLogSink([](const QString& line) {
            QTextStream s(stdout);
            s << line << Qt::endl;
        });
    const bool started = parser.isSet(device) ? emulator.StartOnDevice(parser.value(device))
                                              : emulator.Start(parser.value(link));
    if (!started) {
        err << "Cannot start: " << emulator.ErrorText() << Qt::endl;
        return 1;
    }
    out << "QEL 8624 emulator (" << id.Type << ", firmware " << id.Firmware << ") on " << emulator.SlavePath()
        << Qt::endl;
    out << "Point the application's instrument port at "
        << (parser.isSet(link) ? parser.value(link) : emulator.SlavePath()) << Qt::endl;

    // Ctrl+C ends the event loop through a pipe; the handler does nothing else.
    if (::pipe(g_SignalPipe) != 0)
        return 1;
    QSocketNotifier notifier(g_SignalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    const int rc = app.exec();
    emulator.Stop();
    return rc;
}
