#include "zylcarto/exchange/gpkg_export.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "zylcarto/geodb/dbfile.h"
#include "zylcarto/geodb/geodb.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

class TDb {
public:
    explicit TDb(const std::string& Name) : FName(Name) {
        if (sqlite3_open_v2(Name.c_str(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
            // A failed open still hands out a handle, which the destructor of a half-built object would not free.
            const std::string why = FDb ? sqlite3_errmsg(FDb) : "no memory";
            sqlite3_close(FDb);
            FDb = nullptr;
            throw EZYLGeoDBError("GeoPackage " + Name + ": cannot create: " + why);
        }
    }
    ~TDb() { sqlite3_close(FDb); }
    TDb(const TDb&) = delete;
    TDb& operator=(const TDb&) = delete;

    void Exec(const std::string& Sql) {
        if (sqlite3_exec(FDb, Sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(Sql.substr(0, 60));
    }
    [[noreturn]] void Fail(const std::string& What) const {
        throw EZYLGeoDBError("GeoPackage " + FName + ": " + What + ": " + (FDb ? sqlite3_errmsg(FDb) : "no memory"));
    }
    void Close() {
        if (sqlite3_close(FDb) != SQLITE_OK) Fail("cannot close");
        FDb = nullptr;
    }
    sqlite3* Handle() const { return FDb; }

private:
    std::string FName;
    sqlite3* FDb = nullptr;
};

class TStmt {
public:
    TStmt(TDb& Db, const std::string& Sql) : FDb(Db) {
        if (sqlite3_prepare_v2(Db.Handle(), Sql.c_str(), -1, &FStmt, nullptr) != SQLITE_OK) Db.Fail(Sql.substr(0, 60));
    }
    ~TStmt() { sqlite3_finalize(FStmt); }
    TStmt(const TStmt&) = delete;
    TStmt& operator=(const TStmt&) = delete;

    void Int(int i, long long v) { sqlite3_bind_int64(FStmt, i, v); }
    void Real(int i, double v) { sqlite3_bind_double(FStmt, i, v); }
    void Text(int i, const std::string& v) {
        sqlite3_bind_text(FStmt, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    void Blob(int i, const void* p, std::size_t n) {
        sqlite3_bind_blob64(FStmt, i, n ? p : "", static_cast<sqlite3_uint64>(n), SQLITE_TRANSIENT);
    }
    void Null(int i) { sqlite3_bind_null(FStmt, i); }
    void Step() {
        if (sqlite3_step(FStmt) != SQLITE_DONE) FDb.Fail("cannot insert");
        sqlite3_reset(FStmt);
        sqlite3_clear_bindings(FStmt);
    }

private:
    TDb& FDb;
    sqlite3_stmt* FStmt = nullptr;
};

// Little-endian bytes, the same on every platform.
struct TWkb {
    std::string B;
    void U8(std::uint8_t v) { B += static_cast<char>(v); }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) B += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    void F64(double v) {
        std::uint64_t u;
        std::memcpy(&u, &v, 8);
        for (int i = 0; i < 8; ++i) B += static_cast<char>((u >> (8 * i)) & 0xFF);
    }
};

struct TEnvelope {
    double MinX = HUGE_VAL, MaxX = -HUGE_VAL, MinY = HUGE_VAL, MaxY = -HUGE_VAL;
    bool Empty() const { return MinX > MaxX; }
    void Add(double x, double y) {
        MinX = std::min(MinX, x), MaxX = std::max(MaxX, x), MinY = std::min(MinY, y), MaxY = std::max(MaxY, y);
    }
    void Add(const TEnvelope& E) {
        if (!E.Empty()) Add(E.MinX, E.MinY), Add(E.MaxX, E.MaxY);
    }
};

constexpr std::uint32_t kPoint = 1, kLineString = 2, kPolygon = 3;
constexpr std::int32_t kSrsWGS84 = 4326;

// The GeoPackage binary header (with an envelope unless a point) and the WKB.
std::string Geometry(std::uint32_t Type, const TgdbPolygon& V, TEnvelope& Env) {
    std::vector<TSCoords> pts = V;
    if (Type == kPolygon && !pts.empty() &&
        (pts.front().Latit != pts.back().Latit || pts.front().Longit != pts.back().Longit))
        pts.push_back(pts.front());  // rings are closed explicitly
    for (const TSCoords& p : pts) Env.Add(p.Longit, p.Latit);
    const bool empty = pts.empty();
    TWkb g;
    g.U8('G'), g.U8('P'), g.U8(0);
    g.U8(static_cast<std::uint8_t>(1 | (empty ? 0x10 : 0) | (Type != kPoint && !empty ? 0x02 : 0)));
    g.U32(static_cast<std::uint32_t>(kSrsWGS84));
    if (Type != kPoint && !empty) g.F64(Env.MinX), g.F64(Env.MaxX), g.F64(Env.MinY), g.F64(Env.MaxY);
    g.U8(1);
    g.U32(Type);
    if (Type == kPoint) {
        g.F64(pts.empty() ? std::numeric_limits<double>::quiet_NaN() : pts[0].Longit);
        g.F64(pts.empty() ? std::numeric_limits<double>::quiet_NaN() : pts[0].Latit);
        return g.B;
    }
    if (Type == kPolygon) {
        g.U32(empty ? 0 : 1);
        if (empty) return g.B;
    }
    g.U32(static_cast<std::uint32_t>(pts.size()));
    for (const TSCoords& p : pts) g.F64(p.Longit), g.F64(p.Latit);
    return g.B;
}

std::string DateText(TDateTime T) {
    int y, mo, d, h, mi, s;
    try {
        DecodeDateTime(T, y, mo, d, h, mi, s);
    } catch (const EZYLError&) {
        return {};
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.000Z", y, mo, d, h, mi, s);
    return buf;
}

const char* const kCoreTables = R"(
CREATE TABLE gpkg_spatial_ref_sys (srs_name TEXT NOT NULL, srs_id INTEGER NOT NULL PRIMARY KEY,
  organization TEXT NOT NULL, organization_coordsys_id INTEGER NOT NULL, definition TEXT NOT NULL, description TEXT);
CREATE TABLE gpkg_contents (table_name TEXT NOT NULL PRIMARY KEY, data_type TEXT NOT NULL,
  identifier TEXT UNIQUE, description TEXT DEFAULT '',
  last_change DATETIME NOT NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%fZ','now')),
  min_x DOUBLE, min_y DOUBLE, max_x DOUBLE, max_y DOUBLE, srs_id INTEGER,
  CONSTRAINT fk_gc_r_srs_id FOREIGN KEY (srs_id) REFERENCES gpkg_spatial_ref_sys(srs_id));
CREATE TABLE gpkg_geometry_columns (table_name TEXT NOT NULL, column_name TEXT NOT NULL,
  geometry_type_name TEXT NOT NULL, srs_id INTEGER NOT NULL, z TINYINT NOT NULL, m TINYINT NOT NULL,
  CONSTRAINT pk_geom_cols PRIMARY KEY (table_name, column_name),
  CONSTRAINT uk_gc_table_name UNIQUE (table_name),
  CONSTRAINT fk_gc_tn FOREIGN KEY (table_name) REFERENCES gpkg_contents(table_name),
  CONSTRAINT fk_gc_srs FOREIGN KEY (srs_id) REFERENCES gpkg_spatial_ref_sys (srs_id));
CREATE TABLE gpkg_extensions (table_name TEXT, column_name TEXT, extension_name TEXT NOT NULL,
  definition TEXT NOT NULL, scope TEXT NOT NULL,
  CONSTRAINT ge_tce UNIQUE (table_name, column_name, extension_name));
INSERT INTO gpkg_spatial_ref_sys VALUES ('Undefined cartesian SRS', -1, 'NONE', -1, 'undefined',
  'undefined cartesian coordinate reference system');
INSERT INTO gpkg_spatial_ref_sys VALUES ('Undefined geographic SRS', 0, 'NONE', 0, 'undefined',
  'undefined geographic coordinate reference system');
INSERT INTO gpkg_spatial_ref_sys VALUES ('WGS 84 geodetic', 4326, 'EPSG', 4326,
  'GEOGCS["WGS 84",DATUM["WGS_1984",SPHEROID["WGS 84",6378137,298.257223563,AUTHORITY["EPSG","7030"]],AUTHORITY["EPSG","6326"]],PRIMEM["Greenwich",0,AUTHORITY["EPSG","8901"]],UNIT["degree",0.0174532925199433,AUTHORITY["EPSG","9122"]],AXIS["Latitude",NORTH],AXIS["Longitude",EAST],AUTHORITY["EPSG","4326"]]',
  'longitude/latitude coordinates in decimal degrees on the WGS 84 spheroid');
)";

// The R-tree triggers of the GeoPackage extension, so that later edits by GIS tools keep the index.
std::string RtreeTriggers(const std::string& t) {
    const std::string r = "rtree_" + t + "_geom";
    const std::string vals =
        "VALUES (NEW.fid, ST_MinX(NEW.geom), ST_MaxX(NEW.geom), ST_MinY(NEW.geom), ST_MaxY(NEW.geom))";
    return "CREATE TRIGGER " + r + "_insert AFTER INSERT ON \"" + t +
           "\" WHEN (new.geom NOT NULL AND NOT ST_IsEmpty(NEW.geom)) BEGIN INSERT OR REPLACE INTO " + r + " " + vals +
           "; END;\n"
           "CREATE TRIGGER " +
           r + "_update1 AFTER UPDATE OF geom ON \"" + t +
           "\" WHEN OLD.fid = NEW.fid AND (NEW.geom NOTNULL AND NOT ST_IsEmpty(NEW.geom)) BEGIN INSERT OR REPLACE "
           "INTO " +
           r + " " + vals +
           "; END;\n"
           "CREATE TRIGGER " +
           r + "_update2 AFTER UPDATE OF geom ON \"" + t +
           "\" WHEN OLD.fid = NEW.fid AND (NEW.geom IS NULL OR ST_IsEmpty(NEW.geom)) BEGIN DELETE FROM " + r +
           " WHERE id = OLD.fid; END;\n"
           "CREATE TRIGGER " +
           r + "_update3 AFTER UPDATE ON \"" + t +
           "\" WHEN OLD.fid != NEW.fid AND (NEW.geom NOTNULL AND NOT ST_IsEmpty(NEW.geom)) BEGIN DELETE FROM " + r +
           " WHERE id = OLD.fid; INSERT OR REPLACE INTO " + r + " " + vals +
           "; END;\n"
           "CREATE TRIGGER " +
           r + "_update4 AFTER UPDATE ON \"" + t +
           "\" WHEN OLD.fid != NEW.fid AND (NEW.geom IS NULL OR ST_IsEmpty(NEW.geom)) BEGIN DELETE FROM " + r +
           " WHERE id IN (OLD.fid, NEW.fid); END;\n"
           "CREATE TRIGGER " +
           r + "_delete AFTER DELETE ON \"" + t + "\" WHEN old.geom NOT NULL BEGIN DELETE FROM " + r +
           " WHERE id = OLD.fid; END;\n";
}

struct TKindLayer {
    TgdbItem Kind;
    const char* Table;
    bool Areas;  // closed items are polygons
};
constexpr TKindLayer kLayers[] = {{gitTown, "towns", false},  {gitBorder, "borders", true}, {gitCity, "cities", true},
                                  {gitLake, "lakes", true},   {gitRiver, "rivers", false},  {gitRoad, "roads", false},
                                  {gitRoute, "routes", false}};

void BindCommon(TStmt& S, const TgdbData& r) {
    S.Text(2, r.Name.Str());
    S.Int(3, r.ItemId);
    S.Int(4, r.ClassFlag);
    S.Real(5, r.Altitude);
    const std::string date = DateText(r.Date);
    if (date.empty())
        S.Null(6);
    else
        S.Text(6, date);
    S.Int(7, r.StateFlag);
    S.Int(8, r.Tag);
}

const char* const kCommonColumns =
    "name TEXT, item_id INTEGER NOT NULL, class INTEGER, altitude REAL, date DATETIME, state_flag INTEGER, "
    "user_tag INTEGER";

void WriteLayer(TDb& Db, TGeoDB& DB, const TKindLayer& L, const std::vector<int>& Entries, TGpkgExport& Out) {
    const std::string t = L.Table;
    std::string type = L.Kind == gitTown ? "POINT" : L.Areas ? "POLYGON" : "LINESTRING";
    if (L.Areas && !Entries.empty()) {
        const bool anyClosed = std::any_of(Entries.begin(), Entries.end(), [&](int e) { return DB.Data(e).Closed; });
        const bool anyOpen = std::any_of(Entries.begin(), Entries.end(), [&](int e) { return !DB.Data(e).Closed; });
        type = anyClosed && anyOpen ? "GEOMETRY" : anyClosed ? "POLYGON" : "LINESTRING";
    }
    const bool lines = L.Kind != gitTown;
    Db.Exec("CREATE TABLE \"" + t + "\" (fid INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, geom " + type + ", " +
            kCommonColumns + (lines ? ", closed BOOLEAN" : "") + ");\n" + "CREATE VIRTUAL TABLE rtree_" + t +
            "_geom USING rtree(id, minx, maxx, miny, maxy);");
    TStmt ins(Db,
              "INSERT INTO \"" + t + "\" VALUES (NULL, ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8" + (lines ? ", ?9" : "") + ")");
    TStmt idx(Db, "INSERT INTO rtree_" + t + "_geom VALUES (?1, ?2, ?3, ?4, ?5)");
    TEnvelope extent;
    TgdbPolygon poly;
    struct TBox {
        sqlite3_int64 Fid;
        TEnvelope Env;
        std::uint64_t Key;
    };
    std::vector<TBox> boxes;
    boxes.reserve(Entries.size());
    for (int e : Entries) {
        const TgdbData r = DB.Data(e);
        std::uint32_t wkbType = kPoint;
        if (L.Kind == gitTown) {
            poly.assign(1, ExtractLocation(r));
        } else {
            poly.clear();
            if (!DB.RetrievePolygon(e, poly) || static_cast<std::int32_t>(poly.size()) != r.NumPoints())
                throw EZYLGeoDBError("GeoPackage export: the vertices of item " + std::to_string(r.ItemId) +
                                     " cannot be read");
            wkbType = L.Areas && r.Closed ? kPolygon : kLineString;
            if (!L.Areas && r.Closed && !poly.empty())
                poly.push_back(poly.front());  // a closed line ends where it began
        }
        TEnvelope env;
        const std::string geom = Geometry(wkbType, poly, env);
        ins.Blob(1, geom.data(), geom.size());
        BindCommon(ins, r);
        if (lines) ins.Int(9, r.Closed ? 1 : 0);
        ins.Step();
        if (!env.Empty()) boxes.push_back({sqlite3_last_insert_rowid(Db.Handle()), env, 0});
        extent.Add(env);
    }
    // The R-tree fills much faster in spatial order than in item order: sort the
    // boxes along a Z curve of their centres over the layer's extent.
    for (TBox& b : boxes) {
        auto cell = [](double v, double lo, double hi) {
            const double f = hi > lo ? (v - lo) / (hi - lo) : 0;
            return static_cast<std::uint32_t>(std::clamp(f, 0.0, 1.0) * 65535);
        };
        const std::uint32_t x = cell((b.Env.MinX + b.Env.MaxX) / 2, extent.MinX, extent.MaxX);
        const std::uint32_t y = cell((b.Env.MinY + b.Env.MaxY) / 2, extent.MinY, extent.MaxY);
        for (int bit = 0; bit < 16; ++bit)
            b.Key |= static_cast<std::uint64_t>((x >> bit) & 1) << (2 * bit) |
                     static_cast<std::uint64_t>((y >> bit) & 1) << (2 * bit + 1);
    }
    std::sort(boxes.begin(), boxes.end(), [](const TBox& a, const TBox& b) { return a.Key < b.Key; });
    for (const TBox& b : boxes) {
        idx.Int(1, b.Fid);
        idx.Real(2, b.Env.MinX), idx.Real(3, b.Env.MaxX), idx.Real(4, b.Env.MinY), idx.Real(5, b.Env.MaxY);
        idx.Step();
    }
    Db.Exec(RtreeTriggers(t));
    TStmt c(Db,
            "INSERT INTO gpkg_contents (table_name, data_type, identifier, description, min_x, min_y, max_x, max_y, "
            "srs_id) VALUES (?1, 'features', ?1, ?2, ?3, ?4, ?5, ?6, 4326)");
    c.Text(1, t);
    c.Text(2, std::string(GdbItemName(L.Kind)) + " items");
    if (extent.Empty())
        c.Null(3), c.Null(4), c.Null(5), c.Null(6);
    else
        c.Real(3, extent.MinX), c.Real(4, extent.MinY), c.Real(5, extent.MaxX), c.Real(6, extent.MaxY);
    c.Step();
    Db.Exec("INSERT INTO gpkg_geometry_columns VALUES ('" + t + "', 'geom', '" + type +
            "', 4326, 0, 0);\n"
            "INSERT INTO gpkg_extensions VALUES ('" +
            t +
            "', 'geom', 'gpkg_rtree_index', "
            "'http://www.geopackage.org/spec120/#extension_rtree', 'write-only');");
    Out.Layers.push_back({t, type, static_cast<int>(Entries.size())});
}

void WriteBlobs(TDb& Db, TGeoDB& DB, const std::vector<int>& Entries, TGpkgExport& Out) {
    Db.Exec("CREATE TABLE blobs (fid INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, " + std::string(kCommonColumns) +
            ", lat_low REAL, lat_high REAL, long_low REAL, long_high REAL, keywords TEXT, caption TEXT, "
            "file_path TEXT, descriptor TEXT, comment TEXT, size INTEGER, data BLOB);\n"
            "INSERT INTO gpkg_contents (table_name, data_type, identifier, description) "
            "VALUES ('blobs', 'attributes', 'blobs', 'binary objects with their meta information');");
    TStmt ins(Db, "INSERT INTO blobs VALUES (NULL, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, "
                  "?17, ?18, ?19)");
    TMemoryStream bytes;
    for (int e : Entries) {
        const TgdbData r = DB.Data(e);
        TMetaInfo meta;
        if (!DB.RetrieveBLOB(e, meta, bytes) || bytes.Size() != r.Size())
            throw EZYLGeoDBError("GeoPackage export: the bytes of item " + std::to_string(r.ItemId) +
                                 " cannot be read");
        BindCommon(ins, r);
        ins.Real(9, r.LatLow), ins.Real(10, r.LatHigh), ins.Real(11, r.LongLow), ins.Real(12, r.LongHigh);
        ins.Text(13, meta.Keywords.Str()), ins.Text(14, meta.Caption.Str()), ins.Text(15, meta.FilePath.Str());
        ins.Text(16, meta.Descriptor.Str()), ins.Text(17, meta.Comment.Str());
        ins.Int(18, r.Size());
        ins.Blob(19, bytes.Memory(), static_cast<std::size_t>(bytes.Size()));
        ins.Step();
    }
    Out.Layers.push_back({"blobs", "", static_cast<int>(Entries.size())});
}

}  // namespace

TGpkgExport ExportGeoPackage(TGeoDB& DB, const std::string& FileName) {
    // An empty GeoPackage would pass for the export of an empty database.
    if (!DB.IsOpen()) throw EZYLGeoDBError(ComponentMessage(DB.Name(), "ExportGeoPackage: no database is open."));
    std::array<std::vector<int>, GdbItemCount> byKind;
    for (int e = 1; e <= DB.NumEntries(); ++e)
        byKind[static_cast<std::size_t>(DB.Data(e).ItemKind) % GdbItemCount].push_back(e);
    TGpkgExport out;
    out.SkippedUndefined = static_cast<int>(byKind[static_cast<std::size_t>(gitUndefined)].size());

    // written beside the file it replaces and renamed over it when whole, through
    // the database's file layer, where tests can make any step fail
    const std::string part = FileName + ".part";
    RemoveFile(part);
    try {
        TDb db(part);
        db.Exec("PRAGMA application_id = 1196444487; PRAGMA user_version = 10200; PRAGMA journal_mode = OFF; "
                "PRAGMA synchronous = OFF; PRAGMA cache_size = -65536; BEGIN;");
        db.Exec(kCoreTables);
        for (const TKindLayer& L : kLayers) WriteLayer(db, DB, L, byKind[static_cast<std::size_t>(L.Kind)], out);
        WriteBlobs(db, DB, byKind[static_cast<std::size_t>(gitBLOB)], out);
        db.Exec("COMMIT;");
        db.Close();
        RenameFile(part, FileName);
    } catch (...) {
        try {
            RemoveFile(part);
        } catch (const EInOutError&) {}  // the first failure is the one to report
        throw;
    }
    return out;
}

}  // namespace zylcarto
