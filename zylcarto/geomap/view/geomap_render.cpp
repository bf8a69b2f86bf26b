// Composition of the map picture: image (through the cache), host hooks,
// graticule or UTM grid with calibration markers, landmarks with captions,
// highlight, mouse trace and frame.
#include <array>
#include <cmath>
#include <numbers>

#include "zylcarto/geodesy/projections.h"
#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/rounding.h"
#include "zylcarto/geomap/view/screen_image.h"
#include "zylcarto/geomap/view/symbol_drawing.h"
#include "zylcarto/geomap/view/symbol_runs.h"
#include "zylcarto/support/curvefit.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

// A degenerate extent or a tiny spacing must not draw (or loop over) millions of lines.
constexpr int MaxGridLines = 10000;

bool ShowsLines(TShowGrat G) { return G == sgLines || G == sgPointsAndLines; }
bool ShowsPoints(TShowGrat G) { return G == sgPoints || G == sgPointsAndLines; }
bool ShowsUTMGrid(TShowGrat G) { return G == sgUTMGrid || G == sgPointsAndUTMGrid; }

// The largest power of ten, at most 1, that fits into Extent; 0 when none does.
double AutomaticStep(double Extent) {
    double Step = 1;
    for (int i = 0; i < 20 && Extent / Step < 1; ++i) Step /= 10;
    return Extent / Step < 1 ? 0 : Step;
}

int HAlignFactor(TAlignment A) {
    switch (A) {
    case taLeftJustify: return 0;
    case taCenter: return 1;
    case taRightJustify: return 2;
    }
    return 0;
}

} // namespace

void TGeoMap::Paint() {
    if (FSuppressPaint) return;
    ConstructInternalMapImg();
    if (isVisible()) repaint();
}

void TGeoMap::RebuildImgCache() {
    const int w = RoundToInt(GrafBmp.width() * FView.Magnify), h = RoundToInt(GrafBmp.height() * FView.Magnify);
    if (GrafBmp.isNull() || w < 1 || h < 1)
        FImgCache = QImage();
    else
        FImgCache = GrafBmp
                        .scaled(w, h, Qt::IgnoreAspectRatio,
                                FAntiAlias ? Qt::SmoothTransformation : Qt::FastTransformation)
                        .convertToFormat(ViewImageFormat);
    FCacheMag = FView.Magnify;
    FCacheAA = FAntiAlias;
}

void TGeoMap::ConstructInternalMapImg() {
    const int W = width(), H = height();
    if (AuxBmp.height() < H || AuxBmp.width() < W)
        AuxBmp = NewScreenImage(std::max(AuxBmp.width(), W), std::max(AuxBmp.height(), H), ViewImageFormat);
    if (AuxBmp.isNull()) return;  // a control of size 0
    TCanvas Canvas(AuxBmp);
    Canvas.Pen.Style = psSolid;
    Canvas.Pen.Mode = pmCopy;

    if (FMapImgName.empty()) {
        DrawEmptyMap(Canvas);
    } else if (IsShownState()) {
        if ((FView.Magnify != FCacheMag || FCacheAA != FAntiAlias) && FView.Magnify < FCacheMagLimit) RebuildImgCache();
        FillBackgroundAroundImage(Canvas);
        DrawMapImage(Canvas);
        if (FOnBeforeRenderData) FOnBeforeRenderData(this, Canvas);
        if (FShowGrat != sgNone) DrawOverlay(Canvas);
        DrawLandMarks(Canvas);
        if (FOnDataRendered) FOnDataRendered(this, Canvas);
        DrawHighLight(Canvas);
    }
    DrawMouseTrace(Canvas);
    DrawFrame(Canvas, FFrameStyle, 0, 0, W - 1, H - 1, FColWhiteLine, 0xC0C0C0, FColGrayLine, FColBlackLine, 0);
}

void TGeoMap::FillBackgroundAroundImage(TCanvas& Canvas) const {
    // The opaque image covers most of the view: filling only what it leaves out
    // saves a full-frame pass. The estimate is shrunk by two pixels against the
    // rounding of the stretch, so the image is always drawn over the fill's edge.
    const int W = width(), H = height();
    TRect Covered{0, 0, 0, 0};
    const QImage& Source = FView.Magnify == FCacheMag ? FImgCache : GrafBmp;
    if (!Source.isNull()) {
        const double Left = -FView.TopLeft.X * FView.Magnify, Top = -FView.TopLeft.Y * FView.Magnify;
        const double Right = (FMapImgWidth - FView.TopLeft.X) * FView.Magnify, Bottom = (FMapImgHeight - FView.TopLeft.Y) * FView.Magnify;
        Covered = {std::clamp(RoundToInt(std::ceil(Left)) + 2, 0, W), std::clamp(RoundToInt(std::ceil(Top)) + 2, 0, H),
                   std::clamp(RoundToInt(std::floor(Right)) - 2, 0, W),
                   std::clamp(RoundToInt(std::floor(Bottom)) - 2, 0, H)};
        if (Covered.Right <= Covered.Left || Covered.Bottom <= Covered.Top) Covered = {0, 0, 0, 0};
    }
    Canvas.Brush.Color = FColorBakGnd;
    if (Covered.Right == 0) {
        Canvas.FillRect({0, 0, W, H});
        return;
    }
    Canvas.FillRect({0, 0, W, Covered.Top});
    Canvas.FillRect({0, Covered.Bottom, W, H});
    Canvas.FillRect({0, Covered.Top, Covered.Left, Covered.Bottom});
    Canvas.FillRect({Covered.Right, Covered.Top, W, Covered.Bottom});
}

void TGeoMap::DrawEmptyMap(TCanvas& Canvas) const {
    Canvas.Brush.Color = FColorBakGnd;
    Canvas.Pen.Color = FColorBakGnd;
    Canvas.FillRect({0, 0, width(), height()});
    Canvas.Font.Color = FFrameColor;
    Canvas.TextOut(10, 10, FEmptyMsg);
}

void TGeoMap::DrawMapImage(TCanvas& Canvas) const {
    const int W = width(), H = height();
    if (FView.Magnify == FCacheMag) {
        const int Left = RoundToInt(FView.Magnify * FView.TopLeft.X), Top = RoundToInt(FView.Magnify * FView.TopLeft.Y);
        Canvas.StretchMode = smColorOnColor;
        Canvas.CopyRect({0, 0, W, H}, FImgCache, {Left, Top, Left + W, Top + H});
    } else {
        Canvas.StretchMode = FAntiAlias ? smHalftone : smColorOnColor;
        Canvas.CopyRect({0, 0, W, H}, GrafBmp,
                        {FView.TopLeft.X, FView.TopLeft.Y, RoundToInt(W / FView.Magnify + FView.TopLeft.X),
                         RoundToInt(H / FView.Magnify + FView.TopLeft.Y)});
    }
}

// ---- overlays

void TGeoMap::DrawOverlay(TCanvas& Canvas) const {
    const int Quads = UsedCalQuads(FCalib.CalibData());
    switch (FCalib.CalibModel()) {
    case cmParabolicIp:
        DrawParabolicGraticule(Canvas);
        break;
    case cmBiquadraticPn:
    case cmConicConformal:
    case cmMillerCylindrical:
    case cmEquiRect:
        if (Quads > (FCalib.CalibModel() == cmBiquadraticPn ? 5 : 2)) {
            if (ShowsLines(FShowGrat)) DrawLatLongGraticule(Canvas, 100);
            if (ShowsPoints(FShowGrat)) DrawCalibQuadMarkers(Canvas);
        }
        break;
    case cmUTM:
        if (Quads > 2) {
            if (ShowsLines(FShowGrat)) DrawLatLongGraticule(Canvas, 10);
            if (ShowsUTMGrid(FShowGrat)) DrawUTMGrid(Canvas);
            if (ShowsPoints(FShowGrat) || FShowGrat == sgPointsAndUTMGrid) DrawCalibQuadMarkers(Canvas);
        }
        break;
    case cmUndefined:
        break;
    }
}

void TGeoMap::DrawParabolicGraticule(TCanvas& Canvas) const {
    const TCalibData& D = FCalib.CalibData();
    for (int i = 1; i <= UsedCalLines(D); ++i) {
        const TCalibLine& Line = D.CalLines[i];
        const bool Parallel = Line.LineType == gtlParallel;
        if (ShowsLines(FShowGrat) && UsedPoints(Line) > 0) {
            Canvas.Pen.Color = FColorGratLine;
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
            const int From = Parallel ? FView.TopLeft.X : FView.TopLeft.Y;
            const double Until = From + (Parallel ? width() : height()) / FView.Magnify;
            bool First = true;
            for (int t = From; t < Until; ++t) {
                const int v = RoundToInt(a + b * t + c * double(t) * t);
                const TPoint P = MapImageToControl(Parallel ? TPoint{t, v} : TPoint{v, t});
                if (First)
                    Canvas.MoveTo(P.X, P.Y);
                else
                    Canvas.LineTo(P.X, P.Y);
                First = false;
            }
        }
        if (ShowsPoints(FShowGrat))
            for (int k = 1; k <= UsedPoints(Line); ++k) {
                const TPoint P = MapImageToControl(Line.CalPoints[k]);
                DrawCalibPointMarker(Canvas, P.X, P.Y);
            }
    }
}

void TGeoMap::DrawLatLongGraticule(TCanvas& Canvas, int Segments) const {
    const TCornerArray& C = FCalib.CalibData().Corners;
    const double LatMin = std::min(C[gcoBottomLeft].Latit, C[gcoBottomRight].Latit);
    const double LatMax = std::max(C[gcoTopLeft].Latit, C[gcoTopRight].Latit);
    const double LongMin = std::min(C[gcoTopLeft].Longit, C[gcoBottomLeft].Longit);
    const double LongMax = std::max(C[gcoTopRight].Longit, C[gcoBottomRight].Longit);
    Canvas.Pen.Color = FColorGratLine;

    // A polyline of Segments pieces from (Lat1, Long1) to (Lat2, Long2); points that
    // do not convert break it.
    const auto DrawGeoLine = [&](double Lat1, double Long1, double Lat2, double Long2) {
        bool PenDown = false;
        for (int k = 0; k <= Segments; ++k) {
            const double f = double(k) / Segments;
            int x = 0, y = 0;
            if (!FCalib.CalcPixelCoords(Lat1 + f * (Lat2 - Lat1), Long1 + f * (Long2 - Long1), x, y)) {
                PenDown = false;
                continue;
            }
            const TPoint P = MapImageToControl({x, y});
            if (PenDown)
                Canvas.LineTo(P.X, P.Y);
            else
                Canvas.MoveTo(P.X, P.Y);
            PenDown = true;
        }
    };
    const auto StepFor = [this](double Extent) { return FGratLineDist > 0 ? FGratLineDist : AutomaticStep(Extent); };

    const double LatStep = StepFor(LatMax - LatMin);
    if (LatStep > 0 && (LatMax - LatMin) / LatStep <= MaxGridLines) {
        const double First = std::trunc(LatMin / LatStep) * LatStep;
        for (int k = 0; First + k * LatStep < LatMax; ++k) DrawGeoLine(First + k * LatStep, LongMin, First + k * LatStep, LongMax);
    }
    const double LongStep = StepFor(LongMax - LongMin);
    if (LongStep > 0 && (LongMax - LongMin) / LongStep <= MaxGridLines) {
        const double First = std::trunc(LongMin / LongStep) * LongStep;
        for (int k = 0; First + k * LongStep < LongMax; ++k)
            DrawGeoLine(LatMin, First + k * LongStep, LatMax, First + k * LongStep);
    }
}

void TGeoMap::DrawUTMGrid(TCanvas& Canvas) const {
    const TCalibData& D = FCalib.CalibData();
    const auto ToUTM = [&](TCorners Corner, double& E, double& N) {
        int Zone = 0;
        LatLongToUTM(D.Corners[Corner].Latit, D.Corners[Corner].Longit, D.Ellipsoid, Zone, E, N);
    };
    double EBL, NBL, EBR, NBR, ETL, NTL;
    ToUTM(gcoBottomLeft, EBL, NBL);
    ToUTM(gcoBottomRight, EBR, NBR);
    ToUTM(gcoTopLeft, ETL, NTL);
    const double Step = FUTMGridDist >= 1 ? FUTMGridDist : std::max(1.0, Round125(std::abs(NTL - NBL) / 10));
    if (!std::isfinite(Step) || !std::isfinite(NBL) || !std::isfinite(EBL)) return;

    Canvas.Pen.Color = FColorGratLine;
    // The image's rectangle in control pixels, wherever the view is scrolled to.
    const double BoxLeft = -FView.TopLeft.X * FView.Magnify, BoxTop = -FView.TopLeft.Y * FView.Magnify;
    const double BoxRight = (FMapImgWidth - FView.TopLeft.X) * FView.Magnify, BoxBottom = (FMapImgHeight - FView.TopLeft.Y) * FView.Magnify;
    const auto DrawClipped = [&](TPoint A, TPoint B) {
        const TPoint P = MapImageToControl(A), Q = MapImageToControl(B);
        double x1 = P.X, y1 = P.Y, x2 = Q.X, y2 = Q.Y;
        TSLine Line;
        Line.LineFrom2Points(x1, y1, x2, y2);
        if (!Line.ClipBox(BoxLeft, BoxBottom, BoxRight, BoxTop, x1, y1, x2, y2)) return;
        Canvas.MoveTo(RoundToInt(x1), RoundToInt(y1));
        Canvas.LineTo(RoundToInt(x2), RoundToInt(y2));
    };
    const double FirstN = std::trunc(NBL / Step) * Step;
    for (int k = 0; FirstN + k * Step < NTL + Step && k <= MaxGridLines; ++k) {
        const double n = FirstN + k * Step;
        DrawClipped({0, FCalib.CalcUTMyFromNorthingX(n, 0)},
                    {FMapImgWidth, FCalib.CalcUTMyFromNorthingX(n, FMapImgWidth)});
    }
    const double FirstE = std::trunc(EBL / Step) * Step;
    for (int k = 0; FirstE + k * Step < EBR && k <= MaxGridLines; ++k) {
        const double e = FirstE + k * Step;
        DrawClipped({FCalib.CalcUTMxFromEastingY(e, 0), 0},
                    {FCalib.CalcUTMxFromEastingY(e, FMapImgHeight), FMapImgHeight});
    }
}

void TGeoMap::DrawCalibPointMarker(TCanvas& Canvas, int x, int y) const {
    const auto Diamond = [&](int r) {
        Canvas.MoveTo(x - r, y);
        Canvas.LineTo(x, y - r);
        Canvas.LineTo(x + r, y);
        Canvas.LineTo(x, y + r);
        Canvas.LineTo(x - r, y);
    };
    Canvas.Pen.Color = FColorGratPoints;
    Canvas.MoveTo(x - 8, y);
    Canvas.LineTo(x + 8, y);
    Canvas.MoveTo(x, y - 8);
    Canvas.LineTo(x, y + 8);
    Diamond(8);
    Canvas.Pen.Color = 0xFFFFFF;
    Diamond(9);
    Canvas.Pen.Color = FColorGratPoints;
    Diamond(10);
}

void TGeoMap::DrawCalibQuadMarkers(TCanvas& Canvas) const {
    const TCalibData& D = FCalib.CalibData();
    for (int i = 1; i <= UsedCalQuads(D); ++i) {
        const TPoint P = MapImageToControl({D.CalQuads[i].MapX, D.CalQuads[i].MapY});
        DrawCalibPointMarker(Canvas, P.X, P.Y);
    }
}

// ---- landmarks

double TGeoMap::VisibleLandMarkFraction() const {
    const int N = FLandMarks.NumLandMarks();
    const int Limit = FLandMarks.LMRandomDisplayThreshold();
    if (Limit >= N) return 1;
    const int W = width(), H = height();
    TCornerArray View;
    const std::array<std::pair<TCorners, TPoint>, 4> Corners{
        {{gcoTopLeft, {0, 0}}, {gcoBottomLeft, {0, H}}, {gcoBottomRight, {W, H}}, {gcoTopRight, {W, 0}}}};
    for (const auto& [Corner, P] : Corners) {
        bool ValidLat = false, ValidLong = false;
        const TPoint Img = ControlToMapImage(P);
        View[Corner] = {FCalib.CalcLatitude(Img, ValidLat), FCalib.CalcLongitude(Img, ValidLong)};
    }
    int Count = 0;
    for (int i = 1; i <= N; ++i) {
        const TLandMark& LM = FLandMarks.LandMark(i);
        if (FLandMarks.GetClassVisibility(LM.ClassFlag) && PositionInMap(LM.Latitude, LM.Longitude, View)) ++Count;
    }
    return Count > Limit ? double(Limit) / Count : 1;
}

void TGeoMap::DrawLandMarks(TCanvas& Canvas) {
    const int N = FLandMarks.NumLandMarks();
    if (N == 0) return;
    Canvas.Pen.Color = 0x00FF00;
    const double f = VisibleLandMarkFraction();
    const int W = width(), H = height();
    const auto OnCanvas = [W, H](TPoint P) { return P.X > 0 && P.X < W && P.Y > 0 && P.Y < H; };
    TSymbolRuns Symbols;
    // Drawing thousands of symbols waits on memory. Without a handler nothing
    // runs between two landmarks, so the next ones are found a few steps ahead
    // (in the same order, with the same sampling) and their pixels are fetched
    // while the ones before are drawn; a handler sees them strictly in turn.
    constexpr int MaxAhead = 3;
    const int Ahead = FOnDrawLandmark ? 0 : MaxAhead;
    std::array<std::pair<int, TPoint>, MaxAhead + 1> Queue;  // a ring of found landmarks
    int First = 0, Queued = 0, Next = 1;
    const auto FindNext = [&] {
        while (Next <= N) {
            const int i = Next++;
            const TLandMark& LM = FLandMarks.LandMark(i);
            if (!FLandMarks.GetClassVisibility(LM.ClassFlag) || (f < 1 && !BRandom(f))) continue;
            int ix = 0, iy = 0;
            if (!FCalib.CalcPixelCoords(LM.Latitude, LM.Longitude, ix, iy)) continue;
            const TPoint P = MapImageToControl({ix, iy});
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
        const TLandMark& LM = FLandMarks.LandMark(i);
        bool Handled = false;
        if (FOnDrawLandmark) FOnDrawLandmark(this, Handled, Canvas, P, LM);
        if (Handled || !OnCanvas(P)) continue;
        const TSymbolProperties& S = LM.SymbolProps;
        Symbols.Draw(Canvas, P.X, P.Y, S.Kind, S.FGColor, S.BGColor, S.Size, S.Direction, S.Length, S.Transparent);
        if (!LM.Caption.Text.Empty()) DrawCaption(Canvas, P.X, P.Y, LM.Caption);
    }
}

void TGeoMap::DrawCaption(TCanvas& Canvas, int x, int y, const TLMTextProperties& Caption) const {
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
    if (mx == 0 && my == 0) {
        Canvas.TextOut(x + Caption.dx, y + Caption.dy, Text);
        return;
    }
    const int w = Canvas.TextWidth(Text) / 2, h = Canvas.TextHeight(Text) / 2;
    const double d = Caption.Direction * std::numbers::pi / 180;
    Canvas.TextOut(x + Caption.dx + RoundToInt(-std::cos(d) * mx * w - std::sin(d) * my * h),
                   y + Caption.dy + RoundToInt(std::sin(d) * mx * w - std::cos(d) * my * h), Text);
}

void TGeoMap::DrawHighLight(TCanvas& Canvas) {
    const int Index = FLandMarks.HighLightLandMark();
    if (Index <= 0 || Index > FLandMarks.NumLandMarks()) return;
    const TLandMark& LM = FLandMarks.LandMark(Index);
    if (!FLandMarks.GetClassVisibility(LM.ClassFlag)) return;
    int ix = 0, iy = 0;
    if (!FCalib.CalcPixelCoords(LM.Latitude, LM.Longitude, ix, iy)) return;
    const TPoint P = MapImageToControl({ix, iy});
    bool Handled = false;
    if (FOnDrawLandmark) FOnDrawLandmark(this, Handled, Canvas, P, LM);
    if (Handled || P.X <= 0 || P.X >= width() || P.Y <= 0 || P.Y >= height()) return;
    const TSymbolProperties& S = LM.SymbolProps;
    DrawLandMarkSymbolOnCanvas(Canvas, P.X, P.Y, S.Kind, FLandMarks.HighLMColFG(), FLandMarks.HighLMColBG(), S.Size,
                               S.Direction, S.Length, FLandMarks.HighLMTrans());
}

} // namespace zylcarto
