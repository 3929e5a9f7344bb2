#include "GridTable.h"
#include "RecordingOperator.h"
#include "XMLDocReader.h"
#include "XMLKvDoc.h"
#include "XMLTextWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

// The document component on real files: the file format, the backups and loading.
class TstKvXML : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    QString Path(const QString& name) const { return FDir.filePath(name); }

    static QByteArray Bytes(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void Write(const QString& file, const QByteArray& bytes) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QString Utf16Text(const QByteArray& bytes) {
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                  (bytes.size() - 2) / 2);
    }
    static QByteArray Utf16File(const QString& text) {
        QByteArray b("\xFF\xFE", 2);
        b.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        return b;
    }

    static void FillTest(TKvXML& doc, int rows, const QString& job) {
        ApplyDocumentDefaults(doc.Data());
        doc.DUTGeneral().Job().SetValue(job);
        TMemoryGridTable table(QStringLiteral("sgMeasData"), 13, rows + 1);
        for (int r = 0; r <= rows; ++r)
            for (int c = 0; c < 13; ++c)
                table.SetCell(c, r, QStringLiteral("%1/%2 kV").arg(r).arg(c));
        doc.QEL().Measurement().Grid().StoreFrom(table, 0);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(FDir.isValid()); }

    void fileStartsWithByteOrderMarkAndProlog() {
        TKvXML doc;
        QVERIFY(doc.Save(Path("start.xml"), true, false));
        const QByteArray bytes = Bytes(Path("start.xml"));
        QVERIFY(bytes.startsWith(QByteArray("\xFF\xFE<\0?\0x\0m\0l\0", 12)));
        const QString text = Utf16Text(bytes);
        QCOMPARE(text, QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
                                      "<?xml-stylesheet type=\"text/xsl\" href = \"\\KovaDoc.xsl\"?>\r\n"
                                      "<KovaDoc Version=\"1.1\" Name=\"start\" FileName=\"%1\"/>\r\n")
                           .arg(Path("start.xml")));
    }

    void indentedAndPlainLayout() {
        TKvXML doc;
        doc.DUTGeneral().Job().SetValue(QStringLiteral("42"));
        doc.QEL().Setup().Condition().AmbientTemp().SetValue(QStringLiteral("20"));
        doc.SetXSLStyleSheetFile(QStringLiteral("  "));
        QVERIFY(doc.Save(Path("layout.xml"), true, false));
        const QString indented = Utf16Text(Bytes(Path("layout.xml")));
        QVERIFY(!indented.contains(QStringLiteral("xml-stylesheet"))); // blank: no style sheet line
        QVERIFY(indented.contains(QStringLiteral("?>\r\n<KovaDoc")));
        QVERIFY(indented.contains(
            QStringLiteral(">\r\n  <DUTGeneral>\r\n    <Job Value=\"42\"/>\r\n  </DUTGeneral>\r\n")));
        QVERIFY(
            indented.contains(QStringLiteral("      <Condition>\r\n        <AmbientTemp Value=\"20\"/>")));
        QVERIFY(indented.endsWith(QStringLiteral("</KovaDoc>\r\n")));
        QCOMPARE(doc.XMLFormat(), indented.mid(indented.indexOf(QStringLiteral("<KovaDoc"))).chopped(2));

        QVERIFY(doc.Save(Path("layout.xml"), false, false));
        const QString plain = Utf16Text(Bytes(Path("layout.xml")));
        QCOMPARE(plain.count(QStringLiteral("\r\n")), 2);
        QVERIFY(plain.contains(QStringLiteral("<DUTGeneral><Job Value=\"42\"/></DUTGeneral><QEL>")));
    }

    void componentDefaults() {
        TKvXML doc;
        QCOMPARE(doc.CompanyFile(), QStringLiteral("\\company.jpg"));
        QCOMPARE(doc.XSLStyleSheetFile(), QStringLiteral("\\KovaDoc.xsl"));
        QCOMPARE(doc.XMLFileExtension(), QStringLiteral(".xml"));
        QCOMPARE(doc.XMLSaveExtension(), QStringLiteral(".save"));
        QCOMPARE(doc.FileName(), QString());
        QCOMPARE(doc.RollingBackupName(QStringLiteral("/t/a.b/T.xml")), QStringLiteral("/t/a.b/T.~xml"));
        QCOMPARE(doc.ConfirmedCopyName(QStringLiteral("/t/T.xml")), QStringLiteral("/t/T.xml.save"));
        doc.SetFileName(QStringLiteral("/t/a.b/Trafo 1.v2.xml"));
        QCOMPARE(doc.Data().Name(), QStringLiteral("Trafo 1.v2"));
        QCOMPARE(doc.FileName(), QStringLiteral("/t/a.b/Trafo 1.v2.xml"));
    }

    void staleTemporariesOfThisTestOnlyAreRemoved() {
        // Names with characters of a name pattern: "[1]" must not stand for "1".
        const QString file = Path("Tap [1].xml");
        Write(file + QStringLiteral(".~tmpabcd1234"), QByteArray("half"));
        Write(file + QStringLiteral(".save.~tmpabcd1234"), QByteArray("half"));
        Write(Path("Tap 1.xml.~tmpabcd1234"), QByteArray("another test's"));
        TKvXML doc;
        QVERIFY(doc.Save(file, false, true));
        QVERIFY(!QFile::exists(file + QStringLiteral(".~tmpabcd1234")));
        QVERIFY(!QFile::exists(file + QStringLiteral(".save.~tmpabcd1234")));
        QVERIFY(QFile::exists(Path("Tap 1.xml.~tmpabcd1234")));
        QVERIFY(doc.Load(file));
        QCOMPARE(doc.Data().Name(), QStringLiteral("Tap [1]"));
    }

    void eightBitFilesReadInTheEncodingTheyDeclare() {
        // Euro sign, dash and quotes as Windows writes them; Latin-9 has the euro sign at A4.
        struct Case {
            const char* encoding;
            QByteArray value;
            QString expected;
        };
        const Case cases[] = {
            {"windows-1252", QByteArray("\x80 5 \x96 \x93ok\x94 \xE4"),
             QStringLiteral("\u20AC 5 \u2013 \u201Cok\u201D \u00E4")},
            {"ISO-8859-15", QByteArray("\xA4 \xBD \xE4"), QStringLiteral("\u20AC \u0153 \u00E4")},
            {"ISO-8859-1", QByteArray("\xA4 \x96 \xE4"), QStringLiteral("\u00A4 \u0096 \u00E4")},
        };
        for (const Case& c : cases) {
            const QString file = Path(QStringLiteral("eight-%1.xml").arg(QLatin1String(c.encoding)));
            Write(file, QByteArray("<?xml version=\"1.0\" encoding=\"") + c.encoding +
                            "\"?>\r\n<KovaDoc><DUTGeneral><Job Value=\"" + c.value +
                            "\"/></DUTGeneral></KovaDoc>\r\n");
            TKvXML doc;
            QVERIFY(doc.Load(file));
            QCOMPARE(doc.DUTGeneral().Job().Value(), c.expected);
            // Saved as UTF-16 and read again, the text stays.
            QVERIFY(doc.Save(file, true, false));
            TKvXML again;
            QVERIFY(again.Load(file));
            QCOMPARE(again.DUTGeneral().Job().Value(), c.expected);
        }
    }

    void undeclaredEightBitFileKeepsItsUmlauts() {
        // Hand-made on Windows, no declaration: not UTF-8, so read as Windows-1252.
        const QString file = Path("undeclared.xml");
        Write(file, QByteArray("<KovaDoc><DUTGeneral><Location Value=\"K\xF6ln \x80 \xE4\"/></DUTGeneral>"
                               "</KovaDoc>"));
        TKvXML doc;
        QVERIFY(doc.Load(file));
        QCOMPARE(doc.DUTGeneral().Location().Value(), QStringLiteral("K\u00F6ln \u20AC \u00E4"));

        // Well-formed UTF-8 without a declaration stays UTF-8.
        Write(file, QByteArray("<KovaDoc><DUTGeneral><Location Value=\"K\xC3\xB6ln \xE2\x82\xAC\"/>"
                               "</DUTGeneral></KovaDoc>"));
        QVERIFY(doc.Load(file));
        QCOMPARE(doc.DUTGeneral().Location().Value(), QStringLiteral("K\u00F6ln \u20AC"));
    }

    void backupSequenceOverTwoSaves() {
        const QString file = Path("T.xml");
        TKvXML doc;
        doc.DUTGeneral().Job().SetValue(QStringLiteral("original"));
        QVERIFY(doc.Save(file, false, false));
        const QByteArray original = Bytes(file);
        QVERIFY(!QFile::exists(Path("T.~xml")));

        doc.DUTGeneral().Job().SetValue(QStringLiteral("first"));
        QVERIFY(doc.Save(file, false, true));
        const QByteArray first = Bytes(file);
        QCOMPARE(Bytes(Path("T.xml.save")), original);
        QCOMPARE(Bytes(Path("T.~xml")), original);

        doc.DUTGeneral().Job().SetValue(QStringLiteral("second"));
        QVERIFY(doc.Save(file, true, true));
        QCOMPARE(Bytes(Path("T.xml.save")), original); // never overwritten once made
        QCOMPARE(Bytes(Path("T.~xml")), first);
        QVERIFY(Utf16Text(Bytes(file)).contains(QStringLiteral("second")));
        // No temporary file is left beside the test.
        QCOMPARE(QDir(FDir.path()).entryList({"T.*"}, QDir::Files | QDir::Hidden).size(), 3);
    }

    void loadFallsBackToRollingBackup() {
        TKvXML writer;
        writer.DUTGeneral().Job().SetValue(QStringLiteral("from backup"));
        QVERIFY(writer.Save(Path("B.xml"), false, false));
        QVERIFY(QFile::rename(Path("B.xml"), Path("B.~xml")));

        TKvXML doc;
        const auto loaded = doc.Load(Path("B.xml"));
        QCOMPARE(loaded.Status, TKvXML::TLoadStatus::LoadedFromBackup);
        QCOMPARE(loaded.FileRead, Path("B.~xml"));
        QCOMPARE(doc.FileName(), Path("B.xml"));
        QCOMPARE(doc.DUTGeneral().Job().Value(), QStringLiteral("from backup"));

        // Saving again writes the test file and drops the stale backup, as before a first save.
        QVERIFY(doc.Save(doc.FileName(), false, false));
        QVERIFY(QFile::exists(Path("B.xml")));
        QVERIFY(!QFile::exists(Path("B.~xml")));

        TKvXML none;
        none.DUTGeneral().Job().SetValue(QStringLiteral("kept"));
        QCOMPARE(none.Load(Path("missing.xml")).Status, TKvXML::TLoadStatus::NotFound);
        QCOMPARE(none.Load(FDir.path()).Status, TKvXML::TLoadStatus::NotFound); // a folder is no test file
        QCOMPARE(none.DUTGeneral().Job().Value(), QStringLiteral("kept"));
    }

    void malformedFileNamesPositionAndKeepsDocument() {
        const QString file = Path("bad.xml");
        Write(file, Utf16File(QStringLiteral(
                        "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<KovaDoc>\r\n  <DUTGeneral>\r\n  "
                        "  <Jöb Value=\"1\">\r\n  </DUTGeneral>\r\n</KovaDoc>\r\n")));
        TKvXML doc;
        doc.DUTGeneral().Job().SetValue(QStringLiteral("unchanged"));
        QSignalSpy replaced(&doc, &TKvXML::DocumentReplaced);
        const auto result = doc.Load(file);
        QCOMPARE(result.Status, TKvXML::TLoadStatus::Failed);
        QCOMPARE(result.Line, 5);
        QVERIFY2(result.Error.startsWith(QDir::toNativeSeparators(file) + QStringLiteral("(5,")),
                 qPrintable(result.Error));
        QCOMPARE(doc.DUTGeneral().Job().Value(), QStringLiteral("unchanged"));
        QCOMPARE(replaced.count(), 0);

        Write(file, QByteArray());
        QCOMPARE(doc.Load(file).Status, TKvXML::TLoadStatus::Failed);
        QCOMPARE(doc.DUTGeneral().Job().Value(), QStringLiteral("unchanged"));
    }

    void siblingSubtreeAndUnknownContentSurvive() {
        const QString file = Path("family.xml");
        const QString body =
            QStringLiteral("<!-- made by hand -->\r\n"
                           "<KovaDoc Zeta=\"z\" Version=\"1.1\" Alpha=\"a\">"
                           "<?app-hint keep me?>"
                           "<DUTGeneral Version=\"2\"><Job Value=\"J&amp;1 &lt;x&gt; &quot;q&quot;\" "
                           "Extra=\"1\"/><!-- note --><Future x=\"1\"><Deep/></Future></DUTGeneral>"
                           "<CT Name=\"Lumo\" Version=\"3\"><Setup><MaxACVoltage Value=\"1E-5\"/><TGrid "
                           "Name=\"sg\"><R C000=\"a\"/></TGrid></Setup>"
                           "<Sequence><Step MeasItem=\"C\" IsRel=\"1\" Fail_Action=\"2\"/></Sequence></CT>"
                           "<Text>one &amp; two\r\n<![CDATA[raw <b>]]></Text>"
                           "</KovaDoc>\r\n");
        Write(file, Utf16File(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n") + body));
        TKvXML doc;
        QVERIFY(doc.Load(file));
        QVERIFY(doc.Save(file, true, false));
        const QString before = doc.GetXML();
        TKvXML again;
        QVERIFY(again.Load(file));
        QCOMPARE(again.GetXML(), before);
        const QString saved = Utf16Text(Bytes(file));
        QVERIFY(saved.contains(
            QStringLiteral("<!-- made by hand -->\r\n<KovaDoc Zeta=\"z\" Version=\"1.1\" Alpha=\"a\"")));
        QVERIFY(saved.contains(QStringLiteral("<?app-hint keep me?>")));
        QVERIFY(saved.contains(QStringLiteral("<!-- note -->")));
        QVERIFY(
            saved.contains(QStringLiteral("<Job Value=\"J&amp;1 &lt;x&gt; &quot;q&quot;\" Extra=\"1\"/>")));
        QVERIFY(saved.contains(QStringLiteral("<Text>one &amp; two\n<![CDATA[raw <b>]]></Text>")));
        QVERIFY(saved.contains(QStringLiteral("    <Setup>\r\n      <MaxACVoltage Value=\"1E-5\"/>")));
        QCOMPARE(again.DUTGeneral().Job().Value(), QStringLiteral("J&1 <x> \"q\""));
        // The sibling's subtree exactly as the file had it, also after the defaults an opened
        // document without transformer data receives and another save.
        const QString ct = body.mid(body.indexOf(QStringLiteral("<CT ")));
        const QString ctTree = ct.left(ct.indexOf(QStringLiteral("</CT>")) + 5);
        QVERIFY2(again.GetXML().contains(ctTree), qPrintable(again.GetXML()));
        ApplyDocumentDefaults(again.Data());
        QVERIFY(again.Save(file, false, true));
        TKvXML third;
        QVERIFY(third.Load(file));
        QVERIFY2(third.GetXML().contains(ctTree), qPrintable(third.GetXML()));
    }

    void savedFileIsWellFormedForOtherTools() {
        const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
        if (xmllint.isEmpty())
            QSKIP("xmllint is not installed");
        TKvXML doc;
        FillTest(doc, 20, QStringLiteral("Ünïcode ✓ 𝄞 tab\tline\nend"));
        doc.DUTGeneral().Notes().SetText(QStringLiteral("a\\b\r\nc"));
        doc.DUTGeneral().Description().SetValue(QStringLiteral("bell\x07 dropped"));
        for (const bool formatted : {false, true}) {
            const QString file = Path(formatted ? "lint-indented.xml" : "lint-plain.xml");
            QVERIFY(doc.Save(file, formatted, false));
            QProcess lint;
            lint.start(xmllint, {QStringLiteral("--noout"), file});
            QVERIFY(lint.waitForFinished(30000));
            QVERIFY2(lint.exitCode() == 0, lint.readAllStandardError().constData());
            TKvXML again;
            QVERIFY(again.Load(file));
            QCOMPARE(again.GetXML(), doc.GetXML());
            QCOMPARE(again.DUTGeneral().Job().Value(), QStringLiteral("Ünïcode ✓ 𝄞 tab\tline\nend"));
            QCOMPARE(again.DUTGeneral().Description().Value(), QStringLiteral("bell dropped"));
        }
    }

    void writtenTextReadsBackWhateverTheDomHolds() {
        // A document built by code can hold what XML cannot carry; the file must still read back.
        pugi::xml_document dom;
        pugi::xml_node root = dom.append_child("KovaDoc");
        root.append_child(pugi::node_comment).set_value("a-\x01->b--");
        root.append_child(pugi::node_pi).set_name("app");
        root.last_child().set_value("\x02 v?\x03>w");
        root.append_child("x\x04y").append_attribute("k=") = "v";
        root.append_child("Blank").append_child(pugi::node_pcdata).set_value("\x05\n\x06");
        root.append_child(pugi::node_cdata).set_value("1]]>2");
        for (const bool indented : {false, true}) {
            const QByteArray bytes = XMLFileBytes(dom, indented, QString());
            pugi::xml_document again;
            const TXMLReadResult read = ReadXMLDocument(bytes, again);
            QVERIFY2(read.Ok, qPrintable(read.Message));
            QCOMPARE(XMLFileBytes(again, indented, QString()), bytes);
            const pugi::xml_node r = again.document_element();
            QCOMPARE(QByteArray(r.first_child().value()), QByteArray("a- ->b- - "));
            QCOMPARE(QByteArray(r.child("app").value()), QByteArray("v? >w"));
            QVERIFY(r.child("x_y").attribute("k_"));
            QVERIFY(!r.child("Blank").first_child());
            QByteArray cdata; // split into two sections around "]]>"
            for (pugi::xml_node c = r.first_child(); c; c = c.next_sibling())
                if (c.type() == pugi::node_cdata)
                    cdata += c.value();
            QCOMPARE(cdata, QByteArray("1]]>2"));
        }
    }

    void olderSiblingLayoutIsConverted() {
        const QString file = Path("old.xml");
        Write(file,
              QByteArray(
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<Lumo7391><TLumo7391Doc>"
                  "<TCTEUTDoc Version=\"9\"><Type Value=\"Bushing\"/></TCTEUTDoc>"
                  "<CTSetup><SWVersion Value=\"2.1\"/><TGrid Name=\"s\"><R C000=\"s1\"/></TGrid></CTSetup>"
                  "<TCTSequence><TGrid Name=\"q\"><Headers C000=\"Item\"/><R "
                  "C000=\"C1\"/></TGrid><XSelection Value=\"2\"/></TCTSequence>"
                  "<TCTMeasdata><TGrid><R C000=\"m1\"/></TGrid></TCTMeasdata>"
                  "</TLumo7391Doc></Lumo7391>"));
        TKvXML doc;
        QVERIFY(doc.Load(file));
        const auto root = doc.Data();
        QCOMPARE(root.NodeName(), QStringLiteral("KovaDoc"));
        QCOMPARE(root.Version(), QStringLiteral("1.1"));
        QCOMPARE(root.FileName(), file);
        QCOMPARE(root.DUTGeneral().Type().Value(), QStringLiteral("Bushing"));
        QVERIFY(root.DUTGeneral().Version().isEmpty()); // the source element's attributes stay behind
        const pugi::xml_node sequence = root.Node().child("CT").child("Sequence");
        QCOMPARE(QString::fromUtf8(sequence.child("Grid").child("R").attribute("C000").value()),
                 QStringLiteral("C1"));
        QVERIFY(sequence.child("TGrid")); // the older table stays beside it
        QCOMPARE(QString::fromUtf8(sequence.child("XSelection").attribute("Value").value()),
                 QStringLiteral("2"));
        QCOMPARE(
            QString::fromUtf8(
                root.Node().child("CT").child("Setup").child("Grid").child("R").attribute("C000").value()),
            QStringLiteral("s1"));
        QCOMPARE(
            QString::fromUtf8(
                root.Node().child("CT").child("MeasData").child("Grid").child("R").attribute("C000").value()),
            QStringLiteral("m1"));
    }

    void openedDocumentWithoutTransformerData() {
        TKvXML writer;
        FillTest(writer, 3, QStringLiteral("J"));
        QVERIFY(writer.Save(Path("with.xml"), false, false));
        writer.Data().Node().remove_child("DUTTrafoData");
        QVERIFY(writer.Save(Path("without.xml"), false, false));

        TKvXML doc;
        QVERIFY(doc.Load(Path("with.xml")));
        QVERIFY(doc.Data().HasChild("DUTTrafoData"));
        QCOMPARE(doc.QEL().Measurement().Grid().RowCount(), 4);

        QVERIFY(doc.Load(Path("without.xml")));
        QVERIFY(!doc.Data().HasChild("DUTTrafoData"));
        ApplyDocumentDefaults(doc.Data());
        QCOMPARE(doc.DUTTrafoData().Winding().Count(), 3);
        QCOMPARE(doc.QEL().Measurement().Grid().RowCount(), 2);
    }

    // A test that must make room keeps all its files under a name of its own, or stays as it was.
    void testKeptUnderANameOfItsOwn() {
        const QString file = Path("K.XML");
        TKvXML doc;
        FillTest(doc, 2, QStringLiteral("kept"));
        QVERIFY(doc.Save(file, false, false));
        QVERIFY(doc.Save(file, false, true));
        const QStringList files = {file, Path("K.~xml"), Path("K.XML.save")};
        QCOMPARE(doc.TestFiles(file), files);
        QList<QByteArray> bytes;
        for (const QString& f : files)
            bytes << Bytes(f);

        const QDateTime when(QDate(2026, 12, 9), QTime(15, 30, 5));
        const QString first = Path("K 2026-12-09 15-30-05.XML");
        QCOMPARE(doc.KeptName(file, when), first);
        // A name that any file of another test goes by is taken.
        Write(Path("K 2026-12-09 15-30-05.~xml"), "another test's backup");
        const QString second = Path("K 2026-12-09 15-30-05 (2).XML");
        QCOMPARE(doc.KeptName(file, when), second);

        // Forced onto the taken name, nothing moves and nothing of the other test is replaced.
        QString error;
        QVERIFY(!doc.RenameTest(file, first, &error));
        QVERIFY2(error.contains(QDir::toNativeSeparators(Path("K.~xml"))), qPrintable(error));
        QCOMPARE(doc.TestFiles(file), files);
        QVERIFY(!QFile::exists(first));
        QCOMPARE(Bytes(Path("K 2026-12-09 15-30-05.~xml")), QByteArray("another test's backup"));

        QVERIFY(doc.RenameTest(file, second, &error));
        QVERIFY(doc.TestFiles(file).isEmpty());
        const QStringList moved = doc.TestFiles(second);
        QCOMPARE(moved.size(), 3);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(Bytes(moved[i]), bytes[i]);
    }

    void failedWriteKeepsPreviousFile() {
#ifdef Q_OS_UNIX
        const QString file = Path("full.xml");
        TKvXML doc;
        FillTest(doc, 10, QStringLiteral("old"));
        QVERIFY(doc.Save(file, false, false));
        const QByteArray old = Bytes(file);

        // A file size limit makes the write fail as a full disk would.
        FillTest(doc, 5000, QStringLiteral("new"));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = rlim_t(old.size() + 4096);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        QString error;
        const bool ok = doc.Save(file, false, false, &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(!ok);
        QVERIFY2(error.contains(QDir::toNativeSeparators(file)), qPrintable(error));
        QCOMPARE(Bytes(file), old);
        QCOMPARE(QDir(FDir.path()).entryList({"full.*"}, QDir::Files | QDir::Hidden).size(), 1);

        // The confirmed copy of the large file fails, the smaller new version is written:
        // the operator hears of the copy, the save goes on.
        FillTest(doc, 1, QStringLiteral("small"));
        TRecordingOperator op;
        doc.SetOperator(&op);
        QVERIFY(doc.Save(file, false, false));
        FillTest(doc, 5000, QStringLiteral("large"));
        QVERIFY(doc.Save(file, false, false));
        const qint64 large = QFileInfo(file).size();
        FillTest(doc, 1, QStringLiteral("small again"));
        limited.rlim_cur = rlim_t(large / 2);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool saved2 = doc.Save(file, false, true, &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY2(saved2, qPrintable(error));
        QCOMPARE(op.Texts(), QStringList{QStringLiteral("Error writing file :\r\n\t") + file});
        QVERIFY(!QFile::exists(file + QStringLiteral(".save")));
        QCOMPARE(QFileInfo(Path("full.~xml")).size(), large);

        // A folder in place of the file cannot be replaced: an error, not a success.
        QVERIFY(QDir().mkpath(Path("taken.xml/x")));
        QVERIFY(!doc.Save(Path("taken.xml"), false, false, &error));
        QVERIFY(QDir(Path("taken.xml")).exists());
#else
        QSKIP("needs a file size limit");
#endif
    }
};

QTEST_GUILESS_MAIN(TstKvXML)
#include "tst_kvxml.moc"
