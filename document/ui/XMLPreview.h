#pragma once
#include <QTextBrowser>

// The preview of a test file: HTML as the document's transform writes it, shown without scripts
// (a text browser runs none) and without anything from outside the computer: every resource that
// is not a local file is refused, links do not open.
class TXMLPreviewBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit TXMLPreviewBrowser(QWidget* parent = nullptr);
    // Resources asked for since the last page, refused ones included (for the tests).
    const QList<QUrl>& Requested() const { return FRequested; }
    void ShowHtml(const QString& html, const QString& baseFolder);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QList<QUrl> FRequested;
};
