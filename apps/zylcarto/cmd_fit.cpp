// zylcarto fit: fits a calibration model to reference points and reports residuals.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"
#include "zylcarto/geomap/calibration/calibration.h"

namespace zylcarto::cli {
namespace {

struct TFitPoint {
    int X = 0, Y = 0;
    double A = 0, B = 0;  // latitude and longitude, or northing and easting
    std::string AText, BText;
};

TCalibModel ParseModel(const std::string& name) {
    for (TCalibModel m : {cmBiquadraticPn, cmConicConformal, cmMillerCylindrical, cmEquiRect, cmUTM})
        if (CalibModelNames[static_cast<int>(m)] == name) return m;
    throw EUsageError("unknown model \"" + name +
                     "\" (equirect, biquadraticpn, conicconformal, millercylindrical or utm)");
}

void ParseImageSize(const std::string& text, int& w, int& h) {
    const auto x = text.find('x');
    if (x == std::string::npos) throw EUsageError("--image wants WIDTHxHEIGHT, got \"" + text + "\"");
    w = ParseInt(text.substr(0, x), "image width");
    h = ParseInt(text.substr(x + 1), "image height");
    if (w < 1 || h < 1) throw EUsageError("image size must be at least 1x1, got \"" + text + "\"");
}

// "--eval X Y", as often as given.
std::vector<TPoint> TakeEvalPixels(TArgs& args) {
    std::vector<TPoint> out;
    for (std::size_t i = 0; i < args.size();) {
        if (args[i] != "--eval") {
            ++i;
            continue;
        }
        if (i + 2 >= args.size()) throw EUsageError("option --eval needs X and Y");
        out.push_back({ParseInt(args[i + 1], "--eval X"), ParseInt(args[i + 2], "--eval Y")});
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 3);
    }
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
            p.A = ParseDouble(f[2], utm ? "northing" : "latitude");
            p.B = ParseDouble(f[3], utm ? "easting" : "longitude");
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

std::string Deg(double v) { return FormatFixed(v, 6); }

int RunFit(const TArgs& argsIn) {
    TArgs args = argsIn;
    const auto modelName = TakeOption(args, "--model");
    const auto image = TakeOption(args, "--image");
    const auto zoneText = TakeOption(args, "--utm-zone");
    const bool south = TakeFlag(args, "--south");
    const std::vector<TPoint> evals = TakeEvalPixels(args);
    RejectUnknownOptions(args);
    if (!modelName) throw EUsageError("fit needs --model");
    if (!image) throw EUsageError("fit needs --image WIDTHxHEIGHT");
    if (args.size() != 1) throw EUsageError("fit needs one POINTS file (or - for standard input)");
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
    if (args[0] == "-") {
        points = ReadPoints(std::cin, "standard input", utm);
    } else {
        std::ifstream file(args[0]);
        if (!file) throw EUsageError("cannot open \"" + args[0] + "\"");
        points = ReadPoints(file, args[0], utm);
    }

    TMapCalibration cal("fit");
    cal.SetMapImageSize(w, h);
    cal.SetCalibModel(model);
    if (utm) {
        cal.SetUTMZone(zone);
        cal.SetUTMHemisphere(south ? THemisphere::hemiSouth : THemisphere::hemiNorth);
    }
    const THemisphere hemi = cal.GetUTMHemisphere();
    for (const TFitPoint& p : points) {
        if (utm)
            cal.AddCalibPoint(p.A, p.B, zone, hemi, p.X, p.Y);
        else
            cal.AddCalibPoint(p.A, p.B, p.X, p.Y);
    }

    for (const TFitPoint& p : points) {
        int x = 0, y = 0;
        const bool ok = utm ? cal.CalcPixelCoordsUTM(p.A, p.B, x, y) : cal.CalcPixelCoords(p.A, p.B, x, y);
        std::printf("%d %d %s %s ", p.X, p.Y, p.AText.c_str(), p.BText.c_str());
        if (ok)
            std::printf("%d %d %lld %lld\n", x, y, static_cast<long long>(x) - p.X, static_cast<long long>(y) - p.Y);
        else
            std::printf("- - - -\n");
    }
    double qx = 0, qy = 0;
    cal.CalibQuality(qx, qy);
    std::printf("quality %s %s\n", FormatFixed(qx, 3).c_str(), FormatFixed(qy, 3).c_str());
    const TCalibData& d = cal.CalibData();
    const std::pair<const char*, TCorners> corners[] = {{"topleft", gcoTopLeft},
                                                        {"bottomleft", gcoBottomLeft},
                                                        {"bottomright", gcoBottomRight},
                                                        {"topright", gcoTopRight}};
    for (const auto& [name, c] : corners)
        std::printf("%s %s %s\n", name, Deg(d.Corners[c].Latit).c_str(), Deg(d.Corners[c].Longit).c_str());
    std::printf("resolution %s\n", FormatFixed(d.Resolution, 3).c_str());
    for (const TPoint& p : evals) {
        bool vLat = false, vLong = false;
        const double lat = cal.CalcLatitude(p.X, p.Y, vLat), lon = cal.CalcLongitude(p.X, p.Y, vLong);
        std::printf("pixel %d %d -> %s %s\n", p.X, p.Y, vLat ? Deg(lat).c_str() : "invalid",
                    vLong ? Deg(lon).c_str() : "invalid");
    }
    return 0;
}

const TRegistrar fit{{"fit", "fit a calibration model to reference points",
                     "usage: zylcarto fit --model MODEL --image WIDTHxHEIGHT [--utm-zone Z [--south]]\n"
                     "                    [--eval X Y]... POINTS\n"
                     "MODEL is equirect, biquadraticpn, conicconformal, millercylindrical or utm.\n"
                     "POINTS is a file (or - for standard input) of lines \"X Y LAT LON\" (for utm\n"
                     "\"X Y NORTHING EASTING\"); blank lines and lines starting with # are skipped.\n"
                     "Prints per point \"X Y LAT LON XFIT YFIT DX DY\" (the pixel the fit gives the\n"
                     "position and its difference), \"quality QX QY\" (RMS pixel residuals), the four\n"
                     "corners \"topleft|bottomleft|bottomright|topright LAT LON\", \"resolution M\"\n"
                     "(metres per pixel) and, per --eval, \"pixel X Y -> LAT LON\".\n",
                     RunFit}};

} // namespace
} // namespace zylcarto::cli
