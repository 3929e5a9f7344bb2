#include "XMLDialogs.h"

#include "AscInputForm.h"
#include "EntrySwitches.h"
#include "MessageBoxOperator.h"
#include "PanelButton.h"
#include "ProgramFiles.h"
#include "QuantityTexts.h"
#include "TSControls.h"
#include "XMLPreview.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QImageReader>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QStorageInfo>

namespace {

// The texts of the dialogs (language section "XMLDialogs").
const struct {
    const char* Key;
    const char* Text;
} kTexts[] = {
    {"SFileNotExists", "File :%s\r\ndoes not exists\nPlease select a valid file."},
    {"SSaveFile", "Save File"},
    {"SErrCreateDir", "Not possible to Create Directory"},
    {"SErrDriveNotReady", "Drive : \"%s\" not ready"},
    {"SErrInvalidFileName", "FileName \"%s\" is not a valid filename\nPlease try again."},
    {"SErrFileExists", "File \"%s\" already exists\nDo you want to replace it ?"},
    {"SNewFolder", "New Folder"},
    {"SCreateDir", "Create Directory"},
    {"SDirName", "Directory Name"},
};

// A path's drive is ready when the volume it lies on is mounted and readable.
bool DriveReady(const QString& path) {
    QString p = path;
    while (!p.isEmpty() && !QFileInfo::exists(p) && p != QLatin1String("/"))
        p = QFileInfo(p).path();
    const QStorageInfo volume(p);
    return volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isReadable();
}

QString Joined(const QString& folder, const QString& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

} // namespace

TXMLOpenDialog::TXMLOpenDialog(QWidget* parent) : TXMLOpenDialog(parent, false) {}

TXMLOpenDialog::TXMLOpenDialog(QWidget* parent, bool save)
    : QDialog(parent), FSave(save), FRecent(ProgramFolder()) {
    Build();
    connect(lbFiles, &QListView::clicked, this,
            [this](const QModelIndex& index) { ItemTapped(index, false); });
    connect(lbFiles, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { ItemTapped(index, true); });
    connect(cbFileName, &TTSComboBox::Change, this, &TXMLOpenDialog::NameChanged);
    // A name typed on a hardware keyboard counts when it is finished, not at every key.
    connect(cbFileName->Field(), &QLineEdit::editingFinished, this, [this] {
        if (!cbFileName->Field()->isModified())
            return;
        cbFileName->Field()->setModified(false);
        ApplyTypedName();
    });
    connect(scPath, &QComboBox::activated, this, [this](int i) {
        const QString path = scPath->itemData(i).toString();
        if (path.isEmpty())
            GoComputer();
        else
            SetFolder(path);
    });
    connect(FFiles, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
        if (QDir::cleanPath(path) == FFolder)
            FLoaded = FFolder;
    });
    FRecent.Load();
    cbFileName->SetItems(FRecent.Entries());
    SetDefaultExt(QStringLiteral(".bmp"));
    SetFileName(QStringLiteral("*.bmp"));
    GoComputer();
}

TXMLOpenDialog::~TXMLOpenDialog() {
    // The parts outlive this part of the dialog by a moment and may still report (the field losing
    // the focus, the file system model finishing a folder).
    for (const QObject* part :
         std::initializer_list<const QObject*>{FFiles, cbFileName, cbFileName->Field(), lbFiles, scPath})
        disconnect(part, nullptr, this, nullptr);
    // The model goes before the pictures it draws from.
    lbFiles->setModel(nullptr);
    delete FFiles;
}

QString TXMLOpenDialog::Text(const char* key) const {
    for (const auto& t : kTexts)
        if (qstrcmp(t.Key, key) == 0)
            return QString::fromUtf8(t.Text);
    return QString();
}

void TXMLOpenDialog::ShowError(const QString& text) {
    TMessageBoxOperator boxes(this);
    (FOperator ? FOperator : &boxes)->Error(text);
}

bool TXMLOpenDialog::AskReplace(const QString& file) {
    TMessageBoxOperator boxes(this);
    TOperatorIFace* op = FOperator ? FOperator : &boxes;
    return op->Message(TOperatorIFace::TKind::Confirmation, QString(),
                       FillPlaceholders(Text("SErrFileExists"), {file}),
                       TOperatorIFace::TButtons::OkCancel) == TOperatorIFace::TAnswer::Ok;
}

void TXMLOpenDialog::SetOperator(TOperatorIFace* op) {
    FOperator = op;
    cbFileName->SetOperator(op);
}

void TXMLOpenDialog::SetKovaBase(const TKovaBase* base) {
    FKovaBase = base;
    cbFileName->SetKovaBase(base);
}

void TXMLOpenDialog::SetListFile(const QString& fileName) {
    FListFile = fileName;
    cbFileName->SetListFile(fileName);
}

TPanelButton* TXMLOpenDialog::Button(const QString& name) const {
    return findChild<TPanelButton*>(name);
}

QString TXMLOpenDialog::HeaderText() const {
    return Label1->text();
}

QString TXMLOpenDialog::PreviewKind() const {
    if (!WebBrowser1->isHidden())
        return QStringLiteral("html");
    if (!imViewBMP->isHidden())
        return QStringLiteral("picture");
    return QString();
}

void TXMLOpenDialog::showEvent(QShowEvent* e) {
    bnOpen->SetState(FSave ? 1 : 0);
    QDialog::showEvent(e);
}

// --- the three properties ------------------------------------------------------------------

QStringList TXMLOpenDialog::Extensions() const {
    return XMLDialogNames::Extensions(FDefaultExt);
}

QString TXMLOpenDialog::CurrentExtension() const {
    const QString name = QFileInfo(FFileName).fileName();
    const qsizetype dot = name.lastIndexOf('.');
    return dot >= 1 ? name.mid(dot) : QString();
}

void TXMLOpenDialog::ShowFileName(const QString& name) {
    FFileName = name;
    Label1->setText(name);
    cbFileName->SetCaption(XMLDialogNames::WithoutExtension(QFileInfo(name).fileName(), Extensions()));
}

void TXMLOpenDialog::SetFileName(const QString& name) {
    ShowFileName(name);
}

void TXMLOpenDialog::SetDefaultExt(const QString& ext) {
    FDefaultExt = ext;
    FFiles->setNameFilters(XMLDialogNames::Patterns(Extensions()));
}

void TXMLOpenDialog::SetFolder(const QString& path) {
    Navigate(path);
}

void TXMLOpenDialog::SetAppFolder(const QString& folder) {
    FRecent = TRecentNames(folder);
    FRecent.Load();
    cbFileName->SetItems(FRecent.Entries());
}

void TXMLOpenDialog::SetRecentNames(const QStringList& entries) {
    FRecent.SetEntries(entries);
    cbFileName->SetItems(FRecent.Entries());
}

void TXMLOpenDialog::SetPlaces(const QList<TXMLPlace>& places) {
    FPlaces = places;
    if (FComputer)
        GoComputer();
}

// --- navigation ----------------------------------------------------------------------------

bool TXMLOpenDialog::Navigate(const QString& path) {
    if (!QDir::isAbsolutePath(path))
        return false;
    const QString p = QDir::cleanPath(path);
    if (!DriveReady(p)) {
        if (isVisible())
            ShowError(FillPlaceholders(Text("SErrDriveNotReady"), {p}));
        return false;
    }
    // A folder that is not there leaves the list where it was.
    if (!QFileInfo(p).isDir())
        return false;
    FComputer = false;
    FFolder = p;
    // A folder read before is not read again: its listing is complete at once.
    const QModelIndex known = FFiles->index(p);
    FLoaded = known.isValid() && !FFiles->canFetchMore(known) ? p : QString();
    const QModelIndex root = FFiles->setRootPath(p);
    if (lbFiles->model() != FFiles)
        lbFiles->setModel(FFiles);
    lbFiles->setRootIndex(root);
    FillPathBox();
    UpdatePreview();
    return true;
}

void TXMLOpenDialog::GoComputer() {
    FComputer = true;
    FFolder.clear();
    FPlacesModel->Rebuild(FPlaces);
    lbFiles->setModel(FPlacesModel);
    lbFiles->setRootIndex(QModelIndex());
    FillPathBox();
    UpdatePreview();
}

void TXMLOpenDialog::GoUp() {
    if (FComputer)
        return;
    if (FFolder == QLatin1String("/"))
        GoComputer();
    else
        Navigate(QFileInfo(FFolder).path());
}

void TXMLOpenDialog::FillPathBox() {
    const QSignalBlocker block(scPath);
    scPath->clear();
    scPath->addItem(QStringLiteral("Computer"), QString());
    if (FComputer)
        return;
    QStringList chain;
    for (QString p = FFolder;; p = QFileInfo(p).path()) {
        chain.prepend(p);
        if (p == QLatin1String("/") || QFileInfo(p).path() == p)
            break;
    }
    for (const QString& p : chain)
        scPath->addItem(p, p);
    scPath->setCurrentIndex(scPath->count() - 1);
}

bool TXMLOpenDialog::Listed() const {
    return FComputer || FLoaded == FFolder;
}

QString TXMLOpenDialog::ItemPath(const QModelIndex& index) const {
    if (FComputer)
        return FPlacesModel->PathAt(index.row());
    return FFiles->filePath(index);
}

bool TXMLOpenDialog::ItemIsDir(const QModelIndex& index) const {
    return FComputer || FFiles->isDir(index);
}

QStringList TXMLOpenDialog::ListedNames() const {
    QStringList out;
    QAbstractItemModel* model = lbFiles->model();
    const QModelIndex root = lbFiles->rootIndex();
    for (int r = 0; r < model->rowCount(root); ++r) {
        const QModelIndex index = model->index(r, 0, root);
        out << index.data().toString() + (!FComputer && ItemIsDir(index) ? QStringLiteral("/") : QString());
    }
    return out;
}

QModelIndex TXMLOpenDialog::FindItem(const QString& name) const {
    QAbstractItemModel* model = lbFiles->model();
    const QModelIndex root = lbFiles->rootIndex();
    for (int r = 0; r < model->rowCount(root); ++r) {
        const QModelIndex index = model->index(r, 0, root);
        if (index.data().toString() == name)
            return index;
    }
    return QModelIndex();
}

bool TXMLOpenDialog::TapItem(const QString& name, bool twice) {
    const QModelIndex index = FindItem(name);
    if (!index.isValid())
        return false;
    lbFiles->setCurrentIndex(index);
    ItemTapped(index, twice);
    return true;
}

void TXMLOpenDialog::ItemTapped(const QModelIndex& index, bool twice) {
    if (!index.isValid())
        return;
    const QString path = ItemPath(index);
    // A place is a folder of its own: one tap goes there.
    if (FComputer) {
        Navigate(path);
        return;
    }
    // A folder: a tap names the file in this folder, a double tap goes into it (and names the
    // file there in the save dialog).
    if (ItemIsDir(index)) {
        if (twice)
            Navigate(path);
        if (!twice || FSave)
            Compose(cbFileName->Caption());
        return;
    }
    ShowFileName(path);
    if (twice)
        bnOpenClick();
    else
        UpdatePreview();
}

bool TXMLOpenDialog::eventFilter(QObject* watched, QEvent* e) {
    // A double tap on the list's empty space in the save dialog names the file in this folder.
    if (watched == lbFiles->viewport() && e->type() == QEvent::MouseButtonDblClick && FSave && !FComputer) {
        const auto* me = static_cast<QMouseEvent*>(e);
        if (!lbFiles->indexAt(me->position().toPoint()).isValid())
            Compose(cbFileName->Caption());
    }
    return QDialog::eventFilter(watched, e);
}

// --- the typed name --------------------------------------------------------------------------

void TXMLOpenDialog::Compose(const QString& typed) {
    if (FComputer)
        return;
    const QString ext = CurrentExtension();
    const bool hasExt = ext.isEmpty() || typed.endsWith(ext, Qt::CaseInsensitive);
    FFileName = Joined(FFolder, typed) + (hasExt ? QString() : ext);
    Label1->setText(FFileName);
    UpdatePreview();
}

void TXMLOpenDialog::NameChanged() {
    // Typed by hand: taken when finished (Enter or leaving the field).
    if (cbFileName->Field()->isModified())
        return;
    ApplyTypedName();
}

bool TXMLOpenDialog::ApplyTypedName() {
    const QString text = cbFileName->Caption();
    const QStringList exts = Extensions();
    // A recent name names its file in full, relative to the program's folder.
    if (FRecent.Entries().contains(text)) {
        const QString full = FRecent.Resolve(text);
        if (!Navigate(QFileInfo(full).path()))
            return false;
        ShowFileName(full);
        lbFiles->setCurrentIndex(FindItem(QFileInfo(full).fileName()));
        UpdatePreview();
        return true;
    }
    const qsizetype slash = text.lastIndexOf('/');
    const QString filePart = text.mid(slash + 1);
    QString folder;
    if (slash >= 0) {
        const QString part = text.left(slash);
        folder = part.isEmpty()               ? QStringLiteral("/")
                 : QDir::isAbsolutePath(part) ? QDir::cleanPath(part)
                 : FComputer                  ? QString()
                                              : QDir::cleanPath(Joined(FFolder, part));
    }
    const bool valid = XMLDialogNames::ValidFilePart(filePart) && (slash < 0 || QFileInfo(folder).isDir()) &&
                       (slash >= 0 || !FComputer);
    if (!valid) {
        ShowError(FillPlaceholders(Text("SErrInvalidFileName"), {text}));
        cbFileName->SetCaption(XMLDialogNames::WithoutExtension(QFileInfo(FFileName).fileName(), exts));
        return false;
    }
    // The name goes to the folder it names, with its own file part.
    if (slash >= 0 && !Navigate(folder))
        return false;
    const QString shown = XMLDialogNames::WithoutExtension(filePart, exts);
    cbFileName->SetCaption(shown);
    const QModelIndex item = FindItem(filePart);
    if (item.isValid())
        lbFiles->setCurrentIndex(item);
    Compose(shown);
    return true;
}

// --- Open, Save, new folder ------------------------------------------------------------------

void TXMLOpenDialog::bnOpenClick() {
    if (FSave)
        Save();
    else
        Open();
}

void TXMLOpenDialog::Open() {
    const QFileInfo fi(FFileName);
    // A folder is not a file to open.
    if (!fi.isFile()) {
        ShowError(FillPlaceholders(Text("SFileNotExists"), {FFileName}));
        return;
    }
    const QStringList before = FRecent.Entries();
    FRecent.RecordOpened(fi.absoluteFilePath());
    if (FRecent.Entries() != before) {
        FRecent.Save();
        cbFileName->SetItems(FRecent.Entries());
    }
    accept();
}

void TXMLOpenDialog::Save() {
    if (!ApplyTypedName())
        return;
    const QFileInfo fi(FFileName);
    if (!XMLDialogNames::ValidFilePart(fi.fileName()) || fi.isDir()) {
        ShowError(FillPlaceholders(Text("SErrInvalidFileName"), {fi.fileName()}));
        return;
    }
    // The name is recorded only once the operator has said the old file may go.
    if (fi.exists() && !AskReplace(FFileName))
        return;
    FRecent.RecordSaved(fi.absoluteFilePath());
    FRecent.Save();
    cbFileName->SetItems(FRecent.Entries());
    accept();
}

void TXMLOpenDialog::bnNewClick() {
    if (FComputer) {
        ShowError(Text("SErrCreateDir"));
        return;
    }
    const QString name = Text("SNewFolder");
    if (TEntrySwitches::TouchEntryWide) {
        auto* kb = new TTntAscInputForm(this);
        kb->setAttribute(Qt::WA_DeleteOnClose);
        kb->SetOperator(FOperator);
        kb->SetKovaBase(FKovaBase);
        kb->SetUseList(false);
        kb->BindLine(name, Joined(FFolder, name), false);
        connect(kb, &QDialog::accepted, this, [this, kb] { CreateFolder(kb->Text()); });
        kb->open();
        return;
    }
    auto* query = new QInputDialog(this);
    query->setObjectName(QStringLiteral("qyCreateDir"));
    query->setAttribute(Qt::WA_DeleteOnClose);
    query->setWindowTitle(Text("SCreateDir"));
    query->setLabelText(Text("SDirName"));
    connect(query, &QInputDialog::textValueSelected, this, &TXMLOpenDialog::CreateFolder);
    query->open();
}

void TXMLOpenDialog::CreateFolder(const QString& name) {
    // Nothing typed, nothing to create; any other name gets the same check on either way in.
    if (name.trimmed().isEmpty())
        return;
    if (!XMLDialogNames::ValidFolderName(name) || !QDir(FFolder).mkdir(name)) {
        ShowError(Text("SErrCreateDir"));
        return;
    }
}

void TXMLOpenDialog::ShowContextMenu() {
    const QModelIndex index = lbFiles->currentIndex();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (index.isValid())
        menu->addAction(QStringLiteral("Open"), this, [this, index] { ItemTapped(index, true); });
    if (!FComputer)
        menu->addAction(Text("SCreateDir"), this, &TXMLOpenDialog::bnNewClick);
    const QRect at = index.isValid() ? lbFiles->visualRect(index) : lbFiles->viewport()->rect();
    menu->popup(lbFiles->viewport()->mapToGlobal(at.center()));
}

// --- preview -------------------------------------------------------------------------------

void TXMLOpenDialog::UpdatePreview() {
    WebBrowser1->hide();
    imViewBMP->hide();
    imViewBMP->clear();
    const QModelIndex index = lbFiles->currentIndex();
    if (FComputer || !index.isValid())
        return;
    const QFileInfo fi(ItemPath(index));
    // A huge file would hold the screen while it is read and laid out.
    if (!fi.isFile() || fi.size() > MaxPreviewBytes)
        return;
    const QString suffix = fi.suffix().toUpper();
    if (suffix == QLatin1String("XML")) {
        QString html;
        if (FTransform && FTransform(fi.absoluteFilePath(), html)) {
            WebBrowser1->ShowHtml(html, fi.absolutePath());
            WebBrowser1->show();
        }
    } else if (suffix == QLatin1String("BMP")) {
        QImageReader reader(fi.absoluteFilePath());
        const QImage image = reader.read();
        if (!image.isNull()) {
            imViewBMP->setPixmap(QPixmap::fromImage(
                image.scaled(imViewBMP->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
            imViewBMP->show();
        }
    }
}
