// fetch of qel8625-batch against the emulator on a pseudo-terminal, the program run as a
// process: one document per stored test, the same as the upload dialog makes of it; --delete
// deletes only what was written; a line lost in the middle leaves what was written intact.
#include <QTest>

#include "BatchArguments.h"
#include "BatchRig.h"
#include "GridTable.h"
#include "Qel8624Emulator.h"
#include "QelUploads.h"
#include "TestFilesRig.h"
#include "XMLGrid.h"

namespace {

QStringList Under(const QString& folder, const QStringList& names) {
    QStringList out;
    for (const QString& n : names)
        out << folder + '/' + n;
    return out;
}

int MeasuredRows(const QString& file) {
    TKvXML doc;
    if (!doc.Load(file))
        return -1;
    TMemoryGridTable t(QString(), 0, 0);
    doc.QEL().Measurement().Grid().LoadInto(t);
    int rows = 0;
    for (int r = 1; r < t.RowCount(); ++r)
        rows += t.Cell(1, r).isEmpty() ? 0 : 1;
    return rows;
}

QStringList Deletes(const TQel8624Emulator& e) {
    QStringList out;
    for (const QStringList& r : e.Requests())
        if (r.value(0) == QLatin1String("M") && r.value(1) == QLatin1String("F"))
            out << r.join(u' ');
    return out;
}

} // namespace

class TstFetch : public QObject {
    Q_OBJECT

    TBatchRun Fetch(TBatchRig& rig, const TQel8624Emulator& e, const QString& out, bool del = false) {
        QStringList args = {QStringLiteral("fetch"), QStringLiteral("--port"), e.SlavePath(),
                            QStringLiteral("--out"), out};
        if (del)
            args << QStringLiteral("--delete");
        return rig.Run(args);
    }

private Q_SLOTS:
    // The tool's documents against the dialog's: the same records, converted by the dialog's call.
    void documentsAsTheUploadDialogWritesThem() {
        TBatchRig batch;
        QVERIFY(batch.Install());
        TTestFilesRig app;
        QVERIFY(app.StartEmulator(600));
        const QString out = batch.Root.filePath(QStringLiteral("fetched"));
        const TBatchRun run = Fetch(batch, *app.Emulator, out);
        QVERIFY(run.Finished);
        QVERIFY2(run.Status == bsOk, qPrintable(run.Err));
        const QStringList names = {"Upload.xml", "Upload1.xml", "Upload2.xml"};
        QCOMPARE(run.OutLines(), Under(out, names));
        QVERIFY2(run.Err.contains(QStringLiteral("3 stored tests (slots 1, 2, 4)")), qPrintable(run.Err));
        QVERIFY(Deletes(*app.Emulator).isEmpty());

        QVERIFY(InstallVectorGroupTable(app.App.path()));
        app.CreateFiles({});
        app.Global->LoadVectorGroupTable();
        QVERIFY(app.WaitIdle());
        QVERIFY(app.Global->StartUpload());
        QVERIFY(QTest::qWaitFor([&] { return !app.Global->UploadRunning(); }, 120000));
        QCOMPARE(app.Global->UploadedRecords.size(), size_t(3));
        const QString dialog = app.App.filePath(QStringLiteral("dialog"));
        QVERIFY(QDir().mkpath(dialog));
        for (size_t i = 0; i < 3; ++i) {
            const QString name = QelUploads::FirstFreeFileName(dialog + QStringLiteral("/Upload.xml"));
            QCOMPARE(QFileInfo(name).fileName(), names[qsizetype(i)]);
            QVERIFY(QelUploads::OpenAsDocument(*app.Files, name, false, *app.Global->UploadedRecords[i],
                                               *app.Global->DirectoryEntries[i]));
            const QByteArray fetched = ReadBytes(out + '/' + names[qsizetype(i)]);
            QVERIFY(!fetched.isEmpty());
            // The same document; it records where it was saved.
            const auto utf16 = [](const QString& t) {
                return QByteArray(reinterpret_cast<const char*>(t.utf16()), t.size() * 2);
            };
            QCOMPARE(QByteArray(fetched).replace(utf16(out + '/' + names[qsizetype(i)]), "FILE"),
                     ReadBytes(name).replace(utf16(name), "FILE"));
        }
        QCOMPARE(MeasuredRows(out + QStringLiteral("/Upload.xml")), 15); // five taps, three phases
        QCOMPARE(MeasuredRows(out + QStringLiteral("/Upload2.xml")), 0); // a stored setup

        // No instrument on a port that is not there: the port is named.
        const TBatchRun none = batch.Run({QStringLiteral("fetch"), QStringLiteral("--port"),
                                          batch.Root.filePath(QStringLiteral("no-such-port"))});
        QCOMPARE(none.Status, int(bsInstrument));
        QVERIFY2(none.Err.contains(QStringLiteral("no-such-port")), qPrintable(none.Err));
    }

    void deleteOnlyWhatWasWritten() {
        TBatchRig batch;
        QVERIFY(batch.Install());
        TQel8624Emulator e;
        QVERIFY(e.Start());
        // Only the backup of a test lies under the second name: nothing replaces it unasked, so
        // the second and third tests are not written (the name rule keeps offering that name).
        const QString out = batch.Root.filePath(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out));
        QVERIFY(WriteBytes(out + QStringLiteral("/Upload1.~xml"), "a test kept by its backup"));
        const TBatchRun partial = Fetch(batch, e, out, true);
        QVERIFY(partial.Finished);
        QCOMPARE(partial.Status, int(bsFileFailed));
        QCOMPARE(partial.OutLines(), Under(out, {"Upload.xml"}));
        QVERIFY2(partial.Err.contains(QStringLiteral("slot 2 (2 of 3): %1/Upload1.xml not written").arg(out)),
                 qPrintable(partial.Err));
        QCOMPARE(Deletes(e), QStringList{QStringLiteral("M F 00000001")});
        QCOMPARE(ReadBytes(out + QStringLiteral("/Upload1.~xml")), QByteArray("a test kept by its backup"));

        // What is left: slots 2 and 4, now written and deleted; then nothing is stored.
        const QString rest = batch.Root.filePath(QStringLiteral("rest"));
        const TBatchRun all = Fetch(batch, e, rest, true);
        QVERIFY2(all.Status == bsOk, qPrintable(all.Err));
        QCOMPARE(all.OutLines(), Under(rest, {"Upload.xml", "Upload1.xml"}));
        QCOMPARE(Deletes(e), (QStringList{"M F 00000001", "M F 00000002", "M F 00000004"}));
        const TBatchRun empty = Fetch(batch, e, batch.Root.filePath(QStringLiteral("empty")), true);
        QVERIFY2(empty.Status == bsOk, qPrintable(empty.Err));
        QVERIFY(empty.Out.isEmpty());
        QVERIFY2(empty.Err.contains(QStringLiteral("no tests are stored")), qPrintable(empty.Err));
    }

    void lineLostInTheMiddle() {
        TBatchRig batch;
        QVERIFY(batch.Install());
        TQel8624Emulator e;
        QVERIFY(e.Start());
        // The cable is pulled while the last test is read.
        TEmulatorFault pulled;
        pulled.Kind = TEmulatorFault::Silent;
        pulled.Request = QStringLiteral("M R S 00000004");
        pulled.Count = -1;
        e.AddFault(pulled);
        const QString out = batch.Root.filePath(QStringLiteral("out"));
        const TBatchRun run = Fetch(batch, e, out, true);
        QVERIFY(run.Finished);
        QCOMPARE(run.Status, int(bsInstrument));
        QCOMPARE(run.OutLines(), Under(out, {"Upload.xml", "Upload1.xml"}));
        QVERIFY2(run.Err.contains(QStringLiteral("fetch incomplete")), qPrintable(run.Err));
        QCOMPARE(MeasuredRows(out + QStringLiteral("/Upload.xml")), 15);
        QVERIFY(MeasuredRows(out + QStringLiteral("/Upload1.xml")) > 0);
        QVERIFY(!QFileInfo::exists(out + QStringLiteral("/Upload2.xml")));
        // An incomplete fetch deletes nothing.
        QVERIFY(Deletes(e).isEmpty());
    }
};

QTEST_MAIN(TstFetch)
#include "tst_fetch.moc"
