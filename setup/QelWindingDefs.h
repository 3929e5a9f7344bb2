#pragma once
#include "XMLQel.h"

#include <QFrame>
#include <QList>
#include <QPointer>

class QGroupBox;
class QLabel;
class TNumEdit;
class TPanelButton;
class TQelGlobal;
class TQelImage;
class TTapChangerForm;

// One winding of the transformer (HV, LV or TV): nominal power, current and voltage, the
// connection, the phase displacement against HV and the tap changer. Bound to the document's
// winding; every operator change is stored and saved at once (`DocumentChanged`), and nothing
// is written while the frame loads or rebuilds its selectors.
class TQelWindingDefFrame : public QFrame {
    Q_OBJECT
public:
    TQelWindingDefFrame(TQelGlobal& global, QWidget* parent = nullptr);

    // Binds to winding 0, 1 or 2 of the document and loads it.
    void Bind(int winding);
    int Winding() const { return FWinding; }
    TXMLWindingType WindingElement() const;
    void Load();
    // The fields and the winding's Name into the winding. The nominal current is computed again
    // when asked, and whenever power, voltage or connection changed (a tap changer switched on
    // gives the voltage of its nominal tap).
    void Store(bool recompute);
    // The phase displacement entries of this winding's pair with HV, each standing for its value.
    // On a load the entry of the stored value is shown (it is offered when the pair has no such
    // clock, so that a load never changes what is stored). After a change of a connection
    // (`keepIndex`) a clock keeps its index among the pair's clocks and the clock of that entry
    // is written: Dd0 becomes Dyn1, never Dyn0; Auto, 85 and 86 stay. A pair the table does not
    // list leaves the selector and the value as they are.
    void RebuildVectorGroupSelector(bool keepIndex = false);
    void SetCaption(const QString& caption);
    void SetImages(const TQelImage& images);
    // The tap changer dialog the frame opens (shared by the frames of a page).
    void SetTapChangerForm(TTapChangerForm* form);

    // Connection code of a bnConfiguration entry and back; 15 is "Auto  3 Ph".
    static int CodeOfEntry(int entry);
    static int EntryOfCode(int code);
    // What each bnVectorGrp entry stands for: a clock number, 255 Auto, 85, 86.
    QList<int> VectorGroupValues() const { return FVectorValues; }

    QGroupBox* GroupBox;
    TNumEdit* edNomPower;
    TNumEdit* edNomCurrent;
    TNumEdit* edNomVoltage;
    TPanelButton* bnConfiguration;
    TPanelButton* bnVectorGrp;
    QLabel* lbVectorGrp;
    TPanelButton* bnTapChanger;
    TPanelButton* bnTapParams;
    QFrame* pnTapInfo;
    QLabel* lbFirstTap;
    QLabel* lbNomTap;
    QLabel* lbNrOfTaps;

Q_SIGNALS:
    // The operator chose another connection (the frame has stored itself).
    void ConfigurationClick();
    // The operator's change is in the document and the save follows: what depends on the
    // windings (the page's configuration text) is written into the same save.
    void Stored();
    // The operator changed something of the winding and the document was saved.
    void Changed();

private:
    void Build();
    void DoNotifyXMLChange(QObject* sender);
    void bnVectorGrpClick();
    void bnTapParamsClick();
    void TapParamsClosed(bool ok);
    void ApplyTapState();

    TQelGlobal& FGlobal;
    int FWinding = -1;
    bool FUpdating = false;
    QList<int> FClocks;       // the pair's clock numbers as the table lists them
    QList<int> FVectorValues; // per bnVectorGrp entry
    QPointer<TTapChangerForm> FTapForm;
    bool FWaitingForTapForm = false;
};
