#pragma once
// Header only: a program folder with the shipped style sheet and logo, its data module with the
// reports and the PDF renderer installed, and tests of any number of taps.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "GridTable.h"
#include "QelGlobals.h"
#include "QelReports.h"
#include "RecordingOperator.h"
#include "ReportRenderer.h"
#include "SampleTest.h"
#include "TestDirs.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

// The cells of result row r (0-based) of a test over taps: every row its own texts.
inline QStringList TapRow(int r) {
    const int tap = r / 3 + 1;
    const int phase = r % 3;
    return {QStringLiteral("14.03.2026 %1:%2:%3")
                .arg(10 + r / 3600, 2, 10, QChar('0'))
                .arg(r / 60 % 60, 2, 10, QChar('0'))
                .arg(r % 60, 2, 10, QChar('0')),
            QString(QChar(u'A' + phase)),
            QStringLiteral("HV T%1:LV").arg(tap),
            QStringLiteral("%1 kV").arg(121 - 0.5 * tap, 0, 'f', 1),
            QStringLiteral("20 kV"),
            QString::number(tap),
            QString::number(6.05 - 0.025 * tap, 'f', 4),
            QString::number(6.05 - 0.025 * tap + 0.0001 * (r % 10), 'f', 4),
            QString::number(10.479 - 0.043 * tap + 0.0001 * r, 'f', 4),
            QStringLiteral("%1 %").arg(0.01 * (r % 37) - 0.12, 0, 'f', 2),
            QStringLiteral("%1 °").arg(0.01 * (r % 11) - 0.03, 0, 'f', 2),
            QStringLiteral(".."),
            QStringLiteral("%1 mA").arg(3.2 + 0.1 * (r % 13), 0, 'f', 1)};
}

// The sample test with its result table replaced by one of taps taps, three phases each.
inline void FillTapTest(TKvXML& doc, int taps, const QString& type = QStringLiteral("ONAN 40 MVA")) {
    FillSampleTest(doc, {type});
    const int rows = 3 * taps;
    TMemoryGridTable table(QStringLiteral("sgMeasData"), 13, rows + 1);
    for (int c = 0; c < 13; ++c)
        table.SetCell(c, 0, SampleMeasurementTitles()[c]);
    for (int r = 0; r < rows; ++r) {
        const QStringList cells = TapRow(r);
        for (int c = 0; c < 13; ++c)
            table.SetCell(c, r + 1, cells[c]);
    }
    doc.QEL().Measurement().Grid().StoreFrom(table, 0);
}

struct TPdfProgram {
    explicit TPdfProgram(const QString& folder) {
        const QString program = folder + QStringLiteral("/program");
        QDir().mkpath(program);
        for (const char* name : {"KovaDoc.xsl", "company.jpg"})
            QFile::copy(SourceDir() + QStringLiteral("/data/") + QLatin1String(name),
                        program + u'/' + QLatin1String(name));
        Startup.ExecutablePath = program + QStringLiteral("/Qel8625");
        Startup.DocumentsFolder = folder + QStringLiteral("/documents");
        Startup.Arguments = {QStringLiteral("/SIM")};
        Startup.Operator = &Operator;
        Renderer.Paper = QPageSize::A4;
        Global = std::make_unique<TQelGlobal>(Startup);
        Reports = std::make_unique<TQelReports>(*Global);
        Reports->SetRenderer(&Renderer);
    }
    // A new test of taps taps, saved with the reports DataStorage asks for.
    QString SaveTapTest(const QString& name, int taps, const QString& type = QStringLiteral("ONAN 40 MVA")) {
        const QString file = Global->DataPath + name;
        Global->NewDocument(file);
        FillTapTest(Global->Doc(), taps, type);
        Global->DocumentChanged();
        Settle();
        return file;
    }
    // The reports written and every message about them delivered.
    void Settle() {
        Reports->Finish();
        for (int round = 0; round < 3; ++round)
            QCoreApplication::sendPostedEvents();
    }

    TRecordingOperator Operator;
    TQelStartup Startup;
    TQtReportRenderer Renderer;
    std::unique_ptr<TQelGlobal> Global;
    std::unique_ptr<TQelReports> Reports;
};

inline QString WithExtensionOf(const QString& file, const char* extension) {
    const QFileInfo fi(file);
    return fi.path() + u'/' + fi.completeBaseName() + QLatin1String(extension);
}
