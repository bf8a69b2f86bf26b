// UTM, UPS, MGRS and geocentric conversions against GeographicLib on WGS 84. The
// limits are the accuracy the geodesy headers promise; the largest differences
// are printed so that the margin is seen.
#include <gtest/gtest.h>

#include <GeographicLib/GeoCoords.hpp>
#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/MGRS.hpp>
#include <GeographicLib/TransverseMercator.hpp>
#include <GeographicLib/TransverseMercatorExact.hpp>
#include <GeographicLib/UTMUPS.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/mgrs.h"
#include "zylcarto/geodesy/projections.h"

using namespace zylcarto;

namespace {

constexpr double Deg = std::numbers::pi / 180.0;
constexpr double MetresPerDegree = 6378137.0 * Deg;

// Distance in metres between two nearby geographic positions.
double GroundDistance(double lat1, double lon1, double lat2, double lon2) {
    return MetresPerDegree * std::hypot(lat2 - lat1, std::remainder(lon2 - lon1, 360.0) * std::cos(lat1 * Deg));
}

// Chord in metres between two positions, also across a pole or the antimeridian.
double Chord(double lat1, double lon1, double lat2, double lon2) {
    const auto unit = [](double la, double lo) {
        return std::array<double, 3>{std::cos(la * Deg) * std::cos(lo * Deg), std::cos(la * Deg) * std::sin(lo * Deg),
                                     std::sin(la * Deg)};
    };
    const auto a = unit(lat1, lon1), b = unit(lat2, lon2);
    return 6378137.0 * std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

// The centre of the square a reference names, as GeoConvert reads it; false when refused.
bool GeoConvertCentre(const std::string& mgrs, double& lat, double& lon) {
    try {
        const GeographicLib::GeoCoords c(mgrs, true);
        lat = c.Latitude();
        lon = c.Longitude();
        return true;
    } catch (const GeographicLib::GeographicErr&) {
        return false;
    }
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

TEST(ReferenceGeographicLib, TransverseMercatorOverItsWholeRange) {
    // Against the exact projection over the whole range the header states, with
    // the origin, scale and false origin of each case; a user ellipsoid as flat as
    // allowed keeps the millimetre.
    struct Case {
        const char* what;
        TTransverseMercator p;
        double limit;  // metres
    };
    TTransverseMercator bessel = TransverseMercatorOn(gelBess41);
    bessel.CentralMeridian = 10.3333;
    bessel.OriginLatitude = -33;
    bessel.Scale = 0.9998;
    bessel.FalseEasting = 3500000;
    bessel.FalseNorthing = 10000;
    TTransverseMercator flat;
    flat.SemiMajor = 3396190;
    flat.RecipFlattening = TMMinRecipFlattening;
    flat.CentralMeridian = 170;
    const Case cases[] = {{"WGS 84", TransverseMercatorOn(gelWGS84), 0.01e-3},
                          {"Bessel, origin -33 10.3333, k0 0.9998", bessel, 0.01e-3},
                          {"a 3396190 m, 1/f 150", flat, 1e-3}};
    std::mt19937 rng(12);
    std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
    std::printf("Transverse Mercator against GeographicLib's exact projection:\n");
    for (const Case& c : cases) {
        const double a = c.p.SemiMajor, f = c.p.RecipFlattening == 0 ? 0 : 1 / c.p.RecipFlattening;
        const GeographicLib::TransverseMercatorExact exact(a, f, c.p.Scale);
        double x0, y0;
        exact.Forward(c.p.CentralMeridian, c.p.OriginLatitude, c.p.CentralMeridian, x0, y0);
        Worst w;
        int answered = 0, refused = 0;
        for (int i = 0; i < 20000; ++i) {
            const double la = lat(rng), lo = lon(rng);
            double e, n, la2, lo2;
            if (!GeoToTM(c.p, la, lo, e, n)) {
                // refused only beyond one rectifying radius from the meridian
                double x, y;
                exact.Forward(c.p.CentralMeridian, la, lo, x, y);
                EXPECT_GT(std::fabs(x), 0.99 * c.p.Scale * a * (1 - f / 2)) << la << " " << lo;
                ++refused;
                continue;
            }
            double x, y;
            exact.Forward(c.p.CentralMeridian, la, lo, x, y);
            x += c.p.FalseEasting;
            y += c.p.FalseNorthing - y0;
            ASSERT_TRUE(TMToGeo(c.p, x, y, la2, lo2)) << la << " " << lo;
            const double inv = (a / 6378137.0) * GroundDistance(la, lo, la2, lo2);
            w.Add(std::hypot(e - x, n - y), std::fabs(la) > 89.99999 ? std::fabs(la2 - la) * a * Deg : inv);
            ++answered;
        }
        w.Print(c.what);
        EXPECT_LT(w.forward, c.limit) << c.what;
        EXPECT_LT(w.inverse, c.limit) << c.what;
        EXPECT_GT(answered, 10000);
        EXPECT_GT(refused, 1000);
    }
}

TEST(ReferenceGeographicLib, ForcedZonesAsGeoConvert) {
    // GeoConvert -z ZONE is UTMUPS::Forward with a zone set: the same answer, and
    // refused where it refuses, within the UTM latitudes.
    std::mt19937 rng(13);
    std::uniform_real_distribution<double> lat(-80, 84), off(-40, 40);
    Worst w;
    int answered = 0, refused = 0;
    for (int i = 0; i < 20000; ++i) {
        const int zone = 1 + i % 60;
        const double la = lat(rng), lo = std::remainder(6.0 * zone - 183 + off(rng), 360.0);
        double e, n;
        const bool ours = LatLongToUTMForced(la, lo, zone, gelWGS84, e, n);
        int z;
        bool northp;
        double x, y;
        bool theirs = true;
        try {
            GeographicLib::UTMUPS::Forward(la, lo, z, northp, x, y, zone);
        } catch (const GeographicLib::GeographicErr&) {
            theirs = false;
        }
        ASSERT_EQ(ours, theirs) << la << " " << lo << " zone " << zone;
        if (!ours) {
            ++refused;
            continue;
        }
        double la2, lo2;
        ASSERT_TRUE(UTMToLatLong(x, y, zone, !northp, gelWGS84, la2, lo2));
        w.Add(std::hypot(e - x, n - y), GroundDistance(la, lo, la2, lo2));
        ++answered;
    }
    std::printf("Forced UTM zones against GeographicLib's UTMUPS (%d answered, %d refused):\n", answered, refused);
    w.Print("up to 40 deg from the zone's meridian");
    EXPECT_LT(w.forward, 0.001e-3);
    EXPECT_LT(w.inverse, 0.001e-3);
    EXPECT_GT(answered, 3000);
    EXPECT_GT(refused, 3000);
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

TEST(ReferenceGeographicLib, MGRSOfRandomPointsOverTheGlobe) {
    // Half the points uniform over the sphere, half uniform in latitude for the polar caps.
    std::mt19937 rng(31);
    std::uniform_real_distribution<double> unit(-1, 1), lon(-180, 180);
    std::uniform_int_distribution<int> precision(0, 5);
    int compared = 0, straddling = 0;
    double worstCentre = 0;
    for (int i = 0; i < 40000; ++i) {
        const double la = i % 2 ? std::asin(unit(rng)) / Deg : 90 * unit(rng), lo = lon(rng);
        const int p = precision(rng);
        std::string ours, theirs;
        ASSERT_EQ(LatLongToMGRS(la, lo, gelWGS84, p, ours), mgrsOK) << la << " " << lo;
        int zone;
        bool northp;
        double x, y;
        GeographicLib::UTMUPS::Forward(la, lo, zone, northp, x, y);
        GeographicLib::MGRS::Forward(zone, northp, x, y, la, p, theirs);
        if (ours != theirs) {
            // Truncation may fall either way where the projections differ by a hair across a digit.
            const double step = std::pow(10.0, 5 - p), fx = std::fmod(x, step), fy = std::fmod(y, step);
            EXPECT_LT(std::min({fx, step - fx, fy, step - fy}), 1e-4)
                << la << " " << lo << ": " << ours << " " << theirs;
            ++straddling;
            continue;
        }
        double lat2, lon2, glat, glon;
        int p2 = -1;
        ASSERT_EQ(MGRSToLatLong(ours, gelWGS84, lat2, lon2, p2), mgrsOK) << ours;
        ASSERT_TRUE(GeoConvertCentre(ours, glat, glon)) << ours;
        EXPECT_EQ(p2, p);
        const double centre = Chord(glat, glon, lat2, lon2);
        EXPECT_LT(centre, 1e-3) << ours;
        worstCentre = std::max(worstCentre, centre);
        // Round trip: the point lies in its square, so within half its diagonal of the centre.
        EXPECT_LT(Chord(la, lo, lat2, lon2), 0.71 * std::pow(10.0, 5 - p) / 0.994) << ours;
        ++compared;
    }
    EXPECT_GT(compared, 39900);
    std::printf("MGRS against GeographicLib: %d strings equal, %d straddling a digit; centres within %.6f mm\n",
                compared, straddling, worstCentre * 1e3);
}

TEST(ReferenceGeographicLib, MGRSEverySquareOfEveryGridZone) {
    // Every letter pair in every band of zones that show each column set and row
    // shift, Norway and Svalbard: accepted or refused alike. The centres
    // are compared where they lie in their own grid zone: the series are not meant
    // for the squares far outside it that the lettering still names.
    const std::string utmBands = "CDEFGHJKLMNPQRSTUVWX", letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::vector<std::string> zones;
    for (int zone : {1, 2, 3, 4, 5, 6, 31, 32, 33, 34, 35, 37, 59, 60})
        for (char band : utmBands)  // 32X, 34X and 36X do not exist; GeographicLib takes them
            if (!(band == 'X' && (zone == 32 || zone == 34 || zone == 36)))
                zones.push_back(
                    std::string{static_cast<char>('0' + zone / 10), static_cast<char>('0' + zone % 10), band});
    for (const char* polar : {"A", "B", "Y", "Z"}) zones.emplace_back(polar);
    int accepted = 0, inZone = 0;
    double worst = 0;
    for (const auto& gzd : zones)
        for (char c : letters)
            for (char r : letters) {
                const std::string ref = gzd + c + r;
                double lat, lon, glat, glon;
                int p;
                const bool ours = MGRSToLatLong(ref, gelWGS84, lat, lon, p) == mgrsOK;
                ASSERT_EQ(ours, GeoConvertCentre(ref, glat, glon)) << ref;
                if (!ours) continue;
                ++accepted;
                std::string back;
                if (LatLongToMGRS(glat, glon, gelWGS84, 0, back) != mgrsOK || back != ref) continue;
                ++inZone;
                worst = std::max(worst, Chord(lat, lon, glat, glon));
                EXPECT_LT(Chord(lat, lon, glat, glon), 1e-3) << ref;
            }
    EXPECT_GT(inZone, 10000);
    std::printf("MGRS 100 km squares: %d of %zu accepted as by GeographicLib; the %d centres in their grid zone "
                "within %.6f mm\n",
                accepted, zones.size() * letters.size() * letters.size(), inZone, worst * 1e3);
}
