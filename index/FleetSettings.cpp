#include "FleetSettings.h"

#include "IniFile.h"

#include <QFile>
#include <QStringList>

bool TFleetSettings::ValidTLSMode(const QString& mode) {
    static const QStringList modes = {"disable", "allow", "prefer", "require", "verify-ca", "verify-full"};
    return modes.contains(mode);
}

TFleetSettings TFleetSettings::Read(const QString& configFile) {
    TFleetSettings s;
    const TIniFile ini(configFile);
    const QString section = Section();
    s.Host = ini.ReadString(section, QStringLiteral("Host"), s.Host).trimmed();
    s.Port = ini.ReadInteger(section, QStringLiteral("Port"), s.Port);
    s.Database = ini.ReadString(section, QStringLiteral("Database"), s.Database).trimmed();
    s.User = ini.ReadString(section, QStringLiteral("User"), s.User).trimmed();
    s.TLSMode = ini.ReadString(section, QStringLiteral("TLSMode"), s.TLSMode).trimmed().toLower();
    s.PasswordFile = ini.ReadString(section, QStringLiteral("PasswordFile"), s.PasswordFile).trimmed();
    s.ConnectTimeoutS = qBound(1, ini.ReadInteger(section, QStringLiteral("ConnectTimeout"), s.ConnectTimeoutS), 60);
    s.PasswordInConfiguration = ini.ValueExists(section, QStringLiteral("Password"));
    return s;
}

QString TFleetSettings::Password(const QProcessEnvironment& env, QString* error) const {
    if (!PasswordFile.isEmpty()) {
        QFile f(PasswordFile);
        if (!f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(PasswordFile, f.errorString());
            return {};
        }
        QByteArray line = f.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        return QString::fromUtf8(line);
    }
    return env.value(QStringLiteral("QEL8625_FLEET_PASSWORD"));
}

QString TFleetSettings::ConnectOptions() const {
    // A server that stops answering is noticed within half a minute instead of never.
    return QStringLiteral("sslmode=%1;connect_timeout=%2;keepalives=1;keepalives_idle=10;keepalives_interval=5;"
                          "keepalives_count=3")
        .arg(ValidTLSMode(TLSMode) ? TLSMode : QStringLiteral("prefer"))
        .arg(ConnectTimeoutS);
}
