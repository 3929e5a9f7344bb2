#include "PopupPanelLayout.h"

#include <algorithm>

namespace {
// A fixed column count must hold every item: rounding the rows per column down would
// push the last items into a column beyond the window.
int RowsPerColumn(int rows, int columns) {
    return (rows + columns - 1) / columns;
}
} // namespace

TPopupLayout LayoutPopup(const TPopupLayoutInput& in, int n) {
    TPopupLayout out;
    if (n <= 0 || in.Items.isEmpty() || in.Item.width() <= 0 || in.Item.height() <= 0)
        return out;

    const int w = in.Item.width();
    const int h = in.Item.height();
    const int c = std::max(in.Columns, 0);
    const int screenW = in.Screen.width();
    const int screenH = in.Screen.height();
    // Work in coordinates relative to the screen's top-left corner.
    const int buttonLeft = in.Button.left() - in.Screen.left();
    const int buttonWidth = in.Button.width();
    int left = buttonLeft;
    int top = in.Button.top() - in.Screen.top() + in.Button.height();
    const int y = top;

    int r = (screenH - y) / h - in.RowAllowance;
    if (r <= 0)
        r = std::max(top / h - 1, 1);

    int width = 0;
    if (in.MenuButton && n > 1) {
        r = std::min(r, n - 1);
        if (c > 0) {
            r = n;
            width = c * w + 11;
        } else {
            width = w * ((n - 2) / r + 1) + 11;
            if (width > screenW) {
                r = std::min(width, screenW) / w + 1;
                width = w * ((n - 2) / r + 1) + 11;
            }
        }
        left = (buttonLeft - 6 + width > screenW) ? buttonLeft + buttonWidth - width + 6 : buttonLeft - 6;
    } else {
        if (c > 0) {
            r = n;
            width = c * w + 11;
        } else {
            r = std::min(r, n);
            width = w * ((n - 1) / r + 1) + 11;
        }
        left = buttonLeft - 6;
    }

    int height = c > 0 ? RowsPerColumn(r, c) * h + 11 : r * h + 11;
    if (c == 0 && width > screenW)
        height += 10;
    if (in.FrameAllowance) {
        width += 8;
        height += 8;
    }

    if (height + y + h >= screenH && y - h - height > 0) {
        left -= 3;
        top = top - height - h;
        out.Above = true;
    }
    left = std::max(left, 0);
    top = std::max(top, 0);
    if (left + width >= screenW) {
        left = std::max(0, w + left - width + 6);
        if (left == 0)
            width = screenW - 10;
    }
    out.Geometry = QRect(left + in.Screen.left(), top + in.Screen.top(), width, height);

    const int perColumn = c > 0 ? RowsPerColumn(r, c) : r;
    for (int p = 0; p < in.Items.size(); ++p) {
        const int column = p / perColumn;
        const int row = p % perColumn;
        out.CellTopLeft << QPoint(column * w + 3, 3 + row * h);
    }
    return out;
}
