#include "QelFileLists.h"

#include "FStringGrids.h"
#include "IniFile.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "QelAnalysis.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "StateButton.h"
#include "XMLDialogs.h"
#include "XMLKvDoc.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

const QString TQelFileList::DefaultListName = QStringLiteral("QEL8624.LST");

namespace {

const QString Section = QStringLiteral("QelAnalysis");
const QString LastListKey = QStringLiteral("LastListName");

TPanelButton* NewButton(QWidget* parent, const char* name, const QString& item) {
    auto* b = new TPanelButton(parent);
    b->setObjectName(QLatin1String(name));
    b->SetCaptionItems({item});
    b->SetWordWrap(true);
    b->setMinimumSize(120, 48);
    return b;
}

} // namespace

TQelFileList::TQelFileList(TQelGlobal& global, QWidget* parent) : QDialog(parent), FGlobal(global) {
    setObjectName(QStringLiteral("QelFileList"));
    setWindowTitle(QStringLiteral("Analysis File Selection"));
    resize(760, 480);
    sgFiles = new TTntFStringGrid(this);
    sgFiles->setObjectName(QStringLiteral("sgFiles"));
    sgFiles->SetOperator(FGlobal.Operator());
    bnAdd = NewButton(this, "bnAdd", QStringLiteral("\"Add File\",116"));
    bnRemove = NewButton(this, "bnRemove", QStringLiteral("\"Remove File\",117"));
    bnRemoveAll = NewButton(this, "bnRemoveAll", QStringLiteral("\"Remove All\",118"));
    bnSaveList = NewButton(this, "bnSaveList", QStringLiteral("\"Save List As ...\",119"));
    bnLoadList = NewButton(this, "bnLoadList", QStringLiteral("\"Load List ...\",121"));
    StateButton1 = new TStateButton(this);
    StateButton1->setObjectName(QStringLiteral("StateButton1"));
    StateButton1->SetCaptionItems({QStringLiteral("\"Show Analysis\",120")});
    StateButton1->setMinimumSize(120, 48);
    connect(bnAdd, &TPanelButton::Click, this, &TQelFileList::bnAddClick);
    connect(bnRemove, &TPanelButton::Click, this, &TQelFileList::bnRemoveClick);
    connect(bnRemoveAll, &TPanelButton::Click, this, &TQelFileList::bnRemoveAllClick);
    connect(bnSaveList, &TPanelButton::Click, this, &TQelFileList::bnSaveListClick);
    connect(bnLoadList, &TPanelButton::Click, this, &TQelFileList::bnLoadListClick);
    connect(StateButton1, &TStateButton::Click, this, &TQelFileList::StateButton1Click);
    auto* keys = new QHBoxLayout;
    for (QWidget* b : {static_cast<QWidget*>(bnAdd), static_cast<QWidget*>(bnRemove),
                       static_cast<QWidget*>(bnRemoveAll), static_cast<QWidget*>(bnSaveList),
                       static_cast<QWidget*>(bnLoadList), static_cast<QWidget*>(StateButton1)})
        keys->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sgFiles, 1);
    layout->addLayout(keys);

    ResetList();
    TIniFile ini(FGlobal.ConfigFileName);
    const QString last = ini.ReadString(Section, LastListKey, QString());
    if (!last.isEmpty() && QFileInfo(last).isFile() && LoadList(last))
        return;
    sgFiles->SetCell(0, 1, QStringLiteral("1"));
    sgFiles->SetCell(1, 1, FGlobal.Doc().FileName());
    FListName = FGlobal.AppFolder + DefaultListName;
    SaveList(FListName, false);
    WriteLastListName();
    sgFiles->FitColWidths(true, true);
}

TQelFileList::~TQelFileList() = default;

void TQelFileList::SetImages(const TQelImage& images) {
    FImages = &images;
    for (TCaptionButton* b :
         {static_cast<TCaptionButton*>(bnAdd), static_cast<TCaptionButton*>(bnRemove),
          static_cast<TCaptionButton*>(bnRemoveAll), static_cast<TCaptionButton*>(bnSaveList),
          static_cast<TCaptionButton*>(bnLoadList), static_cast<TCaptionButton*>(StateButton1)})
        b->SetImageList(images.Image32x32L());
}

void TQelFileList::ResetList() {
    sgFiles->SetColCount(2);
    sgFiles->SetRowCount(2);
    sgFiles->SetRowCells(0, {QStringLiteral("Nr"), QStringLiteral("FileName")});
    sgFiles->SetRowCells(1, {QString(), QString()});
    sgFiles->SetFixedRows(1);
    sgFiles->SetFixedCols(1);
}

void TQelFileList::WriteLastListName() {
    TIniFile ini(FGlobal.ConfigFileName);
    ini.WriteString(Section, LastListKey, FListName);
}

void TQelFileList::Renumber() {
    for (int r = 1; r < sgFiles->RowCount(); ++r)
        sgFiles->SetCell(0, r, QString::number(r));
}

QStringList TQelFileList::Files() const {
    QStringList files;
    for (int r = 1; r < sgFiles->RowCount(); ++r)
        if (!sgFiles->Cell(1, r).trimmed().isEmpty())
            files << sgFiles->Cell(1, r);
    return files;
}

void TQelFileList::WarnDuplicates() {
    QStringList seen, twice;
    for (const QString& f : Files()) {
        const QString key = QFileInfo(f).absoluteFilePath().toLower();
        if (seen.contains(key) && !twice.contains(f))
            twice << f;
        seen << key;
    }
    if (!twice.isEmpty() && FGlobal.Operator())
        FGlobal.Operator()->Inform(QStringLiteral("These files are listed more than once:\r\n%1")
                                       .arg(twice.join(QStringLiteral("\r\n"))),
                                   windowTitle());
}

bool TQelFileList::LoadList(const QString& fileName) {
    if (!QFileInfo(fileName).isFile())
        return false;
    if (!sgFiles->LoadFromFile(fileName))
        return false;
    FListName = fileName;
    setWindowTitle(QStringLiteral("Analysis File Selection -") + QFileInfo(fileName).fileName());
    if (sgFiles->ColCount() < 2)
        sgFiles->SetColCount(2);
    if (sgFiles->RowCount() < 2)
        sgFiles->SetRowCount(2);
    const QString current = FGlobal.Doc().FileName();
    bool listed = false;
    for (int r = 1; r < sgFiles->RowCount() && !listed; ++r)
        listed = sgFiles->Cell(1, r).compare(current, Qt::CaseInsensitive) == 0;
    if (!listed && !current.isEmpty()) {
        sgFiles->InsertRow(1);
        sgFiles->SetCell(1, 1, current);
        Renumber();
    }
    if (sgFiles->RowCount() > 1)
        sgFiles->SetFixedRows(1);
    sgFiles->SetFixedCols(1);
    WriteLastListName();
    sgFiles->FitColWidths(true, true);
    WarnDuplicates();
    return true;
}

bool TQelFileList::SaveList(const QString& fileName, bool units) {
    return sgFiles->SaveToFile(fileName, units);
}

QString TQelFileList::AskFile(bool save, const QString& ext, const QString& name) {
    if (ChooseFile)
        return ChooseFile(save, FGlobal.DataPath, ext, name);
    TXMLOpenDialog* dlg = save ? new TXMLSaveDialog(this) : new TXMLOpenDialog(this);
    dlg->SetOperator(FGlobal.Operator());
    dlg->SetAppFolder(FGlobal.AppFolder);
    dlg->SetDefaultExt(ext);
    dlg->SetFolder(FGlobal.DataPath);
    if (!name.isEmpty())
        dlg->SetFileName(name);
    const bool ok = dlg->exec() == QDialog::Accepted;
    const QString chosen = ok ? dlg->FileName() : QString();
    delete dlg;
    return chosen;
}

bool TQelFileList::Confirm(const QString& text) {
    TOperatorIFace* op = FGlobal.Operator();
    return op && op->Message(TOperatorIFace::TKind::Confirmation, windowTitle(), text,
                             TOperatorIFace::TButtons::OkCancel) == TOperatorIFace::TAnswer::Ok;
}

void TQelFileList::bnAddClick() {
    const QString file = AskFile(false, QStringLiteral(".XML"), QString());
    if (file.isEmpty())
        return;
    const QString key = QFileInfo(file).absoluteFilePath().toLower();
    for (const QString& f : Files())
        if (QFileInfo(f).absoluteFilePath().toLower() == key) {
            if (FGlobal.Operator())
                FGlobal.Operator()->Inform(QStringLiteral("The file is on the list already:\r\n%1").arg(file),
                                           windowTitle());
            return;
        }
    int row = sgFiles->RowCount();
    if (row == 2 && sgFiles->Cell(0, 1).trimmed().isEmpty())
        row = 1;
    else
        sgFiles->SetRowCount(row + 1);
    sgFiles->SetCell(0, row, QString::number(row));
    sgFiles->SetCell(1, row, file);
    sgFiles->SetRow(row);
    sgFiles->FitColWidths(true, true);
}

void TQelFileList::bnRemoveClick() {
    if (Confirm(QStringLiteral("Do want to remove selected files")))
        sgFiles->DeleteSelectedRows();
}

void TQelFileList::bnRemoveAllClick() {
    if (Confirm(QStringLiteral("Do want to remove all files")))
        ResetList();
}

void TQelFileList::bnSaveListClick() {
    QString file = AskFile(true, QStringLiteral(".LST"), FListName);
    if (file.isEmpty())
        return;
    if (!file.endsWith(QLatin1String(".LST"), Qt::CaseInsensitive))
        file += QStringLiteral(".LST");
    if (!SaveList(file, true))
        return;
    FListName = file;
    WriteLastListName();
    setWindowTitle(QStringLiteral("Analysis File Selection -") + QFileInfo(file).fileName());
}

void TQelFileList::bnLoadListClick() {
    const QString file = AskFile(false, QStringLiteral(".LST"), QString());
    if (file.isEmpty())
        return;
    if (!QFileInfo(file).isFile()) {
        if (FGlobal.Operator())
            FGlobal.Operator()->Error(
                QStringLiteral("Error reading file:\r\n\"%1\"\r\nIt is not possible to load file.")
                    .arg(file));
        return;
    }
    LoadList(file);
}

void TQelFileList::StateButton1Click() {
    SaveList(FListName, false);
    hide();
    TAnalysis analysis(FGlobal, parentWidget());
    if (FImages)
        analysis.SetImages(*FImages);
    analysis.LoadList(FListName);
    if (RunAnalysis)
        RunAnalysis(analysis);
    else
        analysis.exec();
}
