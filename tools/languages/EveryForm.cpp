#include "EveryForm.h"

#include "AscInput.h"
#include "AscInputForm.h"
#include "IndexService.h"
#include "NumInputForm.h"
#include "QelAbouts.h"
#include "QelAnalysis.h"
#include "QelAnalysisParams.h"
#include "QelArbProgress.h"
#include "QelFileLists.h"
#include "QelFileManagers.h"
#include "QelHistoryForm.h"
#include "QelImage.h"
#include "QelMain.h"
#include "QelTapActionDlg.h"
#include "QelTapChangerAutoFill.h"
#include "QelTapChangerDefs.h"
#include "QelUpload.h"
#include "SelectionListForm.h"
#include "XMLDialogs.h"

TEveryForm::TEveryForm(TQelGlobal& global, TQelTestFiles& files, TQelArbitrary& arbitrary)
    : FIndex(std::make_unique<TTestIndexService>(
          TTestIndexService::TSettings{FIndexFolder.filePath(QStringLiteral("TestIndex.sqlite")), {}, {}, 60000, {}},
          nullptr)),
      FMain(std::make_unique<TQelMainForm>(global)), FImages(std::make_unique<TQelImage>()) {
    TQelMainForm* main = FMain.get();
    main->SetTestIndex(FIndex.get());
    main->SetImages(*FImages);
    FForms << main << main->CreateAbout();
    auto* fileManager = new TFileManager(files, main);
    main->SetFileManager(fileManager);
    FForms << fileManager << main->FileList() << main->History();
    FForms << new TApmProgressBarForm(arbitrary, main) << new TAnalysisParams(global, main)
           << new TAnalysis(global, main) << new TTapChangerForm(global, main)
           << new TTapChangerAutoFillForm(main) << new TDlgTapAction(main) << new TXMLOpenDialog(main)
           << new TXMLSaveDialog(main) << new TTntNumInputForm(main) << new TNumInputForm(main)
           << new TTntAscInputForm(main) << new TAscInputForm(main)
           << new TQelUpload(global, fileManager, main);
    auto* box = new TTntAscEdit(main);
    box->setObjectName(QStringLiteral("edSelectionListOwner"));
    box->hide();
    FForms << new TTntSelectionListForm(box);
}

TEveryForm::~TEveryForm() {
    // The windows go with the main window; the pictures after them, the index last.
    FMain.reset();
    FImages.reset();
    FIndex.reset();
}

QList<QWidget*> TEveryForm::Forms() const {
    QList<QWidget*> out;
    for (const auto& f : FForms)
        if (f)
            out << f;
    return out;
}
