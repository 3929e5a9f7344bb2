// How fast the entry controls answer a touch: the first number pad of the run (nothing of it
// cached yet) and the drop-down list of a combo box with 500 items.
#include "BenchSupport.h"
#include "EntrySwitches.h"
#include "ExtStaticText.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "TSControls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

void Tap(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2));
}

// From the touch to the pad painted on screen, in ms.
double OpenPad(TTntNumEdit& ed) {
    QElapsedTimer t;
    t.start();
    Tap(&ed);
    TTntNumInputForm* pad = ed.NumPad();
    if (!pad)
        return -1;
    pad->repaint();
    QCoreApplication::processEvents();
    const double ms = t.nsecsElapsed() / 1e6;
    pad->reject();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ms;
}

// From the touch on the arrow key to the list painted, in ms.
double OpenList(TTSComboBox& cb) {
    QElapsedTimer t;
    t.start();
    Tap(cb.ArrowKey());
    QListView* list = cb.DropDown();
    if (!list)
        return -1;
    list->repaint();
    QCoreApplication::processEvents();
    const double ms = t.nsecsElapsed() / 1e6;
    cb.SetDroppedDown(false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    OffscreenWithoutDisplay();
    QApplication app(argc, argv);
    QTextStream out(stdout);
    TEntrySwitches::TouchEntryWide = true;

    QWidget form;
    form.resize(800, 600);
    auto* ed = new TTntNumEdit(&form);
    ed->setGeometry(20, 20, 200, 30);
    ed->SetUnitStr(QStringLiteral("V"));
    ed->SetRange(1, 999e3);
    ed->SetValue(400e3);
    auto* cb = new TTSComboBox(&form);
    cb->setGeometry(20, 300, 200, 40);
    QStringList items;
    for (int i = 0; i < 500; ++i)
        items << QStringLiteral("Tap %1 (%2 kV)").arg(i + 1).arg(110.0 + i * 0.125);
    cb->SetItems(items);
    cb->SetItemIndex(250);
    form.show();
    QCoreApplication::processEvents();

    const double firstPad = OpenPad(*ed);
    std::vector<double> pads;
    for (int i = 0; i < 20; ++i)
        pads.push_back(OpenPad(*ed));
    const double firstList = OpenList(*cb);
    std::vector<double> lists;
    for (int i = 0; i < 50; ++i)
        lists.push_back(OpenList(*cb));

    out << "number pad, first open:            " << firstPad << " ms (target < 50 ms)\n";
    out << "number pad, median of 20 opens:    " << Median(pads) << " ms\n";
    out << "combo box 500 items, first list:   " << firstList << " ms (target < 20 ms)\n";
    out << "combo box 500 items, median of 50: " << Median(lists) << " ms\n";
    return firstPad >= 0 && firstList >= 0 ? 0 : 1;
}
