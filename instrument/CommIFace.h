#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// End of a text sequence on a byte line.
enum TEndOfSequence { eosCR, eosLF, eosCRLF, eosEOI, eosEOILF, eosEOT, eosNone };

// A byte-and-line device with a time-out and an end-of-sequence terminator. The base class does
// nothing but mark itself open or closed and keep the logs; TRS232Device puts a serial port
// behind it.
class TCommIFace {
public:
    enum TError { errNone = 0, errReadWrite = 3, errOpen = 8 };

    virtual ~TCommIFace() = default;

    quint16 TimeOut() const { return m_TimeOut; }
    void SetTimeOut(quint16 ms) { m_TimeOut = ms; }
    TEndOfSequence EOS() const { return m_EOS; }
    void SetEOS(TEndOfSequence eos) { m_EOS = eos; }
    bool IsOpen() const { return m_IsOpen; }
    int LastError() const { return m_LastError; }

    // Optional logs: every text written and every line read is appended while they are set.
    void SetSendLog(QStringList* log) { m_SendLog = log; }
    void SetReceiveLog(QStringList* log) { m_ReceiveLog = log; }

    // The terminator bytes of an end-of-sequence setting.
    static QByteArray Terminator(TEndOfSequence eos);

    virtual void SetError(int error) { m_LastError = error; }
    virtual void Open() { m_IsOpen = true; }
    virtual void Close() { m_IsOpen = false; }
    virtual bool ClearInput() { return true; }
    virtual quint8 ReadByte() { return 0; }
    virtual void WriteByte(quint8) {}
    virtual void WriteText(const QByteArray& text) { LogSent(text); }
    virtual QByteArray ReadLine() {
        LogReceived({});
        return {};
    }
    virtual int ReadStatus() { return 0; }
    virtual int ReadBlock(char*, int) { return 0; }
    virtual bool Ready() { return true; }

protected:
    void LogSent(const QByteArray& text) {
        if (m_SendLog)
            m_SendLog->append(QString::fromLatin1(text));
    }
    void LogReceived(const QByteArray& line) {
        if (m_ReceiveLog)
            m_ReceiveLog->append(QString::fromLatin1(line));
    }

    bool m_IsOpen = false;

private:
    quint16 m_TimeOut = 1000;
    TEndOfSequence m_EOS = eosCRLF;
    int m_LastError = errNone;
    QStringList* m_SendLog = nullptr;
    QStringList* m_ReceiveLog = nullptr;
};
