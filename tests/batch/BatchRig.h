#pragma once
// Header only. qel8625-batch run as a process from a program folder of its own (a copy of the
// program with the shipped files beside it, as an installation has them), with a home, a
// configuration folder and no display, so that runs never share settings or recent tests.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "TestDirs.h"

struct TBatchRun {
    int Status = -1;
    QByteArray Out;
    QString Err;
    bool Finished = false;
    QStringList OutLines() const { return QString::fromUtf8(Out).split(u'\n', Qt::SkipEmptyParts); }
};

struct TBatchRig {
    QTemporaryDir Root;
    QString ProgramFolder = Root.filePath(QStringLiteral("bin"));
    QString Program = ProgramFolder + QStringLiteral("/qel8625-batch");
    QString Home = Root.filePath(QStringLiteral("home"));
    // The data folder the program's configuration starts with.
    QString DataPath = Home + QStringLiteral("/Documents/KOVA/Data/");

    bool Install() {
        if (!Root.isValid() || !QDir().mkpath(ProgramFolder) || !QDir().mkpath(Home) ||
            !QDir().mkpath(Root.filePath(QStringLiteral("config"))))
            return false;
        if (!QFile::copy(QStringLiteral(QEL_BATCH_PROGRAM), Program))
            return false;
        for (const char* shipped : {"VectorGroupTable.csv", "KovaDoc.xsl", "company.jpg"})
            if (!QFile::copy(SourceDir() + QStringLiteral("/data/") + QLatin1String(shipped),
                             ProgramFolder + '/' + QLatin1String(shipped)))
                return false;
        return true;
    }

    QProcessEnvironment Environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), Home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Root.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), Root.filePath(QStringLiteral("share")));
        // No window system at all: the tool must not need one.
        for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QLatin1String(display));
        return env;
    }

    QProcess* Start(const QStringList& arguments, QObject* parent = nullptr) {
        auto* p = new QProcess(parent);
        p->setProcessEnvironment(Environment());
        p->setWorkingDirectory(Root.path());
        p->start(Program, arguments);
        return p;
    }

    // Runs to its end; the limit only keeps a hung run from hanging the suite.
    TBatchRun Run(const QStringList& arguments) {
        QProcess p;
        p.setProcessEnvironment(Environment());
        p.setWorkingDirectory(Root.path());
        p.start(Program, arguments);
        return Finish(p);
    }

    static TBatchRun Finish(QProcess& p) {
        TBatchRun r;
        r.Finished = p.waitForFinished(240000);
        if (!r.Finished) {
            p.kill();
            p.waitForFinished();
        }
        r.Status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.Out = p.readAllStandardOutput();
        r.Err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
};
