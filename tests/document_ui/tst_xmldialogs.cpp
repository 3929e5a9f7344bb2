// The touch file dialogs on real folders: what they list, the names they take or refuse with the
// texts the operator reads, the recent names in "cbFileName.cfg", new folders, the preview.
#include "AscInputForm.h"
#include "ExtStaticText.h"
#include "GlobalState.h"
#include "PanelButton.h"
#include "RecordingOperator.h"
#include "TSControls.h"
#include "TestDirs.h"
#include "XMLDialogs.h"
#include "XMLPreview.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

namespace {

void Touch(const QString& name, const QByteArray& content = "x") {
    QVERIFY(WriteBytes(name, content));
}

// Types a name into the dialog's name box: on the on-screen keyboard with the touch entry switch
// on, else on a hardware keyboard ending with Enter.
void TypeName(TXMLOpenDialog& dlg, const QString& text) {
    if (TEntrySwitches::TouchEntryWide) {
        QTest::mouseClick(dlg.NameBox()->Field(), Qt::LeftButton);
        TTntAscInputForm* kb = dlg.NameBox()->Keyboard();
        QVERIFY(kb);
        qobject_cast<QLineEdit*>(kb->Part(QStringLiteral("edText")))->setText(text);
        kb->Ok();
        return;
    }
    QLineEdit* field = dlg.NameBox()->Field();
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
}

} // namespace

class TestXMLDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> FDir;
    std::unique_ptr<TGlobalStateGuard> FGuard;
    TRecordingOperator FOperator;
    QString FApp, FData;

    template <class TDialog = TXMLOpenDialog>
    std::unique_ptr<TDialog> Dialog(const QString& ext = QStringLiteral(".XML")) {
        auto dlg = std::make_unique<TDialog>();
        dlg->SetAppFolder(FApp);
        dlg->SetOperator(&FOperator);
        dlg->SetListFile(FDir->filePath(QStringLiteral("AscInput.cfg")));
        dlg->SetDefaultExt(ext);
        dlg->SetFileName(FData + QStringLiteral("/*.xml"));
        dlg->SetFolder(FData);
        dlg->show();
        if (!QTest::qWaitForWindowExposed(dlg.get()))
            qWarning("dialog not exposed");
        return dlg;
    }

    // The listing fills in while the file system is read: wait for it, generously.
    static bool WaitListed(TXMLOpenDialog& dlg, const QStringList& names) {
        if (QTest::qWaitFor([&] { return dlg.Listed() && dlg.ListedNames() == names; }, 20000))
            return true;
        qWarning() << "listed:" << dlg.ListedNames() << "expected:" << names;
        return false;
    }

private Q_SLOTS:
    void init() {
        FGuard = std::make_unique<TGlobalStateGuard>();
        FDir = std::make_unique<QTemporaryDir>();
        FApp = FDir->filePath(QStringLiteral("app"));
        FData = FDir->filePath(QStringLiteral("data"));
        QDir().mkpath(FApp + QStringLiteral("/tests"));
        QDir().mkpath(FData + QStringLiteral("/sub"));
        for (const char* n : {"a.xml", "b.XML", "c.txt", "d.~xml"})
            Touch(FData + '/' + QLatin1String(n));
        FOperator = TRecordingOperator();
    }
    void cleanup() {
        FDir.reset();
        FGuard.reset();
    }

    void listing_data();
    void listing();
    void invalidNameComesBack();
    void openNeedsAFile_data();
    void openNeedsAFile();
    void overwriteOnTheOperatorsWord();
    void recentEntriesRelativeAndAbsolute();
    void recentEntryFromAnotherWorkingDirectory();
    void typedFolderPart_data();
    void typedFolderPart();
    void newFolder_data();
    void newFolder();
    void computerLevel();
    void preview();
};

void TestXMLDialogs::listing_data() {
    QTest::addColumn<QString>("ext");
    QTest::addColumn<QStringList>("names");
    QTest::newRow(".XML") << ".XML" << QStringList{"sub/", "a.xml", "b.XML"};
    QTest::newRow("two extensions") << ".xml|.txt" << QStringList{"sub/", "a.xml", "b.XML", "c.txt"};
    QTest::newRow("empty entries") << "|.XML||" << QStringList{"sub/", "a.xml", "b.XML"};
    QTest::newRow("none") << "" << QStringList{"sub/", "a.xml", "b.XML", "c.txt", "d.~xml"};
}

void TestXMLDialogs::listing() {
    QFETCH(QString, ext);
    QFETCH(QStringList, names);
    auto dlg = Dialog(ext);
    QVERIFY(WaitListed(*dlg, names));
    QCOMPARE(dlg->Folder(), FData);
}

void TestXMLDialogs::invalidNameComesBack() {
    auto dlg = Dialog<TXMLSaveDialog>();
    QVERIFY(WaitListed(*dlg, {"sub/", "a.xml", "b.XML"}));
    QVERIFY(dlg->TapItem(QStringLiteral("a.xml")));
    QCOMPARE(dlg->NameBox()->Caption(), QStringLiteral("a"));
    TypeName(*dlg, QStringLiteral("a?b"));
    QCOMPARE(FOperator.Texts(),
             QStringList{QStringLiteral("FileName \"a?b\" is not a valid filename\nPlease try again.")});
    QCOMPARE(FOperator.Entries.first().Kind, TOperatorIFace::TKind::Error);
    QCOMPARE(dlg->NameBox()->Caption(), QStringLiteral("a"));
    QCOMPARE(dlg->FileName(), FData + QStringLiteral("/a.xml"));
}

void TestXMLDialogs::openNeedsAFile_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << "none.xml";
    QTest::newRow("folder") << "sub";
}

void TestXMLDialogs::openNeedsAFile() {
    QFETCH(QString, name);
    auto dlg = Dialog();
    dlg->SetFileName(FData + '/' + name);
    dlg->bnOpenClick();
    QCOMPARE(
        FOperator.Texts(),
        QStringList{
            QStringLiteral("File :%1/%2\r\ndoes not exists\nPlease select a valid file.").arg(FData, name)});
    QVERIFY(dlg->isVisible());
    QCOMPARE(dlg->result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(FApp + QStringLiteral("/cbFileName.cfg")));
}

// Cancel on the question keeps the dialog and records nothing; OK replaces and records the name.
void TestXMLDialogs::overwriteOnTheOperatorsWord() {
    auto dlg = Dialog<TXMLSaveDialog>();
    QVERIFY(WaitListed(*dlg, {"sub/", "a.xml", "b.XML"}));
    TypeName(*dlg, QStringLiteral("a"));
    QCOMPARE(dlg->FileName(), FData + QStringLiteral("/a.xml"));
    FOperator.Answers = {TOperatorIFace::TAnswer::Cancel, TOperatorIFace::TAnswer::Ok};
    dlg->bnOpenClick();
    const QString question =
        QStringLiteral("File \"%1/a.xml\" already exists\nDo you want to replace it ?").arg(FData);
    QCOMPARE(FOperator.Texts(), QStringList{question});
    QCOMPARE(FOperator.Entries.first().Buttons, TOperatorIFace::TButtons::OkCancel);
    QVERIFY(dlg->isVisible());
    QVERIFY(dlg->RecentNames().Entries().isEmpty());
    QVERIFY(!QFile::exists(FApp + QStringLiteral("/cbFileName.cfg")));
    dlg->bnOpenClick();
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(ReadBytes(FApp + QStringLiteral("/cbFileName.cfg")),
             (FData + QStringLiteral("/a.xml\r\n")).toUtf8());
    // A new name asks nothing.
    auto again = Dialog<TXMLSaveDialog>();
    TypeName(*again, QStringLiteral("new"));
    again->bnOpenClick();
    QCOMPARE(again->result(), int(QDialog::Accepted));
    QCOMPARE(FOperator.Texts(), (QStringList{question, question}));
    QCOMPARE(again->RecentNames().Entries().last(), FData + QStringLiteral("/new.xml"));
}

void TestXMLDialogs::recentEntriesRelativeAndAbsolute() {
    Touch(FApp + QStringLiteral("/tests/t1.xml"));
    auto dlg = Dialog();
    dlg->SetFolder(FApp + QStringLiteral("/tests"));
    QVERIFY(WaitListed(*dlg, {"t1.xml"}));
    QVERIFY(dlg->TapItem(QStringLiteral("t1.xml"), true));
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(dlg->FileName(), FApp + QStringLiteral("/tests/t1.xml"));
    auto other = Dialog();
    QVERIFY(WaitListed(*other, {"sub/", "a.xml", "b.XML"}));
    QVERIFY(other->TapItem(QStringLiteral("b.XML")));
    other->bnOpenClick();
    QCOMPARE(other->result(), int(QDialog::Accepted));
    QCOMPARE(ReadBytes(FApp + QStringLiteral("/cbFileName.cfg")),
             (FData + QStringLiteral("/b.XML\r\ntests/t1.xml\r\n")).toUtf8());
    QCOMPARE(other->NameBox()->Items(),
             (QStringList{FData + QStringLiteral("/b.XML"), QStringLiteral("tests/t1.xml")}));
}

// A relative entry names a file below the program's folder whatever the working directory.
void TestXMLDialogs::recentEntryFromAnotherWorkingDirectory() {
    Touch(FApp + QStringLiteral("/tests/t1.xml"));
    QVERIFY(QDir().mkpath(FData + QStringLiteral("/tests")));
    Touch(FData + QStringLiteral("/tests/t1.xml"));
    Touch(FApp + QStringLiteral("/cbFileName.cfg"), "tests/t1.xml\r\n");
    const QString cwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(FData));
    auto dlg = Dialog();
    QCOMPARE(dlg->NameBox()->Items(), QStringList{QStringLiteral("tests/t1.xml")});
    QTest::mouseClick(dlg->NameBox()->ArrowKey(), Qt::LeftButton);
    QListView* list = dlg->NameBox()->DropDown();
    QVERIFY(list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(0, 0)).center());
    QDir::setCurrent(cwd);
    QCOMPARE(dlg->FileName(), FApp + QStringLiteral("/tests/t1.xml"));
    QCOMPARE(dlg->Folder(), FApp + QStringLiteral("/tests"));
    dlg->bnOpenClick();
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QVERIFY(FOperator.Entries.isEmpty());
}

void TestXMLDialogs::typedFolderPart_data() {
    QTest::addColumn<bool>("touch");
    QTest::newRow("hardware keyboard") << false;
    QTest::newRow("on-screen keyboard") << true;
}

// "sub/new" goes to the folder sub with the file part "new", not to a folder named twice.
void TestXMLDialogs::typedFolderPart() {
    QFETCH(bool, touch);
    TEntrySwitches::TouchEntryWide = touch;
    auto dlg = Dialog<TXMLSaveDialog>();
    TypeName(*dlg, QStringLiteral("sub/new"));
    QCOMPARE(dlg->Folder(), FData + QStringLiteral("/sub"));
    QCOMPARE(dlg->FileName(), FData + QStringLiteral("/sub/new.xml"));
    QCOMPARE(dlg->NameBox()->Caption(), QStringLiteral("new"));
    TypeName(*dlg, QStringLiteral("missing/new"));
    QCOMPARE(FOperator.Texts(), QStringList{QStringLiteral(
                                    "FileName \"missing/new\" is not a valid filename\nPlease try again.")});
    QCOMPARE(dlg->Folder(), FData + QStringLiteral("/sub"));
}

void TestXMLDialogs::newFolder_data() {
    QTest::addColumn<bool>("touch");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("created");
    QTest::addColumn<bool>("refused");
    for (const bool touch : {false, true}) {
        const char* way = touch ? "keyboard" : "query";
        QTest::addRow("%s: plain", way) << touch << "Reports 2024" << true << false;
        QTest::addRow("%s: empty", way) << touch << "" << false << false;
        QTest::addRow("%s: dot dot", way) << touch << ".." << false << true;
        QTest::addRow("%s: separator", way) << touch << "a/b" << false << true;
        QTest::addRow("%s: exists", way) << touch << "sub" << false << true;
    }
}

void TestXMLDialogs::newFolder() {
    QFETCH(bool, touch);
    QFETCH(QString, name);
    QFETCH(bool, created);
    QFETCH(bool, refused);
    TEntrySwitches::TouchEntryWide = touch;
    auto dlg = Dialog();
    dlg->bnNewClick();
    if (touch) {
        auto* kb = dlg->findChild<TTntAscInputForm*>();
        QVERIFY(kb);
        QCOMPARE(kb->Text(), QStringLiteral("New Folder"));
        QCOMPARE(kb->HelpText(), FData + QStringLiteral("/New Folder"));
        qobject_cast<QLineEdit*>(kb->Part(QStringLiteral("edText")))->setText(name);
        kb->Ok();
    } else {
        auto* query = dlg->findChild<QInputDialog*>(QStringLiteral("qyCreateDir"));
        QVERIFY(query);
        QCOMPARE(query->windowTitle(), QStringLiteral("Create Directory"));
        QCOMPARE(query->labelText(), QStringLiteral("Directory Name"));
        query->setTextValue(name);
        query->accept();
    }
    const QStringList folders = QDir(FData).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(folders, created ? (QStringList{"Reports 2024", "sub"}) : QStringList{QStringLiteral("sub")});
    QCOMPARE(FOperator.Texts(),
             refused ? QStringList{QStringLiteral("Not possible to Create Directory")} : QStringList());
    QVERIFY(!QFileInfo::exists(FDir->filePath(QStringLiteral("a"))));
    if (created)
        QVERIFY(WaitListed(*dlg, {"Reports 2024/", "sub/", "a.xml", "b.XML"}));
}

void TestXMLDialogs::computerLevel() {
    auto dlg = Dialog();
    dlg->SetPlaces(
        {{QStringLiteral("KOVA Data"), FData}, {QStringLiteral("KOVA Gone"), FData + QStringLiteral("/x")}});
    Touch(FData + QStringLiteral("/sub/s.xml"));
    dlg->GoUp();
    QCOMPARE(dlg->Folder(), FDir->path());
    dlg->Button(QStringLiteral("bnHome"))->PerformClick();
    QVERIFY(dlg->AtComputerLevel());
    const QStringList places = dlg->ListedNames();
    QCOMPARE(places.mid(0, 3), (QStringList{"Home", "KOVA Data", "File System"}));
    QVERIFY(dlg->TapItem(QStringLiteral("KOVA Data")));
    QCOMPARE(dlg->Folder(), FData);
    QVERIFY(WaitListed(*dlg, {"sub/", "a.xml", "b.XML"}));
    QVERIFY(dlg->TapItem(QStringLiteral("sub/").chopped(1), true));
    QVERIFY(WaitListed(*dlg, {"s.xml"}));
}

void TestXMLDialogs::preview() {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(FData + QStringLiteral("/p.bmp")));
    {
        QFile big(FData + QStringLiteral("/big.bmp"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(TXMLOpenDialog::MaxPreviewBytes + 1));
    }
    auto dlg = Dialog(QStringLiteral(".bmp|.xml"));
    QStringList asked;
    dlg->SetPreviewTransform([&asked](const QString& file, QString& html) {
        asked << file;
        html = QStringLiteral("<p>Test</p>");
        return true;
    });
    QVERIFY(WaitListed(*dlg, {"sub/", "a.xml", "b.XML", "big.bmp", "p.bmp"}));
    QVERIFY(dlg->TapItem(QStringLiteral("p.bmp")));
    QCOMPARE(dlg->PreviewKind(), QStringLiteral("picture"));
    QVERIFY(dlg->TapItem(QStringLiteral("big.bmp")));
    QCOMPARE(dlg->PreviewKind(), QString());
    QVERIFY(dlg->TapItem(QStringLiteral("a.xml")));
    QCOMPARE(dlg->PreviewKind(), QStringLiteral("html"));
    QCOMPARE(asked, QStringList{FData + QStringLiteral("/a.xml")});
    QVERIFY(dlg->TapItem(QStringLiteral("sub")));
    QCOMPARE(dlg->PreviewKind(), QString());
    // Nothing from outside the computer: a remote picture is asked for and refused, a local one is shown.
    TXMLPreviewBrowser* browser = dlg->Browser();
    browser->ShowHtml(QStringLiteral("<img src=\"http://example.com/logo.png\"><img src=\"p.bmp\">"), FData);
    QVERIFY(browser->Requested().contains(QUrl(QStringLiteral("http://example.com/logo.png"))));
    QVERIFY(
        browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("http://example.com/x.png")))
            .isNull());
    QVERIFY(!browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("p.bmp"))).isNull());
}

QTEST_MAIN(TestXMLDialogs)
#include "tst_xmldialogs.moc"
