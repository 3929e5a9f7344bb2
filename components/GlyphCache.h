#pragma once
#include <QPixmap>
#include <QSize>

#include <functional>

#include <map>
#include <memory>
#include <vector>

// Every button keeps the rendered picture of its face in a slot of a shared cache, one list
// per picture size, so that hundreds of buttons with the same few sizes share a handful of
// lists. The picture module owns the cache and hands it out with its image lists; a list of
// the cache exists only while some button holds a slot in it.
class TGlyphList {
public:
    explicit TGlyphList(QSize size) : FSize(size) {}
    QSize Size() const { return FSize; }
    int Users() const { return FUsers; }
    int Acquire();
    void Release(int slot);
    void Store(int slot, const QPixmap& pixmap);
    QPixmap At(int slot) const;

private:
    QSize FSize;
    std::vector<bool> FUsed;
    std::vector<QPixmap> FPixmaps;
    int FUsers = 0;
};

class TGlyphCache {
public:
    TGlyphCache() = default;
    TGlyphCache(const TGlyphCache&) = delete;
    TGlyphCache& operator=(const TGlyphCache&) = delete;

    int Acquire(QSize size);
    // A list whose last slot is returned goes away.
    void Release(QSize size, int slot);
    void Store(QSize size, int slot, const QPixmap& pixmap);
    QPixmap At(QSize size, int slot) const;
    int ListCount() const { return int(FLists.size()); }
    const TGlyphList* List(QSize size) const;

private:
    struct TSizeLess {
        bool operator()(QSize a, QSize b) const {
            return a.width() != b.width() ? a.width() < b.width() : a.height() < b.height();
        }
    };
    std::map<QSize, std::unique_ptr<TGlyphList>, TSizeLess> FLists;
};

// One button's slot: renders the picture into the cache only when it changes.
class TGlyphSlot {
public:
    TGlyphSlot() = default;
    TGlyphSlot(const TGlyphSlot&) = delete;
    TGlyphSlot& operator=(const TGlyphSlot&) = delete;
    ~TGlyphSlot() { Clear(); }
    // key identifies what the pixmap shows (picture number, enabled look, source list).
    QPixmap Get(TGlyphCache& cache, QSize size, qint64 key, const std::function<QPixmap()>& render);
    // Returns the slot to its cache.
    void Clear();
    bool Holds() const { return FSlot >= 0; }

private:
    TGlyphCache* FCache = nullptr;
    QSize FSize;
    int FSlot = -1;
    qint64 FKey = -1;
};
