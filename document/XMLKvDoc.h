#pragma once
#include "XMLQel.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

class TGridTable;
class TOperatorIFace;

// One test document in memory: the DOM, its typed root binding and the name of the file it
// belongs to. It creates, loads and saves the document and keeps its two backup files: the
// rolling backup "<name>.~xml" (the version before the last save) and the confirmed copy
// "<name>.xml.save" (the file as it was before the first unconfirmed change).
class TKvXML : public QObject {
    Q_OBJECT
public:
    enum class TLoadStatus { Loaded, LoadedFromBackup, NotFound, Failed };
    struct TLoadResult {
        TLoadStatus Status = TLoadStatus::NotFound;
        QString FileRead; // the file whose content was read (the test file or its backup)
        QString Error;    // "<file>(<line>,<column>): <fault>" when the file could not be read
        int Line = 0;
        int Column = 0;
        bool Loaded() const {
            return Status == TLoadStatus::Loaded || Status == TLoadStatus::LoadedFromBackup;
        }
        explicit operator bool() const { return Loaded(); }
    };

    // The operator hears of a failed confirmed copy; without one the failure goes unseen.
    explicit TKvXML(QObject* owner = nullptr, TOperatorIFace* op = nullptr);
    ~TKvXML() override;

    void SetOperator(TOperatorIFace* op) { FOperator = op; }

    // The document; replaced by every New and successful Load.
    TXMLKovaDocType Data() const;
    TXMLDUTGeneralType DUTGeneral() const { return Data().DUTGeneral(); }
    TXMLDUTTrafoDataType DUTTrafoData() const { return Data().DUTTrafoData(); }
    TXMLQELType QEL() const { return Data().QEL(); }
    TXMLCTType CT() const { return Data().CT(); }
    const pugi::xml_document& Dom() const { return *FDom; }

    // The root attribute FileName: the full path as last loaded or saved.
    QString FileName() const { return Data().FileName(); }
    // Root Name := the file name without folder and extension, root FileName := fileName.
    void SetFileName(const QString& fileName);

    QString CompanyFile() const { return FCompanyFile; }
    void SetCompanyFile(const QString& v) { FCompanyFile = v; }
    // Referenced from every saved file; blank means no style sheet line.
    QString XSLStyleSheetFile() const { return FXSLStyleSheetFile; }
    void SetXSLStyleSheetFile(const QString& v) { FXSLStyleSheetFile = v; }
    QString XMLFileExtension() const { return FXMLFileExtension; }
    void SetXMLFileExtension(const QString& v) { FXMLFileExtension = v; }
    QString XMLSaveExtension() const { return FXMLSaveExtension; }
    void SetXMLSaveExtension(const QString& v) { FXMLSaveExtension = v; }

    // "T.xml" -> "T.~xml": the extension with "~" after its first ".".
    QString RollingBackupName(const QString& fileName) const;
    // "T.xml" -> "T.xml.save".
    QString ConfirmedCopyName(const QString& fileName) const;

    // The files of one test that exist: the test file, its rolling backup, its confirmed copy.
    QStringList TestFiles(const QString& fileName) const;
    // A name of its own for the test in fileName, in the same folder: its name followed by the
    // date and time given, "Qel8625 2026-12-09 15-30-05.XML", then " (2)", " (3)" ... until no
    // file of a test goes by that name. Tests that must make room for a new one are kept so.
    QString KeptName(const QString& fileName, const QDateTime& when) const;
    // fileName itself when no file of a test goes by it, else the first free name counting up:
    // the number the name ends in increased by one (its width kept), else "1" appended
    // (Test.xml -> Test1.xml, Test9.xml -> Test10.xml, Run007.xml -> Run008.xml).
    QString UniqueName(const QString& fileName) const;
    // Every file of the test in from under the name to, each renamed in one step. False with error
    // naming the file when one would not move; the files already renamed then go back.
    bool RenameTest(const QString& from, const QString& to, QString* error = nullptr) const;

    // The document without prolog: plain is one run of text, XMLFormat one element per line
    // with two blanks per level (lines end in CR LF, as in the file).
    QString GetXML() const;
    QString GetXMLFormatted() const;
    QString XMLFormat() const { return GetXMLFormatted(); }

    // An empty document: root KovaDoc with Version "1.1".
    void New();
    // Reads fileName, or its rolling backup when the file is missing. A file that cannot be
    // read or parsed leaves the document as it was and returns Failed with the position.
    TLoadResult Load(const QString& fileName);
    // Writes the document to fileName (indented when formatted). The previous version becomes
    // the rolling backup; with makeBackup the first save also keeps the confirmed copy. The
    // file is replaced in one step: until the new version is complete on the disk, the old
    // one stays. False with error set when the new version could not be written.
    bool Save(const QString& fileName, bool formatted, bool makeBackup, QString* error = nullptr);

    // The measurement tables of several test files merged into target, one block of rows per
    // file with the file's path relative to baseFolder in column 0 and an empty row between the
    // blocks; columns are matched by title, new titles are appended. Files that are missing or
    // do not load are skipped and, when unread is given, named there. The list file itself is
    // read by the multi-file analysis, which passes the FileName column of its rows here.
    enum class TMergeSource { Measurement, SiblingMeasData };
    static bool MergeMeasurementTables(TGridTable& target, const QStringList& files,
                                       const QString& baseFolder, TMergeSource source,
                                       const QString& fileNameTitle = QStringLiteral("File Name"),
                                       QStringList* unread = nullptr);

Q_SIGNALS:
    // After New and after every Load that replaced the document.
    void DocumentReplaced();

protected:
    // Called after New and Load; subclasses complete the document here.
    virtual void Changed();

private:
    void Replace(TXMLDom dom);

    TXMLDom FDom;
    TOperatorIFace* FOperator = nullptr;
    QString FCompanyFile = QStringLiteral("\\company.jpg");
    QString FXSLStyleSheetFile = QStringLiteral("\\KovaDoc.xsl");
    QString FXMLFileExtension = QStringLiteral(".xml");
    QString FXMLSaveExtension = QStringLiteral(".save");
};
