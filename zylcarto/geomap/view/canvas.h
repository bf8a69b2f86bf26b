#pragma once
/// @file
/// A drawing surface over QPainter with the conventions the map's drawing code
/// is written for: lines leave out their end point, rectangles and ellipses end
/// just inside their right and bottom edges, no anti-aliasing of lines and
/// shapes, pen modes copy and XOR, brushes solid or clear, fonts with
/// escapement, and stretch-copies that smooth or drop pixels.
/// Coordinates are canvas units, y down: the pixels of a plain image, the
/// logical pixels of an image with a device pixel ratio, or whatever the
/// transform of an open painter (a printer's) makes of them. Off plain images
/// lines are one unit wide, centred on the pixels they stand for. Text is UTF-8.
/// The painter stays open for the canvas's lifetime; pen, brush and font are
/// plain fields applied lazily, so drawing thousands of symbols stays cheap.
/// Like QPainter, a canvas may be used from any one thread at a time.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <span>
#include <string>

#include "zylcarto/support/export.h"
#include "zylcarto/support/text_style.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

/// How lines are drawn; psClear draws none.
enum class TPenStyle : std::uint8_t { psSolid, psDash, psDot, psClear };
using enum TPenStyle;
/// Copy, or XOR with what is there (drawing twice erases); XOR needs a 32-bit target.
enum class TPenMode : std::uint8_t { pmCopy, pmXor };
using enum TPenMode;
/// Fills solid, or not at all.
enum class TBrushStyle : std::uint8_t { bsSolid, bsClear };
using enum TBrushStyle;
/// Half-tone smooths when scaling, colour-on-colour takes the nearest pixel.
enum class TStretchMode : std::uint8_t { smHalftone, smColorOnColor };
using enum TStretchMode;

/// The pen lines and outlines are drawn with.
struct TCanvasPen {
    /// Line colour.
    TColor Color = 0;
    /// Solid, dashed, dotted or none.
    TPenStyle Style = psSolid;
    /// Copy or XOR.
    TPenMode Mode = pmCopy;
    /// Line width in pixels.
    int Width = 1;
    /// Equal when every field is.
    friend bool operator==(const TCanvasPen&, const TCanvasPen&) = default;
};

/// The brush shapes and text cells are filled with.
struct TCanvasBrush {
    /// Fill colour.
    TColor Color = 0xFFFFFF;
    /// Solid or clear.
    TBrushStyle Style = bsSolid;
    /// Equal when both fields are.
    friend bool operator==(const TCanvasBrush&, const TCanvasBrush&) = default;
};

/// The font text is written with.
struct TCanvasFont {
    /// Family; a family the machine lacks falls back to the default sans.
    std::string Name = "MS Sans Serif";
    /// Points at 96 pixels per inch.
    int Size = 8;
    /// Bold, italic, underline, strike-out.
    TFontStyles Styles;
    /// Text colour.
    TColor Color = 0;
    /// Rotation in tenths of a degree, counter-clockwise.
    int Escapement = 0;
    /// Equal when every field is.
    friend bool operator==(const TCanvasFont&, const TCanvasFont&) = default;
};

/// $00BBGGRR as an opaque Qt colour.
ZYLCARTO_EXPORT QColor ToQColor(TColor Color);
/// $00BBGGRR as an opaque QRgb.
ZYLCARTO_EXPORT QRgb ToQRgb(TColor Color);
/// A QRgb as $00BBGGRR; alpha is dropped.
ZYLCARTO_EXPORT TColor FromQRgb(QRgb Rgb);
/// The family a font name resolves to on this machine: the name when installed,
/// else DejaVu Sans, else the system's general font.
ZYLCARTO_EXPORT QString ResolveFontFamily(const std::string& Name);

/// A canvas drawing onto an image or through a painter it borrows; not copyable.
class ZYLCARTO_EXPORT TCanvas {
public:
    /// Draws onto Target, which must outlive the canvas and keep its size meanwhile.
    explicit TCanvas(QImage& Target);
    /// Draws through an open painter in its current coordinates, Width x Height
    /// units large; the painter's state is restored when the canvas goes.
    TCanvas(QPainter& Painter, int Width, int Height);
    /// Ends the painter it opened (the drawing is in the target), or restores
    /// the state of the painter it borrowed.
    ~TCanvas();
    /// Not copyable: the painter is bound to one image.
    TCanvas(const TCanvas&) = delete;
    /// Not assignable.
    TCanvas& operator=(const TCanvas&) = delete;

    /// Pen of the next lines and outlines.
    TCanvasPen Pen;
    /// Brush of the next fills.
    TCanvasBrush Brush;
    /// Font of the next text.
    TCanvasFont Font;
    /// How CopyRect scales.
    TStretchMode StretchMode = smColorOnColor;

    /// Target width in pixels.
    int Width() const { return FWidth; }
    /// Target height in pixels.
    int Height() const { return FHeight; }
    /// Device pixels per unit of an image target; 1 on a painter.
    double PixelRatio() const { return FImage ? FImage->devicePixelRatio() : 1.0; }
    /// The target image; a null image on a painter.
    const QImage& Image() const;
    /// For hosts drawing with Qt directly; pen, brush and font are re-applied afterwards.
    QPainter& Painter();

    /// Lines are plain sets of pixels in the pen colour (thin solid pen, copy
    /// mode, a 32-bit image): each pixel ends in the colour of the last line
    /// over it, whatever it held before.
    bool LinesArePixelSets() const { return FBits && Pen.Width <= 1 && Pen.Style == psSolid && Pen.Mode == pmCopy; }

    /// Row Y (0 <= Y < Height, unchecked) for direct writes while LinesArePixelSets.
    QRgb* PixelRow(int Y) { return reinterpret_cast<QRgb*>(FBits + Y * FStride); }
    /// The distance from one row to the next in pixels.
    qsizetype RowPixels() const { return FStride / qsizetype(sizeof(QRgb)); }

    /// Where the next LineTo starts.
    TPoint PenPos() const { return FPenPos; }
    /// Moves the pen position without drawing.
    void MoveTo(int X, int Y) { FPenPos = {X, Y}; }
    /// Draws from the pen position up to (X, Y), leaving out (X, Y) itself, and moves
    /// the pen there. Inline, so that a MoveTo just before hands its point over in
    /// registers.
    void LineTo(int X, int Y) {
        const TPoint From{FPenPos.X, FPenPos.Y};  // field by field: no wide load of two narrow stores
        FPenPos = {X, Y};
        DrawLine(From, {X, Y});
    }
    /// Outline with the pen, fill with the brush; X2 and Y2 lie just outside the figure.
    void Rectangle(int X1, int Y1, int X2, int Y2);
    /// The ellipse in that box, as Rectangle; nothing when the box is under 1 pixel wide.
    void Ellipse(int X1, int Y1, int X2, int Y2);
    /// The closed polygon through Points, outlined and filled; nothing without points.
    void Polygon(std::span<const TPoint> Points);
    /// Fills with the brush colour up to, not including, Right and Bottom.
    void FillRect(const TRect& R);
    /// Writes Text with its top-left corner at (X, Y), rotated by the escapement about
    /// it; a solid brush fills the text cell.
    void TextOut(int X, int Y, const std::string& Text);
    /// Advance width of Text in pixels in the current font.
    int TextWidth(const std::string& Text);
    /// Line height of the current font in pixels, whatever the text.
    int TextHeight(const std::string& Text);
    /// Copies SourceRect of Source onto Dest, scaling by StretchMode when the sizes differ.
    /// SourceRect counts in Source's logical pixels (its pixels when it has no
    /// device pixel ratio). Parts of SourceRect outside Source leave the
    /// destination untouched; empty rectangles or a null Source copy nothing.
    void CopyRect(const TRect& Dest, const QImage& Source, const TRect& SourceRect);
    /// Puts Source's pixels one to one on the target's device pixels, its
    /// top-left at At in device pixels, cut at the image's edges: rows copied
    /// as they are when Source has the image's 32-bit format, whatever the
    /// device pixel ratio; through the painter otherwise.
    void PutDevicePixels(QPoint At, const QImage& Source);

private:
    void ApplyPen();
    void ApplyBrush();
    void ApplyFont();
    void ApplyShapeState();
    // Only what the paint engine supports; a printer keeps its own blending.
    void SetComposition(QPainter::CompositionMode Mode);
    // A pixel's centre on a canvas that is not drawn pixel by pixel.
    QPointF Centre(int X, int Y) const { return {X + FCentre, Y + FCentre}; }
    // Row by row in device pixels, for a source of the image's 32-bit format; clipped to the image.
    void CopyPixels(QPoint At, const QImage& Source, const QRect& From);
    // From towards To, To left out.
    void DrawLine(TPoint From, TPoint To);
    // 32-bit images only; SolidLineInside needs both ends inside, a solid pen and copy mode.
    void SolidLineInside(TPoint From, int X, int Y);
    void ClippedLine(TPoint From, int X, int Y);

    QImage* FImage = nullptr;  // none on a painter
    QPainter FOwnPainter;
    QPainter& FPainter;
    double FCentre = 0;      // 0.5 where lines are one unit wide figures, not pixel runs
    uchar* FBits = nullptr;  // FImage's pixels when 32-bit, shared with the painter
    qsizetype FStride = 0;
    int FWidth = 0, FHeight = 0;
    TPoint FPenPos;
    TCanvasPen FAppliedPen;
    TCanvasBrush FAppliedBrush;
    TCanvasFont FAppliedFont;
    bool FPenValid = false, FBrushValid = false, FFontValid = false;
    QFont FQFont;
};

/// A frame of the given style along the rectangle (inclusive coordinates) in the
/// colours light line, face, grey line, dark line, black; the pen is restored.
ZYLCARTO_EXPORT void DrawFrame(TCanvas& Canvas, TFrameStyle Style, int Left, int Top, int Right, int Bottom,
                               TColor Light, TColor Face, TColor Gray, TColor Dark, TColor Black);

}  // namespace zylcarto
