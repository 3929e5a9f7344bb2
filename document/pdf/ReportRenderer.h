#pragma once
#include "PDFReport.h"

#include <QLocale>
#include <QPageSize>

#include <optional>

class QPagedPaintDevice;

// The paper of the locale: Letter where it is the custom (the Americas' Letter countries and
// the Philippines), A4 everywhere else.
QPageSize::PageSizeId PaperOf(const QLocale& locale);

// The report of the saved test file xmlFile on the pages of device (a printer the operator
// chose, in its paper and resolution): the same pages as the PDF. False with error when the
// transform failed or the device cannot be painted on.
bool PaintReport(QPagedPaintDevice& device, const QString& xmlFile, const QString& styleSheetFile,
                 const TReportHead& head, QString* error);

// The PDF report by Qt's own PDF writer: fonts embedded (as subsets), the text kept as text,
// so that it can be searched and copied. The paper is the system locale's unless set.
class TQtReportRenderer : public TReportRenderer {
public:
    std::optional<QPageSize::PageSizeId> Paper;

    QByteArray RenderPDF(const QString& html, const QString& folder, const TReportHead& head,
                         QString* error) const override;
};
