#pragma once
#include <QDialog>

class TNumEdit;
class TPanelButton;
class TQelGlobal;
class TQelImage;

// The limits dialog ("Analysis Limits"): the largest relative ratio and phase errors of the
// current test that still count as passed (green) and as attention (yellow). OK writes them into
// the test, saves it and has the pages redraw their bands; Cancel leaves the test as it was.
// Created for one modal use by the "More Analysis" key.
class TAnalysisParams : public QDialog {
    Q_OBJECT
public:
    explicit TAnalysisParams(TQelGlobal& global, QWidget* parent = nullptr);
    void SetImages(const TQelImage& images);

    TNumEdit* edRelRatioErrGreen;
    TNumEdit* edRelRatioErrYellow;
    TNumEdit* edRelPhaseErrGreen;
    TNumEdit* edRelPhaseErrYellow;
    TPanelButton* bnOk;
    TPanelButton* bnCancel;

    // OK: refused with a message while a limit is negative or green lies above yellow.
    void bnOkClick();
    void bnCancelClick() { reject(); }

    static const QString NegativeText;
    static const QString OrderText;

private:
    TQelGlobal& FGlobal;
};
