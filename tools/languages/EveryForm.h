#pragma once
#include <QList>
#include <QPointer>
#include <QWidget>

#include <QTemporaryDir>

#include <memory>

class TQelArbitrary;
class TQelGlobal;
class TQelImage;
class TQelMainForm;
class TQelTestFiles;
class TTestIndexService;

// Every window of the program, made as the program makes them (the main window with its pages
// and every dialog and pad it opens), for the build of the original language files, the check
// of the translations against them and the benchmark of translating them.
class TEveryForm {
public:
    TEveryForm(TQelGlobal& global, TQelTestFiles& files, TQelArbitrary& arbitrary);
    ~TEveryForm();
    TEveryForm(const TEveryForm&) = delete;
    TEveryForm& operator=(const TEveryForm&) = delete;

    TQelMainForm& Main() const { return *FMain; }
    // The main window first.
    QList<QWidget*> Forms() const;

private:
    // The history window's index, in a folder of its own (never started).
    QTemporaryDir FIndexFolder;
    std::unique_ptr<TTestIndexService> FIndex;
    std::unique_ptr<TQelMainForm> FMain;
    std::unique_ptr<TQelImage> FImages;
    QList<QPointer<QWidget>> FForms;
};
