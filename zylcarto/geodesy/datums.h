#pragma once
/// @file
/// The built-in table of geodetic datums and their shifts to WGS 84.
///
/// 271 rows, numbered from 1 as hosts store the numbers; HelmertTransform takes
/// these numbers. The table is constant from load to unload and may be read
/// from any thread. 58 rows carry all seven parameters, the others a translation
/// only. The parameters agree with their counterparts in the EPSG dataset (259
/// rows have one) to 0.82 m in position over each row's region
/// (tests/geodesy/test_reference_epsg.cpp holds 1 m).
#include <cstdint>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/short_string.h"

namespace zylcarto {

/// One datum: the seven-parameter shift from it to WGS 84 in the
/// position-vector convention. Rows with a translation only have Scale and the
/// rotations 0.
struct TGeoDatum {
    TShortString<33> Name;    ///< upper case, as "ORDNANCE GB 1936"
    TShortString<35> Region;  ///< where the parameters apply
    TGeoEllipsoid Ellipsoid;  ///< the datum's ellipsoid
    double DX;                ///< translation along X, metres
    double DY;                ///< translation along Y, metres
    double DZ;                ///< translation along Z, metres
    double Scale;             ///< scale difference, parts per million
    double RotX;              ///< rotation about X, arc seconds
    double RotY;              ///< rotation about Y, arc seconds
    double RotZ;              ///< rotation about Z, arc seconds
};

/// Number of rows of GeoDatumData.
inline constexpr int GeoDatumCount = 271;
/// Row number of "WORLD GEODETIC SYSTEM 1972".
inline constexpr int GeoDatumWGS72 = 268;
/// Row number of "WORLD GEODETIC SYSTEM 1984", whose parameters are all 0.
inline constexpr int GeoDatumWGS84 = 269;

/// True when Number is a row number of GeoDatumData, 1..GeoDatumCount.
inline constexpr bool IsGeoDatumNumber(int Number) { return Number >= 1 && Number <= GeoDatumCount; }

/// The rows of the datum table, indexed by their numbers 1..GeoDatumCount.
class ZYLCARTO_EXPORT TGeoDatumTable {
public:
    /// A view of GeoDatumCount rows; the table does not own them.
    constexpr explicit TGeoDatumTable(const TGeoDatum* rows) : FRows(rows) {}
    /// Row Number, which must satisfy IsGeoDatumNumber: the index is not
    /// checked, so test a number that comes from outside first.
    const TGeoDatum& operator[](int Number) const { return FRows[Number - 1]; }
    /// The first row, for range-for over all rows in number order.
    const TGeoDatum* begin() const { return FRows; }
    /// Past the last row.
    const TGeoDatum* end() const { return FRows + GeoDatumCount; }

private:
    const TGeoDatum* FRows;
};

/// The datum table.
ZYLCARTO_EXPORT extern const TGeoDatumTable GeoDatumData;

}  // namespace zylcarto
