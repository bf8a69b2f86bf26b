#pragma once
// The built-in table of geodetic datums and their shifts to WGS 84.
#include <cstdint>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/short_string.h"

namespace zylcarto {

// One datum: the seven-parameter (position-vector) shift from it to WGS 84.
// Rows with a translation only have Scale and the rotations 0.
struct TGeoDatum {
    TShortString<33> Name;    // upper case
    TShortString<35> Region;  // where the parameters apply
    TGeoEllipsoid Ellipsoid;
    double DX, DY, DZ;        // metres
    double Scale;             // parts per million
    double RotX, RotY, RotZ;  // arc seconds
};

inline constexpr int GeoDatumCount = 271;
inline constexpr int GeoDatumWGS72 = 268;
inline constexpr int GeoDatumWGS84 = 269;

inline constexpr bool IsGeoDatumNumber(int Number) { return Number >= 1 && Number <= GeoDatumCount; }

// The rows numbered 1..GeoDatumCount, as the numbers are stored by hosts.
class ZYLCARTO_EXPORT TGeoDatumTable {
public:
    constexpr explicit TGeoDatumTable(const TGeoDatum* rows) : FRows(rows) {}
    // Number must satisfy IsGeoDatumNumber.
    const TGeoDatum& operator[](int Number) const { return FRows[Number - 1]; }
    const TGeoDatum* begin() const { return FRows; }
    const TGeoDatum* end() const { return FRows + GeoDatumCount; }

private:
    const TGeoDatum* FRows;
};

ZYLCARTO_EXPORT extern const TGeoDatumTable GeoDatumData;

} // namespace zylcarto
