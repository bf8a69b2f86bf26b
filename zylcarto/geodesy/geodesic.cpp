#include "zylcarto/geodesy/geodesic.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/PolygonArea.hpp>

#include <cmath>
#include <limits>

namespace zylcarto {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// GeographicLib answers NaN for a latitude beyond the poles but folds some other
// bad input into range; the library refuses both alike.
bool Valid(TLatLong P) { return std::isfinite(P.Long) && std::fabs(P.Lat) <= 90; }

}  // namespace

TGeodesic GeodesicInverse(TLatLong From, TLatLong To) {
    if (!Valid(From) || !Valid(To)) return {kNaN, kNaN, kNaN};
    TGeodesic g;
    GeographicLib::Geodesic::WGS84().Inverse(From.Lat, From.Long, To.Lat, To.Long, g.Distance, g.Azimuth1,
                                             g.Azimuth2);
    return g;
}

TPathMeasure MeasurePath(std::span<const TLatLong> Points) {
    TPathMeasure m;
    if (Points.size() < 2) return m;
    m.Bearings.reserve(Points.size() - 1);
    for (std::size_t i = 1; i < Points.size(); ++i) {
        const TGeodesic g = GeodesicInverse(Points[i - 1], Points[i]);
        m.Length += g.Distance;
        m.Bearings.push_back(g.Azimuth1);
    }
    return m;
}

TPolygonMeasure MeasurePolygon(std::span<const TLatLong> Points) {
    for (const TLatLong& p : Points)
        if (!Valid(p)) return {kNaN, kNaN};
    if (Points.size() < 2) return {};
    GeographicLib::PolygonArea polygon(GeographicLib::Geodesic::WGS84());
    for (const TLatLong& p : Points) polygon.AddPoint(p.Lat, p.Long);
    double perimeter = 0, area = 0;
    // Signed, so that an outline run clockwise gives its own area negated rather
    // than the rest of the ellipsoid.
    polygon.Compute(false, true, perimeter, area);
    return {Points.size() < 3 ? 0.0 : std::fabs(area), perimeter};
}

}  // namespace zylcarto
