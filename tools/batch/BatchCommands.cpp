#include "BatchCommands.h"

#include "BatchOperator.h"
#include "QelGlobals.h"

#include <QCoreApplication>

#include <cstdio>

TQelStartup BatchStartup(TConsoleOperator& op, const QStringList& switches, const QString& port) {
    TQelStartup s;
    s.ExecutablePath = QCoreApplication::applicationFilePath();
    s.Arguments = switches;
    s.Operator = &op;
    s.Port = port;
    return s;
}

void PrintResult(const QString& line) {
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}
