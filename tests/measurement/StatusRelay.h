#pragma once
// A line between the application and the instrument emulator that can make the instrument
// report a status code the emulator never plays by itself (an emergency stop, an overcurrent):
// it passes every byte through and, while a code is forced, puts that code into the status
// field of the replies to the status poll "T M Q".
#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

class TStatusRelay {
public:
    TStatusRelay() = default;
    TStatusRelay(const TStatusRelay&) = delete;
    TStatusRelay& operator=(const TStatusRelay&) = delete;
    ~TStatusRelay() {
        FStop = true;
        if (FWake[1] >= 0)
            (void)::write(FWake[1], "x", 1);
        if (FThread.joinable())
            FThread.join();
        for (int fd : {FMaster, FKeep, FLine, FWake[0], FWake[1]})
            if (fd >= 0)
                ::close(fd);
    }

    // Opens the pseudo-terminal that the application is given and the emulator's line.
    bool Start(const QString& emulatorLine) {
        FMaster = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (FMaster < 0 || ::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0)
            return false;
        char name[128] = {};
        if (::ptsname_r(FMaster, name, sizeof name) != 0)
            return false;
        FSlavePath = QString::fromLocal8Bit(name);
        // Held open so the master never sees a hang-up while the application has no port open.
        FKeep = ::open(name, O_RDWR | O_NOCTTY);
        FLine = ::open(emulatorLine.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (FKeep < 0 || FLine < 0 || ::pipe(FWake) != 0)
            return false;
        for (int fd : {FKeep, FLine}) {
            termios t{};
            ::tcgetattr(fd, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(fd, TCSANOW, &t);
        }
        FThread = std::thread([this] { Run(); });
        return true;
    }
    QString SlavePath() const { return FSlavePath; }
    // -1 passes the emulator's own status through.
    void ForceStatusCode(int code) { FForced = code; }

private:
    void Run() {
        QByteArray requests;
        bool statusAsked = false;
        char buffer[4096];
        while (!FStop) {
            pollfd fds[3] = {{FMaster, POLLIN, 0}, {FLine, POLLIN, 0}, {FWake[0], POLLIN, 0}};
            if (::poll(fds, 3, -1) < 0)
                continue;
            if (fds[2].revents)
                break;
            if (fds[0].revents & POLLIN) {
                const ssize_t n = ::read(FMaster, buffer, sizeof buffer);
                if (n > 0) {
                    requests.append(buffer, n);
                    if (requests.contains("+T:M:Q:~:")) {
                        statusAsked = true;
                        requests.clear();
                    } else if (requests.size() > 256) {
                        requests = requests.right(16);
                    }
                    (void)::write(FLine, buffer, size_t(n));
                }
            }
            if (fds[1].revents & POLLIN) {
                const ssize_t n = ::read(FLine, buffer, sizeof buffer);
                if (n <= 0)
                    continue;
                QByteArray reply(buffer, int(n));
                const int forced = FForced;
                const int at = reply.indexOf("+OK:");
                if (statusAsked && at >= 0) {
                    if (forced >= 0 && reply.size() >= at + 12)
                        reply.replace(at + 4, 8,
                                      QByteArray::number(forced, 16).toUpper().rightJustified(8, '0'));
                    statusAsked = false;
                }
                (void)::write(FMaster, reply.constData(), size_t(reply.size()));
            }
        }
    }

    int FMaster = -1;
    int FKeep = -1;
    int FLine = -1;
    int FWake[2] = {-1, -1};
    QString FSlavePath;
    std::atomic<int> FForced{-1};
    std::atomic<bool> FStop{false};
    std::thread FThread;
};
