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
#include <string>

#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/geocentric.h"

using namespace zylcarto;

namespace {

// Row number and the EPSG code of the transformation its parameters come from.
struct TCounterpart {
    int Row, Code;
};
constexpr TCounterpart Counterparts[] = {
    {1, 1569},    {2, 1101},    {3, 1102},    {4, 1103},    {5, 1104},    {6, 1100},    {7, 1105},    {8, 1106},
    {9, 15811},   {10, 1110},   {11, 1111},   {12, 1577},   {13, 1672},   {14, 15794},  {15, 1113},   {16, 1114},
    {17, 3998},   {18, 1116},   {19, 1117},   {20, 1118},   {21, 1119},   {22, 1120},   {23, 1121},   {24, 1284},
    {25, 1285},   {26, 15797},  {27, 1444},   {28, 15799},  {29, 15796},  {30, 15980},  {31, 1669},   {32, 8452},
    {33, 6911},   {34, 15970},  {35, 1547},   {36, 1125},   {37, 1753},   {38, 1126},   {39, 15804},  {40, 1127},
    {41, 15803},  {42, 1128},   {43, 15802},  {44, 1623},   {45, 4836},   {46, 1130},   {47, 1080},   {48, 1131},
    {49, 1676},   {50, 1132},   {51, 6900},   {54, 1518},   {55, 15812},  {56, 15807},  {57, 15806},  {58, 15822},
    {59, 1133},   {60, 1134},   {61, 1139},   {62, 1627},   {63, 1138},   {64, 1145},   {65, 1989},   {66, 1631},
    {67, 1633},   {68, 1635},   {69, 1629},   {70, 1142},   {71, 1143},   {72, 1144},   {73, 1133},   {74, 1140},
    {75, 1136},   {76, 1784},   {77, 1133},   {78, 1245},   {79, 1810},   {80, 1135},   {81, 1141},   {82, 1135},
    {83, 1135},   {84, 15752},  {85, 15752},  {86, 1149},   {87, 1438},   {88, 1887},   {89, 15750},  {90, 15713},
    {91, 1150},   {92, 1564},   {93, 15805},  {94, 1886},   {95, 1272},   {96, 1897},   {97, 1070},   {98, 1505},
    {99, 1639},   {100, 1246},  {101, 1618},  {102, 3962},  {103, 1529},  {104, 1951},  {105, 15842}, {106, 1825},
    {107, 1152},  {108, 1830},  {109, 15801}, {110, 1248},  {111, 1993},  {112, 1155},  {115, 1153},  {116, 1543},
    {117, 1542},  {118, 1812},  {119, 1641},  {120, 15813}, {121, 15808}, {122, 15809}, {123, 1157},  {124, 1158},
    {125, 15850}, {126, 1558},  {127, 10099}, {128, 15810}, {129, 15814}, {130, 1159},  {131, 1160},  {132, 1656},
    {133, 1283},  {134, 5486},  {135, 1162},  {136, 1161},  {137, 1165},  {138, 1166},  {139, 15818}, {140, 1164},
    {141, 1167},  {142, 1754},  {143, 1660},  {144, 1662},  {145, 1664},  {146, 1163},  {147, 15821}, {148, 1189},
    {149, 1190},  {150, 6999},  {151, 1192},  {152, 1188},  {153, 1251},  {154, 1188},  {155, 1188},  {156, 1252},
    {157, 1188},  {158, 1176},  {159, 1172},  {160, 1179},  {161, 1249},  {162, 1250},  {163, 1177},  {164, 7698},
    {165, 1170},  {166, 1171},  {167, 1173},  {168, 15978}, {169, 1181},  {170, 1174},  {171, 1186},  {172, 1180},
    {173, 1187},  {174, 1182},  {175, 1178},  {176, 1175},  {177, 1183},  {178, 1193},  {179, 1654},  {180, 5660},
    {181, 15929}, {182, 1148},  {183, 1314},  {184, 15824}, {185, 15825}, {186, 15826}, {187, 15827}, {188, 15828},
    {194, 1074},  {195, 15800}, {196, 15819}, {197, 15815}, {198, 1888},  {199, 1202},  {200, 1205},  {201, 3990},
    {202, 1207},  {203, 1203},  {204, 1208},  {205, 1201},  {206, 1204},  {207, 1209},  {208, 1880},  {209, 1802},
    {210, 1267},  {211, 1675},  {212, 1334},  {213, 1893},  {214, 1561},  {215, 1840},  {216, 1798},  {217, 1673},
    {218, 15751}, {219, 1896},  {220, 15820}, {221, 1865},  {222, 1871},  {223, 1866},  {224, 1867},  {225, 1868},
    {226, 1869},  {227, 1870},  {228, 1872},  {229, 1873},  {230, 1874},  {231, 1864},  {232, 1875},  {233, 1876},
    {234, 1885},  {235, 1225},  {236, 1226},  {237, 6926},  {239, 1244},  {240, 1965},  {241, 15798}, {242, 1614},
    {243, 1581},  {245, 15999}, {246, 15998}, {247, 15497}, {248, 1290},  {249, 1303},  {250, 1645},  {251, 15997},
    {252, 15497}, {253, 15995}, {254, 1254},  {255, 1227},  {256, 15816}, {257, 6901},  {258, 1228},  {259, 5249},
    {260, 1852},  {261, 1228},  {262, 1231},  {263, 1232},  {264, 1233},  {265, 15795}, {266, 1294},  {267, 15823},
    {268, 1238},  {270, 5386},  {271, 1235}};

// The documented departures, all in one place.
// Rows with no counterpart in EPSG (not checked):
const std::map<int, const char*> NoCounterpart = {
    {52, "Cyprus 1935: EPSG has no transformation to WGS 84"},
    {53, "Estonia 1937: EPSG has no transformation to WGS 84"},
    {113, "Indian (India & Nepal): EPSG 1156 has this translation on Everest 1975, the row NIMA's Everest 1956"},
    {114, "Indian (Pakistan): EPSG 1247 has this translation on Everest 1962, the row NIMA's Everest (Pakistan)"},
    {189, "Old Hawaiian on International 1924: EPSG has only the Clarke 1866 forms"},
    {190, "Old Hawaiian on International 1924: EPSG has only the Clarke 1866 forms"},
    {191, "Old Hawaiian on International 1924: EPSG has only the Clarke 1866 forms"},
    {192, "Old Hawaiian on International 1924: EPSG has only the Clarke 1866 forms"},
    {193, "Old Hawaiian on International 1924: EPSG has only the Clarke 1866 forms"},
    {238, "Soviet Geodetic System 85: not in EPSG"},
    {244, "South Asia (Modified Fischer 1960): not in EPSG"},
    {269, "WGS 84 itself"},
};
// Rows whose positions are checked but whose ellipsoid differs from EPSG's:
const std::map<int, const char*> OtherEllipsoid = {
    {179, "NGO 1948 on Bessel 1841, not Bessel Modified, for the prescribed count of Bessel 1841 rows; "
          "its scale makes up for the larger axis"},
};

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

    std::map<int, int> codeOf;
    for (const TCounterpart& c : Counterparts) EXPECT_TRUE(codeOf.emplace(c.Row, c.Code).second) << c.Row;
    for (int n = 1; n <= GeoDatumCount; ++n)
        EXPECT_NE(codeOf.contains(n), NoCounterpart.contains(n)) << "row " << n << ": one counterpart or one reason";

    double worst = 0;
    for (const auto& [row, code] : codeOf) {
        const TGeoDatum& d = GeoDatumData[row];
        TEpsgSet set;
        ASSERT_TRUE(ReadSet(db.get(), code, set)) << "EPSG " << code << " (row " << row << ")";
        const std::string what = "row " + std::to_string(row) + " " + d.Name.Str() + " (" + d.Region.Str() +
                                 ") against EPSG " + std::to_string(code) + " " + set.Name;
        if (!OtherEllipsoid.contains(row)) {
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
