// The review sheet of the entry controls: numeric fields, the number pad, touch combo boxes.
#include "EntrySheet.h"

#include "NumInput.h"
#include "NumInputForm.h"
#include "SheetText.h"
#include "TSControls.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QPainter>

namespace {

QFont TouchFont(int pixels) {
    QFont f = QApplication::font();
    f.setPixelSize(pixels);
    return f;
}

QStringList Taps(int n) {
    QStringList items;
    for (int i = 1; i <= n; ++i)
        items << QStringLiteral("Tap %1  (%2 kV)").arg(i).arg(121.0 - 1.5 * (i - 1), 0, 'f', 2);
    return items;
}

} // namespace

bool RenderEntrySheet(const QString& path) {
    QImage sheet(1400, 820, QImage::Format_ARGB32);
    sheet.fill(QColor(236, 236, 236));
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);

    // Numeric fields in their usual settings.
    Heading(p, 10, 24, QStringLiteral("TTntNumEdit"));
    QWidget fields;
    fields.resize(1400, 60);
    struct TField {
        const char* Note;
        std::function<void(TTntNumEdit*)> Setup;
    };
    const QList<TField> samples = {
        {"400 kV, width 16, 3 decimals, zeros killed, range 1 V … 999 kV",
         [](TTntNumEdit* e) {
             e->SetLabelStr(QStringLiteral("Nominal Voltage"));
             e->SetUnitStr(QStringLiteral("V"));
             e->SetNumLen(16);
             e->SetFracLen(3);
             e->SetKillZeros(true);
             e->SetRange(1, 999e3);
             e->SetValue(400e3);
         }},
        {"0.5 % in fixed point, width 6, 2 decimals",
         [](TTntNumEdit* e) {
             e->SetUnitStr(QStringLiteral("%"));
             e->SetNumLen(6);
             e->SetFracLen(2);
             e->SetValue(0.5);
         }},
        {"+5 in the range -10 … 10, no unit",
         [](TTntNumEdit* e) {
             e->SetUnitStr(QString());
             e->SetRange(-10, 10);
             e->SetValue(5);
         }},
        {"5 Hz with SI factor 1000, 3 decimals",
         [](TTntNumEdit* e) {
             e->SetUnitStr(QStringLiteral("Hz"));
             e->SetFracLen(3);
             e->SetSIFactor(1000);
             e->SetValue(5);
         }},
        {"disabled",
         [](TTntNumEdit* e) {
             e->SetUnitStr(QStringLiteral("A"));
             e->SetFracLen(1);
             e->SetValue(0.0125);
             e->setEnabled(false);
         }},
    };
    for (int i = 0; i < samples.size(); ++i) {
        auto* e = new TTntNumEdit(&fields);
        e->setFont(TouchFont(18));
        e->setGeometry(10 + i * 276, 6, 260, 36);
        samples[i].Setup(e);
    }
    fields.show();
    QCoreApplication::processEvents();
    p.drawPixmap(0, 34, fields.grab());
    for (int i = 0; i < samples.size(); ++i)
        Note(p, QRect(10 + i * 276, 84, 260, 40), QString::fromUtf8(samples[i].Note), Qt::AlignLeft);

    // The number pad as it opens on that voltage field.
    Heading(p, 10, 150, QStringLiteral("TTntNumInputForm: the pad opened on 400 kV, range 1 V … 999 kV"));
    {
        TQuantityFormat format;
        format.Unit = QStringLiteral("V");
        format.Width = 16;
        format.Decimals = 3;
        format.KillZeros = true;
        format.WithUnit = true;
        TTntNumInputForm pad;
        pad.Setup(400e3, format, QStringLiteral("Nominal Voltage"), 1, 999e3);
        pad.show();
        QCoreApplication::processEvents();
        p.drawPixmap(10, 160, pad.grab());
        pad.reject();
    }

    // Combo boxes: a drop-down list below its box, and one near the bottom that opens upward.
    Heading(p, 830, 150, QStringLiteral("TTSComboBox"));
    QWidget below;
    below.resize(560, 330);
    auto* cbTestVoltage = new TTSComboBox(&below);
    cbTestVoltage->setFont(TouchFont(18));
    cbTestVoltage->setGeometry(10, 10, 200, 36);
    cbTestVoltage->SetDropDownList(true);
    cbTestVoltage->SetItems({QStringLiteral("8 V"), QStringLiteral("40 V"), QStringLiteral("100 V")});
    cbTestVoltage->SetItemIndex(2);
    auto* cbHVTap = new TTSComboBox(&below);
    cbHVTap->setFont(TouchFont(18));
    cbHVTap->setGeometry(240, 10, 300, 30);
    cbHVTap->SetDropDownList(true);
    cbHVTap->SetItems(Taps(12));
    cbHVTap->SetItemIndex(4);
    below.show();
    QCoreApplication::processEvents();
    cbHVTap->SetDroppedDown(true);
    QCoreApplication::processEvents();
    p.drawPixmap(830, 160, below.grab());
    Note(p, QRect(830, 494, 560, 20),
         QStringLiteral("cbTestVoltage closed; cbHVTap with 12 items drops nine rows as high as the box"),
         Qt::AlignLeft);

    QWidget above;
    above.resize(560, 260);
    auto* cbQELPort = new TTSComboBox(&above);
    cbQELPort->setFont(TouchFont(18));
    cbQELPort->setGeometry(10, 218, 300, 36);
    cbQELPort->SetItems({QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("/dev/ttyUSB0")});
    cbQELPort->SetItemIndex(1);
    above.show();
    QCoreApplication::processEvents();
    cbQELPort->SetDroppedDown(true);
    QCoreApplication::processEvents();
    p.drawPixmap(830, 530, above.grab());
    Note(p, QRect(830, 794, 560, 20),
         QStringLiteral("cbQELPort near the bottom of its window: the list (items + 1 rows) opens upward"),
         Qt::AlignLeft);
    p.end();
    return sheet.save(path);
}
