// Reading polygons and objects back, untrusted blocks, garbage collection, text helpers.
#include "geodb_fixture.h"

#include <cmath>
#include <cstring>

#include "zylcarto/support/numeric.h"

using namespace zylcarto;
using namespace zylcarto::test;

using GeoDBRetrieve = GeoDBTest;

namespace {

TMetaInfo Meta(const std::string& caption) {
    TMetaInfo m;
    m.Caption = caption;
    m.Keywords = "kw";
    return m;
}

int AddBytes(TGeoDB& db, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    return db.AddBLOB(name, 40001, 0, 1, 2, 3, 4, 0, 0, 0, Meta(name), bytes.data(), static_cast<int>(bytes.size()));
}

struct Recorder {
    std::vector<int> reports;
    TOnPercentDoneEvent Handler() {
        return [this](TObject*, int p) { reports.push_back(p); };
    }
};

}  // namespace

TEST_F(GeoDBRetrieve, PolygonsReadBackAndOtherKindsDoNot) {
    TGeoDB db;
    TgdbPolygon p{{9, 9}};
    EXPECT_FALSE(db.RetrievePolygon(1, p));
    db.SetDBName(Base());
    AddSquareBorder(db, "b", 1, 2, 3);
    AddTownAt(db, "t", 0, 0);
    db.AddBorder("none", {}, false, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_TRUE(db.RetrievePolygon(0, p));  // entry 0 reads entry 1
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[2].Latit, 4);
    EXPECT_EQ(p[2].Longit, 5);
    EXPECT_FALSE(db.RetrievePolygon(2, p));
    EXPECT_FALSE(db.RetrievePolygon(4, p));
    EXPECT_EQ(p.size(), 4u);
    EXPECT_TRUE(db.RetrievePolygon(3, p));
    EXPECT_TRUE(p.empty());
}

TEST_F(GeoDBRetrieve, PolygonProgressEveryHundredth) {
    TGeoDB db;
    db.SetDBName(Base());
    TgdbPolygon big(250);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = {static_cast<float>(i) / 10, 1};
    Recorder add;
    db.SetOnPercentDone(add.Handler());
    db.AddRoute("r", big, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    ASSERT_EQ(add.reports.size(), 252u);  // 0, one per vertex, 100
    EXPECT_EQ(add.reports[1], 0);         // vertex 0
    EXPECT_EQ(add.reports[251], 100);
    EXPECT_EQ(db.Data(1).LatHigh, 24.9f);

    Recorder get;
    db.SetOnPercentDone(get.Handler());
    TgdbPolygon back;
    ASSERT_TRUE(db.RetrievePolygon(1, back));
    EXPECT_EQ(back.size(), 250u);
    EXPECT_EQ(back[249].Latit, 24.9f);
    // every 3rd vertex (250 div 100 + 1): 3 -> 1.2 -> 1, 6 -> 2.4 -> 2, ...
    EXPECT_EQ(get.reports.front(), 0);
    EXPECT_EQ(get.reports[1], 1);
    EXPECT_EQ(get.reports.size(), 1u + 83u + 1u);
    db.SetOnPercDoneEnabled(false);
    get.reports.clear();
    db.RetrievePolygon(1, back);
    EXPECT_TRUE(get.reports.empty());
}

TEST_F(GeoDBRetrieve, ObjectOf40000BytesCopiesInChunksWithTheirReports) {
    TGeoDB db;
    db.SetDBName(Base());
    const auto bytes = Pattern(40000);
    Recorder add;
    db.SetOnPercentDone(add.Handler());
    AddBytes(db, "Photo.jpg", bytes);
    EXPECT_EQ(add.reports, (std::vector<int>{0, 41, 82, 100}));
    EXPECT_EQ(db.Data(1).Size(), 40000);
    EXPECT_EQ(FileSize(Base() + ".zylgdd"), 260u + 1024u + 40000u);

    Recorder file;
    db.SetOnPercentDone(file.Handler());
    TMetaInfo m;
    const std::string dir = (Dir / "out").string();
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(db.RetrieveBLOB(1, dir + "\\", m));
    EXPECT_EQ(file.reports, (std::vector<int>{0, 41, 82, 100, 100}));
    EXPECT_EQ(m.Caption.Str(), "Photo.jpg");
    EXPECT_EQ(Bytes(dir + "/Photojpg"), bytes);
    ASSERT_TRUE(db.RetrieveBLOB(1, (Dir / "named.bin").string(), m));
    EXPECT_EQ(Bytes((Dir / "named.bin").string()), bytes);

    Recorder stream;
    db.SetOnPercentDone(stream.Handler());
    TMemoryStream s;
    s.WriteString(std::string(50000, 'x'));
    ASSERT_TRUE(db.RetrieveBLOB(1, m, s));
    EXPECT_EQ(stream.reports, (std::vector<int>{0, 41, 82, 100, 0}));
    ASSERT_EQ(s.Size(), 40000);
    EXPECT_EQ(std::memcmp(s.Memory(), bytes.data(), bytes.size()), 0);
}

TEST_F(GeoDBRetrieve, ObjectsFromStreamsAndFilesNamedAfterTheItem) {
    TGeoDB db;
    db.SetName("G");
    db.SetDBName(Base());
    TMemoryStream in;
    in.WriteString("stream bytes");
    const int e = db.AddBLOB("Notes 1.txt", 0, 0, 0, 0, 0, 0, 0, 0, 0, Meta("s"), in);
    const int dots = db.AddBLOB("...", 0, 0, 0, 0, 0, 0, 0, 0, 0, Meta("s"), in);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(Dir);
    TMetaInfo m;
    const bool written = db.RetrieveBLOB(e, "", m);
    bool invalid = false;
    try {
        db.RetrieveBLOB(dots, "", m);
    } catch (const EZYLGeoDBError& err) {
        invalid = std::string(err.what()) == "Component \"G\": RetrieveBLOB: invalid filename.";
    }
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(written);
    EXPECT_TRUE(invalid);
    const auto bytes = Bytes((Dir / "Notes1txt").string());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "stream bytes");
}

TEST_F(GeoDBRetrieve, BufferMustHoldTheObject) {
    TGeoDB db;
    db.SetName("DB1");
    db.SetDBName(Base());
    AddBytes(db, "a", Pattern(101));
    AddBytes(db, "b", Pattern(100, 2));
    std::vector<std::uint8_t> buf(100, 0xEE);
    TMetaInfo m;
    try {
        db.RetrieveBLOB(1, m, buf.data(), 100);
        FAIL() << "no error";
    } catch (const EZYLGeoDBError& e) {
        EXPECT_STREQ(e.what(), "Component \"DB1\": RetrieveBLOB: BLOB to be retrieved is larger than SizeOfBlobData.");
    }
    EXPECT_EQ(m.Caption.Str(), "a");
    EXPECT_EQ(buf, std::vector<std::uint8_t>(100, 0xEE));
    EXPECT_TRUE(db.RetrieveBLOB(2, m, buf.data(), 100));
    EXPECT_EQ(buf, Pattern(100, 2));
    EXPECT_THROW(db.RetrieveBLOB(1, m, nullptr, 1000), EZYLGeoDBError);
    EXPECT_FALSE(db.RetrieveBLOB(3, m, buf.data(), 100));
}

TEST_F(GeoDBRetrieve, ObjectsFromFilesAndTheirStoredPaths) {
    const std::string src = (Dir / "source.dat").string();
    WriteBytes(src, Pattern(20000, 3));
    TGeoDB db;
    db.SetDBName(Base());
    Recorder add;
    db.SetOnPercentDone(add.Handler());
    const int e = db.AddBLOB(src, 0, 0, 0, 0, 0, 0, 0, 0, 0, Meta("m"));
    EXPECT_EQ(add.reports, (std::vector<int>{0, 82, 100, 100}));
    const TgdbData r = db.Data(e);
    EXPECT_EQ(r.Name.Str(), "source.dat");
    EXPECT_EQ(r.Size(), 20000);
    EXPECT_GT(r.Date, 40000);  // the file's modification time
    TMetaInfo m;
    ASSERT_TRUE(db.GetMetaInfo(e, m));
    EXPECT_EQ(m.FilePath.Str(), src);
    EXPECT_EQ(m.Caption.Str(), "m");

    const int named = db.AddBLOB(src, "/elsewhere/Shown.txt", "C:\\orig\\x.dat", 0, 0, 0, 0, 0, 0, 0, 0, 0, Meta("m"));
    EXPECT_EQ(db.Data(named).Name.Str(), "Shown.txt");
    ASSERT_TRUE(db.GetMetaInfo(named, m));
    EXPECT_EQ(m.FilePath.Str(), "C:\\orig\\x.dat");

    // a path longer than the 127 stored characters still reads the file it names
    const std::filesystem::path deep = Dir / std::string(100, 'd') / std::string(59, 'f');
    std::filesystem::create_directories(deep.parent_path());
    WriteBytes(deep.string(), Pattern(10));
    const int longOne = db.AddBLOB(deep.string(), 0, 0, 0, 0, 0, 0, 0, 0, 0, Meta("m"));
    ASSERT_TRUE(db.GetMetaInfo(longOne, m));
    EXPECT_EQ(m.FilePath.Str(), deep.string().substr(0, 127));
    EXPECT_EQ(db.Data(longOne).Size(), 10);

    const int before = db.NumEntries();
    const auto dataSize = FileSize(Base() + ".zylgdd");
    EXPECT_THROW(db.AddBLOB((Dir / "missing").string(), 0, 0, 0, 0, 0, 0, 0, 0, 0, Meta("m")), EInOutError);
    EXPECT_EQ(db.NumEntries(), before);
    EXPECT_EQ(FileSize(Base() + ".zylgdd"), dataSize);

    TMetaInfo changed = m;
    changed.Comment = "new comment";
    EXPECT_TRUE(db.UpdateMetaInfo(e, changed));
    EXPECT_FALSE(db.UpdateMetaInfo(before + 1, changed));
    ASSERT_TRUE(db.GetMetaInfo(e, m));
    EXPECT_EQ(m.Comment.Str(), "new comment");
    std::vector<std::uint8_t> buf(20000);
    EXPECT_TRUE(db.RetrieveBLOB(e, m, buf.data(), 20000));
    EXPECT_EQ(buf, Pattern(20000, 3));
}

TEST_F(GeoDBRetrieve, BlocksThatDoNotFitAreNeverTrusted) {
    // opening refuses such records (GeoDBDamage); a data file cut while the database is open
    // leaves blocks that no longer fit, and every retrieval must notice
    const auto n = DBFileNames(Base());
    TGeoDB db;
    db.SetDBName(Base());
    AddSquareBorder(db, "b", 0, 0, 1);
    AddBytes(db, "o", Pattern(50));
    AddTownAt(db, "t", 0, 0);
    EXPECT_FALSE(db.UpdateMetaInfo(3, TMetaInfo()));
    const auto items = Bytes(n.GDS);
    auto data = Bytes(n.GDD);
    data.resize(260 + 16);  // half the border's vertices, none of the object
    WriteBytes(n.GDD, data);
    TgdbPolygon p{{1, 1}};
    EXPECT_FALSE(db.RetrievePolygon(1, p));
    EXPECT_EQ(p.size(), 1u);
    TMetaInfo m;
    m.Caption = "mine";
    std::vector<std::uint8_t> buf(10, 7);
    EXPECT_FALSE(db.RetrieveBLOB(2, m, buf.data(), 10));
    EXPECT_FALSE(db.GetMetaInfo(2, m));
    EXPECT_FALSE(db.UpdateMetaInfo(2, TMetaInfo()));
    EXPECT_EQ(m.Caption.Str(), "mine");
    EXPECT_EQ(buf, std::vector<std::uint8_t>(10, 7));
    EXPECT_THROW(db.GarbageCollection(), EZYLGeoDBError);
    EXPECT_EQ(Bytes(n.GDS), items);
    EXPECT_EQ(Bytes(n.GDD), data);
}

TEST_F(GeoDBRetrieve, GarbageCollectionDropsUnreferencedBlocks) {
    TGeoDB db;
    db.SetDBName(Base());
    db.SetDescription("keep me");
    AddSquareBorder(db, "b1", 0, 0, 1);
    AddBytes(db, "o", Pattern(3000));
    AddSquareBorder(db, "b2", 5, 5, 1);
    AddTownAt(db, "t", 1, 1);
    db.ReplaceBorder(1, "b1 again", Square(2, 2, 2), true, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    db.ReplaceBLOB(2, "o2", 0, 0, 0, 0, 0, 0, 0, 0, 0, Meta("o2"), Pattern(500, 5).data(), 500);
    db.DeleteData(3);
    const auto n = DBFileNames(Base());
    const auto idsBefore = Bytes(n.IX[0]);
    db.GarbageCollection();
    EXPECT_EQ(FileSize(n.GDD), 260u + 32u + 1024u + 500u);
    EXPECT_EQ(db.Data(1).BlobOffset, 260);
    EXPECT_EQ(db.Data(2).BlobOffset, 292);
    EXPECT_EQ(db.Data(3).BlobOffset, -1);
    EXPECT_EQ(Bytes(n.IX[0]), idsBefore);
    EXPECT_FALSE(std::filesystem::exists(n.GDD + "~old"));
    EXPECT_FALSE(std::filesystem::exists(n.GDD + "~new"));

    TGeoDB reader;
    reader.SetDBName(Base());
    EXPECT_EQ(reader.Description(), "keep me");
    EXPECT_EQ(reader.HighestID(), 4);
    TgdbPolygon p;
    ASSERT_TRUE(reader.RetrievePolygon(1, p));
    EXPECT_EQ(p[0].Latit, 2);
    TMemoryStream s;
    TMetaInfo m;
    ASSERT_TRUE(reader.RetrieveBLOB(2, m, s));
    EXPECT_EQ(m.Caption.Str(), "o2");
    EXPECT_EQ(std::vector<std::uint8_t>(s.Memory(), s.Memory() + s.Size()), Pattern(500, 5));
}

TEST_F(GeoDBRetrieve, LatitudeAndLongitudeText) {
    EXPECT_EQ(GeoLatitude(48.5, dfDecimal, 2), DegreeToStr(48.5, dfDecimal, 2) + " N");
    EXPECT_EQ(GeoLatitude(-33.9, dfDegMin, 1), DegreeToStr(33.9, dfDegMin, 1) + " S");
    EXPECT_EQ(GeoLatitude(100, dfDecimal, 0), DegreeToStr(90, dfDecimal, 0) + " N");
    EXPECT_EQ(GeoLatitude(-0.5, dfDecimal, 1), DegreeToStr(0.5, dfDecimal, 1) + " S");
    EXPECT_EQ(GeoLatitude(std::nan(""), dfDecimal, 1), DegreeToStr(90, dfDecimal, 1) + " S");
    EXPECT_EQ(GeoLongitude(-200, dfDecimal, 1), DegreeToStr(180, dfDecimal, 1) + " W");
    EXPECT_EQ(GeoLongitude(0, dfDecimal, 1), DegreeToStr(0, dfDecimal, 1) + " E");
}

TEST_F(GeoDBRetrieve, DebugExportListsHeaderItemsAndIndexes) {
    TGeoDB db;
    db.SetDBName(Base());
    AddTownAt(db, "Salzburg", 47.8f, 13.04f);
    AddSquareBorder(db, "Land", 47, 13, 1);
    const std::string out = (Dir / "dump.txt").string();
    db.ExportDataDebug(out);
    const auto bytes = Bytes(out);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("HighestID\t2\r\n"), std::string::npos);
    EXPECT_NE(text.find("1\t1\tTown\tSalzburg\t"), std::string::npos);
    EXPECT_NE(text.find("2\t2\tBorder\tLand\t"), std::string::npos);
    EXPECT_NE(text.find("Index 4 LongHigh"), std::string::npos);
    EXPECT_NE(text.find("\t2\t13.04\t1\r\n"), std::string::npos);  // LongLow: Salzburg second
}
