#pragma once
#include <QString>

// Folder of the checked-out source tree (for data files the tests read).
QString SourceDir();

// A whole file's bytes (empty when it cannot be read), and a file made of bytes.
QByteArray ReadBytes(const QString& fileName);
bool WriteBytes(const QString& fileName, const QByteArray& data);

// The committed "VectorGroupTable.csv" into folder, where a data module whose program lies there
// reads it (TQelGlobal::LoadVectorGroupTable).
bool InstallVectorGroupTable(const QString& folder);
