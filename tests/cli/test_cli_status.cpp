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
    const std::string map = CliScratch().Path("grid");
    for (const char* bounds : {"10 0 10 5", "-95 0 10 5", "10 0 95 5", "10 5 20 5", "10 0 20 500", "10 -200 20 200"})
        EXPECT_EQ(RunCli("map new '" + map + "' " + bounds + " 1 1 200 200").Status, 2) << bounds;
    EXPECT_EQ(RunCli("map new '" + map + "' 10 0 20 5 1 1 200 200").Status, 0);
}

TEST(CliStatus, LandmarksThatCannotBeAreSkippedAndCounted) {
    if (RunCli("--help").Out.find("\n  map ") == std::string::npos) GTEST_SKIP() << "built without the map control";
    const std::string map = CliScratch().Path("marks"), marks = CliScratch().Path("marks_lm.xml");
    ASSERT_EQ(RunCli("map new '" + map + "' 10 0 20 5 1 1 200 200").Status, 0);
    std::ofstream(marks)
        << "<gmlandmarks sig=\"ZYLCSuite\" vers=\"1.0\" id=\"\">\r\n"
           "<landmark lat=\"15\" long=\"2\" />\r\n<landmark lat=\"nan\" long=\"2\" />\r\n"
           "<landmark lat=\"15\" long=\"abc\" />\r\n<landmark lat=\"15\" long=\"2\" class=\"300\" />\r\n"
           "</gmlandmarks>\r\n";
    const TCliResult r =
        RunCli("map render '" + map + ".xml' '" + CliScratch().Path("marks.png") + "' --landmarks '" + marks + "'");
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Err.find("3 landmarks of " + marks + " skipped"), std::string::npos) << r.Err;
}

TEST(CliStatus, LibraryErrorsAreFailuresNotUsage) {
    const std::string db = CliScratch().Path("lib");
    ASSERT_EQ(RunCli("db create '" + db + "'").Status, 0);
    // the data file cannot be opened: an input/output error of the library
    std::filesystem::remove(db + ".zylgdd");
    std::filesystem::create_directory(db + ".zylgdd");
    const TCliResult r = RunCli("db add-town '" + db + "' Town 47 8");
    EXPECT_EQ(r.Status, 1) << r.Err;
    EXPECT_NE(r.Err.find(".zylgdd"), std::string::npos) << r.Err;
    EXPECT_EQ(RunCli("db info '" + db + "x'").Status, 2);  // no such database: unreadable input
}
