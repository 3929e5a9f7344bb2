// The HTML transform on arbitrary test file bytes with the shipped style sheet: whatever the
// bytes, it ends with a result or an error, never both.
#include "HTMLTransform.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const THTMLTransform html =
        TransformTestXML(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                         QStringLiteral("/nonexistent/fuzz.xml"), QStringLiteral(QEL_STYLESHEET));
    // Any test file the parser accepts becomes a whole page; anything else leaves nothing.
    if (html.Ok() ? !html.Html.contains("<html") : !html.Html.isEmpty())
        std::abort();
    return 0;
}
