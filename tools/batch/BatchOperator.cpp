#include "BatchOperator.h"

#include <QRegularExpression>

QString TConsoleOperator::OneLine(const QString& text) {
    static const QRegularExpression breaks(QStringLiteral("[\\r\\n\\t]+"));
    QString line = text;
    line.replace(breaks, QStringLiteral(" "));
    return line.trimmed();
}

void TConsoleOperator::Say(const QString& text) {
    std::fprintf(FOut, "qel8625-batch: %s\n", qUtf8Printable(OneLine(text)));
    std::fflush(FOut);
}

TOperatorIFace::TAnswer TConsoleOperator::Message(TKind kind, const QString&, const QString& text,
                                                  TButtons buttons) {
    // The box titles (the configuration section, "System") say nothing on a console.
    if (kind == TKind::Error)
        ++FErrors;
    const QString& line = text;
    switch (buttons) {
    case TButtons::Ok:
        Say(line);
        return TAnswer::Ok;
    case TButtons::OkCancel:
        // An error box with OK and Cancel only informs: either button goes on.
        if (kind == TKind::Confirmation) {
            Say(line + QStringLiteral(" - Cancel"));
            return TAnswer::Cancel;
        }
        Say(line);
        return TAnswer::Ok;
    case TButtons::YesNo:
    case TButtons::YesNoCancel:
        break;
    }
    Say(line + QStringLiteral(" - No"));
    return TAnswer::No;
}
