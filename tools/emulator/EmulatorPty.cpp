#include "EmulatorPty.h"

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
