#pragma once
/// @file
/// Numeric helpers: distances, clipping, rounding, sampling, number formats.
/// All are pure functions or plain values, safe from any thread; only the
/// random generator keeps state, shared by the process and drawn atomically.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <string>
#include <string_view>

#include "zylcarto/support/export.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

/// Floating values to pixels and percentages: nearest, halves to even, saturated
/// to the int range; NaN gives 0.
inline int RoundToInt(double v) {
    if (std::isnan(v)) return 0;
    constexpr double Lo = std::numeric_limits<int>::min(), Hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::nearbyint(std::clamp(v, Lo, Hi)));
}

/// Factor from degrees to radians.
inline constexpr double DegToRad = std::numbers::pi / 180.0;

/// Great-circle distance between two points given in degrees on a sphere of
/// Radius, in the unit of Radius (atan2 form: accurate for tiny distances and
/// antipodes alike). NaN input gives NaN.
ZYLCARTO_EXPORT double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2);

/// Angle as text, locale-independent (point as decimal separator), no hemisphere letter:
/// - dfDecimal: 48.2000 (Decimals digits after the point);
/// - dfDegMin: 48°12.00' (whole degrees, minutes with Decimals digits);
/// - dfDegMinSec: 48°12'00.0" (whole degrees and minutes, seconds with Decimals digits).
///
/// The degree sign is UTF-8. Negative values keep their sign unless they print as zero.
/// Rounding happens once on the last printed digit, so 59.9999' never shows as 60.
/// Decimals is clamped to 0..9; values not finite or too large for the sexagesimal
/// forms come back in the decimal form. Never raises.
ZYLCARTO_EXPORT std::string DegreeToStr(double Value, TDegreeFormat Format, int Decimals);

/// Value as upper-case hexadecimal of at least Digits digits ("00FF00FF"), padding capped at 64.
ZYLCARTO_EXPORT std::string Hex(std::uint64_t Value, int Digits);
/// Reads hexadecimal digits from Text[Position] (0-based), skipping leading blanks and an
/// optional '$' or "0x" (case-insensitive digits); advances Position past them and stops at
/// the first other character. Returns 0 with Position unchanged when no digit is there.
/// Beyond 16 digits all digits are consumed and the low 64 bits kept.
ZYLCARTO_EXPORT std::uint64_t ScanHex(std::string_view Text, std::size_t& Position);

/// Reads a date and time by Format from Text[Position], advancing Position. Format is
/// made of the fields yyyy, mm, dd, HH, MM, SS (fixed digit counts) and literal characters;
/// the library uses "yyyymmddHHMMSS". Fields the format leaves out take 1899-12-30 00:00:00.
/// Returns false, Position and Result unchanged, when the text does not match or the date
/// is invalid. Language is accepted for compatibility and does not matter here.
ZYLCARTO_EXPORT bool ScanDateTime(std::string_view Text, std::string_view Format, int Language, std::size_t& Position,
                                  TDateTime& Result);
/// TDateTime of a calendar date and time (proleptic Gregorian, years 1..9999).
/// Before 1899-12-30 values are negative and still grow with time: the day is the floor.
/// Raises EZYLError for a date or time out of range.
ZYLCARTO_EXPORT TDateTime EncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second);
/// The calendar date and time of Value, the inverse of EncodeDateTime, rounded to the
/// second. Raises EZYLError, outputs unchanged, for a value outside years 1..9999 or NaN.
ZYLCARTO_EXPORT void DecodeDateTime(TDateTime Value, int& Year, int& Month, int& Day, int& Hour, int& Minute,
                                    int& Second);
/// Local time now, to the millisecond.
ZYLCARTO_EXPORT TDateTime Now();

/// Swaps a and b by copy.
template <typename T>
void ExChange(T& a, T& b) {
    T t = a;
    a = b;
    b = t;
}

/// Nearest value of the series ..., 0.1, 0.2, 0.5, 1, 2, 5, 10, ... in the logarithmic
/// sense, as scale bars and grid steps use; values <= 0 or not finite give 0.
ZYLCARTO_EXPORT double Round125(double x);

/// True with probability p (false for p <= 0 or NaN, true for p >= 1), from the
/// library's own process-wide generator (splitmix64); thread-safe, each call its own draw.
ZYLCARTO_EXPORT bool BRandom(double p);
/// Restarts the generator of BRandom at Seed, so a sequence of draws repeats.
ZYLCARTO_EXPORT void SetRandomSeed(std::uint64_t Seed);

/// A segment for clipping against an axis-parallel box; a plain value.
class ZYLCARTO_EXPORT TSLine {
public:
    /// Sets the segment from (x1, y1) to (x2, y2).
    void LineFrom2Points(double x1, double y1, double x2, double y2);
    /// Clips the segment to the box [Left..Right] x [Bottom..Top] (either order accepted);
    /// returns false when it does not cross the box, an end is not finite or an edge
    /// is NaN (outputs untouched then). The end points come back clipped, in the segment's order;
    /// a segment touching the box in one point gives that point twice.
    bool ClipBox(double Left, double Bottom, double Right, double Top, double& x1, double& y1, double& x2,
                 double& y2) const;

private:
    double FX1 = 0, FY1 = 0, FX2 = 0, FY2 = 0;
};

}  // namespace zylcarto
