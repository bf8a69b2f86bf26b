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

/// Where a control looks at its map image: a plain value, copied freely, used by
/// one thread at a time. Nothing here raises; results are rounded to the nearest
/// pixel (halves to even) and saturate at the int range. Only the setters below
/// that say so keep Magnify within MinMagnify..MaxMagnify; a Magnify written
/// directly must be positive.
struct ZYLCARTO_EXPORT TMapViewport {
    /// @{
    /// Every conversion divides by the magnification; it stays within these.
    static constexpr double MinMagnify = 1.0 / 1024;
    static constexpr double MaxMagnify = 1024;
    /// @}
    /// Within MinMagnify..MaxMagnify; MinMagnify for a value that is not finite and positive.
    static double Clamped(double Magnify);

    /// The image pixel shown at the control's top-left corner; negative or beyond
    /// the image where the view reaches past its edges.
    TPoint TopLeft;
    /// Control pixels per image pixel; positive.
    double Magnify = 1.0;
    /// @{
    /// Size of the control in control pixels.
    int Width = 0, Height = 0;
    /// @}

    /// The image pixel under control pixel P.
    TPoint ControlToImage(TPoint P) const {
        return {RoundToInt(P.X / Magnify) + TopLeft.X, RoundToInt(P.Y / Magnify) + TopLeft.Y};
    }
    /// The control pixel showing image pixel P; may lie outside the control.
    TPoint ImageToControl(TPoint P) const {
        return {RoundToInt((double(P.X) - TopLeft.X) * Magnify), RoundToInt((double(P.Y) - TopLeft.Y) * Magnify)};
    }
    /// A distance in control pixels as image pixels.
    int ToImageLength(double ControlLength) const { return RoundToInt(ControlLength / Magnify); }
    /// @{
    /// Half the control's width (height) in image pixels.
    int HalfWidthInImage() const { return ToImageLength(Width / 2.0); }
    int HalfHeightInImage() const { return ToImageLength(Height / 2.0); }
    /// @}
    /// The image pixel at the centre of the control.
    TPoint Center() const { return {HalfWidthInImage() + TopLeft.X, HalfHeightInImage() + TopLeft.Y}; }
    /// Where an image of ImageWidth x ImageHeight image pixels lies on the control.
    TImageExtent Extent(int ImageWidth, int ImageHeight) const {
        return {-TopLeft.X * Magnify, -TopLeft.Y * Magnify, (ImageWidth - TopLeft.X) * Magnify,
                (ImageHeight - TopLeft.Y) * Magnify};
    }
    /// The image pixels the control shows, Right and Bottom just outside and
    /// rounded; not limited to the image.
    TRect VisibleImageRect() const {
        return {TopLeft.X, TopLeft.Y, RoundToInt(Width / Magnify + TopLeft.X),
                RoundToInt(Height / Magnify + TopLeft.Y)};
    }

    /// Moves TopLeft so that the view stays on an image of the given size (image
    /// pixels); along a side where the image is smaller than the control it is
    /// centred. Nothing when either size is 0 or less.
    void Confine(int ImageWidth, int ImageHeight);
    /// Takes the new control size (control pixels) and moves TopLeft so that the
    /// image pixel at the centre stays there.
    void Resize(int NewWidth, int NewHeight);
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
};

}  // namespace zylcarto
