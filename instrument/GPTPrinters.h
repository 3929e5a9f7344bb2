#pragma once
#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <functional>
#include <memory>
#include <pthread.h>

#include "CommIFaceRS232.h"

class TGPTPrinter;

// The printer's flow-control and status bytes, and the status codes they give.
namespace GPT {
constexpr char XON = 17;
constexpr char XOFF = 19;
constexpr char PaperOutByte = 'P';
enum TStatus : int { stNone = 0, stXOn = 1, stXOff = 2, stPaperOut = 3 };
// The initialise sequence: ESC "[" "@" CAN.
inline const QByteArray Initialise = QByteArray("\x1b[@\x18", 4);
} // namespace GPT

// Trickles the printer's send buffer out at the line's pace and follows the printer's status
// bytes: XOFF and paper out hold the output, XON releases it; after a paper out any byte but
// another "P" or an XOFF says the paper is back and releases it too. Five seconds without a byte
// from the printer release an XOFF, never a paper out. It reads CTS itself before it sends. While
// the port is not open (a printer switched on later, a USB adapter plugged in later, a line that
// hung up) it opens the port by name again every few seconds, as the instrument link does.
class TPrintThread : public QThread {
public:
    explicit TPrintThread(TGPTPrinter& printer) : FPrinter(printer) {}
    qint64 CpuTimeNs() const;

protected:
    void run() override;

private:
    TGPTPrinter& FPrinter;
    std::atomic<bool> FHaveHandle{false};
    pthread_t FHandle{};
};

// The serial line printer: a port of its own (9600 baud, 8N1, no flow control of the port) and
// the print thread. Queuing returns at once; every queuing operation asks Ready first and queues
// nothing when it is false. Status changes reach StatusChanged on this object's thread, queued.
class TGPTPrinter : public QObject {
    Q_OBJECT
public:
    explicit TGPTPrinter(QObject* parent = nullptr);
    ~TGPTPrinter() override;

    TRs232Port RS232Port() const { return FPortNumber; }
    void SetRS232Port(TRs232Port port) { FPortNumber = port; }
    // A device name that replaces "COM<n>" (/dev/ttyUSB0, a pseudo-terminal); empty = RS232Port.
    QString PortName() const { return FPortName; }
    void SetPortName(const QString& name) { FPortName = name; }
    int BaudRate() const { return FBaud; }

    // Opens the port (after closing an open one) and starts the print thread; false when the
    // port did not open now (LastErrorText says why): the thread then keeps opening it by name
    // every ReopenInterval until it opens. Close ends that.
    bool Open();
    void Close();
    bool IsOpen() const { return FOpen; }
    QString LastErrorText() const { return FLastError; }
    // Port open and the printer's CTS on (a line without modem lines counts as on).
    bool Ready() const;
    bool PaperOut() const { return FPaperOut; }
    // The status code last reported (GPT::TStatus).
    int Status() const { return FReported; }

    bool Initialise();
    // ESC "P" mode, then the text and CR.
    bool PrintLine(const QString& text, int mode);
    // The picture's bit-image lines; false (nothing queued) when it is missing or no PCX picture.
    bool PrintPicture(const QString& fileName, bool invert);
    // The bytes a text becomes on the printer: control characters (below 0x20, 0x7F and
    // 0x80 ... 0x9F) become blanks, what Latin-1 cannot hold becomes "?".
    static QByteArray PrinterText(const QString& text);
    // ESC "g", n, then the n bytes (at most 255: a longer line is cut).
    static QByteArray BitImageLine(const QByteArray& raster);
    // Bytes queued and not yet sent; bytes queued since Open.
    qsizetype Pending() const;
    quint64 QueuedBytes() const { return FQueued; }

    // For tests and benchmarks: the clock of the five-second rule (milliseconds), set before Open;
    // the silence after which an XOFF is released; the rounds the thread has run; its CPU time.
    void SetClock(std::function<qint64()> clock) { FClock = std::move(clock); }
    void SetSilenceLimit(int ms) { FSilenceLimit = ms; }
    // Between two attempts to open a port that is not there (milliseconds of real time).
    void SetReopenInterval(int ms) { FReopenMs = ms; }
    int ReopenInterval() const { return FReopenMs; }
    quint64 Rounds() const { return FRounds; }
    qint64 ThreadCpuNs() const;

Q_SIGNALS:
    void StatusChanged(int status);
    // Ready() changed as the thread saw it: the port opened or was lost, CTS came or went.
    void ReadyChanged(bool ready);

private:
    friend class TPrintThread;
    bool Queue(const QByteArray& bytes);
    void Report(int status);
    void ReportReady();

    TRS232Device FPort;
    TRs232Port FPortNumber = rsCOM1;
    QString FPortName;
    QString FLastError;
    int FBaud = 9600;
    std::atomic<bool> FOpen{false};
    std::function<qint64()> FClock;
    int FSilenceLimit = 5000;
    int FReopenMs = 2000;

    mutable QMutex FLock; // the send buffer
    QWaitCondition FWake;
    QByteArray FBuffer;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FCts{false};
    std::atomic<bool> FPaused{false};
    std::atomic<bool> FPaperOut{false};
    std::atomic<int> FReported{GPT::stNone};
    std::atomic<bool> FReadyReported{false};
    std::atomic<quint64> FRounds{0};
    std::atomic<quint64> FQueued{0};
    std::unique_ptr<TPrintThread> FThread;
};
