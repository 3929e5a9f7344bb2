#include "QelAnalysisParams.h"

#include "NumInput.h"
#include "NumInputForm.h"
#include "OperatorIFace.h"
#include "PanelButton.h"
#include "QelGlobals.h"
#include "QelImage.h"
#include "SIPrefixes.h"
#include "XMLKvDoc.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

const QString TAnalysisParams::NegativeText = QStringLiteral("The limits must not be negative.");
const QString TAnalysisParams::OrderText =
    QStringLiteral("The green limit must not be greater than the yellow limit.");

namespace {

TNumEdit* NewLimitField(QWidget* parent, const char* name, const QString& label, const QString& unit,
                        bool fixed, const QString& documentText, TOperatorIFace* op) {
    auto* ed = new TNumEdit(parent);
    ed->setObjectName(QLatin1String(name));
    ed->SetOperator(op);
    ed->SetLabelStr(label);
    ed->SetUnitStr(unit);
    ed->SetNumLen(6);
    ed->SetFracLen(2);
    ed->SetFixedLen(fixed);
    ed->SetWithUnit(true);
    ed->SetRange(-15, 100);
    double v = 0.5;
    // A limit that is no number keeps the field's initial value.
    ReadSI(documentText, v);
    ed->SetValue(v);
    return ed;
}

// "0.3 %": the number in its shortest form and the unit, as the document's defaults are written.
QString LimitText(const TNumEdit* ed) {
    return FormatGeneral(ed->Value()) + QLatin1Char(' ') + ed->UnitStr();
}

} // namespace

TAnalysisParams::TAnalysisParams(TQelGlobal& global, QWidget* parent) : QDialog(parent), FGlobal(global) {
    setObjectName(QStringLiteral("AnalysisParams"));
    setWindowTitle(QStringLiteral("Analysis Limits"));
    const TXMLAnalysisType a = FGlobal.Doc().QEL().Analysis();
    TOperatorIFace* op = FGlobal.Operator();
    const QString deg(QChar(0x00B0));

    auto group = [this](const QString& title, TNumEdit*& green, TNumEdit*& yellow, auto makeGreen,
                        auto makeYellow) {
        auto* box = new QGroupBox(title, this);
        auto* grid = new QGridLayout(box);
        green = makeGreen(box);
        yellow = makeYellow(box);
        grid->addWidget(new QLabel(QStringLiteral("Passed \"green\""), box), 0, 0);
        grid->addWidget(green, 0, 1);
        grid->addWidget(new QLabel(QStringLiteral("Attention \"yellow\""), box), 1, 0);
        grid->addWidget(yellow, 1, 1);
        return box;
    };
    QGroupBox* ratio = group(
        QStringLiteral("Max. Rel. Ratio Error"), edRelRatioErrGreen, edRelRatioErrYellow,
        [&](QWidget* p) {
            return NewLimitField(p, "edRelRatioErrGreen", QStringLiteral("Rel. Ratio Error (Green)"),
                                 QStringLiteral("%"), false, a.MaxRelRatioErrorGreen().Value(), op);
        },
        [&](QWidget* p) {
            return NewLimitField(p, "edRelRatioErrYellow", QStringLiteral("Rel. Ratio Error (Yellow)"),
                                 QStringLiteral("%"), false, a.MaxRelRatioErrorYellow().Value(), op);
        });
    QGroupBox* phase = group(
        QStringLiteral("Max. Rel. Phase Error"), edRelPhaseErrGreen, edRelPhaseErrYellow,
        [&](QWidget* p) {
            return NewLimitField(p, "edRelPhaseErrGreen", QStringLiteral("Rel. Phase Error (Green)"), deg,
                                 true, a.MaxRelPhaseErrorGreen().Value(), op);
        },
        [&](QWidget* p) {
            return NewLimitField(p, "edRelPhaseErrYellow", QStringLiteral("Rel. Phase Error (Yellow)"), deg,
                                 true, a.MaxRelPhaseErrorYellow().Value(), op);
        });

    bnOk = new TPanelButton(this);
    bnOk->setObjectName(QStringLiteral("bnOk"));
    bnOk->SetCaptionItems({QStringLiteral("\"OK\",1")});
    bnCancel = new TPanelButton(this);
    bnCancel->setObjectName(QStringLiteral("bnCancel"));
    bnCancel->SetCaptionItems({QStringLiteral("\"Cancel\",0")});
    connect(bnOk, &TPanelButton::Click, this, &TAnalysisParams::bnOkClick);
    connect(bnCancel, &TPanelButton::Click, this, &TAnalysisParams::bnCancelClick);

    auto* keys = new QHBoxLayout;
    keys->addStretch(1);
    keys->addWidget(bnOk);
    keys->addWidget(bnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ratio);
    layout->addWidget(phase);
    layout->addLayout(keys);
}

void TAnalysisParams::SetImages(const TQelImage& images) {
    bnOk->SetImageList(images.Image32x32L());
    bnCancel->SetImageList(images.Image32x32L());
}

void TAnalysisParams::bnOkClick() {
    // Each field checks its own range; the bands need limits of at least zero, green inside yellow.
    const double rg = edRelRatioErrGreen->Value(), ry = edRelRatioErrYellow->Value();
    const double pg = edRelPhaseErrGreen->Value(), py = edRelPhaseErrYellow->Value();
    TOperatorIFace* op = FGlobal.Operator();
    if (rg < 0 || ry < 0 || pg < 0 || py < 0) {
        if (op)
            op->Error(NegativeText, windowTitle());
        return;
    }
    if (rg > ry || pg > py) {
        if (op)
            op->Error(OrderText, windowTitle());
        return;
    }
    const TXMLAnalysisType a = FGlobal.Doc().QEL().Analysis();
    a.MaxRelRatioErrorGreen().SetValue(LimitText(edRelRatioErrGreen));
    a.MaxRelRatioErrorYellow().SetValue(LimitText(edRelRatioErrYellow));
    a.MaxRelPhaseErrorGreen().SetValue(LimitText(edRelPhaseErrGreen));
    a.MaxRelPhaseErrorYellow().SetValue(LimitText(edRelPhaseErrYellow));
    // The limits belong to the test: kept on the disk at once, then every page redraws its bands.
    if (!FGlobal.Doc().FileName().isEmpty())
        FGlobal.SaveDocument(1);
    FGlobal.ApplySettings();
    accept();
}
