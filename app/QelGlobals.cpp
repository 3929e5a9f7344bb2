#include "QelGlobals.h"

#include "ProgramFiles.h"
#include "Qel8624Device.h"
#include "XMLKvDoc.h"

#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTimer>

TQelGlobal::TQelGlobal(const TQelStartup& startup, QObject* parent)
    : QObject(parent), FOperator(startup.Operator), FTimings(startup.Link) {
    FQel = std::make_unique<TQel8624>(FOperator);
    FQel->SetTransportDeadlines(FTimings.Transport);
    FQel->SetGuardTimeOutMs(FTimings.GuardMs);
    FDoc = std::make_unique<TKvXML>(nullptr, FOperator);
    FReconnectTimer = new QTimer(this);
    FReconnectTimer->setSingleShot(true);
    FReconnectTimer->setInterval(FTimings.ReconnectMs);
    connect(FReconnectTimer, &QTimer::timeout, this, &TQelGlobal::Reconnect);
    FUploadStall = new QTimer(this);
    FUploadStall->setSingleShot(true);
    FUploadStall->setInterval(FTimings.UploadStallMs);
    connect(FUploadStall, &QTimer::timeout, this, [this] {
        if (FUploadRunning)
            EndUpload(TUploadEnd::Stalled);
    });
    FSimTimer = new QTimer(this);
    FSimTimer->setInterval(1000);
    connect(FSimTimer, &QTimer::timeout, this, &TQelGlobal::SimTimerTick);
    SimDraw = [] { return int(QRandomGenerator::global()->bounded(100)) - 50; };
    FQel->SetOnStateChange([this](LinkState s) { OnStateChange(s); });
    FQel->SetOnCompletion([this](const TCompletion& c) { OnCompletion(c); });
    FQel->SetOnTestStatus([this](TestStatus s) { OnTestStatus(s); });

    const QFileInfo exe(startup.ExecutablePath);
    ConfigSection = exe.completeBaseName();

    DocumentsFolder = WithSlash(startup.DocumentsFolder.isEmpty()
                                    ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                    : startup.DocumentsFolder);
    DataPath = DocumentsFolder + QStringLiteral("KOVA/Data/");
    TemplatesPath = DocumentsFolder + QStringLiteral("KOVA/Templates/");
    WorkingFolder = DocumentsFolder + QStringLiteral("KOVA/Working/");

    DateFormat = QLocale().dateFormat(QLocale::ShortFormat);
    TimeFormat = QLocale().timeFormat(QLocale::LongFormat);
    AppFolder = ProgramDataFolder(exe.absolutePath());
    ConfigFileName = ConfigFileFor(startup.ExecutablePath);

    ReadConfig();
    ApplySettings();
    ParseCommandLine(startup.Arguments);

    if (SimulationMode) {
        ChooseTestVoltages(true);
        // Without the simulation the timer would only wake the program to do nothing.
        FSimTimer->start();
    } else {
        if (FVariant250)
            FQel->SetVariantFlag(false);
        // From here on a lost link is tried again by itself (a port that does not exist yet
        // included), until the operator disconnects.
        FLinkWanted = true;
        FQel->Open(startup.Port.isEmpty() ? ComPort : startup.Port);
        FQel->RequestConnect();
        ChooseTestVoltages(FQel->VariantFlag());
    }

    CreateDataFolders();
    ReadSiblingPrinterPort();
}

TQelGlobal::~TQelGlobal() {
    FLinkWanted = false;
    FQel->RequestDisconnect();
    FQel.reset(); // ends the loop and waits for the thread
    DirectoryEntries.clear();
    UploadedRecords.clear();
    WriteConfig();
}

QString TQelGlobal::ConfigFileFor(const QString& executablePath) {
    const QFileInfo exe(executablePath);
    return ProgramFileName(exe.completeBaseName() + QStringLiteral(".cfg"), exe.absolutePath());
}

void TQelGlobal::ChooseTestVoltages(bool variant100) {
    TestVoltages = variant100 ? std::array<float, 4>{100, 40, 10, 1} : std::array<float, 4>{250, 100, 25, 2};
}

QString TQelGlobal::DefaultDocumentName() const {
    return DataPath + ConfigSection + QStringLiteral(".XML");
}
