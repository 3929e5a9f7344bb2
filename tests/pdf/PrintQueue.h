#pragma once
// Header only. A CUPS scheduler of the test's own with one print queue whose jobs are kept as
// files: the printers the program's print dialog lists are then this machine's real CUPS, talked
// to over a socket in a temporary folder (CUPS_SERVER), so the test needs no system printer
// and leaves the system's alone. cupsd runs as root and hands the jobs to the user lp.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

struct TPrintQueue {
    static constexpr const char* Name = "QelReports";
    QTemporaryDir Root;
    QString Jobs = Root.filePath(QStringLiteral("jobs"));
    QString Socket = Root.filePath(QStringLiteral("cups.sock"));
    QProcess Scheduler;
    QString Why; // why there is no queue

    ~TPrintQueue() { Stop(); }

    // Starts the scheduler and makes the queue, the system's default for this test's CUPS.
    bool Start() {
        const QString cupsd = QStandardPaths::findExecutable(QStringLiteral("cupsd"), {"/usr/sbin", "/sbin"});
        const QString lpadmin = QStandardPaths::findExecutable(QStringLiteral("lpadmin"), {"/usr/sbin", "/sbin"});
        if (cupsd.isEmpty() || lpadmin.isEmpty() || !QFileInfo::exists(QStringLiteral("/usr/lib/cups/daemon/cups-exec")))
            return Fail(QStringLiteral("cupsd and lpadmin are needed (cups-daemon, cups-client)"));
        if (geteuid() != 0)
            return Fail(QStringLiteral("the test's own cupsd runs as root"));
        const QString r = Root.path();
        QFile::setPermissions(r, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                     QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        for (const char* sub : {"spool", "cache", "state", "log", "bin/backend"})
            QDir().mkpath(r + u'/' + QLatin1String(sub));
        QDir().mkpath(Jobs);
        ::chmod(Jobs.toLocal8Bit().constData(), 01777);
        Write(QStringLiteral("cupsd.conf"),
              QStringLiteral("Listen %1\nLogLevel warn\nErrorLog %2/log/error_log\nWebInterface No\n"
                             "Browsing No\nDefaultAuthType None\n<Location />\n  Order allow,deny\n"
                             "  Allow all\n</Location>\n<Policy default>\n  <Limit All>\n"
                             "    Order deny,allow\n  </Limit>\n</Policy>\n")
                  .arg(Socket, r));
        Write(QStringLiteral("cups-files.conf"),
              QStringLiteral("ServerRoot %1\nServerBin %1/bin\nRequestRoot %1/spool\nCacheDir %1/cache\n"
                             "StateDir %1/state\nTempDir %1/spool\nErrorLog %1/log/error_log\n"
                             "AccessLog %1/log/access_log\nPageLog %1/log/page_log\nUser lp\nGroup lp\n")
                  .arg(r));
        // The scheduler starts every backend through its helpers (daemon/cups-exec).
        QFile::link(QStringLiteral("/usr/lib/cups/daemon"), r + QStringLiteral("/bin/daemon"));
        QFile::link(QStringLiteral("/usr/lib/cups/filter"), r + QStringLiteral("/bin/filter"));
        // The backend keeps each job as a file, complete when its name appears.
        const QString backend = r + QStringLiteral("/bin/backend/qeljobs");
        Write(QStringLiteral("bin/backend/qeljobs"),
              QStringLiteral("#!/bin/sh\n"
                             "if [ $# -eq 0 ]; then echo 'file qeljobs \"Unknown\" \"Job files\"'; exit 0; fi\n"
                             "dir=${DEVICE_URI#qeljobs:}\n"
                             "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi > \"$dir/.job-$1\" && "
                             "mv \"$dir/.job-$1\" \"$dir/job-$1.pdf\"\n"));
        QFile::setPermissions(backend, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                           QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        Scheduler.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        Scheduler.start(cupsd, {QStringLiteral("-f"), QStringLiteral("-c"), r + QStringLiteral("/cupsd.conf"),
                                QStringLiteral("-s"), r + QStringLiteral("/cups-files.conf")});
        if (!Scheduler.waitForStarted(30000))
            return Fail(QStringLiteral("cupsd did not start"));
        // The socket appears once the scheduler listens.
        for (int i = 0; i < 600 && !QFileInfo::exists(Socket); ++i)
            if (Scheduler.waitForFinished(100))
                return Fail(QStringLiteral("cupsd ended: ") + ReadLog());
        qputenv("CUPS_SERVER", Socket.toLocal8Bit());
        QProcess admin;
        admin.setProcessChannelMode(QProcess::MergedChannels);
        admin.start(lpadmin, {QStringLiteral("-p"), QLatin1String(Name), QStringLiteral("-E"), QStringLiteral("-v"),
                              QStringLiteral("qeljobs:") + Jobs});
        if (!admin.waitForFinished(60000) || admin.exitCode() != 0)
            return Fail(QStringLiteral("lpadmin: ") + QString::fromUtf8(admin.readAll()));
        admin.start(lpadmin, {QStringLiteral("-d"), QLatin1String(Name)});
        if (!admin.waitForFinished(60000) || admin.exitCode() != 0)
            return Fail(QStringLiteral("lpadmin -d: ") + QString::fromUtf8(admin.readAll()));
        return true;
    }

    void Stop() {
        if (Scheduler.state() != QProcess::NotRunning) {
            Scheduler.terminate();
            if (!Scheduler.waitForFinished(30000))
                Scheduler.kill();
            Scheduler.waitForFinished();
        }
    }

    // The jobs the queue has printed, complete.
    QStringList PrintedJobs() const {
        QStringList jobs;
        for (const QString& f : QDir(Jobs).entryList({QStringLiteral("job-*.pdf")}, QDir::Files, QDir::Name))
            jobs << QDir(Jobs).filePath(f);
        return jobs;
    }

    QString ReadLog() const {
        QFile log(Root.filePath(QStringLiteral("log/error_log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll().right(2000)) : QString();
    }

private:
    bool Fail(const QString& why) {
        Why = why;
        return false;
    }
    void Write(const QString& name, const QString& text) {
        QFile f(Root.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(text.toUtf8());
    }
};
