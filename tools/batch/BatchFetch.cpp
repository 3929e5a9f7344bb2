// fetch --port PORT [--out DIR] [--delete]: the instrument's stored tests as test documents.
#include "BatchArguments.h"
#include "BatchCommands.h"
#include "BatchOperator.h"

int RunFetch(const TBatchArguments&, TConsoleOperator& op) {
    op.Say(QStringLiteral("fetch is not available yet"));
    return bsInstrument;
}
