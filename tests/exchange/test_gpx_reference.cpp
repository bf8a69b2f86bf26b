// GPX through the zylcarto tool, checked against GDAL's ogrinfo.
#include <gtest/gtest.h>

#include "exchange_fixture.h"

namespace zylcarto::test {
namespace {

TEST(GpxReference, ImportThenExportListsTheSameWaypointsInOgrinfo) {
    const std::string dir = TestDir();
    WriteFile(dir + "in.gpx", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.0\" creator=\"t\">\n"
                              "<wpt lat=\"47.123456789\" lon=\"-8.25\"><ele>412.5</ele><name>Gr\xC3\xBC"
                              "ezi \xE2\x82\xAC \xCE\xB1</name></wpt>\n"
                              "<wpt lat=\"-33.9\" lon=\"18.4\"><name>Cape</name><sym>Square</sym></wpt>\n</gpx>\n");
    TCliResult r = RunCli("landmarks import-gpx '" + dir + "in.gpx' '" + dir + "lm.xml'");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Err.find("1 characters the landmark file cannot hold"), std::string::npos) << r.Err;
    r = RunCli("landmarks export-gpx '" + dir + "lm.xml' '" + dir + "out.gpx'");
    ASSERT_EQ(r.Status, 0) << r.Err;
    r = RunShell(std::string("'") + OGRINFO + "' -q '" + dir + "out.gpx' waypoints");
    ASSERT_EQ(r.Status, 0) << r.Err;
    for (const char* want : {"name (String) = Gr\xC3\xBC"
                             "ezi \xE2\x82\xAC ?",
                             "POINT (-8.25 47.123456789)", "ele (Real) = 412.5", "name (String) = Cape",
                             "sym (String) = Square", "POINT (18.4 -33.9)"})
        EXPECT_NE(r.Out.find(want), std::string::npos) << want << "\n" << r.Out;

    r = RunCli("landmarks import-gpx '" + dir + "lm.xml' '" + dir + "x.xml'");  // not GPX
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("lm.xml: line "), std::string::npos) << r.Err;
}

}  // namespace
}  // namespace zylcarto::test
