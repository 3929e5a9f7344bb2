// The numeric edit field and its number pad: quantity texts, the one way an entry is taken,
// the pad's keys and its range rules.
#include "EntrySwitches.h"
#include "ExtStaticText.h"
#include "GlobalState.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "RecordingOperator.h"
#include "SIPrefixes.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <optional>

namespace {

void Tap(QWidget* w) {
    QVERIFY(w);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
}

// Taps keys by name ("pnDigit1", "pnDecimal", "pnKilo") in order.
void Keys(TTntNumInputForm& pad, const QStringList& names) {
    for (const QString& name : names)
        Tap(pad.Key(name));
}

TQuantityFormat Volts() {
    TQuantityFormat f;
    f.Unit = QStringLiteral("V");
    f.Width = 16;
    f.Decimals = 3;
    f.KillZeros = true;
    f.WithUnit = true;
    return f;
}

} // namespace

class TestNumInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Locale, separator and touch switches come back after every test, passed or failed.
    void init() {
        FState.emplace();
        SetDecimalSeparator('.');
    }
    void cleanup() { FState.reset(); }

    void quantityTexts_data();
    void quantityTexts();
    void fieldShowsSignAndHint();
    void siFactorMeansThePrefix();
    void focusAndEnterNeverRoundValue();
    void outOfRangeEntryIsRefused();
    void prefixKeys_data();
    void prefixKeys();
    void padKeys();
    void padConfirmsOnlyNumbersInRange();
    void paste_data();
    void paste();
    void decimalKeyUnderGermanLocale();
    void fieldOpensPadOnValue();
    void narrowPad();

private:
    std::optional<TGlobalStateGuard> FState;
};

void TestNumInput::quantityTexts_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<bool>("killZeros");
    QTest::addColumn<double>("siFactor");
    QTest::addColumn<bool>("withUnit");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("SI in width 16") << "V" << 16 << 3 << true << 1.0 << true << 400000.0
                                    << "           400 kV";
    QTest::newRow("percent in fixed point") << "%" << 6 << 2 << false << 1.0 << true << 0.5 << "  0.50 %";
    QTest::newRow("SI factor 1000") << "Hz" << 0 << 3 << false << 1000.0 << true << 5.0 << "0.005 kHz";
    QTest::newRow("no unit, significant digits")
        << "" << 0 << 2 << false << 1.0 << false << 1234.5 << "1.2E3";
    QTest::newRow("no unit, below 1E-5") << "" << 0 << 3 << false << 1.0 << false << 0.000001234 << "1.23E-6";
    QTest::newRow("no unit, fixed while it fits") << "" << 0 << 4 << false << 1.0 << false << 12.5 << "12.5";
    QTest::newRow("no unit, whole number") << "Hz" << 0 << 0 << false << 1.0 << false << 150000.0 << "150000";
    QTest::newRow("no unit, no minus zero") << "" << 0 << 0 << false << 1.0 << false << -0.4 << "0";
}

void TestNumInput::quantityTexts() {
    QFETCH(QString, unit);
    QFETCH(int, width);
    QFETCH(int, decimals);
    QFETCH(bool, killZeros);
    QFETCH(double, siFactor);
    QFETCH(bool, withUnit);
    QFETCH(double, value);
    QFETCH(QString, text);
    TQuantityFormat f;
    f.Unit = unit;
    f.Width = width;
    f.Decimals = decimals;
    f.KillZeros = killZeros;
    f.SIFactor = siFactor;
    f.WithUnit = withUnit;
    QCOMPARE(QuantityText(f, value), text);
}

void TestNumInput::fieldShowsSignAndHint() {
    TTntNumEdit ed;
    QCOMPARE(ed.text(), QStringLiteral("150000")); // create-time defaults
    QCOMPARE(ed.HintText(), QStringLiteral("'Clock'"));
    ed.SetLabelStr(QStringLiteral("Tap"));
    ed.SetUnitStr(QString());
    ed.SetRange(-10, 10);
    ed.SetValue(5);
    QCOMPARE(ed.text(), QStringLiteral("+5"));
    ed.SetValue(-5);
    QCOMPARE(ed.text(), QStringLiteral("-5"));

    ed.SetLabelStr(QStringLiteral("Nominal Voltage"));
    ed.SetUnitStr(QStringLiteral("V"));
    ed.SetNumLen(16);
    ed.SetFracLen(3);
    ed.SetKillZeros(true);
    ed.SetRange(1, 999e3);
    ed.SetValue(400e3);
    QCOMPARE(ed.text(), QStringLiteral("           400 kV"));
    QCOMPARE(ed.HintText(),
             QStringLiteral("'Nominal Voltage' between               1 V and            999 kV"));
    QCOMPARE(ed.toolTip(), ed.HintText());
}

void TestNumInput::siFactorMeansThePrefix() {
    TTntNumEdit ed;
    ed.SetUnitStr(QStringLiteral("Hz"));
    ed.SetFracLen(3);
    ed.SetSIFactor(1000);
    ed.SetValue(5);
    QCOMPARE(ed.text(), QStringLiteral("0.005 kHz"));
    QSignalSpy changes(&ed, &TTntNumEdit::Change);
    ed.SetEntryText(QStringLiteral("7"));
    QCOMPARE(ed.Value(), 7000.0);
    QCOMPARE(changes.count(), 1);
    ed.SetEntryText(QStringLiteral("7 kHz"));
    QCOMPARE(ed.Value(), 7000.0);
    QCOMPARE(changes.count(), 1); // the same value again is no change
}

void TestNumInput::focusAndEnterNeverRoundValue() {
    QWidget w;
    auto* ed = new TTntNumEdit(&w);
    auto* other = new QLineEdit(&w);
    other->move(0, 40);
    ed->SetUnitStr(QString());
    ed->SetFracLen(2);
    ed->SetValue(1234.5);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QSignalSpy changes(ed, &TTntNumEdit::Change);
    QSignalSpy exits(ed, &TTntNumEdit::Exit);
    QCOMPARE(ed->text(), QStringLiteral("1.2E3"));

    ed->setFocus();
    QTRY_VERIFY(ed->hasFocus());
    QTest::keyClick(ed, Qt::Key_Return);
    other->setFocus();
    QTRY_COMPARE(exits.count(), 1);
    QCOMPARE(ed->Value(), 1234.5);
    QCOMPARE(changes.count(), 0);

    // What the operator types is taken on leaving.
    ed->setFocus();
    QTRY_VERIFY(ed->hasFocus());
    ed->selectAll();
    QTest::keyClicks(ed, QStringLiteral("99"));
    QVERIFY(ed->Edited());
    other->setFocus();
    QTRY_COMPARE(exits.count(), 2);
    QCOMPARE(ed->Value(), 99.0);
    QCOMPARE(changes.count(), 1);
}

void TestNumInput::outOfRangeEntryIsRefused() {
    QWidget w;
    auto* ed = new TTntNumEdit(&w);
    TRecordingOperator op;
    ed->SetOperator(&op);
    ed->SetLabelStr(QStringLiteral("Nominal Voltage"));
    ed->SetUnitStr(QStringLiteral("V"));
    ed->SetRange(1, 999e3);
    ed->SetValue(400e3);
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    ed->setFocus();
    QTRY_VERIFY(ed->hasFocus());
    QSignalSpy changes(ed, &TTntNumEdit::Change);
    ed->selectAll();
    QTest::keyClicks(ed, QStringLiteral("5000 kV"));
    QTest::keyClick(ed, Qt::Key_Return);
    QCOMPARE(op.Texts(), QStringList{ed->HintText()});
    QCOMPARE(ed->Value(), 400e3);
    QCOMPARE(ed->text(), QStringLiteral("400 kV"));
    QCOMPARE(changes.count(), 0);

    // Not a number: the old value is shown again, no message.
    ed->selectAll();
    QTest::keyClicks(ed, QStringLiteral("kV"));
    QTest::keyClick(ed, Qt::Key_Return);
    QCOMPARE(ed->text(), QStringLiteral("400 kV"));
    QCOMPARE(op.Entries.size(), 1);

    // The pad's result goes through the same check.
    QVERIFY(!ed->EnterValue(0.5));
    QCOMPARE(ed->Value(), 400e3);
    QVERIFY(ed->EnterValue(10));
    QCOMPARE(ed->Value(), 10.0);
    QCOMPARE(changes.count(), 1);
}

void TestNumInput::prefixKeys_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("siFactor");
    QTest::addColumn<QString>("visible"); // keys p n µ m SI k M G as 1/0
    QTest::newRow("1 V to 999 kV") << "V" << 1.0 << 999e3 << 400e3 << 1.0 << "00001100";
    QTest::newRow("1.5 to 999 keeps the plain key") << "V" << 1.5 << 999.0 << 2.0 << 1.0 << "00001000";
    QTest::newRow("chosen key always shown") << "V" << 1.5 << 999.0 << 5000.0 << 1.0 << "00001100";
    QTest::newRow("no range") << "V" << 0.0 << 0.0 << 1.0 << 1.0 << "11111111";
    QTest::newRow("across zero from 0") << "A" << -10.0 << 10.0 << 5.0 << 1.0 << "11111000";
    QTest::newRow("percent has none") << "%" << 0.0 << 0.0 << 1.0 << 1.0 << "00000000";
    QTest::newRow("fixed SI factor has none") << "V" << 0.0 << 0.0 << 1.0 << 1000.0 << "00000000";
}

void TestNumInput::prefixKeys() {
    QFETCH(QString, unit);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, value);
    QFETCH(double, siFactor);
    QFETCH(QString, visible);
    TQuantityFormat f;
    f.Unit = unit;
    f.SIFactor = siFactor;
    f.WithUnit = true;
    TNumPadEntry entry;
    entry.Open(value, f, min, max, true);
    QString seen;
    for (int e : TNumPadEntry::KeyExponents)
        seen += entry.PrefixKeyVisible(e) ? '1' : '0';
    QCOMPARE(seen, visible);
}

void TestNumInput::padKeys() {
    TTntNumInputForm pad;
    pad.Setup(400e3, Volts(), QStringLiteral("Voltage"), 0, 0);
    pad.show();
    QCOMPARE(pad.Entry().Entry(), QStringLiteral("400"));
    QCOMPARE(pad.DisplayText(), QStringLiteral("Voltage = 400 kV "));
    QCOMPARE(pad.Key(QStringLiteral("pnKilo"))->Caption(), QStringLiteral("kV"));
    QCOMPARE(pad.Key(QStringLiteral("pnSI"))->Caption(), QStringLiteral("V"));
    QVERIFY(pad.HelpText().isEmpty());

    // The first digit replaces the fresh entry; "0" is replaced; one point only.
    Keys(pad, {"pnDigit0", "pnDigit1", "pnDecimal", "pnDigit5", "pnDecimal", "pnMega"});
    QCOMPARE(pad.DisplayText(), QStringLiteral("Voltage = 1.5 MV "));
    Keys(pad, {"pnExp", "pnExp", "pnChangeSign", "pnDigit3"});
    QCOMPARE(pad.Entry().Entry(), QStringLiteral("1.5E-3"));
    Keys(pad, {"pnChangeSign", "pnShow"});
    QCOMPARE(pad.DisplayText(), QStringLiteral("Voltage = 1.5 GV "));
    // Back-space down to nothing gives "0".
    Keys(pad, {"pnBackSpace", "pnBackSpace", "pnBackSpace", "pnBackSpace"});
    QCOMPARE(pad.Entry().Entry(), QStringLiteral("0"));
    Keys(pad, {"pnDigit7", "pnClear"});
    QCOMPARE(pad.Entry().Entry(), QStringLiteral("0"));
    Tap(pad.Key(QStringLiteral("pnUndo")));
    QCOMPARE(pad.DisplayText(), QStringLiteral("Voltage = 400 kV "));
    // +/- on a fresh entry keeps the sign for the number typed next.
    Keys(pad, {"pnChangeSign", "pnDigit2"});
    QCOMPARE(pad.Entry().Entry(), QStringLiteral("-2"));
    // An entry is at most 24 characters.
    for (int i = 0; i < 30; ++i)
        Tap(pad.Key(QStringLiteral("pnDigit9")));
    QCOMPARE(pad.Entry().Entry().size(), TNumPadEntry::MaxLength);
    // Copy writes the display.
    Tap(pad.Key(QStringLiteral("pnCopy")));
    QCOMPARE(QApplication::clipboard()->text(), pad.DisplayText());
}

void TestNumInput::padConfirmsOnlyNumbersInRange() {
    TRecordingOperator op;
    TTntNumInputForm pad;
    pad.SetOperator(&op);
    pad.Setup(230, Volts(), QStringLiteral("Voltage"), 1, 999e3);
    pad.show();
    QCOMPARE(pad.HelpText(),
             QStringLiteral("Voltage:\r\nPlease enter value between               1 V and            "
                            "999 kV"));
    QSignalSpy accepted(&pad, &QDialog::accepted);
    // Half-typed entries cannot be confirmed, by key or by Enter.
    Keys(pad, {"pnDigit5", "pnExp"});
    QVERIFY(!pad.Key(QStringLiteral("pnOK"))->isEnabled());
    QTest::keyClick(&pad, Qt::Key_Return);
    Keys(pad, {"pnDigit1", "pnChangeSign"});
    QCOMPARE(pad.Entry().Entry(), QStringLiteral("5E-1"));
    // Enter checks the range as OK does: 0.5 V is below it.
    QTest::keyClick(&pad, Qt::Key_Return);
    QCOMPARE(op.Texts(), QStringList{"Value has to be between               1 V and            999 kV"});
    QCOMPARE(accepted.count(), 0);
    QVERIFY(pad.isVisible());
    QTest::keyClick(&pad, Qt::Key_Delete);
    QTest::keyClicks(&pad, QStringLiteral("12"));
    QTest::keyClick(&pad, Qt::Key_Return);
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(pad.Value(), 12.0);
}

void TestNumInput::paste_data() {
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<double>("value");
    QTest::newRow("copied display") << "V"
                                    << "Voltage = 400 kV " << true << 400e3;
    QTest::newRow("plain key's blank") << "V"
                                       << "Voltage = 12  V " << true << 12.0;
    QTest::newRow("bare number") << "V"
                                 << "1.5" << true << 1.5;
    QTest::newRow("micro as u") << "A"
                                << "3 uA" << true << 3e-6;
    QTest::newRow("no unit reads the prefix") << ""
                                              << "2 m" << true << 0.002;
    QTest::newRow("not a number") << "V"
                                  << "Auto" << false << 7.0;
    QTest::newRow("dangling exponent") << "V"
                                       << "0E" << false << 7.0;
    QTest::newRow("longer than 24") << "V"
                                    << "1234567890123456789012345" << false << 7.0;
}

void TestNumInput::paste() {
    QFETCH(QString, unit);
    QFETCH(QString, clipboard);
    QFETCH(bool, taken);
    QFETCH(double, value);
    TQuantityFormat f = Volts();
    f.Unit = unit;
    TTntNumInputForm pad;
    pad.Setup(7, f, QString(), 0, 0);
    pad.show();
    QApplication::clipboard()->setText(clipboard);
    QTest::keyClick(&pad, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(pad.Entry().Entry() != QStringLiteral("7"), taken);
    double v = 0;
    QVERIFY(pad.Entry().Result(v));
    QCOMPARE(v, value);
}

void TestNumInput::decimalKeyUnderGermanLocale() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TTntNumInputForm pad;
    pad.Setup(0, Volts(), QString(), 0, 0);
    pad.show();
    QCOMPARE(pad.Key(QStringLiteral("pnDecimal"))->Caption(), QStringLiteral(","));
    Keys(pad, {"pnDigit1", "pnDecimal", "pnDigit5"});
    QCOMPARE(pad.Entry().Entry(), QStringLiteral("1.5"));
    QTest::keyClick(&pad, Qt::Key_Return);
    QCOMPARE(pad.Value(), 1.5);
}

void TestNumInput::fieldOpensPadOnValue() {
    QWidget w;
    auto* ed = new TTntNumEdit(&w);
    ed->SetUnitStr(QStringLiteral("V"));
    ed->SetFracLen(0);
    ed->SetKillZeros(true);
    ed->SetValue(1234.5);
    w.show();
    QCOMPARE(ed->text(), QStringLiteral("1 kV"));
    QSignalSpy changes(ed, &TTntNumEdit::Change);

    TEntrySwitches::TouchEntryWide = false;
    Tap(ed);
    QVERIFY(!ed->NumPad());

    TEntrySwitches::TouchEntryWide = true;
    Tap(ed);
    QPointer<TTntNumInputForm> pad = ed->NumPad();
    QVERIFY(pad);
    QTRY_VERIFY(pad->isVisible());
    // The pad holds the value, not the field's rounded "1 kV": OK unchanged keeps it.
    QCOMPARE(pad->Entry().Entry(), QStringLiteral("1.2345"));
    Tap(pad->Key(QStringLiteral("pnOK")));
    QTRY_VERIFY(!pad);
    QCOMPARE(ed->Value(), 1234.5);
    QCOMPARE(changes.count(), 0);

    Tap(ed);
    pad = ed->NumPad();
    QVERIFY(pad);
    Keys(*pad, {"pnDigit2", "pnSI"});
    Tap(pad->Key(QStringLiteral("pnCancel")));
    QTRY_VERIFY(!pad);
    QCOMPARE(ed->Value(), 1234.5);

    Tap(ed);
    pad = ed->NumPad();
    QVERIFY(pad);
    Keys(*pad, {"pnDigit2", "pnSI", "pnOK"});
    QTRY_VERIFY(!pad);
    QCOMPARE(ed->Value(), 2.0);
    QCOMPARE(ed->text(), QStringLiteral("2 V"));
    QCOMPARE(changes.count(), 1);

    // The 8-bit field follows the plain switch.
    TNumEdit narrow(&w);
    TEntrySwitches::TouchEntry = false;
    narrow.show();
    Tap(&narrow);
    QVERIFY(!narrow.NumPad());
    TEntrySwitches::TouchEntry = true;
    Tap(&narrow);
    QVERIFY(qobject_cast<TNumInputForm*>(narrow.NumPad()));
}

void TestNumInput::narrowPad() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TNumInputForm pad;
    TQuantityFormat f;
    f.Unit = QStringLiteral("A");
    f.WithUnit = true;
    pad.Setup(5, f, QStringLiteral("Current"), -10, 10);
    pad.show();
    QCOMPARE(pad.Key(QStringLiteral("pnClear"))->Caption(), QStringLiteral("Delete"));
    QCOMPARE(pad.Key(QStringLiteral("pnDecimal"))->Caption(), QStringLiteral("."));
    QCOMPARE(pad.Entry().Entry(), QStringLiteral("5"));
    QCOMPARE(pad.HelpText(), QStringLiteral("Current:\n\rPlease enter value between -10 A and 10 A"));

    TTntNumInputForm wide;
    wide.Setup(5, f, QStringLiteral("Current"), -10, 10);
    QCOMPARE(wide.Entry().Entry(), QStringLiteral("+5"));
}

QTEST_MAIN(TestNumInput)
#include "tst_numinput.moc"
