// zylcarto fit: fits a calibration model to reference points, reports residuals
// and converts batches of pixels or positions with the fit.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "batch_convert.h"
#include "cli.h"
#include "fit_plot.h"
#include "zylcarto/geomap/calibration/calib_models.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/errors.h"

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
    for (TCalibModel m :
         {cmBiquadraticPn, cmConicConformal, cmMillerCylindrical, cmEquiRect, cmUTM, cmParabolicIp, cmProjected})
        if (CalibModelNames[static_cast<int>(m)] == name) return m;
    throw EUsageError("unknown model \"" + name +
                      "\" (equirect, biquadraticpn, conicconformal, millercylindrical, utm, parabolicip or projected)");
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

// Refuses data that cannot determine the model; warns where it barely does.
double CheckDetermined(const TMapCalibration& cal, TCalibModel model, int count) {
    const std::string name(CalibModelNames[static_cast<int>(model)]);
    if (model == cmParabolicIp) {
        TMatrix g;
        if (!FitGratMat(cal.CalibData(), g))
            throw FitFailed("parabolicip needs at least 2 meridians and 2 parallels of 3 points each");
    } else if (const int least = MinimumCalibPoints(model, cal.ProjOrder()); count < least) {
        throw FitFailed(name + (model == cmProjected ? " of order " + std::to_string(cal.ProjOrder()) : "") +
                        " needs at least " + std::to_string(least) + " reference points, got " + std::to_string(count));
    }
    const double condition = FitCondition(cal.CalibData(), model);
    if (!(condition >= CollinearCondition))
        throw FitFailed("the reference points cannot determine " + name +
                        (model == cmParabolicIp ? " (points of a line repeat)" : " (they are collinear)") +
                        (std::isfinite(condition) ? ": condition " + FormatFixed(condition, 6) : std::string()));
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

// ---- the report ----------------------------------------------------------------------------

std::string Deg(double v) { return FormatFixed(v, DegreeDecimals); }
std::string Px(double v) { return FormatFixed(v, PixelDecimals); }

// Returns the points as a plot draws them.
std::vector<TPlotPoint> PrintPointReport(const TMapCalibration& cal, bool grid, const std::vector<TFitPoint>& points) {
    const std::vector<TPointReview> review = ReviewCalibPoints(cal);
    std::vector<TPlotPoint> plot;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TFitPoint& p = points[i];
        double x = 0, y = 0;
        const bool ok = grid ? cal.CalcPixelCoordsGridFrac(p.A, p.B, x, y) : cal.CalcPixelCoordsFrac(p.A, p.B, x, y);
        std::printf("%d %d %s %s ", p.X, p.Y, p.AText.c_str(), p.BText.c_str());
        if (ok)
            std::printf("%s %s %s %s", Px(x).c_str(), Px(y).c_str(), Px(x - p.X).c_str(), Px(y - p.Y).c_str());
        else
            std::printf("- - - -");
        const TPointReview& r = review[i];
        plot.push_back({double(p.X), double(p.Y), x, y, ok, r.Outlier});
        std::printf(" %s%s\n", std::isnan(r.LeftOutResidual) ? "-" : Px(r.LeftOutResidual).c_str(),
                    r.Outlier ? " outlier" : "");
        if (r.Outlier)
            std::fprintf(stderr,
                         "zylcarto: warning: the point at pixel %d %d (%s %s) lies %s pixels from where the other "
                         "points put it, they %s from theirs (median): is it misread?\n",
                         p.X, p.Y, p.AText.c_str(), p.BText.c_str(), Px(r.LeftOutResidual).c_str(),
                         Px(r.OthersResidual).c_str());
    }
    double qx = 0, qy = 0, metres = 0;
    cal.CalibQuality(qx, qy);
    std::printf("quality %s %s\n", FormatFixed(qx, 3).c_str(), FormatFixed(qy, 3).c_str());
    if (cal.CalibPositionQuality(metres))
        std::printf("position-quality %s\n", FormatFixed(metres, MetreDecimals).c_str());
    else
        std::printf("position-quality -\n");
    return plot;
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
    const auto crsText = TakeOption(args, "--crs");
    const auto orderText = TakeOption(args, "--order");
    const bool gridPoints = TakeFlag(args, "--grid-points");
    const auto crsOut = TakeOption(args, "--crs-out");
    const auto plotFile = TakeOption(args, "--plot");
    const auto plotImage = TakeOption(args, "--plot-image");
    const std::vector<TPoint> evals = TakeEvalPixels(args);
    RejectUnknownOptions(args);
    if (!modelName) throw EUsageError("fit needs --model");
    if (!image) throw EUsageError("fit needs --image WIDTHxHEIGHT");
    if (args.size() != 1) throw EUsageError("fit needs one POINTS file (or - for standard input)");
    if (toPosition && toPixel) throw EUsageError("--to-position and --to-pixel exclude each other");
    const std::optional<std::string>& batch = toPosition ? toPosition : toPixel;
    if (crsOut && !toPosition) throw EUsageError("--crs-out goes with --to-position");
    if (batch && (!evals.empty())) throw EUsageError("--eval does not go with --to-position or --to-pixel");
    if (batch && *batch == "-" && args[0] == "-")
        throw EUsageError("the POINTS and the batch input cannot both be standard input");
    if (plotImage && !plotFile) throw EUsageError("--plot-image goes with --plot");
    if (plotFile && batch) throw EUsageError("--plot does not go with --to-position or --to-pixel");
    const TCalibModel model = ParseModel(*modelName);
    if (plotFile && model == cmParabolicIp) throw EUsageError("--plot applies to the models of reference points");
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
    const bool projected = model == cmProjected;
    int order = 1;
    if (projected) {
        if (!crsText) throw EUsageError("--model projected needs --crs");
        if (orderText) order = ParseInt(*orderText, "--order");
        if (order != 1 && order != 2) throw EUsageError("--order must be 1 or 2, got " + *orderText);
    } else if (crsText || orderText || gridPoints) {
        throw EUsageError("--crs, --order and --grid-points apply only to --model projected");
    }
    // Points given as northing and easting rather than latitude and longitude.
    const bool gridIn = utm || gridPoints;

    std::vector<TFitPoint> points;
    std::vector<GratPoint> gratPoints;
    const auto read = [&](std::istream& in, const std::string& source) {
        if (model == cmParabolicIp)
            gratPoints = ReadGratPoints(in, source);
        else
            points = ReadPoints(in, source, gridIn);
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
    if (projected) {
        cal.SetProjOrder(order);
        if (!cal.SetCRS(*crsText)) throw EUsageError("--crs " + Quoted(*crsText) + ": " + cal.CRSError());
    }
    cal.SetCalibModel(model);
    if (utm) {
        cal.SetUTMZone(zone);
        cal.SetUTMHemisphere(south ? THemisphere::hemiSouth : THemisphere::hemiNorth);
        WarnImplausibleUTM(points, south);
    }
    const THemisphere hemi = cal.GetUTMHemisphere();
    for (const TFitPoint& p : points) {
        if (utm) {
            cal.AddCalibPoint(p.A, p.B, zone, hemi, p.X, p.Y);
        } else if (gridPoints) {
            cal.AddCalibPointGrid(p.A, p.B, p.X, p.Y);
        } else if (projected) {
            try {
                cal.AddCalibPoint(p.A, p.B, p.X, p.Y);
            } catch (const EZYLGeoMapError& e) {
                std::fprintf(stderr, "zylcarto: point at pixel %d %d (%s %s): %s\n", p.X, p.Y, p.AText.c_str(),
                             p.BText.c_str(), e.what());
                return 1;
            }
        } else {
            cal.AddCalibPoint(p.A, p.B, p.X, p.Y);
        }
    }
    for (const GratPoint& p : gratPoints) cal.AddCalibPoint(p.Kind, p.Value, p.X, p.Y);

    double condition = 0;
    try {
        condition = CheckDetermined(cal, model, static_cast<int>(points.size()));
    } catch (const FitFailed& e) {
        std::fprintf(stderr, "zylcarto: %s\n", e.what());
        return 1;
    }

    if (toPosition && crsOut) {
        // Every model, UTM too: the position first, then the output grid.
        const TCRSConverter out(*crsOut);
        if (!out.Valid()) throw EUsageError("--crs-out " + Quoted(*crsOut) + ": " + out.Error());
        return RunBatch(batchIn, "X Y", out.IsGeographic() ? DegreeDecimals : MetreDecimals,
                        false, PositionInCRSConverter(cal, out));
    }
    if (toPosition) return RunBatch(batchIn, "X Y", utm ? MetreDecimals : DegreeDecimals, false,
                                          PositionConverter(cal, utm));
    if (toPixel)
        return RunBatch(batchIn, utm ? "NORTHING EASTING" : "LAT LON", PixelDecimals, !utm, PixelConverter(cal, utm));

    std::vector<TPlotPoint> plot;
    if (model == cmParabolicIp)
        PrintGratReport(cal, gratPoints);
    else
        plot = PrintPointReport(cal, gridIn, points);
    std::printf("condition %s\n", FormatFixed(condition, 6).c_str());
    if (projected) std::printf("operation %s\n", cal.CRSOperation().c_str());
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
    if (plotFile) {
#ifdef ZYLCARTO_CLI_PLOT
        const double scale = ResidualArrowScale(plot, w, h);
        WriteResidualPlot(*plotFile, plotImage.value_or(""), w, h, plot, scale);
        std::printf("plot-scale %s\n", FormatShortest(scale).c_str());
#else
        throw EUsageError("--plot needs the tool built with Qt");
#endif
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "zylcarto: cannot write the results\n");
        return 1;
    }
    return failed ? 1 : 0;
}

const TRegistrar fit{{"fit", "fit a calibration model to reference points, convert with it",
                      "usage: zylcarto fit --model MODEL --image WIDTHxHEIGHT [--utm-zone Z [--south]]\n"
                      "                    [--crs CRS [--order 1|2] [--grid-points]]\n"
                      "                    [--eval X Y]... [--to-position FILE [--crs-out CRS] | --to-pixel FILE]\n"
                      "                    [--plot OUT.png [--plot-image MAP]]\n"
                      "                    POINTS\n"
                      "MODEL is equirect, biquadraticpn, conicconformal, millercylindrical, utm,\n"
                      "parabolicip or projected. POINTS is a file (or - for standard input) of lines\n"
                      "\"X Y LAT LON\" (for utm and projected --grid-points \"X Y NORTHING EASTING\"; for\n"
                      "parabolicip graticule points \"P LAT X Y\" on the parallel LAT and \"M LON X Y\"\n"
                      "on the meridian LON, at least 2 lines of each kind with 3 points); blank lines\n"
                      "and lines starting with # are skipped.\n"
                      "projected fits a polynomial of --order 1 (default) or 2 between pixels and the\n"
                      "grid of --crs (EPSG:27700, a PROJ string or WKT); positions reach WGS 84\n"
                      "through PROJ, which picks the transformation (named in \"operation TEXT\").\n"
                      "Fewer points than the model needs (3; 6 for biquadraticpn and order 2) or\n"
                      "collinear points\n"
                      "are refused (exit 1); a condition below 0.01 is warned about on standard error,\n"
                      "as are UTM values outside the plausible range of a zone.\n"
                      "Prints per point \"X Y LAT LON XFIT YFIT DX DY LEFTOUT [outlier]\" (the pixel the\n"
                      "fit gives the position, its difference, and the pixels from the point to where the\n"
                      "fit of the other points puts it, - with too few to judge; \"outlier\", also warned\n"
                      "about, when that is over 10 and 5 times the others' median residual in the same\n"
                      "fit; parabolicip: \"P|M VALUE X Y FIT DIFF\" in degrees),\n"
                      "\"quality QX QY\" (RMS pixel residuals), \"position-quality M\" (RMS metres from\n"
                      "each point's pixel back to its position), \"condition C\" (smallest to largest\n"
                      "singular value of the centred and scaled design, 1 is ideal), the corners\n"
                      "\"topleft|bottomleft|bottomright|topright LAT LON\", \"resolution M\" (metres per\n"
                      "pixel) and, per --eval, \"pixel X Y -> LAT LON\". Degrees have 9 decimals,\n"
                      "pixels and metres 3.\n"
                      "--plot OUT.png draws the points on MAP (any image Qt reads, stretched to the\n"
                      "--image size; a white canvas without) with arrows to where the fit puts them,\n"
                      "outliers in red, S times longer than the residuals as written on the picture\n"
                      "and printed as \"plot-scale S\".\n"
                      "--to-position FILE converts lines \"X Y\" (fractional pixels; - for standard\n"
                      "input) to \"LAT LON\" (utm: \"NORTHING EASTING\"; with --crs-out CRS \"NORTHING EASTING\"\n"
                      "in that system, any model, through WGS 84); --to-pixel FILE converts\n"
                      "\"LAT LON\" (utm: \"NORTHING EASTING\") to fractional \"X Y\". Only the results\n"
                      "are printed, one line per input line (blank and # lines skipped); a line that\n"
                      "fails gives "
                      "\"error: line N: ...\" and the exit status is 1 at the end.\n"
                      "Exit status: 0 success, 1 no fit or a failed conversion, 2 bad usage or input.\n",
                      RunFit}};

}  // namespace
}  // namespace zylcarto::cli
