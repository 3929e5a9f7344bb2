#pragma once
#include <QByteArray>
#include <QChar>
#include <QString>

class TKvXML;

// The reports that go beside a saved test: the CSV report for spreadsheets and the HTML
// report for the test record. Both replace their file in one step, so that a crash or a full
// disk leaves the previous report (or none), never a half-written one.

// The CSV report in three sections (device, transformer with windings and tap tables,
// turns-ratio data with the measurement table), fields joined by separator. Numbers carry the
// decimal separator in force (SetDecimalSeparator); cells holding the separator or a quote
// are quoted. The document is only read.
QString CSVReportText(const TKvXML& doc, QChar separator);
// The file's bytes: UTF-8 behind a byte-order mark, by which spreadsheets recognise UTF-8 and
// show umlauts and "°" right.
QByteArray CSVReportBytes(const QString& text);
// Writes the CSV report of doc to fileName. False with error when the file was not replaced.
bool WriteCSVReport(const TKvXML& doc, const QString& fileName, QChar separator, QString* error);

// Writes the saved test file xmlFile, transformed with styleSheetFile, to htmlFile. When a
// logoFile is given and no file of its name lies beside the report, it is copied there, so
// that the report shows it (a failed copy leaves the report without its logo, nothing more).
// False with error when the transform failed or the file was not replaced; an earlier report
// then stays as it was.
bool WriteHTMLReport(const QString& xmlFile, const QString& styleSheetFile, const QString& htmlFile,
                     const QString& logoFile, QString* error);
