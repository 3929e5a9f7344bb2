#pragma once
#include <QDialog>

#include <functional>

class TAnalysis;
class TPanelButton;
class TQelGlobal;
class TQelImage;
class TStateButton;
class TTntFStringGrid;

// The file list of the multi-file analysis ("Analysis File Selection"): the test documents to be
// analysed together, kept as a list file (".LST", CSV in the operator's list format: "Nr" and
// "FileName"). The current test is always on the list. Made at its first use and kept for the run;
// the list last used is remembered under "LastListName" in section "QelAnalysis".
class TQelFileList : public QDialog {
    Q_OBJECT
public:
    explicit TQelFileList(TQelGlobal& global, QWidget* parent = nullptr);
    ~TQelFileList() override;
    void SetImages(const TQelImage& images);

    TTntFStringGrid* sgFiles;
    TPanelButton* bnAdd;
    TPanelButton* bnRemove;
    TPanelButton* bnRemoveAll;
    TPanelButton* bnSaveList;
    TPanelButton* bnLoadList;
    TStateButton* StateButton1;

    QString ListName() const { return FListName; }
    // Loads an existing list file; the current test goes in as row 1 when the list lacks it.
    bool LoadList(const QString& fileName);
    bool SaveList(const QString& fileName, bool units);
    // The files of the list, in its order (the FileName cells that are not blank).
    QStringList Files() const;

    void bnAddClick();
    void bnRemoveClick();
    void bnRemoveAllClick();
    void bnSaveListClick();
    void bnLoadListClick();
    void StateButton1Click();

    // The test file dialog: open or save, on folder, with the default extension (and mask) and
    // name; the chosen file or nothing. The touch file dialogs unless set.
    std::function<QString(bool save, const QString& folder, const QString& ext, const QString& name)>
        ChooseFile;
    // Shows the analysis of the list; modal unless set.
    std::function<void(TAnalysis& analysis)> RunAnalysis;

    static const QString DefaultListName;

private:
    QString AskFile(bool save, const QString& ext, const QString& name);
    void WriteLastListName();
    void Renumber();
    void WarnDuplicates();
    void ResetList();
    bool Confirm(const QString& text);

    TQelGlobal& FGlobal;
    const TQelImage* FImages = nullptr;
    QString FListName;
};
