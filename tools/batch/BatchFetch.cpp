// fetch --port PORT [--out DIR] [--delete]: the instrument's stored tests as test documents,
// made by the upload's own reading and conversion.
#include "BatchArguments.h"
#include "BatchCommands.h"
#include "BatchOperator.h"
#include "Qel8624Device.h"
#include "QelGlobals.h"
#include "QelReports.h"
#include "QelTestFiles.h"
#include "QelUploads.h"
#include "WinMsgList.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>

namespace {

// From the opened port to a link that answers: the handshake of a connected instrument takes a
// few seconds; an instrument that is not there is tried again by name meanwhile.
constexpr int ConnectMs = 30000;
// A delete that neither completes nor is refused in this time counts as not done.
constexpr int DeleteMs = 60000;

QString Shown(const QString& file) {
    return QDir::toNativeSeparators(file);
}

QString UploadEndText(TUploadEnd reason) {
    switch (reason) {
    case TUploadEnd::Done:
        return QStringLiteral("done");
    case TUploadEnd::NothingStored:
        return QStringLiteral("no tests are stored in the instrument");
    case TUploadEnd::Refused:
        return QStringLiteral("the instrument refused to list its memory");
    case TUploadEnd::LinkLost:
        return QStringLiteral("the instrument stopped answering");
    case TUploadEnd::Unreadable:
        return QStringLiteral("the memory directory did not read");
    case TUploadEnd::Stalled:
        return QStringLiteral("the reading made no progress");
    case TUploadEnd::NoLink:
        return QStringLiteral("no instrument connected");
    case TUploadEnd::Simulation:
        break;
    }
    return QStringLiteral("the reading ended");
}

// The run: a registered window of the data module, which tells it what the reading did.
class TFetch : public QObject {
public:
    TFetch(const TBatchArguments& a, TConsoleOperator& op, const TReportRenderer* renderer)
        : FArgs(a), FOp(op), FGlobal(BatchStartup(op, {}, a.Port)), FReports(FGlobal), FFiles(FGlobal) {
        FReports.SetRenderer(renderer);
        FGlobal.LoadVectorGroupTable();
        FGlobal.RegisterWindow(this);
    }
    ~TFetch() override {
        FGlobal.UnregisterWindow(this);
        FReports.Finish();
        FGlobal.ShutDown();
        // What the data module posted for the operator on the way out is said as well.
        QCoreApplication::sendPostedEvents();
    }

    int Run() {
        const QString port = FArgs.Port;
        if (!FGlobal.Qel().LastOpenError().isEmpty()) {
            FOp.Say(
                QStringLiteral("%1: the port does not open: %2").arg(port, FGlobal.Qel().LastOpenError()));
            return bsInstrument;
        }
        FFolder = QDir(FArgs.Out.isEmpty() ? FGlobal.DataPath : FArgs.Out).absolutePath();
        if (!QDir().mkpath(FFolder)) {
            FOp.Say(QStringLiteral("%1: the folder cannot be made").arg(Shown(FFolder)));
            return bsFileFailed;
        }
        FOp.Say(QStringLiteral("%1: connecting").arg(port));
        if (!FGlobal.Qel().WaitForState(LinkState::Idle, ConnectMs)) {
            FOp.Say(QStringLiteral("%1: no instrument answers").arg(port));
            return bsInstrument;
        }
        FOp.Say(QStringLiteral("%1: %2 %3 connected, reading its memory")
                    .arg(port, FGlobal.Qel().InstrumentType(), FGlobal.Qel().SerialNumber()));

        FPhase = TPhase::Reading;
        if (!FGlobal.StartUpload()) {
            FOp.Say(QStringLiteral("%1: the memory cannot be read now").arg(port));
            return bsInstrument;
        }
        FLoop.exec();
        WriteNewRecords();
        FPhase = TPhase::Done;

        if (FEnd != TUploadEnd::Done && FEnd != TUploadEnd::NothingStored) {
            FOp.Say(QStringLiteral("%1: fetch incomplete: %2; %3 of the tests read were written")
                        .arg(port, UploadEndText(FEnd))
                        .arg(FWritten.size()));
            Fail(bsInstrument);
        } else if (FEnd == TUploadEnd::NothingStored) {
            FOp.Say(QStringLiteral("%1: %2").arg(port, UploadEndText(FEnd)));
        }
        // Only a complete fetch deletes, and only the slots whose documents were written.
        if (FArgs.Delete && FEnd == TUploadEnd::Done)
            DeleteWritten();
        return FStatus;
    }

protected:
    bool event(QEvent* e) override {
        if (int(e->type()) != UM_LINKSTATE)
            return QObject::event(e);
        const auto* m = static_cast<const TQelMessage*>(e);
        switch (FPhase) {
        case TPhase::Reading:
            OnReading(m->WParam, m->LParam);
            break;
        case TPhase::Deleting:
            OnDeleting(m->WParam, m->LParam);
            break;
        case TPhase::Idle:
        case TPhase::Done:
            break;
        }
        return true;
    }

private:
    enum class TPhase { Idle, Reading, Deleting, Done };

    void Fail(int status) { FStatus = std::max(FStatus, status); }

    void OnReading(qintptr wParam, qintptr lParam) {
        if (wParam == wpCompleted && lParam == lpDirectoryListed) {
            QStringList slots;
            for (const auto& e : FGlobal.DirectoryEntries)
                if (e)
                    slots << QString::number(e->Slot);
            FOp.Say(QStringLiteral("%1 stored tests (slots %2)")
                        .arg(slots.size())
                        .arg(slots.join(QStringLiteral(", "))));
        } else if (wParam == wpCompleted && lParam == int(CommandType::MEMGETRECORD)) {
            WriteNewRecords();
        } else if (wParam == wpUploadEnded) {
            FEnd = static_cast<TUploadEnd>(lParam);
            FLoop.quit();
        }
    }

    // Each test read is written at once: a line lost later keeps what was read before.
    void WriteNewRecords() {
        // A save tells the windows; should that come back here, the outer pass goes on alone.
        if (FWriting)
            return;
        const QScopedValueRollback writing(FWriting, true);
        const auto& records = FGlobal.UploadedRecords;
        const auto& entries = FGlobal.DirectoryEntries;
        const size_t count = std::min(records.size(), entries.size());
        for (; FNext < count; ++FNext) {
            const int slot = entries[FNext] ? entries[FNext]->Slot : 0;
            const QString progress =
                QStringLiteral("slot %1 (%2 of %3)").arg(slot).arg(FNext + 1).arg(entries.size());
            if (!records[FNext] || !entries[FNext]) {
                FOp.Say(progress + QStringLiteral(": could not be read, no document written"));
                Fail(bsInstrument);
                continue;
            }
            const QString name = QelUploads::FirstFreeFileName(FFolder + QStringLiteral("/Upload.xml"));
            if (!QelUploads::OpenAsDocument(FFiles, name, false, *records[FNext], *entries[FNext])) {
                FOp.Say(
                    progress +
                    QStringLiteral(": %1 not written; the test stays in the instrument").arg(Shown(name)));
                Fail(bsFileFailed);
                continue;
            }
            FOp.Say(progress + QStringLiteral(": written to %1").arg(Shown(name)));
            PrintResult(Shown(name));
            FWritten << slot;
        }
    }

    void DeleteWritten() {
        FPhase = TPhase::Deleting;
        for (const int slot : std::as_const(FWritten)) {
            FDeleting = slot;
            FDeleted = false;
            // The link is ready once the last request is done; a refusal means it is gone.
            if (FGlobal.DeleteMemorySlot(slot)) {
                QTimer limit;
                limit.setSingleShot(true);
                QObject::connect(&limit, &QTimer::timeout, &FLoop, &QEventLoop::quit);
                limit.start(DeleteMs);
                FLoop.exec();
            }
            if (FDeleted) {
                FOp.Say(QStringLiteral("slot %1: deleted from the instrument").arg(slot));
            } else {
                FOp.Say(
                    QStringLiteral("slot %1: not deleted; it is still stored in the instrument").arg(slot));
                Fail(bsInstrument);
            }
        }
        FPhase = TPhase::Done;
    }

    void OnDeleting(qintptr wParam, qintptr lParam) {
        if (wParam == wpCompleted && lParam == int(CommandType::MEMDELETE)) {
            FDeleted = true;
            FLoop.quit();
        } else if (wParam == wpDeleteRefused && lParam == FDeleting) {
            FLoop.quit();
        }
    }

    const TBatchArguments& FArgs;
    TConsoleOperator& FOp;
    TQelGlobal FGlobal;
    // The reports the configuration's DataStorage asks for go beside each test, as after the dialog.
    TQelReports FReports;
    TQelTestFiles FFiles;
    QEventLoop FLoop;
    QString FFolder;
    TPhase FPhase = TPhase::Idle;
    TUploadEnd FEnd = TUploadEnd::LinkLost;
    size_t FNext = 0;
    bool FWriting = false;
    QList<int> FWritten;
    int FStatus = bsOk;
    int FDeleting = 0;
    bool FDeleted = false;
};

} // namespace

int RunFetch(const TBatchArguments& a, TConsoleOperator& op, const TReportRenderer* renderer) {
    TFetch fetch(a, op, renderer);
    return fetch.Run();
}
