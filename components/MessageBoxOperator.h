#pragma once
#include "OperatorIFace.h"

class QWidget;

// The operator interface on screen: modal QMessageBox with the exact texts.
class TMessageBoxOperator : public TOperatorIFace {
public:
    explicit TMessageBoxOperator(QWidget* parent = nullptr) : FParent(parent) {}
    void SetParent(QWidget* parent) { FParent = parent; }
    TAnswer Message(TKind kind, const QString& title, const QString& text, TButtons buttons) override;
    void Beep() override;
    void SetBusy(bool busy) override;

private:
    QWidget* FParent;
};
