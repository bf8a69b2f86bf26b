#pragma once
// Helpers of the pixel tests: the colour of a pixel ($00BBGGRR), which pixels of an
// image differ from a colour, and tables of pixels checked in one call.
#include <gtest/gtest.h>

#include <QImage>
#include <initializer_list>
#include <set>
#include <sstream>
#include <source_location>
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

// A pixel that should have Color ($00BBGGRR); What says why, for the failure.
struct TPixel {
    int X, Y;
    TColor Color;
    const char* What = "";
};

// Checks every pixel of the table, naming each one of another colour at the caller's line.
inline void ExpectPixels(const QImage& I, std::initializer_list<TPixel> Pixels,
                         std::source_location Where = std::source_location::current()) {
    for (const TPixel& P : Pixels) {
        const bool Inside = I.valid(P.X, P.Y);
        if (Inside && At(I, P.X, P.Y) == P.Color) continue;
        std::ostringstream Failure;
        Failure << "pixel (" << P.X << ", " << P.Y << ")" << (*P.What ? " " : "") << P.What << std::hex
                << ": expected 0x" << P.Color;
        if (Inside)
            Failure << ", is 0x" << At(I, P.X, P.Y);
        else
            Failure << ", lies outside the " << std::dec << I.width() << " x " << I.height() << " image";
        ADD_FAILURE_AT(Where.file_name(), static_cast<int>(Where.line())) << Failure.str();
    }
}

}  // namespace zylcarto::test
