#pragma once
/// @file
/// A constant table of countries with their codes, an approximate centre and the
/// capital's position. The library never reads it; it is published for hosts.
/// The table is constant from load to unload and may be read from any thread.
#include <array>
#include <cstdint>

#include "zylcarto/support/export.h"
#include "zylcarto/support/short_string.h"

namespace zylcarto {

/// One country. Strings are fixed-capacity 8-bit strings (read them with Str());
/// positions are decimal degrees, positive north and east.
struct TCountryData {
    TShortString<40> Name;      ///< English name
    TShortString<2> Fips10;     ///< FIPS 10-4 code, lower case
    TShortString<2> ISO3166_2;  ///< ISO 3166 alpha-2 code, lower case
    TShortString<3> ISO3166_3;  ///< ISO 3166 alpha-3 code, lower case
    double CLat;                ///< latitude of an approximate centre, degrees
    double CLong;               ///< longitude of that centre, degrees
    TShortString<31> Capital;   ///< name of the capital; empty where there is none
    double CapLat;              ///< latitude of the capital, degrees
    double CapLong;             ///< longitude of the capital, degrees
    std::int32_t CapAlt;        ///< capital's altitude, metres
};

/// Number of rows of CountryData.
inline constexpr int CountryCount = 231;

/// The countries, indexed from 0, sorted by Name.
ZYLCARTO_EXPORT extern const std::array<TCountryData, CountryCount> CountryData;

}  // namespace zylcarto
