#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// An INI file with the semantics of Windows profile files, so that files written by other
// programs (or by hand) keep their layout: an existing key is rewritten in place, a new key is
// appended to its section, a missing section is appended at the end, every other line stays as
// it was, byte for byte (line ends, bytes that are not UTF-8). Section and key names compare
// without case; values are raw text (no escaping), read as UTF-8 or, where a line is not UTF-8,
// as Windows-1252. Lines end with CR LF, LF or a lone CR. A file that begins with the UTF-16 LE
// byte-order mark (the language files) is read as UTF-16 and written back the same way.
//
// Sections and keys are indexed, so a lookup never scans the file. Changes are kept in memory
// until UpdateFile (or destruction), which reads the file again, applies this owner's changes
// to what is there now and replaces the file atomically: two owners of one file never lose
// each other's keys, and a crash never leaves half a file behind.
class TIniFile {
public:
    explicit TIniFile(const QString& fileName);
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    const QString& FileName() const { return FFileName; }
    // How the file is stored: as bytes (UTF-8, or Windows-1252 where a line is not UTF-8), or as
    // UTF-16 LE with its byte-order mark. Taken from the file when it is read; a new file (none
    // on disk yet) is written in the encoding set here.
    enum class TEncoding : quint8 { Bytes, Utf16LE };
    TEncoding Encoding() const { return FEncoding; }
    void SetEncoding(TEncoding encoding) { FEncoding = encoding; }
    // Takes text (or bytes) as the whole content; UpdateFile then writes the changes made after
    // it onto this content instead of onto the file read again.
    void SetText(const QString& text);
    void SetBytes(const QByteArray& bytes);
    QString Text() const;
    QByteArray Bytes() const;

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList Sections() const;
    QStringList Keys(const QString& section) const;
    int KeyCount(const QString& section) const;

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    // Accepts "." and "," as decimal separator, whatever wrote the value.
    double ReadFloat(const QString& section, const QString& key, double def) const;

    // A name that reads back as itself: not blank, no "=" or line break, no leading ";" or "[";
    // a section name holds no "]" either (a key may: "bnMode.List[0]").
    static bool ValidName(const QString& name);
    static bool ValidKey(const QString& key);
    // False (and nothing written) for a section or key name that could not be read back. A line
    // break inside the value is written as a blank: a value is one line.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value);
    // Always with "." so that the value reads back under any locale.
    bool WriteFloat(const QString& section, const QString& key, double value);
    void DeleteKey(const QString& section, const QString& key);
    void EraseSection(const QString& section);

    // Changes not written yet.
    bool Modified() const { return !FChanges.empty(); }
    // Write pending changes; false (with ErrorString) when the file could not be written.
    bool UpdateFile();
    QString ErrorString() const { return FError; }

private:
    enum class TEnd : quint8 { None, CrLf, Lf, Cr };
    struct TLine {
        QByteArray Raw; // without the line end
        TEnd End = TEnd::None;
    };
    // Lines from a header to the next one; the lines before the first header form a section
    // without a header that no name finds.
    struct TSection {
        QString Folded; // the name as it compares
        bool HasHeader = false;
        std::vector<TLine> Lines; // the header first
        mutable QHash<QString, int> Keys;
        mutable bool KeysValid = false;
    };
    struct TChange {
        enum TKind { Write, Delete, Erase } Kind;
        QString Section, Key, Value;
    };

    void Parse(const QByteArray& bytes);
    void Apply(const TChange& change);
    void ApplyWrite(const QString& section, const QString& key, const QString& value);
    void ApplyDelete(const QString& section, const QString& key);
    void ApplyErase(const QString& section);
    const TSection* FindSection(const QString& section) const;
    int FindSectionIndex(const QString& section) const;
    // Index of the key's line within the section, -1 when missing.
    int FindKey(const TSection& s, const QString& key) const;
    QByteArray LineEnd() const;
    void Record(TChange change);

    QString FFileName;
    QByteArray FBom;
    TEncoding FEncoding = TEncoding::Bytes;
    std::vector<TSection> FSections;
    mutable QHash<QString, int> FSectionIndex;
    mutable bool FIndexValid = false;
    TEnd FLineEnd = TEnd::CrLf;
    std::vector<TChange> FChanges;
    bool FReplaced = false;
    QString FError;
};
