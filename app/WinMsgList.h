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
