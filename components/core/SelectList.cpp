#include "SelectList.h"

#include "IniFile.h"
#include "ProgramFiles.h"

#include <algorithm>

namespace {

const QString kEntries = QStringLiteral("Entries");
const QString kInsertMode = QStringLiteral("InsertMode");

QString TextKey(int i) {
    return QStringLiteral("Text") + QString::number(i);
}

} // namespace

bool IsInsertMode(int mode) {
    return mode >= imNoInsert && mode <= imLocked;
}

QString TTntSelectList::DefaultFileName() {
    return ProgramFileName(QStringLiteral("AscInput.cfg"));
}

TTntSelectList::TTntSelectList(const QString& fileName, const QString& section, int maxCount)
    : TTntSelectList(fileName, section, maxCount, DefaultSection()) {}

TTntSelectList::TTntSelectList(const QString& fileName, const QString& section, int maxCount,
                               const QString& defaultSection)
    : FFileName(fileName), FSection(section.isEmpty() ? defaultSection : section),
      FMaxCount(std::max(1, maxCount)) {}

QString TTntSelectList::ListText(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String(" "));
    t.replace('\r', ' ');
    t.replace('\n', ' ');
    return t;
}

bool TTntSelectList::SortsBefore(const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

bool TTntSelectList::Append(const QString& text) {
    if (text.isEmpty() || FSet.contains(text))
        return false;
    if (FEntries.size() >= FMaxCount)
        Remove(0);
    FEntries.append(text);
    FSet.insert(text);
    const auto at = std::lower_bound(FSorted.begin(), FSorted.end(), text, SortsBefore);
    FCurrent = int(at - FSorted.begin());
    FSorted.insert(at, text);
    return true;
}

void TTntSelectList::Remove(qsizetype at) {
    const QString text = FEntries.takeAt(at);
    FSet.remove(text);
    const auto pos = std::lower_bound(FSorted.begin(), FSorted.end(), text, SortsBefore);
    if (pos != FSorted.end() && *pos == text)
        FSorted.erase(pos);
}

bool TTntSelectList::Add(const QString& text) {
    const QString t = ListText(text);
    if (!Append(t))
        return false;
    FAdded.append(t);
    FDeleted.remove(t);
    return true;
}

bool TTntSelectList::Delete(const QString& text) {
    const QString t = ListText(text);
    const qsizetype at = FEntries.indexOf(t);
    if (at < 0)
        return false;
    Remove(at);
    FAdded.removeAll(t);
    FDeleted.insert(t);
    FCurrent = std::min(FCurrent, Count() - 1);
    return true;
}

void TTntSelectList::Clear() {
    FEntries.clear();
    FSorted.clear();
    FSet.clear();
    FCurrent = -1;
    FAdded.clear();
    FDeleted.clear();
    FCleared = true;
}

int TTntSelectList::Nearest(const QString& text, QStringList* target, bool* refilled) {
    if (refilled)
        *refilled = false;
    if (target && *target != FSorted) {
        *target = FSorted;
        if (refilled)
            *refilled = true;
    }
    const QString t = ListText(text);
    FCurrent = int(std::lower_bound(FSorted.begin(), FSorted.end(), t, SortsBefore) - FSorted.begin());
    return FCurrent;
}

QString TTntSelectList::Entry(int i) const {
    return i >= 0 && i < FSorted.size() ? FSorted[i] : QString();
}

QStringList TTntSelectList::ReadEntries(const TIniFile& ini, int* keys) const {
    // A hand-edited count larger than the keys written would make the list read forever.
    const int present = ini.KeyCount(FSection);
    if (keys)
        *keys = present;
    const int count = std::clamp(ini.ReadInteger(FSection, kEntries, 0), 0, present);
    QStringList out;
    out.reserve(count);
    for (int i = 1; i <= count; ++i)
        out << ListText(ini.ReadString(FSection, TextKey(i), QString()));
    return out;
}

TInsertMode TTntSelectList::Load(TInsertMode mode) {
    Clear();
    FCleared = false;
    const TIniFile ini(FFileName);
    const int stored = ini.ReadInteger(FSection, kInsertMode, mode);
    const TInsertMode result = IsInsertMode(stored) ? TInsertMode(stored) : mode;
    FFileMode = ini.ValueExists(FSection, kInsertMode) ? stored : -1;
    for (const QString& text : ReadEntries(ini))
        Append(text);
    return result;
}

bool TTntSelectList::Changed(TInsertMode mode) const {
    return FCleared || !FAdded.isEmpty() || !FDeleted.isEmpty() || FFileMode != int(mode);
}

bool TTntSelectList::Save(TInsertMode mode) {
    TIniFile ini(FFileName);
    int keys = 0;
    QStringList onFile = ReadEntries(ini, &keys);
    const int fileCount = std::clamp(ini.ReadInteger(FSection, kEntries, 0), 0, keys);
    // What the file holds now, less what this list deleted, plus what it added.
    QStringList merged = FCleared ? QStringList() : onFile;
    merged.removeIf([this](const QString& t) { return FDeleted.contains(t); });
    const QStringList added = FAdded;
    FEntries.clear();
    FSorted.clear();
    FSet.clear();
    const int current = FCurrent;
    for (const QString& t : merged)
        Append(t);
    for (const QString& t : added)
        Append(t);
    FCurrent = std::min(current, Count() - 1);

    ini.WriteInteger(FSection, kEntries, Count());
    ini.WriteInteger(FSection, kInsertMode, mode);
    for (int i = 0; i < Count(); ++i)
        ini.WriteString(FSection, TextKey(i + 1), FEntries[i]);
    for (int i = Count() + 1; i <= fileCount; ++i)
        ini.DeleteKey(FSection, TextKey(i));
    if (!ini.UpdateFile())
        return false;
    FAdded.clear();
    FDeleted.clear();
    FCleared = false;
    FFileMode = mode;
    return true;
}
