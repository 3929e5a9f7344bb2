#pragma once
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

// The unit list of quantity fields: index -> unit text, rebuilt after a language change.
class TSIConversion {
public:
    TSIConversion();
    // SI text with zeros killed and no width, followed by the unit of that index.
    QString SIToStr(int unitIndex, int decimals, double value) const;
    QString SIUnit(int unitIndex) const;
    // The value of text by the SI reader, or def when the text does not read.
    double StrToSI(const QString& text, int unitIndex, double def) const;
    int Count() const { return static_cast<int>(FUnits.size()); }
    void Rebuild(const QStringList& units) { FUnits = units; }

private:
    QStringList FUnits;
};

// Shared state of the component library: its translatable texts (section "KvConsts")
// and the unit list. One per process, owned by the application's data module.
class TKovaBase : public QObject {
    Q_OBJECT
public:
    explicit TKovaBase(QObject* parent = nullptr);

    // Every KvConsts entry in registration order: key and current text.
    const QList<QPair<QString, QString>>& Consts() const { return FConsts; }
    QString Text(const QString& key) const;
    // The built-in (untranslated) text of a key, for controls that were given no TKovaBase.
    static QString DefaultText(const QString& key);
    // Replace the texts of the given keys (a translation) and rebuild what depends on them:
    // the prefix letters of the SI reader unless building, and the unit list.
    void ApplyTexts(const QList<QPair<QString, QString>>& texts, bool building = false);

    TSIConversion& SIConversion() { return FConversion; }
    const TSIConversion& SIConversion() const { return FConversion; }

Q_SIGNALS:
    void TextsChanged();

private:
    void Rebuild(bool building);
    QList<QPair<QString, QString>> FConsts;
    TSIConversion FConversion;
};
