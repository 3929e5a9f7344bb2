#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include "CaptionItems.h"
#include "GlobalState.h"
#include "IniFile.h"
#include "KovaBases.h"
#include "LangFiles.h"
#include "LangManager.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "PanelButton.h"
#include "RecordingOperator.h"
#include "StateButton.h"
#include "TSControls.h"
#include "TestDirs.h"

// A frame used twice on the form, as the winding frames are.
class TLangTestFrame : public QFrame {
    Q_OBJECT
public:
    explicit TLangTestFrame(const QString& name, const QString& title, QWidget* parent) : QFrame(parent) {
        setObjectName(name);
        auto* box = new QGroupBox(title, this);
        box->setObjectName(QStringLiteral("gbSide"));
        auto* l = new QLabel(QStringLiteral("Voltage"), box);
        l->setToolTip(QStringLiteral("Nominal voltage"));
    }
};

// A form with one control of each kind the manager knows.
class TLangTestForm : public QWidget {
    Q_OBJECT
public:
    explicit TLangTestForm(const QString& name = QStringLiteral("LangTestForm")) {
        setObjectName(name);
        setWindowTitle(QStringLiteral("Settings"));
        bnClose = new QPushButton(QStringLiteral("Close"), this);
        bnClose->setObjectName(QStringLiteral("bnClose"));
        bnClose->setToolTip(QStringLiteral("Closes the window"));
        lbTwo = Label(QStringLiteral("lbTwo"), QStringLiteral("One line"));
        lbKeep = Label(QStringLiteral("lbKeep"), QStringLiteral("Designed"));
        lbQuote = Label(QStringLiteral("lbQuote"), QStringLiteral("Add?"));
        lbBreaks = Label(QStringLiteral("lbBreaks"), QStringLiteral("a\nb\rc\n\rd\r\ne"));
        lbValue = Label(QStringLiteral("lbValue"), QString());
        unnamed = new QLabel(QStringLiteral("No name"), this);
        bnMode = new TPanelButton(this);
        bnMode->setObjectName(QStringLiteral("bnMode"));
        bnMode->SetCaptionItems({CaptionItem::Make(QStringLiteral("Open"), 14),
                                 CaptionItem::Make(QStringLiteral("Save"), 15),
                                 CaptionItem::Make(QStringLiteral("Print"))});
        bnMode->SetStateMax(1);
        bnMode->SetState(1);
        sbStore = new TStateButton(this);
        sbStore->setObjectName(QStringLiteral("sbStore"));
        sbStore->SetCaptionItems(
            {CaptionItem::Make(QStringLiteral("XML")), CaptionItem::Make(QStringLiteral("XML, CSV"))});
        sbStore->SetStateMax(1);
        cbVolt = new TTSComboBox(this);
        cbVolt->setObjectName(QStringLiteral("cbVolt"));
        cbVolt->SetItems({QStringLiteral("10 V"), QStringLiteral("40 V"), QStringLiteral("100 V")});
        cbVolt->SetItemIndex(2);
        edTemp = new TNumEdit(this);
        edTemp->setObjectName(QStringLiteral("edTemp"));
        edTemp->SetUnitStr(QStringLiteral("°C"));
        edTemp->SetLabelStr(QStringLiteral("Temperature"));
        edTemp->SetValue(21.5);
        tabs = new QTabWidget(this);
        tabs->setObjectName(QStringLiteral("PageControl1"));
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("tbOptions"));
        tabs->addTab(page, QStringLiteral("&Options"));
        hv = new TLangTestFrame(QStringLiteral("HVSideDef"), QStringLiteral("HV Side"), page);
        lv = new TLangTestFrame(QStringLiteral("LVSideDef"), QStringLiteral("LV Side"), page);
        auto* skipped = new QLabel(QStringLiteral("Data 123"), this);
        skipped->setObjectName(QStringLiteral("lbData"));
        SetLangTag(skipped, LangTagNever);
    }
    QLabel* Label(const QString& name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        return l;
    }
    QPushButton* bnClose;
    QLabel *lbTwo, *lbKeep, *lbQuote, *lbBreaks, *lbValue, *unnamed;
    TPanelButton* bnMode;
    TStateButton* sbStore;
    TTSComboBox* cbVolt;
    TNumEdit* edTemp;
    QTabWidget* tabs;
    TLangTestFrame *hv, *lv;
};

namespace {

const QString Title = QStringLiteral("Application Software 8625");

// A language file as a translator's editor saves it: UTF-16 LE, byte-order mark, CR LF.
void WriteLanguageFile(const QString& fileName, const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : t) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    QVERIFY(WriteBytes(fileName, bytes));
}

QString Header(const QString& language, const QString& common) {
    return QStringLiteral(
               "[%1]\nLanguage=\"%2\"\nCreated=\"2026-12-01\"\nModified=\"2026-12-02\"\nVersion=\"1.0.0\"\n"
               "CommonLanguageFile=\"%3\"\n\n")
        .arg(Title, language, common);
}

// Every text of the form that the manager handles.
QStringList Texts(const TLangTestForm& f) {
    QStringList t{f.windowTitle(),
                  f.bnClose->text(),
                  f.bnClose->toolTip(),
                  f.lbTwo->text(),
                  f.lbKeep->text(),
                  f.lbQuote->text(),
                  f.lbBreaks->text(),
                  f.unnamed->text(),
                  f.bnMode->Caption(),
                  QString::number(f.bnMode->State()),
                  QString::number(f.bnMode->StateMax()),
                  f.sbStore->Caption(),
                  QString::number(f.cbVolt->ItemIndex()),
                  f.cbVolt->Caption(),
                  f.edTemp->UnitStr(),
                  f.edTemp->LabelStr(),
                  QString::number(f.edTemp->Value()),
                  f.tabs->tabText(0)};
    t += f.bnMode->CaptionItems();
    t += f.sbStore->CaptionItems();
    t += f.cbVolt->Items();
    for (const TLangTestFrame* fr : {f.hv, f.lv}) {
        t << fr->findChild<QGroupBox*>()->title() << fr->findChild<QLabel*>()->text()
          << fr->findChild<QLabel*>()->toolTip();
    }
    return t;
}

} // namespace

class TstLangManager : public QObject {
    Q_OBJECT

    TGlobalStateGuard FGuard;

    struct TRig {
        QTemporaryDir Dir;
        TRecordingOperator Operator;
        TLangManager Manager;
        TRig() {
            Manager.SetAppTitle(Title);
            Manager.SetOperator(&Operator);
        }
        QString Path(const QString& name) const { return Dir.filePath(name); }
    };

    static void WriteGerman(TRig& rig, bool withCommon = true) {
        WriteLanguageFile(rig.Path(QStringLiteral("Deutsch.lan")),
                          Header(QStringLiteral("Deutsch"), QStringLiteral("DeutschCommon.lan")) +
                              QStringLiteral("[LangTestForm]\n"
                                             "Caption=\"Einstellungen\"\n"
                                             "bnClose.Caption=\"Schließen\"\n"
                                             "bnClose.Hint=\"Schließt das Fenster\"\n"
                                             "lbTwo.Caption=\"A/r/nB\"\n"
                                             "lbKeep.Caption=\"\"\n"
                                             "lbQuote.Caption=\"Möchten Sie \"%s\" zur Liste hinzufügen?\"\n"
                                             "lbData.Caption=\"nie\"\n"
                                             "Label1.Caption=\"Ohne Namen\"\n"
                                             "bnMode.List[0]=\"\"Öffnen\",14\"\n"
                                             "bnMode.List[1]=\"Speichern\"\n"
                                             "bnMode.List[2]=\"\"Drucken\",-1\"\n"
                                             "bnMode.List[3]=\"\"Zu viel\",-1\"\n"
                                             "sbStore.List[0]=\"\"XML\",-1\"\n"
                                             "sbStore.List[1]=\"\"XML, CSV-Datei\",-1\"\n"
                                             "cbVolt.List[0]=\"zehn V\"\n"
                                             "edTemp.Label=\"Temperatur\"\n"
                                             "tbOptions.Caption=\"&Optionen\"\n"
                                             "LVSideDef.gbSide.Caption=\"US-Seite\"\n"
                                             "\n[LangTestFrame]\n"
                                             "gbSide.Caption=\"OS-Seite\"\n"
                                             "Label1.Caption=\"Spannung\"\n"
                                             "Label1.Hint=\"Nennspannung\"\n"));
        if (withCommon)
            WriteLanguageFile(
                rig.Path(QStringLiteral("DeutschCommon.lan")),
                QStringLiteral("[Common]\nLanguage=\"Deutsch\"\n\n[KvConsts]\n"
                               "SSorryNoHlpAvail=\"Leider keine Hilfe verfügbar\"\n"
                               "SErrWritingFile=\"Fehler beim Schreiben der Datei :/r/n\\t%s\"\n"));
    }

private Q_SLOTS:
    void valueTexts_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "\"Close\""
                               << "Close";
        QTest::newRow("inner quotes") << "\"Do you want to add \"%s\" to the list?\""
                                      << "Do you want to add \"%s\" to the list?";
        QTest::newRow("caption item") << "\"\"Open\",14\""
                                      << "\"Open\",14";
        QTest::newRow("unquoted") << "Close"
                                  << "Close";
        QTest::newRow("one quote") << "\""
                                   << "\"";
        QTest::newRow("break") << "\"A/r/nB\""
                               << "A\nB";
    }
    void valueTexts() {
        QFETCH(QString, value);
        QFETCH(QString, text);
        QCOMPARE(LangText::FromFile(value), text);
    }

    void everyLineBreakIsWrittenAsEscape_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("value");
        QTest::newRow("CR LF") << "A\r\nB"
                               << "\"A/r/nB\"";
        QTest::newRow("LF") << "A\nB"
                            << "\"A/r/nB\"";
        QTest::newRow("CR") << "A\rB"
                            << "\"A/r/nB\"";
        QTest::newRow("LF CR") << "A\n\rB"
                               << "\"A/r/nB\"";
        QTest::newRow("two LF") << "A\n\nB"
                                << "\"A/r/n/r/nB\"";
        QTest::newRow("CR LF CR LF") << "\r\n\r\nX"
                                     << "\"/r/n/r/nX\"";
    }
    void everyLineBreakIsWrittenAsEscape() {
        QFETCH(QString, text);
        QFETCH(QString, value);
        QCOMPARE(LangText::ToFile(text), value);
        QVERIFY(!value.contains('\r') && !value.contains('\n'));
    }

    void libraryTextsKeepTheirEscapes() {
        const QString text = QStringLiteral("Error writing file :\r\n\t%s");
        QCOMPARE(LangText::ConstToFile(text), QStringLiteral("\"Error writing file :/r/n\\t%s\""));
        QCOMPARE(LangText::ConstFromFile(LangText::ConstToFile(text)), text);
    }

    void commonFileNameStaysInTheFolder_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "\"DeutschCommon.lan\""
                               << "DeutschCommon.lan";
        QTest::newRow("parent") << "\"../Qel8625.cfg\""
                                << "Common.ori";
        QTest::newRow("absolute") << "\"/etc/passwd\""
                                  << "Common.ori";
        QTest::newRow("windows") << "\"C:\\Common.ori\""
                                 << "Common.ori";
        QTest::newRow("dots") << "\"..\""
                              << "Common.ori";
        QTest::newRow("empty") << "\"\""
                               << "Common.ori";
    }
    void commonFileNameStaysInTheFolder() {
        QFETCH(QString, value);
        QFETCH(QString, name);
        QCOMPARE(LangText::CommonFileName(value), name);
    }

    void translatesAGermanFile() {
        TRig rig;
        WriteGerman(rig);
        rig.Manager.SetLanguageFolder(rig.Dir.path());
        QCOMPARE(rig.Manager.Languages(), QStringList{QStringLiteral("Deutsch")});
        TLangTestForm form;
        TKovaBase kova;
        rig.Manager.SetKovaBase(&kova);
        rig.Manager.Attach(&form);
        rig.Manager.SetLanguage(QStringLiteral("Deutsch"));
        QVERIFY2(rig.Operator.Entries.isEmpty(), qPrintable(rig.Operator.Texts().join('|')));
        QCOMPARE(rig.Manager.Version(), QStringLiteral("1.0.0"));
        QCOMPARE(rig.Manager.CommonLanguageFile(), QStringLiteral("DeutschCommon.lan"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Einstellungen"));
        QCOMPARE(form.bnClose->text(), QStringLiteral("Schließen"));
        QCOMPARE(form.bnClose->toolTip(), QStringLiteral("Schließt das Fenster"));
        QCOMPARE(form.lbTwo->text(), QStringLiteral("A\nB"));
        QCOMPARE(form.lbKeep->text(), QStringLiteral("Designed"));
        QCOMPARE(form.lbQuote->text(), QStringLiteral("Möchten Sie \"%s\" zur Liste hinzufügen?"));
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("lbData"))->text(), QStringLiteral("Data 123"));
        QCOMPARE(form.unnamed->text(), QStringLiteral("Ohne Namen"));
        // Caption items: the translated ones that read as items, the count and the state as they were.
        QCOMPARE(form.bnMode->CaptionItems(),
                 (QStringList{QStringLiteral("\"Öffnen\",14"), CaptionItem::Make("Save", 15),
                              QStringLiteral("\"Drucken\",-1")}));
        QCOMPARE(form.bnMode->State(), 1);
        QCOMPARE(form.bnMode->StateMax(), 1);
        QCOMPARE(form.bnMode->Caption(), QStringLiteral("Save"));
        QCOMPARE(form.sbStore->CaptionItems().at(1), QStringLiteral("\"XML, CSV-Datei\",-1"));
        // Fewer entries: the others stay, and so does the selection.
        QCOMPARE(form.cbVolt->Items(),
                 (QStringList{QStringLiteral("zehn V"), QStringLiteral("40 V"), QStringLiteral("100 V")}));
        QCOMPARE(form.cbVolt->ItemIndex(), 2);
        QCOMPARE(form.cbVolt->Caption(), QStringLiteral("100 V"));
        QCOMPARE(form.edTemp->LabelStr(), QStringLiteral("Temperatur"));
        QCOMPARE(form.edTemp->UnitStr(), QStringLiteral("°C"));
        QCOMPARE(form.edTemp->Value(), 21.5);
        QCOMPARE(form.tabs->tabText(0), QStringLiteral("&Optionen"));
        // The frame's section for both instances, the form's for the one it overrides.
        QCOMPARE(form.hv->findChild<QGroupBox*>()->title(), QStringLiteral("OS-Seite"));
        QCOMPARE(form.lv->findChild<QGroupBox*>()->title(), QStringLiteral("US-Seite"));
        QCOMPARE(form.lv->findChild<QLabel*>()->text(), QStringLiteral("Spannung"));
        QCOMPARE(form.lv->findChild<QLabel*>()->toolTip(), QStringLiteral("Nennspannung"));
        // The library's texts from the common file, the others built in.
        QCOMPARE(kova.Text(QStringLiteral("SSorryNoHlpAvail")),
                 QStringLiteral("Leider keine Hilfe verfügbar"));
        QCOMPARE(kova.Text(QStringLiteral("SErrWritingFile")),
                 QStringLiteral("Fehler beim Schreiben der Datei :\r\n\t%s"));
        QCOMPARE(kova.Text(QStringLiteral("SFileName")), QStringLiteral("File Name"));
    }

    void valueShownByTheProgramIsLeftAlone() {
        TRig rig;
        WriteGerman(rig);
        WriteLanguageFile(
            rig.Path(QStringLiteral("English.lan")),
            Header(QStringLiteral("English"), QStringLiteral("DeutschCommon.lan")) +
                QStringLiteral("[LangTestForm]\nbnClose.Caption=\"Close\"\nlbTwo.Caption=\"One line\"\n"));
        rig.Manager.SetLanguageFolder(rig.Dir.path());
        TLangTestForm form;
        rig.Manager.Attach(&form);
        rig.Manager.SetLanguage(QStringLiteral("Deutsch"));
        form.lbTwo->setText(QStringLiteral("Dyn11"));
        rig.Manager.SetLanguage(QStringLiteral("English"));
        QCOMPARE(form.bnClose->text(), QStringLiteral("Close"));
        QCOMPARE(form.lbTwo->text(), QStringLiteral("Dyn11"));
    }

    void missingCommonFileIsSaidOnce() {
        TRig rig;
        WriteGerman(rig, false);
        rig.Manager.SetLanguageFolder(rig.Dir.path());
        TLangTestForm form;
        rig.Manager.Attach(&form);
        rig.Manager.SetLanguage(QStringLiteral("Deutsch"));
        QCOMPARE(rig.Operator.Entries.size(), 1);
        QCOMPARE(rig.Operator.Entries[0].Kind, TOperatorIFace::TKind::Error);
        QCOMPARE(rig.Operator.Entries[0].Text, QStringLiteral("Error reading common language file :\r\n") +
                                                   rig.Dir.path() + QStringLiteral("/DeutschCommon.lan"));
        QCOMPARE(form.bnClose->text(), QStringLiteral("Schließen"));
    }

    void commonFileOutsideTheFolderIsNotOpened() {
        TRig rig;
        WriteLanguageFile(rig.Path(QStringLiteral("Evil.lan")),
                          Header(QStringLiteral("Evil"), QStringLiteral("../outside.lan")));
        rig.Manager.SetLanguageFolder(rig.Dir.path());
        rig.Manager.SetLanguage(QStringLiteral("Evil"));
        QCOMPARE(rig.Manager.CommonLanguageFile(), QStringLiteral("Common.ori"));
        QCOMPARE(rig.Operator.Texts(),
                 QStringList{QStringLiteral("Error reading common language file :\r\n") + rig.Dir.path() +
                             QStringLiteral("/Common.ori")});
    }

    void unknownLanguageChangesNothing() {
        TRig rig;
        WriteGerman(rig);
        rig.Manager.SetLanguageFolder(rig.Dir.path());
        TLangTestForm form;
        rig.Manager.Attach(&form);
        const QStringList before = Texts(form);
        rig.Manager.SetLanguage(QStringLiteral("Klingonisch"));
        QCOMPARE(rig.Manager.Language(), QStringLiteral("English"));
        QCOMPARE(rig.Manager.AppFileName(), QString());
        QCOMPARE(Texts(form), before);
        QVERIFY(rig.Operator.Entries.isEmpty());
    }

    void folderWithoutLanguagesIsNotTaken() {
        TRig rig;
        WriteLanguageFile(rig.Path(QStringLiteral("Other.lan")),
                          QStringLiteral("[Another Program]\nLanguage=\"X\"\n"));
        WriteLanguageFile(rig.Path(QStringLiteral("DeutschCommon.lan")),
                          QStringLiteral("[Common]\nLanguage=\"X\"\n"));
        rig.Manager.SetLanguageFolder(rig.Dir.path());
        QCOMPARE(rig.Manager.LanguageFolder(), QString());
        QVERIFY(rig.Manager.Languages().isEmpty());
        rig.Manager.SetLanguageFolder(rig.Path(QStringLiteral("missing")));
        QCOMPARE(rig.Manager.LanguageFolder(), QString());
    }

    void formHandledOnceUntilForced() {
        TRig rig;
        WriteGerman(rig);
        rig.Manager.SetLanguageFolder(rig.Dir.path());
        rig.Manager.SetLanguage(QStringLiteral("Deutsch"));
        TLangTestForm first;
        rig.Manager.HandleForm(&first, false, false);
        QCOMPARE(first.bnClose->text(), QStringLiteral("Schließen"));
        TLangTestForm second; // the same section: already handled
        rig.Manager.HandleForm(&second, false, false);
        QCOMPARE(second.bnClose->text(), QStringLiteral("Close"));
        rig.Manager.HandleForm(&second, true, false);
        QCOMPARE(second.bnClose->text(), QStringLiteral("Schließen"));
    }

    void classNamesShareOneSection() {
        TRig rig;
        WriteLanguageFile(
            rig.Path(QStringLiteral("Deutsch.lan")),
            Header(QStringLiteral("Deutsch"), QStringLiteral("Common.ori")) +
                QStringLiteral("[TLangTestForm]\nbnClose.Caption=\"Zu\"\n[A]\nbnClose.Caption=\"A zu\"\n"));
        WriteLanguageFile(rig.Path(QStringLiteral("Common.ori")), QStringLiteral("[Common]\n"));
        rig.Manager.SetLanguageFolder(rig.Dir.path());
        rig.Manager.SetLanguage(QStringLiteral("Deutsch"));
        TLangTestForm a(QStringLiteral("A")), b(QStringLiteral("B"));
        rig.Manager.HandleForm(&a, true, false);
        rig.Manager.HandleForm(&b, true, false);
        QCOMPARE(a.bnClose->text(), QStringLiteral("A zu"));
        QCOMPARE(b.bnClose->text(), QStringLiteral("Close"));
        rig.Manager.SetOptions(lmNumUnits | lmClassNames);
        TLangTestForm c(QStringLiteral("A")), d(QStringLiteral("B"));
        rig.Manager.HandleForm(&c, true, false);
        rig.Manager.HandleForm(&d, true, false);
        QCOMPARE(c.bnClose->text(), QStringLiteral("Zu"));
        QCOMPARE(d.bnClose->text(), QStringLiteral("Zu"));
    }

    void buildWritesOriginalFiles() {
        TRig rig;
        const QString ori = rig.Path(QStringLiteral("Qel8625.ori"));
        const QString common = rig.Path(QStringLiteral("Common.ori"));
        QVERIFY(WriteBytes(common, "[Stale]\r\nold=\"x\"\r\n"));
        QStringList asked;
        rig.Manager.SetSaveDialog([&](const QString& title, const QString& filter, const QString&) {
            asked << title << filter;
            return ori;
        });
        rig.Operator.DefaultAnswer = TOperatorIFace::TAnswer::Yes;
        TKovaBase kova;
        rig.Manager.SetKovaBase(&kova);
        TLangTestForm first(QStringLiteral("FirstForm")), second(QStringLiteral("SecondForm"));
        (new TLangComponent(&first))->SetLanManager(&rig.Manager, false);
        (new TLangComponent(&second))->SetLanManager(&rig.Manager, false);
        rig.Manager.SetBuildLanguage(true);
        QCOMPARE(asked, (QStringList{QStringLiteral("Build Language File"),
                                     QStringLiteral("Original Language Files (*.ori)|*.ORI")}));
        QCOMPARE(rig.Operator.Texts(),
                 QStringList{QStringLiteral("Do you want to delete the common language file : \r\n\r\n") +
                             common});

        const QByteArray bytes = ReadBytes(ori);
        QVERIFY(bytes.startsWith("\xFF\xFE["));
        const TIniFile file(ori);
        QCOMPARE(file.Encoding(), TIniFile::TEncoding::Utf16LE);
        QCOMPARE(file.ReadString(Title, QStringLiteral("Language"), QString()),
                 QStringLiteral("\"ORIGINAL\""));
        QCOMPARE(file.ReadString(Title, QStringLiteral("Version"), QString()), QStringLiteral("\"0.0.0\""));
        QCOMPARE(file.ReadString(Title, QStringLiteral("CommonLanguageFile"), QString()),
                 QStringLiteral("\"Common.ori\""));
        // Every form, the first registered one too.
        for (const QString& section : {QStringLiteral("FirstForm"), QStringLiteral("SecondForm")}) {
            QCOMPARE(file.ReadString(section, QStringLiteral("bnClose.Caption"), QString()),
                     QStringLiteral("\"Close\""));
            QCOMPARE(file.ReadString(section, QStringLiteral("bnMode.List[0]"), QString()),
                     QStringLiteral("\"\"Open\",14\""));
            QCOMPARE(file.ReadString(section, QStringLiteral("lbBreaks.Caption"), QString()),
                     QStringLiteral("\"a/r/nb/r/nc/r/nd/r/ne\""));
            QCOMPARE(file.ReadString(section, QStringLiteral("edTemp.Unit"), QString()),
                     QStringLiteral("\"°C\""));
            QVERIFY(!file.ValueExists(section, QStringLiteral("lbData.Caption")));
            QVERIFY(!file.ValueExists(section, QStringLiteral("lbValue.Caption")));
            // Both instances of the frame as in the frame's section; the one that differs in the form's.
            QCOMPARE(file.ReadString(section, QStringLiteral("LVSideDef.gbSide.Caption"), QString()),
                     QStringLiteral("\"LV Side\""));
        }
        QCOMPARE(
            file.ReadString(QStringLiteral("LangTestFrame"), QStringLiteral("gbSide.Caption"), QString()),
            QStringLiteral("\"HV Side\""));
        // No raw line break inside a value: every line of the file is a header, a key or blank.
        const QString text = file.Text();
        QVERIFY(!text.contains(QRegularExpression(QStringLiteral("[^\r]\n|\r[^\n]"))));
        for (const QString& line : text.split(QStringLiteral("\r\n")))
            QVERIFY2(line.isEmpty() || line.startsWith('[') || line.contains('='), qPrintable(line));

        const TIniFile commonFile(common);
        QVERIFY(!commonFile.SectionExists(QStringLiteral("Stale")));
        QCOMPARE(commonFile.ReadString(QStringLiteral("Common"), QStringLiteral("Language"), QString()),
                 QStringLiteral("\"ORIGINAL\""));
        const QStringList keys = commonFile.Keys(QStringLiteral("KvConsts"));
        QCOMPARE(keys.size(), 78);
        for (int i = 0; i < 78; ++i)
            QCOMPARE(keys[i], kova.Consts().at(i).first);
        QCOMPARE(commonFile.ReadString(QStringLiteral("KvConsts"), QStringLiteral("SAddToList"), QString()),
                 QStringLiteral("\"Do you want to add \"%s\" to the list?\""));
    }

    void cancelledBuildWritesNothing() {
        TRig rig;
        rig.Manager.SetSaveDialog([](const QString&, const QString&, const QString&) { return QString(); });
        TLangTestForm form;
        rig.Manager.Attach(&form);
        rig.Manager.SetBuildLanguage(true);
        QVERIFY(!rig.Manager.BuildLanguage());
        rig.Manager.HandleForm(&form, true, false);
        QVERIFY(QDir(rig.Dir.path()).entryList(QDir::Files).isEmpty());
    }

    void roundTripKeepsEveryText() {
        TRig rig;
        const QString ori = rig.Path(QStringLiteral("Qel8625.ori"));
        QStringList designed;
        {
            TLangManager builder;
            builder.SetAppTitle(Title);
            builder.SetSaveDialog([&](const QString&, const QString&, const QString&) { return ori; });
            TLangTestForm form;
            designed = Texts(form);
            builder.SetBuildLanguage(true);
            builder.Attach(&form);
        }
        // The original renamed into a language file, as a translator starts.
        TIniFile renamed(ori);
        renamed.WriteString(Title, QStringLiteral("Language"), QStringLiteral("\"Copy\""));
        QVERIFY(renamed.UpdateFile());
        QVERIFY(QFile::rename(ori, rig.Path(QStringLiteral("Copy.lan"))));
        QCOMPARE(ReadBytes(rig.Path(QStringLiteral("Copy.lan"))).left(2), QByteArray("\xFF\xFE"));

        TLangTestForm form;
        // Texts the program put there meanwhile come back from the file.
        form.setWindowTitle(QStringLiteral("x"));
        form.bnClose->setText(QStringLiteral("x"));
        form.bnClose->setToolTip(QStringLiteral("x"));
        form.lbTwo->setText(QStringLiteral("x"));
        form.lbBreaks->setText(QStringLiteral("x"));
        form.bnMode->SetCaptionItems(
            {CaptionItem::Make("x", 1), CaptionItem::Make("y", 2), CaptionItem::Make("z")});
        form.bnMode->SetStateMax(1);
        form.bnMode->SetState(1);
        form.cbVolt->SetItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
        form.cbVolt->SetItemIndex(2);
        form.edTemp->SetLabelStr(QStringLiteral("x"));
        form.tabs->setTabText(0, QStringLiteral("x"));
        form.lv->findChild<QGroupBox*>()->setTitle(QStringLiteral("x"));
        form.hv->findChild<QLabel*>()->setToolTip(QStringLiteral("x"));
        QVERIFY(Texts(form) != designed);
        rig.Manager.SetLanguageFolder(rig.Dir.path());
        rig.Manager.Attach(&form);
        rig.Manager.SetLanguage(QStringLiteral("Copy"));
        QStringList now = Texts(form);
        // The only text not restored is the line break kind: the file knows one.
        const int breaks = int(designed.indexOf(QStringLiteral("a\nb\rc\n\rd\r\ne")));
        QCOMPARE(now[breaks], QStringLiteral("a\nb\nc\nd\ne"));
        now[breaks] = designed[breaks];
        QCOMPARE(now, designed);
    }

    void translateRequestIsPosted() {
        TRig rig;
        WriteGerman(rig);
        rig.Manager.SetLanguageFolder(rig.Dir.path());
        rig.Manager.SetLanguage(QStringLiteral("Deutsch"));
        TLangTestForm form;
        auto* component = new TLangComponent(&form);
        QSignalSpy changed(component, &TLangComponent::LanguageChanged);
        component->SetLanManager(&rig.Manager);
        QCOMPARE(form.bnClose->text(), QStringLiteral("Close"));
        QVERIFY(changed.wait());
        QCOMPARE(form.bnClose->text(), QStringLiteral("Schließen"));
    }
};

QTEST_MAIN(TstLangManager)
#include "tst_langmanager.moc"
