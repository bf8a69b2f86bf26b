// GeoPackage export through the zylcarto tool, checked against GDAL's ogrinfo,
// and the export's refusal of a closed database.
#include <gtest/gtest.h>

#include "exchange_fixture.h"
#include "zylcarto/exchange/gpkg_export.h"
#include "zylcarto/geodb/geodb.h"
#include "zylcarto/support/errors.h"

namespace zylcarto::test {
namespace {

TEST(GpkgReference, OgrinfoListsEveryLayerWithCountsExtentsAndAttributes) {
    const std::string dir = TestDir(), db = "'" + dir + "d'";
    const std::string ogr = std::string("'") + OGRINFO + "' ";
    WriteFile(dir + "v.txt", "47 8\n47.5 8\n47.5 8.5\n");
    WriteFile(dir + "w.txt", "-10 -20\n-12.5 -21\n");
    WriteFile(dir + "b.bin", std::string("\x00\x01\xFFzyl", 6));
    for (const std::string& c :
         {"db create " + db, "db add-town " + db + " 'Z\xC3\xBCrich' 47.37 8.54 --alt 408 --class 3",
          "db add-town " + db + " Bern 46.95 7.45", "db add-polygon " + db + " lake 'Lake A' '" + dir + "v.txt'",
          "db add-polygon " + db + " border Open '" + dir + "w.txt'",
          "db add-polygon " + db + " border Closed '" + dir + "v.txt' --closed",
          "db add-polygon " + db + " road Road '" + dir + "w.txt'",
          "db add-blob " + db + " '" + dir + "b.bin' --caption Cap"})
        ASSERT_EQ(RunCli(c).Status, 0) << c;
    TCliResult r = RunCli("db export-gpkg " + db + " '" + dir + "out.gpkg'");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "towns\tPOINT\t2\nborders\tGEOMETRY\t2\ncities\tPOLYGON\t0\nlakes\tPOLYGON\t1\n"
                     "rivers\tLINESTRING\t0\nroads\tLINESTRING\t1\nroutes\tLINESTRING\t0\nblobs\tattributes\t1\n");

    r = RunShell(ogr + "-so '" + dir + "out.gpkg' towns borders roads blobs");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");  // no complaint about the file's structure
    for (const char* want :
         {"Layer name: towns", "Feature Count: 2", "Extent: (7.450000, 46.950001) - (8.540000, 47.369999)",
          "Layer name: borders", "Extent: (-21.000000, -12.500000) - (8.500000, 47.500000)", "Layer name: roads",
          "Feature Count: 1", "Layer name: blobs", "ID[\"EPSG\",4326]"})
        EXPECT_NE(r.Out.find(want), std::string::npos) << want << "\n" << r.Out;

    r = RunShell(ogr + "-q '" + dir + "out.gpkg' -sql \"SELECT * FROM towns WHERE class = 3\"");
    for (const char* want : {"name (String) = Z\xC3\xBCrich", "item_id (Integer64) = 1", "altitude (Real) = 408",
                             "POINT (8.53999996185303 47.3699989318848)"})
        EXPECT_NE(r.Out.find(want), std::string::npos) << want << "\n" << r.Out;
    r = RunShell(ogr + "-q '" + dir + "out.gpkg' borders");
    EXPECT_NE(r.Out.find("LINESTRING (-20 -10,-21 -12.5)"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("POLYGON ((8 47,"), std::string::npos) << r.Out;  // the ring is closed explicitly
    EXPECT_NE(r.Out.find(" 47.5,8.5 47.5,8 47))"), std::string::npos) << r.Out;
    r = RunShell(ogr + "-q '" + dir + "out.gpkg' blobs");
    for (const char* want : {"caption (String) = Cap", "size (Integer64) = 6", "data (Binary) = 0001FF7A796C"})
        EXPECT_NE(r.Out.find(want), std::string::npos) << want << "\n" << r.Out;
    // The spatial index answers a window query.
    r = RunShell(ogr + "-q '" + dir + "out.gpkg' towns -spat 7 46 8 47.2");
    EXPECT_NE(r.Out.find("name (String) = Bern"), std::string::npos) << r.Out;
    EXPECT_EQ(r.Out.find("rich"), std::string::npos) << r.Out;

    r = RunCli("db export-gpkg " + db + " '" + dir + "no/such/dir/out.gpkg'");
    EXPECT_EQ(r.Status, 1);
    r = RunCli("db export-gpkg '" + dir + "missing' '" + dir + "x.gpkg'");
    EXPECT_EQ(r.Status, 2);
}

TEST(GpkgReference, AClosedDatabaseIsRefusedAndNothingWritten) {
    const std::string dir = TestDir();
    WriteFile(dir + "out.gpkg", "old");
    TGeoDB db;
    EXPECT_THROW(ExportGeoPackage(db, dir + "out.gpkg"), EZYLGeoDBError);
    EXPECT_EQ(ReadFile(dir + "out.gpkg"), "old");
    EXPECT_FALSE(std::filesystem::exists(dir + "out.gpkg.part"));
}

}  // namespace
}  // namespace zylcarto::test
