// Layout of the measurement page: selectors and tap panels, the status line and the results grid.
#include "QelManual.h"

#include "FStringGrids.h"
#include "Gradient.h"
#include "PanelButton.h"
#include "QelImage.h"
#include "StateButton.h"
#include "TSControls.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QVBoxLayout>

#include <utility>

namespace {

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text = QString()) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// Clicks on a tap panel's parts act as a click on the panel.
class TPanelClicks : public QObject {
public:
    TPanelClicks(QObject* parent, std::function<void()> click) : QObject(parent), FClick(std::move(click)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton)
            FClick();
        return QObject::eventFilter(watched, e);
    }

private:
    std::function<void()> FClick;
};

} // namespace

void TQelManualFrame::BuildLayout() {
    Label4 = NewLabel(this, "Label4", QStringLiteral("Test Voltage"));
    cbTestVoltage = new TTSComboBox(this);
    cbTestVoltage->setObjectName(QStringLiteral("cbTestVoltage"));
    cbTestVoltage->SetDropDownList(true);
    cbTestVoltage->setMinimumWidth(110);
    connect(cbTestVoltage, &TTSComboBox::Change, this, &TQelManualFrame::cbTestVoltageChange);

    static const char* const names[] = {"HV", "LV", "TV"};
    auto* tapRow = new QHBoxLayout;
    auto* voltage = new QVBoxLayout;
    voltage->addWidget(Label4);
    voltage->addWidget(cbTestVoltage);
    voltage->addStretch(1);
    tapRow->addLayout(voltage);
    for (int w = 0; w < 3; ++w) {
        TTapPanel& t = Taps[size_t(w)];
        const QString n = QLatin1String(names[w]);
        t.Panel = new QFrame(this);
        t.Panel->setObjectName(QStringLiteral("pn%1Tap").arg(n));
        t.Panel->setFrameShape(QFrame::Panel);
        t.Gradient = new TGradient(t.Panel);
        t.Gradient->setObjectName(QStringLiteral("gr%1Tap").arg(n));
        t.Gradient->SetGradMode(gmVertical);
        t.Title = new QLabel(n + QStringLiteral(" Tap"), t.Gradient);
        t.Title->setObjectName(QStringLiteral("lb%1Tap").arg(n));
        QFont bold = t.Title->font();
        bold.setBold(true);
        t.Title->setFont(bold);
        t.Voltage = new QLabel(t.Gradient);
        t.Voltage->setObjectName(QStringLiteral("lb%1Voltage").arg(n));
        t.Voltage->setFont(bold);
        t.Name = new QLabel(t.Gradient);
        t.Name->setObjectName(QStringLiteral("lb%1Name").arg(n));
        t.Selector = new TTSComboBox(t.Gradient);
        t.Selector->setObjectName(QStringLiteral("cb%1Tap").arg(n));
        t.Selector->SetDropDownList(true);
        connect(t.Selector, &TTSComboBox::Change, this, [this, w] { TapSelectorChange(w); });
        auto* clicks = new TPanelClicks(t.Panel, [this, w] { TapPanelClick(w); });
        for (QWidget* part : {static_cast<QWidget*>(t.Panel), static_cast<QWidget*>(t.Gradient),
                              static_cast<QWidget*>(t.Title), static_cast<QWidget*>(t.Voltage),
                              static_cast<QWidget*>(t.Name)})
            part->installEventFilter(clicks);
        auto* inner = new QGridLayout(t.Gradient);
        inner->setContentsMargins(6, 4, 6, 4);
        inner->addWidget(t.Title, 0, 0);
        inner->addWidget(t.Voltage, 0, 1, Qt::AlignRight);
        inner->addWidget(t.Selector, 1, 0, 1, 2);
        inner->addWidget(t.Name, 2, 0, 1, 2);
        auto* outer = new QVBoxLayout(t.Panel);
        outer->setContentsMargins(1, 1, 1, 1);
        outer->addWidget(t.Gradient);
        tapRow->addWidget(t.Panel, 1);
    }

    auto* info = new QGridLayout;
    const auto pair = [&](int row, const char* name, const QString& caption, QLabel*& value,
                          const char* valueName) {
        info->addWidget(NewLabel(this, name, caption), row, 0);
        value = NewLabel(this, valueName);
        info->addWidget(value, row, 1);
    };
    pair(0, "Label7", QStringLiteral("Voltage Ratio:"), lbVoltRatio, "lbVoltRatio");
    pair(1, "Label8", QStringLiteral("Configuration:"), lbConfiguration, "lbConfiguration");
    pair(2, "Label1", QStringLiteral("Phase A:"), lbPhaseA, "lbPhaseA");
    pair(3, "Label3", QStringLiteral("Phase B:"), lbPhaseB, "lbPhaseB");
    pair(4, "Label11", QStringLiteral("Phase C:"), lbPhaseC, "lbPhaseC");
    tapRow->addLayout(info, 1);

    KvProgressBar1 = new QProgressBar(this);
    KvProgressBar1->setObjectName(QStringLiteral("KvProgressBar1"));
    KvProgressBar1->setRange(0, 100);
    KvProgressBar1->setValue(0);
    KvProgressBar1->setTextVisible(true);
    KvProgressBar1->setFormat(QString());
    lbTime = NewLabel(this, "lbTime");
    lbTime->setMinimumWidth(40);
    auto* Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAutoFillBackground(true);
    QPalette black = Panel1->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    Panel1->setPalette(black);
    lbTestStatus = NewLabel(Panel1, "lbTestStatus");
    lbTestStatus->setPalette(black);
    lbTestStatus->setAlignment(Qt::AlignCenter);
    auto* statusLayout = new QHBoxLayout(Panel1);
    statusLayout->setContentsMargins(4, 2, 4, 2);
    statusLayout->addWidget(lbTestStatus);

    StateButton1 = new TStateButton(this);
    StateButton1->setObjectName(QStringLiteral("StateButton1"));
    StateButton1->SetCaptionItems({CaptionItem::Make(QStringLiteral("New Meas. Serie"))});
    StateButton1->setMinimumSize(130, 36);
    connect(StateButton1, &TStateButton::Click, this, &TQelManualFrame::NewMeasurement1Click);
    bnTools = new TPanelButton(this);
    bnTools->setObjectName(QStringLiteral("bnTools"));
    bnTools->SetPopup(true);
    bnTools->SetPopupButton(true);
    bnTools->SetPopupWidth(170);
    bnTools->SetPopupHeight(40);
    bnTools->setMinimumSize(100, 36);
    connect(bnTools, &TPanelButton::Click, this, &TQelManualFrame::bnToolsClick);

    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(KvProgressBar1, 1);
    statusRow->addWidget(lbTime);
    statusRow->addWidget(Panel1, 2);
    statusRow->addWidget(StateButton1);
    statusRow->addWidget(bnTools);

    sgMeasData = new TTntFStringGrid(this);
    sgMeasData->setObjectName(QStringLiteral("sgMeasData"));
    sgMeasData->SetOnHasFilter([](int col, TSGSelection& f, bool& sorted) {
        f = col < 3 ? fsMulti : fsNone;
        sorted = false;
    });
    sgMeasData->SetOnGetAlignment([](int, int) { return taCenter; });
    PopupMenu1 = new QMenu(sgMeasData);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const std::pair<QString, void (TQelManualFrame::*)()> entries[] = {
        {QStringLiteral("New Meas. Serie"), &TQelManualFrame::NewMeasurement1Click},
        {QStringLiteral("Delete Row(s)"), &TQelManualFrame::DeleteRows1Click},
        {QStringLiteral("Delete All Rows"), &TQelManualFrame::mnDeleteAllRowsClick},
        {QStringLiteral("Test Conditions"), &TQelManualFrame::ShowInfo1Click}};
    for (const auto& [text, handler] : entries)
        connect(PopupMenu1->addAction(text), &QAction::triggered, this, handler);
    FPrintAction = PopupMenu1->addAction(QStringLiteral("Print Rows(s)"));
    connect(FPrintAction, &QAction::triggered, this, &TQelManualFrame::mnPrintRowsClick);
    sgMeasData->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(sgMeasData, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(sgMeasData->mapToGlobal(at)); });

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->setSpacing(4);
    page->addLayout(tapRow);
    page->addLayout(statusRow);
    page->addWidget(sgMeasData, 1);
}

void TQelManualFrame::SetImages(const TQelImage& images) {
    bnTools->SetImageList(images.Image16x16L());
    StateButton1->SetImageList(images.Image16x16L());
}
