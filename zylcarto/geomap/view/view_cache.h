#pragma once
// The map image scaled for the screen, kept as tiles of one magnification,
// anti-alias setting, device pixel ratio and sub-pixel phase each, so that a
// pan scales only the strips that come into view and a return to a
// magnification finds what is left of it. Bounded in bytes; the least recently
// used tiles go first. Owned by the map control; one thread at a time.
#include <QImage>
#include <QRect>
#include <cstdint>
#include <functional>
#include <list>
#include <unordered_map>

#include "zylcarto/geomap/view/image_source.h"
#include "zylcarto/geomap/view/tile_memory.h"

namespace zylcarto {

class TViewCache {
public:
    TViewCache() = default;
    TViewCache(const TViewCache&) = delete;
    TViewCache& operator=(const TViewCache&) = delete;

    // Side of a tile in device pixels.
    static constexpr int TileSize = 256;

    // How the image is scaled: Scale device pixels per image pixel (the
    // magnification times Ratio, the device pixel ratio), the device pixel grid
    // starting PhaseX, PhaseY 256ths of a device pixel past a whole one.
    struct TLook {
        double Scale = 1;
        double Ratio = 1;
        bool Smooth = true;
        std::uint8_t PhaseX = 0, PhaseY = 0;
        bool operator==(const TLook&) const = default;
    };

    // Limit in bytes; 0 keeps nothing. Shrinking evicts at once.
    void SetLimit(std::int64_t Bytes);
    std::int64_t Limit() const { return FLimit; }
    std::int64_t Bytes() const { return FBytes; }
    // Tiles scaled since the cache was made.
    int TilesMade() const { return FTilesMade; }
    // Forgets every tile (the image changed).
    void Clear();

    // Draws the device pixels Frame of the image's cache space for Look (device
    // pixel u shows image x = (u + 0.5 + Phase) / Scale at its centre) through
    // the tiles: Put(Tile, its top-left relative to Frame) for each. Makes the
    // tiles missing over Frame and, when the view moved since the last frame of
    // the same look, one more strip of tiles on the sides it moved towards; then
    // evicts down to the limit.
    using TPut = std::function<void(const QImage& Tile, QPoint At)>;
    void Draw(const TImageSource& Source, const TLook& Look, const QRect& Frame, const TPut& Put);

private:
    struct TKey {
        TLook Look;
        int Col = 0, Row = 0;
        bool operator==(const TKey&) const = default;
    };
    struct THash {
        std::size_t operator()(const TKey& K) const;
    };
    struct TTile {
        TKey Key;
        QImage Pixels;  // the part of the tile's square that shows the image, maybe shared with the source
        QPoint At;      // its top-left in cache space
    };
    using TList = std::list<TTile>;

    const TTile& Tile(const TImageSource& Source, const TKey& Key);
    QImage TilePixels(const TImageSource& Source, const TLook& Look, const QRect& Square);
    // What a tile counts against the limit: its pixels, whether shared or in a slot.
    static std::int64_t PixelBytes(const QImage& Pixels);
    void Evict();

    TTileMemory FMemory{TileSize};  // declared first: the tiles' slots go back to it
    std::int64_t FLimit = 0, FBytes = 0;
    int FTilesMade = 0;
    TLook FLastLook;
    QRect FLastFrame;
    bool FHaveLast = false;
    TList FTiles;  // most recently used first
    std::unordered_map<TKey, TList::iterator, THash> FIndex;
};

// The device pixels of cache space whose centre lies on an image of that size.
QRect ScaledImageRect(QSize Image, const TViewCache::TLook& Look);

// Device pixels Rect of cache space (see TViewCache::Draw) scaled from Source,
// reading the coarsest level with at least the needed resolution.
QImage ScaleImagePart(const TImageSource& Source, const TViewCache::TLook& Look, const QRect& Rect);
// The same into Part, an RGB32 image of Rect's size.
void ScaleImagePart(const TImageSource& Source, const TViewCache::TLook& Look, const QRect& Rect, QImage& Part);

}  // namespace zylcarto
