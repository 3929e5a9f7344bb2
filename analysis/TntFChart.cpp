#include "TntFChart.h"

#include "FilterGrid.h"
#include "LangManager.h"
#include "SIPrefixes.h"
#include "TimePatterns.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QGridLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

using namespace QelChart;

// A plot that tells when the operator zoomed (left drag), un-zoomed (right click) or scrolled
// (arrow keys) it.
class TZoomChartView : public QChartView {
public:
    TZoomChartView(QChart* chart, TTntFChart* owner) : QChartView(chart, owner), FOwner(owner) {
        setRubberBand(QChartView::RectangleRubberBand);
        setRenderHint(QPainter::Antialiasing, false);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::RightButton) {
            chart()->zoomReset();
            Q_EMIT FOwner->ViewChanged();
            e->accept();
            return;
        }
        QChartView::mouseReleaseEvent(e);
        if (e->button() == Qt::LeftButton)
            Q_EMIT FOwner->ViewChanged();
    }
    void keyPressEvent(QKeyEvent* e) override {
        const int k = e->key();
        if (k == Qt::Key_Left || k == Qt::Key_Right || k == Qt::Key_Up || k == Qt::Key_Down) {
            const qreal dx = k == Qt::Key_Left ? -10 : k == Qt::Key_Right ? 10 : 0;
            const qreal dy = k == Qt::Key_Up ? 10 : k == Qt::Key_Down ? -10 : 0;
            chart()->scroll(dx, dy);
            Q_EMIT FOwner->ViewChanged();
            return;
        }
        QChartView::keyPressEvent(e);
    }

private:
    TTntFChart* FOwner;
};

// An axis title that can be tapped; the Y title reads upwards.
class TAxisLabel : public QWidget {
public:
    TAxisLabel(bool vertical, QWidget* parent) : QWidget(parent), FVertical(vertical) {
        setCursor(Qt::PointingHandCursor);
        if (vertical)
            setFixedWidth(fontMetrics().height() + 6);
        else
            setFixedHeight(fontMetrics().height() + 4);
    }
    QString Text() const { return FText; }
    void SetText(const QString& t) {
        FText = t;
        update();
    }
    std::function<void()> OnTap;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (FVertical) {
            p.translate(0, height());
            p.rotate(-90);
            // At most half the chart's height, centred.
            const int len =
                std::min(height(), std::max(height() / 2, fontMetrics().horizontalAdvance(FText)));
            p.drawText(QRect((height() - len) / 2, 0, len, width()), Qt::AlignCenter,
                       fontMetrics().elidedText(FText, Qt::ElideRight, len));
        } else {
            const int len = std::min(width(), std::max(width() / 2, fontMetrics().horizontalAdvance(FText)));
            p.drawText(QRect((width() - len) / 2, 0, len, height()), Qt::AlignCenter,
                       fontMetrics().elidedText(FText, Qt::ElideRight, len));
        }
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && OnTap)
            OnTap();
    }

private:
    bool FVertical;
    QString FText;
};

namespace {

// The eight point markers, taken in cycle: circle, square, triangle, diamond, down triangle,
// cross, plus, star.
QImage Marker(int style, const QColor& colour) {
    QImage img(9, 9, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(130), 1));
    p.setBrush(colour);
    const QRectF r(1, 1, 7, 7);
    switch (style % 8) {
    case 0:
        p.drawEllipse(r);
        break;
    case 1:
        p.drawRect(r);
        break;
    case 2:
        p.drawPolygon(QPolygonF({{4.5, 1}, {8, 8}, {1, 8}}));
        break;
    case 3:
        p.drawPolygon(QPolygonF({{4.5, 0.5}, {8.5, 4.5}, {4.5, 8.5}, {0.5, 4.5}}));
        break;
    case 4:
        p.drawPolygon(QPolygonF({{1, 1}, {8, 1}, {4.5, 8}}));
        break;
    case 5:
        p.setPen(QPen(colour, 2));
        p.drawLine(QPointF(1, 1), QPointF(8, 8));
        p.drawLine(QPointF(8, 1), QPointF(1, 8));
        break;
    case 6:
        p.setPen(QPen(colour, 2));
        p.drawLine(QPointF(4.5, 0.5), QPointF(4.5, 8.5));
        p.drawLine(QPointF(0.5, 4.5), QPointF(8.5, 4.5));
        break;
    default:
        p.setPen(QPen(colour, 1.5));
        p.drawLine(QPointF(4.5, 0.5), QPointF(4.5, 8.5));
        p.drawLine(QPointF(0.5, 4.5), QPointF(8.5, 4.5));
        p.drawLine(QPointF(1.5, 1.5), QPointF(7.5, 7.5));
        p.drawLine(QPointF(7.5, 1.5), QPointF(1.5, 7.5));
        break;
    }
    return img;
}

// Legends of this many series and more would cover the plot and cost more than they tell.
constexpr int MaxLegendSeries = 24;
// Colours and markers in cycle repeat after this many series.
constexpr int StyleCount = 88;
constexpr int MaxLineSeries = 200;

} // namespace

const QColor TTntFChart::SeriesColors[11] = {QColor(0, 0, 255),   QColor(0, 128, 0),   QColor(255, 255, 0),
                                             QColor(255, 0, 0),   QColor(0, 255, 255), QColor(0, 255, 0),
                                             QColor(128, 0, 128), QColor(0, 0, 128),   QColor(128, 128, 0),
                                             QColor(128, 0, 0),   QColor(255, 0, 255)};

TTntFChart::TTntFChart(QWidget* parent)
    : QWidget(parent), FChart(new QChart), FAxisX(new QValueAxis), FAxisY(new QValueAxis),
      FAxisTime(new QDateTimeAxis) {
    FChart->setAnimationOptions(QChart::NoAnimation);
    FChart->legend()->setAlignment(Qt::AlignRight);
    FChart->setMargins(QMargins(4, 4, 4, 4));
    auto* view = new TZoomChartView(FChart, this);
    FView = view;
    FView->setObjectName(QStringLiteral("FChart1View"));
    for (QValueAxis* a : {FAxisX, FAxisY}) {
        a->setLabelFormat(QStringLiteral("%.10g"));
        a->setTickType(QValueAxis::TicksDynamic);
    }
    FChart->addAxis(FAxisX, Qt::AlignBottom);
    FChart->addAxis(FAxisY, Qt::AlignLeft);
    FAxisTime->setTickCount(5);
    FAxisTime->setFormat(QStringLiteral("dd.MM.yy hh:mm"));

    // Band series, painted first so that the data lies over them; red above yellow above green.
    static const struct {
        const char* Title;
        QColor Colour;
    } bands[] = {{"Fail Max", QColor(255, 128, 128)}, {"Attention Max", QColor(253, 255, 164)},
                 {"Ok Max", QColor(128, 255, 128)},   {"Attention Min", QColor(255, 255, 164)},
                 {"Ok Min", QColor(128, 255, 128)},   {"Fail Min", QColor(255, 128, 128)}};
    static const char* const names[] = {"srFailMax",      "srAttentionMax", "srOkMax",
                                        "srAttentionMin", "srOkMin",        "srFailMin"};
    for (int i = 0; i < 6; ++i) {
        auto* band = new QAreaSeries(new QLineSeries(this), new QLineSeries(this));
        band->setObjectName(QLatin1String(names[i]));
        band->setName(QLatin1String(bands[i].Title));
        band->setColor(bands[i].Colour);
        band->setBorderColor(bands[i].Colour);
        band->setPointsVisible(false);
        FChart->addSeries(band);
        band->attachAxis(FAxisX);
        band->attachAxis(FAxisY);
        for (QLegendMarker* m : FChart->legend()->markers(band))
            m->setVisible(false);
        FBands.push_back(band);
    }

    FXLabel = new TAxisLabel(false, this);
    FXLabel->setObjectName(QStringLiteral("lbXAxis"));
    FXLabel->OnTap = [this] { PopupChoices(true); };
    FYLabel = new TAxisLabel(true, this);
    FYLabel->setObjectName(QStringLiteral("lbYAxis"));
    FYLabel->OnTap = [this] { PopupChoices(false); };
    FStatLine = new QLabel(this);
    FStatLine->setObjectName(QStringLiteral("lbStatistics"));
    SetLangTag(FStatLine, LangTagNever); // figures of the test
    FStatLine->setAttribute(Qt::WA_TranslucentBackground);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(FYLabel, 0, 0);
    grid->addWidget(FView, 0, 1);
    grid->addWidget(FXLabel, 1, 1);
    grid->addWidget(FStatLine, 2, 1);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(1, 1);
}

TTntFChart::~TTntFChart() {
    // The chart owns the bottom axis it shows; the other one is this chart's own.
    delete (FTimeAxisOn ? static_cast<QAbstractAxis*>(FAxisX) : FAxisTime);
}

void TTntFChart::SetFStringGrid(TFilterStringGrid* grid) {
    FGrid = grid;
    if (grid)
        FStatLine->setFont(grid->font());
}

void TTntFChart::SetTimeFormats(const QString& dateFormat, const QString& timeFormat) {
    FDateFormat = dateFormat;
    FTimeFormat = timeFormat;
    if (!dateFormat.isEmpty() && !timeFormat.isEmpty())
        FAxisTime->setFormat(QtDatePattern(dateFormat) + QLatin1Char(' ') + QtTimePattern(timeFormat));
}

bool TTntFChart::IsTimeAxis() const {
    return FGrid && FX >= FGrid->ColCount();
}

int TTntFChart::FirstNonFixed() const {
    return FGrid ? std::max(0, FGrid->FixedCols()) : 0;
}

void TTntFChart::UseTimeAxis(bool on) {
    if (on == FTimeAxisOn)
        return;
    FTimeAxisOn = on;
    QAbstractAxis* drop = on ? static_cast<QAbstractAxis*>(FAxisX) : FAxisTime;
    QAbstractAxis* take = on ? static_cast<QAbstractAxis*>(FAxisTime) : FAxisX;
    for (QAbstractSeries* s : FChart->series())
        s->detachAxis(drop);
    FChart->removeAxis(drop);
    FChart->addAxis(take, Qt::AlignBottom);
    for (QAbstractSeries* s : FChart->series())
        s->attachAxis(take);
}

void TTntFChart::DropSeries(size_t keep) {
    while (FSeries.size() > keep) {
        QLineSeries* s = FSeries.back();
        FSeries.pop_back();
        FChart->removeSeries(s);
        delete s;
    }
}

QLineSeries* TTntFChart::NewSeries(int index) {
    auto* s = new QLineSeries;
    const QColor colour = SeriesColors[index % 11];
    s->setColor(colour);
    s->setLightMarker(Marker(index % 8, colour));
    s->setMarkerSize(9);
    s->setPointsVisible(true);
    return s;
}

void TTntFChart::Rebuild() {
    if (!FGrid)
        return;
    FHasPoints = false;
    TFilterStringGrid& g = *FGrid;
    const int cols = g.ColCount();
    const bool time = FX >= cols;
    UseTimeAxis(time);
    const auto title = [&](int c) { return c >= 0 && c < cols ? g.Cell(c, 0) : QString(); };
    FTitleStr = title(FY) + QLatin1Char('[') + (time ? title(0) : title(FX)) + QLatin1Char(']');
    FChart->setTitle(FTitleStr);

    // A column outside the table has no numbers.
    const bool xInTable = FX >= 0 && FX < cols;
    const bool yInTable = FY >= 0 && FY < cols;
    QString xUnit, yUnit;
    bool xUnitSeen = false, yUnitSeen = false;
    struct TPart {
        QString Title;
        QList<QPointF> Points;
    };
    std::vector<TPart> parts;
    TRunningStats stats;
    TTimeReader times(FDateFormat, FTimeFormat);
    bool startNew = true;
    QString seriesTime;
    const int rows = g.RowCount();
    if (yInTable && (xInTable || time)) {
        for (int r = 1; r < rows; ++r) {
            const QString t = g.Cell(0, r);
            const bool blankTime = t.trimmed().isEmpty();
            if (FNewSeriesAt == nmEmptyLine) {
                if (blankTime) {
                    startNew = true;
                    continue;
                }
            } else if (!blankTime && t != seriesTime) {
                startNew = true;
            }
            if (startNew) {
                parts.push_back({t, {}});
                seriesTime = t;
                startNew = false;
            }
            const QString yCell = g.Cell(FY, r);
            if (yCell.trimmed().isEmpty())
                continue;
            if (!yUnitSeen) {
                yUnit = CellUnit(yCell);
                yUnitSeen = true;
            }
            const std::optional<double> yv = CellValue(yCell);
            if (yv)
                stats.Add(*yv);
            double x = 0;
            if (time) {
                const std::optional<qint64> when = times.ReadMSecs(t);
                if (!when)
                    continue;
                x = double(*when);
            } else {
                const QString xCell = g.Cell(FX, r);
                if (xCell.trimmed().isEmpty())
                    continue;
                if (!xUnitSeen) {
                    xUnit = CellUnit(xCell);
                    xUnitSeen = true;
                }
                const std::optional<double> xv = CellValue(xCell);
                if (!xv)
                    continue;
                x = *xv;
            }
            if (!yv)
                continue;
            parts.back().Points.append(QPointF(x, *yv));
        }
    }

    // Scale: a unit other than none, "%" and "°" gets the prefix that brings the largest
    // magnitude of the data between 1 and 1000.
    double ax = 0, ay = 0;
    bool first = true;
    for (const TPart& p : parts)
        for (const QPointF& pt : p.Points) {
            ax = std::max(ax, std::fabs(pt.x()));
            ay = std::max(ay, std::fabs(pt.y()));
            if (first) {
                FMinX = FMaxX = pt.x();
                FMinY = FMaxY = pt.y();
                first = false;
            } else {
                FMinX = std::min(FMinX, pt.x());
                FMaxX = std::max(FMaxX, pt.x());
                FMinY = std::min(FMinY, pt.y());
                FMaxY = std::max(FMaxY, pt.y());
            }
        }
    FHasPoints = !first;
    const auto scale = [](const QString& unit, double d, double& mul, QString& suffix) {
        mul = 1;
        if (IsPlainUnit(unit)) {
            suffix = unit.isEmpty() ? QString() : QLatin1Char('[') + unit + QLatin1Char(']');
            return;
        }
        int e = 0;
        if (d != 0 && (d < 1 || d > 1000))
            e = EngineeringExponent(d);
        mul = std::pow(10.0, -e);
        suffix = QLatin1Char('[') + (e == 0 ? QString() : PrefixLetter(e)) + unit + QLatin1Char(']');
    };
    scale(time ? QString() : xUnit, ax, FXMul, FXSuffix);
    if (time)
        FXSuffix.clear();
    scale(yUnit, ay, FYMul, FYSuffix);
    if (FHasPoints) {
        FMinX *= FXMul;
        FMaxX *= FXMul;
        FMinY *= FYMul;
        FMaxY *= FYMul;
    }

    const bool legend = int(parts.size()) <= MaxLegendSeries;
    FChart->legend()->setVisible(legend);
    // Qt's chart slows down with every series it holds. Up to MaxLineSeries each measurement
    // series is a line of its own; beyond, the series of one colour and marker share one
    // chart series drawn as points, so that a test of any size charts in about the same time.
    const bool grouped = int(parts.size()) > MaxLineSeries;
    const size_t groups = grouped ? size_t(StyleCount) : parts.size();
    // The chart series of the last rebuild are used again, and new ones get their axes before
    // their points: Qt lays out a series' points on every change of series, axis or points,
    // which for a large test costs more than everything else here.
    if (grouped != FSeriesGrouped)
        DropSeries(0);
    FSeriesGrouped = grouped;
    DropSeries(groups);
    for (size_t k = 0; k < groups; ++k) {
        QList<QPointF> points;
        for (size_t i = k; i < parts.size(); i += grouped ? size_t(StyleCount) : parts.size())
            points += parts[i].Points;
        // Points without lines look the same drawn once or a hundred times, and Qt keeps a
        // shape per point: a large test repeats the same few values (cells hold two decimals),
        // so each value of a group is handed over once.
        if (grouped) {
            const auto before = [](const QPointF& a, const QPointF& b) {
                return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
            };
            std::sort(points.begin(), points.end(), before);
            points.erase(std::unique(points.begin(), points.end(),
                                     [](const QPointF& a, const QPointF& b) {
                                         return a.x() == b.x() && a.y() == b.y();
                                     }),
                         points.end());
        }
        if (FXMul != 1 || FYMul != 1)
            for (QPointF& pt : points)
                pt = QPointF(pt.x() * FXMul, pt.y() * FYMul);
        if (k == FSeries.size()) {
            QLineSeries* s = NewSeries(int(k));
            if (grouped)
                s->setPen(Qt::NoPen);
            FChart->addSeries(s);
            s->attachAxis(time ? static_cast<QAbstractAxis*>(FAxisTime) : FAxisX);
            s->attachAxis(FAxisY);
            FSeries.push_back(s);
        }
        FSeries[k]->setName(parts[k].Title);
        FSeries[k]->replace(points);
    }
    FStats = stats.Result(FYSuffix.mid(1, FYSuffix.size() - 2));
    FStatLine->setText(QelChart::StatisticsText(FStats));
    RenewLabels();
}

TAxisInput TTntFChart::AxisInput(bool fromData) const {
    TAxisInput in;
    in.FromData = fromData;
    in.TimeAxis = IsTimeAxis();
    in.TapAxis = FX == 5;
    in.HasPoints = FHasPoints;
    if (fromData) {
        in.MinX = FMinX;
        in.MaxX = FMaxX;
        in.MinY = FMinY;
        in.MaxY = FMaxY;
    } else {
        in.HasPoints = true;
        in.MinX = BottomMin();
        in.MaxX = BottomMax();
        in.MinY = FAxisY->min();
        in.MaxY = FAxisY->max();
    }
    return in;
}

double TTntFChart::BottomMin() const {
    return FTimeAxisOn ? double(FAxisTime->min().toMSecsSinceEpoch()) : FAxisX->min();
}

double TTntFChart::BottomMax() const {
    return FTimeAxisOn ? double(FAxisTime->max().toMSecsSinceEpoch()) : FAxisX->max();
}

void TTntFChart::ApplyAxes(const TAxisResult& a) {
    for (size_t i = 0; i < FBands.size(); ++i) {
        QLineSeries* upper = FBands[i]->upperSeries();
        QLineSeries* lower = FBands[i]->lowerSeries();
        // Ok Min stays empty: the green between the limits is the Ok Max band's.
        if (!a.Bands || i == 4) {
            upper->clear();
            lower->clear();
            continue;
        }
        const double v = a.Levels[i < 4 ? i : 4];
        upper->replace(QList<QPointF>{{a.XFrom, v}, {a.XTo, v}});
        lower->replace(QList<QPointF>{{a.XFrom, a.Bottom}, {a.XTo, a.Bottom}});
    }
    if (FTimeAxisOn) {
        FAxisTime->setRange(QDateTime::fromMSecsSinceEpoch(qint64(a.MinX)),
                            QDateTime::fromMSecsSinceEpoch(qint64(a.MaxX)));
    } else {
        FAxisX->setRange(a.MinX, a.MaxX);
        // Dynamic ticks at a step that gives a readable number of labels.
        const double span = a.MaxX - a.MinX;
        const double step = a.XStep > 0 && span / a.XStep <= 50 ? a.XStep : RoundedStep(span / 10);
        FAxisX->setTickAnchor(std::round(a.MinX / step) * step);
        FAxisX->setTickInterval(step);
    }
    FAxisY->setRange(a.MinY, a.MaxY);
    const double span = a.MaxY - a.MinY;
    const double step = a.YStep > 0 && span / a.YStep <= 50 ? a.YStep : RoundedStep(span / 10);
    FAxisY->setTickAnchor(std::round(a.YAnchor / step) * step);
    FAxisY->setTickInterval(step);
}

QString TTntFChart::XLabelText() const {
    if (!FGrid)
        return QString();
    if (IsTimeAxis())
        return FGrid->ColCount() > 0 ? FGrid->Cell(0, 0) : QString();
    return (FX >= 0 && FX < FGrid->ColCount() ? FGrid->Cell(FX, 0) : QString()) + FXSuffix;
}

QString TTntFChart::YLabelText() const {
    if (!FGrid)
        return QString();
    return (FY >= 0 && FY < FGrid->ColCount() ? FGrid->Cell(FY, 0) : QString()) + FYSuffix;
}

QString TTntFChart::StatisticsText() const {
    return FStatLine->text();
}

QWidget* TTntFChart::XLabel() const {
    return FXLabel;
}
QWidget* TTntFChart::YLabel() const {
    return FYLabel;
}

void TTntFChart::RenewLabels() {
    FXLabel->SetText(XLabelText());
    FYLabel->SetText(YLabelText());
}

QStringList TTntFChart::YChoices() const {
    QStringList list;
    if (!FGrid)
        return list;
    for (int c = FirstNonFixed(); c < FGrid->ColCount(); ++c)
        list << FGrid->Cell(c, 0);
    return list;
}

QStringList TTntFChart::XChoices() const {
    QStringList list = YChoices();
    if (FGrid && FGrid->ColCount() > 0)
        list << FGrid->Cell(0, 0);
    return list;
}

void TTntFChart::ChooseY(int entry) {
    if (entry < 0 || entry >= YChoices().size())
        return;
    FY = FirstNonFixed() + entry;
    Rebuild();
    Q_EMIT SelectionChange();
}

void TTntFChart::ChooseX(int entry) {
    const QStringList choices = XChoices();
    if (entry < 0 || entry >= choices.size())
        return;
    FX = entry == choices.size() - 1 ? FGrid->ColCount() : FirstNonFixed() + entry;
    Rebuild();
    Q_EMIT SelectionChange();
}

void TTntFChart::PopupChoices(bool xAxis) {
    QMenu menu(this);
    const QStringList choices = xAxis ? XChoices() : YChoices();
    for (int i = 0; i < choices.size(); ++i)
        menu.addAction(choices[i])->setData(i);
    QWidget* at = xAxis ? static_cast<QWidget*>(FXLabel) : FYLabel;
    QAction* chosen = menu.exec(at->mapToGlobal(at->rect().center()));
    if (!chosen)
        return;
    if (xAxis)
        ChooseX(chosen->data().toInt());
    else
        ChooseY(chosen->data().toInt());
}

QImage TTntFChart::Picture() {
    QAbstractAxis* bottom = FTimeAxisOn ? static_cast<QAbstractAxis*>(FAxisTime) : FAxisX;
    bottom->setTitleText(XLabelText());
    FAxisY->setTitleText(YLabelText());
    QImage img(FView->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        FView->render(&p);
    }
    bottom->setTitleText(QString());
    FAxisY->setTitleText(QString());
    return img;
}
