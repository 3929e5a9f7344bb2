#pragma once
#include <QProcessEnvironment>
#include <QString>

// Where the fleet's shared store is: section "Fleet" of the configuration file. A Host turns
// synchronisation on. The password is never part of the configuration: it is read from the file
// PasswordFile names (its first line), else from the environment variable QEL8625_FLEET_PASSWORD,
// else the database client's own ways apply (PGPASSWORD, ~/.pgpass).
struct TFleetSettings {
    QString Host;
    int Port = 5432;
    QString Database = QStringLiteral("qel8625");
    QString User;
    // disable, allow, prefer, require, verify-ca, verify-full (the client's sslmode).
    QString TLSMode = QStringLiteral("prefer");
    QString PasswordFile;
    int ConnectTimeoutS = 5;
    // A "Password" key found in the configuration: it is not used, and the operator is told.
    bool PasswordInConfiguration = false;

    bool Enabled() const { return !Host.trimmed().isEmpty(); }
    static QString Section() { return QStringLiteral("Fleet"); }
    static bool ValidTLSMode(const QString& mode);

    // Read from the configuration file; a missing section leaves synchronisation off.
    static TFleetSettings Read(const QString& configFile);
    // The password as described above; empty with error set when a named file cannot be read.
    QString Password(const QProcessEnvironment& env, QString* error) const;
    // The client's connection options (sslmode, time limits).
    QString ConnectOptions() const;
};
