// index DIR..., history SERIAL [--csv], sync: the test index and the fleet store without a window.
#include "BatchArguments.h"
#include "BatchCommands.h"
#include "BatchOperator.h"
#include "CSVForm.h"
#include "FleetStore.h"
#include "HistoryTexts.h"
#include "QelGlobals.h"
#include "TestIndex.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>

namespace {

QString Shown(const QString& file) {
    return QDir::toNativeSeparators(file);
}

// The index of this user, made anew (and said so) when its file is damaged.
bool OpenIndex(TTestIndex& index, TConsoleOperator& op) {
    const TTestIndex::TOpenResult r = index.Open();
    if (!r.Ok) {
        op.Say(QStringLiteral("the test index cannot be opened: %1").arg(r.Error));
        return false;
    }
    if (r.Rebuilt)
        op.Say(QStringLiteral("%1: the test index was damaged (%2); it is made again from the test documents%3")
                   .arg(Shown(index.File()), r.Reason,
                        r.KeptAs.isEmpty() ? QString() : QStringLiteral(", the damaged file is kept as ") + Shown(r.KeptAs)));
    return true;
}

void SayUnreadable(const QList<TUnreadableTest>& unreadable, TConsoleOperator& op) {
    for (const TUnreadableTest& u : unreadable)
        op.Say(QStringLiteral("%1: unreadable: %2").arg(Shown(u.Path), u.Reason));
}

QString ConfigFile() {
    return TQelGlobal::ConfigFileFor(QCoreApplication::applicationFilePath());
}

} // namespace

int RunIndex(const TBatchArguments& a, TConsoleOperator& op) {
    QStringList folders = a.Files;
    if (folders.isEmpty()) {
        TQelGlobal global(BatchStartup(op, {QStringLiteral("/SIM")}));
        folders << global.DataPath;
    }
    TTestIndex index;
    if (!OpenIndex(index, op))
        return bsFileFailed;
    const TIndexOutcome o = index.IndexFolders(folders);
    SayUnreadable(o.Unreadable, op);
    if (!o.Ok())
        op.Say(QStringLiteral("the test index was not written: %1").arg(o.Error));
    PrintResult(QStringLiteral("added %1, read again %2, unchanged %3, removed %4, unreadable %5")
                    .arg(o.Added)
                    .arg(o.Updated)
                    .arg(o.Unchanged)
                    .arg(o.Removed)
                    .arg(o.Unreadable.size()));
    return o.Ok() && o.Unreadable.isEmpty() ? bsOk : bsFileFailed;
}

int RunHistory(const TBatchArguments& a, TConsoleOperator& op) {
    TTestIndex index;
    if (!OpenIndex(index, op))
        return bsFileFailed;
    const QString serial = a.Files.front();
    const QList<THistoryEntry> history = index.History(serial);
    if (history.isEmpty())
        op.Say(QStringLiteral("no test of serial number \"%1\" in the index").arg(serial));
    if (a.Csv) {
        const QChar sep = ListSeparator();
        const QChar decimal = sep == u';' ? QChar(u',') : QChar(u'.');
        const auto line = [sep](const QStringList& fields) {
            QStringList out;
            for (const QString& f : fields)
                out << CSVForm::Field(f, sep);
            return out.join(sep);
        };
        PrintResult(line(HistoryTexts::CsvTitles()));
        for (const THistoryEntry& e : history)
            PrintResult(line(HistoryTexts::CsvFields(e, decimal)));
        return bsOk;
    }
    for (const THistoryEntry& e : history) {
        QString text = QStringLiteral("%1  %2  %3").arg(HistoryTexts::Date(e), Shown(e.Path),
                                                        HistoryTexts::Deviation(e.WorstDeviation));
        const QString place = HistoryTexts::WorstPlace(e);
        if (!place.isEmpty())
            text += QStringLiteral(" (%1)").arg(place);
        if (!e.Local())
            text += QStringLiteral("  [test set %1]").arg(e.Origin);
        PrintResult(text);
    }
    return bsOk;
}

int RunSync(const TBatchArguments&, TConsoleOperator& op) {
    const TFleetSettings settings = TFleetSettings::Read(ConfigFile());
    if (settings.PasswordInConfiguration)
        op.Say(QStringLiteral("%1: the key Password of [Fleet] is not used; the password belongs in the file "
                              "PasswordFile names or in QEL8625_FLEET_PASSWORD")
                   .arg(Shown(ConfigFile())));
    if (!settings.Enabled()) {
        op.Say(QStringLiteral("no fleet store is set up (Host in section [Fleet] of %1)").arg(Shown(ConfigFile())));
        return bsFleet;
    }
    TTestIndex index;
    if (!OpenIndex(index, op))
        return bsFileFailed;
    // The tests changed since the index last saw them are read first.
    const TIndexOutcome refreshed = index.IndexFolders({}, true);
    SayUnreadable(refreshed.Unreadable, op);
    TFleetStore store(settings);
    const TFleetStore::TSyncOutcome o = store.Sync(index);
    if (o.MigratedFrom > 0)
        op.Say(QStringLiteral("the fleet store's layout was brought from version %1 to %2")
                   .arg(o.MigratedFrom)
                   .arg(TFleetStore::SchemaVersion));
    for (const QString& note : o.Notes)
        op.Say(note);
    if (!o.Ok)
        op.Say(QStringLiteral("the fleet store %1: %2; %3 test(s) wait for the next sync")
                   .arg(o.Reached ? QStringLiteral("stopped the sync") : QStringLiteral("is not reached"), o.Error)
                   .arg(o.Waiting));
    PrintResult(QStringLiteral("sent %1, already there %2, received %3, waiting %4")
                    .arg(o.Sent)
                    .arg(o.AlreadyThere)
                    .arg(o.Received)
                    .arg(o.Waiting));
    return o.Ok ? bsOk : bsFleet;
}
