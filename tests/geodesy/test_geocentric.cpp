#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/geocentric.h"

using namespace zylcarto;

namespace {

struct Geo {
    double lat, lon, h;
};

Geo ToGeo(double x, double y, double z, TGeoEllipsoid e) {
    Geo g{};
    CartesianToGeo(x, y, z, e, g.lat, g.lon, g.h);
    return g;
}

// 1e-9 degrees is about 0.1 mm.
void ExpectSamePlace(Geo a, Geo b, double degrees = 1e-9, double metres = 1e-4) {
    EXPECT_NEAR(a.lat, b.lat, degrees);
    EXPECT_NEAR(a.lon, b.lon, degrees);
    EXPECT_NEAR(a.h, b.h, metres);
}

}  // namespace

TEST(Geocentric, AxesOfTheEllipsoid) {
    const double a = EllipsoidAxes(gelWGS84).a, b = EllipsoidAxes(gelWGS84).b;
    double x, y, z;
    GeoToCartesian(0, 0, 0, gelWGS84, x, y, z);
    EXPECT_DOUBLE_EQ(x, a);
    EXPECT_EQ(y, 0.0);
    EXPECT_EQ(z, 0.0);
    GeoToCartesian(90, 0, 100, gelWGS84, x, y, z);
    EXPECT_NEAR(z, b + 100, 1e-6);
    EXPECT_NEAR(x, 0.0, 1e-6);

    Geo g = ToGeo(0, a, 0, gelWGS84);
    EXPECT_DOUBLE_EQ(g.lon, 90.0);
    EXPECT_NEAR(g.lat, 0.0, 1e-12);
    EXPECT_NEAR(g.h, 0.0, 1e-6);
    g = ToGeo(-a, 0, 0, gelWGS84);
    EXPECT_DOUBLE_EQ(g.lon, 180.0);
    g = ToGeo(a + 250, 0, 0, gelWGS84);
    EXPECT_NEAR(g.h, 250.0, 1e-6);
}

TEST(Geocentric, PolarAxisGivesThePoleNotNaN) {
    const double b = EllipsoidAxes(gelInt24).b;
    Geo g = ToGeo(0, 0, b + 42, gelInt24);
    EXPECT_EQ(g.lat, 90.0);
    EXPECT_EQ(g.lon, 0.0);
    EXPECT_NEAR(g.h, 42.0, 1e-9);
    g = ToGeo(0, 0, -b + 10, gelInt24);
    EXPECT_EQ(g.lat, -90.0);
    EXPECT_NEAR(g.h, -10.0, 1e-9);
    g = ToGeo(0, 0, 0, gelInt24);
    EXPECT_FALSE(std::isnan(g.lat) || std::isnan(g.h));
}

TEST(Geocentric, RoundTripOnEllipsoidsAndSpheres) {
    for (auto e :
         {gelWGS84, gelClrk80, gelBess41, gelAiry30, gelSphere, gelAuthSph, gelInt24AuthSph, gelPopVisSphere}) {
        for (double lat = -89.5; lat <= 89.5; lat += 11.9) {
            for (double lon = -179; lon <= 180; lon += 37.3) {
                for (double h : {-400.0, 0.0, 1234.5, 9000.0}) {
                    double x, y, z;
                    GeoToCartesian(lat, lon, h, e, x, y, z);
                    ExpectSamePlace(ToGeo(x, y, z, e), {lat, lon, h});
                }
            }
        }
    }
    // On a sphere the height is the distance from the centre less the radius.
    Geo g = ToGeo(3000000, 4000000, 12000000, gelSphere);
    EXPECT_NEAR(g.h, 13000000.0 - 6370997.0, 1e-6);
    EXPECT_NEAR(g.lat, std::atan2(12.0, 5.0) * 180 / 3.14159265358979323846, 1e-12);
}

TEST(Helmert, SameDatumIsTheIdentity) {
    double lat, lon, h;
    EXPECT_EQ(HelmertTransform(269, 47.5, 8.25, 400, 269, lat, lon, h), htOK);
    ExpectSamePlace({lat, lon, h}, {47.5, 8.25, 400});
    // A seven-parameter datum and back: the first-order inverse leaves about a
    // centimetre (the rotations act on the translated point).
    double lat2, lon2, h2;
    EXPECT_EQ(HelmertTransform(217, 50.0, 10.0, 300, 269, lat, lon, h), htOK);
    EXPECT_EQ(HelmertTransform(269, lat, lon, h, 217, lat2, lon2, h2), htOK);
    ExpectSamePlace({lat2, lon2, h2}, {50.0, 10.0, 300}, 3e-7, 0.02);
}

TEST(Helmert, RoundTripThroughWGS84OfEveryDatum) {
    // The round-trip figures the header states: exact but for rounding with a
    // translation only, the first-order inverse's residue with rotations, and
    // exact but for rounding on every row with the exact inverse.
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> lat(-80, 80), lon(-180, 180), height(-100, 3000);
    double worstTranslation = 0, worstRotation = 0, worstExact = 0;
    for (int n = 1; n <= GeoDatumCount; ++n) {
        const TGeoDatum& d = GeoDatumData[n];
        const bool translationOnly = d.Scale == 0 && d.RotX == 0 && d.RotY == 0 && d.RotZ == 0;
        for (int i = 0; i < 20; ++i) {
            const double la = lat(rng), lo = lon(rng), h = height(rng);
            double la1, lo1, h1, la2, lo2, h2;
            ASSERT_EQ(HelmertTransform(n, la, lo, h, GeoDatumWGS84, la1, lo1, h1), htOK);
            ASSERT_EQ(HelmertTransform(GeoDatumWGS84, la1, lo1, h1, n, la2, lo2, h2), htOK);
            const auto dist = [&](double la2, double lo2, double h2) {
                const double metresPerDegree = 6378137.0 * 3.14159265358979323846 / 180.0;
                return std::hypot(metresPerDegree * (la2 - la),
                                  metresPerDegree * (lo2 - lo) * std::cos(la * 3.14159265358979323846 / 180.0), h2 - h);
            };
            double& worst = translationOnly ? worstTranslation : worstRotation;
            worst = std::max(worst, dist(la2, lo2, h2));
            ASSERT_EQ(HelmertTransformExact(GeoDatumWGS84, la1, lo1, h1, n, la2, lo2, h2), htOK);
            worstExact = std::max(worstExact, dist(la2, lo2, h2));
        }
    }
    EXPECT_LT(worstTranslation, 0.004e-3);
    EXPECT_LT(worstRotation, 65e-3);
    EXPECT_GT(worstRotation, 1e-3);  // the inverse is first-order, not exact
    EXPECT_LT(worstExact, 0.004e-3);
}

TEST(Helmert, WGS72ToWGS84MovesMainlyInZ) {
    double x1, y1, z1, x2, y2, z2, lat, lon, h;
    const double la = 30, lo = -60, he = 100;
    GeoToCartesian(la, lo, he, gelWGS72, x1, y1, z1);
    EXPECT_EQ(HelmertTransform(GeoDatumWGS72, la, lo, he, GeoDatumWGS84, lat, lon, h), htOK);
    GeoToCartesian(lat, lon, h, gelWGS84, x2, y2, z2);
    const double s = 0.219e-6, rz = 0.554 / 3600 * 3.14159265358979323846 / 180;
    EXPECT_NEAR(x2 - x1, s * x1 - y1 * rz, 1e-5);
    EXPECT_NEAR(y2 - y1, s * y1 + x1 * rz, 1e-5);
    EXPECT_NEAR(z2 - z1, 4.5 + s * z1, 1e-5);
}

TEST(Helmert, OrdnanceSurveyTextbookPoint) {
    // OSGB36 to WGS 84 at the Ordnance Survey's worked example (Caister water
    // tower): about 45 m north and 125 m west.
    double lat, lon, h;
    EXPECT_EQ(HelmertTransform(183, 52.65757, 1.71792, 24.7, 269, lat, lon, h), htOK);
    EXPECT_NEAR(lat, 52.65798, 2e-5);
    EXPECT_NEAR(lon, 1.71604, 2e-5);
}

TEST(Helmert, StatusCodesAndTheirOrder) {
    double lat = 1, lon = 2, h = 3;
    // A bad latitude is reported, and the shift is still done.
    EXPECT_EQ(HelmertTransform(268, 95, 10, 0, 269, lat, lon, h), htBadLatitude);
    EXPECT_FALSE(std::isnan(lat));
    EXPECT_NE(lon, 10.0);
    EXPECT_EQ(HelmertTransform(268, 10, 190, 0, 269, lat, lon, h), htBadLongitude);
    EXPECT_EQ(HelmertTransform(268, 95, 190, 0, 269, lat, lon, h), htBadLongitude);
    EXPECT_EQ(HelmertTransform(269, 10, 10, 0, 0, lat, lon, h), htBadDestDatum);
    EXPECT_EQ(HelmertTransform(0, 10, 10, 0, 272, lat, lon, h), htBadDestDatum);

    // Without a source row there is nothing to shift: the outputs are the inputs.
    EXPECT_EQ(HelmertTransform(0, 95, 10, 5, 269, lat, lon, h), htBadLatitude);
    EXPECT_EQ(lat, 95.0);
    EXPECT_EQ(lon, 10.0);
    EXPECT_EQ(h, 5.0);
    EXPECT_EQ(HelmertTransform(272, 45, 10, 5, 269, lat, lon, h), htBadSourceDatum);
    EXPECT_EQ(lat, 45.0);
    EXPECT_EQ(HelmertTransform(269, 45, 11, 6, -3, lat, lon, h), htBadDestDatum);
    EXPECT_EQ(lon, 11.0);
    EXPECT_EQ(h, 6.0);
    EXPECT_EQ(HelmertTransform(269, NAN, 0, 0, 269, lat, lon, h), htBadLatitude);
    // A height that is no number spoils the position as much as such a latitude.
    EXPECT_EQ(HelmertTransform(217, 50, 10, NAN, 269, lat, lon, h), htBadLatitude);
    EXPECT_EQ(HelmertTransform(217, 50, 10, INFINITY, 269, lat, lon, h), htBadLatitude);
    EXPECT_EQ(HelmertTransform(217, 50, 190, NAN, 269, lat, lon, h), htBadLongitude);
    // The exact inverse shares the checks.
    EXPECT_EQ(HelmertTransformExact(0, 95, 10, 5, 269, lat, lon, h), htBadLatitude);
    EXPECT_EQ(lat, 95.0);
    EXPECT_EQ(HelmertTransformExact(269, 45, 10, 5, 272, lat, lon, h), htBadDestDatum);
}
