// UTM, UPS and geocentric conversions against GeographicLib on WGS 84. The
// limits are the accuracy the geodesy headers promise; the largest differences
// are printed so that the margin is seen.
#include <gtest/gtest.h>

#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/TransverseMercator.hpp>
#include <GeographicLib/UTMUPS.hpp>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>

#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/projections.h"

using namespace zylcarto;

namespace {

constexpr double Deg = std::numbers::pi / 180.0;
constexpr double MetresPerDegree = 6378137.0 * Deg;

// Distance in metres between two nearby geographic positions.
double GroundDistance(double lat1, double lon1, double lat2, double lon2) {
    return MetresPerDegree * std::hypot(lat2 - lat1, std::remainder(lon2 - lon1, 360.0) * std::cos(lat1 * Deg));
}

struct Worst {
    double forward = 0, inverse = 0;
    void Add(double f, double i) {
        forward = std::max(forward, f);
        inverse = std::max(inverse, i);
    }
    void Print(const char* what) const {
        std::printf("  %-44s forward %10.6f mm   inverse %10.6f mm\n", what, forward * 1e3, inverse * 1e3);
    }
};

// Transverse Mercator with the UTM scale about an arbitrary central meridian:
// the points of a zone, wherever they lie.
Worst CompareTM(double minOffset, double maxOffset, double minLat, double maxLat, int count, unsigned seed) {
    const auto& tm = GeographicLib::TransverseMercator::UTM();
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> lat(minLat, maxLat), off(minOffset, maxOffset), sign(-1, 1);
    Worst w;
    for (int i = 0; i < count; ++i) {
        const int zone = 1 + i % 60;
        const double lon0 = 6.0 * zone - 183.0;
        const double la = lat(rng), dl = off(rng) * (sign(rng) < 0 ? -1 : 1);
        double x, y, gamma, k;
        tm.Forward(lon0, la, lon0 + dl, x, y, gamma, k);
        double ours_x, ours_y;
        LatLongToTM(la * Deg, (lon0 + dl) * Deg, lon0 * Deg, gelWGS84, ours_x, ours_y);
        const double fwd = 0.9996 * std::hypot(ours_x - x / 0.9996, ours_y - y / 0.9996);
        double phi, lambda;
        TMToLatLong(x / 0.9996, y / 0.9996, lon0 * Deg, gelWGS84, phi, lambda);
        w.Add(fwd, GroundDistance(la, lon0 + dl, phi / Deg, lambda / Deg));
    }
    return w;
}

}  // namespace

TEST(ReferenceGeographicLib, UTMInsideEachStandardZone) {
    std::mt19937 rng(20240601);
    std::uniform_real_distribution<double> lat(-80, 84), off(-3, 3);
    Worst w;
    int compared = 0;
    for (int zone = 1; zone <= 60; ++zone) {
        const double lon0 = 6.0 * zone - 183.0;
        for (int i = 0; i < 400; ++i) {
            const double la = lat(rng);
            // Keep to the standard 6-degree zones (Norway and Svalbard are measured below).
            const double lo = std::clamp(lon0 + off(rng), lon0 - 3.0, std::nextafter(lon0 + 3.0, 0.0));
            int ourZone = 0;
            double e, n;
            LatLongToUTM(la, lo, gelWGS84, ourZone, e, n);
            if (ourZone != zone) continue;
            int gZone;
            bool northp;
            double x, y;
            GeographicLib::UTMUPS::Forward(la, lo, gZone, northp, x, y, zone);
            ASSERT_EQ(northp, la >= 0);
            const double fwd = std::hypot(e - x, n - y);
            double la2, lo2;
            UTMToLatLong(x, y, zone, !northp, gelWGS84, la2, lo2);
            const double inv = GroundDistance(la, lo, la2, lo2);
            EXPECT_LT(fwd, 0.02e-3) << la << " " << lo;
            EXPECT_LT(inv, 0.005e-3) << la << " " << lo;
            w.Add(fwd, inv);
            ++compared;
        }
    }
    EXPECT_GT(compared, 20000);
    std::printf("UTM against GeographicLib (WGS 84, %d points):\n", compared);
    w.Print("standard zones, within 3 deg of the meridian");
}

TEST(ReferenceGeographicLib, LimitsOfTheSeriesAwayFromTheMeridian) {
    // How far the series stays useful: the figures the projection header states.
    struct Band {
        const char* what;
        double minOffset, maxOffset, minLat, maxLat;
        int count;
        unsigned seed;
        double forwardLimit, inverseLimit;  // metres
    };
    const Band bands[] = {
        {"0..3 deg from the meridian", 0, 3, -80, 84, 20000, 1, 0.02e-3, 0.005e-3},
        {"Norway zone 32 (3..6 deg west, 56..64 N)", 3, 6, 56, 64, 5000, 2, 0.02e-3, 0.5e-3},
        {"Svalbard zones (3..6 deg, 72..84 N)", 3, 6, 72, 84, 5000, 3, 0.02e-3, 0.5e-3},
        {"6 deg from the meridian, -80..84", 5.999, 6, -80, 84, 5000, 4, 1e-3, 1e-3},
        {"9 deg from the meridian, -80..84", 8.999, 9, -80, 84, 5000, 5, 15e-3, 15e-3},
        {"9 deg from the meridian, -30..30", 8.999, 9, -30, 30, 5000, 6, 15e-3, 15e-3},
    };
    std::printf("Transverse Mercator series against GeographicLib (WGS 84):\n");
    for (const Band& b : bands) {
        const Worst w = CompareTM(b.minOffset, b.maxOffset, b.minLat, b.maxLat, b.count, b.seed);
        w.Print(b.what);
        EXPECT_LT(w.forward, b.forwardLimit) << b.what;
        EXPECT_LT(w.inverse, b.inverseLimit) << b.what;
    }
}

TEST(ReferenceGeographicLib, UPSBeyondTheUTMArea) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> north(84, 90), south(-90, -80), lon(-180, 180);
    Worst w;
    for (int i = 0; i < 20000; ++i) {
        const double la = i % 2 ? north(rng) : south(rng), lo = lon(rng);
        int zone;
        bool northp;
        double x, y;
        GeographicLib::UTMUPS::Forward(la, lo, zone, northp, x, y, GeographicLib::UTMUPS::UPS);
        double ox, oy, la2, lo2;
        LatLongToUPS(la, lo, gelWGS84, ox, oy);
        UPSToLatLong(x, y, !northp, gelWGS84, la2, lo2);
        const double fwd = std::hypot(ox - x, oy - y), inv = GroundDistance(la, lo, la2, lo2);
        EXPECT_LT(fwd, 0.0001e-3) << la << " " << lo;
        EXPECT_LT(inv, 0.0001e-3) << la << " " << lo;
        w.Add(fwd, inv);
    }
    std::printf("UPS against GeographicLib (WGS 84):\n");
    w.Print("84..90 N and 80..90 S");
}

TEST(ReferenceGeographicLib, GeocentricBothWays) {
    const auto& g = GeographicLib::Geocentric::WGS84();
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180), h(-10000, 20000);
    Worst w;
    for (int i = 0; i < 50000; ++i) {
        const double la = lat(rng), lo = lon(rng), he = h(rng);
        double x, y, z, ox, oy, oz;
        g.Forward(la, lo, he, x, y, z);
        GeoToCartesian(la, lo, he, gelWGS84, ox, oy, oz);
        double la2, lo2, h2;
        CartesianToGeo(x, y, z, gelWGS84, la2, lo2, h2);
        const double fwd = std::hypot(ox - x, oy - y, oz - z);
        const double inv = std::hypot(GroundDistance(la, lo, la2, lo2), h2 - he);
        EXPECT_LT(fwd, 0.001e-3) << la << " " << lo << " " << he;
        EXPECT_LT(inv, 0.002e-3) << la << " " << lo << " " << he;
        w.Add(fwd, inv);
    }
    std::printf("Geocentric against GeographicLib (WGS 84):\n");
    w.Print("heights -10 km..20 km");
    // The closed form far from the surface.
    Worst far;
    for (int i = 0; i < 5000; ++i) {
        const double la = lat(rng), lo = lon(rng), he = 1e6;
        double x, y, z, la2, lo2, h2;
        g.Forward(la, lo, he, x, y, z);
        CartesianToGeo(x, y, z, gelWGS84, la2, lo2, h2);
        far.Add(0, std::hypot(GroundDistance(la, lo, la2, lo2), h2 - he));
    }
    far.Print("inverse at 1000 km height");
    EXPECT_LT(far.inverse, 0.001e-3);
}
