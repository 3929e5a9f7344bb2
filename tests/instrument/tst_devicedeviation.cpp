// Ratio deviations of tap results and the vector-group factor of every winding pair.
#include "Qel8624Protocol.h"
#include "Qel8624Records.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Qel8624;

class TDeviceDeviationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void nominalRatioOfDynExample();
    void factorOfEveryWindingPair_data();
    void factorOfEveryWindingPair();
    void missingNominalFlagsTheTap();
};

void TDeviceDeviationTest::nominalRatioOfDynExample() {
    TTapResult tap;
    tap.HVNominal = 110;
    tap.LVNominal = 20;
    tap.Ratio = {9.5263f, 9.5263f * 1.005f, 9.5263f * 0.99f};
    ComputeTapDeviations(tap, conD, conYN);
    QVERIFY2(std::fabs(tap.RatioDeviation[0]) < 0.001f, qPrintable(QString::number(tap.RatioDeviation[0])));
    QVERIFY(std::fabs(tap.RatioDeviation[1] - 0.5f) < 0.001f);
    QVERIFY(std::fabs(tap.RatioDeviation[2] + 1.0f) < 0.001f);
    QVERIFY(!tap.Flag);
}

void TDeviceDeviationTest::factorOfEveryWindingPair_data() {
    QTest::addColumn<int>("hv");
    QTest::addColumn<int>("lv");
    QTest::addColumn<float>("factor");
    const float r3 = 1.7320508f, i3 = 0.57735026f, third = 0.33333334f;
    const float table[5][5] = {
        {1, r3, r3, 3, 3},     // D
        {i3, 1, 1, r3, r3},    // Y
        {i3, 1, 1, r3, r3},    // YN
        {third, i3, i3, 1, 1}, // Z
        {third, i3, i3, 1, 1}, // ZN: a neutral changes no ratio
    };
    const int codes[] = {conD, conY, conYN, conZ, conZN, con1P, conCT, conNotSet, 7};
    for (int hv : codes)
        for (int lv : codes) {
            const float f = hv <= conZN && lv <= conZN ? table[hv][lv] : 1.0f; // others: 1
            QTest::addRow("%d-%d", hv, lv) << hv << lv << f;
        }
}

void TDeviceDeviationTest::factorOfEveryWindingPair() {
    QFETCH(int, hv);
    QFETCH(int, lv);
    QFETCH(float, factor);
    // A tap measured exactly at the nominal ratio of its winding pair has no deviation.
    TTapResult tap;
    tap.HVNominal = 66;
    tap.LVNominal = 11;
    const float ratio = factor * 66.0f / 11.0f;
    tap.Ratio = {ratio, ratio * 1.01f, ratio};
    ComputeTapDeviations(tap, hv, lv);
    QVERIFY2(std::fabs(tap.RatioDeviation[0]) < 1e-4f, qPrintable(QString::number(tap.RatioDeviation[0])));
    QVERIFY(std::fabs(tap.RatioDeviation[1] - 1.0f) < 1e-3f);
    QCOMPARE(VectorGroupRatioFactor(hv, lv), factor);
}

void TDeviceDeviationTest::missingNominalFlagsTheTap() {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (auto [hvNom, lvNom] : {std::pair{0.0f, 20.0f}, {110.0f, 0.0f}, {nan, 20.0f}, {110.0f, INFINITY}}) {
        TTapResult tap;
        tap.HVNominal = hvNom;
        tap.LVNominal = lvNom;
        tap.Ratio = {5, 5, 5};
        tap.RatioDeviation = {7, 7, 7};
        ComputeTapDeviations(tap, conD, conY);
        QCOMPARE(tap.RatioDeviation, (std::array<float, 3>{0, 0, 0}));
        QVERIFY(tap.Flag);
    }
}

QTEST_GUILESS_MAIN(TDeviceDeviationTest)
#include "tst_devicedeviation.moc"
