// The command line of qel8625-batch as anyone may type it (arguments split at NUL bytes):
// every line is either refused with a reason or gives a command that has what it needs.
#include "BatchArguments.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList args;
    for (const QByteArray& a : bytes.split('\0'))
        args << QString::fromUtf8(a);
    const TBatchArguments r = ParseBatchArguments(args);
    if (!r.Ok())
        return 0;
    using C = TBatchArguments::TCommand;
    if (r.Command == C::Fetch && (r.Port.isEmpty() || !r.Files.isEmpty()))
        std::abort();
    if (r.Command == C::Report && (r.Files.isEmpty() || !(r.Csv || r.Html)))
        std::abort();
    if (r.Command == C::Merge && r.Files.size() != 1)
        std::abort();
    if (r.Command != C::Fetch && (r.Delete || !r.Port.isEmpty()))
        std::abort();
    return 0;
}
