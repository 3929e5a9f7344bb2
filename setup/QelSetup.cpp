// What the setup page does: load and store its fields, the settings, the messages.
#include "QelSetup.h"

#include "AscInput.h"
#include "AscInputForm.h"
#include "IniFile.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "PanelButton.h"
#include "Qel8624Device.h"
#include "Qel8624Protocol.h"
#include "QelGlobals.h"
#include "QelSetupRules.h"
#include "QelTrafoWindings.h"
#include "QelWindingDefs.h"
#include "QelWindings.h"
#include "StateButton.h"
#include "TSControls.h"
#include "WinMsgList.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QSerialPortInfo>
#include <QTabWidget>

#include <cmath>
#include <initializer_list>
#include <utility>

using namespace QelSetup;

namespace {

const QString SetupSection = QStringLiteral("Setup");
const QString PageIndexKey = QStringLiteral("PageIndex");

// The memo works with line feeds; the document keeps the line ends of the operating system the
// notes were typed on, CR LF.
QString NotesForMemo(const QString& stored) {
    QString text = UnescapeNotes(stored);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString NotesForDocument(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return EscapeNotes(text);
}

// The field's quantity without the padding and the sign of a range across zero: "20.0 °C".
QString StoredText(const TNumEdit* ed) {
    QString t = ed->ValueText().trimmed();
    if (t.startsWith(QLatin1Char('+')))
        t.remove(0, 1);
    return t;
}

double RoundTo(double v, int decimals) {
    const double f = std::pow(10.0, decimals);
    return std::round(v * f) / f;
}

} // namespace

TQelSetupFrame::TQelSetupFrame(TQelGlobal& global, QWidget* parent) : QFrame(parent), FGlobal(global) {
    setObjectName(QStringLiteral("SetupFrame"));
    FUpdating = true;
    Build();
    // The page loads the winding frames itself, after it has completed the document.
    FGlobal.UnregisterWindow(Windings);
    Wire();
    const TIniFile ini(FGlobal.ConfigFileName);
    const int index = ini.ReadInteger(SetupSection, PageIndexKey, 0);
    if (index >= 0 && index < PageControl1->count() && PageControl1->isTabVisible(index))
        PageControl1->setCurrentIndex(index);
    // The document as XML is a look behind the scenes: shown in debug mode only.
    PageControl1->setTabVisible(tbXML, FGlobal.DebugMode);
    RefreshPorts();
    FUpdating = false;
    FGlobal.RegisterWindow(this);
    if (FGlobal.Doc().Dom().document_element().child("DUTTrafoData"))
        LoadAll();
}

TQelSetupFrame::~TQelSetupFrame() {
    FGlobal.UnregisterWindow(this);
}

void TQelSetupFrame::SetImages(const TQelImage& images) {
    FImages = &images;
    Windings->SetImages(images);
    for (TCaptionButton* b :
         std::initializer_list<TCaptionButton*>{bnEnableTertWinding, bnLanguage, bnTempUnit, bnStartup,
                                                bnStandard, sbUserInterface, sbDataStorage, sbUserInput})
        b->SetImageList(images.Image32x32L());
}

QList<TTntAscEdit*> TQelSetupFrame::TextFields() const {
    QList<TTntAscEdit*> fields{edType,     edDescription, edUser,        edManufacturer,
                               edLocation, edSerialNo,    edInventoryNo, edBuilt,
                               edOperator, edSupervisor,  edJobNo};
    for (int i = 0; i < 7; ++i)
        fields << edAuxTitle[i] << edAuxText[i];
    return fields;
}

void TQelSetupFrame::Wire() {
    TOperatorIFace* op = FGlobal.Operator();
    for (TTntAscEdit* ed : TextFields()) {
        ed->SetOperator(op);
        ed->SetKovaBase(&FGlobal.KovaBase());
        connect(ed, &TTntAscEdit::Change, this, &TQelSetupFrame::DoChangeXMLDoc);
    }
    edNotes->SetOperator(op);
    edNotes->SetKovaBase(&FGlobal.KovaBase());
    // Typed on a desk the notes count when the operator leaves them; from the keyboard at once.
    connect(edNotes, &TTntAscMemo::Change, this, [this] {
        if (!FUpdating && !edNotes->hasFocus() && NotesDiffer())
            DoChangeXMLDoc();
    });
    connect(edNotes, &TTntAscMemo::Exit, this, [this] {
        if (!FUpdating && NotesDiffer())
            DoChangeXMLDoc();
    });
    for (TNumEdit* ed : {edAmbientTemp, edHumidity, edPressure}) {
        ed->SetOperator(op);
        ed->SetKovaBase(&FGlobal.KovaBase());
        connect(ed, &TNumEdit::Change, this, &TQelSetupFrame::DoChangeXMLDoc);
    }
    connect(bnStandard, &TPanelButton::Click, this, &TQelSetupFrame::bnStandardClick);
    connect(bnTempUnit, &TPanelButton::Click, this, &TQelSetupFrame::bnTempUnitClick);
    connect(bnEnableTertWinding, &TPanelButton::Click, this, &TQelSetupFrame::bnEnableTertWindingClick);
    connect(bnStartup, &TPanelButton::Click, this, [this] { DoChangeSettings(bnStartup); });
    for (TStateButton* b : {sbUserInterface, sbDataStorage, sbUserInput})
        connect(b, &TStateButton::Click, this, [this, b] { DoChangeSettings(b); });
    for (TCaptionButton* b :
         std::initializer_list<TCaptionButton*>{bnEnableTertWinding, bnLanguage, bnTempUnit, bnStartup,
                                                bnStandard, sbUserInterface, sbDataStorage, sbUserInput})
        b->SetOperator(op);
    cbQELPort->SetOperator(op);
    cbQELPort->SetKovaBase(&FGlobal.KovaBase());
    connect(cbQELPort, &TTSComboBox::Change, this, &TQelSetupFrame::cbQELPortChange);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TQelSetupFrame::PageControl1Change);
    // A winding frame has written the operator's change: what follows from the windings goes
    // into the same save.
    for (TQelWindingDefFrame* f : {Windings->HVSideDef, Windings->LVSideDef, Windings->TVSideDef})
        connect(f, &TQelWindingDefFrame::Stored, this, [this] {
            if (!FUpdating)
                UpdateDerived(true);
        });
}

// ------------------------------------------------------------------ messages

bool TQelSetupFrame::event(QEvent* e) {
    switch (int(e->type())) {
    case UM_DOCCHANGED:
        RefreshXML();
        // A change of another page leaves the text the operator is typing alone; a test opened
        // or made anew replaces everything.
        LoadAll(static_cast<const TQelMessage*>(e)->WParam == 0);
        return true;
    case UM_FILESCHANGED:
        CommitTyping();
        StoreAll();
        RefreshXML();
        return true;
    case UM_NEWDOC:
    case UM_NODUTDATA:
        NewDocumentDefaults();
        RefreshXML();
        return true;
    case UM_SETTINGSCHANGED: {
        // Another page may have changed a setting: the buttons show what is in force.
        const bool updating = FUpdating;
        FUpdating = true;
        LoadSettings();
        FUpdating = updating;
        return true;
    }
    case UM_LINKSTATE:
        if (static_cast<const TQelMessage*>(e)->WParam == wpLinkState)
            UpdateInstrumentData();
        return true;
    case UM_STARTUP:
        LoadAll();
        return true;
    default:
        return QFrame::event(e);
    }
}

void TQelSetupFrame::hideEvent(QHideEvent* e) {
    // Another page to the front (a test about to start) or the window closing: what is typed
    // goes into the document first.
    CommitTyping();
    QFrame::hideEvent(e);
}

void TQelSetupFrame::CommitTyping() {
    if (FUpdating)
        return;
    // The field with the focus confirms itself as when the operator leaves it.
    QWidget* focus = QApplication::focusWidget();
    if (focus && isAncestorOf(focus))
        focus->clearFocus();
    // A field whose window lost the activation first no longer has the focus to lose: what it
    // shows and the document does not hold is taken all the same.
    for (TTntNumEdit* ed : findChildren<TTntNumEdit*>())
        if (ed->Edited())
            ed->SetEntryText(ed->text());
    bool differ = NotesDiffer();
    for (const auto& [ed, value] : TextBindings())
        differ = differ || ed->text() != value;
    if (differ)
        DoChangeXMLDoc();
}

void TQelSetupFrame::NewDocumentDefaults() {
    const TXMLDUTTrafoDataType trafo = FGlobal.Doc().DUTTrafoData();
    while (trafo.Winding().Count() < 3)
        trafo.Winding().Add();
    QelWindings::GiveDefaultWindings(trafo);
    const TXMLSetupType setup = FGlobal.Doc().QEL().Setup();
    setup.DateFormat().SetValue(FGlobal.DateFormat);
    setup.TimeFormat().SetValue(FGlobal.TimeFormat);
    // A new test names the terminals as the operator chose last.
    setup.Standard().SetValue(FGlobal.TestStandard);
}

// ------------------------------------------------------------------ load

void TQelSetupFrame::LoadAll(bool keepTyping) {
    const bool updating = FUpdating;
    FUpdating = true;
    QStringList problems;
    TKvXML& doc = FGlobal.Doc();

    // A document without all three windings gets the missing ones; nothing else is rewritten.
    const TXMLDUTTrafoDataType trafo = doc.DUTTrafoData();
    const int windings = trafo.Winding().Count();
    for (int w = windings; w < 3; ++w) {
        const TXMLWindingType winding = trafo.Winding().Add();
        winding.NominalVoltage().SetValue(QStringLiteral("10 kV"));
        QelWindings::UpdateNominalCurrent(winding);
        QelWindings::GiveDefaultTapChanger(winding);
        if (w < 2)
            winding.SetAvail(1);
    }
    if (windings < 3)
        problems << QStringLiteral("%1 of the 3 windings").arg(3 - windings);

    LoadTexts(keepTyping);
    Windings->Load();
    bnEnableTertWinding->SetState(trafo.Winding().Item(2).Avail() == 1 ? 1 : 0);
    ApplyTertiaryEnabling();
    UpdateInstrumentData();
    const int standard = doc.QEL().Setup().Standard().Value();
    bnStandard->SetState(standard >= 0 && standard <= 2 ? standard : 0);
    LoadSettings();
    LoadConditions(keepTyping, problems);

    // The document's date and time formats are the ones its times are written in.
    const TXMLSetupType setup = doc.QEL().Setup();
    if (!setup.DateFormat().Value().isEmpty())
        FGlobal.DateFormat = setup.DateFormat().Value();
    if (!setup.TimeFormat().Value().isEmpty())
        FGlobal.TimeFormat = setup.TimeFormat().Value();
    UpdateDerived(false);
    FUpdating = updating;

    // A document without a file is the empty one the pages see before the start-up opens a test
    // ("Load Last File"): it lacks everything, and telling so would only puzzle the operator.
    if (!problems.isEmpty() && !doc.FileName().isEmpty())
        FGlobal.Tell(
            QStringLiteral("The test \"%1\" lacks or does not read: %2.\r\nThe page shows the defaults "
                           "instead; they are stored with the next change.")
                .arg(doc.FileName(), problems.join(QStringLiteral(", "))));
}

QList<std::pair<TTntAscEdit*, QString>> TQelSetupFrame::TextBindings() const {
    const TXMLDUTGeneralType dut = FGlobal.Doc().DUTGeneral();
    QList<std::pair<TTntAscEdit*, QString>> b{{edType, dut.Type().Value()},
                                              {edDescription, dut.Description().Value()},
                                              {edUser, dut.User().Value()},
                                              {edManufacturer, dut.Manufacturer().Value()},
                                              {edLocation, dut.Location().Value()},
                                              {edSerialNo, dut.SerialNo().Value()},
                                              {edInventoryNo, dut.InventoryNo().Value()},
                                              {edBuilt, dut.Built().Value()},
                                              {edOperator, dut.Operator().Value()},
                                              {edSupervisor, dut.Supervisor().Value()},
                                              {edJobNo, dut.Job().Value()}};
    for (int i = 0; i < 7; ++i) {
        b.append({edAuxTitle[i], dut.AuxTitleList().S(i)});
        b.append({edAuxText[i], dut.AuxTextList().S(i)});
    }
    return b;
}

void TQelSetupFrame::LoadTexts(bool keepTyping) {
    for (const auto& [ed, value] : TextBindings())
        if (ed->text() != value && !(keepTyping && ed->hasFocus()))
            ed->setText(value);
    const QString notes = NotesForMemo(FGlobal.Doc().DUTGeneral().Notes().Value());
    if (edNotes->toPlainText() != notes && !(keepTyping && edNotes->hasFocus()))
        edNotes->setPlainText(notes);
}

void TQelSetupFrame::ApplyTemperatureScale(int unit) {
    const TTemperatureScale scale = TemperatureScale(unit);
    edAmbientTemp->SetUnitStr(scale.Unit);
    edAmbientTemp->SetRange(scale.Min, scale.Max);
}

void TQelSetupFrame::LoadConditions(bool keepTyping, QStringList& problems) {
    const TXMLConditionType condition = FGlobal.Doc().QEL().Setup().Condition();
    const int unit = FGlobal.TemperatureUnit == 1 ? 1 : 0;
    ApplyTemperatureScale(unit);
    struct TField {
        TNumEdit* Ed;
        TXMLTextValueType Element;
        double Default;
        const char* Name;
    };
    const TField fields[] = {{edAmbientTemp, condition.AmbientTemp(), 20.0, "AmbientTemp"},
                             {edHumidity, condition.RelHumidity(), 50.0, "RelHumidity"},
                             {edPressure, condition.Pressure(), 1023.0, "Pressure"}};
    for (const TField& f : fields) {
        if (keepTyping && f.Ed->hasFocus() && f.Ed->Edited())
            continue;
        const QString text = f.Element.Value();
        double v = 0;
        QString found;
        if (text.trimmed().isEmpty()) {
            // A missing condition gets its default, in the document as well.
            f.Ed->SetValue(f.Default);
            f.Element.SetValue(StoredText(f.Ed));
            problems << QString::fromLatin1(f.Name);
            continue;
        }
        if (!ReadCondition(text, v, &found)) {
            f.Ed->SetValue(f.Default);
            problems << QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(f.Name), text);
            continue;
        }
        if (f.Ed == edAmbientTemp) {
            // A temperature without a unit is in °C, as a new test writes it.
            const bool fahrenheit =
                SameUnit(found, QStringLiteral("°F")) || SameUnit(found, QStringLiteral("F"));
            if (fahrenheit && unit == 0)
                v = RoundTo(FahrenheitToCelsius(v), 1);
            else if (!fahrenheit && unit == 1)
                v = RoundTo(CelsiusToFahrenheit(v), 1);
        }
        f.Ed->SetValue(v);
    }
}

void TQelSetupFrame::LoadSettings() {
    bnTempUnit->SetState(FGlobal.TemperatureUnit == 1 ? 1 : 0);
    bnStartup->SetState(FGlobal.StartupMode);
    sbUserInterface->SetState(FGlobal.UserInterface == 1 ? 1 : 0);
    sbUserInput->SetState(FGlobal.UserInput == 1 ? 1 : 0);
    // The state is the value: bit 1 CSV, bit 2 HTML, bit 4 PDF.
    sbDataStorage->SetState(FGlobal.DataStorage >= 0 && FGlobal.DataStorage <= dsAll ? FGlobal.DataStorage : 0);
    SelectPort(FGlobal.ComPort);
}

void TQelSetupFrame::RefreshPorts() {
    QStringList system;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        system << info.systemLocation();
    const bool updating = FUpdating;
    FUpdating = true;
    cbQELPort->SetItems(PortEntries(system, FGlobal.ComPort));
    SelectPort(FGlobal.ComPort);
    FUpdating = updating;
}

void TQelSetupFrame::SelectPort(const QString& port) {
    // By name: "/dev/ttyUSB0" or an emulator's pseudo-terminal is as good a name as "COM2".
    QStringList items = cbQELPort->Items();
    int index = int(items.indexOf(port));
    if (index < 0) {
        items.prepend(port);
        cbQELPort->SetItems(items);
        index = 0;
    }
    cbQELPort->SetItemIndex(index);
}

void TQelSetupFrame::ApplyTertiaryEnabling() {
    // The winding frames enable their own controls by the document; the page only greys the
    // TV frame's texts with them.
    const bool on = bnEnableTertWinding->State() == 1;
    TQelWindingDefFrame* tv = Windings->TVSideDef;
    tv->setEnabled(on);
    QPalette p = tv->palette();
    p.setColor(QPalette::WindowText, on ? Qt::black : Qt::gray);
    p.setColor(QPalette::Text, on ? Qt::black : Qt::gray);
    tv->setPalette(p);
}

void TQelSetupFrame::UpdateDerived(bool write) {
    TKvXML& doc = FGlobal.Doc();
    const TXMLDUTTrafoDataType trafo = doc.DUTTrafoData();
    const QString config = TrafoConfigurationText(trafo);
    lbConfiguration->setText(config);

    // The terminals of the pair the next test measures, as the data module will set it up.
    const Qel8624::TVectorGroup pair = FGlobal.PairVectorGroup();
    const std::array<QString, 3> phases =
        write ? FGlobal.WriteMeasuredTerminals(pair) : FGlobal.MeasuredTerminals(pair);
    lbPhaseA->setText(phases[0]);
    lbPhaseB->setText(phases[1]);
    lbPhaseC->setText(phases[2]);
    if (write)
        trafo.TrafoConfiguration().SetValue(config);
}

void TQelSetupFrame::UpdateInstrumentData() {
    const TQel8624& qel = FGlobal.Qel();
    switch (FGlobal.LinkCondition()) {
    case TQelGlobal::TLinkCondition::Simulated:
        lbQELLink->setText(QStringLiteral("Simulation"));
        break;
    case TQelGlobal::TLinkCondition::NotConnected:
        lbQELLink->setText(QStringLiteral("not connected"));
        break;
    case TQelGlobal::TLinkCondition::Connecting:
        lbQELLink->setText(QStringLiteral("connecting"));
        break;
    case TQelGlobal::TLinkCondition::NotAnswering:
        lbQELLink->setText(QStringLiteral("does not answer"));
        break;
    case TQelGlobal::TLinkCondition::Connected:
        lbQELLink->setText(QStringLiteral("connected"));
        break;
    }
    const auto date = [this](const QDateTime& d) {
        return d.isValid() ? d.toString(FGlobal.DateFormat) : QString();
    };
    lbQELInstrType->setText(qel.InstrumentType());
    lbQELSerialNr->setText(qel.SerialNumber());
    lbQELVersion->setText(qel.FirmwareVersion());
    lbQELCalBy->setText(qel.CalibratedBy());
    lbQELLastCal->setText(date(qel.LastCalibration()));
    lbQELNextCal->setText(date(qel.NextCalibration()));
}

bool TQelSetupFrame::XMLTabShown() const {
    return isVisible() && PageControl1->currentIndex() == tbXML;
}

void TQelSetupFrame::RefreshXML() {
    // The whole document as text costs as much as a save: only for the eyes that look at it.
    if (XMLTabShown())
        mmXML->setPlainText(FGlobal.DocumentXMLText());
}

bool TQelSetupFrame::NotesDiffer() const {
    return edNotes->toPlainText() != NotesForMemo(FGlobal.Doc().DUTGeneral().Notes().Value());
}

// ------------------------------------------------------------------ store

void TQelSetupFrame::StoreTexts() {
    const TXMLDUTGeneralType dut = FGlobal.Doc().DUTGeneral();
    dut.Type().SetValue(edType->text());
    dut.Description().SetValue(edDescription->text());
    dut.User().SetValue(edUser->text());
    dut.Manufacturer().SetValue(edManufacturer->text());
    dut.Location().SetValue(edLocation->text());
    dut.SerialNo().SetValue(edSerialNo->text());
    dut.InventoryNo().SetValue(edInventoryNo->text());
    dut.Built().SetValue(edBuilt->text());
    dut.Operator().SetValue(edOperator->text());
    dut.Supervisor().SetValue(edSupervisor->text());
    dut.Job().SetValue(edJobNo->text());
    if (NotesDiffer())
        dut.Notes().SetValue(NotesForDocument(edNotes->toPlainText()));
    for (int i = 0; i < 7; ++i) {
        dut.AuxTitleList().SetS(i, edAuxTitle[i]->text());
        dut.AuxTextList().SetS(i, edAuxText[i]->text());
    }
}

void TQelSetupFrame::StoreConditions() {
    const TXMLConditionType condition = FGlobal.Doc().QEL().Setup().Condition();
    condition.AmbientTemp().SetValue(StoredText(edAmbientTemp));
    condition.RelHumidity().SetValue(StoredText(edHumidity));
    condition.Pressure().SetValue(StoredText(edPressure));
}

void TQelSetupFrame::StoreAll() {
    TKvXML& doc = FGlobal.Doc();
    StoreTexts();
    // The winding frames have stored themselves with each change of theirs; the page adds what
    // ties them together.
    const auto windings = doc.DUTTrafoData().Winding();
    for (int w = 0; w < 3 && w < windings.Count(); ++w) {
        windings.Item(w).SetName(QelWindings::WindingName(w));
        windings.Item(w).SetAvail(w < 2 ? 1 : bnEnableTertWinding->State());
    }
    // The standard names the terminals of the phases: first.
    const TXMLSetupType setup = doc.QEL().Setup();
    setup.Standard().SetValue(bnStandard->State());
    UpdateDerived(true);
    StoreConditions();
    setup.DateFormat().SetValue(FGlobal.DateFormat);
    setup.TimeFormat().SetValue(FGlobal.TimeFormat);
}

// ------------------------------------------------------------------ handlers

void TQelSetupFrame::PageControl1Change() {
    TIniFile ini(FGlobal.ConfigFileName);
    ini.WriteInteger(SetupSection, PageIndexKey, PageControl1->currentIndex());
    ini.UpdateFile();
    if (PageControl1->currentIndex() == tbOptions)
        RefreshPorts();
    RefreshXML();
}

void TQelSetupFrame::DoChangeXMLDoc() {
    if (FUpdating)
        return;
    StoreAll();
    FGlobal.DocumentChanged();
}

void TQelSetupFrame::DoChangeSettings(QObject* sender) {
    if (FUpdating)
        return;
    // Only the setting the operator changed: one read when the page loaded must never be written
    // back over a newer one.
    if (sender == bnStartup)
        FGlobal.StartupMode = bnStartup->State();
    else if (sender == sbUserInterface)
        FGlobal.UserInterface = sbUserInterface->State();
    else if (sender == sbDataStorage)
        FGlobal.DataStorage = sbDataStorage->State();
    else if (sender == sbUserInput)
        FGlobal.UserInput = sbUserInput->State();
    FGlobal.ApplySettings();
}

void TQelSetupFrame::bnStandardClick() {
    if (FUpdating)
        return;
    FGlobal.TestStandard = bnStandard->State();
    FGlobal.ApplySettings();
    DoChangeXMLDoc();
}

void TQelSetupFrame::bnTempUnitClick() {
    if (FUpdating)
        return;
    const int unit = bnTempUnit->State() == 1 ? 1 : 0;
    const bool toFahrenheit = unit == 1 && SameUnit(edAmbientTemp->UnitStr(), QStringLiteral("°C"));
    const bool toCelsius = unit == 0 && SameUnit(edAmbientTemp->UnitStr(), QStringLiteral("°F"));
    FGlobal.TemperatureUnit = unit;
    if (toFahrenheit || toCelsius) {
        const double v = edAmbientTemp->Value();
        ApplyTemperatureScale(unit);
        edAmbientTemp->SetValue(RoundTo(toFahrenheit ? CelsiusToFahrenheit(v) : FahrenheitToCelsius(v), 1));
        StoreAll();
    }
    FGlobal.ApplySettings();
    if (toFahrenheit || toCelsius)
        FGlobal.DocumentChanged();
}

void TQelSetupFrame::bnEnableTertWindingClick() {
    if (FUpdating)
        return;
    ApplyTertiaryEnabling();
    DoChangeXMLDoc();
}

void TQelSetupFrame::cbQELPortChange() {
    if (FUpdating)
        return;
    const int index = cbQELPort->ItemIndex();
    if (index < 0 || index >= cbQELPort->Items().size())
        return;
    const QString port = cbQELPort->Items().at(index);
    FGlobal.ComPort = port;
    FGlobal.ApplySettings();
    // In simulation there is no port to open: the choice waits for the next run with an instrument.
    if (!FGlobal.SimulationMode)
        FGlobal.ChangePort(port);
}
