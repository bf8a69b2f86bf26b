#pragma once
// A constant table of countries with their codes, an approximate centre and the
// capital's position. The library never reads it; it is published for hosts.
#include <array>
#include <cstdint>

#include "zylcarto/support/export.h"
#include "zylcarto/support/short_string.h"

namespace zylcarto {

struct TCountryData {
    TShortString<40> Name;       // English name
    TShortString<2> Fips10;      // FIPS 10-4 code, lower case
    TShortString<2> ISO3166_2;   // ISO 3166 alpha-2 code, lower case
    TShortString<3> ISO3166_3;   // ISO 3166 alpha-3 code, lower case
    double CLat;                 // approximate centre, degrees
    double CLong;
    TShortString<31> Capital;    // empty where there is none
    double CapLat;               // capital, degrees
    double CapLong;
    std::int32_t CapAlt;         // capital's altitude, metres
};

inline constexpr int CountryCount = 231;

// Indexed from 0, sorted by Name.
ZYLCARTO_EXPORT extern const std::array<TCountryData, CountryCount> CountryData;

} // namespace zylcarto
