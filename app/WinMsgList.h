#pragma once
#include <QEvent>
#include <QList>
#include <QMutex>
#include <QPointer>

class QObject;

// The application's window messages. They keep their historic numbers, which lie in Qt's
// user event range, so that every receiver tells them apart by QEvent::type().
enum TQelMessageId : int {
    UM_SETTINGSCHANGED = 1384,
    UM_DOCCHANGED = 1389,
    UM_FILESCHANGED = 1390,
    UM_NEWDOC = 1391,
    UM_LINKSTATE = 1393,
    UM_STARTUP = 1395,
    UM_RESULT = 1401,
    UM_NODUTDATA = 1402,
};

// Sub-codes of UM_LINKSTATE: wParam says what changed.
enum TLinkStateWParam : int {
    wpLinkState = 0,     // the link state (or whether the instrument answers) changed
    wpTestStatus = 2,    // the instrument's test status was read
    wpCompleted = 3,     // a queued request completed; lParam its CommandType or a code below
    wpUploadEnded = 4,   // a memory upload ended; lParam a TUploadEnd (sent once per upload)
    wpDeleteRefused = 5, // the instrument kept a memory slot it was to delete; lParam the slot
};
// lParam with wpCompleted besides the command types.
enum TCompletedLParam : int {
    lpAllRecordsRead = 500,  // the last stored test of the memory was read
    lpDirectoryListed = 501, // the last directory entry was read
};
// UM_RESULT: wParam wpResult; lParam lpTapResult for a tap read from the instrument (TESTGETTAP),
// lpOwnResult for a result the application made itself (simulation, phase shift detector).
enum TResultParam : int { wpResult = 2, lpOwnResult = 0, lpTapResult = 17 };

// Why a memory upload ended (lParam of wpUploadEnded).
enum class TUploadEnd : int {
    Done = 0,          // every listed slot was read (some may have been refused, see the message)
    NothingStored = 1, // no slot flagged after four directory reads
    Refused = 2,       // the instrument refused to list its memory
    LinkLost = 3,      // the instrument stopped answering, or the link went down
    Unreadable = 4,    // the directory reply did not read
    Stalled = 5,       // no progress for the stall time
    NoLink = 6,        // not started: no instrument connected
    Simulation = 7,    // not started: simulation has no instrument memory
};

class TQelMessage : public QEvent {
public:
    TQelMessage(int message, qintptr wParam, qintptr lParam)
        : QEvent(static_cast<QEvent::Type>(message)), WParam(wParam), LParam(lParam) {}
    const qintptr WParam;
    const qintptr LParam;
};

// Delivers one message to every registered window in registration order: Post queues it
// (the receiver runs later in the event loop), Send delivers it to each window in turn now.
// Registration is guarded so windows of any thread may come and go.
class TWinMsgList {
public:
    void RegisterWindow(QObject* window);
    void UnregisterWindow(QObject* window);
    void PostToAll(int message, qintptr wParam, qintptr lParam);
    void SendToAll(int message, qintptr wParam, qintptr lParam);
    int Count() const;

private:
    QList<QPointer<QObject>> Snapshot() const;
    mutable QMutex FLock;
    QList<QPointer<QObject>> FWindows;
};
