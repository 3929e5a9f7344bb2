#pragma once
#include <QString>
#include <QStringList>

// The recent names of the touch file dialogs, kept in "cbFileName.cfg" beside the program: one
// entry a line, a file below the program's folder relative to that folder (so the entries move with
// the installation), any other file with its full path. Relative entries are always resolved
// against the program's folder, never against the working directory.
class TRecentNames {
public:
    static constexpr int MaxCount = 10;

    // appFolder: the program's folder; fileName: the list file (default "cbFileName.cfg" there, or
    // in the per-user configuration folder when the program's folder is not writable).
    explicit TRecentNames(const QString& appFolder, const QString& fileName = QString());

    QString AppFolder() const { return FAppFolder; }
    QString FileName() const { return FFileName; }
    const QStringList& Entries() const { return FEntries; }
    // Another list's entries (the file manager's recent files) take their place.
    void SetEntries(const QStringList& entries);

    // Reads the file when it exists (a missing file is an empty list); false when it cannot be read.
    bool Load();
    // Replaces the file atomically; false when it could not be written.
    bool Save() const;

    QString EntryFor(const QString& file) const;
    QString Resolve(const QString& entry) const;

    // A file was opened: its entry goes to the top unless it is listed already; the oldest (last)
    // entries go beyond MaxCount.
    void RecordOpened(const QString& file);
    // A file was saved: its entry is appended, also when it is listed already; the oldest (first)
    // entries go beyond MaxCount.
    void RecordSaved(const QString& file);

private:
    QString FAppFolder;
    QString FFileName;
    QStringList FEntries;
};

// The names the dialogs accept.
namespace XMLDialogNames {
// A file part: not blank, none of / : * ? \ (names that travel to other systems stay valid there).
bool ValidFilePart(const QString& part);
// A new folder's name: a valid file part that is not "." or "..".
bool ValidFolderName(const QString& name);
// "|"-separated extensions (".xml|.XML|"), blanks and empty entries left out.
QStringList Extensions(const QString& defaultExt);
// The file's extension equals one of the list's, ignoring case; every file passes an empty list.
bool Passes(const QString& fileName, const QStringList& extensions);
// The same rule as name patterns of the file system model ("*.xml"; none for an empty list).
QStringList Patterns(const QStringList& extensions);
// name without its extension when that is one of the list's.
QString WithoutExtension(const QString& name, const QStringList& extensions);
} // namespace XMLDialogNames
