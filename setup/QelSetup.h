#pragma once
#include <QFrame>
#include <QList>
#include <QStringList>

#include <array>
#include <utility>

class QLabel;
class QPlainTextEdit;
class QTabWidget;
class TNumEdit;
class TLangManager;
class TPanelButton;
class TQelGlobal;
class TQelImage;
class TQelTrafoWindingsFrame;
class TStateButton;
class TTntAscEdit;
class TTntAscMemo;
class TTntNumEdit;
class TTSComboBox;

// The SETUP page: the device under test, the transformer's windings, the test conditions, the
// auxiliary texts of the report and the application's options. Each field is bound either to
// the open test document or to the configuration, and every change of the operator is written
// at once: into the document, which is then saved and announced (`DocumentChanged`), or into
// the settings (`ApplySettings`). The page keeps nothing of a test itself; it loads itself again
// from the document whenever that changed (message 1389), except for a field the operator is
// typing into, whose text is kept until it is confirmed.
class TQelSetupFrame : public QFrame {
    Q_OBJECT
public:
    enum TTab { tbEUTInfo, tbTrafoData, tbCondition, tbSettings, tbOptions, tbAuxiliary, tbXML };

    explicit TQelSetupFrame(TQelGlobal& global, QWidget* parent = nullptr);
    ~TQelSetupFrame() override;

    void SetImages(const TQelImage& images);

    // Loads every field from the document (the updating flag set meanwhile). What the document
    // lacks is completed with defaults and the operator is told; the settings are never touched.
    void LoadAll(bool keepTyping = false);
    // Stores every document field into the document (without saving it).
    void StoreAll();
    // A field with a text the operator has not confirmed yet gives it up now: confirmed, the
    // text reaches the document. Called before the page hides and before files are written.
    void CommitTyping();
    // Ports the system has, the stored one and the empty entry, into the port selector.
    void RefreshPorts();
    // The mmXML view (refreshed only while its tab is shown).
    bool XMLTabShown() const;
    // The languages offered by bnLanguage, the current one chosen; a choice is kept in the
    // configuration ("Setup", "Language") and applied at once.
    void SetLanguageManager(TLangManager* languages);
    static QString ConfiguredLanguage(const QString& configFile);

    // --- components, named as the document binding and the tests address them ---
    QTabWidget* PageControl1;
    // DUT Info
    TTntAscEdit* edType;
    TTntAscEdit* edDescription;
    TTntAscEdit* edUser;
    TTntAscEdit* edManufacturer;
    TTntAscEdit* edLocation;
    TTntAscEdit* edSerialNo;
    TTntAscEdit* edInventoryNo;
    TTntAscEdit* edBuilt;
    TTntAscEdit* edOperator;
    TTntAscEdit* edSupervisor;
    TTntAscEdit* edJobNo;
    TTntAscMemo* edNotes;
    // Trafo Data
    TQelTrafoWindingsFrame* Windings; // HVSideDef, LVSideDef, TVSideDef
    TPanelButton* bnEnableTertWinding;
    QLabel* lbConfiguration;
    QLabel* lbPhaseA;
    QLabel* lbPhaseB;
    QLabel* lbPhaseC;
    // Conditions
    TNumEdit* edAmbientTemp;
    TNumEdit* edHumidity;
    TNumEdit* edPressure;
    // Options
    TPanelButton* bnLanguage;
    TPanelButton* bnTempUnit;
    TPanelButton* bnStartup;
    TPanelButton* bnStandard;
    TStateButton* sbUserInterface;
    TStateButton* sbDataStorage;
    TStateButton* sbUserInput;
    TTSComboBox* cbQELPort;
    QLabel* lbQELLink;
    QLabel* lbQELInstrType;
    QLabel* lbQELSerialNr;
    QLabel* lbQELVersion;
    QLabel* lbQELCalBy;
    QLabel* lbQELLastCal;
    QLabel* lbQELNextCal;
    // Auxiliary
    std::array<TTntAscEdit*, 7> edAuxTitle{};
    std::array<TTntAscEdit*, 7> edAuxText{};
    // XML
    QPlainTextEdit* mmXML;

    // --- handlers (also what a test calls) ---
    void PageControl1Change();
    void DoChangeXMLDoc();
    void DoChangeSettings(QObject* sender);
    void bnTempUnitClick();
    void bnStandardClick();
    void bnEnableTertWindingClick();
    void cbQELPortChange();
    void bnLanguageClick();

protected:
    bool event(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    // Layout (QelSetupLayout.cpp).
    void Build();
    QWidget* BuildDUTInfo();
    QWidget* BuildTrafoData();
    QWidget* BuildConditions();
    QWidget* BuildOptions();
    QWidget* BuildAuxiliary();
    TTntAscEdit* NewText(const QString& name);

    // Behaviour (QelSetup.cpp).
    void Wire();
    QList<TTntAscEdit*> TextFields() const;
    // Each text box with its document value.
    QList<std::pair<TTntAscEdit*, QString>> TextBindings() const;
    void LoadTexts(bool keepTyping);
    void StoreTexts();
    void LoadConditions(bool keepTyping, QStringList& problems);
    void StoreConditions();
    void ApplyTemperatureScale(int unit);
    void LoadSettings();
    void SelectPort(const QString& port);
    void ApplyTertiaryEnabling();
    // The configuration text and the terminals of the measured phases from the document's
    // windings; with `write` into TrafoConfiguration and ActWindMeasPhaseA/B/C.
    void UpdateDerived(bool write);
    void UpdateInstrumentData();
    void RefreshXML();
    void NewDocumentDefaults();
    bool NotesDiffer() const;
    void Changed();

    TQelGlobal& FGlobal;
    bool FUpdating = false;
    const TQelImage* FImages = nullptr;
    TLangManager* FLanguages = nullptr;
};
