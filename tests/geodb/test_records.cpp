// Byte layout of the records and the index insertion rule.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/record_codec.h"
#include "zylcarto/geodb/records.h"

using namespace zylcarto;

namespace {

std::uint32_t U32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

TgdbData SampleRecord() {
    TgdbData r;
    r.ItemId = 0x01020304;
    r.Name = BlankPaddedName("Wien");
    r.Altitude = 171.5f;
    r.ClassFlag = 200;
    r.Tag = -2;
    r.BlobOffset = 260;
    r.Date = 45000.75;
    r.StateFlag = 0x7F000001;
    r.LatLow = 48.1f;
    r.LatHigh = 48.3f;
    r.LongLow = 16.2f;
    r.LongHigh = 16.5f;
    r.ItemKind = gitCity;
    r.SetNumPoints(12);
    r.Closed = true;
    return r;
}

}  // namespace

TEST(GeoDBRecords, ItemRecordFieldsSitAtTheirOffsetsLittleEndian) {
    std::uint8_t b[GdbDataBytes];
    std::memset(b, 0xAA, sizeof b);
    EncodeGdbData(SampleRecord(), b);
    EXPECT_EQ(U32(b + 0), 0x01020304u);
    EXPECT_EQ(b[4], 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 5), 4), "Wien");
    for (int i = 9; i < 64; ++i) EXPECT_EQ(b[i], ' ') << i;
    EXPECT_EQ(U32(b + 64), std::bit_cast<std::uint32_t>(171.5f));
    EXPECT_EQ(b[68], 200);
    EXPECT_EQ(b[69] | b[70] | b[71], 0);
    EXPECT_EQ(U32(b + 72), 0xFFFFFFFEu);
    EXPECT_EQ(U32(b + 76), 260u);
    const auto date = std::bit_cast<std::uint64_t>(45000.75);
    EXPECT_EQ(U32(b + 80), static_cast<std::uint32_t>(date));
    EXPECT_EQ(U32(b + 84), static_cast<std::uint32_t>(date >> 32));
    EXPECT_EQ(U32(b + 88), 0x7F000001u);
    EXPECT_EQ(U32(b + 92), std::bit_cast<std::uint32_t>(48.1f));
    EXPECT_EQ(U32(b + 104), std::bit_cast<std::uint32_t>(16.5f));
    EXPECT_EQ(b[108], 2);
    EXPECT_EQ(b[109] | b[110] | b[111], 0);
    EXPECT_EQ(U32(b + 112), 12u);
    EXPECT_EQ(b[116], 1);
    EXPECT_EQ(b[117] | b[118] | b[119], 0);
}

TEST(GeoDBRecords, ItemRecordRoundTripsAndDistrustsBadBytes) {
    std::uint8_t b[GdbDataBytes];
    EncodeGdbData(SampleRecord(), b);
    const TgdbData back = DecodeGdbData(b);
    std::uint8_t again[GdbDataBytes];
    EncodeGdbData(back, again);
    EXPECT_EQ(std::memcmp(b, again, sizeof b), 0);
    EXPECT_EQ(back.Name.Str(), "Wien");

    b[4] = 250;   // length beyond the 59 positions
    b[108] = 77;  // no such kind
    b[116] = 5;
    const TgdbData bad = DecodeGdbData(b);
    EXPECT_EQ(bad.Name.Length(), 59u);
    EXPECT_EQ(bad.ItemKind, gitUndefined);
    EXPECT_TRUE(bad.Closed);
}

TEST(GeoDBRecords, HeaderAndMetaInfoLayout) {
    TgdbSystemData s;
    s.HighestID = 17;
    s.Description = "Alps";
    s.Revision = 3;
    s.Reserved[183] = 9;
    std::uint8_t h[SystemDataBytes];
    std::memset(h, 0xAA, sizeof h);
    EncodeSystemData(s, h);
    EXPECT_EQ(U32(h), 17u);
    EXPECT_EQ(U32(h + 4), 4u);
    EXPECT_EQ(h[8], 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(h + 9), 4), "Alps");
    EXPECT_EQ(h[13], 0);  // unused positions written as zero: files do not depend on memory contents
    EXPECT_EQ(U32(h + 72), 3u);
    EXPECT_EQ(h[259], 9);
    EXPECT_EQ(DecodeSystemData(h).Reserved, s.Reserved);

    TMetaInfo m;
    m.Keywords = "k";
    m.Caption = "c";
    m.FilePath = "f";
    m.Descriptor = "d";
    m.Comment = "x";
    std::uint8_t mb[MetaInfoBytes];
    EncodeMetaInfo(m, mb);
    EXPECT_EQ(mb[0], 1);
    EXPECT_EQ(mb[1], 'k');
    EXPECT_EQ(mb[257], 'c');
    EXPECT_EQ(mb[385], 'f');
    EXPECT_EQ(mb[513], 'd');
    EXPECT_EQ(mb[769], 'x');
    EXPECT_EQ(DecodeMetaInfo(mb).Comment.Str(), "x");
}

TEST(GeoDBRecords, ClearFunctionsAndLocation) {
    TgdbData r = SampleRecord();
    ClearGdbData(r);
    EXPECT_EQ(r.Name.Length(), 0u);
    EXPECT_EQ(r.Name.Chars[58], ' ');
    EXPECT_EQ(r.BlobOffset, -1);
    EXPECT_EQ(r.ItemKind, gitUndefined);
    EXPECT_EQ(r.ItemId, 0);
    EXPECT_FALSE(r.Closed);
    EXPECT_EQ(r.NumPoints(), 12);  // the variant field is left alone
    EXPECT_GT(r.Date, 40000.0);

    TMetaInfo m;
    m.Caption = "abc";
    ClearMetaInfo(m);
    EXPECT_EQ(m.Caption.Length(), 0u);
    EXPECT_EQ(m.Caption.Chars[0], 'a');

    TgdbData t;
    t.LatLow = 1.5f;
    t.LongLow = -2.5f;
    EXPECT_EQ(ExtractLocation(t).Latit, 1.5f);
    EXPECT_EQ(ExtractLocation(t).Longit, -2.5f);
    EXPECT_EQ(GdbItemName(static_cast<TgdbItem>(200)), "Undefined");
    EXPECT_EQ(GDB_ITEMNAMES[static_cast<int>(gitBLOB)], "BLOB");
}

namespace {

std::vector<float> Keys(const TCoordIndex& ix) {
    std::vector<float> k;
    for (int p = 0; p < ix.Size(); ++p) k.push_back(ix.At(p).LLValue);
    return k;
}

}  // namespace

TEST(GeoDBIndexes, InsertingKeepsOrderAndPutsEqualKeysInFront) {
    TCoordIndex ix;
    ix.Insert({2.0f, 0});
    EXPECT_EQ(ix.Size(), 1);
    ix.Insert({1.0f, 1});
    ix.Insert({3.0f, 2});
    ix.Insert({2.5f, 3});
    EXPECT_EQ(Keys(ix), (std::vector<float>{1.0f, 2.0f, 2.5f, 3.0f}));
    ix.Insert({2.0f, 4});  // lands directly in front of the equal key the search met
    EXPECT_EQ(ix.At(1), (TIxLLRec{2.0f, 4}));
    EXPECT_EQ(ix.At(2), (TIxLLRec{2.0f, 0}));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ix.Insert({nan, 5});  // counts as greater at every step
    EXPECT_TRUE(std::isnan(ix.At(ix.Size() - 1).LLValue));
}

TEST(GeoDBIndexes, RemovingRenumberingAndSearching) {
    TCoordIndex ix;
    for (int i = 0; i < 5; ++i) ix.Insert({static_cast<float>(i * 10), i});
    EXPECT_EQ(TCoordIndex().ClosestPosition(5.0), 1);
    EXPECT_EQ(ix.ClosestPosition(-1.0), 1);
    EXPECT_EQ(ix.ClosestPosition(15.0), 3);
    EXPECT_EQ(ix.ClosestPosition(20.0), 3);
    EXPECT_EQ(ix.ClosestPosition(99.0), 6);
    EXPECT_TRUE(ix.Remove(2));
    EXPECT_FALSE(ix.Remove(2));
    ix.Renumber(4, 2);
    EXPECT_EQ(ix.At(ix.Size() - 1), (TIxLLRec{40.0f, 2}));

    TItemIDIndex id;
    EXPECT_EQ(id.Find(1), 0);
    for (int i = 0; i < 6; ++i) id.Insert({(i + 1) * 2, i});  // ids 2,4,..,12
    EXPECT_EQ(id.Find(8), 4);
    EXPECT_EQ(id.Find(7), 0);
    EXPECT_EQ(id.Find(13), 0);
    EXPECT_EQ(id.ClosestPosition(7), 4);
    EXPECT_EQ(id.ClosestPosition(1), 1);
    EXPECT_EQ(id.ClosestPosition(100), 7);
}

TEST(GeoDBIndexes, SoundnessCheckCatchesStaleIndexes) {
    std::vector<TgdbData> recs(3);
    for (int i = 0; i < 3; ++i) {
        recs[static_cast<std::size_t>(i)].ItemId = i + 1;
        recs[static_cast<std::size_t>(i)].LatLow = static_cast<float>(3 - i);
    }
    // as a flat sorted array would hold them
    TIxItemIDRecArray id = {{1, 0}, {2, 1}, {3, 2}};
    TIxLLRecArray lat = {{1, 2}, {2, 1}, {3, 0}};
    EXPECT_TRUE(IsSoundIndex(id, recs, 3));
    EXPECT_TRUE(IsSoundIndex(lat, 1, recs, 3));
    EXPECT_FALSE(IsSoundIndex(id, recs, 4));  // an item the index lacks
    recs[1].LatLow = 9;                       // a replaced item the index has not seen
    EXPECT_FALSE(IsSoundIndex(lat, 1, recs, 3));
    id[0].index = id[1].index;  // one record twice
    EXPECT_FALSE(IsSoundIndex(id, recs, 3));
}
