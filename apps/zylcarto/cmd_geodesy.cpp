// zylcarto zone | utm | utm-inv | ups | ups-inv | cart | geod | helmert | datums:
// the grid, geocentric and datum conversions of the geodesy unit. Given no
// coordinates, a conversion reads one point per line from standard input.
#include <cctype>
#include <cstdio>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli.h"
#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/projections.h"

namespace zylcarto::cli {
namespace {

// Valid input that has no answer (a point outside the UTM area): exit 1, or an
// error line in batch mode.
struct NotConvertible : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using Fields = std::span<const std::string_view>;
using Converter = std::function<std::string(Fields)>;

TGeoEllipsoid TakeEllipsoid(Args& args) {
    const auto text = TakeOption(args, "--ellipsoid");
    if (!text) return gelWGS84;
    for (int i = 0; i < GeoEllipsoidCount; ++i)
        if (GeoEllipsoidId[i] == *text) return static_cast<TGeoEllipsoid>(i);
    if (!text->empty() && std::isdigit(static_cast<unsigned char>((*text)[0]))) {
        const int ordinal = ParseInt(*text, "ellipsoid");
        if (ordinal >= 0 && ordinal < GeoEllipsoidCount) return static_cast<TGeoEllipsoid>(ordinal);
    }
    throw UsageError("unknown ellipsoid \"" + *text + "\" (see zylcarto ellipsoids)");
}

bool ParseSouth(std::string_view text) {
    if (text == "N" || text == "n") return false;
    if (text == "S" || text == "s") return true;
    throw UsageError("hemisphere must be N or S: \"" + std::string(text) + "\"");
}

int ParseZone(std::string_view text) {
    const int zone = ParseInt(text, "zone");
    if (zone < 1 || zone > 60) throw UsageError("zone must be 1..60: \"" + std::string(text) + "\"");
    return zone;
}

std::string Join(std::initializer_list<std::string> parts) {
    std::string s;
    for (const auto& p : parts) {
        if (!s.empty()) s += ' ';
        s += p;
    }
    return s;
}

// Up to `limit` whitespace-separated fields of a line, without allocating.
std::size_t SplitLine(std::string_view line, std::string_view* fields, std::size_t limit) {
    std::size_t count = 0, i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        std::size_t j = i;
        while (j < line.size() && !std::isspace(static_cast<unsigned char>(line[j]))) ++j;
        if (j > i) {
            if (count == limit) return limit + 1;
            fields[count++] = line.substr(i, j - i);
        }
        i = j;
    }
    return count;
}

// Converts standard input line by line. Output is buffered: large files are the point.
int RunBatch(std::size_t fieldCount, const Converter& convert) {
    constexpr std::size_t Chunk = 1 << 20;
    std::vector<char> buffer(Chunk);
    std::string pending, out;
    out.reserve(Chunk + 4096);
    std::vector<std::string_view> fields(fieldCount);
    bool anyFailed = false;

    const auto processLine = [&](std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t n = SplitLine(line, fields.data(), fieldCount);
        try {
            if (n != fieldCount)
                throw UsageError("expected " + std::to_string(fieldCount) + " values, got " +
                                 (n > fieldCount ? "more" : std::to_string(n)));
            out += convert(Fields(fields.data(), fieldCount));
        } catch (const std::exception& e) {  // UsageError or NotConvertible: this line only
            anyFailed = true;
            out += "error: ";
            out += e.what();
        }
        out += '\n';
        if (out.size() >= Chunk) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    };

    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), stdin)) > 0) {
        std::string_view chunk(buffer.data(), got);
        std::size_t start = 0, nl;
        while ((nl = chunk.find('\n', start)) != std::string_view::npos) {
            if (pending.empty()) {
                processLine(chunk.substr(start, nl - start));
            } else {
                pending.append(chunk.substr(start, nl - start));
                processLine(pending);
                pending.clear();
            }
            start = nl + 1;
        }
        pending.append(chunk.substr(start));
    }
    if (!pending.empty()) processLine(pending);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return anyFailed ? 1 : 0;
}

// A conversion with its coordinates on the command line, or from standard input without them.
int RunConversion(const Args& args, std::size_t fieldCount, std::string_view what, const Converter& convert) {
    RejectUnknownOptions(args);
    if (args.empty()) return RunBatch(fieldCount, convert);
    if (args.size() != fieldCount)
        throw UsageError("expected " + std::string(what) + " (or none, to read them from standard input)");
    const std::vector<std::string_view> fields(args.begin(), args.end());
    try {
        std::puts(convert(Fields(fields)).c_str());
    } catch (const NotConvertible& e) {
        std::fprintf(stderr, "zylcarto: %s\n", e.what());
        return 1;
    }
    return 0;
}

std::string UTMZoneOf(Fields f) {
    const double lat = ParseDouble(f[0], "latitude"), lon = ParseDouble(f[1], "longitude");
    const std::string zone = GeoToUTMZone(lat, lon);
    if (zone.empty()) throw NotConvertible("outside the UTM area (latitude -80..84, longitude -180..<180)");
    return zone;
}

int RunZone(const Args& args) { return RunConversion(args, 2, "LAT LON", UTMZoneOf); }

int RunUTM(const Args& argsIn) {
    Args args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunConversion(args, 2, "LAT LON", [e](Fields f) {
        const double lat = ParseDouble(f[0], "latitude"), lon = ParseDouble(f[1], "longitude");
        int zone = 0;
        char band = ' ';
        GeoToUTMZone(lat, lon, zone, band);
        if (zone == 0) throw NotConvertible("outside the UTM area (latitude -80..84, longitude -180..<180)");
        double easting, northing;
        LatLongToUTM(lat, lon, e, zone, easting, northing);
        return Join({std::to_string(zone), std::string(1, band), FormatFixed(easting, 4), FormatFixed(northing, 4)});
    });
}

int RunUTMInverse(const Args& argsIn) {
    Args args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunConversion(args, 4, "ZONE N|S EASTING NORTHING", [e](Fields f) {
        const int zone = ParseZone(f[0]);
        const bool south = ParseSouth(f[1]);
        const double easting = ParseDouble(f[2], "easting"), northing = ParseDouble(f[3], "northing");
        double lat, lon;
        UTMToLatLong(easting, northing, zone, south, e, lat, lon);
        return Join({FormatFixed(lat, 9), FormatFixed(lon, 9)});
    });
}

int RunUPS(const Args& argsIn) {
    Args args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunConversion(args, 2, "LAT LON", [e](Fields f) {
        const double lat = ParseDouble(f[0], "latitude"), lon = ParseDouble(f[1], "longitude");
        double x, y;
        LatLongToUPS(lat, lon, e, x, y);
        return Join({FormatFixed(x, 4), FormatFixed(y, 4)});
    });
}

int RunUPSInverse(const Args& argsIn) {
    Args args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunConversion(args, 3, "N|S X Y", [e](Fields f) {
        const bool south = ParseSouth(f[0]);
        const double x = ParseDouble(f[1], "X"), y = ParseDouble(f[2], "Y");
        double lat, lon;
        UPSToLatLong(x, y, south, e, lat, lon);
        return Join({FormatFixed(lat, 9), FormatFixed(lon, 9)});
    });
}

int RunCart(const Args& argsIn) {
    Args args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunConversion(args, 3, "LAT LON HEIGHT", [e](Fields f) {
        const double lat = ParseDouble(f[0], "latitude"), lon = ParseDouble(f[1], "longitude"),
                     h = ParseDouble(f[2], "height");
        double x, y, z;
        GeoToCartesian(lat, lon, h, e, x, y, z);
        return Join({FormatFixed(x, 4), FormatFixed(y, 4), FormatFixed(z, 4)});
    });
}

int RunGeod(const Args& argsIn) {
    Args args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunConversion(args, 3, "X Y Z", [e](Fields f) {
        const double x = ParseDouble(f[0], "X"), y = ParseDouble(f[1], "Y"), z = ParseDouble(f[2], "Z");
        double lat, lon, h;
        CartesianToGeo(x, y, z, e, lat, lon, h);
        return Join({FormatFixed(lat, 9), FormatFixed(lon, 9), FormatFixed(h, 4)});
    });
}

int RunHelmert(const Args& argsIn) {
    Args args = argsIn;
    RejectUnknownOptions(args);
    if (args.size() < 2) throw UsageError("expected SRC DST [LAT LON HEIGHT]");
    const int src = ParseInt(args[0], "source datum"), dst = ParseInt(args[1], "destination datum");
    args.erase(args.begin(), args.begin() + 2);
    return RunConversion(args, 3, "SRC DST LAT LON HEIGHT", [src, dst](Fields f) {
        const double lat = ParseDouble(f[0], "latitude"), lon = ParseDouble(f[1], "longitude"),
                     h = ParseDouble(f[2], "height");
        double lat2, lon2, h2;
        const int status = HelmertTransform(src, lat, lon, h, dst, lat2, lon2, h2);
        return Join({FormatFixed(lat2, 9), FormatFixed(lon2, 9), FormatFixed(h2, 4), std::to_string(status)});
    });
}

int RunDatums(const Args& args) {
    if (!args.empty()) throw UsageError("datums takes no arguments");
    for (int n = 1; n <= GeoDatumCount; ++n) {
        const TGeoDatum& d = GeoDatumData[n];
        std::printf("%d\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", n, d.Name.Str().c_str(), d.Region.Str().c_str(),
                    std::string(GeoEllipsoidId[static_cast<std::size_t>(d.Ellipsoid)]).c_str(),
                    FormatShortest(d.DX).c_str(), FormatShortest(d.DY).c_str(), FormatShortest(d.DZ).c_str(),
                    FormatShortest(d.Scale).c_str(), FormatShortest(d.RotX).c_str(), FormatShortest(d.RotY).c_str(),
                    FormatShortest(d.RotZ).c_str());
    }
    return 0;
}

constexpr const char* BatchNote =
    "Without coordinates, reads one point per line from standard input and writes one\n"
    "line per input line; a line that cannot be converted gives \"error: ...\" and the\n"
    "exit status is then 1.\n";
constexpr const char* EllipsoidNote = "--ellipsoid ID: an identifier such as gelWGS84 (the default) or an ordinal.\n";

const Registrar zone{{"zone", "UTM zone and latitude band of a point",
                      std::string("usage: zylcarto zone LAT LON\nPrints the zone and band, e.g. 33U; a point outside "
                                  "the UTM area exits with 1.\n") + BatchNote,
                      RunZone}};
const Registrar utm{{"utm", "latitude/longitude to UTM",
                     std::string("usage: zylcarto utm LAT LON [--ellipsoid ID]\nPrints ZONE BAND EASTING NORTHING "
                                 "(metres); outside the UTM area exits with 1.\n") + EllipsoidNote + BatchNote,
                     RunUTM}};
const Registrar utmInv{{"utm-inv", "UTM to latitude/longitude",
                        std::string("usage: zylcarto utm-inv ZONE N|S EASTING NORTHING [--ellipsoid ID]\n"
                                    "Prints LAT LON (degrees).\n") + EllipsoidNote + BatchNote,
                        RunUTMInverse}};
const Registrar ups{{"ups", "latitude/longitude to UPS",
                     std::string("usage: zylcarto ups LAT LON [--ellipsoid ID]\nPrints X Y (metres).\n") +
                         EllipsoidNote + BatchNote,
                     RunUPS}};
const Registrar upsInv{{"ups-inv", "UPS to latitude/longitude",
                        std::string("usage: zylcarto ups-inv N|S X Y [--ellipsoid ID]\nPrints LAT LON (degrees).\n") +
                            EllipsoidNote + BatchNote,
                        RunUPSInverse}};
const Registrar cart{{"cart", "latitude/longitude/height to geocentric X Y Z",
                      std::string("usage: zylcarto cart LAT LON HEIGHT [--ellipsoid ID]\nPrints X Y Z (metres).\n") +
                          EllipsoidNote + BatchNote,
                      RunCart}};
const Registrar geod{{"geod", "geocentric X Y Z to latitude/longitude/height",
                      std::string("usage: zylcarto geod X Y Z [--ellipsoid ID]\nPrints LAT LON HEIGHT.\n") +
                          EllipsoidNote + BatchNote,
                      RunGeod}};
const Registrar helmert{{"helmert", "datum shift between two datums of the table",
                         std::string("usage: zylcarto helmert SRC DST LAT LON HEIGHT\n"
                                     "SRC and DST are datum numbers (see zylcarto datums). Prints LAT LON HEIGHT STATUS;\n"
                                     "status 0 is success, -1/-2 a bad source/destination datum, -3/-4 a latitude/\n"
                                     "longitude out of range.\n") + BatchNote,
                         RunHelmert}};
const Registrar datums{{"datums", "list the 271 datums and their shifts to WGS 84",
                        "usage: zylcarto datums\nPrints one tab-separated line per datum: number, name, region, "
                        "ellipsoid,\nDX, DY, DZ (metres), Scale (ppm), RotX, RotY, RotZ (arc seconds).\n",
                        RunDatums}};

} // namespace
} // namespace zylcarto::cli
