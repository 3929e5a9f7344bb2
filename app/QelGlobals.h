#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>

#include "KovaBases.h"
#include "WinMsgList.h"

class TOperatorIFace;

// Folder names are kept with a trailing separator, as file names are made by appending.
inline QString WithSlash(const QString& path) { return path.endsWith('/') ? path : path + '/'; }

// Where the application finds itself and its user's folders. The program entry fills it from
// the running process; tests point it at temporary folders.
struct TQelStartup {
    QString ExecutablePath;   // the running program file
    QStringList Arguments;    // command-line arguments after the program name
    QString DocumentsFolder;  // empty: the user's documents folder
    TOperatorIFace* Operator = nullptr;
};

// The central data module: settings, the open test document, the instrument link and the
// broadcaster that tells every registered window what happened. One instance for the run.
class TQelGlobal : public QObject {
    Q_OBJECT
public:
    explicit TQelGlobal(const TQelStartup& startup, QObject* parent = nullptr);
    ~TQelGlobal() override;

    // --- settings ---------------------------------------------------------------------
    QString AppFolder;          // with trailing separator
    QString ConfigSection;      // section of the configuration file; see ApplyInstrumentType
    QString ConfigFileName;     // fixed after start-up
    QString DataPath;           // with trailing separator
    QString TemplatesPath;      // with trailing separator
    QString WorkingFolder;      // with trailing separator; not configurable
    QString DocumentsFolder;    // with trailing separator
    QString ComPort = QStringLiteral("COM2");
    int StartupMode = 0;
    int TemperatureUnit = 0;
    int TestStandard = 0;
    double QelMeasTime = 16.0;
    double QelDetectTime = 24.0;
    int DataStorage = 0;
    int UserInterface = 0;
    int UserInput = 0;
    double SimArbPhaseShift = 0.0;
    bool DebugMode = false;
    bool SimulationMode = false;
    bool Variant250 = false;    // "/250" given
    std::array<float, 4> TestVoltages = {250, 100, 25, 2};
    int PrinterPort = -1;       // from the sibling instrument's file: 0 = COM1, ...; -1 none

    void ReadConfig();
    void WriteConfig();
    void ApplySettings();
    void ParseCommandLine(const QStringList& arguments);
    QString DefaultDocumentName() const;
    // The settings follow the instrument type: a non-blank type text becomes the section
    // name (blanks removed) and the settings are read from it again.
    void ApplyInstrumentType(const QString& typeText);
    // 100 V instrument: 100, 40, 10, 1 V; the 250 V instrument: 250, 100, 25, 2 V.
    void ChooseTestVoltages(bool variant100);
    // Creates DataPath, TemplatesPath and the working folder with all missing parents.
    void CreateDataFolders();
    // Reads the printer port of the sibling instrument's file when there is one.
    void ReadSiblingPrinterPort();

    // --- notification ------------------------------------------------------------------
    TWinMsgList& Windows() { return FWindows; }
    void RegisterWindow(QObject* w) { FWindows.RegisterWindow(w); }
    void UnregisterWindow(QObject* w) { FWindows.UnregisterWindow(w); }
    void PostToAll(int message, qintptr wParam, qintptr lParam) { FWindows.PostToAll(message, wParam, lParam); }
    void SendToAll(int message, qintptr wParam, qintptr lParam) { FWindows.SendToAll(message, wParam, lParam); }

    TKovaBase& KovaBase() { return FKovaBase; }
    TOperatorIFace* Operator() const { return FOperator; }

private:
    void EnsureDefaultFolders();
    TWinMsgList FWindows;
    TKovaBase FKovaBase;
    TOperatorIFace* FOperator = nullptr;
};

// The one data module of the running application (set by the program entry).
extern TQelGlobal* QelGlobal;
