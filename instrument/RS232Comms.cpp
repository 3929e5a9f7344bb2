#include "RS232Comms.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSerialPort>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr qint64 ChunkSize = 255;

// QSerialPort hides errno; these are the operating-system errors its categories stand for, so
// the link still reports a system error number as the instrument thread expects.
int SystemErrorOf(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
        return 0;
    case QSerialPort::DeviceNotFoundError:
        return ENOENT;
    case QSerialPort::PermissionError:
        return EACCES;
    case QSerialPort::OpenError:
        return EBUSY;
    case QSerialPort::NotOpenError:
        return EBADF;
    case QSerialPort::UnsupportedOperationError:
        return EINVAL;
    case QSerialPort::TimeoutError:
        return ETIMEDOUT;
    default:
        return EIO;
    }
}

bool IsLineError(QSerialPort::SerialPortError error) {
    // A device that went away (end of file, EIO) is what a broken line looks like here.
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
}

// Hexadecimal digits only: no sign, no "0x" prefix, no inner blanks (QString::toUInt would take
// "+1" and "0x10").
bool IsHexDigits(QStringView text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return true;
}

// The value of a hexadecimal text that fits 32 bits.
std::optional<quint32> Hex32(QStringView text) {
    if (!IsHexDigits(text))
        return std::nullopt;
    bool ok = false;
    const quint32 v = text.toUInt(&ok, 16);
    return ok ? std::optional<quint32>(v) : std::nullopt;
}

int Remaining(const QDeadlineTimer& a, const QDeadlineTimer& b) {
    return int(std::max<qint64>(0, std::min(a.remainingTime(), b.remainingTime())));
}

} // namespace

TVuroRS232Comms::TVuroRS232Comms() = default;

TVuroRS232Comms::~TVuroRS232Comms() {
    Close();
}

void TVuroRS232Comms::SetWorkerThread(QThread* thread) {
    m_WorkerThread = thread;
}

bool TVuroRS232Comms::IsOpen() const {
    return m_Port && m_Port->isOpen();
}

QString TVuroRS232Comms::SystemPortName(const QString& portName) {
    static const QRegularExpression com(QStringLiteral("^COM([0-9]+)$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QString name = portName.trimmed();
    if (name.isEmpty())
        return name;
    const auto m = com.match(name);
    if (m.hasMatch() && m.captured(1).toInt() >= 1)
        return QStringLiteral("/dev/ttyS%1").arg(m.captured(1).toInt() - 1);
    if (name.contains(QLatin1Char('/')))
        return name;
    return QStringLiteral("/dev/") + name;
}

quint8 TVuroRS232Comms::Open(const QString& portName) {
    if (IsOpen())
        return rcOK;
    m_PortName = portName;
    m_LastSystemError = 0;
    m_LastErrorText.clear();
    const QString device = SystemPortName(portName);
    m_Port = std::make_unique<QSerialPort>();
    m_Port->setPortName(device);
    bool ok = !device.isEmpty() && m_Port->open(QIODevice::ReadWrite);
    if (ok) {
        ok = m_Port->setBaudRate(QSerialPort::Baud9600) && m_Port->setDataBits(QSerialPort::Data8) &&
             m_Port->setParity(QSerialPort::NoParity) && m_Port->setStopBits(QSerialPort::OneStop) &&
             m_Port->setFlowControl(QSerialPort::NoFlowControl);
    }
    if (ok) {
        // A pseudo-terminal has no modem lines and refuses DTR/RTS; that is no reason to fail.
        if (!m_Port->setDataTerminalReady(false))
            m_Port->clearError();
        if (!m_Port->setRequestToSend(false))
            m_Port->clearError();
    }
    if (!ok) {
        const auto error = device.isEmpty() ? QSerialPort::DeviceNotFoundError : m_Port->error();
        m_LastSystemError = quint32(SystemErrorOf(error));
        if (error == QSerialPort::PermissionError &&
            ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0) {
            // The user may open the device: its lock file or the exclusive flag of another open is
            // what refused it, so another program holds the port.
            m_LastSystemError = EBUSY;
            m_LastErrorText =
                QStringLiteral("%1 is in use by another program; close that program or choose another port.")
                    .arg(device);
        } else if (error == QSerialPort::PermissionError)
            m_LastErrorText = QStringLiteral("Permission denied on %1: add the user to the dialout group "
                                             "(sudo usermod -aG dialout <user>) and log in again.")
                                  .arg(device);
        else
            m_LastErrorText = QStringLiteral("%1: %2").arg(
                device, device.isEmpty() ? QStringLiteral("no port name") : m_Port->errorString());
        m_Port->close();
        m_Port.reset();
        return rcSystemError;
    }
    if (m_WorkerThread && m_WorkerThread != QThread::currentThread())
        m_Port->moveToThread(m_WorkerThread);
    return rcOK;
}

int TVuroRS232Comms::Close() {
    if (!m_Port)
        return 0;
    int result = 0;
    if (m_Port->isOpen()) {
        m_Port->clear();
        m_Port->close();
        if (m_Port->error() != QSerialPort::NoError && m_Port->error() != QSerialPort::TimeoutError)
            result = SystemErrorOf(m_Port->error());
    }
    m_Port.reset();
    return result;
}

void TVuroRS232Comms::AddText(const QString& token) {
    // The tokens of a failed request stay visible until the next request starts.
    if (m_LastFailed) {
        m_Tokens.clear();
        m_LastFailed = false;
    }
    m_Tokens.append(token);
}

void TVuroRS232Comms::AddInt(qint32 value) {
    AddText(IntToken(value));
}

void TVuroRS232Comms::AddFloat(float value) {
    AddText(FloatToken(value));
}

void TVuroRS232Comms::AddTokens(const QStringList& tokens) {
    for (const auto& t : tokens)
        AddText(t);
}

quint8 TVuroRS232Comms::Exchange() {
    if (!IsOpen()) {
        m_LastFailed = true;
        return rcNotOpen;
    }
    if (m_Tokens.isEmpty())
        return rcOK;
    m_LastFailed = true;
    quint8 result = WriteFrame(BuildFrame(m_Tokens));
    if (result == rcOK)
        result = ReadReply();
    if (result != rcOK)
        return result;
    m_Tokens.clear();
    m_LastFailed = false;
    return rcOK;
}

quint8 TVuroRS232Comms::SystemFailure(const QString& what) {
    m_LastSystemError = quint32(SystemErrorOf(m_Port->error()));
    m_LastErrorText = what + QStringLiteral(": ") + m_Port->errorString();
    return rcSystemError;
}

quint8 TVuroRS232Comms::PortFailure() {
    const auto error = m_Port->error();
    if (IsLineError(error)) {
        m_LastErrorText = QStringLiteral("Line error: ") + m_Port->errorString();
        return rcLineError;
    }
    return SystemFailure(QStringLiteral("Serial port"));
}

quint8 TVuroRS232Comms::WriteFrame(const QByteArray& frame) {
    m_Port->clear();
    m_Port->clearError();
    if (m_Port->write(frame) < 0)
        return SystemFailure(QStringLiteral("Write"));
    QDeadlineTimer progress(m_Deadlines.WriteStallMs);
    while (m_Port->bytesToWrite() > 0) {
        if (progress.hasExpired())
            return rcTimeOut;
        const qint64 before = m_Port->bytesToWrite();
        if (!m_Port->waitForBytesWritten(int(std::max<qint64>(0, progress.remainingTime())))) {
            if (m_Port->error() != QSerialPort::TimeoutError)
                return PortFailure();
            m_Port->clearError();
        }
        if (m_Port->bytesToWrite() < before)
            progress.setRemainingTime(m_Deadlines.WriteStallMs);
    }
    m_Port->clearError();
    return rcOK;
}

quint8 TVuroRS232Comms::ReadReply() {
    m_Received.clear();
    m_Reply.clear();
    QDeadlineTimer progress(m_Deadlines.ProgressMs);
    const QDeadlineTimer absolute(m_Deadlines.AbsoluteMs);
    for (;;) {
        if (progress.hasExpired() || absolute.hasExpired())
            return rcTimeOut;
        const auto error = m_Port->error();
        if (error == QSerialPort::TimeoutError) {
            m_Port->clearError();
        } else if (error != QSerialPort::NoError) {
            return PortFailure();
        }
        if (m_Port->bytesAvailable() == 0) {
            // Sleeps in poll() until input arrives or the nearer deadline passes.
            m_Port->waitForReadyRead(Remaining(progress, absolute));
            continue;
        }
        QByteArray chunk = m_Port->read(ChunkSize);
        if (chunk.isEmpty())
            continue;
        if (const auto zero = chunk.indexOf('\0'); zero >= 0)
            chunk.truncate(zero);
        m_Received += chunk;
        if (const auto end = m_Received.indexOf(":~:"); end >= 0) {
            m_Received.truncate(end + 3);
            break;
        }
        progress.setRemainingTime(m_Deadlines.ProgressMs);
    }
    auto fields = SplitReply(m_Received);
    if (!fields)
        return rcSplitError;
    m_Reply = *fields;
    return rcOK;
}

QString TVuroRS232Comms::ReplyField(int i) const {
    return i >= 0 && i < m_Reply.size() ? m_Reply.at(i) : QString();
}

qint32 TVuroRS232Comms::ReplyInt(int i) const {
    return DecodeInt(ReplyField(i));
}

float TVuroRS232Comms::ReplyFloat(int i) const {
    const auto v = DecodeFloat(ReplyField(i));
    if (!v)
        throw EConvertError("'" + ReplyField(i).toStdString() + "' is not a valid floating point value");
    return *v;
}

QDateTime TVuroRS232Comms::ReplyDateTime(int i) const {
    return DecodeDateTime(ReplyField(i));
}

// --- Encodings ---

QString TVuroRS232Comms::IntToken(qint32 value) {
    return QStringLiteral("%1").arg(quint32(value), 8, 16, QLatin1Char('0')).toUpper();
}

QString TVuroRS232Comms::FloatToken(float value) {
    quint32 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return QString::number(bits, 16).toUpper();
}

QString TVuroRS232Comms::Escape(const QString& field) {
    QString out;
    out.reserve(field.size());
    for (const QChar c : field) {
        if (c == QLatin1Char('/') || c == QLatin1Char(':') || c == QLatin1Char('~'))
            out += QLatin1Char('/');
        out += c;
    }
    return out;
}

QByteArray TVuroRS232Comms::BuildFrame(const QStringList& tokens) {
    QByteArray frame("+");
    for (const auto& t : tokens)
        frame += Escape(t).toLatin1() + ':';
    frame += "~:";
    return frame;
}

std::optional<QStringList> TVuroRS232Comms::SplitReply(const QByteArray& frame) {
    // An escape takes the next character literally, so a field ending in an escaped "/" ("a//:")
    // still ends at its ":".
    QStringList fields;
    QByteArray field;
    for (qsizetype i = 0; i < frame.size(); ++i) {
        const char c = frame.at(i);
        if (c == '/') {
            if (i + 1 < frame.size())
                field += frame.at(++i);
        } else if (c == ':') {
            fields.append(QString::fromLatin1(field));
            field.clear();
        } else {
            field += c;
        }
    }
    if (fields.isEmpty())
        return std::nullopt;
    return fields;
}

qint32 TVuroRS232Comms::DecodeInt(const QString& field) {
    return qint32(Hex32(QStringView(field).trimmed()).value_or(0));
}

std::optional<float> TVuroRS232Comms::DecodeFloat(const QString& field) {
    const auto bits = Hex32(QStringView(field).trimmed());
    if (!bits)
        return std::nullopt;
    float v = 0;
    std::memcpy(&v, &*bits, sizeof v);
    return v;
}

QDateTime TVuroRS232Comms::DecodeDateTime(const QString& field) {
    const QString t = field.trimmed();
    if (t.size() != 12)
        return {};
    int part[6];
    for (int i = 0; i < 6; ++i) {
        const auto v = Hex32(QStringView(t).mid(2 * i, 2));
        if (!v)
            return {};
        part[i] = int(*v);
    }
    if (part[1] < 1 || part[1] > 12)
        return {};
    const QDate date(2000 + part[0], part[1], part[2]);
    const QTime time(part[3], part[4], part[5]);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time);
}

QString TVuroRS232Comms::EncodeDateTime(const QDateTime& when) {
    if (!when.isValid())
        return QStringLiteral("000000000000");
    const QDate d = when.date();
    const QTime t = when.time();
    const int part[6] = {d.year() - 2000, d.month(), d.day(), t.hour(), t.minute(), t.second()};
    QString out;
    for (int p : part)
        out += QStringLiteral("%1").arg(p & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
    return out;
}
