#include "zylcarto/geomap/view/memory_image_source.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace zylcarto {

int TMemoryImageSource::Levels() const {
    const QSize S = Size();
    const int Longer = std::max(S.width(), S.height());
    return Longer <= 1 ? 1 : std::bit_width(static_cast<unsigned>(Longer - 1)) + 1;
}

const QImage& TMemoryImageSource::Level(int Index) const {
    if (Index == 0) return *FPicture;
    if (FLevelsOf != FPicture->cacheKey()) {
        FLevels.clear();
        FLevelsOf = FPicture->cacheKey();
    }
    while (int(FLevels.size()) < Index) FLevels.push_back(HalvedImage(FLevels.empty() ? *FPicture : FLevels.back()));
    return FLevels[static_cast<std::size_t>(Index - 1)];
}

QImage TMemoryImageSource::Region(int Level, const QRect& Rect) const {
    const QImage& From = this->Level(Level);
    if (!From.rect().contains(Rect)) return From.copy(Rect).convertToFormat(QImage::Format_RGB32);
    // Shared, not copied: copying cost a zoom step as much as scaling, most of
    // it in page faults on fresh memory.
    return SharedPart(From, Rect);
}

QImage SharedPart(const QImage& Image, const QRect& Rect) {
    if (Rect.isEmpty()) return {};
    if (Image.format() != QImage::Format_RGB32) return Image.copy(Rect).convertToFormat(QImage::Format_RGB32);
    auto* Whole = new QImage(Image);
    return QImage(
        Whole->constBits() + Rect.top() * Whole->bytesPerLine() + Rect.left() * qsizetype(sizeof(QRgb)), Rect.width(),
        Rect.height(), Whole->bytesPerLine(), QImage::Format_RGB32, [](void* Held) { delete static_cast<QImage*>(Held); },
        Whole);
}

QImage HalvedImage(const QImage& Level) {
    const QImage Src = Level.convertToFormat(QImage::Format_RGB32);
    const int W = (Src.width() + 1) / 2, H = (Src.height() + 1) / 2;
    QImage Half(W, H, QImage::Format_RGB32);
    if (Half.isNull()) return Half;
    for (int y = 0; y < H; ++y) {
        const auto* R0 = reinterpret_cast<const std::uint32_t*>(Src.constScanLine(2 * y));
        const auto* R1 =
            reinterpret_cast<const std::uint32_t*>(Src.constScanLine(std::min(2 * y + 1, Src.height() - 1)));
        auto* Out = reinterpret_cast<std::uint32_t*>(Half.scanLine(y));
        for (int x = 0; x < W; ++x) {
            const int x1 = std::min(2 * x + 1, Src.width() - 1);
            const std::uint32_t P[4] = {R0[2 * x], R0[x1], R1[2 * x], R1[x1]};
            std::uint32_t Mean = 0xFF000000u;
            for (int Shift = 0; Shift < 24; Shift += 8) {
                std::uint32_t Sum = 2;  // rounds to nearest
                for (const std::uint32_t p : P) Sum += (p >> Shift) & 0xFF;
                Mean |= (Sum / 4) << Shift;
            }
            Out[x] = Mean;
        }
    }
    return Half;
}

}  // namespace zylcarto
