#include "zylcarto/exchange/ozi_map.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "zylcarto/exchange/exchange_text.h"
#include "zylcarto/exchange/image_size.h"
#include "zylcarto/exchange/ozi_projection.h"
#include "zylcarto/exchange/text_fields.h"
#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/projections.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {
namespace {

// The datum names OziExplorer writes, onto the row of our table with the same
// datum and area (the mean or most general row where the table has several).
struct TOziDatum {
    std::string_view Name;  // upper case
    int Row;
};
constexpr TOziDatum kOziDatums[] = {
    {"WGS 84", 269},
    {"WGS 72", 268},
    {"ADINDAN", 6},
    {"ARC 1950", 15},
    {"ARC 1960", 24},
    {"AUSTRALIAN GEOD '66", 30},
    {"AUSTRALIAN GEOD '84", 31},
    {"AUSTRIA", 101},
    {"CAPE", 42},
    {"CH-1903", 37},
    {"DJAKARTA (BATAVIA)", 32},
    {"EUROPEAN 1950", 59},
    {"EUROPEAN 1950 (SPAIN AND PORTUGAL)", 64},
    {"EUROPEAN 1979", 84},
    {"ETRS89", 86},
    {"FINLAND HAYFORD", 127},
    {"GDA94", 91},
    {"GEODETIC DATUM '49", 92},
    {"HERMANNSKOGEL", 102},
    {"HONG KONG 1963", 105},
    {"HU-TZU-SHAN", 107},
    {"HUNGARIAN DATUM 1972", 108},
    {"INDIAN BANGLADESH", 112},
    {"INDIAN THAILAND", 115},
    {"IRELAND 1965", 119},
    {"KERTAU 1948", 124},
    {"LUZON MINDANAO", 135},
    {"LUZON PHILIPPINES", 136},
    {"MINNA", 142},
    {"NAD27 ALASKA", 158},
    {"NAD27 BAHAMAS", 163},
    {"NAD27 CANADA", 159},
    {"NAD27 CANAL ZONE", 164},
    {"NAD27 CARIBBEAN", 165},
    {"NAD27 CENTRAL", 166},
    {"NAD27 CONUS", 167},
    {"NAD27 CUBA", 168},
    {"NAD27 GREENLAND", 171},
    {"NAD27 MEXICO", 173},
    {"NAD27 SAN SALVADOR", 175},
    {"NAD83", 155},
    {"NTF FRANCE", 178},
    {"OLD EGYPTIAN", 182},
    {"ORD SRVY GRT BRITN", 183},
    {"POTSDAM RAUENBERG DHDN", 217},
    {"PROV SO AMRICAN '56", 205},
    {"PUERTO RICO", 213},
    {"PULKOVO 1942 (1)", 210},
    {"PULKOVO 1942 (2)", 210},
    {"QATAR NATIONAL", 214},
    {"RIJKSDRIEHOEKSMETING", 13},
    {"ROME 1940", 143},
    {"RT 90", 219},
    {"S42", 210},
    {"SOUTH AMERICAN '69", 231},
    {"TIMBALAI 1948", 258},
    {"TOKYO", 262},
    {"ZANDERIJ", 271},
};

[[noreturn]] void Fail(std::size_t Line, const std::string& Text) {
    throw EZYLGeoMapError("line " + std::to_string(Line) + ": " + Text);
}

std::string Quoted(std::string_view S) { return "\"" + TextAsUtf8(S) + "\""; }

enum class TOziProjection { LatLong, UTM, Other };

struct TOziPoint {
    std::size_t Line = 0;
    double X = 0, Y = 0;
    std::optional<std::pair<double, double>> LatLong;  // in the map's datum
    int Zone = 0;
    bool South = false;
    std::optional<std::pair<double, double>> Grid;  // easting, northing
};

std::optional<double> Field(const std::vector<std::string_view>& F, std::size_t i, std::size_t Line, const char* What) {
    if (i >= F.size() || F[i].empty()) return std::nullopt;
    const auto v = ParseNumber(F[i]);
    if (!v) Fail(Line, std::string("bad ") + What + " " + Quoted(F[i]));
    return v;
}

// Degrees (with an optional sign) and decimal minutes with a hemisphere letter.
std::optional<double> Angle(const std::vector<std::string_view>& F, std::size_t i, std::size_t Line, bool Latitude) {
    const char* what = Latitude ? "latitude" : "longitude";
    const auto deg = Field(F, i, Line, what);
    const auto min = Field(F, i + 1, Line, what);
    if (!deg && !min) return std::nullopt;
    if (!deg || !min) Fail(Line, std::string(what) + " needs degrees and minutes");
    if (*min < 0 || *min >= 60) Fail(Line, std::string(what) + " minutes out of range: " + ShortestNumber(*min));
    const std::string_view h = i + 2 < F.size() ? F[i + 2] : std::string_view();
    const std::string positive = Latitude ? "N" : "E", negative = Latitude ? "S" : "W";
    if (!h.empty() && !SameText(h, positive) && !SameText(h, negative))
        Fail(Line, std::string(what) + " hemisphere must be " + positive + " or " + negative + ", not " + Quoted(h));
    double v = std::fabs(*deg) + *min / 60;
    // Some producers sign the degrees as well as naming the hemisphere: either makes it south or west.
    if (std::signbit(*deg) || (!h.empty() && SameText(h, negative))) v = -v;
    if (std::fabs(v) > (Latitude ? 90 : 180)) Fail(Line, std::string(what) + " out of range: " + ShortestNumber(v));
    return v;
}

TOziPoint ReadPoint(std::string_view Text, std::size_t Line) {
    const auto F = SplitCommas(Text);
    TOziPoint p;
    p.Line = Line;
    const auto x = Field(F, 2, Line, "pixel x"), y = Field(F, 3, Line, "pixel y");
    if (!x || !y) return p;  // an empty slot
    if (*x < 0 || *y < 0 || *x > 1e7 || *y > 1e7) Fail(Line, "pixel position out of range");
    p.X = *x;
    p.Y = *y;
    const auto lat = Angle(F, 6, Line, true), lon = Angle(F, 9, Line, false);
    if (lat && lon)
        p.LatLong = std::make_pair(*lat, *lon);
    else if (lat || lon)
        Fail(Line, "a point needs both latitude and longitude");
    const int zone = F.size() > 13 ? std::atoi(std::string(F[13]).c_str()) : 0;  // "33" or "33U"
    const auto e = Field(F, 14, Line, "easting"), n = Field(F, 15, Line, "northing");
    if (e && n) {
        p.Zone = zone;  // checked where the grid is UTM
        p.South = F.size() > 16 && SameText(F[16], "S");
        p.Grid = std::make_pair(*e, *n);
    }
    return p;
}

bool StartsWith(std::string_view S, std::string_view Prefix) {
    return S.size() >= Prefix.size() && SameText(S.substr(0, Prefix.size()), Prefix);
}

std::string_view ImageBaseName(std::string_view Path) {
    const std::size_t slash = Path.find_last_of("\\/");
    return slash == std::string_view::npos ? Path : Path.substr(slash + 1);
}

// The image beside the map file under the name as the file has it: the bytes
// themselves (a file system that kept them), else the name read in the code
// pages such files are written in, Cyrillic first (which it mostly is when it is
// not UTF-8), then Western. "" when none is there.
std::string FindImage(const std::string& Dir, std::string_view Name) {
    std::vector<std::string> names{std::string(Name)};
    if (!IsUtf8(Name)) {
        names.push_back(Cp1251AsUtf8(Name));
        names.push_back(TextAsUtf8(Name));
    }
    for (const std::string& n : names)
        if (std::string found = FindFileBeside(Dir, n); !found.empty()) return found;
    return {};
}

}  // namespace

int OziDatumNumber(std::string_view Name) {
    const std::string upper = UpperCase(TrimSpace(Name));
    for (const TOziDatum& d : kOziDatums)
        if (d.Name == upper) return d.Row;
    for (int i = 1; i <= GeoDatumCount; ++i)
        if (GeoDatumData[i].Name.Ansi() == upper) return i;
    return 0;
}

TImportedCalibration ReadOziMap(std::string_view Text, const std::string& MapFileName) {
    const auto lines = SplitLines(Text);
    constexpr std::string_view kSignature = "OziExplorer Map Data File Version ";
    if (lines.empty() || !StartsWith(lines[0], kSignature)) Fail(1, "not an OziExplorer map file");
    const std::string_view version = TrimSpace(lines[0].substr(kSignature.size()));
    if (version != "2.0" && version != "2.1" && version != "2.2")
        Fail(1, "unsupported OziExplorer map version " + Quoted(version) + " (2.0 to 2.2 are read)");
    if (lines.size() < 5) Fail(lines.size() + 1, "the file ends before the datum line");

    const std::string title = TextAsUtf8(TrimSpace(lines[1]));
    const std::string_view imageBytes = ImageBaseName(TrimSpace(lines[2]));
    const std::string imageName = TextAsUtf8(imageBytes);
    const auto datumFields = SplitCommas(lines[4]);
    const int datum = OziDatumNumber(datumFields[0]);
    if (datum == 0) Fail(5, "unknown datum " + Quoted(datumFields[0]));
    const TGeoEllipsoid datumEllipsoid = GeoDatumData[datum].Ellipsoid;

    std::optional<TOziProjection> projection;
    std::string projectionName;
    std::vector<std::string_view> setup;
    std::vector<TOziPoint> points, cornerPixels;
    std::vector<std::pair<std::size_t, std::pair<double, double>>> cornerCoords;
    int iwhW = 0, iwhH = 0;
    for (std::size_t i = 5; i < lines.size(); ++i) {
        const std::size_t no = i + 1;
        const std::string_view l = lines[i];
        if (StartsWith(l, "Map Projection,")) {
            const auto F = SplitCommas(l);
            projectionName = F.size() > 1 ? std::string(F[1]) : std::string();
            if (SameText(projectionName, "Latitude/Longitude"))
                projection = TOziProjection::LatLong;
            else if (UpperCase(projectionName).find("UTM") != std::string::npos)
                projection = TOziProjection::UTM;
            else
                projection = TOziProjection::Other;
        } else if (StartsWith(l, "Projection Setup,")) {
            setup = SplitCommas(l);
        } else if (StartsWith(l, "Point") && l.size() > 7 && std::isdigit(static_cast<unsigned char>(l[5]))) {
            TOziPoint p = ReadPoint(l, no);
            if (p.LatLong || p.Grid) points.push_back(p);
        } else if (StartsWith(l, "MMPXY,")) {
            const auto F = SplitCommas(l);
            const auto x = Field(F, 2, no, "pixel x"), y = Field(F, 3, no, "pixel y");
            if (!x || !y) Fail(no, "MMPXY needs a pixel position");
            TOziPoint p;
            p.Line = no;
            p.X = *x;
            p.Y = *y;
            cornerPixels.push_back(p);
        } else if (StartsWith(l, "MMPLL,")) {
            const auto F = SplitCommas(l);
            const auto lon = Field(F, 2, no, "longitude"), lat = Field(F, 3, no, "latitude");
            if (!lon || !lat || std::fabs(*lat) > 90 || std::fabs(*lon) > 180)
                Fail(no, "MMPLL needs longitude and latitude");
            cornerCoords.push_back({no, {*lat, *lon}});
        } else if (StartsWith(l, "IWH,")) {
            const auto F = SplitCommas(l);
            const auto w = Field(F, 2, no, "image width"), h = Field(F, 3, no, "image height");
            if (!w || !h || *w < 1 || *h < 1 || *w > 1e7 || *h > 1e7) Fail(no, "IWH needs the image width and height");
            iwhW = static_cast<int>(*w);
            iwhH = static_cast<int>(*h);
        }
    }
    if (!projection) Fail(lines.size(), "the file has no Map Projection line");

    TImportedCalibration result;
    // Too few reference points: the corner lines of the moving-map section still
    // tie the image to the ground, as OziExplorer itself uses them.
    if (points.size() < 2 && cornerPixels.size() >= 2 && cornerPixels.size() == cornerCoords.size()) {
        points.clear();
        for (std::size_t k = 0; k < cornerPixels.size(); ++k) {
            TOziPoint p = cornerPixels[k];
            p.LatLong = cornerCoords[k].second;
            points.push_back(p);
        }
        result.Notes.push_back("reference points taken from the MMPXY/MMPLL corner lines");
    }
    if (points.size() < 2) Fail(lines.size(), "fewer than 2 calibration points");
    // The format's 30 point slots; corner lines and numbers beyond them are not the format's.
    constexpr std::size_t kMaxPoints = 30;
    if (points.size() > kMaxPoints) Fail(points[kMaxPoints].Line, "more than 30 calibration points");

    TCalibData D;
    D.Caption = title;
    D.Ellipsoid = TGeoEllipsoid::gelWGS84;
    auto toWGS84 = [&](std::size_t Line, double& Lat, double& Long) {
        if (datum == GeoDatumWGS84) return;
        double h = 0;
        if (HelmertTransform(datum, Lat, Long, 0, GeoDatumWGS84, Lat, Long, h) != htOK)
            Fail(Line, "position outside the datum shift's range");
    };

    TCalibModel model = cmEquiRect;
    TOziCrs crs;
    std::string crsWhy;
    if (*projection == TOziProjection::Other && OziProjection(projectionName, setup, crs, crsWhy) &&
        OziDatumCrs(datumFields[0], crs)) {
        // In the map's own projection and datum; PROJ takes it to WGS 84.
        model = cmProjected;
        D.CRS = crs.Definition();
        D.ProjOrder = 1;
    } else if (!crsWhy.empty()) {
        Fail(5, crsWhy);
    }
    if (*projection == TOziProjection::UTM) {
        for (const TOziPoint& p : points)
            if (p.Grid && (p.Zone < 1 || p.Zone > 60)) Fail(p.Line, "grid coordinates need a UTM zone 1..60");
        model = cmUTM;
        // The zone and hemisphere of the first grid point, else of the first point's position.
        const TOziPoint* first = nullptr;
        for (const TOziPoint& p : points)
            if (p.Grid && !first) first = &p;
        if (first) {
            D.UTMZone = first->Zone;
            D.UTMSouth = first->South;
        } else {
            double lat = points[0].LatLong->first, lon = points[0].LatLong->second, e, n;
            toWGS84(points[0].Line, lat, lon);
            LatLongToUTM(lat, lon, TGeoEllipsoid::gelWGS84, D.UTMZone, e, n);
            D.UTMSouth = lat < 0;
            if (D.UTMZone < 1) Fail(points[0].Line, "the map lies outside the UTM area");
        }
    } else if (*projection == TOziProjection::Other && model != cmProjected) {
        for (const TOziPoint& p : points)
            if (!p.LatLong)
                Fail(p.Line, "grid coordinates of a projection that is not read need latitude and longitude");
        model = points.size() >= 6 ? cmBiquadraticPn : cmEquiRect;
        result.Notes.push_back("projection \"" + TextAsUtf8(projectionName) + "\" fitted as " +
                               (model == cmBiquadraticPn ? "biquadratic" : "equirect (fewer than 6 points)"));
    }

    // Positions of the projected model go into its grid, on the map's own datum.
    std::vector<std::pair<double, double>> grid(points.size());
    if (model == cmProjected) {
        for (std::size_t k = 0; k < points.size(); ++k)
            grid[k] =
                points[k].Grid ? std::make_pair(points[k].Grid->first, points[k].Grid->second) : *points[k].LatLong;
        std::vector<std::pair<double, double>> toProject;
        for (std::size_t k = 0; k < points.size(); ++k)
            if (!points[k].Grid) toProject.push_back(grid[k]);
        std::string why;
        if (!ProjectOnOwnDatum(crs, toProject, why)) Fail(5, why);
        for (std::size_t k = 0, j = 0; k < points.size(); ++k)
            if (!points[k].Grid) grid[k] = toProject[j++];
    }

    for (std::size_t k = 0; k < points.size(); ++k) {
        const TOziPoint& p = points[k];
        TCalQuad q;
        q.MapX = static_cast<std::int32_t>(std::lround(p.X));
        q.MapY = static_cast<std::int32_t>(std::lround(p.Y));
        if (model == cmProjected) {
            q.Longitude = grid[k].first;
            q.Latitude = grid[k].second;
        } else if (model == cmUTM) {
            if (p.Grid && datum == GeoDatumWGS84 && p.Zone == D.UTMZone && p.South == D.UTMSouth) {
                q.Longitude = p.Grid->first;
                q.Latitude = p.Grid->second;
            } else {
                double lat = 0, lon = 0;
                if (p.Grid)
                    UTMToLatLong(p.Grid->first, p.Grid->second, p.Zone, p.South, datumEllipsoid, lat, lon);
                else
                    std::tie(lat, lon) = *p.LatLong;
                toWGS84(p.Line, lat, lon);
                LatLongToUTMInZone(lat, lon, D.UTMZone, D.UTMSouth, TGeoEllipsoid::gelWGS84, q.Longitude, q.Latitude);
            }
        } else {
            double lat = 0, lon = 0;
            if (p.LatLong)
                std::tie(lat, lon) = *p.LatLong;
            else
                UTMToLatLong(p.Grid->first, p.Grid->second, p.Zone, p.South, datumEllipsoid, lat, lon);
            toWGS84(p.Line, lat, lon);
            q.Latitude = lat;
            q.Longitude = lon;
        }
        if (!std::isfinite(q.Latitude) || !std::isfinite(q.Longitude)) Fail(p.Line, "point cannot be converted");
        ++D.NumCalQuads;
        D.CalQuads[D.NumCalQuads] = q;
    }

    const std::string dir = ExtractFilePath(MapFileName);
    const std::string found = FindImage(dir, imageBytes);
    D.MapFName = found.empty() ? imageName : found;
    if (found.empty()) result.Notes.push_back("image \"" + imageName + "\" not found beside the map file");
    int w = iwhW, h = iwhH;
    TImageSize size;
    if (!found.empty() && ReadImageSize(dir + found, size)) {
        if (w > 0 && (w != size.Width || h != size.Height))
            result.Notes.push_back("IWH differs from the image; the image's size is used");
        w = size.Width;
        h = size.Height;
    }
    if (w < 1 || h < 1) Fail(lines.size(), "no image size: the file has no IWH line and the image is not readable");

    TImportedCalibration fitted = FitImported(D, model, w, h);
    fitted.Notes = std::move(result.Notes);
    return fitted;
}

TImportedCalibration ImportOziMap(const std::string& MapFileName) {
    return ReadOziMap(ReadFileBytes(MapFileName), MapFileName);
}

}  // namespace zylcarto
