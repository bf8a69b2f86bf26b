// zylcarto fit: fits a calibration model to reference points, reports residuals
// and converts batches of pixels or positions with the fit.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli.h"
#include "zylcarto/geomap/calibration/calib_models.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto::cli {
namespace {

// Below this condition (smallest to largest singular value of the scaled design)
// the points are taken as collinear and the fit is refused; below the second one
// noise in the points is amplified so much that the tool warns.
constexpr double CollinearCondition = 1e-9;
constexpr double WarnCondition = 1e-2;

// Decimals of the printed answers: 1e-9 degrees is 0.1 mm, 1e-3 pixels or metres.
constexpr int DegreeDecimals = 9;
constexpr int PixelDecimals = 3;
constexpr int MetreDecimals = 3;

// Plausible UTM values: central-meridian offsets of a zone up to 84 N / 80 S.
constexpr double MinEasting = 100000, MaxEasting = 900000;
constexpr double MaxNorthingNorth = 9400000, MinNorthingSouth = 1000000, MaxNorthingSouth = 10000000;

// Valid input that gives no fit, or a conversion without an answer: exit 1.
struct FitFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct TFitPoint {
    int X = 0, Y = 0;
    double A = 0, B = 0;  // latitude and longitude, or northing and easting
    std::string AText, BText;
};

// A point of a graticule line: "P LAT X Y" or "M LON X Y".
struct GratPoint {
    TGratLineKind Kind = gtlParallel;
    double Value = 0;
    int X = 0, Y = 0;
    std::string ValueText;
};

TCalibModel ParseModel(const std::string& name) {
    for (TCalibModel m : {cmBiquadraticPn, cmConicConformal, cmMillerCylindrical, cmEquiRect, cmUTM, cmParabolicIp})
        if (CalibModelNames[static_cast<int>(m)] == name) return m;
    throw EUsageError("unknown model \"" + name +
                      "\" (equirect, biquadraticpn, conicconformal, millercylindrical, utm or parabolicip)");
}

void ParseImageSize(const std::string& text, int& w, int& h) {
    const auto x = text.find('x');
    if (x == std::string::npos) throw EUsageError("--image wants WIDTHxHEIGHT, got \"" + text + "\"");
    w = ParseInt(text.substr(0, x), "image width");
    h = ParseInt(text.substr(x + 1), "image height");
    if (w < 1 || h < 1) throw EUsageError("image size must be at least 1x1, got \"" + text + "\"");
}

// "--eval X Y", as often as given, in one pass over the arguments.
std::vector<TPoint> TakeEvalPixels(TArgs& args) {
    std::vector<TPoint> out;
    TArgs rest;
    rest.reserve(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--eval") {
            rest.push_back(std::move(args[i]));
            continue;
        }
        if (i + 2 >= args.size()) throw EUsageError("option --eval needs X and Y");
        out.push_back({ParseInt(args[i + 1], "--eval X"), ParseInt(args[i + 2], "--eval Y")});
        i += 2;
    }
    args = std::move(rest);
    return out;
}

// An error text quoting input cuts the quote short.
std::string Quote(std::string_view text) {
    constexpr std::size_t Max = 80;
    return "\"" + std::string(text.substr(0, Max)) + (text.size() > Max ? "...\"" : "\"");
}

std::vector<TFitPoint> ReadPoints(std::istream& in, const std::string& source, bool utm) {
    std::vector<TFitPoint> points;
    std::string line;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
        const std::vector<std::string> f = SplitFields(line);
        if (f.empty() || f[0][0] == '#') continue;
        const std::string where = source + " line " + std::to_string(lineNo) + ": ";
        if (f.size() != 4)
            throw EUsageError(where + (utm ? "expected X Y NORTHING EASTING" : "expected X Y LAT LON") + ", got " +
                              std::to_string(f.size()) + " fields");
        if (points.size() == static_cast<std::size_t>(MaxCalibQuads))
            throw EUsageError(where + "more than " + std::to_string(MaxCalibQuads) + " points");
        TFitPoint p;
        try {
            p.X = ParseInt(f[0], "X");
            p.Y = ParseInt(f[1], "Y");
            p.A = utm ? ParseDouble(f[2], "northing") : ParseDegrees(f[2], "latitude", dmsLatitude);
            p.B = utm ? ParseDouble(f[3], "easting") : ParseDegrees(f[3], "longitude", dmsLongitude);
        } catch (const EUsageError& e) {
            throw EUsageError(where + e.what());
        }
        if (!utm && std::fabs(p.A) > 90) throw EUsageError(where + "latitude " + f[2] + " is beyond the poles");
        p.AText = f[2];
        p.BText = f[3];
        points.push_back(p);
    }
    return points;
}

std::vector<GratPoint> ReadGratPoints(std::istream& in, const std::string& source) {
    std::vector<GratPoint> points;
    std::vector<std::pair<TGratLineKind, double>> lines;
    std::vector<int> perLine;
    std::string line;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
        const std::vector<std::string> f = SplitFields(line);
        if (f.empty() || f[0][0] == '#') continue;
        const std::string where = source + " line " + std::to_string(lineNo) + ": ";
        if (f.size() != 4 || (f[0] != "P" && f[0] != "M")) throw EUsageError(where + "expected P LAT X Y or M LON X Y");
        GratPoint p;
        p.Kind = f[0] == "P" ? gtlParallel : gtlMeridian;
        try {
            p.Value = p.Kind == gtlParallel ? ParseDegrees(f[1], "latitude", dmsLatitude)
                                            : ParseDegrees(f[1], "longitude", dmsLongitude);
            p.X = ParseInt(f[2], "X");
            p.Y = ParseInt(f[3], "Y");
        } catch (const EUsageError& e) {
            throw EUsageError(where + e.what());
        }
        if (p.Kind == gtlParallel && std::fabs(p.Value) > 90)
            throw EUsageError(where + "latitude " + f[1] + " is beyond the poles");
        std::size_t k = 0;
        while (k < lines.size() && !(lines[k].first == p.Kind && lines[k].second == p.Value)) ++k;
        if (k == lines.size()) {
            if (lines.size() == static_cast<std::size_t>(MaxCalibLines))
                throw EUsageError(where + "more than " + std::to_string(MaxCalibLines) + " graticule lines");
            lines.emplace_back(p.Kind, p.Value);
            perLine.push_back(0);
        }
        if (++perLine[k] > MaxGratLinePoints)
            throw EUsageError(where + "more than " + std::to_string(MaxGratLinePoints) + " points on one line");
        p.ValueText = f[1];
        points.push_back(p);
    }
    return points;
}

int MinimumPoints(TCalibModel m) { return m == cmBiquadraticPn ? 6 : 3; }

// Refuses data that cannot determine the model; warns where it barely does.
double CheckDetermined(const TMapCalibration& cal, TCalibModel model, int count) {
    const std::string name(CalibModelNames[static_cast<int>(model)]);
    if (model == cmParabolicIp) {
        TMatrix g;
        if (!FitGratMat(cal.CalibData(), g))
            throw FitFailed("parabolicip needs at least 2 meridians and 2 parallels of 3 points each");
    } else if (count < MinimumPoints(model)) {
        throw FitFailed(name + " needs at least " + std::to_string(MinimumPoints(model)) + " reference points, got " +
                        std::to_string(count));
    }
    const double condition = FitCondition(cal.CalibData(), model);
    if (!(condition >= CollinearCondition))
        throw FitFailed("the reference points cannot determine " + name +
                        (model == cmParabolicIp ? " (points of a line repeat)" : " (they are collinear)") +
                        ": condition " + FormatFixed(condition, 6));
    if (condition < WarnCondition)
        std::fprintf(
            stderr,
            "zylcarto: warning: condition %.3g is below %g: the points are nearly collinear and errors in them "
            "are much amplified\n",
            condition, WarnCondition);
    return condition;
}

void WarnImplausibleUTM(const std::vector<TFitPoint>& points, bool south) {
    int outside = 0;
    const TFitPoint* first = nullptr;
    for (const TFitPoint& p : points) {
        const bool eastingOk = p.B >= MinEasting && p.B <= MaxEasting;
        const bool northingOk =
            south ? p.A >= MinNorthingSouth && p.A <= MaxNorthingSouth : p.A >= 0 && p.A <= MaxNorthingNorth;
        if (eastingOk && northingOk) continue;
        if (!first) first = &p;
        ++outside;
    }
    if (!first) return;
    std::fprintf(stderr,
                 "zylcarto: warning: %d point(s) outside the plausible range of a UTM zone (easting 100000..900000, "
                 "northing %s), first at pixel %d %d: northing %s easting %s; are northing and easting swapped?\n",
                 outside, south ? "1000000..10000000" : "0..9400000", first->X, first->Y, first->AText.c_str(),
                 first->BText.c_str());
}

// ---- batch conversion --------------------------------------------------------------------

void AppendFixed(std::string& out, double v, int decimals) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (ec != std::errc()) {
        out += "0";
        return;
    }
    std::string_view s(buf, static_cast<std::size_t>(end - buf));
    // No "-0.000".
    if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("0.", 1) == std::string_view::npos) s.remove_prefix(1);
    out += s;
}

bool ParseNumber(std::string_view text, double& v) {
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text[0] == '-' || text[0] == '+')) return false;
    }
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(v);
}

// Two numbers per line; blank lines and lines starting with # are skipped.
// Returns false for a line that is not two numbers.
bool SplitPair(std::string_view line, std::string_view& a, std::string_view& b, bool& skip) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    std::string_view f[3];
    std::size_t n = 0, i = 0;
    while (i < line.size() && n < 3) {
        while (i < line.size() && space(line[i])) ++i;
        std::size_t j = i;
        while (j < line.size() && !space(line[j])) ++j;
        if (j > i) f[n++] = line.substr(i, j - i);
        i = j;
    }
    skip = n == 0 || f[0][0] == '#';
    if (skip) return true;
    a = f[0];
    b = n > 1 ? f[1] : std::string_view();
    return n == 2;
}

// Converts each line "U V" of In by Convert (which fills its two outputs or
// returns an error text) and writes "R1 R2" lines to standard output.
// With Angles the two inputs are latitude and longitude, also in degrees, minutes and seconds.
template <typename Convert>
int RunBatch(std::FILE* in, const char* inputs, int decimals, bool angles, Convert&& convert) {
    constexpr std::size_t Chunk = 1 << 20;
    std::vector<char> buffer(Chunk);
    std::string pending, out;
    out.reserve(Chunk + 4096);
    bool anyFailed = false;
    long long lineNo = 0;
    bool writeFailed = false;

    const auto flush = [&] {
        if (!out.empty() && std::fwrite(out.data(), 1, out.size(), stdout) != out.size()) writeFailed = true;
        out.clear();
    };
    const auto fail = [&](const std::string& why) {
        anyFailed = true;
        out += "error: line " + std::to_string(lineNo) + ": " + why + "\n";
    };
    const auto processLine = [&](std::string_view line) {
        ++lineNo;
        std::string_view a, b;
        bool skip = false;
        if (!SplitPair(line, a, b, skip)) return fail(std::string("expected ") + inputs + ", got " + Quote(line));
        if (skip) return;
        double u = 0, v = 0;
        const auto read = [angles](std::string_view text, TDMSAxis axis, double& value) -> std::string {
            if (ParseNumber(text, value)) return {};
            if (!angles) return "not a number: " + Quote(text);
            try {
                value = ParseDegrees(text, axis == dmsLatitude ? "latitude" : "longitude", axis);
                return {};
            } catch (const EUsageError& e) {
                return e.what();
            }
        };
        if (const std::string why = read(a, dmsLatitude, u); !why.empty()) return fail(why);
        if (const std::string why = read(b, dmsLongitude, v); !why.empty()) return fail(why);
        double r1 = 0, r2 = 0;
        const char* why = convert(u, v, r1, r2);
        if (why) return fail(why);
        AppendFixed(out, r1, decimals);
        out += ' ';
        AppendFixed(out, r2, decimals);
        out += '\n';
        if (out.size() >= Chunk) flush();
    };

    // A line longer than the chunk is an error of its own, not a reason to hold
    // gigabytes: the rest of it is passed over.
    bool skipping = false;
    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
        const std::string_view chunk(buffer.data(), got);
        std::size_t start = 0, nl;
        while ((nl = chunk.find('\n', start)) != std::string_view::npos) {
            if (skipping) {
                skipping = false;
            } else if (pending.empty()) {
                processLine(chunk.substr(start, nl - start));
            } else {
                pending.append(chunk.substr(start, nl - start));
                processLine(pending);
                pending.clear();
            }
            start = nl + 1;
        }
        if (skipping) continue;
        if (pending.size() + (got - start) > Chunk) {
            pending.clear();
            ++lineNo;
            fail("line longer than 1 MB");
            skipping = true;
            continue;
        }
        pending.append(chunk.substr(start));
    }
    const bool readFailed = std::ferror(in) != 0;
    if (!skipping && !pending.empty()) processLine(pending);
    flush();
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) writeFailed = true;
    if (writeFailed) {
        std::fprintf(stderr, "zylcarto: cannot write the results\n");
        return 1;
    }
    if (readFailed) throw EUsageError(std::string("cannot read the ") + inputs + " input");
    return anyFailed ? 1 : 0;
}

const char* PositionOf(const TMapCalibration& cal, bool utm, double x, double y, double& a, double& b) {
    if (utm) return cal.CalcGridFrac(x, y, a, b) ? nullptr : "no grid position for this pixel";
    if (cal.CalcPositionFrac(x, y, a, b)) return nullptr;
    // The fit extrapolated past a pole, or more than a whole turn round the globe.
    bool latValid = false;
    cal.CalcLatitude(RoundToInt(x), RoundToInt(y), latValid);
    return latValid ? "the pixel lies more than a whole turn of longitude from the map"
                    : "the pixel lies beyond the poles of the fit";
}

const char* PixelOf(const TMapCalibration& cal, bool utm, double a, double b, double& x, double& y) {
    if (utm) return cal.CalcPixelCoordsUTMFrac(a, b, x, y) ? nullptr : "no pixel for this grid position";
    if (std::fabs(a) > 90) return "latitude beyond the poles";
    return cal.CalcPixelCoordsFrac(a, b, x, y) ? nullptr : "no pixel for this position";
}

// ---- the report ----------------------------------------------------------------------------

std::string Deg(double v) { return FormatFixed(v, DegreeDecimals); }
std::string Px(double v) { return FormatFixed(v, PixelDecimals); }

void PrintPointReport(const TMapCalibration& cal, bool utm, const std::vector<TFitPoint>& points) {
    for (const TFitPoint& p : points) {
        double x = 0, y = 0;
        const bool ok = utm ? cal.CalcPixelCoordsUTMFrac(p.A, p.B, x, y) : cal.CalcPixelCoordsFrac(p.A, p.B, x, y);
        std::printf("%d %d %s %s ", p.X, p.Y, p.AText.c_str(), p.BText.c_str());
        if (ok)
            std::printf("%s %s %s %s\n", Px(x).c_str(), Px(y).c_str(), Px(x - p.X).c_str(), Px(y - p.Y).c_str());
        else
            std::printf("- - - -\n");
    }
    double qx = 0, qy = 0, metres = 0;
    cal.CalibQuality(qx, qy);
    std::printf("quality %s %s\n", FormatFixed(qx, 3).c_str(), FormatFixed(qy, 3).c_str());
    if (cal.CalibPositionQuality(metres))
        std::printf("position-quality %s\n", FormatFixed(metres, MetreDecimals).c_str());
    else
        std::printf("position-quality -\n");
}

void PrintGratReport(const TMapCalibration& cal, const std::vector<GratPoint>& points) {
    for (const GratPoint& p : points) {
        double lat = 0, lon = 0;
        const bool ok = cal.CalcPositionFrac(p.X, p.Y, lat, lon);
        const double fit = p.Kind == gtlParallel ? lat : lon;
        std::printf("%s %s %d %d ", p.Kind == gtlParallel ? "P" : "M", p.ValueText.c_str(), p.X, p.Y);
        if (ok)
            std::printf("%s %s\n", Deg(fit).c_str(), Deg(fit - p.Value).c_str());
        else
            std::printf("- -\n");
    }
}

int RunFit(const TArgs& argsIn) {
    TArgs args = argsIn;
    const auto modelName = TakeOption(args, "--model");
    const auto image = TakeOption(args, "--image");
    const auto zoneText = TakeOption(args, "--utm-zone");
    const bool south = TakeFlag(args, "--south");
    const auto toPosition = TakeOption(args, "--to-position");
    const auto toPixel = TakeOption(args, "--to-pixel");
    const std::vector<TPoint> evals = TakeEvalPixels(args);
    RejectUnknownOptions(args);
    if (!modelName) throw EUsageError("fit needs --model");
    if (!image) throw EUsageError("fit needs --image WIDTHxHEIGHT");
    if (args.size() != 1) throw EUsageError("fit needs one POINTS file (or - for standard input)");
    if (toPosition && toPixel) throw EUsageError("--to-position and --to-pixel exclude each other");
    const std::optional<std::string>& batch = toPosition ? toPosition : toPixel;
    if (batch && (!evals.empty())) throw EUsageError("--eval does not go with --to-position or --to-pixel");
    if (batch && *batch == "-" && args[0] == "-")
        throw EUsageError("the POINTS and the batch input cannot both be standard input");
    const TCalibModel model = ParseModel(*modelName);
    int w = 0, h = 0;
    ParseImageSize(*image, w, h);
    const bool utm = model == cmUTM;
    int zone = 0;
    if (utm) {
        if (!zoneText) throw EUsageError("--model utm needs --utm-zone");
        zone = ParseInt(*zoneText, "--utm-zone");
        if (zone < 1 || zone > 60) throw EUsageError("--utm-zone must be 1 to 60, got " + *zoneText);
    } else if (zoneText || south) {
        throw EUsageError("--utm-zone and --south apply only to --model utm");
    }

    std::vector<TFitPoint> points;
    std::vector<GratPoint> gratPoints;
    const auto read = [&](std::istream& in, const std::string& source) {
        if (model == cmParabolicIp)
            gratPoints = ReadGratPoints(in, source);
        else
            points = ReadPoints(in, source, utm);
    };
    if (args[0] == "-") {
        read(std::cin, "standard input");
    } else {
        std::ifstream file(args[0]);
        if (!file) throw EUsageError("cannot open \"" + args[0] + "\"");
        read(file, args[0]);
    }
    std::FILE* batchIn = nullptr;
    if (batch) {
        batchIn = *batch == "-" ? stdin : std::fopen(batch->c_str(), "rb");
        if (!batchIn) throw EUsageError("cannot open \"" + *batch + "\"");
    }
    struct TCloser {
        std::FILE* F;
        ~TCloser() {
            if (F && F != stdin) std::fclose(F);
        }
    } closer{batchIn};

    TMapCalibration cal("fit");
    cal.SetMapImageSize(w, h);
    cal.SetCalibModel(model);
    if (utm) {
        cal.SetUTMZone(zone);
        cal.SetUTMHemisphere(south ? THemisphere::hemiSouth : THemisphere::hemiNorth);
        WarnImplausibleUTM(points, south);
    }
    const THemisphere hemi = cal.GetUTMHemisphere();
    for (const TFitPoint& p : points) {
        if (utm)
            cal.AddCalibPoint(p.A, p.B, zone, hemi, p.X, p.Y);
        else
            cal.AddCalibPoint(p.A, p.B, p.X, p.Y);
    }
    for (const GratPoint& p : gratPoints) cal.AddCalibPoint(p.Kind, p.Value, p.X, p.Y);

    double condition = 0;
    try {
        condition = CheckDetermined(cal, model, static_cast<int>(points.size()));
    } catch (const FitFailed& e) {
        std::fprintf(stderr, "zylcarto: %s\n", e.what());
        return 1;
    }

    if (toPosition)
        return RunBatch(batchIn, "X Y", utm ? MetreDecimals : DegreeDecimals, false,
                        [&](double x, double y, double& a, double& b) { return PositionOf(cal, utm, x, y, a, b); });
    if (toPixel)
        return RunBatch(batchIn, utm ? "NORTHING EASTING" : "LAT LON", PixelDecimals, !utm,
                        [&](double a, double b, double& x, double& y) { return PixelOf(cal, utm, a, b, x, y); });

    if (model == cmParabolicIp)
        PrintGratReport(cal, gratPoints);
    else
        PrintPointReport(cal, utm, points);
    std::printf("condition %s\n", FormatFixed(condition, 6).c_str());
    const TCalibData& d = cal.CalibData();
    const std::pair<const char*, TCorners> corners[] = {{"topleft", gcoTopLeft},
                                                        {"bottomleft", gcoBottomLeft},
                                                        {"bottomright", gcoBottomRight},
                                                        {"topright", gcoTopRight}};
    bool failed = false;
    for (const auto& [name, c] : corners) {
        double lat = 0, lon = 0;
        const bool ok = cal.CalcPositionFrac(c == gcoTopLeft || c == gcoBottomLeft ? 0 : w,
                                             c == gcoTopLeft || c == gcoTopRight ? 0 : h, lat, lon) &&
                        std::fabs(lat) <= 90;
        failed |= !ok;
        if (ok)
            std::printf("%s %s %s\n", name, Deg(lat).c_str(), Deg(lon).c_str());
        else
            std::printf("%s - -\n", name);
    }
    std::printf("resolution %s\n", FormatFixed(d.Resolution, 3).c_str());
    for (const TPoint& p : evals) {
        double lat = 0, lon = 0;
        const bool ok = cal.CalcPositionFrac(p.X, p.Y, lat, lon) && std::fabs(lat) <= 90;
        failed |= !ok;
        std::printf("pixel %d %d -> %s %s\n", p.X, p.Y, ok ? Deg(lat).c_str() : "invalid",
                    ok ? Deg(lon).c_str() : "invalid");
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "zylcarto: cannot write the results\n");
        return 1;
    }
    return failed ? 1 : 0;
}

const TRegistrar fit{{"fit", "fit a calibration model to reference points, convert with it",
                      "usage: zylcarto fit --model MODEL --image WIDTHxHEIGHT [--utm-zone Z [--south]]\n"
                      "                    [--eval X Y]... [--to-position FILE | --to-pixel FILE] POINTS\n"
                      "MODEL is equirect, biquadraticpn, conicconformal, millercylindrical, utm or\n"
                      "parabolicip. POINTS is a file (or - for standard input) of lines \"X Y LAT LON\"\n"
                      "(for utm \"X Y NORTHING EASTING\"; for parabolicip graticule points \"P LAT X Y\"\n"
                      "on the parallel LAT and \"M LON X Y\" on the meridian LON, at least 2 lines of\n"
                      "each kind with 3 points); blank lines and lines starting with # are skipped.\n"
                      "Fewer points than the model needs (3; 6 for biquadraticpn) or collinear points\n"
                      "are refused (exit 1); a condition below 0.01 is warned about on standard error,\n"
                      "as are UTM values outside the plausible range of a zone.\n"
                      "Prints per point \"X Y LAT LON XFIT YFIT DX DY\" (the pixel the fit gives the\n"
                      "position and its difference; parabolicip: \"P|M VALUE X Y FIT DIFF\" in degrees),\n"
                      "\"quality QX QY\" (RMS pixel residuals), \"position-quality M\" (RMS metres from\n"
                      "each point's pixel back to its position), \"condition C\" (smallest to largest\n"
                      "singular value of the centred and scaled design, 1 is ideal), the corners\n"
                      "\"topleft|bottomleft|bottomright|topright LAT LON\", \"resolution M\" (metres per\n"
                      "pixel) and, per --eval, \"pixel X Y -> LAT LON\". Degrees have 9 decimals,\n"
                      "pixels and metres 3.\n"
                      "--to-position FILE converts lines \"X Y\" (fractional pixels; - for standard\n"
                      "input) to \"LAT LON\" (utm: \"NORTHING EASTING\"); --to-pixel FILE converts\n"
                      "\"LAT LON\" (utm: \"NORTHING EASTING\") to fractional \"X Y\". Only the results\n"
                      "are printed, one line per input line (blank and # lines skipped); a line that\n"
                      "fails gives "
                      "\"error: line N: ...\" and the exit status is 1 at the end.\n"
                      "Exit status: 0 success, 1 no fit or a failed conversion, 2 bad usage or input.\n",
                      RunFit}};

}  // namespace
}  // namespace zylcarto::cli
