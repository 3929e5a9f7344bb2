#pragma once
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>

class QLabel;
class QStatusBar;
class TExtStaticText;
class TFileManager;
class TQelUpload;
class TPanelButton;
class TQelAbout;
class TQelAnalysisFrame;
class TQelFileList;
class TQelHistoryForm;
class TTestIndexService;
class TQelGlobal;
class TQelImage;
class TQelManualFrame;
class TQelPageControl;
class TQelSetupFrame;
class TfrmProgress;
enum class TestStatus : quint8;

// The one top-level window: a borderless 800 × 600 touch-screen window with its own title bar,
// the pages SETUP, MEASURE and ANALYSIS, six function keys and, in debug mode, a status bar
// with the link details. It follows the link and the test through the data module's messages
// and becomes visible only when the start-up message arrives.
class TQelMainForm : public QWidget {
    Q_OBJECT
public:
    // The upload dialog a reading opened (null before the first).
    TQelUpload* Upload() const;
    enum TPage { pgSetup = 0, pgMeasure = 1, pgAnalysis = 2 };
    static constexpr int TitleBarHeight = 23;
    static constexpr int TitleButtonWidth = 37;
    static constexpr int ButtonPanelHeight = 54;

    explicit TQelMainForm(TQelGlobal& global, QWidget* parent = nullptr);
    ~TQelMainForm() override;

    // The pictures of the keys and tabs (the picture module is created after this window).
    void SetImages(const TQelImage& images);

    // --- components, named as the pages and the tests address them ---
    TExtStaticText* esTitleBar;
    TExtStaticText* esAlarms;
    TPanelButton* bnHelp;
    TPanelButton* bnMinimize;
    TPanelButton* bnClose;
    TQelPageControl* PageControl1;
    QWidget* tbSetup;
    QWidget* tbMeasure;
    QWidget* tbAnalysis;
    TQelSetupFrame* SetupFrame;
    QWidget* MeasDisplayFrame;
    TQelManualFrame* ManualFrame;
    TQelAnalysisFrame* QelAnalysisFrame1;
    QStatusBar* StatusBar1;
    QWidget* pnButtons;
    TPanelButton* bnF1;
    TPanelButton* bnF2;
    TPanelButton* bnF3;
    TPanelButton* bnF4;
    TPanelButton* bnF4Analysis;
    TPanelButton* bnF5;
    TPanelButton* bnF6;

    QString StatusPanel(int index) const;
    QString HelpFile() const { return FHelpFile; }
    static int HelpContext(int page);
    QString HelpUrlFor(int page) const;
    // The About box while it exists (created by the program entry, freed after a modal use).
    TQelAbout* About() const;
    TQelAbout* CreateAbout();
    TfrmProgress* Progress() const;
    // The file manager, made by the program entry: the "File Manager" key opens it, start-up mode
    // 3 lets it load the last test and closing asks it to settle the open test first.
    void SetFileManager(TFileManager* fileManager);
    TFileManager* FileManager() const;
    // The file list of the multi-file analysis ("Analysis for Files").
    TQelFileList* FileList();
    // The test index behind "History" (the ANALYSIS page's "More Analysis"); without it the
    // entry does nothing.
    void SetTestIndex(TTestIndexService* index) { FTestIndex = index; }
    // The history of the open test's transformer, made at its first use and kept.
    TQelHistoryForm* History();
    // The operating instructions are handed to this; the desktop's browser by default.
    std::function<bool(const QUrl&)> OpenHelpUrl;
    // A later start of the program asked for this one: the window (or the dialog it shows)
    // comes to the front, restored when minimised. Before the start-up message it stays hidden.
    void BringToFront();
    // The shut-down has run and the window is on its way out.
    bool ShutDownDone() const { return FShutDownDone; }

    // --- handlers (also what a test presses) ---
    void bnF1Click();
    void bnF2Click();
    void bnF3Click();
    void bnF4Click();
    void bnF4AnalysisClick();
    void bnF5Click();
    void bnF6Click();
    void bnHelpClick();
    void bnMinimizeClick();
    void bnCloseClick();
    void PageControl1Change();
    void FormResize(); // the layout of the title bar, the keys and the pages

Q_SIGNALS:
    // The window has closed after the shut-down: the run is over.
    void Closed();

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildTitleBar();
    void BuildPages();
    void BuildKeys();
    void FormCreate();
    void RenewTitle();
    void LinkBannerUpdate();
    void AlarmUpdate();
    void SetAlarmText(const QString& text);
    void OnLinkState(qintptr wParam, qintptr lParam);
    void OnStartup();
    void OpenAbout(bool startupForm);
    void EndUploadProgress();
    void ShowUpload(bool fromKey);
    void SetInputLocked(bool locked);
    void NotAvailableYet(const QString& function);
    void TitleBarMouseDown(Qt::MouseButton button, QPoint pos);
    void TitleBarMouseMove(Qt::MouseButtons buttons, QPoint pos);
    void TitleBarDoubleClick();
    bool CoversDesktopWidth() const;
    void SetStatusPanel(int index, const QString& text);

    TQelGlobal& FGlobal;
    QList<QLabel*> FPanels;
    QPointer<TQelAbout> FAbout;
    QPointer<TfrmProgress> FProgress;
    QPointer<TFileManager> FFileManager;
    QPointer<TQelFileList> FFileList;
    QPointer<TQelHistoryForm> FHistory;
    TTestIndexService* FTestIndex = nullptr;
    QPointer<TQelUpload> FUpload; // the one a reading opened, kept for the next
    const TQelImage* FImages = nullptr;
    QString FHelpFile;
    QPoint FDragStart{-1, -1};
    QRect FSavedGeometry;
    bool FClosePressed = false;
    bool FShutDownDone = false;
    bool FAboutShowing = false;
};
