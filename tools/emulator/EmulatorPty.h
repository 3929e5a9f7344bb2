#pragma once

#include <QString>

// The emulators' end of a pseudo-terminal. The slave end is held open by the emulator itself, so
// that the line stays up while the program closes and opens its side.
struct TEmulatorPty {
    int LineFd = -1; // master end, read and written by the emulator
    int KeepFd = -1; // the emulator's own handle on the slave end
    QString SlavePath; // what the program opens
};

// A fresh pair, the slave end raw at 9600 baud; false with the reason in errorText.
bool OpenEmulatorPty(TEmulatorPty& pty, QString& errorText);
// Raw bytes at 9600 baud without modem control, as the instrument's and the printer's ports are.
void MakeRawLine(int fd);
// "what: reason" from errno.
QString ErrnoText(const QString& what);

// A fixed name for the slave end (a symbolic link), so that a program can be told the port before
// the emulator runs, and finds it again by name after a restart; one left by a killed emulator is
// replaced. False with the reason in errorText.
bool LinkEmulatorPty(const QString& slavePath, const QString& linkPath, QString& errorText);
// Removes the link when it still leads to slavePath (another emulator may have taken the name).
void UnlinkEmulatorPty(const QString& slavePath, const QString& linkPath);
