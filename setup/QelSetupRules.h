#pragma once
#include <QString>
#include <QStringList>

class TXMLDUTTrafoDataType;

// The rules of the setup page that need no screen: the configuration text of the transformer,
// the temperature units, the condition texts and the entries of the port selector.
namespace QelSetup {

// "Dyn11", "YNyn0d5": the HV connection, the LV connection in lower case and its phase
// displacement, then the TV winding the same way while it takes part. "?" stands for a
// displacement not set (255); an HV or LV connection not set (15) gives "????".
QString TrafoConfigurationText(const TXMLDUTTrafoDataType& data);

double CelsiusToFahrenheit(double celsius);
double FahrenheitToCelsius(double fahrenheit);
// The ambient temperature field's unit and range: -15.0 ... 100.0 °C, 5.0 ... 212.0 °F.
struct TTemperatureScale {
    QString Unit;
    double Min;
    double Max;
};
TTemperatureScale TemperatureScale(int temperatureUnit);

// A condition as stored ("1024 hPA", "20", "68.0 °F"): the number and the unit that follows it,
// the unit compared with `unit` without regard to case. False when no number leads the text.
bool ReadCondition(const QString& text, double& value, QString* unitFound = nullptr);
bool SameUnit(const QString& a, const QString& b);

// The port selector: the ports the system has, the stored name where it is none of them, and
// the empty entry (no instrument port).
QStringList PortEntries(const QStringList& systemPorts, const QString& stored);

} // namespace QelSetup
