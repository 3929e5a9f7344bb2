#pragma once
#include <QString>
#include <QStringList>

// An INI file with the semantics of Windows profile files, so that files written by other
// programs (or by hand) keep their layout: an existing key is rewritten in place, a new key is
// appended to its section, a missing section is appended at the end, every other line stays as
// it was. Section and key names compare without case; values are raw text (no escaping).
// Changes are kept in memory until UpdateFile (or destruction), which replaces the file
// atomically, so a crash never leaves half a configuration behind.
class TIniFile {
public:
    explicit TIniFile(const QString& fileName);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const QString& FileName() const { return FFileName; }
    // Parse text as the file's content (also used for files read elsewhere).
    void SetText(const QString& text);
    QString Text() const;

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList Sections() const;
    QStringList Keys(const QString& section) const;

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    // Accepts "." and "," as decimal separator, whatever wrote the value.
    double ReadFloat(const QString& section, const QString& key, double def) const;

    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);
    // Always with "." so that the value reads back under any locale.
    void WriteFloat(const QString& section, const QString& key, double value);
    void DeleteKey(const QString& section, const QString& key);
    void EraseSection(const QString& section);

    bool Modified() const { return FModified; }
    // Write pending changes; false (with ErrorString) when the file could not be written.
    bool UpdateFile();
    QString ErrorString() const { return FError; }

private:
    // Index of the header line of section, -1 when missing.
    int FindSection(const QString& section) const;
    // Index of the key's line within the section starting at header, -1 when missing.
    int FindKey(int header, const QString& key) const;
    int SectionEnd(int header) const;

    QString FFileName;
    QStringList FLines;
    QString FLineEnd = QStringLiteral("\r\n");
    bool FModified = false;
    QString FError;
};
