#include "zylcarto/geomap/view/track_drawing.h"

#include <QPainter>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/geomap/tracks/track_store.h"
#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/geomap/view/map_scene.h"
#include "zylcarto/geomap/view/map_viewport.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// A polyline in control pixels handed to the painter a run at a time, cut to a
// box a little beyond the canvas: vertices far off it, as a strong magnification
// makes, never reach the rasteriser, and lines wholly off it cost no drawing.
class TRunDrawer {
public:
    TRunDrawer(QPainter& Painter, double Left, double Top, double Right, double Bottom)
        : FPainter(Painter), FLeft(Left), FTop(Top), FRight(Right), FBottom(Bottom) {}
    ~TRunDrawer() { Flush(); }
    TRunDrawer(const TRunDrawer&) = delete;
    TRunDrawer& operator=(const TRunDrawer&) = delete;

    // The line goes on to P, or starts there after a Break.
    void To(QPointF P) {
        if (FHave) Segment(FLast, P);
        FLast = P;
        FHave = true;
    }
    // The line does not go on from the last point.
    void Break() {
        Flush();
        FHave = false;
    }

private:
    bool Inside(QPointF P) const { return P.x() >= FLeft && P.x() <= FRight && P.y() >= FTop && P.y() <= FBottom; }
    void Segment(QPointF A, QPointF B) {
        const bool EndInside = Inside(B);
        if (!Inside(A) || !EndInside) {
            double x1 = A.x(), y1 = A.y(), x2 = B.x(), y2 = B.y();
            TSLine Line;
            Line.LineFrom2Points(x1, y1, x2, y2);
            if (!Line.ClipBox(FLeft, FBottom, FRight, FTop, x1, y1, x2, y2)) return Flush();
            A = {x1, y1};
            B = {x2, y2};
        }
        // A run that left the box was flushed, so an empty run starts where the segment enters it.
        if (FRun.empty()) FRun.push_back(A);
        FRun.push_back(B);
        if (!EndInside) Flush();
    }
    void Flush() {
        if (FRun.size() >= 2) FPainter.drawPolyline(FRun.data(), static_cast<int>(FRun.size()));
        FRun.clear();
    }

    QPainter& FPainter;
    const double FLeft, FTop, FRight, FBottom;
    std::vector<QPointF> FRun;
    QPointF FLast;
    bool FHave = false;
};

void DrawRoutePoints(TCanvas& Canvas, const TRoute& Route, const TTrackLines::TLine& Line, const TMapViewport& View) {
    const int Radius = 2 + Line.Width;
    Canvas.Pen = {Line.Color, psSolid, pmCopy, 1};
    Canvas.Brush = {0xFFFFFF, bsSolid};
    Canvas.Font = TCanvasFont{};
    Canvas.Font.Color = Line.Color;
    const int TextH = Canvas.TextHeight("Ag");
    // A name beside the last one named would cover it: dense routes show some names only.
    TPoint Named{std::numeric_limits<int>::min() / 2, 0};
    for (std::size_t k = 0; k < Line.Points.size(); ++k) {
        const TPixelPos& P = Line.Points[k];
        if (!std::isfinite(P.X)) continue;
        const double X = (P.X - View.TopLeft().X) * View.Magnify(), Y = (P.Y - View.TopLeft().Y) * View.Magnify();
        if (!(X >= 0 && X < View.Width() && Y >= 0 && Y < View.Height())) continue;
        const TPoint C{RoundToInt(X), RoundToInt(Y)};
        Canvas.Brush.Style = bsSolid;
        Canvas.Ellipse(C.X - Radius, C.Y - Radius, C.X + Radius + 1, C.Y + Radius + 1);
        const std::string& Name = Route.Points[k].Name;
        if (Name.empty() || (std::abs(C.X - Named.X) < 4 * TextH && std::abs(C.Y - Named.Y) < TextH)) continue;
        Canvas.Brush.Style = bsClear;
        Canvas.TextOut(C.X + Radius + 2, C.Y - TextH / 2, Name);
        Named = C;
    }
}

}  // namespace

const std::vector<TTrackLines::TLine>& TTrackLines::Lines(const TTrackStore& Tracks, const TMapCalibration& Calib,
                                                          double Magnify) {
    if (!FPlaced || FModel != Calib.CalibModel() || !(FParams == Calib.Params()) || !(FData == Calib.CalibData())) {
        FLines.clear();
        // One pass through the calibration per line: a projected map goes through PROJ once for all its points.
        std::vector<double> X, Y;
        std::vector<std::uint8_t> Valid;
        const auto Place = [&](TColor Color, int Width, int Route, const auto& Points) {
            if (Points.empty()) return;
            const std::size_t N = Points.size();
            X.resize(N);
            Y.resize(N);
            Valid.resize(N);
            for (std::size_t i = 0; i < N; ++i) {
                X[i] = Points[i].Latitude;
                Y[i] = Points[i].Longitude;
            }
            Calib.CalcPixelCoordsFrac(std::span<double>(X), std::span<double>(Y), std::span<std::uint8_t>(Valid));
            TLine& L = FLines.emplace_back(TLine{Color, Width, Route, std::vector<TPixelPos>(N), {}});
            for (std::size_t i = 0; i < N; ++i) L.Points[i] = Valid[i] ? TPixelPos{X[i], Y[i]} : TPixelPos{NaN, NaN};
        };
        for (int t = 1; t <= Tracks.NumTracks(); ++t)
            for (const TTrackSegment& S : Tracks.Track(t).Segments)
                Place(Tracks.Track(t).Color, Tracks.Track(t).Width, 0, S.Points);
        for (int r = 1; r <= Tracks.NumRoutes(); ++r)
            Place(Tracks.Route(r).Color, Tracks.Route(r).Width, r, Tracks.Route(r).Points);
        FModel = Calib.CalibModel();
        FParams = Calib.Params();
        FData = Calib.CalibData();
        FPlaced = true;
        FMagnify = 0;
    }
    if (FMagnify != Magnify) {
        for (TLine& L : FLines) L.Kept = ThinPolyline(L.Points, TrackThinning / Magnify);
        FMagnify = Magnify;
    }
    return FLines;
}

void DrawTracks(TCanvas& Canvas, const TMapScene& Scene, const TMapViewport& View) {
    if (!Scene.Tracks || (Scene.Tracks->NumTracks() == 0 && Scene.Tracks->NumRoutes() == 0)) return;
    TTrackLines Own;
    TTrackLines& Cache = Scene.TrackLines ? *Scene.TrackLines : Own;
    const std::vector<TTrackLines::TLine>& Lines = Cache.Lines(*Scene.Tracks, *Scene.Calib, View.Magnify());
    const TCanvasPen SavedPen = Canvas.Pen;
    const TCanvasBrush SavedBrush = Canvas.Brush;
    const TCanvasFont SavedFont = Canvas.Font;
    const double Mag = View.Magnify(), Left = View.TopLeft().X, Top = View.TopLeft().Y;
    for (const TTrackLines::TLine& L : Lines) {
        {
            QPainter& P = Canvas.Painter();
            P.setCompositionMode(QPainter::CompositionMode_SourceOver);
            if (L.Points.size() == 1 && std::isfinite(L.Points[0].X)) {
                P.setPen(QPen(ToQColor(L.Color), L.Width, Qt::SolidLine, Qt::RoundCap));
                P.drawPoint(QPointF((L.Points[0].X - Left) * Mag, (L.Points[0].Y - Top) * Mag));
                continue;
            }
            // Round joins cost Qt's stroker five times as much as mitred ones.
            P.setPen(QPen(ToQColor(L.Color), L.Width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            const double Margin = L.Width + 1;
            TRunDrawer Run(P, -Margin, -Margin, View.Width() + Margin, View.Height() + Margin);
            for (const std::size_t k : L.Kept) {
                const TPixelPos& V = L.Points[k];
                if (std::isfinite(V.X))
                    Run.To({(V.X - Left) * Mag, (V.Y - Top) * Mag});
                else
                    Run.Break();
            }
        }
        if (L.Route > 0) DrawRoutePoints(Canvas, Scene.Tracks->Route(L.Route), L, View);
    }
    Canvas.Pen = SavedPen;
    Canvas.Brush = SavedBrush;
    Canvas.Font = SavedFont;
}

}  // namespace zylcarto
