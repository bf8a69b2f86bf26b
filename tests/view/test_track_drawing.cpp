// Tracks and routes drawn over the map: where the fit puts them at any view,
// thinned without leaving a fix off the line, and drawn anew after every change.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <tuple>

#include "pixels.h"
#include "probe_map.h"
#include "zylcarto/support/numeric.h"

using namespace zylcarto;
using namespace zylcarto::test;

namespace {

constexpr TColor Blue = 0xFF0000, Green = 0x00FF00, Red = 0x0000FF, White = 0xFFFFFF;

QImage Shown(const TGeoMap& M) { return M.AuxBitmap().copy(0, 0, M.width(), M.height()); }

// Image pixels of a 400 x 300 map over 48..47 N, 16..17 E as positions.
TTrackPoint Fix(double X, double Y) { return {48 - Y / 300, 16 + X / 400}; }
TRoutePoint Waypoint(double X, double Y, const char* Name) { return {48 - Y / 300, 16 + X / 400, NAN, Name}; }

// A wave of 20000 fixes across the map, then a segment of two fixes below it.
TTrack Wave() {
    TTrack T;
    T.Color = Blue;
    T.Width = 5;
    TTrackSegment& S = T.Segments.emplace_back();
    for (int i = 0; i < 20000; ++i) {
        const double t = i / 19999.0;
        S.Points.push_back(Fix(20 + 360 * t, 150 + 40 * std::sin(6 * std::numbers::pi * t)));
    }
    T.Segments.push_back({{Fix(50, 260), Fix(350, 260)}});
    return T;
}

void MakeMap(ProbeMap& M) {
    M.SetFrameStyle(fsNone);
    M.SetConfinePan(false);
    M.resize(200, 150);
    M.SetMapBitMap(Picture(400, 300));
    CalibrateEquiRect(M, 48, 16, 47, 17);
}

void ShowAt(ProbeMap& M, double Mag, TPoint TopLeft) {
    M.SetMagnification(Mag);
    M.SetTopLeft(TopLeft);
}

// Control pixel of image pixel (X, Y) in M's view.
TPoint ControlPixel(const TGeoMap& M, double X, double Y) {
    return {RoundToInt((X - M.TopLeft().X) * M.Magnification()), RoundToInt((Y - M.TopLeft().Y) * M.Magnification())};
}

}  // namespace

TEST(TrackDrawing, EveryFixLiesOnTheLineDrawnAtEveryView) {
    ProbeMap M;
    MakeMap(M);
    ASSERT_EQ(M.AddTrack(Wave()), 1);
    ASSERT_EQ(M.AddRoute({"Ridge", Green, 2, {Waypoint(60, 40, "A"), Waypoint(340, 40, "B")}}), 1);
    const TTrack& T = M.Tracks().Track(1);
    struct TView {
        double Mag;
        TPoint TopLeft;
    };
    for (const TView V : {TView{0.5, {0, 0}}, {1, {100, 20}}, {1, {150, 120}}, {3, {150, 100}}, {0.25, {-100, -50}}}) {
        SCOPED_TRACE(testing::Message() << "mag " << V.Mag << " at " << V.TopLeft.X << "," << V.TopLeft.Y);
        ShowAt(M, V.Mag, V.TopLeft);
        const QImage I = Shown(M);
        const auto Inside = [&](TPoint P) {
            return P.X >= 3 && P.Y >= 3 && P.X < I.width() - 3 && P.Y < I.height() - 3;
        };
        int Checked = 0;
        for (std::size_t i = 0; i < T.Segments[0].Points.size(); i += 53) {
            const TTrackPoint& F = T.Segments[0].Points[i];
            const TPoint P = ControlPixel(M, (F.Longitude - 16) * 400, (48 - F.Latitude) * 300);
            if (!Inside(P)) continue;
            ++Checked;
            ASSERT_EQ(At(I, P.X, P.Y), Blue) << "fix " << i << " at " << P.X << "," << P.Y;
        }
        EXPECT_GT(Checked, 3);
        // The second segment is drawn, the gap from the first one is not; the
        // route runs between its points.
        for (const auto& [X, Y, Color] :
             {std::tuple{200.0, 260.0, Blue}, {215.0, 205.0, White}, {200.0, 40.0, Green}}) {
            const TPoint P = ControlPixel(M, X, Y);
            if (!Inside(P)) continue;
            EXPECT_EQ(At(I, P.X, P.Y), Color) << X << "," << Y;
        }
    }
}

TEST(TrackDrawing, TheLinesFollowEveryChangeOfTheTracksAndTheFit) {
    ProbeMap M;
    MakeMap(M);
    ShowAt(M, 0.5, {0, 0});
    M.AddTrack({"Line", Blue, 3, {{{Fix(40, 100), Fix(360, 100)}}}});
    ExpectPixels(Shown(M), {{100, 50, Blue, "drawn"}, {100, 60, White}});
    struct TChange {
        const char* What;
        std::function<void()> Do;
        TPixel Then;
    };
    const TChange Changes[] = {
        {"look", [&] { M.Tracks().SetTrackLook(1, Red, 3); }, {100, 50, Red}},
        {"fix appended", [&] { M.Tracks().AppendTrackPoint(1, Fix(360, 200)); }, {180, 75, Red}},
        {"fit moved 20 pixels down",
         [&] {
             TCalibData D = M.CalibData();
             for (int i = 1; i <= D.NumCalQuads; ++i) D.CalQuads[i].MapY += 20;
             M.SetCalibData(D);
             M.RecalcCalibration();
         },
         {100, 60, Red}},
        {"track replaced",
         [&] {
             M.Tracks().SetTrack(1, {"Other", Green, 3, {{{Fix(40, 20), Fix(360, 20)}}}});
         },
         {100, 20, Green}},
        {"tracks cleared", [&] { M.Tracks().Clear(); }, {100, 20, White}},
    };
    for (const TChange& C : Changes) {
        SCOPED_TRACE(C.What);
        C.Do();
        ExpectPixels(Shown(M), {C.Then});
    }
}
