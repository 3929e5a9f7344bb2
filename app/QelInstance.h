#pragma once
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

// One program per configuration, and so per instrument port: the first start of a configuration
// takes a lock and answers under a name made from its configuration file; a later start with the
// same configuration asks it to come to the front and ends without touching the port. The name is
// the configuration file's, not the user's, so that programs (and test runs) with configurations
// of their own never meet.
class TQelInstance : public QObject {
    Q_OBJECT
public:
    explicit TQelInstance(const QString& configFileName, QObject* parent = nullptr);
    ~TQelInstance() override;

    // The first program of its configuration: it now answers later starts.
    bool IsFirst() const { return FFirst; }
    // A later start: asks the first program to come to the front. False when it did not answer
    // within timeLimitMs (busy, or hung): then the caller says that it is already running.
    bool ActivateFirst(int timeLimitMs) const;

    // The name under which the programs of a configuration meet.
    static QString KeyFor(const QString& configFileName);

Q_SIGNALS:
    // A later start of this configuration asked: the window comes to the front.
    void ActivationRequested();

private:
    void Answer();

    QString FKey;
    QLockFile FLock;
    bool FFirst = false;
    QLocalServer* FServer = nullptr;
};
