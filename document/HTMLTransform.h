#pragma once
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// The HTML form of a test: the test file transformed by an XSLT 1.0 style sheet (libxslt).
// Used for the HTML report beside a saved test, the preview of a test file and the reports
// made outside the program. Nothing is read from the network and no external entity or
// document type is loaded, for the test file as for the style sheet and whatever it
// imports; the style sheet may neither write files nor make folders (its attempts are
// refused and fail the transform). Call from one thread at a time; calls are serialised.

struct THTMLTransform {
    QByteArray Html;  // the result, in the encoding of the style sheet's output
    QString Encoding; // that encoding ("UTF-8" for KovaDoc.xsl)
    QString Error;    // why there is no result; empty on success

    bool Ok() const { return Error.isEmpty(); }
    // The result as text (a QTextBrowser's setHtml takes it).
    QString Text() const;
};

// Top-level parameters of the style sheet, each passed as a plain string (never evaluated).
using TXSLTParams = QList<QPair<QByteArray, QString>>;

// The test file xmlFile (as the program writes it, or any file the document component loads)
// transformed with the style sheet file.
THTMLTransform TransformTestFile(const QString& xmlFile, const QString& styleSheetFile,
                                 const TXSLTParams& params = {});
// The same for the bytes of a test file; baseFile is the name relative references resolve
// against (the folder the test lies in).
THTMLTransform TransformTestXML(const QByteArray& xml, const QString& baseFile, const QString& styleSheetFile,
                                const TXSLTParams& params = {});
