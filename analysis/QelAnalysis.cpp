#include "QelAnalysis.h"

#include "CSVForm.h"
#include "FStringGrids.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "QelAnalysisFrames.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "StateButton.h"
#include "WinMsgList.h"
#include "XMLKvDoc.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// The FileName column of a list file, in its order; empty for a missing or unreadable list.
QStringList ListedFiles(const QString& listFile) {
    QFile f(listFile);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const CSVForm::TTable table = CSVForm::Parse(CSVForm::DecodeText(f.readAll()), ListSeparator());
    QStringList files;
    for (size_t r = 1; r < table.Rows.size(); ++r)
        if (table.Rows[r].size() > 1 && !table.Rows[r][1].trimmed().isEmpty())
            files << table.Rows[r][1];
    return files;
}

} // namespace

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
    if (QFileInfo(listFile).isFile()) {
        const QStringList files = ListedFiles(listFile);
        grid.SetFixedCols(0);
        TKvXML::MergeMeasurementTables(grid.Table(), files, FGlobal.DataPath,
                                       TKvXML::TMergeSource::Measurement, QStringLiteral("File Name"),
                                       &unread);
        // The measured time first, the file second; an empty merge has no columns to exchange.
        TGridTable& t = grid.Table();
        if (t.ColCount() >= 2) {
            const TGridTableUpdate update(t);
            for (int r = 0; r < t.RowCount(); ++r) {
                const QString file = t.Cell(0, r);
                t.SetCell(0, r, t.Cell(1, r));
                t.SetCell(1, r, file);
            }
        }
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
