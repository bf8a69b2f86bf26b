#include "zylcarto/geodesy/batch.h"

#include <algorithm>
#include <cmath>

#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/geocentric_math.h"
#include "zylcarto/geodesy/simd_math.h"
#include "zylcarto/geodesy/tm_series.h"

// The loops convert with the per-point formulas, branch-free, and the maths
// kernels of simd_math.h in place of the C library's, so that the compiler turns
// each into vector code (this file is built with -fopenmp-simd for the pragmas,
// -fno-math-errno for a square root without a call and -fno-trapping-math for
// selects). On x86-64 each function
// is also built for AVX2, chosen at load time where the processor has it; not
// with FMA, whose fused rounding would make the answers depend on the machine.
// Not under AddressSanitizer, whose run time is not yet up when the loader picks a clone.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZYLCARTO_NO_CLONES
#endif
#endif
#if defined(__x86_64__) && defined(__GNUC__) && defined(__ELF__) && !defined(__SANITIZE_ADDRESS__) &&                  \
    !defined(ZYLCARTO_NO_CLONES)
#define ZYLCARTO_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define ZYLCARTO_VECTOR_CLONES
#endif

namespace zylcarto {
namespace {

using simdmath::TVectorMath;

// Blocks of points with an angle of more degrees than this (or infinite) go to
// the per-point functions, where the kernels' reduction by pi/2 would no longer be
// exact; NaN stays in the vector loops, which give NaN for it as the C library does.
constexpr double VectorAngleLimit = 1e7;
constexpr std::size_t Block = 256;

bool VectorBlock(const double* Lat, const double* Long, std::size_t Begin, std::size_t End) {
    bool all = true;
    for (std::size_t i = Begin; i < End; ++i)
        all &= !(std::fabs(Lat[i]) >= VectorAngleLimit) & !(std::fabs(Long[i]) >= VectorAngleLimit);
    return all;
}

// The points converted: a failed one has NaN results. Counted after the vector
// loops, which a running sum would keep from vectorising.
std::size_t Answered(const double* Results, std::size_t Count) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < Count; ++i) n += Results[i] == Results[i];
    return n;
}

}  // namespace

ZYLCARTO_VECTOR_CLONES
std::size_t LatLongToUTMBatch(const double* Lat, const double* Long, std::size_t Count, TGeoEllipsoid E, int* Zone,
                              double* Easting, double* Northing) {
    const tmseries::TEllipsoid s = tmseries::OfEllipsoid(E);  // a copy: no store can change it
    for (std::size_t i = 0; i < Count; ++i) {
        char letter;
        GeoToUTMZone(Lat[i], Long[i], Zone[i], letter);
    }
#pragma omp simd
    for (std::size_t i = 0; i < Count; ++i) {
        double e, n;
        const bool ok = tmseries::UTMForward<TVectorMath>(s, Lat[i], Long[i], Zone[i], e, n) & (Zone[i] != 0);
        const double north = n < 0.0 ? n + tmseries::UTMFalseNorthingSouth : n;
        Easting[i] = ok ? e : tmseries::NaN;
        Northing[i] = ok ? north : tmseries::NaN;
    }
    return Answered(Easting, Count);
}

ZYLCARTO_VECTOR_CLONES
std::size_t LatLongToUTMForcedBatch(const double* Lat, const double* Long, std::size_t Count, int Zone, TGeoEllipsoid E,
                                    double* Easting, double* Northing) {
    const tmseries::TEllipsoid s = tmseries::OfEllipsoid(E);  // a copy: no store can change it
#pragma omp simd
    for (std::size_t i = 0; i < Count; ++i)
        tmseries::UTMForcedForward<TVectorMath>(s, Lat[i], Long[i], Zone, Easting[i], Northing[i]);
    return Answered(Easting, Count);
}

ZYLCARTO_VECTOR_CLONES
std::size_t UTMToLatLongBatch(const double* Easting, const double* Northing, const int* Zone,
                              const unsigned char* South, std::size_t Count, TGeoEllipsoid E, double* Lat,
                              double* Long) {
    const tmseries::TEllipsoid s = tmseries::OfEllipsoid(E);  // a copy: no store can change it
#pragma omp simd
    for (std::size_t i = 0; i < Count; ++i)
        tmseries::UTMInverse<TVectorMath>(s, Easting[i], Northing[i], Zone[i], South[i] != 0, Lat[i], Long[i]);
    return Answered(Lat, Count);
}

ZYLCARTO_VECTOR_CLONES
std::size_t GeoToTMBatch(const TTransverseMercator& P, const double* Lat, const double* Long, std::size_t Count,
                         double* Easting, double* Northing) {
    const auto t = tmseries::Prepare(P);
#pragma omp simd
    for (std::size_t i = 0; i < Count; ++i)
        tmseries::GeoToGrid<TVectorMath>(t, Lat[i], Long[i], Easting[i], Northing[i]);
    return Answered(Easting, Count);
}

ZYLCARTO_VECTOR_CLONES
std::size_t TMToGeoBatch(const TTransverseMercator& P, const double* Easting, const double* Northing, std::size_t Count,
                         double* Lat, double* Long) {
    const auto t = tmseries::Prepare(P);
#pragma omp simd
    for (std::size_t i = 0; i < Count; ++i)
        tmseries::GridToGeo<TVectorMath>(t, Easting[i], Northing[i], Lat[i], Long[i]);
    return Answered(Lat, Count);
}

ZYLCARTO_VECTOR_CLONES
void GeoToCartesianBatch(const double* Lat, const double* Long, const double* Height, std::size_t Count,
                         TGeoEllipsoid E, double* X, double* Y, double* Z) {
    const geocentric::TConstants c = geocentric::Constants(E);
    for (std::size_t b = 0; b < Count; b += Block) {
        const std::size_t e = std::min(Count, b + Block);
        if (!VectorBlock(Lat, Long, b, e)) {
            for (std::size_t i = b; i < e; ++i) GeoToCartesian(Lat[i], Long[i], Height[i], E, X[i], Y[i], Z[i]);
            continue;
        }
#pragma omp simd
        for (std::size_t i = b; i < e; ++i)
            geocentric::ToCartesian<TVectorMath>(c, Lat[i], Long[i], Height[i], X[i], Y[i], Z[i]);
    }
}

ZYLCARTO_VECTOR_CLONES
void CartesianToGeoBatch(const double* X, const double* Y, const double* Z, std::size_t Count, TGeoEllipsoid E,
                         double* Lat, double* Long, double* Height) {
    const geocentric::TConstants c = geocentric::Constants(E);
#pragma omp simd
    for (std::size_t i = 0; i < Count; ++i)
        geocentric::ToGeographic<TVectorMath>(c, X[i], Y[i], Z[i], Lat[i], Long[i], Height[i]);
}

ZYLCARTO_VECTOR_CLONES
std::size_t HelmertTransformBatch(int SrcDatum, const double* Lat, const double* Long, const double* Height,
                                  std::size_t Count, int DstDatum, double* Lat2, double* Long2, double* Height2,
                                  int* Status) {
    if (!IsGeoDatumNumber(SrcDatum) || !IsGeoDatumNumber(DstDatum)) {
        for (std::size_t i = 0; i < Count; ++i)
            Status[i] = HelmertTransform(SrcDatum, Lat[i], Long[i], Height[i], DstDatum, Lat2[i], Long2[i], Height2[i]);
        return 0;
    }
    const TGeoDatum& src = GeoDatumData[SrcDatum];
    const TGeoDatum& dst = GeoDatumData[DstDatum];
    const geocentric::TConstants csrc = geocentric::Constants(src.Ellipsoid);
    const geocentric::TConstants cdst = geocentric::Constants(dst.Ellipsoid);
    for (std::size_t b = 0; b < Count; b += Block) {
        const std::size_t e = std::min(Count, b + Block);
        if (!VectorBlock(Lat, Long, b, e)) {
            for (std::size_t i = b; i < e; ++i)
                Status[i] =
                    HelmertTransform(SrcDatum, Lat[i], Long[i], Height[i], DstDatum, Lat2[i], Long2[i], Height2[i]);
            continue;
        }
#pragma omp simd
        for (std::size_t i = b; i < e; ++i) {
            Status[i] = geocentric::HelmertStatus(Lat[i], Long[i], Height[i]);
            geocentric::Shift<geocentric::FromWGS84, TVectorMath>(csrc, src, Lat[i], Long[i], Height[i], cdst, dst,
                                                                  Lat2[i], Long2[i], Height2[i]);
        }
    }
    std::size_t converted = 0;
    for (std::size_t i = 0; i < Count; ++i) converted += Status[i] == htOK;
    return converted;
}

}  // namespace zylcarto
