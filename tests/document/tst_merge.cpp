#include "GridTable.h"
#include "XMLKvDoc.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Merging the measurement tables of several test files for the multi-file analysis.
class TstMerge : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    QString Save(const QString& name, const QStringList& titles, int rows) {
        TKvXML doc;
        ApplyDocumentDefaults(doc.Data());
        TMemoryGridTable table(QStringLiteral("sgMeasData"), int(titles.size()), rows + 1);
        for (int c = 0; c < titles.size(); ++c) {
            table.SetCell(c, 0, titles[c]);
            for (int r = 1; r <= rows; ++r)
                table.SetCell(c, r, QStringLiteral("%1:%2%3").arg(name, titles[c]).arg(r));
        }
        doc.QEL().Measurement().Grid().StoreFrom(table, 0);
        const QString file = FDir.filePath(name);
        if (!doc.Save(file, false, false))
            return QString();
        return file;
    }

private Q_SLOTS:
    void columnsByTitleAndRowBlocksPerFile() {
        QVERIFY(QDir().mkpath(FDir.filePath(QStringLiteral("sub"))));
        const QString a = Save(QStringLiteral("a.xml"), {"Time", "Phase"}, 2);
        const QString b = Save(QStringLiteral("sub/b.xml"), {"Time", "Phase", "Current"}, 1);
        TMemoryGridTable target(QStringLiteral("sgAnalysis"), 3, 3);
        QVERIFY(TKvXML::MergeMeasurementTables(target, {a, FDir.filePath(QStringLiteral("gone.xml")), b},
                                               FDir.path(), TKvXML::TMergeSource::Measurement));
        QCOMPARE(target.Row(0), QStringList({"File Name", "Time", "Phase", "Current"}));
        QCOMPARE(target.Row(1), QStringList({"a.xml", "a.xml:Time1", "a.xml:Phase1", ""}));
        QCOMPARE(target.Row(2), QStringList({"a.xml", "a.xml:Time2", "a.xml:Phase2", ""}));
        QCOMPARE(target.Row(3), QStringList({"a.xml", "", "", ""})); // the empty row after the first block
        QCOMPARE(target.Row(4), QStringList({"", "", "", ""}));      // the separator after the first file
        const QString shown = QDir::toNativeSeparators(QStringLiteral("sub/b.xml"));
        QCOMPARE(target.Row(5),
                 QStringList({shown, "sub/b.xml:Time1", "sub/b.xml:Phase1", "sub/b.xml:Current1"}));
        QCOMPARE(target.RowCount(), 6); // a missing file adds no separator
        QCOMPARE(target.FixedRows(), 1);
    }

    void siblingTableAndNothingToMerge() {
        TKvXML doc;
        pugi::xml_node older = doc.CT().MeasData().Node().append_child("TGrid");
        TXMLGridType(older, nullptr).StoreFrom(TMemoryGridTable(QStringLiteral("sg"), 2, 2), 0);
        older.child("Headers").attribute("C001").set_value("Cap");
        older.child("R").attribute("C001").set_value("1 nF");
        const QString file = FDir.filePath(QStringLiteral("ct.xml"));
        QVERIFY(doc.Save(file, false, false));
        TMemoryGridTable target;
        QVERIFY(TKvXML::MergeMeasurementTables(target, {file}, FDir.path(),
                                               TKvXML::TMergeSource::SiblingMeasData));
        QCOMPARE(target.Row(0), QStringList({"File Name", "Cap"}));
        QCOMPARE(target.Row(1), QStringList({"ct.xml", "1 nF"}));

        QVERIFY(TKvXML::MergeMeasurementTables(target, {}, FDir.path(), TKvXML::TMergeSource::Measurement));
        QCOMPARE(target.RowCount(), 1);
        QCOMPARE(target.ColCount(), 1);
        QCOMPARE(target.Cell(0, 0), QString());
    }
};

QTEST_GUILESS_MAIN(TstMerge)
#include "tst_merge.moc"
