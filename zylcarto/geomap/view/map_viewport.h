#pragma once
/// @file
/// The view of a map as a value: the image pixel at the control's top-left
/// corner, the magnification (control pixels per image pixel) and the size of
/// the control. Every conversion between control and image pixels goes
/// through it, so the widget, the renderer and the mouse tools agree.
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/types.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// The image's rectangle in control pixels, unrounded.
struct TImageExtent {
    /// @{
    /// Edges in control pixels; Right and Bottom lie just past the image's last
    /// column and row, so Right - Left is the image's width on the control.
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
    /// @}
};

/// Where a control looks at its map image: a value, copied freely, used by one
/// thread at a time. It holds its invariants itself: the magnification is finite
/// and positive and the size never negative; a setter given anything else
/// refuses it (false) and leaves the value as it was. A control keeps its own
/// view within MinMagnify..MaxMagnify; printing and export use any positive
/// magnification. Nothing here raises; results are rounded to the nearest pixel
/// (halves to even) and saturate at the int range.
class ZYLCARTO_EXPORT TMapViewport {
public:
    /// @{
    /// The range a control keeps its view's magnification in.
    static constexpr double MinMagnify = 1.0 / 1024;
    static constexpr double MaxMagnify = 1024;
    /// @}
    /// Within MinMagnify..MaxMagnify; MinMagnify for a value that is not finite and positive.
    static double Clamped(double Magnify);

    /// Image pixel 0, 0 at magnification 1 on a control of size 0.
    TMapViewport() = default;
    /// Through the setters: a refused magnification leaves 1, a refused size 0 x 0.
    TMapViewport(TPoint TopLeft, double Magnify, int Width, int Height);

    /// The image pixel shown at the control's top-left corner; negative or beyond
    /// the image where the view reaches past its edges.
    TPoint TopLeft() const { return FTopLeft; }
    /// Any pixel is taken.
    void SetTopLeft(TPoint P) { FTopLeft = P; }
    /// Control pixels per image pixel; finite and positive.
    double Magnify() const { return FMagnify; }
    /// Refuses (false, nothing changed) a value that is not finite and positive;
    /// the top-left pixel stays.
    bool SetMagnify(double Value);
    /// @{
    /// Size of the control in control pixels; never negative.
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    /// @}
    /// Refuses (false, nothing changed) a negative side; the top-left pixel
    /// stays (Resize keeps the centre instead).
    bool SetSize(int Width, int Height);

    /// The image pixel under control pixel P.
    TPoint ControlToImage(TPoint P) const {
        return {RoundToInt(P.X / FMagnify) + FTopLeft.X, RoundToInt(P.Y / FMagnify) + FTopLeft.Y};
    }
    /// The control pixel showing image pixel P; may lie outside the control.
    TPoint ImageToControl(TPoint P) const {
        return {RoundToInt((double(P.X) - FTopLeft.X) * FMagnify), RoundToInt((double(P.Y) - FTopLeft.Y) * FMagnify)};
    }
    /// A distance in control pixels as image pixels.
    int ToImageLength(double ControlLength) const { return RoundToInt(ControlLength / FMagnify); }
    /// @{
    /// Half the control's width (height) in image pixels.
    int HalfWidthInImage() const { return ToImageLength(FWidth / 2.0); }
    int HalfHeightInImage() const { return ToImageLength(FHeight / 2.0); }
    /// @}
    /// The image pixel at the centre of the control.
    TPoint Center() const { return {HalfWidthInImage() + FTopLeft.X, HalfHeightInImage() + FTopLeft.Y}; }
    /// Where an image of ImageWidth x ImageHeight image pixels lies on the control.
    TImageExtent Extent(int ImageWidth, int ImageHeight) const {
        return {-FTopLeft.X * FMagnify, -FTopLeft.Y * FMagnify, (ImageWidth - FTopLeft.X) * FMagnify,
                (ImageHeight - FTopLeft.Y) * FMagnify};
    }
    /// The image pixels the control shows, Right and Bottom just outside and
    /// rounded; not limited to the image.
    TRect VisibleImageRect() const {
        return {FTopLeft.X, FTopLeft.Y, RoundToInt(FWidth / FMagnify + FTopLeft.X),
                RoundToInt(FHeight / FMagnify + FTopLeft.Y)};
    }

    /// Moves TopLeft so that the view stays on an image of the given size (image
    /// pixels); along a side where the image is smaller than the control it is
    /// centred. Nothing when either size is 0 or less.
    void Confine(int ImageWidth, int ImageHeight);
    /// Takes the new control size (control pixels) and moves TopLeft so that the
    /// image pixel at the centre stays there; refuses (false, nothing changed) a
    /// negative side.
    bool Resize(int NewWidth, int NewHeight);
    /// Shows image point (X, Y), in fractional image pixels, at control pixel At,
    /// rounding once; no confinement.
    void PlaceAt(double X, double Y, TPoint At);
    /// Puts image pixel P at the centre; no confinement.
    void CenterOn(TPoint P);
    /// Centres image pixel P but keeps the view's right and bottom edges inside an
    /// image of the given size (measured with the rounded half sizes), then its
    /// left and top, which win for an image smaller than the control.
    void CenterOnWithin(TPoint P, int ImageWidth, int ImageHeight);
    /// Keeps the centre pixel while the magnification changes to
    /// Clamped(NewMagnify).
    void ZoomAroundCenter(double NewMagnify);
    /// Fits a box of image pixels, Corner its top-left pixel and |Dx| x |Dy| its
    /// size, into the control along the box's longer side (magnification
    /// clamped), centred; nothing when Dx or Dy is 0.
    void FitBox(TPoint Corner, int Dx, int Dy);
    /// The magnification, unclamped, at which an image of the given size fits
    /// wholly into the control; 0 when either size is 0 or less.
    double FitMagnification(int ImageWidth, int ImageHeight) const;

    /// Equal when every field is.
    friend bool operator==(const TMapViewport&, const TMapViewport&) = default;

private:
    TPoint FTopLeft;
    double FMagnify = 1.0;
    int FWidth = 0, FHeight = 0;
};

}  // namespace zylcarto
