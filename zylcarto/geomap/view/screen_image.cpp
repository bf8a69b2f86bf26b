#include "zylcarto/geomap/view/screen_image.h"

#include <cstdlib>

namespace zylcarto {

namespace {

constexpr std::size_t PageSize = 4096, PixelOffset = 64;

void FreeBlock(void* Block) { std::free(Block); }

}  // namespace

QImage NewScreenImage(int Width, int Height, QImage::Format Format) {
    const int Depth = QImage::toPixelFormat(Format).bitsPerPixel();
    if (Width <= 0 || Height <= 0 || Depth <= 0) return QImage(Width, Height, Format);
    const qsizetype Stride = (qsizetype(Width) * Depth + 31) / 32 * 4;  // 32-bit aligned rows, as QImage's
    const std::size_t Used = PixelOffset + std::size_t(Stride) * std::size_t(Height);
    const std::size_t Bytes = (Used + PageSize - 1) / PageSize * PageSize;  // aligned_alloc wants whole pages
    void* Block = std::aligned_alloc(PageSize, Bytes);
    if (!Block) return QImage(Width, Height, Format);  // Qt's own allocation, or a null image as Qt gives
    return QImage(static_cast<uchar*>(Block) + PixelOffset, Width, Height, Stride, Format, FreeBlock, Block);
}

}  // namespace zylcarto
