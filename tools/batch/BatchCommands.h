#pragma once
#include <QString>
#include <QStringList>

struct TBatchArguments;
struct TQelStartup;
class TConsoleOperator;
class TReportRenderer;

// The commands of qel8625-batch. Each makes the data module of its run (the program's
// configuration, shipped files and folders, as the application has them), carries the command
// out and returns the exit status (TBatchStatus). Results go to standard output, one line each;
// messages and progress to the operator. The PDF reports are laid out by renderer (the
// program's, which may use Qt Gui; this library does not).
int RunFetch(const TBatchArguments& arguments, TConsoleOperator& op, const TReportRenderer* renderer);
int RunReport(const TBatchArguments& arguments, TConsoleOperator& op, const TReportRenderer* renderer);
int RunMerge(const TBatchArguments& arguments, TConsoleOperator& op);
int RunIndex(const TBatchArguments& arguments, TConsoleOperator& op);
int RunHistory(const TBatchArguments& arguments, TConsoleOperator& op);
int RunSync(const TBatchArguments& arguments, TConsoleOperator& op);

// The start of a data module for this program: the running executable, no window, the given
// arguments (the program's command-line switches, "/SIM" for a run without an instrument).
TQelStartup BatchStartup(TConsoleOperator& op, const QStringList& switches, const QString& port = QString());

// One line of a result on standard output.
void PrintResult(const QString& line);
