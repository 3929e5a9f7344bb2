// The results grid of the measurement page: the document's measurement table. Rows are written
// and stored through the grid's table of every row, so a filter never hides a row from the test.
#include "QelManual.h"

#include "QelPrintout.h"

#include "FStringGrids.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "Qel8624Device.h"
#include "QelGlobals.h"
#include "QelResultTexts.h"
#include "SIPrefixes.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QLabel>
#include <QScopedValueRollback>

#include <algorithm>

namespace {
constexpr int wHV = 0, wLV = 1;
constexpr int colTime = 0, colPhase = 1, colConf = 2, colTapNr = 5;

const QStringList& ResultTitles() {
    static const QStringList titles = {"Time",       "Phase",      "Meas.Conf",  "Prim.Volt.",  "Sec.Volt",
                                       "TapNr.",     "Nom.VRatio", "Volt.Ratio", "Turns Ratio", "Ratio Dev.",
                                       "Phase Dev.", "Phaseshift", "Current"};
    return titles;
}

bool RowBlank(const TGridTable& t, int row) {
    for (int c = 0; c < t.ColCount(); ++c)
        if (!t.Cell(c, row).trimmed().isEmpty())
            return false;
    return true;
}

// The tap number in a configuration text: the integer after its first "T" ("HV T3(N):LV" 3).
QString TapNumberIn(const QString& conf) {
    const qsizetype t = conf.indexOf(QLatin1Char('T'));
    if (t < 0)
        return QString();
    qsizetype i = t + 1;
    QString digits;
    if (i < conf.size() && (conf[i] == QLatin1Char('-') || conf[i] == QLatin1Char('+')))
        digits += conf[i++];
    while (i < conf.size() && conf[i].isDigit())
        digits += conf[i++];
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok ? QString::number(n) : QString();
}
} // namespace

void TQelManualFrame::StoreGrid() {
    FGlobal.Doc().QEL().Measurement().Grid().StoreFrom(sgMeasData->Table(), 0);
}

void TQelManualFrame::ResetGrid() {
    TGridTable& t = sgMeasData->Table();
    {
        const TGridTableUpdate update(t);
        t.SetColCount(ResultCols);
        t.SetRowCount(2);
        t.SetFixedCols(0);
        for (int c = 0; c < ResultCols; ++c) {
            t.SetCell(c, 0, ResultTitles()[c]);
            t.SetCell(c, 1, QString());
        }
    }
    sgMeasData->FitColWidths(false, false);
    sgMeasData->SetColWidth(colTapNr, 0);
    StoreGrid();
}

void TQelManualFrame::LoadGrid() {
    const int current = sgMeasData->Row();
    const TXMLGridType grid = FGlobal.Doc().QEL().Measurement().Grid();
    grid.LoadInto(sgMeasData->Table());
    if (sgMeasData->ColCount() < ResultCols)
        ConvertOlderGrid();
    sgMeasData->FitColWidths(true, false);
    sgMeasData->SetColWidth(colTapNr, 0);
    const int last = sgMeasData->RowCount() - 1;
    sgMeasData->SetRow(current >= 1 && current <= last ? current : last);
}

// The older table had ten columns: Time, Phase, Meas.Conf, Prim.Volt., Sec.Volt, Nom.VRatio,
// Turns Ratio, Ratio Dev., Phase Dev., Current. The voltage ratio comes from the turns ratio and
// the factor of the test's own vector group, phase by phase.
void TQelManualFrame::ConvertOlderGrid() {
    if (FConverting)
        return;
    const QScopedValueRollback<bool> converting(FConverting, true);
    const auto windings = FGlobal.Doc().DUTTrafoData().Winding();
    const int hv = windings.Item(wHV).Configuration().Value();
    const int lv = windings.Item(wLV).Configuration().Value();
    const int clock = windings.Item(wLV).VectorGroup().Value();
    TGridTable& t = sgMeasData->Table();
    {
        const TGridTableUpdate update(t);
        t.SetColCount(ResultCols);
        t.SetFixedCols(0);
        const int rows = t.RowCount();
        for (int r = 0; r < rows; ++r) {
            t.SetCell(12, r, t.Cell(9, r));
            t.SetCell(10, r, t.Cell(8, r));
            t.SetCell(9, r, t.Cell(7, r));
            t.SetCell(8, r, t.Cell(6, r));
            if (r == 0)
                continue;
            const QString turns = t.Cell(6, r);
            QString ratio = turns;
            if (!turns.trimmed().isEmpty()) {
                const QString phase = t.Cell(colPhase, r).trimmed();
                const int p = phase == QLatin1String("B") ? 1 : phase == QLatin1String("C") ? 2 : 0;
                const TVectorGroupMatch m = FGlobal.VectorGroupLookup(p, hv, lv, clock);
                double v = 0;
                if (!ReadSI(turns, v))
                    v = 0;
                ratio = ResultFormatE(v * m.Factor, 0, 4);
            }
            t.SetCell(7, r, ratio);
            t.SetCell(6, r, t.Cell(5, r));
            t.SetCell(colTapNr, r, TapNumberIn(t.Cell(colConf, r)));
            t.SetCell(11, r, QString());
        }
        for (int c = 0; c < ResultCols; ++c)
            t.SetCell(c, 0, ResultTitles()[c]);
    }
    StoreGrid();
}

void TQelManualFrame::NewSeries(bool store) {
    TGridTable& t = sgMeasData->Table();
    const bool data = t.RowCount() > 2 || (t.RowCount() == 2 && !t.Cell(colTime, 1).trimmed().isEmpty());
    if (data) {
        const int row = sgMeasData->Row();
        if (row <= 0 || row >= sgMeasData->RowCount() - 1) {
            sgMeasData->SetRowCount(sgMeasData->RowCount() + 1);
            sgMeasData->SetRow(sgMeasData->RowCount() - 1);
        } else {
            sgMeasData->InsertRow(row);
            sgMeasData->SetRow(row);
        }
        const int shadow = sgMeasData->ShadowRow(sgMeasData->Row());
        for (int c = 0; c < t.ColCount(); ++c)
            t.SetCell(c, shadow, QString());
    }
    if (store) {
        StoreGrid();
        FGlobal.DocumentChanged();
    }
}

void TQelManualFrame::NewMeasurement1Click() {
    NewSeries(true);
}

void TQelManualFrame::WriteResultRows(bool arbitrary) {
    TGridTable& t = sgMeasData->Table();
    const int h = H();
    const int x = X();
    const auto windings = FGlobal.Doc().DUTTrafoData().Winding();
    const int hvCode = windings.Item(wHV).Configuration().Value();
    const bool single = hvCode == Qel8624::con1P || hvCode == Qel8624::conCT;
    const QString time = FGlobal.DocumentTimeText(Now());
    const QString conf = FGlobal.MeasurementConfigurationText();
    const QString prim = arbitrary || h != wLV ? VoltageText(wHV) : VoltageText(wLV);
    const QString sec = x == wLV ? VoltageText(wLV) : VoltageText(2);
    QString tapNr;
    const int tapWinding = HasTapChanger(x) ? x : HasTapChanger(h) ? h : -1;
    if (tapWinding >= 0)
        tapNr = windings.Item(tapWinding)
                    .TapChangerData()
                    .Grid()
                    .Cell(0, FGlobal.ActualTap(tapWinding))
                    .trimmed();
    const QString nominal = FGlobal.NominalVoltageRatioText();

    // The rows go after everything the table holds: a last row that is not empty (its separator
    // deleted) is never written over.
    if (t.RowCount() < 2 || !RowBlank(t, t.RowCount() - 1))
        t.SetRowCount(t.RowCount() + 1);
    const int r0 = t.RowCount() - 1;
    const int phases = single ? 1 : 3;
    {
        const TGridTableUpdate update(t);
        t.SetRowCount(r0 + phases + 1);
        static const char* const names[] = {"A", "B", "C"};
        for (int p = 0; p < phases; ++p) {
            const int row = r0 + p;
            // A detection's row holds the detector's angle; the instrument's phase deviation
            // of the last tap test has nothing to do with it.
            const TPhaseResultTexts texts =
                arbitrary ? FGlobal.ArbitraryResultTexts(p) : FGlobal.PhaseResultTexts(p);
            const QStringList cells = {time,
                                       single ? QStringLiteral("Single") : QString::fromLatin1(names[p]),
                                       conf,
                                       prim,
                                       sec,
                                       tapNr,
                                       nominal,
                                       texts.VoltageRatio,
                                       texts.TurnsRatio,
                                       texts.RatioDeviation,
                                       arbitrary ? QStringLiteral("--") : texts.Phase,
                                       arbitrary ? texts.Phase : QStringLiteral(".."),
                                       texts.Current};
            for (int c = 0; c < ResultCols; ++c)
                t.SetCell(c, row, cells[c]);
            for (int c = ResultCols; c < t.ColCount(); ++c)
                t.SetCell(c, row, QString());
        }
        for (int c = 0; c < t.ColCount(); ++c)
            t.SetCell(c, r0 + phases, QString());
    }
    const int shown = sgMeasData->GridRow(r0 + phases - 1);
    if (shown > 0)
        sgMeasData->SetRow(shown);
    sgMeasData->FitColWidths(true, false);
    sgMeasData->SetColWidth(colTapNr, 0);
    sgMeasData->SetFixedCols(3);
    StoreGrid();
    if (r0 < 2 || t.Cell(colTime, r0 - 1).trimmed().isEmpty())
        WriteTestConditions(r0);
    FGlobal.DocumentChanged();
}

void TQelManualFrame::WriteTestConditions(int firstRow) {
    const TXMLGridType grid = FGlobal.Doc().QEL().Measurement().Grid();
    const TXMLInfoType info = grid.R().Item(firstRow - 1).Info();
    const TXMLSetupType setup = FGlobal.Doc().QEL().Setup();
    info.SetOperator(FGlobal.Doc().DUTGeneral().Operator().Value());
    info.SetAmbientTemp(setup.Condition().AmbientTemp().Value());
    info.SetRelHumidity(setup.Condition().RelHumidity().Value());
    info.SetPressure(setup.Condition().Pressure().Value());
    const TQel8624& qel = FGlobal.Qel();
    info.SetDevice(FGlobal.SimulationMode ? QStringLiteral("Simulation") : qel.InstrumentType());
    info.SetSerialNr(qel.SerialNumber());
    info.SetFirmware(qel.FirmwareVersion());
    info.SetAPSW(QStringLiteral(QEL_VERSION_TEXT));
}

void TQelManualFrame::ShowInfo1Click() {
    TOperatorIFace* op = FGlobal.Operator();
    if (!op)
        return;
    const TXMLGridType grid = FGlobal.Doc().QEL().Measurement().Grid();
    const TGridTable& t = sgMeasData->Table();
    const int start = sgMeasData->ShadowRow(sgMeasData->Row());
    const auto rows = grid.R();
    // Upwards through the series of the current row; its empty separator row ends it, so the
    // conditions of an earlier series are never shown for this one.
    for (int r = start; r >= 1 && r <= rows.Count(); --r) {
        if (t.Cell(colTime, r).trimmed().isEmpty())
            break;
        const TXMLRType row = rows.Item(r - 1);
        if (row.HasInfo()) {
            const TXMLInfoType i = row.Info();
            op->Inform(QStringLiteral("Operator        \t\t") + i.Operator() + QStringLiteral("\r\n") +
                       QStringLiteral("Ambient Temp.   \t") + i.AmbientTemp() + QStringLiteral("\r\n") +
                       QStringLiteral("Rel. Humidity   \t\t") + i.RelHumidity() + QStringLiteral("\r\n") +
                       QStringLiteral("Device  \t\t") + i.Device() + QStringLiteral("\r\n") +
                       QStringLiteral("Serial Nr.      \t\t") + i.SerialNr() + QStringLiteral("\r\n") +
                       QStringLiteral("Firmware        \t\t") + i.Firmware() + QStringLiteral("\r\n") +
                       QStringLiteral("APSW            \t\t") + i.APSW() + QStringLiteral("\r\n"));
            return;
        }
        if (row.Node().find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; }))
            break;
    }
    op->Inform(QStringLiteral("No Measurement \r\nInformation available"));
}

// The selected rows go, after the operator's word; their row elements go with them, so the test
// conditions stay with the series they belong to.
void TQelManualFrame::DeleteSelectedRows(const QString& title, const QString& question) {
    TOperatorIFace* op = question.isEmpty() ? nullptr : FGlobal.Operator();
    if (op && op->Message(TOperatorIFace::TKind::Confirmation, title, question,
                          TOperatorIFace::TButtons::OkCancel) != TOperatorIFace::TAnswer::Ok)
        return;
    std::vector<int> shadow;
    for (int r : sgMeasData->SelectedRows())
        if (r >= 1)
            shadow.push_back(sgMeasData->ShadowRow(r));
    std::sort(shadow.rbegin(), shadow.rend());
    const auto rows = FGlobal.Doc().QEL().Measurement().Grid().R();
    for (int s : shadow)
        if (s >= 1 && s <= rows.Count())
            rows.Delete(s - 1);
    sgMeasData->DeleteSelectedRows();
    if (sgMeasData->Table().RowCount() < 2)
        sgMeasData->Table().SetRowCount(2);
    StoreGrid();
    FGlobal.DocumentChanged();
}

void TQelManualFrame::DeleteRows1Click() {
    DeleteSelectedRows(FGlobal.ConfigSection, QStringLiteral("Do you want to delete the selected lines"));
}

void TQelManualFrame::mnDeleteAllRowsClick() {
    // The question comes first: a Cancel leaves the operator's selection as it was.
    TOperatorIFace* op = FGlobal.Operator();
    if (op && op->Message(TOperatorIFace::TKind::Confirmation, QString(),
                          QStringLiteral("Do you want to delete all rows?"),
                          TOperatorIFace::TButtons::OkCancel) != TOperatorIFace::TAnswer::Ok)
        return;
    sgMeasData->SelectAllRows();
    DeleteSelectedRows(QString(), QString());
}

void TQelManualFrame::bnToolsClick() {
    RunTools(bnTools->State());
}

void TQelManualFrame::ToolsFrom(int state, const TFilterStringGrid& source) {
    const int fixed = sgMeasData->FixedRows();
    const int current = sgMeasData->GridRow(source.ShadowRow(source.Row()));
    if (current >= fixed)
        sgMeasData->SetRow(current);
    std::vector<int> rows;
    for (const int row : source.SelectedRows()) {
        const int own = sgMeasData->GridRow(source.ShadowRow(row));
        if (own >= fixed)
            rows.push_back(own);
    }
    sgMeasData->SelectGridRows(rows);
    RunTools(state);
}

void TQelManualFrame::RunTools(int state) {
    switch (state) {
    case 1:
        NewMeasurement1Click();
        break;
    case 2:
        DeleteRows1Click();
        break;
    case 3:
        mnDeleteAllRowsClick();
        break;
    case 4:
        ShowInfo1Click();
        break;
    case 5:
        mnPrintRowsClick();
        break;
    default:
        break;
    }
}

// The selected rows as the grid shows them, from the first selected row to the last.
void TQelManualFrame::mnPrintRowsClick() {
    const std::vector<int> selected = sgMeasData->SelectedRows();
    const int first = selected.empty() ? sgMeasData->Row() : selected.front();
    const int last = selected.empty() ? first : selected.back();
    const QelPrintout::TRows rows{sgMeasData->RowCount(), [this](int c, int r) { return sgMeasData->Cell(c, r); }};
    QelPrintout::PrintSelection(FPrinter, FGlobal.Doc(), FGlobal.Qel().SerialNumber(),
                                FGlobal.AppFolder + QStringLiteral("Norvik.pcx"), rows, first, last, FFirstPrint,
                                FGlobal.Operator());
}
