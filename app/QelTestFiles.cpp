#include "QelTestFiles.h"

#include "CSVTools.h"
#include "KovaBases.h"
#include "OperatorIFace.h"
#include "ProgramFiles.h"
#include "QelGlobals.h"
#include "QelReports.h"
#include "SafeFileWriter.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

using namespace TestFileNames;

namespace {

QString Shown(const QString& fileName) {
    return QDir::toNativeSeparators(fileName);
}

QString Format(const char* text, const QString& arg) {
    return QString::fromUtf8(text).replace(QStringLiteral("%s"), arg);
}

QString WhenWritten(const QString& fileName) {
    return QLocale::system().toString(QFileInfo(fileName).lastModified(), QLocale::ShortFormat);
}

// Absolute and clean: every comparison and every file the list keeps is of this form.
QString Absolute(const QString& fileName) {
    return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
}

const char* const SUnsaved =
    "The file \r\n\r\n\"%s\"\r\n\r\nis not saved.\r\n\r\nDo you want to save it now?";
const char* const SAbandon = " Do want to abandon changements and reload the file \r\n\"%s\"?\r\n\r\n"
                             "If you press yes, all changements are gone!";
const char* const SRestore =
    " The file \r\n\"%s\"\r\n was not saved before.\r\n Do you want to restore the file?";
const char* const SExists = "File \"%s\" already exists\r\nDo you want to replace it ?";
const char* const SRemovable = "Disk: \"%s\" is a removable Disk\r\nFileName will not changed";
const char* const SNotLoaded = "Not possible to load\r\n%s";
const char* const SErrWriting = "Error writing file :";

} // namespace

TQelTestFiles::TQelTestFiles(TQelGlobal& global, TVolumeCheck volumes)
    : FGlobal(global), FVolumes(std::move(volumes)),
      FLastFiles(ProgramFileName(QStringLiteral("LastFiles.cfg"), global.AppFolder), global.AppFolder) {
    FLastFiles.Load();
    FGlobal.OnTestKept = [this](const QString& kept) { TestKept(kept); };
}

TQelTestFiles::~TQelTestFiles() {
    FGlobal.OnTestKept = nullptr;
}

QString TQelTestFiles::CurrentFile() const {
    return FGlobal.Doc().FileName();
}

QString TQelTestFiles::MarkerOf(const QString& file) const {
    return FGlobal.Doc().ConfirmedCopyName(file);
}

bool TQelTestFiles::HasMarker(const QString& file) const {
    return !file.isEmpty() && QFileInfo(MarkerOf(file)).isFile();
}

bool TQelTestFiles::Ask(const QString& text, bool yesNo) {
    TOperatorIFace* op = FGlobal.Operator();
    if (!op)
        return false;
    const auto answer =
        op->Message(TOperatorIFace::TKind::Confirmation, FGlobal.ConfigSection, text,
                    yesNo ? TOperatorIFace::TButtons::YesNo : TOperatorIFace::TButtons::OkCancel);
    return answer == TOperatorIFace::TAnswer::Yes || answer == TOperatorIFace::TAnswer::Ok;
}

void TQelTestFiles::Tell(const QString& text, bool error) {
    if (TOperatorIFace* op = FGlobal.Operator()) {
        if (error)
            op->Error(text);
        else
            op->Inform(text);
    }
}

bool TQelTestFiles::RemoveMarker(const QString& file) {
    const QString marker = MarkerOf(file);
    if (!QFileInfo::exists(marker) || QFile::remove(marker))
        return true;
    Tell(QStringLiteral("The confirmed copy\r\n\r\n\"%1\"\r\n\r\ncould not be deleted.").arg(Shown(marker)),
         true);
    return false;
}

// ------------------------------------------------------------------ the unsaved-changes scheme

int TQelTestFiles::CheckUnsavedChanges() {
    const QString file = CurrentFile();
    if (!HasMarker(file))
        return mrNone;
    TOperatorIFace* op = FGlobal.Operator();
    if (!op)
        return mrCancel;
    switch (op->Message(TOperatorIFace::TKind::Confirmation, FGlobal.ConfigSection, Format(SUnsaved, file),
                        TOperatorIFace::TButtons::YesNoCancel)) {
    case TOperatorIFace::TAnswer::Yes:
        FGlobal.SendToAll(UM_FILESCHANGED, 0, 0);
        // A save that failed keeps the marker and stops the action: the operator was told.
        if (!FGlobal.SaveDocument(0) || !RemoveMarker(file))
            return mrCancel;
        return mrYes;
    case TOperatorIFace::TAnswer::No:
        if (!Discard(file))
            return mrCancel;
        // What the operator sees is the confirmed state again, not the changes just thrown away.
        if (!FGlobal.OpenDocument(file))
            FGlobal.SendToAll(UM_DOCCHANGED, 1, 0);
        return mrNo;
    default:
        return mrCancel;
    }
}

bool TQelTestFiles::Discard(const QString& file) {
    const QString marker = MarkerOf(file);
    if (!QFileInfo(marker).isFile())
        return true;
    QString error;
    if (MoveFileOver(marker, file, &error))
        return true;
    Tell(QStringLiteral("The changes of\r\n\r\n\"%1\"\r\n\r\ncould not be discarded:\r\n\r\n%2")
             .arg(Shown(file), error),
         true);
    return false;
}

bool TQelTestFiles::CheckBeforeOpen(const QString& file, bool current) {
    if (!HasMarker(file))
        return true;
    if (current) {
        if (!Ask(Format(SAbandon, file), true))
            return true;
        if (!Discard(file))
            return false;
        FGlobal.Doc().Data().SetName(QFileInfo(file).completeBaseName());
        FGlobal.SendToAll(UM_DOCCHANGED, 1, 0);
        return true;
    }
    // Yes keeps what was saved after the last confirmed state (a crash left it unconfirmed).
    if (Ask(Format(SRestore, file), true))
        return RemoveMarker(file);
    return Discard(file);
}

bool TQelTestFiles::Confirm() {
    const QString file = CurrentFile();
    FGlobal.SendToAll(UM_FILESCHANGED, 3, 0);
    return FGlobal.SaveDocument(0) && RemoveMarker(file);
}

// ------------------------------------------------------------------ new tests

bool TQelTestFiles::TakeName(const QString& chosen, QString& name) {
    // A blank name stops without a word (the dialog was left without one).
    if (chosen.trimmed().isEmpty())
        return false;
    name = Absolute(chosen);
    // A line end could not be read back from "LastFiles.cfg"; a folder is no test.
    if (Storable(chosen) && !QFileInfo(name).isDir())
        return true;
    Tell(Format("FileName \"%s\" is not a valid filename\nPlease try again.", chosen), true);
    return false;
}

bool TQelTestFiles::NewTest(const QString& chosen, bool replaceAgreed) {
    QString name;
    if (!TakeName(chosen, name))
        return false;
    if (!MayReplace(name, replaceAgreed))
        return false;
    if (!FGlobal.NewDocument(name))
        return false;
    // The marker of the test that was replaced would bring it back with the next "No".
    RemoveMarker(name);
    UpdateRecentFiles();
    return true;
}

QString TQelTestFiles::TemplateTestName(const QString& templateFile) const {
    const QString file = Absolute(templateFile);
    const QString name = QFileInfo(file).fileName();
    const QString templates = Canonical(FGlobal.TemplatesPath);
    const QString folder = Canonical(QFileInfo(file).path());
    QString candidate;
    if (folder == templates || folder.startsWith(templates + '/'))
        candidate = FGlobal.DataPath + name;
    else if (OnRemovable(file) || (FVolumes.SameVolume && !FVolumes.SameVolume(file, FGlobal.AppFolder) &&
                                   !FVolumes.SameVolume(file, FGlobal.DataPath)))
        candidate = FGlobal.WorkingFolder + name;
    else
        candidate = file;
    return FGlobal.Doc().UniqueName(candidate);
}

bool TQelTestFiles::NewFromTemplate(const QString& templateFile) {
    if (templateFile.trimmed().isEmpty())
        return false;
    const QString name = TemplateTestName(templateFile);
    if (TOperatorIFace* op = FGlobal.Operator())
        op->SetBusy(true);
    bool made = FGlobal.NewDocumentFromTemplate(templateFile, name);
    // Written at once, so that the new test's entry among the recent tests names a file.
    if (made)
        made = FGlobal.SaveDocument(3);
    if (TOperatorIFace* op = FGlobal.Operator())
        op->SetBusy(false);
    if (made)
        UpdateRecentFiles();
    return made;
}

// ------------------------------------------------------------------ opening

bool TQelTestFiles::OnRemovable(const QString& file) const {
    return FVolumes.Removable && FVolumes.Removable(file);
}

QString TQelTestFiles::WorkingCopyName(const QString& file) const {
    return FGlobal.WorkingFolder + QFileInfo(file).fileName();
}

bool TQelTestFiles::MayReplace(const QString& name, bool replaceAgreed) {
    if (QFileInfo::exists(name))
        return replaceAgreed || AskReplace(name);
    // Where only the backup of a test is left it is the test (opening the name reads it), and the
    // first save under the name would delete it.
    const QString backup = FGlobal.Doc().RollingBackupName(name);
    return !QFileInfo::exists(backup) || AskReplace(backup);
}

bool TQelTestFiles::AskReplace(const QString& file) {
    return Ask(Format(SExists, file), false);
}

bool TQelTestFiles::CopyTest(const QString& from, const QString& to) {
    if (SamePath(from, to))
        return true;
    QFile source(from);
    QString error;
    QByteArray content;
    if (!source.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(Shown(from), source.errorString());
    } else {
        content = source.readAll();
        if (source.error() != QFileDevice::NoError)
            error = QStringLiteral("%1: %2").arg(Shown(from), source.errorString());
    }
    if (error.isEmpty() && ReplaceFile(to, content, FGlobal.Doc().RollingBackupName(to), &error)) {
        RemoveMarker(to);
        return true;
    }
    Tell(QStringLiteral("%1\r\n\t%2\r\n\r\n%3").arg(QString::fromUtf8(SErrWriting), to, error), true);
    return false;
}

bool TQelTestFiles::OpenTest(const QString& chosen) {
    const QString file = Absolute(chosen);
    const QString backup = FGlobal.Doc().RollingBackupName(file);
    QString error;
    bool opened = false;
    if (QFileInfo(file).isFile()) {
        opened = FGlobal.OpenDocument(file, &error);
        if (!opened && QFileInfo(backup).isFile())
            return OpenFromBackup(file, error);
    } else if (QFileInfo(backup).isFile()) {
        const QString when = WhenWritten(backup);
        opened = FGlobal.OpenDocument(file, &error);
        if (opened)
            Tell(QStringLiteral(
                     "The file\r\n\r\n\"%1\"\r\n\r\nis missing. Its backup of %2\r\n\r\n\"%3\"\r\n\r\n"
                     "has been opened; the next save writes the file again.")
                     .arg(Shown(file), when, Shown(backup)),
                 false);
    }
    if (!opened)
        return NotLoaded(file, error);
    return Opened(file);
}

bool TQelTestFiles::Opened(const QString& file) {
    FGlobal.Doc().Data().SetName(QFileInfo(file).completeBaseName());
    FGlobal.SendToAll(UM_DOCCHANGED, 1, 0);
    UpdateRecentFiles();
    return true;
}

bool TQelTestFiles::NotLoaded(const QString& file, const QString& why) {
    Tell(Format(SNotLoaded, Shown(file)) + (why.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + why),
         true);
    return false;
}

// The test file exists but does not read (a damaged disk, an interrupted copy) while its backup
// may: the operator decides, and the damaged file is moved aside, never written over.
bool TQelTestFiles::OpenFromBackup(const QString& file, const QString& damagedError) {
    const QString backup = FGlobal.Doc().RollingBackupName(file);
    TKvXML probe;
    if (!probe.Load(backup).Loaded())
        return NotLoaded(file, damagedError);
    const QString kept = FGlobal.Doc().KeptName(file, QFileInfo(file).lastModified());
    if (!Ask(QStringLiteral("The file\r\n\r\n\"%1\"\r\n\r\ncannot be read:\r\n%2\r\n\r\nIts backup of %3"
                            "\r\n\r\n\"%4\"\r\n\r\ncan be read. Do you want to open the backup?\r\n\r\n"
                            "The damaged file is then kept as\r\n\r\n\"%5\"")
                 .arg(Shown(file), damagedError, WhenWritten(backup), Shown(backup), Shown(kept)),
             true))
        return false;
    QFile damaged(file);
    if (!damaged.rename(kept))
        return NotLoaded(file, QStringLiteral("%1: %2").arg(Shown(kept), damaged.errorString()));
    QString error;
    if (!FGlobal.OpenDocument(file, &error)) {
        QFile::rename(kept, file);
        return NotLoaded(file, error);
    }
    return Opened(file);
}

// ------------------------------------------------------------------ save as

bool TQelTestFiles::CopyBeside(const QString& source, const QString& folder) {
    if (source.isEmpty() || !QFileInfo(source).isFile())
        return true;
    const QString target = WithSlash(folder) + QFileInfo(source).fileName();
    if (QFileInfo::exists(target) || SamePath(source, target))
        return true;
    if (CopyFileSafely(source, target, nullptr))
        return true;
    Tell(QString::fromUtf8(SErrWriting) + target, true);
    return false;
}

bool TQelTestFiles::SaveAs(const QString& chosen, bool replaceAgreed) {
    QString name;
    if (!TakeName(chosen, name))
        return false;
    const QString old = CurrentFile();
    if (SamePath(name, old))
        return Confirm();
    if (!MayReplace(name, replaceAgreed))
        return false;

    TOperatorIFace* op = FGlobal.Operator();
    if (op)
        op->SetBusy(true);
    TKvXML& doc = FGlobal.Doc();
    doc.SetFileName(name);
    FGlobal.SendToAll(UM_FILESCHANGED, 0, 0);
    const bool written = FGlobal.DocumentChanged();
    if (written) {
        const QString folder = QFileInfo(name).path();
        CopyBeside(ProgramDataFile(FGlobal.AppFolder, doc.CompanyFile()), folder);
        CopyBeside(ProgramDataFile(FGlobal.AppFolder, doc.XSLStyleSheetFile()), folder);
    }
    doc.SetFileName(old);
    if (op)
        op->SetBusy(false);
    if (!written)
        return false;
    // The copy holds exactly what the operator saved: a marker of the test replaced there is stale.
    RemoveMarker(name);
    // The old test keeps its last confirmed state; the changes went to the new one.
    Discard(old);

    if (OnRemovable(name)) {
        Tell(Format(SRemovable, FVolumes.VolumeOf ? FVolumes.VolumeOf(name) : QFileInfo(name).path()), false);
    } else {
        doc.SetFileName(name);
        doc.Data().SetName(QFileInfo(name).fileName());
        FGlobal.SendToAll(UM_DOCCHANGED, 0, 0);
        UpdateRecentFiles();
    }
    RemoveMarker(CurrentFile());
    return true;
}

// ------------------------------------------------------------------ reports

bool TQelTestFiles::ShowReport(int state) {
    const QString file = CurrentFile();
    if (file.isEmpty())
        return false;
    if (state == 1) {
        FGlobal.SendToAll(UM_FILESCHANGED, 0, 0);
        // The report the operator reads is the test as it is now, in the browser beside it.
        const QString html = WithExtension(file, QStringLiteral(".html"));
        QString error;
        if (!WriteHTMLReport(file, ProgramDataFile(FGlobal.AppFolder, FGlobal.Doc().XSLStyleSheetFile()),
                             html, ProgramDataFile(FGlobal.AppFolder, FGlobal.Doc().CompanyFile()), &error)) {
            Tell(QStringLiteral("Error writing file :\r\n\t%1\r\n\r\n%2").arg(html, error), true);
            return false;
        }
        return OpenUrl && OpenUrl(QUrl::fromLocalFile(html));
    }
    if (state == 2) {
        FGlobal.SendToAll(UM_FILESCHANGED, 2, 0);
        const QString picture = WithExtension(file, QStringLiteral(".jpg"));
        if (!QFileInfo(picture).isFile()) {
            Tell(Format(SNotLoaded, Shown(picture)), true);
            return false;
        }
        return OpenUrl && OpenUrl(QUrl::fromLocalFile(picture));
    }
    return false;
}

TQelTestFiles::TReportSource TQelTestFiles::ReportSource() {
    FGlobal.SendToAll(UM_FILESCHANGED, 0, 0);
    const QString logo = ProgramDataFile(FGlobal.AppFolder, FGlobal.Doc().CompanyFile());
    return {CurrentFile(), ProgramDataFile(FGlobal.AppFolder, FGlobal.Doc().XSLStyleSheetFile()),
            ReportHeadOf(FGlobal.Doc(), logo)};
}

bool TQelTestFiles::SavePDF(const QString& pdfFile) {
    if (CurrentFile().isEmpty() || pdfFile.trimmed().isEmpty())
        return false;
    const TReportSource source = ReportSource();
    QString error = QStringLiteral("no PDF renderer in this program");
    if (!FRenderer ||
        !WritePDFReport(*FRenderer, source.TestFile, source.StyleSheet, source.Head, pdfFile, &error)) {
        Tell(QStringLiteral("Error writing file :\r\n\t%1\r\n\r\n%2").arg(pdfFile, error), true);
        return false;
    }
    return true;
}

// ------------------------------------------------------------------ recent tests

void TQelTestFiles::SaveLastFiles() {
    if (!FLastFiles.Save())
        Tell(QString::fromUtf8(SErrWriting) + FLastFiles.FileName(), true);
}

void TQelTestFiles::UpdateRecentFiles() {
    FLastFiles.Update(CurrentFile());
    SaveLastFiles();
}

void TQelTestFiles::TestKept(const QString& kept) {
    FLastFiles.Update(kept);
    SaveLastFiles();
}

bool TQelTestFiles::OpenRecent(int k) {
    if (k < 0 || k >= std::min(FLastFiles.Count(), int(TLastFiles::ShownCount)))
        return false;
    const QString file = FLastFiles.File(k);
    const bool current = SamePath(file, CurrentFile());
    // Only the current test itself is reopened without the question.
    if (!current && CheckUnsavedChanges() == mrCancel)
        return false;
    if (QFileInfo(file).isFile() && !CheckBeforeOpen(file, current))
        return false;
    return OpenTest(file);
}

bool TQelTestFiles::OpenOther(const QString& file) {
    if (CheckUnsavedChanges() == mrCancel)
        return false;
    if (QFileInfo(file).isFile() && !CheckBeforeOpen(file, false))
        return false;
    FGlobal.SendToAll(UM_FILESCHANGED, 0, 0);
    return OpenTest(file);
}

bool TQelTestFiles::LoadLastFile() {
    if (FLastFiles.Count() == 0)
        return false;
    const QString file = FLastFiles.File(0);
    if (QFileInfo(file).isFile() && !CheckBeforeOpen(file, false))
        return false;
    return OpenTest(file);
}
