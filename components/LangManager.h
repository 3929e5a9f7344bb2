#pragma once
#include <QEvent>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;
class TIniFile;
class TKovaBase;
class TLangComponent;
class TOperatorIFace;

// The translate request a language component sends itself (and the manager sends to all).
constexpr QEvent::Type UM_LANGCHANGED = QEvent::Type(4044);

// Tags (the dynamic property "Tag" of a widget): 98 keeps a component out of the language files
// (its text is data the program sets: a value, a file name, a port), 99 keeps its texts in the
// common file.
constexpr int LangTagNever = 98;
constexpr int LangTagCommon = 99;
int LangTag(const QObject* o);
void SetLangTag(QObject* o, int tag);

enum TLMOption { lmNumUnits = 0x1, lmClassNames = 0x2 };

// Translates the user interface at run time from language files, or, building, writes the
// original files (".ori") a translator starts from. Every form is walked through its widget
// tree: the form, then each widget it holds (embedded frames with their own, owned windows
// skipped), each handled by its kind; keys are the name path of the widget inside its form
// ("bnClose.Caption", "sbDataStorage.List[2]"). The texts of the component library (TKovaBase)
// are in the common file's section "KvConsts".
class TLangManager : public QObject {
    Q_OBJECT
public:
    explicit TLangManager(QObject* parent = nullptr);
    ~TLangManager() override;

    // Where questions and errors go; message boxes need one (nothing is said without).
    void SetOperator(TOperatorIFace* op) { FOperator = op; }
    // The save dialog of the build: title, filter, proposed name -> chosen name (empty: cancel).
    using TSaveDialog =
        std::function<QString(const QString& title, const QString& filter, const QString& proposed)>;
    void SetSaveDialog(TSaveDialog dialog) { FSaveDialog = std::move(dialog); }

    // The header section's name; the application's name unless set.
    QString AppTitle() const;
    void SetAppTitle(const QString& title) { FAppTitle = title; }

    QString AppFileName() const { return FAppFileName; }
    void SetAppFileName(const QString& fileName);
    // Set only when the folder exists and holds at least one language file.
    QString LanguageFolder() const { return FLanguageFolder; }
    void SetLanguageFolder(const QString& folder);
    QString Language() const { return FLanguage; }
    // An unknown name changes nothing.
    void SetLanguage(const QString& name);
    QStringList Languages() const;
    QStringList LanguageFiles() const;
    QString Created() const { return FCreated; }
    QString Modified() const { return FModified; }
    QString Version() const { return FVersion; }
    // The common file named by the language file in use (a plain file name).
    QString CommonLanguageFile() const { return FCommonName; }
    QString LangExtension() const { return FLangExtension; }
    void SetLangExtension(const QString& ext) { FLangExtension = ext; }
    int Options() const { return FOptions; }
    void SetOptions(int options) { FOptions = options; }

    bool BuildLanguage() const { return FBuild; }
    // Switched on, the build starts: save dialog, original file, question about the common file.
    void SetBuildLanguage(bool on);
    // The original file being written (empty until the build started).
    QString BuildFileName() const { return FBuildFileName; }

    // Translates (or, building, writes) a form: once per language unless forced.
    void HandleForm(QWidget* form, bool force, bool useCommonFile);
    // A text of section (normally "KvConsts") in the common file: translated into variable, or
    // written from it while building.
    void RegisterConst(const QString& section, const QString& key, bool useCommonFile, QString& variable);
    // The library's texts: registered now and again after every language change.
    void SetKovaBase(TKovaBase* base);

    void RegisterComponent(TLangComponent* c);
    void UnregisterComponent(TLangComponent* c);
    // Every window of the application's own (a class of its own, named "T...") gets a language
    // component when it is first shown, so that dialogs made on first use are translated too.
    void WatchWindows();
    // The form's language component (made when it has none), registered and translated now.
    TLangComponent* Attach(QWidget* form);

    // The section a form's texts stand in.
    QString FormSection(const QWidget* form) const;

Q_SIGNALS:
    void BeforeLanguageChanged();
    // After every change of language, once all registered forms were translated.
    void LanguageChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    friend class TLangWalk;
    void OpenCommonFile();
    void StartBuild();
    void SendToComponents();
    void ApplyKovaBase();
    void Error(const QString& text);
    bool Ask(const QString& text);
    TIniFile* FileFor(bool common) const;

    TOperatorIFace* FOperator = nullptr;
    TSaveDialog FSaveDialog;
    QString FAppTitle;
    QString FAppFileName;
    QString FLanguageFolder;
    QString FLanguage = QStringLiteral("English");
    QString FCreated;
    QString FModified;
    QString FVersion;
    QString FCommonName;
    QString FLangExtension = QStringLiteral(".lan");
    int FOptions = lmNumUnits;
    QStringList FLanguages;
    QStringList FLanguageFiles;
    std::unique_ptr<TIniFile> FFile;
    std::unique_ptr<TIniFile> FCommon;
    QSet<QString> FHandled;
    QList<QPointer<TLangComponent>> FComponents;
    QPointer<TKovaBase> FKovaBase;
    bool FBuild = false;
    bool FBuildStarted = false;
    bool FBuildCancelled = false;
    QString FBuildFileName;
    bool FWatching = false;
};

// Sits on a form and connects it to a manager: on the translate request the manager handles
// the form (with force), then LanguageChanged is emitted.
class TLangComponent : public QObject {
    Q_OBJECT
public:
    explicit TLangComponent(QWidget* form);
    ~TLangComponent() override;

    QWidget* Form() const { return FForm; }
    TLangManager* LanManager() const { return FManager; }
    // Registers with the manager and posts the translate request to itself.
    void SetLanManager(TLangManager* manager, bool post = true);
    bool UseCommonLanguageFile() const { return FUseCommon; }
    void SetUseCommonLanguageFile(bool on) { FUseCommon = on; }
    // The request, handled now (what the posted request does when it arrives).
    void Translate();

Q_SIGNALS:
    void LanguageChanged();

protected:
    bool event(QEvent* e) override;

private:
    QPointer<QWidget> FForm;
    QPointer<TLangManager> FManager;
    bool FUseCommon = false;
};
