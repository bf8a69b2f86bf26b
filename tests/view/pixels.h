#pragma once
// Helpers of the pixel tests: which pixels of an image differ from a colour.
#include <QImage>
#include <set>
#include <utility>

#include "zylcarto/geomap/view/canvas.h"

namespace zylcarto::test {

using PixelSet = std::set<std::pair<int, int>>;

inline QImage Blank(int W, int H, TColor Color = 0xFFFFFF) {
    QImage I(W, H, QImage::Format_RGB32);
    I.fill(ToQColor(Color));
    return I;
}

inline TColor At(const QImage& I, int X, int Y) { return FromQRgb(I.pixel(X, Y)); }

// Every pixel that is not Background.
inline PixelSet Painted(const QImage& I, TColor Background = 0xFFFFFF) {
    PixelSet S;
    for (int y = 0; y < I.height(); ++y)
        for (int x = 0; x < I.width(); ++x)
            if (At(I, x, y) != Background) S.insert({x, y});
    return S;
}

// Every pixel of exactly Color.
inline PixelSet OfColor(const QImage& I, TColor Color) {
    PixelSet S;
    for (int y = 0; y < I.height(); ++y)
        for (int x = 0; x < I.width(); ++x)
            if (At(I, x, y) == Color) S.insert({x, y});
    return S;
}

}  // namespace zylcarto::test
