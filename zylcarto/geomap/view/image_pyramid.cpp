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
#include "zylcarto/support/strings.h"

namespace zylcarto {

namespace {

constexpr int kTile = 256;
// Levels go on halving until the top one is about a screen's size.
constexpr int kTopLevelSide = 512;
// The deepest level libjpeg decodes directly (scale 1/8).
constexpr int kDeepestScaled = 3;
constexpr QRgb kUnreadable = 0xFFC0C0C0;

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
    // One open decoder for each level below Held, where its last band ended.
    std::vector<std::unique_ptr<TJpegRowReader>> Jpeg;
    QImage Band;  // the last JPEG band decoded, its memory reused by the next
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
    std::unique_ptr<QTemporaryFile> Disk;
    std::unordered_map<std::uint64_t, qint64> OnDisk;
    qint64 DiskEnd = 0;
    // Bands that failed to decode: shown grey, not tried again on every frame.
    std::unordered_set<std::uint64_t> Broken;

    QSize LevelSize(int Level) const {
        const int Scale = 1 << Level;
        return {(Size.width() + Scale - 1) / Scale, (Size.height() + Scale - 1) / Scale};
    }
    // Rows First .. First + Count - 1 of Level, all columns.
    QImage ReadLevelRows(int Level, int First, int Count) {
        if (!Bmp) {
            auto& reader = Jpeg[static_cast<std::size_t>(Level)];
            // a band above the last one starts the file again
            if (!reader || reader->NextRow() > First) {
                reader.reset();
                reader = std::make_unique<TJpegRowReader>(FileName, 1 << Level);
            }
            if (Band.width() != reader->Size().width() || Band.height() != Count)
                Band = QImage(reader->Size().width(), Count, QImage::Format_RGB32);
            if (Band.isNull()) throw EImageDecodeError("not enough memory for a band of the JPEG image");
            reader->ReadRows(First, Band);
            return Band;
        }
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
        QImage tile(TileSize, QImage::Format_RGB32);
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
    // Decodes the band of tile row Ty and keeps its tiles; returns tile Tx.
    QImage LoadBand(int Level, int Tx, int Ty) {
        const QSize size = LevelSize(Level);
        const int rows = std::min(kTile, size.height() - Ty * kTile);
        QImage band;
        try {
            band = ReadLevelRows(Level, Ty * kTile, rows);
        } catch (const EImageDecodeError&) {
            if (!Bmp) Jpeg[static_cast<std::size_t>(Level)].reset();
            Broken.insert(TileKey(Level, 0, Ty));
            return {};
        }
        QImage wanted;
        for (int x = 0, tx = 0; x < size.width(); x += kTile, ++tx) {
            QImage tile(std::min(kTile, size.width() - x), rows, QImage::Format_RGB32);
            CopyPixels(band, {x, 0}, tile, {0, 0}, tile.size());
            const std::uint64_t key = TileKey(Level, tx, Ty);
            if (tx == Tx) wanted = tile;
            Remember(key, tile);
        }
        return wanted;
    }
    QImage Tile(int Level, int Tx, int Ty) {
        const std::uint64_t key = TileKey(Level, Tx, Ty);
        if (const auto hit = Memory.find(key); hit != Memory.end()) {
            Use.splice(Use.end(), Use, hit->second.InUse);
            return hit->second.Tile;
        }
        if (Broken.contains(TileKey(Level, 0, Ty))) return {};
        if (Disk) {
            const QSize size = LevelSize(Level);
            const QImage stored = FromDisk(key, {std::min(kTile, size.width() - Tx * kTile),
                                                 std::min(kTile, size.height() - Ty * kTile)});
            if (!stored.isNull()) {
                Remember(key, stored);
                return stored;
            }
        }
        return LoadBand(Level, Tx, Ty);
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
    QImage out(Rect.size(), QImage::Format_RGB32);
    out.fill(kUnreadable);
    if (Level < 0 || Level >= D->Levels) return out;
    const QRect part = Rect & QRect(QPoint(0, 0), D->LevelSize(Level));
    if (part.isEmpty()) return out;
    if (Level >= D->Held) {
        CopyPixels(D->Overview[static_cast<std::size_t>(Level - D->Held)], part.topLeft(), out,
                   part.topLeft() - Rect.topLeft(), part.size());
        return out;
    }
    for (int ty = part.top() / kTile; ty <= part.bottom() / kTile; ++ty)
        for (int tx = part.left() / kTile; tx <= part.right() / kTile; ++tx) {
            const QImage tile = D->Tile(Level, tx, ty);
            const QRect covered = part & QRect(tx * kTile, ty * kTile, kTile, kTile);
            if (tile.isNull()) continue;
            CopyPixels(tile, covered.topLeft() - QPoint(tx * kTile, ty * kTile), out,
                       covered.topLeft() - Rect.topLeft(), covered.size());
        }
    return out;
}

QImage TImagePyramid::View(int Level, const QRect& Rect) const {
    if (Level < 0 || Level >= D->Levels || !QRect(QPoint(0, 0), D->LevelSize(Level)).contains(Rect))
        return Region(Level, Rect);
    if (Level >= D->Held) return SharedPart(D->Overview[static_cast<std::size_t>(Level - D->Held)], Rect);
    // exactly one tile as kept: shared; a damaged one comes grey from Region
    const QPoint tile(Rect.left() / kTile, Rect.top() / kTile);
    const QRect whole = QRect(tile * kTile, QSize(kTile, kTile)) & QRect(QPoint(0, 0), D->LevelSize(Level));
    if (Rect == whole)
        if (QImage kept = D->Tile(Level, tile.x(), tile.y()); !kept.isNull()) return kept;
    return Region(Level, Rect);
}

}  // namespace zylcarto
