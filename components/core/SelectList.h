#pragma once
#include <QSet>
#include <QString>
#include <QStringList>

// What a confirmed entry does to the field's list of earlier entries.
enum TInsertMode {
    imNoInsert = 0,        // not added
    imAutoInsert = 1,      // added
    imAskBeforeInsert = 2, // a new, non-empty text is added when the operator says so (asked once)
    imNoSelList = 3,       // nothing added, no list shown
    imOnlyListEntries = 4, // only texts of the list are accepted (desktop mode)
    imLocked = 5           // no behaviour of its own
};
// A stored mode outside 0 ... 5 is not a mode: the field's own stays.
bool IsInsertMode(int mode);

// The list of earlier entries of one text field, kept in a section of "AscInput.cfg": the
// entries in the order they were added (the oldest goes first when the list is full), looked up
// in sorted order. The keyboard's list and the field's own list of one section may both be
// open: Save reads the section again and applies what this list added and deleted since it last
// met the file, so neither loses the other's entries.
//
//   TTntSelectList list(ProgramFileName("AscInput.cfg"), "QelSetupFrame.edTrafoName");
//   mode = list.Load(mode);
//   list.Add(text);
//   list.Save(mode);
class TTntSelectList {
public:
    static constexpr int DefaultMaxCount = 1000;
    static QString DefaultSection() { return QStringLiteral("TTntAscInputForm"); }
    // "AscInput.cfg" beside the program (or in the user's configuration folder).
    static QString DefaultFileName();

    explicit TTntSelectList(const QString& fileName, const QString& section = QString(),
                            int maxCount = DefaultMaxCount);
    virtual ~TTntSelectList() = default;

    QString FileName() const { return FFileName; }
    QString Section() const { return FSection; }
    int MaxCount() const { return FMaxCount; }

    int Count() const { return int(FEntries.size()); }
    // In the order they were added.
    const QStringList& Entries() const { return FEntries; }
    const QStringList& Sorted() const { return FSorted; }
    bool Contains(const QString& text) const { return FSet.contains(ListText(text)); }
    // The position of the last Add or Nearest in sorted order.
    int CurrentIndex() const { return FCurrent; }

    // Appends text unless it is empty or already listed (false); a full list drops its oldest
    // entry first. Line breaks (a pasted text) become blanks.
    bool Add(const QString& text);
    bool Delete(const QString& text);
    void Clear();
    // The position at which text stands or would stand in sorted order (also the current index).
    // A target that differs from the sorted entries is replaced by them (refilled set true).
    int Nearest(const QString& text, QStringList* target = nullptr, bool* refilled = nullptr);
    // The i-th entry in sorted order; empty out of range.
    QString Entry(int i) const;

    // Reads the section: "Entries" (at most as many as there are keys), "InsertMode" (mode when
    // missing or not a mode), "Text1" ... Returns the mode in force.
    TInsertMode Load(TInsertMode mode);
    // Writes "Entries", "InsertMode" and "Text1" ... "TextN" in the order of adding, merged with
    // what the file holds now; false when the file could not be written.
    bool Save(TInsertMode mode);
    // Whether entries or mode changed since the list last met its file.
    bool Changed(TInsertMode mode) const;

    // What an entry looks like in the list: one line.
    static QString ListText(const QString& text);
    static bool SortsBefore(const QString& a, const QString& b);

protected:
    TTntSelectList(const QString& fileName, const QString& section, int maxCount,
                   const QString& defaultSection);

private:
    bool Append(const QString& text);
    void Remove(qsizetype at);
    QStringList ReadEntries(const class TIniFile& ini, int* keys = nullptr) const;

    QString FFileName;
    QString FSection;
    int FMaxCount;
    QStringList FEntries;
    QStringList FSorted;
    QSet<QString> FSet;
    int FCurrent = -1;
    // Since the list last met its file.
    QStringList FAdded;
    QSet<QString> FDeleted;
    bool FCleared = false;
    int FFileMode = -1;
};

// The 8-bit twin, with its own default section.
class TSelectList : public TTntSelectList {
public:
    static QString DefaultSection() { return QStringLiteral("TFrmAscii"); }
    explicit TSelectList(const QString& fileName, const QString& section = QString(),
                         int maxCount = DefaultMaxCount)
        : TTntSelectList(fileName, section, maxCount, DefaultSection()) {}
};
