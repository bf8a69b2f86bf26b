// The calibration exchanges through the zylcarto tool, checked against GDAL's gdalinfo.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "exchange_fixture.h"
#include "zylcarto/exchange/world_file.h"
#include "zylcarto/geodesy/projections.h"
#include "zylcarto/geomap/calibration/calib_xml.h"

namespace zylcarto::test {
namespace {

const std::string kCli = std::string("'") + ZYLCARTO_CLI + "'";

// The four corners as gdalinfo prints them: upper left, lower left, upper right, lower right (x, y).
std::vector<std::pair<double, double>> GdalCorners(const std::string& Dir, const std::string& Image) {
    const TRun r = Shell(Dir, std::string("'") + GDALINFO + "' '" + Image + "'");
    std::vector<std::pair<double, double>> c;
    for (const char* label : {"Upper Left", "Lower Left", "Upper Right", "Lower Right"}) {
        const std::size_t at = r.Out.find(label);
        if (at == std::string::npos) return {};
        double x = 0, y = 0;
        if (std::sscanf(r.Out.c_str() + r.Out.find('(', at), "( %lf , %lf )", &x, &y) != 2) return {};
        c.push_back({x, y});
    }
    return c;
}

// Our corners in gdalinfo's order, as (x, y) in the unit of the world file.
std::vector<std::pair<double, double>> OurCorners(const TCalibData& D, bool UTM) {
    std::vector<std::pair<double, double>> c;
    for (TCorners k : {gcoTopLeft, gcoBottomLeft, gcoTopRight, gcoBottomRight}) {
        double x = D.Corners[k].Longit, y = D.Corners[k].Latit;
        if (UTM) LatLongToUTMInZone(y, D.Corners[k].Longit, D.UTMZone, D.UTMSouth, TGeoEllipsoid::gelWGS84, x, y);
        c.push_back({x, y});
    }
    return c;
}

TCalibData Parsed(const std::string& Xml) {
    TCalibData d;
    TCalibModel m = cmUndefined;
    EXPECT_TRUE(ParseCalibData(Xml, "", d, m));
    return d;
}

TEST(CalibReference, OziImportThenWorldExportMatchesGdalinfo) {
    const std::string dir = TestDir();
    WriteBmp(dir + "scan.bmp", 400, 300);
    WriteFile(dir + "scan.map", OziMapText({{0, 0, -33.5, 18.25},
                                            {400, 0, -33.5, 18.65},
                                            {400, 300, -33.7, 18.65},
                                            {0, 300, -33.7, 18.25},
                                            {200, 150, -33.6, 18.45}}));
    TRun r = Shell(dir, kCli + " map import-ozi '" + dir + "scan.map' '" + dir + "scan.xml'");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("residual\t5\t0.000 m"), std::string::npos) << r.Out;
    r = Shell(dir, kCli + " map export-world '" + dir + "scan.xml'");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, dir + "scan.bpw\n");
    const auto gdal = GdalCorners(dir, dir + "scan.bmp");
    ASSERT_EQ(gdal.size(), 4u);
    const auto ours = OurCorners(Parsed(dir + "scan.xml"), false);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(gdal[i].first, ours[i].first, 1e-5) << i;  // the file keeps 5 decimals
        EXPECT_NEAR(gdal[i].second, ours[i].second, 1e-5) << i;
    }
    EXPECT_NEAR(gdal[3].first, 18.65, 1e-6);
    EXPECT_NEAR(gdal[3].second, -33.7, 1e-6);

    // A bad .map file is unreadable input: exit 2 with the line named.
    WriteFile(dir + "bad.map", "OziExplorer Map Data File Version 2.2\r\nt\r\n");
    r = Shell(dir, kCli + " map import-ozi '" + dir + "bad.map' '" + dir + "bad.xml'");
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("bad.map: line 3: the file ends before the datum line"), std::string::npos) << r.Err;
}

TEST(CalibReference, WorldImportMatchesGdalinfo) {
    struct Case {
        TWorldFile W;
        std::string Options;
        bool UTM;
    };
    for (const Case& c : {Case{{0.00025, 0, 0, -0.0002, 16.0001, 48.2999}, "", false},
                          Case{{2.5, 0.1, 0.2, -2.5, 600001.25, 5340001.25}, " --utm-zone 33", true},
                          Case{{2.5, 0, 0, -2.5, 300001.25, 6100001.25}, " --utm-zone 34 --south", true}}) {
        SCOPED_TRACE(c.Options);
        const std::string dir = TestDir();
        WriteBmp(dir + "m.bmp", 640, 480);
        WriteFile(dir + "m.wld", FormatWorldFile(c.W));
        const TRun r = Shell(dir, kCli + " map import-world '" + dir + "m.bmp' '" + dir + "m.xml'" + c.Options);
        ASSERT_EQ(r.Status, 0) << r.Err;
        const auto gdal = GdalCorners(dir, dir + "m.bmp");
        ASSERT_EQ(gdal.size(), 4u);
        // The file keeps corners to 5 decimals; the calibration itself is compared in memory.
        const TCalibData d =
            ImportWorldFile(dir + "m.bmp", c.UTM ? (c.Options.find("34") != std::string::npos ? 34 : 33) : 0,
                            c.Options.find("south") != std::string::npos)
                .Data;
        const auto ours = OurCorners(d, c.UTM);
        const double tol = c.UTM ? 0.01 : 1e-6;
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(gdal[i].first, ours[i].first, tol) << i;
            EXPECT_NEAR(gdal[i].second, ours[i].second, tol) << i;
        }
    }
}

}  // namespace
}  // namespace zylcarto::test
