#pragma once
#include "OperatorIFace.h"

#include <QList>
#include <QString>

#include <functional>

// Records every message the code under test shows and answers from a script
// (the default answer when the script is empty).
class TRecordingOperator : public TOperatorIFace {
public:
    struct TEntry {
        TKind Kind;
        QString Title;
        QString Text;
        TButtons Buttons;
    };

    TAnswer Message(TKind kind, const QString& title, const QString& text, TButtons buttons) override {
        Entries.append({kind, title, text, buttons});
        if (WhileShown) // what happens while a modal box would wait for the operator
            WhileShown(text);
        return Answers.isEmpty() ? DefaultAnswer : Answers.takeFirst();
    }
    void Beep() override { ++Beeps; }

    QStringList Texts() const {
        QStringList t;
        for (const auto& e : Entries)
            t << e.Text;
        return t;
    }

    QList<TEntry> Entries;
    QList<TAnswer> Answers;
    TAnswer DefaultAnswer = TAnswer::Ok;
    std::function<void(const QString& text)> WhileShown;
    int Beeps = 0;
};
