#include "XMLPreview.h"

#include <QFileInfo>

namespace {
constexpr qint64 kMaxResourceBytes = 5 * 1024 * 1024;
}

TXMLPreviewBrowser::TXMLPreviewBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
}

void TXMLPreviewBrowser::ShowHtml(const QString& html, const QString& baseFolder) {
    FRequested.clear();
    setSearchPaths({baseFolder});
    document()->setBaseUrl(QUrl::fromLocalFile(baseFolder.endsWith('/') ? baseFolder : baseFolder + '/'));
    setHtml(html);
}

QVariant TXMLPreviewBrowser::loadResource(int type, const QUrl& name) {
    FRequested << name;
    // Only a local file, and not a huge one: a picture beside the test (the company logo).
    const QUrl resolved = document()->baseUrl().resolved(name);
    if (!resolved.isLocalFile())
        return QVariant();
    const QFileInfo fi(resolved.toLocalFile());
    if (!fi.isFile() || fi.size() > kMaxResourceBytes)
        return QVariant();
    return QTextBrowser::loadResource(type, resolved);
}
