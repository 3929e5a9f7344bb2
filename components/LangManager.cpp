#include "LangManager.h"

#include "IniFile.h"
#include "KovaBases.h"
#include "LangFiles.h"
#include "LangWalk.h"
#include "OperatorIFace.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

namespace {

const char* const TagProperty = "Tag";
const QString BuildTitle = QStringLiteral("Build Language File");
const QString BuildFilter = QStringLiteral("Original Language Files (*.ori)|*.ORI");

QString Now() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString Quoted(const QString& s) {
    return '"' + s + '"';
}

// The filter of the build's dialog in the form Qt's file dialog reads.
QString QtFilter(const QString& filter) {
    const qsizetype bar = filter.indexOf('|');
    if (bar < 0)
        return filter;
    return filter.left(bar) + QStringLiteral(";;") + filter.mid(bar + 1) + QStringLiteral(" (") +
           filter.mid(bar + 1) + ')';
}

bool OwnWindowClass(const QWidget* w) {
    const char* name = w->metaObject()->className();
    return name[0] == 'T' && name[1] >= 'A' && name[1] <= 'Z';
}

} // namespace

int LangTag(const QObject* o) {
    return o ? o->property(TagProperty).toInt() : 0;
}

void SetLangTag(QObject* o, int tag) {
    o->setProperty(TagProperty, tag);
}

TLangManager::TLangManager(QObject* parent) : QObject(parent) {
    FCreated = QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(" Language manager of QEL");
    FCommonName = LangText::DefaultCommonFile();
}

TLangManager::~TLangManager() {
    if (FWatching)
        qApp->removeEventFilter(this);
    for (const auto& c : std::as_const(FComponents))
        if (c)
            c->SetLanManager(nullptr);
}

QString TLangManager::AppTitle() const {
    return FAppTitle.isEmpty() ? QCoreApplication::applicationName() : FAppTitle;
}

void TLangManager::SetAppFileName(const QString& fileName) {
    FAppFileName = fileName;
    if (!FBuild) {
        FFile = std::make_unique<TIniFile>(fileName);
        LangText::THeader header{QString(), FCreated, FModified, FVersion, FCommonName};
        LangText::ReadHeader(*FFile, AppTitle(), header);
        FCreated = header.Created;
        FModified = header.Modified;
        FVersion = header.Version;
        FCommonName = LangText::CommonFileName(header.CommonLanguageFile);
    }
    FHandled.clear();
}

void TLangManager::SetLanguageFolder(const QString& folder) {
    if (folder.isEmpty() || !QDir(folder).exists())
        return;
    QString f = QDir::fromNativeSeparators(folder);
    if (!f.endsWith('/'))
        f += '/';
    const QList<LangText::TLanguage> found = LangText::ScanFolder(f, FLangExtension, AppTitle());
    if (found.isEmpty())
        return;
    FLanguageFolder = f;
    FLanguages.clear();
    FLanguageFiles.clear();
    for (const auto& l : found) {
        FLanguages << l.Name;
        FLanguageFiles << l.FileName;
    }
}

QStringList TLangManager::Languages() const {
    return FLanguages;
}

QStringList TLangManager::LanguageFiles() const {
    return FLanguageFiles;
}

void TLangManager::SetLanguage(const QString& name) {
    const qsizetype at = FLanguages.indexOf(name);
    if (at < 0 || FBuild)
        return;
    SetAppFileName(FLanguageFiles[at]);
    OpenCommonFile();
    if (name != FLanguage) {
        FLanguage = name;
        Q_EMIT BeforeLanguageChanged();
        FHandled.clear();
        SendToComponents();
    }
    ApplyKovaBase();
    Q_EMIT LanguageChanged();
}

void TLangManager::OpenCommonFile() {
    const QString folder =
        FLanguageFolder.isEmpty() ? QFileInfo(FAppFileName).absolutePath() + '/' : FLanguageFolder;
    const QString name = folder + FCommonName;
    FCommon.reset();
    if (!FBuild && !QFileInfo::exists(name)) {
        Error(QStringLiteral("Error reading common language file :\r\n%1").arg(name));
        return;
    }
    FCommon = std::make_unique<TIniFile>(name);
}

void TLangManager::SendToComponents() {
    // A component may go while another's form is handled.
    const QList<QPointer<TLangComponent>> components = FComponents;
    for (const auto& c : components)
        if (c) {
            QEvent e(UM_LANGCHANGED);
            QCoreApplication::sendEvent(c, &e);
        }
}

void TLangManager::SetBuildLanguage(bool on) {
    if (on == FBuild)
        return;
    FBuild = on;
    if (on && !FBuildStarted)
        StartBuild();
}

void TLangManager::StartBuild() {
    FBuildStarted = true;
    const QString folder =
        FLanguageFolder.isEmpty() ? QCoreApplication::applicationDirPath() + '/' : FLanguageFolder;
    const QString proposed = folder + QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() +
                             QStringLiteral(".ori");
    const QString name =
        FSaveDialog ? FSaveDialog(BuildTitle, BuildFilter, proposed)
                    : QFileDialog::getSaveFileName(nullptr, BuildTitle, proposed, QtFilter(BuildFilter));
    if (name.isEmpty()) {
        FBuild = false;
        FBuildCancelled = true;
        return;
    }
    FBuildFileName = name;
    FAppFileName = name;
    const QString now = Now();
    FCreated = now;
    FModified = now;
    FVersion = QStringLiteral("0.0.0");
    // The file is made anew and replaces an older one in one step: a build that fails half way
    // leaves the older file as it was.
    FFile = std::make_unique<TIniFile>(name);
    FFile->SetText(QString());
    FFile->SetEncoding(TIniFile::TEncoding::Utf16LE);
    const QString title = AppTitle();
    FFile->WriteString(title, QStringLiteral("Language"), Quoted(QStringLiteral("ORIGINAL")));
    FFile->WriteString(title, QStringLiteral("Created"), Quoted(now));
    FFile->WriteString(title, QStringLiteral("Modified"), Quoted(now));
    FFile->WriteString(title, QStringLiteral("Version"), Quoted(FVersion));
    FFile->WriteString(title, QStringLiteral("CommonLanguageFile"), Quoted(FCommonName));
    if (!FFile->UpdateFile())
        Error(QStringLiteral("Error writing file :\r\n\t%1").arg(name));

    const QString common = QFileInfo(name).absolutePath() + '/' + FCommonName;
    FCommon = std::make_unique<TIniFile>(common);
    if (QFileInfo::exists(common) &&
        Ask(QStringLiteral("Do you want to delete the common language file : \r\n\r\n%1").arg(common)))
        FCommon->SetText(QString());
    if (FCommon->Encoding() != TIniFile::TEncoding::Utf16LE && FCommon->Text().isEmpty())
        FCommon->SetEncoding(TIniFile::TEncoding::Utf16LE);
    const QString cs = LangText::CommonSection();
    FCommon->WriteString(cs, QStringLiteral("Language"), Quoted(QStringLiteral("ORIGINAL")));
    FCommon->WriteString(cs, QStringLiteral("Created"), Quoted(now));
    FCommon->WriteString(cs, QStringLiteral("Modified"), Quoted(now));
    FCommon->WriteString(cs, QStringLiteral("Version"), Quoted(FVersion));
    if (!FCommon->UpdateFile())
        Error(QStringLiteral("Error writing file :\r\n\t%1").arg(common));

    Q_EMIT BeforeLanguageChanged();
    FHandled.clear();
    ApplyKovaBase();
    // Every registered form is written, the first one too.
    SendToComponents();
}

TIniFile* TLangManager::FileFor(bool common) const {
    return common ? FCommon.get() : FFile.get();
}

QString TLangManager::FormSection(const QWidget* form) const {
    const QString cls = QString::fromLatin1(form->metaObject()->className());
    if (FOptions & lmClassNames)
        return cls;
    if (!form->objectName().isEmpty())
        return form->objectName();
    return cls.startsWith('T') ? cls.mid(1) : cls;
}

void TLangManager::HandleForm(QWidget* form, bool force, bool useCommonFile) {
    if (!form)
        return;
    if (FBuild && !FBuildStarted)
        StartBuild();
    if (!FFile)
        return;
    const QString section = FormSection(form);
    if (!force && FHandled.contains(section))
        return;
    if (!FBuild) {
        TLangWalk(*this, form, useCommonFile, false).Run();
    } else if (!FBuildCancelled) {
        TLangWalk(*this, form, useCommonFile, true).Run();
        if (!FFile->UpdateFile())
            Error(QStringLiteral("Error writing file :\r\n\t%1").arg(FFile->FileName()));
        if (FCommon && !FCommon->UpdateFile())
            Error(QStringLiteral("Error writing file :\r\n\t%1").arg(FCommon->FileName()));
    }
    FHandled.insert(section);
}

void TLangManager::RegisterConst(const QString& section, const QString& key, bool useCommonFile,
                                 QString& variable) {
    TIniFile* file = FileFor(useCommonFile);
    if (!file)
        return;
    if (FBuild) {
        if (FBuildStarted && !FBuildCancelled) {
            file->WriteString(section, key, LangText::ConstToFile(variable));
            file->UpdateFile();
        }
        return;
    }
    if (!file->ValueExists(section, key))
        return;
    const QString text = LangText::ConstFromFile(file->ReadString(section, key, QString()));
    if (!text.isEmpty())
        variable = text;
}

void TLangManager::SetKovaBase(TKovaBase* base) {
    FKovaBase = base;
    ApplyKovaBase();
}

void TLangManager::ApplyKovaBase() {
    if (!FKovaBase)
        return;
    QList<QPair<QString, QString>> texts = FKovaBase->Consts();
    TIniFile* file = FileFor(true);
    if (!file)
        return;
    const QString section = LangText::ConstsSection();
    if (FBuild) {
        if (!FBuildStarted || FBuildCancelled)
            return;
        // The built-in texts, whatever a translation made of them before.
        for (auto& [key, text] : texts)
            file->WriteString(section, key, LangText::ConstToFile(TKovaBase::DefaultText(key)));
        file->UpdateFile();
        return;
    }
    for (auto& [key, text] : texts) {
        text = TKovaBase::DefaultText(key);
        if (file->ValueExists(section, key)) {
            const QString t = LangText::ConstFromFile(file->ReadString(section, key, QString()));
            if (!t.isEmpty())
                text = t;
        }
    }
    FKovaBase->ApplyTexts(texts, false);
}

void TLangManager::RegisterComponent(TLangComponent* c) {
    if (c && !FComponents.contains(c))
        FComponents.append(c);
}

void TLangManager::UnregisterComponent(TLangComponent* c) {
    FComponents.removeAll(c);
    FComponents.removeAll(nullptr);
}

TLangComponent* TLangManager::Attach(QWidget* form) {
    auto* c = form->findChild<TLangComponent*>(QString(), Qt::FindDirectChildrenOnly);
    if (!c)
        c = new TLangComponent(form);
    if (c->LanManager() != this) {
        c->SetLanManager(this, false);
        c->Translate();
    }
    return c;
}

void TLangManager::WatchWindows() {
    if (FWatching)
        return;
    FWatching = true;
    qApp->installEventFilter(this);
}

bool TLangManager::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Show && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        const Qt::WindowType type = w->windowType();
        if (w->isWindow() && type != Qt::Popup && type != Qt::ToolTip && OwnWindowClass(w))
            Attach(w);
    }
    return QObject::eventFilter(watched, e);
}

void TLangManager::Error(const QString& text) {
    if (FOperator)
        FOperator->Message(TOperatorIFace::TKind::Error, QString(), text, TOperatorIFace::TButtons::Ok);
    else
        qWarning("%s", qPrintable(text));
}

bool TLangManager::Ask(const QString& text) {
    return FOperator && FOperator->Message(TOperatorIFace::TKind::Confirmation, QString(), text,
                                           TOperatorIFace::TButtons::YesNo) == TOperatorIFace::TAnswer::Yes;
}

// ---------------------------------------------------------------------------------------------

TLangComponent::TLangComponent(QWidget* form) : QObject(form), FForm(form) {}

TLangComponent::~TLangComponent() {
    if (FManager)
        FManager->UnregisterComponent(this);
}

void TLangComponent::SetLanManager(TLangManager* manager, bool post) {
    if (FManager == manager)
        return;
    if (FManager)
        FManager->UnregisterComponent(this);
    FManager = manager;
    if (!manager)
        return;
    manager->RegisterComponent(this);
    if (post)
        QCoreApplication::postEvent(this, new QEvent(UM_LANGCHANGED));
}

void TLangComponent::Translate() {
    if (!FManager || !FForm)
        return;
    FManager->HandleForm(FForm, true, FUseCommon);
    Q_EMIT LanguageChanged();
}

bool TLangComponent::event(QEvent* e) {
    if (e->type() == UM_LANGCHANGED) {
        Translate();
        return true;
    }
    return QObject::event(e);
}
