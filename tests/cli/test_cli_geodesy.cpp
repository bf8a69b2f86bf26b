#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Result {
    int status;
    std::string out, err;
};

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// Runs "zylcarto ARGS" with `input` on standard input.
Result RunCli(const std::string& args, const std::string& input = "") {
    // ctest runs the tests of this binary side by side: each gets files of its own.
    const std::string dir = ::testing::TempDir() + "cli_" +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_";
    const std::string in = dir + "in.txt", out = dir + "out.txt", err = dir + "err.txt";
    std::ofstream(in, std::ios::binary) << input;
    const std::string command = std::string("'") + ZYLCARTO_CLI + "' " + args + " <'" + in + "' >'" + out + "' 2>'" + err + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
}

} // namespace

TEST(CliGeodesy, ZoneAndUTM) {
    Result r = RunCli("zone 78 15");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "33X\n");
    r = RunCli("utm 48.2 16.4");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "33 U 604028.2757 5339477.3311\n");
    r = RunCli("utm-inv 33 N 604028.2757 5339477.3311");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 8), "48.20000");
    r = RunCli("utm -33.9 18.4 --ellipsoid gelWGS84");
    EXPECT_EQ(r.out, "34 H 259583.2217 6245888.0454\n");
}

TEST(CliGeodesy, PointOutsideTheGridExitsWithOne) {
    for (const char* args : {"zone 84.5 0", "utm -81 10"}) {
        const Result r = RunCli(args);
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_NE(r.err.find("outside the UTM area"), std::string::npos) << args;
    }
}

TEST(CliGeodesy, OtherConversions) {
    EXPECT_EQ(RunCli("ups 90 0").out, "2000000.0000 2000000.0000\n");
    EXPECT_EQ(RunCli("ups-inv S 2000000 2000000").out.substr(0, 13), "-90.000000000");
    EXPECT_EQ(RunCli("cart 0 0 0").out, "6378137.0000 0.0000 0.0000\n");
    EXPECT_EQ(RunCli("geod 0 6378137 0").out, "0.000000000 90.000000000 0.0000\n");
    EXPECT_EQ(RunCli("cart 0 90 0 --ellipsoid 26").out, "0.0000 6370997.0000 0.0000\n");
    EXPECT_EQ(RunCli("helmert 269 269 47.5 8.25 400").out, "47.500000000 8.250000000 400.0000 0\n");
    EXPECT_EQ(RunCli("helmert 0 269 95 8 400").out, "95.000000000 8.000000000 400.0000 -3\n");
}

TEST(CliGeodesy, DatumList) {
    const Result r = RunCli("datums");
    EXPECT_EQ(r.status, 0);
    int lines = 0;
    for (char c : r.out) lines += c == '\n';
    EXPECT_EQ(lines, 271);
    EXPECT_NE(r.out.find("13\tRD, AMERSFOORT\tNetherlands\tgelBess41\t565\t49.9\t465.8\t4.08\t-0.409\t0.36\t-1.869\n"),
              std::string::npos);
}

TEST(CliGeodesy, BadArgumentsExitWithTwo) {
    for (const char* args : {"utm abc 16", "utm 48", "utm 48 16 --ellipsoid gelNoSuch", "utm 48 16 --ellipsoid 61",
                             "utm-inv 0 N 500000 0", "utm-inv 33 X 500000 0", "cart 1 2 3 --verbose",
                             "helmert 1 two 0 0 0"}) {
        const Result r = RunCli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(r.err.rfind("zylcarto: ", 0), 0u) << args << ": " << r.err;
    }
}

TEST(CliGeodesy, BatchKeepsOneLinePerInputLine) {
    const Result r = RunCli("utm", "48.2 16.4\nnot-a-number 1\n85 0\n\n1 2 3\r\n-33.9\t18.4");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "33 U 604028.2757 5339477.3311\n"
              "error: latitude is not a number: \"not-a-number\"\n"
              "error: outside the UTM area (latitude -80..84, longitude -180..<180)\n"
              "error: expected 2 values, got 0\n"
              "error: expected 2 values, got more\n"
              "34 H 259583.2217 6245888.0454\n");

    const Result inv = RunCli("utm-inv", "33 N 604028.2757 5339477.3311\n99 N 1 1\n");
    EXPECT_EQ(inv.out.substr(0, 8), "48.20000");
    EXPECT_NE(inv.out.find("\nerror: zone must be 1..60"), std::string::npos);

    const Result h = RunCli("helmert 217 269", "50 10 300\n50 10\n");
    EXPECT_EQ(h.out.substr(h.out.find('\n') + 1), "error: expected 3 values, got 2\n");
}

TEST(CliGeodesy, LargeBatch) {
    std::string input;
    for (int i = 0; i < 100000; ++i) input += std::to_string(-79 + i % 163) + ".5 " + std::to_string(-179 + i % 359) + "\n";
    const Result r = RunCli("zone", input);
    EXPECT_EQ(r.status, 0);
    int lines = 0;
    for (char c : r.out) lines += c == '\n';
    EXPECT_EQ(lines, 100000);
}
