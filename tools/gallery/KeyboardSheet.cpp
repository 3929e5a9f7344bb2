#include "KeyboardSheet.h"

#include "AscInputForm.h"
#include "SelectList.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

bool RenderKeyboardSheet(const QString& path) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("AscInput.cfg"));
    {
        TTntSelectList list(file, QStringLiteral("QelSetupFrame.edTrafoName"));
        for (const char* t : {"Trafo 110/20 kV Nord", "Trafo 110/20 kV Sued", "Trafo 20/0.4 kV Halle 3",
                              "Grid transformer T1", "Pole transformer 12"})
            list.Add(QString::fromLatin1(t));
        if (!list.Save(imAutoInsert))
            return false;
    }
    TTntAscInputForm kb;
    kb.SetListFile(file);
    kb.SetSectionName(QStringLiteral("QelSetupFrame.edTrafoName"));
    kb.BindLine(QString(), QStringLiteral("Name of the transformer under test"), false);
    kb.show();
    QCoreApplication::processEvents();
    for (const char* key : {"pnShift1", "estT", "estR"})
        QTest::mouseClick(kb.Part(QString::fromLatin1(key)), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(kb.Part(QStringLiteral("pnShift1")), Qt::LeftButton, {}, QPoint(10, 10));
    QCoreApplication::processEvents();
    return kb.grab().save(path);
}
