#pragma once
/// @file
/// Drawing of one landmark symbol centred on a pixel of a canvas.
#include "zylcarto/geomap/landmarks/landmark_types.h"
#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// Draws Element centred on pixel (X, Y) in ColorFG lines and ColorBG fills.
/// Size is the half-width S in pixels, Direction degrees (0 up, clockwise),
/// Length the arrow shaft in pixels. Sets pen and brush colours; the fills use
/// the brush style the canvas has, except the transparent circle, which leaves
/// the brush clear. An element outside the enumeration draws a small plus;
/// lmUserDef draws nothing. Never raises.
ZYLCARTO_EXPORT void DrawLandMarkSymbolOnCanvas(TCanvas& Canvas, int X, int Y, TLandMarkElement Element, TColor ColorFG,
                                                TColor ColorBG, int Size, int Direction, int Length, bool Transparent);

/// True when DrawLandMarkSymbolOnCanvas draws the element with MoveTo and LineTo
/// only, between points at fixed whole offsets from the centre: its pixels do
/// not depend on the brush and move with the centre. (Rotated points round
/// X + d sin, which can fall either side of a half depending on X.)
ZYLCARTO_EXPORT bool SymbolIsLinesAtFixedOffsets(TLandMarkElement Element, bool Transparent);

}  // namespace zylcarto
