#include "BatchArguments.h"

namespace {

using TCommand = TBatchArguments::TCommand;

struct TOption {
    const char* Name;
    bool TakesValue;
    QList<TCommand> Commands; // the commands that know it
};

const QList<TOption>& Options() {
    static const QList<TOption> options = {
        {"--port", true, {TCommand::Fetch}},    {"--out", true, {TCommand::Fetch, TCommand::Merge}},
        {"--delete", false, {TCommand::Fetch}}, {"--csv", false, {TCommand::Report, TCommand::History}},
        {"--html", false, {TCommand::Report}}, {"--pdf", false, {TCommand::Report}},
    };
    return options;
}

const TOption* FindOption(const QString& name) {
    for (const TOption& o : Options())
        if (name == QLatin1String(o.Name))
            return &o;
    return nullptr;
}

QString CommandName(TCommand c) {
    switch (c) {
    case TCommand::Fetch:
        return QStringLiteral("fetch");
    case TCommand::Report:
        return QStringLiteral("report");
    case TCommand::Merge:
        return QStringLiteral("merge");
    case TCommand::Index:
        return QStringLiteral("index");
    case TCommand::History:
        return QStringLiteral("history");
    case TCommand::Sync:
        return QStringLiteral("sync");
    case TCommand::Help:
        break;
    }
    return QStringLiteral("--help");
}

} // namespace

TBatchArguments ParseBatchArguments(const QStringList& arguments) {
    TBatchArguments a;
    // --help answers whatever else the line holds.
    for (const QString& arg : arguments) {
        if (arg == QLatin1String("--"))
            break;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return a;
    }
    struct TGiven {
        const TOption* Option;
        QString Value;
    };
    QList<TGiven> given;
    QStringList positional;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsEnded || !arg.startsWith(u'-') || arg == QLatin1String("-")) {
            positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype eq = arg.indexOf(u'=');
        const QString name = eq < 0 ? arg : arg.left(eq);
        const TOption* option = FindOption(name);
        if (!option) {
            a.Error = QStringLiteral("unknown option \"%1\"").arg(name);
            return a;
        }
        QString value;
        if (option->TakesValue) {
            if (eq >= 0)
                value = arg.mid(eq + 1);
            else if (i + 1 < arguments.size())
                value = arguments[++i];
            if (value.isEmpty()) {
                a.Error = QStringLiteral("%1 needs a value").arg(name);
                return a;
            }
        } else if (eq >= 0) {
            a.Error = QStringLiteral("%1 takes no value").arg(name);
            return a;
        }
        given.append({option, value});
    }

    if (positional.isEmpty()) {
        a.Error = QStringLiteral("no command given (fetch, report, merge, index, history or sync)");
        return a;
    }
    const QString command = positional.takeFirst();
    if (command == QLatin1String("fetch"))
        a.Command = TCommand::Fetch;
    else if (command == QLatin1String("report"))
        a.Command = TCommand::Report;
    else if (command == QLatin1String("merge"))
        a.Command = TCommand::Merge;
    else if (command == QLatin1String("index"))
        a.Command = TCommand::Index;
    else if (command == QLatin1String("history"))
        a.Command = TCommand::History;
    else if (command == QLatin1String("sync"))
        a.Command = TCommand::Sync;
    else {
        a.Error = QStringLiteral("unknown command \"%1\"").arg(command);
        return a;
    }

    for (const TGiven& g : given) {
        const QString name = QLatin1String(g.Option->Name);
        if (!g.Option->Commands.contains(a.Command)) {
            a.Error = QStringLiteral("%1 is no option of %2").arg(name, CommandName(a.Command));
            return a;
        }
        if (name == QLatin1String("--port"))
            a.Port = g.Value;
        else if (name == QLatin1String("--out"))
            a.Out = g.Value;
        else if (name == QLatin1String("--delete"))
            a.Delete = true;
        else if (name == QLatin1String("--csv"))
            a.Csv = true;
        else if (name == QLatin1String("--html"))
            a.Html = true;
        else if (name == QLatin1String("--pdf"))
            a.Pdf = true;
    }
    a.Files = positional;

    switch (a.Command) {
    case TCommand::Fetch:
        if (a.Port.isEmpty())
            a.Error = QStringLiteral("fetch needs --port PORT");
        else if (!a.Files.isEmpty())
            a.Error = QStringLiteral("fetch takes no files (\"%1\")").arg(a.Files.front());
        break;
    case TCommand::Report:
        if (a.Files.isEmpty())
            a.Error = QStringLiteral("report needs at least one test file");
        // None asked for: CSV and HTML, as DataStorage 3 writes them.
        if (!a.Csv && !a.Html && !a.Pdf)
            a.Csv = a.Html = true;
        break;
    case TCommand::Merge:
        if (a.Files.size() != 1)
            a.Error = a.Files.isEmpty() ? QStringLiteral("merge needs a list file")
                                        : QStringLiteral("merge takes one list file");
        break;
    case TCommand::Index:
        break;
    case TCommand::History:
        if (a.Files.size() != 1 || a.Files.front().trimmed().isEmpty())
            a.Error = a.Files.size() > 1 ? QStringLiteral("history takes one serial number")
                                         : QStringLiteral("history needs a serial number");
        break;
    case TCommand::Sync:
        if (!a.Files.isEmpty())
            a.Error = QStringLiteral("sync takes no arguments (\"%1\")").arg(a.Files.front());
        break;
    case TCommand::Help:
        break;
    }
    return a;
}

QString BatchHelpText() {
    return QStringLiteral(
        "Usage: qel8625-batch COMMAND [OPTIONS]\n"
        "\n"
        "The tests of Application Software 8625 without a window.\n"
        "\n"
        "  fetch --port PORT [--out DIR] [--delete]\n"
        "      Reads every test stored in the instrument on PORT and writes each as a test\n"
        "      document into DIR (default: the data folder), named Upload.xml, Upload1.xml, ...\n"
        "      as the upload dialog names them. One line per written test on standard output,\n"
        "      progress on standard error. With --delete each test is deleted from the\n"
        "      instrument once its document is safely written, and only then.\n"
        "  report FILE.xml... [--csv] [--html] [--pdf]\n"
        "      Writes the CSV, HTML and/or PDF report beside each test, as a save does (CSV\n"
        "      and HTML when none is asked for). One line per written report on standard\n"
        "      output.\n"
        "  merge LIST.LST [--out FILE.csv]\n"
        "      The measurement tables of the tests on an analysis list file merged as the\n"
        "      multi-file analysis shows them, in the CSV form of the tables; to standard\n"
        "      output without --out.\n"
        "  index [DIR...]\n"
        "      Brings the test index up to date with every test file in DIR and below (default:\n"
        "      the data folder): new and changed tests are read, tests whose file is gone leave it.\n"
        "      Every file that cannot be read is named with its reason.\n"
        "  history SERIAL [--csv]\n"
        "      The tests of the transformer with serial number SERIAL in the index (this test\n"
        "      set's and the fleet's), oldest first: date, file and worst ratio deviation.\n"
        "      With --csv in the CSV form of the lists.\n"
        "  sync\n"
        "      Sends the new and changed tests to the fleet store set up in section [Fleet] of\n"
        "      the configuration and takes the fleet's tests into the index. A test the store\n"
        "      holds is never sent again; tests not sent wait for the next sync.\n"
        "  --help\n"
        "      This text.\n"
        "\n"
        "PORT: COMn (/dev/ttyS<n-1>), a path (/dev/ttyUSB0), or a name under /dev/ (ttyUSB0).\n"
        "Settings (data folder, date format) come from qel8625-batch.cfg beside the program\n"
        "or in the user's configuration folder.\n"
        "\n"
        "Exit status: 0 done; 1 a file could not be read or written (each is named, the others\n"
        "are still done); 2 the command line is wrong; 3 the port could not be opened, or the\n"
        "instrument did not answer, refused or was lost; 4 the fleet store is not set up, was not\n"
        "reached or stopped the sync (the tests wait for the next one).\n");
}
