// Geodesics on WGS 84 against PROJ's geod and GeographicLib's Planimeter, run as
// separate programs, and areas known in closed form. Lengths must agree within
// 1 mm per 1000 km.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "zylcarto/geodesy/geodesic.h"

namespace zylcarto::test {
namespace {

constexpr double kWgs84A = 6378137.0, kWgs84F = 1 / 298.257223563;

// Area of the whole ellipsoid, in closed form.
double EllipsoidArea() {
    const double e2 = kWgs84F * (2 - kWgs84F), e = std::sqrt(e2);
    return 2 * std::numbers::pi * kWgs84A * kWgs84A * (1 + (1 - e2) / e * std::atanh(e));
}

// The numbers of each output line of Program given Input, or nothing when it failed.
std::vector<std::vector<double>> RunTool(const std::string& Program, const std::string& Input) {
    const TCliResult r = RunShell(Program, Input);
    std::vector<std::vector<double>> rows;
    if (r.Status != 0) return rows;
    std::istringstream lines(r.Out);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::vector<double> row;
        for (double v; fields >> v;) row.push_back(v);
        rows.push_back(row);
    }
    return rows;
}

double LengthTolerance(double Metres) { return std::max(1e-9 * Metres, 2e-6); }  // geod prints micrometres

double AngleDiff(double A, double B) { return std::fabs(std::remainder(A - B, 360.0)); }

TEST(Geodesic, PathLegsAgreeWithGeod) {
    // Random legs of every length, and those that are hard for a solver: along the
    // equator, over a pole, across the antimeridian, nearly antipodal, coincident.
    std::vector<TLatLong> path{{0, 0},   {0, 90},       {89.9, 10},       {-89.99, -170}, {-89.99, -170},
                               {10, 179.9}, {-10, -179.95}, {10.5, 0.1}, {-10.4, 179.6}};
    std::mt19937 rng(29);
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
    for (int i = 0; i < 300; ++i) path.push_back({lat(rng), lon(rng)});
    std::string input;
    char line[160];
    for (std::size_t i = 1; i < path.size(); ++i) {
        std::snprintf(line, sizeof line, "%.15g %.15g %.15g %.15g\n", path[i - 1].Lat, path[i - 1].Long, path[i].Lat,
                      path[i].Long);
        input += line;
    }
    const auto ref = RunTool("geod +ellps=WGS84 -I -f %.12f -F %.6f", input);
    if (ref.empty()) GTEST_SKIP() << "geod is not installed";
    ASSERT_EQ(ref.size(), path.size() - 1);

    const TPathMeasure m = MeasurePath(path);
    ASSERT_EQ(m.Bearings.size(), path.size() - 1);
    double total = 0, worst = 0;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        ASSERT_EQ(ref[i].size(), 3u);
        const TGeodesic g = GeodesicInverse(path[i], path[i + 1]);
        const double d = ref[i][2];
        total += d;
        worst = std::max(worst, std::fabs(g.Distance - d));
        EXPECT_NEAR(g.Distance, d, LengthTolerance(d)) << "leg " << i;
        if (d < 1e-3) continue;  // no azimuth to compare between coincident points
        EXPECT_LT(AngleDiff(m.Bearings[i], ref[i][0]), 1e-8) << "leg " << i;
        EXPECT_LT(AngleDiff(g.Azimuth2, ref[i][1] + 180), 1e-8) << "leg " << i;  // geod gives the back azimuth
    }
    EXPECT_NEAR(m.Length, total, LengthTolerance(total));
    std::printf("  %zu legs, %.0f km: largest difference from geod %.3f um\n", path.size() - 1, total / 1e3,
                worst * 1e6);
}

TEST(Geodesic, PolygonAreasAgreeWithClosedFormsAndPlanimeter) {
    const double earth = EllipsoidArea();
    struct TCase {
        const char* Name;
        std::vector<TLatLong> Points;
        double Area;  // 0: from Planimeter
    };
    const std::vector<TCase> cases{
        // the equator is a geodesic, and so are meridians
        {"northern hemisphere", {{0, 0}, {0, 90}, {0, 180}, {0, -90}}, earth / 2},
        {"octant, clockwise", {{0, 0}, {90, 0}, {0, 90}}, earth / 8},
        {"1x1 degree at the equator", {{0, 0}, {0, 1}, {1, 1}, {1, 0}}, 0},
        {"across the antimeridian", {{-16.5, 178.2}, {-17.9, -179.3}, {-19.2, 179.9}, {-18.1, 177.4}}, 0},
        {"high north, concave", {{78.2, 15.1}, {79.9, 11.0}, {79.1, 18.5}, {80.2, 25.0}, {77.5, 24.0}}, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TPolygonMeasure m = MeasurePolygon(c.Points);
        double perimeter = 0;
        for (std::size_t i = 0; i < c.Points.size(); ++i)
            perimeter += GeodesicInverse(c.Points[i], c.Points[(i + 1) % c.Points.size()]).Distance;
        EXPECT_NEAR(m.Perimeter, perimeter, LengthTolerance(perimeter));
        double area = c.Area;
        if (area == 0) {
            std::string input;
            for (const TLatLong& p : c.Points) input += std::to_string(p.Lat) + " " + std::to_string(p.Long) + "\n";
            const auto ref = RunTool("Planimeter -p 6", input);
            if (ref.empty()) GTEST_SKIP() << "Planimeter is not installed";
            ASSERT_EQ(ref.size(), 1u);
            ASSERT_EQ(ref[0].size(), 3u);
            EXPECT_NEAR(m.Perimeter, ref[0][1], LengthTolerance(ref[0][1]));
            area = std::fabs(ref[0][2]);
        }
        EXPECT_NEAR(m.Area, area, 1e-9 * area + 1e-3);
    }
}

TEST(Geodesic, RefusesPositionsOffTheEllipsoid) {
    const double nan = std::nan("");
    for (const TLatLong bad : {TLatLong{90.5, 0}, TLatLong{nan, 0}, TLatLong{0, nan}, TLatLong{0, INFINITY}}) {
        EXPECT_TRUE(std::isnan(GeodesicInverse(bad, {1, 1}).Distance));
        EXPECT_TRUE(std::isnan(MeasurePath(std::vector<TLatLong>{{1, 1}, bad}).Length));
        EXPECT_TRUE(std::isnan(MeasurePolygon(std::vector<TLatLong>{{0, 0}, {1, 1}, bad}).Area));
    }
    // too few vertices enclose nothing
    EXPECT_EQ(MeasurePolygon(std::vector<TLatLong>{{0, 0}, {0, 1}}).Area, 0);
    EXPECT_EQ(MeasurePath(std::vector<TLatLong>{{0, 0}}).Length, 0);
}

}  // namespace
}  // namespace zylcarto::test
