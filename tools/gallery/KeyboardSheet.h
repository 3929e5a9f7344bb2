#pragma once
#include <QString>

// The on-screen text keyboard as the operator sees it: a name typed, its list dropped open,
// Shift held for the next key.
bool RenderKeyboardSheet(const QString& path);
