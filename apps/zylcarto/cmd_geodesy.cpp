// zylcarto zone | utm | utm-inv | ups | ups-inv | cart | geod | helmert | datums:
// the grid, geocentric and datum conversions of the geodesy unit. Given no
// coordinates, a conversion reads one point per line from standard input.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli.h"
#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/projections.h"

namespace zylcarto::cli {
namespace {

using TFields = std::span<const std::string_view>;
using TConverter = std::function<std::string(TFields)>;

TGeoEllipsoid TakeEllipsoid(TArgs& args) {
    const auto text = TakeOption(args, "--ellipsoid");
    if (!text) return gelWGS84;
    for (int i = 0; i < GeoEllipsoidCount; ++i)
        if (GeoEllipsoidId[i] == *text) return static_cast<TGeoEllipsoid>(i);
    if (!text->empty() && std::isdigit(static_cast<unsigned char>((*text)[0]))) {
        const int ordinal = ParseInt(*text, "ellipsoid");
        if (ordinal >= 0 && ordinal < GeoEllipsoidCount) return static_cast<TGeoEllipsoid>(ordinal);
    }
    throw EUsageError("unknown ellipsoid " + Quoted(*text) + " (see zylcarto ellipsoids)");
}

bool ParseSouth(std::string_view text) {
    if (text == "N" || text == "n") return false;
    if (text == "S" || text == "s") return true;
    throw EUsageError("hemisphere must be N or S: " + Quoted(text));
}

int ParseZone(std::string_view text) {
    const int zone = ParseInt(text, "zone");
    if (zone < 1 || zone > 60) throw EUsageError("zone must be 1..60: " + Quoted(text));
    return zone;
}

int ParseDatum(std::string_view text, std::string_view what) {
    const int datum = ParseInt(text, what);
    if (!IsGeoDatumNumber(datum))
        throw EUsageError(std::string(what) + " must be 1.." + std::to_string(GeoDatumCount) + ": " + Quoted(text));
    return datum;
}

// A latitude given as input: a position beyond the poles has no conversion.
double ParseLatitude(std::string_view text) {
    const double lat = ParseDouble(text, "latitude");
    if (std::fabs(lat) > 90) throw EOperationFailed("latitude " + Quoted(text) + " is beyond the poles");
    return lat;
}

// The library leaves the ranges of its results to the caller: an answer must be a
// finite number, and a latitude one within the poles.
double Finite(double value, const char* what) {
    if (!std::isfinite(value)) throw EOperationFailed(std::string("no finite ") + what + " for this input");
    return value;
}

double Latitude(double lat) {
    if (!(std::fabs(Finite(lat, "latitude")) <= 90))
        throw EOperationFailed("no geographic position for this input (latitude " + FormatFixed(lat, 3) + ")");
    return lat;
}

constexpr const char* BeyondSeries =
    "beyond the range of the Transverse Mercator series (one Earth radius from the central meridian)";

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

// Converts standard input line by line; blank lines are skipped, and CR, LF and
// CR LF all end a line. Output is buffered: large files are the point.
int RunBatch(std::size_t fieldCount, const TConverter& convert) {
    constexpr std::size_t Chunk = 1 << 20;
    std::vector<char> buffer(Chunk);
    std::string pending, out;
    out.reserve(Chunk + 4096);
    std::vector<std::string_view> fields(fieldCount);
    bool anyFailed = false;

    const auto processLine = [&](std::string_view line) {
        const std::size_t n = SplitLine(line, fields.data(), fieldCount);
        if (n == 0) return;
        try {
            if (n != fieldCount)
                throw EUsageError("expected " + std::to_string(fieldCount) + " values, got " +
                                  (n > fieldCount ? "more" : std::to_string(n)));
            out += convert(TFields(fields.data(), fieldCount));
        } catch (const std::exception& e) {  // EUsageError or EOperationFailed: this line only
            anyFailed = true;
            out += "error: ";
            out += e.what();
        }
        out += '\n';
        if (out.size() >= Chunk) {
            WriteOut(out);
            out.clear();
        }
    };

    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), stdin)) > 0) {
        std::string_view chunk(buffer.data(), got);
        std::size_t start = 0, end;
        while ((end = chunk.find_first_of("\r\n", start)) != std::string_view::npos) {
            if (pending.empty()) {
                processLine(chunk.substr(start, end - start));
            } else {
                pending.append(chunk.substr(start, end - start));
                processLine(pending);
                pending.clear();
            }
            start = end + 1;
        }
        pending.append(chunk.substr(start));
    }
    if (std::ferror(stdin)) throw EUsageError(std::string("cannot read standard input: ") + std::strerror(errno));
    if (!pending.empty()) processLine(pending);
    WriteOut(out);
    return anyFailed ? ExitFailed : ExitSuccess;
}

// A conversion with its coordinates on the command line, or from standard input without them.
int RunConversion(const TArgs& args, std::size_t fieldCount, std::string_view what, const TConverter& convert) {
    RejectUnknownOptions(args);
    if (args.empty()) return RunBatch(fieldCount, convert);
    if (args.size() != fieldCount)
        throw EUsageError("expected " + std::string(what) + " (or none, to read them from standard input)");
    const std::vector<std::string_view> fields(args.begin(), args.end());
    WriteOut(convert(TFields(fields)) + "\n");
    return ExitSuccess;
}

std::string UTMZoneOf(TFields f) {
    const double lat = ParseDouble(f[0], "latitude"), lon = ParseDouble(f[1], "longitude");
    const std::string zone = GeoToUTMZone(lat, lon);
    if (zone.empty()) throw EOperationFailed("outside the UTM area (latitude -80..84, longitude -180..180)");
    return zone;
}

int RunZone(const TArgs& args) { return RunConversion(args, 2, "LAT LON", UTMZoneOf); }

int RunUTM(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    const auto forced = TakeOption(args, "--zone");
    const int forcedZone = forced ? ParseZone(*forced) : 0;
    return RunConversion(args, 2, "LAT LON", [e, forcedZone](TFields f) {
        const double lat = ParseDouble(f[0], "latitude"), lon = ParseDouble(f[1], "longitude");
        int zone = 0;
        char band = ' ';
        GeoToUTMZone(lat, lon, zone, band);
        if (zone == 0) throw EOperationFailed("outside the UTM area (latitude -80..84, longitude -180..180)");
        double easting, northing;
        if (forcedZone != 0) {
            zone = forcedZone;
            if (!LatLongToUTMForced(lat, lon, zone, e, easting, northing))
                throw EOperationFailed("beyond the reach of zone " + std::to_string(zone) +
                                       " (eastings 0..1000000 m)");
        } else {
            LatLongToUTM(lat, lon, e, zone, easting, northing);
        }
        return Join({std::to_string(zone), std::string(1, band), FormatFixed(Finite(easting, "easting"), 4),
                     FormatFixed(Finite(northing, "northing"), 4)});
    });
}

// --lon0 and the other parameters of a general Transverse Mercator.
TTransverseMercator TakeTransverseMercator(TArgs& args) {
    const auto a = TakeOption(args, "--a"), rf = TakeOption(args, "--rf");
    const bool catalogue = std::find(args.begin(), args.end(), "--ellipsoid") != args.end();
    if ((a || rf) && (catalogue || !a || !rf)) throw EUsageError("give either --ellipsoid or both --a and --rf");
    TTransverseMercator p = TransverseMercatorOn(TakeEllipsoid(args));
    if (a) {
        p.SemiMajor = ParseDouble(*a, "semi-major axis");
        p.RecipFlattening = ParseDouble(*rf, "reciprocal flattening");
        if (!(p.SemiMajor > 0)) throw EUsageError("--a must be above 0: " + Quoted(*a));
        if (p.RecipFlattening != 0 && !(p.RecipFlattening >= TMMinRecipFlattening))
            throw EUsageError("--rf must be 0 (a sphere) or at least " + FormatShortest(TMMinRecipFlattening) + ": " +
                              Quoted(*rf));
    }
    const auto take = [&](const char* name, const char* what, double& value) {
        if (const auto text = TakeOption(args, name)) value = ParseDouble(*text, what);
    };
    const auto lon0 = TakeOption(args, "--lon0");
    if (!lon0) throw EUsageError("--lon0 (the central meridian) is required");
    p.CentralMeridian = ParseDouble(*lon0, "central meridian");
    take("--lat0", "latitude of origin", p.OriginLatitude);
    take("--k0", "scale factor", p.Scale);
    take("--x0", "false easting", p.FalseEasting);
    take("--y0", "false northing", p.FalseNorthing);
    if (std::fabs(p.CentralMeridian) > 180) throw EUsageError("--lon0 must be -180..180: " + Quoted(*lon0));
    if (std::fabs(p.OriginLatitude) > 90) throw EUsageError("--lat0 must be -90..90");
    if (!(p.Scale > 0)) throw EUsageError("--k0 must be above 0");
    return p;
}

int RunTM(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TTransverseMercator p = TakeTransverseMercator(args);
    return RunConversion(args, 2, "LAT LON", [p](TFields f) {
        const double lat = ParseLatitude(f[0]), lon = ParseDouble(f[1], "longitude");
        if (std::fabs(lon) > 180) throw EOperationFailed("longitude " + Quoted(f[1]) + " is outside -180..180");
        double easting, northing;
        if (!GeoToTM(p, lat, lon, easting, northing)) throw EOperationFailed(BeyondSeries);
        return Join({FormatFixed(easting, 4), FormatFixed(northing, 4)});
    });
}

int RunTMInverse(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TTransverseMercator p = TakeTransverseMercator(args);
    return RunConversion(args, 2, "EASTING NORTHING", [p](TFields f) {
        const double easting = ParseDouble(f[0], "easting"), northing = ParseDouble(f[1], "northing");
        double lat, lon;
        if (!TMToGeo(p, easting, northing, lat, lon)) throw EOperationFailed(BeyondSeries);
        return Join({FormatFixed(lat, 9), FormatFixed(lon, 9)});
    });
}

int RunUTMInverse(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunConversion(args, 4, "ZONE N|S EASTING NORTHING", [e](TFields f) {
        const int zone = ParseZone(f[0]);
        const bool south = ParseSouth(f[1]);
        const double easting = ParseDouble(f[2], "easting"), northing = ParseDouble(f[3], "northing");
        double lat, lon;
        if (!UTMToLatLong(easting, northing, zone, south, e, lat, lon)) throw EOperationFailed(BeyondSeries);
        return Join({FormatFixed(Latitude(lat), 9), FormatFixed(Finite(lon, "longitude"), 9)});
    });
}

int RunUPS(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunConversion(args, 2, "LAT LON", [e](TFields f) {
        const double lat = ParseLatitude(f[0]), lon = ParseDouble(f[1], "longitude");
        double x, y;
        LatLongToUPS(lat, lon, e, x, y);
        return Join({FormatFixed(Finite(x, "X"), 4), FormatFixed(Finite(y, "Y"), 4)});
    });
}

int RunUPSInverse(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunConversion(args, 3, "N|S X Y", [e](TFields f) {
        const bool south = ParseSouth(f[0]);
        const double x = ParseDouble(f[1], "X"), y = ParseDouble(f[2], "Y");
        double lat, lon;
        UPSToLatLong(x, y, south, e, lat, lon);
        return Join({FormatFixed(Latitude(lat), 9), FormatFixed(Finite(lon, "longitude"), 9)});
    });
}

int RunCart(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunConversion(args, 3, "LAT LON HEIGHT", [e](TFields f) {
        const double lat = ParseLatitude(f[0]), lon = ParseDouble(f[1], "longitude"), h = ParseDouble(f[2], "height");
        double x, y, z;
        GeoToCartesian(lat, lon, h, e, x, y, z);
        return Join({FormatFixed(Finite(x, "X"), 4), FormatFixed(Finite(y, "Y"), 4), FormatFixed(Finite(z, "Z"), 4)});
    });
}

int RunGeod(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunConversion(args, 3, "X Y Z", [e](TFields f) {
        const double x = ParseDouble(f[0], "X"), y = ParseDouble(f[1], "Y"), z = ParseDouble(f[2], "Z");
        double lat, lon, h;
        CartesianToGeo(x, y, z, e, lat, lon, h);
        return Join({FormatFixed(Latitude(lat), 9), FormatFixed(Finite(lon, "longitude"), 9),
                     FormatFixed(Finite(h, "height"), 4)});
    });
}

int RunHelmert(const TArgs& argsIn) {
    TArgs args = argsIn;
    RejectUnknownOptions(args);
    if (args.size() < 2) throw EUsageError("expected SRC DST [LAT LON HEIGHT]");
    const int src = ParseDatum(args[0], "source datum"), dst = ParseDatum(args[1], "destination datum");
    args.erase(args.begin(), args.begin() + 2);
    return RunConversion(args, 3, "SRC DST LAT LON HEIGHT", [src, dst](TFields f) {
        const double lat = ParseDouble(f[0], "latitude"), lon = ParseDouble(f[1], "longitude"),
                     h = ParseDouble(f[2], "height");
        double lat2, lon2, h2;
        const int status = HelmertTransform(src, lat, lon, h, dst, lat2, lon2, h2);
        // the library still shifts a point it reports as out of range: that is no answer
        if (status == htBadLatitude)
            throw EOperationFailed("latitude " + Quoted(f[0]) + " is outside -90..90 (status -3)");
        if (status == htBadLongitude)
            throw EOperationFailed("longitude " + Quoted(f[1]) + " is outside -180..180 (status -4)");
        if (status != htOK) throw EOperationFailed("datum shift failed (status " + std::to_string(status) + ")");
        return Join({FormatFixed(Latitude(lat2), 9), FormatFixed(Finite(lon2, "longitude"), 9),
                     FormatFixed(Finite(h2, "height"), 4), std::to_string(status)});
    });
}

int RunDatums(const TArgs& args) {
    if (!args.empty()) throw EUsageError("datums takes no arguments");
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

constexpr const char* BatchNote = "Without coordinates, reads one point per line from standard input (CR, LF or CR LF\n"
                                  "line ends) and writes one line per line that is not blank; a line that cannot be\n"
                                  "converted gives \"error: ...\" and the exit status is then 1.\n";
constexpr const char* EllipsoidNote = "--ellipsoid ID: an identifier such as gelWGS84 (the default) or an ordinal.\n";

const TRegistrar zone{{"zone", "UTM zone and latitude band of a point",
                       std::string("usage: zylcarto zone LAT LON\nPrints the zone and band, e.g. 33U; a point outside "
                                   "the UTM area exits with 1.\n") +
                           BatchNote,
                       RunZone}};
const TRegistrar utm{{"utm", "latitude/longitude to UTM",
                      std::string("usage: zylcarto utm LAT LON [--zone Z] [--ellipsoid ID]\nPrints ZONE BAND EASTING "
                                  "NORTHING (metres); outside the UTM area exits with 1.\n--zone Z: project into "
                                  "zone Z (1..60) instead of the point's own, as far as\neastings 0..1000000 m; "
                                  "beyond that exits with 1.\n") +
                          EllipsoidNote + BatchNote,
                      RunUTM}};
const char* const TMNote =
    "--lon0 L: central meridian (degrees, required); --lat0 L: latitude of origin (0);\n"
    "--k0 K: scale on the central meridian (1); --x0 E, --y0 N: false easting and\n"
    "northing (metres, 0); --ellipsoid ID (gelWGS84), or --a A --rf F: semi-major axis\n"
    "(metres) and reciprocal flattening (0 for a sphere, else at least 150).\n"
    "Answers within one Earth radius of the central meridian on the grid (within\n"
    "0.001 mm of the exact projection there); beyond it exits with 1.\n";
const TRegistrar tm{{"tm", "latitude/longitude to Transverse Mercator with any parameters",
                     std::string("usage: zylcarto tm LAT LON --lon0 L [--lat0 L] [--k0 K] [--x0 E] [--y0 N]\n"
                                 "                   [--ellipsoid ID | --a A --rf F]\nPrints EASTING NORTHING "
                                 "(metres).\n") +
                         TMNote + BatchNote,
                     RunTM}};
const TRegistrar tmInv{{"tm-inv", "Transverse Mercator with any parameters to latitude/longitude",
                        std::string("usage: zylcarto tm-inv EASTING NORTHING --lon0 L [--lat0 L] [--k0 K] [--x0 E]\n"
                                    "                   [--y0 N] [--ellipsoid ID | --a A --rf F]\nPrints LAT LON "
                                    "(degrees).\n") +
                            TMNote + BatchNote,
                        RunTMInverse}};
const TRegistrar utmInv{{"utm-inv", "UTM to latitude/longitude",
                         std::string("usage: zylcarto utm-inv ZONE N|S EASTING NORTHING [--ellipsoid ID]\n"
                                     "Prints LAT LON (degrees).\n") +
                             EllipsoidNote + BatchNote,
                         RunUTMInverse}};
const TRegistrar ups{
    {"ups", "latitude/longitude to UPS",
     std::string("usage: zylcarto ups LAT LON [--ellipsoid ID]\nPrints X Y (metres).\n") + EllipsoidNote + BatchNote,
     RunUPS}};
const TRegistrar upsInv{{"ups-inv", "UPS to latitude/longitude",
                         std::string("usage: zylcarto ups-inv N|S X Y [--ellipsoid ID]\nPrints LAT LON (degrees).\n") +
                             EllipsoidNote + BatchNote,
                         RunUPSInverse}};
const TRegistrar cart{{"cart", "latitude/longitude/height to geocentric X Y Z",
                       std::string("usage: zylcarto cart LAT LON HEIGHT [--ellipsoid ID]\nPrints X Y Z (metres).\n") +
                           EllipsoidNote + BatchNote,
                       RunCart}};
const TRegistrar geod{
    {"geod", "geocentric X Y Z to latitude/longitude/height",
     std::string("usage: zylcarto geod X Y Z [--ellipsoid ID]\nPrints LAT LON HEIGHT.\n") + EllipsoidNote + BatchNote,
     RunGeod}};
const TRegistrar helmert{{"helmert", "datum shift between two datums of the table",
                          std::string("usage: zylcarto helmert SRC DST LAT LON HEIGHT\n"
                                      "SRC and DST are datum numbers 1..271 (see zylcarto datums). Prints LAT LON\n"
                                      "HEIGHT STATUS with status 0; a latitude outside -90..90 (status -3) or a\n"
                                      "longitude outside -180..180 (-4) is a failed conversion.\n") +
                              BatchNote,
                          RunHelmert}};
const TRegistrar datums{{"datums", "list the 271 datums and their shifts to WGS 84",
                         "usage: zylcarto datums\nPrints one tab-separated line per datum: number, name, region, "
                         "ellipsoid,\nDX, DY, DZ (metres), Scale (ppm), RotX, RotY, RotZ (arc seconds).\n",
                         RunDatums}};

}  // namespace
}  // namespace zylcarto::cli
