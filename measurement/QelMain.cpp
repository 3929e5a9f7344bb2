#include "QelMain.h"

#include "ExtStaticText.h"
#include "FStringGrids.h"
#include "PanelButton.h"
#include "ProgramFiles.h"
#include "Progress.h"
#include "Qel8624Device.h"
#include "QelAbouts.h"
#include "QelFileManagers.h"
#include "QelAnalysisFrames.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelMeasDisplay.h"
#include "QelManual.h"
#include "QelPageControl.h"
#include "QelSetup.h"
#include "QelStatusTexts.h"
#include "QelUpload.h"
#include "XMLKvDoc.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QLabel>
#include <QLoggingCategory>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

#include <cmath>

Q_LOGGING_CATEGORY(lcQelMain, "qel.main")

namespace {

TPanelButton* NewKey(QWidget* parent, const QString& name, const QStringList& items) {
    auto* b = new TPanelButton(parent);
    b->setObjectName(name);
    b->SetCaptionItems(items);
    b->SetWordWrap(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

const QString LinkPrefix = QStringLiteral("QEL 8624 :");

} // namespace

TQelMainForm::TQelMainForm(TQelGlobal& global, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), FGlobal(global) {
    setObjectName(QStringLiteral("QelMainForm"));
    setWindowTitle(QStringLiteral("Application Software 8625"));
    resize(800, 600);
    OpenHelpUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    BuildTitleBar();
    BuildPages();
    BuildKeys();
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(helpKey, &QShortcut::activated, this, &TQelMainForm::bnHelpClick);
    FormCreate();
}

TQelMainForm::~TQelMainForm() {
    for (QObject* w : {static_cast<QObject*>(QelAnalysisFrame1), static_cast<QObject*>(ManualFrame),
                       static_cast<QObject*>(MeasDisplayFrame), static_cast<QObject*>(SetupFrame),
                       static_cast<QObject*>(this)})
        FGlobal.UnregisterWindow(w);
}

void TQelMainForm::BuildTitleBar() {
    esTitleBar = new TExtStaticText(this);
    esTitleBar->setObjectName(QStringLiteral("esTitleBar"));
    esTitleBar->SetCaption(QStringLiteral("QEL 8624    transformer turns ratio meter"));
    esTitleBar->SetCenterText(false);
    // Both edges ramp into the middle colour, so the third colour of each face (olive, dark
    // red) shades the lower edge instead of being dropped.
    esTitleBar->SetCenterColor(true);
    esTitleBar->SetGradMode(gmVertical);
    QFont bold = esTitleBar->font();
    bold.setBold(true);
    esTitleBar->setFont(bold);
    // The document title reads from the left; the right end belongs to the banner and buttons.
    esTitleBar->SetXPos(6);
    esTitleBar->SetYPos(std::max(0, (TitleBarHeight - QFontMetrics(bold).height()) / 2));
    const TTitleColours idle = TitleColours(TestStatus::Idle);
    esTitleBar->SetGradStart(idle.Start);
    esTitleBar->SetGradMid(idle.Mid);
    esTitleBar->SetGradEnd(idle.End);
    esTitleBar->SetFontColor(idle.Text);
    esTitleBar->installEventFilter(this);
    connect(esTitleBar, &TExtStaticText::MouseDown, this, &TQelMainForm::TitleBarMouseDown);
    connect(esTitleBar, &TExtStaticText::MouseMove, this, &TQelMainForm::TitleBarMouseMove);

    esAlarms = new TExtStaticText(esTitleBar);
    esAlarms->setObjectName(QStringLiteral("esAlarms"));
    esAlarms->SetCaption(QString());
    esAlarms->SetReadOnly(true);
    esAlarms->SetCenterColor(true);
    esAlarms->SetGradMode(gmVertical);
    esAlarms->SetGradStart(Qt::red);
    esAlarms->SetGradMid(Qt::red);
    esAlarms->SetGradEnd(QColor(128, 0, 0));
    esAlarms->SetFontColor(Qt::yellow);
    esAlarms->setFont(bold);
    esAlarms->hide();

    bnHelp = NewKey(esTitleBar, QStringLiteral("bnHelp"), {CaptionItem::Make(QString(), TQelImage::picHelp)});
    bnMinimize = NewKey(esTitleBar, QStringLiteral("bnMinimize"),
                        {CaptionItem::Make(QString(), TQelImage::picMinimize)});
    bnClose = NewKey(esTitleBar, QStringLiteral("bnClose"),
                     {CaptionItem::Make(QString(), TQelImage::picCloseWindow),
                      QStringLiteral("\"Exit to Windows\""), QStringLiteral("\"Shut Down \"")});
    bnClose->SetStateMax(1);
    bnClose->SetPopup(true);
    bnClose->SetPopupButton(true);
    bnClose->SetPopupWidth(160);
    bnClose->SetPopupHeight(40);
    connect(bnHelp, &TPanelButton::Click, this, &TQelMainForm::bnHelpClick);
    connect(bnMinimize, &TPanelButton::Click, this, &TQelMainForm::bnMinimizeClick);
    connect(bnClose, &TPanelButton::Click, this, &TQelMainForm::bnCloseClick);
}

void TQelMainForm::BuildPages() {
    PageControl1 = new TQelPageControl(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto page = [this](const char* name, const QString& caption) {
        auto* tab = new QWidget;
        tab->setObjectName(QLatin1String(name));
        PageControl1->addTab(tab, caption);
        return tab;
    };
    tbSetup = page("tbSetup", QStringLiteral("SETUP"));
    tbMeasure = page("tbMeasure", QStringLiteral("MEASURE"));
    tbAnalysis = page("tbAnalysis", QStringLiteral("ANALYSIS"));

    SetupFrame = new TQelSetupFrame(FGlobal, tbSetup);
    MeasDisplayFrame = new TQelMeasDisplayFrame(FGlobal, tbMeasure);
    ManualFrame = new TQelManualFrame(FGlobal, tbMeasure);
    QelAnalysisFrame1 = new TQelAnalysisFrame(FGlobal, tbAnalysis);
    // The ANALYSIS page's Tools act on the test's own table, through the MEASURE page.
    QelAnalysisFrame1->MeasurementTools = [this](int state) {
        ManualFrame->ToolsFrom(state, *QelAnalysisFrame1->sgMeasData);
    };
    QelAnalysisFrame1->LinePrinterPresent = [this] { return ManualFrame->LinePrinterReady(); };

    StatusBar1 = new QStatusBar(tbMeasure);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    for (int width : {150, 150, 200, 150, 50}) {
        auto* panel = new QLabel(StatusBar1);
        panel->setFixedWidth(width);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(panel);
        FPanels << panel;
    }

    auto* setup = new QVBoxLayout(tbSetup);
    setup->setContentsMargins(0, 0, 0, 0);
    setup->addWidget(SetupFrame);
    auto* measure = new QVBoxLayout(tbMeasure);
    measure->setContentsMargins(0, 0, 0, 0);
    measure->setSpacing(0);
    measure->addWidget(MeasDisplayFrame);
    measure->addWidget(ManualFrame, 1);
    measure->addWidget(StatusBar1);
    auto* analysis = new QVBoxLayout(tbAnalysis);
    analysis->setContentsMargins(0, 0, 0, 0);
    analysis->addWidget(QelAnalysisFrame1);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TQelMainForm::PageControl1Change);
}

void TQelMainForm::BuildKeys() {
    pnButtons = new QWidget(this);
    pnButtons->setObjectName(QStringLiteral("pnButtons"));
    bnF1 = NewKey(pnButtons, QStringLiteral("bnF1"), {QStringLiteral("\"Start Testing all Taps\",27")});
    bnF2 = NewKey(pnButtons, QStringLiteral("bnF2"), {QStringLiteral("\"Stop           Testing \",28")});
    bnF3 = NewKey(pnButtons, QStringLiteral("bnF3"), {QStringLiteral("\"Test a        single Tap\",72")});
    bnF4 = NewKey(pnButtons, QStringLiteral("bnF4"),
                  {QStringLiteral("\"About\",58"), QStringLiteral("\"Analysis Params\",49"),
                   CaptionItem::Make(QString())});
    bnF4Analysis = NewKey(pnButtons, QStringLiteral("bnF4Analysis"),
                          {QStringLiteral("\"More Analysis\",49"), QStringLiteral("\"Analysis Params\",49"),
                           QStringLiteral("\"Analysis for Files\",120"), QStringLiteral("\"History\",120")});
    bnF4Analysis->SetPopup(true);
    bnF4Analysis->SetPopupButton(true);
    bnF4Analysis->hide();
    bnF5 = NewKey(pnButtons, QStringLiteral("bnF5"), {QStringLiteral("\"Upload      Data\",163")});
    bnF6 = NewKey(pnButtons, QStringLiteral("bnF6"), {QStringLiteral("\"File      Manager\",88")});
    connect(bnF1, &TPanelButton::Click, this, &TQelMainForm::bnF1Click);
    connect(bnF2, &TPanelButton::Click, this, &TQelMainForm::bnF2Click);
    connect(bnF3, &TPanelButton::Click, this, &TQelMainForm::bnF3Click);
    connect(bnF4, &TPanelButton::Click, this, &TQelMainForm::bnF4Click);
    connect(bnF4Analysis, &TPanelButton::Click, this, &TQelMainForm::bnF4AnalysisClick);
    connect(bnF5, &TPanelButton::Click, this, &TQelMainForm::bnF5Click);
    connect(bnF6, &TPanelButton::Click, this, &TQelMainForm::bnF6Click);
}

void TQelMainForm::SetImages(const TQelImage& images) {
    FImages = &images;
    for (TPanelButton* key : {bnF1, bnF2, bnF3, bnF4, bnF4Analysis, bnF5, bnF6})
        key->SetImageList(images.Image32x32L());
    for (TPanelButton* b : {bnHelp, bnMinimize, bnClose})
        b->SetImageList(images.Image16x16L());
    const int tabPictures[] = {TQelImage::picSetupTab, TQelImage::picMeasureTab, TQelImage::picAnalysis};
    for (int i = 0; i < 3; ++i)
        PageControl1->setTabIcon(i, QIcon(images.Image32x32L()->Picture(tabPictures[i])));
    PageControl1->setIconSize(images.Image32x32L()->Size());
    SetupFrame->SetImages(images);
    QelAnalysisFrame1->SetImages(images);
    ManualFrame->SetImages(images);
    if (FAbout)
        FAbout->SetImages(images);
}

void TQelMainForm::FormCreate() {
    for (QObject* w : {static_cast<QObject*>(this), static_cast<QObject*>(SetupFrame),
                       static_cast<QObject*>(MeasDisplayFrame), static_cast<QObject*>(ManualFrame),
                       static_cast<QObject*>(QelAnalysisFrame1)})
        FGlobal.RegisterWindow(w);
    PageControl1Change();
    LinkBannerUpdate();
    FHelpFile =
        FGlobal.AppFolder + QStringLiteral("Operating Instructions %1.html").arg(FGlobal.ConfigSection);
    TraceShippedFile("operating instructions", FHelpFile);
    // "Load Last File" opens the default document with the start-up message; making a new one
    // first would replace the very test the operator asked for with an empty one. The other modes
    // start a new default document, keeping a measured or unreadable one under its own name.
    if (FGlobal.StartupMode != 3)
        FGlobal.NewDefaultDocument();
    RenewTitle();
    StatusBar1->setVisible(FGlobal.DebugMode);
}

// ------------------------------------------------------------------ messages

bool TQelMainForm::event(QEvent* e) {
    switch (int(e->type())) {
    case UM_DOCCHANGED:
    case UM_NEWDOC:
        RenewTitle();
        break;
    case UM_LINKSTATE: {
        const auto* m = static_cast<const TQelMessage*>(e);
        OnLinkState(m->WParam, m->LParam);
        RenewTitle();
        break;
    }
    case UM_STARTUP:
        OnStartup();
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void TQelMainForm::OnLinkState(qintptr wParam, qintptr lParam) {
    const TQel8624& qel = FGlobal.Qel();
    switch (wParam) {
    case wpLinkState:
        SetStatusPanel(0, LinkPrefix + (FGlobal.LinkCondition() == TQelGlobal::TLinkCondition::NotAnswering
                                            ? QStringLiteral("No answer")
                                            : LinkStateText(qel.State())));
        SetStatusPanel(2, qel.RequestText());
        SetStatusPanel(3, qel.ReplyText());
        if (FAbout)
            FAbout->Refresh();
        LinkBannerUpdate();
        break;
    case wpTestStatus:
        AlarmUpdate();
        break;
    case wpCompleted:
        SetStatusPanel(4, CommandTypeName(int(lParam)) + ' ');
        if (lParam == int(CommandType::MEMGETINFO) && FGlobal.UploadRunning()) {
            if (!FProgress) {
                FProgress = new TfrmProgress(FGlobal.ConfigSection, this);
                FProgress->move(geometry().center() - FProgress->rect().center());
            }
            FProgress->SetPosition(5);
            FProgress->show();
            SetInputLocked(true);
        } else if (lParam == int(CommandType::MEMGETRECORD)) {
            const double entries = double(FGlobal.DirectoryEntries.size());
            if (FProgress && entries > 0)
                FProgress->SetPosition(
                    int(std::lround(double(FGlobal.UploadedRecords.size()) / entries * 100)));
        }
        break;
    case wpUploadEnded:
        // The one place where an upload ends, however it ended: the pages are given back.
        EndUploadProgress();
        if (lParam == int(TUploadEnd::Done))
            ShowUpload(false);
        break;
    default:
        break;
    }
}

// After a reading the dialog is kept for the next one; from the key with the lists of an earlier
// reading it goes when it closes.
TQelUpload* TQelMainForm::Upload() const {
    return FUpload;
}

void TQelMainForm::ShowUpload(bool fromKey) {
    TQelUpload* dlg = fromKey ? nullptr : FUpload.data();
    if (!dlg) {
        dlg = new TQelUpload(FGlobal, FFileManager, this);
        if (FImages)
            dlg->SetImages(*FImages);
        if (fromKey)
            dlg->setAttribute(Qt::WA_DeleteOnClose);
        else
            FUpload = dlg;
    }
    dlg->FillList();
    dlg->setWindowModality(Qt::WindowModal);
    dlg->open();
}

void TQelMainForm::EndUploadProgress() {
    SetInputLocked(false);
    delete FProgress;
}

// The title bar stays usable, so the operator can always leave the application.
void TQelMainForm::SetInputLocked(bool locked) {
    PageControl1->setEnabled(!locked);
    pnButtons->setEnabled(!locked);
}

void TQelMainForm::OnStartup() {
    switch (FGlobal.StartupMode) {
    case 0:
        PageControl1->setCurrentIndex(pgSetup);
        PageControl1Change();
        OpenAbout(true);
        break;
    case 2:
        break;
    case 3:
        // The last test of the file manager; without one (or a list), the default document.
        if (!FFileManager || !FFileManager->LoadLastFile())
            FGlobal.OpenDefaultDocument();
        break;
    default:
        break;
    }
    if (QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    show();
    if (FGlobal.StartupMode == 2)
        bnF6Click();
}

void TQelMainForm::RenewTitle() {
    esTitleBar->SetCaption(FGlobal.ConfigSection + QStringLiteral(" - ") +
                           ShortDocumentName(FGlobal.Doc().FileName()));
    const TTitleColours c = TitleColours(FGlobal.InstrumentState().Status);
    const TTitleColours now{esTitleBar->GradStart(), esTitleBar->GradMid(), esTitleBar->GradEnd(),
                            esTitleBar->FontColor()};
    if (c == now)
        return;
    esTitleBar->SetGradStart(c.Start);
    esTitleBar->SetGradMid(c.Mid);
    esTitleBar->SetGradEnd(c.End);
    esTitleBar->SetFontColor(c.Text);
}

void TQelMainForm::LinkBannerUpdate() {
    QString text;
    switch (FGlobal.LinkCondition()) {
    case TQelGlobal::TLinkCondition::Simulated:
        text = QStringLiteral("Simulation");
        break;
    case TQelGlobal::TLinkCondition::NotConnected:
        text = FGlobal.ConfigSection + QStringLiteral(" not connected");
        break;
    case TQelGlobal::TLinkCondition::NotAnswering:
        // Idle for the link, but nothing answers: never shown as connected.
        text = FGlobal.ConfigSection + QStringLiteral(" does not answer");
        break;
    default:
        break;
    }
    if (text.isEmpty())
        AlarmUpdate();
    else
        SetAlarmText(text);
}

void TQelMainForm::AlarmUpdate() {
    const TestStatus status = FGlobal.InstrumentState().Status;
    SetStatusPanel(1, LinkPrefix + TestStatusName(status));
    SetStatusPanel(2, FGlobal.StatusText);
    QString text = AlarmText(status);
    // Simulated results must never pass for measured ones: the banner keeps saying so.
    if (text.isEmpty() && FGlobal.SimulationMode)
        text = QStringLiteral("Simulation");
    SetAlarmText(text);
}

void TQelMainForm::SetAlarmText(const QString& text) {
    esAlarms->SetCaption(text);
    esAlarms->setVisible(!text.isEmpty());
}

QString TQelMainForm::StatusPanel(int index) const {
    return index >= 0 && index < FPanels.size() ? FPanels.at(index)->text() : QString();
}

void TQelMainForm::SetStatusPanel(int index, const QString& text) {
    if (index >= 0 && index < FPanels.size())
        FPanels.at(index)->setText(text);
}
