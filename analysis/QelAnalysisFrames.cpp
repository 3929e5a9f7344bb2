#include "QelAnalysisFrames.h"

#include "FStringGrids.h"
#include "PanelButton.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "SIPrefixes.h"
#include "TntFChart.h"
#include "WinMsgList.h"
#include "XMLGrid.h"
#include "XMLKvDoc.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// Columns 0 to 2 (time, phase, measuring configuration) filter the rows; the tap number column
// is there for the views but not shown.
constexpr int FixedMeasCols = 3;
constexpr int TapCol = 5;
constexpr int RatioDevCol = 9;
constexpr int PhaseDevCol = 10;

} // namespace

const QStringList& TQelAnalysisFrame::DefaultLimitTexts() {
    static const QStringList texts = {QStringLiteral("0.5 %"), QStringLiteral("1 %"),
                                      QStringLiteral("0.5 \u00B0"), QStringLiteral("1 \u00B0")};
    return texts;
}

TQelAnalysisFrame::TQelAnalysisFrame(TQelGlobal& global, QWidget* parent) : QFrame(parent), FGlobal(global) {
    setObjectName(QStringLiteral("QelAnalysisFrame1"));
    BuildLayout();
}

TQelAnalysisFrame::~TQelAnalysisFrame() = default;

void TQelAnalysisFrame::BuildLayout() {
    pnData = new QWidget;
    pnData->setObjectName(QStringLiteral("pnData"));
    Label3 = new QLabel(QStringLiteral("MEASUREMENTS"), pnData);
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);
    sgMeasData = new TTntFStringGrid(pnData);
    sgMeasData->setObjectName(QStringLiteral("sgMeasData"));
    sgMeasData->SetOperator(FGlobal.Operator());
    sgMeasData->SetOnHasFilter([](int col, TSGSelection& f, bool& sorted) {
        f = col < FixedMeasCols ? fsMulti : fsNone;
        sorted = false;
    });
    auto* data = new QVBoxLayout(pnData);
    data->setContentsMargins(2, 2, 2, 2);
    data->setSpacing(2);
    data->addWidget(Label3);
    data->addWidget(sgMeasData, 1);
    bnToolMeas = new TPanelButton(pnData);
    bnToolMeas->setObjectName(QStringLiteral("bnToolMeas"));
    bnToolMeas->SetCaptionItems(
        {QStringLiteral("\"Tools\",100"), QStringLiteral("\"New Meas. Serie\",96"),
         QStringLiteral("\"Delete Row(s)\",59"), QStringLiteral("\"Delete All Row(s)\",82"),
         QStringLiteral("\"Test Conditions\",127"), QStringLiteral("\"Print Row(s)\",14")});
    bnToolMeas->SetPopup(true);
    bnToolMeas->SetPopupButton(true);
    bnToolMeas->resize(110, 40);
    connect(bnToolMeas, &TPanelButton::Click, this, &TQelAnalysisFrame::bnToolMeasClick);

    mnMeas = new QMenu(sgMeasData);
    mnMeas->setObjectName(QStringLiteral("mnMeas"));
    const QStringList menu = {QStringLiteral("New Meas.Serie"), QStringLiteral("Delete Row(s)"),
                              QStringLiteral("Delete All Rows"), QStringLiteral("Test Conditions"),
                              QStringLiteral("Print Selected Row(s)")};
    for (int i = 0; i < menu.size(); ++i)
        connect(mnMeas->addAction(menu[i]), &QAction::triggered, this, [this, i] {
            if (MeasurementTools)
                MeasurementTools(i + 1);
        });
    RefreshPrintEntries();
    sgMeasData->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(sgMeasData, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { mnMeas->popup(sgMeasData->mapToGlobal(at)); });

    pnAnalysis = new QWidget;
    pnAnalysis->setObjectName(QStringLiteral("pnAnalysis"));
    FChart1 = new TTntFChart(pnAnalysis);
    FChart1->setObjectName(QStringLiteral("FChart1"));
    FChart1->SetFStringGrid(sgMeasData);
    FChart1->SetNewMeasSeriesAt(nmEmptyLine);
    sgView = new TFStringGrid(pnAnalysis);
    sgView->setObjectName(QStringLiteral("sgView"));
    sgView->hide();
    sgView->SetColCount(4);
    sgView->SetRowCount(1);
    sgView->SetRowCells(0, {QStringLiteral("Name"), QStringLiteral("Filter"), QStringLiteral("XSelection"),
                            QStringLiteral("YSelection")});
    pcViewSelector = new QTabBar(pnAnalysis);
    pcViewSelector->setObjectName(QStringLiteral("pcViewSelector"));
    pcViewSelector->setShape(QTabBar::RoundedSouth);
    pcViewSelector->setExpanding(false);
    pcViewSelector->setFixedHeight(30);
    pcViewSelector->setDrawBase(false);
    bnView = new TPanelButton(pnAnalysis);
    bnView->setObjectName(QStringLiteral("bnView"));
    bnView->SetCaptionItems({QStringLiteral("\"\",101"), QStringLiteral("\"Add View\""),
                             QStringLiteral("\"Delete View\""), QStringLiteral("\"Rename View\""),
                             QStringLiteral("\"Save View\""), QStringLiteral("\"Show Actual Diagram\",127")});
    bnView->SetStateMax(5);
    bnView->SetPopup(true);
    bnView->SetPopupButton(true);
    bnView->SetPopupWidth(130);
    bnView->setFixedSize(40, 30);
    connect(bnView, &TPanelButton::Click, this, &TQelAnalysisFrame::bnViewClick);

    auto* tabs = new QHBoxLayout;
    tabs->setContentsMargins(0, 0, 0, 0);
    tabs->addWidget(bnView);
    tabs->addWidget(pcViewSelector, 1);
    auto* analysis = new QVBoxLayout(pnAnalysis);
    analysis->setContentsMargins(2, 2, 2, 2);
    analysis->setSpacing(2);
    analysis->addWidget(FChart1, 1);
    analysis->addLayout(tabs);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->addWidget(pnData);
    Splitter1->addWidget(pnAnalysis);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({244, 300});
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(Splitter1);

    connect(FChart1, &TTntFChart::SelectionChange, this, &TQelAnalysisFrame::ChartSelectionChange);
    connect(FChart1, &TTntFChart::ViewChanged, this, &TQelAnalysisFrame::ChartViewChanged);
    connect(sgMeasData, &TFilterStringGrid::Changed, this, &TQelAnalysisFrame::GridChanged);
    connect(pcViewSelector, &QTabBar::currentChanged, this, [this] {
        if (!FUpdating)
            ApplyView();
    });
    pnData->installEventFilter(this);
    pcViewSelector->hide();
}

void TQelAnalysisFrame::SetImages(const TQelImage& images) {
    bnToolMeas->SetImageList(images.Image32x32L());
    bnView->SetImageList(images.Image16x16L());
}

void TQelAnalysisFrame::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    PlaceToolButton();
}

bool TQelAnalysisFrame::eventFilter(QObject* watched, QEvent* e) {
    if (watched == pnData && e->type() == QEvent::Resize)
        PlaceToolButton();
    return QFrame::eventFilter(watched, e);
}

void TQelAnalysisFrame::PlaceToolButton() {
    // One and a half button sizes from the right and the bottom edge of the table's panel.
    const QSize b = bnToolMeas->size();
    bnToolMeas->move(std::max(0, pnData->width() - b.width() * 3 / 2),
                     std::max(0, pnData->height() - b.height() * 3 / 2));
    bnToolMeas->raise();
}

// ------------------------------------------------------------------ notifications

bool TQelAnalysisFrame::event(QEvent* e) {
    const int type = int(e->type());
    if (type < UM_SETTINGSCHANGED || type > UM_NODUTDATA)
        return QFrame::event(e);
    auto* m = dynamic_cast<TQelMessage*>(e);
    if (!m)
        return QFrame::event(e);
    // The merged table of the multi-file analysis is not the current document's: the page there
    // neither reloads from it nor writes pictures or limits into it.
    const bool aboutDocument = type == UM_DOCCHANGED || type == UM_FILESCHANGED || type == UM_NEWDOC;
    if (FMultiFile && aboutDocument)
        return true;
    switch (type) {
    case UM_DOCCHANGED:
        LoadFromDocument();
        return true;
    case UM_SETTINGSCHANGED:
    case UM_RESULT:
        FChart1->Rebuild();
        RecomputeAxes(true);
        return true;
    case UM_FILESCHANGED:
        ExportViews(int(m->WParam));
        return true;
    case UM_NEWDOC:
        WriteDefaultLimits();
        return true;
    default:
        return true;
    }
}

void TQelAnalysisFrame::WriteDefaultLimits() {
    const TXMLAnalysisType a = FGlobal.Doc().QEL().Analysis();
    a.MaxRelRatioErrorGreen().SetValue(DefaultLimitTexts()[0]);
    a.MaxRelRatioErrorYellow().SetValue(DefaultLimitTexts()[1]);
    a.MaxRelPhaseErrorGreen().SetValue(DefaultLimitTexts()[2]);
    a.MaxRelPhaseErrorYellow().SetValue(DefaultLimitTexts()[3]);
}

void TQelAnalysisFrame::SetTimeFormats() {
    const TXMLSetupType setup = FGlobal.Doc().QEL().Setup();
    FChart1->SetTimeFormats(setup.DateFormat().Value(), setup.TimeFormat().Value());
}

// ------------------------------------------------------------------ loading

void TQelAnalysisFrame::LoadFromDocument() {
    FUpdating = true;
    const int row = sgMeasData->Row();
    const TXMLAnalysisType analysis = FGlobal.Doc().QEL().Analysis();
    SetTimeFormats();
    sgMeasData->SetFixedCols(0);
    if (!FGlobal.Doc().QEL().Measurement().Grid().LoadInto(sgMeasData->Table()))
        StoreViewTable(analysis);
    if (sgMeasData->RowCount() > 1)
        sgMeasData->SetRow(std::clamp(row, 1, sgMeasData->RowCount() - 1));
    // A document that never held views or selections gets the page's current ones.
    const bool stored =
        analysis.HasChild("Grid") && analysis.Node().child("XSelection").attribute("Value") != nullptr;
    if (!stored) {
        StoreViewTable(analysis);
        LoadViewTable(analysis);
        analysis.XSelection().SetValue(FChart1->XSelection());
        analysis.YSelection().SetValue(FChart1->YSelection());
    }
    FChart1->SetSelection(analysis.XSelection().Value(), analysis.YSelection().Value());
    sgMeasData->SetFixedCols(FixedMeasCols);
    sgMeasData->FitColWidths(true, false);
    sgMeasData->SetColWidth(TapCol, 0);
    RefreshPrintEntries();
    FUpdating = false;
    LoadViews();
}

void TQelAnalysisFrame::LoadViews() {
    FUpdating = true;
    LoadViewTable(FGlobal.Doc().QEL().Analysis());
    for (int r = sgView->RowCount() - 1; r >= 1; --r)
        if (sgView->Cell(0, r).trimmed().isEmpty()) {
            sgView->SetRow(r);
            sgView->DeleteCurrentRow();
        }
    if (ViewCount() == 0)
        CreateDefaultViews();
    BuildTabs();
    FUpdating = false;
    ApplyView(false);
}

void TQelAnalysisFrame::BuildTabs() {
    const bool was = FUpdating;
    FUpdating = true;
    const int active = std::max(0, pcViewSelector->currentIndex());
    while (pcViewSelector->count() > 0)
        pcViewSelector->removeTab(0);
    for (int r = 1; r <= ViewCount(); ++r)
        pcViewSelector->addTab(ViewName(r));
    if (pcViewSelector->count() > 0)
        pcViewSelector->setCurrentIndex(std::min(active, pcViewSelector->count() - 1));
    UpdateSelectorVisibility();
    FUpdating = was;
}

void TQelAnalysisFrame::UpdateSelectorVisibility() {
    pcViewSelector->setVisible(pcViewSelector->currentIndex() >= 0);
}

int TQelAnalysisFrame::ViewCount() const {
    // Row 1 of an empty view table is the one blank row every grid keeps.
    const int rows = sgView->RowCount() - 1;
    if (rows == 1 && sgView->Cell(0, 1).trimmed().isEmpty())
        return 0;
    return std::max(0, rows);
}

QString TQelAnalysisFrame::ViewName(int view) const {
    return sgView->Cell(0, view);
}

void TQelAnalysisFrame::CreateDefaultViews() {
    const QString filter = QStringLiteral("Time;Phase;Meas.Conf;;;;;;;;;;;");
    sgView->SetColCount(4);
    sgView->SetRowCount(4);
    sgView->SetRowCells(
        1, {QStringLiteral("Ratio Dev.[TapNr]"), filter, QStringLiteral("5"), QStringLiteral("9")});
    // Stored and shown without the opening bracket, as every document of the family has it.
    sgView->SetRowCells(
        2, {QStringLiteral("Phase Dev.TapNr]"), filter, QStringLiteral("5"), QStringLiteral("10")});
    sgView->SetRowCells(
        3, {QStringLiteral("Ratio Dev.[Time]"), filter, QStringLiteral("13"), QStringLiteral("9")});
}

void TQelAnalysisFrame::LoadViewTable(const TXMLAnalysisType& analysis) {
    const TXMLGridType grid = analysis.Grid();
    if (!grid.LoadInto(sgView->Table()) || sgView->ColCount() < 4) {
        sgView->SetColCount(4);
        sgView->SetRowCount(std::max(1, sgView->RowCount()));
    }
    sgView->SetRowCells(0, {QStringLiteral("Name"), QStringLiteral("Filter"), QStringLiteral("XSelection"),
                            QStringLiteral("YSelection")});
}

void TQelAnalysisFrame::StoreViewTable(const TXMLAnalysisType& analysis) {
    sgView->SetColCount(4);
    sgView->SetRowCells(0, {QStringLiteral("Name"), QStringLiteral("Filter"), QStringLiteral("XSelection"),
                            QStringLiteral("YSelection")});
    analysis.Grid().StoreFrom(sgView->Table(), 0);
}

// ------------------------------------------------------------------ views, chart, bands

void TQelAnalysisFrame::ApplyView(bool refresh) {
    const int tab = pcViewSelector->currentIndex();
    if (tab < 0 || tab + 1 > ViewCount())
        return;
    FUpdating = true;
    const int row = tab + 1;
    bool okX = false, okY = false;
    int x = sgView->Cell(2, row).trimmed().toInt(&okX);
    int y = sgView->Cell(3, row).trimmed().toInt(&okY);
    if (!okX)
        x = 1;
    if (!okY)
        y = 2;
    if (FMultiFile) {
        if (x > 0)
            ++x;
        if (y > 0)
            ++y;
    }
    FChart1->SetSelection(x, y);
    sgMeasData->SetFilterString(sgView->Cell(1, row));
    FChart1->Rebuild();
    RecomputeAxes(true);
    FUpdating = false;
    if (refresh)
        RefreshSettings();
}

void TQelAnalysisFrame::RefreshSettings() {
    FGlobal.ApplySettings();
}

void TQelAnalysisFrame::GridChanged() {
    if (FUpdating)
        return;
    FChart1->Rebuild();
    RecomputeAxes(true);
}

void TQelAnalysisFrame::ChartSelectionChange() {
    if (!FUpdating)
        RecomputeAxes(true);
}

void TQelAnalysisFrame::ChartViewChanged() {
    RecomputeAxes(false);
}

bool TQelAnalysisFrame::BandLimits(double& green, double& yellow) const {
    int col = FChart1->YSelection();
    if (FMultiFile && col > 0)
        --col;
    const TXMLAnalysisType a = FGlobal.Doc().QEL().Analysis();
    bool read = false;
    if (col == RatioDevCol)
        read = a.MaxRelRatioErrorGreen().ReadValue(green) && a.MaxRelRatioErrorYellow().ReadValue(yellow);
    else if (col == PhaseDevCol)
        read = a.MaxRelPhaseErrorGreen().ReadValue(green) && a.MaxRelPhaseErrorYellow().ReadValue(yellow);
    // A hand-edited limit below zero would turn the bands inside out: no bands then.
    return read && std::isfinite(green) && std::isfinite(yellow) && green >= 0 && yellow >= 0;
}

void TQelAnalysisFrame::RecomputeAxes(bool fromData) {
    QelChart::TAxisInput in = FChart1->AxisInput(fromData);
    double g = 0, y = 0;
    if (BandLimits(g, y)) {
        in.Green = g;
        in.Yellow = y;
    }
    FChart1->ApplyAxes(QelChart::ComputeAxes(in));
}

void TQelAnalysisFrame::RefreshPrintEntries() {
    const bool present = LinePrinterPresent && LinePrinterPresent();
    bnToolMeas->SetStateMax(present ? 5 : 4);
    mnMeas->actions().last()->setVisible(present);
}

void TQelAnalysisFrame::bnToolMeasClick() {
    if (MeasurementTools)
        MeasurementTools(bnToolMeas->State());
}
