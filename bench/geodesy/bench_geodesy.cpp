// Points per second of the geodesy conversions over 10^6 random points, point by
// point and as a batch, each beside GeographicLib's and PROJ's equivalent
// (proj_trans_generic over the arrays), and the ratios between them.
//   cmake -DZYLCARTO_BENCH=ON ... && ./bench/geodesy/bench_geodesy
#include <benchmark/benchmark.h>

#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/TransverseMercator.hpp>
#include <GeographicLib/UTMUPS.hpp>
#include <proj.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "zylcarto/geodesy/batch.h"
#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/projections.h"

using namespace zylcarto;

namespace {

constexpr std::size_t Count = 1000000;
constexpr double Deg = std::numbers::pi / 180.0;
constexpr int Zone = 33;  // PROJ's utm is set up for one zone: all UTM points lie in it

struct Points {
    std::vector<double> lat, lon, h;  // degrees, metres
    std::vector<double> e, n;         // UTM of (lat, lon), zone 33
    std::vector<bool> south;
    std::vector<unsigned char> southFlag;
    std::vector<int> zone;
    std::vector<double> tmLat, tmLon, tmE, tmN;  // Gauss-Krüger about 9 E, up to 30 degrees away
    std::vector<double> upsLat, upsLon;          // beyond 84 N
    std::vector<double> upsX, upsY;
    std::vector<double> x, y, z;  // geocentric of (lat, lon, h)
};

TTransverseMercator GaussKrueger() {
    TTransverseMercator p = TransverseMercatorOn(gelBess41);
    p.CentralMeridian = 9;
    p.FalseEasting = 3500000;
    return p;
}

const Points& Data() {
    static const Points p = [] {
        Points d;
        std::mt19937_64 rng(42);
        std::uniform_real_distribution<double> lat(-80, 84), lon(12, 17.999), h(-100, 3000), polar(84, 90),
            any(-180, 180);
        for (std::size_t i = 0; i < Count; ++i) {
            const double la = lat(rng), lo = lon(rng), he = h(rng);
            d.lat.push_back(la);
            d.lon.push_back(lo);
            d.h.push_back(he);
            int zone;
            double e, n;
            LatLongToUTM(la, lo, gelWGS84, zone, e, n);
            d.e.push_back(e);
            d.n.push_back(n);
            d.south.push_back(la < 0);
            d.southFlag.push_back(la < 0);
            d.zone.push_back(Zone);
            const double tla = 30 + la / 4, tlo = 9 + (lo - 15) * 10;
            d.tmLat.push_back(tla);
            d.tmLon.push_back(tlo);
            double te, tn;
            GeoToTM(GaussKrueger(), tla, tlo, te, tn);
            d.tmE.push_back(te);
            d.tmN.push_back(tn);
            const double pl = polar(rng), plo = any(rng);
            d.upsLat.push_back(pl);
            d.upsLon.push_back(plo);
            double ux, uy;
            LatLongToUPS(pl, plo, gelWGS84, ux, uy);
            d.upsX.push_back(ux);
            d.upsY.push_back(uy);
            double x, y, z;
            GeoToCartesian(la, lo, he, gelWGS84, x, y, z);
            d.x.push_back(x);
            d.y.push_back(y);
            d.z.push_back(z);
        }
        return d;
    }();
    return p;
}

void Done(benchmark::State& state, double sink) {
    benchmark::DoNotOptimize(sink);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * Count));
}

// PROJ transforms arrays in place: every iteration gets a fresh copy, outside the timing.
void RunProj(benchmark::State& state, const char* definition, PJ_DIRECTION direction, const std::vector<double>& a,
             const std::vector<double>& b, const std::vector<double>* c, double scaleAB) {
    PJ* pj = proj_create(PJ_DEFAULT_CTX, definition);
    if (!pj) {
        state.SkipWithError("proj_create failed");
        return;
    }
    std::vector<double> x(Count), y(Count), z(Count);
    double sink = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (std::size_t i = 0; i < Count; ++i) {
            x[i] = a[i] * scaleAB;
            y[i] = b[i] * scaleAB;
            if (c) z[i] = (*c)[i];
        }
        state.ResumeTiming();
        proj_trans_generic(pj, direction, x.data(), sizeof(double), Count, y.data(), sizeof(double), Count,
                           c ? z.data() : nullptr, sizeof(double), c ? Count : 0, nullptr, 0, 0);
        sink += x[Count / 2] + y[Count / 3];
    }
    proj_destroy(pj);
    Done(state, sink);
}

// --- UTM forward
void UTMForward_zylcarto(benchmark::State& state) {
    const auto& d = Data();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            int zone;
            double e, n;
            LatLongToUTM(d.lat[i], d.lon[i], gelWGS84, zone, e, n);
            sink += e + n;
        }
    Done(state, sink);
}
void UTMForward_GeographicLib(benchmark::State& state) {
    const auto& d = Data();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            int zone;
            bool northp;
            double e, n;
            GeographicLib::UTMUPS::Forward(d.lat[i], d.lon[i], zone, northp, e, n);
            sink += e + n;
        }
    Done(state, sink);
}
void UTMForward_PROJ(benchmark::State& state) {
    const auto& d = Data();
    RunProj(state, "+proj=utm +zone=33 +ellps=WGS84", PJ_FWD, d.lon, d.lat, nullptr, Deg);
}

// --- UTM inverse
void UTMInverse_zylcarto(benchmark::State& state) {
    const auto& d = Data();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double la, lo;
            UTMToLatLong(d.e[i], d.n[i], Zone, d.south[i], gelWGS84, la, lo);
            sink += la + lo;
        }
    Done(state, sink);
}
void UTMInverse_GeographicLib(benchmark::State& state) {
    const auto& d = Data();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double la, lo;
            GeographicLib::UTMUPS::Reverse(Zone, !d.south[i], d.e[i], d.n[i], la, lo);
            sink += la + lo;
        }
    Done(state, sink);
}
void UTMInverse_PROJ(benchmark::State& state) {
    // Northern points only make sense to a +proj=utm without +south; the series
    // costs the same either side, so all points are given as northern.
    const auto& d = Data();
    std::vector<double> n(d.n);
    for (std::size_t i = 0; i < Count; ++i)
        if (d.south[i]) n[i] -= 10000000.0;
    RunProj(state, "+proj=utm +zone=33 +ellps=WGS84", PJ_INV, d.e, n, nullptr, 1.0);
}

// --- UPS forward and inverse
void UPSForward_zylcarto(benchmark::State& state) {
    const auto& d = Data();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double x, y;
            LatLongToUPS(d.upsLat[i], d.upsLon[i], gelWGS84, x, y);
            sink += x + y;
        }
    Done(state, sink);
}
void UPSForward_GeographicLib(benchmark::State& state) {
    const auto& d = Data();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            int zone;
            bool northp;
            double x, y;
            GeographicLib::UTMUPS::Forward(d.upsLat[i], d.upsLon[i], zone, northp, x, y, GeographicLib::UTMUPS::UPS);
            sink += x + y;
        }
    Done(state, sink);
}
void UPSForward_PROJ(benchmark::State& state) {
    const auto& d = Data();
    RunProj(state, "+proj=ups +ellps=WGS84", PJ_FWD, d.upsLon, d.upsLat, nullptr, Deg);
}
void UPSInverse_zylcarto(benchmark::State& state) {
    const auto& d = Data();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double la, lo;
            UPSToLatLong(d.upsX[i], d.upsY[i], false, gelWGS84, la, lo);
            sink += la + lo;
        }
    Done(state, sink);
}
void UPSInverse_GeographicLib(benchmark::State& state) {
    const auto& d = Data();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double la, lo;
            GeographicLib::UTMUPS::Reverse(GeographicLib::UTMUPS::UPS, true, d.upsX[i], d.upsY[i], la, lo);
            sink += la + lo;
        }
    Done(state, sink);
}
void UPSInverse_PROJ(benchmark::State& state) {
    const auto& d = Data();
    RunProj(state, "+proj=ups +ellps=WGS84", PJ_INV, d.upsX, d.upsY, nullptr, 1.0);
}

// --- geocentric
void GeoToCartesian_zylcarto(benchmark::State& state) {
    const auto& d = Data();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double x, y, z;
            GeoToCartesian(d.lat[i], d.lon[i], d.h[i], gelWGS84, x, y, z);
            sink += x + y + z;
        }
    Done(state, sink);
}
void GeoToCartesian_GeographicLib(benchmark::State& state) {
    const auto& d = Data();
    const auto& g = GeographicLib::Geocentric::WGS84();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double x, y, z;
            g.Forward(d.lat[i], d.lon[i], d.h[i], x, y, z);
            sink += x + y + z;
        }
    Done(state, sink);
}
void GeoToCartesian_PROJ(benchmark::State& state) {
    const auto& d = Data();
    RunProj(state, "+proj=cart +ellps=WGS84", PJ_FWD, d.lon, d.lat, &d.h, Deg);
}
void CartesianToGeo_zylcarto(benchmark::State& state) {
    const auto& d = Data();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double la, lo, h;
            CartesianToGeo(d.x[i], d.y[i], d.z[i], gelWGS84, la, lo, h);
            sink += la + lo + h;
        }
    Done(state, sink);
}
void CartesianToGeo_GeographicLib(benchmark::State& state) {
    const auto& d = Data();
    const auto& g = GeographicLib::Geocentric::WGS84();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double la, lo, h;
            g.Reverse(d.x[i], d.y[i], d.z[i], la, lo, h);
            sink += la + lo + h;
        }
    Done(state, sink);
}
void CartesianToGeo_PROJ(benchmark::State& state) {
    const auto& d = Data();
    RunProj(state, "+proj=cart +ellps=WGS84", PJ_INV, d.x, d.y, &d.z, 1.0);
}

// --- Helmert: DHDN (217) to WGS 84
void Helmert_zylcarto(benchmark::State& state) {
    const auto& d = Data();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double la, lo, h;
            HelmertTransform(217, d.lat[i], d.lon[i], d.h[i], GeoDatumWGS84, la, lo, h);
            sink += la + lo + h;
        }
    Done(state, sink);
}
void Helmert_PROJ(benchmark::State& state) {
    const auto& d = Data();
    const TGeoDatum& t = GeoDatumData[217];
    const auto& ax = EllipsoidAxes(t.Ellipsoid);
    char def[512];
    std::snprintf(
        def, sizeof def,
        "+proj=pipeline +step +proj=cart +a=%.17g +b=%.17g +step +proj=helmert +convention=position_vector"
        " +x=%.17g +y=%.17g +z=%.17g +s=%.17g +rx=%.17g +ry=%.17g +rz=%.17g +step +inv +proj=cart +ellps=WGS84",
        ax.a, ax.b, t.DX, t.DY, t.DZ, t.Scale, t.RotX, t.RotY, t.RotZ);
    RunProj(state, def, PJ_FWD, d.lon, d.lat, &d.h, Deg);
}

// --- the batch functions over the same arrays
struct Out {
    std::vector<double> a = std::vector<double>(Count), b = std::vector<double>(Count), c = std::vector<double>(Count);
    std::vector<int> i = std::vector<int>(Count);
};
void UTMForward_batch(benchmark::State& state) {
    const auto& d = Data();
    Out o;
    for (auto _ : state)
        LatLongToUTMBatch(d.lat.data(), d.lon.data(), Count, gelWGS84, o.i.data(), o.a.data(), o.b.data());
    Done(state, o.a[Count / 2]);
}
void UTMInverse_batch(benchmark::State& state) {
    const auto& d = Data();
    Out o;
    for (auto _ : state)
        UTMToLatLongBatch(d.e.data(), d.n.data(), d.zone.data(), d.southFlag.data(), Count, gelWGS84, o.a.data(),
                          o.b.data());
    Done(state, o.a[Count / 2]);
}
void TMForward_zylcarto(benchmark::State& state) {
    const auto& d = Data();
    const TTransverseMercator p = GaussKrueger();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double e, n;
            GeoToTM(p, d.tmLat[i], d.tmLon[i], e, n);
            sink += e + n;
        }
    Done(state, sink);
}
void TMForward_batch(benchmark::State& state) {
    const auto& d = Data();
    Out o;
    for (auto _ : state) GeoToTMBatch(GaussKrueger(), d.tmLat.data(), d.tmLon.data(), Count, o.a.data(), o.b.data());
    Done(state, o.a[Count / 2]);
}
void TMForward_GeographicLib(benchmark::State& state) {
    const auto& d = Data();
    const auto& ax = EllipsoidAxes(gelBess41);
    const GeographicLib::TransverseMercator tm(ax.a, (ax.a - ax.b) / ax.a, 1.0);
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double x, y;
            tm.Forward(9.0, d.tmLat[i], d.tmLon[i], x, y);
            sink += x + y;
        }
    Done(state, sink);
}
void TMForward_PROJ(benchmark::State& state) {
    const auto& d = Data();
    RunProj(state, "+proj=tmerc +lon_0=9 +x_0=3500000 +ellps=bessel", PJ_FWD, d.tmLon, d.tmLat, nullptr, Deg);
}
void TMInverse_zylcarto(benchmark::State& state) {
    const auto& d = Data();
    const TTransverseMercator p = GaussKrueger();
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double la, lo;
            TMToGeo(p, d.tmE[i], d.tmN[i], la, lo);
            sink += la + lo;
        }
    Done(state, sink);
}
void TMInverse_batch(benchmark::State& state) {
    const auto& d = Data();
    Out o;
    for (auto _ : state) TMToGeoBatch(GaussKrueger(), d.tmE.data(), d.tmN.data(), Count, o.a.data(), o.b.data());
    Done(state, o.a[Count / 2]);
}
void TMInverse_GeographicLib(benchmark::State& state) {
    const auto& d = Data();
    const auto& ax = EllipsoidAxes(gelBess41);
    const GeographicLib::TransverseMercator tm(ax.a, (ax.a - ax.b) / ax.a, 1.0);
    double sink = 0;
    for (auto _ : state)
        for (std::size_t i = 0; i < Count; ++i) {
            double la, lo;
            tm.Reverse(9.0, d.tmE[i] - 3500000, d.tmN[i], la, lo);
            sink += la + lo;
        }
    Done(state, sink);
}
void TMInverse_PROJ(benchmark::State& state) {
    const auto& d = Data();
    RunProj(state, "+proj=tmerc +lon_0=9 +x_0=3500000 +ellps=bessel", PJ_INV, d.tmE, d.tmN, nullptr, 1.0);
}
void GeoToCartesian_batch(benchmark::State& state) {
    const auto& d = Data();
    Out o;
    for (auto _ : state)
        GeoToCartesianBatch(d.lat.data(), d.lon.data(), d.h.data(), Count, gelWGS84, o.a.data(), o.b.data(),
                            o.c.data());
    Done(state, o.a[Count / 2]);
}
void CartesianToGeo_batch(benchmark::State& state) {
    const auto& d = Data();
    Out o;
    for (auto _ : state)
        CartesianToGeoBatch(d.x.data(), d.y.data(), d.z.data(), Count, gelWGS84, o.a.data(), o.b.data(), o.c.data());
    Done(state, o.a[Count / 2]);
}
void Helmert_batch(benchmark::State& state) {
    const auto& d = Data();
    Out o;
    for (auto _ : state)
        HelmertTransformBatch(217, d.lat.data(), d.lon.data(), d.h.data(), Count, GeoDatumWGS84, o.a.data(), o.b.data(),
                              o.c.data(), o.i.data());
    Done(state, o.a[Count / 2]);
}

// Keeps each run's rate, for the ratio table after the console report.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            const auto it = r.counters.find("items_per_second");
            if (it != r.counters.end()) rates[r.benchmark_name()] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> rates;
};

}  // namespace

#define ZYL_BENCH(op)                                                                                                  \
    BENCHMARK(op##_zylcarto)->Unit(benchmark::kMillisecond)->MinTime(0.5);                                             \
    BENCHMARK(op##_batch)->Unit(benchmark::kMillisecond)->MinTime(0.5);                                                \
    BENCHMARK(op##_GeographicLib)->Unit(benchmark::kMillisecond)->MinTime(0.5);                                        \
    BENCHMARK(op##_PROJ)->Unit(benchmark::kMillisecond)->MinTime(0.5)
ZYL_BENCH(UTMForward);
ZYL_BENCH(UTMInverse);
ZYL_BENCH(TMForward);
ZYL_BENCH(TMInverse);
#undef ZYL_BENCH
#define ZYL_BENCH(op)                                                                                                  \
    BENCHMARK(op##_zylcarto)->Unit(benchmark::kMillisecond)->MinTime(0.5);                                             \
    BENCHMARK(op##_GeographicLib)->Unit(benchmark::kMillisecond)->MinTime(0.5);                                        \
    BENCHMARK(op##_PROJ)->Unit(benchmark::kMillisecond)->MinTime(0.5)
ZYL_BENCH(UPSForward);
ZYL_BENCH(UPSInverse);
BENCHMARK(GeoToCartesian_batch)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(CartesianToGeo_batch)->Unit(benchmark::kMillisecond)->MinTime(0.5);
ZYL_BENCH(GeoToCartesian);
ZYL_BENCH(CartesianToGeo);
BENCHMARK(Helmert_zylcarto)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(Helmert_batch)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(Helmert_PROJ)->Unit(benchmark::kMillisecond)->MinTime(0.5);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Data();  // generated before any timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Ratios of the batch (or, without one, the per-point calls) to the others.
    std::printf("\n%-15s %9s %9s %9s %9s %9s %9s %9s\n", "Mpoints/s", "zylcarto", "batch", "GLib", "PROJ", "batch/pt",
                "vs GLib", "vs PROJ");
    for (const char* op : {"UTMForward", "UTMInverse", "TMForward", "TMInverse", "UPSForward", "UPSInverse",
                           "GeoToCartesian", "CartesianToGeo", "Helmert"}) {
        const auto rate = [&](const char* impl) {
            const auto it = reporter.rates.find(std::string(op) + "_" + impl + "/min_time:0.500");
            return it == reporter.rates.end() ? 0.0 : it->second;
        };
        const double ours = rate("zylcarto"), batch = rate("batch"), glib = rate("GeographicLib"), proj = rate("PROJ");
        if (ours == 0) continue;
        const double best = batch > 0 ? batch : ours;
        const auto column = [](double v) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.2f", v / 1e6);
            return v > 0 ? std::string(buf) : std::string("-");
        };
        const auto ratio = [](double a, double b) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.2fx", a / b);
            return a > 0 && b > 0 ? std::string(buf) : std::string("-");
        };
        std::printf("%-15s %9s %9s %9s %9s %9s %9s %9s\n", op, column(ours).c_str(), column(batch).c_str(),
                    column(glib).c_str(), column(proj).c_str(), ratio(batch, ours).c_str(), ratio(best, glib).c_str(),
                    ratio(best, proj).c_str());
    }
    benchmark::Shutdown();
    return 0;
}
