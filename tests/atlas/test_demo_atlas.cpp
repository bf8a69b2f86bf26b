// The demo's generated atlas: its maps must nest around the capital so that
// zooming there walks from the coarsest to the finest, and its UTM grid must
// be calibrated in the metres LatLongToUTM gives.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>

#include "../../apps/demo/atlas_builder.h"
#include "../../apps/demo/utm_calibration.h"
#include "zylcarto/geoatlas/geoatlas.h"
#include "zylcarto/geodesy/projections.h"

using namespace zylcarto;
using namespace zylcarto::demo;

TEST(DemoAtlas, ZoomingInAtTheCapitalWalksThroughEveryScale) {
    QTemporaryDir Dir;
    TGeoAtlas Atlas;
    for (const std::string& Xml : BuildAtlas(Dir.path().toStdString(), false)) ASSERT_TRUE(Atlas.RegisterMap(Xml));
    ASSERT_EQ(Atlas.NumRegMaps(), static_cast<int>(DemoMaps().size()));
    const TGeoPoint Capital = Zylland().Towns.front().Position;
    ASSERT_TRUE(Atlas.SelectMap(1));
    std::vector<double> Walk{Atlas.CurrentMap()->CalibData().Resolution};
    while (Atlas.ZoomIn(Capital.Lat, Capital.Long, Walk.back())) {
        Walk.push_back(Atlas.CurrentMap()->CalibData().Resolution);
        // The map image was found and the capital is in view.
        EXPECT_GT(Atlas.CurrentMap()->MapImgWidth(), 0);
        ASSERT_LE(Walk.size(), DemoMaps().size());
    }
    EXPECT_EQ(Walk.size(), 3u);  // overview, east, town map: the west map lies elsewhere
    EXPECT_TRUE(std::is_sorted(Walk.rbegin(), Walk.rend()));
    EXPECT_GT(Walk.front() / Walk.back(), 10);
    // Every town is on the overview.
    for (const TTown& T : Zylland().Towns)
        EXPECT_TRUE(PositionInMap(T.Position.Lat, T.Position.Long, Atlas.Maps(1).Corners)) << T.Name;
}

TEST(DemoAtlas, UTMCalibrationUsesTheZoneOfTheCentre) {
    TCalibData D;
    D.Corners[gcoTopLeft] = {58.3, -12.6};
    D.Corners[gcoBottomRight] = {57.7, -10.0};  // centre -11.3: zone 29; the west edge lies in zone 28
    D.NumCalQuads = 2;
    D.CalQuads[1] = {58.0, -11.0, 10, 20};
    D.CalQuads[2] = {57.9, -12.4, 30, 40};
    TCalibData U;
    ASSERT_TRUE(ToUTMCalibration(D, U));
    EXPECT_EQ(U.UTMZone, 29);
    EXPECT_FALSE(U.UTMSouth);
    int Zone = 0;
    double E = 0, N = 0;
    LatLongToUTM(58.0, -11.0, gelWGS84, Zone, E, N);
    ASSERT_EQ(Zone, 29);
    EXPECT_NEAR(U.CalQuads[1].Longitude, E, 1e-6);
    EXPECT_NEAR(U.CalQuads[1].Latitude, N, 1e-6);
    EXPECT_EQ(U.CalQuads[1].MapX, 10);
    // A point beyond the zone border is still given in zone 29.
    double Lat = 0, Long = 0;
    UTMToLatLong(U.CalQuads[2].Longitude, U.CalQuads[2].Latitude, 29, false, gelWGS84, Lat, Long);
    EXPECT_NEAR(Lat, 57.9, 1e-7);
    EXPECT_NEAR(Long, -12.4, 1e-7);
}
