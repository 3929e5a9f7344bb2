// How fast the on-screen keyboard answers a touch on a text box whose list holds 1,000 entries
// inside an "AscInput.cfg" of 30,000 lines: from the tap to the keyboard painted with its list
// read (first open of the run and median of 20), and the first letter that shows the list box.
#include "AscInput.h"
#include "AscInputForm.h"
#include "BenchSupport.h"
#include "EntrySwitches.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

// 29 other fields' lists and the box's own, 1,000 entries each: 30,087 lines.
bool WriteListFile(const QString& name) {
    QByteArray text;
    for (int s = 0; s < 30; ++s) {
        text += s == 17 ? QByteArray("[QelSetupFrame.edTrafoName]\r\n")
                        : "[QelSetupFrame.edField" + QByteArray::number(s) + "]\r\n";
        text += "Entries=1000\r\nInsertMode=1\r\n";
        for (int i = 1; i <= 1000; ++i)
            text += "Text" + QByteArray::number(i) + "=Transformer " + QByteArray::number(s * 7919 + i * 31) +
                    " kV\r\n";
    }
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

// From the tap to the keyboard painted, in ms; then the first letter's list box.
double Open(TTntAscEdit& box, double* letter = nullptr) {
    QElapsedTimer t;
    t.start();
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, 5));
    TTntAscInputForm* kb = box.Keyboard();
    if (!kb)
        return -1;
    kb->repaint();
    QCoreApplication::processEvents();
    const double ms = t.nsecsElapsed() / 1e6;
    if (letter) {
        t.restart();
        QWidget* key = kb->Part(QStringLiteral("estT"));
        QTest::mouseClick(key, Qt::LeftButton, {}, QPoint(10, 10));
        kb->repaint();
        QCoreApplication::processEvents();
        *letter = t.nsecsElapsed() / 1e6;
    }
    kb->Cancel();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    OffscreenWithoutDisplay();
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("AscInput.cfg"));
    if (!WriteListFile(file))
        return 1;
    TEntrySwitches::TouchEntryWide = true;

    QWidget form;
    form.setObjectName(QStringLiteral("QelSetupFrame"));
    form.resize(800, 600);
    auto* box = new TTntAscEdit(&form);
    box->setObjectName(QStringLiteral("edTrafoName"));
    box->SetListFile(file);
    box->setGeometry(20, 20, 300, 30);
    form.show();
    QCoreApplication::processEvents();

    double letter = 0;
    const double first = Open(*box, &letter);
    std::vector<double> opens;
    for (int i = 0; i < 20; ++i)
        opens.push_back(Open(*box));

    out << "keyboard, 1000 of 30087 lines, first open:  " << first << " ms (target < 50 ms)\n";
    out << "keyboard, median of 20 opens:               " << Median(opens) << " ms\n";
    out << "first letter to the list box of 1000:       " << letter << " ms\n";
    return first >= 0 ? 0 : 1;
}
