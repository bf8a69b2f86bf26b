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
