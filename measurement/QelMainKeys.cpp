// Pages, function keys, the About box and the title-bar buttons of the main window.
#include "QelMain.h"

#include "OperatorIFace.h"
#include "PanelButton.h"
#include "Progress.h"
#include "Qel8624Device.h"
#include "QelAbouts.h"
#include "QelFileManagers.h"
#include "QelAnalysisFrames.h"
#include "QelAnalysisParams.h"
#include "QelFileLists.h"
#include "QelHistoryForm.h"
#include "QelGlobals.h"
#include "QelManual.h"
#include "QelPageControl.h"
#include "QelTestFiles.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLoggingCategory>
#include <QScreen>
#include <QTimer>

Q_DECLARE_LOGGING_CATEGORY(lcQelMain)

namespace {

// A key that shows one of its items and stays there when tapped (the page decides the item).
void PinState(TPanelButton* key, int state) {
    key->SetStateMin(0);
    key->SetStateMax(key->CaptionItems().size() - 1);
    key->SetState(state);
    key->SetStateMax(state);
    key->SetStateMin(state);
}

} // namespace

// ------------------------------------------------------------------ pages and keys

void TQelMainForm::PageControl1Change() {
    for (QComboBox* box : findChildren<QComboBox*>())
        box->hidePopup();
    const int page = PageControl1->currentIndex();
    MeasDisplayFrame->setVisible(page != pgSetup);
    switch (page) {
    case pgSetup:
        PinState(bnF4, 0);
        bnF4->show();
        bnF4Analysis->hide();
        break;
    case pgMeasure:
        PinState(bnF4, 2);
        bnF4->show();
        bnF4Analysis->hide();
        break;
    default:
        bnF4->hide();
        bnF4Analysis->show();
        QelAnalysisFrame1->RefreshPrintEntries();
        break;
    }
}

void TQelMainForm::NotAvailableYet(const QString& function) {
    qCDebug(lcQelMain) << "not available yet:" << function;
    if (TOperatorIFace* op = FGlobal.Operator())
        op->Inform(QStringLiteral("The function \"%1\" is not available yet.").arg(function));
}

void TQelMainForm::bnF1Click() {
    PageControl1->setCurrentIndex(pgMeasure);
    PageControl1Change();
    ManualFrame->TestAllTaps();
}

void TQelMainForm::bnF2Click() {
    FGlobal.StopTest();
}

void TQelMainForm::bnF3Click() {
    if (PageControl1->currentIndex() != pgMeasure)
        PageControl1->setCurrentIndex(pgMeasure);
    PageControl1Change();
    ManualFrame->TestSingleTap();
}

void TQelMainForm::bnF4Click() {
    if (PageControl1->currentIndex() == pgSetup)
        OpenAbout(false);
}

TQelFileList* TQelMainForm::FileList() {
    // Made at its first use and kept for the run, with the list it holds.
    if (!FFileList) {
        FFileList = new TQelFileList(FGlobal, this);
        if (FImages)
            FFileList->SetImages(*FImages);
    }
    return FFileList;
}

void TQelMainForm::bnF4AnalysisClick() {
    if (PageControl1->currentIndex() != pgAnalysis)
        return;
    if (bnF4Analysis->State() == 1) {
        TAnalysisParams dlg(FGlobal, this);
        if (FImages)
            dlg.SetImages(*FImages);
        dlg.exec();
    } else if (bnF4Analysis->State() == 2)
        FileList()->exec();
    else if (bnF4Analysis->State() == 3 && History()) {
        History()->Refresh();
        History()->exec();
    }
}

TQelHistoryForm* TQelMainForm::History() {
    if (!FHistory && FTestIndex) {
        FHistory = new TQelHistoryForm(FGlobal, *FTestIndex, this);
        if (FImages)
            FHistory->SetImages(*FImages);
        FHistory->OpenTest = [this](const QString& file) {
            return FFileManager && FFileManager->Files().OpenOther(file);
        };
    }
    return FHistory;
}

void TQelMainForm::bnF5Click() {
    TOperatorIFace* op = FGlobal.Operator();
    if (!FGlobal.DirectoryEntries.empty() && op &&
        op->Message(TOperatorIFace::TKind::Confirmation, QString(),
                    QStringLiteral("Do you want to upload the memory again?"),
                    TOperatorIFace::TButtons::YesNo) == TOperatorIFace::TAnswer::No) {
        ShowUpload(true);
        return;
    }
    if (FGlobal.Qel().State() == LinkState::Busy) {
        if (op)
            op->Inform(QStringLiteral("System is Busy\r\nStand by"));
        return;
    }
    // Without a link, in simulation or while an upload runs the data module says why.
    FGlobal.StartUpload();
}

void TQelMainForm::SetFileManager(TFileManager* fileManager) {
    FFileManager = fileManager;
}

TFileManager* TQelMainForm::FileManager() const {
    return FFileManager;
}

void TQelMainForm::bnF6Click() {
    if (!FFileManager) {
        NotAvailableYet(QStringLiteral("File Manager"));
        return;
    }
    if (!FFileManager->isVisible())
        FFileManager->Execute();
}

TQelAbout* TQelMainForm::About() const {
    return FAbout;
}

TfrmProgress* TQelMainForm::Progress() const {
    return FProgress;
}

TQelAbout* TQelMainForm::CreateAbout() {
    if (!FAbout) {
        FAbout = new TQelAbout(FGlobal, this);
        if (FImages)
            FAbout->SetImages(*FImages);
        connect(FAbout, &TQelAbout::HelpRequested, this, &TQelMainForm::bnHelpClick);
    }
    return FAbout;
}

void TQelMainForm::OpenAbout(bool startupForm) {
    TQelAbout* about = CreateAbout();
    if (startupForm) {
        about->SetForm(TQelAbout::afStartup);
    } else {
        about->lbStatusInfo->clear();
        about->SetForm(TQelAbout::afAbout);
    }
    if (FAboutShowing)
        return;
    FAboutShowing = true;
    // Before the main window shows, the box stands on its own in the middle of the screen.
    if (!isVisible()) {
        about->adjustSize();
        if (QScreen* s = about->screen())
            about->move(s->availableGeometry().center() - about->rect().center());
    }
    const int result = about->exec();
    FAboutShowing = false;
    delete FAbout;
    if (result == TQelAbout::FileManagerResult)
        bnF6Click();
}

// ------------------------------------------------------------------ title-bar buttons

int TQelMainForm::HelpContext(int page) {
    switch (page) {
    case pgSetup:
        return 7;
    case pgMeasure:
        return 51;
    case pgAnalysis:
        return 6;
    default:
        return 0;
    }
}

QString TQelMainForm::HelpUrlFor(int page) const {
    QUrl url = QUrl::fromLocalFile(FHelpFile);
    // One anchor per help context in the operating instructions; context 0 is the contents.
    if (const int context = HelpContext(page))
        url.setFragment(QStringLiteral("context-%1").arg(context));
    return url.toString();
}

void TQelMainForm::bnHelpClick() {
    if (!QFileInfo::exists(FHelpFile)) {
        if (TOperatorIFace* op = FGlobal.Operator())
            op->Inform(QStringLiteral(
                           "\tSorry no Help available.\r\n\r\n\r\nHelpfile :\r\n\r\n'%s'\r\n\r\nnot found.")
                           .replace(QStringLiteral("%s"), FHelpFile));
        return;
    }
    if (OpenHelpUrl)
        OpenHelpUrl(QUrl(HelpUrlFor(PageControl1->currentIndex())));
}

void TQelMainForm::BringToFront() {
    if (isMinimized())
        showNormal();
    // A modal dialog (the start-up About box, a question) is what the operator must answer first.
    QWidget* front = QApplication::activeModalWidget();
    if (!front)
        front = this;
    if (!front->isVisible())
        return;
    front->raise();
    front->activateWindow();
}

void TQelMainForm::bnMinimizeClick() {
    showMinimized();
}

void TQelMainForm::bnCloseClick() {
    if (FClosePressed) {
        // The operator does not want to wait for the instrument's goodbye.
        qCDebug(lcQelMain) << "second close: ending now";
        FShutDownDone = true;
        QCoreApplication::exit(0);
        return;
    }
    // The open test is settled first: saved, discarded, or the window stays.
    if (FFileManager && FFileManager->CheckUnsavedChanges() == TQelTestFiles::mrCancel)
        return;
    FClosePressed = true;
    FGlobal.ShutDown();
    FShutDownDone = true;
    QTimer::singleShot(20, this, &QWidget::close);
}

void TQelMainForm::closeEvent(QCloseEvent* e) {
    if (FShutDownDone) {
        e->accept();
        Q_EMIT Closed();
        return;
    }
    // Closed by the desktop (a key, the task bar): the same way out as bnClose.
    e->ignore();
    if (!FClosePressed)
        QTimer::singleShot(0, this, &TQelMainForm::bnCloseClick);
}
