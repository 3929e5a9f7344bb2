#pragma once
// Header only: the programs that use it link the document library themselves.
//
// Test documents of one transformer measured on several days, for the index and the history: a
// serial number, a type, the date of the test and the ratio deviation of every tap and phase.
#include "SampleTest.h"

#include <QDate>

#include <functional>

struct THistoryTest {
    QString SerialNo = QStringLiteral("T-4711");
    QString Type = QStringLiteral("ONAN 40 MVA");
    QDate Date = QDate(2026, 3, 14);
    int Taps = 5;
    // Ratio deviation in % of tap t (from 1), phase p (0 A, 1 B, 2 C); blank: a small one of its own.
    std::function<double(int tap, int phase)> Deviation = nullptr;
    int Repeat = 1; // the series measured this many times (larger tests)
};

inline double DefaultDeviation(int tap, int phase) {
    return 0.05 * tap - 0.02 * phase;
}

inline bool WriteHistoryTest(const QString& file, const THistoryTest& t) {
    TKvXML doc;
    doc.New();
    ApplyDocumentDefaults(doc.Data());
    doc.DUTGeneral().SerialNo().SetValue(t.SerialNo);
    doc.DUTGeneral().Type().SetValue(t.Type);
    doc.DUTGeneral().Location().SetValue(QStringLiteral("North, Bay 2"));
    doc.DUTGeneral().Manufacturer().SetValue(QStringLiteral("Elektrobau Süd"));
    doc.DUTTrafoData().TrafoConfiguration().SetValue(QStringLiteral("Dyn11"));
    doc.QEL().Setup().DateFormat().SetValue(QStringLiteral("dd.mm.yyyy"));
    doc.QEL().Setup().TimeFormat().SetValue(QStringLiteral("hh:nn:ss"));
    const auto deviation = t.Deviation ? t.Deviation : DefaultDeviation;
    QList<QStringList> rows;
    static const char* const phases[] = {"A", "B", "C"};
    for (int rep = 0; rep < t.Repeat; ++rep) {
        for (int tap = 1; tap <= t.Taps; ++tap)
            for (int p = 0; p < 3; ++p) {
                const double dev = deviation(tap, p);
                const double nominal = 5.5 - 0.25 * tap;
                rows << QStringList{t.Date.toString(QStringLiteral("dd.MM.yyyy")) +
                                        QStringLiteral(" 10:%1:%2")
                                            .arg((tap + rep) % 60, 2, 10, QChar('0'))
                                            .arg(5 + 17 * p, 2, 10, QChar('0')),
                                    QString::fromLatin1(phases[p]),
                                    QStringLiteral("HV T%1:LV").arg(tap),
                                    QStringLiteral("110 kV"),
                                    QStringLiteral("20 kV"),
                                    QString::number(tap),
                                    QString::number(nominal, 'f', 4),
                                    QString::number(nominal * (1 + dev / 100), 'f', 4),
                                    QString::number(nominal * (1 + dev / 100) * 1.7320508, 'f', 4),
                                    QStringLiteral("%1 %").arg(dev, 0, 'f', 2),
                                    QStringLiteral("0.02 °"),
                                    QStringLiteral(".."),
                                    QStringLiteral("3.2 mA")};
            }
        rows << QStringList(13, QString());
    }
    const QStringList& titles = SampleMeasurementTitles();
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
