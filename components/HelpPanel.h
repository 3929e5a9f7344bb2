#pragma once
#include <QRect>

class QFrame;
class QLabel;
class QWidget;

// The hint panel of the on-screen pads and keyboards ("pnHelp" with its label "lbHelp"): a sunken
// pale yellow panel with word-wrapped text, the label inset by margin.
QFrame* NewHelpPanel(QWidget* parent, const QRect& geometry, int margin, int pixelSize, QLabel** label);
