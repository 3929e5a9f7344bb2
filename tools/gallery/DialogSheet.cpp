#include "DialogSheet.h"

#include "XMLDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

bool RenderDialogSheet(const QString& path) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("KOVA/Data"));
    for (const char* folder : {"Substation Nord", "Substation Sued", "Archive 2023"})
        QDir().mkpath(data + '/' + QLatin1String(folder));
    for (const char* name : {"T1 110-20 kV.xml", "T2 110-20 kV.xml", "Pole transformer 12.xml",
                             "Grid transformer T3.XML", "Notes.txt", "T1 110-20 kV.~xml"}) {
        QFile f(data + '/' + QLatin1String(name));
        if (!f.open(QIODevice::WriteOnly))
            return false;
    }
    TXMLOpenDialog dlg;
    dlg.SetAppFolder(dir.path());
    dlg.SetRecentNames({data + QStringLiteral("/T1 110-20 kV.xml")});
    dlg.SetDefaultExt(QStringLiteral(".XML"));
    dlg.SetFileName(data + QStringLiteral("/*.xml"));
    dlg.SetFolder(data);
    dlg.show();
    if (!QTest::qWaitFor([&] { return dlg.Listed() && dlg.ListedNames().size() == 7; }, 10000))
        return false;
    dlg.TapItem(QStringLiteral("T2 110-20 kV.xml"));
    QCoreApplication::processEvents();
    return dlg.grab().save(path);
}
