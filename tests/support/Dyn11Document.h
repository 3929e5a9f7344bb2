#pragma once
// Header only: the tests that use it link the data module themselves.
#include "GridTable.h"
#include "QelGlobals.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

// The transformer most link tests run on: Dyn11, 110 kV / 20 kV, HV measured against LV at
// "Auto", written into the open document and saved.
inline bool MakeDyn11(TQelGlobal& g) {
    const auto windings = g.Doc().DUTTrafoData().Winding();
    windings.Item(0).Configuration().SetValue(0);
    windings.Item(0).NominalVoltage().SetValue(QStringLiteral("110 kV"));
    windings.Item(1).Configuration().SetValue(2);
    windings.Item(1).VectorGroup().SetValue(11);
    windings.Item(1).NominalVoltage().SetValue(QStringLiteral("20 kV"));
    const auto setup = g.Doc().QEL().Setup();
    setup.ActTestVoltage().SetValue(QStringLiteral("Auto"));
    setup.ActMeasWindingH().SetValue(0);
    setup.ActMeasWindingX().SetValue(1);
    return g.DocumentChanged();
}

// A tap changer on `winding`: taps 1 ... n at `voltages`, activated where `active` says, the
// nominal tap `nominal` (named "N"). Written into the document, not saved.
inline void SetTapChanger(TQelGlobal& g, int winding, const QStringList& voltages, const QList<bool>& active,
                          int nominal = 0) {
    const TXMLWindingType w = g.Doc().DUTTrafoData().Winding().Item(winding);
    w.SetAvail(1);
    w.TapChangerAvailable().SetValue(1);
    const TXMLTapChangerDataType data = w.TapChangerData();
    data.NrOfTaps().SetValue(int(voltages.size()));
    data.FirstTap().SetValue(1);
    data.NominalTap().SetValue(nominal > 0 ? nominal : 1);
    TMemoryGridTable t(QStringLiteral("sgTapData"), 4, int(voltages.size()) + 1);
    const QStringList titles = {"Tap", "Voltage", "Name", "Activate"};
    for (int c = 0; c < 4; ++c)
        t.SetCell(c, 0, titles[c]);
    for (int r = 1; r <= voltages.size(); ++r) {
        t.SetCell(0, r, QString::number(r));
        t.SetCell(1, r, voltages[r - 1]);
        t.SetCell(2, r, r == nominal ? QStringLiteral("N") : QString());
        t.SetCell(3, r, active.value(r - 1, true) ? QStringLiteral("yes") : QStringLiteral("no"));
    }
    data.Grid().StoreFrom(t, 3);
}
