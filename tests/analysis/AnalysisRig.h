#pragma once
// The analysis page on a data module of its own in simulation, over a test document in a
// temporary folder whose measurement table the test fills in the measurement page's layout.
#include "GridTable.h"
#include "LinkRig.h"
#include "QelAnalysisFrames.h"
#include "QelImage.h"
#include "WinMsgList.h"
#include "XMLGrid.h"
#include "XMLKvDoc.h"

#include <QCoreApplication>

#include <memory>

// Counts the window messages a registered window receives, by number.
class TMessageCounter : public QObject {
public:
    QMap<int, int> Counts;
    bool event(QEvent* e) override {
        const int t = int(e->type());
        if (t >= UM_SETTINGSCHANGED && t <= UM_NODUTDATA)
            ++Counts[t];
        return QObject::event(e);
    }
};

struct TAnalysisRig : TLinkRig {
    TQelImage Images;
    std::unique_ptr<TQelAnalysisFrame> Page;
    QString TestFile;

    ~TAnalysisRig() override {
        if (Page)
            Global->UnregisterWindow(Page.get());
        Page.reset();
        Global.reset();
    }

    static const QStringList& Titles() {
        static const QStringList titles = {
            "Time",       "Phase",       "Meas.Conf",  "Prim.Volt.", "Sec.Volt",   "TapNr.", "Nom.VRatio",
            "Volt.Ratio", "Turns Ratio", "Ratio Dev.", "Phase Dev.", "Phaseshift", "Current"};
        return titles;
    }

    // A measured row of tap `tap` in the column layout of the measurement page.
    static QStringList Row(const QString& time, const QString& phase, int tap, const QString& ratioDev,
                           const QString& phaseDev = QStringLiteral("0.02 \u00B0"),
                           const QString& current = QStringLiteral("3.2 mA")) {
        return {time,
                phase,
                QStringLiteral("HV T%1:LV").arg(tap),
                QStringLiteral("110 kV"),
                QStringLiteral("20 kV"),
                QString::number(tap),
                QStringLiteral("5.5000"),
                QStringLiteral("5.5011"),
                QStringLiteral("9.5282"),
                ratioDev,
                phaseDev,
                QStringLiteral(".."),
                current};
    }
    static QStringList Blank() { return QStringList(13, QString()); }

    // A data module, a saved test of these rows and the page loaded from it, on screen.
    void Create(const QList<QStringList>& rows, QSize size = QSize(780, 520)) {
        CreateGlobal({QStringLiteral("/SIM")});
        TestFile = Global->DataPath + QStringLiteral("T2.XML");
        QVERIFY(Global->NewDocument(TestFile));
        SetRows(rows);
        SetLimits(QStringLiteral("0.5 %"), QStringLiteral("1 %"), QStringLiteral("0.5 \u00B0"),
                  QStringLiteral("1 \u00B0"));
        Page = std::make_unique<TQelAnalysisFrame>(*Global);
        Page->SetImages(Images);
        Global->RegisterWindow(Page.get());
        Page->resize(size);
        Page->show();
        Page->LoadFromDocument();
    }

    void SetRows(const QList<QStringList>& rows) {
        TMemoryGridTable table(QStringLiteral("sgMeasData"), 13, int(rows.size()) + 1);
        for (int c = 0; c < 13; ++c)
            table.SetCell(c, 0, Titles()[c]);
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 13 && c < rows[r].size(); ++c)
                table.SetCell(c, r + 1, rows[r][c]);
        Global->Doc().QEL().Measurement().Grid().StoreFrom(table, 0);
        const TXMLSetupType setup = Global->Doc().QEL().Setup();
        setup.DateFormat().SetValue(QStringLiteral("dd.mm.yyyy"));
        setup.TimeFormat().SetValue(QStringLiteral("hh:nn:ss"));
    }

    void SetLimits(const QString& ratioGreen, const QString& ratioYellow, const QString& phaseGreen,
                   const QString& phaseYellow) {
        const TXMLAnalysisType a = Global->Doc().QEL().Analysis();
        a.MaxRelRatioErrorGreen().SetValue(ratioGreen);
        a.MaxRelRatioErrorYellow().SetValue(ratioYellow);
        a.MaxRelPhaseErrorGreen().SetValue(phaseGreen);
        a.MaxRelPhaseErrorYellow().SetValue(phaseYellow);
    }

    // The document as the page's store would leave it, then every page reloads.
    void Changed() { QVERIFY(Global->DocumentChanged()); }
};
