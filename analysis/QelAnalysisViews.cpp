// The views of the analysis page: add, rename, delete, save and show, their store into the test
// document and the pictures exported for every view.
#include "QelAnalysisFrames.h"

#include "AscInputForm.h"
#include "EntrySwitches.h"
#include "FStringGrids.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "QelGlobals.h"
#include "TntFChart.h"
#include "WinMsgList.h"
#include "XMLGrid.h"
#include "XMLKvDoc.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QInputDialog>
#include <QSaveFile>
#include <QTabBar>
#include <QUrl>

namespace {

// One store of the views at a time: the pictures it asks for apply views themselves.
bool gStoringViews = false;

const QString NameHint = QStringLiteral("Please enter a name for actual selection.");

// The test's file name without its extension, in its folder.
QString PictureBase(const QString& documentFile) {
    const QFileInfo fi(documentFile);
    return fi.dir().filePath(fi.completeBaseName());
}

} // namespace

bool TQelAnalysisFrame::AskViewName(const QString& suggestion, QString& name) {
    if (AskName)
        return AskName(suggestion, name);
    if (TEntrySwitches::TouchEntryWide) {
        TTntAscInputForm keyboard(this);
        keyboard.BindLine(suggestion, NameHint, false);
        if (keyboard.exec() != QDialog::Accepted)
            return false;
        name = keyboard.Text();
        return true;
    }
    bool ok = false;
    const QString typed = QInputDialog::getText(this, QStringLiteral("Application Software 8625"), NameHint,
                                                QLineEdit::Normal, suggestion, &ok);
    if (ok)
        name = typed;
    return ok;
}

void TQelAnalysisFrame::bnViewClick() {
    ViewOperation(bnView->State());
}

void TQelAnalysisFrame::ViewOperation(int state) {
    switch (state) {
    case 1:
        AddView();
        break;
    case 2:
        DeleteView();
        break;
    case 3:
        RenameView();
        break;
    case 4:
        SaveView();
        break;
    case 5:
        ShowActualDiagram();
        break;
    default:
        break;
    }
    StoreViews();
    UpdateSelectorVisibility();
    RefreshSettings();
}

void TQelAnalysisFrame::AddView() {
    // The values chosen in the filter, or the chart's title when nothing is filtered.
    const QString filter = sgMeasData->FilterString();
    QString suggestion;
    for (qsizetype at = filter.indexOf(QLatin1Char('>')); at >= 0;
         at = filter.indexOf(QLatin1Char('>'), at + 1)) {
        const qsizetype end = filter.indexOf(QLatin1Char(';'), at + 1);
        suggestion += filter.mid(at + 1, end < 0 ? -1 : end - at - 1) + QLatin1Char(';');
    }
    if (suggestion.isEmpty())
        suggestion = QStringLiteral("All");
    else
        suggestion.chop(1);
    if (suggestion.compare(QLatin1String("All"), Qt::CaseInsensitive) == 0)
        suggestion = FChart1->TitleStr();
    else
        suggestion.replace(QLatin1String("&&"), QLatin1String("&"));
    QString name;
    if (!AskViewName(suggestion, name))
        return;
    QString caption = name;
    caption.replace(QLatin1Char('&'), QLatin1String("&&"));
    const int row = ViewCount() + 1;
    sgView->SetRowCount(row + 1);
    sgView->SetRowCells(row, {caption, filter, QString::number(FChart1->XSelection()),
                              QString::number(FChart1->YSelection())});
    FUpdating = true;
    pcViewSelector->addTab(caption);
    pcViewSelector->setCurrentIndex(pcViewSelector->count() - 1);
    FUpdating = false;
}

void TQelAnalysisFrame::DeleteView() {
    const int tab = pcViewSelector->currentIndex();
    if (tab < 0 || !FGlobal.Operator())
        return;
    const QString text =
        QStringLiteral("Do you want to delete\r\ncurrent view\r\n%1").arg(pcViewSelector->tabText(tab));
    if (FGlobal.Operator()->Message(TOperatorIFace::TKind::Confirmation, QString(), text,
                                    TOperatorIFace::TButtons::OkCancel) != TOperatorIFace::TAnswer::Ok)
        return;
    sgView->SetRow(tab + 1);
    sgView->DeleteCurrentRow();
    FUpdating = true;
    pcViewSelector->removeTab(tab);
    FUpdating = false;
    ApplyView(false);
}

void TQelAnalysisFrame::RenameView() {
    const int tab = pcViewSelector->currentIndex();
    if (tab < 0)
        return;
    QString name;
    if (!AskViewName(ViewName(tab + 1), name))
        return;
    sgView->SetCell(0, tab + 1, name);
    pcViewSelector->setTabText(tab, name);
}

void TQelAnalysisFrame::SaveView() {
    const int tab = pcViewSelector->currentIndex();
    if (tab < 0 || !FGlobal.Operator())
        return;
    const QString text =
        QStringLiteral("Do you want store current view\r\nas '%1'").arg(pcViewSelector->tabText(tab));
    if (FGlobal.Operator()->Message(TOperatorIFace::TKind::Confirmation, QString(), text,
                                    TOperatorIFace::TButtons::OkCancel) != TOperatorIFace::TAnswer::Ok)
        return;
    int x = FChart1->XSelection();
    int y = FChart1->YSelection();
    if (FMultiFile) {
        if (x > 1)
            --x;
        if (y > 1)
            --y;
    }
    sgView->SetRowCells(
        tab + 1, {ViewName(tab + 1), sgMeasData->FilterString(), QString::number(x), QString::number(y)});
}

void TQelAnalysisFrame::ShowActualDiagram() {
    FGlobal.SendToAll(UM_FILESCHANGED, 2, 0);
    const QString doc = FGlobal.Doc().FileName();
    if (doc.isEmpty())
        return;
    const QString picture = PictureBase(doc) + QStringLiteral(".jpg");
    if (OpenPicture)
        OpenPicture(picture);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(picture));
}

void TQelAnalysisFrame::StoreViews() {
    if (gStoringViews || FMultiFile)
        return;
    gStoringViews = true;
    const TXMLAnalysisType analysis = FGlobal.Doc().QEL().Analysis();
    analysis.XSelection().SetValue(FChart1->XSelection());
    analysis.YSelection().SetValue(FChart1->YSelection());
    StoreViewTable(analysis);
    FGlobal.SendToAll(UM_FILESCHANGED, 0, 0);
    // Views, limits and pictures are part of the test: kept on the disk at once.
    if (!FGlobal.Doc().FileName().isEmpty())
        FGlobal.SaveDocument(1);
    gStoringViews = false;
}

bool TQelAnalysisFrame::WritePicture(const QImage& picture, const QString& fileName, int quality) {
    // Replaced in one step: a picture the reports link to is never half written.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QImageWriter writer(&file, "jpeg");
    writer.setQuality(quality);
    if (!writer.write(picture)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void TQelAnalysisFrame::ExportViews(int wParam) {
    if (wParam == 1)
        return;
    const QString doc = FGlobal.Doc().FileName();
    if (doc.isEmpty())
        return;
    const QString base = PictureBase(doc);
    if (wParam == 2) {
        WritePicture(FChart1->Picture(), base + QStringLiteral(".jpg"), -1);
        return;
    }
    const TXMLAnalysisType analysis = FGlobal.Doc().QEL().Analysis();
    analysis.JPEGFiles().Clear();
    const QString name = QFileInfo(doc).completeBaseName();
    const int active = pcViewSelector->currentIndex();
    const int views = std::min(ViewCount(), pcViewSelector->count());
    bool failed = false;
    for (int n = 1; n <= views; ++n) {
        FUpdating = true;
        pcViewSelector->setCurrentIndex(n - 1);
        FUpdating = false;
        // Applied without a settings refresh: the configuration is no business of a picture.
        ApplyView(false);
        const QString file = name + QString::number(n) + QStringLiteral(".jpg");
        if (!WritePicture(FChart1->Picture(), base + QString::number(n) + QStringLiteral(".jpg"), 100))
            failed = true;
        const TXMLJPEGFilesType entry = analysis.JPEGFiles().Add();
        entry.SetValue(file);
        entry.SetTitle(ViewName(n));
    }
    FUpdating = true;
    pcViewSelector->setCurrentIndex(active);
    FUpdating = false;
    ApplyView(false);
    analysis.JPEGName().SetValue(name);
    analysis.JPEGCount().SetValue(views);
    if (failed && FGlobal.Operator())
        FGlobal.Operator()->Error(
            QStringLiteral("The pictures of the views could not be written beside\r\n%1").arg(doc));
}
