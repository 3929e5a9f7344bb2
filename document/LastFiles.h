#pragma once
#include <QString>
#include <QStringList>

// The last tests of the file manager, most recent first, in "LastFiles.cfg" beside the program:
// one full file name a line. The list holds up to four names; the file manager shows three.
// Names are compared as canonical absolute paths, so one test never appears twice under two
// spellings (a link, "..", a trailing "/./").
class TLastFiles {
public:
    static constexpr int MaxCount = 4;
    static constexpr int ShownCount = 3;

    // fileName: the list file; relative lines of a hand-edited file are taken below appFolder.
    TLastFiles(const QString& fileName, const QString& appFolder);

    QString FileName() const { return FFileName; }
    const QStringList& Files() const { return FFiles; }
    int Count() const { return int(FFiles.size()); }
    QString File(int k) const { return FFiles.value(k); }

    // Reads the file when it exists: blank lines are skipped, the first four names kept. False
    // when it exists and cannot be read (the list is then empty).
    bool Load();
    // Replaces the file in one step; false when it could not be written.
    bool Save() const;
    // The list from the bytes of a list file (as Load reads it), and the bytes Save writes.
    void Read(const QByteArray& bytes);
    QByteArray Bytes() const;

    // A test became the current one: the list is cut to three names, then the test goes to the
    // top (moved there when listed, else inserted). A name that is blank or holds a line end
    // changes nothing (it could not be read back).
    void Update(const QString& file);
    // Entry k goes to the top; the entries above it move down by one.
    void MoveToTop(int k);
    // The entry of file, -1 when it is not listed.
    int IndexOf(const QString& file) const;

private:
    QString FFileName;
    QString FAppFolder;
    QStringList FFiles;
};

namespace TestFileNames {
// The canonical absolute path of an existing file; the cleaned absolute path of any other.
QString Canonical(const QString& fileName);
bool SamePath(const QString& a, const QString& b);
// A name the list file, the configuration and the title can hold: not blank, no line end.
bool Storable(const QString& fileName);
// As the recent-file buttons show a test: the root, "..", "/" and the name without extension
// ("/../Transformer 12"); a test directly in the root shows as "/Transformer 12".
QString ShortName(const QString& fileName);
// fileName with its extension replaced ("T.xml", ".jpg" -> "T.jpg").
QString WithExtension(const QString& fileName, const QString& extension);
} // namespace TestFileNames
