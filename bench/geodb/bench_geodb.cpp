// bench_geodb [DIR] [--no-million]: adds towns to a database and inserts the same boxes into an SQLite
// R*Tree table, each side three times in turn, and prints the median times, their ratio,
// the processor time each side used and the load average before and after (the machine
// may be shared, so only ratios from one run compare). Lazy adds race one transaction
// for all boxes; adds that write their index files at once race one transaction per box
// (WAL, synchronous=OFF), the fair peer. Then searches, retrieval and polygon adds, timed
// once. Files go to a folder of this process's own, made inside DIR (default: the
// system's temporary directory) and removed. --no-million leaves out the million
// towns, whose minutes on a busy machine say little.
#include <sqlite3.h>

#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "zylcarto/geodb/geodb.h"

using namespace zylcarto;
namespace fs = std::filesystem;

namespace {

double CpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    const auto s = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return s(u.ru_utime) + s(u.ru_stime);
}

// processor time (user and system) of the last Seconds: on a busy machine the wall
// time also counts the waits for a core
double LastCpu = 0;

double Seconds(const std::function<void()>& f) {
    const double c0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    LastCpu = CpuSeconds() - c0;
    return wall;
}

std::vector<TSCoords> RandomTowns(std::size_t n) {
    std::mt19937 gen(12345);
    std::uniform_real_distribution<float> lat(-80, 80), lon(-180, 180);
    std::vector<TSCoords> t(n);
    for (auto& c : t) c = {lat(gen), lon(gen)};
    return t;
}

void Remove(const std::string& base) {
    for (const char* ext :
         {".zylgds", ".zylgdd", ".zylglc", ".zylglk", ".zylgi0", ".zylgi1", ".zylgi2", ".zylgi3", ".zylgi4"})
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

void Line(const char* what, std::size_t items, double seconds) {
    std::printf("%-46s %9zu items %9.3f s %12.0f items/s\n", what, items, seconds,
                static_cast<double>(items) / seconds);
}

std::string LoadAverage() {
    std::ifstream f("/proc/loadavg");
    std::string one, five, fifteen;
    f >> one >> five >> fifteen;
    return f ? one + " " + five + " " + fifteen : std::string("unknown");
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Three runs of each side in turn, so that a change of load hits both alike.
void Race(const char* ours, const char* theirs, std::size_t items, const std::function<double()>& Ours,
          const std::function<double()>& Theirs) {
    std::vector<double> a, b, ca, cb;
    for (int run = 0; run < 3; ++run) {
        b.push_back(Theirs());
        cb.push_back(LastCpu);
        a.push_back(Ours());
        ca.push_back(LastCpu);
    }
    const double ma = Median(a), mb = Median(b);
    Line(theirs, items, mb);
    Line(ours, items, ma);
    std::printf("%-46s %6.2f x SQLite time (runs %.3f %.3f %.3f s against %.3f %.3f %.3f s)\n", "  median ratio",
                ma / mb, a[0], a[1], a[2], b[0], b[1], b[2]);
    std::printf("%-46s %6.2f x SQLite's (median %.3f s against %.3f s)\n", "  processor time, user and system",
                Median(ca) / Median(cb), Median(ca), Median(cb));
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as it comes, also into a file
    bool million = true;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--no-million")
            million = false;
        else
            args.emplace_back(argv[i]);
    }
    const fs::path parent = !args.empty() ? fs::path(args[0]) : fs::temp_directory_path();
    std::string pattern = (parent / "zylcarto_bench_geodb.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror(pattern.c_str());
        return 2;
    }
    const fs::path dir = pattern;
    const std::string base = (dir / "bench").string();
    const std::string sqliteFile = (dir / "rtree.sqlite").string();
    std::printf("load average at start: %s\n", LoadAverage().c_str());

    {
        const auto towns = RandomTowns(100000);
        Race(
            "AddTown x 100 000, LazyWrite on", "SQLite R*Tree, 100 000 boxes, one transaction", towns.size(),
            [&] { return AddTowns(base, towns, true); }, [&] { return SqliteBoxes(sqliteFile, towns, false); });
    }
    {
        const auto towns = RandomTowns(10000);
        Race(
            "AddTown x 10 000, LazyWrite off", "SQLite R*Tree, 10 000 boxes, one transaction each", towns.size(),
            [&] { return AddTowns(base, towns, false); }, [&] { return SqliteBoxes(sqliteFile, towns, true); });
    }
    if (million) {
        const auto towns = RandomTowns(1000000);
        std::size_t indexBytes = 0;
        Race(
            "AddTown x 1 000 000, LazyWrite on", "SQLite R*Tree, 1 000 000 boxes, one transaction", towns.size(),
            [&] { return AddTowns(base, towns, true, &indexBytes); },
            [&] { return SqliteBoxes(sqliteFile, towns, false); });
        std::printf("%-46s %9.1f MB (%.1f bytes per item)\n", "  memory of the five indexes",
                    static_cast<double>(indexBytes) / 1e6,
                    static_cast<double>(indexBytes) / static_cast<double>(towns.size()));
    }
    // the searches below run on 100 000 towns
    AddTowns(base, RandomTowns(100000), true);

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
    std::printf("load average at end: %s\n", LoadAverage().c_str());
    fs::remove_all(dir);
    return sink == 0 ? 1 : 0;
}
