// The tap changer frame and the "Tap Changer Definition" dialog on screen (offscreen): tap
// numbers from the bottom tap, the nominal row, the arrows, auto fill, the Activate toggle and the
// copy into selected rows, the cell editors, OK and Cancel against the document and its file.
#include <QApplication>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QTest>

#include "AscInputForm.h"
#include "EntrySwitches.h"
#include "ExtStaticText.h"
#include "FStringGrids.h"
#include "FilterGridView.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "PanelButton.h"
#include "QelTapCellDelegate.h"
#include "QelTapChangerAutoFill.h"
#include "QelTapChangerDefs.h"
#include "QelTapChangers.h"
#include "QelTrafoWindings.h"
#include "QelWindingDefs.h"
#include "SetupRig.h"
#include "StateButton.h"

using namespace QelWindings;

namespace {

QStringList Column(const TFilterStringGrid& grid, int col) {
    QStringList cells;
    for (int r = 1; r < grid.RowCount(); ++r)
        cells << grid.Cell(col, r);
    return cells;
}

QStringList StoredColumn(const TXMLWindingType& w, int col) {
    const TXMLGridType grid = w.TapChangerData().Grid();
    QStringList cells;
    for (int r = 1; r < grid.RowCount(); ++r)
        cells << grid.Cell(col, r);
    return cells;
}

// What typing into a cell and leaving it does: the grid's model takes the text.
bool TypeIntoCell(TFilterStringGrid& grid, int col, int row, const QString& text) {
    QAbstractItemModel* model = grid.View()->model();
    return model->setData(TTapCellDelegate::ModelIndex(model, col, row), text);
}

} // namespace

class TTapChangersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TSetupRig> FRig;
    std::unique_ptr<TQelTapChangeDefFrame> FFrame;

    TSetupRig& Rig() { return *FRig; }
    TQelTapChangeDefFrame& Frame() { return *FFrame; }

private Q_SLOTS:
    void init() {
        FRig = std::make_unique<TSetupRig>();
        QVERIFY(FRig->Start());
        FFrame = std::make_unique<TQelTapChangeDefFrame>(Rig().G());
        FFrame->resize(300, 420);
        FFrame->Bind(Rig().Winding(1));
        FFrame->show();
        QVERIFY(QTest::qWaitForWindowExposed(FFrame.get()));
    }
    void cleanup() {
        FFrame.reset();
        FRig.reset();
    }

    // Five taps from -2: numbers -2 … 2, the new rows with the winding's voltage, tap 0 grey.
    void tapNumbersFromTheBottomTap() {
        QVERIFY(Frame().edNrOfTaps->EnterValue(5));
        QVERIFY(Frame().edStartTap->EnterValue(-2));
        QCOMPARE(Column(*Frame().sgTapData, ColTap), (QStringList{"-2", "-1", "0", "1", "2"}));
        QCOMPARE(StoredColumn(Rig().Winding(1), ColTap), (QStringList{"-2", "-1", "0", "1", "2"}));
        QCOMPARE(StoredColumn(Rig().Winding(1), ColVoltage), QStringList(5, QStringLiteral("10.000 kV")));
        QCOMPARE(StoredColumn(Rig().Winding(1), ColActivate), QStringList(5, QStringLiteral("yes")));
        QCOMPARE(Frame().HighlightedRow(), 3);
        QVERIFY(Frame().edNomTap->EnterValue(2));
        QCOMPARE(Frame().HighlightedRow(), 5);
        QVERIFY(Frame().edNomTap->EnterValue(3)); // outside the table: nothing is grey
        QCOMPARE(Frame().HighlightedRow(), 0);
    }

    void arrowsStopAtTheRange() {
        Tap(Frame().UpDownCont1Up);
        QCOMPARE(Rig().Winding(1).TapChangerData().NrOfTaps().Value(), 4);
        Tap(Frame().UpDownCont2Down);
        QCOMPARE(Rig().Winding(1).TapChangerData().FirstTap().Value(), -2);
        QVERIFY(Frame().edNrOfTaps->EnterValue(0));
        Tap(Frame().UpDownCont1Down);
        QCOMPARE(Frame().edNrOfTaps->Value(), 0.0);
        // No taps: one empty row, the table off.
        QCOMPARE(Frame().sgTapData->RowCount(), 2);
        QCOMPARE(Frame().sgTapData->Cell(ColTap, 1), QString());
        QVERIFY(!Frame().sgTapData->isEnabled());
    }

    void autoFill() {
        QVERIFY(Frame().edNrOfTaps->EnterValue(5));
        Tap(Frame().bnTools);
        TTapChangerAutoFillForm* form = Frame().AutoFillForm();
        QVERIFY(form && form->isVisible());
        QCOMPARE(form->Start(), 10000.0);
        QVERIFY(form->edStart->EnterValue(10e3));
        QVERIFY(form->edEnd->EnterValue(12e3));
        Tap(form->StateButton7);
        QVERIFY(!form->isVisible());
        const QStringList filled = {"    10.000 kV", "    10.500 kV", "    11.000 kV", "    11.500 kV",
                                    "    12.000 kV"};
        QCOMPARE(Column(*Frame().sgTapData, ColVoltage), filled);
        QCOMPARE(StoredColumn(Rig().Winding(1), ColVoltage), filled);

        // One tap takes the start; Escape leaves the table alone; the form is kept.
        QVERIFY(Frame().edNrOfTaps->EnterValue(1));
        Tap(Frame().bnTools);
        QCOMPARE(Frame().AutoFillForm(), form);
        QVERIFY(form->edStart->EnterValue(20e3));
        QTest::keyClick(form, Qt::Key_Escape);
        QCOMPARE(Column(*Frame().sgTapData, ColVoltage), (QStringList{"    10.000 kV"}));
        Tap(Frame().bnTools);
        QVERIFY(form->edStart->EnterValue(20e3));
        QTest::keyClick(form, Qt::Key_Return);
        QCOMPARE(StoredColumn(Rig().Winding(1), ColVoltage), (QStringList{"    20.000 kV"}));
    }

    void activateToggle_data() {
        QTest::addColumn<bool>("several");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("activate");
        QTest::newRow("one row") << false << int(TOperatorIFace::TAnswer::Ok)
                                 << QStringList{"yes", "no", "yes"};
        QTest::newRow("all selected")
            << true << int(TOperatorIFace::TAnswer::Ok) << QStringList{"no", "no", "no"};
        QTest::newRow("current only")
            << true << int(TOperatorIFace::TAnswer::Cancel) << QStringList{"yes", "no", "yes"};
    }

    // The toggle lies over the current Activate cell; pressing it sets the row and, on the
    // operator's OK, every selected row.
    void activateToggle() {
        QFETCH(bool, several);
        QFETCH(int, answer);
        QFETCH(QStringList, activate);
        TFStringGrid& grid = *Frame().sgTapData;
        grid.SetRow(2);
        grid.SetCol(ColActivate);
        if (several)
            grid.SelectRows(1, 3);
        QVERIFY(Frame().StateButton1->isVisible());
        QCOMPARE(Frame().StateButton1->State(), 1);
        Rig().Operator.Answers = {TOperatorIFace::TAnswer(answer)};
        Tap(Frame().StateButton1);
        QCOMPARE(StoredColumn(Rig().Winding(1), ColActivate), activate);
        QCOMPARE(Rig().Operator.Entries.size(), several ? 1 : 0);
        if (several) {
            QCOMPARE(Rig().Operator.Entries[0].Text,
                     QStringLiteral("Do you want to set all selected fields?"));
            QCOMPARE(Rig().Operator.Entries[0].Title, Rig().G().ConfigSection);
            QCOMPARE(Rig().Operator.Entries[0].Buttons, TOperatorIFace::TButtons::OkCancel);
        }
        grid.SetCol(ColVoltage);
        QVERIFY(!Frame().StateButton1->isVisible());
    }

    // A typed voltage is rewritten in SI form; a slip keeps what the cell held.
    void typedVoltages_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("cell");
        QTest::newRow("number") << "11 kV"
                                << "11.000 kV";
        QTest::newRow("no number") << "eleven"
                                   << "10.000 kV";
        QTest::newRow("empty") << ""
                               << "10.000 kV";
    }

    void typedVoltages() {
        QFETCH(QString, typed);
        QFETCH(QString, cell);
        QVERIFY(TypeIntoCell(*Frame().sgTapData, ColVoltage, 2, typed));
        QCOMPARE(Frame().sgTapData->Cell(ColVoltage, 2), cell);
        QCOMPARE(Rig().Winding(1).TapChangerData().Grid().Cell(ColVoltage, 2), cell);
    }

    void doubleClickEditors() {
        TFStringGrid& grid = *Frame().sgTapData;
        grid.SetRow(3);
        grid.SetCol(ColVoltage);
        Frame().sgTapDataDblClick();
        TNumInputForm* pad = Frame().VoltagePad();
        QVERIFY(pad && pad->isVisible());
        QCOMPARE(pad->HelpText(), QStringLiteral("Please enter Voltage for Tap1"));
        QVERIFY(pad->DisplayText().startsWith(QStringLiteral("Tap Voltage")));
        for (const char* key : {"pnClear", "pnDigit1", "pnDigit2", "pnKilo", "pnOK"})
            Tap(pad->Key(QString::fromLatin1(key)));
        QTRY_VERIFY(!Frame().VoltagePad());
        QCOMPARE(Rig().Winding(1).TapChangerData().Grid().Cell(ColVoltage, 3),
                 QStringLiteral("         12.000 kV"));

        grid.SetCol(ColName);
        Frame().sgTapDataDblClick();
        QInputDialog* entry = Frame().NameEntry();
        QVERIFY(entry && entry->isVisible());
        QCOMPARE(entry->labelText(), QStringLiteral("Please enter Name for Tap1"));
        entry->setTextValue(QStringLiteral("upper"));
        entry->accept();
        QCOMPARE(Rig().Winding(1).TapChangerData().Grid().Cell(ColName, 3), QStringLiteral("upper"));

        // On the touch screen the name is typed on the product's own keyboard.
        TEntrySwitches::TouchEntryWide = true;
        QTRY_VERIFY(!Frame().NameEntry());
        Frame().sgTapDataDblClick();
        TTntAscInputForm* kb = Frame().NameKeyboard();
        QVERIFY(kb && kb->isVisible());
        QCOMPARE(kb->Text(), QStringLiteral("upper"));
        QVERIFY(kb->HelpText().contains(QStringLiteral("Please enter Name for Tap1")));
        auto* field = kb->Part(QStringLiteral("edText"));
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClicks(field, QStringLiteral(" 2"));
        kb->Ok();
        QTRY_VERIFY(!Frame().NameKeyboard());
        QCOMPARE(Rig().Winding(1).TapChangerData().Grid().Cell(ColName, 3), QStringLiteral("upper 2"));
    }
};

// The dialog opened from the LV winding frame's "Tap Parameters".
class TTapChangerDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TSetupRig> FRig;

    TSetupRig& Rig() { return *FRig; }
    TQelWindingDefFrame& LV() { return *FRig->Page->LVSideDef; }
    TTapChangerForm& Form() { return *FRig->Page->TapChangerForm(); }

private Q_SLOTS:
    void init() {
        FRig = std::make_unique<TSetupRig>();
        QVERIFY(FRig->Start());
        QVERIFY(FRig->ShowPage());
        QVERIFY(LV().edNomPower->EnterValue(100e3));
        Tap(LV().bnTapChanger); // LV gets its tap changer, saved
        QCOMPARE(Rig().Winding(1).TapChangerAvailable().Value(), 1);
        QVERIFY(!LV().edNomVoltage->isEnabled());
        Tap(LV().bnTapParams);
        QVERIFY(Form().isVisible());
    }
    void cleanup() { FRig.reset(); }

    void framesOfTheWindingsWithTapChangers() {
        QVERIFY(!Form().HVWinding->isVisible());
        QVERIFY(Form().LVWinding->isVisible());
        QVERIFY(!Form().TVWinding->isVisible());
        QVERIFY(Form().gbNomVoltageHV->isVisible());
        QCOMPARE(Form().lbNomVoltageHV->text(), QStringLiteral("10 kV"));
        QVERIFY(!Form().gbNomVoltageLV->isVisible());
        QVERIFY(!Form().gbNomVoltageTV->isVisible()); // no tertiary winding
    }

    // Cancel puts every edit back: the file stays as it was, and so does the next save.
    void cancelLeavesTheFileAsItWas() {
        const QByteArray before = Rig().FileBytes();
        TQelTapChangeDefFrame& taps = *Form().LVWinding;
        QVERIFY(taps.edNrOfTaps->EnterValue(7));
        QVERIFY(TypeIntoCell(*taps.sgTapData, ColVoltage, 1, QStringLiteral("9 kV")));
        Tap(Form().bnCancel);
        QVERIFY(!Form().isVisible());
        QCOMPARE(Rig().FileBytes(), before);
        QVERIFY(Rig().G().DocumentChanged());
        QCOMPARE(Rig().FileBytes(), before);
        QCOMPARE(Rig().Winding(1).TapChangerData().NrOfTaps().Value(), 3);
    }

    // OK keeps the edits; the nominal voltage and current follow the nominal tap and come back
    // from the file.
    void okMakesTheWindingFollowTheNominalTap() {
        Rig().G().Doc().QEL().Setup().ActMeasLVTapIdx().SetValue(3);
        TQelTapChangeDefFrame& taps = *Form().LVWinding;
        QVERIFY(TypeIntoCell(*taps.sgTapData, ColVoltage, 2, QStringLiteral("11 kV")));
        Tap(Form().bnOk);
        QVERIFY(!Form().isVisible());
        QCOMPARE(Rig().Winding(1).NominalVoltage().Value(), QStringLiteral("11.000 kV"));
        QCOMPARE(Rig().Winding(1).NominalCurrent().Value(), QStringLiteral("5.249 A"));
        QCOMPARE(Rig().G().Doc().QEL().Setup().ActMeasLVTapIdx().Value(), 1);
        QVERIFY(Rig().G().OpenDocument(Rig().File));
        QCOMPARE(Rig().Winding(1).NominalVoltage().Value(), QStringLiteral("11.000 kV"));
        QCOMPARE(Rig().Winding(1).NominalCurrent().Value(), QStringLiteral("5.249 A"));
        QCOMPARE(LV().edNomCurrent->text(), QStringLiteral("5.249 A"));
    }

    void okRefusedWhileTheNominalTapIsOutsideTheTable() {
        TQelTapChangeDefFrame& taps = *Form().LVWinding;
        QVERIFY(taps.edNomTap->EnterValue(2)); // taps -1 … 1
        Tap(Form().bnOk);
        QVERIFY(Form().isVisible());
        QCOMPARE(Rig().Operator.Texts(),
                 QStringList{QStringLiteral("LV Side: the nominal tap 2 is not one of the taps -1 to 1.")});
        QVERIFY(taps.edNomTap->EnterValue(1));
        Tap(Form().bnOk);
        QVERIFY(!Form().isVisible());
        QCOMPARE(Rig().Winding(1).TapChangerData().NominalTap().Value(), 1);
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    int status = 0;
    {
        TTapChangersTest frame;
        status |= QTest::qExec(&frame, argc, argv);
    }
    {
        TTapChangerDialogTest dialog;
        status |= QTest::qExec(&dialog, argc, argv);
    }
    return status;
}
#include "tst_tapchangers.moc"
