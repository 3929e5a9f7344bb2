// What the tap changer frame does: load and store, the arrows, the editors of the cells, the
// Activate toggle, the copy into several rows, auto fill.
#include "QelTapChangers.h"

#include "AscInputForm.h"
#include "EntrySwitches.h"
#include "FStringGrids.h"
#include "FilterGridView.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelTapCellDelegate.h"
#include "QelTapChangerAutoFill.h"
#include "SIPrefixes.h"
#include "StateButton.h"

#include <QGroupBox>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QScrollBar>

#include <cmath>

using namespace QelWindings;

TQelTapChangeDefFrame::TQelTapChangeDefFrame(TQelGlobal& global, QWidget* parent)
    : QFrame(parent), FGlobal(global) {
    Build();
    for (TNumEdit* ed : {edNrOfTaps, edStartTap, edNomTap}) {
        ed->SetOperator(FGlobal.Operator());
        connect(ed, &TNumEdit::Change, this, &TQelTapChangeDefFrame::DoNotifyXMLChange);
    }
    // The nominal tap's highlight moves with the field.
    connect(edNomTap, &TNumEdit::Change, sgTapData, [this] { sgTapData->View()->viewport()->update(); });
    const auto arrows = {std::tuple{UpDownCont1Up, UpDownCont1Down, edNrOfTaps},
                         std::tuple{UpDownCont2Up, UpDownCont2Down, edStartTap},
                         std::tuple{UpDownCont3Up, UpDownCont3Down, edNomTap}};
    for (const auto& [up, down, field] : arrows) {
        TNumEdit* ed = field;
        connect(up, &TPanelButton::Click, this, [this, ed] { UpDown(ed, 1); });
        connect(down, &TPanelButton::Click, this, [this, ed] { UpDown(ed, -1); });
    }
    sgTapData->SetOperator(FGlobal.Operator());
    // Voltages are written right-aligned in a width: their blanks go to the left.
    sgTapData->SetOnGetAlignment([](int col, int) {
        return col == ColTap || col == ColVoltage ? taRightJustify
               : col == ColActivate               ? taCenter
                                                  : taLeftJustify;
    });
    connect(sgTapData->View(), &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (TTapCellDelegate::GridRow(index) >= 1)
            sgTapDataDblClick();
    });
    connect(sgTapData, &TFilterStringGrid::SetEditText, this, &TQelTapChangeDefFrame::sgTapDataSetEditText);
    connect(sgTapData->View()->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TQelTapChangeDefFrame::PlaceActivateButton);
    connect(sgTapData, &TFilterStringGrid::TopLeftChanged, this, &TQelTapChangeDefFrame::PlaceActivateButton);
    connect(sgTapData->View(), &TFilterGridView::LayoutChanged, this,
            &TQelTapChangeDefFrame::PlaceActivateButton);
    connect(StateButton1, &TStateButton::Click, this, &TQelTapChangeDefFrame::StateButton1Click);
    connect(bnTools, &TPanelButton::Click, this, &TQelTapChangeDefFrame::bnToolsClick);
}

TQelTapChangeDefFrame::~TQelTapChangeDefFrame() {
    // The grid reports its last layout changes while the widgets go; this frame is gone by then.
    sgTapData->View()->selectionModel()->disconnect(this);
    sgTapData->View()->disconnect(this);
    sgTapData->disconnect(this);
}

TNumInputForm* TQelTapChangeDefFrame::VoltagePad() const {
    return FVoltagePad;
}

QInputDialog* TQelTapChangeDefFrame::NameEntry() const {
    return FNameEntry;
}

TTntAscInputForm* TQelTapChangeDefFrame::NameKeyboard() const {
    return FNameKeyboard;
}

TTapChangerAutoFillForm* TQelTapChangeDefFrame::AutoFillForm() const {
    return FAutoFill;
}

void TQelTapChangeDefFrame::SetCaption(const QString& caption) {
    GroupBox1->setTitle(caption);
}

void TQelTapChangeDefFrame::SetImages(const TQelImage& images) {
    FImages = &images;
    if (FAutoFill)
        FAutoFill->SetImages(images);
}

void TQelTapChangeDefFrame::Bind(const TXMLWindingType& winding) {
    FWinding = winding;
    Load();
}

void TQelTapChangeDefFrame::Unbind() {
    FWinding = TXMLWindingType();
}

TTapChanger TQelTapChangeDefFrame::Values() const {
    return {int(std::trunc(edNrOfTaps->Value())), int(std::trunc(edStartTap->Value())),
            int(std::trunc(edNomTap->Value()))};
}

int TQelTapChangeDefFrame::HighlightedRow() const {
    const TTapChanger taps = Values();
    return taps.NominalTapInTable() ? sgTapData->GridRow(taps.NominalRow()) : 0;
}

void TQelTapChangeDefFrame::Load() {
    if (!IsBound())
        return;
    FLoading = true;
    // Typing into cells belongs to a desk; on the touch screen only the editors change them.
    const bool standard = FGlobal.UserInterface == 0;
    sgTapData->SetEditing(standard);
    sgTapData->View()->setEditTriggers(standard ? QAbstractItemView::EditKeyPressed |
                                                      QAbstractItemView::AnyKeyPressed
                                                : QAbstractItemView::NoEditTriggers);
    TTapChanger taps;
    LoadTapChanger(FWinding.TapChangerData(), taps, sgTapData->Table());
    edNrOfTaps->SetValue(taps.NrOfTaps);
    edStartTap->SetValue(taps.FirstTap);
    edNomTap->SetValue(taps.NominalTap);
    ApplyEnabling();
    FitColumns();
    FLoading = false;
}

void TQelTapChangeDefFrame::Store() {
    if (!IsBound())
        return;
    StoreTapChanger(FWinding.TapChangerData(), Values(), sgTapData->Table(), NewTapRowVoltage(FWinding));
    ApplyEnabling();
}

void TQelTapChangeDefFrame::GiveDefault() {
    if (!IsBound())
        return;
    GiveDefaultTapChanger(FWinding);
    Load();
}

void TQelTapChangeDefFrame::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    FitColumns();
}

void TQelTapChangeDefFrame::FitColumns() {
    // A third of the dialog is narrow: number, voltage and toggle get what they need, the name
    // the rest, so that nothing has to scroll sideways.
    const int width = sgTapData->View()->viewport()->width();
    const int tap = 36, voltage = 100, activate = 50;
    sgTapData->SetColWidth(ColTap, tap);
    sgTapData->SetColWidth(ColVoltage, voltage);
    sgTapData->SetColWidth(ColActivate, activate);
    sgTapData->SetColWidth(ColName, std::max(24, width - tap - voltage - activate));
    PlaceActivateButton();
}

void TQelTapChangeDefFrame::ApplyEnabling() {
    sgTapData->setEnabled(Values().NrOfTaps > 0);
    sgTapData->View()->viewport()->update();
    PlaceActivateButton();
}

void TQelTapChangeDefFrame::DoNotifyXMLChange() {
    if (!FLoading)
        Store();
}

void TQelTapChangeDefFrame::UpDown(TNumEdit* field, int step) {
    const double v = field->Value() + step;
    if (v >= field->Min() && v <= field->Max())
        field->EnterValue(v);
}

void TQelTapChangeDefFrame::sgTapDataSetEditText(int col, int row, const QString& text) {
    if (FLoading || !IsBound())
        return;
    if (col == ColVoltage) {
        // The document still holds the cell as it was before this edit.
        const QString previous = FWinding.TapChangerData().Grid().Cell(ColVoltage, sgTapData->ShadowRow(row));
        const QString cell = EditedTapVoltage(text, previous);
        if (cell != text)
            sgTapData->SetCell(col, row, cell);
    }
    Store();
}

void TQelTapChangeDefFrame::SetCurrentAndSelected(int col, const QString& text) {
    const int current = sgTapData->Row();
    sgTapData->SetCell(col, current, text);
    const std::vector<int> selected = sgTapData->SelectedRows();
    if (selected.size() > 1 && FGlobal.Operator() &&
        FGlobal.Operator()->Message(TOperatorIFace::TKind::Confirmation, FGlobal.ConfigSection,
                                    QStringLiteral("Do you want to set all selected fields?"),
                                    TOperatorIFace::TButtons::OkCancel) == TOperatorIFace::TAnswer::Ok) {
        for (int row : selected)
            if (row >= 1)
                sgTapData->SetCell(col, row, text);
    }
    Store();
}

void TQelTapChangeDefFrame::sgTapDataDblClick() {
    const int row = sgTapData->Row();
    const int col = sgTapData->Col();
    if (!IsBound() || row < 1 || Values().NrOfTaps <= 0 || FVoltagePad || FNameEntry || FNameKeyboard)
        return;
    const QString tap = sgTapData->Cell(ColTap, row);
    if (col == ColVoltage) {
        double volts = 0;
        ReadSI(sgTapData->Cell(ColVoltage, row), volts);
        TQuantityFormat format;
        format.Unit = QStringLiteral("V");
        format.WithUnit = true;
        format.Width = 15;
        format.Decimals = 3;
        auto* pad = new TNumInputForm(this);
        pad->setAttribute(Qt::WA_DeleteOnClose);
        pad->SetOperator(FGlobal.Operator());
        pad->Setup(volts, format, QStringLiteral("Tap Voltage"), 1, 10e6,
                   QStringLiteral("Please enter Voltage for Tap") + tap);
        connect(pad, &QDialog::accepted, this,
                [this, pad] { SetCurrentAndSelected(ColVoltage, TapVoltageText(pad->Value(), 15)); });
        FVoltagePad = pad;
        pad->open();
    } else if (col == ColName && TEntrySwitches::TouchEntryWide) {
        auto* kb = new TTntAscInputForm(sgTapData);
        kb->setAttribute(Qt::WA_DeleteOnClose);
        kb->SetOperator(FGlobal.Operator());
        kb->SetKovaBase(&FGlobal.KovaBase());
        kb->BindLine(sgTapData->Cell(ColName, row), QStringLiteral("Please enter Name for Tap") + tap, false);
        kb->SetSectionName(QStringLiteral("QelTapChangeDefFrame.TapName"));
        connect(kb, &QDialog::accepted, this, [this, kb] { SetCurrentAndSelected(ColName, kb->Text()); });
        FNameKeyboard = kb;
        kb->open();
    } else if (col == ColName) {
        auto* entry = new QInputDialog(this);
        entry->setAttribute(Qt::WA_DeleteOnClose);
        entry->setWindowTitle(QStringLiteral("Name"));
        entry->setLabelText(QStringLiteral("Please enter Name for Tap") + tap);
        entry->setTextValue(sgTapData->Cell(ColName, row));
        connect(entry, &QInputDialog::textValueSelected, this,
                [this](const QString& name) { SetCurrentAndSelected(ColName, name); });
        FNameEntry = entry;
        entry->open();
    }
}

void TQelTapChangeDefFrame::PlaceActivateButton() {
    const int row = sgTapData->Row();
    const bool show = sgTapData->isEnabled() && sgTapData->Col() == ColActivate && row >= 1 &&
                      row < sgTapData->RowCount() && Values().NrOfTaps > 0;
    if (!show) {
        StateButton1->hide();
        return;
    }
    QAbstractItemView* view = sgTapData->View();
    StateButton1->setGeometry(
        view->visualRect(TTapCellDelegate::ModelIndex(view->model(), ColActivate, row)));
    StateButton1->SetState(sgTapData->Cell(ColActivate, row).trimmed() == QLatin1String("no") ? 0 : 1);
    StateButton1->show();
    StateButton1->raise();
}

void TQelTapChangeDefFrame::StateButton1Click() {
    // The button has gone on to its next state: that is the operator's choice.
    SetCurrentAndSelected(ColActivate,
                          StateButton1->State() == 1 ? QStringLiteral("yes") : QStringLiteral("no"));
}

void TQelTapChangeDefFrame::bnToolsClick() {
    if (!IsBound() || Values().NrOfTaps <= 0)
        return;
    if (!FAutoFill) {
        FAutoFill = new TTapChangerAutoFillForm(this);
        FAutoFill->SetOperator(FGlobal.Operator());
        if (FImages)
            FAutoFill->SetImages(*FImages);
        connect(FAutoFill, &QDialog::accepted, this, [this] {
            AutoFillTapVoltages(sgTapData->Table(), Values().NrOfTaps, FAutoFill->Start(), FAutoFill->End());
            Store();
        });
    }
    const TGridTable& table = sgTapData->Table();
    double start = 0, end = 0;
    ReadSI(table.Cell(ColVoltage, 1), start);
    ReadSI(table.Cell(ColVoltage, table.RowCount() - 1), end);
    FAutoFill->Open(start, end);
}
