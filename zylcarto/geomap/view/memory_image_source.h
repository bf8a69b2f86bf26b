#pragma once
// A picture held whole as an image source. Level 0 is the picture itself; the
// halved levels are made when first read and kept until the picture changes,
// so that a reduced view averages few pixels.
#include <QImage>
#include <vector>

#include "zylcarto/geomap/view/image_source.h"

namespace zylcarto {

class TMemoryImageSource final : public TImageSource {
public:
    // Reads Picture, which must outlive the source; it may be replaced meanwhile.
    explicit TMemoryImageSource(const QImage& Picture) : FPicture(&Picture) {}

    QSize Size() const override { return FPicture->size(); }
    int Levels() const override;
    QImage Region(int Level, const QRect& Rect) const override;

private:
    const QImage& Level(int Index) const;

    const QImage* FPicture;
    // Levels 1.. of the picture whose cacheKey is FLevelsOf; one thread at a time.
    mutable std::vector<QImage> FLevels;
    mutable qint64 FLevelsOf = 0;
};

// The pixels of Rect (within Image) without a copy: the part holds a shallow
// copy of Image, so that it stays valid when Image is replaced or changed.
// A copy in RGB32 when Image is in another format.
QImage SharedPart(const QImage& Image, const QRect& Rect);

// Level k + 1 from level k: each pixel the mean of the 2 x 2 it covers, the
// last row and column of an odd size the mean of what there is.
QImage HalvedImage(const QImage& Level);

}  // namespace zylcarto
