#include "QelFileManagers.h"

#include "CaptionItems.h"
#include "EntrySwitches.h"
#include "HTMLTransform.h"
#include "LastFiles.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "ProgramFiles.h"
#include "QelGlobals.h"
#include "QelReports.h"
#include "QelTestFiles.h"
#include "RecentNames.h"
#include "ReportRenderer.h"
#include "XMLDialogs.h"
#include "XMLKvDoc.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>

namespace {

const QString TestFilter = QStringLiteral("Test Files(*.xml *.XML)");

} // namespace

TFileManager::TFileManager(TQelTestFiles& files, QWidget* parent) : QDialog(parent), FFiles(files) {
    Build();
    if (!FFiles.OpenUrl)
        FFiles.OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    TQelGlobal& g = FFiles.Global();
    const QString styleSheet = ProgramDataFile(g.AppFolder, g.Doc().XSLStyleSheetFile());
    const QList<TXMLPlace> places = {{QStringLiteral("Data"), g.DataPath, false},
                                     {QStringLiteral("Templates"), g.TemplatesPath, false},
                                     {QStringLiteral("Working"), g.WorkingFolder, false}};
    FOpenDialog = new TXMLOpenDialog(this);
    FSaveDialog = new TXMLSaveDialog(this);
    for (TXMLOpenDialog* dlg : {FOpenDialog, static_cast<TXMLOpenDialog*>(FSaveDialog)}) {
        dlg->SetAppFolder(g.AppFolder);
        dlg->SetOperator(g.Operator());
        dlg->SetKovaBase(&g.KovaBase());
        dlg->SetListFile(ProgramFileName(QStringLiteral("AscInput.cfg"), g.AppFolder));
        dlg->SetPlaces(places);
        dlg->SetDefaultExt(QStringLiteral(".XML"));
        dlg->SetFolder(g.DataPath);
        // The preview is the test as its report shows it.
        dlg->SetPreviewTransform([styleSheet](const QString& file, QString& html) {
            const THTMLTransform t = TransformTestFile(file, styleSheet);
            if (!t.Ok())
                return false;
            html = t.Text();
            return true;
        });
    }
    FOpenDialog->setWindowTitle(QStringLiteral("Load File"));
    FillRecentNames();
}

TFileManager::~TFileManager() = default;

int TFileManager::CheckUnsavedChanges() {
    return FFiles.CheckUnsavedChanges();
}

void TFileManager::UpdateRecentFiles() {
    FFiles.UpdateRecentFiles();
    FillRecentNames();
}

bool TFileManager::LoadLastFile() {
    const bool opened = FFiles.LoadLastFile();
    FillRecentNames();
    return opened;
}

void TFileManager::Execute() {
    ShowRecentButtons();
    setWindowModality(Qt::WindowModal);
    open();
}

void TFileManager::showEvent(QShowEvent* e) {
    ShowRecentButtons();
    QDialog::showEvent(e);
}

void TFileManager::ShowRecentButtons() {
    const QList<TPanelButton*> buttons = {bnHis1, bnHis2, bnHis3};
    for (TPanelButton* b : buttons)
        b->hide();
    const TLastFiles& last = FFiles.LastFiles();
    for (int k = 0; k < std::min(last.Count(), int(buttons.size())); ++k) {
        buttons[k]->SetCaptionItems({CaptionItem::Make(TestFileNames::ShortName(last.File(k)))});
        buttons[k]->setToolTip(QDir::toNativeSeparators(last.File(k)));
        buttons[k]->SetState(0);
        buttons[k]->show();
    }
}

// The dialogs' lists of names offer the recent tests.
void TFileManager::FillRecentNames() {
    QStringList entries;
    for (const QString& file : FFiles.LastFiles().Files())
        entries << FOpenDialog->RecentNames().EntryFor(file);
    FOpenDialog->SetRecentNames(entries);
    FSaveDialog->SetRecentNames(entries);
}

QString TFileManager::StartFolder() const {
    const TLastFiles& last = FFiles.LastFiles();
    if (last.Count() > 0 && QFileInfo(last.File(0)).isFile())
        return QFileInfo(last.File(0)).absolutePath();
    return QDir::cleanPath(QFileInfo(FFiles.Global().DataPath).absoluteFilePath());
}

void TFileManager::Finish(bool done) {
    FillRecentNames();
    if (done)
        accept();
    else
        ShowRecentButtons();
}

// ------------------------------------------------------------------ asking for names

void TFileManager::AskName(const TAsk& ask, TChosen chosen, std::function<void()> cancelled) {
    if (TEntrySwitches::TouchEntryWide) {
        TXMLOpenDialog* dlg = ask.Kind == TKind::Save ? FSaveDialog : FOpenDialog;
        dlg->setWindowTitle(ask.Caption);
        dlg->SetDefaultExt(QStringLiteral(".") + ask.Extension);
        dlg->SetFolder(ask.Folder);
        dlg->SetFileName(ask.FileName);
        dlg->disconnect(this);
        // The save dialog asked before it took the name of an existing file.
        const bool agreed = ask.Kind == TKind::Save;
        connect(dlg, &QDialog::accepted, this, [this, dlg, chosen, agreed] {
            dlg->disconnect(this);
            chosen(dlg->FileName(), agreed);
        });
        connect(dlg, &QDialog::rejected, this, [this, dlg, cancelled] {
            dlg->disconnect(this);
            if (cancelled)
                cancelled();
        });
        FWaiting = dlg;
        dlg->setWindowModality(Qt::WindowModal);
        dlg->open();
        return;
    }
    auto* dlg = new QFileDialog(this, ask.Title, ask.Folder, ask.Filter.isEmpty() ? TestFilter : ask.Filter);
    dlg->setObjectName(QStringLiteral("StandardFileDialog"));
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->setDefaultSuffix(ask.Extension);
    // The test files ask the operator themselves before a test is replaced, in their own words;
    // the dialog asks before any other file is.
    dlg->setOption(QFileDialog::DontConfirmOverwrite, ask.Filter.isEmpty());
    if (ask.Kind == TKind::Save) {
        dlg->setAcceptMode(QFileDialog::AcceptSave);
        dlg->setFileMode(QFileDialog::AnyFile);
        dlg->selectFile(ask.StandardName);
    } else {
        dlg->setAcceptMode(QFileDialog::AcceptOpen);
        dlg->setFileMode(QFileDialog::ExistingFile);
    }
    connect(dlg, &QDialog::accepted, this, [dlg, chosen] { chosen(dlg->selectedFiles().value(0), false); });
    if (cancelled)
        connect(dlg, &QDialog::rejected, this, cancelled);
    FWaiting = dlg;
    dlg->setWindowModality(Qt::WindowModal);
    dlg->open();
}

void TFileManager::AskSaveAsName(const QString& folder, const QString& proposed,
                                 std::function<void(const QString&, bool)> chosen,
                                 std::function<void()> cancelled) {
    TAsk ask;
    ask.Kind = TKind::Save;
    ask.Caption = QStringLiteral("Save As");
    ask.Title = QStringLiteral("Save As");
    ask.Folder = folder;
    ask.FileName = proposed;
    ask.StandardName = proposed;
    AskName(ask, std::move(chosen), std::move(cancelled));
}

// ------------------------------------------------------------------ the keys

void TFileManager::bnNewTestClick() {
    if (FFiles.CheckUnsavedChanges() == TQelTestFiles::mrCancel)
        return;
    const TQelGlobal& g = FFiles.Global();
    TAsk ask;
    ask.Kind = TKind::Save;
    ask.Caption = QStringLiteral("Save File As");
    ask.Title = QStringLiteral("New Test File");
    ask.Folder = StartFolder();
    ask.FileName = g.DataPath + QStringLiteral("New QEL 8624.xml");
    ask.StandardName = WithSlash(StartFolder()) + QStringLiteral("New %1.xml").arg(g.ConfigSection);
    AskName(ask, [this](const QString& name, bool agreed) { Finish(FFiles.NewTest(name, agreed)); });
}

void TFileManager::bnLoadFromTemplateClick() {
    if (FFiles.CheckUnsavedChanges() == TQelTestFiles::mrCancel)
        return;
    TAsk ask;
    ask.Kind = TKind::Open;
    ask.Caption = QStringLiteral("New Based on Template");
    ask.Title = QStringLiteral("New Based on Template");
    ask.Folder = FFiles.Global().TemplatesPath;
    ask.FileName = FFiles.Global().TemplatesPath + QStringLiteral("*.XML");
    AskName(ask, [this](const QString& templateFile, bool) {
        FFiles.Global().SendToAll(UM_FILESCHANGED, 0, 0);
        Finish(FFiles.NewFromTemplate(templateFile));
    });
}

void TFileManager::bnLoadClick() {
    if (FFiles.CheckUnsavedChanges() == TQelTestFiles::mrCancel)
        return;
    TAsk ask;
    ask.Kind = TKind::Open;
    ask.Caption = QStringLiteral("Load File");
    ask.Title = QStringLiteral("Open Test");
    ask.Folder = StartFolder();
    ask.FileName = WithSlash(StartFolder()) + QStringLiteral("*.XML");
    AskName(ask, [this](const QString& file, bool) { OpenChosen(file); });
}

void TFileManager::OpenChosen(const QString& file) {
    if (file.trimmed().isEmpty())
        return;
    if (!FFiles.CheckBeforeOpen(file, false))
        return;
    FFiles.Global().SendToAll(UM_FILESCHANGED, 0, 0);
    if (!FFiles.OnRemovable(file)) {
        Finish(FFiles.OpenTest(file));
        return;
    }
    // From removable media the test is opened from a copy in the working folder: the medium may
    // go before the next save.
    const QString copy = FFiles.WorkingCopyName(file);
    if (!QFileInfo::exists(copy) || FFiles.AskReplace(copy)) {
        OpenCopy(file, copy);
        return;
    }
    TAsk ask;
    ask.Kind = TKind::Save;
    ask.Caption = QStringLiteral("Save File As");
    ask.Title = QStringLiteral("Save Test As");
    ask.Folder = FFiles.Global().DataPath;
    ask.FileName = copy;
    ask.StandardName = copy;
    AskName(
        ask,
        [this, file](const QString& name, bool agreed) {
            if (!TestFileNames::SamePath(name, FFiles.WorkingCopyName(file)) && QFileInfo::exists(name) &&
                !agreed && !FFiles.AskReplace(name))
                return;
            OpenCopy(file, name);
        },
        [this, copy] {
            // The copy made earlier is opened as it is.
            if (FFiles.CheckBeforeOpen(copy, false))
                Finish(FFiles.OpenTest(copy));
        });
}

void TFileManager::OpenCopy(const QString& file, const QString& copy) {
    if (FFiles.CopyTest(file, copy))
        Finish(FFiles.OpenTest(copy));
}

void TFileManager::bnSaveClick() {
    if (FFiles.Confirm())
        accept();
}

void TFileManager::bnSaveAsClick() {
    const TQelGlobal& g = FFiles.Global();
    const QString current = QFileInfo(FFiles.CurrentFile()).fileName();
    TAsk ask;
    ask.Kind = TKind::Save;
    ask.Caption = QStringLiteral("Save As");
    ask.Title = QStringLiteral("Save Test As");
    ask.Folder = StartFolder();
    ask.FileName = g.DataPath + current;
    ask.StandardName = WithSlash(StartFolder()) + current;
    AskName(ask, [this](const QString& name, bool agreed) { Finish(FFiles.SaveAs(name, agreed)); });
}

void TFileManager::bnPrintClick() {
    const int state = bnPrint->State();
    bnPrint->SetState(0);
    switch (state) {
    case riShowReport:
    case riShowDiagram:
        FFiles.ShowReport(state);
        accept();
        break;
    case riPrintReport:
        AskPrinter();
        break;
    case riSavePDF:
        AskPDFName();
        break;
    default:
        break;
    }
}

void TFileManager::AskPrinter() {
    if (FFiles.CurrentFile().isEmpty())
        return;
    // The platform's print dialog (CUPS here): every printer the system knows, and a file.
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setPageSize(QPageSize(PaperOf(QLocale::system())));
    printer->setDocName(QFileInfo(FFiles.CurrentFile()).completeBaseName());
    auto* dlg = new QPrintDialog(printer.get(), this);
    dlg->setObjectName(QStringLiteral("PrintDialog"));
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    connect(dlg, &QDialog::accepted, this, [this, printer] { Finish(PrintReport(*printer)); });
    FWaiting = dlg;
    dlg->setWindowModality(Qt::WindowModal);
    dlg->open();
}

bool TFileManager::PrintReport(QPrinter& printer) {
    const TQelTestFiles::TReportSource source = FFiles.ReportSource();
    QString error;
    if (PaintReport(printer, source.TestFile, source.StyleSheet, source.Head, &error))
        return true;
    if (TOperatorIFace* op = FFiles.Global().Operator())
        op->Error(QStringLiteral("The report was not printed:\r\n\r\n%1").arg(error));
    return false;
}

void TFileManager::AskPDFName() {
    const QString current = FFiles.CurrentFile();
    if (current.isEmpty())
        return;
    const QFileInfo test(current);
    TAsk ask;
    ask.Kind = TKind::Save;
    ask.Extension = QStringLiteral("pdf");
    ask.Filter = QStringLiteral("PDF Files(*.pdf *.PDF)");
    ask.Caption = QStringLiteral("Save as PDF");
    ask.Title = QStringLiteral("Save as PDF");
    ask.Folder = test.absolutePath();
    ask.FileName = WithSlash(test.absolutePath()) + test.completeBaseName() + QStringLiteral(".pdf");
    ask.StandardName = ask.FileName;
    AskName(ask, [this](const QString& name, bool) { Finish(FFiles.SavePDF(name)); });
}

void TFileManager::bnHisClick(int k) {
    if (FFiles.OpenRecent(k))
        Finish(true);
    else
        ShowRecentButtons();
}
