#include "zylcarto/geomap/view/image_pyramid.h"

#include <QDir>
#include <QTemporaryFile>
#include <algorithm>
#include <cstring>
#include <list>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "zylcarto/geomap/view/bmp_rows.h"
#include "zylcarto/geomap/view/memory_image_source.h"
#include "zylcarto/geomap/view/tile_memory.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace {

constexpr int kTile = 256;
// Levels go on halving until the top one is about a screen's size.
constexpr int kTopLevelSide = 512;
// The deepest level libjpeg decodes directly (scale 1/8).
constexpr int kDeepestScaled = 3;
constexpr QRgb kUnreadable = 0xFFC0C0C0;
// Tile columns decoded beside the ones asked for when a pass starts anew.
constexpr int kSideTiles = 2;

// Level Level from rows of level 0, halved Level times.
QImage Reduced(QImage Picture, int Level) {
    for (int k = 0; k < Level; ++k) Picture = HalvedImage(Picture);
    return Picture;
}

// Copies Source's pixels at From into Target at To, Size pixels.
void CopyPixels(const QImage& Source, QPoint From, QImage& Target, QPoint To, QSize Size) {
    for (int y = 0; y < Size.height(); ++y)
        std::memcpy(reinterpret_cast<QRgb*>(Target.scanLine(To.y() + y)) + To.x(),
                    reinterpret_cast<const QRgb*>(Source.constScanLine(From.y() + y)) + From.x(),
                    static_cast<std::size_t>(Size.width()) * sizeof(QRgb));
}

std::uint64_t TileKey(int Level, int Tx, int Ty) {
    return std::uint64_t(Level) << 56 | std::uint64_t(Ty) << 28 | std::uint64_t(Tx);
}

}  // namespace

bool PyramidReadable(const std::string& FileName) {
    const std::string ext = LowerCase(ExtractFileExt(FileName));
    return ext == ".jpg" || ext == ".jpeg" || ext == ".bmp";
}

struct TImagePyramid::TData {
    std::string FileName;
    TPyramidOptions Options;
    std::optional<TBmpRowReader> Bmp;  // none for a JPEG
    // One open decoder for each level below Held, on the columns of its last
    // pass and where that pass ended, so that a view moving down continues it.
    std::vector<std::unique_ptr<TJpegRowReader>> Jpeg;
    QSize Size;
    int Levels = 1;
    int Held = 0;                 // the first level held whole
    std::vector<QImage> Overview;  // levels Held .. Levels - 1
    // Tiles of the levels below Held, least recently used first.
    std::list<std::uint64_t> Use;
    struct TEntry {
        QImage Tile;
        std::list<std::uint64_t>::iterator InUse;
    };
    std::unordered_map<std::uint64_t, TEntry> Memory;
    std::size_t MemoryUsed = 0;
    // Evicted tiles' memory goes to new ones, as first touches of fresh pages
    // cost more than decoding into them.
    TTileMemory TileMemory{kTile};
    std::unique_ptr<QTemporaryFile> Disk;
    std::unordered_map<std::uint64_t, qint64> OnDisk;
    qint64 DiskEnd = 0;
    // Bands that failed to decode: shown grey, not tried again on every frame.
    std::unordered_set<std::uint64_t> Broken;

    QSize LevelSize(int Level) const {
        const int Scale = 1 << Level;
        return {(Size.width() + Scale - 1) / Scale, (Size.height() + Scale - 1) / Scale};
    }
    QSize TileSize(int Level, int Tx, int Ty) const {
        const QSize size = LevelSize(Level);
        return {std::min(kTile, size.width() - Tx * kTile), std::min(kTile, size.height() - Ty * kTile)};
    }
    // Rows First .. First + Count - 1 of a BMP's Level, all columns.
    QImage ReadLevelRows(int Level, int First, int Count) {
        const int scale = 1 << Level;
        const int first = First * scale, count = std::min(Count * scale, Size.height() - first);
        return Reduced(Bmp->ReadRows(first, count), Level);
    }
    QImage ReadWholeLevel(int Level, const TCodecProgress& Progress) {
        if (!Bmp) return DecodeJpegPart(FileName, 1 << Level, {}, {}, Progress);
        // a band at a time, so that the full-size rows are never all in memory
        const QSize size = LevelSize(Level);
        QImage whole(size, QImage::Format_RGB32);
        if (whole.isNull()) throw EImageDecodeError("not enough memory for the overview");
        const int band = std::max(1, kTile >> Level);
        for (int y = 0; y < size.height(); y += band) {
            const QImage rows = ReadLevelRows(Level, y, std::min(band, size.height() - y));
            CopyPixels(rows, {0, 0}, whole, {0, y}, rows.size());
            if (Progress) Progress(static_cast<int>(100LL * (y + rows.height()) / size.height()));
        }
        return whole;
    }
    // Rows First .. First + Count - 1 of Level, columns From .. From + Columns - 1, to Put.
    void ReadRows(int Level, int From, int Columns, int First, int Count, const TJpegRowReader::TPutRow& Put) {
        if (Bmp) {
            const QImage rows = ReadLevelRows(Level, First, Count);
            for (int y = 0; y < Count; ++y) Put(First + y, reinterpret_cast<const QRgb*>(rows.constScanLine(y)) + From);
            return;
        }
        auto& reader = Jpeg[static_cast<std::size_t>(Level)];
        if (!reader || reader->NextRow() > First || reader->FirstColumn() > From ||
            reader->FirstColumn() + reader->Columns() < From + Columns)
            reader = std::make_unique<TJpegRowReader>(FileName, 1 << Level, From, Columns);
        const int shift = From - reader->FirstColumn();
        reader->ReadRows(First, Count, [&Put, shift](int Row, const QRgb* Pixels) { Put(Row, Pixels + shift); });
    }

    void Remember(std::uint64_t Key, const QImage& Tile) {
        Use.push_back(Key);
        Memory[Key] = {Tile, std::prev(Use.end())};
        MemoryUsed += Tile.sizeInBytes();
        while (MemoryUsed > Options.MemoryBytes && !Use.empty()) {
            const auto old = Memory.find(Use.front());
            // written back only when memory runs out, so that most tiles never touch the disk
            if (Disk && !OnDisk.contains(old->first)) ToDisk(old->first, old->second.Tile);
            MemoryUsed -= old->second.Tile.sizeInBytes();
            Memory.erase(old);
            Use.pop_front();
        }
    }
    QImage FromDisk(std::uint64_t Key, QSize TileSize) {
        const auto at = OnDisk.find(Key);
        if (at == OnDisk.end()) return {};
        QImage tile = TileMemory.NewTile(TileSize);
        const qint64 bytes = static_cast<qint64>(tile.sizeInBytes());
        if (!Disk->seek(at->second) || Disk->read(reinterpret_cast<char*>(tile.bits()), bytes) != bytes) return {};
        return tile;
    }
    void ToDisk(std::uint64_t Key, const QImage& Tile) {
        const qint64 bytes = static_cast<qint64>(Tile.sizeInBytes());
        if (Disk->seek(DiskEnd) && Disk->write(reinterpret_cast<const char*>(Tile.constBits()), bytes) == bytes) {
            OnDisk[Key] = DiskEnd;
            DiskEnd += bytes;
        }
    }
    // A tile kept in memory or on disk; null when it must be decoded.
    QImage Kept(int Level, int Tx, int Ty) {
        const std::uint64_t key = TileKey(Level, Tx, Ty);
        if (const auto hit = Memory.find(key); hit != Memory.end()) {
            Use.splice(Use.end(), Use, hit->second.InUse);
            return hit->second.Tile;
        }
        if (!Disk) return {};
        QImage stored = FromDisk(key, TileSize(Level, Tx, Ty));
        if (!stored.isNull()) Remember(key, stored);
        return stored;
    }

    using TDeliver = std::function<void(int Tx, int Ty, const QImage& Tile)>;
    // Decodes the tiles of Tiles (in tile units) that are not in memory in one
    // pass over their columns only; each goes to Deliver when whole, before it
    // is kept and may be evicted. A pass that cannot continue the level's open
    // decoder entropy-decodes every row above from the file's start again, so
    // it takes kSideTiles columns more on each side: a sideways pan then finds
    // its next strip made rather than starting over for every tile column.
    void Decode(int Level, const QRect& Tiles, const TDeliver& Deliver) {
        const QSize size = LevelSize(Level);
        int c0 = Tiles.left(), c1 = Tiles.right();
        if (!Bmp) {
            const TJpegRowReader* open = Jpeg[static_cast<std::size_t>(Level)].get();
            if (!open || open->NextRow() > Tiles.top() * kTile || open->FirstColumn() > c0 * kTile ||
                open->FirstColumn() + open->Columns() < std::min(size.width(), (c1 + 1) * kTile)) {
                c0 = std::max(0, c0 - kSideTiles);
                c1 = std::min((size.width() - 1) / kTile, c1 + kSideTiles);
            }
        }
        const int from = c0 * kTile, columns = std::min(size.width(), (c1 + 1) * kTile) - from;
        std::vector<QImage> band(static_cast<std::size_t>(c1 - c0 + 1));
        for (int ty = Tiles.top(); ty <= Tiles.bottom(); ++ty) {
            if (Broken.contains(TileKey(Level, 0, ty))) continue;
            bool any = false;
            for (int tx = c0; tx <= c1; ++tx) {
                QImage& tile = band[static_cast<std::size_t>(tx - c0)];
                tile = Memory.contains(TileKey(Level, tx, ty)) ? QImage() : TileMemory.NewTile(TileSize(Level, tx, ty));
                if (!tile.isNull()) any = true;
            }
            if (!any) continue;
            const int first = ty * kTile;
            try {
                ReadRows(Level, from, columns, first, TileSize(Level, 0, ty).height(),
                         [&band, first](int Row, const QRgb* Pixels) {
                             for (std::size_t k = 0; k < band.size(); ++k)
                                 if (!band[k].isNull())
                                     std::memcpy(band[k].scanLine(Row - first), Pixels + k * kTile,
                                                 static_cast<std::size_t>(band[k].width()) * sizeof(QRgb));
                         });
            } catch (const EImageDecodeError&) {
                if (!Bmp) Jpeg[static_cast<std::size_t>(Level)].reset();
                Broken.insert(TileKey(Level, 0, ty));
                continue;
            }
            for (int tx = c0; tx <= c1; ++tx) {
                const QImage& tile = band[static_cast<std::size_t>(tx - c0)];
                if (tile.isNull()) continue;
                if (Deliver) Deliver(tx, ty, tile);
                Remember(TileKey(Level, tx, ty), tile);
            }
        }
    }
    // Part of Level (below Held) through the tiles into Out at Part's place
    // less Origin, or only read ahead when Out is null.
    void Read(int Level, const QRect& Part, QImage* Out, QPoint Origin) {
        // tiles beside Part come too and copy nothing
        const auto put = [&](int Tx, int Ty, const QImage& Tile) {
            if (!Out) return;
            const QRect covered = Part & QRect(Tx * kTile, Ty * kTile, kTile, kTile);
            CopyPixels(Tile, covered.topLeft() - QPoint(Tx * kTile, Ty * kTile), *Out, covered.topLeft() - Origin,
                       covered.size());
        };
        QRect missing;
        for (int ty = Part.top() / kTile; ty <= Part.bottom() / kTile; ++ty)
            for (int tx = Part.left() / kTile; tx <= Part.right() / kTile; ++tx) {
                if (const QImage tile = Kept(Level, tx, ty); !tile.isNull())
                    put(tx, ty, tile);
                else if (!Broken.contains(TileKey(Level, 0, ty)))
                    missing |= QRect(tx, ty, 1, 1);
            }
        if (!missing.isEmpty()) Decode(Level, missing, put);
    }
};

TImagePyramid::TImagePyramid(const std::string& FileName, const TPyramidOptions& Options,
                             const std::function<void(int, int)>& CheckSize, const TCodecProgress& Progress)
    : D(std::make_unique<TData>()) {
    D->FileName = FileName;
    D->Options = Options;
    const std::string ext = LowerCase(ExtractFileExt(FileName));
    if (ext == ".bmp") {
        D->Bmp.emplace(FileName);
        D->Size = D->Bmp->Size();
        if (CheckSize) CheckSize(D->Size.width(), D->Size.height());
    } else if (ext != ".jpg" && ext != ".jpeg") {
        throw EImageDecodeError("only JPEG and BMP files can be read in parts");
    }
    // A JPEG's size comes with its first decoding, which is already scaled.
    const auto sizeSeen = [this, &CheckSize](int W, int H) {
        D->Size = {W, H};
        if (CheckSize) CheckSize(W, H);
    };
    if (!D->Bmp) {
        // Levels are not known before the header: decode at 1/8, the deepest
        // scale, and fall back to a shallower one only for small pictures.
        QImage eighth = DecodeJpegPart(FileName, 1 << kDeepestScaled, {}, sizeSeen, Progress);
        while (std::max(D->LevelSize(D->Levels - 1).width(), D->LevelSize(D->Levels - 1).height()) > kTopLevelSide)
            ++D->Levels;
        D->Held = std::min(kDeepestScaled, D->Levels - 1);
        D->Overview.push_back(D->Held == kDeepestScaled ? std::move(eighth) : D->ReadWholeLevel(D->Held, {}));
        D->Jpeg.resize(static_cast<std::size_t>(D->Held));
    } else {
        while (std::max(D->LevelSize(D->Levels - 1).width(), D->LevelSize(D->Levels - 1).height()) > kTopLevelSide)
            ++D->Levels;
        D->Held = std::min(kDeepestScaled, D->Levels - 1);
        D->Overview.push_back(D->ReadWholeLevel(D->Held, Progress));
    }
    for (int level = D->Held + 1; level < D->Levels; ++level)
        D->Overview.push_back(HalvedImage(D->Overview.back()));
    if (!Options.TileFolder.empty()) {
        D->Disk = std::make_unique<QTemporaryFile>(QDir(QString::fromStdString(Options.TileFolder))
                                                       .filePath(QStringLiteral("zylcarto-tiles-XXXXXX")));
        if (!D->Disk->open())
            throw EImageDecodeError("cannot make a tile file in \"" + Options.TileFolder + "\"");
    }
}

TImagePyramid::~TImagePyramid() = default;

QSize TImagePyramid::Size() const { return D->Size; }

int TImagePyramid::Levels() const { return D->Levels; }

QImage TImagePyramid::Region(int Level, const QRect& Rect) const {
    QImage out = LargeImage(Rect.size());
    out.fill(kUnreadable);
    if (Level < 0 || Level >= D->Levels) return out;
    const QRect part = Rect & QRect(QPoint(0, 0), D->LevelSize(Level));
    if (part.isEmpty()) return out;
    if (Level >= D->Held)
        CopyPixels(D->Overview[static_cast<std::size_t>(Level - D->Held)], part.topLeft(), out,
                   part.topLeft() - Rect.topLeft(), part.size());
    else
        D->Read(Level, part, &out, Rect.topLeft());
    return out;
}

void TImagePyramid::Prepare(int Level, const QRect& Rect) const {
    if (Level < 0 || Level >= D->Held) return;
    const QRect part = Rect & QRect(QPoint(0, 0), D->LevelSize(Level));
    if (!part.isEmpty()) D->Read(Level, part, nullptr, {});
}

QImage TImagePyramid::View(int Level, const QRect& Rect) const {
    if (Level < 0 || Level >= D->Levels || !QRect(QPoint(0, 0), D->LevelSize(Level)).contains(Rect))
        return Region(Level, Rect);
    if (Level >= D->Held) return SharedPart(D->Overview[static_cast<std::size_t>(Level - D->Held)], Rect);
    // exactly one tile as kept: shared; a damaged one comes grey from Region
    const QPoint tile(Rect.left() / kTile, Rect.top() / kTile);
    const QRect whole = QRect(tile * kTile, QSize(kTile, kTile)) & QRect(QPoint(0, 0), D->LevelSize(Level));
    if (Rect == whole) {
        QImage kept = D->Kept(Level, tile.x(), tile.y());
        if (kept.isNull()) {
            D->Read(Level, whole, nullptr, {});
            kept = D->Kept(Level, tile.x(), tile.y());
        }
        if (!kept.isNull()) return kept;
    }
    return Region(Level, Rect);
}

}  // namespace zylcarto
