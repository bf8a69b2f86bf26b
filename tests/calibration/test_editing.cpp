// Calibration state, point editing, undo, repaint requests and the quality figure.
#include <gtest/gtest.h>

#include <cmath>

#include "synthetic_maps.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

namespace {

template <typename F>
std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const EZYLGeoMapError& e) {
        return e.what();
    }
    return "";
}

TMapCalibration Model(TCalibModel m) { return synthetic::Calibration(m, 1000, 800, "GeoMap1"); }

}  // namespace

TEST(CalibState, ClearResetsDataButKeepsModelNamesAndUndo) {
    TMapCalibration cal = Model(cmEquiRect);
    cal.CalibData().MapFName = "map.jpg";
    cal.CalibData().Caption = "Alps";
    cal.SetUTMZone(33);
    cal.SetUTMHemisphere(THemisphere::hemiSouth);
    cal.AddCalibPoint(47, 8, 10, 10);
    cal.AddCalibPoint(46, 9, 900, 700);
    cal.RemoveCalibPoint(900, 700);
    ASSERT_TRUE(cal.RestoreBiQuadOK());
    cal.ClearCalibData();
    const TCalibData& d = cal.CalibData();
    EXPECT_EQ(cal.GetUTMZone(), -1);
    EXPECT_EQ(cal.GetUTMHemisphere(), THemisphere::hemiNorth);
    EXPECT_EQ(cal.CalibModel(), cmEquiRect);
    EXPECT_EQ(d.NumCalQuads, 0);
    EXPECT_EQ(d.CalQuads[1], TCalQuad{});
    EXPECT_EQ(d.Corners[gcoTopLeft], TCoords{});
    EXPECT_EQ(d.Resolution, 0.0);
    EXPECT_EQ(d.MapFName, "map.jpg");
    EXPECT_EQ(d.Caption, "Alps");
    EXPECT_EQ(cal.Params(), TCalibParams{});
    EXPECT_EQ(cal.GratMat().NrOfRows(), 1);
    EXPECT_TRUE(cal.RestoreBiQuadOK());

    cal.Clear();
    EXPECT_EQ(cal.CalibModel(), cmUndefined);
    EXPECT_EQ(cal.CalibData().MapFName, "");
    EXPECT_EQ(cal.CalibData().Caption, "");
    EXPECT_EQ(cal.MapImageWidth(), 0);
}

TEST(CalibState, UTMZoneAcceptsOnlyValidZones) {
    TMapCalibration cal = Model(cmUTM);
    cal.SetUTMZone(32);
    cal.SetUTMZone(0);
    EXPECT_EQ(cal.GetUTMZone(), 32);
    cal.SetUTMZone(61);
    EXPECT_EQ(cal.GetUTMZone(), 32);
    cal.SetUTMZone(60);
    EXPECT_EQ(cal.GetUTMZone(), 60);
}

TEST(CalibState, SettingModelFitsExistingPoints) {
    TMapCalibration cal = Model(cmBiquadraticPn);
    cal.AddCalibPoint(47, 8, 0, 0);
    cal.AddCalibPoint(46, 8, 0, 800);
    cal.AddCalibPoint(46, 10, 1000, 800);
    EXPECT_EQ(cal.Params().EquRectPLSP, (TCalibParams{}.EquRectPLSP));
    cal.SetCalibModel(cmEquiRect);
    EXPECT_NEAR(cal.Params().EquRectPLSP[1][3], -1.0 / 800, 1e-12);
    bool valid = false;
    EXPECT_NEAR(cal.CalcLongitude(500, 400, valid), 9.0, 1e-9);
    // An ordinal beyond the enumeration (a corrupt host setting) means no model.
    cal.SetCalibModel(static_cast<TCalibModel>(9));
    EXPECT_EQ(cal.CalibModel(), cmUndefined);
    cal.CalcLongitude(500, 400, valid);
    EXPECT_FALSE(valid);
}

TEST(CalibState, AssignCopiesCalibrationButNotIdentity) {
    TMapCalibration a = Model(cmEquiRect);
    a.AddCalibPoint(47, 8, 0, 0);
    a.AddCalibPoint(46, 9, 500, 400);
    a.StoreCalDatName("a.xml");
    int repaints = 0;
    TMapCalibration b("Other");
    b.SetRepaintHandler([&] { ++repaints; });
    b.Assign(a);
    EXPECT_EQ(b.CalibData(), a.CalibData());
    EXPECT_EQ(b.Params(), a.Params());
    EXPECT_EQ(b.CalibModel(), cmEquiRect);
    EXPECT_EQ(b.CalibDataFile(), "a.xml");
    EXPECT_EQ(b.Name(), "Other");
    EXPECT_EQ(b.MapImageWidth(), 0);
    EXPECT_EQ(repaints, 0);
}

TEST(CalibEditing, WrongModelOverloadsRaiseBeforeChangingAnything) {
    const std::string add =
        "Component \"GeoMap1\": current calibration model does not support this version of AddCalibPoint";
    const std::string remove =
        "Component \"GeoMap1\": current calibration model does not support this version of RemoveCalibPoint";
    TMapCalibration eq = Model(cmEquiRect);
    EXPECT_EQ(ErrorOf([&] { eq.AddCalibPoint(gtlMeridian, 8.0, 1, 1); }), add);
    EXPECT_EQ(ErrorOf([&] { eq.AddCalibPoint(5300000.0, 500000.0, 32, THemisphere::hemiNorth, 1, 1); }), add);
    EXPECT_EQ(ErrorOf([&] { eq.RemoveCalibPoint(gtlMeridian, 8.0, 1, 1); }), remove);
    for (TCalibModel m : {cmParabolicIp, cmUTM, cmUndefined}) {
        TMapCalibration cal = Model(m);
        EXPECT_EQ(ErrorOf([&] { cal.AddCalibPoint(47.0, 8.0, 1, 1); }), add) << int(m);
        EXPECT_EQ(cal.CalibData().NumCalQuads, 0);
    }
}

TEST(CalibEditing, UTMPointsNeedTheMapsZoneAndHemisphere) {
    TMapCalibration cal = Model(cmUTM);
    cal.ClearCalibData();
    const std::string changed = "Component \"GeoMap1\": UTM zone parameter changed";
    EXPECT_EQ(ErrorOf([&] { cal.AddCalibPoint(5300000.0, 500000.0, 32, THemisphere::hemiNorth, 1, 1); }), changed);
    cal.SetUTMZone(32);
    EXPECT_EQ(ErrorOf([&] { cal.AddCalibPoint(5300000.0, 500000.0, 32, THemisphere::hemiSouth, 1, 1); }), changed);
    EXPECT_EQ(ErrorOf([&] { cal.AddCalibPoint(5300000.0, 500000.0, 33, THemisphere::hemiNorth, 1, 1); }), changed);
    EXPECT_EQ(cal.CalibData().NumCalQuads, 0);
    EXPECT_TRUE(cal.AddCalibPoint(5300000.0, 500000.0, 32, THemisphere::hemiNorth, 1, 1));
    EXPECT_EQ(cal.CalibData().CalQuads[1], (TCalQuad{5300000.0, 500000.0, 1, 1}));
}

TEST(CalibEditing, NonFiniteCoordinatesAreRefused) {
    TMapCalibration cal = Model(cmEquiRect);
    EXPECT_NE(ErrorOf([&] { cal.AddCalibPoint(NAN, 8.0, 1, 1); }), "");
    EXPECT_NE(ErrorOf([&] { cal.AddCalibPoint(47.0, INFINITY, 1, 1); }), "");
    EXPECT_EQ(cal.CalibData().NumCalQuads, 0);
    TMapCalibration grat = Model(cmParabolicIp);
    EXPECT_NE(ErrorOf([&] { grat.AddCalibPoint(gtlParallel, NAN, 1, 1); }), "");
    EXPECT_EQ(grat.CalibData().NumCalLines, 0);
    // One written into the data directly and removed is not offered for restoring:
    // adding it back would raise on every later restore.
    cal.AddCalibPoint(47.0, 8.0, 10, 10);
    TCalibData d = cal.CalibData();
    d.CalQuads[++d.NumCalQuads] = {NAN, 8.5, 500, 500};
    cal.SetCalibData(d);
    ASSERT_TRUE(cal.RemoveCalibPoint(500, 500));
    EXPECT_FALSE(cal.RestoreBiQuadOK());
    EXPECT_EQ(ErrorOf([&] { cal.RestoreLastDeletedCalPoint(); }), "");
    EXPECT_EQ(cal.CalibData().NumCalQuads, 1);
}

TEST(CalibEditing, FullTablesDropPointsWithoutError) {
    TMapCalibration cal = Model(cmEquiRect);
    for (int i = 1; i <= 200; ++i) ASSERT_TRUE(cal.AddCalibPoint(40 + i * 0.01, 5 + (i % 7) * 0.1, i, (i * 37) % 800));
    const TCalibData before = cal.CalibData();
    EXPECT_FALSE(cal.AddCalibPoint(1, 1, 5, 5));
    EXPECT_EQ(cal.CalibData(), before);

    TMapCalibration grat = Model(cmParabolicIp);
    for (int p = 1; p <= 11; ++p) grat.AddCalibPoint(gtlParallel, 47.0, p * 10, 100);
    EXPECT_EQ(grat.CalibData().CalLines[1].NumPoints, 10);
    for (int k = 2; k <= 26; ++k) grat.AddCalibPoint(gtlMeridian, double(k), 100, 100);
    EXPECT_EQ(grat.CalibData().NumCalLines, 25);
    EXPECT_EQ(grat.CalibData().CalLines[25].LineValue, 25.0);
}

TEST(CalibEditing, CountsWrittenPastTheCapacityAreClamped) {
    TMapCalibration cal = Model(cmEquiRect);
    TCalibData d;
    d.NumCalQuads = 5000;
    d.NumCalLines = 99;
    d.CalLines[1].NumPoints = 42;
    cal.SetCalibData(d);
    cal.RecalcCalibration();
    EXPECT_FALSE(cal.AddCalibPoint(47, 8, 1, 1));
    EXPECT_TRUE(cal.RemoveCalibPoint(1, 1));
    EXPECT_EQ(cal.CalibData().NumCalQuads, 199);
    cal.SetCalibModel(cmParabolicIp);
    EXPECT_TRUE(cal.RemoveCalibPoint(0, 0));
    EXPECT_EQ(cal.CalibData().CalLines[1].NumPoints, 9);
}

TEST(CalibEditing, RemoveByPositionAndRestoreAppends) {
    TMapCalibration cal = Model(cmEquiRect);
    cal.AddCalibPoint(47.0, 8.0, 100, 100);
    cal.AddCalibPoint(46.0, 8.0, 100, 700);
    cal.AddCalibPoint(46.0, 9.0, 900, 700);
    cal.AddCalibPoint(47.0, 9.0, 900, 100);
    // Nearest to (120, 650) is the second point; the last one takes its slot.
    EXPECT_TRUE(cal.RemoveCalibPoint(120, 650));
    EXPECT_EQ(cal.CalibData().NumCalQuads, 3);
    EXPECT_EQ(cal.CalibData().CalQuads[2], (TCalQuad{47.0, 9.0, 900, 100}));
    EXPECT_EQ(cal.BiQuadOops(), (TCalQuad{46.0, 8.0, 100, 700}));
    cal.RestoreLastDeletedCalPoint();
    EXPECT_EQ(cal.CalibData().NumCalQuads, 4);
    EXPECT_EQ(cal.CalibData().CalQuads[4], (TCalQuad{46.0, 8.0, 100, 700}));
    EXPECT_FALSE(cal.RestoreBiQuadOK());
    // Only once.
    cal.RestoreLastDeletedCalPoint();
    EXPECT_EQ(cal.CalibData().NumCalQuads, 4);
}

TEST(CalibEditing, EquallyNearPointsRemoveTheFirst) {
    TMapCalibration cal = Model(cmEquiRect);
    cal.AddCalibPoint(47.0, 8.0, 90, 100);
    cal.AddCalibPoint(46.0, 9.0, 110, 100);
    EXPECT_TRUE(cal.RemoveCalibPoint(100, 100));
    EXPECT_EQ(cal.BiQuadOops().MapX, 90);
    TMapCalibration none = Model(cmUndefined);
    EXPECT_FALSE(none.RemoveCalibPoint(100, 100));
    TMapCalibration empty = Model(cmEquiRect);
    EXPECT_FALSE(empty.RemoveCalibPoint(100, 100));
    EXPECT_FALSE(empty.RestoreBiQuadOK());
}

TEST(CalibEditing, RestoreOnUTMMapUsesItsZone) {
    TMapCalibration cal = Model(cmUTM);
    cal.SetUTMZone(32);
    cal.AddCalibPoint(5300000.0, 500000.0, 32, THemisphere::hemiNorth, 10, 10);
    cal.RemoveCalibPoint(10, 10);
    cal.RestoreLastDeletedCalPoint();
    EXPECT_EQ(cal.CalibData().NumCalQuads, 1);
    EXPECT_EQ(cal.CalibData().CalQuads[1].Latitude, 5300000.0);
}

TEST(CalibEditing, GraticulePointsRemoveAndRestore) {
    TMapCalibration cal = Model(cmParabolicIp);
    cal.AddCalibPoint(gtlParallel, 47.0, 100, 300);
    cal.AddCalibPoint(gtlParallel, 47.0, 500, 310);
    cal.AddCalibPoint(gtlMeridian, 8.0, 400, 50);
    // Not on the named line: nothing changes.
    EXPECT_FALSE(cal.RemoveCalibPoint(gtlParallel, 47.0, 400, 50));
    EXPECT_FALSE(cal.RemoveCalibPoint(gtlMeridian, 47.0, 100, 300));
    EXPECT_EQ(cal.CalibData().NumCalLines, 2);
    EXPECT_EQ(cal.CalibData().CalLines[1].NumPoints, 2);
    // The only point of the meridian: the line goes too.
    EXPECT_TRUE(cal.RemoveCalibPoint(gtlMeridian, 8.0, 400, 50));
    EXPECT_EQ(cal.CalibData().NumCalLines, 1);
    EXPECT_FALSE(cal.RestoreParaIpOK());

    // By position: the point nearest to (480, 300) on any line.
    EXPECT_TRUE(cal.RemoveCalibPoint(480, 300));
    EXPECT_EQ(cal.CalibData().CalLines[1].NumPoints, 1);
    ASSERT_TRUE(cal.RestoreParaIpOK());
    EXPECT_EQ(cal.ParaIpOops().LineType, gtlParallel);
    EXPECT_EQ(cal.ParaIpOops().LineValue, 47.0);
    EXPECT_EQ(cal.ParaIpOops().CalPoints[1], (TPoint{500, 310}));
    cal.RestoreLastDeletedCalPoint();
    EXPECT_EQ(cal.CalibData().CalLines[1].NumPoints, 2);
    EXPECT_EQ(cal.CalibData().CalLines[1].CalPoints[2], (TPoint{500, 310}));
    EXPECT_FALSE(cal.RestoreParaIpOK());
}

TEST(CalibEditing, RemovingALineMovesTheLastIntoItsSlot) {
    TMapCalibration cal = Model(cmParabolicIp);
    cal.AddCalibPoint(gtlParallel, 47.0, 100, 300);
    cal.AddCalibPoint(gtlParallel, 48.0, 100, 200);
    cal.AddCalibPoint(gtlMeridian, 9.0, 300, 100);
    EXPECT_TRUE(cal.RemoveCalibPoint(gtlParallel, 47.0, 100, 300));
    EXPECT_EQ(cal.CalibData().NumCalLines, 2);
    EXPECT_EQ(cal.CalibData().CalLines[1].LineType, gtlMeridian);
    EXPECT_EQ(cal.CalibData().CalLines[2].LineValue, 48.0);
}

TEST(CalibEditing, EveryEditAsksForRepaint) {
    TMapCalibration cal = Model(cmEquiRect);
    int repaints = 0;
    cal.SetRepaintHandler([&] { ++repaints; });
    cal.AddCalibPoint(47.0, 8.0, 1, 1);
    EXPECT_EQ(repaints, 1);
    cal.RemoveCalibPoint(1, 1);
    EXPECT_EQ(repaints, 2);
    cal.RemoveCalibPoint(1, 1);  // nothing there, still refits and repaints
    EXPECT_EQ(repaints, 3);
    cal.SetCalibModel(cmBiquadraticPn);
    EXPECT_EQ(repaints, 4);
    cal.ClearCalibData();
    EXPECT_EQ(repaints, 5);
    cal.SetUTMZone(12);  // configuration only
    EXPECT_EQ(repaints, 5);
}

TEST(CalibQuality, IsRootMeanSquarePixelResidual) {
    TMapCalibration cal = Model(cmEquiRect);
    cal.AddCalibPoint(47.0, 8.0, 0, 0);
    cal.AddCalibPoint(46.0, 8.0, 0, 800);
    cal.AddCalibPoint(46.0, 9.0, 1000, 800);
    cal.AddCalibPoint(47.0, 9.0, 1000, 0);
    double qx = -1, qy = -1;
    cal.CalibQuality(qx, qy);
    EXPECT_EQ(qx, 0.0);
    EXPECT_EQ(qy, 0.0);
    // A fifth point 10 pixels off in x: the affine fit shares the misfit out.
    cal.AddCalibPoint(46.5, 8.5, 510, 400);
    cal.CalibQuality(qx, qy);
    double sum = 0;
    for (int i = 1; i <= 5; ++i) {
        const TCalQuad& q = cal.CalibData().CalQuads[i];
        int x = 0, y = 0;
        cal.CalcPixelCoords(q.Latitude, q.Longitude, x, y);
        sum += double(x - q.MapX) * (x - q.MapX);
    }
    EXPECT_GT(qx, 1.0);
    EXPECT_NEAR(qx, std::sqrt(sum / 5), 1e-12);
    EXPECT_EQ(qy, 0.0);

    TMapCalibration grat = Model(cmParabolicIp);
    grat.AddCalibPoint(gtlParallel, 47.0, 100, 300);
    grat.CalibQuality(qx, qy);
    EXPECT_EQ(qx, 0.0);
    EXPECT_EQ(qy, 0.0);
}
