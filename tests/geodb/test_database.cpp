// Opening, adding, replacing, deleting, lazy writing and searching.
#include "geodb_fixture.h"

#include "zylcarto/geodb/indexes.h"
#include "zylcarto/geodb/storage.h"

using namespace zylcarto;
using namespace zylcarto::test;

using GeoDB = GeoDBTest;

TEST_F(GeoDB, NamingADatabaseCreatesItsFiles) {
    TGeoDB db;
    db.SetName("Atlas");
    EXPECT_EQ(db.AddTown("x", 0, 0, {1, 2}, 0, 0, 0), -1);  // nothing open yet
    EXPECT_TRUE(std::filesystem::is_empty(Dir));
    db.SetDBName(Base() + ".zylgds");
    EXPECT_EQ(db.DBName(), Base());
    EXPECT_EQ(db.NumEntries(), 0);
    EXPECT_EQ(db.HighestID(), 0);
    EXPECT_EQ(db.DBVersion(), 4);
    const auto n = DBFileNames(Base());
    for (const auto& ix : n.IX) EXPECT_EQ(FileSize(ix), 0u);
    EXPECT_EQ(FileSize(n.GDS), 0u);
    const auto header = Bytes(n.GDD);
    ASSERT_EQ(header.size(), 260u);
    EXPECT_EQ(header[4], 4);
    EXPECT_EQ(std::count(header.begin(), header.end(), 0), 259);
    db.SetDBName("");
    EXPECT_EQ(db.DBName(), "");
    EXPECT_FALSE(db.IsOpen());
}

TEST_F(GeoDB, AnyExtensionNamesTheSameDatabase) {
    {
        TGeoDB db;
        db.SetDBName(Base());
        AddTownAt(db, "Linz", 48.3f, 14.3f);
    }
    for (const std::string ext : {"", ".zylgds", ".zylgdd", ".txt"}) {
        TGeoDB db;
        db.SetDBName(Base() + ext);
        EXPECT_EQ(db.NumEntries(), 1) << ext;
        EXPECT_EQ(db.Data(1).Name.Str(), "Linz") << ext;
    }
}

TEST_F(GeoDB, PartialTrailingEntriesAreIgnoredAndShortDataFileRaises) {
    const auto n = DBFileNames(Base());
    {
        TGeoDB db;
        db.SetDBName(Base());
        AddTownAt(db, "a", 1, 1);
        AddTownAt(db, "b", 2, 2);
    }
    Patch(n.GDS, [](auto& b) { b.resize(250, 0x55); });
    Patch(n.IX[1], [](auto& b) { b.push_back(0x55); });
    {
        TGeoDB db;
        db.SetDBName(Base());
        EXPECT_EQ(db.NumEntries(), 2);
        EXPECT_TRUE(IndexesCoverEntries(db));
        EXPECT_EQ(db.IxLatLow(2).LLValue, 2.0f);
        // the next add overwrites the partial record instead of misaligning the file
        EXPECT_EQ(AddTownAt(db, "c", 3, 3), 3);
        EXPECT_EQ(FileSize(n.GDS), 360u);
    }
    Patch(n.GDD, [](auto& b) { b.resize(259); });
    TGeoDB db;
    EXPECT_THROW(db.SetDBName(Base()), EInOutError);
    // a database half read must not take adds: they would reuse identifiers
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(db.AddTown("d", 0, 0, {0, 0}, 0, 0, 0), -1);
}

TEST_F(GeoDB, ExistingDataFileIsNotRewrittenWhenTheItemFileIsMissing) {
    const auto n = DBFileNames(Base());
    {
        TGeoDB db;
        db.SetDBName(Base());
        AddTownAt(db, "a", 1, 1);
        AddTownAt(db, "b", 2, 2);
        db.SetDescription("kept");
    }
    const auto before = Bytes(n.GDD);
    std::filesystem::remove(n.GDS);
    // the items are lost, not a new database: opening says so and creates nothing
    TGeoDB db;
    EXPECT_THROW(db.SetDBName(Base()), EZYLGeoDBError);
    EXPECT_FALSE(db.IsOpen());
    EXPECT_EQ(Bytes(n.GDD), before);
    EXPECT_FALSE(std::filesystem::exists(n.GDS));
}

TEST_F(GeoDB, AddingStoresRecordsBoxesAndBlocks) {
    TGeoDB db;
    db.SetDBName(Base());
    const auto n = DBFileNames(Base());
    EXPECT_EQ(AddTownAt(db, "Graz", 47.07f, 15.44f, 3), 1);
    EXPECT_EQ(ReadSystemInformation(Base()).HighestID, 1);
    const TgdbData town = db.Data(1);
    EXPECT_EQ(town.ItemId, 1);
    EXPECT_EQ(town.ItemKind, gitTown);
    EXPECT_EQ(town.BlobOffset, -1);
    EXPECT_EQ(town.LatLow, town.LatHigh);
    EXPECT_EQ(town.LongLow, 15.44f);
    EXPECT_EQ(town.ClassFlag, 3);
    EXPECT_EQ(town.Tag, 9);
    EXPECT_EQ(town.StateFlag, 7);
    EXPECT_EQ(FileSize(n.GDD), 260u);

    // a name that does not fit is refused rather than cut
    EXPECT_THROW(AddSquareBorder(db, std::string(60, 'N'), 10, 20, 2), EZYLGeoDBError);
    EXPECT_EQ(AddSquareBorder(db, std::string(59, 'N'), 10, 20, 2), 2);
    const TgdbData border = db.Data(2);
    EXPECT_EQ(border.Name.Length(), 59u);
    EXPECT_EQ(Bytes(n.GDS)[120 + 4 + 59], 'N');
    EXPECT_EQ(border.LatLow, 10);
    EXPECT_EQ(border.LatHigh, 12);
    EXPECT_EQ(border.LongLow, 20);
    EXPECT_EQ(border.LongHigh, 22);
    EXPECT_EQ(border.BlobOffset, 260);
    EXPECT_EQ(border.NumPoints(), 4);
    EXPECT_TRUE(border.Closed);

    EXPECT_EQ(db.AddRiver("empty", {}, 0, 0, 1, 1, 1, 1, 0, 0, 0), 3);
    const TgdbData river = db.Data(3);
    EXPECT_EQ(river.LatLow, 90);
    EXPECT_EQ(river.LatHigh, -90);
    EXPECT_EQ(river.LongLow, 180);
    EXPECT_EQ(river.LongHigh, -180);
    EXPECT_EQ(river.BlobOffset, 260 + 32);
    EXPECT_FALSE(river.Closed);
    EXPECT_TRUE(db.Data(db.AddLake("l", Square(0, 0, 1), 0, 0, 0, 0, 0, 0, 0, 0, 0)).Closed);
    EXPECT_EQ(db.Data(0).ItemId, 1);   // clamped
    EXPECT_EQ(db.Data(99).ItemId, 4);  // clamped
    EXPECT_TRUE(IndexesCoverEntries(db));
}

TEST_F(GeoDB, ReplacingKeepsTheIdentifierAndAppendsABlock) {
    TGeoDB db;
    db.SetDBName(Base());
    for (int i = 0; i < 4; ++i) AddSquareBorder(db, "b" + std::to_string(i), static_cast<float>(i), 0, 1);
    const auto n = DBFileNames(Base());
    const auto sizeBefore = FileSize(n.GDD);
    db.ReplaceRoad(3, "road", Square(50, 50, 5), 1, 2, 0, 0, 0, 0, 0, 0, 0);
    const TgdbData r = db.Data(3);
    EXPECT_EQ(r.ItemId, 3);
    EXPECT_EQ(r.ItemKind, gitRoad);
    EXPECT_EQ(r.BlobOffset, static_cast<std::int32_t>(sizeBefore));
    EXPECT_EQ(FileSize(n.GDD), sizeBefore + 32);
    EXPECT_EQ(db.HighestID(), 4);
    EXPECT_EQ(db.IxLatLow(4).index, 3);  // 50 is now the highest LatLow
    EXPECT_TRUE(IndexesCoverEntries(db));
    db.ReplaceTown(0, "none", 0, 0, {0, 0}, 0, 0, 0);
    db.ReplaceTown(5, "none", 0, 0, {0, 0}, 0, 0, 0);
    EXPECT_EQ(db.Data(1).ItemKind, gitBorder);
}

// Another component (as another process) deletes in between: the identifier is
// looked up after its change is read, so the right item goes, and once only.
TEST_F(GeoDB, DeletingByIdentifierFollowsAnotherProcesssChanges) {
    TGeoDB a, b;
    a.SetDBName(Base());
    for (int i = 1; i <= 3; ++i) AddTownAt(a, "t" + std::to_string(i), 1, 1);
    b.SetDBName(Base());
    ASSERT_TRUE(b.DeleteItem(1));  // t3 moves to entry 1
    EXPECT_EQ(a.Data(1).ItemId, 1);  // a has not read the change yet
    EXPECT_TRUE(a.DeleteItem(3));
    EXPECT_FALSE(a.DeleteItem(1));
    EXPECT_EQ(a.NumEntries(), 1);
    EXPECT_EQ(a.Data(1).Name.Str(), "t2");
    EXPECT_FALSE(TGeoDB().DeleteItem(2));  // no database open
}

TEST_F(GeoDB, DeletingMovesTheLastEntryIntoTheGap) {
    TGeoDB db;
    db.SetDBName(Base());
    const auto n = DBFileNames(Base());
    for (int i = 1; i <= 5; ++i) AddTownAt(db, "t" + std::to_string(i), static_cast<float>(i), static_cast<float>(-i));
    const auto dataSize = FileSize(n.GDD);
    db.DeleteData(2);
    EXPECT_EQ(db.NumEntries(), 4);
    EXPECT_EQ(FileSize(n.GDS), 480u);
    EXPECT_EQ(db.Data(2).Name.Str(), "t5");
    EXPECT_EQ(db.SearchForItemID(5), 2);
    EXPECT_EQ(db.SearchForItemID(2), 0);
    for (int id : {1, 3, 4}) EXPECT_EQ(db.SearchForItemID(id), id);
    EXPECT_TRUE(IndexesCoverEntries(db));
    db.DeleteData(4);  // the last one: the file just gets shorter
    EXPECT_EQ(db.NumEntries(), 3);
    EXPECT_EQ(FileSize(n.GDS), 360u);
    db.DeleteData(0);
    db.DeleteData(4);
    EXPECT_EQ(db.NumEntries(), 3);
    for (int i = 0; i < 3; ++i) db.DeleteData(1);
    EXPECT_EQ(db.NumEntries(), 0);
    EXPECT_EQ(FileSize(n.GDD), dataSize);
    EXPECT_EQ(AddTownAt(db, "fresh", 0, 0), 1);
    EXPECT_EQ(db.Data(1).ItemId, 6);

    // the files say the same after reopening
    db.SetDBName(Base());
    EXPECT_EQ(db.NumEntries(), 1);
    EXPECT_EQ(db.SearchForItemID(6), 1);
}

TEST_F(GeoDB, LazyWritingDefersTheIndexFiles) {
    const auto n = DBFileNames(Base());
    TGeoDB db;
    db.SetDBName(Base());
    db.SetLazyWrite(true);
    AddTownAt(db, "a", 1, 1);
    AddTownAt(db, "b", 0, 0);
    for (const auto& ix : n.IX) EXPECT_EQ(FileSize(ix), 0u);
    EXPECT_EQ(FileSize(n.GDS), 240u);  // items are still written at once
    db.SetLazyWrite(false);
    for (const auto& ix : n.IX) EXPECT_EQ(FileSize(ix), 16u);

    db.SetLazyWrite(true);
    AddTownAt(db, "c", 2, 2);
    db.SetDBName("");
    EXPECT_FALSE(db.LazyWrite());
    for (const auto& ix : n.IX) EXPECT_EQ(FileSize(ix), 24u);

    // opening another database first brings the open one's indexes up to date
    db.SetDBName(Base());
    db.SetLazyWrite(true);
    AddTownAt(db, "d", 3, 3);
    db.SetDBName(Base("other"));
    for (const auto& ix : n.IX) EXPECT_EQ(FileSize(ix), 32u);
    EXPECT_FALSE(db.LazyWrite());

    {
        TGeoDB scoped;
        scoped.SetDBName(Base());
        scoped.SetLazyWrite(true);
        AddTownAt(scoped, "e", 4, 4);
    }
    for (const auto& ix : n.IX) EXPECT_EQ(FileSize(ix), 40u);
}

// Lazy adds leave the header's highest identifier to the records; whoever deletes
// first puts it on disk, so the identifier of the last item deleted is never reused.
TEST_F(GeoDB, LazyAddsDeferTheHeaderYetNoIdentifierIsHandedOutTwice) {
    const auto n = DBFileNames(Base());
    const auto onDisk = [&] {
        TBinaryFile f(n.GDD, TBinaryFile::TMode::ReadOnly);
        return ReadSystemData(f).HighestID;
    };
    const auto lastId = [](TGeoDB& db) { return db.Data(db.NumEntries()).ItemId; };
    TGeoDB a;
    a.SetDBName(Base());
    AddTownAt(a, "one", 1, 1);
    a.SetLazyWrite(true);
    AddTownAt(a, "two", 2, 2);
    AddTownAt(a, "three", 3, 3);
    EXPECT_EQ(onDisk(), 1);
    {
        TGeoDB b;
        b.SetDBName(Base());
        EXPECT_EQ(b.HighestID(), 3);
        b.DeleteData(3);
        EXPECT_EQ(onDisk(), 3);
        AddTownAt(b, "four", 4, 4);
        EXPECT_EQ(lastId(b), 4);
    }
    AddTownAt(a, "five", 5, 5);  // after another component's delete and add
    EXPECT_EQ(lastId(a), 5);
    a.DeleteData(a.NumEntries());
    EXPECT_EQ(onDisk(), 5);
    AddTownAt(a, "six", 6, 6);
    a.SetDBName("");
    EXPECT_EQ(onDisk(), 6);
    a.SetDBName(Base());
    EXPECT_EQ(a.NumEntries(), 4);
    EXPECT_EQ(lastId(a), 6);
    EXPECT_TRUE(IndexesCoverEntries(a));
}

TEST_F(GeoDB, AWriterFollowsFilesReplacedOrRemovedBetweenItsOperations) {
    const auto n = DBFileNames(Base());
    TGeoDB a;
    a.SetDBName(Base());
    AddTownAt(a, "one", 1, 1);
    AddSquareBorder(a, "gone", 5, 5, 1);
    {
        TGeoDB b;  // its collection puts new item and data files in place
        b.SetDBName(Base());
        b.DeleteData(2);
        b.GarbageCollection();
    }
    EXPECT_EQ(AddTownAt(a, "two", 2, 2), 2);
    AddSquareBorder(a, "three", 3, 3, 1);
    a.SetDBName("");
    {
        TGeoDB c;
        c.SetDBName(Base());
        ASSERT_EQ(c.NumEntries(), 3);
        EXPECT_EQ(c.Data(2).Name.Str(), "two");
        EXPECT_EQ(c.Data(3).ItemId, 4);
        TgdbPolygon back;
        ASSERT_TRUE(c.RetrievePolygon(3, back));
        ASSERT_EQ(back.size(), 4u);
        EXPECT_EQ(back[2].Latit, 4);
        EXPECT_EQ(back[2].Longit, 4);
        EXPECT_TRUE(IndexesCoverEntries(c));
    }
    // an add to a database whose item file was removed fails instead of vanishing
    a.SetDBName(Base());
    AddTownAt(a, "four", 4, 4);
    // a lock file cut short or removed by another program is written again by its
    // name, and another component still sees the changes counted there
    TGeoDB d;
    d.SetDBName(Base());
    std::filesystem::resize_file(n.Lock, 0);
    AddTownAt(a, "lock cut", 6, 6);
    std::filesystem::remove(n.Lock);
    AddTownAt(a, "lock gone", 7, 7);
    a.SetRevision(7);  // an add counts no change there; this does
    EXPECT_EQ(FileSize(n.Lock), 1u);
    TgdbPolygon none;
    d.RetrievePolygon(1, none);  // takes the lock, so reads a's changes
    EXPECT_EQ(d.NumEntries(), 6);
    std::filesystem::remove(n.GDS);
    EXPECT_THROW(AddTownAt(a, "five", 5, 5), EZYLGeoDBError);
}

TEST_F(GeoDB, IndexFilesThatLagBehindAreRebuiltOnOpening) {
    const auto n = DBFileNames(Base());
    std::vector<std::uint8_t> ix1;
    {
        TGeoDB db;
        db.SetDBName(Base());
        for (int i = 0; i < 6; ++i) AddTownAt(db, "t", static_cast<float>(i % 3), static_cast<float>(i));
        ix1 = Bytes(n.IX[1]);
        db.SetLazyWrite(true);
        AddTownAt(db, "late", -5, -5);
        db.ReplaceTown(2, "moved", 0, 0, {70, 70}, 0, 0, 0);
        // a crash here leaves the index files one add and one replace behind
        WriteBytes(n.IX[2], {});
        TGeoDB reader;
        reader.SetDBName(Base());
        EXPECT_EQ(reader.NumEntries(), 7);
        EXPECT_TRUE(IndexesCoverEntries(reader));
        EXPECT_EQ(reader.IxLatLow(1).index, 7);
        EXPECT_EQ(reader.IxLatHigh(7).index, 2);
        EXPECT_EQ(reader.SearchForItemID(7), 7);
        EXPECT_EQ(FileSize(n.IX[2]), 0u);  // repaired in memory: opening writes nothing
    }
    // a sound index keeps its bytes
    TGeoDB db;
    db.SetDBName(Base());
    const auto again = Bytes(n.IX[1]);
    db.SetDBName(Base());
    EXPECT_EQ(Bytes(n.IX[1]), again);
    EXPECT_NE(ix1, again);
    // a stale index reaches its file, whole, with the next write of the indexes,
    // which adds leave to the closing
    WriteBytes(n.IX[2], {});
    db.SetDBName(Base());
    EXPECT_EQ(FileSize(n.IX[2]), 0u);
    AddTownAt(db, "next", 1, 1);
    db.SetDBName("");
    EXPECT_EQ(FileSize(n.IX[2]), 64u);
}

TEST_F(GeoDB, DescriptionRevisionAndHeaderRepairs) {
    TGeoDB db;
    db.SetDescription("ignored");
    db.SetRevision(5);
    EXPECT_EQ(db.Description(), "");
    EXPECT_EQ(db.Revision(), 0);
    db.SetDBName(Base());
    db.SetDescription(std::string(80, 'd'));
    EXPECT_EQ(db.Description(), std::string(60, 'd'));
    db.SetRevision(12);
    const TgdbSystemData sys = ReadSystemInformation(Base() + ".zylgds");
    EXPECT_EQ(sys.Description.Str(), std::string(60, 'd'));
    EXPECT_EQ(sys.Revision, 12);
    EXPECT_THROW(ReadSystemInformation(Base("absent")), EInOutError);

    // a header that lags behind the items must not lead to identifiers issued twice
    AddTownAt(db, "a", 0, 0);
    AddTownAt(db, "b", 0, 0);
    db.SetDBName("");
    Patch(Base() + ".zylgdd", [](auto& b) { b[0] = 0; });
    db.SetDBName(Base());
    EXPECT_EQ(db.Data(db.AddTown("c", 0, 0, {0, 0}, 0, 0, 0)).ItemId, 3);

    // identifiers run out rather than wrap around
    db.SetDBName("");
    Patch(Base() + ".zylgdd", [](auto& b) { PutU32(b, 0, 0x7FFFFFFF); });
    db.SetDBName(Base());
    EXPECT_THROW(db.AddTown("d", 0, 0, {0, 0}, 0, 0, 0), EZYLGeoDBError);
    EXPECT_EQ(db.NumEntries(), 3);
}

TEST_F(GeoDB, EmptyDatabaseReadsClearedRecordsAndSearchesGiveTheirEmptyResults) {
    TGeoDB db;
    db.SetDBName(Base());
    EXPECT_EQ(db.Data(1).ItemKind, gitUndefined);
    EXPECT_EQ(db.Data(1).BlobOffset, -1);
    EXPECT_EQ(db.IxLatLow(1).index, 0);
    EXPECT_EQ(db.IxItemID(1).index, 0);
    EXPECT_EQ(db.GetClosestLatLowIx(10), 1);
    EXPECT_EQ(db.GetClosestItemIDIx(1), 1);
    EXPECT_EQ(db.SearchForItemID(1), 0);
    EXPECT_EQ(db.SearchData("x"), 0);
}

TEST_F(GeoDB, ClosestPositionsAndIndexProperties) {
    TGeoDB db;
    db.SetDBName(Base());
    for (float lat : {30.f, 10.f, 20.f}) AddTownAt(db, "t", lat, -lat);
    EXPECT_EQ(db.GetClosestLatLowIx(5), 1);
    EXPECT_EQ(db.GetClosestLatLowIx(15), 2);
    EXPECT_EQ(db.GetClosestLatHighIx(35), 4);
    EXPECT_EQ(db.GetClosestLongLowIx(-25), 2);
    EXPECT_EQ(db.IxLatLow(0).index, 2);  // the entry of 10
    EXPECT_EQ(db.IxLatLow(9).index, 1);  // the entry of 30
    EXPECT_EQ(db.IxLongHigh(1).LLValue, -30.f);
    EXPECT_EQ(db.IxItemID(3).ItemID, 3);
}

TEST_F(GeoDB, SearchDataMatchesNameKindAndClass) {
    TGeoDB db;
    db.SetDBName(Base());
    AddTownAt(db, "München", 48, 11, 1);
    AddSquareBorder(db, "MÜNCHEN", 48, 11, 1);
    AddTownAt(db, "münchen  ", 48, 11, 2);
    AddTownAt(db, "Munich", 48, 11, 1);
    EXPECT_EQ(db.SearchData("MüNCHEN"), 1);
    EXPECT_EQ(db.SearchData("münchen", gitBorder, 1, 255), 2);
    EXPECT_EQ(db.SearchData("münchen", gitTown, 2, 255), 3);
    EXPECT_EQ(db.SearchData("münchen", gitUndefined, 1, 2), 3);
    EXPECT_EQ(db.SearchData("münchen", gitTown, 4, 255), 0);
    EXPECT_EQ(db.SearchData("Munic"), 0);
}

TEST_F(GeoDB, UpdateBasicDataKeepsWhatBelongsToTheBlock) {
    TGeoDB db;
    db.SetDBName(Base());
    AddSquareBorder(db, "b", 0, 0, 1);
    AddTownAt(db, "t", 5, 5);
    TgdbData changed = db.Data(1);
    changed.Name = "renamed";
    changed.ItemId = 99;
    changed.BlobOffset = 7;
    changed.ItemKind = gitTown;
    changed.SetNumPoints(1000);
    changed.LatLow = 60;
    changed.Tag = 42;
    db.UpdateBasicData(1, changed);
    db.UpdateBasicData(3, changed);
    db.SetDBName(Base());
    const TgdbData r = db.Data(1);
    EXPECT_EQ(r.Name.Str(), "renamed");
    EXPECT_EQ(Bytes(Base() + ".zylgds")[4 + 1 + 7], ' ');
    EXPECT_EQ(r.ItemId, 1);
    EXPECT_EQ(r.BlobOffset, 260);
    EXPECT_EQ(r.ItemKind, gitBorder);
    EXPECT_EQ(r.NumPoints(), 4);
    EXPECT_EQ(r.Tag, 42);
    EXPECT_EQ(db.IxLatLow(2).index, 1);  // 60 sorts above 5
    TgdbPolygon p;
    EXPECT_TRUE(db.RetrievePolygon(1, p));
    EXPECT_EQ(p.size(), 4u);
}

TEST_F(GeoDB, RecalcIndexesRebuildsFromTheItems) {
    TGeoDB db;
    db.SetDBName(Base());
    for (int i = 0; i < 8; ++i) AddTownAt(db, "t", static_cast<float>((i * 5) % 7), static_cast<float>(i));
    db.SetDBName("");  // writes the indexes the adds left to it
    db.SetDBName(Base());
    const auto before = Bytes(Base() + ".zylgi1");
    WriteBytes(Base() + ".zylgi1", {});
    db.RecalcIndexes();
    EXPECT_EQ(Bytes(Base() + ".zylgi1"), before);  // same insertion order, same bytes
    EXPECT_TRUE(IndexesCoverEntries(db));
}
