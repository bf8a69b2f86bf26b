#include "zylcarto/geomap/view/view_cache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "zylcarto/geomap/view/image_scaling.h"

namespace zylcarto {

namespace {

double Phase(std::uint8_t P) { return P / 256.0; }

// The first device pixel whose centre lies at or past image coordinate X.
int FirstCentreFrom(double X, double Scale, double PhaseInPixels) {
    return int(std::ceil(X * Scale - 0.5 - PhaseInPixels));
}

// The source pixel under each destination pixel's centre along one axis.
std::vector<int> Taps(int Start, int Count, double Phase, double Scale, int SourceStart, int SourceCount) {
    std::vector<int> T(static_cast<std::size_t>(Count));
    for (int k = 0; k < Count; ++k)
        T[std::size_t(k)] =
            std::clamp(int(std::floor((Start + k + 0.5 + Phase) / Scale)) - SourceStart, 0, SourceCount - 1);
    return T;
}

// Nearest pixels by table: a magnified row repeats the one above, which is
// cheaper than the painter's general transform.
void Nearest(const QImage& From, const std::vector<int>& Cols, const std::vector<int>& Rows, QImage& Part) {
    const std::size_t RowBytes = Cols.size() * sizeof(std::uint32_t);
    for (std::size_t y = 0; y < Rows.size(); ++y) {
        auto* Out = reinterpret_cast<std::uint32_t*>(Part.scanLine(int(y)));
        if (y > 0 && Rows[y] == Rows[y - 1]) {
            std::memcpy(Out, Part.constScanLine(int(y) - 1), RowBytes);
            continue;
        }
        const auto* In = reinterpret_cast<const std::uint32_t*>(From.constScanLine(Rows[y]));
        for (std::size_t x = 0; x < Cols.size(); ++x) Out[x] = In[Cols[x]];
    }
}

// The level ScaleImagePart reads for Look: level k halves k times, the
// coarsest one still at least as fine as the screen.
int ReadLevel(const TImageSource& Source, const TViewCache::TLook& Look) {
    int Level = 0;
    while (Level + 1 < Source.Levels() && Look.Scale * double(1 << (Level + 1)) <= 1.0) ++Level;
    return Level;
}

// The pixels of Level under the device pixel centres of Rect, with enough more
// on each side for the widest filter, so that neighbouring tiles meet without a seam.
QRect LevelPixels(const TImageSource& Source, const TViewCache::TLook& Look, int Level, const QRect& Rect) {
    const double s = Look.Scale * double(1 << Level);
    const QSize LevelSize = Source.LevelSize(Level);
    const int Margin = 1 + int(std::ceil(1 / std::min(s, 1.0)));
    const auto Span = [s, Margin](int First, int Last, double P, int Size) {
        const int Lo = int(std::floor((First + 0.5 + P) / s)) - Margin,
                  Hi = int(std::floor((Last + 0.5 + P) / s)) + Margin;
        return std::pair{std::clamp(Lo, 0, Size - 1), std::clamp(Hi, 0, Size - 1)};
    };
    const auto [x0, x1] = Span(Rect.left(), Rect.right(), Phase(Look.PhaseX), LevelSize.width());
    const auto [y0, y1] = Span(Rect.top(), Rect.bottom(), Phase(Look.PhaseY), LevelSize.height());
    return QRect(QPoint(x0, y0), QPoint(x1, y1));
}

}  // namespace

std::int64_t TViewCache::PixelBytes(const QImage& Pixels) {
    return std::int64_t(Pixels.width()) * Pixels.height() * std::int64_t(sizeof(QRgb));
}

std::size_t TViewCache::THash::operator()(const TKey& K) const {
    std::size_t h = std::hash<double>()(K.Look.Scale);
    const auto Mix = [&h](std::size_t v) { h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2); };
    Mix(std::hash<double>()(K.Look.Ratio));
    Mix((std::size_t(K.Look.PhaseX) << 9) | (std::size_t(K.Look.PhaseY) << 1) | std::size_t(K.Look.Smooth));
    Mix(std::hash<int>()(K.Col));
    Mix(std::hash<int>()(K.Row));
    return h;
}

void TViewCache::SetLimit(std::int64_t Bytes) {
    FLimit = std::max<std::int64_t>(0, Bytes);
    Evict();
}

void TViewCache::Clear() {
    FTiles.clear();
    FIndex.clear();
    FBytes = 0;
    FHaveLast = false;
}

void TViewCache::Draw(const TImageSource& Source, const TLook& Look, const QRect& Frame, const TPut& Put) {
    // Panning on: the next tiles the way the view moves are made now, a strip at a time.
    QRect Ahead = Frame;
    if (FHaveLast && Look == FLastLook) {
        const QPoint Move = Frame.topLeft() - FLastFrame.topLeft();
        Ahead.adjust(Move.x() < 0 ? -TileSize : 0, Move.y() < 0 ? -TileSize : 0, Move.x() > 0 ? TileSize : 0,
                     Move.y() > 0 ? TileSize : 0);
    }
    FLastLook = Look;
    FLastFrame = Frame;
    FHaveLast = true;
    const QRect Shown = Ahead.intersected(ScaledImageRect(Source.Size(), Look));
    if (!Shown.isEmpty()) {
        const auto Floor = [](int v) { return v >= 0 ? v / TileSize : -((-v + TileSize - 1) / TileSize); };
        // The pixels under the tiles to make, read in one pass rather than one per tile.
        QRect Missing;
        for (int Row = Floor(Shown.top()); Row <= Floor(Shown.bottom()); ++Row)
            for (int Col = Floor(Shown.left()); Col <= Floor(Shown.right()); ++Col)
                if (!FIndex.contains({Look, Col, Row})) Missing |= QRect(Col * TileSize, Row * TileSize, TileSize, TileSize);
        Missing &= ScaledImageRect(Source.Size(), Look);
        if (!Missing.isEmpty()) {
            const int Level = ReadLevel(Source, Look);
            Source.Prepare(Level, LevelPixels(Source, Look, Level, Missing));
        }
        for (int Row = Floor(Shown.top()); Row <= Floor(Shown.bottom()); ++Row)
            for (int Col = Floor(Shown.left()); Col <= Floor(Shown.right()); ++Col) {
                const TTile& T = Tile(Source, {Look, Col, Row});
                if (!T.Pixels.isNull() && QRect(T.At, T.Pixels.size()).intersects(Frame))
                    Put(T.Pixels, T.At - Frame.topLeft());
            }
    }
    Evict();
}

QImage TViewCache::TilePixels(const TImageSource& Source, const TLook& Look, const QRect& Square) {
    // Pixel for pixel, cache space is image space: the tile is the source's own pixels.
    if (Look.Scale == 1 && Look.PhaseX == 0 && Look.PhaseY == 0) return Source.View(0, Square);
    // Scaled straight into the slot: a scaled copy copied again cost a zoom step
    // as much as the scaling.
    QImage Kept = FMemory.NewTile(Square.size());
    if (!Kept.isNull()) ScaleImagePart(Source, Look, Square, Kept);
    return Kept;
}

const TViewCache::TTile& TViewCache::Tile(const TImageSource& Source, const TKey& Key) {
    if (const auto Found = FIndex.find(Key); Found != FIndex.end()) {
        FTiles.splice(FTiles.begin(), FTiles, Found->second);
        return FTiles.front();
    }
    const QRect Square = QRect(Key.Col * TileSize, Key.Row * TileSize, TileSize, TileSize)
                             .intersected(ScaledImageRect(Source.Size(), Key.Look));
    FTiles.push_front({Key, TilePixels(Source, Key.Look, Square), Square.topLeft()});
    FIndex.emplace(Key, FTiles.begin());
    FBytes += PixelBytes(FTiles.front().Pixels);
    ++FTilesMade;
    return FTiles.front();
}

void TViewCache::Evict() {
    while (FBytes > FLimit && !FTiles.empty()) {
        FBytes -= PixelBytes(FTiles.back().Pixels);
        FIndex.erase(FTiles.back().Key);
        FTiles.pop_back();
    }
}

QRect ScaledImageRect(QSize Image, const TViewCache::TLook& Look) {
    const double px = Phase(Look.PhaseX), py = Phase(Look.PhaseY);
    const int Left = FirstCentreFrom(0, Look.Scale, px), Top = FirstCentreFrom(0, Look.Scale, py);
    const int Right = FirstCentreFrom(Image.width(), Look.Scale, px),
              Bottom = FirstCentreFrom(Image.height(), Look.Scale, py);
    return QRect(Left, Top, std::max(0, Right - Left), std::max(0, Bottom - Top));
}

QImage ScaleImagePart(const TImageSource& Source, const TViewCache::TLook& Look, const QRect& Rect) {
    if (Rect.isEmpty()) return {};
    QImage Part(Rect.size(), QImage::Format_RGB32);
    if (!Part.isNull()) ScaleImagePart(Source, Look, Rect, Part);
    return Part;
}

void ScaleImagePart(const TImageSource& Source, const TViewCache::TLook& Look, const QRect& Rect, QImage& Part) {
    if (Rect.isEmpty()) return;
    const int Level = ReadLevel(Source, Look);
    const double s = Look.Scale * double(1 << Level);
    const double px = Phase(Look.PhaseX), py = Phase(Look.PhaseY);
    const QRect Pixels = LevelPixels(Source, Look, Level, Rect);
    const int x0 = Pixels.left(), y0 = Pixels.top();
    const QImage From = Source.Region(Level, Pixels);
    if (From.isNull()) return;
    if (!Look.Smooth)
        Nearest(From, Taps(Rect.left(), Rect.width(), px, s, x0, From.width()),
                Taps(Rect.top(), Rect.height(), py, s, y0, From.height()), Part);
    else
        SmoothScale(From, {x0, y0}, s, {px, py}, Rect, Part);
}

}  // namespace zylcarto
