// The measurement page: its refresh from the document, the selectors and the tap panels, and the
// window messages it follows.
#include "QelManual.h"

#include "GPTPrinters.h"

#include <QAction>

#include "FStringGrids.h"
#include "Gradient.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "QelGlobals.h"
#include "QelPrintout.h"
#include "QelTapActionDlg.h"
#include "TSControls.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {
constexpr int wHV = 0, wLV = 1, wTV = 2;

const QColor PanelLight = Qt::white;
const QColor PanelGrey = QColor(128, 128, 128);
const QColor PanelGreen = QColor(144, 238, 144);
} // namespace

TQelManualFrame::TQelManualFrame(TQelGlobal& global, QWidget* parent) : QFrame(parent), FGlobal(global) {
    setObjectName(QStringLiteral("ManualFrame"));
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    Ticks = [clock] { return clock->elapsed(); };
    Now = [] { return QDateTime::currentDateTime(); };
    BuildLayout();
    sgMeasData->SetOperator(FGlobal.Operator());
    RefreshPrintEntries();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(300);
    connect(Timer1, &QTimer::timeout, this, &TQelManualFrame::Timer1Timer);
    Timer1->start();
    FTapDialog = new TDlgTapAction(this);
    ResetGrid();
}

TQelManualFrame::~TQelManualFrame() = default;

TDlgTapAction* TQelManualFrame::TapDialog() const {
    return FTapDialog;
}

bool TQelManualFrame::event(QEvent* e) {
    switch (int(e->type())) {
    case UM_DOCCHANGED:
        BuildTapSelectors();
        RefreshPage();
        break;
    case UM_NEWDOC:
    case UM_NODUTDATA:
        ResetGrid();
        break;
    case UM_LINKSTATE:
        OnLinkState(static_cast<const TQelMessage*>(e)->WParam);
        break;
    case UM_RESULT:
        OnResult();
        break;
    default:
        break;
    }
    return QFrame::event(e);
}

// ------------------------------------------------------------------ document queries

int TQelManualFrame::H() const {
    return FGlobal.Doc().QEL().Setup().ActMeasWindingH().Value();
}

int TQelManualFrame::X() const {
    return FGlobal.Doc().QEL().Setup().ActMeasWindingX().Value();
}

void TQelManualFrame::SetPair(int h, int x) {
    const TXMLSetupType setup = FGlobal.Doc().QEL().Setup();
    setup.ActMeasWindingH().SetValue(h);
    setup.ActMeasWindingX().SetValue(x);
    // The terminals shown are those of the pair now chosen.
    FGlobal.WriteMeasuredTerminals(FGlobal.PairVectorGroup());
}

void TQelManualFrame::SetActualTap(int winding, int row) {
    const TXMLSetupType setup = FGlobal.Doc().QEL().Setup();
    switch (winding) {
    case wHV:
        setup.ActMeasHVTapIdx().SetValue(row);
        break;
    case wLV:
        setup.ActMeasLVTapIdx().SetValue(row);
        break;
    case wTV:
        setup.ActMeasTVTapIdx().SetValue(row);
        break;
    default:
        break;
    }
}

bool TQelManualFrame::HasTapChanger(int winding) const {
    if (winding < 0 || winding > 2)
        return false;
    return FGlobal.Doc().DUTTrafoData().Winding().Item(winding).TapChangerAvailable().Value() == 1;
}

int TQelManualFrame::NrOfTaps(int winding) const {
    return FGlobal.Doc().DUTTrafoData().Winding().Item(winding).TapChangerData().NrOfTaps().Value();
}

int TQelManualFrame::SelectedIndex(int winding) const {
    if (winding < 0 || winding > 2)
        return -1;
    const std::vector<int>& rows = Taps[size_t(winding)].Rows;
    const int tap = FGlobal.ActualTap(winding);
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i] == tap)
            return int(i);
    return -1;
}

int TQelManualFrame::FirstRow(int winding) const {
    const std::vector<int>& rows = Taps[size_t(winding)].Rows;
    return rows.empty() ? -1 : rows.front();
}

// What the winding's voltage label shows: the voltage at its actual tap.
QString TQelManualFrame::VoltageText(int winding) const {
    return FGlobal.WindingVoltageAtTap(winding, FGlobal.ActualTap(winding));
}

// ------------------------------------------------------------------ refresh

void TQelManualFrame::BuildTapSelectors() {
    const auto windings = FGlobal.Doc().DUTTrafoData().Winding();
    const bool tvAvailable = windings.Item(wTV).Avail() == 1;
    const QScopedValueRollback<bool> updating(FUpdating, true);
    for (int w = 0; w < 3; ++w) {
        TTapPanel& t = Taps[size_t(w)];
        t.Rows.clear();
        QStringList entries;
        t.Shown = HasTapChanger(w) && (w != wTV || tvAvailable);
        if (t.Shown) {
            const TXMLGridType grid = windings.Item(w).TapChangerData().Grid();
            const int rows = grid.RowCount();
            for (int r = 1; r < rows; ++r) {
                if (grid.Cell(3, r).trimmed().compare(QLatin1String("yes"), Qt::CaseInsensitive) != 0)
                    continue;
                const QString tap = grid.Cell(0, r).trimmed();
                const QString name = grid.Cell(2, r).trimmed();
                QString text;
                if (w == wHV)
                    text = name.isEmpty() ? QStringLiteral("T ") + tap : name;
                else
                    text = QStringLiteral("T ") + tap + (name.isEmpty() ? QString() : '(' + name + ')');
                entries << text;
                t.Rows.push_back(r);
            }
        }
        t.Selector->SetItems(entries);
        t.Selector->setVisible(t.Shown);
    }
}

void TQelManualFrame::RefreshPage() {
    const auto windings = FGlobal.Doc().DUTTrafoData().Winding();
    {
        const QScopedValueRollback<bool> updating(FUpdating, true);
        for (int w = 0; w < 3; ++w) {
            TTapPanel& t = Taps[size_t(w)];
            t.Voltage->setText(FGlobal.WindingVoltageAtTap(w, FGlobal.ActualTap(w)));
            if (t.Shown)
                t.Selector->SetItemIndex(SelectedIndex(w));
        }
        Taps[wLV].Panel->setVisible(windings.Item(wLV).Avail() == 1);
        Taps[wTV].Panel->setVisible(windings.Item(wTV).Avail() == 1);

        QStringList voltages{QStringLiteral("Auto")};
        for (float v : FGlobal.TestVoltages)
            voltages << QString::number(double(v), 'f', 0) + QStringLiteral(" V");
        cbTestVoltage->SetItems(voltages);
        const QString actual = FGlobal.Doc().QEL().Setup().ActTestVoltage().Value();
        cbTestVoltage->SetItemIndex(int(voltages.indexOf(actual)));
        cbTestVoltage->SetCaption(actual);
    }
    lbConfiguration->setText(FGlobal.Doc().DUTTrafoData().TrafoConfiguration().Value());
    RefreshHighlights();
    RefreshTapNames();
    RefreshPhaseConnections();
    RefreshPrintEntries();
    LoadGrid();
}

bool TQelManualFrame::LinePrinterReady() const {
    return FPrinter && FPrinter->Ready();
}

void TQelManualFrame::RefreshPrintEntries() {
    const int present = LinePrinterReady() ? 1 : 0;
    if (present == FPrinterShown)
        return;
    FPrinterShown = present;
    QStringList items = {CaptionItem::Make(QStringLiteral("Tools")),
                         CaptionItem::Make(QStringLiteral("New Meas.Series")),
                         CaptionItem::Make(QStringLiteral("Delete Row(s)")),
                         CaptionItem::Make(QStringLiteral("Delete All Row(s)")),
                         CaptionItem::Make(QStringLiteral("Test Conditions"))};
    if (present)
        items << CaptionItem::Make(QStringLiteral("Print Row(s)"));
    bnTools->SetCaptionItems(items);
    bnTools->SetStateMax(int(items.size()) - 1);
    FPrintAction->setVisible(present == 1);
}

void TQelManualFrame::SetLinePrinter(TGPTPrinter* printer) {
    if (FPrinter)
        disconnect(FPrinter, nullptr, this, nullptr);
    FPrinter = printer;
    if (FPrinter) {
        // A printer switched on later offers its entries as soon as it is there.
        connect(FPrinter, &TGPTPrinter::ReadyChanged, this, &TQelManualFrame::RefreshPrintEntries);
        // Output that waits for paper: the operator is told, and it goes on once paper is back.
        connect(FPrinter, &TGPTPrinter::StatusChanged, this, [this](int status) {
            if (status == GPT::stPaperOut && FPrinter && FPrinter->Pending() > 0)
                FGlobal.Tell(QelPrintout::PaperText);
        });
    }
    RefreshPrintEntries();
}

void TQelManualFrame::RefreshHighlights() {
    for (int w = 0; w < 3; ++w) {
        TGradient* g = Taps[size_t(w)].Gradient;
        const bool measured = w == H() || w == X();
        g->SetGradientStart(PanelLight);
        g->SetGradientEnd(measured ? PanelGreen : PanelGrey);
        g->SetGradientMid(measured ? PanelGreen.lighter(115) : QColor(192, 192, 192));
    }
}

void TQelManualFrame::RefreshTapNames() {
    const auto windings = FGlobal.Doc().DUTTrafoData().Winding();
    for (int w = 0; w < 3; ++w) {
        const int index = Taps[size_t(w)].Shown ? SelectedIndex(w) : -1;
        Taps[size_t(w)].Name->setText(index < 0 ? QString()
                                                : windings.Item(w).TapChangerData().Grid().Cell(
                                                      2, Taps[size_t(w)].Rows[size_t(index)]));
    }
    lbVoltRatio->setText(FGlobal.MeasurementConfigurationText() + QStringLiteral(" VR=") +
                         FGlobal.NominalVoltageRatioText());
}

void TQelManualFrame::RefreshPhaseConnections() {
    const TXMLSetupType setup = FGlobal.Doc().QEL().Setup();
    const bool tertiary = X() == wTV;
    const bool iec = setup.Standard().Value() == 0;
    QLabel* labels[] = {lbPhaseA, lbPhaseB, lbPhaseC};
    const QString texts[] = {setup.ActWindMeasPhaseA().Value(), setup.ActWindMeasPhaseB().Value(),
                             setup.ActWindMeasPhaseC().Value()};
    for (int p = 0; p < 3; ++p) {
        QString t = texts[p];
        if (tertiary) {
            // The X terminals are those of the tertiary winding.
            if (iec)
                t.replace(QLatin1Char('2'), QLatin1Char('3'));
            else
                t.replace(QLatin1Char('X'), QLatin1Char('Y'));
        }
        labels[p]->setText(t);
    }
}

// ------------------------------------------------------------------ selectors and panels

void TQelManualFrame::cbTestVoltageChange() {
    if (FUpdating)
        return;
    FGlobal.Doc().QEL().Setup().ActTestVoltage().SetValue(cbTestVoltage->Caption());
    FGlobal.DocumentChanged();
}

void TQelManualFrame::TapSelectorChange(int winding) {
    if (FUpdating)
        return;
    ChoosePair(winding);
    for (int w = 0; w < 3; ++w)
        SetActualTap(w, -1);
    for (int w = 0; w < 3; ++w) {
        TTapPanel& t = Taps[size_t(w)];
        const int index = t.Selector->ItemIndex();
        if (!t.Shown || index < 0 || index >= int(t.Rows.size()))
            continue;
        SetActualTap(w, t.Rows[size_t(index)]);
        t.Voltage->setText(FGlobal.WindingVoltageAtTap(w, t.Rows[size_t(index)]));
    }
    RefreshHighlights();
    RefreshTapNames();
    RefreshPhaseConnections();
    FGlobal.DocumentChanged();
}

void TQelManualFrame::TapPanelClick(int winding) {
    if (FUpdating)
        return;
    // Every change of the operator's is kept in the test at once.
    if (ChoosePair(winding))
        FGlobal.DocumentChanged();
}

bool TQelManualFrame::ChoosePair(int winding) {
    const int h = H();
    const int x = X();
    int nh = h, nx = x;
    switch (winding) {
    case wHV:
        if (h != wHV) {
            nx = h;
            nh = wHV;
        }
        break;
    case wTV:
        if (h != wTV)
            nx = wTV;
        break;
    case wLV:
        // The pair is always H before X: LV joins a pair that lacks it as the X side of HV.
        if (h != wLV && x != wLV) {
            nh = wHV;
            nx = wLV;
        }
        break;
    default:
        return false;
    }
    if (nh != h || nx != x)
        SetPair(nh, nx);
    RefreshHighlights();
    RefreshTapNames();
    RefreshPhaseConnections();
    return nh != h || nx != x;
}
