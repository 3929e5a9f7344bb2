#pragma once
#include <QString>

// The folder of the running program, with a trailing separator.
QString ProgramFolder();
// A file the application keeps beside its program ("Qel8625.cfg", "AscInput.cfg",
// "cbFileName.cfg"): in the program's folder (folder, or the running program's when empty), or,
// when that folder is not writable (an installed program), in the user's configuration folder
// under the same name.
QString ProgramFileName(const QString& name, const QString& folder = QString());
