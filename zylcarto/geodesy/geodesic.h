#pragma once
/// @file
/// Distances, azimuths and areas on the WGS 84 ellipsoid along geodesics, the
/// shortest paths on its surface, accurate to a few nanometres (GeographicLib).
/// Positions are in degrees, positive north and east; any longitude names its
/// meridian. A latitude beyond the poles or a coordinate that is not finite gives
/// NaN for every value that depends on it. Pure functions, safe from any thread.
#include <span>
#include <vector>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// A position on the ellipsoid, degrees.
struct TLatLong {
    /// @{
    /// Latitude and longitude.
    double Lat = 0, Long = 0;
    /// @}
    /// Equal when both coordinates are.
    friend bool operator==(const TLatLong&, const TLatLong&) = default;
};

/// The geodesic between two positions.
struct TGeodesic {
    /// Length in metres.
    double Distance = 0;
    /// Azimuth at the start, degrees clockwise from north, -180..180.
    double Azimuth1 = 0;
    /// Azimuth at the end, in the direction of travel (the forward azimuth).
    double Azimuth2 = 0;
};

/// The geodesic from From to To. Between two coincident positions the distance is 0
/// and the azimuths follow the meridian; between antipodes one of the shortest paths.
ZYLCARTO_EXPORT TGeodesic GeodesicInverse(TLatLong From, TLatLong To);

/// A path through positions joined by geodesics.
struct TPathMeasure {
    /// Sum of the legs in metres; 0 for fewer than two positions.
    double Length = 0;
    /// Azimuth at the start of each leg (one fewer than the positions).
    std::vector<double> Bearings;
};

/// The length and the bearings of the legs of a path.
ZYLCARTO_EXPORT TPathMeasure MeasurePath(std::span<const TLatLong> Points);

/// A polygon on the ellipsoid.
struct TPolygonMeasure {
    /// Area enclosed in square metres, whichever way the outline runs. Of the two
    /// regions an outline parts the ellipsoid into, the one it encircles (the
    /// smaller unless the outline crosses itself); 0 for fewer than three positions.
    double Area = 0;
    /// Length of the outline in metres, the closing leg back to the first position included.
    double Perimeter = 0;
};

/// The area and perimeter of the polygon whose vertices are Points (not repeated
/// at the end), its sides geodesics.
ZYLCARTO_EXPORT TPolygonMeasure MeasurePolygon(std::span<const TLatLong> Points);

}  // namespace zylcarto
