// Every datum row against its transformation to WGS 84 in the EPSG dataset, as
// PROJ ships it in proj.db: the same ellipsoid, and positions within 1 m over the
// transformation's area, the EPSG side computed by PROJ's helmert operation.
#include <gtest/gtest.h>

#include <proj.h>
#include <sqlite3.h>

#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>

#include "file_bytes.h"
#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/geocentric.h"

using namespace zylcarto;

namespace {

// The datum rows with the EPSG code of the transformation their parameters come
// from, and the documented departures: rows with no counterpart in EPSG (not
// checked) and rows whose positions are checked but whose ellipsoid differs.
struct TCounterparts {
    std::map<int, int> CodeOf;
    std::map<int, std::string> NoCounterpart, OtherEllipsoid;
};

TCounterparts ReadCounterparts() {
    TCounterparts c;
    for (const std::string& line : test::DataLines("datum_epsg.txt")) {
        std::istringstream in(line);
        int row = 0;
        std::string code, reason;
        in >> row >> code >> std::ws;
        std::getline(in, reason);
        if (code == "-") {
            EXPECT_TRUE(c.NoCounterpart.emplace(row, reason).second) << line;
            continue;
        }
        EXPECT_TRUE(c.CodeOf.emplace(row, std::stoi(code)).second) << row;
        if (!reason.empty()) c.OtherEllipsoid.emplace(row, reason);
    }
    return c;
}

struct TSqliteCloser {
    void operator()(sqlite3* Db) const { sqlite3_close(Db); }
};
struct TStatementCloser {
    void operator()(sqlite3_stmt* S) const { sqlite3_finalize(S); }
};
struct TProjDeleter {
    void operator()(PJ* P) const { proj_destroy(P); }
};

// An EPSG transformation in metres, arc seconds and parts per million, with its
// source ellipsoid in metres and the bounds of its area.
struct TEpsgSet {
    std::string Name, Convention;  // convention empty for translations only
    double Tx = 0, Ty = 0, Tz = 0, Rx = 0, Ry = 0, Rz = 0, Scale = 0;
    double A = 0, B = 0;
    double South = 0, North = 0, West = 0, East = 0;
};

constexpr const char* SetQuery = R"(
select h.name, h.method_code,
  h.tx * tu.conv_factor, h.ty * tu.conv_factor, h.tz * tu.conv_factor,
  coalesce(h.rx * ru.conv_factor, 0), coalesce(h.ry * ru.conv_factor, 0), coalesce(h.rz * ru.conv_factor, 0),
  coalesce(h.scale_difference * su.conv_factor, 0),
  e.semi_major_axis * eu.conv_factor, e.semi_minor_axis * eu.conv_factor, e.inv_flattening,
  x.south_lat, x.north_lat, x.west_lon, x.east_lon
from helmert_transformation h
join unit_of_measure tu on tu.auth_name = h.translation_uom_auth_name and tu.code = h.translation_uom_code
left join unit_of_measure ru on ru.auth_name = h.rotation_uom_auth_name and ru.code = h.rotation_uom_code
left join unit_of_measure su on su.auth_name = h.scale_difference_uom_auth_name and su.code = h.scale_difference_uom_code
join geodetic_crs c on c.auth_name = h.source_crs_auth_name and c.code = h.source_crs_code
join geodetic_datum d on d.auth_name = c.datum_auth_name and d.code = c.datum_code
join ellipsoid e on e.auth_name = d.ellipsoid_auth_name and e.code = d.ellipsoid_code
join unit_of_measure eu on eu.auth_name = e.uom_auth_name and eu.code = e.uom_code
join usage u on u.object_table_name = 'helmert_transformation' and u.object_auth_name = h.auth_name
  and u.object_code = h.code
join extent x on x.auth_name = u.extent_auth_name and x.code = u.extent_code
where h.auth_name = 'EPSG' and h.code = ?1 and h.target_crs_auth_name = 'EPSG' and h.target_crs_code = '4326'
limit 1)";

constexpr double ArcSecond = std::numbers::pi / 180 / 3600;

bool ReadSet(sqlite3* Db, int Code, TEpsgSet& Set) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(Db, SetQuery, -1, &raw, nullptr) != SQLITE_OK) return false;
    std::unique_ptr<sqlite3_stmt, TStatementCloser> stmt(raw);
    sqlite3_bind_int(raw, 1, Code);
    if (sqlite3_step(raw) != SQLITE_ROW) return false;
    const auto d = [raw](int i) { return sqlite3_column_double(raw, i); };
    Set.Name = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
    const int method = sqlite3_column_int(raw, 1);
    Set.Convention = method == 9606 ? "position_vector" : method == 9607 ? "coordinate_frame" : "";
    if (method != 9603 && Set.Convention.empty()) return false;
    Set.Tx = d(2), Set.Ty = d(3), Set.Tz = d(4);
    Set.Rx = d(5) / ArcSecond, Set.Ry = d(6) / ArcSecond, Set.Rz = d(7) / ArcSecond;
    Set.Scale = d(8) * 1e6;
    Set.A = d(9);
    Set.B = sqlite3_column_type(raw, 10) != SQLITE_NULL ? d(10) : Set.A * (1 - 1 / d(11));
    Set.South = d(12), Set.North = d(13), Set.West = d(14), Set.East = d(15);
    if (Set.East < Set.West) Set.East += 360;  // an area across the antimeridian
    return true;
}

std::string Num(double V) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", V);
    return buf;
}

// Geographic degrees on the set's ellipsoid to WGS 84 geographic degrees, by PROJ.
std::unique_ptr<PJ, TProjDeleter> EpsgPipeline(const TEpsgSet& S) {
    std::string helmert = "+proj=helmert +x=" + Num(S.Tx) + " +y=" + Num(S.Ty) + " +z=" + Num(S.Tz);
    if (!S.Convention.empty())
        helmert += " +rx=" + Num(S.Rx) + " +ry=" + Num(S.Ry) + " +rz=" + Num(S.Rz) + " +s=" + Num(S.Scale) +
                   " +convention=" + S.Convention;
    const std::string def = "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad"
                            " +step +proj=cart +a=" +
                            Num(S.A) + " +b=" + Num(S.B) + " +step " + helmert +
                            " +step +inv +proj=cart +ellps=WGS84 +step +proj=unitconvert +xy_in=rad +xy_out=deg";
    return std::unique_ptr<PJ, TProjDeleter>(proj_create(PJ_DEFAULT_CTX, def.c_str()));
}

double Distance(double Lat1, double Lon1, double H1, double Lat2, double Lon2, double H2) {
    double x1, y1, z1, x2, y2, z2;
    GeoToCartesian(Lat1, Lon1, H1, gelWGS84, x1, y1, z1);
    GeoToCartesian(Lat2, Lon2, H2, gelWGS84, x2, y2, z2);
    return std::hypot(x1 - x2, y1 - y2, z1 - z2);
}

}  // namespace

TEST(ReferenceEpsg, EveryDatumRowAgreesWithItsEpsgTransformation) {
    const char* path = proj_context_get_database_path(PJ_DEFAULT_CTX);
    ASSERT_NE(path, nullptr);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path, &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK) << path;
    std::unique_ptr<sqlite3, TSqliteCloser> db(raw);

    const auto [codeOf, noCounterpart, otherEllipsoid] = ReadCounterparts();
    ASSERT_FALSE(codeOf.empty());
    for (int n = 1; n <= GeoDatumCount; ++n)
        EXPECT_NE(codeOf.contains(n), noCounterpart.contains(n)) << "row " << n << ": one counterpart or one reason";

    double worst = 0;
    for (const auto& [row, code] : codeOf) {
        const TGeoDatum& d = GeoDatumData[row];
        TEpsgSet set;
        ASSERT_TRUE(ReadSet(db.get(), code, set)) << "EPSG " << code << " (row " << row << ")";
        const std::string what = "row " + std::to_string(row) + " " + d.Name.Str() + " (" + d.Region.Str() +
                                 ") against EPSG " + std::to_string(code) + " " + set.Name;
        if (!otherEllipsoid.contains(row)) {
            // the same ellipsoid; the variants of Clarke 1880 differ in centimetres
            EXPECT_NEAR(EllipsoidAxes(d.Ellipsoid).a, set.A, 0.5) << what;
            EXPECT_NEAR(EllipsoidAxes(d.Ellipsoid).b, set.B, 0.5) << what;
        }
        const auto pj = EpsgPipeline(set);
        ASSERT_NE(pj, nullptr) << what;
        // the corners, edge midpoints and centre of the area, at two heights
        double rowWorst = 0;
        std::string where;
        for (int i = 0; i < 9; ++i) {
            const double lat = set.South + (set.North - set.South) * (i / 3) / 2;
            double lon = set.West + (set.East - set.West) * (i % 3) / 2;
            if (lon > 180) lon -= 360;
            for (double h : {0.0, 1500.0}) {
                const PJ_COORD out = proj_trans(pj.get(), PJ_FWD, proj_coord(lon, lat, h, 0));
                double lat2, lon2, h2;
                ASSERT_EQ(HelmertTransform(row, lat, lon, h, GeoDatumWGS84, lat2, lon2, h2), htOK) << what;
                const double dist = Distance(lat2, lon2, h2, out.lpzt.phi, out.lpzt.lam, out.lpzt.z);
                if (dist > rowWorst) {
                    rowWorst = dist;
                    where = Num(lat) + " " + Num(lon) + " " + Num(h);
                }
            }
        }
        EXPECT_LT(rowWorst, 1.0) << what << " at " << where;
        worst = std::max(worst, rowWorst);
    }
    std::printf("%zu datum rows against EPSG: largest difference %.3f m\n", codeOf.size(), worst);
}
