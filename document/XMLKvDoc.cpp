#include "XMLKvDoc.h"

#include "OperatorIFace.h"
#include "SafeFileWriter.h"
#include "XMLDocReader.h"
#include "XMLTextWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// The component library's text SErrWritingFile.
const char* const SErrWritingFile = "Error writing file :\r\n\t%1";

TXMLDom NewDom() {
    auto dom = std::make_shared<pugi::xml_document>();
    dom->append_child("KovaDoc").append_attribute("Version").set_value("1.1");
    return dom;
}

} // namespace

TKvXML::TKvXML(QObject* owner, TOperatorIFace* op) : QObject(owner), FOperator(op) {
    New();
}

TKvXML::~TKvXML() = default;

TXMLKovaDocType TKvXML::Data() const {
    return TXMLKovaDocType(FDom->document_element(), FDom);
}

void TKvXML::SetFileName(const QString& fileName) {
    Data().SetName(QFileInfo(fileName).completeBaseName());
    Data().SetFileName(fileName);
}

QString TKvXML::RollingBackupName(const QString& fileName) const {
    QString ext = FXMLFileExtension;
    const qsizetype dot = ext.indexOf(u'.');
    ext.insert(dot >= 0 ? dot + 1 : 0, u'~');
    // The extension is what follows the last "." of the name itself, not of a folder.
    const qsizetype slash = std::max(fileName.lastIndexOf(u'/'), fileName.lastIndexOf(u'\\'));
    const qsizetype extAt = fileName.lastIndexOf(u'.');
    return (extAt > slash ? fileName.left(extAt) : fileName) + ext;
}

QString TKvXML::ConfirmedCopyName(const QString& fileName) const {
    return fileName + FXMLSaveExtension;
}

QString TKvXML::GetXML() const {
    return XMLTreeText(*FDom, false);
}

QString TKvXML::GetXMLFormatted() const {
    return XMLTreeText(*FDom, true);
}

void TKvXML::Changed() {}

void TKvXML::Replace(TXMLDom dom) {
    FDom = std::move(dom);
    Changed();
    Q_EMIT DocumentReplaced();
}

void TKvXML::New() {
    Replace(NewDom());
}

TKvXML::TLoadResult TKvXML::Load(const QString& fileName) {
    TLoadResult result;
    if (QFileInfo(fileName).isFile()) {
        result.FileRead = fileName;
        result.Status = TLoadStatus::Loaded;
    } else if (QFileInfo(RollingBackupName(fileName)).isFile()) {
        result.FileRead = RollingBackupName(fileName);
        result.Status = TLoadStatus::LoadedFromBackup;
    } else {
        return result;
    }

    QFile file(result.FileRead);
    const QString shown = QDir::toNativeSeparators(result.FileRead);
    if (!file.open(QIODevice::ReadOnly)) {
        result.Status = TLoadStatus::Failed;
        result.Error = QStringLiteral("%1: %2").arg(shown, file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.Status = TLoadStatus::Failed;
        result.Error = QStringLiteral("%1: %2").arg(shown, file.errorString());
        return result;
    }

    auto dom = std::make_shared<pugi::xml_document>();
    const TXMLReadResult read = ReadXMLDocument(bytes, *dom);
    if (!read.Ok) {
        result.Status = TLoadStatus::Failed;
        result.Line = read.Line;
        result.Column = read.Column;
        result.Error =
            QStringLiteral("%1(%2,%3): %4").arg(shown).arg(read.Line).arg(read.Column).arg(read.Message);
        return result;
    }

    auto converted = std::make_shared<pugi::xml_document>();
    if (ConvertOlderSiblingLayout(*dom, *converted))
        dom = converted;

    TXMLKovaDocType(dom->document_element(), dom).SetFileName(fileName);
    Replace(dom);
    return result;
}

bool TKvXML::Save(const QString& fileName, bool formatted, bool makeBackup, QString* error) {
    SetFileName(fileName);
    const QString confirmed = ConfirmedCopyName(fileName);
    RemoveStaleTemporaries(fileName);
    RemoveStaleTemporaries(confirmed);

    if (makeBackup && !QFileInfo::exists(confirmed) && QFileInfo(fileName).isFile()) {
        if (!CopyFileSafely(fileName, confirmed, nullptr) && FOperator)
            FOperator->Error(QString::fromLatin1(SErrWritingFile).arg(fileName));
    }
    // The last size of the file is a good guess for the next one (characters are two bytes).
    const size_t expected = size_t(QFileInfo(fileName).size() / 2) + 4096;
    const std::u16string text = XMLFileText(*FDom, formatted, FXSLStyleSheetFile, expected);
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(text.data()), qsizetype(text.size() * 2));
    return ReplaceFile(fileName, bytes, RollingBackupName(fileName), error);
}
