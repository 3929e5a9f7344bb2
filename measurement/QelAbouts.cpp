#include "QelAbouts.h"

#include "LangManager.h"
#include "PanelButton.h"
#include "Qel8624Device.h"
#include "QelGlobals.h"
#include "QelImage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>

namespace {

const QString NoValue = QStringLiteral("- -");

QString ShortDate(const QDateTime& when) {
    return when.isValid() ? QLocale::system().toString(when.date(), QLocale::ShortFormat) : NoValue;
}

TPanelButton* NewButton(const QString& item, QWidget* parent) {
    auto* b = new TPanelButton(parent);
    b->SetCaptionItems({item});
    b->SetWordWrap(true);
    b->setMinimumSize(150, 48);
    return b;
}

// Upgrades are offered up to these firmware versions of the two instrument variants.
constexpr int LastOldFirmware100V = 20599;
constexpr int LastOldFirmware250V = 11499;

} // namespace

TQelAbout::TQelAbout(TQelGlobal& global, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), FGlobal(global) {
    setObjectName(QStringLiteral("QelAbout"));
    setWindowTitle(QStringLiteral("QEL About"));
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#QelAbout { border: 2px solid #404040; }"));

    auto value = [this](const QString& name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        SetLangTag(l, LangTagNever); // versions, dates and the link: facts of this run
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        return l;
    };
    lbSWVersion = value(QStringLiteral("lbSWVersion"));
    lbFileDate = value(QStringLiteral("lbFileDate"));
    lbFirmware = value(QStringLiteral("lbFirmware"));
    lbSerialNo = value(QStringLiteral("lbSerialNo"));
    lbCalibrationDate = value(QStringLiteral("lbCalibrationDate"));
    lbStatusInfo = value(QStringLiteral("lbStatusInfo"));
    lbStatusInfo->setText(QStringLiteral("Initialize System .. "));
    lbFirmwareInformation = new QLabel(QStringLiteral("Firmware Upgrade Available On Server"), this);
    lbFirmwareInformation->setStyleSheet(QStringLiteral("color: #000080;"));
    lbFirmwareInformation->hide();
    Label6 = new QLabel(
        QStringLiteral("Application Software 8625 for the QEL 8624 transformer turns ratio meter"), this);
    Label6->setWordWrap(true);

    bnOK = NewButton(QStringLiteral("\"OK\",1"), this);
    bnQuickStart = NewButton(QStringLiteral("\"Quick Measurement\",27"), this);
    bnFileManager = NewButton(QStringLiteral("\"File Manager\",88"), this);
    bnHelp = NewButton(QStringLiteral("\"Help\",2"), this);

    auto* title = new QLabel(QStringLiteral("QEL About"), this);
    QFont tf = title->font();
    tf.setBold(true);
    tf.setPointSizeF(tf.pointSizeF() * 1.5);
    title->setFont(tf);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Software Version"), this), 0, 0);
    grid->addWidget(lbSWVersion, 0, 1);
    grid->addWidget(lbFileDate, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Firmware"), this), 1, 0);
    grid->addWidget(lbFirmware, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Instrument Serial No."), this), 2, 0);
    grid->addWidget(lbSerialNo, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Last calibration"), this), 3, 0);
    grid->addWidget(lbCalibrationDate, 3, 1);
    grid->setColumnStretch(2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bnQuickStart);
    buttons->addWidget(bnFileManager);
    buttons->addWidget(bnHelp);
    buttons->addStretch(1);
    buttons->addWidget(bnOK);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(title);
    layout->addLayout(grid);
    layout->addWidget(lbStatusInfo);
    layout->addWidget(lbFirmwareInformation);
    layout->addWidget(Label6);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(560, 320);

    connect(bnOK, &TPanelButton::Click, this, &QDialog::accept);
    connect(bnQuickStart, &TPanelButton::Click, this, &QDialog::accept);
    connect(bnFileManager, &TPanelButton::Click, this, [this] { done(FileManagerResult); });
    connect(bnHelp, &TPanelButton::Click, this, &TQelAbout::HelpRequested);
    SetForm(afAbout);
}

void TQelAbout::SetImages(const TQelImage& images) {
    for (TPanelButton* b : {bnOK, bnQuickStart, bnFileManager, bnHelp})
        b->SetImageList(images.Image32x32L());
}

void TQelAbout::SetForm(TForm form) {
    FForm = form;
    const bool startup = form == afStartup;
    // At start-up the box offers the operator's first choice; the operating instructions belong
    // to the box the operator asks for later.
    bnQuickStart->setVisible(startup);
    bnFileManager->setVisible(startup);
    bnHelp->setVisible(!startup);
    Refresh();
}

void TQelAbout::SetStatusLine(const QString& text, const QColor& colour) {
    lbStatusInfo->setText(text);
    QPalette p = lbStatusInfo->palette();
    p.setColor(QPalette::WindowText, colour);
    lbStatusInfo->setPalette(p);
}

void TQelAbout::Refresh() {
    lbSWVersion->setText(QStringLiteral(QEL_VERSION_TEXT));
    lbFileDate->setText(ShortDate(QFileInfo(QCoreApplication::applicationFilePath()).lastModified()));

    const TQel8624& qel = FGlobal.Qel();
    // Busy is a connected instrument executing a request: the box must not claim otherwise
    // while a test or an upload runs. An instrument that stopped answering is not connected.
    const TQelGlobal::TLinkCondition link = FGlobal.LinkCondition();
    const bool linked = link == TQelGlobal::TLinkCondition::Connecting ||
                        link == TQelGlobal::TLinkCondition::Connected ||
                        link == TQelGlobal::TLinkCondition::NotAnswering;
    if (linked) {
        lbFirmware->setText(qel.FirmwareVersion());
        lbSerialNo->setText(qel.SerialNumber());
        lbCalibrationDate->setText(ShortDate(qel.LastCalibration()));
        if (link == TQelGlobal::TLinkCondition::NotAnswering) {
            SetStatusLine(FGlobal.ConfigSection + QStringLiteral(" does not answer, please check the cable."),
                          Qt::red);
            lbFirmwareInformation->hide();
        } else if (link == TQelGlobal::TLinkCondition::Connecting) {
            SetStatusLine(FGlobal.ConfigSection + QStringLiteral(" connecting ..."), QColor(0, 0, 128));
            lbFirmwareInformation->hide();
        } else {
            SetStatusLine(FGlobal.ConfigSection + QStringLiteral(" connected"), QColor(0, 0, 128));
            const int last = qel.VariantFlag() ? LastOldFirmware100V : LastOldFirmware250V;
            lbFirmwareInformation->setVisible(FGlobal.FirmwareVersionNumber() <= last);
        }
        return;
    }
    lbFirmware->setText(NoValue);
    lbSerialNo->setText(NoValue);
    lbCalibrationDate->setText(NoValue);
    lbFirmwareInformation->hide();
    SetStatusLine(FGlobal.ConfigSection + (FGlobal.SimulationMode
                                               ? QStringLiteral(" simulated")
                                               : QStringLiteral(" not connected, please check ComPort.")),
                  Qt::red);
}
