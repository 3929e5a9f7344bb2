#pragma once
// Shared by the tools that draw pictures of real windows for docs/.
#include "OperatorIFace.h"

#include <QEventLoop>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>

// Quietly: the pictures show the windows, not a message box.
class TSilentOperator : public TOperatorIFace {
public:
    TAnswer Message(TKind, const QString&, const QString& text, TButtons) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return TAnswer::Ok;
    }
    void Beep() override {}
};

inline bool SaveSheet(QWidget& w, const QString& file) {
    // Laid out and painted before the picture is taken.
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    const bool saved = w.grab().save(file);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
    return saved;
}
