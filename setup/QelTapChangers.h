#pragma once
#include "QelWindings.h"
#include "XMLQel.h"

#include <QFrame>
#include <QPointer>

class QGroupBox;
class QLabel;
class TFStringGrid;
class TNumEdit;
class TPanelButton;
class TQelGlobal;
class TQelImage;
class TStateButton;
class TTapChangerAutoFillForm;
class TTapCellDelegate;
class QInputDialog;
class TNumInputForm;
class TTntAscInputForm;

// The tap changer of one winding, one third of the "Tap Changer Definition" dialog: total taps,
// bottom tap and nominal tap, and the tap table (one row per tap: number, voltage, name,
// Activate). Every change is written into the winding's TapChangerData at once; the dialog
// decides whether it stays (OK) or is put back (Cancel).
class TQelTapChangeDefFrame : public QFrame {
    Q_OBJECT
public:
    TQelTapChangeDefFrame(TQelGlobal& global, QWidget* parent = nullptr);
    ~TQelTapChangeDefFrame() override;

    // Binds to a winding and loads its tap changer; unbound, the frame touches no document.
    void Bind(const TXMLWindingType& winding);
    void Unbind();
    bool IsBound() const { return !FWinding.IsNull(); }
    void Load();
    void Store();
    // N = 3 from -1, nominal tap 0, every tap activated with the winding's nominal voltage.
    void GiveDefault();
    QelWindings::TTapChanger Values() const;
    void SetCaption(const QString& caption);
    void SetImages(const TQelImage& images);

    QGroupBox* GroupBox1;
    TNumEdit* edNrOfTaps;
    TNumEdit* edStartTap;
    TNumEdit* edNomTap;
    TPanelButton* UpDownCont1Up;
    TPanelButton* UpDownCont1Down;
    TPanelButton* UpDownCont2Up;
    TPanelButton* UpDownCont2Down;
    TPanelButton* UpDownCont3Up;
    TPanelButton* UpDownCont3Down;
    TFStringGrid* sgTapData;
    TPanelButton* bnTools;
    TStateButton* StateButton1; // the Activate toggle, laid over the current Activate cell

    // The editor of the current cell, as a double click opens it: the number pad for a voltage,
    // for a name the on-screen text keyboard on the touch screen, a text entry on a desk.
    void sgTapDataDblClick();
    // Open while a double click's editor is (null otherwise).
    TNumInputForm* VoltagePad() const;
    QInputDialog* NameEntry() const;        // on a desk
    TTntAscInputForm* NameKeyboard() const; // with the touch entry switch on
    TTapChangerAutoFillForm* AutoFillForm() const;
    // The table row drawn as the nominal tap (grey), 0 for none.
    int HighlightedRow() const;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void Build();
    void DoNotifyXMLChange();
    void UpDown(TNumEdit* field, int step);
    void sgTapDataSetEditText(int col, int row, const QString& text);
    void PlaceActivateButton();
    void StateButton1Click();
    void bnToolsClick();
    // Writes text into col of the current row and, after the operator's OK, of every other
    // selected row.
    void SetCurrentAndSelected(int col, const QString& text);
    void ApplyEnabling();
    void FitColumns();

    TQelGlobal& FGlobal;
    TXMLWindingType FWinding;
    bool FLoading = false;
    TTapCellDelegate* FDelegate = nullptr;
    TTapCellDelegate* FFixedDelegate = nullptr;
    QPointer<TTapChangerAutoFillForm> FAutoFill;
    QPointer<TNumInputForm> FVoltagePad;
    QPointer<QInputDialog> FNameEntry;
    QPointer<TTntAscInputForm> FNameKeyboard;
    const TQelImage* FImages = nullptr;
};
