#include "XMLKvBase.h"

#include "SIPrefixes.h"

#include <QByteArray>

#include <cmath>

QString FormatXMLNumber(double value) {
    return FormatGeneral(value);
}

bool ParseXMLInt(const char* text, int& value) {
    bool ok = false;
    const int v = QByteArray(text).trimmed().toInt(&ok);
    if (ok)
        value = v;
    return ok;
}

QString TXMLNodeBinding::TextAttr(const char* name) const {
    return QString::fromUtf8(FNode.attribute(name).value());
}

void TXMLNodeBinding::SetTextAttr(const char* name, const QString& value) const {
    pugi::xml_attribute a = FNode.attribute(name);
    if (!a)
        a = FNode.append_attribute(name);
    a.set_value(value.toUtf8().constData());
}

int TXMLNodeBinding::IntAttr(const char* name) const {
    int v = 0;
    ParseXMLInt(FNode.attribute(name).value(), v);
    return v;
}

void TXMLNodeBinding::SetIntAttr(const char* name, int value) const {
    pugi::xml_attribute a = FNode.attribute(name);
    if (!a)
        a = FNode.append_attribute(name);
    a.set_value(QByteArray::number(value).constData());
}

double TXMLNodeBinding::NumberAttr(const char* name) const {
    bool ok = false;
    const double v = QByteArray(FNode.attribute(name).value()).trimmed().toDouble(&ok);
    return ok ? v : 0.0;
}

void TXMLNodeBinding::SetNumberAttr(const char* name, double value) const {
    SetTextAttr(name, FormatXMLNumber(value));
}

pugi::xml_node TXMLNodeBinding::ChildNode(const char* name) const {
    if (!FNode)
        return {};
    pugi::xml_node c = FNode.child(name);
    return c ? c : FNode.append_child(name);
}

bool TXMLQuantityType::ReadValue(double& value, QString* unit) const {
    return ReadSI(Value(), value, unit);
}
