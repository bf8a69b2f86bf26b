// The fit subcommand and the map conversions through the tool, on files of reference points.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#ifdef ZYLCARTO_CLI_PLOT
#include <QColor>
#include <QImage>
#endif

#include "cli_runner.h"

using namespace zylcarto::test;

namespace {

// Standard error interleaved into Out, as a terminal would show it.
TCliResult Cli(const std::string& Args, const std::string& Input = "") { return RunCli(Args, Input, "", true); }
TCliResult Fit(const std::string& Args, const std::string& Input = "") { return Cli("fit " + Args, Input); }

std::vector<std::string> Fields(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> f;
    for (std::string s; in >> s;) f.push_back(s);
    return f;
}

const std::string Equirect9 = std::string(ZYLCARTO_TEST_DATA_DIR) + "/equirect9.txt";

}  // namespace

TEST(FitCommand, EquirectangularPointsFitWithoutResiduals) {
    const TCliResult r =
        Fit("--model equirect --image 1000x800 --eval 0 400 --eval 1000 800 --eval 250 200 " + Equirect9);
    ASSERT_EQ(r.Status, 0) << r.Out;
    ASSERT_EQ(r.Lines().size(), 9u + 3 + 4 + 1 + 3) << r.Out;
    for (int i = 0; i < 9; ++i) {
        const auto f = Fields(r.Lines()[i]);
        ASSERT_EQ(f.size(), 9u) << r.Lines()[i];
        EXPECT_EQ(f[4], f[0] + ".000") << r.Lines()[i];
        EXPECT_EQ(f[5], f[1] + ".000") << r.Lines()[i];
        EXPECT_EQ(f[6], "0.000");
        EXPECT_EQ(f[7], "0.000");
        EXPECT_EQ(f[8], "0.000");  // the others put it exactly where it is
    }
    EXPECT_EQ(r.Lines()[9], "quality 0.000 0.000");
    EXPECT_EQ(r.Lines()[10], "position-quality 0.000");
    EXPECT_EQ(r.Lines()[11], "condition 1.000000");
    EXPECT_EQ(r.Lines()[12], "topleft 50.000000000 5.000000000");
    EXPECT_EQ(r.Lines()[14], "bottomright 45.000000000 10.000000000");
    EXPECT_EQ(r.Lines()[16].rfind("resolution 375.9", 0), 0u) << r.Lines()[16];
    EXPECT_EQ(r.Lines()[17], "pixel 0 400 -> 47.500000000 5.000000000");
    EXPECT_EQ(r.Lines()[18], "pixel 1000 800 -> 45.000000000 10.000000000");
    EXPECT_EQ(r.Lines()[19], "pixel 250 200 -> 48.750000000 6.250000000");
}

TEST(FitCommand, UTMPointsFromStandardInput) {
    const TCliResult r = Fit("--model utm --utm-zone 32 --image 100x100 -",
                             "0 0 5400000 480000\n100 0 5400000 482000\n0 100 5398000 480000\n");
    ASSERT_EQ(r.Status, 0) << r.Out;
    // Two points are too few to judge the third by.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(r.Lines()[i].substr(r.Lines()[i].size() - 14), " 0.000 0.000 -") << r.Lines()[i];
    EXPECT_EQ(r.Lines()[3], "quality 0.000 0.000");
    EXPECT_EQ(r.Lines()[4], "position-quality 0.000");
    // 20 grid metres per pixel, measured on the sphere.
    ASSERT_EQ(r.Lines()[10].rfind("resolution ", 0), 0u) << r.Lines()[10];
    EXPECT_NEAR(std::stod(r.Lines()[10].substr(11)), 20.0, 0.05) << r.Lines()[10];
    EXPECT_EQ(r.Out.find("warning"), std::string::npos) << r.Out;
}

// The nine points of Equirect9 and a tenth read 0.2 degrees (32 pixels) too far north.
std::string WithMisreadPoint() {
    std::ifstream in(Equirect9);
    std::string points((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return points + "250 200 48.95 6.25\n";
}

TEST(FitCommand, NamesAMisreadPoint) {
    const TCliResult r = Fit("--model equirect --image 1000x800 -", WithMisreadPoint());
    ASSERT_EQ(r.Status, 0) << r.Out;
    int named = 0;
    for (const std::string& line : r.Lines()) {
        const auto f = Fields(line);
        if (f.size() < 9 || f[0] == "zylcarto:") continue;
        const bool outlier = f.back() == "outlier";
        EXPECT_EQ(outlier, f[0] == "250" && f[1] == "200") << line;
        if (outlier) {
            EXPECT_NEAR(std::stod(f[8]), 32, 0.5) << line;
        }
    }
    for (const std::string& line : r.Lines()) named += line.rfind("zylcarto: warning: the point at pixel 250 200 ", 0) == 0;
    EXPECT_EQ(named, 1) << r.Out;
}

#ifdef ZYLCARTO_CLI_PLOT
// The plot has the image's size, the map behind, a marker at every point and an
// arrow from each towards where the fit puts it, the outlier's red.
TEST(FitCommand, PlotsResidualArrowsOnTheMap) {
    const std::string background = testing::TempDir() + "/fit_plot_map.png";
    QImage map(100, 80, QImage::Format_RGB32);
    map.fill(QColor(0, 128, 0));
    ASSERT_TRUE(map.save(QString::fromStdString(background)));
    const std::string out = testing::TempDir() + "/fit_plot.png";
    std::remove(out.c_str());
    const TCliResult r = Fit("--model equirect --image 1000x800 --plot '" + out + "' --plot-image '" + background +
                                 "' -",
                             WithMisreadPoint());
    ASSERT_EQ(r.Status, 0) << r.Out;
    ASSERT_EQ(r.Lines().back().rfind("plot-scale ", 0), 0u) << r.Out;
    const double scale = std::stod(r.Lines().back().substr(11));
    EXPECT_GE(scale, 1);
    const QImage plot(QString::fromStdString(out));
    ASSERT_EQ(plot.size(), QSize(1000, 800));
    EXPECT_EQ(plot.pixelColor(700, 600), QColor(0, 128, 0));
    int arrows = 0;
    for (const std::string& line : r.Lines()) {
        const auto f = Fields(line);
        if (f.size() < 9 || f[0] == "zylcarto:") continue;
        const int x = std::stoi(f[0]), y = std::stoi(f[1]);
        // The ring of the marker, on whichever side lies inside the picture.
        const int ringX = x + 4 < 1000 ? x + 4 : x - 4;
        EXPECT_EQ(plot.pixelColor(ringX, std::min(y, 799)), QColor(Qt::black)) << line;
        const double dx = std::stod(f[6]) * scale, dy = std::stod(f[7]) * scale;
        if (std::hypot(dx, dy) < 20) continue;
        const QColor arrow = f.back() == "outlier" ? QColor(255, 0, 0) : QColor(0, 0, 255);
        EXPECT_EQ(plot.pixelColor(int(std::lround(x + dx / 2)), int(std::lround(y + dy / 2))), arrow) << line;
        ++arrows;
    }
    EXPECT_GE(arrows, 1);
    EXPECT_EQ(Fit("--model equirect --image 1000x800 --plot '" + out + "' --plot-image /nonexistent.png " + Equirect9)
                  .Status,
              2);
}
#endif

TEST(FitCommand, BadInputNamesTheProblemAndExits2) {
    struct Case {
        std::string args, input, message;
    };
    std::string many;
    for (int i = 0; i < 201; ++i) many += std::to_string(i) + " 0 45 " + std::to_string(i * 0.01) + "\n";
    const std::vector<Case> cases{
        {"--model mercator --image 10x10 -", "0 0 1 1\n", "unknown model \"mercator\""},
        {"--model parabolicip --image 10x10 -", "P 45 1\n", "standard input line 1: expected P LAT X Y or M LON X Y"},
        {"--model equirect --image 10x10 --to-pixel - -", "", "cannot both be standard input"},
        {"--model equirect --image 10x10 -", "# header\n\n1 2 3\n", "standard input line 3: expected X Y LAT LON"},
        {"--model equirect --image 10x10 -", "1 2.5 45 7\n", "standard input line 1: Y is not a whole number"},
        {"--model equirect --image 10x10 -", "1 2 95 7\n", "line 1: latitude 95 is beyond the poles"},
        {"--model equirect --image 10x10 -", many, "standard input line 201: more than 200 points"},
        {"--model utm --image 10x10 -", "1 2 3 4\n", "--model utm needs --utm-zone"},
        {"--model equirect --image 10 -", "1 2 3 4\n", "--image wants WIDTHxHEIGHT"},
        {"--model equirect --image 10x10 --eval 3 -", "1 2 3 4\n", "--eval Y is not a whole number"},
        {"--model equirect --image 10x10 /nonexistent/points.txt", "", "cannot open"},
    };
    for (const Case& c : cases) {
        const TCliResult r = Fit(c.args, c.input);
        EXPECT_EQ(r.Status, 2) << c.args;
        EXPECT_NE(r.Out.find("zylcarto: "), std::string::npos) << r.Out;
        EXPECT_NE(r.Out.find(c.message), std::string::npos) << r.Out;
    }
}

// Data that cannot determine the model is refused with exit 1; data that barely
// does, or UTM values no zone has, is warned about.
TEST(FitCommand, RefusesUndeterminedFitsAndWarnsOfDoubtfulOnes) {
    struct Case {
        std::string model, input, message;
        int status;
    };
    const std::string grid = "0 0 50 5\n1000 0 50 10\n0 800 45 5\n1000 800 45 10\n500 400 47.5 7.5\n";
    const std::vector<Case> cases{
        {"equirect", "", "equirect needs at least 3 reference points, got 0", 1},
        {"equirect", "0 0 50 5\n", "got 1", 1},
        {"millercylindrical", "0 0 50 5\n10 10 49 6\n", "millercylindrical needs at least 3 reference points, got 2",
         1},
        {"biquadraticpn", grid, "biquadraticpn needs at least 6 reference points, got 5", 1},
        {"conicconformal", "0 0 50 5\n100 100 49 6\n200 200 48 7\n300 300 47 8\n", "(they are collinear)", 1},
        {"parabolicip", "P 45 0 100\nP 45 50 101\nP 45 100 102\nM 7 10 0\nM 7 11 50\nM 7 12 100\n",
         "parabolicip needs at least 2 meridians and 2 parallels of 3 points each", 1},
        {"equirect", "0 0 50 5\n500 251 47.49 7.5\n1000 500 45 10\n", "warning: condition", 0},
        {"utm --utm-zone 32", "0 0 480000 5400000\n100 0 482000 5400000\n0 100 480000 5398000\n",
         "are northing and easting swapped?", 0},
    };
    for (const Case& c : cases) {
        const TCliResult r = Fit("--model " + c.model + " --image 1000x800 -", c.input);
        EXPECT_EQ(r.Status, c.status) << c.model << ": " << r.Out;
        EXPECT_NE(r.Out.find(c.message), std::string::npos) << r.Out;
    }
}

TEST(FitCommand, ParabolicModelFromGraticuleLines) {
    // Parallels y = 100 + (48 - lat) 300 + x / 10, meridians x = 100 + (lon - 8) 400 - y / 20.
    std::string in;
    for (int lat : {46, 47, 48})
        for (int x : {100, 400, 700, 1000})
            in += "P " + std::to_string(lat) + " " + std::to_string(x) + " " +
                  std::to_string(100 + (48 - lat) * 300 + x / 10) + "\n";
    for (int lon : {8, 9, 10})
        for (int y : {40, 400, 800})
            in += "M " + std::to_string(lon) + " " + std::to_string(100 + (lon - 8) * 400 - y / 20) + " " +
                  std::to_string(y) + "\n";
    const TCliResult r = Fit("--model parabolicip --image 1200x1000 --eval 500 450 -", in);
    ASSERT_EQ(r.Status, 0) << r.Out;
    // Per point "P|M VALUE X Y FIT DIFF": the lines are exact.
    EXPECT_EQ(r.Lines()[0], "P 46 100 710 46.000000000 0.000000000");
    // Pixel (500, 450) lies on parallel 47, and 422.5 px east of meridian 8.
    EXPECT_EQ(r.Lines().back(), "pixel 500 450 -> 47.000000000 9.056250000") << r.Out;
}

// One output line per input line in order, failed lines as numbered error lines,
// exit 1 at the end; 9 decimals for degrees, 3 for pixels and metres.
TEST(FitCommand, BatchConversionsInBothDirections) {
    struct Case {
        std::string options, input;
        std::vector<std::string> lines;
        int status;
    };
    const std::string utm =
        "--model utm --utm-zone 32 --image 100x100 " + std::string(ZYLCARTO_TEST_DATA_DIR) + "/utm3.txt";
    // Fiji across the antimeridian, its points written 179 and -179.
    const std::string fiji =
        ScratchFile("fit_fiji.txt", "0 0 -16 179\n200 0 -16 -179\n0 200 -18 179\n200 200 -18 -179\n");
    const std::vector<Case> cases{
        {"--model equirect --image 200x200 --to-position - " + fiji,
         "50 100\n150 100\n",
         {"-17.000000000 179.500000000", "-17.000000000 -179.500000000"},
         0},
        {"--model equirect --image 200x200 --to-pixel - " + fiji,
         "# a comment, then values with a leading minus\n-17 179.5\n-17 -179.5\n-17 180.5\n",
         {"50.000 100.000", "150.000 100.000", "150.000 100.000"},
         0},
        {"--model equirect --image 1000x800 --to-position - " + Equirect9,
         "1000000 400\n",
         {"error: line 1: the pixel lies more than a whole turn of longitude from the map"},
         1},
        {"--model equirect --image 1000x800 --to-position - " + Equirect9,
         "0 0\n250.5 200\n\n# note\n1000 800\n",
         {"50.000000000 5.000000000", "48.750000000 6.252500000", "45.000000000 10.000000000"},
         0},
        {"--model equirect --image 1000x800 --to-position - " + Equirect9,
         "1 2\nx 2\n3\n0 -99999\n4 5\n",
         {"49.987500000 5.005000000", "error: line 2: not a number: \"x\"", "error: line 3: expected X Y, got \"3\"",
          "error: line 4: the pixel lies beyond the poles of the fit", "49.968750000 5.020000000"},
         1},
        {"--model equirect --image 1000x800 --to-pixel - " + Equirect9,
         "48.75 6.2525\n91 5\n45 10\n",
         {"250.500 200.000", "error: line 2: latitude beyond the poles", "1000.000 800.000"},
         1},
        {"--model equirect --image 1000x800 --to-pixel - " + Equirect9,  // degrees, minutes and seconds too
         "N48:45 6d15:09E\n48x 6\n",
         {"250.500 200.000", "error: line 2: latitude is not a number: \"48x\" (unexpected 'x' at position 3)"},
         1},
        {utm + " --to-position -", "50 25\n", {"5399500.000 481000.000"}, 0},
        {utm + " --to-pixel -", "5399500 481000\n", {"50.000 25.000"}, 0},
    };
    for (const Case& c : cases) {
        const TCliResult r = Fit(c.options, c.input);
        EXPECT_EQ(r.Status, c.status) << c.options << ": " << r.Out;
        EXPECT_EQ(r.Lines(), c.lines) << c.options << ": " << r.Out;
    }
    // From a file: CR LF line ends, a 2 MB line passed over, no final line end.
    const std::string path = ScratchFile("fit_batch.txt", "1 2\r\n" + std::string(2 << 20, '7') + "\n3 4\r\n5 6");
    const TCliResult r = Fit("--model equirect --image 1000x800 --to-position " + path + " " + Equirect9);
    EXPECT_EQ(r.Status, 1) << r.Out;
    EXPECT_EQ(r.Lines(), (std::vector<std::string>{"49.987500000 5.005000000", "error: line 2: line longer than 1 MB",
                                                   "49.975000000 5.015000000", "49.962500000 5.025000000"}));
}

// The projected model through the tool: the CRS step against cs2cs on the same
// grid points, both directions, from fit and from a calibration file.
TEST(FitCommand, ProjectedModelAgreesWithCs2cs) {
    // British National Grid points 2.5 m per pixel, rotated slightly.
    auto east = [](double x, double y) { return 400000 + 2.5 * x + 0.025 * y; };
    auto north = [](double x, double y) { return 300000 - 2.5 * y + 0.05 * x; };
    const int ref[][2] = {{100, 200}, {3900, 150}, {200, 2900}, {3800, 2950}, {2000, 1500}, {1000, 2500}};
    const double test[][2] = {{0, 0}, {1234.5, 987.25}, {4000, 3000}};
    std::ostringstream pts, grid;
    pts.precision(12);
    grid.precision(12);
    for (const auto& p : ref) pts << p[0] << " " << p[1] << " " << north(p[0], p[1]) << " " << east(p[0], p[1]) << "\n";
    for (const auto& p : test) grid << east(p[0], p[1]) << " " << north(p[0], p[1]) << "\n";
    const std::string points = ScratchFile("bng_points.txt", pts.str()),
                      gridFile = ScratchFile("bng_grid.txt", grid.str());
    const auto expected = Cs2cs("-f %.12f EPSG:27700 +to EPSG:4326", grid.str());
    if (expected.size() != 3) GTEST_SKIP() << "cs2cs is not installed";

    const std::string fit = "--model projected --crs EPSG:27700 --grid-points --image 4000x3000 ";
    std::string pixels, positions;
    for (const auto& t : test) pixels += std::to_string(t[0]) + " " + std::to_string(t[1]) + "\n";
    for (const auto& e : expected) {
        char line[80];
        std::snprintf(line, sizeof line, "%.12f %.12f\n", e[0], e[1]);
        positions += line;
    }
    // A calibration file of the same points, read as any other model's file.
    const std::string xml = ScratchPath("bng_map.xml");
    std::ofstream xmlOut(xml);
    xmlOut.precision(12);
    xmlOut << "<?xml version=\"1.0\"?>\n<geomap sig=\"ZYLCSuite\" vers=\"1.0\" id=\"a\" "
              "model=\"projected\" map=\"\" caption=\"\">\n<calquads npoints=\"3\">\n["
           << north(100, 200) << "," << east(100, 200) << ",100,200] [" << north(3900, 150) << "," << east(3900, 150)
           << ",3900,150] [" << north(200, 2900) << "," << east(200, 2900)
           << ",200,2900]\n</calquads>\n<crs>EPSG:27700</crs>\n</geomap>\n";
    xmlOut.close();
    for (const TCliResult& r :
         {Fit(fit + "--to-position - " + points, pixels), Cli("map to-position " + xml, pixels)}) {
        ASSERT_EQ(r.Status, 0) << r.Out;
        ASSERT_EQ(r.Lines().size(), 3u) << r.Out;
        for (std::size_t i = 0; i < 3; ++i) {
            double lat = 0, lon = 0;
            ASSERT_EQ(std::sscanf(r.Lines()[i].c_str(), "%lf %lf", &lat, &lon), 2) << r.Lines()[i];
            EXPECT_NEAR(lat, expected[i][0], 1e-8);  // 1 mm
            EXPECT_NEAR(lon, expected[i][1], 1.6e-8);
        }
    }
    for (const TCliResult& r :
         {Fit(fit + "--to-pixel - " + points, positions), Cli("map to-pixel " + xml, positions)}) {
        ASSERT_EQ(r.Status, 0) << r.Out;
        EXPECT_EQ(r.Lines(), (std::vector<std::string>{"0.000 0.000", "1234.500 987.250", "4000.000 3000.000"}));
    }
    // The readout in another grid: back in British National Grid (through WGS 84
    // and PROJ's two directions of the shift, so within millimetres), and an
    // equirect map's pixels in web Mercator as cs2cs has its positions.
    const TCliResult bng = Fit(fit + "--to-position - --crs-out EPSG:27700 " + points, pixels);
    ASSERT_EQ(bng.Status, 0) << bng.Out;
    ASSERT_EQ(bng.Lines().size(), 3u) << bng.Out;
    for (std::size_t i = 0; i < 3; ++i) {
        double n = 0, e = 0;
        ASSERT_EQ(std::sscanf(bng.Lines()[i].c_str(), "%lf %lf", &n, &e), 2) << bng.Lines()[i];
        EXPECT_NEAR(n, north(test[i][0], test[i][1]), 0.005);
        EXPECT_NEAR(e, east(test[i][0], test[i][1]), 0.005);
    }
    const TCliResult merc =
        Fit("--model equirect --image 1000x800 --to-position - --crs-out EPSG:3857 " + Equirect9, "250.5 200\n");
    ASSERT_EQ(merc.Status, 0) << merc.Out;
    const auto c = Cs2cs("-f %.4f EPSG:4326 +to EPSG:3857", "48.75 6.2525\n");
    ASSERT_EQ(c.size(), 1u);
    double n = 0, e = 0;
    ASSERT_EQ(merc.Lines().size(), 1u) << merc.Out;
    ASSERT_EQ(std::sscanf(merc.Lines()[0].c_str(), "%lf %lf", &n, &e), 2);
    EXPECT_NEAR(e, c[0][0], 0.01);
    EXPECT_NEAR(n, c[0][1], 0.01);
    EXPECT_EQ(Fit("--model equirect --image 10x10 --crs-out EPSG:3857 --to-pixel - " + Equirect9, "1 1\n").Status, 2);

    const TCliResult report = Fit(fit + points);
    ASSERT_EQ(report.Status, 0) << report.Out;
    EXPECT_NE(report.Out.find("operation Inverse of British National Grid + OSGB36 to WGS 84"), std::string::npos)
        << report.Out;
    EXPECT_NE(report.Out.find("quality 0.000 0.000"), std::string::npos) << report.Out;

    // Bad usage exits 2; a fit the points cannot give exits 1.
    const std::pair<std::string, int> refused[] = {
        {"--model projected --image 10x10 " + points, 2},
        {"--model projected --crs EPSG:1 --image 10x10 " + points, 2},
        {"--model projected --crs EPSG:27700 --order 3 --image 10x10 " + points, 2},
        {"--model equirect --crs EPSG:27700 --image 10x10 " + points, 2},
        {"--model projected --crs EPSG:27700 --order 2 --grid-points --image 10x10 " + gridFile, 2},
    };
    for (const auto& [options, status] : refused) EXPECT_EQ(Fit(options).Status, status) << options;
    WriteFile(gridFile, "1 1 300000 400000\n5 1 300000 400010\n1 5 299990 400000\n9 9 299980 400020\n");
    const TCliResult few = Fit("--model projected --crs EPSG:27700 --order 2 --grid-points --image 10x10 " + gridFile);
    EXPECT_EQ(few.Status, 1) << few.Out;
    EXPECT_NE(few.Out.find("projected of order 2 needs at least 6 reference points, got 4"), std::string::npos)
        << few.Out;
    // A line that cannot be converted is named; the others are still converted.
    const TCliResult mixed = Cli("map to-position " + xml, "1 1\n1\n2 2\n");
    EXPECT_EQ(mixed.Status, 1);
    ASSERT_EQ(mixed.Lines().size(), 3u) << mixed.Out;
    EXPECT_EQ(mixed.Lines()[1], "error: line 2: expected X Y, got \"1\"");
}
