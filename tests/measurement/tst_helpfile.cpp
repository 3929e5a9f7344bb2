// The operating instructions shipped in data/: the help key of every page opens them at an anchor
// that exists, and every picture they show is shipped with them.
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include "MainRig.h"
#include "PanelButton.h"
#include "QelPageControl.h"
#include "TestDirs.h"

namespace {

const QString HelpName = QStringLiteral("Operating Instructions Qel8625.html");

QString Shipped(const QString& name) {
    return SourceDir() + QStringLiteral("/data/") + name;
}

QSet<QString> Matches(const QString& html, const QString& pattern) {
    QSet<QString> found;
    auto it = QRegularExpression(pattern).globalMatch(html);
    while (it.hasNext())
        found << it.next().captured(1);
    return found;
}

} // namespace

class TstHelpFile : public QObject {
    Q_OBJECT

    QString FHtml;

private Q_SLOTS:
    void initTestCase() {
        FHtml = QString::fromUtf8(ReadBytes(Shipped(HelpName)));
        QVERIFY2(!FHtml.isEmpty(), qPrintable(Shipped(HelpName)));
    }

    void everyPageOpensAnAnchorThatExists() {
        TMainRig rig;
        rig.Create({QStringLiteral("/SIM")});
        TQelMainForm& f = *rig.Form;
        QVERIFY(QFile::copy(Shipped(HelpName), f.HelpFile()));
        f.show();
        QList<QUrl> opened;
        f.OpenHelpUrl = [&](const QUrl& url) {
            opened << url;
            return true;
        };
        const QSet<QString> ids = Matches(FHtml, QStringLiteral("\\bid=\"([^\"]+)\""));
        // Every page the window has, including any added later.
        for (int page = 0; page < f.PageControl1->count(); ++page) {
            f.PageControl1->setCurrentIndex(page);
            f.bnHelp->PerformClick();
            QCOMPARE(opened.size(), page + 1);
            const QUrl url = opened.last();
            QCOMPARE(url.toLocalFile(), f.HelpFile());
            const QString anchor = url.hasFragment() ? url.fragment() : QStringLiteral("context-0");
            QVERIFY2(ids.contains(anchor), qPrintable(QStringLiteral("page %1: #%2").arg(page).arg(anchor)));
        }
        QVERIFY(rig.Operator.Entries.isEmpty());
    }

    void linksAndPicturesAreShipped() {
        const QSet<QString> ids = Matches(FHtml, QStringLiteral("\\bid=\"([^\"]+)\""));
        for (const QString& link : Matches(FHtml, QStringLiteral("href=\"#([^\"]+)\"")))
            QVERIFY2(ids.contains(link), qPrintable(link));
        const QSet<QString> pictures = Matches(FHtml, QStringLiteral("<img src=\"([^\"]+)\""));
        QVERIFY(!pictures.isEmpty());
        for (const QString& picture : pictures)
            QVERIFY2(QFileInfo(Shipped(picture)).isFile(), qPrintable(picture));
    }
};

QTEST_MAIN(TstHelpFile)
#include "tst_helpfile.moc"
