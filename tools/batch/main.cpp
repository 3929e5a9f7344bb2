// qel8625-batch: the product's tests from a command line, without a window (and without a display:
// the PDF reports are laid out on the offscreen platform).
#include "BatchArguments.h"
#include "BatchCommands.h"
#include "BatchOperator.h"
#include "ReportApplication.h"
#include "ReportRenderer.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>

int main(int argc, char* argv[]) {
    // The PDF reports are laid out by Qt Gui, on the offscreen platform.
    const std::unique_ptr<QCoreApplication> app = NewReportApplication(argc, argv);
    TQtReportRenderer renderer;
    // The same name as the application: an installed tool keeps its files in its folder.
    QCoreApplication::setApplicationName(QStringLiteral("Application Software 8625"));
    // The data module's traces stay out of the progress lines (QT_LOGGING_RULES still wins).
    QLoggingCategory::setFilterRules(QStringLiteral("qel.*.debug=false"));

    const TBatchArguments a = ParseBatchArguments(QCoreApplication::arguments().mid(1));
    if (!a.Ok()) {
        std::fprintf(stderr, "qel8625-batch: %s\nTry \"qel8625-batch --help\".\n", qUtf8Printable(a.Error));
        return bsUsage;
    }
    TConsoleOperator op;
    switch (a.Command) {
    case TBatchArguments::TCommand::Help:
        std::fputs(qUtf8Printable(BatchHelpText()), stdout);
        return bsOk;
    case TBatchArguments::TCommand::Fetch:
        return RunFetch(a, op, &renderer);
    case TBatchArguments::TCommand::Report:
        return RunReport(a, op, &renderer);
    case TBatchArguments::TCommand::Merge:
        return RunMerge(a, op);
    case TBatchArguments::TCommand::Index:
        return RunIndex(a, op);
    case TBatchArguments::TCommand::History:
        return RunHistory(a, op);
    case TBatchArguments::TCommand::Sync:
        return RunSync(a, op);
    }
    return bsUsage;
}
