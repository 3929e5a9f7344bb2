#pragma once
#include "CommIFace.h"

#include <QMutex>

enum TRs232Port {
    rsCOM1,
    rsCOM2,
    rsCOM3,
    rsCOM4,
    rsCOM5,
    rsCOM6,
    rsCOM7,
    rsCOM8,
    rsCOM9,
    rsCOM10,
    rsCOM11,
    rsCOM12,
    rsCOM13,
    rsCOM14,
    rsCOM15,
    rsCOM16,
    rsCOM17,
    rsCOM18,
    rsCOM19,
    rsCom20
};
enum TRs232Parity { rsNone, rsOdd, rsEven };
enum TRs232Protocol { rsNoProtocol, rsRTS_CTS, rsXOn_XOff };

// A serial port with configurable line settings, shared by threads: every operation holds the
// device's lock for its whole length (the print thread writes while the user interface asks
// for the printer's state).
//
// Built on the POSIX terminal interface rather than QSerialPort: a QSerialPort belongs to one
// thread and reads ahead into its own buffer from that thread's event loop, which would take
// the printer's status bytes away from ReadByte.
class TRS232Device : public TCommIFace {
public:
    TRS232Device() = default;
    ~TRS232Device() override;
    TRS232Device(const TRS232Device&) = delete;
    TRS232Device& operator=(const TRS232Device&) = delete;

    TRs232Port ComPort() const { return m_ComPort; }
    void SetComPort(TRs232Port port) { m_ComPort = port; }
    // A device name that replaces "COM<n>" (a USB adapter, a pseudo-terminal); empty = ComPort.
    QString PortName() const { return m_PortName; }
    void SetPortName(const QString& name) { m_PortName = name; }
    int BaudRate() const { return m_BaudRate; }
    void SetBaudRate(int baud) { m_BaudRate = baud; }
    TRs232Parity Parity() const { return m_Parity; }
    void SetParity(TRs232Parity parity) { m_Parity = parity; }
    int StopBits() const { return m_StopBits; }
    void SetStopBits(int bits) { m_StopBits = bits; }
    int DataBits() const { return m_DataBits; }
    void SetDataBits(int bits) { m_DataBits = bits; }
    // Kept for the settings only: the port always runs without flow control.
    TRs232Protocol Protocol() const { return m_Protocol; }
    void SetProtocol(TRs232Protocol protocol) { m_Protocol = protocol; }

    // Why the last open failed (names the dialout group on permission denied).
    QString LastErrorText() const;
    // For callers that need several operations in a row undisturbed.
    QRecursiveMutex& Lock() { return m_Lock; }

    void SetError(int error) override;
    void Open() override;
    void Close() override;
    bool ClearInput() override;
    quint8 ReadByte() override;
    void WriteByte(quint8 byte) override;
    void WriteText(const QByteArray& text) override;
    QByteArray ReadLine() override;
    int ReadBlock(char* buffer, int capacity) override;
    bool Ready() override;

    // For a thread that streams bytes (the print thread): the bytes that have arrived, without
    // waiting (-1 when the line is gone); the bytes written whole or not at all; a wait of at most
    // `ns` for input (true when some arrived), the lock held meanwhile, so keep it short.
    int ReadPending(char* buffer, int capacity);
    bool WriteBytes(const QByteArray& bytes);
    bool WaitForInput(qint64 ns);

private:
    bool ReadOne(char& c);
    bool WriteAll(const QByteArray& bytes);
    bool Configure();

    mutable QRecursiveMutex m_Lock;
    TRs232Port m_ComPort = rsCOM1;
    QString m_PortName;
    int m_BaudRate = 9600;
    TRs232Parity m_Parity = rsNone;
    int m_StopBits = 1;
    int m_DataBits = 8;
    TRs232Protocol m_Protocol = rsNoProtocol;
    QByteArray m_Terminator = QByteArray("\r\n");
    int m_Fd = -1;
    QString m_LastErrorText;
};
