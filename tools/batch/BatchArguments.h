#pragma once
#include <QString>
#include <QStringList>

// The command line of qel8625-batch: one command and its options.
//
//   fetch --port PORT [--out DIR] [--delete]
//   report FILE.xml... [--csv] [--html] [--pdf]
//   merge LIST.LST [--out FILE.csv]
//   index [DIR...]
//   history SERIAL [--csv]
//   sync
//   --help
//
// Options take their value as the next argument or after "=" ("--port=/dev/ttyUSB0"); "--"
// ends the options, so that a file name may begin with "-".
struct TBatchArguments {
    enum class TCommand { Help, Fetch, Report, Merge, Index, History, Sync };
    TCommand Command = TCommand::Help;
    QStringList Files; // report: the tests; merge: the one list file; index: the folders; history: the serial
    QString Port;
    QString Out;
    bool Delete = false;
    bool Csv = false;
    bool Html = false;
    bool Pdf = false;
    QString Error; // why the command line cannot be carried out; empty when it can

    bool Ok() const { return Error.isEmpty(); }
};

// arguments without the program name.
TBatchArguments ParseBatchArguments(const QStringList& arguments);

// What --help prints.
QString BatchHelpText();

// The exit statuses.
enum TBatchStatus : int {
    bsOk = 0,
    bsFileFailed = 1, // an input could not be read or an output not written (each named)
    bsUsage = 2,      // the command line is wrong
    bsInstrument = 3, // the port does not open, the instrument does not answer, refuses, or the line is lost
    bsFleet = 4,      // the fleet store is not set up, not reached or stopped the sync (the tests wait)
};
