// The report from the file manager: "Save as PDF" (standard and touch dialogs) and "Print Report"
// on a real CUPS print queue the test starts (its jobs kept as files and read back), through the
// platform's print dialog; and on a PDF file through QPrinter, which needs no scheduler.
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTest>

#include "EntrySwitches.h"
#include "PanelButton.h"
#include "PdfReader.h"
#include "PdfRig.h"
#include "PopupPanel.h"
#include "PrintQueue.h"
#include "QelFileManagers.h"
#include "TestFilesRig.h"
#include "XMLDialogs.h"

class TstPrinting : public QObject {
    Q_OBJECT

    struct TRig : TTestFilesRig {
        TQtReportRenderer Renderer;
        std::unique_ptr<TFileManager> Form;
        QString Test;
        ~TRig() override { Form.reset(); }
        void Create(bool touch) {
            CreateFiles();
            Renderer.Paper = QPageSize::A4;
            Files->SetRenderer(&Renderer);
            TEntrySwitches::TouchEntryWide = touch;
            Test = Data(QStringLiteral("T17 North.xml"));
            QVERIFY(Files->NewTest(Test, true));
            FillTapTest(Global->Doc(), 17);
            QVERIFY(Global->DocumentChanged());
            Form = std::make_unique<TFileManager>(*Files);
            Form->Execute();
        }
        // The report key's pop-up, item k.
        void Choose(int item) {
            Form->bnPrint->PerformClick();
            QVERIFY(Form->bnPrint->IsPopupOpen());
            Form->bnPrint->PopupWindow()->ItemButton(item)->PerformClick();
            // The pop-up closes first, then the key acts.
            QTRY_VERIFY(Form->FileDialog() && Form->FileDialog()->isVisible());
        }
    };

    // What every printed or saved report holds.
    static void CheckReport(const QString& pdf) {
        const QString words = PdfReader::Words(pdf);
        QVERIFY2(words.contains(QStringLiteral("T2-0815")), qPrintable(words.left(400)));
        for (const QString& title : SampleMeasurementTitles())
            QVERIFY2(PdfReader::HasCellText(pdf, title), qPrintable(title));
        QVERIFY(words.contains(TapRow(50)[0]));
        QVERIFY(words.contains(QStringLiteral("Page 1 of")));
    }

    TPrintQueue FQueue;
    bool FQueued = false;

private Q_SLOTS:
    void initTestCase() {
        // Before any printer is asked for: Qt's CUPS support reads the server once.
        FQueued = FQueue.Start();
        if (!FQueued)
            qWarning("no print queue of the test's own: %s", qPrintable(FQueue.Why));
    }
    void cleanupTestCase() { FQueue.Stop(); }

    void saveAsPdf_data() {
        QTest::addColumn<bool>("touch");
        QTest::newRow("standard dialog") << false;
        QTest::newRow("touch dialog") << true;
    }
    void saveAsPdf() {
        QFETCH(bool, touch);
        TRig rig;
        rig.Create(touch);
        rig.Choose(TFileManager::riSavePDF);
        QDialog* dlg = rig.Form->FileDialog();
        const QString proposed = rig.Data(QStringLiteral("T17 North.pdf"));
        const QString chosen = touch ? rig.Data(QStringLiteral("For the customer.pdf")) : proposed;
        if (touch) {
            auto* save = qobject_cast<TXMLOpenDialog*>(dlg);
            QVERIFY(save);
            QCOMPARE(save->FileName(), proposed);
            save->SetFileName(chosen);
        } else {
            auto* files = qobject_cast<QFileDialog*>(dlg);
            QVERIFY(files);
            QCOMPARE(files->defaultSuffix(), QStringLiteral("pdf"));
            // The proposed name, as the operator takes it.
            QCOMPARE(files->selectedFiles(), QStringList{proposed});
        }
        dlg->accept();
        QTRY_VERIFY2(QFileInfo(chosen).isFile(), qPrintable(rig.Operator.Texts().join(u'|')));
        QVERIFY(!rig.Form->isVisible());
        CheckReport(chosen);
        QCOMPARE(rig.Operator.Texts(), QStringList());
    }

    // Without a scheduler: QPrinter's own PDF output, the pages the printer would get.
    void printToAPdfFile() {
        TRig rig;
        rig.Create(false);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString file = rig.Data(QStringLiteral("printed.pdf"));
        printer.setOutputFileName(file);
        QVERIFY(rig.Form->PrintReport(printer));
        CheckReport(file);
    }

    // The print dialog lists the system's printers (the queue is its default); printing sends
    // the report's pages to the queue.
    void printOnTheQueue() {
        if (!FQueued)
            QSKIP(qPrintable(FQueue.Why));
        QVERIFY2(QPrinterInfo::availablePrinterNames().contains(QLatin1String(TPrintQueue::Name)),
                 qPrintable(QPrinterInfo::availablePrinterNames().join(u',')));
        TRig rig;
        rig.Create(false);
        rig.Choose(TFileManager::riPrintReport);
        auto* dlg = qobject_cast<QPrintDialog*>(rig.Form->FileDialog());
        QVERIFY(dlg);
        QCOMPARE(dlg->printer()->printerName(), QLatin1String(TPrintQueue::Name));
        dlg->accept();
        QTRY_VERIFY_WITH_TIMEOUT(FQueue.PrintedJobs().size() == 1, 120000);
        QVERIFY(!rig.Form->isVisible());
        CheckReport(FQueue.PrintedJobs().front());
        QCOMPARE(PdfReader::Info(FQueue.PrintedJobs().front()).value(QStringLiteral("Page size")).contains(QStringLiteral("(A4)")),
                 true);
        QCOMPARE(rig.Operator.Texts(), QStringList());
    }
};

QTEST_MAIN(TstPrinting)
#include "tst_printing.moc"
