#pragma once
// The view of a map as a value: the image pixel at the control's top-left
// corner, the magnification (control pixels per image pixel) and the size of
// the control. Every conversion between control and image pixels goes
// through it, so the widget, the renderer and the mouse tools agree.
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/types.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

// The image's rectangle in control pixels, unrounded.
struct TImageExtent {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct ZYLCARTO_EXPORT TMapViewport {
    // Every conversion divides by the magnification; it stays within these.
    static constexpr double MinMagnify = 1.0 / 1024;
    static constexpr double MaxMagnify = 1024;
    // Within MinMagnify..MaxMagnify; MinMagnify for a value that is not finite and positive.
    static double Clamped(double Magnify);

    TPoint TopLeft;
    double Magnify = 1.0;  // positive
    int Width = 0, Height = 0;

    TPoint ControlToImage(TPoint P) const {
        return {RoundToInt(P.X / Magnify) + TopLeft.X, RoundToInt(P.Y / Magnify) + TopLeft.Y};
    }
    TPoint ImageToControl(TPoint P) const {
        return {RoundToInt((double(P.X) - TopLeft.X) * Magnify), RoundToInt((double(P.Y) - TopLeft.Y) * Magnify)};
    }
    // A distance in control pixels as image pixels.
    int ToImageLength(double ControlLength) const { return RoundToInt(ControlLength / Magnify); }
    // Half the control in image pixels.
    int HalfWidthInImage() const { return ToImageLength(Width / 2.0); }
    int HalfHeightInImage() const { return ToImageLength(Height / 2.0); }
    // The image pixel at the centre of the control.
    TPoint Center() const { return {HalfWidthInImage() + TopLeft.X, HalfHeightInImage() + TopLeft.Y}; }
    // The view of ImageWidth x ImageHeight image pixels in control pixels.
    TImageExtent Extent(int ImageWidth, int ImageHeight) const {
        return {-TopLeft.X * Magnify, -TopLeft.Y * Magnify, (ImageWidth - TopLeft.X) * Magnify,
                (ImageHeight - TopLeft.Y) * Magnify};
    }
    // The image rectangle the control shows (right and bottom rounded).
    TRect VisibleImageRect() const {
        return {TopLeft.X, TopLeft.Y, RoundToInt(Width / Magnify + TopLeft.X),
                RoundToInt(Height / Magnify + TopLeft.Y)};
    }

    // Keeps the view on an image of the given size; along a side where the image
    // is smaller than the control it is centred. Nothing without an image.
    void Confine(int ImageWidth, int ImageHeight);
    // Keeps the image pixel at the centre while the control takes a new size.
    void Resize(int NewWidth, int NewHeight);
    // Shows image point (X, Y), in fractional pixels, at control pixel At,
    // rounding once; no confinement.
    void PlaceAt(double X, double Y, TPoint At);
    // Puts image pixel P at the centre; no confinement.
    void CenterOn(TPoint P);
    // Centres P but keeps the view's right and bottom edges inside the image
    // (measured with the rounded half sizes), then its left and top.
    void CenterOnWithin(TPoint P, int ImageWidth, int ImageHeight);
    // Keeps the centre pixel while the magnification changes (clamped).
    void ZoomAroundCenter(double NewMagnify);
    // Fits a box of image pixels from Corner, Dx x Dy, into the control along its
    // longer side (magnification clamped), centred; nothing for an empty box.
    void FitBox(TPoint Corner, int Dx, int Dy);
    // The magnification that fits the whole image into the control; 0 without one.
    double FitMagnification(int ImageWidth, int ImageHeight) const;

    friend bool operator==(const TMapViewport&, const TMapViewport&) = default;
};

}  // namespace zylcarto
