#pragma once
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QSize>

#include <functional>
#include <map>

#include "GlyphCache.h"

class QPainter;
class QRectF;

// A numbered set of pictures of one size, the source of the pictures that caption items
// name. Pictures are drawn on demand at the list's size and kept.
class TImageList : public QObject {
    Q_OBJECT
public:
    // Draws picture `number` into the rectangle; false when there is no such picture.
    using TDrawer = std::function<bool(QPainter&, int, const QRectF&)>;

    // glyphs: the cache the faces of buttons showing these pictures share; none for a list
    // of its own, whose buttons draw straight from it. The cache must outlive the list.
    TImageList(QSize size, TDrawer drawer, TGlyphCache* glyphs = nullptr, QObject* parent = nullptr);
    QSize Size() const { return FSize; }
    TGlyphCache* Glyphs() const { return FGlyphs; }
    int Width() const { return FSize.width(); }
    int Height() const { return FSize.height(); }
    bool HasPicture(int number) const;
    // A transparent picture; the disabled look is a faded grey version.
    QPixmap Picture(int number, bool enabled = true) const;

private:
    QSize FSize;
    TDrawer FDrawer;
    TGlyphCache* FGlyphs;
    mutable std::map<int, QPixmap> FCache;
};

// The application's pictures: icons of the commands, the file manager and the dialogs,
// the page tabs and the clock faces of the vector groups, and the glyph cache of the buttons
// that show them. One instance lives for the whole run; windows take its lists for their
// buttons, so it must outlive every window.
class TQelImage : public QObject {
    Q_OBJECT
public:
    // Picture numbers that the windows use (caption items name them as plain numbers).
    enum TPicture {
        picCancel = 0,
        picOk = 1,
        picHelp = 2,
        picMinimize = 3,
        picCloseWindow = 4,
        picListMenu = 5,
        picModeOff = 6,
        picModeOn = 7,
        picClearEntry = 8,
        picClearAll = 9,
        picAddEntry = 10,
        picDirUp = 11,
        picNewFolder = 12,
        picComputer = 13,
        picOpen = 14,
        picSaveFile = 15,
        picContextMenu = 17,
        picStartAllTaps = 27,
        picStop = 28,
        picMeasureTab = 46,
        picSetupTab = 48,
        picAnalysis = 49,
        picAbout = 58,
        picDeleteRows = 59,
        picLoad = 66,
        picSave = 67,
        picSingleTap = 72,
        picDeleteRow = 81,
        picDeleteAllRows = 82,
        picClose = 87,
        picFileManager = 88,
        picReport = 94,
        picNewSeries = 96,
        picTools = 100,
        picView = 101,
        picNewTest = 114,
        picFromTemplate = 115,
        picAddFile = 116,
        picRemoveFile = 117,
        picRemoveAll = 118,
        picSaveList = 119,
        picShowAnalysis = 120,
        picLoadList = 121,
        picDiagram = 127,
        picClock0 = 148,
        picUpload = 163,
        picOpenAsDocument = 166,
        picDelete = 167,
        picArbitraryPhase = 168,
        picAutoClock = 169,
        picApsAutoTrafo = 170,
        picTertiaryOff = 171,
        picTertiaryOn = 172
    };
    static constexpr int ClockPicture(int clock) { return picClock0 + clock; }

    explicit TQelImage(QObject* parent = nullptr);
    ~TQelImage() override;

    TImageList* Image32x32L() const { return FImage32; }
    TImageList* ImageList22x22() const { return FImage22; }
    TImageList* Image16x16L() const { return FImage16; }

    static QList<int> PictureNumbers();
    static QString PictureName(int number);
    static bool DrawPicture(QPainter& p, int number, const QRectF& r);

    const TGlyphCache& Glyphs() const { return FGlyphs; }

private:
    TGlyphCache FGlyphs;
    TImageList* FImage32;
    TImageList* FImage22;
    TImageList* FImage16;
};
