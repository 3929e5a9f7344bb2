#include "ReportRenderer.h"

#include "ReportPages.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>

QPageSize::PageSizeId PaperOf(const QLocale& locale) {
    switch (locale.territory()) {
    case QLocale::UnitedStates:
    case QLocale::Canada:
    case QLocale::Mexico:
    case QLocale::Belize:
    case QLocale::Chile:
    case QLocale::Colombia:
    case QLocale::CostaRica:
    case QLocale::ElSalvador:
    case QLocale::Guatemala:
    case QLocale::Nicaragua:
    case QLocale::Panama:
    case QLocale::PuertoRico:
    case QLocale::Venezuela:
    case QLocale::Philippines:
        return QPageSize::Letter;
    default:
        return QPageSize::A4;
    }
}

bool PaintReport(QPagedPaintDevice& device, const QString& xmlFile, const QString& styleSheetFile,
                 const TReportHead& head, QString* error) {
    const THTMLTransform html = TransformForPages(xmlFile, styleSheetFile);
    if (!html.Ok()) {
        if (error)
            *error = html.Error;
        return false;
    }
    TReportPages pages(html.Text(), QFileInfo(xmlFile).absolutePath(), head);
    return pages.Paint(device, error);
}

QByteArray TQtReportRenderer::RenderPDF(const QString& html, const QString& folder, const TReportHead& head,
                                        QString* error) const {
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Application Software 8625"));
        writer.setTitle(QStringLiteral("Turns Ratio Test ") + head.Name);
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(Paper.value_or(PaperOf(QLocale::system()))),
                                         QPageLayout::Portrait, QMarginsF(12, 10, 12, 10),
                                         QPageLayout::Millimeter));
        TReportPages pages(html, folder, head);
        if (!pages.Paint(writer, error))
            return {};
    } // the writer finishes the file as it goes
    if (pdf.isEmpty() && error)
        *error = QStringLiteral("no PDF was made");
    return pdf;
}
