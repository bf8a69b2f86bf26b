// A batch converter: each input line "latitude longitude" (decimal degrees, WGS 84)
// becomes "zone+band easting northing" in metres. Uses the core library only.
//
//     printf '48.2 16.4\n-33.9 18.4\n' | zylcarto_example_utm_batch
//
// Exit status: 0 when every line converted, 1 when a position lies outside the
// UTM area, 2 when a line is not two numbers.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include <zylcarto/geodesy/projections.h>

namespace {

// Reads one number and the blanks after it; from_chars ignores the locale.
bool ReadNumber(std::string_view& text, double& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) return false;
    text.remove_prefix(static_cast<std::size_t>(result.ptr - text.data()));
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r'))
        text.remove_prefix(1);
    return true;
}

}  // namespace

int main() {
    int status = 0;
    std::string line;
    for (long number = 1; std::getline(std::cin, line); ++number) {
        std::string_view text(line);
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
        if (text.empty() || text == "\r") continue;
        double lat = 0, lon = 0;
        if (!ReadNumber(text, lat) || !ReadNumber(text, lon) || !text.empty()) {
            std::fprintf(stderr, "line %ld: expected latitude and longitude in degrees\n", number);
            status = 2;
            continue;
        }
        int zone = 0;
        double easting = 0, northing = 0;
        zylcarto::LatLongToUTM(lat, lon, zylcarto::gelWGS84, zone, easting, northing);
        if (zone == 0) {  // the library's mark for a position without a UTM zone
            std::fprintf(stderr, "line %ld: %g %g lies outside the UTM area\n", number, lat, lon);
            if (status == 0) status = 1;
            continue;
        }
        std::printf("%s %.4f %.4f\n", zylcarto::GeoToUTMZone(lat, lon).c_str(), easting, northing);
    }
    return status;
}
