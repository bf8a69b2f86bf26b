#pragma once
/// @file
/// The calibration records of a map: reference points, graticule lines, corners.
/// Plain values, copied freely, safe to use from any thread. The arrays have fixed
/// capacities and count from 1; an index outside the capacity raises
/// std::out_of_range instead of touching memory, and the counts a caller or a file
/// puts into the record are clamped by the Used* helpers before anything iterates
/// over them.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

/// How pixels are tied to coordinates.
enum class TCalibModel : std::uint8_t {
    cmParabolicIp = 0,        ///< interpolation between graticule lines fitted as parabolas
    cmBiquadraticPn = 1,      ///< second-order polynomial in both directions
    cmConicConformal = 2,     ///< cone with its apex found by search
    cmMillerCylindrical = 3,  ///< Miller cylindrical projection
    cmEquiRect = 4,           ///< affine equirectangular
    cmUTM = 5,                ///< affine between pixels and UTM easting and northing
    cmUndefined = 6,          ///< no calibration: every conversion reports invalid
    cmProjected = 7           ///< polynomial between pixels and the easting and northing of any CRS (PROJ)
};
using enum TCalibModel;

/// The names of the models in the calibration file, in enumeration order.
inline constexpr std::array<std::string_view, 8> CalibModelNames{
    "parabolicip", "biquadraticpn", "conicconformal", "millercylindrical", "equirect", "utm", "undefined", "projected"};
/// True for the models whose reference points are grid metres, not degrees.
inline constexpr bool IsGridModel(TCalibModel M) { return M == TCalibModel::cmUTM || M == TCalibModel::cmProjected; }

/// A graticule line is a meridian (constant longitude) or a parallel (constant latitude).
enum class TGratLineKind : std::uint8_t { gtlMeridian = 0, gtlParallel = 1 };
using enum TGratLineKind;

/// The four image corners, in the order of TCornerArray.
enum class TCorners : std::uint8_t { gcoTopLeft = 0, gcoBottomLeft = 1, gcoBottomRight = 2, gcoTopRight = 3 };
using enum TCorners;

/// Capacity of TCalibData::CalLines.
inline constexpr int MaxCalibLines = 25;
/// Capacity of TCalibLine::CalPoints.
inline constexpr int MaxGratLinePoints = 10;
/// Capacity of TCalibData::CalQuads.
inline constexpr int MaxCalibQuads = 200;

/// Fixed-size array of N values indexed First .. First + N - 1; values start
/// value-initialised.
template <typename T, int N, int First = 1>
class TFixedArray {
public:
    /// The first index.
    static constexpr int Low() { return First; }
    /// The last index.
    static constexpr int High() { return First + N - 1; }
    /// Number of elements, N.
    static constexpr int Capacity() { return N; }
    /// True for First <= Index < First + N.
    static constexpr bool InRange(int Index) { return Index >= First && Index < First + N; }

    /// @{
    /// Element Index; std::out_of_range outside First .. First + N - 1.
    T& operator[](int Index) { return FItems[Slot(Index)]; }
    const T& operator[](int Index) const { return FItems[Slot(Index)]; }

    /// @}
    /// @{
    /// Iteration over all N elements, used or not.
    auto begin() { return FItems.begin(); }
    auto end() { return FItems.end(); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

    /// @}
    /// Equal when every element is.
    friend bool operator==(const TFixedArray&, const TFixedArray&) = default;

private:
    static std::size_t Slot(int Index) {
        if (!InRange(Index)) throw std::out_of_range("array index " + std::to_string(Index) + " out of range");
        return static_cast<std::size_t>(Index - First);
    }
    std::array<T, N> FItems{};
};

/// A geographic position.
struct TCoords {
    /// Latitude in degrees, positive north.
    double Latit = 0;
    /// Longitude in degrees, positive east.
    double Longit = 0;
    /// Equal when both coordinates are.
    friend bool operator==(const TCoords&, const TCoords&) = default;
};

/// A position in degrees as the library stores it: latitude within [-90, 90],
/// longitude within [-180, 180]. A longitude given within a whole turn of 0 is
/// first taken as its meridian (181 as -179) wherever the library takes one;
/// other values (and NaN) are refused, so that converting, testing and storing a
/// position all give the same answer.
inline bool IsGeoPosition(double Lat, double Long) { return std::fabs(Lat) <= 90 && std::fabs(Long) <= 180; }

/// The positions of the four image corners, indexed by TCorners.
struct TCornerArray {
    /// @{
    /// Corner C; std::out_of_range for a value outside TCorners.
    TCoords& operator[](TCorners C) { return FItems.at(static_cast<std::size_t>(C)); }
    const TCoords& operator[](TCorners C) const { return FItems.at(static_cast<std::size_t>(C)); }
    /// @}
    /// @{
    /// Iteration over the corners in TCorners order.
    auto begin() { return FItems.begin(); }
    auto end() { return FItems.end(); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }
    /// @}
    /// Equal when every corner is.
    friend bool operator==(const TCornerArray&, const TCornerArray&) = default;

private:
    std::array<TCoords, 4> FItems{};
};

/// One reference point. On a cmUTM or cmProjected map Latitude holds the
/// northing and Longitude the easting, in the units of the grid (metres, or
/// degrees for a geographic CRS).
struct TCalQuad {
    /// Latitude in degrees (northing in metres on a cmUTM map).
    double Latitude = 0;
    /// Longitude in degrees (easting in metres on a cmUTM map).
    double Longitude = 0;
    /// Column in the full-resolution image, pixels.
    std::int32_t MapX = 0;
    /// Row in the full-resolution image, pixels.
    std::int32_t MapY = 0;
    /// Equal when all four fields are.
    friend bool operator==(const TCalQuad&, const TCalQuad&) = default;
};

/// One graticule line of cmParabolicIp: a meridian (LineValue = longitude) or a
/// parallel (latitude), through up to MaxGratLinePoints image pixels.
struct TCalibLine {
    /// Meridian or parallel.
    TGratLineKind LineType = gtlMeridian;
    /// Longitude of a meridian or latitude of a parallel, degrees.
    double LineValue = 0;
    /// Points in use; read through UsedPoints.
    std::int32_t NumPoints = 0;
    /// Image pixels on the line, 1 .. NumPoints.
    TFixedArray<TPoint, MaxGratLinePoints> CalPoints;
    /// Equal when every field and every point, used or not, is.
    friend bool operator==(const TCalibLine&, const TCalibLine&) = default;
};

/// The calibration of one map image.
struct TCalibData {
    /// File name of the map image.
    std::string MapFName;
    /// Caption of the map.
    std::string Caption;
    /// Geographic position of the four image corners.
    TCornerArray Corners;
    /// Metres per pixel along the horizontal middle line.
    double Resolution = 0;
    /// Graticule lines in use; read through UsedCalLines.
    std::int32_t NumCalLines = 0;
    /// Graticule lines, 1 .. NumCalLines.
    TFixedArray<TCalibLine, MaxCalibLines> CalLines;
    /// Reference points in use; read through UsedCalQuads.
    std::int32_t NumCalQuads = 0;
    /// Reference points, 1 .. NumCalQuads.
    TFixedArray<TCalQuad, MaxCalibQuads> CalQuads;
    /// UTM zone 1..60 of UTM reference points; -1 after clearing.
    std::int32_t UTMZone = 0;
    /// UTM points carry the southern false northing.
    bool UTMSouth = false;
    /// Ellipsoid of UTM points.
    TGeoEllipsoid Ellipsoid = TGeoEllipsoid::gelWGS84;
    /// cmProjected: the coordinate reference system of the grid as PROJ takes it
    /// ("EPSG:27700", a PROJ string or WKT), UTF-8; empty otherwise.
    std::string CRS;
    /// cmProjected: order of the polynomial between pixels and grid, 1 (affine,
    /// 3 points) or 2 (6 points); other values count as 1.
    std::int32_t ProjOrder = 1;
    /// Equal when every field is, unused array entries included.
    friend bool operator==(const TCalibData&, const TCalibData&) = default;
};

/// NumCalLines clamped to 0..MaxCalibLines: the lines that may be iterated over.
inline int UsedCalLines(const TCalibData& D) { return std::clamp(D.NumCalLines, 0, MaxCalibLines); }
/// NumCalQuads clamped to 0..MaxCalibQuads.
inline int UsedCalQuads(const TCalibData& D) { return std::clamp(D.NumCalQuads, 0, MaxCalibQuads); }
/// NumPoints of L clamped to 0..MaxGratLinePoints.
inline int UsedPoints(const TCalibLine& L) { return std::clamp(L.NumPoints, 0, MaxGratLinePoints); }

}  // namespace zylcarto
