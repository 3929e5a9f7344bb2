// The ANALYSIS page over the sample test (a Dyn11 transformer measured over five taps) with its
// limit bands, and the multi-file analysis of the same transformer tested in three years, drawn
// by the real page and dialog on a data module in simulation.
#include "../SheetSupport.h"
#include "FStringGrids.h"
#include "IndexService.h"
#include "OperatorIFace.h"
#include "QelAnalysis.h"
#include "QelAnalysisFrames.h"
#include "QelGlobals.h"
#include "QelHistoryForm.h"
#include "QelImage.h"
#include "SampleTest.h"
#include "XMLKvDoc.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

// The sample test as measured in another year, its ratio deviations drifted by drift percent.
void Year(TKvXML& doc, int year, double drift) {
    const TXMLGridType grid = doc.QEL().Measurement().Grid();
    TMemoryGridTable t(QStringLiteral("sgMeasData"), 0, 0);
    grid.LoadInto(t);
    for (int r = 1; r < t.RowCount(); ++r) {
        QString time = t.Cell(0, r);
        if (time.isEmpty())
            continue;
        time.replace(QStringLiteral("2026"), QString::number(year));
        t.SetCell(0, r, time);
        const double dev = t.Cell(9, r).section(' ', 0, 0).toDouble() + drift;
        t.SetCell(9, r, QStringLiteral("%1 %").arg(dev, 5, 'f', 2));
    }
    grid.StoreFrom(t, 0);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: qel_analysis_sheets page.png files.png [history.png]\n");
        return 2;
    }
    QTemporaryDir home;
    TSilentOperator op;
    TQelStartup s;
    s.ExecutablePath = home.filePath(QStringLiteral("Qel8625"));
    s.DocumentsFolder = home.path();
    s.Arguments = {QStringLiteral("/SIM")};
    s.Operator = &op;
    TQelGlobal g(s);
    TQelImage images;

    QStringList files;
    const int years[] = {2024, 2025, 2026};
    for (int i = 0; i < 3; ++i) {
        const QString file = g.DataPath + QStringLiteral("T2-%1.XML").arg(years[i]);
        TKvXML doc;
        doc.New();
        FillSampleTest(doc);
        Year(doc, years[i], 0.15 * (i - 2));
        doc.SetFileName(file);
        doc.Save(file, true, false);
        files << file;
    }
    g.OpenDocument(files.last());

    TQelAnalysisFrame page(g);
    page.SetImages(images);
    g.RegisterWindow(&page);
    page.resize(780, 520);
    page.show();
    page.LoadFromDocument();
    const bool pageSaved = SaveSheet(page, QString::fromLocal8Bit(argv[1]), 400);

    const QString list = g.DataPath + QStringLiteral("T2.LST");
    {
        QString text = QStringLiteral("Nr,FileName\r\n");
        for (int i = 0; i < files.size(); ++i)
            text += QStringLiteral("%1,%2\r\n").arg(i + 1).arg(files[i]);
        QFile f(list);
        f.open(QIODevice::WriteOnly);
        f.write(text.toUtf8());
    }
    TAnalysis analysis(g);
    analysis.SetImages(images);
    analysis.LoadList(list);
    analysis.QelAnalysisFrame1->pcViewSelector->setCurrentIndex(2); // ratio deviation over the years
    analysis.show();
    const bool filesSaved = SaveSheet(analysis, QString::fromLocal8Bit(argv[2]), 400);
    analysis.hide();

    // The history of the same transformer, from an index of the three tests.
    bool historySaved = true;
    if (argc > 3) {
        TTestIndexService::TSettings settings;
        settings.IndexFile = home.filePath(QStringLiteral("TestIndex.sqlite"));
        settings.Folders = {g.DataPath};
        TTestIndexService index(settings, &op);
        index.Start();
        index.Finish();
        TQelHistoryForm history(g, index);
        history.SetImages(images);
        QEventLoop shown;
        QObject::connect(&history, &TQelHistoryForm::Shown, &shown, &QEventLoop::quit);
        history.Refresh();
        shown.exec();
        history.show();
        historySaved = SaveSheet(history, QString::fromLocal8Bit(argv[3]), 400);
    }
    g.UnregisterWindow(&page);
    return pageSaved && filesSaved && historySaved ? 0 : 1;
}
