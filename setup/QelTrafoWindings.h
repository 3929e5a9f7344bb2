#pragma once
#include <QFrame>
#include <QPointer>

class TQelGlobal;
class TQelImage;
class TQelWindingDefFrame;
class TTapChangerForm;

// The three winding frames of the "Trafo Data" tab side by side, and the rules that tie LV and
// TV to HV: an HV of 1P, CT or automatic takes the other windings with it, the TV frame works
// only while the tertiary winding takes part. It is registered with the data module and loads
// itself again whenever the document changed (message 1389).
class TQelTrafoWindingsFrame : public QFrame {
    Q_OBJECT
public:
    TQelTrafoWindingsFrame(TQelGlobal& global, QWidget* parent = nullptr);
    ~TQelTrafoWindingsFrame() override;

    // Binds the frames to windings 0, 1, 2, loads them and applies the enabling rules.
    void Load();
    void SetImages(const TQelImage& images);
    // The tap changer dialog of the three frames (made on first use, kept).
    TTapChangerForm* TapChangerForm();

    TQelWindingDefFrame* HVSideDef;
    TQelWindingDefFrame* LVSideDef;
    TQelWindingDefFrame* TVSideDef;

protected:
    bool event(QEvent* e) override;

private:
    void HVSideDefbnConfigurationClick();
    void ApplyEnablingRules();

    TQelGlobal& FGlobal;
    QPointer<TTapChangerForm> FTapForm;
    const TQelImage* FImages = nullptr;
};
