// zylcarto zone | utm | utm-inv | ups | ups-inv | cart | geod | helmert | datums | mgrs | mgrs-inv:
// the grid, geocentric and datum conversions of the geodesy unit. Given no
// coordinates, a conversion reads one point per line from standard input.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli.h"
#include "zylcarto/geodesy/batch.h"
#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/mgrs.h"
#include "zylcarto/geodesy/projections.h"

namespace zylcarto::cli {
namespace {

using TFields = std::span<const std::string_view>;
using TConverter = std::function<std::string(TFields)>;
// Joins the blank-separated tokens of a line or command line into a command's
// fields when their numbers differ ("47 4 12.5 N 15 26 E"); false when it cannot.
using TRegroup = std::function<bool(TFields Tokens, std::vector<std::string>& Fields)>;

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

// The latitude and longitude that lead a command's fields, and their texts.
struct TPosition {
    double lat, lon;
    std::string_view latText, lonText;
};

TPosition ReadPosition(TFields f) {
    TPosition p{};
    const bool swapped = ParsePosition(f[0], f[1], p.lat, p.lon);
    p.latText = f[swapped ? 1 : 0];
    p.lonText = f[swapped ? 0 : 1];
    return p;
}

// A position given as input for a grid that has no answer beyond the poles.
TPosition ReadPositionWithinPoles(TFields f) {
    const TPosition p = ReadPosition(f);
    if (std::fabs(p.lat) > 90) throw EOperationFailed("latitude " + Quoted(p.latText) + " is beyond the poles");
    return p;
}

// The library leaves the ranges of its results to the caller: a latitude must lie within the poles.
double Latitude(double lat) {
    if (!(std::fabs(Finite(lat, "latitude")) <= 90))
        throw EOperationFailed("no geographic position for this input (latitude " + FormatFixed(lat, 3) + ")");
    return lat;
}

// A position as an answer: decimal degrees, or with Dms degrees, minutes and seconds
// to 0.00001" (0.3 mm, as the nine decimals of degrees).
std::string PositionText(double lat, double lon, bool Dms) {
    Latitude(lat);
    Finite(lon, "longitude");
    if (!Dms) return FormatFixed(lat, 9) + ' ' + FormatFixed(lon, 9);
    return DegreesToDMS(lat, dmsLatitude, 5) + ' ' + DegreesToDMS(lon, dmsLongitude, 5);
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

// The fields of a line, regrouped by Regroup when their number is not the
// command's ("47 4 12.5 N 15 26 E"); empty for a blank line. Grouped keeps the
// regrouped texts that the answer points into.
TFields LineFields(std::string_view line, std::vector<std::string_view>& fields, const TRegroup& regroup,
                   std::vector<std::string>& grouped, std::vector<std::string_view>& groupedViews) {
    const std::size_t n = SplitFields(line, std::span(fields));
    if (n == 0) return {};
    if (n == fields.size()) return TFields(fields.data(), n);
    const std::vector<std::string> tokens = SplitFields(line);
    const std::vector<std::string_view> views(tokens.begin(), tokens.end());
    if (regroup && regroup(TFields(views), grouped)) {
        groupedViews.assign(grouped.begin(), grouped.end());
        return TFields(groupedViews);
    }
    throw EUsageError("expected " + std::to_string(fields.size()) + " values, got " +
                      (n > fields.size() ? "more" : std::to_string(n)));
}

// The fields of a command line, regrouped as a line's are.
std::vector<std::string> CommandFields(const TArgs& args, std::size_t count, std::string_view what,
                                       const TRegroup& regroup) {
    if (args.size() == count) return args;
    std::vector<std::string> grouped;
    const std::vector<std::string_view> tokens(args.begin(), args.end());
    if (regroup && regroup(TFields(tokens), grouped)) return grouped;
    throw EUsageError("expected " + std::string(what) + " (or none, to read them from standard input)");
}

// Regroups the latitude and longitude that lead a line of Count fields.
TRegroup PositionRegroup(std::size_t count) {
    return [count](TFields tokens, std::vector<std::string>& fields) {
        return RegroupPosition(tokens, count - 2, fields);
    };
}

// A conversion done a block of lines at a time through the library's batch
// functions: Parse reads one line's fields into row r of the block (raising for
// that line alone), Convert converts rows 0..n-1, and Format appends the answer
// of row r to the output or raises EOperationFailed for it.
struct TBlockConversion {
    std::size_t Fields;
    std::function<void(TFields, std::size_t)> Parse;
    std::function<void(std::size_t)> Convert;
    std::function<void(std::size_t, std::string&)> Format;
};
constexpr std::size_t BlockRows = 1024;
constexpr std::size_t OutputChunk = 1 << 20;

// A conversion with its fields on the command line, or without them one line of
// standard input after the other (blank lines skipped), a line that fails
// answering "error: ..." for itself. Output is buffered: large files are the point.
int RunBlocks(const TArgs& args, std::string_view what, const TBlockConversion& c, const TRegroup& regroup = {}) {
    RejectUnknownOptions(args);
    if (!args.empty()) {
        const std::vector<std::string> texts = CommandFields(args, c.Fields, what, regroup);
        const std::vector<std::string_view> fields(texts.begin(), texts.end());
        c.Parse(TFields(fields), 0);
        c.Convert(1);
        std::string out;
        c.Format(0, out);
        WriteOut(out + "\n");
        return ExitSuccess;
    }
    std::string out;
    out.reserve(OutputChunk + 4096);
    std::vector<std::string_view> fields(c.Fields), groupedViews;
    std::vector<std::string> grouped;
    std::vector<std::string> lineErrors;  // of the lines of this block that did not parse
    std::vector<std::ptrdiff_t> lines;    // per line: its row, or -1 - its index in lineErrors
    std::size_t rows = 0;
    bool anyFailed = false;
    const auto flush = [&] {
        c.Convert(rows);
        for (const std::ptrdiff_t l : lines) {
            const std::size_t mark = out.size();
            try {
                if (l < 0) throw EOperationFailed(lineErrors[static_cast<std::size_t>(-1 - l)]);
                c.Format(static_cast<std::size_t>(l), out);
            } catch (const std::exception& e) {
                anyFailed = true;
                out.resize(mark);
                out += "error: ";
                out += e.what();
            }
            out += '\n';
        }
        if (out.size() >= OutputChunk) {
            WriteOut(out);
            out.clear();
        }
        rows = 0;
        lines.clear();
        lineErrors.clear();
    };
    TLineReader reader(stdin);
    std::string_view line;
    while (reader.Next(line)) {
        try {
            if (reader.TooLong()) throw EUsageError("line longer than 1 MB");
            const TFields f = LineFields(line, fields, regroup, grouped, groupedViews);
            if (f.empty()) continue;
            c.Parse(f, rows);
            lines.push_back(static_cast<std::ptrdiff_t>(rows++));
        } catch (const std::exception& e) {  // EUsageError or EOperationFailed: this line only
            lineErrors.emplace_back(e.what());
            lines.push_back(-static_cast<std::ptrdiff_t>(lineErrors.size()));
        }
        if (rows == BlockRows || lines.size() >= 4 * BlockRows) flush();
    }
    flush();
    WriteOut(out);
    if (reader.ReadFailed()) throw EUsageError(std::string("cannot read standard input: ") + std::strerror(errno));
    return anyFailed ? ExitFailed : ExitSuccess;
}

// A conversion of one line's fields at a time, as RunBlocks runs it.
int RunConversion(const TArgs& args, std::size_t fieldCount, std::string_view what, const TConverter& convert,
                  const TRegroup& regroup = {}) {
    auto answers = std::make_shared<std::vector<std::string>>(BlockRows);
    return RunBlocks(args, what,
                     {fieldCount, [answers, &convert](TFields f, std::size_t r) { (*answers)[r] = convert(f); },
                      [](std::size_t) {}, [answers](std::size_t r, std::string& out) { out += (*answers)[r]; }},
                     regroup);
}

// A conversion whose fields start with a latitude and a longitude, which may hold blanks.
int RunPositionConversion(const TArgs& args, std::size_t fieldCount, std::string_view what, const TConverter& convert) {
    return RunConversion(args, fieldCount, what, convert, PositionRegroup(fieldCount));
}

std::string UTMZoneOf(TFields f) {
    const auto [lat, lon, latText, lonText] = ReadPosition(f);
    const std::string zone = GeoToUTMZone(lat, lon);
    if (zone.empty()) throw EOperationFailed("outside the UTM area (latitude -80..84, longitude -180..180)");
    return zone;
}

int RunZone(const TArgs& args) { return RunPositionConversion(args, 2, "LAT LON", UTMZoneOf); }

// The columns of a block: inputs a, b (c) and results x, y (z) of each row.
struct TBlock {
    std::vector<double> a = std::vector<double>(BlockRows), b = std::vector<double>(BlockRows),
                        c = std::vector<double>(BlockRows), x = std::vector<double>(BlockRows),
                        y = std::vector<double>(BlockRows), z = std::vector<double>(BlockRows);
    std::vector<int> status = std::vector<int>(BlockRows);
    std::vector<int> zone = std::vector<int>(BlockRows);
    std::vector<unsigned char> south = std::vector<unsigned char>(BlockRows);
    std::vector<char> band = std::vector<char>(BlockRows);

    // Row r's inputs from consecutive fields from First on, into a, b and c in turn.
    void ReadNumbers(TFields f, std::size_t First, std::size_t r, std::initializer_list<const char*> Names) {
        std::vector<double>* const into[] = {&a, &b, &c};
        std::size_t i = 0;
        for (const char* name : Names) {
            (*into[i])[r] = ParseDouble(f[First + i], name);
            ++i;
        }
    }
    void StorePosition(std::size_t r, const TPosition& q) {
        a[r] = q.lat;
        b[r] = q.lon;
    }
};

void AppendPair(std::string& out, double x, double y, int decimals) {
    AppendFixed(out, x, decimals);
    out += ' ';
    AppendFixed(out, y, decimals);
}

// PositionText without its allocations for plain decimals, which large batches print.
void AppendPosition(std::string& out, double lat, double lon, bool dms) {
    if (dms) {
        out += PositionText(lat, lon, true);
        return;
    }
    AppendPair(out, Latitude(lat), Finite(lon, "longitude"), 9);
}

void AppendPositionHeight(std::string& out, double lat, double lon, double height, bool dms) {
    AppendPosition(out, lat, lon, dms);
    out += ' ';
    AppendFixed(out, Finite(height, "height"), 4);
}

int RunUTM(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    const auto forced = TakeOption(args, "--zone");
    const int forcedZone = forced ? ParseZone(*forced) : 0;
    auto b = std::make_shared<TBlock>();
    return RunBlocks(args, "LAT LON",
                     {2,
                      [b](TFields f, std::size_t r) {
                          b->StorePosition(r, ReadPosition(f));
                          GeoToUTMZone(b->a[r], b->b[r], b->zone[r], b->band[r]);
                      },
                      [b, e, forcedZone](std::size_t n) {
                          if (forcedZone == 0) {
                              LatLongToUTMBatch(b->a.data(), b->b.data(), n, e, b->zone.data(), b->x.data(),
                                                b->y.data());
                              return;
                          }
                          LatLongToUTMForcedBatch(b->a.data(), b->b.data(), n, forcedZone, e, b->x.data(), b->y.data());
                      },
                      [b, forcedZone](std::size_t r, std::string& out) {
                          if (b->band[r] == ' ')
                              throw EOperationFailed("outside the UTM area (latitude -80..84, longitude -180..180)");
                          if (forcedZone != 0 && !std::isfinite(b->x[r]))
                              throw EOperationFailed("beyond the reach of zone " + std::to_string(forcedZone) +
                                                     " (eastings 0..1000000 m)");
                          out += std::to_string(forcedZone != 0 ? forcedZone : b->zone[r]);
                          out += ' ';
                          out += b->band[r];
                          out += ' ';
                          AppendPair(out, Finite(b->x[r], "easting"), Finite(b->y[r], "northing"), 4);
                      }},
                     PositionRegroup(2));
}

int RunUTMInverse(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    const bool dms = TakeFlag(args, "--dms");
    auto b = std::make_shared<TBlock>();
    return RunBlocks(args, "ZONE N|S EASTING NORTHING",
                     {4,
                      [b](TFields f, std::size_t r) {
                          b->zone[r] = ParseZone(f[0]);
                          b->south[r] = ParseSouth(f[1]);
                          b->ReadNumbers(f, 2, r, {"easting", "northing"});
                      },
                      [b, e](std::size_t n) {
                          UTMToLatLongBatch(b->a.data(), b->b.data(), b->zone.data(), b->south.data(), n, e,
                                            b->x.data(), b->y.data());
                      },
                      [b, dms](std::size_t r, std::string& out) {
                          if (!std::isfinite(b->x[r])) throw EOperationFailed(BeyondSeries);
                          AppendPosition(out, b->x[r], b->y[r], dms);
                      }});
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
    auto b = std::make_shared<TBlock>();
    return RunBlocks(args, "LAT LON",
                     {2,
                      [b](TFields f, std::size_t r) {
                          const TPosition q = ReadPositionWithinPoles(f);
                          if (std::fabs(q.lon) > 180)
                              throw EOperationFailed("longitude " + Quoted(q.lonText) + " is outside -180..180");
                          b->StorePosition(r, q);
                      },
                      [b, p](std::size_t n) { GeoToTMBatch(p, b->a.data(), b->b.data(), n, b->x.data(), b->y.data()); },
                      [b](std::size_t r, std::string& out) {
                          if (!std::isfinite(b->x[r])) throw EOperationFailed(BeyondSeries);
                          AppendPair(out, b->x[r], b->y[r], 4);
                      }},
                     PositionRegroup(2));
}

int RunTMInverse(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TTransverseMercator p = TakeTransverseMercator(args);
    const bool dms = TakeFlag(args, "--dms");
    auto b = std::make_shared<TBlock>();
    return RunBlocks(args, "EASTING NORTHING",
                     {2,
                      [b](TFields f, std::size_t r) {
                          b->ReadNumbers(f, 0, r, {"easting", "northing"});
                      },
                      [b, p](std::size_t n) { TMToGeoBatch(p, b->a.data(), b->b.data(), n, b->x.data(), b->y.data()); },
                      [b, dms](std::size_t r, std::string& out) {
                          if (!std::isfinite(b->x[r])) throw EOperationFailed(BeyondSeries);
                          AppendPosition(out, b->x[r], b->y[r], dms);
                      }});
}

int RunUPS(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    return RunPositionConversion(args, 2, "LAT LON", [e](TFields f) {
        const auto [lat, lon, latText, lonText] = ReadPositionWithinPoles(f);
        double x, y;
        LatLongToUPS(lat, lon, e, x, y);
        return Join({FormatFixed(Finite(x, "X"), 4), FormatFixed(Finite(y, "Y"), 4)});
    });
}

int RunUPSInverse(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    const bool dms = TakeFlag(args, "--dms");
    return RunConversion(args, 3, "N|S X Y", [e, dms](TFields f) {
        const bool south = ParseSouth(f[0]);
        const double x = ParseDouble(f[1], "X"), y = ParseDouble(f[2], "Y");
        double lat, lon;
        UPSToLatLong(x, y, south, e, lat, lon);
        return PositionText(lat, lon, dms);
    });
}

int RunCart(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    auto b = std::make_shared<TBlock>();
    return RunBlocks(args, "LAT LON HEIGHT",
                     {3,
                      [b](TFields f, std::size_t r) {
                          b->StorePosition(r, ReadPositionWithinPoles(f));
                          b->c[r] = ParseDouble(f[2], "height");
                      },
                      [b, e](std::size_t n) {
                          GeoToCartesianBatch(b->a.data(), b->b.data(), b->c.data(), n, e, b->x.data(), b->y.data(),
                                              b->z.data());
                      },
                      [b](std::size_t r, std::string& out) {
                          AppendPair(out, Finite(b->x[r], "X"), Finite(b->y[r], "Y"), 4);
                          out += ' ';
                          AppendFixed(out, Finite(b->z[r], "Z"), 4);
                      }},
                     PositionRegroup(3));
}

int RunGeod(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    const bool dms = TakeFlag(args, "--dms");
    auto b = std::make_shared<TBlock>();
    return RunBlocks(
        args, "X Y Z",
        {3,
         [b](TFields f, std::size_t r) {
             b->ReadNumbers(f, 0, r, {"X", "Y", "Z"});
         },
         [b, e](std::size_t n) {
             CartesianToGeoBatch(b->a.data(), b->b.data(), b->c.data(), n, e, b->x.data(), b->y.data(), b->z.data());
         },
         [b, dms](std::size_t r, std::string& out) { AppendPositionHeight(out, b->x[r], b->y[r], b->z[r], dms); }});
}

int RunHelmert(const TArgs& argsIn) {
    TArgs args = argsIn;
    const bool dms = TakeFlag(args, "--dms"), exact = TakeFlag(args, "--exact");
    RejectUnknownOptions(args);
    if (args.size() < 2) throw EUsageError("expected SRC DST [LAT LON HEIGHT]");
    const int src = ParseDatum(args[0], "source datum"), dst = ParseDatum(args[1], "destination datum");
    args.erase(args.begin(), args.begin() + 2);
    auto b = std::make_shared<TBlock>();
    return RunBlocks(
        args, "SRC DST LAT LON HEIGHT",
        {3,
         [b](TFields f, std::size_t r) {
             const TPosition q = ReadPosition(f);
             // the library still shifts a point it reports as out of range: that is no answer
             if (!(std::fabs(q.lon) <= 180))
                 throw EOperationFailed("longitude " + Quoted(q.lonText) + " is outside -180..180 (status -4)");
             if (!(std::fabs(q.lat) <= 90))
                 throw EOperationFailed("latitude " + Quoted(q.latText) + " is outside -90..90 (status -3)");
             b->StorePosition(r, q);
             b->c[r] = ParseDouble(f[2], "height");
         },
         [b, src, dst, exact](std::size_t n) {
             if (!exact) {
                 HelmertTransformBatch(src, b->a.data(), b->b.data(), b->c.data(), n, dst, b->x.data(), b->y.data(),
                                       b->z.data(), b->status.data());
                 return;
             }
             for (std::size_t r = 0; r < n; ++r)
                 b->status[r] = HelmertTransformExact(src, b->a[r], b->b[r], b->c[r], dst, b->x[r], b->y[r], b->z[r]);
         },
         [b, dms](std::size_t r, std::string& out) {
             if (b->status[r] != htOK)
                 throw EOperationFailed("datum shift failed (status " + std::to_string(b->status[r]) + ")");
             AppendPositionHeight(out, b->x[r], b->y[r], b->z[r], dms);
             out += " 0";
         }},
        PositionRegroup(3));
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

int RunMGRS(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    const auto text = TakeOption(args, "--precision");
    const int precision = text ? ParseInt(*text, "precision") : 5;
    if (precision < 0 || precision > 5) throw EUsageError("precision must be 0..5: " + Quoted(*text));
    return RunPositionConversion(args, 2, "LAT LON", [e, precision](TFields f) {
        const auto [lat, lon, latText, lonText] = ReadPositionWithinPoles(f);
        std::string mgrs;
        if (LatLongToMGRS(lat, lon, e, precision, mgrs) != mgrsOK)
            throw EOperationFailed("no MGRS reference for this position on this ellipsoid");
        return mgrs;
    });
}

int RunMGRSInverse(const TArgs& argsIn) {
    TArgs args = argsIn;
    const TGeoEllipsoid e = TakeEllipsoid(args);
    const bool dms = TakeFlag(args, "--dms");
    // A reference may be written with blanks: all of a line or command line is one.
    const TRegroup whole = [](TFields tokens, std::vector<std::string>& fields) {
        std::string joined;
        for (const auto t : tokens) (joined += joined.empty() ? "" : " ") += t;
        fields = {joined};
        return true;
    };
    return RunConversion(
        args, 1, "an MGRS reference",
        [e, dms](TFields f) {
            double lat, lon;
            int precision;
            std::string message;
            if (MGRSToLatLong(f[0], e, lat, lon, precision, &message) != mgrsOK)
                throw EUsageError("MGRS reference " + Quoted(f[0]) + ": " + message);
            return PositionText(lat, lon, dms);
        },
        whole);
}

constexpr const char* BatchNote = "Without coordinates, reads one point per line from standard input (CR, LF or CR LF\n"
                                  "line ends) and writes one line per line that is not blank; a line that cannot be\n"
                                  "converted gives \"error: ...\" and the exit status is then 1.\n";
constexpr const char* EllipsoidNote = "--ellipsoid ID: an identifier such as gelWGS84 (the default) or an ordinal.\n";
constexpr const char* PositionNote =
    "LAT and LON are decimal degrees or degrees, minutes and seconds, with a hemisphere\n"
    "letter before or after: 47°04'12.5\"N, \"47 4 12.5 N\", N47 04.208, -47.07; the letters may\n"
    "also put the longitude first (E15 N47).\n";
constexpr const char* DmsNote = "--dms: latitude and longitude as degrees, minutes and seconds (47°04'12.50000\"N).\n";

const TRegistrar zone{{"zone", "UTM zone and latitude band of a point",
                       std::string("usage: zylcarto zone LAT LON\nPrints the zone and band, e.g. 33U; a point outside "
                                   "the UTM area exits with 1.\n") +
                           PositionNote + BatchNote,
                       RunZone}};
const TRegistrar utm{{"utm", "latitude/longitude to UTM",
                      std::string("usage: zylcarto utm LAT LON [--zone Z] [--ellipsoid ID]\nPrints ZONE BAND EASTING "
                                  "NORTHING (metres); outside the UTM area exits with 1.\n--zone Z: project into "
                                  "zone Z (1..60) instead of the point's own, as far as\neastings 0..1000000 m; "
                                  "beyond that exits with 1.\n") +
                          PositionNote + EllipsoidNote + BatchNote,
                      RunUTM}};
const char* const TMNote = "--lon0 L: central meridian (degrees, required); --lat0 L: latitude of origin (0);\n"
                           "--k0 K: scale on the central meridian (1); --x0 E, --y0 N: false easting and\n"
                           "northing (metres, 0); --ellipsoid ID (gelWGS84), or --a A --rf F: semi-major axis\n"
                           "(metres) and reciprocal flattening (0 for a sphere, else at least 150).\n"
                           "Answers within one Earth radius of the central meridian on the grid (within\n"
                           "0.001 mm of the exact projection there); beyond it exits with 1.\n";
const TRegistrar tm{{"tm", "latitude/longitude to Transverse Mercator with any parameters",
                     std::string("usage: zylcarto tm LAT LON --lon0 L [--lat0 L] [--k0 K] [--x0 E] [--y0 N]\n"
                                 "                   [--ellipsoid ID | --a A --rf F]\nPrints EASTING NORTHING "
                                 "(metres).\n") +
                         TMNote + PositionNote + BatchNote,
                     RunTM}};
const TRegistrar tmInv{
    {"tm-inv", "Transverse Mercator with any parameters to latitude/longitude",
     std::string("usage: zylcarto tm-inv EASTING NORTHING --lon0 L [--lat0 L] [--k0 K] [--x0 E]\n"
                 "                   [--y0 N] [--ellipsoid ID | --a A --rf F] [--dms]\nPrints LAT LON "
                 "(degrees).\n") +
         TMNote + DmsNote + BatchNote,
     RunTMInverse}};
const TRegistrar utmInv{{"utm-inv", "UTM to latitude/longitude",
                         std::string("usage: zylcarto utm-inv ZONE N|S EASTING NORTHING [--ellipsoid ID] [--dms]\n"
                                     "Prints LAT LON (degrees).\n") +
                             EllipsoidNote + DmsNote + BatchNote,
                         RunUTMInverse}};
const TRegistrar ups{{"ups", "latitude/longitude to UPS",
                      std::string("usage: zylcarto ups LAT LON [--ellipsoid ID]\nPrints X Y (metres).\n") +
                          PositionNote + EllipsoidNote + BatchNote,
                      RunUPS}};
const TRegistrar upsInv{{"ups-inv", "UPS to latitude/longitude",
                         std::string("usage: zylcarto ups-inv N|S X Y [--ellipsoid ID] [--dms]\n"
                                     "Prints LAT LON (degrees).\n") +
                             EllipsoidNote + DmsNote + BatchNote,
                         RunUPSInverse}};
const TRegistrar cart{{"cart", "latitude/longitude/height to geocentric X Y Z",
                       std::string("usage: zylcarto cart LAT LON HEIGHT [--ellipsoid ID]\nPrints X Y Z (metres).\n") +
                           PositionNote + EllipsoidNote + BatchNote,
                       RunCart}};
const TRegistrar geod{{"geod", "geocentric X Y Z to latitude/longitude/height",
                       std::string("usage: zylcarto geod X Y Z [--ellipsoid ID] [--dms]\nPrints LAT LON HEIGHT.\n") +
                           EllipsoidNote + DmsNote + BatchNote,
                       RunGeod}};
const TRegistrar helmert{{"helmert", "datum shift between two datums of the table",
                          std::string("usage: zylcarto helmert SRC DST LAT LON HEIGHT [--exact] [--dms]\n"
                                      "SRC and DST are datum numbers 1..271 (see zylcarto datums). Prints LAT LON\n"
                                      "HEIGHT STATUS with status 0; a latitude outside -90..90 (status -3) or a\n"
                                      "longitude outside -180..180 (-4) is a failed conversion. The shift from\n"
                                      "WGS 84 to DST negates DST's parameters (first order, off by up to 65 mm on\n"
                                      "strongly rotated datums); --exact inverts DST's transformation exactly.\n") +
                              PositionNote + DmsNote + BatchNote,
                          RunHelmert}};
const TRegistrar datums{{"datums", "list the 271 datums and their shifts to WGS 84",
                         "usage: zylcarto datums\nPrints one tab-separated line per datum: number, name, region, "
                         "ellipsoid,\nDX, DY, DZ (metres), Scale (ppm), RotX, RotY, RotZ (arc seconds).\n",
                         RunDatums}};
const TRegistrar mgrs{{"mgrs", "latitude/longitude to an MGRS reference",
                       std::string("usage: zylcarto mgrs LAT LON [--precision 0..5] [--ellipsoid ID]\n"
                                   "Prints the MGRS reference (33UXP0402839477) with PRECISION digits each for\n"
                                   "easting and northing (5, the default: 1 m; 0: the 100 km square), truncated.\n"
                                   "UTM from 80 S to 84 N, UPS beyond. The Bessel 1841, Clarke 1866 and Clarke\n"
                                   "1880 ellipsoids take the old lettering of the 100 km squares.\n") +
                           PositionNote + EllipsoidNote + BatchNote,
                       RunMGRS}};
const TRegistrar mgrsInv{{"mgrs-inv", "MGRS reference to latitude/longitude",
                          std::string("usage: zylcarto mgrs-inv STRING [--ellipsoid ID] [--dms]\n"
                                      "Prints LAT LON of the centre of the square STRING names. STRING may be in\n"
                                      "lower case and have blanks between its parts (33U XP 04028 39477); one that\n"
                                      "is no reference or names a square outside its grid zone exits with 2.\n") +
                              EllipsoidNote + DmsNote + BatchNote,
                          RunMGRSInverse}};

}  // namespace
}  // namespace zylcarto::cli
