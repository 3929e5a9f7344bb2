#pragma once
#include "IndexRecords.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class TSqlConnection;

// The index of the test documents: one row per test file and one per result row, in an SQLite
// database in the user's data folder. The documents stay the truth: the index is made from them
// and can always be made again. One object per thread (each has a connection of its own); the
// program and the command-line tool may use the same file at once.
class TTestIndex {
public:
    TTestIndex();
    ~TTestIndex();
    TTestIndex(const TTestIndex&) = delete;
    TTestIndex& operator=(const TTestIndex&) = delete;

    // "TestIndex.sqlite" in the user's data folder.
    static QString DefaultFile();

    struct TOpenResult {
        bool Ok = false;
        // The file was damaged (or made by a newer program): it was kept as KeptAs and the index
        // made anew, empty; the caller indexes its folders again and tells the operator.
        bool Rebuilt = false;
        QString Reason; // why it was rebuilt
        QString KeptAs;
        QString Error; // why no index could be opened at all
    };
    // Opens the index, making it (and its folder) when missing and bringing an older layout up to
    // date.
    TOpenResult Open(const QString& file = DefaultFile());
    bool IsOpen() const;
    QString File() const { return FFile; }

    // One test file read again (after a save). A file that is gone leaves the index.
    TIndexOutcome IndexFile(const QString& path);
    // Every test file (*.xml) in the folders and below. Tests in the index whose file has not
    // changed (time and size) are not read; a file that changed is read again when its content
    // did; tests of these folders whose file is gone leave the index. With alsoKnown every test of
    // the index outside the folders is checked the same way.
    TIndexOutcome IndexFolders(const QStringList& folders, bool alsoKnown = false);

    // The tests of one serial number (and type, when not empty), oldest first: this test set's
    // and the fleet's. With withRows each carries its result rows.
    QList<THistoryEntry> History(const QString& serialNo, const QString& type = QString(),
                                 bool withRows = false) const;
    std::optional<TIndexedTest> Test(const QString& path, bool withRows = false) const;
    int TestCount() const;
    QList<TUnreadableTest> Unreadable() const;

    // --- the fleet's bookkeeping (TFleetStore) -------------------------------------------
    // This test set's name in the fleet: made once, kept beside the index (it survives a rebuild).
    QString TestSetId() const;
    // Tests whose present version the fleet store does not hold yet, with their rows.
    QList<TIndexedTest> Unsynced() const;
    // The fleet store holds this version of the test.
    bool MarkSynced(const QString& path, const QByteArray& hash);
    // A test of another test set, as the fleet store has it (replacing its earlier version).
    bool StoreFleetTest(const QString& origin, const TIndexedTest& test);
    // The version (hash) of each fleet test here, by origin and path ("origin\npath").
    QHash<QString, QByteArray> FleetVersions() const;
    // Rows of fleet versions no test refers to any more go.
    void DropStaleFleetRows();
    int FleetTestCount() const;

    QString LastError() const { return FError; }

private:
    bool Prepare(QString* error);
    bool Store(const TIndexedTest& test, QString* error);
    bool StoreUnreadable(const QString& path, const QString& reason, qint64 modified, qint64 size);
    bool Remove(const QString& path);
    // Reads path into the index when it changed; counts into outcome.
    void Visit(const QString& path, TIndexOutcome& outcome);
    QList<TIndexedRow> Rows(const QString& sql, const QVariant& key) const;

    std::unique_ptr<TSqlConnection> FConnection;
    QString FFile;
    mutable QString FError;
};
