// A database written by a 32-bit build is the same, byte for byte, as one written here.
#include "geodb_fixture.h"

#include <cstdlib>

#include "sample_database.h"

using namespace zylcarto;
using namespace zylcarto::test;

using GeoDB32 = GeoDBTest;

TEST_F(GeoDB32, FilesAreByteIdenticalToThoseOfA32BitBuild) {
#ifndef ZYLCARTO_SAMPLE_WRITER32
    GTEST_SKIP() << "no 32-bit toolchain (g++-multilib) whose programs run here was found when configuring";
#else
    static_assert(sizeof(void*) == 8, "this side of the comparison is the 64-bit build");
    std::filesystem::create_directories(Dir / "n");
    std::filesystem::create_directories(Dir / "w");
    WriteSampleDatabase(Base("n/sample"));
    const std::string cmd = std::string("\"") + ZYLCARTO_SAMPLE_WRITER32 + "\" \"" + Base("w/sample") + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    const auto native = DBFileNames(Base("n/sample"));
    const auto narrow = DBFileNames(Base("w/sample"));
    const std::vector<std::pair<std::string, std::string>> pairs = {
        {native.GDS, narrow.GDS},     {native.GDD, narrow.GDD},     {native.IX[0], narrow.IX[0]},
        {native.IX[1], narrow.IX[1]}, {native.IX[2], narrow.IX[2]}, {native.IX[3], narrow.IX[3]},
        {native.IX[4], narrow.IX[4]}};
    for (const auto& [a, b] : pairs) {
        const auto x = Bytes(a);
        EXPECT_FALSE(x.empty()) << a;
        EXPECT_TRUE(x == Bytes(b)) << a << " differs from the 32-bit build's " << b;
    }
#endif
}

// A data file over 2 GiB (the most a block offset reaches) opens and takes
// towns on a 32-bit build as it does here.
TEST_F(GeoDB32, ADataFileOver2GiBOpensAsOn64Bit) {
#ifndef ZYLCARTO_SAMPLE_WRITER32
    GTEST_SKIP() << "no 32-bit toolchain (g++-multilib) whose programs run here was found when configuring";
#else
    WriteSampleDatabase(Base("big"));
    const auto names = DBFileNames(Base("big"));
    std::filesystem::resize_file(names.GDD, (std::uintmax_t{1} << 31) + 4096);  // sparse: no disk space taken
    const std::string cmd = std::string("\"") + ZYLCARTO_SAMPLE_WRITER32 + "\" --add-town \"" + Base("big") + "\"";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    TGeoDB db;
    db.SetDBName(Base("big"));
    EXPECT_EQ(db.Data(db.NumEntries()).Name.Str(), "t");
    const int e = AddTownAt(db, "u", 2, 2);
    EXPECT_EQ(e, db.NumEntries());
#endif
}
