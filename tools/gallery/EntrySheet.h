#pragma once
#include <QString>

// Renders the numeric fields, the number pad and the touch combo boxes into one PNG.
bool RenderEntrySheet(const QString& path);
