#pragma once
#include "HTMLTransform.h"

#include <QByteArray>
#include <QString>

class TKvXML;

// The PDF report of a test: the HTML report (the same transform with the same style sheet)
// laid out on pages. The layout and painting need Qt Gui, which this library never reaches:
// a renderer is handed in at start-up (document/pdf, TQtReportRenderer) and the writers here
// only transform, hand over and replace the file.

// What every page carries besides its part of the report.
struct TReportHead {
    QString Name;     // the test's name
    QString Date;     // when the test was measured (the first result), else when it was saved
    QString LogoFile; // the company logo; none when empty or missing
};

class TReportRenderer {
public:
    virtual ~TReportRenderer() = default;
    // The PDF of html, the transform's output. Pictures the report names are read only from
    // folder (a plain file name beside the test); nothing else is read. Empty with error when
    // no PDF could be made. Safe to call from several threads.
    virtual QByteArray RenderPDF(const QString& html, const QString& folder, const TReportHead& head,
                                 QString* error) const = 0;
};

// The page head of the test in doc, with the logo file of the report.
TReportHead ReportHeadOf(const TKvXML& doc, const QString& logoFile);

// The HTML report of the test file for pages: the running head carries the logo, so the
// report's own title leaves it out (the style sheet's parameter "paged").
THTMLTransform TransformForPages(const QString& xmlFile, const QString& styleSheetFile);

// Writes the PDF report of the saved test file xmlFile to pdfFile, replacing it in one step:
// a crash or a full disk leaves the previous report (or none), never a part of one. False with
// error when the transform, the rendering or the write failed.
bool WritePDFReport(const TReportRenderer& renderer, const QString& xmlFile, const QString& styleSheetFile,
                    const TReportHead& head, const QString& pdfFile, QString* error);
