// Layout of the live display: black panels side by side, lime green bold figures.
#include "QelMeasDisplay.h"

#include "CaptionItems.h"
#include "StateButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const QColor Lime(0, 255, 0);
constexpr int ValuePixels = 32;
constexpr int HeaderHeight = 34;

QFont DisplayFont(int pixels) {
    QFont f(QStringLiteral("Arial"));
    f.setStyleHint(QFont::SansSerif);
    f.setBold(true);
    f.setPixelSize(pixels);
    return f;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text, int pixels,
                 Qt::Alignment align = Qt::AlignRight | Qt::AlignVCenter) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setFont(DisplayFont(pixels));
    l->setAlignment(align);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Lime);
    l->setPalette(p);
    return l;
}

QFrame* NewPanel(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, Qt::black);
    f->setPalette(p);
    f->setFrameShape(QFrame::Panel);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

TStateButton* NewHeader(QWidget* parent, const char* name, const QStringList& captions) {
    auto* b = new TStateButton(parent);
    b->setObjectName(QLatin1String(name));
    QStringList items;
    for (const QString& c : captions)
        items << CaptionItem::Make(c);
    b->SetCaptionItems(items);
    b->SetStateMin(0);
    b->SetStateMax(int(items.size()) - 1);
    b->SetState(0);
    // Dark captions on a light face over the black panels.
    b->SetGradientStart(Qt::white);
    b->SetGradientMid(QColor(0xC0, 0xC0, 0xC0));
    b->SetGradientEnd(QColor(0x80, 0x80, 0x80));
    b->setFont(DisplayFont(15));
    b->setFixedHeight(HeaderHeight);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// A column of the display: its header button over the three phase values.
QFrame* ValueColumn(QWidget* parent, const char* name, TStateButton* header, std::array<QLabel*, 3>& labels,
                    const std::array<const char*, 3>& names) {
    QFrame* panel = NewPanel(parent, name);
    header->setParent(panel);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(0);
    column->addWidget(header);
    for (int p = 0; p < 3; ++p) {
        labels[p] = NewLabel(panel, names[p], TQelMeasDisplayFrame::NotMeasured, ValuePixels);
        column->addWidget(labels[p], 1);
    }
    return panel;
}

} // namespace

void TQelMeasDisplayFrame::BuildLayout() {
    setFixedHeight(DisplayHeight);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);

    // Vector group, test voltage and (out of view) the test status.
    pnVectorGroup = NewPanel(this, "pnVectorGroup");
    lbVectorGroup =
        NewLabel(pnVectorGroup, "lbVectorGroup", QStringLiteral("Vector Group"), 16, Qt::AlignCenter);
    lbHVConfig = NewLabel(pnVectorGroup, "lbHVConfig", QStringLiteral("??"), ValuePixels);
    lblSep2 = NewLabel(pnVectorGroup, "lblSep2", QStringLiteral(":"), ValuePixels, Qt::AlignCenter);
    lbLVConfig = NewLabel(pnVectorGroup, "lbLVConfig", QStringLiteral("??"), ValuePixels, Qt::AlignCenter);
    lblSep1 = NewLabel(pnVectorGroup, "lblSep1", QStringLiteral(":"), ValuePixels, Qt::AlignCenter);
    lbDisplacement = NewLabel(pnVectorGroup, "lbDisplacement", QStringLiteral("??"), ValuePixels,
                              Qt::AlignLeft | Qt::AlignVCenter);
    lbArbPhaseDisp =
        NewLabel(pnVectorGroup, "lbArbPhaseDisp", QStringLiteral("??"), 18, Qt::AlignLeft | Qt::AlignVCenter);
    lbArbPhaseDisp->hide();
    Label4 = NewLabel(pnVectorGroup, "Label4", QStringLiteral("Test Voltage:"), 15,
                      Qt::AlignLeft | Qt::AlignVCenter);
    lbTestV = NewLabel(pnVectorGroup, "lbTestV", QStringLiteral("????"), 20);
    Label5 = NewLabel(pnVectorGroup, "Label5", QStringLiteral("QEL Status:"), 15,
                      Qt::AlignLeft | Qt::AlignVCenter);
    lbTestStatus = NewLabel(pnVectorGroup, "lbTestStatus", QString(), 15);
    Label5->hide();
    lbTestStatus->hide();
    auto* vg = new QVBoxLayout(pnVectorGroup);
    vg->setContentsMargins(4, 4, 4, 4);
    vg->setSpacing(2);
    vg->addWidget(lbVectorGroup);
    auto* group = new QHBoxLayout;
    group->setSpacing(0);
    group->addStretch(1);
    for (QLabel* l : {lbHVConfig, lblSep2, lbLVConfig, lblSep1, lbDisplacement, lbArbPhaseDisp})
        group->addWidget(l);
    group->addStretch(1);
    vg->addLayout(group, 1);
    auto* voltage = new QHBoxLayout;
    voltage->addWidget(Label4);
    voltage->addWidget(lbTestV, 1);
    vg->addLayout(voltage);
    auto* status = new QHBoxLayout;
    status->addWidget(Label5);
    status->addWidget(lbTestStatus, 1);
    vg->addLayout(status);

    // Phase names.
    pnPhaseLbls = NewPanel(this, "pnPhaseLbls");
    auto* names = new QVBoxLayout(pnPhaseLbls);
    names->setContentsMargins(2, 2 + HeaderHeight, 2, 2);
    names->setSpacing(0);
    const char* const phaseNames[] = {"lbPhaseA", "lbPhaseB", "lbPhaseC"};
    for (int i = 0; i < 3; ++i) {
        lbPhase[i] = NewLabel(pnPhaseLbls, phaseNames[i], QString(QLatin1Char(char('A' + i))), ValuePixels,
                              Qt::AlignCenter);
        names->addWidget(lbPhase[i], 1);
    }

    bnRatio = NewHeader(this, "bnRatio",
                        {QStringLiteral("          Voltage-Ratio"), QStringLiteral("          Turns-Ratio")});
    pnVoltageRatio = ValueColumn(this, "pnVoltageRatio", bnRatio, lbVoltRatio,
                                 {"lbVoltRatioA", "lbVoltRatioB", "lbVoltRatioC"});
    StateButton1 = NewHeader(this, "StateButton1", {QStringLiteral("Ratio Deviation")});
    pnRatioDev = ValueColumn(this, "pnRatioDev", StateButton1, lbRatioDev,
                             {"lbRatioDevA", "lbRatioDevB", "lbRatioDevC"});
    bnPhaseDeviation = NewHeader(this, "bnPhaseDeviation",
                                 {QStringLiteral("Phase Deviation"), QStringLiteral("Phase Shift")});
    pnPhaseDev = ValueColumn(this, "pnPhaseDev", bnPhaseDeviation, lbPhaseDev,
                             {"lbPhaseDevA", "lbPhaseDevB", "lbPhaseDevC"});
    StateButton4 = NewHeader(this, "StateButton4", {QStringLiteral("Current")});
    pnCurrent =
        ValueColumn(this, "pnCurrent", StateButton4, lbCurrent, {"lbCurrentA", "lbCurrentB", "lbCurrentC"});
    // The current column lies beyond the visible width: its labels are filled for the
    // measurement page, never shown.
    pnCurrent->hide();

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(pnVectorGroup, 23);
    row->addWidget(pnPhaseLbls, 5);
    row->addWidget(pnVoltageRatio, 26);
    row->addWidget(pnRatioDev, 22);
    row->addWidget(pnPhaseDev, 24);
}
