#include "TestDirs.h"

#include <QtGlobal>

QString SourceDir() {
    return qEnvironmentVariable("QEL_SOURCE_DIR");
}
