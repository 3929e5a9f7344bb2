#pragma once
#include <QDialog>
#include <QPointer>

#include <functional>

class QFileDialog;
class QLabel;
class QPrinter;
class TPanelButton;
class TQelTestFiles;
class TXMLOpenDialog;
class TXMLSaveDialog;

// "File Manager": the small window-modal window where a test is started (new, from a template),
// opened, saved, saved under another name, its report or diagram shown, and one of the last three
// tests reopened. It asks for names with the touch file dialogs while the touch entry switch is
// on, else with the standard file dialogs, and leaves everything else to the test files of the
// run (TQelTestFiles). It closes itself after every action that succeeded.
//
// The names are asked window-modally (open()): each key starts its action, the dialog's answer
// finishes it. FileDialog() is the dialog that waits for the answer.
class TFileManager : public QDialog {
    Q_OBJECT
public:
    explicit TFileManager(TQelTestFiles& files, QWidget* parent = nullptr);
    ~TFileManager() override;

    TQelTestFiles& Files() const { return FFiles; }
    // The operations the rest of the application asks for.
    int CheckUnsavedChanges();
    void UpdateRecentFiles();
    // The name for a test made elsewhere (an instrument upload), asked as Save As asks: the
    // dialog opens in folder with the proposed name; chosen gets the name, cancelled the refusal.
    void AskSaveAsName(const QString& folder, const QString& proposed,
                       std::function<void(const QString& fileName, bool replaceAgreed)> chosen,
                       std::function<void()> cancelled);
    bool LoadLastFile();
    // Shows the window window-modal, the recent-file buttons renewed.
    void Execute();

    // Where a dialog starts: the folder of the last test when it exists, else the data folder.
    QString StartFolder() const;
    // The dialog waiting for a name (touch or standard), null when none.
    QDialog* FileDialog() const { return FWaiting; }
    TXMLOpenDialog* OpenDialog() const { return FOpenDialog; }
    TXMLSaveDialog* SaveDialog() const { return FSaveDialog; }

    // The states of bnPrint's pop-up.
    enum TReportItem { riShowReport = 1, riShowDiagram = 2, riPrintReport = 3, riSavePDF = 4 };

    // The report of the current test on printer (the print dialog's choice); false after
    // telling the operator when it could not be printed.
    bool PrintReport(QPrinter& printer);

    // --- components ---
    TPanelButton* bnNewTest;
    TPanelButton* bnLoadFromTemplate;
    TPanelButton* bnLoad;
    TPanelButton* bnSave;
    TPanelButton* bnSaveAs;
    TPanelButton* bnPrint;
    TPanelButton* bnClose;
    QLabel* Label1;
    TPanelButton* bnHis1;
    TPanelButton* bnHis2;
    TPanelButton* bnHis3;

    // --- handlers (also what a test presses) ---
    void bnNewTestClick();
    void bnLoadFromTemplateClick();
    void bnLoadClick();
    void bnSaveClick();
    void bnSaveAsClick();
    void bnPrintClick();
    void bnHisClick(int k);

protected:
    void showEvent(QShowEvent* e) override;

private:
    using TChosen = std::function<void(const QString& fileName, bool replaceAgreed)>;
    enum class TKind { Open, Save };
    struct TAsk {
        TKind Kind = TKind::Open;
        QString Extension = QStringLiteral("XML"); // of the file asked for
        QString Filter;                           // standard dialog; empty: the test files
        QString Caption;      // touch dialog
        QString Title;        // standard dialog
        QString Folder;       // where the dialog starts
        QString FileName;     // proposed
        QString StandardName; // proposed by the standard dialog
    };

    void Build(); // QelFileManagersLayout.cpp
    TPanelButton* AddButton(const QString& name, const QStringList& items);
    void ShowRecentButtons();
    void FillRecentNames();
    // Asks for a file; chosen runs with the answer, cancelled when there is none.
    void AskName(const TAsk& ask, TChosen chosen, std::function<void()> cancelled = {});
    void Finish(bool done);
    void OpenChosen(const QString& file);
    void OpenCopy(const QString& file, const QString& copy);
    void AskPrinter();
    void AskPDFName();

    TQelTestFiles& FFiles;
    TXMLOpenDialog* FOpenDialog = nullptr;
    TXMLSaveDialog* FSaveDialog = nullptr;
    QPointer<QDialog> FWaiting;
};
