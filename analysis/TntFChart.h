#pragma once
#include "FilterGrid.h"
#include "QelChartMath.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <vector>

class QAreaSeries;
class QChart;
class QChartView;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QValueAxis;
class TFilterStringGrid;
class TAxisLabel;

// Where a new measurement series starts while the chart walks the table.
enum TNewMeasSeriesAt { nmEmptyLine, nmNewTime };

// The grid chart: a Qt chart bound to a filter grid that draws column YSelection against column
// XSelection of the rows the grid shows, one line series per measurement series, with the axis
// labels as separate controls (tapping one picks another column) and the statistics line of the
// Y column under the plot. A selection equal to the grid's column count is the time axis: the
// date and time of column 0. The limit bands are area series placed behind the data.
//
//   auto* FChart1 = new TTntFChart(pnAnalysis);
//   FChart1->SetFStringGrid(sgMeasData);
//   FChart1->SetSelection(5, 9);
//   FChart1->Rebuild();
class TTntFChart : public QWidget {
    Q_OBJECT
public:
    explicit TTntFChart(QWidget* parent = nullptr);
    ~TTntFChart() override;

    TFilterStringGrid* FStringGrid() const { return FGrid; }
    void SetFStringGrid(TFilterStringGrid* grid);
    int XSelection() const { return FX; }
    int YSelection() const { return FY; }
    void SetXSelection(int col) { FX = col; }
    void SetYSelection(int col) { FY = col; }
    void SetSelection(int x, int y) {
        FX = x;
        FY = y;
    }
    TNewMeasSeriesAt NewMeasSeriesAt() const { return FNewSeriesAt; }
    void SetNewMeasSeriesAt(TNewMeasSeriesAt at) { FNewSeriesAt = at; }
    // The document's date and time patterns for the Time cells.
    void SetTimeFormats(const QString& dateFormat, const QString& timeFormat);
    bool IsTimeAxis() const;

    // Rebuilds every series from the rows the grid shows, the units, scales and labels.
    void Rebuild();
    // Axes and bands from the data (fromData) or around the ranges shown now (after a zoom).
    void ApplyAxes(const QelChart::TAxisResult& axes);
    QelChart::TAxisInput AxisInput(bool fromData) const;

    QString TitleStr() const { return FTitleStr; }
    QString XUnitSuffix() const { return FXSuffix; }
    QString YUnitSuffix() const { return FYSuffix; }
    double XMultiplier() const { return FXMul; }
    double YMultiplier() const { return FYMul; }
    QString XLabelText() const;
    QString YLabelText() const;
    const QelChart::TTntCalcResults& CalcResults() const { return FStats; }
    QString StatisticsText() const;

    // The chart's series made from the grid (the bands are not among them).
    const std::vector<QLineSeries*>& GridSeries() const { return FSeries; }
    // The six band series: fail max, attention max, ok max, attention min, ok min, fail min.
    QAreaSeries* Band(int index) const { return FBands[size_t(index)]; }
    QChart* Chart() const { return FChart; }
    QChartView* View() const { return FView; }
    QValueAxis* AxisY() const { return FAxisY; }
    // The bottom axis in use: the value axis, or the date-time axis for the time axis.
    QValueAxis* AxisX() const { return FAxisX; }
    QDateTimeAxis* AxisTime() const { return FAxisTime; }
    // Range of the bottom axis as numbers (milliseconds since the epoch on the time axis).
    double BottomMin() const;
    double BottomMax() const;

    // The chart as a picture of its own size, the axis labels as axis titles.
    QImage Picture();

    // The column lists of the axis labels, and what a pick from them does.
    QStringList YChoices() const;
    QStringList XChoices() const;
    void ChooseY(int entry);
    void ChooseX(int entry);
    QLabel* StatisticsLabel() const { return FStatLine; }
    QWidget* XLabel() const;
    QWidget* YLabel() const;

    static const QColor SeriesColors[11];

Q_SIGNALS:
    // The operator picked another column on an axis label.
    void SelectionChange();
    // The operator zoomed, un-zoomed or scrolled the plot.
    void ViewChanged();

private:
    void RenewLabels();
    void PopupChoices(bool xAxis);
    int FirstNonFixed() const;
    QLineSeries* NewSeries(int index);
    void DropSeries(size_t keep); // removes the chart series from keep on
    void UseTimeAxis(bool on);

    QPointer<TFilterStringGrid> FGrid;
    QChartView* FView;
    QChart* FChart;
    QValueAxis* FAxisX;
    QValueAxis* FAxisY;
    QDateTimeAxis* FAxisTime;
    std::vector<QAreaSeries*> FBands;
    std::vector<QLineSeries*> FSeries;
    TAxisLabel* FXLabel;
    TAxisLabel* FYLabel;
    QLabel* FStatLine;
    int FX = 1;
    int FY = 1;
    TNewMeasSeriesAt FNewSeriesAt = nmEmptyLine;
    QString FDateFormat, FTimeFormat;
    QString FTitleStr, FXSuffix, FYSuffix;
    double FXMul = 1, FYMul = 1;
    bool FTimeAxisOn = false;
    bool FSeriesGrouped = false; // the chart series are the points of several measurement series
    bool FHasPoints = false;
    double FMinX = 0, FMaxX = 0, FMinY = 0, FMaxY = 0;
    QelChart::TTntCalcResults FStats;
};
