#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct CliRun {
    int Status = -1;
    std::vector<std::string> Lines;  // stdout and stderr together
    std::string Text;
};

CliRun Fit(const std::string& arguments, const std::string& stdinText = "") {
    std::string cmd;
    if (!stdinText.empty()) cmd = "printf '" + stdinText + "' | ";
    cmd += std::string("'") + ZYLCARTO_CLI + "' fit " + arguments + " 2>&1";
    CliRun r;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    while (std::fgets(buf, sizeof buf, p)) r.Text += buf;
    const int st = pclose(p);
    r.Status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    std::istringstream in(r.Text);
    for (std::string line; std::getline(in, line);) r.Lines.push_back(line);
    return r;
}

std::vector<std::string> Fields(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> f;
    for (std::string s; in >> s;) f.push_back(s);
    return f;
}

const std::string Equirect9 = std::string(ZYLCARTO_TEST_DATA_DIR) + "/equirect9.txt";

} // namespace

TEST(FitCommand, EquirectangularPointsFitWithoutResiduals) {
    const CliRun r = Fit("--model equirect --image 1000x800 --eval 0 400 --eval 1000 800 --eval 250 200 " + Equirect9);
    ASSERT_EQ(r.Status, 0) << r.Text;
    ASSERT_EQ(r.Lines.size(), 9u + 1 + 4 + 1 + 3) << r.Text;
    for (int i = 0; i < 9; ++i) {
        const auto f = Fields(r.Lines[i]);
        ASSERT_EQ(f.size(), 8u) << r.Lines[i];
        EXPECT_EQ(f[4], f[0]) << r.Lines[i];
        EXPECT_EQ(f[5], f[1]) << r.Lines[i];
        EXPECT_EQ(f[6], "0");
        EXPECT_EQ(f[7], "0");
    }
    EXPECT_EQ(r.Lines[9], "quality 0.000 0.000");
    EXPECT_EQ(r.Lines[10], "topleft 50.000000 5.000000");
    EXPECT_EQ(r.Lines[12], "bottomright 45.000000 10.000000");
    EXPECT_EQ(r.Lines[14].rfind("resolution 375.9", 0), 0u) << r.Lines[14];
    EXPECT_EQ(r.Lines[15], "pixel 0 400 -> 47.500000 5.000000");
    EXPECT_EQ(r.Lines[16], "pixel 1000 800 -> 45.000000 10.000000");
    EXPECT_EQ(r.Lines[17], "pixel 250 200 -> 48.750000 6.250000");
}

TEST(FitCommand, UTMPointsFromStandardInput) {
    const CliRun r = Fit("--model utm --utm-zone 32 --image 100x100 -",
                      "0 0 5400000 480000\\n100 0 5400000 482000\\n0 100 5398000 480000\\n");
    ASSERT_EQ(r.Status, 0) << r.Text;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.Lines[i].substr(r.Lines[i].size() - 4), " 0 0") << r.Lines[i];
    EXPECT_EQ(r.Lines[3], "quality 0.000 0.000");
    // 20 grid metres per pixel, measured on the sphere.
    ASSERT_EQ(r.Lines[8].rfind("resolution ", 0), 0u) << r.Lines[8];
    EXPECT_NEAR(std::stod(r.Lines[8].substr(11)), 20.0, 0.05) << r.Lines[8];
}

TEST(FitCommand, BadInputNamesTheProblemAndExits2) {
    struct Case {
        std::string args, input, message;
    };
    std::string many;
    for (int i = 0; i < 201; ++i) many += std::to_string(i) + " 0 45 " + std::to_string(i * 0.01) + "\\n";
    const std::vector<Case> cases{
        {"--model parabolicip --image 10x10 -", "0 0 1 1\\n", "unknown model \"parabolicip\""},
        {"--model equirect --image 10x10 -", "# header\\n\\n1 2 3\\n", "standard input line 3: expected X Y LAT LON"},
        {"--model equirect --image 10x10 -", "1 2.5 45 7\\n", "standard input line 1: Y is not a whole number"},
        {"--model equirect --image 10x10 -", "1 2 95 7\\n", "line 1: latitude 95 is beyond the poles"},
        {"--model equirect --image 10x10 -", many, "standard input line 201: more than 200 points"},
        {"--model utm --image 10x10 -", "1 2 3 4\\n", "--model utm needs --utm-zone"},
        {"--model equirect --image 10 -", "1 2 3 4\\n", "--image wants WIDTHxHEIGHT"},
        {"--model equirect --image 10x10 --eval 3 -", "1 2 3 4\\n", "--eval Y is not a whole number"},
        {"--model equirect --image 10x10 /nonexistent/points.txt", "", "cannot open"},
    };
    for (const Case& c : cases) {
        const CliRun r = Fit(c.args, c.input);
        EXPECT_EQ(r.Status, 2) << c.args;
        EXPECT_NE(r.Text.find("zylcarto: "), std::string::npos) << r.Text;
        EXPECT_NE(r.Text.find(c.message), std::string::npos) << r.Text;
    }
}
