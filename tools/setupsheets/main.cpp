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
#include "SheetSupport.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: qel_setup_sheets frames.png dialog.png table-folder\n");
        return 2;
    }
    QTemporaryDir home;
    TSilentOperator op;
    const TQelStartup s = SheetStartup(home, QString::fromLocal8Bit(argv[3]), &op);
    TQelGlobal g(s);
    g.LoadVectorGroupTable();
    g.NewDocument(home.filePath(QStringLiteral("Dyn11.xml")));
    const auto windings = g.Doc().DUTTrafoData().Winding();
    QelWindings::GiveDefaultWindings(g.Doc().DUTTrafoData());
    GiveDyn11Windings(g.Doc());
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
    bool ok = SaveSheet(page, QString::fromLocal8Bit(argv[1]));

    TTapChangerForm* form = page.TapChangerForm();
    form->Open();
    form->resize(800, 520);
    form->HVWinding->sgTapData->SetRow(11);
    form->HVWinding->sgTapData->SetCol(QelWindings::ColActivate);
    ok = SaveSheet(*form, QString::fromLocal8Bit(argv[2])) && ok;
    form->reject();
    return ok ? 0 : 1;
}
