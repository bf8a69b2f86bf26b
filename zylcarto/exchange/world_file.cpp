#include "zylcarto/exchange/world_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <tuple>
#include <filesystem>
#include <numbers>
#include <optional>
#include <tuple>
#include <vector>

#include "zylcarto/exchange/exchange_text.h"
#include "zylcarto/exchange/image_size.h"
#include "zylcarto/exchange/text_fields.h"
#include "zylcarto/geomap/calibration/crs_transform.h"
#include "zylcarto/geomap/calibration/calib_models.h"
#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/longitude.h"
#include "zylcarto/support/strings.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

[[noreturn]] void Fail(const std::string& Text) { throw EZYLGeoMapError(Text); }

bool IsUTMZone(int Zone) { return Zone >= 1 && Zone <= 60; }

// What ParseWorldFile refuses: a world file we write must read back.
void CheckReadable(const TWorldFile& W) {
    for (double v : {W.A, W.D, W.B, W.E, W.C, W.F})
        if (!std::isfinite(v)) Fail("the calibration gives no affine rule (a coefficient is not finite)");
    if (W.A * W.E - W.B * W.D == 0)
        Fail("the calibration gives no affine rule (the pixel size is zero: too few or collinear reference points?)");
}

bool Exists(const std::string& Name) {
    std::error_code ec;
    return std::filesystem::is_regular_file(Name, ec);
}

// Map coordinates of our pixel position (px, py).
void Apply(const TWorldFile& W, double px, double py, double& X, double& Y) {
    X = W.A * (px - 0.5) + W.B * (py - 0.5) + W.C;
    Y = W.D * (px - 0.5) + W.E * (py - 0.5) + W.F;
}

// The world file of the affine rule row 1 -> Y, row 2 -> X given at pixel positions.
TWorldFile FromAffine(const TParRows<2, 3>& P) {
    TWorldFile w;
    w.A = P[2][2];
    w.B = P[2][3];
    w.C = P[2][1] + 0.5 * (w.A + w.B);
    w.D = P[1][2];
    w.E = P[1][3];
    w.F = P[1][1] + 0.5 * (w.D + w.E);
    // The fit leaves rounding noise (1e-32 and the like) where a north-up map has
    // no rotation; such a term moves no pixel of any image measurably.
    if (std::fabs(w.B) < 1e-12 * std::fabs(w.A)) w.B = 0;
    if (std::fabs(w.D) < 1e-12 * std::fabs(w.E)) w.D = 0;
    return w;
}

// Some tools write decimal commas ("-0,38"); a line holds one number, so a lone
// comma can be nothing else.
std::optional<double> WorldNumber(std::string_view Line) {
    if (const auto x = ParseNumber(Line)) return x;
    const std::size_t comma = Line.find(',');
    if (comma == std::string_view::npos || Line.find_first_of(",.", comma + 1) != std::string_view::npos ||
        Line.substr(0, comma).find('.') != std::string_view::npos)
        return std::nullopt;
    std::string point(Line);
    point[comma] = '.';
    return ParseNumber(point);
}

}  // namespace

TWorldFile ParseWorldFile(std::string_view Text) {
    const auto lines = SplitLines(Text);
    double v[6];
    int n = 0;
    std::size_t last = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view l = TrimSpace(lines[i]);
        if (l.empty()) continue;
        if (n == 6) Fail("line " + std::to_string(i + 1) + ": a world file holds six numbers");
        const auto x = WorldNumber(l);
        if (!x) Fail("line " + std::to_string(i + 1) + ": not a number: \"" + TextAsUtf8(l) + "\"");
        v[n++] = *x;
        last = i + 1;
    }
    if (n < 6)
        Fail("line " + std::to_string(last + 1) + ": the world file ends after " + std::to_string(n) +
             " of six numbers");
    TWorldFile w{v[0], v[1], v[2], v[3], v[4], v[5]};
    if (w.A * w.E - w.B * w.D == 0) Fail("the world file's pixel size is zero (lines 1 to 4)");
    return w;
}

std::string FormatWorldFile(const TWorldFile& W) {
    std::string s;
    for (double v : {W.A, W.D, W.B, W.E, W.C, W.F}) s += ShortestNumber(v) + "\r\n";
    return s;
}

std::vector<std::string> WorldFileNames(const std::string& ImageName) {
    const std::string base = StripExtension(ImageName);
    const std::string ext = LowerCase(ExtractFileExt(ImageName));
    std::vector<std::string> exts;
    if (ext.size() >= 3) {
        exts.push_back(std::string(".") + ext[1] + ext.back() + "w");
        exts.push_back(ext + "w");
    }
    exts.push_back(".wld");
    std::vector<std::string> names;
    for (const std::string& e : exts) {
        names.push_back(base + e);
        names.push_back(base + UpperCase(e));
    }
    return names;
}

bool PrjNamesWGS84UTM(std::string_view Prj, int& Zone, bool& South) {
    const std::string u = UpperCase(Prj);
    if (u.find("WGS") == std::string::npos || (u.find("84") == std::string::npos)) return false;
    const std::size_t utm = u.find("UTM");
    if (utm == std::string::npos) return false;
    std::size_t z = u.find("ZONE", utm);
    if (z == std::string::npos) return false;
    z += 4;
    while (z < u.size() && (u[z] == ' ' || u[z] == '_')) ++z;
    int zone = 0, digits = 0;
    while (z < u.size() && std::isdigit(static_cast<unsigned char>(u[z])) && digits < 3) {
        zone = zone * 10 + (u[z++] - '0');
        ++digits;
    }
    if (digits == 0 || zone < 1 || zone > 60 || z >= u.size() || (u[z] != 'N' && u[z] != 'S')) return false;
    Zone = zone;
    South = u[z] == 'S';
    return true;
}

bool PrjNamesWGS84Geographic(std::string_view Prj) {
    const std::string u = UpperCase(TrimSpace(Prj));
    return u.rfind("GEOGCS[", 0) == 0 && u.find("WGS") != std::string::npos && u.find("84") != std::string::npos;
}

TImportedCalibration ImportWorldFile(const std::string& ImageName, int UTMZone, bool South, const std::string& CRS) {
    if (UTMZone != 0 && !IsUTMZone(UTMZone))
        Fail("UTM zone " + std::to_string(UTMZone) + " is not 1..60 (0: from the .prj, or degrees)");
    if (UTMZone != 0 && !CRS.empty()) Fail("a UTM zone and a coordinate reference system exclude each other");
    std::string worldName;
    for (const std::string& n : WorldFileNames(ImageName))
        if (Exists(n)) {
            worldName = n;
            break;
        }
    if (worldName.empty()) {
        const std::vector<std::string> names = WorldFileNames(ImageName);
        std::string tried;
        for (std::size_t i = 0; i < names.size(); i += 2) tried += (i > 0 ? ", " : "") + StripPath(names[i]);
        throw EInOutError(ImageName, ENOENT,
                          "no world file beside " + ImageName + " (looked for " + tried + ", in either case)");
    }
    TWorldFile w;
    try {
        w = ParseWorldFile(ReadFileBytes(worldName));
    } catch (const EZYLGeoMapError& e) {
        Fail(worldName + ": " + e.what());
    }
    TImageSize size;
    if (!ReadImageSize(ImageName, size))
        throw EInOutError(ImageName, 0, ImageName + ": not a readable JPEG, BMP, PNG or TIFF image");

    std::vector<std::string> notes;
    const std::string prjName = StripExtension(ImageName) + ".prj";
    std::string crs = CRS;
    if (UTMZone == 0 && CRS.empty() && Exists(prjName)) {
        const std::string prj = ReadFileBytes(prjName);
        if (PrjNamesWGS84UTM(prj, UTMZone, South)) {
            notes.push_back("UTM zone " + std::to_string(UTMZone) + (South ? " south" : " north") + " from " + prjName);
        } else if (!PrjNamesWGS84Geographic(prj)) {
            // Any other system (ESRI or OGC WKT): the projected model in it.
            crs = std::string(TrimSpace(prj));
            notes.push_back("coordinate reference system from " + prjName);
        }
    }
    if (!crs.empty()) {
        std::string why;
        if (!TCrsTransform::Create(crs, why)) Fail("coordinate reference system: " + why);
    }
    const bool utm = UTMZone != 0, projected = !crs.empty();
    TCalibData D;
    D.CRS = crs;
    D.MapFName = StripPath(ImageName);
    D.Caption = StripExtension(D.MapFName);
    if (utm) {
        D.UTMZone = UTMZone;
        D.UTMSouth = South;
    }
    const int W = size.Width, H = size.Height;
    // Global files often put the first pixel's centre, not its outer edge, on
    // -180/90: their outer edges lie half a pixel off the globe. Such a file is
    // taken, with its reference points one pixel in from the corners and its
    // corners held on the globe.
    const double slackX = 0.5 * (std::fabs(w.A) + std::fabs(w.B)) * (1 + 1e-9);
    const double slackY = 0.5 * (std::fabs(w.D) + std::fabs(w.E)) * (1 + 1e-9);
    int inset = 0;
    for (const auto& p : {std::pair{0, 0}, std::pair{W, 0}, std::pair{W, H}, std::pair{0, H}}) {
        double X = 0, Y = 0;
        Apply(w, p.first, p.second, X, Y);
        if (utm || projected || (std::fabs(Y) <= 90 && std::fabs(X) <= 180)) continue;
        if (std::fabs(Y) > 90 + slackY || std::fabs(X) > 180 + slackX || W < 3 || H < 3)
            Fail(worldName + ": the values are not degrees (a corner lies at " + ShortestNumber(X) + ", " +
                 ShortestNumber(Y) + "); give --utm-zone for a UTM map");
        inset = 1;
    }
    for (const auto& p : {std::pair{inset, inset}, std::pair{W - inset, inset}, std::pair{W - inset, H - inset},
                          std::pair{inset, H - inset}}) {
        double X = 0, Y = 0;
        Apply(w, p.first, p.second, X, Y);
        ++D.NumCalQuads;
        D.CalQuads[D.NumCalQuads] = TCalQuad{Y, X, p.first, p.second};
    }
    TImportedCalibration r = FitImported(D, projected ? cmProjected : utm ? cmUTM : cmEquiRect, W, H);
    // The outer edges lie off the globe, where the calibration answers nothing:
    // the corners come from the world file, held on the globe.
    if (inset > 0)
        for (const auto& [corner, px, py] : {std::tuple{gcoTopLeft, 0, 0}, std::tuple{gcoTopRight, W, 0},
                                             std::tuple{gcoBottomRight, W, H}, std::tuple{gcoBottomLeft, 0, H}}) {
            double X = 0, Y = 0;
            Apply(w, px, py, X, Y);
            r.Data.Corners[corner] = TCoords{std::clamp(Y, -90.0, 90.0), std::clamp(X, -180.0, 180.0)};
        }
    r.Notes = std::move(notes);
    r.Notes.insert(r.Notes.begin(), "world file " + worldName);
    return r;
}

TWorldExport WorldFileOf(const TCalibData& Data, TCalibModel Model, int Width, int Height) {
    const TMapCalibration cal = FittedCalibration(Data, Model, Width, Height);
    TWorldExport r;
    if (Model == cmEquiRect || Model == cmUTM) {
        r.World = FromAffine(cal.Params().EquRectPLSP);
        CheckReadable(r.World);
        r.Exact = true;
        r.UTM = Model == cmUTM;
        return r;
    }
    if (Model == cmProjected && Data.ProjOrder != 2) {
        TParRows<2, 3> affine;
        for (int row = 1; row <= 2; ++row)
            for (int c = 1; c <= 3; ++c) affine[row][c] = cal.Params().ProjPLSP[row][c];
        r.World = FromAffine(affine);
        CheckReadable(r.World);
        r.Exact = true;
        return r;
    }
    const bool inGrid = Model == cmProjected;
    // Other models are not affine: fit the affine rule to the model's positions
    // on a grid over the image and report how far it strays.
    constexpr int kSteps = 10;
    TCalibData grid;
    for (int i = 0; i <= kSteps; ++i)
        for (int j = 0; j <= kSteps; ++j) {
            const int x = static_cast<int>(static_cast<long long>(Width) * i / kSteps);
            const int y = static_cast<int>(static_cast<long long>(Height) * j / kSteps);
            // A second-order projected map is fitted in its grid, the others in degrees.
            bool latOK = false, longOK = false;
            double lat = 0, lon = 0;
            if (inGrid)
                latOK = longOK = cal.CalcGridFrac(x, y, lat, lon);
            else
                std::tie(lat, lon) = std::pair(cal.CalcLatitude(x, y, latOK), cal.CalcLongitude(x, y, longOK));
            if (!latOK || !longOK || !std::isfinite(lat) || !std::isfinite(lon))
                Fail("the calibration cannot convert pixel " + std::to_string(x) + "," + std::to_string(y));
            ++grid.NumCalQuads;
            grid.CalQuads[grid.NumCalQuads] = TCalQuad{lat, lon, x, y};
        }
    // Positions come back within -180..180; across the antimeridian the affine
    // rule needs them running on past 180.
    std::vector<TLongitudeAt> longs;
    for (int i = 1; i <= grid.NumCalQuads; ++i)
        longs.push_back({grid.CalQuads[i].Longitude, double(grid.CalQuads[i].MapX)});
    const TLongitudeFrame frame = LongitudeFrame(longs);
    for (int i = 1; i <= grid.NumCalQuads; ++i) grid.CalQuads[i].Longitude = frame.Apply(grid.CalQuads[i].Longitude);
    TCalibParams P;
    FitEquiRect(grid, P);
    r.World = FromAffine(P.EquRectPLSP);
    CheckReadable(r.World);
    constexpr double metresPerDegree = 6371008.8 * DegToRad;
    for (int i = 1; i <= grid.NumCalQuads; ++i) {
        const TCalQuad& q = grid.CalQuads[i];
        double X = 0, Y = 0;
        Apply(r.World, q.MapX, q.MapY, X, Y);
        const double d = inGrid ? std::hypot(Y - q.Latitude, X - q.Longitude)
                                : std::hypot((Y - q.Latitude) * metresPerDegree,
                                             (X - q.Longitude) * metresPerDegree * std::cos(q.Latitude * DegToRad));
        r.MaxResidualM = std::max(r.MaxResidualM, d);
    }
    return r;
}

std::string PrjText(const TCalibData& Data, bool UTM) {
    if (!Data.CRS.empty()) {
        std::string why;
        const auto crs = TCrsTransform::Create(Data.CRS, why);
        if (!crs) Fail("coordinate reference system: " + why);
        if (crs->PrjWkt().empty()) Fail("PROJ cannot write the coordinate reference system as WKT");
        return crs->PrjWkt();
    }
    const std::string geog =
        "GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\",6378137.0,298.257223563]],"
        "PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]]";
    if (!UTM) return geog;
    const int zone = Data.UTMZone;
    if (!IsUTMZone(zone)) Fail("UTM zone " + std::to_string(zone) + " is not 1..60");
    return "PROJCS[\"WGS_1984_UTM_Zone_" + std::to_string(zone) + (Data.UTMSouth ? "S" : "N") + "\"," + geog +
           ",PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"False_Easting\",500000.0],PARAMETER[\"False_Northing\"," +
           (Data.UTMSouth ? "10000000.0" : "0.0") + "],PARAMETER[\"Central_Meridian\"," +
           std::to_string(zone * 6 - 183) +
           ".0],PARAMETER[\"Scale_Factor\",0.9996],"
           "PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"Meter\",1.0]]";
}

}  // namespace zylcarto
