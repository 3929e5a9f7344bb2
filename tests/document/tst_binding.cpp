#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QTemporaryDir>
#include <QTest>

// The typed binding over a document in memory and after a round trip through a file.
class TstBinding : public QObject {
    Q_OBJECT

    static QString Tree(const TKvXML& doc) { return doc.GetXMLFormatted(); }

private Q_SLOTS:
    void defaultsOnEmptyDocument() {
        TKvXML doc;
        ApplyDocumentDefaults(doc.Data());
        const QString xml = doc.GetXML();
        const auto w = doc.DUTTrafoData().Winding();
        QCOMPARE(w.Count(), 3);
        // The leading blanks are part of the values every test file of the family carries.
        QCOMPARE(w.Item(0).NominalPower().Value(), QStringLiteral(" 0 kVA"));
        QCOMPARE(w.Item(0).NominalVoltage().Value(), QStringLiteral("0 kV"));
        QCOMPARE(w.Item(0).NominalCurrent().Value(), QStringLiteral(" 0 A"));
        QCOMPARE(w.Item(1).NominalPower().Value(), QStringLiteral("0 kVA"));
        QCOMPARE(w.Item(1).NominalVoltage().Value(), QStringLiteral("10 kV"));
        QCOMPARE(w.Item(2).NominalPower().Value(), QStringLiteral("0 VA"));
        QCOMPARE(w.Item(2).NominalVoltage().Value(), QStringLiteral(" 0 V"));
        QCOMPARE(w.Item(2).NominalCurrent().Value(), QStringLiteral(" 0 A"));
        QCOMPARE(w.Item(0).Avail(), 1);
        QCOMPARE(w.Item(1).Avail(), 1);
        QCOMPARE(w.Item(2).Avail(), 0);
        QVERIFY(xml.contains(QStringLiteral("<Configuration Value=\"0\" ValueStr=\"\"/>")));
        for (const auto& winding : w.Items()) {
            QCOMPARE(winding.TapChangerData().NrOfTaps().Value(), 1);
            QCOMPARE(winding.TapChangerData().NominalTap().Value(), 1);
            QCOMPARE(winding.TapChangerData().FirstTap().Value(), 1);
            QCOMPARE(winding.VectorGroup().Value(), 0);
            QCOMPARE(winding.TapChangerAvailable().Value(), 0);
        }
        const auto setup = doc.QEL().Setup();
        QCOMPARE(setup.ActTestVoltage().Value(), QStringLiteral("Auto"));
        QCOMPARE(setup.ActMeasWindingX().Value(), 1);
        QCOMPARE(setup.ActMeasTVTapIdx().Value(), 1);
        QCOMPARE(setup.Condition().Pressure().Value(), QStringLiteral("1024 hPA"));
        QCOMPARE(setup.Condition().AmbientTemp().Value(), QStringLiteral("20"));
        QCOMPARE(doc.QEL().Analysis().GraphSelection().Value(), 1);
        const auto grid = doc.QEL().Measurement().Grid();
        QCOMPARE(grid.ColCount(), 5);
        QCOMPARE(grid.RowCount(), 2);
        QCOMPARE(doc.Data().Version(), QStringLiteral("1.1"));
    }

    void defaultsAreExactlyTheFamilyValues() {
        // The whole transformer data and test settings as text: a changed, missing or extra
        // value, a blank lost from " 0 kVA", " 0 A" or " 0 V" all show here.
        TKvXML doc;
        ApplyDocumentDefaults(doc.Data());
        const QString winding = QStringLiteral(
            "<Winding Avail=\"%1\"><NominalPower Value=\"%2\"/><NominalCurrent Value=\" 0 A\"/>"
            "<NominalVoltage Value=\"%3\"/><Configuration Value=\"0\" ValueStr=\"\"/>"
            "<VectorGroup Value=\"0\"/><TapChangerAvailable Value=\"0\"/><TapChangerData>"
            "<NrOfTaps Value=\"1\"/><NominalTap Value=\"1\"/><FirstTap Value=\"1\"/>"
            "</TapChangerData></Winding>");
        const QString trafo =
            QStringLiteral("<DUTTrafoData>") +
            winding.arg(QStringLiteral("1"), QStringLiteral(" 0 kVA"), QStringLiteral("0 kV")) +
            winding.arg(QStringLiteral("1"), QStringLiteral("0 kVA"), QStringLiteral("10 kV")) +
            winding.arg(QStringLiteral("0"), QStringLiteral("0 VA"), QStringLiteral(" 0 V")) +
            QStringLiteral("</DUTTrafoData>");
        const QString xml = doc.GetXML();
        QVERIFY2(xml.contains(trafo), qPrintable(xml));

        const auto setup = doc.QEL().Setup();
        QCOMPARE(setup.Standard().Value(), 0);
        QVERIFY(setup.Standard().Node().attribute("Value"));
        QCOMPARE(setup.ActTestVoltage().Value(), QStringLiteral("Auto"));
        QCOMPARE(setup.ActMeasWindingH().TextAttr("Value"), QStringLiteral("0"));
        QCOMPARE(setup.ActMeasWindingX().Value(), 1);
        QCOMPARE(setup.ActMeasHVTapIdx().Value(), 1);
        QCOMPARE(setup.ActMeasLVTapIdx().Value(), 1);
        QCOMPARE(setup.ActMeasTVTapIdx().Value(), 1);
        QCOMPARE(setup.Condition().AmbientTemp().Value(), QStringLiteral("20"));
        QCOMPARE(setup.Condition().RelHumidity().Value(), QStringLiteral("50"));
        QCOMPARE(setup.Condition().Pressure().Value(), QStringLiteral("1024 hPA"));
        QCOMPARE(doc.QEL().Analysis().GraphSelection().Value(), 1);

        // The empty measurement table: five empty titles, one empty row, one fixed row and column.
        const QString cells = QStringLiteral("C000=\"\" C001=\"\" C002=\"\" C003=\"\" C004=\"\"");
        QVERIFY2(xml.contains(QStringLiteral("<Headers ") + cells + QStringLiteral("/><R ") + cells +
                              QStringLiteral("/>")),
                 qPrintable(xml));
        const auto grid = doc.QEL().Measurement().Grid();
        QCOMPARE(grid.FixedRows().Value(), 1);
        QCOMPARE(grid.FixedCols().Value(), 1);
    }

    void defaultsKeepWindingsButDiscardRows() {
        TKvXML doc;
        ApplyDocumentDefaults(doc.Data());
        doc.DUTTrafoData().Winding().Item(1).NominalVoltage().SetValue(QStringLiteral("400 V"));
        doc.QEL().Setup().ActTestVoltage().SetValue(QStringLiteral("100 V"));
        const auto grid = doc.QEL().Measurement().Grid();
        QVERIFY(!HasMeasurementRows(doc.Data())); // the one empty row of a new table
        grid.SetRowCount(4);
        QVERIFY(!HasMeasurementRows(doc.Data()));
        grid.SetCell(0, 3, QStringLiteral("12:00"));
        QVERIFY(HasMeasurementRows(doc.Data()));
        ApplyDocumentDefaults(doc.Data());
        QVERIFY(!HasMeasurementRows(doc.Data()));
        QCOMPARE(doc.DUTTrafoData().Winding().Count(), 3);
        QCOMPARE(doc.DUTTrafoData().Winding().Item(1).NominalVoltage().Value(), QStringLiteral("400 V"));
        QCOMPARE(doc.QEL().Setup().ActTestVoltage().Value(), QStringLiteral("100 V"));
        QCOMPARE(grid.RowCount(), 2);
        QCOMPARE(grid.Cell(0, 1), QString());
    }

    void codeTables() {
        TKvXML doc;
        const auto conf = doc.DUTTrafoData().Winding().Add().Configuration();
        conf.SetValue(4);
        QCOMPARE(conf.ValueStr(), QStringLiteral("ZN"));
        QVERIFY(doc.GetXML().contains(QStringLiteral("<Configuration Value=\"4\" ValueStr=\"ZN\"/>")));
        conf.SetValue(15);
        QCOMPARE(conf.Value(), 15);
        QCOMPARE(conf.ValueStr(), QStringLiteral("??"));
        conf.SetValue(7);
        QCOMPARE(conf.ValueStr(), QStringLiteral("?"));
        conf.SetValue(-1);
        QCOMPARE(conf.Text(), QStringLiteral("??"));

        const auto standard = doc.QEL().Setup().Standard();
        standard.SetValueStr(QStringLiteral("kept"));
        standard.SetValue(1);
        QCOMPARE(standard.ValueStr(), QStringLiteral("kept"));
        QCOMPARE(standard.Text(), QStringLiteral("ANSI / IEEE"));
        standard.SetValue(2);
        QCOMPARE(standard.Text(), QStringLiteral("AUSTRALIAN"));
        standard.SetValue(3);
        QCOMPARE(standard.Text(), QStringLiteral("--"));
    }

    void notesEscaping_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("two lines, backslash")
            << QStringLiteral("C:\\tmp\r\nline 2") << QStringLiteral("C:\\\\tmp\\r\\nline 2")
            << QStringLiteral("C:\\tmp\r\nline 2");
        QTest::newRow("tab, controls dropped")
            << QStringLiteral("a\tb\x01\x1f") << QStringLiteral("a\\tb") << QStringLiteral("a\tb");
        QTest::newRow("empty") << QString() << QString() << QString();
    }
    void notesEscaping() {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QFETCH(QString, readBack);
        QCOMPARE(EscapeNotes(text), stored);

        // Through a saved file, as the setup page stores and reloads it.
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("notes.xml"));
        TKvXML doc;
        doc.DUTGeneral().Notes().SetText(text);
        QVERIFY(doc.Save(file, false, false));
        TKvXML again;
        QVERIFY(again.Load(file));
        QCOMPARE(again.DUTGeneral().Notes().Value(), stored);
        QCOMPARE(again.DUTGeneral().Notes().Text(), readBack);
    }

    void notesUnescapingOfStrayBackslashes() {
        QCOMPARE(UnescapeNotes(QStringLiteral("a\\qb")), QStringLiteral("a\\qb"));
        QCOMPARE(UnescapeNotes(QStringLiteral("end\\")), QStringLiteral("end"));
        QCOMPARE(UnescapeNotes(QStringLiteral("\\\\n")), QStringLiteral("\\n"));
    }

    void missingChildrenAreCreatedOnAccess() {
        TKvXML doc;
        QVERIFY(!doc.Data().HasChild("DUTGeneral"));
        QCOMPARE(doc.DUTGeneral().Job().Value(), QString());
        QVERIFY(doc.Data().HasChild("DUTGeneral"));
        QVERIFY(doc.GetXML().contains(QStringLiteral("<DUTGeneral><Job/></DUTGeneral>")));
        // Integer leaves read an empty or missing value as 0.
        doc.QEL().Setup().ActMeasWindingH().SetTextAttr("Value", QString());
        QCOMPARE(doc.QEL().Setup().ActMeasWindingH().Value(), 0);
        QCOMPARE(doc.QEL().Setup().ActMeasWindingX().Value(), 0);
    }

    void windingCollection() {
        TKvXML doc;
        const auto windings = doc.DUTTrafoData().Winding();
        doc.DUTTrafoData().TrafoConfiguration().SetValue(QStringLiteral("Dyn11"));
        windings.Add().SetName(QStringLiteral("HV-Winding"));
        windings.Add().SetName(QStringLiteral("TV-Winding"));
        const auto lv = windings.Insert(1);
        lv.SetName(QStringLiteral("LV-Winding"));
        QCOMPARE(lv.NominalCurrent().Value(), QStringLiteral(" 0 A")); // inserted ones are initialised too
        QCOMPARE(windings.Count(), 3);
        QCOMPARE(windings.Item(1).Name(), QStringLiteral("LV-Winding"));
        QCOMPARE(windings.Item(2).Name(), QStringLiteral("TV-Winding"));
        // An index out of range is no element: it reads empty and ignores writes.
        QVERIFY(windings.Item(3).IsNull());
        windings.Item(3).SetAvail(1);
        QCOMPARE(windings.Item(3).NominalVoltage().Value(), QString());
        QCOMPARE(windings.Count(), 3);
        windings.Delete(0);
        QCOMPARE(windings.Item(0).Name(), QStringLiteral("LV-Winding"));
        windings.Clear();
        QCOMPARE(windings.Count(), 0);
        QCOMPARE(doc.DUTTrafoData().TrafoConfiguration().Value(), QStringLiteral("Dyn11"));
    }

    void pictureListAndAuxiliaryFields() {
        TKvXML doc;
        const auto analysis = doc.QEL().Analysis();
        for (int i = 1; i <= 2; ++i) {
            const auto pic = analysis.JPEGFiles().Add();
            pic.SetValue(QStringLiteral("T%1.jpg").arg(i));
            pic.SetTitle(QStringLiteral("View %1").arg(i));
        }
        analysis.JPEGCount().SetValue(2);
        QCOMPARE(analysis.JPEGFiles().Count(), 2);
        QCOMPARE(analysis.JPEGFiles().Item(1).Title(), QStringLiteral("View 2"));
        const auto titles = doc.DUTGeneral().AuxTitleList();
        titles.SetS(6, QStringLiteral("Oil"));
        QCOMPARE(titles.S(6), QStringLiteral("Oil"));
        QVERIFY(doc.GetXML().contains(QStringLiteral("<AuxTitleList S6=\"Oil\"/>")));
    }

    void numbersAndQuantities() {
        QCOMPARE(FormatXMLNumber(0.5), QStringLiteral("0.5"));
        QCOMPARE(FormatXMLNumber(1e-5), QStringLiteral("1E-5"));
        QCOMPARE(FormatXMLNumber(0.1), QStringLiteral("0.1"));
        QCOMPARE(FormatXMLNumber(1e20), QStringLiteral("1E20"));
        QCOMPARE(FormatXMLNumber(-1234.5), QStringLiteral("-1234.5"));
        TKvXML doc;
        const auto ct = doc.CT().Setup().MaxACVoltage();
        ct.SetValue(12000.25);
        QCOMPARE(ct.Value(), 12000.25);
        const auto voltage = doc.DUTTrafoData().Winding().Add().NominalVoltage();
        voltage.SetValue(QStringLiteral("10.5 kV"));
        double v = 0;
        QString unit;
        QVERIFY(voltage.ReadValue(v, &unit));
        QCOMPARE(v, 10500.0);
        QCOMPARE(unit, QStringLiteral("V"));
    }

    void siblingTableFindsOlderNameFirst() {
        TKvXML doc;
        const auto meas = doc.CT().MeasData();
        meas.Grid().SetName(QStringLiteral("current"));
        QCOMPARE(meas.Grid().NodeName(), QStringLiteral("Grid"));
        pugi::xml_node older = meas.Node().append_child("TGrid");
        older.append_attribute("Name").set_value("older");
        QCOMPARE(meas.Grid().Name(), QStringLiteral("older"));
    }

    void bindingOutlivesReplacedDocument() {
        TKvXML doc;
        const auto job = doc.DUTGeneral().Job();
        job.SetValue(QStringLiteral("J-1"));
        doc.New();
        // The old document stays alive for the binding; the new one is untouched.
        QCOMPARE(job.Value(), QStringLiteral("J-1"));
        QVERIFY(!doc.Data().HasChild("DUTGeneral"));
    }
};

QTEST_GUILESS_MAIN(TstBinding)
#include "tst_binding.moc"
