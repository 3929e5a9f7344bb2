#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "KovaBases.h"
#include "Qel8624Protocol.h"
#include "Qel8624Records.h"
#include "QelArbitraryResult.h"
#include "QelResultTexts.h"
#include "RS232Comms.h"
#include "VectorGroupTable.h"
#include "WinMsgList.h"

class QDateTime;
class QTimer;
class TOperatorIFace;
class TQel8624;
struct TCompletion;
class TKvXML;
class TTestSavedIFace;
enum class LinkState : quint8;

// Folder names are kept with a trailing separator, as file names are made by appending.
inline QString WithSlash(const QString& path) {
    return path.endsWith('/') ? path : path + '/';
}

// Time limits of the instrument link.
struct TLinkTimings {
    TVuroRS232Comms::TDeadlines Transport; // 3 s progress, 6 s in all for a reply
    int GuardMs = 15000;                   // the request guard's wait
    int ReconnectMs = 2000;                // from a lost link to the next attempt
    int UploadStallMs = 30000;             // an upload without progress ends
};

// Where the application finds itself and its user's folders. The program entry fills it from
// the running process; tests point it at temporary folders.
struct TQelStartup {
    QString ExecutablePath;  // the running program file
    QStringList Arguments;   // command-line arguments after the program name
    QString DocumentsFolder; // empty: the user's documents folder
    TOperatorIFace* Operator = nullptr;
    TLinkTimings Link; // the program keeps the defaults; tests shorten them
    // The instrument port of this run in place of the configured ComPort (a command-line run
    // names it); the configuration keeps its own. Empty: ComPort.
    QString Port;
};

// Writers of the reports that go beside a saved test (CSV, HTML, PDF). Installed by the
// reports; while none is installed, a save writes the test file alone.
class TDocumentExports {
public:
    virtual ~TDocumentExports() = default;
    virtual bool WriteCSV(const QString& fileName) = 0;
    virtual bool WriteHTML(const QString& fileName) = 0;
    virtual bool WritePDF(const QString& fileName) = 0;
};

// The bits of DataStorage: each asks for one report beside every saved test. The values 0 to 3
// are those of the original setting; the PDF is a further bit, off unless set.
enum TDataStorage : int { dsCSV = 1, dsHTML = 2, dsPDF = 4, dsAll = dsCSV | dsHTML | dsPDF };

// Takes over a test whose clock number asks for phase shift detection (85, 86).
struct TArbitraryStart {
    float TestVoltage = 0;   // V
    QString VectorGroupText; // HV connection text followed by the LV connection text
    bool AutoTransformer = false;
};

// What the instrument reports, or in simulation what the simulated instrument reports: the one
// view of the link the screens show (TQelGlobal::InstrumentState).
struct TInstrumentState {
    LinkState Link{};                  // the simulated instrument is always Idle (ready)
    TestStatus Status{};               // the simulation's test status in simulation mode
    Qel8624::TVectorGroup VectorGroup; // 15, 15, 255 until a setup has been sent
    float TestVoltage = 255;           // V; 255 while no test measures
    int ErrorNumber = 0;               // of the last reply; 0 in simulation
    bool Simulated = false;
};

// The central data module: settings, the open test document, the instrument link and the
// broadcaster that tells every registered window what happened. One instance for the run,
// made by the program entry and handed to every window that needs it.
// Every operation and callback runs on the user-interface thread.
class TQelGlobal : public QObject {
    Q_OBJECT
public:
    explicit TQelGlobal(const TQelStartup& startup, QObject* parent = nullptr);
    ~TQelGlobal() override;

    // --- settings ---------------------------------------------------------------------
    // The shipped files (vector group table, style sheet, logo, instructions), with trailing
    // separator: beside the program, or an installation's data folder (ProgramDataFolder).
    QString AppFolder;
    QString ConfigSection;   // section of the configuration file; see ApplyInstrumentType
    QString ConfigFileName;  // fixed after start-up
    QString DataPath;        // with trailing separator
    QString TemplatesPath;   // with trailing separator
    QString WorkingFolder;   // with trailing separator; not configurable
    QString DocumentsFolder; // with trailing separator
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
    std::array<float, 4> TestVoltages = {250, 100, 25, 2};
    int PrinterPort = -1; // from the sibling instrument's file: 0 = COM1, ...; -1 none
    // The date and time formats in force (Qt patterns): the system's short date and long time
    // until a test document brings its own.
    QString DateFormat;
    QString TimeFormat;

    // The configuration file of a program: beside it, or in the user's configuration folder
    // when the program's folder is not writable.
    static QString ConfigFileFor(const QString& executablePath);

    void ReadConfig();
    void WriteConfig();
    void ApplySettings();
    // The operator chose another instrument port: the link on the old one ends, the new one is
    // opened and, when that succeeds, connected; a port that fails is tried again by name like a
    // lost link. Nothing happens in simulation. Keeps processing events while the port opens.
    bool ChangePort(const QString& port);
    void ParseCommandLine(const QStringList& arguments);
    QString DefaultDocumentName() const;
    // The settings follow the instrument type: the type text, reduced to letters, digits and
    // "-_.+" (a blank, "]" or ";" from the line never reaches the file), becomes the section
    // name and the settings are read from it again; a text with none of them changes nothing.
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
    void PostToAll(int message, qintptr wParam, qintptr lParam) {
        FWindows.PostToAll(message, wParam, lParam);
    }
    void SendToAll(int message, qintptr wParam, qintptr lParam) {
        FWindows.SendToAll(message, wParam, lParam);
    }

    // --- owned parts ---------------------------------------------------------------------
    TQel8624& Qel() const { return *FQel; }
    TKvXML& Doc() const { return *FDoc; }
    TKovaBase& KovaBase() { return FKovaBase; }
    TOperatorIFace* Operator() const { return FOperator; }
    void SetExports(TDocumentExports* exports) { FExports = exports; }
    // Told of every test file written by a save (the test index).
    void SetSavedHook(TTestSavedIFace* hook) { FSavedHook = hook; }
    // The phase shift detector installs itself here when it exists.
    std::function<void(const TArbitraryStart&)> OnArbitraryStart;
    // ... and sees every completion first while it runs: true when it took it (a refused APM
    // request of a detection is the detector's, never a reason to halt or resend a test).
    std::function<bool(const TCompletion&)> OnArbitraryCompletion;
    // The last arbitrary phase shift result and its texts per phase (QelArbitraryTexts.cpp).
    TArbitraryResult ArbitraryResult;
    TPhaseResultTexts ArbitraryResultTexts(int phase) const;

    // --- document operations (QelDocumentOps.cpp) ------------------------------------------
    // Save plus message 1389; false (after telling the operator) when the file was not written.
    bool DocumentChanged();
    // Mode 0 indented (file manager, upload), 1 as one run of text; mode 3 without the
    // one-time backup copy.
    bool SaveDocument(int mode);
    // The reports of the saved test fileName that `storage` asks for (the bits of DataStorage:
    // dsCSV, dsHTML, dsPDF), beside it, in the user's number format; what a save writes.
    // Nothing without installed report writers. False when a report was not written.
    bool WriteReports(const QString& fileName, int storage);
    bool OpenDocument(const QString& fileName);
    // The same, leaving the message to the caller: false with error naming the file and the fault.
    bool OpenDocument(const QString& fileName, QString* error) { return LoadDocument(fileName, error); }
    bool NewDocument(const QString& fileName);
    bool NewDocumentFromTemplate(const QString& templateFile, const QString& fileName);
    QString DocumentXMLText() const;

    // --- the default document at start-up (QelStartupDocument.cpp) ------------------------
    // Start-up modes 0-2: a new default document. One that holds measured rows, or one that does
    // not load, is first kept under a name of its own, and the operator is told where it went.
    bool NewDefaultDocument();
    // Start-up mode 3: the default document as it was left. One that does not load is kept under
    // a name of its own and a new default document takes its place; the operator is told.
    bool OpenDefaultDocument();
    // Told the name under which a test was kept to make room for a new one (the file manager
    // lists it among the recent tests, so the operator finds it again).
    std::function<void(const QString& kept)> OnTestKept;

    // --- document queries -----------------------------------------------------------------
    QString WindingVoltageAtTap(int winding, int tap) const;
    // With a tap changer the voltage of the nominal tap is copied into NominalVoltage first, but
    // only when the nominal tap is in the table and its voltage is a number.
    QString NominalVoltage(int winding) const;
    QString TapText(int winding, int tap) const;
    int ActualTap(int winding) const; // -1 for an index other than 0, 1, 2
    QString MeasurementConfigurationText() const;
    QString NominalVoltageRatioText() const;
    // A moment as the Time column of the results shows it: the document's date and time formats
    // (the locale's short date and long time while the document has none).
    QString DocumentTimeText(const QDateTime& when) const;

    // --- the vector group table (QelVectorGroups.cpp) --------------------------------------
    // Reads "VectorGroupTable.csv" from the program's folder once, at start-up. A missing or
    // unreadable table is reported to the operator and leaves the table empty: every lookup then
    // gives "??" and the factor 1.0.
    bool LoadVectorGroupTable();
    const TVectorGroupTable& VectorGroups() const { return FVectorGroups; }
    // Phase 0, 1, 2 of a pair given by connection codes (codes outside 0-7 find no row), in the
    // terminal names of the document's standard. A pure query: it writes nothing.
    TVectorGroupMatch VectorGroupLookup(int phase, int hvCode, int lvCode, int clock) const;
    // The same by connection names (the memory upload's records).
    TVectorGroupMatch VectorGroupLookupByNames(const QString& hvName, const QString& lvName, int clock,
                                               int phase) const;
    // The vector group a test of the document's pair (ActMeasWindingH at H, ActMeasWindingX at X)
    // sets up: the two connections and the clock of X against H; no H connection while X has none.
    Qel8624::TVectorGroup PairVectorGroup() const;
    // The terminals of phases A, B, C of a vector group ("??" where the table has no row), and the
    // same written into ActWindMeasPhaseA, B, C: the terminals of the pair being measured.
    std::array<QString, 3> MeasuredTerminals(const Qel8624::TVectorGroup& vg) const;
    std::array<QString, 3> WriteMeasuredTerminals(const Qel8624::TVectorGroup& vg);

    // --- test operations (QelTestOps.cpp) ----------------------------------------------
    // An operation that waits in the request guard keeps the screen alive; a second one that
    // arrives meanwhile is refused (StopTest is carried out once the first has returned).
    // False when the test did not start (the link busy, another operation waiting, the request
    // refused): the caller must not tell the operator it started.
    bool StartTapTest(int measurements);
    void StopTest();
    void ShutDown();
    // False when no upload started; the end notification (wpUploadEnded) says why.
    bool StartUpload();
    bool UploadRunning() const { return FUploadRunning; }
    // The slot's entry and record go when the instrument has deleted it (message 1393 wParam 3
    // lParam MEMDELETE); a refused delete keeps them (wParam wpDeleteRefused, lParam the slot).
    bool DeleteMemorySlot(int slot);
    int FirmwareVersionNumber() const;

    // --- live result and simulation (QelLiveResult.cpp) -----------------------------------
    // Link state, test status, reported vector group and test voltage: from the simulation in
    // simulation mode, from the instrument thread otherwise. Every screen asks this.
    TInstrumentState InstrumentState() const;
    // Takes a measured tap (from TESTGETTAP or the simulation) as the live result: the nominal
    // voltages of the current setup, the ratio deviations, the snapshot of the link's error state
    // at this moment; then message 1401 (wParam 2, lParam `source`: lpTapResult or lpOwnResult).
    void AcceptTapResult(const TTapResult& measured, qintptr source);
    const TResultSnapshot& LiveSnapshot() const { return FLiveSnapshot; }
    // The texts of phase 0, 1, 2 of the live result, made with the snapshot taken with it.
    TPhaseResultTexts PhaseResultTexts(int phase) const;
    // The same for any result (a stored row, an uploaded tap) with what was known with it.
    TPhaseResultTexts PhaseResultTexts(const TTapResult& result, const TResultSnapshot& snapshot,
                                       int phase) const;
    // The simulation's 1000 ms timer (running in simulation mode only) and what one tick does.
    QTimer* SimTimer() const { return FSimTimer; }
    void SimTimerTick();
    // The simulation's arbitrary phase shift result from its ratio of phase A.
    void SimulateArbitraryResult(float ratioA, float factor);
    // The simulation's random draws, each an integer from -50 to 49 (tests fix them).
    std::function<int()> SimDraw;

    // The clock number a test of windings h (at H) and x (at X) sends: x's clock against h's.
    int ClockToSend(int h, int x) const;

    // What the operator is to be shown of the link.
    enum class TLinkCondition { Simulated, NotConnected, Connecting, NotAnswering, Connected };
    TLinkCondition LinkCondition() const;
    // Shows a message to the operator after the current event: never while the instrument
    // thread waits for a callback.
    void Tell(const QString& text);

    // --- callbacks of the instrument thread (public: the simulation calls the status one) ---
    void OnStateChange(LinkState state);
    void OnCompletion(const TCompletion& completion);
    void OnTestStatus(TestStatus status);

    // --- test and upload state ---------------------------------------------------------
    TMemoryData CurrentSetup; // only the header is used
    TTapResult LiveResult;
    std::array<quint8, 100> SlotFlags{}; // slot 1..100: 2 measurement, 1 setup, 0 empty
    std::vector<std::unique_ptr<TTestInfo>> DirectoryEntries;
    std::vector<std::unique_ptr<TMemoryData>> UploadedRecords; // null: the slot could not be read
    int ListCursor = 1;
    int ReadCursor = 1;
    int DirectoryAttempts = 0;
    int TapResultCounter = 0;
    bool DeleteInProgress = false;
    bool TapCountFlag = false;
    bool StopRequested = false;
    TestStatus PreviousTestStatus = TestStatus::Idle;
    TestStatus SimTestStatus = TestStatus::Idle;
    QString StatusText;

private:
    void EnsureDefaultFolders();
    // OpenDocument without the operator's message on failure.
    bool LoadDocument(const QString& fileName, QString* error);
    // Moves the previous default document out of the way and makes the new one.
    bool ReplaceDefaultDocument(const QString& loadError);
    enum class TNext { Requested, NoneLeft, Refused };
    TNext NextFlaggedSlot(int& cursor, bool (TQel8624::*request)(qint32, bool));
    TNext NextDirectoryEntry();
    TNext NextRecord();
    void OnCommandFailed(const TCompletion& completion);
    void OnUploadRefused(const TCompletion& completion);
    void ContinueUpload(TNext next, bool records);
    void EndUpload(TUploadEnd reason);
    void SlotDeleted(int slot);
    void DeleteRefused(int slot);
    bool IsUploadCommand(CommandType type) const;
    void Reconnect();
    QString WindingName(int winding) const;

    TWinMsgList FWindows;
    TKovaBase FKovaBase;
    TVectorGroupTable FVectorGroups;
    TOperatorIFace* FOperator = nullptr;
    TDocumentExports* FExports = nullptr;
    TTestSavedIFace* FSavedHook = nullptr;
    std::unique_ptr<TQel8624> FQel;
    std::unique_ptr<TKvXML> FDoc;
    bool FVariant250 = false;
    TLinkTimings FTimings;
    QTimer* FReconnectTimer = nullptr;
    QTimer* FUploadStall = nullptr;
    bool FLinkWanted = false;   // false after the operator's disconnect (shut-down)
    bool FReconnecting = false; // a reconnection attempt runs
    bool FUploadRunning = false;
    QList<int> FUnreadSlots;        // slots of the running upload that could not be read
    bool FOperationWaiting = false; // an operation waits in the request guard
    bool FStopAfterOperation = false;
    QTimer* FSimTimer = nullptr;
    Qel8624::TVectorGroup FSimVectorGroup; // what the simulated instrument reports once set up
    TResultSnapshot FLiveSnapshot;
};
