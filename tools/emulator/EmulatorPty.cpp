#include "EmulatorPty.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

void MakeRawLine(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return;
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B9600);
    ::cfsetospeed(&t, B9600);
    t.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &t);
}

QString ErrnoText(const QString& what) {
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

bool OpenEmulatorPty(TEmulatorPty& pty, QString& errorText) {
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0) {
        errorText = ErrnoText(QStringLiteral("pseudo-terminal"));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    char name[128] = {};
    ::ptsname_r(fd, name, sizeof name);
    pty.SlavePath = QString::fromLocal8Bit(name);
    pty.KeepFd = ::open(name, O_RDWR | O_NOCTTY);
    if (pty.KeepFd >= 0)
        MakeRawLine(pty.KeepFd);
    pty.LineFd = fd;
    return true;
}

bool LinkEmulatorPty(const QString& slavePath, const QString& linkPath, QString& errorText) {
    const QByteArray link = QFile::encodeName(linkPath);
    ::unlink(link.constData()); // a link left by an emulator that was killed
    if (::symlink(QFile::encodeName(slavePath).constData(), link.constData()) == 0)
        return true;
    errorText = ErrnoText(linkPath);
    return false;
}

void UnlinkEmulatorPty(const QString& slavePath, const QString& linkPath) {
    const QByteArray link = QFile::encodeName(linkPath);
    char target[256] = {};
    const auto n = ::readlink(link.constData(), target, sizeof target - 1);
    if (n > 0 && QString::fromLocal8Bit(target, int(n)) == slavePath)
        ::unlink(link.constData());
}
