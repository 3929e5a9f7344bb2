#pragma once
#include <QDateTime>
#include <QFrame>
#include <QPointer>

#include <array>
#include <functional>
#include <vector>

class QLabel;
class QAction;
class QMenu;
class TGPTPrinter;
class QProgressBar;
class QTimer;
class TDlgTapAction;
class TFilterStringGrid;
class TGradient;
class TPanelButton;
class TQelGlobal;
class TQelImage;
class TStateButton;
class TTSComboBox;
class TTntFStringGrid;
enum class TestStatus : quint8;

// The MEASURE page below the live display: test voltage, winding pair and taps, the test of
// one tap and the test over all taps and winding pairs, and the results grid, which is the
// measurement table of the test document. The page never talks to the instrument: it writes the
// test settings into the document, asks the data module to start a tap test and follows its
// messages (1389, 1391, 1393, 1401, 1402).
class TQelManualFrame : public QFrame {
    Q_OBJECT
public:
    static constexpr int ResultCols = 13;

    explicit TQelManualFrame(TQelGlobal& global, QWidget* parent = nullptr);
    ~TQelManualFrame() override;

    void SetImages(const TQelImage& images);

    // --- components, named as the tests address them ---
    QLabel* Label4;
    TTSComboBox* cbTestVoltage;
    struct TTapPanel {
        QFrame* Panel = nullptr;
        TGradient* Gradient = nullptr;
        QLabel* Title = nullptr;
        QLabel* Voltage = nullptr;
        QLabel* Name = nullptr;
        TTSComboBox* Selector = nullptr;
        std::vector<int> Rows; // the 1-based tap table row of each selector entry
        bool Shown = false;    // the winding has a tap changer (TV: and is available)
    };
    std::array<TTapPanel, 3> Taps; // HV, LV, TV: pnHVTap, pnLVTap, pnTVTap
    QLabel* lbVoltRatio;
    QLabel* lbConfiguration;
    QLabel* lbPhaseA;
    QLabel* lbPhaseB;
    QLabel* lbPhaseC;
    QProgressBar* KvProgressBar1;
    QLabel* lbTime;
    QLabel* lbTestStatus;
    TStateButton* StateButton1;
    TPanelButton* bnTools;
    TTntFStringGrid* sgMeasData;
    QMenu* PopupMenu1;
    QTimer* Timer1;

    // --- what the main window's keys call ---
    void TestAllTaps();   // bnF1
    void TestSingleTap(); // bnF3

    // --- handlers (also what a test presses) ---
    void cbTestVoltageChange();
    void TapSelectorChange(int winding); // cbHVTap, cbLVTap, cbTVTap
    void TapPanelClick(int winding);     // pnHVTap, pnLVTap, pnTVTap
    void NewMeasurement1Click();
    void DeleteRows1Click();
    void mnDeleteAllRowsClick();
    void ShowInfo1Click();
    void bnToolsClick();
    // A Tools entry (1 to 5) chosen on another page's copy of the results (the ANALYSIS page): its
    // current row and selection, as rows of the test's table, become this grid's first.
    void ToolsFrom(int state, const TFilterStringGrid& source);
    void RunTools(int state);
    void mnPrintRowsClick(); // "Print Row(s)"
    // The line printer the page prints on (none: the print entries stay absent).
    void SetLinePrinter(TGPTPrinter* printer);
    bool LinePrinterReady() const;
    void Timer1Timer();

    // --- page state ---
    bool AllTaps() const { return FAllTaps; }
    TDlgTapAction* TapDialog() const;
    // The number of tap measurements left from the actual taps on (the test setup carries it).
    int RemainingMeasurements() const;
    // Milliseconds on a steady clock, and the moment written into the Time column (tests set them).
    std::function<qint64()> Ticks;
    std::function<QDateTime()> Now;

protected:
    bool event(QEvent* e) override;

private:
    enum class TAdvance { Advanced, Done, Cancelled };
    void BuildLayout();
    void BuildTapSelectors();
    void RefreshPage();
    void RefreshHighlights();
    void RefreshTapNames();
    void RefreshPhaseConnections();
    // The print entries are there while the line printer is.
    void RefreshPrintEntries();
    void LoadGrid();
    void ResetGrid();
    void ConvertOlderGrid();
    void StoreGrid();
    void NewSeries(bool store);
    void WriteResultRows(bool arbitrary);
    void WriteTestConditions(int firstRow);
    // Asks `question` (none when empty), then deletes the selected rows.
    void DeleteSelectedRows(const QString& title, const QString& question);
    void OnResult();
    void OnLinkState(qintptr wParam);
    bool AutoConfiguration() const;
    bool AskAutoConfiguration();
    bool TestFinished() const;
    bool SwitchCondition() const;
    TAdvance Advance(bool start);
    void NextTapWithDialog(bool advanceFirst);
    bool Start(int measurements);
    bool AtBottom() const;
    QString BottomText() const;
    int H() const;
    int X() const;
    void SetPair(int h, int x);
    void SetActualTap(int winding, int row);
    bool HasTapChanger(int winding) const;
    int NrOfTaps(int winding) const;
    // The selector entry of the winding's actual tap; -1 when that tap is no entry.
    int SelectedIndex(int winding) const;
    int FirstRow(int winding) const; // the first entry's table row, -1 without entries
    QString VoltageText(int winding) const;
    bool ChoosePair(int winding); // true when the pair changed

    TQelGlobal& FGlobal;

    TGPTPrinter* FPrinter = nullptr;

    QAction* FPrintAction = nullptr;

    int FPrinterShown = -1; // the print entries shown: -1 not set yet

    bool FFirstPrint = true; // until the first print of the run
    QPointer<TDlgTapAction> FTapDialog;
    bool FUpdating = false;
    bool FAllTaps = false;
    bool FTapDialogShowing = false;
    bool FConverting = false;
    qint64 FStartTime = 0;
    qint64 FLastContinue = 0;
    TestStatus FPreviousStatus{};
};
