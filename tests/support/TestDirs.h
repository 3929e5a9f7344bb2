#pragma once
#include <QString>

// Folder of the checked-out source tree (for data files the tests read).
QString SourceDir();
