#pragma once
#include <QString>

// The "Load File" dialog on a folder of tests, one of them chosen.
bool RenderDialogSheet(const QString& path);
