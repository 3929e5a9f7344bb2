#pragma once
#include "OperatorIFace.h"

#include <QString>

#include <cstdio>

// The operator of a command-line run: every message goes to standard error as one line, and
// nobody answers questions. A question gets the cautious answer (No, Cancel), so nothing is
// replaced or discarded without a person's word.
class TConsoleOperator : public TOperatorIFace {
public:
    explicit TConsoleOperator(std::FILE* out = stderr) : FOut(out) {}

    TAnswer Message(TKind kind, const QString& title, const QString& text, TButtons buttons) override;
    void Beep() override {}

    // A message of the run itself, in the same form.
    void Say(const QString& text);
    int Errors() const { return FErrors; }

    // The message boxes' texts on one line: line breaks and tabs become single blanks.
    static QString OneLine(const QString& text);

private:
    std::FILE* FOut;
    int FErrors = 0;
};
