#pragma once
#include "LastFiles.h"
#include "PDFReport.h"
#include "TestVolumes.h"

#include <QString>
#include <QUrl>

#include <functional>

class TQelGlobal;

// What the file manager does with the test files, without its window: the unsaved-changes
// scheme, new tests, tests from templates, opening, saving, saving under another name, the
// reports and the recent tests ("LastFiles.cfg"). The form asks the operator for names; every
// other question goes through the data module's operator.
//
// The scheme: every change of the test is saved at once (DocumentChanged); the first save after a
// confirmed state keeps that state as the marker "<test>.xml.save". Confirming (Save, or "Yes")
// saves and deletes the marker; discarding ("No") puts the marker in the test's place in one
// step. Nothing replaces a test without the operator's word, and a failed write never passes
// for a saved one: the marker stays until a save has succeeded.
class TQelTestFiles {
public:
    // Answers of CheckUnsavedChanges (the values of the message box results).
    static constexpr int mrNone = 0;
    static constexpr int mrCancel = 2;
    static constexpr int mrYes = 6;
    static constexpr int mrNo = 7;

    explicit TQelTestFiles(TQelGlobal& global, TVolumeCheck volumes = TVolumeCheck::System());
    ~TQelTestFiles();
    TQelTestFiles(const TQelTestFiles&) = delete;
    TQelTestFiles& operator=(const TQelTestFiles&) = delete;

    TQelGlobal& Global() const { return FGlobal; }
    const TLastFiles& LastFiles() const { return FLastFiles; }
    const TVolumeCheck& Volumes() const { return FVolumes; }
    // Reports and diagrams are handed to this (the window sets the desktop's viewer).
    std::function<bool(const QUrl&)> OpenUrl;

    QString CurrentFile() const;
    QString MarkerOf(const QString& file) const;
    bool HasMarker(const QString& file) const;

    // Asks whether the pending changes of the current test are to be saved: mrNone without
    // pending changes; mrYes saved; mrNo discarded (the test is back at its confirmed state on
    // disk and in memory); mrCancel the operator cancelled, or the save or discard failed (told).
    int CheckUnsavedChanges();
    // Before file is opened: when it has pending changes, asks whether to keep them (the current
    // test: whether to abandon them). False when a discard failed.
    bool CheckBeforeOpen(const QString& file, bool current);
    // The marker takes the test file's place in one step; true when there was none.
    bool Discard(const QString& file);
    // Save: the explicit save of the current test; the marker goes only after it succeeded.
    bool Confirm();

    // A new test under name (written at once). An existing test of that name is replaced only
    // when replaceAgreed (the dialog asked) or the operator agrees now; its stale marker goes.
    bool NewTest(const QString& name, bool replaceAgreed);
    // The name a test from templateFile gets: the data folder when the template lies in the
    // templates folder, the working folder when it lies on removable media or on a volume of
    // neither the program nor the data folder, else beside the template; made unique.
    QString TemplateTestName(const QString& templateFile) const;
    bool NewFromTemplate(const QString& templateFile);

    // A test on removable media is opened from a copy in the working folder.
    bool OnRemovable(const QString& file) const;
    QString WorkingCopyName(const QString& file) const;
    // "File ... already exists ... replace it ?": true on OK.
    bool AskReplace(const QString& file);
    // Whether a new test may go under name: yes when nothing of a test is there; an existing file
    // only when replaceAgreed or on OK; a rolling backup left alone (the test itself lost) on OK.
    bool MayReplace(const QString& name, bool replaceAgreed);
    // Copies the test in from over to (the old to becomes its rolling backup, its marker goes).
    bool CopyTest(const QString& from, const QString& to);
    // Opens file with the fall-backs to its rolling backup (the operator is told, and a damaged
    // file is kept aside under a name of its own before its backup is opened); the recent tests
    // follow. False (after "Not possible to load") when nothing was opened: the document in
    // memory is then untouched.
    bool OpenTest(const QString& file);

    // Save As: the test written under name, then the current one (with the company logo and
    // style sheet beside it). On removable media the copy is written and the test keeps its
    // name. An existing other test is replaced only on the operator's word.
    bool SaveAs(const QString& name, bool replaceAgreed);

    // The report (state 1: the HTML report of the test, made now) or the diagram picture
    // (state 2) in the desktop's viewer.
    bool ShowReport(int state);

    // The PDF report of the current test, as the pages (with their fields written in) show it
    // now, to pdfFile. False (after telling the operator) when it was not written.
    bool SavePDF(const QString& pdfFile);
    // The PDF report's layout (Qt Gui, handed in by the program); it must outlive this.
    void SetRenderer(const TReportRenderer* renderer) { FRenderer = renderer; }
    // What a report of the current test on pages is made from, after the pages have written
    // their fields in (message 1390): the test file, the style sheet and the page head.
    struct TReportSource {
        QString TestFile, StyleSheet;
        TReportHead Head;
    };
    TReportSource ReportSource();

    // Recent test k (0 ... 2). For a test other than the current one the unsaved-changes question
    // comes first.
    bool OpenRecent(int k);
    // Another test chosen elsewhere (the history of the transformer): the unsaved-changes question
    // first, then as Load opens it. False when it was not opened.
    bool OpenOther(const QString& file);
    // Start-up mode "Load Last File": the last test; false when there was none to open.
    bool LoadLastFile();
    // After a new or opened test: the current test goes to the top of the list.
    void UpdateRecentFiles();

private:
    bool Ask(const QString& text, bool yesNo);
    // The absolute name of a chosen file; false (after saying so) for one that cannot be a test.
    bool TakeName(const QString& chosen, QString& name);
    void Tell(const QString& text, bool error);
    bool RemoveMarker(const QString& file);
    bool OpenFromBackup(const QString& file, const QString& damagedError);
    // The document now holds file: its name, the windows and the recent tests follow.
    bool Opened(const QString& file);
    // "Not possible to load" with why; false.
    bool NotLoaded(const QString& file, const QString& why);
    bool CopyBeside(const QString& source, const QString& folder);
    void SaveLastFiles();
    void TestKept(const QString& kept);

    TQelGlobal& FGlobal;
    TVolumeCheck FVolumes;
    TLastFiles FLastFiles;
    const TReportRenderer* FRenderer = nullptr;
};
