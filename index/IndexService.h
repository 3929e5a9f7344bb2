#pragma once
#include "FleetSettings.h"
#include "FleetStore.h"
#include "IndexRecords.h"
#include "TestSavedIFace.h"

#include <QMutex>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThread>

#include <memory>

class QTimer;
class TOperatorIFace;
class TTestIndex;

// The test index and the fleet store of the program, kept current on a thread of their own
// ("Index"), so that no save and no screen waits for them: at start-up every test changed
// meanwhile is read, after every save the saved test, and when a fleet store is set up each of
// these ends with a sync. A sync that fails is tried again after RetryMs; the operator is never
// asked to wait and nothing local is touched. Results come back as signals on the thread of
// this object.
class TTestIndexService : public QObject, public TTestSavedIFace {
    Q_OBJECT
public:
    struct TSettings {
        QString IndexFile;     // empty: TTestIndex::DefaultFile()
        QStringList Folders;   // read at start-up (the data folder)
        TFleetSettings Fleet;  // Host empty: no fleet
        int RetryMs = 60000;   // a failed sync is tried again after this
        QString FleetFolder;   // where fleet tests are put to be opened; empty: beside the index
    };

    TTestIndexService(TSettings settings, TOperatorIFace* op, QObject* parent = nullptr);
    // Finishes the work under way and closes the index.
    ~TTestIndexService() override;

    // Opens the index (a damaged one is made again and the operator told), reads the folders,
    // then syncs.
    void Start();
    // After a save: the test is read again (saves that come while it waits are read once), then
    // a sync.
    void TestSaved(const QString& fileName) override;
    // The history of a transformer, delivered by HistoryReady.
    void RequestHistory(const QString& serialNo, const QString& type);
    // The document of a fleet test, put into the fleet folder; delivered by FleetTestFetched.
    void FetchFleetTest(const THistoryEntry& entry);
    // Waits until every job handed over so far is done (its signals follow as events).
    void Finish();

    bool FleetEnabled() const { return FSettings.Fleet.Enabled(); }
    // Where fleet tests are put to be opened (never indexed as this test set's).
    QString FleetFolder() const;

Q_SIGNALS:
    void Opened(bool rebuilt);
    void Indexed(const TIndexOutcome& outcome);
    void Synced(const TFleetStore::TSyncOutcome& outcome);
    void HistoryReady(const QString& serialNo, const QString& type, const QList<THistoryEntry>& history,
                      const QList<TUnreadableTest>& unreadable);
    void FleetTestFetched(const QString& fileName, const QString& error);

private:
    void Post(std::function<void()> job);
    template <class F> void Deliver(F f) { QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection); }
    // On the index thread.
    void OpenIndex();
    void IndexSaved();
    void Sync();

    TSettings FSettings;
    TOperatorIFace* FOperator;
    QThread FThread;
    std::unique_ptr<QObject> FWorker;
    // Owned on the index thread.
    std::unique_ptr<TTestIndex> FIndex;
    std::unique_ptr<TFleetStore> FStore;
    QTimer* FRetry = nullptr;
    QMutex FLock;
    QSet<QString> FSaved; // saved tests waiting to be read; guarded by FLock
    bool FSavedQueued = false;
};
