#include "WinMsgList.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QObject>

void TWinMsgList::RegisterWindow(QObject* window) {
    QMutexLocker lock(&FLock);
    if (window && !FWindows.contains(window))
        FWindows.append(window);
}

void TWinMsgList::UnregisterWindow(QObject* window) {
    QMutexLocker lock(&FLock);
    FWindows.removeAll(window);
}

int TWinMsgList::Count() const {
    QMutexLocker lock(&FLock);
    return static_cast<int>(FWindows.size());
}

QList<QPointer<QObject>> TWinMsgList::Snapshot() const {
    QMutexLocker lock(&FLock);
    return FWindows;
}

void TWinMsgList::PostToAll(int message, qintptr wParam, qintptr lParam) {
    for (const auto& w : Snapshot())
        if (w)
            QCoreApplication::postEvent(w, new TQelMessage(message, wParam, lParam));
}

void TWinMsgList::SendToAll(int message, qintptr wParam, qintptr lParam) {
    // The lock is not held while a window handles the message: a receiver may register or
    // unregister windows, and a window destroyed by an earlier receiver is skipped.
    for (const auto& w : Snapshot()) {
        if (!w)
            continue;
        TQelMessage msg(message, wParam, lParam);
        QCoreApplication::sendEvent(w, &msg);
    }
}
