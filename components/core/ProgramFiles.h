#pragma once
#include <QString>

// The folder of the running program, with a trailing separator.
QString ProgramFolder();
// True when programFolder (the running program's when empty) is the program folder of an
// installation (<prefix>/bin beside <prefix>/share/qel8625) or that installation's data folder:
// such a folder belongs to the system, whatever its permissions say.
bool IsInstalledFolder(const QString& programFolder = QString());
// The folder the shipped files are read from ("VectorGroupTable.csv", "KovaDoc.xsl",
// "company.jpg", the operating instructions), with a trailing separator: beside the program in a
// build tree, <prefix>/share/qel8625/ for an installed program in <prefix>/bin.
QString ProgramDataFolder(const QString& programFolder = QString());
// A file the application keeps beside its program ("Qel8625.cfg", "AscInput.cfg",
// "cbFileName.cfg", "LastFiles.cfg"): in the program's folder (folder, or the running program's
// when empty), or, when that folder is not writable or belongs to an installation, in the user's
// configuration folder under the same name.
QString ProgramFileName(const QString& name, const QString& folder = QString());
// Says under the logging category "qel.files" where a shipped file was looked for and whether it
// is there, so that an installation can be checked without a screen.
void TraceShippedFile(const char* role, const QString& file);
