#include "TestDirs.h"

#include <QFile>
#include <QtGlobal>

QString SourceDir() {
    return qEnvironmentVariable("QEL_SOURCE_DIR");
}

QByteArray ReadBytes(const QString& fileName) {
    QFile f(fileName);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteBytes(const QString& fileName, const QByteArray& data) {
    QFile f(fileName);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

bool InstallVectorGroupTable(const QString& folder) {
    const QString name = QStringLiteral("VectorGroupTable.csv");
    const QByteArray table = ReadBytes(SourceDir() + QStringLiteral("/data/") + name);
    return !table.isEmpty() && WriteBytes(folder + '/' + name, table);
}
