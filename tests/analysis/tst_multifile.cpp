// The analysis over several test files: the file list with its list files, and the merged
// analysis on an embedded page in multi-file mode, over real test documents in temporary folders.
#include <QDir>
#include <QFile>

#include "AnalysisRig.h"
#include "CSVForm.h"
#include "FStringGrids.h"
#include "IniFile.h"
#include "QelAnalysis.h"
#include "QelFileLists.h"
#include "SampleTest.h"
#include "TestDirs.h"
#include "TntFChart.h"

#include <QAreaSeries>
#include <QLineSeries>
#include <QTabBar>

namespace {

int ColumnOf(const TFilterStringGrid& g, const QString& title) {
    for (int c = 0; c < g.ColCount(); ++c)
        if (g.Cell(c, 0) == title)
            return c;
    return -1;
}

} // namespace

class TstMultiFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsAndMergedAnalysis() {
        TAnalysisRig rig;
        rig.Create({TAnalysisRig::Row("14.03.2026 10:20:05", "A", 1, "0.1 %")});
        TQelGlobal& g = *rig.Global;
        QVERIFY(rig.Global->SaveDocument(1));
        const QString withComma = g.DataPath + QStringLiteral("North, Bay 2/A.XML");
        const QString extra = g.DataPath + QStringLiteral("B.XML");
        const QString gone = g.DataPath + QStringLiteral("gone.XML");
        QVERIFY(WriteTableTest(withComma, TAnalysisRig::Titles(),
                               {TAnalysisRig::Row("01.02.2025 09:00:00", "A", 2, "0.2 %"),
                                TAnalysisRig::Row("01.02.2025 09:00:00", "B", 3, "0.3 %")}));
        // The second has a column of its own, and not at the end: columns go by title.
        QStringList titles = TAnalysisRig::Titles();
        titles.insert(2, QStringLiteral("Oil Temp."));
        QStringList row = TAnalysisRig::Row("02.02.2026 09:00:00", "C", 4, "0.4 %");
        row.insert(2, QStringLiteral("45 C"));
        QVERIFY(WriteTableTest(extra, titles, {row}));
        QVERIFY(WriteTableTest(gone, TAnalysisRig::Titles(),
                               {TAnalysisRig::Row("03.02.2026 09:00:00", "A", 1, "9 %")}));

        TQelFileList list(g);
        QCOMPARE(list.ListName(), g.AppFolder + QStringLiteral("QEL8624.LST"));
        QVERIFY(QFileInfo::exists(list.ListName()));
        QCOMPARE(list.Files(), QStringList{rig.TestFile});
        QStringList chosen = {withComma, extra, gone, withComma};
        list.ChooseFile = [&](bool, const QString& folder, const QString&, const QString&) {
            [&] { QCOMPARE(folder, g.DataPath); }();
            return chosen.isEmpty() ? QString() : chosen.takeFirst();
        };
        for (int i = 0; i < 4; ++i)
            list.bnAddClick();
        QCOMPARE(list.Files(), (QStringList{rig.TestFile, withComma, extra, gone}));
        QVERIFY(rig.Operator.Texts().last().startsWith(QStringLiteral("The file is on the list already")));

        // Saved under a name that merely holds ".LST": the extension is added.
        chosen = {g.DataPath + QStringLiteral("years.LST.old")};
        list.bnSaveListClick();
        const QString saved = g.DataPath + QStringLiteral("years.LST.old.LST");
        QCOMPARE(list.ListName(), saved);
        const QByteArray text = ReadBytes(saved);
        if (ListSeparator() == QLatin1Char(','))
            QVERIFY(text.contains("\"" + withComma.toUtf8() + "\""));
        QCOMPARE(TIniFile(g.ConfigFileName).ReadString("QelAnalysis", "LastListName", QString()), saved);

        // The list made again at the next start: the same files, the comma path in one piece.
        {
            TQelFileList again(g);
            QCOMPARE(again.ListName(), saved);
            QCOMPARE(again.Files(), list.Files());
        }
        QVERIFY(QFile::remove(gone));

        // The merged analysis: columns by title, the file after the time, the missing file named.
        bool ran = false;
        list.RunAnalysis = [&](TAnalysis& a) {
            ran = true;
            const TTntFStringGrid& m = *a.QelAnalysisFrame1->sgMeasData;
            QCOMPARE(a.windowTitle(), QStringLiteral("Measurements Analysis -years.LST.old.LST"));
            QCOMPARE(m.Cell(0, 0), QStringLiteral("Time"));
            QCOMPARE(m.Cell(1, 0), QStringLiteral("File Name"));
            QCOMPARE(m.FixedCols(), 2);
            QCOMPARE(m.ColCount(), 15);
            QCOMPARE(m.Cell(14, 0), QStringLiteral("Oil Temp."));
            int found = 0;
            for (int r = 1; r < m.RowCount(); ++r) {
                if (m.Cell(1, r) == QStringLiteral("B.XML")) {
                    ++found;
                    QCOMPARE(m.Cell(ColumnOf(m, "Meas.Conf"), r), QStringLiteral("HV T4:LV"));
                    QCOMPARE(m.Cell(14, r), QStringLiteral("45 C"));
                }
                if (m.Cell(1, r) == QDir::toNativeSeparators(QStringLiteral("North, Bay 2/A.XML")))
                    ++found;
            }
            QCOMPARE(found, 3);
            QVERIFY(rig.Operator.Texts().last().contains(gone));

            // The current view, shifted by the file column: the tap against the ratio deviation,
            // with the ratio limits.
            const TTntFChart& c = *a.QelAnalysisFrame1->FChart1;
            QCOMPARE(c.XSelection(), 6);
            QCOMPARE(c.YSelection(), 10);
            QCOMPARE(c.Band(1)->upperSeries()->points().value(0).y(), 1.0);
            QCOMPARE(a.QelAnalysisFrame1->pcViewSelector->count(), 3);

            // The current test's notifications leave the merged table and the pictures alone (the
            // current test's own page is out of the way here).
            g.UnregisterWindow(rig.Page.get());
            const int rows = m.RowCount();
            QVERIFY(g.DocumentChanged());
            g.SendToAll(UM_FILESCHANGED, 2, 0);
            QCOMPARE(m.RowCount(), rows);
            QCOMPARE(m.Cell(1, 0), QStringLiteral("File Name"));
            QVERIFY(!QFileInfo::exists(g.DataPath + QStringLiteral("T2.jpg")));
        };
        list.StateButton1Click();
        QVERIFY(ran);

        // Loading a list that is not there says so.
        chosen = {g.DataPath + QStringLiteral("none.LST")};
        list.bnLoadListClick();
        QCOMPARE(rig.Operator.Texts().last(),
                 QStringLiteral("Error reading file:\r\n\"%1\"\r\nIt is not possible to load file.")
                     .arg(g.DataPath + QStringLiteral("none.LST")));
    }

    // A list that names the current test elsewhere gets it as row 1, renumbered; Remove asks.
    void currentTestJoinsTheList() {
        TAnalysisRig rig;
        rig.Create({});
        TQelGlobal& g = *rig.Global;
        const QString other = g.DataPath + QStringLiteral("X.XML");
        QVERIFY(WriteTableTest(other, TAnalysisRig::Titles(), {}));
        const QString listFile = g.DataPath + QStringLiteral("L.LST");
        const QChar sep = ListSeparator();
        QVERIFY(
            WriteBytes(listFile, QStringLiteral("Nr%1FileName\r\n7%1%2\r\n").arg(sep).arg(other).toUtf8()));
        TQelFileList list(g);
        QVERIFY(list.LoadList(listFile));
        QCOMPARE(list.Files(), (QStringList{rig.TestFile, other}));
        QCOMPARE(list.sgFiles->Cell(0, 1), QStringLiteral("1"));
        QCOMPARE(list.sgFiles->Cell(0, 2), QStringLiteral("2"));
        rig.Operator.Answers = {TOperatorIFace::TAnswer::Cancel};
        list.bnRemoveAllClick();
        QCOMPARE(list.Files().size(), 2);
        list.bnRemoveAllClick();
        QVERIFY(list.Files().isEmpty());
        QCOMPARE(rig.Operator.Texts().last(), QStringLiteral("Do want to remove all files"));

        // A merge of nothing: an empty table, no column exchanged, no crash.
        QVERIFY(WriteBytes(
            listFile,
            QStringLiteral("Nr%1FileName\r\n1%1%2\r\n").arg(sep).arg(g.DataPath + "no.XML").toUtf8()));
        TAnalysis a(g);
        a.LoadList(listFile);
        QCOMPARE(a.QelAnalysisFrame1->sgMeasData->ColCount(), 1);
        QVERIFY(rig.Operator.Texts().last().contains(QStringLiteral("no.XML")));
        a.QelAnalysisFrame1->grab();
    }
};

QTEST_MAIN(TstMultiFile)
#include "tst_multifile.moc"
