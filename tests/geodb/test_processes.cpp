// Other processes: one killed at random moments while it changes the database,
// two adding at once, and one holding the lock too long.
#include "geodb_fixture.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <thread>

#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/storage.h"

using namespace zylcarto;
using namespace zylcarto::test;
namespace fs = std::filesystem;

namespace {

// The same seed gives the same operations on databases of the same content.
class RandomChanges {
public:
    explicit RandomChanges(unsigned seed) : gen_(seed) {}
    void Step(TGeoDB& db) {
        const unsigned op = gen_() % 100, pick = gen_(), size = 1 + gen_() % 3000;
        const float lat = static_cast<float>(gen_() % 1600) / 10 - 80,
                    lon = static_cast<float>(gen_() % 3600) / 10 - 180;
        const int n = db.NumEntries();
        const int e = n > 0 ? 1 + static_cast<int>(pick % static_cast<unsigned>(n)) : 0;
        if (n == 0 || op < 40) {
            if (op % 3 == 0)
                AddTownAt(db, "t", lat, lon);
            else if (op % 3 == 1)
                AddSquareBorder(db, "b", lat, lon, 1);
            else {
                const auto bytes = Pattern(size, pick);
                db.AddBLOB("o", 1, 2, lat, lat, lon, lon, 0, 0, 0, TMetaInfo(), bytes.data(), static_cast<int>(size));
            }
        } else if (op < 60) {
            if (op % 2)
                db.ReplaceTown(e, "r", 3, 4, {lat, lon}, 5, 6, 7);
            else
                db.ReplaceBorder(e, "rb", Square(lat, lon, 2), false, 3, 4, 0, 0, 0, 0, 5, 6, 7);
        } else if (op < 90) {
            db.DeleteData(e);
        } else if (op < 97) {
            TgdbData rec = db.Data(e);
            rec.LongHigh = lon;
            rec.Tag = static_cast<int>(pick);
            db.UpdateBasicData(e, rec);
        } else {
            db.GarbageCollection();
        }
    }

private:
    std::mt19937 gen_;
};

void CopyFiles(const fs::path& from, const fs::path& to) {
    fs::remove_all(to);
    fs::create_directories(to);
    for (const auto& e : fs::directory_iterator(from)) fs::copy_file(e.path(), to / e.path().filename());
}

}  // namespace

using GeoDBProcesses = GeoDBTest;

TEST_F(GeoDBProcesses, KilledAtRandomTheDatabaseHoldsWhatReturnedAndNothingHalf) {
    const fs::path live = Dir / "live", snapshot = Dir / "snapshot", replay = Dir / "replay";
    fs::create_directories(live);
    constexpr unsigned kKills = 60;
    std::mt19937 gen(4242);
    int interrupted = 0;
    std::size_t checked = 0;
    for (unsigned cycle = 0; cycle < kKills; ++cycle) {
        CopyFiles(live, snapshot);
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            try {
                TGeoDB db;
                db.SetDBName((live / "x").string());
                RandomChanges changes(cycle);
                for (;;) {
                    changes.Step(db);
                    const char done = 'x';
                    if (::write(fds[1], &done, 1) != 1) ::_exit(4);
                }
            } catch (...) {
                ::_exit(3);
            }
        }
        ::close(fds[1]);
        // the kill comes a random number of returned operations in and a moment later:
        // counted by the child's progress, not by the clock, a loaded machine changes
        // only the pace (with none returned it may stop the database's creation)
        const int target = static_cast<int>(gen() % 10);
        int returned = 0;
        char buf[4096];
        for (ssize_t got; returned < target &&
                          (got = ::read(fds[0], buf, std::min<std::size_t>(sizeof buf, target - returned))) > 0;)
            returned += static_cast<int>(got);
        std::this_thread::sleep_for(std::chrono::microseconds(gen() % 2000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself with " << WEXITSTATUS(status);
        for (ssize_t got; (got = ::read(fds[0], buf, sizeof buf)) > 0;) returned += static_cast<int>(got);
        ::close(fds[0]);

        // what the operations that returned leave, and that plus the next one
        CopyFiles(snapshot, replay);
        Contents returnedOnly, withNext;
        {
            TGeoDB db;
            db.SetDBName((replay / "x").string());
            RandomChanges changes(cycle);
            for (int i = 0; i < returned; ++i) changes.Step(db);
            returnedOnly = ReadContents(db);
            changes.Step(db);
            withNext = ReadContents(db);
        }
        TGeoDB db;
        ASSERT_NO_THROW(db.SetDBName((live / "x").string())) << "cycle " << cycle;
        ASSERT_TRUE(IndexesCoverEntries(db)) << "cycle " << cycle;
        const auto names = DBFileNames((live / "x").string());
        const auto records = ReadItemFile(names.GDS);
        ASSERT_EQ(static_cast<int>(records.size()), db.NumEntries());
        // index files a kill left stale are rebuilt in memory and written with the next change
        ASSERT_TRUE(IndexesSound(db)) << "cycle " << cycle;
        const Contents got = ReadContents(db);
        const bool asReturned = got == returnedOnly, asNext = got == withNext;
        ASSERT_TRUE(asReturned || asNext) << "cycle " << cycle << " after " << returned << " operations: " << got.size()
                                          << " items, expected " << returnedOnly.size() << " or " << withNext.size();
        interrupted += asReturned ? 0 : 1;
        checked += got.size();
        for (const char* leftover : {"~new", "~old", "~commit"})
            EXPECT_FALSE(fs::exists(names.GDD + leftover) || fs::exists(names.GDS + leftover));
    }
    std::printf("%u kills, %zu items checked, %d interrupted operations found whole, 0 lost\n", kKills, checked,
                interrupted);
}

TEST_F(GeoDBProcesses, TwoProcessesAddingAtOnceBothGetEveryItemInOnce) {
    constexpr int kEach = 300;
    const std::string base = Base();
    {
        TGeoDB db;
        db.SetDBName(base);
    }
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    pid_t children[2];
    for (int p = 0; p < 2; ++p) {
        children[p] = ::fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0) {
            ::close(go[1]);
            try {
                TGeoDB db;
                db.SetDBName(base);  // both hold the empty tables before either adds
                char c;
                if (::read(go[0], &c, 1) != 1) ::_exit(4);
                for (int i = 0; i < kEach; ++i)
                    db.AddTown("p" + std::to_string(p), 0, p, {static_cast<float>(i % 50), static_cast<float>(p)}, 0, 0,
                               i);
                db.SetDBName("");
            } catch (...) {
                ::_exit(3);
            }
            ::_exit(0);
        }
    }
    ::close(go[0]);
    const char start[2] = {'g', 'g'};
    ASSERT_EQ(::write(go[1], start, 2), 2);
    ::close(go[1]);
    for (pid_t c : children) {
        int status = 0;
        ::waitpid(c, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }
    TGeoDB db;
    db.SetDBName(base);
    ASSERT_EQ(db.NumEntries(), 2 * kEach);
    EXPECT_TRUE(IndexesCoverEntries(db));
    std::set<std::pair<int, int>> seen;  // (process, number)
    std::set<std::int32_t> ids;
    for (int e = 1; e <= db.NumEntries(); ++e) {
        const TgdbData r = db.Data(e);
        EXPECT_TRUE(seen.insert({r.StateFlag, r.Tag}).second) << "process " << r.StateFlag << " item " << r.Tag;
        EXPECT_TRUE(ids.insert(r.ItemId).second);
        EXPECT_EQ(db.SearchForItemID(r.ItemId), e);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(2 * kEach));
    EXPECT_TRUE(IndexFilesSound(base, db.NumEntries()));
}

// A release that counted changes in the lock file's bytes knows nothing of this
// one's counter: while this one has the database open, such a process cannot get
// the lock it changes under, and opening waits for a change of its to end.
TEST_F(GeoDBProcesses, AnEarlierReleaseCannotChangeADatabaseOpenHere) {
    const auto names = DBFileNames(Base());
    const auto earlierReleaseLock = [&] {
        const int fd = ::open(names.Guard.c_str(), O_RDWR | O_CREAT, 0666);
        return fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? fd : (fd >= 0 && ::close(fd), -1);
    };
    {
        TGeoDB db, other;
        db.SetDBName(Base());
        AddTownAt(db, "a", 1, 1);
        other.SetDBName(Base());                    // opened to read, then changed
        EXPECT_EQ(AddTownAt(other, "b", 2, 2), 2);  // processes of this release share it
        db.SetDBName("");
        EXPECT_EQ(earlierReleaseLock(), -1);
    }
    const int held = earlierReleaseLock();
    ASSERT_GE(held, 0);
    TGeoDB db;
    db.SetLockTimeout(50);
    EXPECT_THROW(db.SetDBName(Base()), EZYLGeoDBError);
    ::close(held);
    db.SetDBName(Base());
    EXPECT_EQ(db.NumEntries(), 2);
}

TEST_F(GeoDBProcesses, ALockHeldTooLongRaisesAfterTheTimeoutAndWritesNothing) {
    TGeoDB db;
    db.SetName("Gazetteer");
    db.SetDBName(Base());
    AddSquareBorder(db, "b", 1, 1, 1);
    db.SetLockTimeout(50);
    const auto names = DBFileNames(Base());
    const int holder = ::open(names.Lock.c_str(), O_RDWR);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);  // as another process would
    const auto sizeBefore = FileSize(names.GDS) + FileSize(names.GDD) + FileSize(names.IX[0]);
    try {
        AddTownAt(db, "t", 2, 2);
        ADD_FAILURE() << "added under another's lock";
    } catch (const EZYLGeoDBError& e) {
        EXPECT_STREQ(e.what(), "Component \"Gazetteer\": AddData: the database is locked by another process.");
    }
    TgdbPolygon p;
    EXPECT_THROW(db.RetrievePolygon(1, p), EZYLGeoDBError);  // reading waits for a writer too
    EXPECT_EQ(FileSize(names.GDS) + FileSize(names.GDD) + FileSize(names.IX[0]), sizeBefore);
    EXPECT_EQ(db.NumEntries(), 1);
    ::close(holder);
    EXPECT_EQ(AddTownAt(db, "t", 2, 2), 2);
    EXPECT_TRUE(db.RetrievePolygon(1, p));
}
