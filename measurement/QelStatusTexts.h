#pragma once
#include <QColor>
#include <QString>

#include "Qel8624Protocol.h"

// Texts and colours by which the main window, the live display and the measurement page show
// what the instrument is doing. One table, so every screen names a state the same way.

// "Idle", "CheckConn", ... "ReversedConn"; a number outside the table shows as that number.
QString TestStatusName(TestStatus status);
// "TESTSETUP" ... "TESTGETTAP" for the test commands 11 ... 17, the number for any other.
QString CommandTypeName(int commandType);
// The banner text of an alarm status (11 ... 15), empty for every other status.
QString AlarmText(TestStatus status);
// Whether the instrument is busy with a test: every status except Idle and the alarms.
bool TestInProgress(TestStatus status);

// A document path as the title bar shows it: the root, "..", the folder that holds the file
// and the file name without extension ("/../Data/Qel8625"). Long data paths would push the
// section name out of a 800-pixel title bar.
QString ShortDocumentName(const QString& fileName);

// Title bar face: black on yellow while idle or alarmed, yellow on red while a test runs.
struct TTitleColours {
    QColor Start, Mid, End, Text;
    bool operator==(const TTitleColours&) const = default;
};
TTitleColours TitleColours(TestStatus status);
