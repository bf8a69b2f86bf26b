#include "zylcarto/geomap/view/symbol_runs.h"

#include <algorithm>
#include <cstdlib>

namespace zylcarto {

namespace {

// Shapes beyond these are drawn stroke by stroke: their scratch image would
// cost more than it saves, and few maps have more distinct shapes.
constexpr int MaxExtent = 128;
constexpr std::size_t MaxShapes = 64;

// Marker colours on the scratch image.
constexpr TColor Untouched = 0x000000, MarkFG = 0x000001, MarkBG = 0x000002, MarkUnset = 0x000003;

void FetchForWriting(const void* Address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(Address, 1);
#else
    (void)Address;
#endif
}

}  // namespace

const TSymbolRuns::TShape* TSymbolRuns::Shape(const TCanvas& Canvas, TLandMarkElement Element, int Size, int Direction,
                                              int Length, bool Transparent) {
    if (Canvas.RowPixels() != FRowPixels) {  // offsets of another canvas
        FShapes.clear();
        FRowPixels = Canvas.RowPixels();
    }
    const auto Same = [&](const TShape& S) {
        return S.Element == Element && S.Size == Size && S.Direction == Direction && S.Length == Length &&
               S.Transparent == Transparent;
    };
    if (FLast < FShapes.size() && Same(FShapes[FLast])) return &FShapes[FLast];
    for (std::size_t i = 0; i < FShapes.size(); ++i)
        if (Same(FShapes[i])) {
            FLast = i;
            return &FShapes[i];
        }
    if (FShapes.size() >= MaxShapes) return nullptr;
    TShape S{Element, Size, Direction, Length, Transparent, {}, {}, {}, false, false, true};
    const auto Keep = [&] {
        FShapes.push_back(std::move(S));
        FLast = FShapes.size() - 1;
        return &FShapes.back();
    };
    if (!SymbolIsLinesAtFixedOffsets(Element, Transparent) || std::abs(static_cast<long>(Size)) > MaxExtent)
        return Keep();  // by strokes

    // These symbols stay within Size + 2 of their centre (the halo of the
    // cross), the small plus of an unknown element within 4. A shape that
    // reaches the edge of the scratch image may have been cut off there and is
    // drawn by strokes.
    const int R = std::max(std::abs(Size), 4) + 3;
    QImage Scratch(2 * R + 1, 2 * R + 1, QImage::Format_RGB32);
    Scratch.fill(ToQColor(Untouched));
    TPoint PenEnd;
    TColor PenColor = MarkUnset, BrushColor = MarkUnset;
    {
        TCanvas C(Scratch);
        C.Pen.Color = MarkUnset;
        C.Brush.Color = MarkUnset;
        DrawLandMarkSymbolOnCanvas(C, R, R, Element, MarkFG, MarkBG, Size, Direction, Length, Transparent);
        PenEnd = {C.PenPos().X - R, C.PenPos().Y - R};
        PenColor = C.Pen.Color;
        BrushColor = C.Brush.Color;
    }
    TRect Box{Scratch.width(), Scratch.height(), -1, -1};  // in scratch pixels
    for (int y = 0; y < Scratch.height(); ++y) {
        const auto* Row = reinterpret_cast<const QRgb*>(Scratch.constScanLine(y));
        for (int x = 0; x < Scratch.width();) {
            const TColor Mark = FromQRgb(Row[x]);
            int End = x + 1;
            while (End < Scratch.width() && FromQRgb(Row[End]) == Mark) ++End;
            if (Mark != Untouched) {
                S.Runs.push_back({y - R, x - R, End - 1 - R, Mark == MarkBG, (y - R) * FRowPixels + (x - R)});
                Box = {std::min(Box.Left, x), std::min(Box.Top, y), std::max(Box.Right, End - 1),
                       std::max(Box.Bottom, y)};
            }
            x = End;
        }
    }
    if (Box.Left <= 0 || Box.Top <= 0 || Box.Right >= Scratch.width() - 1 || Box.Bottom >= Scratch.height() - 1) {
        S.Runs.clear();
        return Keep();  // by strokes
    }
    S.Box = {Box.Left - R, Box.Top - R, Box.Right - R, Box.Bottom - R};
    S.PenEnd = PenEnd;
    S.PenEndsInBackground = PenColor == MarkBG;
    S.SetsBrushToBackground = BrushColor == MarkBG;
    S.ByStrokes = false;
    return Keep();
}

void TSymbolRuns::Prefetch(TCanvas& Canvas, int X, int Y, TLandMarkElement Element, int Size, int Direction, int Length,
                           bool Transparent) {
    const TShape* S =
        Canvas.LinesArePixelSets() ? Shape(Canvas, Element, Size, Direction, Length, Transparent) : nullptr;
    if (!S || S->ByStrokes || S->Runs.empty()) return;
    const int Left = std::max(X + S->Box.Left, 0), Right = std::min(X + S->Box.Right, Canvas.Width() - 1);
    const int Top = std::max(Y + S->Box.Top, 0), Bottom = std::min(Y + S->Box.Bottom, Canvas.Height() - 1);
    constexpr int PixelsPerCacheLine = 16;
    for (int y = Top; y <= Bottom; ++y) {
        const QRgb* Row = Canvas.PixelRow(y);
        for (int x = Left; x < Right + PixelsPerCacheLine; x += PixelsPerCacheLine)
            FetchForWriting(Row + std::min(x, Right));
    }
}

void TSymbolRuns::Draw(TCanvas& Canvas, int X, int Y, TLandMarkElement Element, TColor ColorFG, TColor ColorBG,
                       int Size, int Direction, int Length, bool Transparent) {
    const TShape* S =
        Canvas.LinesArePixelSets() ? Shape(Canvas, Element, Size, Direction, Length, Transparent) : nullptr;
    if (!S || S->ByStrokes) {
        DrawLandMarkSymbolOnCanvas(Canvas, X, Y, Element, ColorFG, ColorBG, Size, Direction, Length, Transparent);
        return;
    }
    const QRgb FG = ToQRgb(ColorFG), BG = ToQRgb(ColorBG);
    const int W = Canvas.Width(), H = Canvas.Height();
    if (X + S->Box.Left >= 0 && Y + S->Box.Top >= 0 && X + S->Box.Right < W && Y + S->Box.Bottom < H) {
        QRgb* const Centre = Canvas.PixelRow(Y) + X;
        for (const TRun& Run : S->Runs) std::fill_n(Centre + Run.Offset, Run.x2 - Run.x1 + 1, Run.Background ? BG : FG);
    } else {
        for (const TRun& Run : S->Runs) {
            const int y = Y + Run.dy, x1 = std::max(X + Run.x1, 0), x2 = std::min(X + Run.x2, W - 1);
            if (y >= 0 && y < H && x1 <= x2)
                std::fill(Canvas.PixelRow(y) + x1, Canvas.PixelRow(y) + x2 + 1, Run.Background ? BG : FG);
        }
    }
    Canvas.Pen.Color = S->PenEndsInBackground ? ColorBG : ColorFG;
    if (S->SetsBrushToBackground) Canvas.Brush.Color = ColorBG;
    Canvas.MoveTo(X + S->PenEnd.X, Y + S->PenEnd.Y);
}

}  // namespace zylcarto
