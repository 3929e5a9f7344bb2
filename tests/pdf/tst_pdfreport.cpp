// The PDF report as a reader of it sees it: the text poppler's pdftotext reads back (every title,
// every row, the fields as text), the paper, the fonts, the page count and the right edge; written
// beside a saved test when DataStorage asks for it, on the report thread, and never half.
#include <QStandardPaths>
#include <QTest>

#include "PdfReader.h"
#include "PdfRig.h"

namespace {

const QString kType = QStringLiteral("<b>40</b> MVA & \"Co\"");

// The rows of the layout text that hold every cell of result row r in order.
bool HasRow(const QStringList& lines, const QStringList& cells) {
    for (const QString& line : lines) {
        if (!line.contains(cells[0]))
            continue;
        qsizetype at = 0;
        bool all = true;
        for (const QString& cell : cells) {
            at = line.indexOf(cell, at);
            if (at < 0) {
                all = false;
                break;
            }
            at += cell.size();
        }
        if (all)
            return true;
    }
    return false;
}

} // namespace

class TstPdfReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("poppler-utils (pdftotext, pdfinfo, pdffonts) are needed: scripts/setup installs them");
    }

    void seventeenTapsReadBack() {
        QTemporaryDir dir;
        TPdfProgram program(dir.path());
        program.Global->DataStorage = dsPDF;
        const QString test = program.SaveTapTest(QStringLiteral("T17.xml"), 17, kType);
        const QString pdf = WithExtensionOf(test, ".pdf");
        QVERIFY(QFileInfo(pdf).isFile());
        QCOMPARE(program.Operator.Texts(), QStringList());
        QVERIFY(!QFileInfo::exists(WithExtensionOf(test, ".html")));
        QVERIFY(!QFileInfo::exists(WithExtensionOf(test, ".csv")));

        const QString words = PdfReader::Words(pdf);
        for (const QString& expected : {QStringLiteral("T2-0815"), kType, QStringLiteral("Dyn11")})
            QVERIFY2(words.contains(expected), qPrintable(expected));
        for (const QString& title : SampleMeasurementTitles())
            QVERIFY2(PdfReader::HasCellText(pdf, title), qPrintable(title));
        const QStringList lines = PdfReader::Text(pdf, true).split(u'\n');
        for (int r = 0; r < 51; ++r)
            QVERIFY2(HasRow(lines, TapRow(r)), qPrintable(TapRow(r).join(u' ')));

        const QMap<QString, QString> info = PdfReader::Info(pdf);
        QVERIFY2(info.value(QStringLiteral("Page size")).contains(QStringLiteral("(A4)")),
                 qPrintable(info.value(QStringLiteral("Page size"))));
        const QStringList fonts = PdfReader::Fonts(pdf);
        QVERIFY(!fonts.isEmpty());
        for (const QString& font : fonts) {
            const QStringList f = font.split(u' ', Qt::SkipEmptyParts);
            QVERIFY2(f.size() >= 7 && f[f.size() - 5] == QLatin1String("yes"), qPrintable(font)); // embedded
            QVERIFY2(f[f.size() - 3] == QLatin1String("yes"), qPrintable(font)); // with its text
        }
    }

    // More rows, more pages; each page with its head, its number and the table's titles, and
    // nothing past the right margin.
    void pagesGrowWithRows() {
        QTemporaryDir dir;
        TPdfProgram program(dir.path());
        program.Global->DataStorage = dsPDF;
        int before = 0;
        for (const int taps : {17, 60, 200}) {
            const QString pdf =
                WithExtensionOf(program.SaveTapTest(QStringLiteral("T%1.xml").arg(taps), taps), ".pdf");
            const int pages = PdfReader::Pages(pdf);
            QVERIFY2(pages > before, qPrintable(QStringLiteral("%1 taps: %2 pages").arg(taps).arg(pages)));
            before = pages;
            for (int page = 1; page <= pages; ++page) {
                const QString text = PdfReader::Text(pdf, false, page, page).simplified();
                QVERIFY2(text.contains(QStringLiteral("Page %1 of %2").arg(page).arg(pages)), qPrintable(text));
                QVERIFY(text.contains(QStringLiteral("T%1").arg(taps)));
                QVERIFY(text.contains(QStringLiteral("14.03.2026")));
                if (page > 1) // the results run on: their titles again
                    QVERIFY2(text.contains(QStringLiteral("Ratio Dev.")) && text.contains(QStringLiteral("Current")),
                             qPrintable(QStringLiteral("page %1").arg(page)));
            }
            for (const PdfReader::TExtent& e : PdfReader::Extents(pdf))
                QVERIFY2(e.RightmostWord <= e.PageWidth - 28, qPrintable(QString::number(e.RightmostWord)));
        }
        const QStringList lines =
            PdfReader::Text(WithExtensionOf(program.Global->Doc().FileName(), ".pdf"), true).split(u'\n');
        for (int r = 0; r < 600; ++r)
            QVERIFY2(HasRow(lines, TapRow(r)), qPrintable(TapRow(r).join(u' ')));
    }

    void paperOfLocale_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("paper");
        QTest::newRow("US") << QLocale(QLocale::English, QLocale::UnitedStates) << int(QPageSize::Letter);
        QTest::newRow("Canada") << QLocale(QLocale::French, QLocale::Canada) << int(QPageSize::Letter);
        QTest::newRow("Mexico") << QLocale(QLocale::Spanish, QLocale::Mexico) << int(QPageSize::Letter);
        QTest::newRow("Germany") << QLocale(QLocale::German, QLocale::Germany) << int(QPageSize::A4);
        QTest::newRow("UK") << QLocale(QLocale::English, QLocale::UnitedKingdom) << int(QPageSize::A4);
        QTest::newRow("C") << QLocale::c() << int(QPageSize::A4);
    }
    void paperOfLocale() {
        QFETCH(QLocale, locale);
        QFETCH(int, paper);
        QCOMPARE(int(PaperOf(locale)), paper);
    }

    void letterPages() {
        QTemporaryDir dir;
        TPdfProgram program(dir.path());
        program.Renderer.Paper = QPageSize::Letter;
        program.Global->DataStorage = dsPDF;
        const QString pdf = WithExtensionOf(program.SaveTapTest(QStringLiteral("L.xml"), 17), ".pdf");
        QVERIFY(PdfReader::Info(pdf).value(QStringLiteral("Page size")).contains(QStringLiteral("(letter)")));
        for (const PdfReader::TExtent& e : PdfReader::Extents(pdf))
            QVERIFY(e.RightmostWord <= e.PageWidth - 28);
    }

    // The PDF is a further bit: the values 0 to 3 keep their meaning.
    void storageBits_data() {
        QTest::addColumn<int>("storage");
        QTest::addColumn<QStringList>("written");
        QTest::newRow("3 CSV and HTML") << 3 << QStringList{".csv", ".html"};
        QTest::newRow("4 PDF") << 4 << QStringList{".pdf"};
        QTest::newRow("5 CSV and PDF") << 5 << QStringList{".csv", ".pdf"};
        QTest::newRow("7 all") << 7 << QStringList{".csv", ".html", ".pdf"};
    }
    void storageBits() {
        QFETCH(int, storage);
        QFETCH(QStringList, written);
        QTemporaryDir dir;
        TPdfProgram program(dir.path());
        program.Global->DataStorage = storage;
        const QString test = program.SaveTapTest(QStringLiteral("T.xml"), 3);
        for (const char* extension : {".csv", ".html", ".pdf"})
            QCOMPARE(QFileInfo::exists(WithExtensionOf(test, extension)),
                     written.contains(QLatin1String(extension)));
        QCOMPARE(program.Operator.Texts(), QStringList());
    }

    // A PDF that cannot be made leaves the earlier one whole; the operator hears of it once, and
    // the test is saved regardless.
    void failedPdfKeepsTheLastOne() {
        QTemporaryDir dir;
        TPdfProgram program(dir.path());
        program.Global->DataStorage = dsPDF;
        const QString test = program.SaveTapTest(QStringLiteral("T.xml"), 17);
        const QString pdf = WithExtensionOf(test, ".pdf");
        QFile good(pdf);
        QVERIFY(good.open(QIODevice::ReadOnly));
        const QByteArray before = good.readAll();
        good.close();
        QVERIFY(QFile::remove(QFileInfo(program.Global->AppFolder).dir().filePath(QStringLiteral("KovaDoc.xsl"))));
        for (int i = 0; i < 2; ++i) {
            program.Global->Doc().DUTGeneral().Type().SetValue(QStringLiteral("changed %1").arg(i));
            QVERIFY(program.Global->DocumentChanged());
        }
        program.Settle();
        QCOMPARE(program.Operator.Texts(), QStringList{QStringLiteral("Error writing file :\r\n\t") + pdf});
        QVERIFY(good.open(QIODevice::ReadOnly));
        QCOMPARE(good.readAll(), before);
        TKvXML saved;
        QVERIFY(saved.Load(test));
        QCOMPARE(saved.DUTGeneral().Type().Value(), QStringLiteral("changed 1"));
    }
};

QTEST_MAIN(TstPdfReport)
#include "tst_pdfreport.moc"
