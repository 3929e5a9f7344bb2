#include "PDFReport.h"

#include "CSVGrid.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QFileInfo>
#include <QLocale>

TReportHead ReportHeadOf(const TKvXML& doc, const QString& logoFile) {
    TReportHead head;
    head.LogoFile = logoFile;
    head.Name = doc.Data().Name();
    const QFileInfo file(doc.FileName());
    if (head.Name.trimmed().isEmpty())
        head.Name = file.completeBaseName();
    // The time of the first result, as the table shows it.
    const TXMLGridType grid = doc.QEL().Measurement().Grid();
    const int rows = grid.RowCount();
    int timeColumn = 0;
    for (int c = 0; c < grid.ColCount(); ++c)
        if (grid.Cell(c, 0).trimmed() == QLatin1String("Time")) {
            timeColumn = c;
            break;
        }
    for (int r = 1; r < rows && head.Date.isEmpty(); ++r)
        head.Date = grid.Cell(timeColumn, r).trimmed();
    if (head.Date.isEmpty() && file.exists())
        head.Date = QLocale::system().toString(file.lastModified(), QLocale::ShortFormat);
    return head;
}

THTMLTransform TransformForPages(const QString& xmlFile, const QString& styleSheetFile) {
    return TransformTestFile(xmlFile, styleSheetFile, {{QByteArrayLiteral("paged"), QStringLiteral("1")}});
}

bool WritePDFReport(const TReportRenderer& renderer, const QString& xmlFile, const QString& styleSheetFile,
                    const TReportHead& head, const QString& pdfFile, QString* error) {
    const THTMLTransform html = TransformForPages(xmlFile, styleSheetFile);
    if (!html.Ok()) {
        if (error)
            *error = html.Error;
        return false;
    }
    const QByteArray pdf = renderer.RenderPDF(html.Text(), QFileInfo(xmlFile).absolutePath(), head, error);
    if (pdf.isEmpty())
        return false;
    return WriteTextFile(pdfFile, pdf, false, error);
}
