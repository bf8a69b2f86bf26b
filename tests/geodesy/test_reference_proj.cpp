// The Helmert steps of seven-parameter datums against PROJ's helmert operation
// (position-vector convention), and UTM against PROJ's utm.
#include <gtest/gtest.h>

#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <random>
#include <string>

#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/projections.h"

using namespace zylcarto;

namespace {

constexpr double MetresPerDegree = 6378137.0 * std::numbers::pi / 180.0;

struct ProjDeleter {
    void operator()(PJ* p) const { proj_destroy(p); }
};
using PJPtr = std::unique_ptr<PJ, ProjDeleter>;

std::string Num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return buf;
}

PJPtr Create(const std::string& definition) {
    PJ* p = proj_create(PJ_DEFAULT_CTX, definition.c_str());
    EXPECT_NE(p, nullptr) << definition;
    return PJPtr(p);
}

// Geographic degrees on the datum's ellipsoid to WGS 84 geographic degrees.
PJPtr HelmertPipeline(const TGeoDatum& d) {
    const auto& ax = EllipsoidAxes(d.Ellipsoid);
    return Create("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad"
                  " +step +proj=cart +a=" +
                  Num(ax.a) + " +b=" + Num(ax.b) + " +step +proj=helmert +convention=position_vector +x=" + Num(d.DX) +
                  " +y=" + Num(d.DY) + " +z=" + Num(d.DZ) + " +s=" + Num(d.Scale) + " +rx=" + Num(d.RotX) +
                  " +ry=" + Num(d.RotY) + " +rz=" + Num(d.RotZ) +
                  " +step +inv +proj=cart +ellps=WGS84"
                  " +step +proj=unitconvert +xy_in=rad +xy_out=deg");
}

// WGS 84 geographic degrees to the datum's, applying Sign times its parameters.
PJPtr FromWGS84Pipeline(const TGeoDatum& d, double sign) {
    const auto& ax = EllipsoidAxes(d.Ellipsoid);
    return Create("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=cart +ellps=WGS84"
                  " +step +proj=helmert +convention=position_vector +x=" +
                  Num(sign * d.DX) + " +y=" + Num(sign * d.DY) + " +z=" + Num(sign * d.DZ) +
                  " +s=" + Num(sign * d.Scale) + " +rx=" + Num(sign * d.RotX) + " +ry=" + Num(sign * d.RotY) +
                  " +rz=" + Num(sign * d.RotZ) + " +step +inv +proj=cart +a=" + Num(ax.a) + " +b=" + Num(ax.b) +
                  " +step +proj=unitconvert +xy_in=rad +xy_out=deg");
}

double Distance(double lat, double lon, double h, const PJ_COORD& c) {
    return std::hypot(MetresPerDegree * (lat - c.lpzt.phi),
                      MetresPerDegree * (lon - c.lpzt.lam) * std::cos(lat * std::numbers::pi / 180), h - c.lpzt.z);
}

}  // namespace

TEST(ReferenceProj, BothStepsFromWGS84OfEveryRotatedDatum) {
    // The first-order step is PROJ's helmert with the parameters negated; the
    // exact one is what PROJ's helmert takes back to the WGS 84 position.
    std::mt19937 rng(179);
    std::uniform_real_distribution<double> lat(-80, 80), lon(-180, 180), h(-100, 3000);
    double worstFirst = 0, worstExact = 0, firstOrderError = 0, projInverseError = 0;
    int rows = 0;
    for (int n = 1; n <= GeoDatumCount; ++n) {
        const TGeoDatum& d = GeoDatumData[n];
        if (d.RotX == 0 && d.RotY == 0 && d.RotZ == 0 && d.Scale == 0) continue;
        ++rows;
        auto negated = FromWGS84Pipeline(d, -1), forward = HelmertPipeline(d);
        ASSERT_NE(negated, nullptr);
        ASSERT_NE(forward, nullptr);
        for (int i = 0; i < 200; ++i) {
            const double la = lat(rng), lo = lon(rng), he = h(rng);
            double la2, lo2, h2, la3, lo3, h3;
            ASSERT_EQ(HelmertTransform(GeoDatumWGS84, la, lo, he, n, la2, lo2, h2), htOK);
            ASSERT_EQ(HelmertTransformExact(GeoDatumWGS84, la, lo, he, n, la3, lo3, h3), htOK);
            const double first = Distance(la2, lo2, h2, proj_trans(negated.get(), PJ_FWD, proj_coord(lo, la, he, 0)));
            const double exact = Distance(la, lo, he, proj_trans(forward.get(), PJ_FWD, proj_coord(lo3, la3, h3, 0)));
            EXPECT_LT(first, 0.1e-3) << n << " " << la << " " << lo;
            EXPECT_LT(exact, 0.1e-3) << n << " " << la << " " << lo;
            worstFirst = std::max(worstFirst, first);
            worstExact = std::max(worstExact, exact);
            firstOrderError = std::max(
                firstOrderError, Distance(la, lo, he, proj_trans(forward.get(), PJ_FWD, proj_coord(lo2, la2, h2, 0))));
            // PROJ's own inverse transposes the rotation matrix: not exact either.
            const PJ_COORD back = proj_trans(forward.get(), PJ_INV, proj_coord(lo, la, he, 0));
            projInverseError =
                std::max(projInverseError, Distance(la, lo, he, proj_trans(forward.get(), PJ_FWD, back)));
        }
    }
    EXPECT_GT(rows, 50);
    std::printf("Helmert from WGS 84 against PROJ (%d rotated datums): first order %.6f mm from negated parameters, "
                "exact %.6f mm from inverting PROJ's step (first order misses it by %.3f mm, PROJ's inverse by "
                "%.3f mm)\n",
                rows, worstFirst * 1e3, worstExact * 1e3, firstOrderError * 1e3, projInverseError * 1e3);
}

TEST(ReferenceProj, ForwardHelmertOfSevenParameterDatums) {
    // Amersfoort, OSGB 1936 and DHDN over their regions.
    struct Case {
        int datum;
        double lat0, lat1, lon0, lon1;
    };
    std::mt19937 rng(5);
    double worst = 0;
    for (const Case& c :
         {Case{13, 50.7, 53.6, 3.3, 7.3}, Case{183, 49.9, 60.9, -8.2, 1.8}, Case{217, 47.2, 55.1, 5.8, 15.1}}) {
        const TGeoDatum& d = GeoDatumData[c.datum];
        auto pj = HelmertPipeline(d);
        ASSERT_NE(pj, nullptr);
        std::uniform_real_distribution<double> lat(c.lat0, c.lat1), lon(c.lon0, c.lon1), h(-50, 2000);
        for (int i = 0; i < 2000; ++i) {
            const double la = lat(rng), lo = lon(rng), he = h(rng);
            PJ_COORD in = proj_coord(lo, la, he, 0);
            PJ_COORD out = proj_trans(pj.get(), PJ_FWD, in);
            double la2, lo2, h2;
            ASSERT_EQ(HelmertTransform(c.datum, la, lo, he, GeoDatumWGS84, la2, lo2, h2), htOK);
            const double dist = std::hypot(
                MetresPerDegree * (la2 - out.lpzt.phi),
                MetresPerDegree * (lo2 - out.lpzt.lam) * std::cos(la * std::numbers::pi / 180), h2 - out.lpzt.z);
            EXPECT_LT(dist, 0.002e-3) << d.Name.Str() << " " << la << " " << lo;
            worst = std::max(worst, dist);
        }
    }
    std::printf("Helmert to WGS 84 against PROJ (datums 13, 183, 217): largest difference %.6f mm\n", worst * 1e3);
}

TEST(ReferenceProj, UTMForwardAgreesWithProj) {
    std::mt19937 rng(9);
    std::uniform_real_distribution<double> lat(-80, 84), off(-3, 3);
    double worst = 0;
    for (int zone : {1, 17, 31, 33, 46, 60}) {
        const double lon0 = 6.0 * zone - 183.0;
        auto north =
            Create("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=utm +ellps=WGS84 +zone=" +
                   std::to_string(zone));
        auto south = Create("+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=utm +south "
                            "+ellps=WGS84 +zone=" +
                            std::to_string(zone));
        for (int i = 0; i < 500; ++i) {
            const double la = lat(rng), lo = lon0 + off(rng);
            int z;
            double e, n;
            LatLongToUTM(la, lo, gelWGS84, z, e, n);
            if (z != zone) continue;
            PJ_COORD out = proj_trans((la < 0 ? south : north).get(), PJ_FWD, proj_coord(lo, la, 0, 0));
            const double dist = std::hypot(e - out.xy.x, n - out.xy.y);
            EXPECT_LT(dist, 0.02e-3) << la << " " << lo;
            worst = std::max(worst, dist);
        }
    }
    std::printf("UTM forward against PROJ: largest difference %.6f mm\n", worst * 1e3);
}

TEST(ReferenceProj, TransverseMercatorOnPolarGridsAndFarMeridians) {
    // PROJ's utm and its exact-series tmerc over grids the zones never see: the polar
    // caps of three zones, and meridian sweeps out to the edge of the series' range.
    struct Sweep {
        const char* what;
        std::string definition;  // PROJ, degrees in
        TTransverseMercator ours;
        double lat0, lat1, latStep, lon0, lon1, lonStep;
    };
    const auto utm = [](int zone, bool south) {
        TTransverseMercator p;
        p.CentralMeridian = 6.0 * zone - 183;
        p.Scale = 0.9996;
        p.FalseEasting = 500000;
        p.FalseNorthing = south ? 10000000 : 0;
        return p;
    };
    TTransverseMercator far = TransverseMercatorOn(gelBess41);
    far.CentralMeridian = -100;
    far.OriginLatitude = 30;
    far.Scale = 0.9999;
    far.FalseEasting = 300000;
    far.FalseNorthing = -500;
    const std::string deg = "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step ";
    const Sweep sweeps[] = {
        {"zone 31, 84..90 N", deg + "+proj=utm +zone=31 +ellps=WGS84", utm(31, false), 84, 90, 0.2, -180, 180, 6},
        {"zone 1, 84..90 N", deg + "+proj=utm +zone=1 +ellps=WGS84", utm(1, false), 84, 90, 0.2, -180, 180, 6},
        {"zone 60, 80..90 S", deg + "+proj=utm +zone=60 +south +ellps=WGS84", utm(60, true), -90, -80, 0.25, -180, 180,
         6},
        {"-100 E, 0..49 deg off",
         deg + "+proj=tmerc +algo=poder_engsager +lon_0=-100 +lat_0=30 +k=0.9999 +x_0=300000"
               " +y_0=-500 +a=6377397.155 +b=6356078.96284",
         far, -80, 80, 4, -149, -51, 1}};
    for (const Sweep& s : sweeps) {
        auto pj = Create(s.definition);
        ASSERT_NE(pj, nullptr);
        double forward = 0, inverse = 0;
        int compared = 0;
        for (double lat = s.lat0; lat <= s.lat1 + 1e-9; lat += s.latStep) {
            for (double lon = s.lon0; lon <= s.lon1 + 1e-9; lon += s.lonStep) {
                double e, n, la, lo;
                if (!GeoToTM(s.ours, lat, lon, e, n)) continue;  // beyond the range of the series
                const PJ_COORD out = proj_trans(pj.get(), PJ_FWD, proj_coord(lon, lat, 0, 0));
                ASSERT_TRUE(std::isfinite(out.xy.x)) << s.what << " " << lat << " " << lon;
                ASSERT_TRUE(TMToGeo(s.ours, out.xy.x, out.xy.y, la, lo)) << s.what << " " << lat << " " << lon;
                forward = std::max(forward, std::hypot(e - out.xy.x, n - out.xy.y));
                inverse = std::max(inverse,
                                   MetresPerDegree * std::hypot(la - lat, std::remainder(lo - lon, 360.0) *
                                                                              std::cos(lat * std::numbers::pi / 180)));
                ++compared;
            }
        }
        EXPECT_GT(compared, 900) << s.what;
        EXPECT_LT(forward, 1e-5) << s.what;
        EXPECT_LT(inverse, 1e-5) << s.what;
        std::printf("%-24s %5d points: forward %.6f mm, inverse %.6f mm from PROJ\n", s.what, compared, forward * 1e3,
                    inverse * 1e3);
    }
}
