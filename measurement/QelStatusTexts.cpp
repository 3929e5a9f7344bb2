#include "QelStatusTexts.h"

#include <QDir>
#include <QFileInfo>

QString TestStatusName(TestStatus status) {
    static const char* const names[] = {"Idle",           "CheckConn",   "CheckConfig",  "CheckDispl",
                                        "Measuring",      "TapWait",     "SysIntegrity", "CheckVoltage",
                                        "FloatingInputs", "UnsavedData", "NoMemory",     "EmergencyStop",
                                        "OutOfRange",     "OverCurrent", "ConfigFault",  "ReversedConn"};
    const int i = int(status);
    if (i >= 0 && i < int(std::size(names)))
        return QString::fromLatin1(names[i]);
    return QString::number(i);
}

QString CommandTypeName(int commandType) {
    static const char* const names[] = {"TESTSETUP",     "TESTRUN",        "TESTHALT",  "TESTCONTINUE",
                                        "TESTGETSTATUS", "TESTGETRESULTS", "TESTGETTAP"};
    if (commandType >= 11 && commandType <= 17)
        return QString::fromLatin1(names[commandType - 11]);
    return QString::number(commandType);
}

QString AlarmText(TestStatus status) {
    switch (status) {
    case TestStatus::EmergencyStop:
        return QStringLiteral("Emergency Stop");
    case TestStatus::OutOfRange:
        return QStringLiteral("Out of Range");
    case TestStatus::OverCurrent:
        return QStringLiteral("Over Current");
    case TestStatus::ConfigFault:
        return QStringLiteral("Configuration Fault");
    case TestStatus::ReversedConn:
        return QStringLiteral("Reversed Connection");
    default:
        return QString();
    }
}

bool TestInProgress(TestStatus status) {
    return status != TestStatus::Idle && int(status) < int(TestStatus::EmergencyStop);
}

QString ShortDocumentName(const QString& fileName) {
    if (fileName.isEmpty())
        return QString();
    const QFileInfo file(fileName);
    const QString root = QDir::rootPath();
    const QString base = file.completeBaseName();
    const QString folder = file.absolutePath(); // the file need not exist
    if (folder == root)
        return root + base;
    const bool deeper = QFileInfo(folder).path() != root;
    return root + (deeper ? QStringLiteral("../") : QString()) + QFileInfo(folder).fileName() + '/' + base;
}

TTitleColours TitleColours(TestStatus status) {
    if (TestInProgress(status))
        return {Qt::red, QColor(128, 0, 0), QColor(81, 0, 0), Qt::yellow};
    return {Qt::yellow, Qt::yellow, QColor(128, 128, 0), Qt::black};
}
