// The batch conversions give, element by element, what the per-point functions
// give to far below the printed resolution (their vector kernels differ from the
// C library's in the last bits), and fail where they fail.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "zylcarto/geodesy/batch.h"
#include "zylcarto/geodesy/geocentric.h"

using namespace zylcarto;

namespace {

constexpr std::size_t N = 3000;

// Both NaN, or within Tolerance: 10 nm in metres, 1e-13 degrees (11 nm) of
// latitude, and as far along the parallel of Lat in longitude.
bool Near(double a, double b, double Tolerance) {
    return a == b || (std::isnan(a) && std::isnan(b)) || std::fabs(a - b) <= Tolerance;
}
bool NearM(double a, double b) { return Near(a, b, 1e-8); }
bool NearPos(double lat, double lon, double lat2, double lon2) {
    return Near(lat, lat2, 1e-13) &&
           Near(lon * std::cos(lat * 0.0174532925), lon2 * std::cos(lat * 0.0174532925), 1e-13);
}

struct Points {
    std::vector<double> lat, lon, h;
    std::vector<int> zone;
    std::vector<unsigned char> south;
};

// Random points over the globe and beyond it, with a few that are no position at all.
Points MakePoints() {
    Points p;
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> lat(-95, 95), lon(-200, 200), h(-1000, 9000);
    std::uniform_int_distribution<int> zone(0, 61);
    for (std::size_t i = 0; i < N; ++i) {
        p.lat.push_back(i % 97 == 0 ? NAN : lat(rng));
        p.lon.push_back(i < 600 && i % 89 == 0    ? INFINITY
                        : i < 600 && i % 101 == 0 ? 3e9
                                                  : lon(rng));  // beyond the vector kernels, in the first blocks only
        p.h.push_back(h(rng));
        p.zone.push_back(zone(rng));
        p.south.push_back(i % 2);
    }
    return p;
}

}  // namespace

TEST(Batch, EqualsThePerPointFunctions) {
    const Points p = MakePoints();
    std::vector<double> a(N), b(N), c(N);
    std::vector<int> zone(N), status(N);
    for (TGeoEllipsoid e : {gelWGS84, gelClrk80, gelSphere}) {
        std::size_t ok = LatLongToUTMBatch(p.lat.data(), p.lon.data(), N, e, zone.data(), a.data(), b.data());
        EXPECT_GT(ok, N / 2);
        for (std::size_t i = 0; i < N; ++i) {
            int z;
            double x, y;
            const bool converted = LatLongToUTM(p.lat[i], p.lon[i], e, z, x, y);
            ok -= converted;
            if (!converted) x = y = NAN;  // the per-point function still gives the grid of zone 0
            EXPECT_TRUE(z == zone[i] && NearM(x, a[i]) && NearM(y, b[i])) << i;
        }
        EXPECT_EQ(ok, 0u);

        // The inverse of grid positions around each zone, beyond the range too.
        std::vector<double> east(N), north(N);
        for (std::size_t i = 0; i < N; ++i) {
            east[i] = 500000 + p.lon[i] * 40000;
            north[i] = p.lat[i] * 120000;
        }
        ok = UTMToLatLongBatch(east.data(), north.data(), p.zone.data(), p.south.data(), N, e, a.data(), b.data());
        for (std::size_t i = 0; i < N; ++i) {
            double la, lo;
            ok -= UTMToLatLong(east[i], north[i], p.zone[i], p.south[i], e, la, lo);
            EXPECT_TRUE(NearPos(la, lo, a[i], b[i])) << i;
        }
        EXPECT_EQ(ok, 0u);

        ok = LatLongToUTMForcedBatch(p.lat.data(), p.lon.data(), N, 33, e, a.data(), b.data());
        for (std::size_t i = 0; i < N; ++i) {
            double x, y;
            ok -= LatLongToUTMForced(p.lat[i], p.lon[i], 33, e, x, y);
            EXPECT_TRUE(NearM(x, a[i]) && NearM(y, b[i])) << i;
        }
        EXPECT_EQ(ok, 0u);

        TTransverseMercator tm = TransverseMercatorOn(e);
        tm.CentralMeridian = -100;
        tm.OriginLatitude = 40;
        tm.Scale = 0.9999;
        tm.FalseEasting = 600000;
        ok = GeoToTMBatch(tm, p.lat.data(), p.lon.data(), N, a.data(), b.data());
        std::vector<double> lat2(N), lon2(N);
        std::size_t back = TMToGeoBatch(tm, a.data(), b.data(), N, lat2.data(), lon2.data());
        EXPECT_EQ(back, ok);
        for (std::size_t i = 0; i < N; ++i) {
            double x, y, la, lo;
            ok -= GeoToTM(tm, p.lat[i], p.lon[i], x, y);
            back -= TMToGeo(tm, x, y, la, lo);
            EXPECT_TRUE(NearM(x, a[i]) && NearM(y, b[i]) && NearPos(la, lo, lat2[i], lon2[i])) << i;
        }
        EXPECT_EQ(ok, 0u);
        EXPECT_EQ(back, 0u);

        GeoToCartesianBatch(p.lat.data(), p.lon.data(), p.h.data(), N, e, a.data(), b.data(), c.data());
        std::vector<double> la(N), lo(N), h(N);
        CartesianToGeoBatch(a.data(), b.data(), c.data(), N, e, la.data(), lo.data(), h.data());
        for (std::size_t i = 0; i < N; ++i) {
            double x, y, z, la1, lo1, h1;
            GeoToCartesian(p.lat[i], p.lon[i], p.h[i], e, x, y, z);
            CartesianToGeo(x, y, z, e, la1, lo1, h1);
            EXPECT_TRUE(NearM(x, a[i]) && NearM(y, b[i]) && NearM(z, c[i])) << i;
            EXPECT_TRUE(NearPos(la1, lo1, la[i], lo[i]) && NearM(h1, h[i])) << i;
        }
    }
    for (auto [src, dst] : {std::pair{217, 269}, {183, 13}, {0, 269}}) {
        std::size_t ok = HelmertTransformBatch(src, p.lat.data(), p.lon.data(), p.h.data(), N, dst, a.data(), b.data(),
                                               c.data(), status.data());
        for (std::size_t i = 0; i < N; ++i) {
            double la, lo, h;
            const int s = HelmertTransform(src, p.lat[i], p.lon[i], p.h[i], dst, la, lo, h);
            ok -= s == 0;
            EXPECT_TRUE(s == status[i] && NearPos(la, lo, a[i], b[i]) && NearM(h, c[i])) << i;
        }
        EXPECT_EQ(ok, 0u);
    }
}
