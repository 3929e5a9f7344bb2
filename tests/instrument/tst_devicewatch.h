#pragma once
// Shared by the instrument thread tests: records the callbacks in the order they arrive and
// connects a thread to an emulator.
#include "Qel8624Device.h"
#include "Qel8624Emulator.h"

#include <QString>
#include <QStringList>
#include <QTest>

struct TDeviceWatch {
    QStringList Events; // "state Idle", "completion 11 2305", "failed 9 lost", "status 4"
    QList<TCompletion> Completions;
    int LiveCount = 0;
    TLiveSampleA LastA;
    TLiveSampleB LastB;

    explicit TDeviceWatch(TQel8624& device) {
        device.SetOnStateChange(
            [this](LinkState s) { Events << QStringLiteral("state ") + LinkStateText(s); });
        device.SetOnCompletion([this](const TCompletion& c) { Record(c); });
        device.SetOnTestStatus([this](TestStatus s) { Events << QStringLiteral("status %1").arg(int(s)); });
        device.SetOnLiveData([this](const TLiveSampleA& a, const TLiveSampleB& b) {
            ++LiveCount;
            LastA = a;
            LastB = b;
        });
    }

    void Record(const TCompletion& c) {
        Completions << c;
        if (c.Completed())
            Events << QStringLiteral("completion %1 %2").arg(int(c.Type)).arg(c.ErrorNumber);
        else
            Events << QStringLiteral("failed %1 %2")
                          .arg(int(c.Type))
                          .arg(c.Outcome == TCommandOutcome::ReplyLost ? QStringLiteral("lost")
                                                                       : QStringLiteral("unreadable"));
    }
    QStringList States() const { return Events.filter(QStringLiteral("state ")); }
    // Everything but the test status reports, which come with every idle poll.
    QStringList Changes() const {
        QStringList out;
        for (const QString& e : Events)
            if (!e.startsWith(QLatin1String("status ")))
                out << e;
        return out;
    }
};

// Requests the emulator received, as "M R T 00000003 00000000", idle polls left out.
inline QStringList SentRequests(const TQel8624Emulator& emulator, bool withPolls = false) {
    QStringList out;
    for (const QStringList& tokens : emulator.Requests()) {
        const QString text = tokens.join(QLatin1Char(' '));
        if (withPolls || (text != QLatin1String("C M") && text != QLatin1String("T M Q")))
            out << text;
    }
    return out;
}

// Connects and waits until the Idle notification has been handed over as well.
inline bool ConnectDevice(TQel8624& device, const TQel8624Emulator& emulator, const TDeviceWatch& watch) {
    if (!device.Open(emulator.SlavePath()))
        return false;
    device.RequestConnect();
    return QTest::qWaitFor([&] { return watch.States().endsWith(QStringLiteral("state Idle")); }, 5000);
}
