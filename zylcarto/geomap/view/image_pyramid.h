#pragma once
// An image file too large to hold, read as a pyramid of tiles: the overview
// levels at open, the detail when first asked for, the missing tiles of a
// request in one pass. JPEG tiles come from the decoder's scaled, row-range
// and column-cropped decoding, BMP tiles from the file's rows; tiles stay in
// memory up to a byte limit and, when the host gives a folder, also in a
// temporary file there, so that a tile evicted from memory is read back
// rather than decoded again. One thread at a time.
#include <QSize>
#include <memory>
#include <string>

#include "zylcarto/geomap/view/image_source.h"
#include "zylcarto/geomap/view/jpeg_codec.h"

namespace zylcarto {

struct TPyramidOptions {
    // Bytes of tiles kept in memory; the overview levels come on top.
    std::size_t MemoryBytes = std::size_t{64} << 20;
    // Where the temporary tile file goes; empty keeps tiles in memory only.
    std::string TileFolder;
};

class TImagePyramid final : public TImageSource {
public:
    // Opens a JPEG (.jpg, .jpeg) or uncompressed BMP (.bmp) and reads its
    // overview; CheckSize sees the full size first and may raise to refuse it.
    // Raises EImageDecodeError for a file that cannot be read so.
    TImagePyramid(const std::string& FileName, const TPyramidOptions& Options,
                  const std::function<void(int Width, int Height)>& CheckSize, const TCodecProgress& Progress);
    ~TImagePyramid() override;
    TImagePyramid(const TImagePyramid&) = delete;
    TImagePyramid& operator=(const TImagePyramid&) = delete;

    QSize Size() const override;
    int Levels() const override;
    QImage Region(int Level, const QRect& Rect) const override;
    // Decodes the missing tiles of Rect in one pass.
    void Prepare(int Level, const QRect& Rect) const override;
    QImage View(int Level, const QRect& Rect) const override;

private:
    struct TData;
    std::unique_ptr<TData> D;
};

// Whether FileName's kind can be read as a pyramid (by its extension).
bool PyramidReadable(const std::string& FileName);

}  // namespace zylcarto
