#pragma once
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

class QObject;
class QWidget;
class TIniFile;
class TLangManager;

// One pass over a form for the language manager: every widget it holds, by kind, translated
// from the language file or (building) written into it.
//
// Keys. A widget is named by its object name; one without a name (or with Qt's own "qt_" name,
// which is never shown) is named as a designer would name it: its class without the leading
// letter and a number counting such widgets of its frame or form ("Label3", "GroupBox1").
// An embedded frame (a class "T...Frame") owns the widgets inside it: their texts stand in the
// frame's own section under their plain names, so that every instance of the frame shares them,
// and the form's section may override one instance under the path through the frames
// ("SetupFrame.Windings.HVSideDef.Label2.Caption"). Windows the form owns are skipped: they are
// forms of their own.
//
// A text the program has changed since the last translation (a value shown in a label) is left
// alone; a list keeps its number of entries and its selection.
class TLangWalk {
public:
    TLangWalk(TLangManager& manager, QWidget* form, bool useCommonFile, bool building);
    void Run();

private:
    struct TOwner {
        QString Section;
        QHash<QString, int> Unnamed; // class -> count
        QHash<QString, int> Names;   // name -> times used
    };
    struct TKey {
        QString FormPath; // from the form
        QString OwnSection;
        QString OwnPath; // inside its frame or form
        bool Common = false;
    };

    void Walk(QWidget* parent, TOwner& owner, const QString& formPrefix);
    QString NameOf(QWidget* w, TOwner& owner) const;
    void Handle(QWidget* w, const TKey& key);

    bool Lookup(const TKey& key, const QString& suffix, QString& value) const;
    bool ReadText(QObject* w, const TKey& key, const char* what, const QString& current, QString& text);
    void WriteText(const TKey& key, const QString& suffix, const QString& text);
    // Texts of the list keys 0, 1, ... up to the first missing one (empty ones included).
    QStringList ReadList(const TKey& key) const;
    void WriteList(const TKey& key, const QStringList& items, bool captionItems = false);
    // The list as translated, never longer or shorter than items.
    QStringList Translated(QObject* w, const TKey& key, const QStringList& items, bool captionItems);

    void Text(QObject* w, const TKey& key, const char* suffix, const QString& current,
              const std::function<void(const QString&)>& set);

    TLangManager& FManager;
    QWidget* FForm;
    bool FUseCommon;
    bool FBuilding;
    QString FFormSection;
    TIniFile* FFile;
    TIniFile* FCommon;
};
