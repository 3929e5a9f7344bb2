// report and merge of qel8625-batch on real test files in temporary folders, the program run as
// a process: what it writes is what a save and the multi-file analysis make of the same tests; a
// missing and a malformed input are named, the others still done, and the status says so.
#include <QSignalSpy>
#include <QTest>

#include "BatchArguments.h"
#include "BatchRig.h"
#include "CSVForm.h"
#include "FStringGrids.h"
#include "LinkRig.h"
#include "PdfReader.h"
#include "QelAnalysis.h"
#include "QelAnalysisFrames.h"
#include "QelReports.h"
#include "SampleTest.h"

namespace {

bool WriteSample(const QString& file, const QString& type) {
    TKvXML doc;
    doc.New();
    FillSampleTest(doc, {type});
    QDir().mkpath(QFileInfo(file).path());
    return doc.Save(file, true, false);
}

// A test file cut off in the middle, as a broken copy leaves it.
const QByteArray Truncated = "<?xml version=\"1.0\"?>\n<KovaDoc><DUTGeneral><Type Value=\"x\"";

QString BaseOf(const QString& file) {
    const QFileInfo fi(file);
    return fi.path() + '/' + fi.completeBaseName();
}

} // namespace

class TstFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reportsAsASaveWritesThem() {
        TBatchRig rig;
        QVERIFY(rig.Install());
        const QString tests = rig.Root.filePath(QStringLiteral("tests"));
        const QString a = tests + QStringLiteral("/T2 North.xml");
        const QString b = tests + QStringLiteral("/b.xml");
        const QString bad = tests + QStringLiteral("/bad.xml");
        const QString missing = tests + QStringLiteral("/missing.xml");
        QVERIFY(WriteSample(a, QStringLiteral("ONAN 40 MVA")));
        QVERIFY(WriteSample(b, QStringLiteral("ONAF 63 MVA")));
        QVERIFY(WriteBytes(bad, Truncated));
        // A backup of a missing test is not reported in its place.
        QVERIFY(QFile::copy(b, tests + QStringLiteral("/missing.~xml")));

        const TBatchRun run = rig.Run({QStringLiteral("report"), a, missing, bad, b});
        QVERIFY(run.Finished);
        QCOMPARE(run.Status, int(bsFileFailed));
        QCOMPARE(run.OutLines(), (QStringList{BaseOf(a) + ".csv", BaseOf(a) + ".html", BaseOf(b) + ".csv",
                                              BaseOf(b) + ".html"}));
        QVERIFY2(run.Err.contains(missing + QStringLiteral(": no such test file")), qPrintable(run.Err));
        QVERIFY2(run.Err.contains(bad + QStringLiteral(": not reported")), qPrintable(run.Err));
        for (const QString& never : {BaseOf(bad) + ".csv", BaseOf(bad) + ".html", BaseOf(missing) + ".csv"})
            QVERIFY2(!QFileInfo::exists(never), qPrintable(never));
        QCOMPARE(ReadBytes(bad), Truncated);

        // The same test saved by the application with DataStorage 3 gets the same reports.
        TLinkRig app;
        for (const char* shipped : {"KovaDoc.xsl", "company.jpg"})
            QVERIFY(QFile::copy(rig.ProgramFolder + '/' + QLatin1String(shipped),
                                app.App.filePath(QLatin1String(shipped))));
        app.CreateGlobal({QStringLiteral("/SIM")});
        app.Global->DataStorage = 3;
        TQelReports reports(*app.Global);
        QSignalSpy html(&reports, &TQelReports::Written);
        const QString saved = app.App.filePath(QStringLiteral("T2 North.xml"));
        QVERIFY(QFile::copy(a, saved));
        QVERIFY(app.Global->OpenDocument(saved));
        QVERIFY(app.Global->SaveDocument(1));
        QVERIFY(html.wait(60000));
        QCOMPARE(ReadBytes(BaseOf(a) + ".csv"), ReadBytes(BaseOf(saved) + ".csv"));
        // The report names the test file it was made from.
        QCOMPARE(ReadBytes(BaseOf(a) + ".html").replace(a.toUtf8(), "TEST"),
                 ReadBytes(BaseOf(saved) + ".html").replace(saved.toUtf8(), "TEST"));
        QVERIFY(ReadBytes(BaseOf(a) + ".html").contains("ONAN 40 MVA"));
        // The logo goes beside the report, as after a save.
        QVERIFY(QFileInfo::exists(tests + QStringLiteral("/company.jpg")));
    }

    void reportKinds_data() {
        QTest::addColumn<QString>("flag");
        QTest::addColumn<bool>("csv");
        QTest::addColumn<bool>("html");
        QTest::addColumn<bool>("pdf");
        QTest::newRow("csv") << QStringLiteral("--csv") << true << false << false;
        QTest::newRow("html") << QStringLiteral("--html") << false << true << false;
        // Laid out on the offscreen platform: the run has no display.
        QTest::newRow("pdf") << QStringLiteral("--pdf") << false << false << true;
    }
    void reportKinds() {
        QFETCH(QString, flag);
        QFETCH(bool, csv);
        QFETCH(bool, html);
        QFETCH(bool, pdf);
        TBatchRig rig;
        QVERIFY(rig.Install());
        const QString test = rig.Root.filePath(QStringLiteral("t.xml"));
        QVERIFY(WriteSample(test, QStringLiteral("ONAN 40 MVA")));
        const QByteArray before = ReadBytes(test);
        const TBatchRun run = rig.Run({QStringLiteral("report"), flag, test});
        QVERIFY2(run.Status == int(bsOk), qPrintable(run.Err));
        QCOMPARE(QFileInfo::exists(BaseOf(test) + ".csv"), csv);
        QCOMPARE(QFileInfo::exists(BaseOf(test) + ".html"), html);
        QCOMPARE(QFileInfo::exists(BaseOf(test) + ".pdf"), pdf);
        if (pdf) {
            QCOMPARE(run.OutLines(), QStringList{BaseOf(test) + ".pdf"});
            QVERIFY(PdfReader::Words(BaseOf(test) + ".pdf").contains(QStringLiteral("T2-0815")));
        }
        QCOMPARE(ReadBytes(test), before); // the test itself is only read
    }

    void mergeAsTheAnalysisShowsIt() {
        TBatchRig rig;
        QVERIFY(rig.Install());
        const QStringList titles = SampleMeasurementTitles();
        const QString a = rig.DataPath + QStringLiteral("North, Bay 2/a.xml");
        const QString b = rig.DataPath + QStringLiteral("b.xml");
        const QString bad = rig.DataPath + QStringLiteral("bad.xml");
        const QString missing = rig.DataPath + QStringLiteral("gone.xml");
        auto row = [](const char* time, const char* phase, const char* dev) {
            QStringList r(13);
            r[0] = QLatin1String(time);
            r[1] = QLatin1String(phase);
            r[5] = QStringLiteral("3");
            r[9] = QLatin1String(dev);
            return r;
        };
        QVERIFY(WriteTableTest(
            a, titles,
            {row("01.02.2025 09:00:00", "A", "0.20 %"), row("01.02.2025 09:00:00", "B", "0.30 %")}));
        QStringList bTitles = titles;
        bTitles.insert(2, QStringLiteral("Oil Temp."));
        QStringList bRow = row("02.02.2026 09:00:00", "C", "0.40 %");
        bRow.insert(2, QStringLiteral("45 C"));
        QVERIFY(WriteTableTest(b, bTitles, {bRow}));
        QVERIFY(WriteBytes(bad, Truncated));
        const QString list = rig.Root.filePath(QStringLiteral("Bay 2.LST"));
        const QChar sep = ListSeparator();
        QString listText = QStringLiteral("Nr%1FileName\r\n").arg(sep);
        int n = 0;
        for (const QString& f : {a, missing, bad, b})
            listText += QStringLiteral("%1%2%3\r\n").arg(++n).arg(sep).arg(CSVForm::Field(f, sep));
        QVERIFY(WriteBytes(list, listText.toUtf8()));

        const QString out = rig.Root.filePath(QStringLiteral("merged.csv"));
        const TBatchRun toFile = rig.Run({QStringLiteral("merge"), list, QStringLiteral("--out"), out});
        QVERIFY(toFile.Finished);
        QCOMPARE(toFile.Status, int(bsFileFailed));
        QCOMPARE(toFile.OutLines(), QStringList{out});
        QVERIFY2(toFile.Err.contains(missing + QStringLiteral(": no such test file")),
                 qPrintable(toFile.Err));
        QVERIFY2(toFile.Err.contains(bad + QStringLiteral(": left out of the merge: ") + bad),
                 qPrintable(toFile.Err));
        const QByteArray merged = ReadBytes(out);
        const QStringList lines = QString::fromUtf8(merged).split(QStringLiteral("\r\n"));
        QVERIFY2(
            lines.value(0).startsWith(QStringList({"Time", "File Name", "Phase", "Meas.Conf"}).join(sep)),
            qPrintable(lines.value(0)));
        QVERIFY(lines.value(0).endsWith(QStringLiteral("Oil Temp."))); // a new title goes at the end
        const QString aShown = CSVForm::Field(QStringLiteral("North, Bay 2/a.xml"), sep);
        QVERIFY2(lines.value(1).startsWith(QStringLiteral("01.02.2025 09:00:00%1%2%1A").arg(sep).arg(aShown)),
                 qPrintable(lines.value(1)));
        QVERIFY2(lines.filter(QStringLiteral("%1b.xml%1C%1").arg(sep)).size() == 1,
                 qPrintable(lines.join('\n')));
        QVERIFY(lines.filter(QStringLiteral("45 C")).size() == 1);

        // To standard output: the same bytes.
        const TBatchRun toStdout = rig.Run({QStringLiteral("merge"), list});
        QCOMPARE(toStdout.Status, int(bsFileFailed));
        QCOMPARE(toStdout.Out, merged);

        // The multi-file analysis of the same list shows exactly this table.
        TLinkRig app;
        app.DocumentsFolder = rig.Home + QStringLiteral("/Documents");
        app.CreateGlobal({QStringLiteral("/SIM")});
        QCOMPARE(app.Global->DataPath, rig.DataPath);
        TAnalysis analysis(*app.Global);
        analysis.LoadList(list);
        QCOMPARE(CSVForm::GridFileContent(analysis.QelAnalysisFrame1->sgMeasData->Table(), sep, false),
                 merged);

        // A list that is not there.
        const QString noList = rig.Root.filePath(QStringLiteral("none.LST"));
        const TBatchRun none = rig.Run({QStringLiteral("merge"), noList, QStringLiteral("--out"), out});
        QCOMPARE(none.Status, int(bsFileFailed));
        QVERIFY2(none.Err.contains(noList), qPrintable(none.Err));
        QCOMPARE(ReadBytes(out), merged); // nothing written over the earlier merge
    }
};

QTEST_MAIN(TstFiles)
#include "tst_files.moc"
