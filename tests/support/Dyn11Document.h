#pragma once
// Header only: the tests that use it link the data module themselves.
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
