#pragma once
// Header only: the programs that use it link the document library themselves.
#include "GridTable.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QStringList>

// The test the report documents and figures are made from: a Dyn11 transformer 110 kV /
// 20 kV with a five-tap changer on the HV side, measured over every tap, then once more at
// the nominal tap. ExtraRows repeats the first series until the table has at least that
// many result rows (for the figures of large tests).
struct TSampleTest {
    QString Type = QStringLiteral("ONAN 40 MVA");
    int ExtraRows = 0;
};

inline const QStringList& SampleMeasurementTitles() {
    static const QStringList titles = {"Time",       "Phase",      "Meas.Conf",  "Prim.Volt.",  "Sec.Volt",
                                       "TapNr.",     "Nom.VRatio", "Volt.Ratio", "Turns Ratio", "Ratio Dev.",
                                       "Phase Dev.", "Phaseshift", "Current"};
    return titles;
}

inline void FillSampleTest(TKvXML& doc, const TSampleTest& sample = {}) {
    ApplyDocumentDefaults(doc.Data());
    const TXMLDUTGeneralType dut = doc.DUTGeneral();
    dut.Type().SetValue(sample.Type);
    dut.Description().SetValue(QStringLiteral("Grid transformer T2"));
    dut.User().SetValue(QStringLiteral("Stadtwerke Nordhafen"));
    dut.Manufacturer().SetValue(QStringLiteral("Elektrobau Süd"));
    dut.Location().SetValue(QStringLiteral("North, Bay 2"));
    dut.SerialNo().SetValue(QStringLiteral("T2-0815"));
    dut.InventoryNo().SetValue(QStringLiteral("INV 4711"));
    dut.Built().SetValue(QStringLiteral("1998"));
    dut.Operator().SetValue(QStringLiteral("J. Weber"));
    dut.Supervisor().SetValue(QStringLiteral("A. Novak"));
    dut.Job().SetValue(QStringLiteral("2026-031"));
    dut.Notes().SetText(
        QStringLiteral("Oil sample taken.\r\nTap changer serviced 2024 (C:\\Service\\T2.log)."));

    const TXMLDUTTrafoDataType trafo = doc.DUTTrafoData();
    trafo.TrafoConfiguration().SetValue(QStringLiteral("Dyn11"));
    const TXMLWindingType hv = trafo.Winding().Item(0);
    const TXMLWindingType lv = trafo.Winding().Item(1);
    hv.SetName(QStringLiteral("HV-Winding"));
    hv.SetAvail(1);
    hv.Configuration().SetValue(0);
    hv.NominalVoltage().SetValue(QStringLiteral("110 kV"));
    hv.NominalPower().SetValue(QStringLiteral("40 MVA"));
    hv.NominalCurrent().SetValue(QStringLiteral("209.9 A"));
    hv.TapChangerAvailable().SetValue(1);
    const TXMLTapChangerDataType taps = hv.TapChangerData();
    taps.NrOfTaps().SetValue(5);
    taps.NominalTap().SetValue(3);
    taps.FirstTap().SetValue(1);
    const QStringList voltages = {"121 kV", "115.5 kV", "110 kV", "104.5 kV", "99 kV"};
    TMemoryGridTable tapTable(QStringLiteral("sgTapData"), 4, 6);
    const QStringList tapTitles = {"Tap", "Voltage", "Name", "Activate"};
    for (int c = 0; c < 4; ++c)
        tapTable.SetCell(c, 0, tapTitles[c]);
    for (int t = 1; t <= 5; ++t) {
        tapTable.SetCell(0, t, QString::number(t));
        tapTable.SetCell(1, t, voltages[t - 1]);
        tapTable.SetCell(2, t, t == 3 ? QStringLiteral("N") : QString());
        tapTable.SetCell(3, t, QStringLiteral("yes"));
    }
    taps.Grid().StoreFrom(tapTable, 3);
    lv.SetName(QStringLiteral("LV-Winding"));
    lv.SetAvail(1);
    lv.Configuration().SetValue(2);
    lv.VectorGroup().SetValue(11);
    lv.NominalVoltage().SetValue(QStringLiteral("20 kV"));
    lv.NominalPower().SetValue(QStringLiteral("40 MVA"));
    lv.NominalCurrent().SetValue(QStringLiteral("1.155 kA"));
    trafo.Winding().Item(2).SetAvail(0);

    const TXMLSetupType setup = doc.QEL().Setup();
    setup.ActTestVoltage().SetValue(QStringLiteral("100 V"));
    setup.ActWindMeasPhaseA().SetValue(QStringLiteral("1U-1V : 2u-2n"));
    setup.ActWindMeasPhaseB().SetValue(QStringLiteral("1V-1W : 2v-2n"));
    setup.ActWindMeasPhaseC().SetValue(QStringLiteral("1W-1U : 2w-2n"));
    setup.DateFormat().SetValue(QStringLiteral("dd.mm.yyyy"));
    setup.TimeFormat().SetValue(QStringLiteral("hh:nn:ss"));
    setup.Condition().AmbientTemp().SetValue(QStringLiteral("21.5"));
    setup.Condition().RelHumidity().SetValue(QStringLiteral("48"));
    setup.Condition().Pressure().SetValue(QStringLiteral("1013 hPa"));
    const TXMLAnalysisType analysis = doc.QEL().Analysis();
    analysis.MaxRelRatioErrorGreen().SetValue(QStringLiteral("0.5 %"));
    analysis.MaxRelRatioErrorYellow().SetValue(QStringLiteral("1 %"));
    analysis.MaxRelPhaseErrorGreen().SetValue(QStringLiteral("0.5 °"));
    analysis.MaxRelPhaseErrorYellow().SetValue(QStringLiteral("1 °"));

    // One row per phase; a series starts after an empty row and ends with one.
    struct TRow {
        QStringList Cells;
        bool StartsSeries = false;
    };
    std::vector<TRow> rows;
    // rep > 0: a repetition of the first series, with values of its own as measured values have.
    const auto series = [&](const QList<int>& tapsMeasured, int minute, int rep) {
        static const char* const phases[] = {"A", "B", "C"};
        static const double deviations[] = {0.04, -0.12, 0.61, 0.08, 1.25};
        bool first = true;
        for (const int tap : tapsMeasured) {
            for (int p = 0; p < 3; ++p) {
                const double nominal = voltages[tap - 1].section(' ', 0, 0).toDouble() / 20.0;
                const double dev = deviations[(tap - 1 + p) % 5] / (p + 1) + 0.003 * (rep % 50);
                const double ratio = nominal * (1 + dev / 100);
                const QString time = QStringLiteral("14.03.2026 10:%1:%2")
                                         .arg(minute + tap, 2, 10, QChar('0'))
                                         .arg(5 + 17 * p, 2, 10, QChar('0'));
                rows.push_back(
                    {{time, QString::fromLatin1(phases[p]),
                      QStringLiteral("HV T%1%2:LV").arg(tap).arg(tap == 3 ? "(N)" : ""), voltages[tap - 1],
                      QStringLiteral("20 kV"), QString::number(tap), QString::number(nominal, 'f', 4),
                      QString::number(ratio, 'f', 4), QString::number(ratio * 1.7320508, 'f', 4),
                      QStringLiteral("%1 %").arg(dev, 5, 'f', 2),
                      QStringLiteral("%1 °").arg(0.02 * (p + 1) - 0.03 + 0.01 * (rep % 7), 5, 'f', 2),
                      QStringLiteral(".."),
                      QStringLiteral("%1 mA").arg(3.2 + 0.4 * p + 0.1 * (rep % 9), 5, 'f', 1)},
                     first});
                first = false;
            }
        }
        rows.push_back({QStringList(13, QString()), false});
    };
    series({1, 2, 3, 4, 5}, 20, 0);
    series({3}, 40, 0);
    for (int rep = 1; int(rows.size()) < sample.ExtraRows; ++rep)
        series({1, 2, 3, 4, 5}, 20, rep);

    TMemoryGridTable table(QStringLiteral("sgMeasData"), 13, int(rows.size()) + 1);
    for (int c = 0; c < 13; ++c)
        table.SetCell(c, 0, SampleMeasurementTitles()[c]);
    for (size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 13; ++c)
            table.SetCell(c, int(r) + 1, rows[r].Cells[c]);
    const TXMLGridType grid = doc.QEL().Measurement().Grid();
    grid.StoreFrom(table, 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        if (!rows[r].StartsSeries)
            continue;
        const TXMLInfoType info = grid.R().Item(int(r)).Info();
        info.SetOperator(dut.Operator().Value());
        info.SetAmbientTemp(setup.Condition().AmbientTemp().Value());
        info.SetRelHumidity(setup.Condition().RelHumidity().Value());
        info.SetPressure(setup.Condition().Pressure().Value());
        info.SetDevice(QStringLiteral("QEL 8624"));
        info.SetSerialNr(QStringLiteral("24-1187"));
        info.SetFirmware(QStringLiteral("2.14"));
        info.SetAPSW(QStringLiteral(QEL_VERSION_TEXT));
    }
}

// A test document of its own with these measurement titles and rows, saved as file (its folder
// made when missing).
inline bool WriteTableTest(const QString& file, const QStringList& titles, const QList<QStringList>& rows) {
    TKvXML doc;
    doc.New();
    ApplyDocumentDefaults(doc.Data());
    TMemoryGridTable table(QStringLiteral("sgMeasData"), int(titles.size()), int(rows.size()) + 1);
    for (int c = 0; c < titles.size(); ++c)
        table.SetCell(c, 0, titles[c]);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < titles.size(); ++c)
            table.SetCell(c, r + 1, rows[r].value(c));
    doc.QEL().Measurement().Grid().StoreFrom(table, 0);
    QDir().mkpath(QFileInfo(file).path());
    return doc.Save(file, false, false);
}
