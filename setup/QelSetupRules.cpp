#include "QelSetupRules.h"

#include "Qel8624Protocol.h"
#include "SIPrefixes.h"
#include "XMLQel.h"

namespace QelSetup {

namespace {

QString Displacement(int clock, bool trailingBlank) {
    switch (clock) {
    case Qel8624::ClockNotSet:
        return QStringLiteral("?");
    case Qel8624::ClockArbitrary:
        return trailingBlank ? QStringLiteral(" Arbitrary Phaseshift ")
                             : QStringLiteral(" Arbitrary Phaseshift");
    case Qel8624::ClockArbitraryAuto:
        return trailingBlank ? QStringLiteral(" APS Auto Trafo ") : QStringLiteral(" APS Auto Trafo");
    default:
        return QString::number(clock);
    }
}

} // namespace

QString TrafoConfigurationText(const TXMLDUTTrafoDataType& data) {
    const auto windings = data.Winding();
    if (windings.Count() < 2)
        return QStringLiteral("????");
    const TXMLWindingType hv = windings.Item(0);
    const TXMLWindingType lv = windings.Item(1);
    const int hvCode = hv.Configuration().Value();
    const int lvCode = lv.Configuration().Value();
    if (hvCode == Qel8624::conNotSet || lvCode == Qel8624::conNotSet)
        return QStringLiteral("????");
    QString text = ConfigurationText(hvCode) + ConfigurationText(lvCode).toLower() +
                   Displacement(lv.VectorGroup().Value(), true);
    if (windings.Count() > 2 && windings.Item(2).Avail() == 1) {
        const TXMLWindingType tv = windings.Item(2);
        text += ConfigurationText(tv.Configuration().Value()).toLower() +
                Displacement(tv.VectorGroup().Value(), false);
    }
    return text;
}

double CelsiusToFahrenheit(double celsius) {
    return celsius * 9.0 / 5.0 + 32.0;
}

double FahrenheitToCelsius(double fahrenheit) {
    return (fahrenheit - 32.0) * 5.0 / 9.0;
}

TTemperatureScale TemperatureScale(int temperatureUnit) {
    if (temperatureUnit == 1)
        return {QStringLiteral("°F"), CelsiusToFahrenheit(-15.0), CelsiusToFahrenheit(100.0)};
    return {QStringLiteral("°C"), -15.0, 100.0};
}

bool SameUnit(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

bool ReadCondition(const QString& text, double& value, QString* unitFound) {
    // The number alone: a unit such as "hPA" must not be taken for a prefix.
    const QString t = text.trimmed();
    qsizetype end = 0;
    while (end < t.size() && (t[end].isDigit() || t[end] == '.' || t[end] == '+' || t[end] == '-' ||
                              ((t[end] == 'E' || t[end] == 'e') && end > 0 && end + 1 < t.size() &&
                               (t[end + 1].isDigit() || t[end + 1] == '-' || t[end + 1] == '+'))))
        ++end;
    if (end == 0 || !ReadSI(t.left(end), value))
        return false;
    if (unitFound)
        *unitFound = t.mid(end).trimmed();
    return true;
}

QStringList PortEntries(const QStringList& systemPorts, const QString& stored) {
    QStringList entries = systemPorts;
    entries.removeAll(QString());
    entries.removeDuplicates();
    entries.sort();
    if (!stored.isEmpty() && !entries.contains(stored))
        entries.prepend(stored);
    entries << QString();
    return entries;
}

} // namespace QelSetup
