// The blocked indexes against the flat sorted arrays they replace: the same
// positions, searches and index files after thousands of random operations.
#include "geodb_fixture.h"

#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/storage.h"

using namespace zylcarto;
using namespace zylcarto::test;

namespace {

// The flat array: binary search for the insertion point, linear removal.
template <typename Entry>
struct FlatIndex {
    std::vector<Entry> a;

    static double Key(const TIxLLRec& e) { return e.LLValue; }
    static std::int32_t Key(const TIxItemIDRec& e) { return e.ItemID; }
    static bool Greater(double k, double key) { return std::isnan(k) || std::isnan(key) || k > key; }
    static bool Greater(std::int32_t k, std::int32_t key) { return k > key; }

    template <typename K>
    int Stop(K k, bool& greater) const {
        int lo = 0, hi = static_cast<int>(a.size()) - 1, c = 0;
        bool found = false;
        while (hi >= lo && !found) {
            c = (lo + hi) / 2;
            const K key = Key(a[static_cast<std::size_t>(c)]);
            if (Greater(k, key))
                lo = c + 1;
            else if (k != key)
                hi = c - 1;
            else
                found = true;
        }
        greater = Greater(k, static_cast<K>(Key(a[static_cast<std::size_t>(c)])));
        return c;
    }
    void Insert(const Entry& e) {
        std::size_t p = 0;
        if (!a.empty()) {
            bool g = false;
            p = static_cast<std::size_t>(Stop(Key(e), g)) + (g ? 1 : 0);
        }
        a.insert(a.begin() + static_cast<std::ptrdiff_t>(p), e);
    }
    void Remove(std::int32_t r) {
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i].index == r) {
                a.erase(a.begin() + static_cast<std::ptrdiff_t>(i));
                return;
            }
    }
    void Renumber(std::int32_t from, std::int32_t to) {
        for (auto& e : a)
            if (e.index == from) {
                e.index = to;
                return;
            }
    }
    template <typename K>
    int Closest(K v) const {
        if (a.empty()) return 1;
        bool g = false;
        const int c = Stop(v, g);
        return g ? c + 2 : c + 1;
    }
    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> b(a.size() * IndexEntryBytes);
        for (std::size_t i = 0; i < a.size(); ++i) EncodeIxEntry(a[i], b.data() + i * IndexEntryBytes);
        return b;
    }
};

// What the database does to its five flat indexes for each operation.
struct FlatDatabase {
    FlatIndex<TIxItemIDRec> id;
    std::array<FlatIndex<TIxLLRec>, 4> ll;
    std::vector<TgdbData> recs;

    void Insert(int r) {
        id.Insert({recs[static_cast<std::size_t>(r)].ItemId, r});
        for (int i = 1; i <= 4; ++i)
            ll[static_cast<std::size_t>(i - 1)].Insert({CoordinateKey(recs[static_cast<std::size_t>(r)], i), r});
    }
    void Remove(int r) {
        id.Remove(r);
        for (auto& x : ll) x.Remove(r);
    }
    void Delete(int k) {
        const int last = static_cast<int>(recs.size()) - 1;
        Remove(k);
        if (k != last) {
            id.Renumber(last, k);
            for (auto& x : ll) x.Renumber(last, k);
        }
        recs[static_cast<std::size_t>(k)] = recs.back();
        recs.pop_back();
    }
};

::testing::AssertionResult SameEntries(const TGeoDB& db, const FlatDatabase& flat) {
    const int n = db.NumEntries();
    if (static_cast<std::size_t>(n) != flat.recs.size()) return ::testing::AssertionFailure() << "count " << n;
    for (int p = 1; p <= n; ++p) {
        const auto sp = static_cast<std::size_t>(p - 1);
        TIxItemIDRec e = flat.id.a[sp];
        ++e.index;
        if (!(db.IxItemID(p) == e)) return ::testing::AssertionFailure() << "index 0 position " << p;
        const TIxLLRec got[4] = {db.IxLatLow(p), db.IxLatHigh(p), db.IxLongLow(p), db.IxLongHigh(p)};
        for (std::size_t i = 0; i < 4; ++i) {
            TIxLLRec w = flat.ll[i].a[sp];
            ++w.index;
            if (!(got[i] == w)) return ::testing::AssertionFailure() << "index " << i + 1 << " position " << p;
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace

using GeoDBIndexOracle = GeoDBTest;

TEST_F(GeoDBIndexOracle, RandomOperationsWriteTheFlatArraysFilesAndFindTheSame) {
    std::mt19937 gen(20261208);
    // a coarse grid, so that equal keys are common and the tie rule matters
    std::uniform_int_distribution<int> cell(-40, 40), pct(0, 99);
    const auto coord = [&] { return static_cast<float>(cell(gen)) * 0.5f; };
    const auto names = DBFileNames(Base());
    TGeoDB db;
    db.SetDBName(Base());
    FlatDatabase flat;
    int checkedFiles = 0, maxEntries = 0;
    for (int step = 0; step < 4000; ++step) {
        // grow to a few blocks' worth of items, then shrink again so blocks split and join
        const int n = db.NumEntries();
        const bool growing = step < 2400;
        const int op = pct(gen);
        std::uniform_int_distribution<int> entry(1, std::max(n, 1));
        maxEntries = std::max(maxEntries, n);
        const bool adds = n == 0 || (growing ? op < 80 : op < 10);
        if (adds) {
            if (op % 3 == 0) {
                AddSquareBorder(db, "b", coord(), coord(), static_cast<float>(1 + op % 4));
            } else {
                AddTownAt(db, "t", coord(), coord());
            }
            flat.recs.push_back(db.Data(db.NumEntries()));
            flat.Insert(db.NumEntries() - 1);
        } else if (op < (growing ? 85 : 20)) {
            const int e = entry(gen);
            db.ReplaceTown(e, "r", 0, 0, {coord(), coord()}, 0, 0, 0);
            flat.Remove(e - 1);
            flat.recs[static_cast<std::size_t>(e - 1)] = db.Data(e);
            flat.Insert(e - 1);
        } else if (op < (growing ? 88 : 25)) {
            const int e = entry(gen);
            TgdbData rec = db.Data(e);
            rec.LatHigh = coord();
            rec.LongLow = coord();
            db.UpdateBasicData(e, rec);
            flat.Remove(e - 1);
            flat.recs[static_cast<std::size_t>(e - 1)] = db.Data(e);
            flat.Insert(e - 1);
        } else {
            const int e = entry(gen);
            db.DeleteData(e);
            flat.Delete(e - 1);
        }
        // lazy stretches: the files catch up in one write
        if (step % 500 == 100) db.SetLazyWrite(true);
        if (step % 500 == 300) db.SetLazyWrite(false);
        if (!db.LazyWrite()) {
            // adds may leave the files behind, for whoever reads them to complete
            TGeoDB reader;
            reader.SetDBName(Base());
            ASSERT_TRUE(SameEntries(reader, flat)) << "step " << step;
            if (!adds) {
                ASSERT_EQ(Bytes(names.IX[0]), flat.id.Bytes()) << "step " << step;
                for (std::size_t i = 0; i < 4; ++i)
                    ASSERT_EQ(Bytes(names.IX[i + 1]), flat.ll[i].Bytes()) << "step " << step;
            }
            ++checkedFiles;
        }
        if (step % 50 == 0) {
            ASSERT_TRUE(SameEntries(db, flat)) << "step " << step;
            for (int k = 0; k < 20; ++k) {
                const double v = coord() + (k % 2 ? 0.25 : 0.0);
                EXPECT_EQ(db.GetClosestLatLowIx(v), flat.ll[0].Closest(v));
                EXPECT_EQ(db.GetClosestLatHighIx(v), flat.ll[1].Closest(v));
                EXPECT_EQ(db.GetClosestLongLowIx(v), flat.ll[2].Closest(v));
                EXPECT_EQ(db.GetClosestLongHighIx(v), flat.ll[3].Closest(v));
                const int id = cell(gen) + 1500;
                EXPECT_EQ(db.GetClosestItemIDIx(id), flat.id.Closest(id));
            }
        }
    }
    EXPECT_GT(checkedFiles, 2000);
    EXPECT_GT(maxEntries, 1500);  // several blocks
    EXPECT_LT(db.NumEntries(), 600);
    db.SetDBName("");
    // closing writes what adds left behind
    EXPECT_EQ(Bytes(names.IX[0]), flat.id.Bytes());
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(Bytes(names.IX[i + 1]), flat.ll[i].Bytes());
    // what was written reads back as the same indexes
    db.SetDBName(Base());
    EXPECT_TRUE(SameEntries(db, flat));
}

TEST(GeoDBIndexes, BlockedIndexMatchesTheFlatArrayWithNaNsAndManyEqualKeys) {
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> key(0, 30), pct(0, 99);
    TCoordIndex ix;
    FlatIndex<TIxLLRec> flat;
    std::vector<std::int32_t> live;  // record numbers present
    std::int32_t next = 0;
    for (int step = 0; step < 30000; ++step) {
        const int op = pct(gen);
        const bool growing = (step / 6000) % 2 == 0;
        if (live.empty() || op < (growing ? 65 : 35)) {
            const int k = key(gen);
            const float v = k == 0 ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(k);
            ix.Insert({v, next});
            flat.Insert({v, next});
            live.push_back(next++);
        } else {
            std::uniform_int_distribution<std::size_t> pick(0, live.size() - 1);
            const std::size_t i = pick(gen);
            const std::int32_t r = live[i];
            ASSERT_TRUE(ix.Remove(r));
            flat.Remove(r);
            if (op % 2 == 0 && i + 1 < live.size()) {  // the database's delete: the last record takes the gap
                ix.Renumber(live.back(), r);
                flat.Renumber(live.back(), r);
            } else {
                live[i] = live.back();
            }
            live.pop_back();
        }
        ASSERT_EQ(ix.Size(), static_cast<int>(flat.a.size()));
        if (step % 97 == 0) {
            for (int p = 0; p < ix.Size(); ++p)  // bit for bit: NaN keys too
                ASSERT_EQ(std::bit_cast<std::uint64_t>(ix.At(p)),
                          std::bit_cast<std::uint64_t>(flat.a[static_cast<std::size_t>(p)]))
                    << step;
            for (int k = -1; k <= 32; ++k) ASSERT_EQ(ix.ClosestPosition(k * 1.0), flat.Closest(k * 1.0)) << step;
        }
    }
}
