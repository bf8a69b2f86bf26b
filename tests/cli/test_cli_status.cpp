// The exit statuses that hold for every subcommand: 0 success, 1 a failed
// conversion or operation (or output that could not be written), 2 bad usage
// or unreadable input.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "cli_runner.h"

using namespace zylcarto::test;

TEST(CliStatus, TheConventionIsWrittenInTheHelp) {
    const TCliResult r = RunCli("--help");
    EXPECT_EQ(r.Status, 0);
    for (const char* line :
         {"  0  success\n", "  1  a conversion or operation failed", "  2  bad usage or unreadable input\n"})
        EXPECT_NE(r.Out.find(line), std::string::npos) << line;
}

TEST(CliStatus, OutputThatCannotBeWrittenFails) {
    for (const char* args : {"countries", "datums", "--help", "zone 48 16", "ellipsoids"})
        EXPECT_EQ(CliStatus(std::string(args) + " >/dev/full 2>/dev/null"), 1) << args;
    EXPECT_EQ(CliStatus("zone </dev/null >/dev/full 2>/dev/null"), 0);  // nothing to write
}

TEST(CliStatus, ADirectoryOnStandardInputIsUnreadable) {
    for (const char* args : {"zone", "helmert 217 269", "fit --model equirect --image 10x10 -"})
        EXPECT_EQ(CliStatus(std::string(args) + " </ >/dev/null 2>/dev/null"), 2) << args;
}

TEST(CliStatus, GeneratedMapsNeedTwoLatitudesOnEarth) {
    if (RunCli("--help").Out.find("\n  map ") == std::string::npos) GTEST_SKIP() << "built without the map control";
    const std::string map = ScratchPath("grid");
    for (const char* bounds : {"10 0 10 5", "-95 0 10 5", "10 0 95 5", "10 5 20 5", "10 0 20 500", "10 -200 20 200"})
        EXPECT_EQ(RunCli("map new '" + map + "' " + bounds + " 1 1 200 200").Status, 2) << bounds;
    EXPECT_EQ(RunCli("map new '" + map + "' 10 0 20 5 1 1 200 200").Status, 0);
}

TEST(CliStatus, AMapRendersWhenItsFileIsNamedWithoutAFolder) {
    if (RunCli("--help").Out.find("\n  map ") == std::string::npos) GTEST_SKIP() << "built without the map control";
    const std::string dir = ScratchPath("bare");
    std::filesystem::create_directories(dir + "/dd");
    ASSERT_EQ(RunCli("map new dd/z 10 0 20 5 1 1 200 200", "", dir).Status, 0);
    const TCliResult r = RunCli("map render z.xml out.png --size 100x80", "", dir + "/dd");
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_TRUE(std::filesystem::exists(dir + "/dd/out.png"));
}

TEST(CliStatus, AStreamedJpegMapRendersOnlyWithinMaxPixels) {
    if (RunCli("--help").Out.find("\n  map ") == std::string::npos) GTEST_SKIP() << "built without the map control";
    const std::string map = ScratchPath("jpegmap");
    ASSERT_EQ(RunCli("map new '" + map + "' 10 0 20 5 1 1 2100 1500 --jpeg").Status, 0);
    const std::string render = "map render '" + map + ".xml' '" + ScratchPath("jpegmap.png") + "' --size 100x80";
    EXPECT_EQ(RunCli(render).Status, 1);  // 3 150 000 pixels
    EXPECT_EQ(RunCli(render + " --max-pixels 0").Status, 0);
    EXPECT_EQ(RunCli(render + " --max-pixels -5").Status, 2);
    EXPECT_EQ(RunCli("map new '" + map + "' 10 0 20 5 1 1 70000 100 --jpeg").Status, 2);
}

TEST(CliStatus, LandmarksThatCannotBeAreSkippedAndCounted) {
    if (RunCli("--help").Out.find("\n  map ") == std::string::npos) GTEST_SKIP() << "built without the map control";
    const std::string map = ScratchPath("marks"), marks = ScratchPath("marks_lm.xml");
    ASSERT_EQ(RunCli("map new '" + map + "' 10 0 20 5 1 1 200 200").Status, 0);
    WriteFile(marks, "<gmlandmarks sig=\"ZYLCSuite\" vers=\"1.0\" id=\"\">\r\n"
                     "<landmark lat=\"15\" long=\"2\" />\r\n<landmark lat=\"nan\" long=\"2\" />\r\n"
                     "<landmark lat=\"15\" long=\"abc\" />\r\n<landmark lat=\"15\" long=\"2\" class=\"300\" />\r\n"
                     "</gmlandmarks>\r\n");
    const TCliResult r =
        RunCli("map render '" + map + ".xml' '" + ScratchPath("marks.png") + "' --landmarks '" + marks + "'");
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Err.find("3 landmarks of " + marks + " skipped"), std::string::npos) << r.Err;
}

TEST(CliStatus, LibraryErrorsAreFailuresNotUsage) {
    const std::string db = ScratchPath("lib");
    ASSERT_EQ(RunCli("db create '" + db + "'").Status, 0);
    // the data file cannot be opened: an input/output error of the library
    std::filesystem::remove(db + ".zylgdd");
    std::filesystem::create_directory(db + ".zylgdd");
    const TCliResult r = RunCli("db add-town '" + db + "' Town 47 8");
    EXPECT_EQ(r.Status, 1) << r.Err;
    EXPECT_NE(r.Err.find(".zylgdd"), std::string::npos) << r.Err;
    EXPECT_EQ(RunCli("db info '" + db + "x'").Status, 2);  // no such database: unreadable input
}

TEST(CliStatus, FilesOfOtherToolsFollowTheRuleAndAreNamed) {
    if (RunCli("--help").Out.find("\n  map ") == std::string::npos) GTEST_SKIP() << "built without the map control";
    const std::string d = ScratchPath("exchange") + "_";
    const std::string none = d + "nodir/out";  // an output that cannot be written
    auto write = [&](const std::string& Name, const std::string& Bytes) { WriteFile(d + Name, Bytes); };
    const std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x28\0\0\0\x1E\x08\x02\0\0\0\0\0\0\0", 33);  // 40 x 30
    const std::string world = "0.01\n0\n0\n-0.01\n8\n47\n";
    const std::string ozi =
        "OziExplorer Map Data File Version 2.2\r\nT\r\nscan.png\r\n1 ,Map Code,\r\nWGS 84,,0,0,WGS 84\r\n"
        "Reserved 1\r\nReserved 2\r\nMagnetic Variation,,,E\r\nMap Projection,Latitude/Longitude\r\n"
        "Point01,xy,0,0,in, deg,47,30,N,8,0,E, grid, , , ,N\r\n"
        "Point02,xy,40,30,in, deg,47,18,N,8,24,E, grid, , , ,N\r\nIWH,Map Image Width/Height,40,30\r\n";
    write("good.gpx", "<gpx version=\"1.1\"><wpt lat=\"1\" lon=\"2\"><name>a</name></wpt></gpx>");
    write("bad.gpx", "<gpx><wpt lat=\"x\"/></gpx>");
    ASSERT_EQ(RunCli("landmarks import-gpx '" + d + "good.gpx' '" + d + "marks.xml'").Status, 0);
    write("good.map", ozi);
    write("bad.map", std::string(ozi).replace(ozi.find("WGS 84,,"), 6, "Atlantis 1900"));
    for (const char* image : {"scan.png", "world.png", "broken.png", "alone.png"}) write(image, png);
    write("world.pgw", world);
    write("broken.pgw", std::string(world).replace(world.find("0\n-"), 1, "zero"));
    write("junk.tif", "II*\x01 not a TIFF");
    write("junk.tfw", world);
    struct Case {
        std::string Args;
        int Status;
        std::string Named;  // in the message
    };
    const Case cases[] = {
        {"landmarks import-gpx '" + d + "good.gpx' '" + none + "'", 1, none},
        {"landmarks import-gpx '" + d + "gone.gpx' '" + d + "o.xml'", 2, "gone.gpx"},
        {"landmarks import-gpx '" + d + "bad.gpx' '" + d + "o.xml'", 2, "bad.gpx"},
        {"landmarks export-gpx '" + d + "marks.xml' '" + none + "'", 1, none},
        {"landmarks export-gpx '" + d + "gone.xml' '" + d + "o.gpx'", 2, "gone.xml"},
        {"map import-ozi '" + d + "good.map' '" + none + "'", 1, none},
        {"map import-ozi '" + d + "gone.map' '" + d + "o.xml'", 2, "gone.map"},
        {"map import-ozi '" + d + "bad.map' '" + d + "o.xml'", 2, "bad.map"},
        {"map import-world '" + d + "world.png' '" + none + "'", 1, none},
        {"map import-world '" + d + "broken.png' '" + d + "o.xml'", 2, "broken.pgw: line 3"},
        {"map import-world '" + d + "alone.png' '" + d + "o.xml'", 2, "alone.pgw"},
        {"map import-world '" + d + "junk.tif' '" + d + "o.xml'", 2, "junk.tif"},
    };
    for (const Case& c : cases) {
        const TCliResult r = RunCli(c.Args);
        EXPECT_EQ(r.Status, c.Status) << c.Args << "\n" << r.Err;
        EXPECT_NE(r.Err.find(c.Named), std::string::npos) << c.Args << "\n" << r.Err;
    }
}
