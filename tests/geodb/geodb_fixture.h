#pragma once
// A scratch directory per test and small helpers for looking at database files.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "scratch_dir.h"
#include "zylcarto/geodb/geodb.h"
#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/record_codec.h"
#include "zylcarto/geodb/storage.h"

namespace zylcarto::test {

class GeoDBTest : public ::testing::Test {
protected:
    void SetUp() override { Dir = TestDir(); }
    void TearDown() override {
        SetFileFaultHook(nullptr);
        std::filesystem::remove_all(Dir);
    }
    std::string Base(const std::string& name = "db") const { return (Dir / name).string(); }
    static std::uintmax_t FileSize(const std::string& path) { return std::filesystem::file_size(path); }

public:
    static std::vector<std::uint8_t> Bytes(const std::string& path) {
        return ReadFile<std::vector<std::uint8_t>>(path);
    }
    static void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) { WriteFile(path, bytes); }
    static void Patch(const std::string& path, const std::function<void(std::vector<std::uint8_t>&)>& change) {
        auto b = Bytes(path);
        change(b);
        WriteBytes(path, b);
    }
    static void PutU32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }

protected:
    std::filesystem::path Dir;
};

inline std::vector<std::uint8_t> Encoded(const TgdbData& rec) {
    std::vector<std::uint8_t> b(GdbDataBytes);
    EncodeGdbData(rec, b.data());
    return b;
}

inline TgdbPolygon Square(float lat, float lon, float size) {
    return {{lat, lon}, {lat + size, lon}, {lat + size, lon + size}, {lat, lon + size}};
}

inline int AddTownAt(TGeoDB& db, const std::string& name, float lat, float lon, std::uint8_t cls = 0) {
    return db.AddTown(name, 40000.5, 7, {lat, lon}, 100, cls, 9);
}

inline int AddSquareBorder(TGeoDB& db, const std::string& name, float lat, float lon, float size) {
    return db.AddBorder(name, Square(lat, lon, size), true, 40000.25, 0, 0, 0, 0, 0, 0, 1, 2);
}

inline std::vector<std::uint8_t> Pattern(std::size_t n, unsigned seed = 1) {
    std::vector<std::uint8_t> b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>((i * 131 + seed * 7) >> 1);
    return b;
}

// Every entry number 1..NumEntries exactly once in each of the five indexes.
inline ::testing::AssertionResult IndexesCoverEntries(const TGeoDB& db) {
    const int n = db.NumEntries();
    for (int ix = 0; ix <= 4; ++ix) {
        std::vector<int> seen(static_cast<std::size_t>(n) + 1, 0);
        for (int p = 1; p <= n; ++p) {
            const int e = ix == 0   ? db.IxItemID(p).index
                          : ix == 1 ? db.IxLatLow(p).index
                          : ix == 2 ? db.IxLatHigh(p).index
                          : ix == 3 ? db.IxLongLow(p).index
                                    : db.IxLongHigh(p).index;
            if (e < 1 || e > n || seen[static_cast<std::size_t>(e)]++)
                return ::testing::AssertionFailure() << "index " << ix << " position " << p << " holds entry " << e;
        }
    }
    return ::testing::AssertionSuccess();
}

// The five in-memory indexes are sound over the items: every entry once, keys
// equal to their items' fields, in order.
inline ::testing::AssertionResult IndexesSound(const TGeoDB& db) {
    const int n = db.NumEntries();
    std::vector<TgdbData> records;
    for (int e = 1; e <= n; ++e) records.push_back(db.Data(e));
    TIxItemIDRecArray ids;
    std::array<TIxLLRecArray, 4> ll;
    for (int p = 1; p <= n; ++p) {
        const auto id = db.IxItemID(p);
        ids.push_back({id.ItemID, id.index - 1});
        const TIxLLRec e[4] = {db.IxLatLow(p), db.IxLatHigh(p), db.IxLongLow(p), db.IxLongHigh(p)};
        for (int i = 0; i < 4; ++i) ll[static_cast<std::size_t>(i)].push_back({e[i].LLValue, e[i].index - 1});
    }
    if (!IsSoundIndex(ids, records, n)) return ::testing::AssertionFailure() << "index 0 unsound";
    for (int i = 1; i <= 4; ++i)
        if (!IsSoundIndex(ll[static_cast<std::size_t>(i - 1)], i, records, n))
            return ::testing::AssertionFailure() << "index " << i << " unsound";
    return ::testing::AssertionSuccess();
}

// The five index files of the database Base are sound over its item file of Entries items.
inline ::testing::AssertionResult IndexFilesSound(const std::string& Base, int Entries) {
    const auto names = DBFileNames(Base);
    const auto records = ReadItemFile(names.GDS);
    if (!IsSoundIndex(ReadItemIDIndexFile(names.IX[0]), records, Entries))
        return ::testing::AssertionFailure() << "index file 0 unsound";
    for (int i = 1; i <= 4; ++i)
        if (!IsSoundIndex(ReadLLIndexFile(names.IX[static_cast<std::size_t>(i)]), i, records, Entries))
            return ::testing::AssertionFailure() << "index file " << i << " unsound";
    return ::testing::AssertionSuccess();
}

// Every item by identifier: its record (BlobOffset cleared, since collection
// moves blocks) and the bytes of its block as read back.
struct Item {
    std::vector<std::uint8_t> record;  // with BlobOffset cleared: collection moves blocks
    std::vector<std::uint8_t> block;
    bool operator==(const Item&) const = default;
};
using Contents = std::map<std::int32_t, Item>;

inline Contents ReadContents(TGeoDB& db) {
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

}  // namespace zylcarto::test
