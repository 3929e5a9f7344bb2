#pragma once
#include "XMLSnapshot.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class TPanelButton;
class TQelGlobal;
class TQelImage;
class TQelTapChangeDefFrame;

// "Tap Changer Definition": the tap changers of the windings side by side. The frames write
// every change into the document at once; OK keeps them (after checking that every nominal tap
// is a tap of its table), Cancel, Escape or closing the window puts back the windings as they
// were when the dialog opened, so nothing of the cancelled edits reaches the file. Made on first
// use and kept; shown window-modal, `accepted` follows OK.
class TTapChangerForm : public QDialog {
    Q_OBJECT
public:
    explicit TTapChangerForm(TQelGlobal& global, QWidget* parent = nullptr);

    // Binds the frames to the document's windings 0, 1, 2, shows the frame of every winding
    // that takes part and has a tap changer, takes each such winding's nominal voltage from its
    // nominal tap, and opens.
    void Open();
    void SetImages(const TQelImage& images);

    TQelTapChangeDefFrame* HVWinding;
    TQelTapChangeDefFrame* LVWinding;
    TQelTapChangeDefFrame* TVWinding;
    QGroupBox* gbNomVoltageHV;
    QGroupBox* gbNomVoltageLV;
    QGroupBox* gbNomVoltageTV;
    QLabel* lbNomVoltageHV;
    QLabel* lbNomVoltageLV;
    QLabel* lbNomVoltageTV;
    TPanelButton* bnOk;
    TPanelButton* bnCancel;

    void reject() override;

private:
    void bnOkClick();
    TQelTapChangeDefFrame* Frame(int winding) const;

    TQelGlobal& FGlobal;
    TXMLContentSnapshot FWindingsAsOpened;
};
