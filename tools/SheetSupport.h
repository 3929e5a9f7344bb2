#pragma once
// Shared by the tools that draw pictures of real windows for docs/.
#include "OperatorIFace.h"

#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>

// Quietly: the pictures show the windows, not a message box. A question is answered Yes when
// AnswerYes is set (a test that goes on), else OK.
class TSilentOperator : public TOperatorIFace {
public:
    bool AnswerYes = false;
    TAnswer Message(TKind, const QString&, const QString& text, TButtons buttons) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        const bool question = buttons == TButtons::YesNo || buttons == TButtons::YesNoCancel;
        return AnswerYes && question ? TAnswer::Yes : TAnswer::Ok;
    }
    void Beep() override {}
};

inline bool SaveSheet(QWidget& w, const QString& file, int settleMs = 300) {
    // Laid out and painted before the picture is taken.
    QEventLoop settle;
    QTimer::singleShot(settleMs, &settle, &QEventLoop::quit);
    settle.exec();
    const bool saved = w.grab().save(file);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
    return saved;
}
