// The ANALYSIS page over test documents in temporary folders: the chart and its series, units and
// scales, the statistics line, finite axes for every kind of table, the limit bands, the views
// and the pictures exported for them.
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QDateTimeAxis>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QTabBar>
#include <QValueAxis>

#include <cmath>

#include "AnalysisRig.h"
#include "FStringGrids.h"
#include "IniFile.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "PanelButton.h"
#include "QelAnalysisParams.h"
#include "QelChartMath.h"
#include "TestDirs.h"
#include "TntFChart.h"

using QelChart::TTntCalcResults;

namespace {

const QString Deg = QStringLiteral("\u00B0");

QString T(int minute, int second = 5) {
    return QStringLiteral("14.03.2026 10:%1:%2")
        .arg(minute, 2, 10, QChar('0'))
        .arg(second, 2, 10, QChar('0'));
}

bool Finite(double a, double b) {
    return std::isfinite(a) && std::isfinite(b) && b > a;
}

} // namespace

class TstAnalysisPage : public QObject {
    Q_OBJECT

    // The view shown is column y against column x of the table, with every row shown.
    static void Show(TAnalysisRig& rig, int x, int y) {
        rig.Page->FChart1->SetSelection(x, y);
        rig.Page->sgMeasData->SetFilterString(QString());
        rig.Page->FChart1->Rebuild();
        rig.Page->RecomputeAxes(true);
    }

private Q_SLOTS:
    void statistics_data() {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("mean");
        QTest::addColumn<double>("stdDev");
        QTest::addColumn<QString>("text");
        QTest::newRow("percent, phase-shift and blank cells")
            << QStringList{"0.1 %", "0.2 %", "0.3 %", "0.4 %", "--", ""} << 4 << 0.25 << 0.129099
            << QStringLiteral("Nr: 4  Min:   0.1%  Max:   0.4%  Mean:  0.25%  StdDev: 0.129%");
        QTest::newRow("large values, small spread")
            << QStringList{"100000001", "100000002", "100000003"} << 3 << 100000002.0 << 1.0 << QString();
        QTest::newRow("no values") << QStringList{"--", "..", ""} << 0 << 0.0 << 0.0
                                   << QStringLiteral("Nr: 0");
        QTest::newRow("one value") << QStringList{"0.7 %"} << 1 << 0.7 << 0.0 << QString();
        QTest::newRow("nan is no value") << QStringList{"nan", "0.5 %"} << 1 << 0.5 << 0.0 << QString();
    }
    void statistics() {
        QFETCH(QStringList, cells);
        QFETCH(int, count);
        QFETCH(double, mean);
        QFETCH(double, stdDev);
        QFETCH(QString, text);
        QList<QStringList> rows;
        for (int i = 0; i < cells.size(); ++i)
            rows << TAnalysisRig::Row(T(20), QStringLiteral("A"), i + 1, cells[i]);
        TAnalysisRig rig;
        rig.Create(rows);
        Show(rig, 5, 9);
        const TTntCalcResults& r = rig.Page->FChart1->CalcResults();
        QCOMPARE(r.Count, count);
        QVERIFY(std::fabs(r.Mean - mean) < 1e-6);
        QVERIFY2(std::fabs(r.StdDev - stdDev) < 1e-5, qPrintable(QString::number(r.StdDev, 'g', 17)));
        QVERIFY(r.Variance >= 0);
        if (!text.isEmpty())
            QCOMPARE(rig.Page->FChart1->StatisticsText(), text);
    }

    // Whatever the table holds, the chart gets finite, non-empty ranges.
    void axesStayFinite_data() {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("points");
        const auto row = [](int tap, const QString& dev) { return TAnalysisRig::Row(T(20), "A", tap, dev); };
        QTest::newRow("empty table") << QList<QStringList>{} << QString() << 5 << 9 << 0;
        QTest::newRow("filtered out") << QList<QStringList>{row(1, "0.1 %"), row(2, "0.2 %")}
                                      << QStringLiteral(";->B;;;;;;;;;;;;") << 5 << 9 << 0;
        QTest::newRow("single point") << QList<QStringList>{row(3, "0.4 %")} << QString() << 5 << 12 << 1;
        QTest::newRow("all zero")
            << QList<QStringList>{TAnalysisRig::Row(T(20), "A", 0, "0 %", "0 " + Deg, "0 A"),
                                  TAnalysisRig::Row(T(20), "B", 0, "0 %", "0 " + Deg, "0 A")}
            << QString() << 5 << 12 << 2;
        QTest::newRow("nan") << QList<QStringList>{row(1, "nan"), row(2, "nan")} << QString() << 5 << 9 << 0;
        QTest::newRow("text column") << QList<QStringList>{row(1, "0.1 %"), row(2, "0.2 %")} << QString() << 1
                                     << 9 << 0;
        QTest::newRow("column outside the table")
            << QList<QStringList>{row(1, "0.1 %")} << QString() << 5 << 40 << 0;
        QTest::newRow("time axis, one time")
            << QList<QStringList>{row(1, "0.1 %"), row(2, "0.2 %")} << QString() << 13 << 9 << 2;
    }
    void axesStayFinite() {
        QFETCH(QList<QStringList>, rows);
        QFETCH(QString, filter);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, points);
        TAnalysisRig rig;
        rig.Create(rows);
        TTntFChart& c = *rig.Page->FChart1;
        c.SetSelection(x, y);
        rig.Page->sgMeasData->SetFilterString(filter);
        c.Rebuild();
        rig.Page->RecomputeAxes(true);
        int n = 0;
        for (QLineSeries* s : c.GridSeries()) {
            n += int(s->count());
            for (const QPointF& p : s->points())
                QVERIFY(std::isfinite(p.x()) && std::isfinite(p.y()));
        }
        QCOMPARE(n, points);
        QVERIFY(Finite(c.BottomMin(), c.BottomMax()));
        QVERIFY(Finite(c.AxisY()->min(), c.AxisY()->max()));
        for (int b = 0; b < 6; ++b)
            for (const QPointF& p : c.Band(b)->upperSeries()->points())
                QVERIFY(std::isfinite(p.x()) && std::isfinite(p.y()));
        // A zoom without data and the un-zoom keep them finite as well.
        c.Chart()->zoomIn();
        rig.Page->RecomputeAxes(false);
        c.Chart()->zoomReset();
        rig.Page->RecomputeAxes(false);
        QVERIFY(Finite(c.AxisY()->min(), c.AxisY()->max()));
        c.grab(); // paints without a crash
    }

    void axesOfTheEdgeCases_data() {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<double>("minX");
        QTest::addColumn<double>("maxX");
        QTest::addColumn<double>("minY");
        QTest::addColumn<double>("maxY");
        const auto row = [](int tap, const QString& dev, const QString& current) {
            return TAnalysisRig::Row(T(20), "A", tap, dev, "0.1 " + Deg, current);
        };
        // X all zero: -0.5 ... 0.5 and the margin of 0.05.
        QTest::newRow("X all zero") << QList<QStringList>{row(0, "0.1 %", "2 A"), row(0, "0.3 %", "2 A")} << 5
                                    << 9 << -0.55 << 0.55 << -1.2 << 1.2;
        // Equal Y values, no bands: 0.9 to 1.1 times the value.
        QTest::newRow("Y all equal") << QList<QStringList>{row(1, "0.1 %", "2 A"), row(2, "0.3 %", "2 A")}
                                     << 5 << 12 << 0.95 << 2.05 << 1.8 << 2.2;
        // Ratio deviation within the limits: the axis holds +-1 and 10 % margin.
        QTest::newRow("ratio deviation") << QList<QStringList>{row(1, "0.1 %", "2 A"), row(2, "0.3 %", "2 A")}
                                         << 5 << 9 << 0.95 << 2.05 << -1.2 << 1.2;
    }
    void axesOfTheEdgeCases() {
        QFETCH(QList<QStringList>, rows);
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(double, minX);
        QFETCH(double, maxX);
        QFETCH(double, minY);
        QFETCH(double, maxY);
        TAnalysisRig rig;
        rig.Create(rows);
        Show(rig, x, y);
        const TTntFChart& c = *rig.Page->FChart1;
        QVERIFY(std::fabs(c.BottomMin() - minX) < 1e-9);
        QVERIFY(std::fabs(c.BottomMax() - maxX) < 1e-9);
        QVERIFY2(std::fabs(c.AxisY()->min() - minY) < 1e-9, qPrintable(QString::number(c.AxisY()->min())));
        QVERIFY(std::fabs(c.AxisY()->max() - maxY) < 1e-9);
    }

    // Y = 9 with 0.5 % and 1 %: red above 1, yellow to 0.5, green to -0.5, yellow to -1, red below.
    void bandsFollowTheLimits() {
        TAnalysisRig rig;
        rig.Create({TAnalysisRig::Row(T(20), "A", 1, "0.1 %"), TAnalysisRig::Row(T(20), "B", 2, "0.3 %")});
        Show(rig, 5, 9);
        const TTntFChart& c = *rig.Page->FChart1;
        const double levels[] = {NAN, 1, 0.5, -0.5, NAN, -1};
        for (int b = 0; b < 6; ++b) {
            const QList<QPointF> pts = c.Band(b)->upperSeries()->points();
            if (b == 4) {
                QVERIFY(pts.isEmpty());
                continue;
            }
            QCOMPARE(pts.size(), 2);
            if (!std::isnan(levels[b]))
                QCOMPARE(pts[0].y(), levels[b]);
            QVERIFY(pts[0].x() < c.BottomMin() && pts[1].x() > c.BottomMax());
            QVERIFY(c.Band(b)->lowerSeries()->points()[0].y() < c.AxisY()->min());
        }
        QVERIFY(c.Band(0)->upperSeries()->points()[0].y() > c.AxisY()->max());
        QCOMPARE(c.Band(0)->name(), QStringLiteral("Fail Max"));
        QCOMPARE(c.Band(2)->color(), QColor(128, 255, 128));
        for (QLegendMarker* m : c.Chart()->legend()->markers(c.Band(0)))
            QVERIFY(!m->isVisible());

        // The phase deviation takes the phase limits, the current none.
        rig.SetLimits("0.5 %", "1 %", "0.2 " + Deg, "0.4 " + Deg);
        Show(rig, 5, 10);
        QCOMPARE(c.Band(1)->upperSeries()->points()[0].y(), 0.4);
        Show(rig, 5, 12);
        for (int b = 0; b < 6; ++b)
            QVERIFY(c.Band(b)->upperSeries()->points().isEmpty());
        // A negative limit in a hand-edited file would turn the bands inside out: none then.
        rig.SetLimits("-0.5 %", "1 %", "0.2 " + Deg, "0.4 " + Deg);
        Show(rig, 5, 9);
        QVERIFY(c.Band(1)->upperSeries()->points().isEmpty());
    }

    void seriesUnitsAndScales() {
        TAnalysisRig rig;
        rig.Create({TAnalysisRig::Row(T(20), "A", 1, "0.1 %"), TAnalysisRig::Row(T(20), "B", 2, "0.2 %"),
                    TAnalysisRig::Blank(),
                    TAnalysisRig::Row(T(40), "A", 3, "0.3 %", "0.1 " + Deg, "4.4 mA")});
        TTntFChart& c = *rig.Page->FChart1;
        Show(rig, 5, 12);
        // A series per block of rows, titled by its first time, coloured blue then green.
        QCOMPARE(int(c.GridSeries().size()), 2);
        QCOMPARE(c.GridSeries()[0]->name(), T(20));
        QCOMPARE(c.GridSeries()[0]->color(), QColor(0, 0, 255));
        QCOMPARE(c.GridSeries()[1]->color(), QColor(0, 128, 0));
        QCOMPARE(c.YUnitSuffix(), QStringLiteral("[mA]"));
        QCOMPARE(c.YMultiplier(), 1000.0);
        QCOMPARE(c.GridSeries()[1]->at(0).y(), 4.4);
        QCOMPARE(c.YLabelText(), QStringLiteral("Current[mA]"));
        QCOMPARE(c.TitleStr(), QStringLiteral("Current[TapNr.]"));
        Show(rig, 3, 9);
        QCOMPARE(c.XUnitSuffix(), QStringLiteral("[kV]"));
        QCOMPARE(c.GridSeries()[0]->at(0).x(), 110.0);
        QCOMPARE(c.YUnitSuffix(), QStringLiteral("[%]"));
        QCOMPARE(c.YMultiplier(), 1.0);

        // The time axis: dates of column 0, at least a second of margin.
        Show(rig, 13, 9);
        QVERIFY(c.IsTimeAxis());
        QVERIFY(c.Chart()->axes(Qt::Horizontal).contains(c.AxisTime()));
        const QDateTime first = QDateTime::fromString(T(20), QStringLiteral("dd.MM.yyyy hh:mm:ss"));
        QCOMPARE(c.GridSeries()[0]->at(0).x(), double(first.toMSecsSinceEpoch()));
        QVERIFY(c.BottomMin() <= first.toMSecsSinceEpoch() - 1000);
        QCOMPARE(c.TitleStr(), QStringLiteral("Ratio Dev.[Time]"));
        QCOMPARE(c.XLabelText(), QStringLiteral("Time"));

        // The label lists: columns from the first non-fixed one, time last on X.
        QCOMPARE(c.YChoices().first(), QStringLiteral("Prim.Volt."));
        QCOMPARE(c.XChoices().last(), QStringLiteral("Time"));
        c.ChooseY(c.YChoices().indexOf(QStringLiteral("Phase Dev.")));
        QCOMPARE(c.YSelection(), 10);
        c.ChooseX(c.XChoices().size() - 1);
        QCOMPARE(c.XSelection(), 13);
    }

    // The chart's own reading of a Time cell gives the moment Qt's reading gives, in the
    // document's formats and in the other forms, for texts that read and texts that do not.
    void timeCellsReadAsQtReadsThem_data() {
        QTest::addColumn<QString>("dateFormat");
        QTest::addColumn<QString>("timeFormat");
        QTest::addColumn<QStringList>("texts");
        const QStringList common = {"14.03.2026 10:21:05",
                                    "14.03.2026 9:01:05",
                                    "2026-03-14 23:59:59",
                                    "14/03/2026 00:00:00",
                                    "3/14/2026 1:05:09 PM",
                                    "12/31/2026 12:00:00 AM",
                                    "2026-03-14T10:21:05",
                                    "31.02.2026 10:00:00",
                                    "14.03.2026 24:00:00",
                                    "14.03.2026",
                                    "  14.03.2026 10:21:05 ",
                                    "",
                                    "--",
                                    "14.03.2026 10:21:05x"};
        QTest::newRow("day first") << "dd.mm.yyyy"
                                   << "hh:nn:ss" << common;
        QTest::newRow("month first, 12 hours") << "m/d/yyyy"
                                               << "h:nn:ss am/pm" << common;
        QTest::newRow("two-digit year") << "dd.mm.yy"
                                        << "hh:nn" << (common + QStringList{"14.03.26 10:21"});
        QTest::newRow("no formats") << ""
                                    << "" << common;
    }
    void timeCellsReadAsQtReadsThem() {
        QFETCH(QString, dateFormat);
        QFETCH(QString, timeFormat);
        QFETCH(QStringList, texts);
        QelChart::TTimeReader reader(dateFormat, timeFormat);
        for (const QString& text : texts + texts) { // the second time from the text before
            const QDateTime qt = QelChart::ReadTime(text, dateFormat, timeFormat);
            const std::optional<qint64> own = reader.ReadMSecs(text);
            QVERIFY2(own.has_value() == qt.isValid(), qPrintable(text));
            if (own)
                QCOMPARE(*own, qt.toMSecsSinceEpoch());
        }
    }

    // Beyond 200 measurement series, those of one colour and marker share a chart series of
    // points: every point is still drawn, a point that repeats in the same style once.
    void manySeriesShareStyles() {
        QList<QStringList> rows;
        // Series i, i + 88 and i + 176 share a style and a tap; the middle one has a value of its own.
        for (int i = 0; i < 250; ++i)
            rows << TAnalysisRig::Row(T(i % 60, i / 60), "A", 1 + (i % 88) % 5,
                                      i / 88 == 1 ? "0.2 %" : "0.1 %")
                 << TAnalysisRig::Blank();
        TAnalysisRig rig;
        rig.Create(rows);
        Show(rig, 5, 9);
        const TTntFChart& c = *rig.Page->FChart1;
        QCOMPARE(int(c.GridSeries().size()), 88);
        for (size_t k = 0; k < c.GridSeries().size(); ++k) {
            const double tap = 1 + int(k) % 5;
            QCOMPARE(c.GridSeries()[k]->points(), QList<QPointF>({{tap, 0.1}, {tap, 0.2}}));
        }
        QCOMPARE(c.GridSeries()[0]->pen().style(), Qt::NoPen);
        QVERIFY(!c.Chart()->legend()->isVisible());
    }

    void defaultAndStoredViews() {
        TAnalysisRig rig;
        rig.Create({TAnalysisRig::Row(T(20), "A", 1, "0.1 %")});
        TQelAnalysisFrame& p = *rig.Page;
        QCOMPARE(p.ViewCount(), 3);
        QCOMPARE(p.ViewName(1), QStringLiteral("Ratio Dev.[TapNr]"));
        QCOMPARE(p.ViewName(2), QStringLiteral("Phase Dev.TapNr]"));
        QCOMPARE(p.pcViewSelector->count(), 3);
        QVERIFY(p.pcViewSelector->isVisible());
        QCOMPARE(p.FChart1->XSelection(), 5);
        QCOMPARE(p.FChart1->YSelection(), 9);
        QCOMPARE(p.sgMeasData->FixedCols(), 3);
        QCOMPARE(p.sgMeasData->ColWidth(5), 0);
        QCOMPARE(p.bnToolMeas->StateMax(), 4); // no line printer: up to "Test Conditions", no "Print Row(s)"

        // Blank names go, a selection that is no number reads as 1 and 2.
        TMemoryGridTable views(QStringLiteral("sgView"), 4, 4);
        const QStringList rows[] = {{"Name", "Filter", "XSelection", "YSelection"},
                                    {"Mine", "", "x", "?"},
                                    {"", "", "5", "9"},
                                    {"Second", "", "5", "10"}};
        for (int r = 0; r < 4; ++r)
            for (int col = 0; col < 4; ++col)
                views.SetCell(col, r, rows[r][col]);
        rig.Global->Doc().QEL().Analysis().Grid().StoreFrom(views, 0);
        rig.Changed();
        QCOMPARE(p.ViewCount(), 2);
        QCOMPARE(p.ViewName(2), QStringLiteral("Second"));
        p.pcViewSelector->setCurrentIndex(0);
        QCOMPARE(p.FChart1->XSelection(), 1);
        QCOMPARE(p.FChart1->YSelection(), 2);
        p.pcViewSelector->setCurrentIndex(1);
        QCOMPARE(p.FChart1->YSelection(), 10);
    }

    void viewOperations() {
        TAnalysisRig rig;
        rig.Create({TAnalysisRig::Row(T(20), "A", 1, "0.1 %")});
        TQelAnalysisFrame& p = *rig.Page;
        QStringList suggestions;
        QString typed;
        p.AskName = [&](const QString& suggestion, QString& name) {
            suggestions << suggestion;
            name = typed;
            return !typed.isEmpty();
        };
        typed = QStringLiteral("R&D");
        p.ViewOperation(1);
        QCOMPARE(suggestions.last(), p.FChart1->TitleStr()); // nothing filtered: the title
        QCOMPARE(p.ViewCount(), 4);
        QCOMPARE(p.ViewName(4), QStringLiteral("R&&D"));
        QCOMPARE(p.pcViewSelector->currentIndex(), 3);
        p.ViewOperation(3);
        QCOMPARE(suggestions.last(), QStringLiteral("R&&D"));
        QCOMPARE(p.ViewName(4), QStringLiteral("R&D"));
        QCOMPARE(p.pcViewSelector->tabText(3), QStringLiteral("R&D"));
        typed.clear(); // cancelled: nothing changes
        p.ViewOperation(3);
        QCOMPARE(p.ViewName(4), QStringLiteral("R&D"));

        rig.Operator.Answers = {TOperatorIFace::TAnswer::Cancel, TOperatorIFace::TAnswer::Ok};
        p.ViewOperation(2);
        QCOMPARE(p.ViewCount(), 4);
        QCOMPARE(rig.Operator.Texts().last(), QStringLiteral("Do you want to delete\r\ncurrent view\r\nR&D"));
        p.ViewOperation(2);
        QCOMPARE(p.ViewCount(), 3);
        QCOMPARE(p.pcViewSelector->count(), 3);

        // Save View keeps the current filter and selections in the active view.
        p.pcViewSelector->setCurrentIndex(0);
        p.FChart1->SetSelection(3, 12);
        p.ViewOperation(4);
        QCOMPARE(rig.Operator.Texts().last(),
                 QStringLiteral("Do you want store current view\r\nas 'Ratio Dev.[TapNr]'"));
        QCOMPARE(p.sgView->Cell(2, 1), QStringLiteral("3"));
        QCOMPARE(p.sgView->Cell(3, 1), QStringLiteral("12"));

        // The views are in the file on the disk, not only in memory.
        TKvXML reread;
        QVERIFY(reread.Load(rig.TestFile));
        TMemoryGridTable stored;
        QVERIFY(reread.QEL().Analysis().Grid().LoadInto(stored));
        QCOMPARE(stored.RowCount(), 4);
        QCOMPARE(stored.Cell(3, 1), QStringLiteral("12"));
    }

    // Three views: three pictures of the chart's size at quality 100, bookkeeping in the saved
    // test, the clipboard left alone and the configuration not written once per view.
    void picturesOfEveryView() {
        TAnalysisRig rig;
        rig.Create({TAnalysisRig::Row(T(20), "A", 1, "0.1 %"), TAnalysisRig::Row(T(21), "B", 2, "0.6 %")});
        QGuiApplication::clipboard()->setText(QStringLiteral("operator's text"));
        TMessageCounter counter;
        rig.Global->RegisterWindow(&counter);
        const QString config = rig.Global->ConfigFileName;
        const QDateTime configWritten = QFileInfo(config).lastModified();
        QFile::remove(config);
        rig.Page->ViewOperation(0); // stores the views as every operation ends

        const QString base = rig.Global->DataPath + QStringLiteral("T2");
        const QSize size = rig.Page->FChart1->View()->size();
        for (int n = 1; n <= 3; ++n) {
            QImageReader reader(base + QString::number(n) + QStringLiteral(".jpg"));
            QCOMPARE(reader.format(), QByteArray("jpeg"));
            QCOMPARE(reader.size(), size);
        }
        QVERIFY(!QFileInfo::exists(base + QStringLiteral("4.jpg")));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("operator's text"));
        TKvXML reread;
        QVERIFY(reread.Load(rig.TestFile));
        const TXMLAnalysisType a = reread.QEL().Analysis();
        QCOMPARE(a.JPEGCount().Value(), 3);
        QCOMPARE(a.JPEGName().Value(), QStringLiteral("T2"));
        QCOMPARE(a.JPEGFiles().Count(), 3);
        QCOMPARE(a.JPEGFiles().Item(1).Value(), QStringLiteral("T22.jpg"));
        QCOMPARE(a.JPEGFiles().Item(1).Title(), QStringLiteral("Phase Dev.TapNr]"));
        // One settings refresh for the operation, none for the pictures.
        QCOMPARE(counter.Counts.value(UM_SETTINGSCHANGED), 1);
        QCOMPARE(counter.Counts.value(UM_FILESCHANGED), 1);
        QVERIFY(QFileInfo::exists(config));
        Q_UNUSED(configWritten);
        // The active view is the one shown after the export.
        QCOMPARE(rig.Page->pcViewSelector->currentIndex(), 0);
        QCOMPARE(rig.Page->FChart1->YSelection(), 9);
        rig.Global->UnregisterWindow(&counter);

        // Show Actual Diagram: the current chart as <test>.jpg, opened in the viewer.
        QString opened;
        rig.Page->OpenPicture = [&](const QString& f) {
            opened = f;
            return true;
        };
        rig.Page->ViewOperation(5);
        QCOMPARE(opened, base + QStringLiteral(".jpg"));
        QCOMPARE(QImageReader(opened).format(), QByteArray("jpeg"));
    }

    void newDocumentGetsTheDefaultLimits() {
        TAnalysisRig rig;
        rig.Create({});
        rig.SetLimits("2 %", "3 %", "2 " + Deg, "3 " + Deg);
        QVERIFY(rig.Global->NewDocument(rig.Global->DataPath + QStringLiteral("T3.XML")));
        const TXMLAnalysisType a = rig.Global->Doc().QEL().Analysis();
        QCOMPARE(a.MaxRelRatioErrorGreen().Value(), QStringLiteral("0.5 %"));
        QCOMPARE(a.MaxRelRatioErrorYellow().Value(), QStringLiteral("1 %"));
        QCOMPARE(a.MaxRelPhaseErrorGreen().Value(), "0.5 " + Deg);
        QCOMPARE(a.MaxRelPhaseErrorYellow().Value(), "1 " + Deg);
    }

    // Limits 0.3 % / 0.8 %: the bands follow at once and the test keeps them; Cancel and refused
    // entries leave the file as it was.
    void limitsDialog() {
        TAnalysisRig rig;
        rig.Create({TAnalysisRig::Row(T(20), "A", 1, "0.1 %")});
        const TTntFChart& c = *rig.Page->FChart1;
        QVERIFY(rig.Global->SaveDocument(1));
        const QByteArray before = ReadBytes(rig.TestFile);
        {
            TAnalysisParams dlg(*rig.Global);
            QCOMPARE(dlg.windowTitle(), QStringLiteral("Analysis Limits"));
            QCOMPARE(dlg.edRelRatioErrYellow->Value(), 1.0);
            QCOMPARE(dlg.edRelPhaseErrGreen->UnitStr(), Deg);
            QVERIFY(dlg.edRelRatioErrGreen->EnterValue(0.3));
            dlg.bnCancelClick();
            QCOMPARE(dlg.result(), int(QDialog::Rejected));
        }
        QCOMPARE(ReadBytes(rig.TestFile), before);

        const struct {
            double Green, Yellow;
            QString Message;
        } refused[] = {{-0.5, 1, TAnalysisParams::NegativeText}, {0.9, 0.8, TAnalysisParams::OrderText}};
        for (const auto& r : refused) {
            TAnalysisParams dlg(*rig.Global);
            QVERIFY(dlg.edRelRatioErrGreen->EnterValue(r.Green));
            QVERIFY(dlg.edRelRatioErrYellow->EnterValue(r.Yellow));
            dlg.bnOkClick();
            QCOMPARE(rig.Operator.Texts().last(), r.Message);
            QCOMPARE(dlg.result(), 0);
        }
        QCOMPARE(ReadBytes(rig.TestFile), before);

        TAnalysisParams dlg(*rig.Global);
        QVERIFY(dlg.edRelRatioErrGreen->EnterValue(0.3));
        QVERIFY(dlg.edRelRatioErrYellow->EnterValue(0.8));
        dlg.bnOkClick();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(c.Band(1)->upperSeries()->points()[0].y(), 0.8);
        QCOMPARE(c.Band(2)->upperSeries()->points()[0].y(), 0.3);
        TKvXML reread;
        QVERIFY(reread.Load(rig.TestFile));
        QCOMPARE(reread.QEL().Analysis().MaxRelRatioErrorGreen().Value(), QStringLiteral("0.3 %"));
        QCOMPARE(reread.QEL().Analysis().MaxRelRatioErrorYellow().Value(), QStringLiteral("0.8 %"));
        QCOMPARE(reread.QEL().Analysis().MaxRelPhaseErrorYellow().Value(), "1 " + Deg);
        // Opened again, the page draws the same bands.
        QVERIFY(rig.Global->OpenDocument(rig.TestFile));
        QCOMPARE(c.Band(1)->upperSeries()->points()[0].y(), 0.8);
    }

    void roundedStep_data() {
        QTest::addColumn<double>("v");
        QTest::addColumn<double>("step");
        QTest::newRow("0") << 0.0 << 1.0;
        QTest::newRow("0.13") << 0.13 << 0.2;
        QTest::newRow("3") << 3.0 << 5.0;
        QTest::newRow("-70") << -70.0 << -100.0;
    }
    void roundedStep() {
        QFETCH(double, v);
        QFETCH(double, step);
        QVERIFY(std::fabs(QelChart::RoundedStep(v) - step) < 1e-12);
    }
};

QTEST_MAIN(TstAnalysisPage)
#include "tst_analysispage.moc"
