#pragma once
/// @file
/// Angles as degrees, minutes and seconds of text: "47°04'12.5\"N",
/// "47 4 12.5 N", "N47 04.208", "-47.07".
///
/// Pure functions, safe from any thread; none raises. The degree sign and the
/// typographic primes are read and written as UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

#include "zylcarto/support/export.h"

namespace zylcarto {

/// The axis a hemisphere letter names: N and S a latitude, E and W a longitude.
enum class TDMSAxis : std::uint8_t {
    dmsNone = 0,       ///< no hemisphere letter: the sign tells the direction
    dmsLatitude = 1,   ///< N or S
    dmsLongitude = 2,  ///< E or W
};
using enum TDMSAxis;

/// DMSToDegrees read the text.
inline constexpr int dmsOK = 0;
/// DMSToDegrees: the text is no angle; the message names the offending character or part.
inline constexpr int dmsBadText = -1;

/// Reads an angle in decimal degrees from Text: one to three numbers, degrees,
/// minutes and seconds, each optionally marked by its unit (d, °, º or ˚ for
/// degrees; ', ′ or ’ for minutes; ", ″, ” or '' for seconds) and separated by
/// blanks or colons ("47:04:12.5"). Unmarked numbers take the next unit after the
/// previous one; only the last number may have a fraction; minutes and seconds
/// after another number must be below 60. A sign or a hemisphere letter (N, S, E,
/// W in either case, before or after the numbers) gives the direction; S and W
/// are negative. Exponents are not read.
///
/// Returns dmsOK with Degrees and the Axis the letter names (dmsNone without one),
/// or dmsBadText with the outputs unchanged; then Message, when given, receives a
/// sentence naming what is wrong ("unexpected 'x' at position 3"). The range of
/// the angle is left to the caller.
ZYLCARTO_EXPORT int DMSToDegrees(std::string_view Text, double& Degrees, TDMSAxis& Axis,
                                 std::string* Message = nullptr);

/// Degrees as whole degrees, minutes and seconds with Decimals digits (clamped
/// to 0..9), followed by the hemisphere letter of Axis ("47°04'12.50000\"N",
/// "15°26'00.00000\"W"), or with a leading minus sign for dmsNone. The seconds
/// are rounded once, so 59.9999" never shows as 60; a value that prints as zero
/// takes N, E or no sign. A value that is not finite comes back as a decimal.
ZYLCARTO_EXPORT std::string DegreesToDMS(double Degrees, TDMSAxis Axis, int Decimals);

}  // namespace zylcarto
