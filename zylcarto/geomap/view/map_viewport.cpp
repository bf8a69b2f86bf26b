#include "zylcarto/geomap/view/map_viewport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zylcarto {

double TMapViewport::Clamped(double Value) {
    if (!std::isfinite(Value) || Value <= 0) return MinMagnify;
    return std::clamp(Value, MinMagnify, MaxMagnify);
}

TMapViewport::TMapViewport(TPoint TopLeft, double Magnify, int Width, int Height) : FTopLeft(TopLeft) {
    SetMagnify(Magnify);
    SetSize(Width, Height);
}

bool TMapViewport::SetMagnify(double Value) {
    if (!std::isfinite(Value) || Value <= 0) return false;
    FMagnify = Value;
    return true;
}

bool TMapViewport::SetSize(int Width, int Height) {
    if (Width < 0 || Height < 0) return false;
    FWidth = Width;
    FHeight = Height;
    return true;
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
    FTopLeft = {ConfinedStart(FTopLeft.X, ImageWidth, FWidth / FMagnify),
                ConfinedStart(FTopLeft.Y, ImageHeight, FHeight / FMagnify)};
}

bool TMapViewport::Resize(int NewWidth, int NewHeight) {
    if (NewWidth < 0 || NewHeight < 0) return false;
    FTopLeft.X += RoundToInt((FWidth - NewWidth) / (2 * FMagnify));
    FTopLeft.Y += RoundToInt((FHeight - NewHeight) / (2 * FMagnify));
    FWidth = NewWidth;
    FHeight = NewHeight;
    return true;
}

void TMapViewport::PlaceAt(double X, double Y, TPoint At) {
    FTopLeft = {RoundToInt(X - At.X / FMagnify), RoundToInt(Y - At.Y / FMagnify)};
}

void TMapViewport::CenterOn(TPoint P) { FTopLeft = {P.X - HalfWidthInImage(), P.Y - HalfHeightInImage()}; }

void TMapViewport::CenterOnWithin(TPoint P, int ImageWidth, int ImageHeight) {
    const int hw = HalfWidthInImage(), hh = HalfHeightInImage();
    const int cx = std::min(P.X - hw, ImageWidth - 2 * hw);
    const int cy = std::min(P.Y - hh, ImageHeight - 2 * hh);
    FTopLeft = {std::max(cx, 0), std::max(cy, 0)};
}

void TMapViewport::ZoomAroundCenter(double NewMagnify) {
    const TPoint C = Center();
    FMagnify = Clamped(NewMagnify);
    CenterOn(C);
}

void TMapViewport::FitBox(TPoint Corner, int Dx, int Dy) {
    const double dx = std::abs(Dx), dy = std::abs(Dy);
    if (dx == 0 || dy == 0) return;
    FMagnify = Clamped(dy < dx ? FWidth / dx : FHeight / dy);
    FTopLeft = {Corner.X + RoundToInt((dx - FWidth / FMagnify) / 2),
                Corner.Y + RoundToInt((dy - FHeight / FMagnify) / 2)};
}

double TMapViewport::FitMagnification(int ImageWidth, int ImageHeight) const {
    if (ImageWidth <= 0 || ImageHeight <= 0) return 0;
    const double a = double(FWidth) / ImageWidth, b = double(FHeight) / ImageHeight;
    return a > b ? b : a;
}

}  // namespace zylcarto
