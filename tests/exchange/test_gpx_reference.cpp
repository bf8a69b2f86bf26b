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

    // A caption longer than a landmark holds is cut on reading, and said so.
    WriteFile(dir + "long.xml", "<?xml version=\"1.0\"?>\n<gmlandmarks sig=\"ZYLCSuite\" vers=\"1.0\" id=\"x\">\n"
                                "<landmark lat=\"1\" long=\"2\" captext=\"ok\" />\n<landmark lat=\"1\" long=\"2\" captext=\"" +
                                    std::string(90, 'y') + "\" />\n</gmlandmarks>\n");
    r = RunCli("landmarks export-gpx '" + dir + "long.xml' '" + dir + "long.gpx'");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Err.find("1 landmark(s) of " + dir + "long.xml have a caption longer than 80"), std::string::npos)
        << r.Err;
    EXPECT_NE(r.Err.find("the first is landmark 2"), std::string::npos) << r.Err;

    r = RunCli("landmarks import-gpx '" + dir + "lm.xml' '" + dir + "x.xml'");  // not GPX
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("lm.xml: line "), std::string::npos) << r.Err;
}

TEST(GpxReference, TracksAndRoutesKeptBesideTheLandmarksReadTheSameInOgrinfo) {
    const std::string dir = TestDir();
    WriteFile(dir + "in.gpx",
              "<gpx version=\"1.0\" creator=\"t\"><wpt lat=\"47\" lon=\"8\"><name>Hut</name></wpt>\n"
              "<rte><name>Plan</name><rtept lat=\"46.5\" lon=\"7.25\"><name>Pass</name></rtept>"
              "<rtept lat=\"46.75\" lon=\"7.5\"><ele>2100</ele><name>Gipfel</name></rtept></rte>\n"
              "<trk><name>Ride</name><trkseg><trkpt lat=\"47.5\" lon=\"-8.25\"><ele>412.5</ele>"
              "<time>2024-05-01T10:20:30Z</time><speed>3.5</speed></trkpt><trkpt lat=\"47.5001\" lon=\"-8.25\"/>"
              "</trkseg><trkseg><trkpt lat=\"0.000091697\" lon=\"179.999999\"/></trkseg></trk></gpx>\n");
    TCliResult r = RunCli("landmarks import-gpx '" + dir + "in.gpx' '" + dir + "lm.xml'");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("1 tracks (3 points), 1 routes in " + dir + "lm.tracks.gpx"), std::string::npos) << r.Out;
    r = RunCli("landmarks export-gpx '" + dir + "lm.xml' '" + dir + "out.gpx' --tracks '" + dir +
                       "lm.tracks.gpx'");
    ASSERT_EQ(r.Status, 0) << r.Err;
    struct TLayer {
        const char* Name;
        std::vector<const char*> Want;
    };
    const TLayer layers[] = {
        {"waypoints", {"name (String) = Hut", "POINT (8 47)"}},
        {"routes", {"name (String) = Plan"}},
        {"route_points", {"POINT (7.25 46.5)", "name (String) = Pass", "ele (Real) = 2100", "name (String) = Gipfel"}},
        {"tracks", {"name (String) = Ride"}},
        {"track_points",
         {"POINT (-8.25 47.5)", "ele (Real) = 412.5", "time (DateTime) = 2024/05/01 10:20:30", "POINT (-8.25 47.5001)",
          "track_seg_id (Integer) = 1", "POINT (179.999999 0.000091697)"}},
    };
    for (const TLayer& l : layers) {
        r = RunShell(std::string("'") + OGRINFO + "' -q '" + dir + "out.gpx' " + l.Name, "", dir);
        ASSERT_EQ(r.Status, 0) << r.Err;
        for (const char* want : l.Want) EXPECT_NE(r.Out.find(want), std::string::npos) << want << "\n" << r.Out;
    }
    r = RunShell(std::string("'") + OGRINFO + "' -so '" + dir + "out.gpx' track_points", "", dir);
    EXPECT_NE(r.Out.find("Feature Count: 3"), std::string::npos) << r.Out;
}

}  // namespace
}  // namespace zylcarto::test
