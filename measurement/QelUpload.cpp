#include "QelUpload.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>

#include "CaptionItems.h"
#include "LangManager.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "Qel8624Protocol.h"
#include "QelFileManagers.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelTestFiles.h"
#include "QelUploads.h"

namespace {

TPanelButton* NewButton(QWidget* parent, const QString& name, const QString& caption, int picture) {
    auto* b = new TPanelButton(parent);
    b->setObjectName(name);
    b->SetCaptionItems({CaptionItem::Make(caption, picture)});
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

TQelUpload::TQelUpload(TQelGlobal& global, TFileManager* fileManager, QWidget* parent)
    : QDialog(parent), FGlobal(global), FFileManager(fileManager) {
    setObjectName(QStringLiteral("QelUpload"));
    setWindowTitle(QStringLiteral("Upload Measurement / Setup"));
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    Label1 = new QLabel(QStringLiteral("Select upload items"), this);
    Label2 = new QLabel(QStringLiteral("Content of selected item"), this);
    lbMemory = new QListWidget(this);
    lbMemory->setObjectName(QStringLiteral("lbMemory"));
    SetLangTag(lbMemory, LangTagNever); // the instrument's stored tests
    lbMemory->setFont(fixed);
    lbMemory->setUniformItemSizes(true);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFont(fixed);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    bnOk = NewButton(this, QStringLiteral("bnOk"), QStringLiteral("Open as Document "),
                     TQelImage::picOpenAsDocument);
    bnDelete = NewButton(this, QStringLiteral("bnDelete"), QStringLiteral("Delete"), TQelImage::picDelete);
    bnCancel = NewButton(this, QStringLiteral("bnCancel"), QStringLiteral("Close"), TQelImage::picClose);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0, 1, 3);
    layout->addWidget(lbMemory, 1, 0, 1, 3);
    layout->addWidget(Label2, 2, 0, 1, 3);
    layout->addWidget(Memo1, 3, 0, 1, 3);
    layout->addWidget(bnOk, 4, 0);
    layout->addWidget(bnDelete, 4, 1);
    layout->addWidget(bnCancel, 4, 2);
    layout->setRowStretch(1, 1);
    layout->setRowStretch(3, 2);
    resize(760, 560);

    lbMemory->setSelectionMode(QAbstractItemView::SingleSelection);
    // A row counts as chosen once it is selected: the list's focus alone makes a row current.
    connect(lbMemory, &QListWidget::itemSelectionChanged, this, &TQelUpload::lbMemoryClick);
    connect(bnOk, &TPanelButton::Click, this, &TQelUpload::bnOkClick);
    connect(bnDelete, &TPanelButton::Click, this, &TQelUpload::bnDeleteClick);
    connect(bnCancel, &TPanelButton::Click, this, &TQelUpload::bnCancelClick);
    FGlobal.RegisterWindow(this);
    FillList();
}

void TQelUpload::SetImages(const TQelImage& images) {
    for (TPanelButton* b : {bnOk, bnDelete, bnCancel})
        b->SetImageList(images.Image32x32L());
}

TQelUpload::~TQelUpload() {
    FGlobal.UnregisterWindow(this);
}

void TQelUpload::FillList() {
    const int slot = SelectedSlot();
    lbMemory->clear();
    for (const auto& entry : FGlobal.DirectoryEntries) {
        if (!entry)
            continue;
        auto* item = new QListWidgetItem(QelUploads::ListRow(*entry), lbMemory);
        item->setData(Qt::UserRole, entry->Slot);
        item->setSizeHint(QSize(0, 32));
        if (entry->Slot == slot) {
            lbMemory->setCurrentItem(item);
            item->setSelected(true);
        }
    }
    if (lbMemory->selectedItems().isEmpty())
        Memo1->clear();
}

int TQelUpload::SelectedSlot() const {
    const QList<QListWidgetItem*> items = lbMemory->selectedItems();
    return items.isEmpty() ? 0 : items.first()->data(Qt::UserRole).toInt();
}

const TTestInfo* TQelUpload::Entry(int slot) const {
    for (const auto& entry : FGlobal.DirectoryEntries)
        if (entry && entry->Slot == slot)
            return entry.get();
    return nullptr;
}

const TMemoryData* TQelUpload::Record(int slot) const {
    for (size_t i = 0; i < FGlobal.DirectoryEntries.size() && i < FGlobal.UploadedRecords.size(); ++i)
        if (FGlobal.DirectoryEntries[i] && FGlobal.DirectoryEntries[i]->Slot == slot)
            return FGlobal.UploadedRecords[i].get();
    return nullptr;
}

void TQelUpload::lbMemoryClick() {
    const int slot = SelectedSlot();
    if (slot == 0)
        return;
    const TMemoryData* record = Record(slot);
    Memo1->setPlainText(record ? QelUploads::RecordText(FGlobal, *record)
                               : QStringLiteral(" Sorry no data available"));
}

void TQelUpload::bnDeleteClick() {
    TOperatorIFace* op = FGlobal.Operator();
    const QList<QListWidgetItem*> selected = lbMemory->selectedItems();
    const QListWidgetItem* item = selected.isEmpty() ? nullptr : selected.first();
    if (!item) {
        if (op)
            op->Inform(QStringLiteral("Select a row for deleting"));
        return;
    }
    if (op && op->Message(TOperatorIFace::TKind::Confirmation, QStringLiteral("Delete"),
                          QStringLiteral("Do you want to delete \r\n\"%1\"").arg(item->text()),
                          TOperatorIFace::TButtons::OkCancel) != TOperatorIFace::TAnswer::Ok)
        return;
    // The row goes when the instrument has deleted the slot (message 1393, MEMDELETE).
    FGlobal.DeleteMemorySlot(SelectedSlot());
}

void TQelUpload::bnOkClick() {
    TOperatorIFace* op = FGlobal.Operator();
    const int slot = SelectedSlot();
    if (slot == 0) {
        if (op)
            op->Inform(QStringLiteral("Select an upload item."));
        return;
    }
    if (!Record(slot)) {
        if (op)
            op->Inform(QStringLiteral(" Sorry no data available"));
        return;
    }
    if (!FFileManager || FFileManager->Files().CheckUnsavedChanges() == TQelTestFiles::mrCancel) {
        accept();
        return;
    }
    const QString proposed = QelUploads::FirstFreeFileName(FGlobal.DataPath + QStringLiteral("Upload.xml"));
    QPointer<TQelUpload> self(this);
    FFileManager->AskSaveAsName(
        FGlobal.DataPath, proposed,
        [this, self, slot](const QString& name, bool agreed) {
            if (!self)
                return;
            // The lists may have changed while the name was asked for: the slot finds its test.
            const TMemoryData* record = Record(slot);
            const TTestInfo* entry = Entry(slot);
            if (record && entry) {
                QelUploads::OpenAsDocument(FFileManager->Files(), name, agreed, *record, *entry);
                FFileManager->UpdateRecentFiles();
            }
            accept();
        },
        [self] {
            if (self)
                self->accept();
        });
}

void TQelUpload::bnCancelClick() {
    reject();
}

bool TQelUpload::event(QEvent* e) {
    if (int(e->type()) == UM_LINKSTATE) {
        const auto* m = static_cast<const TQelMessage*>(e);
        if (m->WParam == wpCompleted && m->LParam == int(CommandType::MEMDELETE))
            FillList();
    }
    return QDialog::event(e);
}
