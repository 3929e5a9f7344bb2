// Every tab of the setup page, drawn by the real main window on a data module in simulation with
// a Dyn11 transformer described: docs/setup-dut-info.png ... docs/setup-auxiliary.png.
#include "AscInput.h"
#include "AscInputForm.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "QelMain.h"
#include "QelSetup.h"
#include "SheetSupport.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: qel_setup_pages docs-folder table-folder\n");
        return 2;
    }
    const QString docs = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir home;
    TSilentOperator op;
    const TQelStartup s = SheetStartup(home, QString::fromLocal8Bit(argv[2]), &op);
    TQelGlobal g(s);
    g.LoadVectorGroupTable();
    TQelMainForm form(g);
    TQelImage images;
    form.SetImages(images);

    g.NewDocument(home.filePath(QStringLiteral("T 4711.xml")));
    const TXMLDUTGeneralType dut = g.Doc().DUTGeneral();
    dut.Type().SetValue(QStringLiteral("ONAN 40 MVA"));
    dut.Description().SetValue(QStringLiteral("Grid transformer T2"));
    dut.User().SetValue(QStringLiteral("City Utilities"));
    dut.Manufacturer().SetValue(QStringLiteral("Trafo Works"));
    dut.Location().SetValue(QStringLiteral("Substation North"));
    dut.SerialNo().SetValue(QStringLiteral("4711-2"));
    dut.InventoryNo().SetValue(QStringLiteral("INV 0815"));
    dut.Built().SetValue(QStringLiteral("1998"));
    dut.Operator().SetValue(QStringLiteral("J. Smith"));
    dut.Supervisor().SetValue(QStringLiteral("A. Miller"));
    dut.Job().SetValue(QStringLiteral("J-2026-117"));
    dut.Notes().SetText(QStringLiteral("Tap changer serviced in May.\r\nOil sample taken."));
    dut.AuxTitleList().SetS(0, QStringLiteral("Cooling"));
    dut.AuxTextList().SetS(0, QStringLiteral("ONAN / ONAF"));
    dut.AuxTitleList().SetS(1, QStringLiteral("Weight"));
    dut.AuxTextList().SetS(1, QStringLiteral("52 t"));
    GiveDyn11Windings(g.Doc());
    g.DocumentChanged();

    form.show();
    TQelSetupFrame* page = form.SetupFrame;
    page->PageControl1->setTabVisible(TQelSetupFrame::tbXML, false);
    const std::pair<int, const char*> tabs[] = {{TQelSetupFrame::tbEUTInfo, "setup-dut-info.png"},
                                                {TQelSetupFrame::tbTrafoData, "setup-trafo-data.png"},
                                                {TQelSetupFrame::tbCondition, "setup-conditions.png"},
                                                {TQelSetupFrame::tbOptions, "setup-options.png"},
                                                {TQelSetupFrame::tbAuxiliary, "setup-auxiliary.png"}};
    bool ok = true;
    for (const auto& [tab, file] : tabs) {
        page->PageControl1->setCurrentIndex(tab);
        Settle();
        const QString name = docs + '/' + QString::fromLatin1(file);
        const bool saved = form.grab().save(name);
        std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(name));
        ok = ok && saved;
    }
    return ok ? 0 : 1;
}
