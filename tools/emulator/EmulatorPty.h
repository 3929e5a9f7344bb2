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
