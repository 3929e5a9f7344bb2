#include "ReportApplication.h"

#include <QGuiApplication>

namespace {

QtMessageHandler gPrevious = nullptr;

// The platform's start complains about a session folder this program never uses; a command-line
// tool keeps its standard error for what it has to say.
void QuietStart(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (gPrevious)
        gPrevious(type, context, text);
}

} // namespace

std::unique_ptr<QCoreApplication> NewReportApplication(int& argc, char** argv) {
    // Whatever the desktop sets: this program has no window to show.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    gPrevious = qInstallMessageHandler(QuietStart);
    return std::make_unique<QGuiApplication>(argc, argv);
}
