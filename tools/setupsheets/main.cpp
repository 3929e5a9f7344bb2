// The winding frames of a Dyn11 transformer with an LV tap changer, and its "Tap Changer
// Definition" dialog, drawn by the real frames on a data module in simulation.
#include "FStringGrids.h"
#include "OperatorIFace.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelTapChangerDefs.h"
#include "QelTapChangers.h"
#include "QelTrafoWindings.h"
#include "QelWindingDefs.h"
#include "QelWindings.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

// Quietly: the pictures show the frames, not a message box.
class TSilentOperator : public TOperatorIFace {
public:
    TAnswer Message(TKind, const QString&, const QString& text, TButtons) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return TAnswer::Ok;
    }
    void Beep() override {}
};

bool Save(QWidget& w, const QString& file) {
    // Laid out and painted before the picture is taken.
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    const bool saved = w.grab().save(file);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
    return saved;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: qel_setup_sheets frames.png dialog.png table-folder\n");
        return 2;
    }
    QTemporaryDir home;
    QFile::copy(QString::fromLocal8Bit(argv[3]) + QStringLiteral("/VectorGroupTable.csv"),
                home.filePath(QStringLiteral("VectorGroupTable.csv")));
    TSilentOperator op;
    TQelStartup s;
    s.ExecutablePath = home.filePath(QStringLiteral("Qel8625"));
    s.DocumentsFolder = home.path();
    s.Arguments = {QStringLiteral("/SIM")};
    s.Operator = &op;
    TQelGlobal g(s);
    g.LoadVectorGroupTable();
    g.NewDocument(home.filePath(QStringLiteral("Dyn11.xml")));
    const auto windings = g.Doc().DUTTrafoData().Winding();
    QelWindings::GiveDefaultWindings(g.Doc().DUTTrafoData());
    windings.Item(0).Configuration().SetValue(0);
    windings.Item(0).NominalVoltage().SetValue(QStringLiteral("110 kV"));
    windings.Item(0).NominalPower().SetValue(QStringLiteral("40 MVA"));
    windings.Item(1).Configuration().SetValue(2);
    windings.Item(1).VectorGroup().SetValue(11);
    windings.Item(1).NominalVoltage().SetValue(QStringLiteral("20 kV"));
    windings.Item(1).NominalPower().SetValue(QStringLiteral("40 MVA"));
    for (int w = 0; w < 2; ++w)
        QelWindings::UpdateNominalCurrent(windings.Item(w));
    windings.Item(0).TapChangerAvailable().SetValue(1);
    {
        // HV: 17 taps from -8, 110 kV ± 10 %, the nominal one in the middle.
        TMemoryGridTable table(QStringLiteral("sgTapData"), 4, 2);
        const QelWindings::TTapChanger taps{17, -8, 0};
        QelWindings::StoreTapChanger(windings.Item(0).TapChangerData(), taps, table, QString());
        QelWindings::AutoFillTapVoltages(table, taps.NrOfTaps, 99e3, 121e3);
        table.SetCell(QelWindings::ColName, taps.NominalRow(), QStringLiteral("nominal"));
        table.SetCell(QelWindings::ColActivate, 2, QStringLiteral("no"));
        QelWindings::StoreTapChanger(windings.Item(0).TapChangerData(), taps, table, QString());
        QelWindings::TakeNominalVoltageFromTap(windings.Item(0));
    }
    g.DocumentChanged();

    TQelImage images;
    TQelTrafoWindingsFrame page(g);
    page.SetImages(images);
    page.resize(780, 400);
    page.Load();
    page.show();
    bool ok = Save(page, QString::fromLocal8Bit(argv[1]));

    TTapChangerForm* form = page.TapChangerForm();
    form->Open();
    form->resize(800, 520);
    form->HVWinding->sgTapData->SetRow(11);
    form->HVWinding->sgTapData->SetCol(QelWindings::ColActivate);
    ok = Save(*form, QString::fromLocal8Bit(argv[2])) && ok;
    form->reject();
    return ok ? 0 : 1;
}
