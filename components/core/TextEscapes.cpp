#include "TextEscapes.h"

QString EscapeBackslashes(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        default:
            if (ch.unicode() >= 32)
                out += ch;
        }
    }
    return out;
}

QString UnescapeBackslashes(const QString& stored) {
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar ch = stored[i];
        if (ch != u'\\') {
            out += ch;
            continue;
        }
        if (++i >= stored.size())
            break;
        switch (stored[i].unicode()) {
        case '\\':
            out += u'\\';
            break;
        case 't':
            out += u'\t';
            break;
        case 'n':
            out += u'\n';
            break;
        case 'r':
            out += u'\r';
            break;
        default:
            out += u'\\';
            out += stored[i];
        }
    }
    return out;
}
