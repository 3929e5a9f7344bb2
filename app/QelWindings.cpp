#include "QelWindings.h"

#include "GridTable.h"
#include "Qel8624Protocol.h"
#include "SIPrefixes.h"
#include "XMLQel.h"

#include <cmath>

namespace QelWindings {

namespace {
const char* const TapTitles[] = {"Tap", "Voltage", "Name", "Activate"};
constexpr int TapColumns = 4;

bool IsVoltage(const QString& text, double& volts) {
    return ReadSI(text, volts) && std::isfinite(volts);
}
} // namespace

QString NominalCurrentText(const QString& power, const QString& voltage, int connection) {
    double p = 0, u = 0;
    if (!ReadSI(power, p) || !IsVoltage(voltage, u) || u == 0 || !std::isfinite(p))
        return QStringLiteral("??");
    const double i = connection == Qel8624::con1P ? p / u : p / (std::sqrt(3.0) * u);
    return FormatSI(i, VoltageFieldWidth, VoltageFieldDecimals, true) + 'A';
}

void UpdateNominalCurrent(const TXMLWindingType& winding) {
    // Stored without the field's padding, as the other nominal values are.
    winding.NominalCurrent().SetValue(NominalCurrentText(winding.NominalPower().Value(),
                                                         winding.NominalVoltage().Value(),
                                                         winding.Configuration().Value())
                                          .trimmed());
}

QString WindingName(int winding) {
    static const char* const names[] = {"HV-Winding", "LV-Winding", "TV-Winding"};
    return winding >= 0 && winding < 3 ? QString::fromLatin1(names[winding]) : QString();
}

void SetConnection(const TXMLWindingType& winding, int code) {
    if (winding.Configuration().Value() == code && !winding.Configuration().ValueStr().isEmpty())
        return;
    winding.Configuration().SetValue(code);
    UpdateNominalCurrent(winding);
}

void ApplyHvConnectionRules(const TXMLDUTTrafoDataType& trafo) {
    const auto windings = trafo.Winding();
    const int hv = windings.Item(0).Configuration().Value();
    const bool whole = hv == Qel8624::con1P || hv == Qel8624::conCT || hv == Qel8624::conNotSet;
    if (whole) {
        // Automatic: the instrument finds the displacement. A single-phase winding or a current
        // transformer has none to find: 0, so that its test is no automatic one (255 would ask
        // the instrument, and the operator after every tap, for a configuration).
        const int clock = hv == Qel8624::conNotSet ? Qel8624::ClockNotSet : 0;
        for (int w = 1; w <= 2; ++w) {
            SetConnection(windings.Item(w), hv);
            windings.Item(w).VectorGroup().SetValue(clock);
        }
        return;
    }
    if (windings.Item(1).Configuration().Value() > Qel8624::conZN) {
        SetConnection(windings.Item(1), Qel8624::conD);
        SetConnection(windings.Item(2), Qel8624::conD);
    }
}

QString TapVoltageText(double volts, int width) {
    return FormatSI(volts, width, 3, false) + 'V';
}

QString EditedTapVoltage(const QString& text, const QString& previous) {
    double v = 0;
    return IsVoltage(text, v) ? TapVoltageText(v, 6) : previous;
}

void ShapeTapTable(TGridTable& table, const TTapChanger& taps, const QString& newRowVoltage) {
    const int n = std::max(0, taps.NrOfTaps);
    table.SetColCount(TapColumns);
    table.SetRowCount(std::max(n + 1, 2));
    table.SetFixedRows(1);
    for (int c = 0; c < TapColumns; ++c)
        table.SetCell(c, 0, QString::fromLatin1(TapTitles[c]));
    if (n == 0) {
        for (int c = 0; c < TapColumns; ++c)
            table.SetCell(c, 1, QString());
        return;
    }
    for (int i = 1; i <= n; ++i) {
        table.SetCell(ColTap, i, QString::number(taps.FirstTap + i - 1));
        if (table.Cell(ColActivate, i).trimmed().isEmpty())
            table.SetCell(ColActivate, i, QStringLiteral("yes"));
        if (table.Cell(ColVoltage, i).trimmed().isEmpty() && !newRowVoltage.isEmpty())
            table.SetCell(ColVoltage, i, newRowVoltage);
    }
}

void AutoFillTapVoltages(TGridTable& table, int nrOfTaps, double start, double end) {
    const double step = nrOfTaps >= 2 ? (end - start) / (nrOfTaps - 1) : 0.0;
    for (int i = 1; i <= nrOfTaps && i < table.RowCount(); ++i)
        table.SetCell(ColVoltage, i, TapVoltageText(start + (i - 1) * step, 10));
}

void StoreTapChanger(const TXMLTapChangerDataType& data, const TTapChanger& taps, TGridTable& table,
                     const QString& newRowVoltage) {
    data.NrOfTaps().SetValue(taps.NrOfTaps);
    data.FirstTap().SetValue(taps.FirstTap);
    data.NominalTap().SetValue(taps.NominalTap);
    ShapeTapTable(table, taps, newRowVoltage);
    data.Grid().StoreFrom(table, 3);
}

bool LoadTapChanger(const TXMLTapChangerDataType& data, TTapChanger& taps, TGridTable& table) {
    taps.NrOfTaps = data.NrOfTaps().Value();
    taps.FirstTap = data.FirstTap().Value();
    taps.NominalTap = data.NominalTap().Value();
    const bool loaded = data.Grid().LoadInto(table);
    table.SetColCount(TapColumns);
    if (taps.NrOfTaps <= 0) {
        table.SetRowCount(2);
        for (int c = 0; c < TapColumns; ++c)
            table.SetCell(c, 1, QString());
    } else if (table.RowCount() < 2) {
        table.SetRowCount(2);
    }
    table.SetFixedRows(1);
    for (int c = 0; c < TapColumns; ++c)
        table.SetCell(c, 0, QString::fromLatin1(TapTitles[c]));
    return loaded;
}

QString NewTapRowVoltage(const TXMLWindingType& winding) {
    double v = 0;
    return IsVoltage(winding.NominalVoltage().Value(), v) ? TapVoltageText(v, 6) : QString();
}

QString NominalTapVoltage(const TXMLWindingType& winding) {
    const TXMLTapChangerDataType data = winding.TapChangerData();
    const TTapChanger taps{data.NrOfTaps().Value(), data.FirstTap().Value(), data.NominalTap().Value()};
    if (!taps.NominalTapInTable())
        return QString();
    const QString cell = data.Grid().Cell(ColVoltage, taps.NominalRow());
    double v = 0;
    return IsVoltage(cell, v) ? cell : QString();
}

bool TakeNominalVoltageFromTap(const TXMLWindingType& winding) {
    if (winding.TapChangerAvailable().Value() != 1)
        return false;
    const QString voltage = NominalTapVoltage(winding);
    if (voltage.isEmpty() || voltage == winding.NominalVoltage().Value())
        return false;
    winding.NominalVoltage().SetValue(voltage);
    UpdateNominalCurrent(winding);
    return true;
}

void GiveDefaultTapChanger(const TXMLWindingType& winding) {
    TMemoryGridTable table(QStringLiteral("sgTapData"), TapColumns, 2);
    StoreTapChanger(winding.TapChangerData(), TTapChanger{}, table, NewTapRowVoltage(winding));
}

void GiveDefaultWindings(const TXMLDUTTrafoDataType& trafo) {
    const auto windings = trafo.Winding();
    windings.Item(0).NominalPower().SetValue(QStringLiteral("100 kVA"));
    for (int w = 0; w < 3; ++w) {
        const TXMLWindingType winding = windings.Item(w);
        winding.NominalVoltage().SetValue(QStringLiteral("10 kV"));
        UpdateNominalCurrent(winding);
        GiveDefaultTapChanger(winding);
    }
}

} // namespace QelWindings
