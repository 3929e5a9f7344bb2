// The dialogs' form: 800 × 600, the file list left, the preview right, the keys along the bottom.
#include "XMLDialogs.h"

#include "LangManager.h"
#include "PanelButton.h"
#include "QelImage.h"
#include "TSControls.h"
#include "XMLPreview.h"

#include <QComboBox>
#include <QFileSystemModel>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QScroller>

namespace {

QString Item(const QString& caption, int picture) {
    return QStringLiteral("\"%1\",%2").arg(caption).arg(picture);
}

} // namespace

TPanelButton* TXMLOpenDialog::AddButton(const QString& name, const QStringList& items, QRect geometry) {
    auto* b = new TPanelButton(this);
    b->setObjectName(name);
    b->setGeometry(geometry);
    b->SetImageList(new TImageList(QSize(32, 32), &TQelImage::DrawPicture, nullptr, b));
    b->SetCaptionItems(items);
    return b;
}

QFrame* TXMLOpenDialog::AddPanel(const QString& name, QRect geometry) {
    auto* panel = new QFrame(this);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setGeometry(geometry);
    return panel;
}

void TXMLOpenDialog::Build() {
    setObjectName(FSave ? QStringLiteral("XMLSaveDialog") : QStringLiteral("XMLOpenDialog"));
    setWindowTitle(FSave ? Text("SSaveFile") : QStringLiteral("Load File"));
    setFixedSize(800, 600);
    QFont big = font();
    big.setPixelSize(18);

    pnHeader = AddPanel(QStringLiteral("pnHeader"), QRect(0, 0, 800, 36));
    Label1 = new QLabel(pnHeader);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 2, 784, 32);
    Label1->setFont(big);
    Label1->setTextFormat(Qt::PlainText);
    SetLangTag(Label1, LangTagNever); // the filter in force

    cbFileName = new TTntTSComboBox(this);
    cbFileName->setObjectName(QStringLiteral("cbFileName"));
    cbFileName->setToolTip(QStringLiteral("File Name"));
    cbFileName->setFont(big);
    cbFileName->setGeometry(10, 42, 780, 40);

    scPath = new QComboBox(this);
    scPath->setObjectName(QStringLiteral("scPath"));
    scPath->setFont(big);
    scPath->setGeometry(10, 88, 780, 40);
    scPath->setMaxVisibleItems(22);
    SetLangTag(scPath, LangTagNever); // the folders above the current one

    FFiles = new QFileSystemModel(this);
    FFiles->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    FFiles->setReadOnly(true);
    // The model filters the files itself as it reads them; folders pass always.
    FFiles->setNameFilterDisables(false);
    FIcons = std::make_unique<TXMLIcons>();
    FFiles->setIconProvider(FIcons.get());
    FPlacesModel = new TXMLPlacesModel(this);

    lbFiles = new QListView(this);
    lbFiles->setObjectName(QStringLiteral("lbFiles"));
    lbFiles->setGeometry(10, 134, 390, 400);
    lbFiles->setFont(big);
    lbFiles->setIconSize(QSize(24, 24));
    lbFiles->setUniformItemSizes(true);
    lbFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lbFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lbFiles->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    lbFiles->setSpacing(2);
    lbFiles->viewport()->installEventFilter(this);
    // A finger drags the list; a mouse uses the scroll bar.
    QScroller::grabGesture(lbFiles->viewport(), QScroller::TouchGesture);

    pnWeb = AddPanel(QStringLiteral("pnWeb"), QRect(410, 134, 380, 400));
    WebBrowser1 = new TXMLPreviewBrowser(pnWeb);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(2, 2, 376, 396);
    QScroller::grabGesture(WebBrowser1->viewport(), QScroller::TouchGesture);
    WebBrowser1->hide();
    imViewBMP = new QLabel(pnWeb);
    imViewBMP->setObjectName(QStringLiteral("imViewBMP"));
    imViewBMP->setGeometry(2, 2, 376, 396);
    imViewBMP->setAlignment(Qt::AlignCenter);
    imViewBMP->hide();

    constexpr int y = 542;
    auto* home =
        AddButton(QStringLiteral("bnHome"), {Item(QString(), TQelImage::picComputer)}, QRect(10, y, 56, 50));
    connect(home, &TPanelButton::Click, this, &TXMLOpenDialog::GoComputer);
    auto* up =
        AddButton(QStringLiteral("bnDirUp"), {Item(QString(), TQelImage::picDirUp)}, QRect(72, y, 56, 50));
    connect(up, &TPanelButton::Click, this, &TXMLOpenDialog::GoUp);
    auto* add =
        AddButton(QStringLiteral("bnNew"), {Item(QString(), TQelImage::picNewFolder)}, QRect(134, y, 56, 50));
    connect(add, &TPanelButton::Click, this, &TXMLOpenDialog::bnNewClick);
    auto* menu = AddButton(QStringLiteral("bnContextMenu"), {Item(QString(), TQelImage::picContextMenu)},
                           QRect(196, y, 56, 50));
    connect(menu, &TPanelButton::Click, this, &TXMLOpenDialog::ShowContextMenu);
    auto* help = AddButton(QStringLiteral("bnHelp"), {Item(QStringLiteral("Help"), TQelImage::picHelp)},
                           QRect(410, y, 120, 50));
    connect(help, &TPanelButton::Click, this, &TXMLOpenDialog::HelpRequested);
    bnOpen = AddButton(QStringLiteral("bnOpen"),
                       {Item(QStringLiteral("Open"), TQelImage::picOpen),
                        Item(QStringLiteral("Save"), TQelImage::picSaveFile)},
                       QRect(540, y, 120, 50));
    connect(bnOpen, &TPanelButton::Click, this, &TXMLOpenDialog::bnOpenClick);
    auto* cancel = AddButton(QStringLiteral("bnCancel"),
                             {Item(QStringLiteral("Cancel"), TQelImage::picCancel)}, QRect(670, y, 120, 50));
    connect(cancel, &TPanelButton::Click, this, &QDialog::reject);
}
