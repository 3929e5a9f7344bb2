// The setup page on screen (offscreen) against the document and the configuration: every field
// written at once, once, and read back from the file; the configuration texts, the temperature
// unit, the HV rules; a document that does not load completely, the port setting by name, the
// text the operator is typing, the page index.
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <functional>

#include "AscInput.h"
#include "AscInputForm.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "PanelButton.h"
#include "Qel8624Device.h"
#include "Qel8624Protocol.h"
#include "QelSetup.h"
#include "QelWindingDefs.h"
#include "SetupRig.h"
#include "StateButton.h"
#include "TSControls.h"

using namespace Qel8624;

namespace {

// Counts the messages the data module sends to every window.
struct TMessageCounter : QObject {
    int DocChanged = 0;
    int SettingsChanged = 0;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Type(UM_DOCCHANGED))
            ++DocChanged;
        else if (e->type() == QEvent::Type(UM_SETTINGSCHANGED))
            ++SettingsChanged;
        return QObject::event(e);
    }
};

// The operator types into a box on a desk and presses Enter.
void Type(TTntAscEdit* ed, const QString& text) {
    ed->selectAll();
    QTest::keyClicks(ed, text);
    QTest::keyClick(ed, Qt::Key_Return);
}

} // namespace

struct TSetupPageRig : TSetupRig {
    std::unique_ptr<TQelSetupFrame> Setup; // goes before the data module
    TMessageCounter Counter;

    bool StartPage(const QStringList& arguments = {QStringLiteral("/SIM")}) {
        if (!InstallVectorGroupTable(App.path()))
            return false;
        CreateGlobal(arguments);
        if (!Global->LoadVectorGroupTable())
            return false;
        Setup = std::make_unique<TQelSetupFrame>(*Global);
        Setup->resize(800, 480);
        Setup->show();
        if (!Global->NewDocument(File))
            return false;
        Global->RegisterWindow(&Counter);
        return QTest::qWaitForWindowExposed(Setup.get());
    }
    ~TSetupPageRig() override {
        Setup.reset();
        Global.reset();
    }
    // The test as stored, opened again after another one: what the page shows comes from the file.
    bool Reopen() {
        return Global->NewDocument(App.filePath(QStringLiteral("other.xml"))) &&
               Setup->edType->text().isEmpty() && Global->OpenDocument(File);
    }
    // The test file as text (it is written in UTF-16).
    QString FileText() const {
        const QByteArray b = FileBytes();
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(b.constData()), b.size() / 2);
    }
    TXMLDUTGeneralType DUT() { return Global->Doc().DUTGeneral(); }
    TXMLSetupType QelSetup() { return Global->Doc().QEL().Setup(); }
    QString ConfigValue(const QString& key) {
        const TIniFile ini(ConfigFile());
        return ini.ReadString(QStringLiteral("Qel8625"), key, QStringLiteral("<none>"));
    }
};

class TSetupPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TSetupPageRig> FRig;
    TSetupPageRig& Rig() { return *FRig; }
    TQelSetupFrame& Page() { return *FRig->Setup; }
    // Per edit of the operator: exactly one save and message 1389.
    // Buttons answer a touch only where the operator can see them.
    void Show(TQelSetupFrame::TTab tab) { Page().PageControl1->setCurrentIndex(tab); }
    void ExpectOneDocumentChanged(int& before) {
        QCOMPARE(Rig().Counter.DocChanged, before + 1);
        before = Rig().Counter.DocChanged;
    }

private Q_SLOTS:
    void init() {
        FRig = std::make_unique<TSetupPageRig>();
        QVERIFY(FRig->StartPage());
    }
    void cleanup() { FRig.reset(); }

    void textFieldsWrittenAtOnceAndReadBack() {
        const TXMLDUTGeneralType dut = Rig().DUT();
        const std::vector<std::pair<TTntAscEdit*, std::function<QString()>>> fields = {
            {Page().edType, [&] { return dut.Type().Value(); }},
            {Page().edDescription, [&] { return dut.Description().Value(); }},
            {Page().edUser, [&] { return dut.User().Value(); }},
            {Page().edManufacturer, [&] { return dut.Manufacturer().Value(); }},
            {Page().edLocation, [&] { return dut.Location().Value(); }},
            {Page().edSerialNo, [&] { return dut.SerialNo().Value(); }},
            {Page().edInventoryNo, [&] { return dut.InventoryNo().Value(); }},
            {Page().edBuilt, [&] { return dut.Built().Value(); }},
            {Page().edOperator, [&] { return dut.Operator().Value(); }},
            {Page().edSupervisor, [&] { return dut.Supervisor().Value(); }},
            {Page().edJobNo, [&] { return dut.Job().Value(); }},
            {Page().edAuxTitle[0], [&] { return dut.AuxTitleList().S(0); }},
            {Page().edAuxTitle[6], [&] { return dut.AuxTitleList().S(6); }},
            {Page().edAuxText[0], [&] { return dut.AuxTextList().S(0); }},
            {Page().edAuxText[6], [&] { return dut.AuxTextList().S(6); }},
        };
        int saves = Rig().Counter.DocChanged;
        for (const auto& [ed, stored] : fields) {
            const QString text = ed->objectName() + QStringLiteral(" ÄÖ 7");
            Type(ed, text);
            QVERIFY2(stored() == text, qPrintable(ed->objectName()));
            QVERIFY2(Rig().FileText().contains(text), qPrintable(ed->objectName()));
            ExpectOneDocumentChanged(saves);
        }
        QVERIFY(Rig().Reopen());
        for (const auto& [ed, stored] : fields)
            QCOMPARE(ed->text(), ed->objectName() + QStringLiteral(" ÄÖ 7"));
    }

    // Line breaks and backslashes survive the one-line form of the file.
    void notesStoredWhenLeftAndReadBack() {
        int saves = Rig().Counter.DocChanged;
        Page().edNotes->setFocus();
        QTest::keyClicks(Page().edNotes, QStringLiteral("C:\\tmp"));
        QTest::keyClick(Page().edNotes, Qt::Key_Return);
        QTest::keyClicks(Page().edNotes, QStringLiteral("second line"));
        QCOMPARE(Rig().Counter.DocChanged, saves); // typing is not yet a change
        Page().edType->setFocus();
        QTRY_COMPARE_WITH_TIMEOUT(Rig().Counter.DocChanged, saves + 1, 5000);
        QCOMPARE(Rig().DUT().Notes().Value(), QStringLiteral("C:\\\\tmp\\r\\nsecond line"));
        QVERIFY(Rig().Reopen());
        QCOMPARE(Page().edNotes->toPlainText(), QStringLiteral("C:\\tmp\nsecond line"));
    }

    void conditionsStoredWithTheirUnits() {
        int saves = Rig().Counter.DocChanged;
        // A new test's "1024 hPA" is read whatever the case of its unit.
        QCOMPARE(Page().edPressure->Value(), 1024.0);
        QCOMPARE(Page().edAmbientTemp->Value(), 20.0);
        QVERIFY(Page().edHumidity->EnterValue(61));
        ExpectOneDocumentChanged(saves);
        QVERIFY(Page().edPressure->EnterValue(990));
        ExpectOneDocumentChanged(saves);
        QVERIFY(Page().edAmbientTemp->EnterValue(-3.5));
        ExpectOneDocumentChanged(saves);
        const TXMLConditionType c = Rig().QelSetup().Condition();
        QCOMPARE(c.RelHumidity().Value(), QStringLiteral("61 % r.h."));
        QCOMPARE(c.Pressure().Value(), QStringLiteral("990 hPa"));
        QCOMPARE(c.AmbientTemp().Value(), QStringLiteral("-3.5 °C"));
        QVERIFY(Rig().Reopen());
        QCOMPARE(Page().edHumidity->Value(), 61.0);
        QCOMPARE(Page().edPressure->Value(), 990.0);
        QCOMPARE(Page().edAmbientTemp->Value(), -3.5);
    }

    // 20.0 °C is 68.0 °F and back; the range goes with the unit, so 40 °C can be typed as 104 °F.
    void temperatureUnit() {
        Show(TQelSetupFrame::tbOptions);
        int saves = Rig().Counter.DocChanged;
        Page().bnTempUnit->PerformClick();
        QCOMPARE(Page().edAmbientTemp->UnitStr(), QStringLiteral("°F"));
        QCOMPARE(Page().edAmbientTemp->Value(), 68.0);
        QCOMPARE(Rig().QelSetup().Condition().AmbientTemp().Value(), QStringLiteral("68.0 °F"));
        QCOMPARE(Rig().ConfigValue(QStringLiteral("TemperatureUnit")), QStringLiteral("1"));
        ExpectOneDocumentChanged(saves);
        QVERIFY(Page().edAmbientTemp->EnterValue(104));
        ExpectOneDocumentChanged(saves);
        Page().bnTempUnit->PerformClick();
        QCOMPARE(Page().edAmbientTemp->UnitStr(), QStringLiteral("°C"));
        QCOMPARE(Page().edAmbientTemp->Value(), 40.0);
        QCOMPARE(Rig().QelSetup().Condition().AmbientTemp().Value(), QStringLiteral("40.0 °C"));
        QCOMPARE(Rig().ConfigValue(QStringLiteral("TemperatureUnit")), QStringLiteral("0"));
        QVERIFY(!Page().edAmbientTemp->EnterValue(104)); // back in the Celsius range
        Rig().Operator.Entries.clear();
        Page().edAmbientTemp->EnterValue(20);
        Page().bnTempUnit->PerformClick();
        Page().bnTempUnit->PerformClick();
        QCOMPARE(Page().edAmbientTemp->Value(), 20.0);
    }

    // A test in °F opened while the page works in °C is shown converted, the stored text kept.
    void temperatureOfAnotherUnitShownConverted() {
        Rig().QelSetup().Condition().AmbientTemp().SetValue(QStringLiteral("68.0 °F"));
        QVERIFY(Rig().G().DocumentChanged());
        QCOMPARE(Page().edAmbientTemp->UnitStr(), QStringLiteral("°C"));
        QCOMPARE(Page().edAmbientTemp->Value(), 20.0);
        QCOMPARE(Rig().QelSetup().Condition().AmbientTemp().Value(), QStringLiteral("68.0 °F"));
    }

    void settingsWrittenWithoutTouchingTheDocument_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("after");
        QTest::newRow("startup") << "bnStartup"
                                 << "StartupMode"
                                 << "1";
        QTest::newRow("user interface") << "sbUserInterface"
                                        << "UserInterface"
                                        << "1";
        QTest::newRow("data storage") << "sbDataStorage"
                                      << "DataStorage"
                                      << "1";
        QTest::newRow("user input") << "sbUserInput"
                                    << "UserInput"
                                    << "1";
    }
    void settingsWrittenWithoutTouchingTheDocument() {
        QFETCH(QString, button);
        QFETCH(QString, key);
        QFETCH(QString, after);
        Show(TQelSetupFrame::tbOptions);
        const QByteArray file = Rig().FileBytes();
        const int saves = Rig().Counter.DocChanged;
        auto* b = Page().findChild<TCaptionButton*>(button);
        QVERIFY(b);
        if (b->Popup())
            QVERIFY(Pick(b, 1));
        else
            b->PerformClick();
        QCOMPARE(Rig().ConfigValue(key), after);
        QCOMPARE(Rig().Counter.SettingsChanged, 1);
        QCOMPARE(Rig().Counter.DocChanged, saves);
        QCOMPARE(Rig().FileBytes(), file);
    }

    // With the touch entry switch on, a text is typed on the product's own keyboard.
    void touchScreenTypesOnTheKeyboard() {
        Show(TQelSetupFrame::tbOptions);
        Page().sbUserInterface->PerformClick();
        Show(TQelSetupFrame::tbEUTInfo);
        QVERIFY(TEntrySwitches::TouchEntryWide);
        int saves = Rig().Counter.DocChanged;
        Tap(Page().edSerialNo);
        TTntAscInputForm* kb = Page().edSerialNo->Keyboard();
        QVERIFY(kb);
        QTest::keyClicks(kb->Part(QStringLiteral("edText")), QStringLiteral("SN 4711"));
        kb->Ok();
        QTRY_COMPARE_WITH_TIMEOUT(Rig().DUT().SerialNo().Value(), QStringLiteral("SN 4711"), 5000);
        ExpectOneDocumentChanged(saves);
    }

    void standardNamesTheTerminals() {
        Rig().Winding(0).Configuration().SetValue(conD);
        Rig().Winding(1).Configuration().SetValue(conYN);
        Rig().Winding(1).VectorGroup().SetValue(11);
        QVERIFY(Rig().G().DocumentChanged());
        QCOMPARE(Page().lbPhaseA->text(), QStringLiteral("1U-1V :2u-n"));
        Show(TQelSetupFrame::tbOptions);
        int saves = Rig().Counter.DocChanged;
        QVERIFY(Pick(Page().bnStandard, 1));
        ExpectOneDocumentChanged(saves);
        QCOMPARE(Rig().QelSetup().Standard().Value(), 1);
        QCOMPARE(Rig().ConfigValue(QStringLiteral("TestStandard")), QStringLiteral("1"));
        QCOMPARE(Page().lbPhaseA->text(), QStringLiteral("H1-H2 :X1-X0"));
        QCOMPARE(Rig().QelSetup().ActWindMeasPhaseA().Value(), QStringLiteral("H1-H2 :X1-X0"));
    }

    void configurationText_data() {
        QTest::addColumn<int>("hv");
        QTest::addColumn<int>("lv");
        QTest::addColumn<int>("lvClock");
        QTest::addColumn<int>("tv");
        QTest::addColumn<int>("tvClock");
        QTest::addColumn<QString>("text");
        QTest::newRow("Dyn11") << int(conD) << int(conYN) << 11 << -1 << 0 << "Dyn11";
        QTest::newRow("YNyn0d5") << int(conYN) << int(conYN) << 0 << int(conD) << 5 << "YNyn0d5";
        QTest::newRow("not set") << int(conY) << int(conD) << 255 << -1 << 0 << "Yd?";
        QTest::newRow("arbitrary") << int(conD) << int(conY) << 85 << int(conZN) << 85
                                   << "Dy Arbitrary Phaseshift zn Arbitrary Phaseshift";
        QTest::newRow("APS auto") << int(conYN) << int(conYN) << 86 << -1 << 0 << "YNyn APS Auto Trafo ";
        QTest::newRow("HV automatic") << int(conNotSet) << int(conD) << 1 << -1 << 0 << "????";
        QTest::newRow("LV automatic") << int(conD) << int(conNotSet) << 1 << -1 << 0 << "????";
    }
    // Shown after a load, and stored with the very change that makes it (never one behind).
    void configurationText() {
        QFETCH(int, hv);
        QFETCH(int, lv);
        QFETCH(int, lvClock);
        QFETCH(int, tv);
        QFETCH(int, tvClock);
        QFETCH(QString, text);
        Rig().Winding(0).Configuration().SetValue(hv);
        Rig().Winding(1).Configuration().SetValue(lv);
        Rig().Winding(1).VectorGroup().SetValue(lvClock);
        Rig().Winding(2).SetAvail(tv >= 0 ? 1 : 0);
        Rig().Winding(2).Configuration().SetValue(tv >= 0 ? tv : 0);
        Rig().Winding(2).VectorGroup().SetValue(tvClock);
        QVERIFY(Rig().G().DocumentChanged());
        QCOMPARE(Page().lbConfiguration->text(), text);
        Type(Page().edType, QStringLiteral("T"));
        QCOMPARE(Rig().G().Doc().DUTTrafoData().TrafoConfiguration().Value(), text);
    }

    void windingChangeStoresItsConfigurationInTheSameSave() {
        Rig().Winding(0).Configuration().SetValue(conD);
        Rig().Winding(1).Configuration().SetValue(conYN);
        Rig().Winding(1).VectorGroup().SetValue(11);
        QVERIFY(Rig().G().DocumentChanged());
        Show(TQelSetupFrame::tbTrafoData);
        int saves = Rig().Counter.DocChanged;
        TQelWindingDefFrame* lv = Page().Windings->LVSideDef;
        QVERIFY(Pick(lv->bnVectorGrp, int(lv->VectorGroupValues().indexOf(1))));
        ExpectOneDocumentChanged(saves);
        QVERIFY(Rig().FileText().contains(QStringLiteral("<TrafoConfiguration Value=\"Dyn1\"")));
        QCOMPARE(Page().lbConfiguration->text(), QStringLiteral("Dyn1"));
    }

    void nominalCurrentOf70kVAat400kV() {
        TQelWindingDefFrame* hv = Page().Windings->HVSideDef;
        QVERIFY(hv->edNomVoltage->EnterValue(400e3));
        QVERIFY(hv->edNomPower->EnterValue(70e3));
        QCOMPARE(hv->edNomCurrent->text().trimmed(), QStringLiteral("101.036 mA"));
        QCOMPARE(Rig().Winding(0).NominalCurrent().Value(), QStringLiteral("101.036 mA"));
    }

    void autoOnHvTakesLvAndTv() {
        Show(TQelSetupFrame::tbTrafoData);
        Page().bnEnableTertWinding->PerformClick();
        QCOMPARE(Rig().Winding(2).Avail(), 1);
        QVERIFY(Page().Windings->TVSideDef->isEnabled());
        QVERIFY(Pick(Page().Windings->HVSideDef->bnConfiguration, 7)); // "Auto  3 Ph"
        for (int w = 1; w <= 2; ++w) {
            QCOMPARE(Rig().Winding(w).Configuration().Value(), int(conNotSet));
            QCOMPARE(Rig().Winding(w).VectorGroup().Value(), int(ClockNotSet));
        }
        QCOMPARE(Page().lbConfiguration->text(), QStringLiteral("????"));
        QCOMPARE(Rig().G().Doc().DUTTrafoData().TrafoConfiguration().Value(), QStringLiteral("????"));
        Page().bnEnableTertWinding->PerformClick();
        QCOMPARE(Rig().Winding(2).Avail(), 0);
        QVERIFY(!Page().Windings->TVSideDef->isEnabled());
    }

    // Opening a test never rewrites its phase terminals; the operator's next change does.
    void loadWritesNoPhaseTerminals() {
        Rig().QelSetup().ActWindMeasPhaseA().SetValue(QStringLiteral("as measured"));
        QVERIFY(Rig().G().SaveDocument(1));
        QVERIFY(Rig().Reopen());
        QCOMPARE(Rig().QelSetup().ActWindMeasPhaseA().Value(), QStringLiteral("as measured"));
        QVERIFY(Page().lbPhaseA->text() != QStringLiteral("as measured"));
        Type(Page().edType, QStringLiteral("T"));
        QCOMPARE(Rig().QelSetup().ActWindMeasPhaseA().Value(), Page().lbPhaseA->text());
    }

    // A damaged test: what it lacks gets defaults and the operator is told; the settings and
    // the fields of the test before stay out of it.
    void incompleteDocumentLeavesSettingsAlone() {
        Type(Page().edType, QStringLiteral("previous test"));
        Rig().G().ComPort = QStringLiteral("/dev/ttyUSB0");
        Rig().G().ApplySettings();
        const QByteArray config = ReadBytes(Rig().ConfigFile());
        const QString other = Rig().App.filePath(QStringLiteral("damaged.xml"));
        QVERIFY(WriteBytes(other,
                           "<?xml version=\"1.0\"?><KovaDoc Version=\"1.1\"><DUTGeneral><Type Value=\"T2\"/>"
                           "</DUTGeneral><DUTTrafoData><Winding Name=\"HV-Winding\" Avail=\"1\"/>"
                           "</DUTTrafoData><QEL><Setup><Condition><AmbientTemp Value=\"warm\"/>"
                           "</Condition></Setup></QEL></KovaDoc>"));
        Rig().Operator.Entries.clear();
        QVERIFY(Rig().G().OpenDocument(other));
        QTRY_VERIFY_WITH_TIMEOUT(!Rig().Operator.Entries.isEmpty(), 5000);
        const QString told = Rig().Operator.Texts().join(' ');
        QVERIFY2(told.contains(QStringLiteral("2 of the 3 windings")) &&
                     told.contains(QStringLiteral("warm")),
                 qPrintable(told));
        QCOMPARE(Page().edType->text(), QStringLiteral("T2"));
        QCOMPARE(Page().edAmbientTemp->Value(), 20.0);
        QCOMPARE(Rig().G().Doc().DUTTrafoData().Winding().Count(), 3);
        QCOMPARE(Rig().G().ComPort, QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(ReadBytes(Rig().ConfigFile()), config);
        QCOMPARE(Page().cbQELPort->Caption(), QStringLiteral("/dev/ttyUSB0"));
    }

    // Chosen by name and written only when the operator chooses; in simulation nothing opens.
    void portByNameSurvivesEveryStore() {
        Rig().G().ComPort = QStringLiteral("/dev/ttyUSB0");
        Rig().G().ApplySettings();
        QVERIFY(Rig().G().DocumentChanged());
        QCOMPARE(Page().cbQELPort->Caption(), QStringLiteral("/dev/ttyUSB0"));
        Type(Page().edType, QStringLiteral("T"));
        Show(TQelSetupFrame::tbTrafoData);
        Page().bnEnableTertWinding->PerformClick();
        Show(TQelSetupFrame::tbOptions);
        Page().sbDataStorage->PerformClick();
        Page().bnTempUnit->PerformClick();
        QVERIFY(Pick(Page().bnStandard, 2));
        Page().RefreshPorts();
        QCOMPARE(Rig().G().ComPort, QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(Rig().ConfigValue(QStringLiteral("ComPort")), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(Page().cbQELPort->Caption(), QStringLiteral("/dev/ttyUSB0"));

        const int empty = int(Page().cbQELPort->Items().indexOf(QString()));
        QVERIFY(empty >= 0);
        Page().cbQELPort->SetDroppedDown(true);
        QListView* list = Page().cbQELPort->DropDown();
        QVERIFY(list);
        list->setCurrentIndex(list->model()->index(empty, 0));
        Page().cbQELPort->SetDroppedDown(false);
        QCOMPARE(Rig().ConfigValue(QStringLiteral("ComPort")), QString());
        QVERIFY(Rig().G().Qel().PortName().isEmpty()); // simulation: no port was opened
    }

    // What the operator is typing stays when another page changes the document, and reaches the
    // document when the page gives way to another.
    void typingSurvivesAReloadAndIsCommittedOnHide() {
        Page().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Page().window()));
        Page().edLocation->setFocus();
        QTRY_VERIFY(Page().edLocation->hasFocus());
        QTest::keyClicks(Page().edLocation, QStringLiteral("Substation 4"));
        QVERIFY(Rig().G().DocumentChanged()); // a result of the measurement page, say
        QCOMPARE(Page().edLocation->text(), QStringLiteral("Substation 4"));
        QVERIFY(Rig().DUT().Location().Value().isEmpty());
        Page().hide();
        QCOMPARE(Rig().DUT().Location().Value(), QStringLiteral("Substation 4"));
        QVERIFY(Rig().FileText().contains(QStringLiteral("Substation 4")));
    }

    void pageIndexKeptAndXMLViewOnlyWhileShown() {
        Page().PageControl1->setCurrentIndex(TQelSetupFrame::tbAuxiliary);
        {
            TQelSetupFrame again(Rig().G());
            QCOMPARE(again.PageControl1->currentIndex(), int(TQelSetupFrame::tbAuxiliary));
            QVERIFY(!again.PageControl1->isTabVisible(TQelSetupFrame::tbXML));
            QVERIFY(!again.PageControl1->isTabVisible(TQelSetupFrame::tbSettings));
        }
        Type(Page().edType, QStringLiteral("hidden view"));
        QVERIFY(Page().mmXML->toPlainText().isEmpty());
        Page().PageControl1->setTabVisible(TQelSetupFrame::tbXML, true); // as in debug mode
        Page().PageControl1->setCurrentIndex(TQelSetupFrame::tbXML);
        QVERIFY(Page().mmXML->toPlainText().contains(QStringLiteral("hidden view")));
    }
};

// With an instrument: the operator's port is opened and connected at once.
class TSetupPortTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void chosenPortOpensAndConnects() {
        TSetupPageRig rig;
        QVERIFY(rig.StartEmulator(300));
        const QString emulator = rig.Emulator->SlavePath();
        rig.SetConfig(QStringLiteral("ComPort"), rig.App.filePath(QStringLiteral("no-such-port")));
        QVERIFY(rig.StartPage({}));
        TQelSetupFrame& page = *rig.Setup;
        QVERIFY(rig.G().Qel().State() != LinkState::Idle);
        page.PageControl1->setCurrentIndex(TQelSetupFrame::tbOptions);
        // The pseudo-terminal stands in the list as a port of the system would.
        page.cbQELPort->SetItems(page.cbQELPort->Items() << emulator);
        page.cbQELPort->SetDroppedDown(true);
        QListView* list = page.cbQELPort->DropDown();
        QVERIFY(list);
        list->setCurrentIndex(list->model()->index(int(page.cbQELPort->Items().indexOf(emulator)), 0));
        page.cbQELPort->SetDroppedDown(false);
        QCOMPARE(rig.ConfigValue(QStringLiteral("ComPort")), emulator);
        QVERIFY(rig.WaitIdle());
        QCOMPARE(rig.G().Qel().PortName(), emulator);
        QTRY_COMPARE_WITH_TIMEOUT(page.lbQELInstrType->text(), rig.G().Qel().InstrumentType(), 10000);
        QVERIFY(!page.lbQELInstrType->text().isEmpty());
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TSetupPageTest page;
        status |= QTest::qExec(&page, argc, argv);
    }
    {
        TSetupPortTest port;
        status |= QTest::qExec(&port, argc, argv);
    }
    return status;
}
#include "tst_setuppage.moc"
