#include "GlyphCache.h"

int TGlyphList::Acquire() {
    for (size_t i = 0; i < FUsed.size(); ++i)
        if (!FUsed[i]) {
            FUsed[i] = true;
            ++FUsers;
            return int(i);
        }
    FUsed.push_back(true);
    FPixmaps.emplace_back();
    ++FUsers;
    return int(FUsed.size() - 1);
}

void TGlyphList::Release(int slot) {
    if (slot < 0 || size_t(slot) >= FUsed.size() || !FUsed[size_t(slot)])
        return;
    FUsed[size_t(slot)] = false;
    FPixmaps[size_t(slot)] = QPixmap();
    --FUsers;
}

void TGlyphList::Store(int slot, const QPixmap& pixmap) {
    if (slot >= 0 && size_t(slot) < FPixmaps.size())
        FPixmaps[size_t(slot)] = pixmap;
}

QPixmap TGlyphList::At(int slot) const {
    return slot >= 0 && size_t(slot) < FPixmaps.size() ? FPixmaps[size_t(slot)] : QPixmap();
}

int TGlyphCache::Acquire(QSize size) {
    auto& list = FLists[size];
    if (!list)
        list = std::make_unique<TGlyphList>(size);
    return list->Acquire();
}

void TGlyphCache::Release(QSize size, int slot) {
    auto it = FLists.find(size);
    if (it == FLists.end())
        return;
    it->second->Release(slot);
    if (it->second->Users() == 0)
        FLists.erase(it);
}

void TGlyphCache::Store(QSize size, int slot, const QPixmap& pixmap) {
    auto it = FLists.find(size);
    if (it != FLists.end())
        it->second->Store(slot, pixmap);
}

QPixmap TGlyphCache::At(QSize size, int slot) const {
    auto it = FLists.find(size);
    return it == FLists.end() ? QPixmap() : it->second->At(slot);
}

const TGlyphList* TGlyphCache::List(QSize size) const {
    auto it = FLists.find(size);
    return it == FLists.end() ? nullptr : it->second.get();
}

QPixmap TGlyphSlot::Get(TGlyphCache& cache, QSize size, qint64 key, const std::function<QPixmap()>& render) {
    if (FSlot >= 0 && (size != FSize || &cache != FCache))
        Clear();
    if (FSlot < 0) {
        FCache = &cache;
        FSize = size;
        FSlot = cache.Acquire(size);
        FKey = -1;
    }
    if (key != FKey) {
        FCache->Store(FSize, FSlot, render());
        FKey = key;
    }
    return FCache->At(FSize, FSlot);
}

void TGlyphSlot::Clear() {
    if (FSlot >= 0 && FCache)
        FCache->Release(FSize, FSlot);
    FCache = nullptr;
    FSlot = -1;
    FKey = -1;
}
