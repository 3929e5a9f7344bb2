// The phase shift detector's results: the voltage ratios of the readings, the three phases, the
// result block and the debug log "ArbPhase.csv".
#include "QelArbitrary.h"

#include "CSVForm.h"
#include "QelGlobals.h"

#include <QSaveFile>

#include <cmath>

namespace {
QString G(double v) {
    return QString::number(v, 'g', 8);
}
QString Hex(qint32 gain) {
    return QStringLiteral("%1").arg(gain & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}
} // namespace

QStringList TQelArbitrary::LogHeader() {
    return {"Tap/Measurement Nr",
            "Vector Group",
            "Phase",
            "Turns Ratio",
            "Phase Shift",
            "Volt Ratio",
            "",
            "Pri V1",
            "Pri V2",
            "Sec V1",
            "Sec V2",
            "K1",
            "K2",
            "Swap K1K2",
            "H1_H2H3",
            "H1_H2H3",
            "H1_H2H3",
            "H1_H2H3",
            "X1_X0",
            "X2_X0",
            "X1_X0",
            "X3_X0",
            "Step 1 Gain",
            "Step 2 Gain",
            "Raw Pri V1",
            "Raw Pri V2",
            "Raw Sec V1",
            "Raw Sec V2",
            "Step 1 Gain",
            "Step 2 Gain",
            "Step 3 Gain",
            "Step 4 Gain"};
}

void TQelArbitrary::ComputeTransformer() {
    for (int p = 0; p < 3; ++p) {
        const TReading& r1 = FReadings[size_t(2 * p)];
        const TReading& r2 = FReadings[size_t(2 * p + 1)];
        FK1[size_t(p)] = r1.V1 / r1.V2 * FCorrection;
        FK2[size_t(p)] = r2.V1 / r2.V2 * FCorrection;
    }
    StoreResults([this](int p, QStringList& row) {
        const TReading& r1 = FReadings[size_t(2 * p)];
        const TReading& r2 = FReadings[size_t(2 * p + 1)];
        row[7] = G(r1.V1);
        row[8] = G(r2.V1);
        row[9] = G(r1.V2);
        row[10] = G(r2.V2);
        row[22] = Hex(r1.Gain);
        row[23] = Hex(r2.Gain);
        row[24] = G(r1.RawV1);
        row[25] = G(r2.RawV1);
        row[26] = G(r1.RawV2);
        row[27] = G(r2.RawV2);
    });
}

void TQelArbitrary::ComputeAutoTransformer() {
    // Every secondary is brought to the primary of the first reading before the differences.
    std::array<std::array<double, 4>, 3> s{};
    for (int p = 0; p < 3; ++p) {
        const TReading* r = &FReadings[size_t(4 * p)];
        const double l = r[0].V1;
        s[size_t(p)] = {r[0].V2, r[1].V2 * l / r[1].V1, r[2].V2 * l / r[2].V1, r[3].V2 * l / r[3].V1};
        FK1[size_t(p)] = l / (s[size_t(p)][0] - s[size_t(p)][1]) * FCorrection;
        FK2[size_t(p)] = l / (s[size_t(p)][2] - s[size_t(p)][3]) * FCorrection;
    }
    StoreResults([this, s](int p, QStringList& row) {
        const TReading* r = &FReadings[size_t(4 * p)];
        const auto& sp = s[size_t(p)];
        row[7] = G((r[0].V1 + r[1].V1) / 2);
        row[8] = G((r[2].V1 + r[3].V1) / 2);
        row[9] = G(sp[0] - sp[1]);
        row[10] = G(sp[2] - sp[3]);
        for (int m = 0; m < 4; ++m) {
            row[14 + m] = G(r[m].V1);
            row[18 + m] = G(sp[size_t(m)]);
            row[28 + m] = Hex(r[m].Gain);
        }
    });
}

void TQelArbitrary::StoreResults(const std::function<void(int, QStringList&)>& logRow) {
    static const char* const letters[3] = {"A", "B", "C"};
    std::array<ArbPhase::TPhase, 3> phases;
    TArbitraryResult& result = FGlobal.ArbitraryResult;
    for (int p = 0; p < 3; ++p) {
        phases[size_t(p)] =
            ArbPhase::ComputePhase(p, FK1[size_t(p)], FK2[size_t(p)], FK1[0], FK2[0], FFactors);
        const ArbPhase::TPhase& ph = phases[size_t(p)];
        QStringList row(LogHeader().size());
        row[0] = p == 0 ? QString::number(result.Count + 1) : QString();
        row[1] = FVectorGroup;
        row[2] = QLatin1String(letters[p]);
        row[3] = G(ph.TurnsRatio);
        row[4] = G(ph.PhaseShift);
        row[5] = G(ph.VoltageRatio);
        row[11] = G(ph.K1);
        row[12] = G(ph.K2);
        if (p > 0)
            row[13] = ph.Swap ? QStringLiteral("True") : QStringLiteral("False");
        logRow(p, row);
        FLog.append(row);
    }
    if (FGlobal.DebugMode)
        WriteLog();
    for (int p = 0; p < 3; ++p) {
        if (!phases[size_t(p)].Valid())
            return Fail(QStringLiteral("The readings of phase %1 give no ratio (K1 %2, K2 %3): check the "
                                       "connections and the secondary voltage.")
                            .arg(QString::fromLatin1(letters[p]), G(FK1[size_t(p)]), G(FK2[size_t(p)])));
    }
    result.Count += 1;
    result.VectorGroup = FVectorGroup;
    result.TestVoltage = FTestVoltage;
    result.AtEdge = false;
    for (int p = 0; p < 3; ++p) {
        result.VoltageRatio[size_t(p)] = phases[size_t(p)].VoltageRatio;
        result.TurnsRatio[size_t(p)] = phases[size_t(p)].TurnsRatio;
        result.PhaseShift[size_t(p)] = phases[size_t(p)].PhaseShift;
        result.AtEdge = result.AtEdge || std::abs(phases[size_t(p)].PhaseShift) >= ArbPhase::EdgeDegrees;
    }
    FResultStored = true;
    if (result.AtEdge)
        FGlobal.Tell(
            QStringLiteral("A phase shift lies at the limit of this detection, which measures angles "
                           "between -60° and +60° only: the real angle may lie beyond."));
    FGlobal.PostToAll(UM_RESULT, wpResult, lpOwnResult);
}

void TQelArbitrary::WriteLog() const {
    const QChar sep = ListSeparator();
    QString text;
    QList<QStringList> rows{LogHeader()};
    rows += FLog;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (const QString& cell : row)
            cells << CSVForm::Field(cell, sep);
        text += cells.join(sep) + QStringLiteral("\r\n");
    }
    QSaveFile file(FGlobal.AppFolder + QStringLiteral("ArbPhase.csv"));
    if (!file.open(QIODevice::WriteOnly) || file.write(CSVForm::EncodeText(text)) < 0 || !file.commit())
        qWarning("ArbPhase.csv could not be written");
}
