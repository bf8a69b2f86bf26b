#pragma once
// A drawing surface over QPainter with the conventions the map's drawing code
// is written for: lines leave out their end point, rectangles and ellipses end
// just inside their right and bottom edges, no anti-aliasing of lines and
// shapes, pen modes copy and XOR, brushes solid or clear, fonts with
// escapement, and stretch-copies that smooth or drop pixels.
// Coordinates are canvas units: the pixels of a plain image, the logical
// pixels of an image with a device pixel ratio, or whatever the transform of
// an open painter (a printer's) makes of them. Off plain images lines are one
// unit wide, centred on the pixels they stand for.
// The painter stays open for the canvas's lifetime; pen, brush and font are
// plain fields applied lazily, so drawing thousands of symbols stays cheap.
#include <QFont>
#include <QImage>
#include <QPainter>
#include <span>
#include <string>

#include "zylcarto/support/export.h"
#include "zylcarto/support/text_style.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

enum class TPenStyle : std::uint8_t { psSolid, psDash, psDot, psClear };
using enum TPenStyle;
// XOR needs a 32-bit target.
enum class TPenMode : std::uint8_t { pmCopy, pmXor };
using enum TPenMode;
enum class TBrushStyle : std::uint8_t { bsSolid, bsClear };
using enum TBrushStyle;
// Half-tone smooths when scaling, colour-on-colour takes the nearest pixel.
enum class TStretchMode : std::uint8_t { smHalftone, smColorOnColor };
using enum TStretchMode;

struct TCanvasPen {
    TColor Color = 0;
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
    int Width = 1;
    friend bool operator==(const TCanvasPen&, const TCanvasPen&) = default;
};

struct TCanvasBrush {
    TColor Color = 0xFFFFFF;
    TBrushStyle Style = bsSolid;
    friend bool operator==(const TCanvasBrush&, const TCanvasBrush&) = default;
};

struct TCanvasFont {
    std::string Name = "MS Sans Serif";  // a family the machine lacks falls back to the default sans
    int Size = 8;                        // points at 96 pixels per inch
    TFontStyles Styles;
    TColor Color = 0;
    int Escapement = 0;  // rotation in tenths of a degree, counter-clockwise
    friend bool operator==(const TCanvasFont&, const TCanvasFont&) = default;
};

// $00BBGGRR <-> Qt colours.
ZYLCARTO_EXPORT QColor ToQColor(TColor Color);
ZYLCARTO_EXPORT QRgb ToQRgb(TColor Color);
ZYLCARTO_EXPORT TColor FromQRgb(QRgb Rgb);
// The family a font name resolves to on this machine.
ZYLCARTO_EXPORT QString ResolveFontFamily(const std::string& Name);

class ZYLCARTO_EXPORT TCanvas {
public:
    // Draws onto Target, which must outlive the canvas and keep its size meanwhile.
    explicit TCanvas(QImage& Target);
    // Draws through an open painter in its current coordinates, Width x Height
    // units large; the painter's state is restored when the canvas goes.
    TCanvas(QPainter& Painter, int Width, int Height);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TCanvasPen Pen;
    TCanvasBrush Brush;
    TCanvasFont Font;
    TStretchMode StretchMode = smColorOnColor;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Device pixels per unit of an image target; 1 on a painter.
    double PixelRatio() const { return FImage ? FImage->devicePixelRatio() : 1.0; }
    // The target image; a null image on a painter.
    const QImage& Image() const;
    // For hosts drawing with Qt directly; pen, brush and font are re-applied afterwards.
    QPainter& Painter();

    // Lines are plain sets of pixels in the pen colour (thin solid pen, copy
    // mode, a 32-bit image): each pixel ends in the colour of the last line
    // over it, whatever it held before.
    bool LinesArePixelSets() const { return FBits && Pen.Width <= 1 && Pen.Style == psSolid && Pen.Mode == pmCopy; }

    // Row Y (0 <= Y < Height) for direct writes while LinesArePixelSets, and
    // the distance from one row to the next in pixels.
    QRgb* PixelRow(int Y) { return reinterpret_cast<QRgb*>(FBits + Y * FStride); }
    qsizetype RowPixels() const { return FStride / qsizetype(sizeof(QRgb)); }

    TPoint PenPos() const { return FPenPos; }
    void MoveTo(int X, int Y) { FPenPos = {X, Y}; }
    // Draws from the pen position up to (X, Y), leaving out (X, Y) itself.
    // Inline, so that a MoveTo just before hands its point over in registers.
    void LineTo(int X, int Y) {
        const TPoint From{FPenPos.X, FPenPos.Y};  // field by field: no wide load of two narrow stores
        FPenPos = {X, Y};
        DrawLine(From, {X, Y});
    }
    // Outline with the pen, fill with the brush; X2 and Y2 lie just outside the figure.
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Polygon(std::span<const TPoint> Points);
    // Fills with the brush colour up to, not including, Right and Bottom.
    void FillRect(const TRect& R);
    // Writes Text with its top-left corner at (X, Y); a solid brush fills the text cell.
    void TextOut(int X, int Y, const std::string& Text);
    int TextWidth(const std::string& Text);
    int TextHeight(const std::string& Text);
    // Copies SourceRect of Source onto Dest, scaling by StretchMode when the sizes differ.
    // SourceRect counts in Source's logical pixels (its pixels when it has no
    // device pixel ratio). Parts of SourceRect outside Source leave the destination untouched.
    void CopyRect(const TRect& Dest, const QImage& Source, const TRect& SourceRect);

private:
    void ApplyPen();
    void ApplyBrush();
    void ApplyFont();
    void ApplyShapeState();
    // Only what the paint engine supports; a printer keeps its own blending.
    void SetComposition(QPainter::CompositionMode Mode);
    // A pixel's centre on a canvas that is not drawn pixel by pixel.
    QPointF Centre(int X, int Y) const { return {X + FCentre, Y + FCentre}; }
    // Row by row, for a source of the image's 32-bit format; clipped to the image.
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

// A frame of the given style along the rectangle (inclusive coordinates) in the
// colours light line, face, grey line, dark line, black.
ZYLCARTO_EXPORT void DrawFrame(TCanvas& Canvas, TFrameStyle Style, int Left, int Top, int Right, int Bottom,
                               TColor Light, TColor Face, TColor Gray, TColor Dark, TColor Black);

}  // namespace zylcarto
