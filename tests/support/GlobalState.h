#pragma once
#include <QLocale>
#include <QStringList>

#include <array>

#include "EntrySwitches.h"
#include "SIPrefixes.h"

// The process-wide state that the code under test changes: the default locale, the decimal
// separator and prefix letters of the number texts, and the entry switches that the data module's
// settings turn on. A guard puts all of it back when it goes out of scope, so that a check failing
// halfway through a test cannot leave the next one with a comma separator or the touch keyboard on.
class TGlobalStateGuard {
public:
    TGlobalStateGuard()
        : FLocale(QLocale()), FSeparator(DecimalSeparator()), FSwitches{TEntrySwitches::TouchEntry,
                                                                        TEntrySwitches::TouchEntryWide,
                                                                        TEntrySwitches::InputLists,
                                                                        TEntrySwitches::InputListsWide} {
        for (int exponent = -15; exponent <= 15; exponent += 3)
            FLetters << PrefixLetter(exponent);
    }
    ~TGlobalStateGuard() {
        QLocale::setDefault(FLocale);
        SetDecimalSeparator(FSeparator);
        SetPrefixLetters(FLetters);
        TEntrySwitches::TouchEntry = FSwitches[0];
        TEntrySwitches::TouchEntryWide = FSwitches[1];
        TEntrySwitches::InputLists = FSwitches[2];
        TEntrySwitches::InputListsWide = FSwitches[3];
    }
    TGlobalStateGuard(const TGlobalStateGuard&) = delete;
    TGlobalStateGuard& operator=(const TGlobalStateGuard&) = delete;

private:
    QLocale FLocale;
    QChar FSeparator;
    QStringList FLetters;
    std::array<bool, 4> FSwitches;
};
