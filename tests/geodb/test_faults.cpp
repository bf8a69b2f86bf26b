// Fault injection: every file operation of a changing operation fails in turn;
// afterwards the database must open consistent and hold every earlier item unchanged.
#include "geodb_fixture.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/lock.h"
#include "zylcarto/geodb/storage.h"

using namespace zylcarto;
using namespace zylcarto::test;

namespace {

struct Scenario {
    const char* name;
    std::function<void(TGeoDB&, const std::string& dir)> run;
    std::set<std::int32_t> touched;  // identifiers the operation may change or remove
};

class FaultsBase : public GeoDBTest {
protected:
    void Build(TGeoDB& db, bool lazy) {
        std::filesystem::remove_all(Dir / "db");
        std::filesystem::create_directories(Dir / "db");
        db.SetDBName(Base("db/x"));
        AddTownAt(db, "t1", 1, 1);           // id 1
        AddSquareBorder(db, "b2", 2, 2, 1);  // id 2
        AddTownAt(db, "t3", 3, 3);           // id 3
        const auto bytes = Pattern(20000);
        db.AddBLOB("o4", 0, 0, 0, 1, 0, 1, 0, 0, 0, TMetaInfo(), bytes.data(), 20000);  // id 4
        AddSquareBorder(db, "b5", 5, 5, 1);                                             // id 5
        db.ReplaceBorder(2, "b2", Square(2, 2, 3), true, 0, 0, 0, 0, 0, 0, 0, 0, 0);    // leaves garbage
        db.SetLazyWrite(lazy);
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
        if (indexFilesWritten) {
            EXPECT_TRUE(IndexFilesSound(Base("db/x"), reader.NumEntries()));
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
};

class GeoDBFaults : public FaultsBase, public ::testing::WithParamInterface<bool> {
protected:
    void RunWithFaults(const Scenario& s) {
        for (int failAt = 1; failAt < 400; ++failAt) {
            Contents before;
            bool threw = false, carriedOn = false;
            int calls = 0;
            {
                TGeoDB db;
                Build(db, GetParam());
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

std::vector<Scenario> Scenarios() {
    return {
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
        {"replace",
         [](TGeoDB& db, const std::string&) {
             db.ReplaceTown(2, "moved", 0, 0, {60, 60}, 0, 0, 0);
         },
         {2}},
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
}

TEST_P(GeoDBFaults, EveryFailingFileOperationLeavesAConsistentDatabase) {
    for (const auto& s : Scenarios()) {
        RunWithFaults(s);
        if (HasFatalFailure()) return;
    }
}

// The files of a directory as a power cut leaves them: each file's content as of
// its last sync (or the start), the names as of the directory's last sync.
class PowerCutDisk {
public:
    explicit PowerCutDisk(std::filesystem::path dir) : dir_(std::move(dir)) {
        SyncNames();
        for (const auto& [name, ino] : names_) content_[ino] = GeoDBTest::Bytes((dir_ / name).string());
    }
    void OnSync(const std::string& path) {
        if (std::filesystem::is_directory(path))
            SyncNames();
        else
            content_[std::filesystem::status(path).type() == std::filesystem::file_type::none ? 0 : Inode(path)] =
                GeoDBTest::Bytes(path);
    }
    void Cut() const {
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            if (!names_.count(e.path().filename().string())) std::filesystem::remove(e.path());
        for (const auto& [name, ino] : names_) {
            const auto it = content_.find(ino);  // never synced: nothing of it reached the disk
            GeoDBTest::WriteBytes((dir_ / name).string(),
                                  it == content_.end() ? std::vector<std::uint8_t>{} : it->second);
        }
    }

private:
    static std::uintmax_t Inode(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uintmax_t>(st.st_ino) : 0;
    }
    void SyncNames() {
        names_.clear();
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            names_[e.path().filename().string()] = Inode(e.path().string());
    }
    std::filesystem::path dir_;
    std::map<std::string, std::uintmax_t> names_;
    std::map<std::uintmax_t, std::vector<std::uint8_t>> content_;
};

// The same item; the date aside, which for an object from a file is that file's time.
bool SameItem(const Item& a, const Item& b) {
    constexpr std::size_t kDate = 80, kDateBytes = 8;
    if (a.block != b.block || a.record.size() != b.record.size()) return false;
    for (std::size_t i = 0; i < a.record.size(); ++i)
        if ((i < kDate || i >= kDate + kDateBytes) && a.record[i] != b.record[i]) return false;
    return true;
}

bool ChangesFiles(TFileOp op) {
    return op == TFileOp::Write || op == TFileOp::Truncate || op == TFileOp::Create || op == TFileOp::Rename ||
           op == TFileOp::Remove || op == TFileOp::Sync;
}

using GeoDBPowerCut = FaultsBase;

TEST_F(GeoDBPowerCut, AtEveryWritePointNothingThatReturnedIsLost) {
    int cuts = 0;
    for (const auto& s : Scenarios()) {
        SCOPED_TRACE(s.name);
        Contents before, after;
        {
            TGeoDB db;
            Build(db, false);
            before = ReadContents(db);
            db.SetSyncWrites(true);
            s.run(db, Base("db"));
        }
        {
            TGeoDB db;
            db.SetDBName(Base("db/x"));
            after = ReadContents(db);
        }
        // cut at each write point in turn, and finally just after the operation returned
        for (int cutAt = 1;; ++cutAt) {
            int seen = 0;
            bool off = false;
            {
                std::optional<TGeoDB> db;
                db.emplace();
                Build(*db, false);
                db->SetSyncWrites(true);
                PowerCutDisk disk(Dir / "db");
                SetFileFaultHook([&](TFileOp op, const std::string& path) {
                    if (off) return EIO;  // the machine is off: nothing runs any more
                    if (ChangesFiles(op) && ++seen == cutAt) {
                        off = true;
                        return EIO;
                    }
                    if (op == TFileOp::Sync) disk.OnSync(path);
                    return 0;
                });
                try {
                    s.run(*db, Base("db"));
                } catch (const std::exception&) {}
                off = true;
                db.reset();  // whatever the destructor would write is lost as well
                SetFileFaultHook(nullptr);
                disk.Cut();
            }
            const bool returned = seen < cutAt;
            CheckConsistent(before, s.touched, s.name, cutAt, false);
            TGeoDB reader;
            reader.SetDBName(Base("db/x"));
            const Contents got = ReadContents(reader);
            if (returned) {
                EXPECT_EQ(got.size(), after.size());
                for (const auto& [id, item] : after) {
                    const auto g = got.find(id);
                    EXPECT_TRUE(g != got.end() && SameItem(g->second, item))
                        << "identifier " << id << " not as the returned operation left it";
                }
                break;
            }
            ++cuts;
            // every item as before the operation or as after it, never a mixture or half
            for (const auto& [id, item] : got) {
                const auto b = before.find(id), a = after.find(id);
                const bool asBefore = b != before.end() && SameItem(b->second, item);
                const bool asAfter = a != after.end() && SameItem(a->second, item);
                EXPECT_TRUE(asBefore || asAfter) << "identifier " << id << ", cut at " << cutAt;
            }
            for (const auto& [id, item] : before)
                EXPECT_TRUE(s.touched.count(id) || got.count(id)) << "identifier " << id << " lost, cut at " << cutAt;
            if (HasFailure()) return;
        }
    }
    std::printf("power cuts at %d write points\n", cuts);
}

// Creation stopped at any file operation, as a kill stops it: nothing was stored
// yet, so the next opening finishes it instead of calling the files damaged.
TEST_F(GeoDBPowerCut, ACreationStoppedAtAnyPointIsFinishedOnOpening) {
    for (int stopAt = 1;; ++stopAt) {
        SCOPED_TRACE("stopped at file operation " + std::to_string(stopAt));
        std::filesystem::remove_all(Dir / "db");
        std::filesystem::create_directories(Dir / "db");
        int seen = 0;
        SetFileFaultHook([&](TFileOp, const std::string&) { return ++seen >= stopAt ? EIO : 0; });
        bool stopped = false;
        try {
            TGeoDB db;
            db.SetDBName(Base("db/x"));
        } catch (const std::exception&) {
            stopped = true;
        }
        SetFileFaultHook(nullptr);
        TGeoDB db;
        ASSERT_NO_THROW(db.SetDBName(Base("db/x")));
        EXPECT_EQ(db.HighestID(), 0);
        EXPECT_EQ(AddTownAt(db, "t", 1, 1), 1);
        EXPECT_TRUE(IndexesSound(db));
        if (!stopped) return;
    }
}

INSTANTIATE_TEST_SUITE_P(LazyWrite, GeoDBFaults, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Lazy" : "Immediate"; });

}  // namespace

namespace {

// The sweep: every write-side file operation of each change, in turn, fails with
// EIO or ENOSPC, is torn (half written, then EIO), or is where the process is
// killed; and every failure followed by a kill at each later operation. On tmpfs
// where there is one, for syncs cost nothing there.
enum class Mode { Eio, NoSpace, Torn, Kill };

struct SweepCase {
    const char* name;
    bool create;  // from an empty folder rather than the sample database
    std::function<void(TGeoDB&)> run;
};

// Contents compared without dates, which an object from a file takes from it.
bool SameContents(const Contents& a, const Contents& b) {
    if (a.size() != b.size()) return false;
    for (const auto& [id, item] : a) {
        const auto it = b.find(id);
        if (it == b.end() || !SameItem(item, it->second)) return false;
    }
    return true;
}

class GeoDBFaultSweep : public FaultsBase {
protected:
    std::filesystem::path Work() const {
        static const std::filesystem::path shm = "/dev/shm";
        std::error_code ec;
        return std::filesystem::is_directory(shm, ec) ? shm / ("zylcarto_sweep_" + std::to_string(::getpid())) : Dir;
    }
    void TearDown() override {
        std::filesystem::remove_all(Work());
        FaultsBase::TearDown();
    }
    void Restore(const SweepCase& c) {
        std::filesystem::remove_all(Work() / "db");
        std::filesystem::create_directories(Work() / "db");
        if (!c.create)
            for (const auto& e : std::filesystem::directory_iterator(Dir / "template"))
                std::filesystem::copy_file(e.path(), Work() / "db" / e.path().filename());
    }
    std::string Db() const { return (Work() / "db" / "x").string(); }

    // One run: the Nth counted operation fails in Mode; with KillAt, the process is
    // killed at that later operation. Returns false once the change ran out of
    // operations before FailAt.
    bool RunOnce(const SweepCase& c, Mode mode, int failAt, int killAt, const Contents& before,
                 const Contents& after) {
        Restore(c);
        int seen = 0;
        bool off = false, threw = false, faulted = false;
        {
            std::optional<TGeoDB> db;
            db.emplace();
            db->SetSyncWrites(true);
            if (!c.create) db->SetDBName(Db());
            SetFileFaultHook([&](TFileOp op, const std::string&) {
                if (off) return EIO;
                const bool counted = mode == Mode::Torn && killAt == 0 ? op == TFileOp::Write : ChangesFiles(op) || op == TFileOp::Close;
                if (!counted) return 0;
                ++seen;
                if (seen == killAt || (mode == Mode::Kill && seen == failAt)) {
                    off = true;
                    return EIO;
                }
                if (seen != failAt) return 0;
                faulted = true;
                return mode == Mode::Torn ? TornWrite : mode == Mode::NoSpace ? ENOSPC : EIO;
            });
            try {
                if (c.create) db->SetDBName(Db());
                c.run(*db);
            } catch (const std::exception&) {
                threw = true;
            }
            off = true;  // killed, or just gone: nothing more reaches the files
            db.reset();
            SetFileFaultHook(nullptr);
        }
        if (seen < failAt || (killAt > 0 && seen < killAt)) return false;
        const bool killed = mode == Mode::Kill || (killAt > 0 && seen >= killAt);
        SCOPED_TRACE(std::string(c.name) + (killAt ? ", then killed at " + std::to_string(killAt) : std::string()));
        TGeoDB db;
        try {
            db.SetDBName(Db());
        } catch (const std::exception& e) {
            ADD_FAILURE() << "does not open: " << e.what();
            return true;
        }
        const Contents got = ReadContents(db);
        if (killed)
            EXPECT_TRUE(SameContents(got, before) || SameContents(got, after)) << "neither before nor after";
        else if (threw)
            EXPECT_TRUE(SameContents(got, before)) << "a failed change was not rolled back";
        else
            EXPECT_TRUE(SameContents(got, after)) << "a change that returned is not all there";
        EXPECT_TRUE(faulted || killed || !threw);
        EXPECT_TRUE(IndexesSound(db));
        for (const auto& [id, item] : got) EXPECT_EQ(db.Data(db.SearchForItemID(id)).ItemId, id);
        const int added = AddTownAt(db, "further", 8, 8);
        EXPECT_EQ(added, db.NumEntries());
        EXPECT_EQ(db.Data(added).Name.Str(), "further");
        const int entries = db.NumEntries();
        db.SetDBName("");  // adds leave their index writes to the closing
        EXPECT_TRUE(IndexFilesSound(Db(), entries));
        return true;
    }
};

TEST_F(GeoDBFaultSweep, EveryFaultAndEveryFaultThenAKillLeaveOnlyWholeReturnedChanges) {
    {
        TGeoDB db;
        Build(db, false);
        db.SetDBName("");
        std::filesystem::rename(Dir / "db", Dir / "template");
    }
    const auto blob = Pattern(40000, 3);
    const std::vector<SweepCase> cases = {
        {"add town", false, [](TGeoDB& db) { AddTownAt(db, "new", 7, 7); }},
        {"add polygon", false, [](TGeoDB& db) { AddSquareBorder(db, "new", 7, 7, 2); }},
        {"add object", false,
         [&](TGeoDB& db) { db.AddBLOB("new", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo(), blob.data(), 40000); }},
        {"delete in the middle", false, [](TGeoDB& db) { db.DeleteData(2); }},
        {"delete the last", false, [](TGeoDB& db) { db.DeleteData(5); }},
        {"garbage collection", false, [](TGeoDB& db) { db.GarbageCollection(); }},
        {"create", true, [](TGeoDB& db) { db.SetDBName(""); }},
    };
    int runs = 0;
    for (const auto& c : cases) {
        Contents before, after;
        for (Contents* side : {&before, &after}) {
            Restore(c);
            TGeoDB db;
            db.SetDBName(Db());
            if (side == &after) {
                c.run(db);
                db.SetDBName(Db());
            }
            *side = ReadContents(db);
        }
        for (const Mode mode : {Mode::Eio, Mode::NoSpace, Mode::Torn, Mode::Kill}) {
            for (int n = 1; RunOnce(c, mode, n, 0, before, after); ++n) {
                ++runs;
                if (mode != Mode::Eio) continue;
                for (int m = n + 1; RunOnce(c, mode, n, m, before, after); ++m) ++runs;
                if (HasFailure()) return;
            }
            if (HasFailure()) return;
        }
    }
    std::printf("%d faulted runs\n", runs);
}

}  // namespace

namespace {

using GeoDBFailureMessages = FaultsBase;

// A failed change says which file failed and why, the lock file included (a
// read-only medium stops a change there), and without a database nothing is made.
TEST_F(GeoDBFailureMessages, AFailedChangeNamesTheFileAndItsCause) {
    struct Case {
        const char* what;
        TFileOp op;
        const char* extension;
        int err;
        const char* message;
        std::function<void(TGeoDB&)> change;
    };
    const auto add = [](TGeoDB& db) { AddTownAt(db, "new", 7, 7); };
    const Case cases[] = {
        {"read-only lock file", TFileOp::Create, ".zylglc", EROFS, "AddData: cannot open database.", add},
        // an add leaves the counter alone: others see it by the item file's length
        {"lock counter", TFileOp::Truncate, ".zylglc", EIO, "DeleteData: cannot open database.",
         [](TGeoDB& db) { db.DeleteData(1); }},
        {"header", TFileOp::Write, ".zylgdd", ENOSPC, "AddData: cannot open database.", add},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TGeoDB db;
        Build(db, false);
        // opened afresh, so that the first change opens the lock file for writing
        db.SetDBName("");
        db.SetDBName(Base("db/x"));
        const std::string file = Base("db/x") + c.extension;
        SetFileFaultHook([&](TFileOp op, const std::string& path) { return op == c.op && path == file ? c.err : 0; });
        try {
            c.change(db);
            ADD_FAILURE() << "no failure";
        } catch (const EZYLGeoDBError& e) {
            const std::string msg = e.what();
            EXPECT_NE(msg.find(c.message), std::string::npos) << msg;
            EXPECT_NE(msg.find("\"" + file + "\""), std::string::npos) << msg;
            EXPECT_NE(msg.find(std::strerror(c.err)), std::string::npos) << msg;
        }
        SetFileFaultHook(nullptr);
        EXPECT_EQ(db.NumEntries(), 5);
    }
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(Dir);
    {
        TGeoDB db;
        db.SetLazyWrite(true);
    }
    std::filesystem::current_path(cwd);
    EXPECT_FALSE(std::filesystem::exists(Dir / ".zylglc"));
    EXPECT_FALSE(std::filesystem::exists(Dir / ".zylglk"));
}

}  // namespace

namespace {

using GeoDBFaultsInARow = FaultsBase;

// A deletion killed before its index files were written, then an add that finds
// the disk full half way through its record: the indexes on disk list more items
// than the item file holds whole, which must not read as a file cut short.
TEST_F(GeoDBFaultsInARow, AKilledDeleteThenAFullDiskAddLeaveAnOpenableDatabase) {
    Contents before;
    {
        std::optional<TGeoDB> db;
        db.emplace();
        Build(*db, false);
        bool off = false;
        SetFileFaultHook([&](TFileOp op, const std::string& path) {
            if (ChangesFiles(op) && path.find(".zylgi") != std::string::npos) off = true;
            return off ? EIO : 0;
        });
        EXPECT_ANY_THROW(db->DeleteData(5));
        db.reset();
        SetFileFaultHook(nullptr);
    }
    TGeoDB db;
    ASSERT_NO_THROW(db.SetDBName(Base("db/x")));
    before = ReadContents(db);
    SetFileFaultHook([](TFileOp op, const std::string& path) {
        return op == TFileOp::Write && path.ends_with(".zylgds") ? TornWrite : 0;
    });
    EXPECT_ANY_THROW(AddTownAt(db, "new", 7, 7));
    SetFileFaultHook(nullptr);
    TGeoDB reader;
    ASSERT_NO_THROW(reader.SetDBName(Base("db/x")));
    EXPECT_TRUE(SameContents(ReadContents(reader), before));
    const int added = AddTownAt(reader, "after", 8, 8);
    EXPECT_EQ(added, reader.NumEntries());
}

}  // namespace

namespace {

// What a killed writer left is finished under the exclusive lock only: a reader
// that finds it waits for other readers rather than finishing it beside them.
TEST_F(GeoDBFaultsInARow, WhatAKilledWriterLeftIsFinishedUnderTheExclusiveLock) {
    TGeoDB reader;
    Build(reader, false);
    {
        std::optional<TGeoDB> writer;
        writer.emplace();
        writer->SetDBName(Base("db/x"));
        bool off = false;
        SetFileFaultHook([&](TFileOp op, const std::string& path) {
            if (ChangesFiles(op) && path.ends_with(".zylgds")) off = true;
            return off ? EIO : 0;
        });
        EXPECT_ANY_THROW(writer->DeleteData(2));
        writer.reset();
        SetFileFaultHook(nullptr);
    }
    const std::string journal = Base("db/x") + ".zylgds~delete";
    ASSERT_TRUE(std::filesystem::exists(journal));
    TgdbPolygon p;
    {
        const TDBFileNames names = DBFileNames(Base("db/x"));
        TLockFile file(names.Lock, names.Guard);
        TDBLock other(file, false, 0);
        ASSERT_TRUE(other.Acquired());
        reader.SetLockTimeout(50);
        EXPECT_THROW(reader.RetrievePolygon(1, p), EZYLGeoDBError);
        EXPECT_TRUE(std::filesystem::exists(journal));
    }
    EXPECT_TRUE(reader.RetrievePolygon(2, p));  // the last item, moved into the gap
    EXPECT_EQ(reader.NumEntries(), 4);
    EXPECT_FALSE(std::filesystem::exists(journal));
}

}  // namespace
