#pragma once
// Where the renderer takes map image pixels from: a picture held whole, or a
// tiled pyramid of a file too large to hold. Each level halves the one before:
// level 0 is the image at full size, level k is ceil(W / 2^k) x ceil(H / 2^k),
// so that a view far below full size reads few pixels.
#include <QImage>
#include <QRect>
#include <QSize>

namespace zylcarto {

class TImageSource {
public:
    virtual ~TImageSource() = default;

    // Size of level 0 in image pixels; empty for no image.
    virtual QSize Size() const = 0;
    // How many levels can be read, at least 1.
    virtual int Levels() const = 0;
    // The pixels of Rect at Level in the view's pixel format (RGB32), Rect given
    // in that level's pixels and lying within it. Never null for such a Rect;
    // a part that cannot be read (a damaged tile) comes back in the background grey.
    virtual QImage Region(int Level, const QRect& Rect) const = 0;
    // Makes Rect at Level ready for the Region calls that will read it piece
    // by piece, so that a source decoding on demand reads it in one pass
    // rather than once per piece; nothing to do for pixels held whole.
    virtual void Prepare(int Level, const QRect& Rect) const {
        (void)Level;
        (void)Rect;
    }
    // The same pixels, shared rather than copied where the source holds them
    // so (a picture held whole, a whole tile of a pyramid); they stay valid
    // while the image lives, whatever becomes of the source.
    virtual QImage View(int Level, const QRect& Rect) const { return Region(Level, Rect); }

    // The size of Level, rounding up as the levels are built.
    QSize LevelSize(int Level) const {
        const QSize S = Size();
        const int Scale = 1 << Level;
        return {(S.width() + Scale - 1) / Scale, (S.height() + Scale - 1) / Scale};
    }
};

}  // namespace zylcarto
