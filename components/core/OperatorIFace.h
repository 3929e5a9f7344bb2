#pragma once
#include <QString>

// How non-visual code (data module, document component, instrument thread) speaks to the
// operator. The user interface implements it with modal message boxes; tests record what
// was said and give scripted answers. Keeps instrument/ and document/ free of widgets.
class TOperatorIFace {
public:
    enum class TKind { Information, Confirmation, Warning, Error };
    enum class TButtons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class TAnswer { Ok, Cancel, Yes, No };

    virtual ~TOperatorIFace() = default;

    // A modal message with fixed text; returns the button the operator pressed.
    virtual TAnswer Message(TKind kind, const QString& title, const QString& text,
                            TButtons buttons = TButtons::Ok) = 0;
    virtual void Beep() = 0;
    // The hourglass while the application is busy with a file; nothing by default.
    virtual void SetBusy(bool /*busy*/) {}

    void Inform(const QString& text, const QString& title = QString()) {
        Message(TKind::Information, title, text);
    }
    void Error(const QString& text, const QString& title = QString()) { Message(TKind::Error, title, text); }
};
