#pragma once
#include "FleetSettings.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class TSqlConnection;
class TTestIndex;

// The fleet's shared store on a PostgreSQL server: every test set sends its tests there (the
// document's bytes and its index rows) and takes the others' tests into its index, so the
// history of a transformer shows every test of the fleet. Sending is idempotent by content hash:
// a version the store holds is never sent again, and a test is sent in one transaction, so a
// sync cut off at any point leaves complete tests and goes on where it stopped. A sync only
// reads the test files; the store is an archive (a test deleted here stays there).
//
// Layout versions (table qel_schema): 1 documents, tests, result rows; 2 the verdict of each test.
// An older layout is brought up to date by the first sync that reaches it; a newer one is left
// alone and nothing is sent.
class TFleetStore {
public:
    static constexpr int SchemaVersion = 2;

    explicit TFleetStore(TFleetSettings settings,
                         QProcessEnvironment env = QProcessEnvironment::systemEnvironment());
    ~TFleetStore();
    TFleetStore(const TFleetStore&) = delete;
    TFleetStore& operator=(const TFleetStore&) = delete;

    struct TSyncOutcome {
        bool Ok = false;         // everything waiting was sent and the fleet's tests taken
        bool Reached = false;    // the server answered
        int Sent = 0;            // tests sent
        int AlreadyThere = 0;    // tests the store held already (nothing sent)
        int Waiting = 0;         // tests still to be sent (the next sync tries again)
        int Received = 0;        // fleet tests new or changed here
        int MigratedFrom = 0;    // the store's layout was brought up from this version; 0 not
        QString Error;           // why the sync stopped
        QStringList Notes;       // tests left out and why (a file that changed or is gone)
    };
    // Sends this test set's new and changed tests, then takes the fleet's.
    TSyncOutcome Sync(TTestIndex& index);
    // The bytes of one version of a test.
    bool Fetch(const QByteArray& hash, QByteArray* content, QString* error);

    // Makes the store's layout up to `version` (a new store: all of it). False with error.
    bool PrepareSchema(int version, int* migratedFrom, QString* error);
    bool Connect(QString* error);
    void Disconnect();

    // After each test the store has taken (tests cut a sync off here).
    std::function<void(int sent)> OnSent;

private:
    bool Push(TTestIndex& index, TSyncOutcome& outcome);
    bool Pull(TTestIndex& index, TSyncOutcome& outcome);

    TFleetSettings FSettings;
    QProcessEnvironment FEnv;
    std::unique_ptr<TSqlConnection> FConnection;
};
