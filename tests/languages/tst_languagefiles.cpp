#include <QTemporaryDir>
#include <QTest>

#include "CaptionItems.h"
#include "EveryForm.h"
#include "GlobalState.h"
#include "IniFile.h"
#include "KovaBases.h"
#include "LangFiles.h"
#include "LangManager.h"
#include "PanelButton.h"
#include "QelArbitrary.h"
#include "QelGlobals.h"
#include "QelMain.h"
#include "QelSetup.h"
#include "QelTestFiles.h"
#include "RecordingOperator.h"
#include "TestDirs.h"

#include <QTabWidget>

#include <memory>

namespace {

const QString Title = QStringLiteral("Application Software 8625");

QString Shipped(const QString& name) {
    return SourceDir() + QStringLiteral("/data/languages/") + name;
}

// The program's windows on a data module in simulation in a scratch folder.
struct TProgram {
    QTemporaryDir Home;
    TRecordingOperator Operator;
    std::unique_ptr<TQelGlobal> Global;
    std::unique_ptr<TQelTestFiles> Files;
    std::unique_ptr<TQelArbitrary> Arbitrary;
    std::unique_ptr<TEveryForm> Forms;
    TProgram() {
        TQelStartup s;
        s.ExecutablePath = Home.filePath(QStringLiteral("Qel8625"));
        s.DocumentsFolder = Home.path();
        s.Arguments = {QStringLiteral("/SIM")};
        s.Operator = &Operator;
        Global = std::make_unique<TQelGlobal>(s);
        Files = std::make_unique<TQelTestFiles>(*Global);
        Arbitrary = std::make_unique<TQelArbitrary>(*Global);
        Forms = std::make_unique<TEveryForm>(*Global, *Files, *Arbitrary);
    }
    ~TProgram() {
        Forms.reset();
        Arbitrary.reset();
        Files.reset();
    }
};

// The sections of a language file that hold texts, each with its keys.
QMap<QString, QStringList> TextKeys(const TIniFile& file, const QString& header) {
    QMap<QString, QStringList> out;
    for (const QString& section : file.Sections())
        if (section.compare(header, Qt::CaseInsensitive) != 0)
            out.insert(section.toCaseFolded(), file.Keys(section));
    return out;
}

// Every text of the translation for every text of the original, and no other.
void CompareKeys(const QString& originalName, const QString& translationName, const QString& header) {
    const TIniFile original(originalName), translation(translationName);
    const auto want = TextKeys(original, header);
    const auto have = TextKeys(translation, header);
    QVERIFY(!want.isEmpty());
    QCOMPARE(have.keys(), want.keys());
    for (auto it = want.cbegin(); it != want.cend(); ++it) {
        QStringList missing;
        for (const QString& key : it.value())
            // An entry without a text (a picture key) has none in the translation either.
            if (!translation.ValueExists(it.key(), key) ||
                (LangText::FromFile(translation.ReadString(it.key(), key, QString())).isEmpty() &&
                 !LangText::FromFile(original.ReadString(it.key(), key, QString())).isEmpty()))
                missing << key;
        QVERIFY2(missing.isEmpty(), qPrintable(it.key() + QStringLiteral(": ") + missing.join(' ')));
        QCOMPARE(have.value(it.key()).size(), it.value().size());
    }
}

void BuildOriginals(const QString& ori) {
    TProgram program;
    program.Operator.DefaultAnswer = TOperatorIFace::TAnswer::Yes;
    TLangManager builder;
    builder.SetAppTitle(Title);
    builder.SetOperator(&program.Operator);
    builder.SetSaveDialog([&](const QString&, const QString&, const QString&) { return ori; });
    builder.SetKovaBase(&program.Global->KovaBase());
    builder.SetBuildLanguage(true);
    for (QWidget* form : program.Forms->Forms())
        builder.Attach(form);
}

QStringList MainTexts(const TQelMainForm& main) {
    QStringList t;
    for (const TPanelButton* key : {main.bnF1, main.bnF2, main.bnF3, main.bnF5, main.bnF6})
        t << key->Caption() << key->CaptionItems();
    for (int i = 0; i < main.SetupFrame->PageControl1->count(); ++i)
        t << main.SetupFrame->PageControl1->tabText(i);
    return t;
}

} // namespace

// The shipped translation against the program as it is: the build mode writes every text of
// every window, and the German files answer each of them.
class TstLanguageFiles : public QObject {
    Q_OBJECT

    TGlobalStateGuard FGuard;
    QTemporaryDir FDir;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(FDir.isValid());
        BuildOriginals(FDir.filePath(QStringLiteral("Qel8625.ori")));
        QVERIFY(QFile::exists(FDir.filePath(QStringLiteral("Common.ori"))));
    }

    void germanCoversEveryText() {
        CompareKeys(FDir.filePath(QStringLiteral("Qel8625.ori")), Shipped(QStringLiteral("Deutsch.lan")),
                    Title);
        CompareKeys(FDir.filePath(QStringLiteral("Common.ori")), Shipped(QStringLiteral("DeutschCommon.lan")),
                    LangText::CommonSection());
        const TIniFile common(Shipped(QStringLiteral("DeutschCommon.lan")));
        QCOMPARE(common.KeyCount(LangText::ConstsSection()), 78);
    }

    void shippedOriginalsAreThePrograms() {
        CompareKeys(FDir.filePath(QStringLiteral("Qel8625.ori")), Shipped(QStringLiteral("English.lan")),
                    Title);
        CompareKeys(FDir.filePath(QStringLiteral("Common.ori")), Shipped(QStringLiteral("Common.ori")),
                    LangText::CommonSection());
    }

    void filesAreUtf16WithCrLf_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("header");
        QTest::addColumn<QString>("language");
        QTest::newRow("Deutsch.lan") << "Deutsch.lan" << Title << "Deutsch";
        QTest::newRow("DeutschCommon.lan") << "DeutschCommon.lan"
                                           << "Common"
                                           << "Deutsch";
        QTest::newRow("English.lan") << "English.lan" << Title << "English";
        QTest::newRow("Common.ori") << "Common.ori"
                                    << "Common"
                                    << "ORIGINAL";
    }
    void filesAreUtf16WithCrLf() {
        QFETCH(QString, name);
        QFETCH(QString, header);
        QFETCH(QString, language);
        QVERIFY(ReadBytes(Shipped(name)).startsWith("\xFF\xFE["));
        const TIniFile file(Shipped(name));
        QCOMPARE(file.Encoding(), TIniFile::TEncoding::Utf16LE);
        const QString text = file.Text();
        QCOMPARE(text.count(QStringLiteral("\r\n")), text.count('\n'));
        QCOMPARE(text.count(QStringLiteral("\r\n")), text.count('\r'));
        LangText::THeader h;
        QVERIFY(LangText::ReadHeader(file, header, h));
        QCOMPARE(h.Language, language);
    }

    void programInGermanAndBack() {
        TProgram program;
        TLangManager languages;
        languages.SetAppTitle(Title);
        languages.SetOperator(&program.Operator);
        languages.SetLanguageFolder(SourceDir() + QStringLiteral("/data/languages"));
        QCOMPARE(languages.Languages(), (QStringList{QStringLiteral("Deutsch"), QStringLiteral("English")}));
        languages.SetKovaBase(&program.Global->KovaBase());
        TQelMainForm& main = program.Forms->Main();
        for (QWidget* form : program.Forms->Forms())
            languages.Attach(form);
        const QStringList english = MainTexts(main);
        languages.SetLanguage(QStringLiteral("Deutsch"));
        QVERIFY2(program.Operator.Entries.isEmpty(), qPrintable(program.Operator.Texts().join('|')));
        QCOMPARE(main.SetupFrame->PageControl1->tabText(TQelSetupFrame::tbOptions),
                 QStringLiteral("&Optionen"));
        QCOMPARE(program.Global->KovaBase().Text(QStringLiteral("SFileName")), QStringLiteral("Dateiname"));
        const QStringList german = MainTexts(main);
        QCOMPARE(german.size(), english.size());
        for (int i = 0; i < german.size(); ++i)
            QVERIFY(CaptionItem::IsLegal(german[i]));
        QVERIFY(german != english);
        languages.SetLanguage(QStringLiteral("English"));
        QCOMPARE(MainTexts(main), english);
        QCOMPARE(program.Global->KovaBase().Text(QStringLiteral("SFileName")), QStringLiteral("File Name"));
    }

    void optionsTabChoosesTheLanguage() {
        TProgram program;
        TLangManager languages;
        languages.SetAppTitle(Title);
        languages.SetOperator(&program.Operator);
        languages.SetLanguageFolder(SourceDir() + QStringLiteral("/data/languages"));
        TQelMainForm& main = program.Forms->Main();
        TQelSetupFrame* setup = main.SetupFrame;
        setup->SetLanguageManager(&languages);
        languages.Attach(&main);
        QCOMPARE(setup->bnLanguage->CaptionItems(),
                 (QStringList{CaptionItem::Make(QStringLiteral("Deutsch")),
                              CaptionItem::Make(QStringLiteral("English"))}));
        QCOMPARE(setup->bnLanguage->Caption(), QStringLiteral("English"));
        // The operator's tap: the next language.
        setup->bnLanguage->SetState(0);
        setup->bnLanguageClick();
        QCOMPARE(languages.Language(), QStringLiteral("Deutsch"));
        QCOMPARE(TQelSetupFrame::ConfiguredLanguage(program.Global->ConfigFileName),
                 QStringLiteral("Deutsch"));
        QCOMPARE(setup->PageControl1->tabText(TQelSetupFrame::tbOptions), QStringLiteral("&Optionen"));
        // The choice keeps its own names.
        QCOMPARE(setup->bnLanguage->Caption(), QStringLiteral("Deutsch"));
    }
};

QTEST_MAIN(TstLanguageFiles)
#include "tst_languagefiles.moc"
