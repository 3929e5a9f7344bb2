// The language of the user interface, chosen on the Options tab and kept in the configuration.
#include "QelSetup.h"

#include "CaptionItems.h"
#include "IniFile.h"
#include "LangManager.h"
#include "PanelButton.h"
#include "QelGlobals.h"

namespace {

const QString SetupSection = QStringLiteral("Setup");
const QString LanguageKey = QStringLiteral("Language");

} // namespace

QString TQelSetupFrame::ConfiguredLanguage(const QString& configFile) {
    return TIniFile(configFile).ReadString(SetupSection, LanguageKey, QStringLiteral("English"));
}

void TQelSetupFrame::SetLanguageManager(TLangManager* languages) {
    if (!FLanguages && languages)
        connect(bnLanguage, &TPanelButton::Click, this, &TQelSetupFrame::bnLanguageClick);
    FLanguages = languages;
    QStringList names = languages ? languages->Languages() : QStringList();
    const QString current = languages ? languages->Language() : QStringLiteral("English");
    if (!names.contains(current))
        names.prepend(current);
    QStringList items;
    for (const QString& name : names)
        items << CaptionItem::Make(name);
    const bool updating = FUpdating;
    FUpdating = true;
    bnLanguage->SetCaptionItems(items);
    bnLanguage->SetStateMax(int(items.size()) - 1);
    bnLanguage->SetState(int(names.indexOf(current)));
    FUpdating = updating;
}

void TQelSetupFrame::bnLanguageClick() {
    if (FUpdating || !FLanguages)
        return;
    const QString name = bnLanguage->ItemCaption(bnLanguage->State());
    TIniFile ini(FGlobal.ConfigFileName);
    ini.WriteString(SetupSection, LanguageKey, name);
    ini.UpdateFile();
    FLanguages->SetLanguage(name);
}
