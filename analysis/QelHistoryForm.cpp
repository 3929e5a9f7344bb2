#include "QelHistoryForm.h"

#include "FStringGrids.h"
#include "HistoryTexts.h"
#include "IndexService.h"
#include "OperatorIFace.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "StateButton.h"
#include "TntFChart.h"
#include "XMLKvDoc.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QMap>
#include <QSet>
#include <QSplitter>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The chart's table: X is the time (column count), Y the ratio deviation.
const QStringList TapTitles = {"Time", "Phase", "Meas.Conf", "TapNr.", "Ratio Dev."};
constexpr int TapDevCol = 4;

TStateButton* NewButton(QWidget* parent, const char* name, const QString& item) {
    auto* b = new TStateButton(parent);
    b->setObjectName(QLatin1String(name));
    b->SetCaptionItems({item});
    b->setMinimumSize(120, 44);
    return b;
}

} // namespace

TQelHistoryForm::TQelHistoryForm(TQelGlobal& global, TTestIndexService& index, QWidget* parent)
    : QDialog(parent), FGlobal(global), FIndex(index) {
    setObjectName(QStringLiteral("QelHistoryForm"));
    setWindowTitle(QStringLiteral("History"));
    resize(780, 560);
    lbTransformer = new QLabel(this);
    lbTransformer->setObjectName(QStringLiteral("lbTransformer"));
    lbTransformer->setProperty("Tag", 98); // data
    lbState = new QLabel(this);
    lbState->setObjectName(QStringLiteral("lbState"));
    lbState->setProperty("Tag", 98);
    lbState->setWordWrap(true);
    sgHistory = new TTntFStringGrid(this);
    sgHistory->setObjectName(QStringLiteral("sgHistory"));
    sgHistory->SetOnHasFilter([](int, TSGSelection& f, bool& sorted) {
        f = fsNone;
        sorted = false;
    });
    sgTaps = new TTntFStringGrid(this);
    sgTaps->setObjectName(QStringLiteral("sgTaps"));
    sgTaps->hide();
    FChart1 = new TTntFChart(this);
    FChart1->setObjectName(QStringLiteral("FChart1"));
    FChart1->SetFStringGrid(sgTaps);
    FChart1->SetTimeFormats(QStringLiteral("yyyy-mm-dd"), QStringLiteral("hh:nn:ss"));
    bnOpen = NewButton(this, "bnOpen", QStringLiteral("\"Open\",66"));
    bnClose = NewButton(this, "bnClose", QStringLiteral("\"Close\",1"));
    connect(bnOpen, &TStateButton::Click, this, &TQelHistoryForm::bnOpenClick);
    connect(bnClose, &TStateButton::Click, this, &QDialog::accept);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(sgHistory);
    split->addWidget(FChart1);
    split->setStretchFactor(1, 2);
    auto* keys = new QHBoxLayout;
    keys->addWidget(lbState, 1);
    keys->addWidget(bnOpen);
    keys->addWidget(bnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbTransformer);
    layout->addWidget(split, 1);
    layout->addLayout(keys);

    connect(&FIndex, &TTestIndexService::HistoryReady, this, &TQelHistoryForm::HistoryReady);
    connect(&FIndex, &TTestIndexService::FleetTestFetched, this, &TQelHistoryForm::FleetTestFetched);
}

void TQelHistoryForm::SetImages(const TQelImage& images) {
    bnOpen->SetImageList(images.Image32x32L());
    bnClose->SetImageList(images.Image32x32L());
}

void TQelHistoryForm::Refresh() {
    const TXMLDUTGeneralType dut = FGlobal.Doc().DUTGeneral();
    FSerialNo = dut.SerialNo().Value().trimmed();
    FType = dut.Type().Value().trimmed();
    FCurrent = QFileInfo(FGlobal.Doc().FileName()).absoluteFilePath();
    lbTransformer->setText(QStringLiteral("Serial No.: %1    Type: %2").arg(FSerialNo, FType));
    FEntries.clear();
    sgHistory->SetColCount(5);
    sgHistory->SetRowCount(2);
    sgHistory->SetRowCells(0, {"Date", "File", "Worst Ratio Dev.", "Where", "Test Set"});
    sgHistory->SetRowCells(1, {});
    sgHistory->SetFixedRows(1);
    sgHistory->SetFixedCols(0);
    sgHistory->CopyFromShadow();
    bnOpen->setEnabled(false);
    if (FSerialNo.isEmpty()) {
        lbState->setText(QStringLiteral("The test has no serial number, so it has no history."));
        FillChart({});
        Q_EMIT Shown();
        return;
    }
    lbState->setText(QStringLiteral("Reading the history ..."));
    FIndex.RequestHistory(FSerialNo, FType);
}

void TQelHistoryForm::HistoryReady(const QString& serialNo, const QString& type, const QList<THistoryEntry>& history,
                                   const QList<TUnreadableTest>& unreadable) {
    if (serialNo != FSerialNo || type != FType)
        return; // an answer to an earlier question
    QList<THistoryEntry> chart;
    for (const THistoryEntry& e : history) {
        chart << e;
        if (!(e.Local() && QFileInfo(e.Path).absoluteFilePath() == FCurrent))
            FEntries << e;
    }
    sgHistory->SetRowCount(std::max<int>(2, int(FEntries.size()) + 1));
    sgHistory->SetRowCells(1, {});
    for (int i = 0; i < FEntries.size(); ++i) {
        const THistoryEntry& e = FEntries[i];
        sgHistory->SetRowCells(i + 1, {HistoryTexts::Date(e), QDir::toNativeSeparators(e.Path),
                                       HistoryTexts::Deviation(e.WorstDeviation), HistoryTexts::WorstPlace(e),
                                       e.Local() ? QString() : e.Origin});
    }
    sgHistory->CopyFromShadow();
    sgHistory->FitColWidths(true, false);
    if (!FEntries.isEmpty()) {
        sgHistory->SetRow(int(FEntries.size()));
        sgHistory->setFocus();
    }
    bnOpen->setEnabled(!FEntries.isEmpty());
    QString state = FEntries.isEmpty() ? QStringLiteral("No other test of this transformer is known.")
                                       : QStringLiteral("%1 other test(s) of this transformer.").arg(FEntries.size());
    if (!unreadable.isEmpty())
        state += QStringLiteral(" %1 test file(s) could not be read: %2")
                     .arg(unreadable.size())
                     .arg(QDir::toNativeSeparators(unreadable.front().Path) + QStringLiteral(" (") +
                          unreadable.front().Reason + u')');
    lbState->setText(state);
    FillChart(chart);
    Q_EMIT Shown();
}

void TQelHistoryForm::FillChart(const QList<THistoryEntry>& tests) {
    // One block per tap and phase, the tests in date order within it; a blank row between blocks.
    QMap<QPair<int, QString>, QList<QStringList>> blocks;
    QMap<QPair<int, QString>, QString> pairs;
    for (const THistoryEntry& e : tests) {
        if (!e.TestDate.isValid())
            continue;
        const QString when = e.TestDate.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        QSet<QPair<int, QString>> seen;
        for (const TIndexedRow& r : e.Results) {
            bool number = false;
            const int tap = r.Tap.toInt(&number);
            const QPair<int, QString> key(number ? tap : 0, r.Phase);
            // The first measurement of a tap and phase in a test stands for the test.
            if (!std::isfinite(r.RatioDeviation) || seen.contains(key))
                continue;
            seen.insert(key);
            pairs.insert(key, r.Pair);
            blocks[key] << QStringList{when, r.Phase, r.Pair, r.Tap, QString::number(r.RatioDeviation, 'f', 4) + " %"};
        }
    }
    int rows = 1;
    for (const auto& b : std::as_const(blocks))
        rows += int(b.size()) + 1;
    sgTaps->SetColCount(int(TapTitles.size()));
    sgTaps->SetRowCount(std::max(2, rows));
    sgTaps->SetRowCells(0, TapTitles);
    sgTaps->SetRowCells(1, {});
    int row = 1;
    QStringList names;
    for (auto it = blocks.cbegin(); it != blocks.cend(); ++it) {
        for (const QStringList& cells : it.value())
            sgTaps->SetRowCells(row++, cells);
        sgTaps->SetRowCells(row++, {});
        names << QStringLiteral("Tap %1 %2").arg(it.key().first).arg(it.key().second);
    }
    sgTaps->SetFixedRows(1);
    sgTaps->CopyFromShadow();
    FChart1->SetNewMeasSeriesAt(nmEmptyLine);
    FChart1->SetSelection(int(TapTitles.size()), TapDevCol);
    FChart1->Rebuild();
    // Each series is named by its tap and phase, not by the date it starts with.
    if (FChart1->GridSeries().size() == size_t(names.size()))
        for (size_t i = 0; i < FChart1->GridSeries().size(); ++i)
            FChart1->GridSeries()[i]->setName(names[int(i)]);
    QelChart::TAxisInput in = FChart1->AxisInput(true);
    const TXMLAnalysisType a = FGlobal.Doc().QEL().Analysis();
    double g = 0, y = 0;
    if (a.MaxRelRatioErrorGreen().ReadValue(g) && a.MaxRelRatioErrorYellow().ReadValue(y) && std::isfinite(g) &&
        std::isfinite(y) && g >= 0 && y >= 0) {
        in.Green = g;
        in.Yellow = y;
    }
    FChart1->ApplyAxes(QelChart::ComputeAxes(in));
}

void TQelHistoryForm::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && bnOpen->isEnabled()) {
        bnOpenClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TQelHistoryForm::bnOpenClick() {
    const int i = sgHistory->ShadowRow(sgHistory->Row()) - 1;
    if (i < 0 || i >= FEntries.size())
        return;
    const THistoryEntry& e = FEntries[i];
    if (!e.Local()) {
        // A fleet test is fetched into a folder of its own first; it opens when it is there.
        lbState->setText(QStringLiteral("Fetching the test from the fleet store ..."));
        FIndex.FetchFleetTest(e);
        return;
    }
    if (OpenTest && OpenTest(e.Path))
        accept();
}

void TQelHistoryForm::FleetTestFetched(const QString& fileName, const QString& error) {
    if (!isVisible())
        return;
    if (fileName.isEmpty()) {
        const QString text = QStringLiteral("The test could not be fetched from the fleet store:\r\n%1").arg(error);
        lbState->setText(text.simplified());
        if (FGlobal.Operator())
            FGlobal.Operator()->Error(text);
        return;
    }
    if (OpenTest && OpenTest(fileName))
        accept();
}
