// The projected model against cs2cs: the same CRS step on the same grid points
// must agree within 0.01 m, in both directions, singly and in batches.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "synthetic_maps.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

namespace {

struct TGrid {
    double East = 0, North = 0;
};

// Latitude and longitude of grid points by cs2cs; empty when cs2cs is missing.
// GeoInput: the CRS takes latitude first (a geographic CRS in EPSG axis order).
std::vector<std::array<double, 2>> Cs2cs(const std::string& Crs, const std::vector<TGrid>& Points, bool GeoInput) {
    std::string input;
    char line[128];
    for (const TGrid& g : Points) {
        std::snprintf(line, sizeof line, "%.10f %.10f\n", GeoInput ? g.North : g.East, GeoInput ? g.East : g.North);
        input += line;
    }
    return test::Cs2cs("-f %.12f " + Crs + " +to EPSG:4326", input);
}

// Metres between two nearby positions.
double Metres(double lat1, double lon1, double lat2, double lon2) {
    constexpr double R = 6371000, d = 3.141592653589793 / 180;
    return R * std::hypot((lat2 - lat1) * d, (lon2 - lon1) * d * std::cos(lat1 * d));
}

struct TCase {
    const char* Crs;       // as given to the library
    const char* Cs2csCrs;  // the same for cs2cs (a PROJ string with +type=crs)
    double E0, N0, Step;   // grid of pixel (0, 0) and grid units per pixel
    bool Geographic;
};

// Transverse Mercator with an EPSG datum shift, Lambert conformal conic, web
// Mercator, the Swiss oblique Mercator, Gauss-Krueger on Pulkovo 1942 as a
// PROJ string with its own Helmert shift, WKT, and a geographic CRS.
const TCase Cases[] = {
    {"EPSG:27700", "EPSG:27700", 400000, 300000, 2.5, false},
    {"EPSG:2154", "EPSG:2154", 690000, 6610000, 10, false},
    {"EPSG:3857", "EPSG:3857", -8240000, 4980000, 4.77, false},
    {"EPSG:21781", "EPSG:21781", 598000, 201000, 1.25, false},
    {"+proj=tmerc +lat_0=0 +lon_0=27 +k=1 +x_0=5500000 +y_0=0 +ellps=krass +towgs84=28,-130,-95,0,0,0,0 +units=m",
     "+proj=tmerc +lat_0=0 +lon_0=27 +k=1 +x_0=5500000 +y_0=0 +ellps=krass +towgs84=28,-130,-95,0,0,0,0 +units=m "
     "+type=crs",
     5490000, 6210000, 5, false},
    {"PROJCS[\"ETRS89 / LAEA Europe\",GEOGCS[\"ETRS89\",DATUM[\"European_Terrestrial_Reference_System_1989\","
     "SPHEROID[\"GRS 1980\",6378137,298.257222101]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]],"
     "PROJECTION[\"Lambert_Azimuthal_Equal_Area\"],PARAMETER[\"latitude_of_center\",52],"
     "PARAMETER[\"longitude_of_center\",10],PARAMETER[\"false_easting\",4321000],"
     "PARAMETER[\"false_northing\",3210000],UNIT[\"metre\",1]]",
     "+proj=laea +lat_0=52 +lon_0=10 +x_0=4321000 +y_0=3210000 +ellps=GRS80 +units=m +type=crs", 4300000, 3200000, 20,
     false},
    {"EPSG:4269", "EPSG:4269", -100, 45, 0.0001, true},
};

// A slightly rotated and sheared grid, so that no axis is special.
TGrid GridAt(const TCase& C, double x, double y) {
    return {C.E0 + C.Step * (x + 0.01 * y), C.N0 - C.Step * (y - 0.02 * x)};
}

const std::array<std::array<double, 2>, 6> RefPixels{
    {{100, 200}, {3900, 150}, {200, 2900}, {3800, 2950}, {2000, 1500}, {1000, 2500}}};
const std::array<std::array<double, 2>, 5> TestPixels{{{0, 0}, {4000, 3000}, {1234.5, 987.25}, {4000, 0}, {0, 3000}}};

TMapCalibration ProjectedMap(const TCase& C) {
    TMapCalibration cal("Map1");
    cal.SetMapImageSize(4000, 3000);
    EXPECT_TRUE(cal.SetCRS(C.Crs)) << cal.CRSError();
    cal.SetCalibModel(cmProjected);
    for (const auto& p : RefPixels) {
        const TGrid g = GridAt(C, p[0], p[1]);
        cal.AddCalibPointGrid(g.North, g.East, static_cast<int>(p[0]), static_cast<int>(p[1]));
    }
    return cal;
}

}  // namespace

TEST(ProjectedModel, AgreesWithCs2csInBothDirections) {
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Cs2csCrs);
        std::vector<TGrid> grid;
        for (const auto& p : TestPixels) grid.push_back(GridAt(C, p[0], p[1]));
        const auto ref = Cs2cs(C.Cs2csCrs, grid, C.Geographic);
        if (ref.size() != grid.size()) GTEST_SKIP() << "cs2cs is not installed";
        const TMapCalibration cal = ProjectedMap(C);
        double qx = 1, qy = 1, metres = 1;
        cal.CalibQuality(qx, qy);
        EXPECT_EQ(qx, 0);
        EXPECT_EQ(qy, 0);
        ASSERT_TRUE(cal.CalibPositionQuality(metres));
        EXPECT_LT(metres, 1e-6);
        EXPECT_FALSE(cal.CRSOperation().empty());

        std::vector<double> xs, ys;
        std::vector<std::uint8_t> valid(TestPixels.size());
        for (std::size_t i = 0; i < TestPixels.size(); ++i) {
            const auto& p = TestPixels[i];
            double lat = 0, lon = 0, x = 0, y = 0;
            ASSERT_TRUE(cal.CalcPositionFrac(p[0], p[1], lat, lon));
            EXPECT_LT(Metres(lat, lon, ref[i][0], ref[i][1]), 0.01) << p[0] << " " << p[1];
            ASSERT_TRUE(cal.CalcPixelCoordsFrac(ref[i][0], ref[i][1], x, y));
            EXPECT_NEAR(x, p[0], 0.01 / C.Step * (C.Geographic ? 1e-5 : 1));
            EXPECT_NEAR(y, p[1], 0.01 / C.Step * (C.Geographic ? 1e-5 : 1));
            // The batch form gives the single answers exactly.
            xs.push_back(p[0]);
            ys.push_back(p[1]);
            if (i == 2) {
                xs.push_back(std::nan(""));
                ys.push_back(0);
            }
            bool ok = false;
            const double single = cal.CalcLatitude(static_cast<int>(p[0]), static_cast<int>(p[1]), ok);
            EXPECT_TRUE(ok);
            EXPECT_TRUE(std::isfinite(single));
        }
        valid.resize(xs.size());
        EXPECT_EQ(cal.CalcPositionsFrac(xs, ys, valid), TestPixels.size());
        for (std::size_t i = 0, k = 0; i < xs.size(); ++i) {
            if (i == 3) {
                EXPECT_EQ(valid[i], 0);  // the NaN pixel, untouched
                continue;
            }
            double lat = 0, lon = 0;
            cal.CalcPositionFrac(TestPixels[k][0], TestPixels[k][1], lat, lon);
            EXPECT_EQ(valid[i], 1);
            EXPECT_EQ(xs[i], lat);
            EXPECT_EQ(ys[i], lon);
            ++k;
        }
        // Corners are the positions of the image corners.
        EXPECT_LT(Metres(cal.CalibData().Corners[gcoBottomRight].Latit, cal.CalibData().Corners[gcoBottomRight].Longit,
                         ref[1][0], ref[1][1]),
                  0.01);
        EXPECT_TRUE(cal.IsPositionWithinMap(ref[2][0], ref[2][1]));
        EXPECT_FALSE(cal.IsPositionWithinMap(2 * ref[0][0] - ref[2][0], 2 * ref[0][1] - ref[2][1]));
    }
}

TEST(ProjectedModel, PositionsAreProjectedForTheFit) {
    const TCase& C = Cases[0];
    std::vector<TGrid> grid;
    for (const auto& p : RefPixels) grid.push_back(GridAt(C, p[0], p[1]));
    const auto ll = Cs2cs(C.Cs2csCrs, grid, false);
    if (ll.size() != grid.size()) GTEST_SKIP() << "cs2cs is not installed";
    TMapCalibration cal("Map1");
    cal.SetMapImageSize(4000, 3000);
    ASSERT_TRUE(cal.SetCRS(C.Crs));
    cal.SetCalibModel(cmProjected);
    for (std::size_t i = 0; i < ll.size(); ++i)
        cal.AddCalibPoint(ll[i][0], ll[i][1], static_cast<int>(RefPixels[i][0]), static_cast<int>(RefPixels[i][1]));
    // Stored in the grid, within the millimetre by which PROJ's two directions of
    // the Helmert shift differ.
    for (std::size_t i = 0; i < ll.size(); ++i) {
        const TCalQuad& q = cal.CalibData().CalQuads[static_cast<int>(i) + 1];
        EXPECT_NEAR(q.Longitude, grid[i].East, 0.005);
        EXPECT_NEAR(q.Latitude, grid[i].North, 0.005);
    }
    double metres = 1;
    ASSERT_TRUE(cal.CalibPositionQuality(metres));
    EXPECT_LT(metres, 0.005);
    EXPECT_NE(cal.CRSOperation().find("OSGB36 to WGS 84"), std::string::npos) << cal.CRSOperation();
    // Positions the library refuses and positions beyond the CRS raise.
    EXPECT_THROW(cal.AddCalibPoint(95.0, 0.0, 1, 1), EZYLGeoMapError);
}

TEST(ProjectedModel, SecondOrderFitsCurvedGridExactlyAndEditsAsOtherPointModels) {
    TMapCalibration cal("Map1");
    cal.SetMapImageSize(1000, 1000);
    ASSERT_TRUE(cal.SetCRS("EPSG:32633"));
    cal.SetProjOrder(3);  // ignored
    cal.SetProjOrder(2);
    EXPECT_EQ(cal.ProjOrder(), 2);
    cal.SetCalibModel(cmProjected);
    auto north = [](double x, double y) { return 5500000 - 2 * y + 1e-4 * x * x; };
    auto east = [](double x, double y) { return 400000 + 2 * x + 2e-4 * x * y - 1e-4 * y * y; };
    const int pts[][2] = {{0, 0}, {1000, 0}, {0, 1000}, {1000, 1000}, {500, 0}, {0, 500}, {500, 500}, {700, 300}};
    for (const auto& p : pts) cal.AddCalibPointGrid(north(p[0], p[1]), east(p[0], p[1]), p[0], p[1]);
    double n = 0, e = 0;
    ASSERT_TRUE(cal.CalcGridFrac(250, 750, n, e));
    EXPECT_NEAR(n, north(250, 750), 1e-6);
    EXPECT_NEAR(e, east(250, 750), 1e-6);
    double qx = 1, qy = 1;
    cal.CalibQuality(qx, qy);
    EXPECT_EQ(qx + qy, 0);

    // Removing the nearest point and restoring it gives the same fit.
    const TCalibParams before = cal.Params();
    ASSERT_TRUE(cal.RemoveCalibPoint(690, 310));
    EXPECT_EQ(UsedCalQuads(cal.CalibData()), 7);
    cal.RestoreLastDeletedCalPoint();
    EXPECT_EQ(UsedCalQuads(cal.CalibData()), 8);
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 6; ++c) EXPECT_NEAR(cal.Params().ProjPLSP[r][c], before.ProjPLSP[r][c], 1e-6);

    // Grid points only for this model; the UTM form stays UTM's.
    TMapCalibration equi("Map2");
    equi.SetCalibModel(cmEquiRect);
    EXPECT_THROW(equi.AddCalibPointGrid(1, 1, 0, 0), EZYLGeoMapError);
    EXPECT_THROW(cal.AddCalibPoint(1.0, 1.0, 33, THemisphere::hemiNorth, 0, 0), EZYLGeoMapError);
}

TEST(ProjectedModel, UnusableCRSConvertsNothing) {
    for (const char* crs : {"", "EPSG:999999", "+proj=nonsense", "EPSG:4978", "not a crs at all"}) {
        SCOPED_TRACE(crs);
        TMapCalibration cal("Map1");
        EXPECT_FALSE(cal.SetCRS(crs));
        EXPECT_FALSE(cal.CRSError().empty());
        EXPECT_EQ(cal.CRS(), crs);
        EXPECT_EQ(cal.CRSOperation(), "");
        cal.SetCalibModel(cmProjected);
        EXPECT_THROW(cal.AddCalibPoint(50.0, 1.0, 0, 0), EZYLGeoMapError);
        cal.AddCalibPointGrid(0, 0, 0, 0);
        cal.AddCalibPointGrid(0, 100, 100, 0);
        cal.AddCalibPointGrid(-100, 0, 0, 100);
        double lat = 0, lon = 0, x = 0, y = 0;
        EXPECT_FALSE(cal.CalcPositionFrac(10, 10, lat, lon));
        EXPECT_FALSE(cal.CalcPixelCoordsFrac(50, 1, x, y));
        // The grid itself is still known.
        EXPECT_TRUE(cal.CalcGridFrac(10, 10, lat, lon));
    }
    // A copy keeps the CRS, and a CRS written into the data takes effect at the refit.
    TMapCalibration a("A"), b("B");
    a.SetMapImageSize(10, 10);
    a.SetCalibModel(cmProjected);
    a.CalibData().CRS = "EPSG:27700";
    a.AddCalibPointGrid(300000, 400000, 0, 0);
    a.AddCalibPointGrid(300000, 400100, 10, 0);
    a.AddCalibPointGrid(299900, 400000, 0, 10);
    b.Assign(a);
    double lat = 0, lon = 0;
    ASSERT_TRUE(b.CalcPositionFrac(5, 5, lat, lon));
    EXPECT_NEAR(lat, 52.6, 0.1);
    b.ClearCalibData();
    EXPECT_EQ(b.CRS(), "");
    EXPECT_FALSE(b.CalcPositionFrac(5, 5, lat, lon));
}
