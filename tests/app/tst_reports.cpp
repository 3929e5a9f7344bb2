#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>

#include <cstdio>

#include "CSVTools.h"
#include "GlobalState.h"
#include "HTMLTransform.h"
#include "QelGlobals.h"
#include "QelReports.h"
#include "RecordingOperator.h"
#include "SIPrefixes.h"
#include "SampleTest.h"
#include "TestDirs.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

// The reports beside a saved test: the CSV report as a spreadsheet reads it (Python's csv
// module) and the HTML report as a browser reads it (xmllint, libxml2's HTML parser), both
// made by the program under a German and an English locale; the rules of the transform.
namespace {

const QString kType = QStringLiteral("<b>x</b>, \"q\"");

// A program folder with the style sheet and logo the build puts beside the executable.
QString ProgramIn(const QString& folder) {
    QDir().mkpath(folder);
    for (const char* name : {"KovaDoc.xsl", "company.jpg"})
        QFile::copy(SourceDir() + "/data/" + name, folder + '/' + name);
    return folder + "/Qel8625";
}

struct TProgram {
    explicit TProgram(const QString& folder) {
        Startup.ExecutablePath = ProgramIn(folder + "/program");
        Startup.DocumentsFolder = folder + "/documents";
        Startup.Arguments = {QStringLiteral("/SIM")};
        Startup.Operator = &Operator;
        Global = std::make_unique<TQelGlobal>(Startup);
        Reports = std::make_unique<TQelReports>(*Global);
    }
    QString NewTest(const QString& name, const TSampleTest& sample = {}) {
        const QString file = Global->DataPath + name;
        Global->NewDocument(file);
        FillSampleTest(Global->Doc(), sample);
        return file;
    }
    // The HTML reports written and every message about the reports delivered.
    void Settle() {
        Reports->Finish();
        for (int round = 0; round < 3; ++round) // outcome, then the message it posts
            QCoreApplication::sendPostedEvents();
    }
    TRecordingOperator Operator;
    TQelStartup Startup;
    std::unique_ptr<TQelGlobal> Global;
    std::unique_ptr<TQelReports> Reports;
};

// The child: the sample test saved with both reports in the locale of its environment.
int WriteSample(const QString& folder, const QString& type) {
    TProgram program(folder);
    program.Global->DataStorage = 3;
    TSampleTest sample;
    sample.Type = type;
    const QString file = program.NewTest(QStringLiteral("Sample.xml"), sample);
    if (!program.Global->DocumentChanged())
        return 2;
    program.Settle();
    for (const QString& text : program.Operator.Texts())
        std::fprintf(stderr, "%s\n", qPrintable(text));
    std::printf("%s\n", qPrintable(file));
    return program.Operator.Entries.isEmpty() ? 0 : 3;
}

QString Sibling(const QString& file, const QString& extension) {
    const QFileInfo fi(file);
    return fi.path() + '/' + fi.completeBaseName() + extension;
}

// The rows Python's csv module reads from the file.
QList<QStringList> PythonRows(const QString& file, QChar separator, QString* error) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], encoding='utf-8-sig', newline='') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f, delimiter=sys.argv[2]))))\n"),
                  file, QString(separator)});
    QList<QStringList> rows;
    if (!python.waitForFinished(120000) || python.exitCode() != 0) {
        *error = QString::fromUtf8(python.readAllStandardError());
        return rows;
    }
    for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells << cell.toString();
        rows << cells;
    }
    return rows;
}

// An HTML page as a browser's parser builds it, asked with XPath.
class THtmlPage {
public:
    explicit THtmlPage(const QByteArray& html)
        : FDoc(htmlReadMemory(html.constData(), int(html.size()), "report.html", nullptr,
                              HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING)) {}
    ~THtmlPage() { xmlFreeDoc(FDoc); }
    bool Ok() const { return FDoc; }
    QString Eval(const char* expression) const {
        xmlXPathContextPtr ctx = xmlXPathNewContext(FDoc);
        xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(expression), ctx);
        QString text;
        if (result) {
            xmlChar* s = xmlXPathCastToString(result);
            text = QString::fromUtf8(reinterpret_cast<const char*>(s));
            xmlFree(s);
            xmlXPathFreeObject(result);
        }
        xmlXPathFreeContext(ctx);
        return text;
    }
    int Count(const QByteArray& path) const { return Eval("count(" + path + ")").toInt(); }

private:
    xmlDocPtr FDoc;
};

QByteArray Read(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TstReports : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reportsInLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("point");
        QTest::newRow("German") << "de_DE.UTF-8"
                                << ";"
                                << ",";
        QTest::newRow("C.UTF-8") << "C.UTF-8"
                                 << ","
                                 << ".";
    }
    void reportsInLocale() {
        QFETCH(QString, locale);
        QFETCH(QString, separator);
        QFETCH(QString, point);
        QTemporaryDir dir;
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), locale);
        env.insert(QStringLiteral("LANG"), locale);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--sample"), dir.path(), kType});
        QVERIFY(child.waitForFinished(120000));
        QVERIFY2(child.exitCode() == 0, child.readAllStandardError().constData());
        const QString xml = QString::fromLocal8Bit(child.readAllStandardOutput()).trimmed();

        // The test file keeps its "." whatever the locale.
        TKvXML saved;
        QVERIFY(saved.Load(xml));
        QCOMPARE(saved.DUTTrafoData().Winding().Item(0).TapChangerData().Grid().Cell(1, 2), "115.5 kV");
        const int gridRows = saved.QEL().Measurement().Grid().RowCount();

        QString error;
        const QList<QStringList> rows = PythonRows(Sibling(xml, ".csv"), separator.at(0), &error);
        QVERIFY2(!rows.isEmpty(), qPrintable(error));
        QCOMPARE(rows[0], QStringList{"Device under Test DUT"});
        QCOMPARE(rows[1], (QStringList{"", "Type", kType, ""}));
        QVERIFY(rows.contains(QStringList({"", "Location", "North, Bay 2", ""})));
        QVERIFY(rows.contains(QStringList({"", "Nominal Voltage[V]:", "110000", ""})));
        QVERIFY(rows.contains(QStringList({"", "Nominal Current [A]:", "209" + point + "9", ""})));
        const qsizetype at = rows.indexOf(QStringList{"QEL Measurement"});
        QVERIFY(at > 0);
        qsizetype end = at + 1;
        while (end < rows.size() && !rows[end].isEmpty())
            ++end;
        QCOMPARE(end - at - 1, gridRows);
        QCOMPARE(rows[at + 1], (QStringList{"", "Time", "Phase", "Meas.Conf", "Prim.Volt.[V]", "Sec.Volt[V]",
                                            "TapNr.", "Nom.VRatio", "Volt.Ratio", "Turns Ratio",
                                            "Ratio Dev.[%]", "Phase Dev.[°]", "Phaseshift", "Current[A]"}));
        const QStringList first = rows[at + 2];
        QCOMPARE(first.mid(1, 4), (QStringList{"14.03.2026 10:21:05", "A", "HV T1:LV", "121000"}));
        QCOMPARE(first[10], "0" + point + "04");
        QCOMPARE(first[13], "0" + point + "0032");

        const QString htmlFile = Sibling(xml, ".html");
        QProcess xmllint;
        xmllint.start(QStringLiteral("xmllint"),
                      {QStringLiteral("--html"), QStringLiteral("--noout"), htmlFile});
        QVERIFY(xmllint.waitForFinished(120000));
        const QByteArray complaints = xmllint.readAllStandardError();
        QVERIFY2(xmllint.exitCode() == 0 && complaints.isEmpty(), complaints.constData());
        const THtmlPage page(Read(htmlFile));
        QVERIFY(page.Ok());
        QCOMPARE(page.Count("//table[@id='measurement']/tbody/tr"), gridRows - 1);
        QCOMPARE(page.Eval("string(//td[@class='label'][.='Type']/following-sibling::td[1])"), kType);
        QCOMPARE(page.Count("//b"), 0);
        QCOMPARE(page.Count("//table[contains(@class,'taps')]/tbody/tr"), 5);
        QCOMPARE(page.Eval("string(//img[@class='logo']/@src)"), "company.jpg");
        QVERIFY(QFileInfo::exists(QFileInfo(htmlFile).dir().filePath(QStringLiteral("company.jpg"))));
    }

    // The whole CSV report of a small test, byte for byte.
    void csvLayout() {
        const TGlobalStateGuard guard;
        SetDecimalSeparator(u',');
        TKvXML doc;
        ApplyDocumentDefaults(doc.Data());
        doc.DUTGeneral().Type().SetValue(QStringLiteral("\"Quoted\" type"));
        doc.DUTGeneral().Location().SetValue(QStringLiteral("North; Bay 2"));
        doc.DUTGeneral().Notes().SetText(QStringLiteral("a\\b\r\nc"));
        const auto windings = doc.DUTTrafoData().Winding();
        windings.Item(0).SetName(QStringLiteral("HV-Winding"));
        windings.Item(0).SetAvail(1);
        windings.Item(0).NominalVoltage().SetValue(QStringLiteral("115.5 kV"));
        windings.Item(0).TapChangerAvailable().SetValue(1);
        TMemoryGridTable taps(QString(), 3, 3);
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r)
                taps.SetCell(c, r,
                             QStringList{"Tap", "Voltage", "Name"}[c] + (r ? QString::number(r) : QString()));
        taps.SetCell(0, 1, QStringLiteral("9a"));
        taps.SetCell(1, 1, QStringLiteral("115.5 kV"));
        taps.SetCell(0, 2, QStringLiteral("9b"));
        taps.SetCell(1, 2, QStringLiteral("110 kV"));
        windings.Item(0).TapChangerData().Grid().StoreFrom(taps, 3);
        windings.Item(0).TapChangerData().NrOfTaps().SetValue(2);
        windings.Item(1).SetName(QStringLiteral("LV-Winding"));
        windings.Item(1).SetAvail(1);
        windings.Item(1).NominalVoltage().SetValue(QStringLiteral("abc"));
        windings.Item(2).SetAvail(0);
        doc.QEL().Setup().ActWindMeasPhaseA().SetValue(QStringLiteral("1U-1V"));
        TMemoryGridTable results(QString(), 4, 3);
        const QStringList cells = {"Time",
                                   "Turns Ratio",
                                   "Ratio Dev.",
                                   "Note",
                                   "2026-03-14 10:22",
                                   "12.345",
                                   "0.12 %",
                                   "x;y",
                                   "",
                                   "",
                                   "",
                                   ""};
        for (int i = 0; i < cells.size(); ++i)
            results.SetCell(i % 4, i / 4, cells[i]);
        doc.QEL().Measurement().Grid().StoreFrom(results, 0);

        QCOMPARE(CSVReportText(doc, u';'),
                 QStringLiteral(
                     "Device under Test DUT\r\n"
                     ";Type;\"\"\"Quoted\"\" type\";\r\n"
                     ";Description;;\r\n;User;;\r\n;Manufacturer;;\r\n"
                     ";Location;\"North; Bay 2\";\r\n"
                     ";SerialNo;;\r\n;InventoryNo;;\r\n;AuxiliaryTitle;;\r\n;Operator;;\r\n"
                     ";Supervisor;;\r\n;JobNo;;\r\n"
                     ";Notes;a\\\\b\\r\\nc;\r\n"
                     ";AmbientTemperature;20;\r\n;RelativeHumidity;50;\r\n;Pressure;1024 hPA;\r\n"
                     "\r\n"
                     "Transformer Data\r\n"
                     ";Configuration;;\r\n"
                     "\r\nHV-Winding;\r\n"
                     ";Nominal Power [VA]:;0;\r\n;Nominal Current [A]:;0;\r\n;Nominal Voltage[V]:;115500;\r\n"
                     ";Nr. of Taps:;2;\r\n;Nominal Tap:;1;\r\n;First Tap:;1;\r\n\r\n"
                     ";Tap;Voltage[V];Name\r\n;9a;115500;Name1\r\n;9b;110000;Name2\r\n"
                     "\r\nLV-Winding;\r\n"
                     ";Nominal Power [VA]:;0;\r\n;Nominal Current [A]:;0;\r\n;Nominal Voltage[V]:;;\r\n"
                     "\r\n"
                     "\r\nTurns Ratio Data\r\n\r\n"
                     ";Measurement Standard;IEC / VDE;\r\n"
                     ";VectorGroup\r\n\r\n"
                     ";Phase A;1U-1V\r\n;Phase B;\r\n;Phase C;\r\n"
                     "\r\nQEL Measurement\r\n"
                     ";Time;Turns Ratio;Ratio Dev.[%];Note\r\n"
                     ";2026-03-14 10:22;12,345;0,12;\"x;y\"\r\n"
                     ";;;;\r\n"
                     "\r\n\r\n"));
        QVERIFY(CSVReportBytes(QStringLiteral("°")).startsWith("\xEF\xBB\xBF\xC2\xB0"));
    }

    void exportsFollowDataStorage_data() {
        QTest::addColumn<int>("storage");
        QTest::addColumn<bool>("csv");
        QTest::addColumn<bool>("html");
        QTest::newRow("0 none") << 0 << false << false;
        QTest::newRow("1 CSV") << 1 << true << false;
        QTest::newRow("2 HTML") << 2 << false << true;
        QTest::newRow("3 both") << 3 << true << true;
    }
    void exportsFollowDataStorage() {
        QFETCH(int, storage);
        QFETCH(bool, csv);
        QFETCH(bool, html);
        QTemporaryDir dir;
        TProgram program(dir.path());
        program.Global->DataStorage = storage;
        const QString file = program.NewTest(QStringLiteral("T.xml"));
        QVERIFY(program.Global->DocumentChanged());
        program.Settle();
        QCOMPARE(QFileInfo::exists(Sibling(file, ".csv")), csv);
        QCOMPARE(QFileInfo::exists(Sibling(file, ".html")), html);
        QCOMPARE(program.Operator.Texts(), QStringList());
    }

    // Saves in quick succession: the HTML report, made meanwhile, ends with the newest test.
    void htmlFollowsNewestSave() {
        QTemporaryDir dir;
        TProgram program(dir.path());
        program.Global->DataStorage = 2;
        const QString file = program.NewTest(QStringLiteral("T.xml"));
        for (int i = 1; i <= 5; ++i) {
            program.Global->Doc().DUTGeneral().Type().SetValue(QStringLiteral("v%1").arg(i));
            QVERIFY(program.Global->DocumentChanged());
        }
        program.Settle();
        const THtmlPage page(Read(Sibling(file, ".html")));
        QCOMPARE(page.Eval("string(//td[@class='label'][.='Type']/following-sibling::td[1])"), "v5");
    }

    // A report that cannot be written: the test is saved at every change, the operator hears
    // of the report once, and an earlier report stays whole.
    void failedReportToldOnce() {
        QTemporaryDir dir;
        TProgram program(dir.path());
        TQelGlobal& g = *program.Global;
        g.DataStorage = 3;
        const QString file = program.NewTest(QStringLiteral("T.xml"));
        const QString csv = Sibling(file, ".csv");
        const QString html = Sibling(file, ".html");
        QVERIFY(g.DocumentChanged());
        program.Settle();
        const QByteArray goodHtml = Read(html);
        QVERIFY(goodHtml.contains("<html"));

        QVERIFY(QFile::remove(csv));
        QVERIFY(QDir().mkdir(csv)); // no file can take its place
        QVERIFY(QFile::remove(QFileInfo(g.AppFolder).dir().filePath(QStringLiteral("KovaDoc.xsl"))));
        const TXMLGridType grid = g.Doc().QEL().Measurement().Grid();
        for (int i = 0; i < 3; ++i) {
            grid.SetCell(0, 1, QStringLiteral("change %1").arg(i));
            QVERIFY(g.DocumentChanged());
            TKvXML saved;
            QVERIFY(saved.Load(file));
            QCOMPARE(saved.QEL().Measurement().Grid().Cell(0, 1), QStringLiteral("change %1").arg(i));
        }
        program.Settle();
        const QString told = QStringLiteral("Error writing file :\r\n\t");
        QCOMPARE(program.Operator.Texts(), (QStringList{told + csv, told + html}));
        QCOMPARE(program.Operator.Entries[0].Kind, TOperatorIFace::TKind::Error);
        QCOMPARE(Read(html), goodHtml);

        // Written again, then failing again: news again.
        QVERIFY(QDir().rmdir(csv));
        g.DataStorage = 1;
        QVERIFY(g.DocumentChanged());
        QVERIFY(QFileInfo(csv).isFile());
        QVERIFY(QFile::remove(csv) && QDir().mkdir(csv));
        QVERIFY(g.DocumentChanged());
        program.Settle();
        QCOMPARE(program.Operator.Texts().count(told + csv), 2);
    }

    // Style sheets that try to reach the network or the disk are refused as a whole.
    void styleSheetRefused_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("mustNotExist");
        QTest::addColumn<QString>("named"); // what the refusal names
        QTest::newRow("document() over the network")
            << "<xsl:template match='/'><xsl:copy-of select=\"document('http://127.0.0.1:9/x.xml')\"/>"
               "</xsl:template>"
            << ""
            << "http://127.0.0.1:9/x.xml";
        QTest::newRow("import over the network") << "<xsl:import href='http://127.0.0.1:9/x.xsl'/>"
                                                 << ""
                                                 << "http://127.0.0.1:9/x.xsl";
        QTest::newRow("writes a file")
            << "<xsl:template match='/'><xsl:document href='@/out.txt' method='text'>"
               "x</xsl:document></xsl:template>"
            << "out.txt"
            << "@/out.txt";
        QTest::newRow("makes a folder")
            << "<xsl:template match='/'><saxon:output href='@/new/out.txt' "
               "xmlns:saxon='http://icl.com/saxon'>x</saxon:output></xsl:template>"
            << "new"
            << "@/new";
    }
    void styleSheetRefused() {
        QFETCH(QString, body);
        QFETCH(QString, mustNotExist);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QString sheet = dir.filePath(QStringLiteral("evil.xsl"));
        WriteFile(sheet, QStringLiteral(
                             "<xsl:stylesheet version='1.1' xmlns:xsl='http://www.w3.org/1999/XSL/Transform' "
                             "extension-element-prefixes='saxon' xmlns:saxon='http://icl.com/saxon'>%1"
                             "</xsl:stylesheet>")
                             .arg(QString(body).replace('@', dir.path()))
                             .toUtf8());
        const QString xml = dir.filePath(QStringLiteral("T.xml"));
        WriteFile(xml, "<KovaDoc/>");
        const THTMLTransform result = TransformTestFile(xml, sheet);
        QVERIFY(!result.Ok());
        QVERIFY2(result.Error.contains(named.replace('@', dir.path())), qPrintable(result.Error));
        QVERIFY(result.Html.isEmpty());
        if (!mustNotExist.isEmpty())
            QVERIFY(!QFileInfo::exists(dir.filePath(mustNotExist)));
    }

    // Entities and document types of a test file are never loaded.
    void externalEntitiesStayOut() {
        QTemporaryDir dir;
        WriteFile(dir.filePath(QStringLiteral("secret.txt")), "TOPSECRET");
        WriteFile(dir.filePath(QStringLiteral("kova.dtd")), "<!ATTLIST Type Value CDATA 'FROMDTD'>");
        const QString xml = dir.filePath(QStringLiteral("T.xml"));
        WriteFile(
            xml, "<?xml version='1.0'?><!DOCTYPE KovaDoc SYSTEM 'kova.dtd' [<!ENTITY s SYSTEM 'secret.txt'>]>"
                 "<KovaDoc><DUTGeneral><Type/><Notes>&s;</Notes></DUTGeneral></KovaDoc>");
        const QString sheet = dir.filePath(QStringLiteral("show.xsl"));
        WriteFile(sheet, "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                         "<xsl:output method='text'/><xsl:template match='/'>[<xsl:value-of select='.'/>|"
                         "<xsl:value-of select='//Type/@Value'/>]</xsl:template></xsl:stylesheet>");
        const THTMLTransform result = TransformTestFile(xml, sheet);
        QVERIFY2(result.Ok(), qPrintable(result.Error));
        QCOMPARE(result.Text(), QStringLiteral("[|]"));
    }

    // What the page shows of a test beyond its tables: notes as lines, the nominal tap, the
    // limit bands of the deviations, and only those pictures that lie beside the report.
    void htmlShowsDocument() {
        QTemporaryDir dir;
        TKvXML doc;
        FillSampleTest(doc);
        const auto pictures = doc.QEL().Analysis().JPEGFiles();
        for (const char* name : {"Sample1.jpg", "javascript:alert(1)", "../x.jpg", "C:\\x.jpg"})
            pictures.Add().SetValue(QString::fromLatin1(name));
        // A row made by hand, without its second cell: the others stay in their columns.
        const QString third = doc.QEL().Measurement().Grid().Cell(2, 1);
        doc.QEL().Measurement().Grid().R().Item(0).Node().remove_attribute("C001");
        const QString xml = dir.filePath(QStringLiteral("Sample.xml"));
        QVERIFY(doc.Save(xml, false, false));
        const THTMLTransform html = TransformTestFile(xml, SourceDir() + "/data/KovaDoc.xsl");
        QVERIFY2(html.Ok(), qPrintable(html.Error));
        const THtmlPage page(html.Html);
        QCOMPARE(page.Eval("string(//div[@class='pictures']//img/@src)"), "Sample1.jpg");
        QCOMPARE(page.Count("//div[@class='pictures']//img"), 1);
        QCOMPARE(page.Count("//td[@class='notes']/br"), 1);
        QCOMPARE(page.Eval("string(//table[contains(@class,'taps')]//td[@class='nominal'])"), "3");
        for (const char* band : {"green", "yellow", "red"})
            QVERIFY2(page.Count(QByteArray("//table[@id='measurement']//td[@class='") + band + "']") > 0,
                     band);
        QCOMPARE(page.Count("//table[@id='series']/tbody/tr"), 2);
        QCOMPARE(page.Eval("string(//table[@id='measurement']/tbody/tr[1]/td[2])"), "");
        QCOMPARE(page.Eval("string(//table[@id='measurement']/tbody/tr[1]/td[3])"), third);
        QCOMPARE(page.Count("//table[@id='measurement']/tbody/tr[1]/td"), 13);
    }

    void styleSheetShipped() {
        const QByteArray sheet = Read(SourceDir() + "/data/KovaDoc.xsl");
        QVERIFY(sheet.contains("xsl:stylesheet version=\"1.0\""));
        QVERIFY(!sheet.contains("disable-output-escaping"));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--sample") == 0)
        return WriteSample(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    TstReports test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reports.moc"
