#pragma once
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "Qel8624Records.h"

class TQelGlobal;
class TQelTestFiles;

// The instrument's stored tests as the operator sees them and as test documents. Nothing here
// needs a window: the upload dialog and a command-line converter share it.
namespace QelUploads {

// The list row of a directory entry: "3: T-110-4711, Substation North, ONAN 40 MVA, <date>, <time>".
QString ListRow(const TTestInfo& entry);
// The text report of a stored test, line by line as the instrument's records have always been shown.
QString RecordText(const TQelGlobal& global, const TMemoryData& record);
// The tap results a record really holds: the instrument's count clamped to the record's size.
int TapResultCount(const TMemoryData& record);
// "?" for a connection code outside 0 ... 6.
QString ConnectionText(int code);

// While a file of that name exists: digits at the end of the base name count up, else "1" is
// appended (Upload.xml, Upload1.xml, Upload2.xml, ...).
QString FirstFreeFileName(const QString& fileName);

// The stored test written into the open document (a new default one): DUT data, windings, the LV
// tap table and the measurement rows. `notes` gets what the operator must be told (taps whose
// voltage would not be positive). `now` dates rows whose record carries no usable date.
void WriteRecord(TQelGlobal& global, const TMemoryData& record, const TTestInfo& entry, const QDateTime& now,
                 QStringList* notes);

// A new test under `name` holding the stored test, saved as confirmed (as an explicit save is):
// a later "No" to the unsaved-changes question keeps it. An existing test is replaced only when
// replaceAgreed or on the operator's word. False when nothing was written.
bool OpenAsDocument(TQelTestFiles& files, const QString& name, bool replaceAgreed, const TMemoryData& record,
                    const TTestInfo& entry, const QDateTime& now = QDateTime::currentDateTime());

} // namespace QelUploads
