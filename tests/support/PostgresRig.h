#pragma once
// Header only. A PostgreSQL server of the test's own: a cluster made with initdb in a temporary
// folder, started with pg_ctl on a free port of 127.0.0.1 and stopped when the rig goes. The
// server refuses to run as root; a test run as root (CI) runs it as the system user "postgres"
// (made by the server package, or by scripts/setup) through runuser. The superuser "qel" logs in
// over TCP with a password (SCRAM), as a fleet's users would.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

struct TPostgresRig {
    QTemporaryDir Root;
    QString Bin;  // the server's programs
    QString Data = Root.filePath(QStringLiteral("data"));
    QString Log = Root.filePath(QStringLiteral("server.log"));
    QString PasswordFile = Root.filePath(QStringLiteral("password"));
    QString User = QStringLiteral("qel");
    QString Password = QStringLiteral("fleet-secret-8625");
    QString Database = QStringLiteral("qel8625");
    int Port = 0;
    QString Error; // why the server is not there
    bool Running = false;

    TPostgresRig() {
        if (!Make())
            qWarning("PostgreSQL for the test: %s", qPrintable(Error));
    }
    ~TPostgresRig() { Stop(); }

    bool Ok() const { return Running; }

    // Stopped as a server that goes away: at once, without a goodbye to its clients.
    bool Kill() { return Ctl({QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("stop")}); }
    bool Stop() {
        if (!Running)
            return true;
        Running = !Ctl({QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")});
        return !Running;
    }
    bool Start() {
        const QString options = QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -k %2 -c fsync=off")
                                    .arg(Port)
                                    .arg(Root.path());
        Running = Ctl({QStringLiteral("-o"), options, QStringLiteral("-l"), Log, QStringLiteral("-t"),
                       QStringLiteral("120"), QStringLiteral("start")});
        if (!Running)
            Error = QStringLiteral("pg_ctl start failed: %1").arg(QString::fromUtf8(ReadLog()));
        return Running;
    }

    // SQL through the server's own client; false with Error on failure.
    bool Sql(const QString& sql, QString* out = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PGPASSWORD"), Password);
        p.setProcessEnvironment(env);
        p.start(Bin + QStringLiteral("/psql"),
                {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
                 QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"),
                 QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(Port), QStringLiteral("-U"), User,
                 QStringLiteral("-d"), Database, QStringLiteral("-c"), sql});
        if (!p.waitForFinished(120000) || p.exitCode() != 0) {
            Error = QString::fromUtf8(p.readAllStandardError());
            return false;
        }
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
        return true;
    }

    QByteArray ReadLog() const {
        QFile f(Log);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The lines of the [Fleet] section that reach this server.
    QString FleetSection() const {
        return QStringLiteral("[Fleet]\r\nHost=127.0.0.1\r\nPort=%1\r\nDatabase=%2\r\nUser=%3\r\nTLSMode=disable\r\n"
                              "PasswordFile=%4\r\n")
            .arg(Port)
            .arg(Database, User, PasswordFile);
    }

private:
    bool AsRoot() const { return ::geteuid() == 0; }

    bool Run(const QString& program, const QStringList& args, int ms = 180000) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(Root.path());
        if (AsRoot())
            p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                                            QStringLiteral("--"), program} +
                                                   args);
        else
            p.start(program, args);
        if (!p.waitForFinished(ms) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            Error = QStringLiteral("%1: %2").arg(program, QString::fromUtf8(p.readAll()));
            if (p.state() != QProcess::NotRunning) {
                p.kill();
                p.waitForFinished();
            }
            return false;
        }
        return true;
    }

    bool Ctl(const QStringList& args) {
        return Run(Bin + QStringLiteral("/pg_ctl"), QStringList{QStringLiteral("-D"), Data, QStringLiteral("-w")} + args);
    }

    static int FreePort() {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        if (s < 0)
            return 0;
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        int port = 0;
        if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            port = ntohs(a.sin_port);
        ::close(s);
        return port;
    }

    bool Make() {
        QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
        for (const QString& v : versions)
            if (QFile::exists(QStringLiteral("/usr/lib/postgresql/%1/bin/initdb").arg(v)))
                Bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(v);
        if (Bin.isEmpty()) {
            Error = QStringLiteral("no PostgreSQL server installed (scripts/setup installs postgresql)");
            return false;
        }
        if (!Root.isValid()) {
            Error = QStringLiteral("no temporary folder");
            return false;
        }
        QFile pw(PasswordFile);
        if (!pw.open(QIODevice::WriteOnly) || pw.write(Password.toUtf8() + '\n') < 0)
            return false;
        pw.close();
        if (AsRoot()) {
            const passwd* user = ::getpwnam("postgres");
            if (!user) {
                Error = QStringLiteral("no user \"postgres\" to run the server as (scripts/setup makes it)");
                return false;
            }
            for (const QString& f : {Root.path(), PasswordFile})
                if (::chown(QFile::encodeName(f).constData(), user->pw_uid, user->pw_gid) != 0) {
                    Error = QStringLiteral("%1 cannot be given to postgres").arg(f);
                    return false;
                }
        }
        if (!Run(Bin + QStringLiteral("/initdb"),
                 {QStringLiteral("-D"), Data, QStringLiteral("-U"), User, QStringLiteral("--pwfile"), PasswordFile,
                  QStringLiteral("--auth-host=scram-sha-256"), QStringLiteral("--auth-local=trust"),
                  QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"), QStringLiteral("--no-sync")}))
            return false;
        // A port taken between the look and the start is tried again with another.
        for (int attempt = 0; attempt < 3 && !Running; ++attempt) {
            Port = FreePort();
            Start();
        }
        if (!Running)
            return false;
        const QString db = Database;
        Database = QStringLiteral("postgres");
        const bool made = Sql(QStringLiteral("CREATE DATABASE %1").arg(db));
        Database = db;
        return made;
    }
};
