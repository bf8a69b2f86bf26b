// bench_geodb [DIR]: adds towns and polygons, searches and retrieves, and inserts the
// same boxes into an SQLite R*Tree table, printing items per second and the ratio of
// times to SQLite's: lazy adds against one transaction for all boxes, per-change index
// writes against one transaction per box (WAL, synchronous=OFF), the fair peer of an
// add that writes its files at once. Files go to DIR (default: the system's temporary
// directory).
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "zylcarto/geodb/geodb.h"

using namespace zylcarto;
namespace fs = std::filesystem;

namespace {

double Seconds(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::vector<TSCoords> RandomTowns(std::size_t n) {
    std::mt19937 gen(12345);
    std::uniform_real_distribution<float> lat(-80, 80), lon(-180, 180);
    std::vector<TSCoords> t(n);
    for (auto& c : t) c = {lat(gen), lon(gen)};
    return t;
}

void Remove(const std::string& base) {
    for (const char* ext : {".zylgds", ".zylgdd", ".zylgi0", ".zylgi1", ".zylgi2", ".zylgi3", ".zylgi4"})
        fs::remove(base + ext);
}

double AddTowns(const std::string& base, const std::vector<TSCoords>& towns, bool lazy,
                std::size_t* indexBytes = nullptr) {
    Remove(base);
    TGeoDB db;
    db.SetDBName(base);
    db.SetLazyWrite(lazy);
    return Seconds([&] {
        for (std::size_t i = 0; i < towns.size(); ++i)
            db.AddTown("Town", 45000, 0, towns[i], 0, 0, static_cast<int>(i));
        if (indexBytes) *indexBytes = db.IndexBytes();
        db.SetDBName("");  // writes the indexes when lazy
    });
}

// EachInItsOwn: one transaction per box, in WAL mode without syncing.
double SqliteBoxes(const std::string& file, const std::vector<TSCoords>& towns, bool EachInItsOwn) {
    fs::remove(file);
    fs::remove(file + "-wal");
    fs::remove(file + "-shm");
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) return -1;
    if (EachInItsOwn) {
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "CREATE VIRTUAL TABLE boxes USING rtree(id, latlo, lathi, longlo, longhi)", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO boxes VALUES (?, ?, ?, ?, ?)", -1, &ins, nullptr);
    const double s = Seconds([&] {
        if (!EachInItsOwn) sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (std::size_t i = 0; i < towns.size(); ++i) {
            sqlite3_bind_int64(ins, 1, static_cast<sqlite3_int64>(i + 1));
            sqlite3_bind_double(ins, 2, towns[i].Latit);
            sqlite3_bind_double(ins, 3, towns[i].Latit);
            sqlite3_bind_double(ins, 4, towns[i].Longit);
            sqlite3_bind_double(ins, 5, towns[i].Longit);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        if (!EachInItsOwn) sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    });
    sqlite3_finalize(ins);
    sqlite3_close(db);
    fs::remove(file);
    fs::remove(file + "-wal");
    fs::remove(file + "-shm");
    return s;
}

void Line(const char* what, std::size_t items, double seconds, double baseline = 0) {
    std::printf("%-44s %9zu items %9.3f s %12.0f items/s", what, items, seconds, static_cast<double>(items) / seconds);
    if (baseline > 0) std::printf("   %6.2f x SQLite time", seconds / baseline);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "zylcarto_bench_geodb";
    fs::create_directories(dir);
    const std::string base = (dir / "bench").string();

    const std::string sqliteFile = (dir / "rtree.sqlite").string();
    {
        const auto towns = RandomTowns(10000);
        const double sqlite = SqliteBoxes(sqliteFile, towns, true);
        Line("SQLite R*Tree, 10 000 boxes, one transaction each", towns.size(), sqlite);
        Line("AddTown x 10 000, LazyWrite off", towns.size(), AddTowns(base, towns, false), sqlite);
    }
    {
        const auto towns = RandomTowns(1000000);
        std::size_t indexBytes = 0;
        Line("AddTown x 1 000 000, LazyWrite on", towns.size(), AddTowns(base, towns, true, &indexBytes));
        std::printf("%-44s %9.1f MB (%.1f bytes per item)\n", "  memory of the five indexes",
                    static_cast<double>(indexBytes) / 1e6,
                    static_cast<double>(indexBytes) / static_cast<double>(towns.size()));
    }
    {
        const auto towns = RandomTowns(100000);
        const double sqlite = SqliteBoxes(sqliteFile, towns, false);
        Line("SQLite R*Tree, 100 000 boxes, one transaction", towns.size(), sqlite);
        Line("AddTown x 100 000, LazyWrite on", towns.size(), AddTowns(base, towns, true), sqlite);
    }

    // searches on the 100 000 towns left by the last run
    TGeoDB db;
    db.SetDBName(base);
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> lat(-90, 90);
    std::uniform_int_distribution<int> id(1, db.NumEntries());
    const std::size_t lookups = 1000000;
    long long sink = 0;
    Line("GetClosestLatLowIx on 100 000 items", lookups, Seconds([&] {
             for (std::size_t i = 0; i < lookups; ++i) sink += db.GetClosestLatLowIx(lat(gen));
         }));
    Line("SearchForItemID on 100 000 items", lookups, Seconds([&] {
             for (std::size_t i = 0; i < lookups; ++i) sink += db.SearchForItemID(id(gen));
         }));
    db.SetDBName("");

    Remove(base);
    db.SetDBName(base);
    db.SetLazyWrite(true);
    TgdbPolygon poly(1000);
    const std::size_t polygons = 1000;
    Line("AddBorder x 1000 polygons of 1000 vertices", polygons, Seconds([&] {
             for (std::size_t p = 0; p < polygons; ++p) {
                 for (std::size_t v = 0; v < poly.size(); ++v)
                     poly[v] = {static_cast<float>(p % 160) - 80 + static_cast<float>(v) / 1000,
                                static_cast<float>(v) / 10};
                 db.AddBorder("Border", poly, true, 45000, 0, 0, 0, 0, 0, 0, 0, 0);
             }
         }));
    TgdbPolygon back;
    Line("RetrievePolygon x 1000 of 1000 vertices", polygons, Seconds([&] {
             for (std::size_t p = 1; p <= polygons; ++p) sink += db.RetrievePolygon(static_cast<int>(p), back) ? 1 : 0;
         }));
    db.SetDBName("");
    Remove(base);
    return sink == 0 ? 1 : 0;
}
