#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "probe_map.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;
using namespace zylcarto::test;

TEST(GeoMapState, ConstructionSetsTheDocumentedDefaults) {
    ProbeMap M;
    EXPECT_EQ(M.width(), 500);
    EXPECT_EQ(M.height(), 400);
    EXPECT_EQ(M.Magnification(), 1.0);
    EXPECT_EQ(M.TopLeft(), (TPoint{0, 0}));
    EXPECT_TRUE(M.AntiAlias());
    EXPECT_TRUE(M.ConfinePanToMapImage());
    EXPECT_TRUE(M.GetAllowPan());
    EXPECT_EQ(M.ColorBackGnd(), 0xC0C0C0u);
    EXPECT_EQ(M.ColorGraticule(), 0xFF0000u);
    EXPECT_EQ(M.ColorCalibPoints(), 0x0000FFu);
    EXPECT_EQ(M.ColorFrame(), 0u);
    EXPECT_EQ(M.FrameStyle(), fsSimple);
    EXPECT_EQ(M.ShowGraticule(), sgNone);
    EXPECT_EQ(M.EmptyMsg(), "GeoMap: empty");
    EXPECT_EQ(M.CacheMagLimit(), 2.0 / 3.0);
    EXPECT_EQ(M.CalibModel(), cmUndefined);
    EXPECT_EQ(M.MapImgFile(), "");
    EXPECT_EQ(M.MapImgWidth(), 0);
    EXPECT_EQ(M.NumLandMarks(), 0);
    EXPECT_EQ(M.LMRandomDisplayThreshold(), 20000);
    EXPECT_EQ(M.MouseTraceColor(), 0xFFFFFFu);
    EXPECT_TRUE(M.MouseTraceInvert());
    EXPECT_EQ(M.GetZoomStackEntry(0), (TgmZoomStackEntry{0, 0, 1.0}));
    EXPECT_TRUE(M.GetZoomStackEntry(-1).Empty());
    M.SetConfinePan(false);  // a map without an image confines every view to (0, 0)
    M.SetTopLeft({5, 5});
    M.ZoomHistory(-1);  // empty slot
    EXPECT_EQ(M.TopLeft(), (TPoint{5, 5}));
}

TEST(GeoMapState, PublishedPropertiesReachTheSetters) {
    ProbeMap M;
    EXPECT_TRUE(M.setProperty("ColorBackGnd", 0x123456u));
    EXPECT_EQ(M.ColorBackGnd(), 0x123456u);
    EXPECT_TRUE(M.setProperty("ShowGraticule", static_cast<int>(sgLines)));
    EXPECT_EQ(M.ShowGraticule(), sgLines);
    EXPECT_TRUE(M.setProperty("EmptyMsg", QString("nothing")));
    EXPECT_EQ(M.EmptyMsg(), "nothing");
    EXPECT_EQ(M.property("GratLineDist").toDouble(), 0.0);
}

TEST(GeoMapState, ZoomHistoryIsARingOfSixteen) {
    ProbeMap M;
    M.SetConfinePan(false);
    for (int k = 1; k <= 17; ++k) {
        M.SetTopLeft({k, k});
        M.ZoomStateOnStack();
    }
    EXPECT_EQ(M.GetZoomStackEntry(0).Left, 17);
    EXPECT_EQ(M.GetZoomStackEntry(-15).Left, 2);
    EXPECT_TRUE(M.GetZoomStackEntry(-16).Empty());
    EXPECT_TRUE(M.GetZoomStackEntry(1).Empty());
    M.SetMagnification(3);
    M.ZoomHistory(-3);
    EXPECT_EQ(M.TopLeft(), (TPoint{14, 14}));
    EXPECT_EQ(M.Magnification(), 1.0);
    M.ZoomHistory(-16);  // outside: nothing
    EXPECT_EQ(M.TopLeft(), (TPoint{14, 14}));
    M.ClearZoomHistory();
    EXPECT_EQ(M.GetZoomStackEntry(0).Left, 14);
    EXPECT_TRUE(M.GetZoomStackEntry(-1).Empty());
}

TEST(GeoMapState, SettersClampAndRepaintAsDocumented) {
    ProbeMap M;
    M.SetGratLineDist(-5);
    EXPECT_EQ(M.GratLineDist(), 0);
    M.SetGratLineDist(90);
    EXPECT_EQ(M.GratLineDist(), 60);
    M.SetUTMGridDist(20000000);
    EXPECT_EQ(M.UTMGridDist(), 10000000);
    M.SetUTMGridDist(-1);
    EXPECT_EQ(M.UTMGridDist(), 0);

    M.Paints = 0;
    M.SetCacheMagLimit(1.0);
    EXPECT_EQ(M.CacheMagLimit(), 2.0 / 3.0);
    EXPECT_EQ(M.Paints, 0);  // magnification 1 is above 2/3
    M.SetMagnification(0.5);
    M.Paints = 0;
    M.SetCacheMagLimit(0.3);
    EXPECT_EQ(M.Paints, 1);

    M.Paints = 0;
    M.SetShowGrat(sgNone);  // unchanged
    M.SetFrameStyle(fsSimple);
    EXPECT_EQ(M.Paints, 0);
    M.SetSuppressPaint(true);
    M.SetSuppressPaint(false);
    EXPECT_EQ(M.Paints, 1);
    M.SetAllowPan(false);
    EXPECT_EQ(M.MouseAction(), maNone);
    M.SetMouseAction(maZoomBox);
    EXPECT_FALSE(M.GetAllowPan());
    M.SetAllowPan(true);
    EXPECT_EQ(M.MouseAction(), maPan);
}

TEST(GeoMapState, MagnificationStaysFiniteAndPositive) {
    ProbeMap M;
    M.SetMagnification(2);
    for (double Bad : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
        M.SetMagnification(Bad);
    EXPECT_EQ(M.Magnification(), 2);
    M.SetMagnification(1e12);
    EXPECT_EQ(M.Magnification(), TGeoMap::MaxMagnification);
    M.SetMagnification(1e-12);
    EXPECT_EQ(M.Magnification(), TGeoMap::MinMagnification);
}

TEST(GeoMapState, PixelConversionsRoundHalvesToEven) {
    ProbeMap M;
    M.SetConfinePan(false);
    M.SetMagnification(2.0);
    M.SetTopLeft({10, 20});
    EXPECT_EQ(M.ControlToMapImage({3, 3}), (TPoint{12, 22}));
    EXPECT_EQ(M.ControlToMapImage({1, 5}), (TPoint{10, 22}));  // 0.5 -> 0, 2.5 -> 2
    EXPECT_EQ(M.MapImageToControl({12, 22}), (TPoint{4, 4}));
}

TEST(GeoMapState, ConfinementKeepsTheViewOnTheImage) {
    ProbeMap M;
    M.SetMapBitMap(Picture(1000, 800));
    M.SetTopLeft({900, 700});
    M.PanMapToFillWindow();
    EXPECT_EQ(M.TopLeft(), (TPoint{500, 400}));
    M.SetMagnification(0.25);  // smaller than the control: centred
    M.PanMapToFillWindow();
    EXPECT_EQ(M.TopLeft(), (TPoint{-500, -400}));
    M.SetMagnification(1);
    M.BringMapPixelToCenter({100, 100});
    EXPECT_EQ(M.TopLeft(), (TPoint{0, 0}));
    M.BringMapPixelToCenter({600, 500});
    EXPECT_EQ(M.TopLeft(), (TPoint{350, 300}));
    M.SetConfinePan(false);
    M.SetTopLeft({2000, 2000});
    M.SetConfinePan(true);
    EXPECT_EQ(M.TopLeft(), (TPoint{500, 400}));
}

TEST(GeoMapState, FitAndResizeNeedAnImage) {
    ProbeMap M;
    M.SetMagnification(1.5);
    M.ZoomFitPage();
    M.ResizeMap(0.5);
    M.ResizeMap(300);
    EXPECT_EQ(M.Magnification(), 1.5);
    EXPECT_EQ(M.MapImgWidth(), 0);

    M.SetMapBitMap(Picture(1000, 800));
    M.ZoomFitPage();
    EXPECT_EQ(M.Magnification(), 0.5);
    M.SetTopLeft({3, 3});
    M.ZoomFitPage();
    EXPECT_EQ(M.TopLeft(), (TPoint{0, 0}));
}

TEST(GeoMapState, ResizeMapScalesTheImageAndTheCalibrationPoints) {
    ProbeMap M;
    M.SetMapBitMap(Picture(1000, 800));
    CalibrateEquiRect(M, 48, 16, 47, 17);
    M.ResizeMap(500);  // longer edge 1000 -> 500
    EXPECT_EQ(M.MapImgWidth(), 500);
    EXPECT_EQ(M.MapImgHeight(), 400);
    EXPECT_EQ(M.MapBitmap().size(), QSize(500, 400));
    EXPECT_EQ(M.CalibData().CalQuads[4].MapX, 500);
    EXPECT_EQ(M.CalibData().CalQuads[4].MapY, 400);
    int x = 0, y = 0;
    ASSERT_TRUE(M.CalcPixelCoords(47.5, 16.5, x, y));
    EXPECT_EQ(x, 250);
    EXPECT_EQ(y, 200);
}

TEST(GeoMapState, CentringOnALocation) {
    ProbeMap M;
    M.SetMapBitMap(Picture(1000, 800));
    M.BringLocationToCenter(47.5, 16.5);  // uncalibrated: nothing
    EXPECT_EQ(M.TopLeft(), (TPoint{0, 0}));
    CalibrateEquiRect(M, 48, 16, 47, 17);
    M.BringLocationToCenter(47.5, 16.5);
    EXPECT_EQ(M.TopLeft(), (TPoint{250, 200}));
    M.BringLocationToCenter(47.0, 17.0);  // corner: kept inside
    EXPECT_EQ(M.TopLeft(), (TPoint{500, 400}));
}

// What a host's calls to move the view answer, and where they leave it; each
// case starts from the view (100, 100) at magnification 1 with one older view
// (0, 0) in the history. The image is 1000 x 800, the control 500 x 400.
TEST(GeoMapState, ViewCallsFromCodeAnswerWhetherTheViewGotThere) {
    ProbeMap M;
    M.SetMapBitMap(Picture(1000, 800));
    CalibrateEquiRect(M, 48, 16, 47, 17);  // 1000 pixels a degree of longitude, 800 of latitude
    const struct {
        const char* What;
        std::function<bool()> Do;
        bool Result;
        TPoint TopLeft;
        double Mag;
    } Cases[] = {
        {"a location brought to a point", [&] { return M.BringLocationToPoint(47.5, 16.5, {100, 50}); }, true,
         {400, 350}, 1},
        {"a location that confinement keeps from the point",
         [&] { return M.BringLocationToPoint(47.99, 16.01, {400, 300}); }, false, {0, 0}, 1},
        {"a location without a pixel", [&] { return M.BringLocationToPoint(95, 16.5, {0, 0}); }, false, {100, 100}, 1},
        {"a location off the map centred", [&] { M.BringLocationToCenter(48.5, 16.5); return true; }, true,
         {100, 100}, 1},
        {"a view in one call", [&] { M.SetView({300, 200}, 2); return true; }, true, {300, 200}, 2},
        {"a view beyond the image", [&] { M.SetView({900, 900}, 1); return true; }, true, {500, 400}, 1},
        {"a view at no magnification", [&] { M.SetView({300, 200}, 0); return true; }, true, {100, 100}, 1},
        {"back in the history", [&] { return M.GoBackInZoomHistory(); }, true, {0, 0}, 1},
        {"back beyond the history",
         [&] { return M.GoBackInZoomHistory() && !M.GoBackInZoomHistory(); }, true, {0, 0}, 1},
        {"a new image, whose history starts afresh",
         [&] { M.SetMapBitMap(Picture(1000, 800)); return M.GoBackInZoomHistory(); }, false, {0, 0}, 1},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.What);
        M.SetView({0, 0}, 1);
        M.ClearZoomHistory();
        M.SetView({100, 100}, 1);
        EXPECT_EQ(C.Do(), C.Result);
        EXPECT_EQ(M.TopLeft(), C.TopLeft);
        EXPECT_EQ(M.Magnification(), C.Mag);
    }
}

TEST(GeoMapState, BadValuesGetTheSameAnswerEverywhere) {
    ProbeMap M;
    M.SetMapBitMap(Picture(1000, 800));
    CalibrateEquiRect(M, 80, -180, -80, 180);  // the whole globe: 400 E would be 40 E on it
    M.SetMagnification(4);
    M.SetTopLeft({300, 300});
    M.AddLandMark(10.0, 170.0, 0.0);
    const TLandMark Kept = M.GetLandMarkData(1);
    int x = 0, y = 0;
    ASSERT_TRUE(M.CalcPixelCoords(10, 170, x, y));
    ASSERT_TRUE(M.IsPositionWithinMap(10, 170));
    const double NaN = std::numeric_limits<double>::quiet_NaN(), Inf = std::numeric_limits<double>::infinity();
    const std::pair<double, double> Bad[] = {{NaN, 10}, {10, NaN},  {10, Inf}, {95, 10},
                                             {10, 400}, {10, -400}, {95, 400}};
    for (const auto& [Lat, Long] : Bad) {
        SCOPED_TRACE(std::to_string(Lat) + ", " + std::to_string(Long));
        EXPECT_FALSE(M.CalcPixelCoords(Lat, Long, x, y));
        EXPECT_FALSE(M.IsPositionWithinMap(Lat, Long));
        M.BringLocationToCenter(Lat, Long);
        EXPECT_EQ(M.TopLeft(), (TPoint{300, 300}));
        M.AddLandMark(Lat, Long, 0.0);
        EXPECT_EQ(M.NumLandMarks(), 1);
        TLandMark Moved = Kept;
        Moved.Latitude = Lat;
        Moved.Longitude = Long;
        M.SetLandMarkData(1, Moved);
        EXPECT_EQ(M.GetLandMarkData(1), Kept);
    }
    // A top-left point is confined like a pan, unless confinement is off.
    M.SetMagnification(1);
    M.SetTopLeft({5000, -50});
    EXPECT_EQ(M.TopLeft(), (TPoint{500, 0}));
    M.SetConfinePan(false);
    M.SetTopLeft({5000, -50});
    EXPECT_EQ(M.TopLeft(), (TPoint{5000, -50}));
}

TEST(GeoMapState, LastClickPositionConvertsOrGivesZero) {
    ProbeMap M;
    M.SetMapBitMap(Picture(1000, 800));
    M.SetLastClick(500, 400);
    EXPECT_EQ(M.GetLastMClickLatitude(), 0);
    CalibrateEquiRect(M, 48, 16, 47, 17);
    EXPECT_NEAR(M.GetLastMClickLatitude(), 47.5, 1e-9);
    EXPECT_NEAR(M.GetLastMClickLongitude(), 16.5, 1e-9);
}

TEST(GeoMapState, EventDispatchersPassSenderAndArgumentsInOrder) {
    ProbeMap M;
    M.DoZoomPanEvent();  // no handler: nothing
    TObject* Sender = nullptr;
    double Got[4] = {};
    int Kind = -1;
    M.SetOnZoomPan([&](TObject* S) { Sender = S; });
    M.SetOnSelectRect([&](TObject*, int K, double a, double b, double c, double d) {
        Kind = K;
        Got[0] = a, Got[1] = b, Got[2] = c, Got[3] = d;
    });
    M.DoZoomPanEvent();
    M.DoSelectRectEvent(1, 1.5, 2.5, 3.5, 4.5);
    EXPECT_EQ(Sender, static_cast<TObject*>(&M));
    EXPECT_EQ(Kind, 1);
    EXPECT_EQ(Got[3], 4.5);
    EXPECT_EQ(Got[0], 1.5);
}

TEST(GeoMapState, ImagesAboveThreeMillionPixelsAreRefusedAndTheOldOneKept) {
    ProbeMap M;
    M.setObjectName("Map7");
    M.SetMapBitMap(Picture(2000, 1500));
    EXPECT_EQ(M.MapImgFile(), "$unknown$");
    EXPECT_EQ(M.MapImgWidth(), 2000);
    try {
        M.SetMapBitMap(Picture(2001, 1500));
        FAIL() << "no exception";
    } catch (const EZYLGeoMapError& E) {
        EXPECT_STREQ(E.what(),
                     "Component \"Map7\": Cannot use map image, maximum of 3000000 pixels exceeded (size of map is "
                     "2001 x 1500)");
    }
    EXPECT_EQ(M.MapImgWidth(), 2000);
    EXPECT_EQ(M.MapBitmap().width(), 2000);
}

TEST(GeoMapState, LandmarkChangesRepaintThroughTheMap) {
    ProbeMap M;
    M.Paints = 0;
    M.AddLandMark(1.0, 2.0, 0.0);
    M.SetHighLM(1);
    TLandMark LM = M.GetLandMarkData(1);
    M.SetLandMarkData(1, LM);  // unchanged: no paint
    LM.Tag = 7;
    M.SetLandMarkData(1, LM);
    EXPECT_EQ(M.RemoveLandMark(1), 1);
    EXPECT_EQ(M.Paints, 4);
    bool Asked = false;
    M.SetOnLandMarkAction(
        [&](TObject* S, bool&, TLandMarkAction, const TLandMark&) { Asked = S == static_cast<TObject*>(&M); });
    M.AddLandMark(1.0, 2.0, 0.0);
    EXPECT_TRUE(Asked);
}

TEST(GeoMapState, RemovalAroundAPointIsRoundOnScreen) {
    ProbeMap M;
    M.SetMapBitMap(Picture(1000, 800));
    CalibrateEquiRect(M, 50, 10, 40, 20);  // 100 pixels a degree of longitude, 80 of latitude
    M.SetMagnification(2.0);
    M.SetTopLeft({100, 100});
    // Image pixel (250, 200) is drawn at control pixel (300, 200).
    struct Case {
        int Dx, Dy, Removed;
    };
    for (const Case& C : {Case{6, 0, 1}, Case{0, 6, 1}, Case{-5, -5, 1}, Case{9, 0, 0}, Case{0, 9, 0}, Case{6, 6, 0}}) {
        M.RemoveAllLandMarks();
        M.AddLandMark(47.5, 12.5, 0.0);
        EXPECT_EQ(M.RemoveLandMarksNear({300 + C.Dx, 200 + C.Dy}, -1, 8.0), C.Removed) << C.Dx << "," << C.Dy;
    }
}

TEST(GeoMapState, AssignCopiesTheStateButKeepsTraceAndHandlers) {
    ProbeMap A, B;
    A.SetMapBitMap(Picture(300, 200, qRgb(1, 2, 3)));
    CalibrateEquiRect(A, 48, 16, 47, 17);
    A.AddLandMark(47.5, 16.5, 0.0);
    A.SetMagnification(2);
    A.SetConfinePan(false);
    A.SetTopLeft({7, 8});
    A.SetColorGratLine(0x010203);
    A.AddTracePoint(1, 1, false);
    A.AddTrack({"A's", 0xFF0000, 2, {{{{47.5, 16.5}}}}});
    int Zooms = 0;
    B.SetOnZoomPan([&](TObject*) { ++Zooms; });
    B.AddTracePoint(5, 5, false);
    B.AddTracePoint(6, 6, true);
    B.AddRoute({"B's", 0xFF00FF, 2, {{47.5, 16.5, NAN, "p"}}});
    B.Paints = 0;
    B.Assign(A);
    EXPECT_EQ(B.Paints, 0);
    EXPECT_EQ(B.MapImgWidth(), 300);
    EXPECT_EQ(B.MapBitmap().pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(B.Magnification(), 2);
    EXPECT_EQ(B.TopLeft(), (TPoint{7, 8}));
    EXPECT_EQ(B.ColorGraticule(), 0x010203u);
    EXPECT_EQ(B.NumLandMarks(), 1);
    EXPECT_EQ(B.CalibModel(), cmEquiRect);
    int x = 0, y = 0;
    EXPECT_TRUE(B.CalcPixelCoords(47.5, 16.5, x, y));
    EXPECT_EQ(B.NumMTracePoints(), 2);
    EXPECT_EQ(B.Tracks().NumRoutes(), 0);
    EXPECT_EQ(B.Tracks().GetTrack(1).Name, "A's");
    B.Tracks().AppendTrackPoint(1, {47.6, 16.6});  // the copy repaints its own map
    EXPECT_EQ(B.Paints, 1);
    EXPECT_EQ(A.Tracks().GetTrack(1).NumPoints(), 1u);
    B.DoZoomPanEvent();
    EXPECT_EQ(Zooms, 1);
}
