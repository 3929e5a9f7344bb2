#include "QelInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

const QByteArray Request = QByteArrayLiteral("activate\n");
const QByteArray Reply = QByteArrayLiteral("activated\n");

} // namespace

QString TQelInstance::KeyFor(const QString& configFileName) {
    // The file may not exist yet; its folder does, and its real path names it once only.
    const QFileInfo file(configFileName);
    QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        folder = file.absolutePath();
    const QByteArray path = (folder + '/' + file.fileName()).toUtf8();
    return QStringLiteral("Qel8625-") +
           QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex().left(20));
}

TQelInstance::TQelInstance(const QString& configFileName, QObject* parent)
    : QObject(parent), FKey(KeyFor(configFileName)),
      FLock(QDir::temp().filePath(FKey + QStringLiteral(".lock"))) {
    // The lock decides who is first; the server only answers. A lock left by a program that died
    // is taken over, but never one of a program that runs, however long it has run.
    FLock.setStaleLockTime(0);
    if (!FLock.tryLock(0))
        return;
    FFirst = true;
    // Holding the lock, a socket left behind by a crash can go.
    QLocalServer::removeServer(FKey);
    auto server = std::make_unique<QLocalServer>(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // Without the name the program still runs; later starts then say that it does.
    if (!server->listen(FKey))
        return;
    FServer = server.release();
    connect(FServer, &QLocalServer::newConnection, this, &TQelInstance::Answer);
}

TQelInstance::~TQelInstance() {
    if (FServer)
        FServer->close();
}

void TQelInstance::Answer() {
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == Request) {
                Q_EMIT ActivationRequested();
                socket->write(Reply);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

bool TQelInstance::ActivateFirst(int timeLimitMs) const {
    const QDeadlineTimer deadline(timeLimitMs);
    QLocalSocket socket;
    socket.connectToServer(FKey);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(Request);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    return socket.readLine() == Reply;
}
