// zylcarto db: what the tool refuses to store, reading without writing, and near
// on the sphere against a brute-force search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "cli_runner.h"
#include "zylcarto/geodb/geodb.h"

namespace {

namespace fs = std::filesystem;
using zylcarto::test::ReadFile;
using zylcarto::test::WriteFile;
using Result = zylcarto::test::TCliResult;

class CliDb : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = zylcarto::test::TestDir();
        fs::create_directories(Dir / "db");
    }
    void TearDown() override { fs::remove_all(Dir); }

    Result Run(const std::string& args) const { return zylcarto::test::RunCli(args, "", (Dir / "db").string()); }
    // Every file under db/ with its bytes and modification time.
    std::map<std::string, std::pair<std::string, fs::file_time_type>> Snapshot() const {
        std::map<std::string, std::pair<std::string, fs::file_time_type>> m;
        for (const auto& e : fs::directory_iterator(Dir / "db"))
            m[e.path().filename().string()] = {ReadFile(e.path().string()), fs::last_write_time(e.path())};
        return m;
    }
    void Write(const std::string& name, const std::string& text) const {
        WriteFile((Dir / "db" / name).string(), text);
    }

    fs::path Dir;
};

TEST_F(CliDb, ValuesThatWouldNotBeStoredExactlyAreRefused) {
    ASSERT_EQ(Run("db create d").Status, 0);
    Write("empty.txt", "");
    Write("comments.txt", "# nothing\n\n");
    Write("one.txt", "1 1\n");
    Write("two.txt", "1 1\n2 2\n");
    fs::create_directories(Dir / "db" / "dir");
    const auto before = Snapshot();
    struct Case {
        const char* args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"db add-town d 'Москва' 1 1", 1, "cannot store"},
        {"db add-town d \"$(printf 'a\\tb')\" 1 1", 1, "control characters"},
        {"db add-town d \"$(printf 'a\\nb')\" 1 1", 1, "control characters"},
        {"db add-town d nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn 1 1", 1, "--truncate"},
        {"db add-polygon d river 'Волга' two.txt", 1, "cannot store"},
        {"db add-town d t 1 1 --alt 1e39", 2, "--alt"},
        {"db add-town d t 15E 47", 2, "hemisphere letter of a longitude"},
        {"db add-town d t 95N 1", 2, "out of range"},
        {"db add-polygon d lake l empty.txt", 2, "0 vertices"},
        {"db add-polygon d border b comments.txt --closed", 2, "0 vertices"},
        {"db add-polygon d lake l one.txt", 2, "1 vertices"},
        {"db add-polygon d river r one.txt", 2, "1 vertices"},
        {"db add-polygon d river r dir", 2, "cannot read"},
    };
    for (const auto& c : cases) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.Status, c.status) << c.args;
        EXPECT_NE(r.Err.find(c.message), std::string::npos) << c.args << ": " << r.Err;
        EXPECT_EQ(r.Out, "") << c.args;
    }
    EXPECT_TRUE(Snapshot() == before);

    // explicitly allowed: the start of a long name; what Windows-1252 holds is kept as it is
    EXPECT_EQ(Run("db add-town d " + std::string(70, 'n') + " 1 1 --truncate").Out, "1\n");
    EXPECT_EQ(Run("db add-polygon d river 'Zürich–Genève' two.txt").Out, "2\n");
    EXPECT_EQ(Run("db add-blob d /proc/version").Out, "3\n");        // its size reads as 0
    EXPECT_EQ(Run("db add-town d g 'N47 04.2' 15:30E").Out, "4\n");  // degrees and minutes
    EXPECT_NE(Run("db list d").Out.find("\tg\t0\t47.07\t47.07\t15.5\t15.5\n"), std::string::npos);
    const Result list = Run("db list d");
    EXPECT_NE(list.Out.find("\t" + std::string(59, 'n') + "\t"), std::string::npos);
    EXPECT_NE(list.Out.find("\tZürich–Genève\t"), std::string::npos);
    ASSERT_EQ(Run("db get-blob d 3 version.out").Status, 0);
    EXPECT_EQ(ReadFile((Dir / "db" / "version.out").string()), ReadFile("/proc/version"));
}

TEST_F(CliDb, ReadingActionsChangeAndCreateNoFile) {
    ASSERT_EQ(Run("db create d").Status, 0);
    ASSERT_EQ(Run("db add-town d a 1 1").Status, 0);
    ASSERT_EQ(Run("db add-town d b 2 2").Status, 0);
    fs::remove(Dir / "db" / "d.zylgi3");  // rebuilt in memory, not written by a read
    const auto before = Snapshot();
    for (const char* args : {"db info d", "db list d", "db find d a", "db near d 0 0"}) {
        EXPECT_EQ(Run(args).Status, 0) << args;
        EXPECT_TRUE(Snapshot() == before) << args;
    }
    fs::remove(Dir / "db" / "d.zylgdd");
    const auto damaged = Snapshot();
    for (const char* args : {"db info d", "db list d", "db add-town d c 3 3"}) {
        const Result r = Run(args);
        EXPECT_NE(r.Status, 0) << args;
        EXPECT_NE(r.Err.find("d.zylgdd\" is missing"), std::string::npos) << args << ": " << r.Err;
        EXPECT_TRUE(Snapshot() == damaged) << args;
    }
}

// Deleting names the item by its identifier, which another process's deletion
// does not move; one that deletes nothing says so and fails.
TEST_F(CliDb, DeleteTakesAnIdentifierAndANoOpFails) {
    ASSERT_EQ(Run("db create d").Status, 0);
    for (const char* t : {"a", "b", "c"}) ASSERT_EQ(Run(std::string("db add-town d ") + t + " 1 1").Status, 0);
    EXPECT_EQ(Run("db delete d 1").Status, 0);  // "c" moves to entry 1
    const Result again = Run("db delete d 1");
    EXPECT_EQ(again.Status, 1);
    EXPECT_NE(again.Err.find("no item with identifier 1"), std::string::npos) << again.Err;
    EXPECT_EQ(Run("db delete d --entry 1").Status, 0);  // "c", identifier 3
    EXPECT_EQ(Run("db list d").Out.substr(0, 4), "1\t2\t");
    EXPECT_EQ(Run("db delete d --entry 2").Status, 2);
    EXPECT_EQ(Run("db delete d x").Status, 2);
}

// check reads only and tells damage from what opening repairs; recover copies
// every readable item, identifiers and blocks included, into a new database.
TEST_F(CliDb, CheckFindsDamageAndRecoverKeepsEveryReadableItem) {
    ASSERT_EQ(Run("db create d").Status, 0);
    Write("sq.txt", "1 1\n1 2\n2 2\n");
    ASSERT_EQ(Run("db add-town d a 1 1").Status, 0);
    ASSERT_EQ(Run("db add-polygon d river r sq.txt").Status, 0);
    ASSERT_EQ(Run("db add-town d c 3 3").Status, 0);
    EXPECT_EQ(Run("db check d").Out, "ok\n");
    fs::remove(Dir / "db" / "d.zylgi2");
    const Result stale = Run("db check d");
    EXPECT_EQ(stale.Status, 0);
    EXPECT_NE(stale.Out.find("note\t"), std::string::npos);
    EXPECT_NE(stale.Out.find("d.zylgi2\" is missing"), std::string::npos) << stale.Out;
    // the second record's kind byte out of range: the database no longer opens
    {
        std::fstream f(Dir / "db" / "d.zylgds", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(2 * 120 + 108);
        f.put(static_cast<char>(40));
    }
    const auto before = Snapshot();
    const Result damaged = Run("db check d");
    EXPECT_EQ(damaged.Status, 1);
    EXPECT_NE(damaged.Out.find("damage\t"), std::string::npos);
    EXPECT_NE(damaged.Out.find("entry 3 (identifier 3) has an item kind 40"), std::string::npos) << damaged.Out;
    EXPECT_NE(Run("db list d").Status, 0);
    const Result rec = Run("db recover d e");
    EXPECT_EQ(rec.Status, 1);
    EXPECT_EQ(rec.Out, "2 items recovered, 1 left out\n");
    EXPECT_NE(rec.Err.find("entry 3"), std::string::npos) << rec.Err;
    EXPECT_TRUE(Snapshot().size() > before.size());
    const Result list = Run("db list e");
    EXPECT_EQ(list.Status, 0);
    EXPECT_NE(list.Out.find("1\t1\tTown\ta\t"), std::string::npos) << list.Out;
    EXPECT_NE(list.Out.find("2\t2\tRiver\tr\t"), std::string::npos) << list.Out;
    EXPECT_EQ(Run("db check e").Out, "ok\n");
    EXPECT_EQ(Run("db add-town e n 5 5").Out, "3\n");
    EXPECT_NE(Run("db list e").Out.find("\t4\tTown\tn\t"), std::string::npos);  // identifiers go on from 3
    EXPECT_EQ(Run("db recover d e").Status, 1);                                 // never over an existing database
}

// Progress goes to standard error only when that is a terminal (here: one that
// script(1) provides), never into a file or pipe.
TEST_F(CliDb, LongTasksShowProgressOnATerminalOnly) {
    ASSERT_EQ(Run("db create d").Status, 0);
    Write("sq.txt", "1 1\n1 2\n2 2\n");
    for (int i = 0; i < 3; ++i) ASSERT_EQ(Run("db add-polygon d river r sq.txt").Status, 0);
    for (const char* task : {"gc", "export-gpkg"}) {
        const std::string args = std::string("db ") + task + " d" + (task[0] == 'e' ? " d.gpkg" : "");
        const Result piped = Run(args);
        EXPECT_EQ(piped.Status, 0) << task;
        EXPECT_EQ(piped.Err, "") << task;
        const std::string typescript = (Dir / "typescript").string();
        const std::string cmd = "cd '" + (Dir / "db").string() + "' && script -qec \"" + zylcarto::test::CliPath() +
                                " " + args + "\" '" + typescript + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        EXPECT_NE(ReadFile(typescript).find(std::string(task) + ": 100%"), std::string::npos) << ReadFile(typescript);
    }
}

// Angle between two positions, computed independently of the tool (vectors).
double Angle(double lat1, double lon1, double lat2, double lon2) {
    const double r = M_PI / 180;
    const double a[3] = {std::cos(lat1 * r) * std::cos(lon1 * r), std::cos(lat1 * r) * std::sin(lon1 * r),
                         std::sin(lat1 * r)};
    const double b[3] = {std::cos(lat2 * r) * std::cos(lon2 * r), std::cos(lat2 * r) * std::sin(lon2 * r),
                         std::sin(lat2 * r)};
    const double cross[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    return std::atan2(std::hypot(cross[0], cross[1], cross[2]), a[0] * b[0] + a[1] * b[1] + a[2] * b[2]);
}

TEST_F(CliDb, NearFindsTheNearestItemsOnTheSphere) {
    // towns crowded at the 180th meridian and the poles, with positions shared and
    // rings of towns at one distance from a pole
    std::mt19937 rng(19);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<std::pair<float, float>> towns;
    for (int i = 0; i < 3000; ++i) {
        const int kind = i % 5;
        double lat = 0, lon = 0;
        if (kind == 0)
            lat = std::asin(2 * u(rng) - 1) * 180 / M_PI, lon = 360 * u(rng) - 180;
        else if (kind == 1)
            lat = 160 * u(rng) - 80, lon = (u(rng) < 0.5 ? -180 : 180) + 3 * u(rng) * (u(rng) < 0.5 ? 1 : -1);
        else if (kind == 2)
            lat = (u(rng) < 0.5 ? -1 : 1) * (84 + 6 * u(rng)), lon = 360 * u(rng) - 180;
        else if (kind == 3)
            lat = (u(rng) < 0.5 ? -87.5 : 87.5), lon = std::floor(36 * u(rng)) * 10 - 180;
        else
            lat = towns[static_cast<std::size_t>(u(rng) * static_cast<double>(towns.size()))].first,
            lon = towns[static_cast<std::size_t>(u(rng) * static_cast<double>(towns.size()))].second;
        if (lon > 180 || lon < -180) lon -= std::copysign(360.0, lon);
        towns.emplace_back(static_cast<float>(lat), static_cast<float>(lon));
    }
    {
        zylcarto::TGeoDB db;
        db.SetDBName((Dir / "db" / "t").string());
        db.SetLazyWrite(true);
        for (std::size_t i = 0; i < towns.size(); ++i)
            db.AddTown("t" + std::to_string(i + 1), 0, 0, {towns[i].first, towns[i].second}, 0, 0, 0);
    }
    std::vector<std::pair<double, double>> queries = {{0, -179.9}, {90, 0}, {-90, 45}, {87.5, 0}, {-87.5, 175}};
    while (queries.size() < 150) {
        const int kind = static_cast<int>(queries.size() % 3);
        if (kind == 0)
            queries.emplace_back(std::asin(2 * u(rng) - 1) * 180 / M_PI, 360 * u(rng) - 180);
        else if (kind == 1)
            queries.emplace_back(170 * u(rng) - 85, u(rng) < 0.5 ? -179.99 + u(rng) : 179.99 - u(rng));
        else
            queries.emplace_back((u(rng) < 0.5 ? -1 : 1) * (85 + 5 * u(rng)), 360 * u(rng) - 180);
    }
    int mismatches = 0;
    for (const auto& [lat, lon] : queries) {
        double best = 1e9;
        for (const auto& t : towns) best = std::min(best, Angle(lat, lon, t.first, t.second));
        std::set<int> expected;
        for (std::size_t i = 0; i < towns.size(); ++i)
            if (Angle(lat, lon, towns[i].first, towns[i].second) <= best + 1e-9)
                expected.insert(static_cast<int>(i) + 1);
        char args[128];
        std::snprintf(args, sizeof args, "db near t %.6f %.6f", lat, lon);
        const Result r = Run(args);
        ASSERT_EQ(r.Status, 0) << args << r.Err;
        std::set<int> got;
        std::istringstream lines(r.Out);
        for (std::string line; std::getline(lines, line);) got.insert(std::stoi(line));
        if (got != expected && ++mismatches <= 5)
            ADD_FAILURE() << args << ": " << got.size() << " items, expected " << expected.size() << " at "
                          << best * 6371.0088 << " km\n"
                          << r.Out;
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
