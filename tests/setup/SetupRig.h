#pragma once
// Header only: the setup tests link the setup library themselves.
//
// A data module in simulation with the committed vector group table beside its program and a new
// test document with the windings a new document gets, saved; helpers that act as the operator.
#include <QTest>

#include "CaptionButton.h"
#include "LinkRig.h"
#include "PopupPanel.h"
#include "QelGlobals.h"
#include "QelTrafoWindings.h"
#include "QelWindings.h"
#include "TestDirs.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

struct TSetupRig : TLinkRig {
    QString File = App.filePath(QStringLiteral("setup.xml"));

    bool Start() {
        if (!InstallVectorGroupTable(App.path()))
            return false;
        CreateGlobal({QStringLiteral("/SIM")});
        if (!Global->LoadVectorGroupTable() || !Global->NewDocument(File))
            return false;
        QelWindings::GiveDefaultWindings(Global->Doc().DUTTrafoData());
        return Global->DocumentChanged();
    }
    // The three winding frames on screen, loaded (they follow the document from then on).
    bool ShowPage() {
        Page = std::make_unique<TQelTrafoWindingsFrame>(*Global);
        Page->resize(780, 420);
        Page->Load();
        Page->show();
        return QTest::qWaitForWindowExposed(Page.get());
    }
    std::unique_ptr<TQelTrafoWindingsFrame> Page; // goes before the data module

    TQelGlobal& G() { return *Global; }
    TXMLWindingType Winding(int w) { return Global->Doc().DUTTrafoData().Winding().Item(w); }
    QByteArray FileBytes() const { return ReadBytes(File); }
};

// A finger on the middle of a control.
inline void Tap(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
}

// The operator picks entry k from a selector's pop-up.
inline bool Pick(TCaptionButton* button, int k) {
    button->PerformClick();
    if (!button->IsPopupOpen() || !button->PopupWindow()->ItemButton(k))
        return false;
    button->PopupWindow()->ItemButton(k)->PerformClick();
    return QTest::qWaitFor([button] { return !button->IsPopupOpen(); }, 5000);
}

// The captions of a selector's entries.
inline QStringList Captions(const TCaptionButton* button) {
    QStringList out;
    for (int k = 0; k < button->CaptionItems().size(); ++k)
        out << button->ItemCaption(k);
    return out;
}
