#include "IndexService.h"

#include "OperatorIFace.h"
#include "SafeFileWriter.h"
#include "TestIndex.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QSemaphore>
#include <QTimer>

Q_LOGGING_CATEGORY(lcQelIndex, "qel.index")

TTestIndexService::TTestIndexService(TSettings settings, TOperatorIFace* op, QObject* parent)
    : QObject(parent), FSettings(std::move(settings)), FOperator(op), FWorker(std::make_unique<QObject>()) {
    FThread.setObjectName(QStringLiteral("Index"));
    FWorker->moveToThread(&FThread);
    FThread.start(QThread::LowPriority);
}

TTestIndexService::~TTestIndexService() {
    // The index and the store belong to the index thread: they close there.
    Post([this] {
        delete FRetry;
        FRetry = nullptr;
        FStore.reset();
        FIndex.reset();
    });
    Finish();
    FThread.quit();
    FThread.wait();
}

void TTestIndexService::Post(std::function<void()> job) {
    QMetaObject::invokeMethod(FWorker.get(), std::move(job), Qt::QueuedConnection);
}

void TTestIndexService::Finish() {
    QSemaphore done;
    Post([&done] { done.release(); });
    done.acquire();
}

void TTestIndexService::Start() {
    Post([this] {
        OpenIndex();
        if (!FIndex)
            return;
        const TIndexOutcome o = FIndex->IndexFolders(FSettings.Folders, true);
        for (const TUnreadableTest& u : o.Unreadable)
            qCInfo(lcQelIndex, "%s: unreadable: %s", qUtf8Printable(u.Path), qUtf8Printable(u.Reason));
        Deliver([this, o] { Q_EMIT Indexed(o); });
        Sync();
    });
}

void TTestIndexService::OpenIndex() {
    FIndex = std::make_unique<TTestIndex>();
    const TTestIndex::TOpenResult r =
        FIndex->Open(FSettings.IndexFile.isEmpty() ? TTestIndex::DefaultFile() : FSettings.IndexFile);
    if (!r.Ok) {
        qCWarning(lcQelIndex, "the test index cannot be opened: %s", qUtf8Printable(r.Error));
        FIndex.reset();
        Deliver([this] { Q_EMIT Opened(false); });
        return;
    }
    if (FSettings.Fleet.Enabled())
        FStore = std::make_unique<TFleetStore>(FSettings.Fleet);
    FRetry = new QTimer;
    FRetry->setSingleShot(true);
    FRetry->setInterval(FSettings.RetryMs);
    QObject::connect(FRetry, &QTimer::timeout, FRetry, [this] { Sync(); });
    const bool rebuilt = r.Rebuilt;
    if (rebuilt)
        qCWarning(lcQelIndex, "the test index was damaged (%s) and is made again", qUtf8Printable(r.Reason));
    Deliver([this, rebuilt] {
        if (rebuilt && FOperator)
            FOperator->Inform(
                QStringLiteral("The test index was damaged. It is made again from the test documents."));
        Q_EMIT Opened(rebuilt);
    });
}

QString TTestIndexService::FleetFolder() const {
    return FSettings.FleetFolder.isEmpty()
               ? QFileInfo(FSettings.IndexFile.isEmpty() ? TTestIndex::DefaultFile() : FSettings.IndexFile)
                         .absolutePath() +
                     QStringLiteral("/Fleet")
               : QFileInfo(FSettings.FleetFolder).absoluteFilePath();
}

void TTestIndexService::TestSaved(const QString& fileName) {
    const QString path = QFileInfo(fileName).absoluteFilePath();
    // A fleet test opened here is another test set's: it is not indexed or sent as this one's.
    if (path.startsWith(FleetFolder() + u'/'))
        return;
    {
        const QMutexLocker hold(&FLock);
        FSaved.insert(path);
        if (FSavedQueued)
            return;
        FSavedQueued = true;
    }
    Post([this] { IndexSaved(); });
}

void TTestIndexService::IndexSaved() {
    QSet<QString> saved;
    {
        const QMutexLocker hold(&FLock);
        saved.swap(FSaved);
        FSavedQueued = false;
    }
    if (!FIndex)
        return;
    for (const QString& file : std::as_const(saved)) {
        const TIndexOutcome o = FIndex->IndexFile(file);
        Deliver([this, o] { Q_EMIT Indexed(o); });
    }
    Sync();
}

void TTestIndexService::Sync() {
    if (!FIndex || !FStore)
        return;
    FRetry->stop();
    const TFleetStore::TSyncOutcome o = FStore->Sync(*FIndex);
    if (!o.Ok) {
        // Offline is normal: the tests wait, and the next try comes by itself.
        qCInfo(lcQelIndex, "fleet sync: %s; %d test(s) wait", qUtf8Printable(o.Error), o.Waiting);
        FRetry->start();
    }
    Deliver([this, o] { Q_EMIT Synced(o); });
}

void TTestIndexService::RequestHistory(const QString& serialNo, const QString& type) {
    Post([this, serialNo, type] {
        QList<THistoryEntry> history;
        QList<TUnreadableTest> unreadable;
        if (FIndex) {
            history = FIndex->History(serialNo, type, true);
            unreadable = FIndex->Unreadable();
        }
        Deliver([this, serialNo, type, history, unreadable] { Q_EMIT HistoryReady(serialNo, type, history, unreadable); });
    });
}

void TTestIndexService::FetchFleetTest(const THistoryEntry& entry) {
    Post([this, entry] {
        QString error;
        QByteArray content;
        QString file;
        if (!FStore)
            error = QStringLiteral("no fleet store is set up");
        else if (FStore->Fetch(entry.Hash, &content, &error)) {
            const QString folder = FleetFolder();
            // One folder per test set and version: a fleet test never replaces a test of this one.
            file = folder + u'/' + entry.Origin + u'/' + QString::fromLatin1(entry.Hash.left(12)) + u'/' +
                   QFileInfo(entry.Path).fileName();
            if (!QDir().mkpath(QFileInfo(file).path()) || !ReplaceFile(file, content, QString(), &error))
                file.clear();
        }
        Deliver([this, file, error] { Q_EMIT FleetTestFetched(file, error); });
    });
}
