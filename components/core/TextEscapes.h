#pragma once
#include <QString>

// Multi-line text on one line (the notes of a test document, the cells of a CSV file):
// "\\", "\t", "\n", "\r"; other control characters are dropped. Unescaping keeps a
// backslash with any other following character and drops a lone backslash at the very end.
QString EscapeBackslashes(const QString& text);
QString UnescapeBackslashes(const QString& stored);
