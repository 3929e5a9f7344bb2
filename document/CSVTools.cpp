#include "CSVTools.h"

#include "CSVForm.h"
#include "CSVGrid.h"
#include "GridTable.h"
#include "HTMLTransform.h"
#include "SIPrefixes.h"
#include "SafeFileWriter.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// Columns that hold texts looking like numbers at first sight: the time of a result, the tap
// numbers ("9a") and names. Read as quantities they would lose their text ("2026-03-14 10:22"
// read as 2026, "9a" as 9).
const QStringList kMeasurementTextTitles = {QStringLiteral("Time"), QStringLiteral("Phase"),
                                            QStringLiteral("Meas.Conf"), QStringLiteral("TapNr.")};
const QStringList kTapTextTitles = {QStringLiteral("Tap"), QStringLiteral("Name"),
                                    QStringLiteral("Activate")};

// The number a winding quantity stands for in base units, with the decimal separator in
// force: "10 kV" gives "10000". Empty when the text holds no number: a 0 would be a value.
QString BaseUnits(const QString& text, const QString& unit) {
    double value = 0;
    if (!ReadSIWithoutUnit(text, unit, value))
        return QString();
    QString number = FormatGeneral(value);
    if (DecimalSeparator() != u'.')
        number.replace(u'.', DecimalSeparator());
    return number;
}

QString TableText(const TXMLGridType& grid, QChar separator, const QStringList& textTitles) {
    TMemoryGridTable table(QString(), 0, 0);
    grid.ReadCells(table);
    CSVForm::TOptions options;
    options.Prefix = separator;
    options.Separator = separator;
    options.Units = true;
    options.TextTitles = textTitles;
    return CSVForm::Text(table, options);
}

} // namespace

QString CSVReportText(const TKvXML& doc, QChar separator) {
    const QString ls(separator);
    const QString crlf = QStringLiteral("\r\n");
    QString out;
    const auto field = [&](const QString& text) { return CSVForm::Field(text, separator); };
    // separator, label, separator, value, separator, CR LF
    const auto line = [&](const QString& label, const QString& value) {
        out += ls + field(label) + ls + field(value) + ls + crlf;
    };

    // Device data.
    out += QStringLiteral("Device under Test DUT") + crlf;
    const TXMLDUTGeneralType dut = doc.DUTGeneral();
    line(QStringLiteral("Type"), dut.Type().Value());
    line(QStringLiteral("Description"), dut.Description().Value());
    line(QStringLiteral("User"), dut.User().Value());
    line(QStringLiteral("Manufacturer"), dut.Manufacturer().Value());
    line(QStringLiteral("Location"), dut.Location().Value());
    line(QStringLiteral("SerialNo"), dut.SerialNo().Value());
    line(QStringLiteral("InventoryNo"), dut.InventoryNo().Value());
    line(QStringLiteral("AuxiliaryTitle"), dut.AuxiliaryTitle().Value());
    line(QStringLiteral("Operator"), dut.Operator().Value());
    line(QStringLiteral("Supervisor"), dut.Supervisor().Value());
    line(QStringLiteral("JobNo"), dut.Job().Value());
    // The field escapes the notes again, so the line holds them as the document stores them.
    line(QStringLiteral("Notes"), dut.Notes().Text());
    const TXMLSetupType setup = doc.QEL().Setup();
    const TXMLConditionType condition = setup.Condition();
    line(QStringLiteral("AmbientTemperature"), condition.AmbientTemp().Value());
    line(QStringLiteral("RelativeHumidity"), condition.RelHumidity().Value());
    line(QStringLiteral("Pressure"), condition.Pressure().Value());
    out += crlf;

    // Transformer data.
    out += QStringLiteral("Transformer Data") + crlf;
    const TXMLDUTTrafoDataType trafo = doc.DUTTrafoData();
    line(QStringLiteral("Configuration"), trafo.TrafoConfiguration().Value());
    const TXMLWindingTypeList windings = trafo.Winding();
    const int count = std::min(3, windings.Count());
    for (int i = 0; i < count; ++i) {
        const TXMLWindingType w = windings.Item(i);
        if (w.Avail() == 0)
            continue;
        out += crlf + field(w.Name()) + ls + crlf;
        line(QStringLiteral("Nominal Power [VA]:"),
             BaseUnits(w.NominalPower().Value(), QStringLiteral("VA")));
        line(QStringLiteral("Nominal Current [A]:"),
             BaseUnits(w.NominalCurrent().Value(), QStringLiteral("A")));
        line(QStringLiteral("Nominal Voltage[V]:"),
             BaseUnits(w.NominalVoltage().Value(), QStringLiteral("V")));
        if (w.TapChangerAvailable().Value() == 0)
            continue;
        const TXMLTapChangerDataType taps = w.TapChangerData();
        line(QStringLiteral("Nr. of Taps:"), QString::number(taps.NrOfTaps().Value()));
        line(QStringLiteral("Nominal Tap:"), QString::number(taps.NominalTap().Value()));
        line(QStringLiteral("First Tap:"), QString::number(taps.FirstTap().Value()));
        out += crlf;
        out += TableText(taps.Grid(), separator, kTapTextTitles);
    }
    out += crlf;

    // Turns-ratio data.
    out += crlf + QStringLiteral("Turns Ratio Data") + crlf + crlf;
    line(QStringLiteral("Measurement Standard"), setup.Standard().Text());
    out += ls + QStringLiteral("VectorGroup") + crlf + crlf;
    out += ls + QStringLiteral("Phase A") + ls + field(setup.ActWindMeasPhaseA().Value()) + crlf;
    out += ls + QStringLiteral("Phase B") + ls + field(setup.ActWindMeasPhaseB().Value()) + crlf;
    out += ls + QStringLiteral("Phase C") + ls + field(setup.ActWindMeasPhaseC().Value()) + crlf;
    out += crlf + QStringLiteral("QEL Measurement") + crlf;
    out += TableText(doc.QEL().Measurement().Grid(), separator, kMeasurementTextTitles) + crlf;
    out += crlf;
    return out;
}

QByteArray CSVReportBytes(const QString& text) {
    return QByteArrayLiteral("\xEF\xBB\xBF") + CSVForm::EncodeText(text);
}

bool WriteCSVReport(const TKvXML& doc, const QString& fileName, QChar separator, QString* error) {
    return WriteTextFile(fileName, CSVReportBytes(CSVReportText(doc, separator)), false, error);
}

bool WriteHTMLReport(const QString& xmlFile, const QString& styleSheetFile, const QString& htmlFile,
                     const QString& logoFile, QString* error) {
    const THTMLTransform html = TransformTestFile(xmlFile, styleSheetFile);
    if (!html.Ok()) {
        if (error)
            *error = html.Error;
        return false;
    }
    if (!WriteTextFile(htmlFile, html.Html, false, error))
        return false;
    if (!logoFile.isEmpty()) {
        const QString beside = QFileInfo(htmlFile).dir().filePath(QFileInfo(logoFile).fileName());
        if (!QFileInfo::exists(beside) && QFileInfo(logoFile).isFile())
            CopyFileSafely(logoFile, beside, nullptr);
    }
    return true;
}
