#pragma once
#include <QString>
#include <QStringList>

struct TBatchArguments;
struct TQelStartup;
class TConsoleOperator;

// The commands of qel8625-batch. Each makes the data module of its run (the program's
// configuration, shipped files and folders, as the application has them), carries the command
// out and returns the exit status (TBatchStatus). Results go to standard output, one line each;
// messages and progress to the operator.
int RunFetch(const TBatchArguments& arguments, TConsoleOperator& op);
int RunReport(const TBatchArguments& arguments, TConsoleOperator& op);
int RunMerge(const TBatchArguments& arguments, TConsoleOperator& op);

// The start of a data module for this program: the running executable, no window, the given
// arguments (the program's command-line switches, "/SIM" for a run without an instrument).
TQelStartup BatchStartup(TConsoleOperator& op, const QStringList& switches, const QString& port = QString());

// One line of a result on standard output.
void PrintResult(const QString& line);
