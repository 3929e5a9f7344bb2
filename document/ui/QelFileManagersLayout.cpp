// The form of the file manager: the actions in two columns of large keys, the last tests beside them.
#include "QelFileManagers.h"

#include "CaptionItems.h"
#include "PanelButton.h"
#include "QelImage.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QString Item(const QString& caption, int picture) {
    return CaptionItem::Make(caption, picture);
}

} // namespace

TPanelButton* TFileManager::AddButton(const QString& name, const QStringList& items) {
    auto* b = new TPanelButton(this);
    b->setObjectName(name);
    b->SetImageList(new TImageList(QSize(32, 32), &TQelImage::DrawPicture, nullptr, b));
    b->SetCaptionItems(items);
    b->SetWordWrap(true);
    b->setMinimumSize(220, 56);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void TFileManager::Build() {
    setObjectName(QStringLiteral("FileManager"));
    setWindowTitle(QStringLiteral("File Manager"));

    bnNewTest = AddButton(QStringLiteral("bnNewTest"), {Item(QStringLiteral("New"), TQelImage::picNewTest)});
    bnLoadFromTemplate =
        AddButton(QStringLiteral("bnLoadFromTemplate"),
                  {Item(QStringLiteral("New based on Template"), TQelImage::picFromTemplate)});
    bnLoad = AddButton(QStringLiteral("bnLoad"), {Item(QStringLiteral("Load"), TQelImage::picLoad)});
    bnSave = AddButton(QStringLiteral("bnSave"), {Item(QStringLiteral("Save"), TQelImage::picSave)});
    bnSaveAs = AddButton(QStringLiteral("bnSaveAs"), {Item(QStringLiteral("Save As"), TQelImage::picSave)});
    bnPrint = AddButton(QStringLiteral("bnPrint"),
                        {Item(QStringLiteral("Report"), TQelImage::picReport),
                         Item(QStringLiteral("Show (Print) Report"), TQelImage::picReport),
                         Item(QStringLiteral("Show (Print) Actual Diagram"), TQelImage::picReport),
                         Item(QStringLiteral("Print Report"), TQelImage::picReport),
                         Item(QStringLiteral("Save as PDF"), TQelImage::picReport)});
    bnPrint->SetPopup(true);
    bnPrint->SetPopupButton(true);
    bnPrint->SetPopupWidth(300);
    bnPrint->SetPopupHeight(56);
    bnClose = AddButton(QStringLiteral("bnClose"), {Item(QStringLiteral("Close"), TQelImage::picClose)});

    Label1 = new QLabel(QStringLiteral("Previous Test(s)"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    bnHis1 = AddButton(QStringLiteral("bnHis1"), {CaptionItem::Make(QString())});
    bnHis2 = AddButton(QStringLiteral("bnHis2"), {CaptionItem::Make(QString())});
    bnHis3 = AddButton(QStringLiteral("bnHis3"), {CaptionItem::Make(QString())});
    for (TPanelButton* b : {bnHis1, bnHis2, bnHis3}) {
        b->setMinimumWidth(280);
        b->hide();
    }

    auto* keys = new QGridLayout;
    keys->setSpacing(8);
    keys->addWidget(bnNewTest, 0, 0);
    keys->addWidget(bnLoadFromTemplate, 1, 0);
    keys->addWidget(bnLoad, 2, 0);
    keys->addWidget(bnSave, 0, 1);
    keys->addWidget(bnSaveAs, 1, 1);
    keys->addWidget(bnPrint, 2, 1);

    auto* recent = new QVBoxLayout;
    recent->setSpacing(8);
    recent->addWidget(Label1);
    recent->addWidget(bnHis1);
    recent->addWidget(bnHis2);
    recent->addWidget(bnHis3);
    recent->addStretch(1);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addLayout(keys);
    top->addLayout(recent);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(bnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addLayout(top);
    layout->addLayout(bottom);

    connect(bnNewTest, &TPanelButton::Click, this, &TFileManager::bnNewTestClick);
    connect(bnLoadFromTemplate, &TPanelButton::Click, this, &TFileManager::bnLoadFromTemplateClick);
    connect(bnLoad, &TPanelButton::Click, this, &TFileManager::bnLoadClick);
    connect(bnSave, &TPanelButton::Click, this, &TFileManager::bnSaveClick);
    connect(bnSaveAs, &TPanelButton::Click, this, &TFileManager::bnSaveAsClick);
    connect(bnPrint, &TPanelButton::Click, this, &TFileManager::bnPrintClick);
    connect(bnClose, &TPanelButton::Click, this, &QDialog::reject);
    connect(bnHis1, &TPanelButton::Click, this, [this] { bnHisClick(0); });
    connect(bnHis2, &TPanelButton::Click, this, [this] { bnHisClick(1); });
    connect(bnHis3, &TPanelButton::Click, this, [this] { bnHisClick(2); });
}
