#pragma once
// The start of a data module in simulation on a scratch folder, as the benchmarks measure it.
#include "OperatorIFace.h"
#include "QelGlobals.h"

#include <QTemporaryDir>

inline TQelStartup SimulationStartup(const QTemporaryDir& home, TOperatorIFace* op) {
    TQelStartup s;
    s.ExecutablePath = home.filePath(QStringLiteral("Qel8625"));
    s.DocumentsFolder = home.path();
    s.Arguments = {QStringLiteral("/SIM")};
    s.Operator = op;
    return s;
}
