// The command line of qel8625-batch: what each form asks for, what is refused and why, and the
// program's own answer to --help and to a wrong command line.
#include <QTest>

#include "BatchArguments.h"
#include "BatchRig.h"

using TCommand = TBatchArguments::TCommand;
Q_DECLARE_METATYPE(TCommand)

class TstArguments : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<TCommand>("command"); // when ok
        QTest::addColumn<QString>("summary");  // port|out|files|flags, or the error's key words
        QTest::addColumn<bool>("ok");
        auto row = [](const char* name, QStringList args, TCommand c, const char* summary, bool ok) {
            QTest::newRow(name) << args << c << QString::fromUtf8(summary) << ok;
        };
        row("fetch", {"fetch", "--port", "/dev/pts/7"}, TCommand::Fetch, "/dev/pts/7||||", true);
        row("fetch with =", {"fetch", "--port=COM3", "--out=/tmp/x y", "--delete"}, TCommand::Fetch,
            "COM3|/tmp/x y||delete|", true);
        row("options first", {"--delete", "--port", "ttyUSB0", "fetch"}, TCommand::Fetch, "ttyUSB0|||delete|",
            true);
        row("report both by default", {"report", "a.xml", "b.xml"}, TCommand::Report,
            "||a.xml,b.xml|csv,html|", true);
        row("report csv", {"report", "--csv", "a.xml"}, TCommand::Report, "||a.xml|csv|", true);
        row("report pdf alone", {"report", "a.xml", "--pdf"}, TCommand::Report, "||a.xml|pdf|", true);
        row("report all", {"report", "--pdf", "--csv", "--html", "a.xml"}, TCommand::Report,
            "||a.xml|csv,html,pdf|", true);
        row("file after --", {"report", "--html", "--", "-odd.xml"}, TCommand::Report, "||-odd.xml|html|",
            true);
        row("merge", {"merge", "Q.LST", "--out", "m.csv"}, TCommand::Merge, "|m.csv|Q.LST||", true);
        row("index folders", {"index", "/a", "b c"}, TCommand::Index, "||/a,b c||", true);
        row("index the data folder", {"index"}, TCommand::Index, "||||", true);
        row("history", {"history", "T-4711"}, TCommand::History, "||T-4711||", true);
        row("history csv", {"history", "--csv", "T 4711"}, TCommand::History, "||T 4711|csv|", true);
        row("sync", {"sync"}, TCommand::Sync, "||||", true);
        row("help wins", {"report", "--nonsense", "--help"}, TCommand::Help, "", true);
        row("-h", {"-h"}, TCommand::Help, "", true);

        row("nothing", {}, TCommand::Help, "no command", false);
        row("unknown command", {"upload"}, TCommand::Help, "\"upload\"", false);
        row("unknown option", {"report", "--ps", "a.xml"}, TCommand::Help, "\"--ps\"", false);
        row("pdf for merge", {"merge", "Q.LST", "--pdf"}, TCommand::Merge, "--pdf is no option of merge", false);
        row("fetch without port", {"fetch", "--out", "d"}, TCommand::Fetch, "--port", false);
        row("port without value", {"fetch", "--port"}, TCommand::Fetch, "--port needs a value", false);
        row("empty port", {"fetch", "--port="}, TCommand::Fetch, "--port needs a value", false);
        row("flag with value", {"fetch", "--port", "p", "--delete=yes"}, TCommand::Fetch, "takes no value",
            false);
        row("fetch with a file", {"fetch", "--port", "p", "x.xml"}, TCommand::Fetch, "\"x.xml\"", false);
        row("option of another command", {"merge", "Q.LST", "--delete"}, TCommand::Merge,
            "--delete is no option of merge", false);
        row("report without files", {"report", "--csv"}, TCommand::Report, "at least one", false);
        row("merge of two lists", {"merge", "a.LST", "b.LST"}, TCommand::Merge, "one list file", false);
        row("history without serial", {"history"}, TCommand::History, "needs a serial number", false);
        row("history of a blank serial", {"history", " "}, TCommand::History, "needs a serial number", false);
        row("history of two", {"history", "A", "B"}, TCommand::History, "one serial number", false);
        row("history html", {"history", "A", "--html"}, TCommand::History, "--html is no option of history",
            false);
        row("sync with a file", {"sync", "x"}, TCommand::Sync, "takes no arguments", false);
    }
    void parse() {
        QFETCH(QStringList, args);
        QFETCH(TCommand, command);
        QFETCH(QString, summary);
        QFETCH(bool, ok);
        const TBatchArguments a = ParseBatchArguments(args);
        QCOMPARE(a.Ok(), ok);
        if (!ok) {
            QVERIFY2(a.Error.contains(summary), qPrintable(a.Error));
            return;
        }
        QCOMPARE(a.Command, command);
        if (command == TCommand::Help)
            return;
        QStringList flags;
        if (a.Delete)
            flags << QStringLiteral("delete");
        if (a.Csv)
            flags << QStringLiteral("csv");
        if (a.Html)
            flags << QStringLiteral("html");
        if (a.Pdf)
            flags << QStringLiteral("pdf");
        QCOMPARE(QStringList({a.Port, a.Out, a.Files.join(u','), flags.join(u','), QString()}).join(u'|'),
                 summary);
    }

    void program() {
        TBatchRig rig;
        QVERIFY(rig.Install());
        const TBatchRun help = rig.Run({QStringLiteral("--help")});
        QVERIFY(help.Finished);
        QCOMPARE(help.Status, int(bsOk));
        const QString text = QString::fromUtf8(help.Out);
        for (const char* form :
             {"fetch --port PORT [--out DIR] [--delete]", "report FILE.xml... [--csv] [--html]",
              "merge LIST.LST [--out FILE.csv]", "Exit status"})
            QVERIFY2(text.contains(QLatin1String(form)), form);
        QVERIFY2(help.Err.isEmpty(), qPrintable(help.Err));

        const TBatchRun wrong = rig.Run({QStringLiteral("merge")});
        QCOMPARE(wrong.Status, int(bsUsage));
        QVERIFY(wrong.Out.isEmpty());
        QVERIFY2(wrong.Err.contains(QStringLiteral("merge needs a list file")), qPrintable(wrong.Err));
    }
};

QTEST_GUILESS_MAIN(TstArguments)
#include "tst_arguments.moc"
