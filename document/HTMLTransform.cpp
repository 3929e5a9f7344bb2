#include "HTMLTransform.h"

#include "XMLDocReader.h"
#include "XMLTextWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>
#include <QUrl>

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxslt/documents.h>
#include <libxslt/imports.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/variables.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <cstdarg>
#include <cstdio>
#include <limits>
#include <mutex>

namespace {

// Everything is read without the network, without substituting entities and without loading
// or applying a document type; whatever a caller or the library asks for besides is dropped.
constexpr int kSafeOptions = XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
constexpr int kUnsafeOptions = XML_PARSE_NOENT | XML_PARSE_DTDLOAD | XML_PARSE_DTDATTR | XML_PARSE_DTDVALID |
                               XML_PARSE_XINCLUDE | XML_PARSE_HUGE | XML_PARSE_OLDSAX;

// What one transform heard from the libraries. Transforms are serialised, so one is enough.
struct TRun {
    QString Messages;
    QStringList Refused; // what the style sheet was not allowed to do
};
TRun* gRun = nullptr;

void Collect(void* ctx, const char* format, ...) {
    auto* run = static_cast<TRun*>(ctx);
    if (!run)
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (run->Messages.size() < 4000)
        run->Messages += QString::fromUtf8(text);
}

int Refuse(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* value) {
    if (gRun)
        gRun->Refused << QString::fromUtf8(value ? value : "");
    return 0;
}

xsltSecurityPrefsPtr Prefs() {
    static const xsltSecurityPrefsPtr prefs = [] {
        xsltSecurityPrefsPtr p = xsltNewSecurityPrefs();
        for (const xsltSecurityOption option : {XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY,
                                                XSLT_SECPREF_READ_NETWORK, XSLT_SECPREF_WRITE_NETWORK})
            xsltSetSecurityPrefs(p, option, Refuse);
        return p;
    }();
    return prefs;
}

bool IsNetwork(const xmlChar* uri) {
    const QString scheme = QUrl(QString::fromUtf8(reinterpret_cast<const char*>(uri))).scheme();
    // A one-letter scheme is a drive letter.
    return scheme.size() > 1 && scheme.compare(QLatin1String("file"), Qt::CaseInsensitive) != 0;
}

xsltDocLoaderFunc gLibraryLoader = nullptr;

// Every document the library loads itself (imports, includes, document()): never from the
// network, always with the safe options.
xmlDocPtr SafeLoader(const xmlChar* uri, xmlDictPtr dict, int options, void* ctxt, xsltLoadType type) {
    if (!uri || IsNetwork(uri)) {
        if (gRun)
            gRun->Refused << QString::fromUtf8(uri ? reinterpret_cast<const char*>(uri) : "");
        return nullptr;
    }
    return gLibraryLoader(uri, dict, (options & ~kUnsafeOptions) | kSafeOptions, ctxt, type);
}

void SetUpOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        gLibraryLoader = xsltDocDefaultLoader;
        xsltSetLoaderFunc(SafeLoader);
        // Imports and includes are checked while a style sheet is compiled, before any context.
        xsltSetDefaultSecurityPrefs(Prefs());
    });
}

// The libraries' error channels lead into the run while it lasts.
class TErrorChannels {
public:
    explicit TErrorChannels(TRun& run)
        : FXml(xmlGenericError), FXmlCtx(xmlGenericErrorContext), FXslt(xsltGenericError),
          FXsltCtx(xsltGenericErrorContext) {
        gRun = &run;
        xmlSetGenericErrorFunc(&run, Collect);
        xsltSetGenericErrorFunc(&run, Collect);
    }
    ~TErrorChannels() {
        xmlSetGenericErrorFunc(FXmlCtx, FXml);
        xsltSetGenericErrorFunc(FXsltCtx, FXslt);
        gRun = nullptr;
    }
    TErrorChannels(const TErrorChannels&) = delete;
    TErrorChannels& operator=(const TErrorChannels&) = delete;

private:
    xmlGenericErrorFunc FXml;
    void* FXmlCtx;
    xmlGenericErrorFunc FXslt;
    void* FXsltCtx;
};

// The libraries' messages on one line, without their bare "error" headings.
QString Trimmed(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(u'\n')) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && t != QLatin1String("error"))
            lines << t;
    }
    return lines.join(QLatin1String("; "));
}

// bytes as an XML document, or null with error set.
xmlDocPtr ParseXML(const QByteArray& bytes, const QString& fileName, QString* error) {
    xmlParserCtxtPtr parser = xmlNewParserCtxt();
    if (!parser) {
        *error = QStringLiteral("%1: out of memory").arg(fileName);
        return nullptr;
    }
    const QByteArray url = QFile::encodeName(QFileInfo(fileName).absoluteFilePath());
    xmlDocPtr doc = xmlCtxtReadMemory(parser, bytes.constData(), int(bytes.size()), url.constData(), nullptr,
                                      kSafeOptions);
    if (!doc) {
        const xmlError* e = xmlCtxtGetLastError(parser);
        *error = e && e->message ? QStringLiteral("%1(%2): %3")
                                       .arg(fileName)
                                       .arg(e->line)
                                       .arg(Trimmed(QString::fromUtf8(e->message)))
                                 : QStringLiteral("%1: not well-formed").arg(fileName);
    }
    xmlFreeParserCtxt(parser);
    return doc;
}

// The test file as libxml2 reads it; a file only the document reader can decode (an 8-bit file
// without declaration) is handed over in the form the program writes.
xmlDocPtr ParseTestFile(const QByteArray& bytes, const QString& fileName, QString* error) {
    if (bytes.size() > std::numeric_limits<int>::max() / 2) {
        *error = QStringLiteral("%1: too large").arg(fileName);
        return nullptr;
    }
    if (xmlDocPtr doc = ParseXML(bytes, fileName, error))
        return doc;
    pugi::xml_document dom;
    if (!ReadXMLDocument(bytes, dom).Ok)
        return nullptr;
    QString ignored;
    xmlDocPtr doc = ParseXML(XMLFileBytes(dom, false, QString()), fileName, &ignored);
    if (doc)
        error->clear();
    return doc;
}

struct TFreeDoc {
    void operator()(xmlDocPtr d) const { xmlFreeDoc(d); }
};
struct TFreeStyle {
    void operator()(xsltStylesheetPtr s) const { xsltFreeStylesheet(s); }
};
struct TFreeContext {
    void operator()(xsltTransformContextPtr c) const { xsltFreeTransformContext(c); }
};
using TDoc = std::unique_ptr<xmlDoc, TFreeDoc>;

} // namespace

QString THTMLTransform::Text() const {
    QStringDecoder decoder(Encoding.isEmpty() ? "UTF-8" : Encoding.toLatin1().constData());
    if (!decoder.isValid())
        return QString::fromUtf8(Html);
    return decoder(Html);
}

THTMLTransform TransformTestFile(const QString& xmlFile, const QString& styleSheetFile,
                                 const TXSLTParams& params) {
    QFile in(xmlFile);
    if (!in.open(QIODevice::ReadOnly)) {
        THTMLTransform out;
        out.Error = QStringLiteral("%1: %2").arg(xmlFile, in.errorString());
        return out;
    }
    return TransformTestXML(in.readAll(), xmlFile, styleSheetFile, params);
}

THTMLTransform TransformTestXML(const QByteArray& xml, const QString& baseFile, const QString& styleSheetFile,
                                const TXSLTParams& params) {
    static std::mutex serial;
    const std::lock_guard<std::mutex> hold(serial);
    SetUpOnce();

    THTMLTransform out;
    TRun run;
    const TErrorChannels channels(run);
    const auto fail = [&](const QString& why) {
        out.Error = why;
        out.Html.clear();
        return out;
    };

    QFile sheetFile(styleSheetFile);
    if (styleSheetFile.trimmed().isEmpty())
        return fail(QStringLiteral("No style sheet"));
    if (!sheetFile.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1: %2").arg(styleSheetFile, sheetFile.errorString()));
    QString error;
    TDoc sheetDoc(ParseXML(sheetFile.readAll(), styleSheetFile, &error));
    if (!sheetDoc)
        return fail(error);
    std::unique_ptr<xsltStylesheet, TFreeStyle> style(xsltParseStylesheetDoc(sheetDoc.get()));
    if (!style || style->errors > 0) {
        if (style) // the style sheet owns its document from here on, also when it has errors
            sheetDoc.release();
        return fail(
            QStringLiteral("%1: not a usable style sheet%2")
                .arg(styleSheetFile, run.Messages.isEmpty() ? QString() : ": " + Trimmed(run.Messages)));
    }
    sheetDoc.release();

    TDoc doc(ParseTestFile(xml, baseFile, &error));
    if (!doc)
        return fail(error);

    std::unique_ptr<xsltTransformContext, TFreeContext> ctxt(xsltNewTransformContext(style.get(), doc.get()));
    if (!ctxt)
        return fail(QStringLiteral("%1: out of memory").arg(baseFile));
    xsltSetCtxtSecurityPrefs(Prefs(), ctxt.get());
    xsltSetCtxtParseOptions(ctxt.get(), kSafeOptions);
    xsltSetTransformErrorFunc(ctxt.get(), &run, Collect);
    for (const auto& [name, value] : params)
        if (xsltQuoteOneUserParam(ctxt.get(), reinterpret_cast<const xmlChar*>(name.constData()),
                                  reinterpret_cast<const xmlChar*>(value.toUtf8().constData())) != 0)
            return fail(QStringLiteral("Parameter %1 not accepted").arg(QString::fromLatin1(name)));

    TDoc result(xsltApplyStylesheetUser(style.get(), doc.get(), nullptr, nullptr, nullptr, ctxt.get()));
    if (!run.Refused.isEmpty())
        return fail(QStringLiteral("%1: the style sheet may not reach %2")
                        .arg(styleSheetFile, run.Refused.join(", ")));
    if (!result || ctxt->state != XSLT_STATE_OK)
        return fail(QStringLiteral("%1: the transform of %2 failed%3")
                        .arg(styleSheetFile, baseFile,
                             run.Messages.isEmpty() ? QString() : ": " + Trimmed(run.Messages)));

    xmlChar* text = nullptr;
    int size = 0;
    if (xsltSaveResultToString(&text, &size, result.get(), style.get()) != 0)
        return fail(QStringLiteral("%1: the result could not be written").arg(baseFile));
    out.Html = QByteArray(reinterpret_cast<const char*>(text), size);
    xmlFree(text);
    const xmlChar* encoding = nullptr;
    XSLT_GET_IMPORT_PTR(encoding, style.get(), encoding)
    out.Encoding =
        encoding ? QString::fromUtf8(reinterpret_cast<const char*>(encoding)) : QStringLiteral("UTF-8");
    return out;
}
