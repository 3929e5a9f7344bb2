// The setup page's tabs and controls.
#include "QelSetup.h"

#include "AscInput.h"
#include "AscInputForm.h"
#include "CaptionItems.h"
#include "LangManager.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "PanelButton.h"
#include "QelImage.h"
#include "QelTrafoWindings.h"
#include "StateButton.h"
#include "TSControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QStringList Items(const QStringList& captions) {
    QStringList items;
    for (const QString& c : captions)
        items << CaptionItem::Make(c);
    return items;
}

template <class TButton>
TButton* NewSelector(const QString& name, const QStringList& captions, QWidget* parent) {
    auto* b = new TButton(parent);
    b->setObjectName(name);
    b->SetCaptionItems(Items(captions));
    b->SetStateMax(int(captions.size()) - 1);
    b->setMinimumHeight(40);
    b->setMinimumWidth(180);
    return b;
}

TNumEdit* NewCondition(const QString& name, const QString& label, const QString& unit, int decimals,
                       double min, double max, QWidget* parent) {
    auto* ed = new TNumEdit(parent);
    ed->setObjectName(name);
    ed->SetLabelStr(label);
    ed->SetUnitStr(unit);
    ed->SetNumLen(8);
    ed->SetFracLen(decimals);
    ed->SetFixedLen(true);
    ed->SetSIFactor(1.0);
    ed->SetRange(min, max);
    ed->setAlignment(Qt::AlignRight);
    ed->setMinimumWidth(160);
    return ed;
}

QLabel* NewValueLabel(const QString& name, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // What it shows comes from the document or the instrument, never from a language file.
    SetLangTag(l, LangTagNever);
    return l;
}

} // namespace

TTntAscEdit* TQelSetupFrame::NewText(const QString& name) {
    auto* ed = new TTntAscEdit(this);
    ed->setObjectName(name);
    // The lists of earlier entries keep the section the page's fields have always used.
    ed->SetSectionName(QStringLiteral("QelSetupFrame.") + name);
    return ed;
}

void TQelSetupFrame::Build() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { height: 44px; padding: 0 12px; }"));
    PageControl1->addTab(BuildDUTInfo(), QStringLiteral("&DUT Info"));
    PageControl1->addTab(BuildTrafoData(), QStringLiteral("&Trafo Data"));
    PageControl1->addTab(BuildConditions(), QStringLiteral("&Conditions"));
    auto* settings = new QWidget;
    settings->setObjectName(QStringLiteral("tbSettings"));
    PageControl1->addTab(settings, QStringLiteral("S&ettings"));
    PageControl1->addTab(BuildOptions(), QStringLiteral("&Options"));
    PageControl1->addTab(BuildAuxiliary(), QStringLiteral("Au&xiliary"));
    mmXML = new QPlainTextEdit;
    mmXML->setObjectName(QStringLiteral("mmXML"));
    mmXML->setReadOnly(true);
    mmXML->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* xml = new QWidget;
    xml->setObjectName(QStringLiteral("tbXML"));
    auto* xmlLayout = new QVBoxLayout(xml);
    xmlLayout->addWidget(mmXML);
    PageControl1->addTab(xml, QStringLiteral("XML"));
    PageControl1->setTabVisible(tbSettings, false);
    PageControl1->setTabVisible(tbXML, false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PageControl1);
}

QWidget* TQelSetupFrame::BuildDUTInfo() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tbEUTInfo"));

    auto* dut = new QGroupBox(QStringLiteral("Device Under Test (DUT) Information "), page);
    edType = NewText(QStringLiteral("edType"));
    edDescription = NewText(QStringLiteral("edDescription"));
    edUser = NewText(QStringLiteral("edUser"));
    edManufacturer = NewText(QStringLiteral("edManufacturer"));
    edLocation = NewText(QStringLiteral("edLocation"));
    edSerialNo = NewText(QStringLiteral("edSerialNo"));
    edInventoryNo = NewText(QStringLiteral("edInventoryNo"));
    edBuilt = NewText(QStringLiteral("edBuilt"));
    auto* dutGrid = new QGridLayout(dut);
    const std::pair<const char*, TTntAscEdit*> dutFields[] = {{"Type", edType},
                                                              {"Description", edDescription},
                                                              {"User", edUser},
                                                              {"Manufacturer", edManufacturer},
                                                              {"Location", edLocation},
                                                              {"Serial No.", edSerialNo},
                                                              {"Inventory No.", edInventoryNo},
                                                              {"Built", edBuilt}};
    int i = 0;
    for (const auto& [caption, ed] : dutFields) {
        const int row = i % 4, col = (i / 4) * 2;
        dutGrid->addWidget(new QLabel(QString::fromUtf8(caption), dut), row, col);
        dutGrid->addWidget(ed, row, col + 1);
        ++i;
    }
    dutGrid->setColumnStretch(1, 1);
    dutGrid->setColumnStretch(3, 1);

    auto* test = new QGroupBox(QStringLiteral(" Test Information "), page);
    edOperator = NewText(QStringLiteral("edOperator"));
    edSupervisor = NewText(QStringLiteral("edSupervisor"));
    edJobNo = NewText(QStringLiteral("edJobNo"));
    auto* testGrid = new QGridLayout(test);
    testGrid->addWidget(new QLabel(QStringLiteral("Operator"), test), 0, 0);
    testGrid->addWidget(edOperator, 0, 1);
    testGrid->addWidget(new QLabel(QStringLiteral("Supervisor"), test), 0, 2);
    testGrid->addWidget(edSupervisor, 0, 3);
    testGrid->addWidget(new QLabel(QStringLiteral("Job #"), test), 1, 0);
    testGrid->addWidget(edJobNo, 1, 1);
    testGrid->setColumnStretch(1, 1);
    testGrid->setColumnStretch(3, 1);

    auto* notes = new QGroupBox(QStringLiteral(" Notes "), page);
    edNotes = new TTntAscMemo(notes);
    edNotes->setObjectName(QStringLiteral("edNotes"));
    auto* notesLayout = new QVBoxLayout(notes);
    notesLayout->addWidget(edNotes);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(dut);
    layout->addWidget(test);
    layout->addWidget(notes, 1);
    return page;
}

QWidget* TQelSetupFrame::BuildTrafoData() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    Windings = new TQelTrafoWindingsFrame(FGlobal, page);

    bnEnableTertWinding = new TPanelButton(page);
    bnEnableTertWinding->setObjectName(QStringLiteral("bnEnableTertWinding"));
    bnEnableTertWinding->SetCaptionItems(
        {CaptionItem::Make(QStringLiteral("TV off"), TQelImage::picTertiaryOff),
         CaptionItem::Make(QStringLiteral("TV on"), TQelImage::picTertiaryOn)});
    bnEnableTertWinding->SetStateMax(1);
    bnEnableTertWinding->setMinimumSize(120, 44);

    lbConfiguration = NewValueLabel(QStringLiteral("lbConfiguration"), page);
    QFont big = lbConfiguration->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    lbConfiguration->setFont(big);
    lbPhaseA = NewValueLabel(QStringLiteral("lbPhaseA"), page);
    lbPhaseB = NewValueLabel(QStringLiteral("lbPhaseB"), page);
    lbPhaseC = NewValueLabel(QStringLiteral("lbPhaseC"), page);

    auto* info = new QGridLayout;
    info->addWidget(new QLabel(QStringLiteral("Config:"), page), 0, 0);
    info->addWidget(lbConfiguration, 0, 1);
    info->addWidget(new QLabel(QStringLiteral("Phase A:"), page), 0, 2);
    info->addWidget(lbPhaseA, 0, 3);
    info->addWidget(new QLabel(QStringLiteral("Phase B:"), page), 1, 2);
    info->addWidget(lbPhaseB, 1, 3);
    info->addWidget(new QLabel(QStringLiteral("Phase C:"), page), 2, 2);
    info->addWidget(lbPhaseC, 2, 3);
    info->addWidget(new QLabel(QStringLiteral("All Voltages are related to Phase - Phase"), page), 1, 0, 2,
                    2);
    info->setColumnStretch(1, 1);
    info->setColumnStretch(3, 2);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(bnEnableTertWinding, 0, Qt::AlignTop);
    bottom->addLayout(info, 1);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Windings, 1);
    layout->addLayout(bottom);
    return page;
}

QWidget* TQelSetupFrame::BuildConditions() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tbCondition"));
    auto* ambient = new QGroupBox(QStringLiteral(" Ambient "), page);
    edAmbientTemp = NewCondition(QStringLiteral("edAmbientTemp"), QStringLiteral("Temperature"),
                                 QStringLiteral("°C"), 1, -15, 100, ambient);
    edHumidity = NewCondition(QStringLiteral("edHumidity"), QStringLiteral("Humidity"),
                              QStringLiteral("% r.h."), 0, 0, 100, ambient);
    edPressure = NewCondition(QStringLiteral("edPressure"), QStringLiteral("Pressure"), QStringLiteral("hPa"),
                              0, 0, 3000, ambient);
    auto* grid = new QGridLayout(ambient);
    grid->addWidget(new QLabel(QStringLiteral("Temperature"), ambient), 0, 0);
    grid->addWidget(edAmbientTemp, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Humidity"), ambient), 1, 0);
    grid->addWidget(edHumidity, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Pressure"), ambient), 2, 0);
    grid->addWidget(edPressure, 2, 1);
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(ambient);
    layout->addStretch(1);
    return page;
}

QWidget* TQelSetupFrame::BuildOptions() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tbOptions"));
    // The language entry stands first; the choice of languages joins it here.
    bnLanguage = NewSelector<TPanelButton>(QStringLiteral("bnLanguage"), {QStringLiteral("English")}, page);
    // Each language under its own name, in every language.
    SetLangTag(bnLanguage, LangTagNever);
    bnTempUnit =
        NewSelector<TPanelButton>(QStringLiteral("bnTempUnit"),
                                  {QStringLiteral("Celsius      °C"), QStringLiteral("Fahrenheit °F")}, page);
    bnStartup = NewSelector<TPanelButton>(QStringLiteral("bnStartup"),
                                          {QStringLiteral("Select Startup"), QStringLiteral("Quick Startup"),
                                           QStringLiteral("FileManager"), QStringLiteral("Load Last File")},
                                          page);
    bnStartup->SetPopup(true);
    bnStartup->SetPopupElements(1);
    bnStandard = NewSelector<TPanelButton>(
        QStringLiteral("bnStandard"),
        {QStringLiteral("IEC / VDE"), QStringLiteral("ANSI / IEEE "), QStringLiteral("AUSTRALIAN")}, page);
    bnStandard->SetPopup(true);
    bnStandard->SetPopupElements(1);
    sbUserInterface = NewSelector<TStateButton>(
        QStringLiteral("sbUserInterface"), {QStringLiteral("Standard"), QStringLiteral("Touchscreen")}, page);
    sbDataStorage = NewSelector<TStateButton>(QStringLiteral("sbDataStorage"),
                                              {QStringLiteral("XML"), QStringLiteral("XML, CSV"),
                                               QStringLiteral("XML, HTML"), QStringLiteral("XML, HTML, CSV"),
                                               QStringLiteral("XML, PDF"), QStringLiteral("XML, CSV, PDF"),
                                               QStringLiteral("XML, HTML, PDF"),
                                               QStringLiteral("XML, HTML, CSV, PDF")},
                                              page);
    sbUserInput = NewSelector<TStateButton>(
        QStringLiteral("sbUserInput"), {QStringLiteral("No Input Lists"), QStringLiteral("Use Input Lists")},
        page);

    auto* options = new QGridLayout;
    const std::pair<const char*, QWidget*> rows[] = {
        {"Language", bnLanguage},        {"Temperature unit", bnTempUnit},    {"Startup Mode", bnStartup},
        {"Terms according", bnStandard}, {"User Interface", sbUserInterface}, {"Data Storage", sbDataStorage},
        {"User Input", sbUserInput}};
    int r = 0;
    for (const auto& [caption, w] : rows) {
        options->addWidget(new QLabel(QString::fromUtf8(caption), page), r, 0);
        options->addWidget(w, r++, 1);
    }
    options->setRowStretch(r, 1);

    auto* device = new QGroupBox(QStringLiteral("QEL 8624 Device "), page);
    cbQELPort = new TTSComboBox(device);
    cbQELPort->setObjectName(QStringLiteral("cbQELPort"));
    SetLangTag(cbQELPort, LangTagNever); // the ports of this machine
    cbQELPort->SetDropDownList(true);
    lbQELLink = NewValueLabel(QStringLiteral("lbQELLink"), device);
    lbQELInstrType = NewValueLabel(QStringLiteral("lbQELInstrType"), device);
    lbQELSerialNr = NewValueLabel(QStringLiteral("lbQELSerialNr"), device);
    lbQELVersion = NewValueLabel(QStringLiteral("lbQELVersion"), device);
    lbQELCalBy = NewValueLabel(QStringLiteral("lbQELCalBy"), device);
    lbQELLastCal = NewValueLabel(QStringLiteral("lbQELLastCal"), device);
    lbQELNextCal = NewValueLabel(QStringLiteral("lbQELNextCal"), device);
    auto* deviceGrid = new QGridLayout(device);
    const std::pair<const char*, QWidget*> deviceRows[] = {{"Port", cbQELPort},
                                                           {"Link", lbQELLink},
                                                           {"Instrument", lbQELInstrType},
                                                           {"Serial No.", lbQELSerialNr},
                                                           {"Firmware", lbQELVersion},
                                                           {"Calibrated by", lbQELCalBy},
                                                           {"Last calibration", lbQELLastCal},
                                                           {"Next calibration", lbQELNextCal}};
    r = 0;
    for (const auto& [caption, w] : deviceRows) {
        deviceGrid->addWidget(new QLabel(QString::fromUtf8(caption), device), r, 0);
        deviceGrid->addWidget(w, r++, 1);
    }
    deviceGrid->setColumnStretch(1, 1);
    deviceGrid->setRowStretch(r, 1);

    auto* layout = new QHBoxLayout(page);
    layout->addLayout(options, 1);
    layout->addWidget(device, 1);
    return page;
}

QWidget* TQelSetupFrame::BuildAuxiliary() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("tbAuxiliary"));
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel(QStringLiteral("Title"), page), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Text"), page), 0, 1);
    for (int i = 0; i < 7; ++i) {
        edAuxTitle[i] = NewText(QStringLiteral("edAuxTitle%1").arg(i + 1));
        edAuxText[i] = NewText(QStringLiteral("edAuxText%1").arg(i + 1));
        grid->addWidget(edAuxTitle[i], i + 1, 0);
        grid->addWidget(edAuxText[i], i + 1, 1);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 2);
    grid->setRowStretch(8, 1);
    return page;
}
