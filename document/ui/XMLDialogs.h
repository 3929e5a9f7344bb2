#pragma once
#include "RecentNames.h"
#include "XMLDialogModels.h"

#include <QDialog>

#include <functional>
#include <memory>

class QComboBox;
class QFileSystemModel;
class QFrame;
class QLabel;
class QListView;
class TKovaBase;
class TOperatorIFace;
class TPanelButton;
class TTntTSComboBox;
class TXMLPreviewBrowser;

// The touch file dialogs: large keys, a file list filtered by extension with touch scrolling, the
// computer level of places (home, the test folders, mounted volumes), new folders, the preview of
// the selected test file or picture and the recent names in "cbFileName.cfg". The file manager
// sets them up through FileName, Folder and DefaultExt and opens them window-modal.
//
//   auto* dlg = new TXMLOpenDialog(this);
//   dlg->SetDefaultExt(".XML");
//   dlg->SetFolder(global.DataPath);
//   connect(dlg, &QDialog::accepted, this, [=] { load(dlg->FileName()); });
//   dlg->open();
class TXMLOpenDialog : public QDialog {
    Q_OBJECT
public:
    // The HTML of a test file for the preview; false when there is none.
    using TPreviewTransform = std::function<bool(const QString& fileName, QString& html)>;
    static constexpr qint64 MaxPreviewBytes = 5 * 1024 * 1024;

    explicit TXMLOpenDialog(QWidget* parent = nullptr);
    ~TXMLOpenDialog() override;

    // Index 0: the full name of the chosen or typed file; setting it shows it in Label1 and the
    // name without folder and default extension in cbFileName.
    QString FileName() const { return FFileName; }
    void SetFileName(const QString& name);
    // Index 1: the folder shown (empty at the computer level); setting it goes there.
    QString Folder() const { return FFolder; }
    void SetFolder(const QString& path);
    // Index 2: one extension or several separated by "|".
    QString DefaultExt() const { return FDefaultExt; }
    void SetDefaultExt(const QString& ext);

    // The program's folder, against which the recent names are kept ("cbFileName.cfg" there).
    void SetAppFolder(const QString& folder);
    TRecentNames& RecentNames() { return FRecent; }
    // The file manager's recent files take the place of the dialog's.
    void SetRecentNames(const QStringList& entries);
    // The places of the computer level besides home and the volumes (the test folders).
    void SetPlaces(const QList<TXMLPlace>& places);
    void SetPreviewTransform(TPreviewTransform transform) { FTransform = std::move(transform); }
    void SetOperator(TOperatorIFace* op);
    void SetKovaBase(const TKovaBase* base);
    // The list file of the on-screen keyboard ("AscInput.cfg" beside the program unless set).
    void SetListFile(const QString& fileName);

    void GoComputer();
    void GoUp();
    bool AtComputerLevel() const { return FComputer; }
    // What the list shows, folders with a trailing "/" (the computer level: the captions).
    QStringList ListedNames() const;
    // The folder's listing is complete.
    bool Listed() const;
    // Selects (as a tap does) or, twice, opens (as a double tap does) the listed item of that name.
    bool TapItem(const QString& name, bool twice = false);

    QListView* FileList() const { return lbFiles; }
    TTntTSComboBox* NameBox() const { return cbFileName; }
    TPanelButton* Button(const QString& name) const;
    QString HeaderText() const;
    // What the preview shows: "html", "picture" or nothing.
    QString PreviewKind() const;
    TXMLPreviewBrowser* Browser() const { return WebBrowser1; }

    // The keys.
    void bnOpenClick();
    void bnNewClick();

Q_SIGNALS:
    void HelpRequested();

protected:
    TXMLOpenDialog(QWidget* parent, bool save);
    bool IsSave() const { return FSave; }
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    QString Text(const char* key) const;
    void ShowError(const QString& text);
    bool AskReplace(const QString& file);

private:
    // Layout (XMLDialogsLayout.cpp).
    void Build();
    TPanelButton* AddButton(const QString& name, const QStringList& items, QRect geometry);
    QFrame* AddPanel(const QString& name, QRect geometry);

    // Behaviour (XMLDialogs.cpp).
    bool Navigate(const QString& path);
    void ShowFolder();
    void FillPathBox();
    QString ItemPath(const QModelIndex& index) const;
    bool ItemIsDir(const QModelIndex& index) const;
    QModelIndex FindItem(const QString& name) const;
    void ItemTapped(const QModelIndex& index, bool twice);
    void NameChanged();
    // The typed name as the file name: false (after saying so) when it is not valid.
    bool ApplyTypedName();
    void Compose(const QString& typed);
    void ShowFileName(const QString& name);
    void UpdatePreview();
    void CreateFolder(const QString& name);
    void Save();
    void Open();
    void ShowContextMenu();
    QStringList Extensions() const;
    QString CurrentExtension() const;

    const bool FSave;
    QString FFileName;
    QString FFolder;
    QString FDefaultExt;
    QString FLoaded; // the folder whose listing is complete
    QString FListFile;
    bool FComputer = false;
    TRecentNames FRecent;
    QList<TXMLPlace> FPlaces;
    TPreviewTransform FTransform;
    TOperatorIFace* FOperator = nullptr;
    const TKovaBase* FKovaBase = nullptr;

    std::unique_ptr<TXMLIcons> FIcons;
    QFileSystemModel* FFiles = nullptr;
    TXMLPlacesModel* FPlacesModel = nullptr;
    QFrame* pnHeader = nullptr;
    QLabel* Label1 = nullptr;
    TTntTSComboBox* cbFileName = nullptr;
    QComboBox* scPath = nullptr;
    QListView* lbFiles = nullptr;
    QFrame* pnWeb = nullptr;
    TXMLPreviewBrowser* WebBrowser1 = nullptr;
    QLabel* imViewBMP = nullptr;
    TPanelButton* bnOpen = nullptr;
};

// "Save File": the same dialog choosing a new name; an existing file is replaced only on the
// operator's word.
class TXMLSaveDialog : public TXMLOpenDialog {
    Q_OBJECT
public:
    explicit TXMLSaveDialog(QWidget* parent = nullptr) : TXMLOpenDialog(parent, true) {}
};
