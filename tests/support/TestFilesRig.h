#pragma once
// Header only: the tests that use it link the data module (and the emulator) themselves.
//
// The test files of a run on a data module in simulation, in a temporary application folder with
// the style sheet and logo beside the program, as the build puts them. Removable media are folders
// the test names: no mounts are needed.
#include "LinkRig.h"
#include "QelTestFiles.h"
#include "TestDirs.h"
#include "XMLKvDoc.h"
#include "XMLQel.h"

#include <QDir>
#include <QFile>

struct TTestFilesRig : TLinkRig {
    std::unique_ptr<TQelTestFiles> Files;
    QStringList RemovableFolders;
    QString StickVolume = QStringLiteral("/media/stick");

    ~TTestFilesRig() override {
        Files.reset();
        Global.reset();
    }

    TVolumeCheck Volumes() {
        TVolumeCheck v;
        v.Removable = [this](const QString& path) {
            for (const QString& folder : RemovableFolders)
                if (QDir::cleanPath(path).startsWith(folder + '/'))
                    return true;
            return false;
        };
        v.SameVolume = [](const QString&, const QString&) { return true; };
        v.VolumeOf = [this](const QString&) { return StickVolume; };
        return v;
    }

    void CreateFiles(const QStringList& arguments = {QStringLiteral("/SIM")}) {
        for (const char* name : {"KovaDoc.xsl", "company.jpg"})
            QFile::copy(SourceDir() + QStringLiteral("/data/") + name,
                        App.filePath(QString::fromLatin1(name)));
        CreateGlobal(arguments);
        Files = std::make_unique<TQelTestFiles>(*Global, Volumes());
    }
    // The program ended and started again on the same folders.
    void RestartFiles() {
        Files.reset();
        Global.reset();
        CreateFiles();
    }

    QString Data(const QString& name) const { return Global->DataPath + name; }
    // A folder that counts as removable medium.
    QString Stick(const QString& name = QString()) {
        const QString folder = App.filePath(QStringLiteral("stick"));
        QDir().mkpath(folder);
        if (!RemovableFolders.contains(folder))
            RemovableFolders << folder;
        return name.isEmpty() ? folder : folder + '/' + name;
    }

    QString Location() const { return Global->Doc().DUTGeneral().Location().Value(); }
    // Every change of a test is saved at once, as the pages do it.
    bool Change(const QString& location) {
        Global->Doc().DUTGeneral().Location().SetValue(location);
        return Global->DocumentChanged();
    }
    // A new test under name, confirmed with location.
    bool ConfirmedTest(const QString& name, const QString& location) {
        return Files->NewTest(name, true) && Change(location) && Files->Confirm() && !Files->HasMarker(name);
    }
    static QString LocationIn(const QString& file) {
        TKvXML doc;
        return doc.Load(file) ? doc.DUTGeneral().Location().Value() : QStringLiteral("<not loaded>");
    }
};
