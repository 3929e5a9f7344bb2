#include "QelAnalysis.h"

#include "AnalysisLists.h"
#include "FStringGrids.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "QelAnalysisFrames.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "StateButton.h"
#include "WinMsgList.h"
#include "XMLKvDoc.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QVBoxLayout>

TAnalysis::TAnalysis(TQelGlobal& global, QWidget* parent) : QDialog(parent), FGlobal(global) {
    setObjectName(QStringLiteral("Analysis"));
    setWindowTitle(QStringLiteral("Analysis"));
    resize(780, 560);
    QelAnalysisFrame1 = new TQelAnalysisFrame(FGlobal, this);
    QelAnalysisFrame1->SetMultiFile();
    QelAnalysisFrame1->sgMeasData->SetOnHasFilter(nullptr);
    QelAnalysisFrame1->bnToolMeas->hide();
    QelAnalysisFrame1->bnView->hide();
    StateButton7 = new TStateButton(this);
    StateButton7->setObjectName(QStringLiteral("StateButton7"));
    StateButton7->SetCaptionItems({QStringLiteral("\"OK\",1")});
    StateButton7->setMinimumSize(120, 44);
    connect(StateButton7, &TStateButton::Click, this, &QDialog::accept);
    auto* keys = new QHBoxLayout;
    keys->addStretch(1);
    keys->addWidget(StateButton7);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(QelAnalysisFrame1, 1);
    layout->addLayout(keys);
    // It follows new results and settings; the current document's notifications it ignores.
    FGlobal.RegisterWindow(QelAnalysisFrame1);
}

TAnalysis::~TAnalysis() {
    FGlobal.UnregisterWindow(QelAnalysisFrame1);
}

void TAnalysis::SetImages(const TQelImage& images) {
    QelAnalysisFrame1->SetImages(images);
    StateButton7->SetImageList(images.Image32x32L());
}

void TAnalysis::LoadList(const QString& listFile) {
    FListFile = listFile;
    TTntFStringGrid& grid = *QelAnalysisFrame1->sgMeasData;
    QStringList unread;
    QStringList files;
    if (QFileInfo(listFile).isFile()) {
        // A list that cannot be read merges nothing: the table is emptied all the same.
        AnalysisLists::ReadListFile(listFile, files);
        grid.SetFixedCols(0);
        AnalysisLists::MergeTests(grid.Table(), files, FGlobal.DataPath, &unread);
    }
    grid.SetOnHasFilter([](int col, TSGSelection& f, bool& sorted) {
        f = col <= 6 ? fsMulti : col == 7 ? fsSingle : fsNone;
        sorted = false;
    });
    grid.SetFixedCols(std::min(2, grid.ColCount()));
    grid.CopyFromShadow();
    grid.RebuildFilterButtons();
    grid.FitColWidths(true, false);
    setWindowTitle(QStringLiteral("Measurements Analysis -") + QFileInfo(listFile).fileName());
    QelAnalysisFrame1->LoadViews();
    if (!unread.isEmpty() && FGlobal.Operator())
        FGlobal.Operator()->Inform(
            QStringLiteral("These files could not be read and are not in the analysis:\r\n%1")
                .arg(unread.join(QStringLiteral("\r\n"))),
            windowTitle());
}
