#pragma once
// Smooth scaling of a rectangle of an image onto a device pixel grid: bilinear
// when enlarging, the area average of the pixels each device pixel covers when
// reducing. Separable, in 8-bit fixed point, with tables per axis built for the
// rectangle alone, so that a tile costs what its own pixels cost.
#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

namespace zylcarto {

// Where the device pixels of one axis take their source pixels from: device
// pixel k of the Count is the sum over t < Taps of source pixel
// Index[t * Count + k] times Weight[t * Count + k] / 256 (tap by tap, so that
// each tap's column is contiguous); each pixel's weights add up to 256
// exactly, so that a constant stays constant.
struct TScaleTaps {
    int Taps = 0, Count = 0;
    // Two taps, the second always the pixel after the first (enlarging a
    // source of two pixels or more).
    bool Adjacent = false;
    std::vector<int> Index;
    std::vector<std::uint16_t> Weight;
};

// Count device pixels from First on, device pixel u showing source coordinate
// (u + 0.5 + Phase) / Scale at its centre, from the Size source pixels that
// begin at source pixel Origin; beyond them the edge pixels go on.
TScaleTaps ScaleTaps(int First, int Count, double Phase, double Scale, int Origin, int Size);

// Device pixels Rect of a space in which device pixel (u, v) shows source point
// ((u + 0.5 + Phase.x) / Scale, (v + 0.5 + Phase.y) / Scale) at its centre,
// from Source (RGB32 or ARGB32_Premultiplied) whose top-left is source pixel
// Origin; into Target, of Rect's size and Source's format. Two rectangles of
// one space agree where they overlap.
void SmoothScale(const QImage& Source, QPoint Origin, double Scale, QPointF Phase, const QRect& Rect, QImage& Target);

}  // namespace zylcarto
