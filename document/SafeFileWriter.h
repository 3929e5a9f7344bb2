#pragma once
#include <QByteArray>
#include <QString>

// Replacing files so that no crash, power cut or full disk can leave a truncated one.
// New content goes to a temporary file in the same folder ("<name>.~tmp" + random letters),
// is flushed to the disk and only then renamed over the target, which the file system does
// in one step. A failure leaves the target as it was.

// Writes content in place of path. When rollingBackup is given, it holds the previous
// version of path afterwards (a missing path removes it); making the backup is best effort.
// False with a message naming the file when the new content could not be put in place.
bool ReplaceFile(const QString& path, const QByteArray& content, const QString& rollingBackup,
                 QString* error);

// A complete copy of from under the name to, or nothing at all.
bool CopyFileSafely(const QString& from, const QString& to, QString* error);

// from takes the place of to in one step of the file system: at every instant to is either
// its old or its new content, and nothing is deleted first. On failure both stay as they were.
bool MoveFileOver(const QString& from, const QString& to, QString* error);

// Temporary files of path left behind by an interrupted save.
void RemoveStaleTemporaries(const QString& path);
