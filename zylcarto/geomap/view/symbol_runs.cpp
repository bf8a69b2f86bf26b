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

} // namespace

const TSymbolRuns::TShape* TSymbolRuns::Shape(TLandMarkElement Element, int Size, int Direction, int Length,
                                              bool Transparent) {
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
    if (!SymbolIsLinesOnly(Element, Transparent) || FShapes.size() >= MaxShapes) return nullptr;
    if (std::abs(static_cast<long>(Size)) > MaxExtent || std::abs(static_cast<long>(Length)) > MaxExtent) return nullptr;

    // Every line-only symbol stays within Size + Length + 2 of its centre (the
    // halo of the cross reaches Size + 2, an arrow head Length + Size).
    const int R = std::abs(Size) + std::abs(Length) + 3;
    QImage Scratch(2 * R + 1, 2 * R + 1, QImage::Format_RGB32);
    Scratch.fill(ToQColor(Untouched));
    TShape S{Element, Size, Direction, Length, Transparent, {}, {R, R, -R, -R}, {}, false, false};
    {
        TCanvas C(Scratch);
        C.Pen.Color = MarkUnset;
        C.Brush.Color = MarkUnset;
        DrawLandMarkSymbolOnCanvas(C, R, R, Element, MarkFG, MarkBG, Size, Direction, Length, Transparent);
        S.PenEnd = {C.PenPos().X - R, C.PenPos().Y - R};
        S.PenEndsInBackground = C.Pen.Color == MarkBG;
        S.SetsBrushToBackground = C.Brush.Color == MarkBG;
    }
    for (int y = 0; y < Scratch.height(); ++y) {
        const auto* Row = reinterpret_cast<const QRgb*>(Scratch.constScanLine(y));
        for (int x = 0; x < Scratch.width();) {
            const TColor Mark = FromQRgb(Row[x]);
            int End = x + 1;
            while (End < Scratch.width() && FromQRgb(Row[End]) == Mark) ++End;
            if (Mark != Untouched) {
                S.Runs.push_back({y - R, x - R, End - 1 - R, Mark == MarkBG});
                S.Box = {std::min(S.Box.Left, x - R), std::min(S.Box.Top, y - R), std::max(S.Box.Right, End - 1 - R),
                         std::max(S.Box.Bottom, y - R)};
            }
            x = End;
        }
    }
    FShapes.push_back(std::move(S));
    FLast = FShapes.size() - 1;
    return &FShapes.back();
}

void TSymbolRuns::Prefetch(TCanvas& Canvas, int X, int Y, TLandMarkElement Element, int Size, int Direction,
                           int Length, bool Transparent) {
    const TShape* S = Canvas.LinesArePixelSets() ? Shape(Element, Size, Direction, Length, Transparent) : nullptr;
    if (!S || S->Runs.empty()) return;
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
    const TShape* S = Canvas.LinesArePixelSets() ? Shape(Element, Size, Direction, Length, Transparent) : nullptr;
    if (!S) {
        DrawLandMarkSymbolOnCanvas(Canvas, X, Y, Element, ColorFG, ColorBG, Size, Direction, Length, Transparent);
        return;
    }
    const QRgb FG = ToQRgb(ColorFG), BG = ToQRgb(ColorBG);
    const int W = Canvas.Width(), H = Canvas.Height();
    const bool Inside = X + S->Box.Left >= 0 && Y + S->Box.Top >= 0 && X + S->Box.Right < W && Y + S->Box.Bottom < H;
    for (const TRun& Run : S->Runs) {
        const int y = Y + Run.dy;
        int x1 = X + Run.x1, x2 = X + Run.x2;
        if (!Inside) {
            if (y < 0 || y >= H) continue;
            x1 = std::max(x1, 0);
            x2 = std::min(x2, W - 1);
            if (x1 > x2) continue;
        }
        std::fill(Canvas.PixelRow(y) + x1, Canvas.PixelRow(y) + x2 + 1, Run.Background ? BG : FG);
    }
    Canvas.Pen.Color = S->PenEndsInBackground ? ColorBG : ColorFG;
    if (S->SetsBrushToBackground) Canvas.Brush.Color = ColorBG;
    Canvas.MoveTo(X + S->PenEnd.X, Y + S->PenEnd.Y);
}

} // namespace zylcarto
