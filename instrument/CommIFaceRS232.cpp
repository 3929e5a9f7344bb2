#include "CommIFaceRS232.h"

#include "RS232Comms.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t Speed(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B9600;
    }
}

tcflag_t DataBitsFlag(int bits) {
    switch (bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

// Waits for the descriptor to become ready for `events` until the deadline, riding out signals.
bool WaitFor(int fd, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (n > 0)
            return (p.revents & (events | POLLHUP | POLLERR)) != 0;
        if (n == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

TRS232Device::~TRS232Device() {
    Close();
}

QString TRS232Device::LastErrorText() const {
    QMutexLocker lock(&m_Lock);
    return m_LastErrorText;
}

void TRS232Device::SetError(int error) {
    QMutexLocker lock(&m_Lock);
    TCommIFace::SetError(error);
}

void TRS232Device::Open() {
    QMutexLocker lock(&m_Lock);
    if (m_Fd >= 0)
        return;
    const QString name = m_PortName.isEmpty() ? QStringLiteral("COM%1").arg(int(m_ComPort) + 1) : m_PortName;
    const QByteArray device = TVuroRS232Comms::SystemPortName(name).toLocal8Bit();
    m_LastErrorText.clear();
    m_Fd = ::open(device.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // Exclusive, as a Windows port handle is: no second open, no second process.
    if (m_Fd >= 0 && (::flock(m_Fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(m_Fd, TIOCEXCL) != 0)) {
        const int e = errno;
        ::close(m_Fd);
        m_Fd = -1;
        errno = e == EWOULDBLOCK ? EBUSY : e;
    }
    if (m_Fd < 0) {
        m_LastErrorText = errno == EACCES
                              ? QStringLiteral("Permission denied on %1: add the user to the dialout group "
                                               "(sudo usermod -aG dialout <user>) and log in again.")
                                    .arg(QString::fromLocal8Bit(device))
                              : QStringLiteral("%1: %2").arg(QString::fromLocal8Bit(device),
                                                             QString::fromLocal8Bit(std::strerror(errno)));
        TCommIFace::SetError(errOpen);
        m_IsOpen = false;
        return;
    }
    if (!Configure()) {
        m_LastErrorText = QStringLiteral("%1: %2").arg(QString::fromLocal8Bit(device),
                                                       QString::fromLocal8Bit(std::strerror(errno)));
        ::close(m_Fd);
        m_Fd = -1;
        TCommIFace::SetError(errOpen);
        m_IsOpen = false;
        return;
    }
    TCommIFace::SetError(errNone);
    m_IsOpen = true;
    m_Terminator = Terminator(EOS());
}

bool TRS232Device::Configure() {
    termios t{};
    if (::tcgetattr(m_Fd, &t) != 0)
        return false;
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, Speed(m_BaudRate));
    ::cfsetospeed(&t, Speed(m_BaudRate));
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= DataBitsFlag(m_DataBits) | CLOCAL | CREAD;
    if (m_Parity != rsNone)
        t.c_cflag |= PARENB | (m_Parity == rsOdd ? PARODD : 0);
    if (m_StopBits != 1)
        t.c_cflag |= CSTOPB;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    // With VMIN 1 an empty non-blocking read says EAGAIN, so 0 can only mean a hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(m_Fd, TCSANOW, &t) != 0)
        return false;
    // DTR and RTS on; a pseudo-terminal has no modem lines, which is no reason to fail.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(m_Fd, TIOCMBIS, &lines);
    return true;
}

void TRS232Device::Close() {
    QMutexLocker lock(&m_Lock);
    if (m_Fd >= 0)
        ::close(m_Fd);
    m_Fd = -1;
    m_IsOpen = false;
}

bool TRS232Device::ClearInput() {
    QMutexLocker lock(&m_Lock);
    return m_Fd >= 0 && ::tcflush(m_Fd, TCIFLUSH) == 0;
}

bool TRS232Device::ReadOne(char& c) {
    if (m_Fd < 0)
        return false;
    const QDeadlineTimer deadline(TimeOut());
    for (;;) {
        const auto n = ::read(m_Fd, &c, 1);
        if (n == 1)
            return true;
        // Non-blocking: no data is EAGAIN; 0 is the end of the line (device gone).
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            return false;
        if (!WaitFor(m_Fd, POLLIN, deadline))
            return false;
    }
}

bool TRS232Device::WriteAll(const QByteArray& bytes) {
    if (m_Fd < 0)
        return false;
    const QDeadlineTimer deadline(TimeOut());
    qsizetype done = 0;
    while (done < bytes.size()) {
        const auto n = ::write(m_Fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (!WaitFor(m_Fd, POLLOUT, deadline))
            return false;
    }
    return true;
}

quint8 TRS232Device::ReadByte() {
    QMutexLocker lock(&m_Lock);
    char c = 0;
    if (!ReadOne(c)) {
        TCommIFace::SetError(errReadWrite);
        return 0;
    }
    TCommIFace::SetError(errNone);
    return quint8(c);
}

void TRS232Device::WriteByte(quint8 byte) {
    QMutexLocker lock(&m_Lock);
    TCommIFace::SetError(WriteAll(QByteArray(1, char(byte))) ? errNone : errReadWrite);
}

void TRS232Device::WriteText(const QByteArray& text) {
    QMutexLocker lock(&m_Lock);
    // Written whole, however long: a printer line cut short would print garbage.
    TCommIFace::SetError(WriteAll(text + m_Terminator) ? errNone : errReadWrite);
    LogSent(text);
}

QByteArray TRS232Device::ReadLine() {
    QMutexLocker lock(&m_Lock);
    QByteArray line;
    int error = errNone;
    for (;;) {
        char c = 0;
        if (!ReadOne(c)) {
            error = errReadWrite;
            break;
        }
        line += c;
        if (m_Terminator.isEmpty())
            break;
        if (line.endsWith(m_Terminator)) {
            line.chop(m_Terminator.size());
            break;
        }
    }
    TCommIFace::SetError(error);
    LogReceived(line);
    return line;
}

int TRS232Device::ReadBlock(char* buffer, int capacity) {
    QMutexLocker lock(&m_Lock);
    int count = 0;
    int error = errNone;
    while (count < capacity) {
        char c = 0;
        if (!ReadOne(c)) {
            error = errReadWrite;
            break;
        }
        buffer[count++] = c;
        if (count > m_Terminator.size() && QByteArray::fromRawData(buffer, count).endsWith(m_Terminator))
            break;
    }
    TCommIFace::SetError(error);
    return count;
}

bool TRS232Device::Ready() {
    QMutexLocker lock(&m_Lock);
    int lines = 0;
    // A line without modem lines (a pseudo-terminal) never holds the sender back.
    if (m_Fd < 0 || ::ioctl(m_Fd, TIOCMGET, &lines) != 0)
        return m_Fd >= 0;
    return (lines & TIOCM_CTS) != 0;
}

int TRS232Device::ReadPending(char* buffer, int capacity) {
    QMutexLocker lock(&m_Lock);
    if (m_Fd < 0)
        return -1;
    for (;;) {
        const auto n = ::read(m_Fd, buffer, size_t(capacity));
        if (n > 0)
            return int(n);
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && errno == EAGAIN ? 0 : -1;
    }
}

bool TRS232Device::WriteBytes(const QByteArray& bytes) {
    QMutexLocker lock(&m_Lock);
    const bool ok = WriteAll(bytes);
    TCommIFace::SetError(ok ? errNone : errReadWrite);
    return ok;
}

bool TRS232Device::WaitForInput(qint64 ns) {
    QMutexLocker lock(&m_Lock);
    if (m_Fd < 0)
        return false;
    pollfd p{m_Fd, POLLIN, 0};
    const timespec limit{time_t(ns / 1000000000), long(ns % 1000000000)};
    return ::ppoll(&p, 1, &limit, nullptr) > 0 && (p.revents & POLLIN) != 0;
}
