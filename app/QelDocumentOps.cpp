// Document operations and queries of the data module.
#include "QelGlobals.h"

#include "KovaBases.h"
#include "OperatorIFace.h"
#include "QelWindings.h"
#include "SIPrefixes.h"
#include "TestSavedIFace.h"
#include "TimePatterns.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

namespace {

QString WithExtension(const QString& fileName, const QString& extension) {
    const QFileInfo fi(fileName);
    return fi.path() + '/' + fi.completeBaseName() + extension;
}

// Restores the application's "." when it goes out of scope, also on an early return.
struct TLocaleSeparator {
    TLocaleSeparator() {
        const QString point = QLocale::system().decimalPoint();
        SetDecimalSeparator(point.isEmpty() ? QChar('.') : point.at(0));
    }
    ~TLocaleSeparator() { SetDecimalSeparator('.'); }
};

} // namespace

bool TQelGlobal::DocumentChanged() {
    if (FOperator)
        FOperator->SetBusy(true);
    const bool saved = SaveDocument(1);
    SendToAll(UM_DOCCHANGED, 0, 0);
    if (FOperator)
        FOperator->SetBusy(false);
    return saved;
}

bool TQelGlobal::SaveDocument(int mode) {
    const QString fileName = FDoc->FileName();
    QString error;
    const bool saved = FDoc->Save(fileName, mode == 0, mode != 3, &error);
    if (!saved && FOperator)
        FOperator->Error(
            FKovaBase.Text(QStringLiteral("SErrWritingFile")).replace(QStringLiteral("%s"), fileName));
    if (saved) {
        WriteReports(fileName, DataStorage);
        if (FSavedHook)
            FSavedHook->TestSaved(fileName);
    }
    SetDecimalSeparator('.');
    return saved;
}

bool TQelGlobal::WriteReports(const QString& fileName, int storage) {
    if (!FExports)
        return true;
    // Reports carry the user's number format; everything else keeps ".".
    TLocaleSeparator locale;
    bool written = true;
    if (storage & dsCSV)
        written = FExports->WriteCSV(WithExtension(fileName, QStringLiteral(".csv"))) && written;
    if (storage & dsHTML)
        written = FExports->WriteHTML(WithExtension(fileName, QStringLiteral(".html"))) && written;
    if (storage & dsPDF)
        written = FExports->WritePDF(WithExtension(fileName, QStringLiteral(".pdf"))) && written;
    return written;
}

bool TQelGlobal::OpenDocument(const QString& fileName) {
    QString error;
    if (!LoadDocument(fileName, &error)) {
        // The document in memory is untouched; the operator learns which file failed and where.
        if (FOperator)
            FOperator->Error(error);
        return false;
    }
    return true;
}

bool TQelGlobal::LoadDocument(const QString& fileName, QString* error) {
    const TKvXML::TLoadResult result = FDoc->Load(fileName);
    if (!result.Loaded()) {
        if (error)
            *error = result.Error.isEmpty() ? fileName : result.Error;
        return false;
    }
    if (!FDoc->Dom().document_element().child("DUTTrafoData")) {
        ApplyDocumentDefaults(FDoc->Data());
        SendToAll(UM_NODUTDATA, 0, 0);
    }
    SetDecimalSeparator('.');
    SendToAll(UM_DOCCHANGED, 1, 0);
    return true;
}

bool TQelGlobal::NewDocument(const QString& fileName) {
    FDoc->New();
    FDoc->Data().SetName(QFileInfo(fileName).completeBaseName());
    ApplyDocumentDefaults(FDoc->Data());
    FDoc->SetFileName(fileName);
    QString error;
    const bool saved = FDoc->Save(fileName, true, false, &error);
    if (!saved && FOperator)
        FOperator->Error(
            FKovaBase.Text(QStringLiteral("SErrWritingFile")).replace(QStringLiteral("%s"), fileName));
    if (saved && FSavedHook)
        FSavedHook->TestSaved(fileName);
    SendToAll(UM_NEWDOC, 0, 0);
    SendToAll(UM_DOCCHANGED, 1, 0);
    return saved;
}

bool TQelGlobal::NewDocumentFromTemplate(const QString& templateFile, const QString& fileName) {
    if (!OpenDocument(templateFile))
        return false;
    ApplyDocumentDefaults(FDoc->Data());
    FDoc->Data().SetName(QFileInfo(fileName).completeBaseName());
    FDoc->SetFileName(fileName);
    SendToAll(UM_DOCCHANGED, 1, 0);
    return true;
}

QString TQelGlobal::DocumentXMLText() const {
    return FDoc->XMLFormat();
}

int TQelGlobal::ActualTap(int winding) const {
    const TXMLSetupType setup = FDoc->QEL().Setup();
    switch (winding) {
    case 0:
        return setup.ActMeasHVTapIdx().Value();
    case 1:
        return setup.ActMeasLVTapIdx().Value();
    case 2:
        return setup.ActMeasTVTapIdx().Value();
    default:
        return -1;
    }
}

QString TQelGlobal::WindingVoltageAtTap(int winding, int tap) const {
    const TXMLWindingType w = FDoc->DUTTrafoData().Winding().Item(winding);
    if (w.TapChangerAvailable().Value() == 1)
        return w.TapChangerData().Grid().Cell(1, tap);
    return NominalVoltage(winding);
}

QString TQelGlobal::NominalVoltage(int winding) const {
    const TXMLWindingType w = FDoc->DUTTrafoData().Winding().Item(winding);
    QelWindings::TakeNominalVoltageFromTap(w);
    return w.NominalVoltage().Value();
}

QString TQelGlobal::TapText(int winding, int tap) const {
    const TXMLGridType grid = FDoc->DUTTrafoData().Winding().Item(winding).TapChangerData().Grid();
    QString text = grid.Cell(0, tap);
    const QString name = grid.Cell(2, tap).trimmed();
    if (!name.isEmpty())
        text += '(' + name + ')';
    return text;
}

QString TQelGlobal::WindingName(int winding) const {
    static const char* const names[] = {"HV", "LV", "TV"};
    return winding >= 0 && winding <= 2 ? QString::fromLatin1(names[winding]) : QString();
}

QString TQelGlobal::MeasurementConfigurationText() const {
    const TXMLSetupType setup = FDoc->QEL().Setup();
    const int h = setup.ActMeasWindingH().Value();
    const int x = setup.ActMeasWindingX().Value();
    if (WindingName(h).isEmpty() || WindingName(x).isEmpty())
        return QStringLiteral("??");
    const auto part = [this](int w) {
        QString t = WindingName(w);
        if (FDoc->DUTTrafoData().Winding().Item(w).TapChangerAvailable().Value() == 1)
            t += QStringLiteral(" T") + TapText(w, ActualTap(w));
        return t;
    };
    return part(h) + ':' + part(x);
}

QString TQelGlobal::NominalVoltageRatioText() const {
    const TXMLSetupType setup = FDoc->QEL().Setup();
    const int h = setup.ActMeasWindingH().Value();
    const int x = setup.ActMeasWindingX().Value();
    const int num = std::min(h, x);
    const int den = std::max(h, x);
    double a = 0, b = 0;
    if (ReadSI(WindingVoltageAtTap(num, ActualTap(num)), a) &&
        ReadSI(WindingVoltageAtTap(den, ActualTap(den)), b) && b != 0)
        return FormatFixed(a / b, 0, 4, false);
    return QStringLiteral("--");
}

QString TQelGlobal::DocumentTimeText(const QDateTime& when) const {
    const TXMLSetupType setup = FDoc->QEL().Setup();
    QString date = setup.DateFormat().Value().trimmed();
    QString time = setup.TimeFormat().Value().trimmed();
    date = date.isEmpty() ? QLocale().dateFormat(QLocale::ShortFormat) : QtDatePattern(date);
    time = time.isEmpty() ? QLocale().timeFormat(QLocale::LongFormat) : QtTimePattern(time);
    return QLocale::c().toString(when, date + QLatin1Char(' ') + time);
}
