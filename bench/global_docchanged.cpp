// Time of one DocumentChanged (save plus broadcast) on tests of 1,000 and 3,000 result rows.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

#include "QelGlobals.h"
#include "XMLGrid.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

namespace {
struct TSink : QObject {
    int Count = 0;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Type(UM_DOCCHANGED))
            ++Count;
        return QObject::event(e);
    }
};
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    TQelStartup s;
    s.ExecutablePath = home.filePath(QStringLiteral("Qel8625"));
    s.DocumentsFolder = home.path();
    s.Arguments = {QStringLiteral("/SIM")};
    TQelGlobal g(s);
    TSink sink;
    g.RegisterWindow(&sink);
    for (int rows : {1000, 3000}) {
        g.NewDocument(home.filePath(QStringLiteral("bench%1.xml").arg(rows)));
        const TXMLGridType grid = g.Doc().QEL().Measurement().Grid();
        grid.SetRowCount(rows + 1);
        for (int r = 1; r <= rows; ++r)
            for (int c = 0; c < 13; ++c)
                grid.SetCell(c, r, QStringLiteral("%1.%2").arg(r).arg(c));
        g.DocumentChanged(); // first save writes the confirmed copy as well
        const int runs = 20;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < runs; ++i)
            g.DocumentChanged();
        std::printf("DocumentChanged, %5d rows: %8.2f ms per call (%d receivers told %d times)\n", rows,
                    double(t.nsecsElapsed()) / 1e6 / runs, g.Windows().Count(), sink.Count);
    }
    return 0;
}
