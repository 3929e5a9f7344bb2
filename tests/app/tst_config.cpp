#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "EntrySwitches.h"
#include "GlobalState.h"
#include "IniFile.h"
#include "QelGlobals.h"
#include "SIPrefixes.h"

// Start-up configuration: the file beside the program, the command line and the folders.
class TstConfig : public QObject {
    Q_OBJECT
    QTemporaryDir FHome;
    std::optional<TGlobalStateGuard> FState;

    TQelStartup Startup(const QTemporaryDir& app, const QStringList& args = {}) const {
        TQelStartup s;
        s.ExecutablePath = app.filePath(QStringLiteral("Qel8625"));
        s.Arguments = args;
        return s;
    }

private Q_SLOTS:
    void initTestCase() {
        // Point the user's folders at a scratch home, as a fresh account would have.
        qputenv("HOME", FHome.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (FHome.path() + "/.config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", (FHome.path() + "/.local/share").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", (FHome.path() + "/usr/share").toLocal8Bit());
    }
    // Locale, separator and entry switches come back after every test, passed or failed.
    void init() { FState.emplace(); }
    void cleanup() { FState.reset(); }

    void firstStartWritesDefaults() {
        QTemporaryDir app;
        {
            TQelGlobal g(Startup(app));
            QCOMPARE(g.ConfigSection, QStringLiteral("Qel8625"));
            QCOMPARE(g.ConfigFileName, app.filePath(QStringLiteral("Qel8625.cfg")));
            QCOMPARE(g.DefaultDocumentName(), FHome.path() + "/Documents/KOVA/Data/Qel8625.XML");
        }
        TIniFile ini(app.filePath(QStringLiteral("Qel8625.cfg")));
        QCOMPARE(ini.Sections(), QStringList{QStringLiteral("Qel8625")});
        const QStringList keys = {"DataPath",    "TemplatesPath", "ComPort",     "TemperatureUnit",
                                  "StartupMode", "TestStandard",  "QelMeasTime", "QelDetectTime",
                                  "DataStorage", "UserInterface", "UserInput",   "SimArbPhaseShift"};
        QCOMPARE(ini.Keys(QStringLiteral("Qel8625")), keys);
        QCOMPARE(ini.ReadString("Qel8625", "ComPort", {}), QStringLiteral("COM2"));
        QCOMPARE(ini.ReadString("Qel8625", "QelMeasTime", {}), QStringLiteral("16"));
        QCOMPARE(ini.ReadString("Qel8625", "QelDetectTime", {}), QStringLiteral("24"));
        QCOMPARE(ini.ReadString("Qel8625", "DataPath", {}), FHome.path() + "/Documents/KOVA/Data/");

        // The KOVA folders under the user's documents folder.
        for (const char* sub : {"KOVA/Data", "KOVA/Templates", "KOVA/Working"})
            QVERIFY2(QDir(FHome.path() + "/Documents/" + sub).exists(), sub);
    }

    void secondStartReadsBackAndKeepsForeignLines() {
        QTemporaryDir app;
        const QString cfg = app.filePath(QStringLiteral("Qel8625.cfg"));
        {
            QFile f(cfg);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Setup]\r\nPageIndex=3\r\n\r\n[Qel8625]\r\nComPort=/dev/ttyUSB0\r\n; a note\r\n"
                    "QelMeasTime=17,5\r\nStartupMode=2\r\nStrange line\r\n");
        }
        {
            TQelGlobal g(Startup(app));
            QCOMPARE(g.ComPort, QStringLiteral("/dev/ttyUSB0"));
            // A time written under a comma locale still reads back.
            QCOMPARE(g.QelMeasTime, 17.5);
            QCOMPARE(g.StartupMode, 2);
            g.QelDetectTime = 30.25;
        }
        TIniFile ini(cfg);
        QCOMPARE(ini.ReadInteger("Setup", "PageIndex", 0), 3);
        QCOMPARE(ini.ReadString("Qel8625", "QelMeasTime", {}), QStringLiteral("17.5"));
        QCOMPARE(ini.ReadString("Qel8625", "QelDetectTime", {}), QStringLiteral("30.25"));
        QVERIFY(ini.Text().contains(QStringLiteral("; a note\r\n")));
        QVERIFY(ini.Text().contains(QStringLiteral("Strange line\r\n")));
        TQelGlobal again(Startup(app));
        QCOMPARE(again.QelDetectTime, 30.25);
    }

    void floatsSurviveAnyLocale() {
        QTemporaryDir app;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        SetDecimalSeparator(',');
        {
            TQelGlobal g(Startup(app));
            g.QelMeasTime = 18.75;
        }
        SetDecimalSeparator('.');
        QLocale::setDefault(QLocale::c());
        TQelGlobal g(Startup(app));
        QCOMPARE(g.QelMeasTime, 18.75);
    }

    void commandLineSwitches() {
        QTemporaryDir app;
        {
            TQelGlobal g(Startup(app));
            g.UserInterface = 1;
        }
        {
            TQelGlobal g(
                Startup(app, {QStringLiteral("/sim"), QStringLiteral("other"), QStringLiteral("/Dbg")}));
            QVERIFY(g.SimulationMode);
            QVERIFY(g.DebugMode);
            QVERIFY(TEntrySwitches::TouchEntry);
            QVERIFY(TEntrySwitches::TouchEntryWide);
            // Simulation always offers the 100 V set.
            QCOMPARE(g.TestVoltages, (std::array<float, 4>{100, 40, 10, 1}));
        }
        {
            TQelGlobal g(Startup(app, {QStringLiteral("/NOTOUCH"), QStringLiteral("/250")}));
            QVERIFY(!g.SimulationMode);
            QCOMPARE(g.UserInterface, 0);
            QVERIFY(!TEntrySwitches::TouchEntry);
            QVERIFY(!TEntrySwitches::TouchEntryWide);
            QCOMPARE(g.TestVoltages, (std::array<float, 4>{250, 100, 25, 2}));
        }
        // "/NOTOUCH" is written back with the next save.
        TIniFile ini(app.filePath(QStringLiteral("Qel8625.cfg")));
        QCOMPARE(ini.ReadInteger("Qel8625", "UserInterface", -1), 0);
    }

    void voltagesFollowTheFirstLinkStateChange() {
        // No instrument answers: the 250 V set holds only until the connection attempt reports.
        QTemporaryDir app;
        {
            TIniFile ini(app.filePath(QStringLiteral("Qel8625.cfg")));
            ini.WriteString(QStringLiteral("Qel8625"), QStringLiteral("ComPort"),
                            app.filePath(QStringLiteral("none")));
        }
        TQelGlobal g(Startup(app, {QStringLiteral("/250")}));
        QCOMPARE(g.TestVoltages, (std::array<float, 4>{250, 100, 25, 2}));
        QTRY_COMPARE(g.TestVoltages, (std::array<float, 4>{100, 40, 10, 1}));
        QCOMPARE(g.ConfigSection, QStringLiteral("Qel8625"));
    }

    void sectionFollowsInstrumentType() {
        QTemporaryDir app;
        TQelGlobal g(Startup(app));
        g.ApplyInstrumentType(QStringLiteral("   "));
        QCOMPARE(g.ConfigSection, QStringLiteral("Qel8625"));
        g.ComPort = QStringLiteral("COM7");
        g.WriteConfig();
        g.ApplyInstrumentType(QStringLiteral("QEL 8624"));
        QCOMPARE(g.ConfigSection, QStringLiteral("QEL8624"));
        QCOMPARE(g.ConfigFileName, app.filePath(QStringLiteral("Qel8625.cfg")));
        g.StartupMode = 3;
        g.WriteConfig();
        TIniFile ini(g.ConfigFileName);
        QCOMPARE(ini.ReadInteger("QEL8624", "StartupMode", -1), 3);
        QCOMPARE(ini.ReadString("QEL8624", "ComPort", {}), QStringLiteral("COM7"));
        QCOMPARE(ini.ReadInteger("Qel8625", "StartupMode", -1), 0);
    }

    void siblingPrinterPort() {
        QTemporaryDir app;
        const QString dir = FHome.path() + "/usr/share/Orbenta/Lumo 7391";
        QVERIFY(QDir().mkpath(dir));
        {
            QFile f(dir + "/Lumo7391.cfg");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Printer]\r\nComPort=2\r\n");
        }
        TQelGlobal g(Startup(app));
        QCOMPARE(g.PrinterPort, 2);
        QFile::remove(dir + "/Lumo7391.cfg");
    }

    void settingsChangedReachesWindows() {
        QTemporaryDir app;
        TQelGlobal g(Startup(app));
        struct TReceiver : QObject {
            QList<int> Got;
            bool event(QEvent* e) override {
                // (the link reports its attempts to reach an instrument meanwhile)
                if (int(e->type()) == UM_SETTINGSCHANGED || int(e->type()) == UM_RESULT)
                    Got << int(e->type());
                return QObject::event(e);
            }
        } a, b;
        g.RegisterWindow(&a);
        g.RegisterWindow(&b);
        g.RegisterWindow(&a);
        g.ApplySettings();
        QCOMPARE(a.Got, QList<int>{UM_SETTINGSCHANGED});
        QCOMPARE(b.Got, QList<int>{UM_SETTINGSCHANGED});
        g.UnregisterWindow(&a);
        g.PostToAll(UM_RESULT, 2, 17);
        QVERIFY(b.Got.size() == 1);
        QTRY_COMPARE(b.Got.size(), 2);
        QCOMPARE(a.Got.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TstConfig)
#include "tst_config.moc"
