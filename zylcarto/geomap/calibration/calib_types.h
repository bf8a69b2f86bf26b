#pragma once
// The calibration records of a map: reference points, graticule lines, corners.
// The arrays have fixed capacities and count from 1; an index outside the
// capacity raises std::out_of_range instead of touching memory, and the counts
// a caller or a file puts into the record are clamped by the Used* helpers
// before anything iterates over them.
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

enum class TCalibModel : std::uint8_t {
    cmParabolicIp = 0,
    cmBiquadraticPn = 1,
    cmConicConformal = 2,
    cmMillerCylindrical = 3,
    cmEquiRect = 4,
    cmUTM = 5,
    cmUndefined = 6
};
using enum TCalibModel;

// The names of the models in the calibration file, in enumeration order.
inline constexpr std::array<std::string_view, 7> CalibModelNames{
    "parabolicip", "biquadraticpn", "conicconformal", "millercylindrical", "equirect", "utm", "undefined"};

enum class TGratLineKind : std::uint8_t { gtlMeridian = 0, gtlParallel = 1 };
using enum TGratLineKind;

enum class TCorners : std::uint8_t { gcoTopLeft = 0, gcoBottomLeft = 1, gcoBottomRight = 2, gcoTopRight = 3 };
using enum TCorners;

inline constexpr int MaxCalibLines = 25;
inline constexpr int MaxGratLinePoints = 10;
inline constexpr int MaxCalibQuads = 200;

// Fixed-size array indexed First .. First + N - 1.
template <typename T, int N, int First = 1>
class TFixedArray {
public:
    static constexpr int Low() { return First; }
    static constexpr int High() { return First + N - 1; }
    static constexpr int Capacity() { return N; }
    static constexpr bool InRange(int Index) { return Index >= First && Index < First + N; }

    T& operator[](int Index) { return FItems[Slot(Index)]; }
    const T& operator[](int Index) const { return FItems[Slot(Index)]; }

    auto begin() { return FItems.begin(); }
    auto end() { return FItems.end(); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

    friend bool operator==(const TFixedArray&, const TFixedArray&) = default;

private:
    static std::size_t Slot(int Index) {
        if (!InRange(Index)) throw std::out_of_range("array index " + std::to_string(Index) + " out of range");
        return static_cast<std::size_t>(Index - First);
    }
    std::array<T, N> FItems{};
};

struct TCoords {
    double Latit = 0;
    double Longit = 0;
    friend bool operator==(const TCoords&, const TCoords&) = default;
};

// A position in degrees as the library takes it: latitude within [-90, 90],
// longitude within [-180, 180]. Others (and NaN) are refused, not wrapped, so
// that converting, testing and storing a position all give the same answer.
inline bool IsGeoPosition(double Lat, double Long) { return std::fabs(Lat) <= 90 && std::fabs(Long) <= 180; }

// Four corners indexed by TCorners.
struct TCornerArray {
    TCoords& operator[](TCorners C) { return FItems.at(static_cast<std::size_t>(C)); }
    const TCoords& operator[](TCorners C) const { return FItems.at(static_cast<std::size_t>(C)); }
    auto begin() { return FItems.begin(); }
    auto end() { return FItems.end(); }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }
    friend bool operator==(const TCornerArray&, const TCornerArray&) = default;

private:
    std::array<TCoords, 4> FItems{};
};

// One reference point. On a cmUTM map Latitude holds the northing and
// Longitude the easting, in metres.
struct TCalQuad {
    double Latitude = 0;
    double Longitude = 0;
    std::int32_t MapX = 0;
    std::int32_t MapY = 0;
    friend bool operator==(const TCalQuad&, const TCalQuad&) = default;
};

// One graticule line: a meridian (LineValue = longitude) or a parallel (latitude).
struct TCalibLine {
    TGratLineKind LineType = gtlMeridian;
    double LineValue = 0;
    std::int32_t NumPoints = 0;
    TFixedArray<TPoint, MaxGratLinePoints> CalPoints;
    friend bool operator==(const TCalibLine&, const TCalibLine&) = default;
};

struct TCalibData {
    std::string MapFName;
    std::string Caption;
    TCornerArray Corners;
    double Resolution = 0;  // metres per pixel along the horizontal middle line
    std::int32_t NumCalLines = 0;
    TFixedArray<TCalibLine, MaxCalibLines> CalLines;
    std::int32_t NumCalQuads = 0;
    TFixedArray<TCalQuad, MaxCalibQuads> CalQuads;
    std::int32_t UTMZone = 0;
    bool UTMSouth = false;
    TGeoEllipsoid Ellipsoid = TGeoEllipsoid::gelWGS84;
    friend bool operator==(const TCalibData&, const TCalibData&) = default;
};

// The counts of a record clamped to the capacities: what may be iterated over.
inline int UsedCalLines(const TCalibData& D) { return std::clamp(D.NumCalLines, 0, MaxCalibLines); }
inline int UsedCalQuads(const TCalibData& D) { return std::clamp(D.NumCalQuads, 0, MaxCalibQuads); }
inline int UsedPoints(const TCalibLine& L) { return std::clamp(L.NumPoints, 0, MaxGratLinePoints); }

}  // namespace zylcarto
