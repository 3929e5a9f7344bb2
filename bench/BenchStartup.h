#pragma once
// The start of a data module in simulation on a scratch folder, as the benchmarks measure it.
#include "OperatorIFace.h"
#include "QelGlobals.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

inline TQelStartup SimulationStartup(const QTemporaryDir& home, TOperatorIFace* op) {
    TQelStartup s;
    s.ExecutablePath = home.filePath(QStringLiteral("Qel8625"));
    s.DocumentsFolder = home.path();
    s.Arguments = {QStringLiteral("/SIM")};
    s.Operator = op;
    return s;
}

// The style sheet and logo the build puts beside the programs, copied beside the scratch
// program; false (after saying which) when one is missing.
inline bool CopyReportFiles(const QTemporaryDir& home) {
    const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/../");
    for (const char* name : {"KovaDoc.xsl", "company.jpg"})
        if (!QFile::copy(built + QLatin1String(name), home.filePath(QString::fromLatin1(name)))) {
            std::fprintf(stderr, "%s not found beside the build\n", name);
            return false;
        }
    return true;
}
