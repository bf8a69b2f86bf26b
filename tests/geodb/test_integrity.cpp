// Files that are damaged or not one database's, values the database cannot hold
// exactly, and reading without writing.
#include "geodb_fixture.h"

#include <cerrno>
#include <cmath>
#include <functional>
#include <limits>
#include <map>

#include "zylcarto/geodb/storage.h"

using namespace zylcarto;
using namespace zylcarto::test;

namespace {

using Files = std::map<std::string, std::vector<std::uint8_t>>;

class GeoDBDamage : public GeoDBTest {
protected:
    // A border, an object, towns and a replaced item: every kind of block and some garbage.
    void Build(const std::string& base) {
        const int towns = 3;
        TGeoDB db;
        db.SetDBName(base);
        AddSquareBorder(db, "border", 1, 1, 2);
        const auto bytes = Pattern(3000);
        db.AddBLOB("object", 0, 0, 0, 1, 0, 1, 0, 0, 0, TMetaInfo(), bytes.data(), 3000);
        for (int i = 0; i < towns; ++i) AddTownAt(db, "town" + std::to_string(i), static_cast<float>(i), 5);
        db.ReplaceBorder(1, "border", Square(2, 2, 2), true, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    }
    Files Snapshot() const {
        Files f;
        // the lock file counts every change attempted, also the refused ones: it is no data
        for (const auto& e : std::filesystem::directory_iterator(Dir))
            if (e.path().extension() != ".zylglc") f[e.path().string()] = Bytes(e.path().string());
        return f;
    }
};

TEST_F(GeoDBDamage, DamagedOrForeignFilesAreRefusedNamingTheFileAndNothingIsWritten) {
    const auto n = DBFileNames(Base());
    struct Case {
        const char* what;
        std::function<void()> damage;
        std::string file;    // the file the message must name
        const char* reason;  // part of the message
    };
    const std::vector<Case> cases = {
        {"data file missing", [&] { std::filesystem::remove(n.GDD); }, n.GDD, "missing"},
        {"item file missing", [&] { std::filesystem::remove(n.GDS); }, n.GDS, "missing"},
        {"item file cut by one byte", [&] { Patch(n.GDS, [](auto& b) { b.pop_back(); }); }, n.GDS, "cut short"},
        {"item file cut in half", [&] { Patch(n.GDS, [](auto& b) { b.resize(b.size() / 2 + 7); }); }, n.GDS,
         "cut short"},
        {"unknown version", [&] { Patch(n.GDD, [](auto& b) { PutU32(b, 4, 99); }); }, n.GDD, "version 99"},
        {"item and data files swapped",
         [&] {
             std::filesystem::rename(n.GDS, n.GDS + "~");
             std::filesystem::rename(n.GDD, n.GDS);
             std::filesystem::rename(n.GDS + "~", n.GDD);
         },
         n.GDD, "version"},
        {"data file as item file",
         [&] { std::filesystem::copy_file(n.GDD, n.GDS, std::filesystem::copy_options::overwrite_existing); }, n.GDS,
         "damaged"},
        {"data file of a smaller database",
         [&] {
             {
                 TGeoDB other;
                 other.SetDBName(Base("other"));
                 other.SetDescription("another database");
             }
             std::filesystem::copy_file(Base("other") + ".zylgdd", n.GDD,
                                        std::filesystem::copy_options::overwrite_existing);
             for (const auto& f : DBFileNames(Base("other")).IX) std::filesystem::remove(f);
             std::filesystem::remove(Base("other") + ".zylgds");
             std::filesystem::remove(Base("other") + ".zylgdd");
         },
         n.GDS, "beyond the end of the data file"},
        {"data file cut", [&] { Patch(n.GDD, [](auto& b) { b.resize(b.size() - 1); }); }, n.GDS, "beyond the end"},
        {"kind byte outside the kinds", [&] { Patch(n.GDS, [](auto& b) { b[108] = 23; }); }, n.GDS, "kind 23"},
        {"name length beyond the field", [&] { Patch(n.GDS, [](auto& b) { b[120 + 4] = 60; }); }, n.GDS, "entry 2"},
        {"name not padded", [&] { Patch(n.GDS, [](auto& b) { b[120 + 4 + 50] = 0; }); }, n.GDS, "padded"},
        {"town with a block", [&] { Patch(n.GDS, [](auto& b) { PutU32(b, 2 * 120 + 76, 260); }); }, n.GDS,
         "kind that has none"},
        {"block offset inside the header", [&] { Patch(n.GDS, [](auto& b) { PutU32(b, 76, 100); }); }, n.GDS,
         "beyond the end"},
        {"negative vertex count", [&] { Patch(n.GDS, [](auto& b) { PutU32(b, 112, 0xFFFFFFF0u); }); }, n.GDS,
         "beyond the end"},
        {"identifier twice", [&] { Patch(n.GDS, [](auto& b) { PutU32(b, 120, 1); }); }, n.GDS, "twice"},
        {"description length beyond the field", [&] { Patch(n.GDD, [](auto& b) { b[8] = 64; }); }, n.GDD, "header"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& e : std::filesystem::directory_iterator(Dir)) std::filesystem::remove_all(e.path());
        Build(Base());
        c.damage();
        const Files before = Snapshot();
        TGeoDB db;
        try {
            db.SetDBName(Base());
            ADD_FAILURE() << "opened";
        } catch (const EZYLGeoDBError& e) {
            const std::string msg = e.what();
            EXPECT_NE(msg.find("\"" + c.file + "\""), std::string::npos) << msg;
            EXPECT_NE(msg.find(c.reason), std::string::npos) << msg;
        }
        EXPECT_FALSE(db.IsOpen());
        EXPECT_EQ(db.AddTown("x", 0, 0, {0, 0}, 0, 0, 0), -1);
        EXPECT_TRUE(Snapshot() == before) << "a file was changed or created";
    }
}

TEST_F(GeoDBDamage, ReadingWritesNothingAndTheFirstChangeFails) {
    const auto n = DBFileNames(Base());
    Build(Base());
    // stale, short and missing index files are all rebuilt in memory only
    Patch(n.IX[1], [](auto& b) { b.resize(8); });
    Patch(n.IX[2], [](auto& b) { std::swap(b[0], b[8]); });
    std::filesystem::remove(n.IX[0]);
    // an add cut short: a partial record behind those the indexes cover is no damage
    Patch(n.GDS, [](auto& b) { b.resize(b.size() + 50, 0x41); });
    const Files before = Snapshot();
    SetFileFaultHook([](TFileOp op, const std::string&) {
        return op == TFileOp::Open || op == TFileOp::Read || op == TFileOp::Seek || op == TFileOp::Size ||
                       op == TFileOp::Close
                   ? 0
                   : EROFS;
    });
    TGeoDB db;
    ASSERT_NO_THROW(db.SetDBName(Base()));
    EXPECT_EQ(db.NumEntries(), 5);
    EXPECT_TRUE(IndexesSound(db));
    EXPECT_EQ(db.SearchForItemID(4), 4);
    TgdbPolygon p;
    EXPECT_TRUE(db.RetrievePolygon(1, p));
    EXPECT_EQ(p.size(), 4u);
    TMetaInfo m;
    TMemoryStream s;
    EXPECT_TRUE(db.RetrieveBLOB(2, m, s));
    EXPECT_EQ(s.Size(), 3000);
    EXPECT_EQ(db.SearchData("town2"), 5);
    EXPECT_THROW(AddTownAt(db, "new", 0, 0), EZYLGeoDBError);  // its header cannot be written
    SetFileFaultHook(nullptr);
    db.SetDBName("");
    EXPECT_TRUE(Snapshot() == before);
}

TEST_F(GeoDBDamage, ValuesTheDatabaseCannotHoldExactlyAreRefused) {
    Build(Base());
    TGeoDB db;
    db.SetDBName(Base());
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const auto bytes = Pattern(10);
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"town at NaN",
         [&] {
             db.AddTown("t", 0, 0, {nan, 1}, 0, 0, 0);
         }},
        {"town at infinity",
         [&] {
             db.AddTown("t", 0, 0, {1, -inf}, 0, 0, 0);
         }},
        {"replaced town at NaN",
         [&] {
             db.ReplaceTown(3, "t", 0, 0, {1, nan}, 0, 0, 0);
         }},
        {"object box at infinity",
         [&] { db.AddBLOB("o", 0, 0, 0, inf, 0, 1, 0, 0, 0, TMetaInfo(), bytes.data(), 10); }},
        {"vertex at NaN",
         [&] {
             db.AddLake("l", {{1, 1}, {nan, 2}, {2, 2}}, 0, 0, 0, 0, 0, 0, 0, 0, 0);
         }},
        {"updated box at NaN",
         [&] {
             TgdbData r = db.Data(3);
             r.LatHigh = nan;
             db.UpdateBasicData(3, r);
         }},
        {"Cyrillic name",
         [&] {
             db.AddTown("Москва", 0, 0, {1, 1}, 0, 0, 0);
         }},
        {"Cyrillic object name",
         [&] { db.AddBLOB("Лондон", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo(), bytes.data(), 10); }},
        {"name of 60 characters",
         [&] {
             db.AddTown(std::string(60, 'a'), 0, 0, {1, 1}, 0, 0, 0);
         }},
        {"tab in a name",
         [&] {
             db.AddTown("a\tb", 0, 0, {1, 1}, 0, 0, 0);
         }},
        {"newline in a replaced name",
         [&] {
             db.ReplaceTown(3, "a\nb", 0, 0, {1, 1}, 0, 0, 0);
         }},
        {"updated name beyond Windows-1252",
         [&] {
             TgdbData r = db.Data(3);
             r.Name = "日本";
             db.UpdateBasicData(3, r);
         }},
    };
    const Files before = Snapshot();
    for (const auto& [what, run] : cases) {
        EXPECT_THROW(run(), EZYLGeoDBError) << what;
        EXPECT_EQ(db.NumEntries(), 5) << what;
    }
    EXPECT_TRUE(Snapshot() == before);
    // what Windows-1252 holds is stored exactly
    const int e = db.AddTown("Zürich – €", 0, 0, {1, 1}, 0, 0, 0);
    EXPECT_EQ(db.Data(e).Name.Str(), "Zürich – €");
    EXPECT_EQ(db.Data(db.AddTown(std::string(59, 'z'), 0, 0, {1, 1}, 0, 0, 0)).Name.Str(), std::string(59, 'z'));
}

TEST_F(GeoDBDamage, ObjectsFromFilesAreReadToTheirEnd) {
    // /proc files report a size of 0 but have content
    TGeoDB db;
    db.SetDBName(Base());
    const int e = db.AddBLOB("/proc/version", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo());
    const auto expected = Bytes("/proc/version");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(db.Data(e).Size(), static_cast<std::int32_t>(expected.size()));
    TMetaInfo m;
    TMemoryStream s;
    ASSERT_TRUE(db.RetrieveBLOB(e, m, s));
    EXPECT_EQ(std::vector<std::uint8_t>(s.Memory(), s.Memory() + s.Size()), expected);
}

}  // namespace
