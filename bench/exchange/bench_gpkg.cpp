// bench_gpkg [DIR]: exports a database of 100 000 towns as a GeoPackage and, as the
// baseline, inserts the same names and points with their R*Tree boxes into a plain
// SQLite file in one transaction; prints both times and their ratio (target: the
// export under 2 s). Files go to DIR (default: the system's temporary directory).
#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "zylcarto/exchange/gpkg_export.h"
#include "zylcarto/geodb/geodb.h"

using namespace zylcarto;
namespace fs = std::filesystem;

namespace {

double Seconds(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Baseline(const std::string& file, const std::vector<TSCoords>& towns) {
    fs::remove(file);
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) return -1;
    sqlite3_exec(db,
                 "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; CREATE TABLE t (fid INTEGER PRIMARY KEY, "
                 "name TEXT, lat REAL, lon REAL); CREATE VIRTUAL TABLE r USING rtree(id, a, b, c, d)",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *ins = nullptr, *box = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t VALUES (NULL, ?, ?, ?)", -1, &ins, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO r VALUES (?, ?, ?, ?, ?)", -1, &box, nullptr);
    const double s = Seconds([&] {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (const TSCoords& c : towns) {
            sqlite3_bind_text(ins, 1, "Town", 4, SQLITE_STATIC);
            sqlite3_bind_double(ins, 2, c.Latit);
            sqlite3_bind_double(ins, 3, c.Longit);
            sqlite3_step(ins);
            sqlite3_reset(ins);
            sqlite3_bind_int64(box, 1, sqlite3_last_insert_rowid(db));
            for (int k = 0; k < 4; ++k) sqlite3_bind_double(box, k + 2, k < 2 ? c.Longit : c.Latit);
            sqlite3_step(box);
            sqlite3_reset(box);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    });
    sqlite3_finalize(ins);
    sqlite3_finalize(box);
    sqlite3_close(db);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const std::string base = (dir / "bench_gpkg_towns").string();
    for (const char* ext : {".zylgds", ".zylgdd", ".zylgi0", ".zylgi1", ".zylgi2", ".zylgi3", ".zylgi4"})
        fs::remove(base + ext);
    constexpr int kTowns = 100000;
    std::mt19937 gen(12345);
    std::uniform_real_distribution<float> lat(-80, 80), lon(-180, 180);
    std::vector<TSCoords> towns(kTowns);
    TGeoDB db;
    db.SetDBName(base);
    db.SetLazyWrite(true);
    for (int i = 0; i < kTowns; ++i) {
        towns[static_cast<std::size_t>(i)] = {lat(gen), lon(gen)};
        db.AddTown("Town", 45000, 0, towns[static_cast<std::size_t>(i)], 0, 0, i);
    }
    db.SetLazyWrite(false);
    const std::string out = (dir / "bench_gpkg.gpkg").string();
    // CPU time beside wall time: on a shared machine the wall time mostly tells the load.
    const std::clock_t c0 = std::clock();
    const double exportSeconds = Seconds([&] { ExportGeoPackage(db, out); });
    const double exportCpu = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
    const double baseline = Baseline((dir / "bench_gpkg_baseline.sqlite").string(), towns);
    std::printf("export of %d towns: %.3f s (CPU %.3f s; target < 2 s); SQLite baseline %.3f s; ratio %.2f\n", kTowns,
                exportSeconds, exportCpu, baseline, baseline > 0 ? exportSeconds / baseline : 0.0);
    return 0;
}
