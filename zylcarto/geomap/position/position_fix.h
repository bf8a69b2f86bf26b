#pragma once
/// @file
/// One fix of a position source, checked so that nothing impossible reaches a
/// map: a plain value, safe from any thread, free of Qt.
#include <cmath>
#include <cstdint>
#include <limits>

#include "zylcarto/support/export.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

/// Where a traveller is, as a receiver reported it. Values it did not give are NaN.
struct TPositionFix {
    /// @{
    /// Position in degrees, positive north and east; NaN without a position.
    double Latitude = std::numeric_limits<double>::quiet_NaN();
    double Longitude = std::numeric_limits<double>::quiet_NaN();
    /// @}
    /// Height in metres.
    double Altitude = std::numeric_limits<double>::quiet_NaN();
    /// Course over ground, degrees clockwise from true north, 0 up to 360.
    double Course = std::numeric_limits<double>::quiet_NaN();
    /// Speed over ground in metres per second, at least 0.
    double Speed = std::numeric_limits<double>::quiet_NaN();
    /// Horizontal accuracy in metres (the radius of the circle the receiver is
    /// likely in), above 0.
    double Accuracy = std::numeric_limits<double>::quiet_NaN();
    /// UTC.
    TDateTime Time = std::numeric_limits<double>::quiet_NaN();

    /// True when the fix has a usable position: finite, the latitude within
    /// -90..90, the longitude within a whole turn either way.
    bool HasPosition() const {
        return std::isfinite(Latitude) && std::isfinite(Longitude) && std::fabs(Latitude) <= 90 &&
               std::fabs(Longitude) <= 360;
    }
};

/// What a position source knows.
enum TFixState : std::uint8_t {
    fsNoFix,  ///< nothing yet, or the last fix had no usable position
    fsFix,    ///< a current fix
    fsStale,  ///< the last fix is older than the source's StaleAfterMs
};

/// The fix with every value checked: a position outside the globe or not finite
/// leaves no position at all (never 0°N 0°E), a longitude within a whole turn is
/// normalised to -180..180; a course is taken modulo 360; a negative or
/// non-finite speed, a non-positive or non-finite accuracy, a non-finite
/// altitude or time become unknown (NaN).
ZYLCARTO_EXPORT TPositionFix CheckedFix(TPositionFix Fix);

}  // namespace zylcarto
