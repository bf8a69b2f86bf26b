#include "zylcarto/geomap/view/map_viewport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zylcarto {

double TMapViewport::Clamped(double Value) {
    if (!std::isfinite(Value) || Value <= 0) return MinMagnify;
    return std::clamp(Value, MinMagnify, MaxMagnify);
}

namespace {

// The first image pixel shown along one side: within the image, or centring an
// image narrower than the control.
int ConfinedStart(int Start, int ImageLength, double ControlLengthInImage) {
    const double Spare = ControlLengthInImage - ImageLength;
    if (Spare > 0) return -RoundToInt(Spare / 2);
    if (Start > -Spare) return RoundToInt(-Spare);
    return std::max(Start, 0);
}

}  // namespace

void TMapViewport::Confine(int ImageWidth, int ImageHeight) {
    if (ImageWidth <= 0 || ImageHeight <= 0) return;
    TopLeft = {ConfinedStart(TopLeft.X, ImageWidth, Width / Magnify),
               ConfinedStart(TopLeft.Y, ImageHeight, Height / Magnify)};
}

void TMapViewport::Resize(int NewWidth, int NewHeight) {
    TopLeft.X += RoundToInt((Width - NewWidth) / (2 * Magnify));
    TopLeft.Y += RoundToInt((Height - NewHeight) / (2 * Magnify));
    Width = NewWidth;
    Height = NewHeight;
}

void TMapViewport::PlaceAt(double X, double Y, TPoint At) {
    TopLeft = {RoundToInt(X - At.X / Magnify), RoundToInt(Y - At.Y / Magnify)};
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
