#pragma once
// What the picture programs of the setup share: a quiet operator, a data module in simulation on
// a scratch folder with the vector group table, a Dyn11 transformer, and a settled window.
#include "../SheetSupport.h"
#include "QelGlobals.h"
#include "QelWindings.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

// The start of a data module in simulation in home, the vector group table copied from tableFolder.
inline TQelStartup SheetStartup(const QTemporaryDir& home, const QString& tableFolder, TOperatorIFace* op) {
    QFile::copy(tableFolder + QStringLiteral("/VectorGroupTable.csv"),
                home.filePath(QStringLiteral("VectorGroupTable.csv")));
    TQelStartup s;
    s.ExecutablePath = home.filePath(QStringLiteral("Qel8625"));
    s.DocumentsFolder = home.path();
    s.Arguments = {QStringLiteral("/SIM")};
    s.Operator = op;
    return s;
}

// HV D 110 kV, LV yn11 20 kV, 40 MVA each, with their nominal currents.
inline void GiveDyn11Windings(TKvXML& doc) {
    const auto windings = doc.DUTTrafoData().Winding();
    windings.Item(0).Configuration().SetValue(0);
    windings.Item(0).NominalVoltage().SetValue(QStringLiteral("110 kV"));
    windings.Item(0).NominalPower().SetValue(QStringLiteral("40 MVA"));
    windings.Item(1).Configuration().SetValue(2);
    windings.Item(1).VectorGroup().SetValue(11);
    windings.Item(1).NominalVoltage().SetValue(QStringLiteral("20 kV"));
    windings.Item(1).NominalPower().SetValue(QStringLiteral("40 MVA"));
    for (int w = 0; w < 2; ++w)
        QelWindings::UpdateNominalCurrent(windings.Item(w));
}

// Laid out and painted before the picture is taken.
inline void Settle() {
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
}
