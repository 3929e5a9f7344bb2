#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <stdexcept>

class QSerialPort;
class QThread;

// Raised by TVuroRS232Comms::ReplyFloat for a missing or non-hexadecimal field; the instrument
// thread catches it, beeps and carries on with its next pass.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Framed ASCII transport of the instrument link: one request frame out, one reply frame back.
//
// Frame: "+" field ":" field ":" ... "~:"; "/", ":" and "~" inside a field are escaped by "/".
// Numbers travel as hexadecimal text (integers 8 digits, floats as their IEEE-754 single bits).
//
// Threading: no lock. The serial port object is created by Open in the calling thread; when the
// transport is driven by another thread, name that thread with SetWorkerThread before Open so the
// port is handed over to it (QSerialPort must live in the thread that does its I/O).
class TVuroRS232Comms {
public:
    // Result codes of the transport operations.
    enum TResult : quint8 {
        rcOK = 0,
        rcWriteClosed = 1, // write attempted on a closed port
        rcTimeOut = 2,     // write stalled 3 s, or reply not complete in time
        rcSystemError = 3, // operating-system error; see LastSystemError
        rcLineError = 4,   // line error (overrun, parity, framing, device lost)
        rcSplitError = 5,  // reply frame cannot be split into fields
        rcNotOpen = 6,     // exchange attempted on a closed port
    };

    // Reply deadlines: progress restarts the first, the second bounds the whole reply.
    static constexpr int ProgressTimeOutMs = 3000;
    static constexpr int AbsoluteTimeOutMs = 6000;
    static constexpr int WriteStallTimeOutMs = 3000;

    // The deadlines in force (the ones above unless a test shortens them).
    struct TDeadlines {
        int ProgressMs = ProgressTimeOutMs;
        int AbsoluteMs = AbsoluteTimeOutMs;
        int WriteStallMs = WriteStallTimeOutMs;
        bool operator==(const TDeadlines&) const = default;
    };

    TVuroRS232Comms();
    ~TVuroRS232Comms();
    TVuroRS232Comms(const TVuroRS232Comms&) = delete;
    TVuroRS232Comms& operator=(const TVuroRS232Comms&) = delete;

    // Thread that will do the I/O after Open (nullptr: the thread calling Open).
    void SetWorkerThread(QThread* thread);
    void SetDeadlines(const TDeadlines& deadlines) { m_Deadlines = deadlines; }
    TDeadlines Deadlines() const { return m_Deadlines; }

    // Opens the port at 9600 8N1, raw, no flow control, DTR/RTS off. 0 when already open.
    // On failure: rcSystemError, LastSystemError/LastErrorText set, port closed again.
    quint8 Open(const QString& portName);
    // Discards pending input and output and closes; returns the system error of the close or 0.
    int Close();
    bool IsOpen() const;
    QString PortName() const { return m_PortName; }

    // Request tokens of the next frame.
    void AddInt(qint32 value);
    void AddFloat(float value);
    void AddText(const QString& token);
    void AddTokens(const QStringList& tokens);
    QStringList& Tokens() { return m_Tokens; }
    const QStringList& Tokens() const { return m_Tokens; }
    void ClearTokens() { m_Tokens.clear(); }

    // Sends the request tokens as one frame and collects the reply frame (see TResult).
    quint8 Exchange();

    // Typed reads of reply field i. ReplyInt/ReplyDateTime give 0 / an invalid date-time for a
    // missing or malformed field; ReplyFloat throws EConvertError.
    qint32 ReplyInt(int i) const;
    float ReplyFloat(int i) const;
    QDateTime ReplyDateTime(int i) const;
    QString ReplyField(int i) const; // empty when missing
    int ReplyCount() const { return int(m_Reply.size()); }
    const QStringList& ReplyFields() const { return m_Reply; }
    // The whole received frame text (callers look for "+ERROR:" in it).
    QString ReceivedText() const { return QString::fromLatin1(m_Received); }

    // Tokens and reply fields as comma-separated text, for the debug status bar.
    QString TokensText() const { return m_Tokens.join(QLatin1Char(',')); }
    QString ReplyText() const { return m_Reply.join(QLatin1Char(',')); }

    quint32 LastSystemError() const { return m_LastSystemError; }
    // Human-readable cause of the last failure: a port held by another program is "in use"; only
    // a port the user may not open names the dialout group.
    QString LastErrorText() const { return m_LastErrorText; }

    // --- Encodings and framing, shared with the instrument emulator and the fuzz targets. ---
    // "COMn" -> /dev/ttyS<n-1>; a name containing "/" as is; anything else under /dev/.
    static QString SystemPortName(const QString& portName);
    static QString IntToken(qint32 value);
    static QString FloatToken(float value);
    static QString Escape(const QString& field);
    static QByteArray BuildFrame(const QStringList& tokens);
    // Splits a received frame (up to and including ":~:") into unescaped fields; nullopt when
    // it gives no field.
    static std::optional<QStringList> SplitReply(const QByteArray& frame);
    static qint32 DecodeInt(const QString& field);
    static std::optional<float> DecodeFloat(const QString& field);
    static QDateTime DecodeDateTime(const QString& field);
    static QString EncodeDateTime(const QDateTime& when);

private:
    quint8 WriteFrame(const QByteArray& frame);
    quint8 ReadReply();
    quint8 SystemFailure(const QString& what);
    quint8 PortFailure();

    std::unique_ptr<QSerialPort> m_Port;
    QThread* m_WorkerThread = nullptr;
    TDeadlines m_Deadlines;
    QString m_PortName;
    QStringList m_Tokens;
    QStringList m_Reply;
    QByteArray m_Received;
    quint32 m_LastSystemError = 0;
    QString m_LastErrorText;
    bool m_LastFailed = false;
};
