#pragma once
#include "PDFReport.h"

#include <QImage>
#include <QString>

#include <memory>

class QPagedPaintDevice;
class QPainter;
class QRectF;
class QTextDocument;

// The HTML report laid out on the pages of a paged device (a PDF writer or a printer), each
// page with the running head (logo, test name, date) and "Page n of m". The header rows of a
// table are repeated on every page it runs over. A report wider than the page (the thirteen
// columns of the results) is drawn smaller as a whole, never cut at the right edge. Pictures
// are read only as plain file names from the folder given; nothing else is loaded.
class TReportPages {
public:
    TReportPages(const QString& html, const QString& folder, const TReportHead& head);
    ~TReportPages();
    TReportPages(const TReportPages&) = delete;
    TReportPages& operator=(const TReportPages&) = delete;

    // Paints every page on device, in its page layout and resolution. False with error when
    // the device cannot be painted on.
    bool Paint(QPagedPaintDevice& device, QString* error);
    // After Paint: the number of pages and the factor the report was drawn at (1: as designed).
    int PageCount() const { return FPages; }
    double Scale() const { return FScale; }

private:
    void PaintHead(QPainter& p, const QRectF& page, double headHeight, int index) const;
    void PaintFoot(QPainter& p, const QRectF& page, double footHeight, int index) const;

    std::unique_ptr<QTextDocument> FDoc;
    TReportHead FHead;
    QImage FLogo;
    int FPages = 0;
    double FScale = 1;
};
