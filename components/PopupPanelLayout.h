#pragma once
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// Where a pop-up of item buttons goes and how its cells are arranged. Kept free of widgets
// so that the placement rules can be checked for any screen.
struct TPopupLayoutInput {
    QRect Button;     // the owner button in screen coordinates
    QRect Screen;     // the screen it is on
    QSize Item;       // size of one cell
    int Columns = 0;  // fixed number of columns, 0 = as many as needed
    QList<int> Items; // item numbers that get a cell, in order
    bool MenuButton = false;
    int RowAllowance = 0;        // rows kept free below the pop-up (the 8-bit button keeps one)
    bool FrameAllowance = false; // windows that draw a frame around the client area
};

struct TPopupLayout {
    QRect Geometry;            // the pop-up window; empty when there is nothing to show
    QList<QPoint> CellTopLeft; // one per entry of Items, relative to the pop-up
    bool Above = false;        // opened above the button
};

// n is the number of items counted for the rows; in menu mode it includes the face item.
TPopupLayout LayoutPopup(const TPopupLayoutInput& in, int n);
