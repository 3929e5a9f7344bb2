#include "TestSummary.h"

#include "SIPrefixes.h"
#include "TimePatterns.h"
#include "XMLDocReader.h"
#include "XMLGrid.h"
#include "XMLQel.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <cstring>

namespace {

// The columns the index reads, found by their titles; a table without a title falls back to the
// place the measurement page gives it.
struct TColumns {
    int Time = 0, Phase = 1, Pair = 2, Tap = 5, VoltageRatio = 7, TurnsRatio = 8, RatioDev = 9, PhaseDev = 10;

    explicit TColumns(const TXMLHeadersType& headers) {
        const auto find = [&](const char* title, int& col) {
            for (int c = 0; c < headers.Count(); ++c)
                if (headers.Cell(c).trimmed() == QLatin1String(title)) {
                    col = c;
                    return;
                }
        };
        find("Time", Time);
        find("Phase", Phase);
        find("Meas.Conf", Pair);
        find("TapNr.", Tap);
        find("Volt.Ratio", VoltageRatio);
        find("Turns Ratio", TurnsRatio);
        find("Ratio Dev.", RatioDev);
        find("Phase Dev.", PhaseDev);
    }
};

double Number(const QString& text) {
    double v = 0;
    return ReadSI(text.trimmed(), v) && std::isfinite(v) ? v : NoValue;
}

} // namespace

QString TIndexedTest::SortKey() const {
    const QDateTime when = TestDate.isValid() ? TestDate : QDateTime::fromMSecsSinceEpoch(Modified);
    return when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
}

QByteArray ContentHash(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QDateTime ReadResultTime(const QString& text, const QString& datePattern, const QString& timePattern) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    const QString date = datePattern.trimmed().isEmpty() ? QLocale().dateFormat(QLocale::ShortFormat)
                                                         : QtDatePattern(datePattern.trimmed());
    const QString time = timePattern.trimmed().isEmpty() ? QLocale().timeFormat(QLocale::LongFormat)
                                                         : QtTimePattern(timePattern.trimmed());
    QDateTime when = QLocale::c().toDateTime(t, date + u' ' + time);
    if (!when.isValid())
        when = QLocale::c().toDateTime(t, date);
    if (!when.isValid())
        when = QDateTime::fromString(t, Qt::ISODate);
    return when;
}

bool ReadTestSummary(const QByteArray& bytes, TIndexedTest& test, QString* reason) {
    const auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    auto dom = std::make_shared<pugi::xml_document>();
    const TXMLReadResult read = ReadXMLDocument(bytes, *dom);
    if (!read.Ok)
        return fail(QStringLiteral("(%1,%2): %3").arg(read.Line).arg(read.Column).arg(read.Message));
    const pugi::xml_node root = dom->document_element();
    if (!root || std::strcmp(root.name(), "KovaDoc") != 0)
        return fail(QStringLiteral("no test document (its root element is \"%1\", not \"KovaDoc\")")
                        .arg(QString::fromUtf8(root ? root.name() : "")));
    const TXMLKovaDocType doc(root, dom);
    const TXMLDUTGeneralType dut = doc.DUTGeneral();
    test.SerialNo = dut.SerialNo().Value().trimmed();
    test.Type = dut.Type().Value().trimmed();
    test.Location = dut.Location().Value().trimmed();
    test.Manufacturer = dut.Manufacturer().Value().trimmed();
    test.VectorGroup = doc.DUTTrafoData().TrafoConfiguration().Value().trimmed();
    const TXMLSetupType setup = doc.QEL().Setup();
    test.Standard = setup.Standard().Text();
    const QString datePattern = setup.DateFormat().Value();
    const QString timePattern = setup.TimeFormat().Value();

    const TXMLGridType grid = doc.QEL().Measurement().Grid();
    const TColumns cols(grid.Headers());
    test.Results.clear();
    test.Rows = 0;
    test.WorstDeviation = NoValue;
    test.WorstPair.clear();
    test.WorstTap.clear();
    test.WorstPhase.clear();
    test.TestDateText.clear();
    test.TestDate = {};
    for (const TXMLRType& r : grid.R().Items()) {
        TIndexedRow row;
        row.Time = r.Cell(cols.Time).trimmed();
        // A row without a time separates measurement series.
        if (row.Time.isEmpty())
            continue;
        row.Phase = r.Cell(cols.Phase).trimmed();
        row.Pair = r.Cell(cols.Pair).trimmed();
        row.Tap = r.Cell(cols.Tap).trimmed();
        row.VoltageRatio = Number(r.Cell(cols.VoltageRatio));
        row.TurnsRatio = Number(r.Cell(cols.TurnsRatio));
        row.RatioDeviation = Number(r.Cell(cols.RatioDev));
        row.PhaseDeviation = Number(r.Cell(cols.PhaseDev));
        if (test.TestDateText.isEmpty()) {
            test.TestDateText = row.Time;
            test.TestDate = ReadResultTime(row.Time, datePattern, timePattern);
        }
        if (std::isfinite(row.RatioDeviation) &&
            (!std::isfinite(test.WorstDeviation) || std::fabs(row.RatioDeviation) > std::fabs(test.WorstDeviation))) {
            test.WorstDeviation = row.RatioDeviation;
            test.WorstPair = row.Pair;
            test.WorstTap = row.Tap;
            test.WorstPhase = row.Phase;
        }
        test.Results.append(row);
    }
    test.Rows = int(test.Results.size());
    return true;
}

bool ReadTestFile(const QString& path, TIndexedTest& test, QString* reason) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (reason)
            *reason = f.errorString();
        return false;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (reason)
            *reason = f.errorString();
        return false;
    }
    const QFileInfo fi(path);
    test.Path = fi.absoluteFilePath();
    test.Modified = fi.lastModified().toMSecsSinceEpoch();
    test.Size = bytes.size();
    test.Hash = ContentHash(bytes);
    return ReadTestSummary(bytes, test, reason);
}
