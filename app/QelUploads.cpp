// The instrument's stored tests as list rows, text reports and test documents.
#include "QelUploads.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

#include "GridTable.h"
#include "QelGlobals.h"
#include "QelTestFiles.h"
#include "QelWindings.h"
#include "SIPrefixes.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

namespace QelUploads {
namespace {

const QString CrLf = QStringLiteral("\r\n");

// A voltage given in kV, as the document and the reports write quantities: "400.000 V", "20.000 kV".
QString KiloVolts(double kv, int width = 0) {
    return FormatSI(kv * 1000.0, width, 3, false) + 'V';
}

QString Fixed(double value, int decimals) {
    return FormatFixed(value, 0, decimals, false);
}

bool IsSinglePhase(int hvConnection) {
    return hvConnection == 5 || hvConnection == 6; // 1P, CT
}

// The record's date, else the entry's, else now: a date more than 10000 days old is none.
QDateTime RowDate(const TMemoryData& record, const TTestInfo& entry, const QDateTime& now) {
    const QDateTime oldest = now.addDays(-10000);
    for (const QDateTime& d : {record.Setup.TestDate, entry.TestDate})
        if (d.isValid() && d > oldest)
            return d;
    return now;
}

QString TimeText(const TXMLKovaDocType& doc, const QDateTime& when) {
    const QLocale locale = QLocale::system();
    const QString date = doc.QEL().Setup().DateFormat().Value();
    const QString time = doc.QEL().Setup().TimeFormat().Value();
    return (date.isEmpty() ? locale.toString(when.date(), QLocale::ShortFormat)
                           : when.date().toString(date)) +
           ' ' +
           (time.isEmpty() ? locale.toString(when.time(), QLocale::LongFormat) : when.time().toString(time));
}

const QStringList& MeasurementTitles() {
    static const QStringList titles = {"Time",       "Phase",      "Meas.Conf",  "Prim.Volt.",  "Sec.Volt",
                                       "TapNr.",     "Nom.VRatio", "Volt.Ratio", "Turns Ratio", "Ratio Dev.",
                                       "Phase Dev.", "Phaseshift", "Current"};
    return titles;
}

void WriteTapTable(const TXMLWindingType& lv, const TTestSetup& s, QStringList* notes) {
    const int total = std::clamp<int>(s.TapA, 0, QelWindings::MaxTaps);
    lv.TapChangerAvailable().SetValue(total > 0 ? 1 : 0);
    const TXMLTapChangerDataType data = lv.TapChangerData();
    QelWindings::TTapChanger taps;
    taps.NrOfTaps = total;
    taps.FirstTap = std::clamp<int>(s.TapB, -QelWindings::MaxTapNumber, QelWindings::MaxTapNumber);
    taps.NominalTap = std::clamp<int>(s.TapC, -QelWindings::MaxTapNumber, QelWindings::MaxTapNumber);
    TMemoryGridTable table(QStringLiteral("sgTapData"), QelWindings::ColActivate + 1, total + 1);
    if (total == 0) {
        // No taps: an empty table, as a tap changer frame keeps it, never the new test's default taps.
        QelWindings::StoreTapChanger(data, taps, table, QString());
        return;
    }
    QelWindings::ShapeTapTable(table, taps, QString());
    // The step acts on the LV winding: the nominal tap carries the LV nominal voltage.
    QList<int> unusable;
    for (int k = 1; k <= total; ++k) {
        const double kv =
            double(s.LVNominal) + double(taps.FirstTap - taps.NominalTap + k - 1) * double(s.TapStep);
        if (kv > 0 && std::isfinite(kv))
            table.SetCell(QelWindings::ColVoltage, k, KiloVolts(kv));
        else
            unusable << taps.FirstTap + k - 1;
    }
    QelWindings::StoreTapChanger(data, taps, table, QString());
    if (!unusable.isEmpty() && notes) {
        QStringList numbers;
        for (int t : unusable)
            numbers << QString::number(t);
        *notes << QStringLiteral("The stored tap step gives no positive voltage for tap(s) %1: their "
                                 "voltage was left empty.")
                      .arg(numbers.join(QStringLiteral(", ")));
    }
}

} // namespace

QString ConnectionText(int code) {
    static const char* const texts[] = {"D", "Y", "YN", "Z", "ZN", "1P", "CT"};
    return code >= 0 && code < 7 ? QString::fromLatin1(texts[code]) : QStringLiteral("?");
}

int TapResultCount(const TMemoryData& record) {
    return std::clamp<int>(record.Setup.TapResults, 0, QelMaxTaps);
}

QString ListRow(const TTestInfo& e) {
    QString row = QString::number(e.Slot) + QStringLiteral(": ") + e.DUTSerialNumber + QStringLiteral(", ") +
                  e.DUTLocation + QStringLiteral(", ") + e.DUTType;
    if (e.TestDate.isValid())
        row += QStringLiteral(", ") + QLocale::system().toString(e.TestDate.date(), QLocale::ShortFormat) +
               QStringLiteral(", ") + QLocale::system().toString(e.TestDate.time(), QLocale::LongFormat);
    return row;
}

QString RecordText(const TQelGlobal& global, const TMemoryData& r) {
    const TTestSetup& s = r.Setup;
    const QString hv = ConnectionText(s.HVConnection);
    const QString lv = ConnectionText(s.LVConnection);
    QString t;
    t += QStringLiteral("Configuration:\t\t") + hv + lv.toLower() +
         (s.ClockNumber == 15 ? QStringLiteral("??") : QString::number(s.ClockNumber)) + CrLf;
    t += QStringLiteral("TestVoltage:\t\t") +
         (s.TestVoltage == 0 ? QStringLiteral("Auto")
                             : FormatSI(s.TestVoltage, 0, 1, false) + QStringLiteral(" V")) +
         CrLf;
    t += QStringLiteral("HV Nominal Voltage:\t") + KiloVolts(s.HVNominal) + CrLf;
    t += QStringLiteral("LV Nominal Voltage:\t") + KiloVolts(s.LVNominal) + CrLf;
    t += QStringLiteral("Total Taps:\t\t") + QString::number(s.TapA) + CrLf;
    t += QStringLiteral("Bottom Tap Number:\t") + QString::number(s.TapB) + CrLf;
    t += QStringLiteral("Nominal Tap Number:\t") + QString::number(s.TapC) + CrLf;
    t += QStringLiteral("Step Tap - Tap:\t\t") + FormatSI(double(s.TapStep) * 1000.0, 0, 3, false) +
         QStringLiteral(" V") + CrLf;
    t += QStringLiteral("Max. Deviation:\t\t") + Fixed(s.MaxDeviation, 2) + CrLf;
    t += QStringLiteral("DUT Serial No:\t\t") + s.DUTSerialNumber + CrLf;
    t += QStringLiteral("DUT Type:\t\t") + s.DUTType + CrLf;
    t += QStringLiteral("DUT Location:\t\t") + s.DUTLocation + CrLf;
    t += QStringLiteral("Operator:\t\t") + s.Operator + CrLf + CrLf;
    const int n = TapResultCount(r);
    if (n == 0)
        return t;
    for (int p = 0; p < 3; ++p)
        t += (p == 0 ? QStringLiteral("Phase Description\t") : QStringLiteral("\t\t\t")) +
             global.VectorGroupLookupByNames(hv, lv, s.ClockNumber, p).Connection + CrLf;
    for (int i = 0; i < n; ++i) {
        const TTapResult& tap = r.Taps[size_t(i)];
        t += CrLf + QStringLiteral("Tap: \t\t\t") + QString::number(s.TapB + i) +
             QStringLiteral(" (%1 of %2)").arg(i + 1).arg(n) + CrLf;
        t += QStringLiteral("HV : \t\t\t") + KiloVolts(tap.HVNominal, 6) + QStringLiteral(" ") + CrLf;
        t += QStringLiteral("LV : \t\t\t") + KiloVolts(tap.LVNominal, 6) + QStringLiteral(" ") + CrLf;
        t += CrLf + QStringLiteral("Phase\tT-Ratio\tTRDev\tPhDev\tCurrent") + CrLf + QString(63, '*') + CrLf;
        for (int p = 0; p < 3; ++p)
            t += QStringLiteral(" %1  \t").arg(QChar('A' + p)) + Fixed(tap.Ratio[p], 3) + '\t' +
                 Fixed(tap.RatioDeviation[p], 2) + QStringLiteral("%\t") + Fixed(tap.PhaseDeviation[p], 1) +
                 '\t' + Fixed(tap.Current[p], 1) + QStringLiteral("mA") + CrLf;
        t += CrLf;
    }
    return t;
}

QString FirstFreeFileName(const QString& fileName) {
    QString name = fileName;
    static const QRegularExpression digits(QStringLiteral("(\\d+)$"));
    // A name that keeps counting past any limit ends when the counter does not fit any more.
    for (int guard = 0; QFileInfo::exists(name) && guard < 100000; ++guard) {
        const QFileInfo info(name);
        QString base = info.completeBaseName();
        const QString ext = info.suffix().isEmpty() ? QString() : '.' + info.suffix();
        const QRegularExpressionMatch m = digits.match(base);
        if (m.hasMatch() && m.captured(1).size() < 18)
            base = base.left(m.capturedStart(1)) + QString::number(m.captured(1).toLongLong() + 1);
        else
            base += '1';
        name = WithSlash(info.path()) + base + ext;
    }
    return name;
}

void WriteRecord(TQelGlobal& global, const TMemoryData& r, const TTestInfo& entry, const QDateTime& now,
                 QStringList* notes) {
    const TTestSetup& s = r.Setup;
    TKvXML& doc = global.Doc();
    const TXMLDUTGeneralType dut = doc.DUTGeneral();
    dut.Type().SetValue(s.DUTType);
    dut.Operator().SetValue(s.Operator);
    dut.Location().SetValue(s.DUTLocation);
    dut.SerialNo().SetValue(s.DUTSerialNumber);
    // 0 V is the instrument's automatic choice, which the test voltage selector calls "Auto".
    doc.QEL().Setup().ActTestVoltage().SetValue(
        s.TestVoltage == 0 ? QStringLiteral("Auto") : FormatSI(s.TestVoltage, 0, 1, false) + 'V');

    const TXMLDUTTrafoDataType trafo = doc.DUTTrafoData();
    const TXMLWindingType hv = trafo.Winding().Item(0);
    const TXMLWindingType lv = trafo.Winding().Item(1);
    const TXMLWindingType tv = trafo.Winding().Item(2);
    hv.Configuration().SetValue(s.HVConnection);
    lv.Configuration().SetValue(s.LVConnection);
    lv.VectorGroup().SetValue(s.ClockNumber);
    tv.SetAvail(0);
    hv.NominalVoltage().SetValue(KiloVolts(s.HVNominal));
    lv.NominalVoltage().SetValue(KiloVolts(s.LVNominal));
    lv.SetAvail(1);
    QelWindings::UpdateNominalCurrent(hv);
    QelWindings::UpdateNominalCurrent(lv);
    WriteTapTable(lv, s, notes);

    const int n = TapResultCount(r);
    if (n == 0)
        return;
    const QString hvText = ConnectionText(s.HVConnection);
    const QString lvText = ConnectionText(s.LVConnection);
    std::array<TVectorGroupMatch, 3> match;
    for (int p = 0; p < 3; ++p)
        match[size_t(p)] = global.VectorGroupLookupByNames(hvText, lvText, s.ClockNumber, p);
    // Every phase row uses the factor of phase A, as the instrument computes its deviations.
    const TVectorGroupMatch& f = match[0];
    const TXMLGridType grid = doc.QEL().Measurement().Grid();
    grid.SetColCount(MeasurementTitles().size());
    for (int c = 0; c < MeasurementTitles().size(); ++c)
        if (grid.Cell(c, 0).isEmpty())
            grid.SetCell(c, 0, MeasurementTitles()[c]);
    const QString time = TimeText(doc.Data(), RowDate(r, entry, now));
    const bool single = IsSinglePhase(s.HVConnection);
    for (int i = 0; i < n; ++i) {
        const TTapResult& tap = r.Taps[size_t(i)];
        const int tapNumber = s.TapB + i;
        const bool nominals = tap.HVNominal != 0 && tap.LVNominal != 0;
        const double nominalRatio = nominals ? double(tap.HVNominal) / double(tap.LVNominal) : 0;
        for (int p = 0; p < (single ? 1 : 3); ++p) {
            const int row = std::max(1, grid.RowCount() - 1);
            const double ratio = tap.Ratio[size_t(p)];
            grid.SetCell(0, row, time);
            grid.SetCell(1, row, single ? QStringLiteral("Single") : QString(QChar('A' + p)));
            grid.SetCell(2, row, QStringLiteral("HV:LV T") + QString::number(tapNumber));
            grid.SetCell(3, row, KiloVolts(tap.HVNominal));
            grid.SetCell(4, row, KiloVolts(tap.LVNominal));
            grid.SetCell(5, row, QString::number(tapNumber));
            grid.SetCell(6, row, tap.LVNominal != 0 ? Fixed(nominalRatio, 4) : QStringLiteral("--"));
            grid.SetCell(7, row, Fixed(ratio * f.Factor, 4));
            grid.SetCell(8, row, Fixed(ratio, 4));
            QString deviation;
            if (nominals) {
                if (p == 1)
                    deviation = Fixed(tap.RatioDeviation[1], 2) + QStringLiteral(" %");
                else
                    deviation =
                        Fixed((ratio * f.Factor / nominalRatio - 1.0) * 100.0, 2) + QStringLiteral(" %");
            }
            grid.SetCell(9, row, deviation);
            grid.SetCell(10, row, Fixed(tap.PhaseDeviation[size_t(p)], 2));
            grid.SetCell(12, row, Fixed(tap.Current[size_t(p)], 1) + QStringLiteral(" mA"));
            grid.SetRowCount(row + 2);
        }
    }
}

bool OpenAsDocument(TQelTestFiles& files, const QString& name, bool replaceAgreed, const TMemoryData& record,
                    const TTestInfo& entry, const QDateTime& now) {
    TQelGlobal& global = files.Global();
    if (!files.NewTest(name, replaceAgreed))
        return false;
    QStringList notes;
    WriteRecord(global, record, entry, now, &notes);
    global.SendToAll(UM_DOCCHANGED, 1, 0);
    // Saved as an explicit save is: no confirmed copy of the empty test is left to come back.
    const bool saved = files.Confirm();
    for (const QString& note : notes)
        global.Tell(note);
    return saved;
}

} // namespace QelUploads
