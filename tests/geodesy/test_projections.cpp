#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "zylcarto/geodesy/projections.h"

using namespace zylcarto;

namespace {

constexpr double Deg = std::numbers::pi / 180.0;

std::string Zone(double lat, double lon) { return GeoToUTMZone(lat, lon); }

}  // namespace

TEST(UTMZone, BandsAndNorwaySvalbardExceptions) {
    EXPECT_EQ(Zone(48.2, 16.4), "33U");
    EXPECT_EQ(Zone(60, 5), "32V");
    EXPECT_EQ(Zone(60, 2), "31V");   // west of the widened zone 32
    EXPECT_EQ(Zone(60, 12), "33V");  // its eastern edge belongs to 33
    EXPECT_EQ(Zone(78, 8), "31X");
    EXPECT_EQ(Zone(78, 15), "33X");
    EXPECT_EQ(Zone(78, 25), "35X");
    EXPECT_EQ(Zone(78, 40), "37X");
    EXPECT_EQ(Zone(78, 42), "38X");
    EXPECT_EQ(Zone(84, 0), "31X");
    EXPECT_EQ(Zone(-80, 0), "31C");
    EXPECT_EQ(Zone(0, -180), "1N");
    EXPECT_EQ(Zone(-0.5, 0), "31M");
    EXPECT_EQ(Zone(71.9, 0), "31W");
    EXPECT_EQ(Zone(-45, -70), "19G");
}

TEST(UTMZone, OutsideTheGridGivesZoneZeroAndBlank) {
    for (auto [lat, lon] : {std::pair{84.001, 0.0}, {-80.001, 0.0}, {0.0, 180.5}, {0.0, -180.5}, {NAN, 0.0}}) {
        int zone = -1;
        char letter = '?';
        GeoToUTMZone(lat, lon, zone, letter);
        EXPECT_EQ(zone, 0) << lat << " " << lon;
        EXPECT_EQ(letter, ' ');
        EXPECT_EQ(Zone(lat, lon), "");
    }
    // The last double below 180 still lies in zone 60; 180 itself is the meridian of -180.
    EXPECT_EQ(Zone(0, std::nextafter(180.0, 0.0)), "60N");
    EXPECT_EQ(Zone(0, 180), "1N");
}

TEST(UTMCentralMeridian, ZonesOutsideTheGridGiveZero) {
    EXPECT_EQ(UTMCentralMeridian(0), 0.0);
    EXPECT_EQ(UTMCentralMeridian(61), 0.0);
    EXPECT_DOUBLE_EQ(UTMCentralMeridian(33), 15 * Deg);
    EXPECT_DOUBLE_EQ(UTMCentralMeridian(1), -177 * Deg);
    EXPECT_DOUBLE_EQ(UTMCentralMeridian(60), 177 * Deg);
}

TEST(MeridianArc, QuarterMeridianAndItsInverse) {
    // The WGS 84 quarter meridian is 10001965.729 m.
    EXPECT_NEAR(ArcLengthOfMeridian(std::numbers::pi / 2, gelWGS84), 10001965.729, 1e-3);
    EXPECT_EQ(ArcLengthOfMeridian(0, gelWGS84), 0.0);
    EXPECT_NEAR(ArcLengthOfMeridian(-30 * Deg, gelWGS84), -ArcLengthOfMeridian(30 * Deg, gelWGS84), 1e-9);
    for (double lat = -85; lat <= 85; lat += 5) {
        const double y = ArcLengthOfMeridian(lat * Deg, gelInt24);
        EXPECT_NEAR(FootpointLatitude(gelInt24, y), lat * Deg, 1e-11) << lat;
    }
    // On a sphere the arc is R * phi.
    EXPECT_NEAR(ArcLengthOfMeridian(1.0, gelSphere), 6370997.0, 1e-6);
}

TEST(TransverseMercator, CentralMeridianIsTheMeridianArc) {
    double x = 1, y = 0;
    LatLongToTM(50 * Deg, 9 * Deg, 9 * Deg, gelBess41, x, y);
    EXPECT_EQ(x, 0.0);
    // The projection goes through the conformal latitude, the arc by its own series: 0.1 um apart.
    EXPECT_NEAR(y, ArcLengthOfMeridian(50 * Deg, gelBess41), 1e-7);
    // Symmetric about the central meridian, antisymmetric in latitude.
    double xw, yw, xs, ys;
    LatLongToTM(50 * Deg, 6 * Deg, 9 * Deg, gelBess41, xw, yw);
    LatLongToTM(50 * Deg, 12 * Deg, 9 * Deg, gelBess41, x, y);
    LatLongToTM(-50 * Deg, 12 * Deg, 9 * Deg, gelBess41, xs, ys);
    EXPECT_DOUBLE_EQ(xw, -x);
    EXPECT_DOUBLE_EQ(yw, y);
    EXPECT_DOUBLE_EQ(xs, x);
    EXPECT_DOUBLE_EQ(ys, -y);
}

TEST(UTM, ForcedZoneAndHemisphere) {
    int zone = 0;
    double e = 0, n = 0, e2 = 0, n2 = 0;
    // Inside its own zone the forced form agrees with the plain one.
    LatLongToUTM(48.2, 16.4, gelWGS84, zone, e, n);
    LatLongToUTMInZone(48.2, 16.4, 33, false, gelWGS84, e2, n2);
    EXPECT_EQ(e, e2);
    EXPECT_EQ(n, n2);
    // A point just north of the equator on a southern map keeps counting up from the false northing,
    // and a point east of the zone border keeps its easting growing.
    LatLongToUTMInZone(0.001, 15, 33, true, gelWGS84, e, n);
    EXPECT_GT(n, 10000000.0);
    LatLongToUTMInZone(48.2, 18.5, 33, false, gelWGS84, e, n);
    LatLongToUTM(48.2, 18.5, gelWGS84, zone, e2, n2);
    EXPECT_EQ(zone, 34);
    EXPECT_GT(e, 700000.0);
    double lat = 0, lon = 0;
    UTMToLatLong(e, n, 33, false, gelWGS84, lat, lon);
    EXPECT_NEAR(lat, 48.2, 1e-8);
    EXPECT_NEAR(lon, 18.5, 1e-8);
}

TEST(UTM, KnownPointAndFalseNorthing) {
    int zone = 0;
    double e = 0, n = 0;
    // Vienna and Cape Town, as PROJ's utm gives them.
    LatLongToUTM(48.2, 16.4, gelWGS84, zone, e, n);
    EXPECT_EQ(zone, 33);
    EXPECT_NEAR(e, 604028.2757, 1e-3);
    EXPECT_NEAR(n, 5339477.3311, 1e-3);

    LatLongToUTM(0, 3, gelWGS84, zone, e, n);
    EXPECT_EQ(zone, 31);
    EXPECT_EQ(n, 0.0);
    EXPECT_EQ(e, 500000.0);

    LatLongToUTM(-33.9, 18.4, gelWGS84, zone, e, n);
    EXPECT_EQ(zone, 34);
    EXPECT_GT(n, 0.0);
    EXPECT_LT(n, 10000000.0);
    EXPECT_NEAR(e, 259583.2217, 1e-3);
    EXPECT_NEAR(n, 6245888.0454, 1e-3);

    // Outside the grid: zone 0, projected about Greenwich.
    LatLongToUTM(85, 1, gelWGS84, zone, e, n);
    EXPECT_EQ(zone, 0);
    EXPECT_GT(e, 500000.0);
}

TEST(UTM, RoundTripInsideEachZoneAndOnSpheres) {
    for (auto ell : {gelWGS84, gelInt24, gelClrk80, gelSphere, gelAuthSph, gelInt24AuthSph, gelPopVisSphere}) {
        for (double lat = -79.5; lat < 84; lat += 7.3) {
            for (double lon = -179; lon < 180; lon += 13.7) {
                int zone = 0;
                double e = 0, n = 0, lat2 = 0, lon2 = 0;
                LatLongToUTM(lat, lon, ell, zone, e, n);
                ASSERT_GE(zone, 1);
                UTMToLatLong(e, n, zone, lat < 0, ell, lat2, lon2);
                // 1e-8 degrees is about a millimetre.
                EXPECT_NEAR(lat2, lat, 1e-8) << lat << " " << lon << " " << static_cast<int>(ell);
                EXPECT_NEAR(lon2, lon, 1e-8) << lat << " " << lon << " " << static_cast<int>(ell);
            }
        }
    }
}

TEST(UTM, InverseOfBadZoneUsesGreenwich) {
    double lat = 0, lon = 0;
    UTMToLatLong(500000, 0, 0, false, gelWGS84, lat, lon);
    EXPECT_EQ(lat, 0.0);
    EXPECT_EQ(lon, 0.0);
    UTMToLatLong(500000, 0, 61, false, gelWGS84, lat, lon);
    EXPECT_EQ(lon, 0.0);
}

TEST(UPS, PolesAndExactAxes) {
    double x = 0, y = 0;
    LatLongToUPS(90, 0, gelWGS84, x, y);
    EXPECT_EQ(x, 2000000.0);
    EXPECT_EQ(y, 2000000.0);
    LatLongToUPS(-90, 123, gelWGS84, x, y);
    EXPECT_EQ(x, 2000000.0);
    EXPECT_EQ(y, 2000000.0);

    LatLongToUPS(87, 90, gelWGS84, x, y);
    EXPECT_EQ(y, 2000000.0);
    EXPECT_GT(x, 2000000.0);
    LatLongToUPS(87, -90, gelWGS84, x, y);
    EXPECT_EQ(y, 2000000.0);
    EXPECT_LT(x, 2000000.0);

    // 180 is taken as -180: on the grid's Y axis, away from the pole in the north.
    double x180, y180;
    LatLongToUPS(87, 180, gelWGS84, x180, y180);
    EXPECT_EQ(x180, 2000000.0);
    EXPECT_GT(y180, 2000000.0);
    LatLongToUPS(87, -180, gelWGS84, x, y);
    EXPECT_EQ(x, x180);
    EXPECT_EQ(y, y180);
    LatLongToUPS(87, 540, gelWGS84, x, y);  // one turn is normalised away
    EXPECT_EQ(x, 2000000.0);

    // Longitude 0 points to the south in the north, to the north in the south.
    LatLongToUPS(87, 0, gelWGS84, x, y);
    EXPECT_LT(y, 2000000.0);
    LatLongToUPS(-87, 0, gelWGS84, x, y);
    EXPECT_GT(y, 2000000.0);
}

TEST(UPS, ScaleAtThePoleIsPointNineNineFour) {
    // Close to the pole the grid distance is 0.994 times the geodesic distance;
    // on the sphere that is R * colatitude.
    double x = 0, y = 0;
    LatLongToUPS(89.999, 0, gelSphere, x, y);
    EXPECT_NEAR(2000000.0 - y, 0.994 * 6370997.0 * 0.001 * Deg, 1e-6);
}

TEST(UPS, RoundTripBothPolesAndSpheres) {
    for (auto ell : {gelWGS84, gelInt24, gelSphere, gelAuthSph}) {
        for (double lat : {84.0, 86.5, 89.9, -80.0, -85.0, -89.99}) {
            for (double lon = -175; lon < 180; lon += 17.5) {  // -180 comes back as 180
                double x = 0, y = 0, lat2 = 0, lon2 = 0;
                LatLongToUPS(lat, lon, ell, x, y);
                UPSToLatLong(x, y, lat < 0, ell, lat2, lon2);
                EXPECT_NEAR(lat2, lat, 1e-10) << lat << " " << lon;
                EXPECT_NEAR(lon2, lon, 1e-10) << lat << " " << lon;
            }
        }
    }
    double lat = 0, lon = 0;
    UPSToLatLong(2000000, 2000000, false, gelWGS84, lat, lon);
    EXPECT_EQ(lat, 90.0);
    UPSToLatLong(2000000, 2000000, true, gelWGS84, lat, lon);
    EXPECT_EQ(lat, -90.0);
}

TEST(UTM, InverseAtAndAcrossThePoles) {
    // Northings of the pole and just beyond it, with their southern twins: the answer
    // is the point over the pole (PROJ's utm), never one of the other hemisphere.
    const double pole = 0.9996 * 10001965.729;
    struct Case {
        double easting, northing;
        bool south;
        double lat, lon;
    } const cases[] = {{500000, pole, false, 90, 3},
                       {500000, 1e7 - pole, true, -90, 3},
                       {500001, 9997965, false, 89.999991029, 96.2611302},
                       {500001, 2035, true, -89.999991029, 96.2611302},
                       {500000, pole + 1, false, 89.999991046, -177}};
    for (const Case& c : cases) {
        double lat = 0, lon = 0;
        EXPECT_TRUE(UTMToLatLong(c.easting, c.northing, 31, c.south, gelWGS84, lat, lon)) << c.northing;
        EXPECT_NEAR(lat, c.lat, 1e-8) << c.northing;
        if (std::fabs(c.lat) < 90) {
            EXPECT_NEAR(lon, c.lon, 1e-4) << c.northing;  // 1e-4 deg is 0.002 mm here
        }
    }
}

TEST(TransverseMercator, RefusedBeyondTheRangeOfTheSeries) {
    // One rectifying radius (6367 km on WGS 84) from the meridian: 49.6 deg of longitude on the equator.
    double x = 0, y = 0, phi = 0, lambda = 0;
    EXPECT_TRUE(LatLongToTM(0, 49 * Deg, 0, gelWGS84, x, y));
    EXPECT_TRUE(TMToLatLong(x, y, 0, gelWGS84, phi, lambda));
    EXPECT_NEAR(lambda, 49 * Deg, 1e-12);
    EXPECT_FALSE(LatLongToTM(0, 50 * Deg, 0, gelWGS84, x, y));
    EXPECT_TRUE(std::isnan(x) && std::isnan(y));
    EXPECT_FALSE(TMToLatLong(6.4e6, 0, 0, gelWGS84, phi, lambda));
    EXPECT_TRUE(std::isnan(phi) && std::isnan(lambda));
    EXPECT_FALSE(TMToLatLong(0, 4.1e7, 0, gelWGS84, phi, lambda));  // more than half a turn of the meridian
    // Every longitude of a polar cap is in range, across the pole too.
    EXPECT_TRUE(LatLongToTM(41 * Deg, 90 * Deg, 0, gelWGS84, x, y));
    EXPECT_TRUE(LatLongToTM(-89 * Deg, 180 * Deg, 0, gelWGS84, x, y));
    EXPECT_TRUE(TMToLatLong(x, y, 0, gelWGS84, phi, lambda));
    EXPECT_NEAR(phi, -89 * Deg, 1e-12);
    EXPECT_NEAR(std::fabs(lambda), 180 * Deg, 1e-12);
}

TEST(UTM, LongitudesStayWithinTheTurn) {
    double lat = 0, lon = 0;
    // East of zone 60 lies west of the antimeridian.
    EXPECT_TRUE(UTMToLatLong(900000, 0, 60, false, gelWGS84, lat, lon));
    EXPECT_NEAR(lon, -179.407672797, 1e-9);
    EXPECT_TRUE(UTMToLatLong(100000, 0, 1, false, gelWGS84, lat, lon));
    EXPECT_NEAR(lon, 179.407672797, 1e-9);
    // 180 is the meridian of -180: zone 1, the same grid position.
    int zone = 0, zone2 = 0;
    double e = 0, n = 0, e2 = 0, n2 = 0;
    EXPECT_TRUE(LatLongToUTM(10, 180, gelWGS84, zone, e, n));
    EXPECT_TRUE(LatLongToUTM(10, -180, gelWGS84, zone2, e2, n2));
    EXPECT_EQ(zone, 1);
    EXPECT_EQ(zone2, 1);
    EXPECT_EQ(e, e2);
    EXPECT_EQ(n, n2);
}

TEST(UTM, ForcedZoneReachesHalfAMillionMetres) {
    double e = 0, n = 0;
    struct Case {
        double lat, lon;
        int zone;
        bool ok;
    } const cases[] = {{50, 20, 33, true},   {50, 30, 33, false}, {-50, 10, 33, true},   {0, 19.4, 33, true},
                       {0, 19.6, 33, false}, {84, 40, 33, true},  {84.5, 15, 33, false}, {-80.5, 15, 33, false},
                       {10, -179, 60, true}, {10, 15, 0, false},  {10, 15, 61, false},   {NAN, 15, 33, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(LatLongToUTMForced(c.lat, c.lon, c.zone, gelWGS84, e, n), c.ok) << c.lat << " " << c.lon;
        EXPECT_EQ(std::isfinite(e) && std::isfinite(n), c.ok);
        if (c.ok) {
            EXPECT_LE(std::fabs(e - 500000), 500000);
        }
    }
    // Inside the zone's own area the forced form is the plain one.
    int zone = 0;
    double e2 = 0, n2 = 0;
    LatLongToUTM(-33.9, 18.4, gelWGS84, zone, e2, n2);
    EXPECT_TRUE(LatLongToUTMForced(-33.9, 18.4, zone, gelWGS84, e, n));
    EXPECT_EQ(e, e2);
    EXPECT_EQ(n, n2);
}

TEST(TransverseMercator, ParametersAreChecked) {
    TTransverseMercator p = TransverseMercatorOn(gelBess41);
    EXPECT_TRUE(IsValidTransverseMercator(p));
    EXPECT_EQ(p.SemiMajor, 6377397.155);
    const auto invalid = [](auto change) {
        TTransverseMercator q;
        change(q);
        double e = 0, n = 0, lat = 0, lon = 0;
        return !IsValidTransverseMercator(q) && !GeoToTM(q, 10, 10, e, n) && std::isnan(e) &&
               !TMToGeo(q, 0, 0, lat, lon) && std::isnan(lat);
    };
    EXPECT_TRUE(invalid([](auto& q) { q.RecipFlattening = 100; }));
    EXPECT_TRUE(invalid([](auto& q) { q.RecipFlattening = -300; }));
    EXPECT_TRUE(invalid([](auto& q) { q.SemiMajor = 0; }));
    EXPECT_TRUE(invalid([](auto& q) { q.Scale = 0; }));
    EXPECT_TRUE(invalid([](auto& q) { q.CentralMeridian = 181; }));
    EXPECT_TRUE(invalid([](auto& q) { q.OriginLatitude = NAN; }));
    EXPECT_TRUE(invalid([](auto& q) { q.FalseNorthing = INFINITY; }));
    // The origin maps to the false origin; input out of range has no answer.
    p.CentralMeridian = 5.387638889;
    p.OriginLatitude = 52.156160556;
    p.Scale = 0.9999079;
    p.FalseEasting = 155000;
    p.FalseNorthing = 463000;
    double e = 0, n = 0;
    EXPECT_TRUE(GeoToTM(p, 52.156160556, 5.387638889, e, n));
    EXPECT_NEAR(e, 155000, 1e-9);
    EXPECT_NEAR(n, 463000, 1e-9);
    EXPECT_TRUE(GeoToTM(p, 52, 5, e, n));  // cct: tmerc of Amersfoort's parameters
    EXPECT_NEAR(e, 128383.4848, 1e-4);
    EXPECT_NEAR(n, 445698.7396, 1e-4);
    EXPECT_FALSE(GeoToTM(p, 90.5, 5, e, n));
    EXPECT_FALSE(GeoToTM(p, 52, 180.5, e, n));
}
