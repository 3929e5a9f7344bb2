#pragma once
#include <QString>

class TGridTable;
class TXMLDUTTrafoDataType;
class TXMLTapChangerDataType;
class TXMLWindingType;

// Rules of the windings and their tap changers that hold wherever a winding is edited (the
// winding frames, the tap changer dialog, the data module, a new document). They work on the
// document and on the table interface of a grid, so they need no widget.
namespace QelWindings {

// --- nominal values -------------------------------------------------------------------------

// The nominal current as the winding frame shows and stores it: I = P / (sqrt(3) U), for a
// single-phase winding I = P / U, in SI form with the voltage field's width and decimals, trailing
// zeros removed, followed by "A" ("       101.036 mA"); "??" when U is 0 or either text is no number.
QString NominalCurrentText(const QString& power, const QString& voltage, int connection);
constexpr int VoltageFieldWidth = 16;
constexpr int VoltageFieldDecimals = 3;

// Recomputes NominalCurrent of a winding from its NominalPower and NominalVoltage ("5.774 A").
void UpdateNominalCurrent(const TXMLWindingType& winding);

// The Name attribute of winding 0, 1, 2: "HV-Winding", "LV-Winding", "TV-Winding".
QString WindingName(int winding);

// A winding's connection; a changed one recomputes the nominal current (1P has no sqrt(3)).
void SetConnection(const TXMLWindingType& winding, int code);

// After the operator changed the HV connection: an HV of 1P, CT or automatic (15) puts LV and TV
// on the same code, their phase displacement on 255 for automatic, on 0 for 1P and CT (no clock
// to find: their test is no automatic one); any other HV puts an LV of 1P, CT or automatic, and
// then TV as well, on D. The nominal currents follow.
void ApplyHvConnectionRules(const TXMLDUTTrafoDataType& trafo);

// --- tap tables -------------------------------------------------------------------------------

constexpr int MaxTaps = 9999;      // Total Taps 0 ... 9999
constexpr int MaxTapNumber = 9999; // Bottom Tap and Nom. Tap -9999 ... 9999
constexpr int ColTap = 0, ColVoltage = 1, ColName = 2, ColActivate = 3;

// The values of a tap changer frame: N taps numbered F ... F + N - 1, the nominal one of them.
struct TTapChanger {
    int NrOfTaps = 3;
    int FirstTap = -1;
    int NominalTap = 0;

    // The table row of the nominal tap (row 1 is tap F).
    int NominalRow() const { return NominalTap - FirstTap + 1; }
    bool NominalTapInTable() const {
        return NrOfTaps > 0 && NominalTap >= FirstTap && NominalTap <= FirstTap + NrOfTaps - 1;
    }
};

// A tap voltage as a cell holds it: SI form with three decimals in `width`, then "V" ("10.000 kV").
QString TapVoltageText(double volts, int width);
// The cell after the operator typed `text` into it: rewritten in SI form (width 6) when it reads
// as a number, else the text the cell held before, so that a slip never destroys a voltage.
QString EditedTapVoltage(const QString& text, const QString& previous);

// Titles, four columns, max(N + 1, 2) rows; data row i gets the tap number F + i - 1 and "yes"
// where its Activate cell is blank; a row without a voltage (a new one) gets `newRowVoltage`
// (the winding's nominal voltage). With N = 0 the one data row is emptied.
void ShapeTapTable(TGridTable& table, const TTapChanger& taps, const QString& newRowVoltage);
// Voltages Start + (i - 1) * (End - Start) / (N - 1) over the N taps (Start alone for one tap).
void AutoFillTapVoltages(TGridTable& table, int nrOfTaps, double start, double end);

// A tap changer frame's store: the three values, the shaped table, the table into the document.
void StoreTapChanger(const TXMLTapChangerDataType& data, const TTapChanger& taps, TGridTable& table,
                     const QString& newRowVoltage);
// A frame's load: the three values and the table (titles, four columns; N = 0 one empty row).
// A table element that does not load is rewritten from the frame's table; false then.
bool LoadTapChanger(const TXMLTapChangerDataType& data, TTapChanger& taps, TGridTable& table);

// --- a winding's tap changer in the document ------------------------------------------------

// The winding's voltage for new tap rows: its NominalVoltage in a cell's form; empty when that
// is no number.
QString NewTapRowVoltage(const TXMLWindingType& winding);
// The voltage cell of the nominal tap, when the nominal tap is a tap of the table and its voltage
// reads as a number; else an empty text.
QString NominalTapVoltage(const TXMLWindingType& winding);
// A winding with a tap changer takes its NominalVoltage from the nominal tap; a nominal tap
// outside the table, or a voltage that is no number, leaves NominalVoltage as it is. True when
// the text changed; the nominal current is then computed again.
bool TakeNominalVoltageFromTap(const TXMLWindingType& winding);

// A new document's windings: HV "100 kVA" and "10 kV", LV and TV "10 kV", the nominal currents,
// and each the default tap changer (N = 3 from -1, nominal tap 0, all activated, the voltages
// the winding's nominal voltage).
void GiveDefaultWindings(const TXMLDUTTrafoDataType& trafo);
void GiveDefaultTapChanger(const TXMLWindingType& winding);

} // namespace QelWindings
