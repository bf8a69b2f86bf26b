// Fault injection: every file operation of a changing operation fails in turn;
// afterwards the database must open consistent and hold every earlier item unchanged.
#include "geodb_fixture.h"

#include <cerrno>
#include <functional>
#include <map>
#include <set>

#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/storage.h"

using namespace zylcarto;
using namespace zylcarto::test;

namespace {

struct Item {
    std::vector<std::uint8_t> record;  // with BlobOffset cleared: collection moves blocks
    std::vector<std::uint8_t> block;
};
using Contents = std::map<std::int32_t, Item>;

Contents ReadContents(TGeoDB& db) {
    Contents c;
    for (int e = 1; e <= db.NumEntries(); ++e) {
        TgdbData rec = db.Data(e);
        Item item;
        const std::int32_t id = rec.ItemId;
        if (IsPolygonKind(rec.ItemKind)) {
            TgdbPolygon p;
            EXPECT_TRUE(db.RetrievePolygon(e, p)) << "entry " << e;
            for (const auto& v : p) {
                std::uint8_t b[CoordsBytes];
                EncodeCoords(v, b);
                item.block.insert(item.block.end(), b, b + CoordsBytes);
            }
        } else if (rec.ItemKind == gitBLOB) {
            TMetaInfo m;
            TMemoryStream s;
            EXPECT_TRUE(db.RetrieveBLOB(e, m, s)) << "entry " << e;
            item.block.resize(MetaInfoBytes);
            EncodeMetaInfo(m, item.block.data());
            item.block.insert(item.block.end(), s.Memory(), s.Memory() + s.Size());
        }
        rec.BlobOffset = 0;
        item.record = Encoded(rec);
        EXPECT_TRUE(c.emplace(id, std::move(item)).second) << "identifier " << id << " twice";
    }
    return c;
}

struct Scenario {
    const char* name;
    std::function<void(TGeoDB&, const std::string& dir)> run;
    std::set<std::int32_t> touched;  // identifiers the operation may change or remove
};

class GeoDBFaults : public GeoDBTest, public ::testing::WithParamInterface<bool> {
protected:
    void Build(TGeoDB& db) {
        std::filesystem::remove_all(Dir / "db");
        std::filesystem::create_directories(Dir / "db");
        db.SetDBName(Base("db/x"));
        AddTownAt(db, "t1", 1, 1);                 // id 1
        AddSquareBorder(db, "b2", 2, 2, 1);        // id 2
        AddTownAt(db, "t3", 3, 3);                 // id 3
        const auto bytes = Pattern(20000);
        db.AddBLOB("o4", 0, 0, 0, 1, 0, 1, 0, 0, 0, TMetaInfo(), bytes.data(), 20000);  // id 4
        AddSquareBorder(db, "b5", 5, 5, 1);        // id 5
        db.ReplaceBorder(2, "b2", Square(2, 2, 3), true, 0, 0, 0, 0, 0, 0, 0, 0, 0);  // leaves garbage
        db.SetLazyWrite(GetParam());
    }

    // Opening repairs stale indexes in memory only; their files are sound again once
    // a change has been written (indexFilesWritten).
    void CheckConsistent(const Contents& before, const std::set<std::int32_t>& touched, const char* what, int step,
                         bool indexFilesWritten) {
        SCOPED_TRACE(std::string(what) + ", failing operation " + std::to_string(step));
        const auto names = DBFileNames(Base("db/x"));
        TGeoDB reader;
        ASSERT_NO_THROW(reader.SetDBName(Base("db/x")));
        EXPECT_EQ(static_cast<std::uintmax_t>(reader.NumEntries()) * GdbDataBytes, FileSize(names.GDS));
        EXPECT_TRUE(IndexesCoverEntries(reader));
        EXPECT_TRUE(IndexesSound(reader));
        const auto records = ReadItemFile(names.GDS);
        if (indexFilesWritten) {
            EXPECT_TRUE(IsSoundIndex(ReadItemIDIndexFile(names.IX[0]), records, reader.NumEntries()));
            for (int i = 1; i <= 4; ++i)
                EXPECT_TRUE(IsSoundIndex(ReadLLIndexFile(names.IX[static_cast<std::size_t>(i)]), i, records,
                                         reader.NumEntries()));
        }
        const Contents after = ReadContents(reader);
        for (const auto& [id, item] : before) {
            if (touched.count(id)) continue;
            const auto it = after.find(id);
            ASSERT_NE(it, after.end()) << "identifier " << id << " lost";
            EXPECT_EQ(it->second.record, item.record) << "identifier " << id;
            EXPECT_EQ(it->second.block, item.block) << "identifier " << id;
        }
    }

    void RunWithFaults(const Scenario& s) {
        for (int failAt = 1; failAt < 400; ++failAt) {
            Contents before;
            bool threw = false, carriedOn = false;
            int calls = 0;
            {
                TGeoDB db;
                Build(db);
                before = ReadContents(db);
                SetFileFaultHook([&](TFileOp op, const std::string&) {
                    if (op == TFileOp::Close) return 0;
                    return ++calls == failAt ? EIO : 0;
                });
                try {
                    s.run(db, Base("db"));
                } catch (const std::exception&) {
                    threw = true;
                }
                SetFileFaultHook(nullptr);
                if (!threw && calls < failAt) return;  // ran to the end before the fault point
                if (db.IsOpen()) {
                    EXPECT_EQ(static_cast<std::uintmax_t>(db.NumEntries()) * GdbDataBytes,
                              FileSize(Base("db/x") + ".zylgds"))
                        << s.name << " step " << failAt;
                    EXPECT_TRUE(IndexesCoverEntries(db)) << s.name << " step " << failAt;
                }
                CheckConsistent(before, s.touched, s.name, failAt, false);
                // the component that saw the failure carries on without breaking the files
                carriedOn = db.IsOpen();
                if (carriedOn) AddTownAt(db, "after", 9, 9);
            }
            std::set<std::int32_t> touchedAndNew = s.touched;
            for (std::int32_t id = 6; id < 12; ++id) touchedAndNew.insert(id);
            CheckConsistent(before, touchedAndNew, s.name, failAt, carriedOn);
            if (HasFatalFailure()) return;
        }
        ADD_FAILURE() << s.name << " did not finish within the fault budget";
    }
};

TEST_P(GeoDBFaults, EveryFailingFileOperationLeavesAConsistentDatabase) {
    const std::vector<Scenario> scenarios = {
        {"add town", [](TGeoDB& db, const std::string&) { AddTownAt(db, "new", 7, 7); }, {6}},
        {"add border", [](TGeoDB& db, const std::string&) { AddSquareBorder(db, "new", 7, 7, 2); }, {6}},
        {"add object",
         [](TGeoDB& db, const std::string&) {
             const auto b = Pattern(40000, 9);
             db.AddBLOB("new", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo(), b.data(), 40000);
         },
         {6}},
        {"add object from file",
         [](TGeoDB& db, const std::string& dir) {
             GeoDBTest::WriteBytes(dir + "/src.bin", Pattern(17000, 4));
             db.AddBLOB(dir + "/src.bin", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo());
         },
         {6}},
        {"replace", [](TGeoDB& db, const std::string&) { db.ReplaceTown(2, "moved", 0, 0, {60, 60}, 0, 0, 0); }, {2}},
        {"delete", [](TGeoDB& db, const std::string&) { db.DeleteData(2); }, {2}},
        {"delete last", [](TGeoDB& db, const std::string&) { db.DeleteData(5); }, {5}},
        {"update record",
         [](TGeoDB& db, const std::string&) {
             TgdbData r = db.Data(3);
             r.LatLow = -10;
             db.UpdateBasicData(3, r);
         },
         {3}},
        {"update meta information",
         [](TGeoDB& db, const std::string&) {
             TMetaInfo m;
             m.Caption = "c";
             db.UpdateMetaInfo(4, m);
         },
         {4}},
        {"description", [](TGeoDB& db, const std::string&) { db.SetDescription("changed"); }, {}},
        {"garbage collection", [](TGeoDB& db, const std::string&) { db.GarbageCollection(); }, {}},
        {"lazy writing off", [](TGeoDB& db, const std::string&) { db.SetLazyWrite(false); }, {}},
        {"close", [](TGeoDB& db, const std::string&) { db.SetDBName(""); }, {}},
    };
    for (const auto& s : scenarios) {
        RunWithFaults(s);
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(LazyWrite, GeoDBFaults, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Lazy" : "Immediate"; });

} // namespace
