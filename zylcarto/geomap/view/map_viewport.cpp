#include "zylcarto/geomap/view/map_viewport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zylcarto {

double TMapViewport::Clamped(double Value) {
    if (!std::isfinite(Value) || Value <= 0) return MinMagnify;
    return std::clamp(Value, MinMagnify, MaxMagnify);
}

void TMapViewport::Confine(int ImageWidth, int ImageHeight) {
    const double MaxX = ImageWidth - Width / Magnify;
    const double MaxY = ImageHeight - Height / Magnify;
    if (TopLeft.X > MaxX) TopLeft.X = RoundToInt(MaxX);
    if (TopLeft.Y > MaxY) TopLeft.Y = RoundToInt(MaxY);
    TopLeft.X = std::max(TopLeft.X, 0);
    TopLeft.Y = std::max(TopLeft.Y, 0);
}

void TMapViewport::CenterOn(TPoint P) { TopLeft = {P.X - HalfWidthInImage(), P.Y - HalfHeightInImage()}; }

void TMapViewport::CenterOnWithin(TPoint P, int ImageWidth, int ImageHeight) {
    const int hw = HalfWidthInImage(), hh = HalfHeightInImage();
    const int cx = std::min(P.X - hw, ImageWidth - 2 * hw);
    const int cy = std::min(P.Y - hh, ImageHeight - 2 * hh);
    TopLeft = {std::max(cx, 0), std::max(cy, 0)};
}

void TMapViewport::ZoomAroundCenter(double NewMagnify) {
    const TPoint C = Center();
    Magnify = Clamped(NewMagnify);
    CenterOn(C);
}

void TMapViewport::FitBox(TPoint Corner, int Dx, int Dy) {
    const double dx = std::abs(Dx), dy = std::abs(Dy);
    if (dx == 0 || dy == 0) return;
    Magnify = Clamped(dy < dx ? Width / dx : Height / dy);
    TopLeft = {Corner.X + RoundToInt((dx - Width / Magnify) / 2), Corner.Y + RoundToInt((dy - Height / Magnify) / 2)};
}

double TMapViewport::FitMagnification(int ImageWidth, int ImageHeight) const {
    if (ImageWidth <= 0 || ImageHeight <= 0) return 0;
    const double a = double(Width) / ImageWidth, b = double(Height) / ImageHeight;
    return a > b ? b : a;
}

}  // namespace zylcarto
