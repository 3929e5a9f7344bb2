#include "ReportPages.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextOption>
#include <QUrl>

namespace {

constexpr double kHeadMM = 15; // logo, name and date, and the rule under them
constexpr double kFootMM = 7;  // the page number
constexpr double kLogoMM = 10;
const QColor kRule(0x1d, 0x4f, 0x91);

// A report reads pictures beside its test and nothing else: no folder, no scheme, no network.
class TReportText : public QTextDocument {
public:
    explicit TReportText(const QString& folder) : FFolder(folder) {}

protected:
    QVariant loadResource(int type, const QUrl& name) override {
        if (type != QTextDocument::ImageResource || !name.scheme().isEmpty() || !name.host().isEmpty())
            return {};
        const QString file = name.path();
        if (file.isEmpty() || file.contains(u'/') || file.contains(u'\\') || file == QLatin1String("..") ||
            FFolder.isEmpty())
            return {};
        const QImage image(QDir(FFolder).filePath(file));
        return image.isNull() ? QVariant() : QVariant(image);
    }

private:
    QString FFolder;
};

QFont HeadFont(double points, bool bold, QPaintDevice* device) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return QFont(font, device);
}

} // namespace

TReportPages::TReportPages(const QString& html, const QString& folder, const TReportHead& head)
    : FDoc(std::make_unique<TReportText>(folder)), FHead(head) {
    FDoc->setDocumentMargin(0);
    // Words stay whole ("Phaseshift" is not broken into "Phas" and "eshift"); a column takes the
    // width of its longest word, and a table too wide for the page is drawn smaller.
    QTextOption wrap = FDoc->defaultTextOption();
    wrap.setWrapMode(QTextOption::WordWrap);
    FDoc->setDefaultTextOption(wrap);
    FDoc->setHtml(html);
    if (!head.LogoFile.isEmpty())
        FLogo.load(head.LogoFile);
}

TReportPages::~TReportPages() = default;

bool TReportPages::Paint(QPagedPaintDevice& device, QString* error) {
    QPainter p;
    if (!p.begin(&device)) {
        if (error)
            *error = QStringLiteral("the report's pages cannot be painted");
        return false;
    }
    const double mm = device.logicalDpiY() / 25.4;
    const QRectF page(0, 0, device.width(), device.height());
    const double headHeight = kHeadMM * mm;
    const double footHeight = kFootMM * mm;
    const QSizeF body(page.width(), page.height() - headHeight - footHeight);

    // Measured in the device's own units, as it will be drawn.
    FDoc->documentLayout()->setPaintDevice(&device);
    FDoc->setPageSize(body);
    FScale = 1;
    const double wide = FDoc->documentLayout()->documentSize().width();
    if (wide > body.width() + 0.5) {
        // What does not fit across is drawn smaller, as a whole: every column stays on the page.
        FScale = body.width() / wide;
        FDoc->setPageSize(body / FScale);
    }
    const QSizeF view = FDoc->pageSize();
    FPages = FDoc->pageCount();
    for (int i = 0; i < FPages; ++i) {
        if (i > 0)
            device.newPage();
        PaintHead(p, page, headHeight, i);
        PaintFoot(p, page, footHeight, i);
        p.save();
        p.translate(0, headHeight);
        p.scale(FScale, FScale);
        const QRectF shown(QPointF(0, i * view.height()), view);
        p.translate(0, -shown.top());
        p.setClipRect(shown);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = shown;
        FDoc->documentLayout()->draw(&p, context);
        p.restore();
    }
    p.end();
    return true;
}

void TReportPages::PaintHead(QPainter& p, const QRectF& page, double headHeight, int) const {
    const double mm = p.device()->logicalDpiY() / 25.4;
    const double rule = headHeight - 3 * mm;
    if (!FLogo.isNull()) {
        const double h = kLogoMM * mm;
        const double w = h * FLogo.width() / FLogo.height();
        p.drawImage(QRectF(0, rule - 1.5 * mm - h, w, h), FLogo);
    }
    p.setPen(Qt::black);
    const QFont name = HeadFont(10, true, p.device());
    const QFont date = HeadFont(8, false, p.device());
    const double dateHeight = QFontMetricsF(date).height();
    const QRectF dateBox(0, rule - 1.2 * mm - dateHeight, page.width(), dateHeight);
    p.setFont(date);
    p.drawText(dateBox, Qt::AlignRight | Qt::AlignBottom, FHead.Date);
    const double nameHeight = QFontMetricsF(name).height();
    p.setFont(name);
    p.drawText(QRectF(0, dateBox.top() - nameHeight, page.width(), nameHeight), Qt::AlignRight | Qt::AlignBottom,
               FHead.Name);
    p.setPen(QPen(kRule, 0.8 * p.device()->logicalDpiY() / 72.0)); // 0.8 pt
    p.drawLine(QPointF(0, rule), QPointF(page.width(), rule));
}

void TReportPages::PaintFoot(QPainter& p, const QRectF& page, double footHeight, int index) const {
    const QFont font = HeadFont(7.5, false, p.device());
    p.setFont(font);
    p.setPen(QColor(0x55, 0x55, 0x55));
    const QRectF box(0, page.height() - footHeight, page.width(), footHeight);
    p.drawText(box, Qt::AlignRight | Qt::AlignBottom,
               QStringLiteral("Page %1 of %2").arg(index + 1).arg(FPages));
    p.drawText(box, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Turns Ratio Test ") + FHead.Name);
}
