#pragma once
// The main window on a data module of its own, the way the program entry builds them; the
// instrument emulator on a pseudo-terminal when a link is wanted (tests/support/LinkRig.h).
#include "LinkRig.h"
#include "QelFileManagers.h"
#include "QelImage.h"
#include "QelMain.h"
#include "QelTestFiles.h"

struct TMainRig : TLinkRig {
    TQelImage Images;
    std::unique_ptr<TQelTestFiles> Files; // with CreateWithFileManager
    std::unique_ptr<TQelMainForm> Form;

    ~TMainRig() override {
        Form.reset();
        Files.reset();
        Global.reset();
    }

    // As the program entry builds it: the test files first, the file manager on the window.
    void CreateWithFileManager(const QStringList& arguments = {}) {
        CreateGlobal(arguments);
        Files = std::make_unique<TQelTestFiles>(*Global);
        Form = std::make_unique<TQelMainForm>(*Global);
        Form->SetImages(Images);
        Form->SetFileManager(new TFileManager(*Files, Form.get()));
    }

    void Create(const QStringList& arguments = {}) {
        CreateGlobal(arguments);
        Form = std::make_unique<TQelMainForm>(*Global);
        Form->SetImages(Images);
    }

    // The program ended and started again on the same folders.
    void Restart(const QStringList& arguments = {}) {
        Form.reset();
        Files.reset();
        Global.reset();
        Create(arguments);
    }

    // Connected to the emulator and on screen, as after a start with the instrument attached.
    bool CreateShownAndIdle(const QStringList& arguments = {}) {
        Create(arguments);
        Form->show();
        return WaitIdle();
    }

    // The operator's messages that say a function is missing.
    int NotAvailable(const QString& function) const {
        int n = 0;
        for (const QString& t : Operator.Texts())
            if (t.contains(QStringLiteral("\"%1\" is not available yet").arg(function)))
                ++n;
        return n;
    }
};
