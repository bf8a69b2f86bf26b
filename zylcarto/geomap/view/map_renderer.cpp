#include "zylcarto/geomap/view/map_renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "zylcarto/geomap/calibration/calib_convert.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/geomap/landmarks/landmark_store.h"
#include "zylcarto/support/numeric.h"
#include "zylcarto/geomap/view/crs_grid.h"
#include "zylcarto/geomap/view/graticule_step.h"
#include "zylcarto/geomap/view/measure_drawing.h"
#include "zylcarto/geomap/view/position_drawing.h"
#include "zylcarto/geomap/view/residual_arrows.h"
#include "zylcarto/geomap/view/scale_bar.h"
#include "zylcarto/geomap/view/symbol_drawing.h"
#include "zylcarto/geomap/view/symbol_runs.h"
#include "zylcarto/geomap/view/track_drawing.h"
#include "zylcarto/geomap/view/utm_overlay.h"
#include "zylcarto/support/curvefit.h"
#include "zylcarto/support/longitude.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

// A degenerate extent or a tiny spacing must not draw (or loop over) millions of lines.
constexpr int MaxGridLines = 10000;

bool ShowsLines(TShowGrat G) { return G == sgLines || G == sgPointsAndLines; }
bool ShowsPoints(TShowGrat G) { return G == sgPoints || G == sgPointsAndLines; }
bool ShowsUTMGrid(TShowGrat G) { return G == sgUTMGrid || G == sgPointsAndUTMGrid; }

// Control pixels that show the image: a rounded point inside stays on it.
struct TImageBox {
    double Left, Top, Right, Bottom;
    explicit TImageBox(const TImageExtent& X)
        : Left(std::ceil(X.Left - 0.5)), Top(std::ceil(X.Top - 0.5)), Right(std::ceil(X.Right - 0.5) - 1),
          Bottom(std::ceil(X.Bottom - 0.5) - 1) {}
};

// Draws N points given in image pixels as a polyline clipped to Box; a point
// that does not convert (Valid 0) breaks it. Returns where it first enters the
// box, or false when none of it lies there.
bool DrawClippedPolyline(TCanvas& Canvas, const TMapViewport& View, const TImageBox& Box, const double* X,
                         const double* Y, const std::uint8_t* Valid, int N, TPoint& First) {
    bool HavePrev = false, Drawn = false;
    double PX = 0, PY = 0;
    for (int k = 0; k < N; ++k) {
        if (!Valid[k]) {
            HavePrev = false;
            continue;
        }
        const double CX = (X[k] - View.TopLeft().X) * View.Magnify(), CY = (Y[k] - View.TopLeft().Y) * View.Magnify();
        if (HavePrev) {
            double x1 = PX, y1 = PY, x2 = CX, y2 = CY;
            TSLine Line;
            Line.LineFrom2Points(x1, y1, x2, y2);
            if (Line.ClipBox(Box.Left, Box.Bottom, Box.Right, Box.Top, x1, y1, x2, y2)) {
                const TPoint A{RoundToInt(x1), RoundToInt(y1)}, B{RoundToInt(x2), RoundToInt(y2)};
                if (Canvas.PenPos() != A) Canvas.MoveTo(A.X, A.Y);
                Canvas.LineTo(B.X, B.Y);
                if (!Drawn) First = A;
                Drawn = true;
            }
        }
        PX = CX;
        PY = CY;
        HavePrev = true;
    }
    return Drawn;
}

int HAlignFactor(TAlignment A) {
    switch (A) {
    case taLeftJustify: return 0;
    case taCenter: return 1;
    case taRightJustify: return 2;
    }
    return 0;
}

}  // namespace

const TMapHooks& TMapRenderer::Hooks() const {
    static const TMapHooks None;
    return FScene.Hooks ? *FScene.Hooks : None;
}

void TMapRenderer::Compose(QImage& Target) const {
    TCanvas Canvas(Target);
    Compose(Canvas);
}

void TMapRenderer::Compose(TCanvas& Canvas) const {
    Canvas.Pen.Style = psSolid;
    Canvas.Pen.Mode = pmCopy;
    // On paper nothing is cut off by the edge of a bitmap.
    if (FScene.Paper) Canvas.Painter().setClipRect(QRect(0, 0, FView.Width(), FView.Height()), Qt::IntersectClip);
    if (!FScene.Placeholder.empty()) {
        DrawPlaceholder(Canvas);
    } else if (!FScene.HasMap) {
        DrawEmptyMap(Canvas);
    } else if (FScene.Shown) {
        if (!FScene.Paper) FillBackgroundAroundImage(Canvas);
        DrawMapImage(Canvas);
        if (Hooks().OnBeforeRenderData) Hooks().OnBeforeRenderData(FScene.Sender, Canvas, FView);
        if (Look().ShowGrat != sgNone) DrawOverlay(Canvas);
        DrawTracks(Canvas, FScene, FView);
        if (Look().ShowResiduals)
            DrawResidualArrows(Canvas, Calib(), FView, Look().ColorGratPoints, Look().ColorResidualOutliers,
                               Look().ResidualScale);
        DrawLandMarks(Canvas);
        if (Hooks().OnDataRendered) Hooks().OnDataRendered(FScene.Sender, Canvas, FView);
        DrawHighLight(Canvas);
        if (FScene.Position) DrawPosition(Canvas, *FScene.Position, Calib(), FView);
        if (Look().ShowScaleBar) DrawScaleBar(Canvas);
        if (Look().ShowNorthArrow) DrawNorthArrow(Canvas);
    }
    DrawTrace(Canvas, FScene.Trace, FView);
    if (FScene.Measure) DrawMeasurePath(Canvas, *FScene.Measure, FView);
    if (FScene.Frame) {
        const TMapAppearance& L = Look();
        DrawFrame(Canvas, L.FrameStyle, 0, 0, FView.Width() - 1, FView.Height() - 1, L.ColWhiteLine, 0xC0C0C0,
                  L.ColGrayLine, L.ColBlackLine, 0);
    }
}

void TMapRenderer::DrawTrace(TCanvas& Canvas, std::span<const TColoredPoint> Trace, const TMapViewport& View) {
    if (Trace.empty()) return;
    const TCanvasPen SavedPen = Canvas.Pen;
    const TCanvasBrush SavedBrush = Canvas.Brush;
    const auto ToControl = [&View](const TColoredPoint& P) {
        return View.ImageToControl({RoundToInt(P.X), RoundToInt(P.Y)});
    };
    for (std::size_t i = 1; i < Trace.size(); ++i) {
        const TColoredPoint& Prev = Trace[i - 1];
        const TColoredPoint& Cur = Trace[i];
        if (Prev.Flags & TraceEndsStroke) continue;
        const TPoint A = ToControl(Prev), B = ToControl(Cur);
        Canvas.Pen.Color = Cur.Color;
        Canvas.Pen.Mode = (Cur.Flags & TraceDrawnXor) ? pmXor : pmCopy;
        Canvas.MoveTo(A.X, A.Y);
        Canvas.LineTo(B.X, B.Y);
        Canvas.Pen.Mode = pmCopy;
    }
    Canvas.Pen = SavedPen;
    Canvas.Brush = SavedBrush;
}

void TMapRenderer::FillBackgroundAroundImage(TCanvas& Canvas) const {
    // The opaque image covers most of the view: filling only what it leaves out
    // saves a full-frame pass. The estimate is shrunk by two pixels against the
    // rounding of the stretch, so the image is always drawn over the fill's edge.
    const int W = FView.Width(), H = FView.Height();
    TRect Covered{0, 0, 0, 0};
    if (!FScene.Source->Size().isEmpty()) {
        const TImageExtent E = FView.Extent(FScene.ImageWidth, FScene.ImageHeight);
        Covered = {std::clamp(RoundToInt(std::ceil(E.Left)) + 2, 0, W),
                   std::clamp(RoundToInt(std::ceil(E.Top)) + 2, 0, H),
                   std::clamp(RoundToInt(std::floor(E.Right)) - 2, 0, W),
                   std::clamp(RoundToInt(std::floor(E.Bottom)) - 2, 0, H)};
        if (Covered.Right <= Covered.Left || Covered.Bottom <= Covered.Top) Covered = {0, 0, 0, 0};
    }
    Canvas.Brush.Color = Look().ColorBakGnd;
    if (Covered.Right == 0) {
        Canvas.FillRect({0, 0, W, H});
        return;
    }
    Canvas.FillRect({0, 0, W, Covered.Top});
    Canvas.FillRect({0, Covered.Bottom, W, H});
    Canvas.FillRect({0, Covered.Top, Covered.Left, Covered.Bottom});
    Canvas.FillRect({Covered.Right, Covered.Top, W, Covered.Bottom});
}

void TMapRenderer::DrawEmptyMap(TCanvas& Canvas) const {
    Canvas.Brush.Color = Look().ColorBakGnd;
    Canvas.Pen.Color = Look().ColorBakGnd;
    Canvas.FillRect({0, 0, FView.Width(), FView.Height()});
    Canvas.Font.Color = Look().FrameColor;
    Canvas.TextOut(10, 10, Look().EmptyMsg);
}

void TMapRenderer::DrawPlaceholder(TCanvas& Canvas) const {
    // The colours and the frame the form sets, so that they can be judged without a map.
    Canvas.Brush.Color = Look().ColorBakGnd;
    Canvas.Pen.Color = Look().ColorBakGnd;
    Canvas.FillRect({0, 0, FView.Width(), FView.Height()});
    constexpr int Spacing = 50;
    Canvas.Pen.Color = Look().ColorGratLine;
    for (int X = Spacing; X < FView.Width(); X += Spacing) {
        Canvas.MoveTo(X, 0);
        Canvas.LineTo(X, FView.Height());
    }
    for (int Y = Spacing; Y < FView.Height(); Y += Spacing) {
        Canvas.MoveTo(0, Y);
        Canvas.LineTo(FView.Width(), Y);
    }
    Canvas.Font.Color = Look().FrameColor;
    Canvas.TextOut(10, 10, FScene.Placeholder);
}

void TMapRenderer::DrawMapImage(TCanvas& Canvas) const {
    const int W = FView.Width(), H = FView.Height();
    if (FScene.Cache && FScene.Cache->Limit() > 0 && !FScene.Paper) {
        DrawCachedImage(Canvas);
        return;
    }
    if (FView.Magnify() == 1 && !FScene.Paper) {
        // Pixel for pixel: the canvas copies the rows without a painter.
        const TRect Seen = FView.VisibleImageRect();
        const QRect Shown = QRect(Seen.Left, Seen.Top, W, H).intersected(QRect(QPoint(), FScene.Source->Size()));
        if (Shown.isEmpty()) return;
        const int X = Shown.left() - Seen.Left, Y = Shown.top() - Seen.Top;
        Canvas.StretchMode = smColorOnColor;
        Canvas.CopyRect({X, Y, X + Shown.width(), Y + Shown.height()}, FScene.Source->Region(0, Shown),
                        {0, 0, Shown.width(), Shown.height()});
        return;
    }
    DrawImagePixels(Canvas);
}

void TMapRenderer::DrawCachedImage(TCanvas& Canvas) const {
    // The frame's device pixel grid in the cache space of this magnification:
    // a whole offset and a phase of 256ths, so that a pan by whole device
    // pixels finds the same tiles and every pixel lies where the view puts it.
    const double Ratio = Canvas.PixelRatio();
    TViewCache::TLook Scaling{FView.Magnify() * Ratio, Ratio, Look().AntiAlias};
    const auto Origin = [&Scaling](int TopLeft, std::uint8_t& Phase) {
        const double At = TopLeft * Scaling.Scale;
        double Whole = std::floor(At);
        int Fraction = int(std::lround((At - Whole) * 256));
        if (Fraction == 256) Whole += 1, Fraction = 0;
        Phase = std::uint8_t(Fraction);
        return int(Whole);
    };
    const int Left = Origin(FView.TopLeft().X, Scaling.PhaseX), Top = Origin(FView.TopLeft().Y, Scaling.PhaseY);
    const QRect Frame(Left, Top, int(std::ceil(FView.Width() * Ratio)), int(std::ceil(FView.Height() * Ratio)));
    // Tiles are in device pixels and the picture's format: rows copied, at any pixel ratio.
    FScene.Cache->Draw(*FScene.Source, Scaling, Frame,
                       [&Canvas](const QImage& Tile, QPoint At) { Canvas.PutDevicePixels(At, Tile); });
}

void TMapRenderer::DrawImagePixels(TCanvas& Canvas) const {
    // The image pixels of the view placed exactly where the view puts them, the
    // last ones cut by the edge: the overlays convert with the same view, and a
    // source rectangle of whole pixels stretched over the control would put a
    // strongly magnified image up to a pixel away from them.
    const double Mag = FView.Magnify();
    const QRect Shown = QRect(QPoint(FView.TopLeft().X, FView.TopLeft().Y),
                              QPoint(FView.TopLeft().X + int(std::ceil(FView.Width() / Mag)) - 1,
                                     FView.TopLeft().Y + int(std::ceil(FView.Height() / Mag)) - 1))
                            .intersected(QRect(QPoint(), FScene.Source->Size()));
    if (Shown.isEmpty()) return;
    const QImage Part = FScene.Source->Region(0, Shown);
    const QRectF Target((Shown.left() - FView.TopLeft().X) * Mag, (Shown.top() - FView.TopLeft().Y) * Mag,
                        Shown.width() * Mag, Shown.height() * Mag);
    QPainter& P = Canvas.Painter();
    const bool Smooth = Look().AntiAlias;
    if (Smooth && Mag < 1 && !FScene.Paper) {
        // Down-scaling: averaged over the source pixels, not just interpolated,
        // in the target's device pixels so that a high-density target stays sharp.
        const double Ratio = Canvas.PixelRatio();
        QImage Scaled =
            Part.scaled(std::max(1, qRound(Target.width() * Ratio)), std::max(1, qRound(Target.height() * Ratio)),
                        Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        Scaled.setDevicePixelRatio(Ratio);
        P.drawImage(Target.topLeft(), Scaled);
        return;
    }
    P.setRenderHint(QPainter::SmoothPixmapTransform, Smooth);
    P.drawImage(Target, Part, QRectF(Part.rect()));
}

// ---- overlays

void TMapRenderer::DrawOverlay(TCanvas& Canvas) const {
    const TShowGrat G = Look().ShowGrat;
    const bool Markers = ShowsPoints(G) || G == sgPointsAndUTMGrid;
    const int Quads = UsedCalQuads(Calib().CalibData());
    switch (Calib().CalibModel()) {
    case cmParabolicIp:
        if (ShowsUTMGrid(G)) Look().GridCrs ? DrawCrsGrid(Canvas) : DrawUTMGrid(Canvas);
        DrawParabolicGraticule(Canvas, ShowsLines(G), Markers);
        break;
    case cmBiquadraticPn:
    case cmConicConformal:
    case cmMillerCylindrical:
    case cmEquiRect:
    case cmUTM:
    case cmProjected:
        if (Quads > (Calib().CalibModel() == cmBiquadraticPn ? 5 : 2)) {
            if (ShowsLines(G)) DrawLatLongGraticule(Canvas, Calib().CalibModel() == cmUTM ? 10 : 100);
            if (ShowsUTMGrid(G)) Look().GridCrs ? DrawCrsGrid(Canvas) : DrawUTMGrid(Canvas);
            if (Markers) DrawCalibQuadMarkers(Canvas);
        }
        break;
    case cmUndefined: break;
    }
}

void TMapRenderer::DrawParabolicGraticule(TCanvas& Canvas, bool Lines, bool Markers) const {
    const TCalibData& D = Calib().CalibData();
    for (int i = 1; i <= UsedCalLines(D); ++i) {
        const TCalibLine& Line = D.CalLines[i];
        const bool Parallel = Line.LineType == gtlParallel;
        if (Lines && UsedPoints(Line) > 0) {
            Canvas.Pen.Color = Look().ColorGratLine;
            TCurveFit Fit;
            Fit.Init();
            for (int k = 1; k <= UsedPoints(Line); ++k) {
                const TPoint P = Line.CalPoints[k];
                if (Parallel)
                    Fit.EnterStatValue(P.X, P.Y);
                else
                    Fit.EnterStatValue(P.Y, P.X);
            }
            double a = 0, b = 0, c = 0, r = 0;
            Fit.CalcParabolFit(a, b, c, r);
            // One image column (row) per step across the view.
            const int From = Parallel ? FView.TopLeft().X : FView.TopLeft().Y;
            const double Until = From + (Parallel ? FView.Width() : FView.Height()) / FView.Magnify();
            bool First = true;
            for (int t = From; t < Until; ++t) {
                const int v = RoundToInt(a + b * t + c * double(t) * t);
                const TPoint P = FView.ImageToControl(Parallel ? TPoint{t, v} : TPoint{v, t});
                if (First)
                    Canvas.MoveTo(P.X, P.Y);
                else
                    Canvas.LineTo(P.X, P.Y);
                First = false;
            }
        }
        if (Markers)
            for (int k = 1; k <= UsedPoints(Line); ++k) {
                const TPoint P = FView.ImageToControl(Line.CalPoints[k]);
                DrawCalibPointMarker(Canvas, P.X, P.Y);
            }
    }
}

void TMapRenderer::DrawLatLongGraticule(TCanvas& Canvas, int Segments) const {
    const TCornerArray& C = Calib().CalibData().Corners;
    const double LatMin = std::min(C[gcoBottomLeft].Latit, C[gcoBottomRight].Latit);
    const double LatMax = std::max(C[gcoTopLeft].Latit, C[gcoTopRight].Latit);
    // Across the antimeridian the corners read 179 and -179: meridians run on past 180.
    const TLongitudeFrame LongFrame = CornersLongFrame(C);
    const auto CornerLong = [&](TCorners K) { return LongFrame.Apply(C[K].Longit); };
    const double LongMin = std::min(CornerLong(gcoTopLeft), CornerLong(gcoBottomLeft));
    const double LongMax = std::max(CornerLong(gcoTopRight), CornerLong(gcoBottomRight));
    Canvas.Pen.Color = Look().ColorGratLine;

    // A polyline of Segments pieces from (Lat1, Long1) to (Lat2, Long2); points that
    // do not convert break it.
    const auto DrawGeoLine = [&](double Lat1, double Long1, double Lat2, double Long2) {
        bool PenDown = false;
        for (int k = 0; k <= Segments; ++k) {
            const double f = double(k) / Segments;
            int x = 0, y = 0;
            if (!Calib().CalcPixelCoords(Lat1 + f * (Lat2 - Lat1), Long1 + f * (Long2 - Long1), x, y)) {
                PenDown = false;
                continue;
            }
            const TPoint P = FView.ImageToControl({x, y});
            if (PenDown)
                Canvas.LineTo(P.X, P.Y);
            else
                Canvas.MoveTo(P.X, P.Y);
            PenDown = true;
        }
    };
    constexpr double BorderSlack = 1e-9;
    const TGraticuleSteps Auto =
        AutomaticGraticuleSteps(LatMax - LatMin, LongMax - LongMin, FScene.ImageWidth, FScene.ImageHeight);
    const bool Fixed = Look().GratLineDist > 0;

    const double LatStep = Fixed ? Look().GratLineDist : Auto.Lat;
    if (LatStep > 0 && (LatMax - LatMin) / LatStep <= MaxGridLines) {
        const double First = std::trunc(LatMin / LatStep) * LatStep;
        // A line on the border is drawn whatever the last bit of the fitted corner.
        for (int k = 0; First + k * LatStep <= LatMax + BorderSlack * LatStep; ++k)
            DrawGeoLine(First + k * LatStep, LongMin, First + k * LatStep, LongMax);
    }
    const double LongStep = Fixed ? Look().GratLineDist : Auto.Long;
    if (LongStep > 0 && (LongMax - LongMin) / LongStep <= MaxGridLines) {
        const double First = std::trunc(LongMin / LongStep) * LongStep;
        for (int k = 0; First + k * LongStep <= LongMax + BorderSlack * LongStep; ++k)
            DrawGeoLine(LatMin, First + k * LongStep, LatMax, First + k * LongStep);
    }
}

void TMapRenderer::DrawUTMGrid(TCanvas& Canvas) const {
    const int IW = FScene.ImageWidth, IH = FScene.ImageHeight;
    if (IW < 1 || IH < 1) return;
    // Only the part of the image in view needs lines.
    const TRect Seen = FView.VisibleImageRect();
    const double Left = std::max(0, Seen.Left), Top = std::max(0, Seen.Top);
    const double Right = std::min(IW, Seen.Right), Bottom = std::min(IH, Seen.Bottom);
    if (Right <= Left || Bottom <= Top) return;
    const TPoint Centre = FView.Center();
    const TUTMGridFrame Grid(Calib(), std::clamp(Centre.X, 0, IW), std::clamp(Centre.Y, 0, IH));
    double E0 = 0, N0 = 0, E1 = 0, N1 = 0;
    TUTMGridRange Range;
    if (!Grid.ToGrid(0, 0, E0, N0) || !Grid.ToGrid(0, IH, E1, N1) || !Grid.RangeOver(Left, Top, Right, Bottom, Range))
        return;
    const double Step = UTMGridStep(Look().UTMGridDist, N0 - N1);
    const auto LineCount = [Step](double Lo, double Hi) { return (Hi - Lo) / Step; };
    if (!std::isfinite(Step) || !(LineCount(Range.EastMin, Range.EastMax) <= MaxGridLines) ||
        !(LineCount(Range.NorthMin, Range.NorthMax) <= MaxGridLines))
        return;

    const TImageBox Box(FView.Extent(IW, IH));
    // Curved lines get a point every few control pixels across the view.
    const double Diagonal = std::hypot((Right - Left) * FView.Magnify(), (Bottom - Top) * FView.Magnify());
    const int Segments = Grid.Straight() ? 1 : std::clamp(RoundToInt(Diagonal / 6), 16, 1000);

    Canvas.Pen.Color = Look().ColorGratLine;
    // A polyline of Segments pieces from (EA, NA) to (EB, NB) in grid metres.
    std::vector<double> PX(Segments + 1), PY(Segments + 1);
    std::vector<std::uint8_t> PValid(Segments + 1);
    const auto DrawGridLine = [&](double EA, double NA, double EB, double NB) {
        for (int k = 0; k <= Segments; ++k) {
            const double f = double(k) / Segments;
            PValid[k] = Grid.ToPixel(EA + f * (EB - EA), NA + f * (NB - NA), PX[k], PY[k]) ? 1 : 0;
        }
        TPoint First;
        DrawClippedPolyline(Canvas, FView, Box, PX.data(), PY.data(), PValid.data(), Segments + 1, First);
    };
    const double FirstN = std::floor(Range.NorthMin / Step) * Step;
    for (int k = 0; FirstN + k * Step <= Range.NorthMax; ++k)
        DrawGridLine(Range.EastMin, FirstN + k * Step, Range.EastMax, FirstN + k * Step);
    const double FirstE = std::floor(Range.EastMin / Step) * Step;
    for (int k = 0; FirstE + k * Step <= Range.EastMax; ++k)
        DrawGridLine(FirstE + k * Step, Range.NorthMin, FirstE + k * Step, Range.NorthMax);
}

void TMapRenderer::DrawCrsGrid(TCanvas& Canvas) const {
    const int IW = FScene.ImageWidth, IH = FScene.ImageHeight;
    if (IW < 1 || IH < 1 || FView.Height() < 1) return;
    const TRect Seen = FView.VisibleImageRect();
    const double Left = std::max(0, Seen.Left), Top = std::max(0, Seen.Top);
    const double Right = std::min(IW, Seen.Right), Bottom = std::min(IH, Seen.Bottom);
    if (Right <= Left || Bottom <= Top) return;
    const TCRSConverter& Crs = *Look().GridCrs;
    TCrsGridRange Range;
    if (!CrsGridRange(Calib(), Crs, Left, Top, Right, Bottom, Range)) return;
    // About ten lines over the control's height whatever the magnification, as
    // the UTM grid has over a map fitted to the window.
    const double Step =
        CrsGridStep((Range.NorthMax - Range.NorthMin) * FView.Height() / ((Bottom - Top) * FView.Magnify()));
    // The range blows up near a projection's limits: more lines than that are no grid.
    constexpr double MaxCrsGridLines = 500;
    if (!(Step > 0) || !((Range.NorthMax - Range.NorthMin) / Step <= MaxCrsGridLines) ||
        !((Range.EastMax - Range.EastMin) / Step <= MaxCrsGridLines))
        return;
    std::vector<double> Northings, Eastings;
    for (double v = std::ceil(Range.NorthMin / Step) * Step; v <= Range.NorthMax; v += Step) Northings.push_back(v);
    for (double v = std::ceil(Range.EastMin / Step) * Step; v <= Range.EastMax; v += Step) Eastings.push_back(v);
    // No CRS grid is assumed straight, but its lines bend gently over a view: a
    // point every 24 control pixels strays well under a pixel from the curve,
    // and PROJ's time grows with the points.
    const double Diagonal = std::hypot((Right - Left) * FView.Magnify(), (Bottom - Top) * FView.Magnify());
    const int Points = std::clamp(RoundToInt(Diagonal / 24), 16, 1000) + 1;
    const TCrsGridPixels P = CrsGridLinePixels(Calib(), Crs, Range, Northings, Eastings, Points);

    const TImageBox Box(FView.Extent(IW, IH));
    Canvas.Pen.Color = Look().ColorGratLine;
    struct TLabel {
        TPoint At;
        std::string Text;
    };
    std::vector<TLabel> Labels;
    const std::size_t Lines = Northings.size() + Eastings.size();
    for (std::size_t i = 0; i < Lines; ++i) {
        const std::size_t o = i * Points;
        TPoint First;
        if (DrawClippedPolyline(Canvas, FView, Box, &P.X[o], &P.Y[o], &P.Valid[o], Points, First))
            Labels.push_back(
                {First, CrsGridLabel(i < Northings.size() ? Northings[i] : Eastings[i - Northings.size()], Step)});
    }
    // Each line's value just above where it enters the image, kept on the image;
    // one that would cover another is left out.
    const TCanvasFont OldFont = Canvas.Font;
    const TCanvasBrush OldBrush = Canvas.Brush;
    Canvas.Font.Color = Look().ColorGratLine;
    Canvas.Font.Escapement = 0;
    Canvas.Brush.Style = bsClear;
    std::vector<TRect> Taken;
    for (const TLabel& L : Labels) {
        const int W = Canvas.TextWidth(L.Text), H = Canvas.TextHeight(L.Text);
        const int BoxL = int(Box.Left), BoxT = int(Box.Top), BoxR = int(Box.Right), BoxB = int(Box.Bottom);
        if (BoxR - BoxL < W || BoxB - BoxT < H) continue;
        const int X = std::clamp(L.At.X + 2, BoxL, BoxR - W), Y = std::clamp(L.At.Y - H - 1, BoxT, BoxB - H);
        const TRect R{X - 2, Y, X + W + 2, Y + H};
        if (std::ranges::any_of(Taken, [&R](const TRect& T) {
                return R.Left < T.Right && T.Left < R.Right && R.Top < T.Bottom && T.Top < R.Bottom;
            }))
            continue;
        Taken.push_back(R);
        Canvas.TextOut(X, Y, L.Text);
    }
    Canvas.Font = OldFont;
    Canvas.Brush = OldBrush;
}

void TMapRenderer::DrawCalibPointMarker(TCanvas& Canvas, int x, int y) const {
    const auto Diamond = [&](int r) {
        Canvas.MoveTo(x - r, y);
        Canvas.LineTo(x, y - r);
        Canvas.LineTo(x + r, y);
        Canvas.LineTo(x, y + r);
        Canvas.LineTo(x - r, y);
    };
    Canvas.Pen.Color = Look().ColorGratPoints;
    Canvas.MoveTo(x - 8, y);
    Canvas.LineTo(x + 8, y);
    Canvas.MoveTo(x, y - 8);
    Canvas.LineTo(x, y + 8);
    Diamond(8);
    Canvas.Pen.Color = 0xFFFFFF;
    Diamond(9);
    Canvas.Pen.Color = Look().ColorGratPoints;
    Diamond(10);
}

void TMapRenderer::DrawCalibQuadMarkers(TCanvas& Canvas) const {
    const TCalibData& D = Calib().CalibData();
    for (int i = 1; i <= UsedCalQuads(D); ++i) {
        const TPoint P = FView.ImageToControl({D.CalQuads[i].MapX, D.CalQuads[i].MapY});
        DrawCalibPointMarker(Canvas, P.X, P.Y);
    }
}

// ---- landmarks

double TMapRenderer::VisibleLandMarkFraction() const {
    const int N = LandMarks().NumLandMarks();
    const int Limit = LandMarks().LMRandomDisplayThreshold();
    if (Limit >= N) return 1;
    const int W = FView.Width(), H = FView.Height();
    TCornerArray View;
    const std::array<std::pair<TCorners, TPoint>, 4> Corners{
        {{gcoTopLeft, {0, 0}}, {gcoBottomLeft, {0, H}}, {gcoBottomRight, {W, H}}, {gcoTopRight, {W, 0}}}};
    for (const auto& [Corner, P] : Corners) {
        bool ValidLat = false, ValidLong = false;
        const TPoint Img = FView.ControlToImage(P);
        View[Corner] = {Calib().CalcLatitude(Img, ValidLat), Calib().CalcLongitude(Img, ValidLong)};
    }
    int Count = 0;
    for (int i = 1; i <= N; ++i) {
        const TLandMark& LM = LandMarks().LandMark(i);
        if (LandMarks().GetClassVisibility(LM.ClassFlag) && PositionInMap(LM.Latitude, LM.Longitude, View)) ++Count;
    }
    return Count > Limit ? double(Limit) / Count : 1;
}

void TMapRenderer::DrawLandMarks(TCanvas& Canvas) const {
    const int N = LandMarks().NumLandMarks();
    if (N == 0) return;
    Canvas.Pen.Color = 0x00FF00;
    const double f = VisibleLandMarkFraction();
    const int W = FView.Width(), H = FView.Height();
    const auto OnCanvas = [W, H](TPoint P) { return P.X > 0 && P.X < W && P.Y > 0 && P.Y < H; };
    // A landmark beyond the image would stand on the background around it.
    const QRect OnImage = FScene.Source ? QRect(0, 0, FScene.ImageWidth + 1, FScene.ImageHeight + 1) : QRect();
    TSymbolRuns Symbols;
    TCaptionSpace Captions(W, H);
    // Drawing thousands of symbols waits on memory. Without a handler nothing
    // runs between two landmarks, so the next ones are found a few steps ahead
    // (in the same order, with the same sampling) and their pixels are fetched
    // while the ones before are drawn; a handler sees them strictly in turn.
    constexpr int MaxAhead = 3;
    const int Ahead = Hooks().OnDrawLandmark ? 0 : MaxAhead;
    std::array<std::pair<int, TPoint>, MaxAhead + 1> Queue;  // a ring of found landmarks
    int First = 0, Queued = 0, Next = 1;
    const auto FindNext = [&] {
        while (Next <= N) {
            const int i = Next++;
            const TLandMark& LM = LandMarks().LandMark(i);
            if (!LandMarks().GetClassVisibility(LM.ClassFlag) || (f < 1 && !BRandom(f))) continue;
            int ix = 0, iy = 0;
            if (!Calib().CalcPixelCoords(LM.Latitude, LM.Longitude, ix, iy) || !OnImage.contains(ix, iy)) continue;
            const TPoint P = FView.ImageToControl({ix, iy});
            if (Ahead > 0 && OnCanvas(P)) {
                const TSymbolProperties& S = LM.SymbolProps;
                Symbols.Prefetch(Canvas, P.X, P.Y, S.Kind, S.Size, S.Direction, S.Length, S.Transparent);
            }
            Queue[static_cast<std::size_t>((First + Queued++) % (MaxAhead + 1))] = {i, P};
            return;
        }
    };
    for (;;) {
        while (Queued <= Ahead && Next <= N) FindNext();
        if (Queued == 0) break;
        const auto [i, P] = Queue[static_cast<std::size_t>(First)];
        First = (First + 1) % (MaxAhead + 1);
        --Queued;
        const TLandMark& LM = LandMarks().LandMark(i);
        bool Handled = false;
        if (Hooks().OnDrawLandmark) Hooks().OnDrawLandmark(FScene.Sender, Handled, Canvas, P, LM);
        if (Handled || !OnCanvas(P)) continue;
        const TSymbolProperties& S = LM.SymbolProps;
        Symbols.Draw(Canvas, P.X, P.Y, S.Kind, S.FGColor, S.BGColor, S.Size, S.Direction, S.Length, S.Transparent);
        if (!LM.Caption.Text.Empty()) DrawCaption(Canvas, P.X, P.Y, LM.Caption, Captions);
    }
}

TMapRenderer::TCaptionSpace::TCaptionSpace(int Width, int Height)
    : FCols(std::max(0, Width) / Cell + 1), FRows(std::max(0, Height) / Cell + 1),
      FTaken(static_cast<std::size_t>(FCols) * static_cast<std::size_t>(FRows)) {}

bool TMapRenderer::TCaptionSpace::Take(const QRect& R) {
    const int C0 = std::max(0, R.left() / Cell), C1 = std::min(FCols - 1, R.right() / Cell);
    const int R0 = std::max(0, R.top() / Cell), R1 = std::min(FRows - 1, R.bottom() / Cell);
    const auto At = [this](int C, int Row) { return FTaken[static_cast<std::size_t>(Row) * FCols + C]; };
    for (int Row = R0; Row <= R1; ++Row)
        for (int C = C0; C <= C1; ++C)
            if (At(C, Row)) return false;
    for (int Row = R0; Row <= R1; ++Row)
        for (int C = C0; C <= C1; ++C) At(C, Row) = true;
    return true;
}

void TMapRenderer::DrawCaption(TCanvas& Canvas, int x, int y, const TLMTextProperties& Caption,
                               TCaptionSpace& Space) const {
    Canvas.Brush.Color = Caption.BGColor;
    Canvas.Brush.Style = Caption.Transparent ? bsClear : bsSolid;
    Canvas.Font.Color = Caption.FGColor;
    Canvas.Font.Size = Caption.Size;
    Canvas.Font.Styles = Caption.FontStyles;
    Canvas.Font.Name = Caption.FontName;
    Canvas.Font.Escapement = Caption.Direction * 10;
    const std::string Text = Caption.Text.Str();
    const int mx = HAlignFactor(Caption.HAlignment);
    const int my = static_cast<int>(Caption.VAlignment);
    const int w = Canvas.TextWidth(Text) / 2, h = Canvas.TextHeight(Text) / 2;
    const double d = Caption.Direction * DegToRad;
    const int Left = x + Caption.dx + RoundToInt(-std::cos(d) * mx * w - std::sin(d) * my * h);
    const int Top = y + Caption.dy + RoundToInt(std::sin(d) * mx * w - std::cos(d) * my * h);
    // A turned caption is judged by the square its text can sweep.
    const int Reach = 2 * std::max(w, h);
    const QRect Taken = Caption.Direction == 0 ? QRect(Left, Top, 2 * w, 2 * h)
                                               : QRect(Left - Reach, Top - Reach, 2 * Reach, 2 * Reach);
    if (!Space.Take(Taken)) return;
    Canvas.TextOut(Left, Top, Text);
}

void TMapRenderer::DrawHighLight(TCanvas& Canvas) const {
    const int Index = LandMarks().HighLightLandMark();
    if (Index <= 0 || Index > LandMarks().NumLandMarks()) return;
    const TLandMark& LM = LandMarks().LandMark(Index);
    if (!LandMarks().GetClassVisibility(LM.ClassFlag)) return;
    int ix = 0, iy = 0;
    if (!Calib().CalcPixelCoords(LM.Latitude, LM.Longitude, ix, iy)) return;
    const TPoint P = FView.ImageToControl({ix, iy});
    bool Handled = false;
    if (Hooks().OnDrawLandmark) Hooks().OnDrawLandmark(FScene.Sender, Handled, Canvas, P, LM);
    if (Handled || P.X <= 0 || P.X >= FView.Width() || P.Y <= 0 || P.Y >= FView.Height()) return;
    const TSymbolProperties& S = LM.SymbolProps;
    DrawLandMarkSymbolOnCanvas(Canvas, P.X, P.Y, S.Kind, LandMarks().HighLMColFG(), LandMarks().HighLMColBG(), S.Size,
                               S.Direction, S.Length, LandMarks().HighLMTrans());
}

// ---- scale bar and north arrow

void TMapRenderer::DrawScaleBar(TCanvas& Canvas) const {
    constexpr int Margin = ScaleBarMargin, BarHeight = 4, TickHeight = 8, Pad = 3;
    const double MaxPixels = std::min(double(ScaleBarMaxLength), (FView.Width() - 2 * Margin) / 2.0);
    const TScaleBar Bar = ChooseScaleBar(MetresPerControlPixel(Calib(), FView), MaxPixels);
    const int Length = RoundToInt(Bar.Pixels);
    if (Bar.Metres <= 0 || Length < 1) return;
    Canvas.Font = TCanvasFont{};
    const int TextW = Canvas.TextWidth(Bar.Label), TextH = Canvas.TextHeight(Bar.Label);
    const int Left = Margin, Base = FView.Height() - Margin;  // the bar's bottom edge, left out
    const int TextLeft = Left + (Length - TextW) / 2, TextTop = Base - TickHeight - TextH;
    // A white plate keeps bar and label readable on any map.
    Canvas.Brush.Color = 0xFFFFFF;
    Canvas.Brush.Style = bsSolid;
    Canvas.FillRect(
        {std::min(Left, TextLeft) - Pad, TextTop - Pad, std::max(Left + Length, TextLeft + TextW) + Pad, Base + Pad});
    Canvas.Brush.Color = 0x000000;
    Canvas.FillRect({Left, Base - BarHeight, Left + Length, Base});
    Canvas.Pen = TCanvasPen{};
    for (const int x : {Left, Left + Length - 1}) {
        Canvas.MoveTo(x, Base - TickHeight);
        Canvas.LineTo(x, Base);
    }
    Canvas.Brush.Style = bsClear;
    Canvas.TextOut(TextLeft, TextTop, Bar.Label);
}

void TMapRenderer::DrawNorthArrow(TCanvas& Canvas) const {
    constexpr int Right = 34, Down = 38;              // the needle's centre from the top-right corner
    constexpr double Head = 20, Tail = 14, Half = 7;  // its half lengths and half width
    const double Angle = NorthDirection(Calib(), FView) * DegToRad;
    if (!std::isfinite(Angle)) return;
    const double ux = std::sin(Angle), uy = -std::cos(Angle);  // towards north on the control
    const double cx = FView.Width() - Right, cy = Down;
    const auto At = [&](double Along, double Across) {
        return TPoint{RoundToInt(cx + ux * Along - uy * Across), RoundToInt(cy + uy * Along + ux * Across)};
    };
    // A compass needle: the northern half filled, the southern half open.
    Canvas.Pen = TCanvasPen{};
    Canvas.Brush.Style = bsSolid;
    Canvas.Brush.Color = 0xFFFFFF;
    const std::array<TPoint, 3> South{At(-Tail, 0), At(0, Half), At(0, -Half)};
    Canvas.Polygon(South);
    Canvas.Brush.Color = 0x000000;
    const std::array<TPoint, 3> North{At(Head, 0), At(0, Half), At(0, -Half)};
    Canvas.Polygon(North);
    Canvas.Font = TCanvasFont{};
    Canvas.Brush.Color = 0xFFFFFF;
    const int TextW = Canvas.TextWidth("N"), TextH = Canvas.TextHeight("N");
    const TPoint Letter = At(Head + 4 + TextH / 2.0, 0);
    Canvas.TextOut(Letter.X - TextW / 2, Letter.Y - TextH / 2, "N");
}

}  // namespace zylcarto
