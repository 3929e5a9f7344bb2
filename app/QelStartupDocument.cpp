// The default document at start-up. A quick measurement leaves its results there, so a start
// never writes a new default document over measured rows or over a file it cannot read: those
// are kept under a name of their own first, and the operator learns where they went.
#include "QelGlobals.h"

#include "OperatorIFace.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QDir>
#include <QFileInfo>

namespace {

// When the test was last written: its file's time, or its backup's when only that is left.
QDateTime LastWritten(const TKvXML& doc, const QString& fileName) {
    for (const QString& f : doc.TestFiles(fileName))
        if (const QDateTime t = QFileInfo(f).lastModified(); t.isValid())
            return t;
    return QDateTime::currentDateTime();
}

QString Shown(const QString& fileName) {
    return QDir::toNativeSeparators(fileName);
}

} // namespace

bool TQelGlobal::NewDefaultDocument() {
    const QString name = DefaultDocumentName();
    TKvXML previous;
    const TKvXML::TLoadResult loaded = previous.Load(name);
    if (loaded.Status == TKvXML::TLoadStatus::Failed)
        return ReplaceDefaultDocument(loaded.Error);
    if (loaded.Loaded() && HasMeasurementRows(previous.Data()))
        return ReplaceDefaultDocument(QString());
    return NewDocument(name);
}

bool TQelGlobal::OpenDefaultDocument() {
    const QString name = DefaultDocumentName();
    // Nothing to open (neither the file nor its backup, as the document component reads them).
    if (!QFileInfo(name).isFile() && !QFileInfo(FDoc->RollingBackupName(name)).isFile())
        return NewDocument(name);
    QString error;
    if (LoadDocument(name, &error))
        return true;
    return ReplaceDefaultDocument(error);
}

bool TQelGlobal::ReplaceDefaultDocument(const QString& loadError) {
    const QString name = DefaultDocumentName();
    const bool unreadable = !loadError.isEmpty();
    const QString kept = FDoc->KeptName(name, LastWritten(*FDoc, name));
    QString moveError;
    if (FDoc->RenameTest(name, kept, &moveError)) {
        if (OnTestKept)
            OnTestKept(kept);
        if (FOperator) {
            if (unreadable)
                FOperator->Error(QStringLiteral("The default document could not be read:\r\n\r\n%1\r\n\r\n"
                                                "It has been kept as\r\n\r\n%2\r\n\r\nand a new default "
                                                "document has been created.")
                                     .arg(loadError, Shown(kept)));
            else
                FOperator->Inform(QStringLiteral("The test in the default document has been kept as"
                                                 "\r\n\r\n%1")
                                      .arg(Shown(kept)));
        }
        return NewDocument(name);
    }
    // It cannot be moved (a folder without write permission, say): it must not be written over.
    if (!unreadable) {
        if (FOperator)
            FOperator->Error(QStringLiteral("The test in the default document could not be kept under a "
                                            "name of its own:\r\n\r\n%1\r\n\r\nIt stays open.")
                                 .arg(moveError));
        return OpenDocument(name);
    }
    // Unreadable and immovable: the new test goes under a name of its own instead.
    const QString fresh = FDoc->KeptName(name, QDateTime::currentDateTime());
    if (FOperator)
        FOperator->Error(QStringLiteral("The default document could not be read:\r\n\r\n%1\r\n\r\nnor be "
                                        "kept under a name of its own:\r\n\r\n%2\r\n\r\nIt stays as it is; "
                                        "the new test document is\r\n\r\n%3")
                             .arg(loadError, moveError, Shown(fresh)));
    return NewDocument(fresh);
}
