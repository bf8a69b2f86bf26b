#include "zylcarto/exchange/ozi_projection.h"

#include <proj.h>

#include <cmath>
#include <optional>

#include "zylcarto/exchange/ozi_map.h"
#include "zylcarto/exchange/text_fields.h"
#include "zylcarto/geodesy/datums.h"
#include "zylcarto/support/strings.h"

namespace zylcarto {
namespace {

// The datums OziExplorer files name most, with the parameters the format uses
// for them (3 or 7 parameters to WGS 84, position-vector rotations in arc
// seconds, scale in ppm): EPSG's published transformations, and for Pulkovo
// 1942 OziExplorer's own 28, -130, -95.
struct TOziDatumRow {
    std::string_view Name;  // upper case
    std::string_view Ellipsoid;
    std::string_view Shift;
};
constexpr TOziDatumRow kDatums[] = {
    {"WGS 84", "+ellps=WGS84", "+towgs84=0,0,0"},
    {"WGS 72", "+ellps=WGS72", "+towgs84=0,0,4.5,0,0,0.554,0.2263"},
    {"PULKOVO 1942 (1)", "+ellps=krass", "+towgs84=28,-130,-95"},
    {"PULKOVO 1942 (2)", "+ellps=krass", "+towgs84=28,-130,-95"},
    {"PULKOVO 1942", "+ellps=krass", "+towgs84=28,-130,-95"},
    {"S42", "+ellps=krass", "+towgs84=28,-130,-95"},
    {"ORD SRVY GRT BRITN", "+ellps=airy", "+towgs84=446.448,-125.157,542.06,0.15,0.247,0.842,-20.489"},
    {"OSGB 36", "+ellps=airy", "+towgs84=446.448,-125.157,542.06,0.15,0.247,0.842,-20.489"},
    {"IRELAND 1965", "+ellps=mod_airy", "+towgs84=482.5,-130.6,564.6,-1.042,-0.214,-0.631,8.15"},
    {"EUROPEAN 1950", "+ellps=intl", "+towgs84=-87,-98,-121"},
    {"EUROPEAN 1979", "+ellps=intl", "+towgs84=-86,-98,-119"},
    {"NAD27 CONUS", "+ellps=clrk66", "+towgs84=-8,160,176"},
    {"NAD27 CANADA", "+ellps=clrk66", "+towgs84=-10,158,187"},
    {"NAD27 ALASKA", "+ellps=clrk66", "+towgs84=-5,135,172"},
    {"NAD83", "+ellps=GRS80", "+towgs84=0,0,0"},
    {"ETRS89", "+ellps=GRS80", "+towgs84=0,0,0"},
    {"GDA94", "+ellps=GRS80", "+towgs84=0,0,0"},
    {"RT 90", "+ellps=bessel", "+towgs84=414.1,41.3,603.1,-0.855,2.141,-7.023,0"},
    {"CH-1903", "+ellps=bessel", "+towgs84=674.374,15.056,405.346"},
    {"GEODETIC DATUM '49", "+ellps=intl", "+towgs84=59.47,-5.04,187.44,0.47,-0.1,1.024,-4.5993"},
    {"POTSDAM RAUENBERG DHDN", "+ellps=bessel", "+towgs84=598.1,73.7,418.2,0.202,0.045,-2.455,6.7"},
    {"HERMANNSKOGEL", "+ellps=bessel", "+towgs84=577.326,90.129,463.919,5.137,1.474,5.297,2.4232"},
    {"RIJKSDRIEHOEKSMETING", "+ellps=bessel", "+towgs84=565.2369,50.0087,465.658,-0.406857,0.350733,-1.87035,4.0812"},
    {"NTF FRANCE", "+ellps=clrk80ign", "+towgs84=-168,-60,320"},
    {"TOKYO", "+ellps=bessel", "+towgs84=-148,507,685"},
};

// The national grids: fixed projections whose datum the file still names.
struct TOziGrid {
    std::string_view Tag;  // upper case, as in "(BNG) British National Grid"
    std::string_view Projection;
};
constexpr TOziGrid kGrids[] = {
    {"(BNG)", "+proj=tmerc +lat_0=49 +lon_0=-2 +k=0.9996012717 +x_0=400000 +y_0=-100000"},
    {"(IG)", "+proj=tmerc +lat_0=53.5 +lon_0=-8 +k=1.000035 +x_0=200000 +y_0=250000"},
    {"(SG)", "+proj=tmerc +lat_0=0 +lon_0=15.80827777777778 +k=1 +x_0=1500000 +y_0=0"},
    {"(SUI)", "+proj=somerc +lat_0=46.95240555555556 +lon_0=7.439583333333333 +k_0=1 +x_0=600000 +y_0=200000"},
    {"(NZG)", "+proj=nzmg +lat_0=-41 +lon_0=173 +x_0=2510000 +y_0=6023150"},
};

std::string Num(double V) { return ShortestNumber(V); }

struct TPjHolder {
    PJ* P;
    ~TPjHolder() { proj_destroy(P); }
};

}  // namespace

std::string TOziCrs::Definition() const {
    return Projection + " " + Ellipsoid + " " + Shift + " +units=m +no_defs +type=crs";
}

bool OziDatumCrs(std::string_view DatumName, TOziCrs& Crs) {
    const std::string upper = UpperCase(TrimSpace(DatumName));
    for (const TOziDatumRow& d : kDatums)
        if (d.Name == upper) {
            Crs.Ellipsoid = d.Ellipsoid;
            Crs.Shift = d.Shift;
            return true;
        }
    // Other names: the row of the library's table, with its ellipsoid and shift.
    const int row = OziDatumNumber(DatumName);
    if (!IsGeoDatumNumber(row)) return false;
    const TGeoDatum& d = GeoDatumData[row];
    const TEllipsoidAxes& axes = EllipsoidAxes(d.Ellipsoid);
    Crs.Ellipsoid =
        "+a=" + Num(axes.a) + (axes.a == axes.b ? " +b=" + Num(axes.b) : " +rf=" + Num(RecipFlattening(d.Ellipsoid)));
    Crs.Shift = "+towgs84=" + Num(d.DX) + "," + Num(d.DY) + "," + Num(d.DZ) + "," + Num(d.RotX) + "," + Num(d.RotY) +
                "," + Num(d.RotZ) + "," + Num(d.Scale);
    return true;
}

bool OziProjection(std::string_view Name, const std::vector<std::string_view>& Setup, TOziCrs& Crs, std::string& Why) {
    const std::string upper = UpperCase(TrimSpace(Name));
    for (const TOziGrid& g : kGrids)
        if (upper.starts_with(g.Tag)) {
            Crs.Projection = g.Projection;
            return true;
        }
    // Setup fields by number; an empty one reads as Default.
    std::string bad;
    auto field = [&](std::size_t i, double Default) {
        if (i >= Setup.size() || TrimSpace(Setup[i]).empty()) return Default;
        const std::optional<double> v = ParseNumber(Setup[i]);
        if (!v && bad.empty()) bad = "Projection Setup field " + std::to_string(i) + " is not a number";
        return v.value_or(Default);
    };
    const double lat0 = field(1, 0), lon0 = field(2, 0), k = field(3, 1), fe = field(4, 0), fn = field(5, 0);
    const double lat1 = field(6, 0), lat2 = field(7, 0);
    const std::string scale = Num(k == 0 ? 1 : k);  // files leave 0 for "none"
    const std::string origin = " +lat_0=" + Num(lat0) + " +lon_0=" + Num(lon0);
    const std::string offsets = " +x_0=" + Num(fe) + " +y_0=" + Num(fn);
    if (upper == "MERCATOR")
        Crs.Projection = "+proj=merc +lon_0=" + Num(lon0) + " +k=" + scale + offsets;
    else if (upper == "TRANSVERSE MERCATOR")
        Crs.Projection = "+proj=tmerc" + origin + " +k=" + scale + offsets;
    else if (upper == "LAMBERT CONFORMAL CONIC")
        Crs.Projection = "+proj=lcc +lat_1=" + Num(lat1) + " +lat_2=" + Num(lat2) + origin + offsets;
    else if (upper.starts_with("POLYCONIC"))
        Crs.Projection = "+proj=poly" + origin + offsets;
    else if (upper.starts_with("ALBERS"))
        Crs.Projection = "+proj=aea +lat_1=" + Num(lat1) + " +lat_2=" + Num(lat2) + origin + offsets;
    else if (upper == "SINUSOIDAL")
        Crs.Projection = "+proj=sinu +lon_0=" + Num(lon0) + offsets;
    else
        return false;
    if (!bad.empty()) {
        Why = bad;
        return false;
    }
    if (std::fabs(lat0) > 90 || std::fabs(lon0) > 360 || std::fabs(lat1) > 90 || std::fabs(lat2) > 90) {
        Why = "Projection Setup angles out of range";
        return false;
    }
    return true;
}

bool ProjectOnOwnDatum(const TOziCrs& Crs, std::vector<std::pair<double, double>>& Points, std::string& Why) {
    PJ_CONTEXT* ctx = proj_context_create();
    if (!ctx) {
        Why = "PROJ cannot start";
        return false;
    }
    proj_log_level(ctx, PJ_LOG_NONE);
    bool ok = false;
    {
        // The same ellipsoid on both sides and no shift: PROJ only projects.
        const std::string geo = "+proj=longlat " + Crs.Ellipsoid + " +no_defs +type=crs";
        const std::string grid = Crs.Projection + " " + Crs.Ellipsoid + " +units=m +no_defs +type=crs";
        TPjHolder op{proj_create_crs_to_crs(ctx, geo.c_str(), grid.c_str(), nullptr)};
        TPjHolder norm{op.P ? proj_normalize_for_visualization(ctx, op.P) : nullptr};
        if (norm.P) {
            for (auto& [a, b] : Points) {
                const PJ_COORD c = proj_trans(norm.P, PJ_FWD, proj_coord(b, a, 0, 0));
                const bool good = std::isfinite(c.xy.x) && std::isfinite(c.xy.y);
                a = good ? c.xy.x : std::nan("");
                b = good ? c.xy.y : std::nan("");
            }
            ok = true;
        } else {
            Why = "PROJ does not take the projection " + grid;
        }
    }
    proj_context_destroy(ctx);
    return ok;
}

}  // namespace zylcarto
