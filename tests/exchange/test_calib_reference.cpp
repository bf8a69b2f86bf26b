// The calibration exchanges through the zylcarto tool, checked against GDAL's gdalinfo.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "exchange_fixture.h"
#include "zylcarto/exchange/world_file.h"
#include "zylcarto/geodesy/projections.h"
#include "zylcarto/geomap/calibration/calib_xml.h"

namespace zylcarto::test {
namespace {

// The four corners as gdalinfo prints them: upper left, lower left, upper right, lower right (x, y).
std::vector<std::pair<double, double>> GdalCorners(const std::string& Image) {
    const TCliResult r = RunShell(std::string("'") + GDALINFO + "' '" + Image + "'");
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
    TCliResult r = RunCli("map import-ozi '" + dir + "scan.map' '" + dir + "scan.xml'");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("residual\t5\t0.000 m"), std::string::npos) << r.Out;
    r = RunCli("map export-world '" + dir + "scan.xml'");
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, dir + "scan.bpw\n");
    const auto gdal = GdalCorners(dir + "scan.bmp");
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
    r = RunCli("map import-ozi '" + dir + "bad.map' '" + dir + "bad.xml'");
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
        const TCliResult r = RunCli("map import-world '" + dir + "m.bmp' '" + dir + "m.xml'" + c.Options);
        ASSERT_EQ(r.Status, 0) << r.Err;
        const auto gdal = GdalCorners(dir + "m.bmp");
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

namespace zylcarto::test {
namespace {

// Numbers printed by a command, whitespace-separated, line after line.
std::vector<std::vector<double>> NumberLines(const std::string& Text) {
    std::vector<std::vector<double>> lines;
    std::istringstream in(Text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream f(line);
        std::vector<double> v;
        for (double d; f >> d;) v.push_back(d);
        if (!v.empty()) lines.push_back(v);
    }
    return lines;
}

struct TOziCase {
    std::string Projection, Setup, Datum;
    std::string Plain;  // the projection on the datum's ellipsoid, without a shift
    double E0, N0, Step;
    bool GridPoints;  // the points as easting and northing instead of positions
    bool GdalReads;   // else the exact grid of the points stands for GDAL's fit
    std::string Model = "projected";
    double UnitMetres = 1;  // ground metres of one grid unit
};

std::pair<double, double> ExactGrid(const TOziCase& C, double x, double y) {
    return {C.E0 + C.Step * (x + 0.02 * y), C.N0 - C.Step * (y - 0.01 * x)};
}

// A .map file of a 400 x 300 image whose five points lie on an exact grid.
std::string ProjectedOziText(const TOziCase& C, const std::string& Dir, const std::string& ImageName) {
    const int px[][2] = {{10, 10}, {390, 20}, {380, 290}, {20, 280}, {200, 150}};
    std::string grid;
    char buf[256];
    std::vector<std::pair<double, double>> en;
    for (const auto& p : px) {
        en.push_back(ExactGrid(C, p[0], p[1]));
        std::snprintf(buf, sizeof buf, "%.6f %.6f\n", en.back().first, en.back().second);
        grid += buf;
    }
    WriteFile(Dir + "grid.txt", grid);
    const std::string ellps = C.Plain.substr(C.Plain.find("+ellps="));
    const TCliResult ll = RunShell("cs2cs -f %.10f " + C.Plain + " +type=crs +to +proj=longlat " + ellps +
                                   " +type=crs < '" + Dir + "grid.txt'");
    const auto lonlat = NumberLines(ll.Out);
    const std::size_t z = C.Plain.find("+zone=");
    const std::string zone = z == std::string::npos ? "" : C.Plain.substr(z + 6, C.Plain.find(' ', z) - z - 6);
    std::string t = "OziExplorer Map Data File Version 2.2\r\nmap\r\nC:\\Maps\\" + ImageName + "\r\n1 ,Map Code,\r\n" +
                    C.Datum +
                    ",WGS 84,   0.0000,   0.0000,WGS 84\r\nReserved 1\r\nReserved 2\r\n"
                    "Magnetic Variation,,,E\r\nMap Projection," +
                    C.Projection + ",PolyCal,No,AutoCalOnly,No,BSBUseWPX,No\r\n";
    for (std::size_t i = 0; i < 5 && lonlat.size() == 5; ++i) {
        std::snprintf(buf, sizeof buf, "Point%02zu,xy,%d,%d,in, deg,", i + 1, px[i][0], px[i][1]);
        t += buf;
        if (C.GridPoints) {
            std::snprintf(buf, sizeof buf, "    ,        ,N,    ,        ,E, grid,%3s,%.3f,%.3f,N\r\n", zone.c_str(),
                          en[i].first, en[i].second);
            t += buf;
        } else {
            t += OziAngle(lonlat[i][1], 'N', 'S') + "," + OziAngle(lonlat[i][0], 'E', 'W') +
                 ", grid,   ,           ,           ,N\r\n";
        }
    }
    return t + "Projection Setup," + C.Setup + "\r\nMM0,Yes\r\nIWH,Map Image Width/Height,400,300\r\n";
}

}  // namespace

// Each projection and datum: our fit in the map's own projection gives the
// positions of GDAL's fit of the same file (gdaltransform -order 1, its grid
// taken to WGS 84 in the row's projection with our datum shift) within 0.5 px.
TEST(CalibReference, OziProjectionsMatchGdalsFit) {
    const TOziCase cases[] = {
        {"Transverse Mercator", "0,39,1,7500000,0,,,,,", "Pulkovo 1942 (1)",
         "+proj=tmerc +lat_0=0 +lon_0=39 +k=1 +x_0=7500000 +y_0=0 +ellps=krass", 7312000, 6213000, 4, false, true},
        {"Lambert Conformal Conic", "46.5,3,,700000,6600000,44,49,,,", "European 1950",
         "+proj=lcc +lat_1=44 +lat_2=49 +lat_0=46.5 +lon_0=3 +x_0=700000 +y_0=6600000 +ellps=intl", 690000, 6610000, 10,
         false, true},
        {"Mercator", "0,10,1,0,0,,,,,", "WGS 84", "+proj=merc +lon_0=10 +k=1 +x_0=0 +y_0=0 +ellps=WGS84", 1100000,
         6000000, 20, false, true},
        {"(BNG) British National Grid", ",,,,,,,,,", "Ord Srvy Grt Britn",
         "+proj=tmerc +lat_0=49 +lon_0=-2 +k=0.9996012717 +x_0=400000 +y_0=-100000 +ellps=airy", 400000, 300000, 5,
         true, true},
        {"(SUI) Swiss Grid", ",,,,,,,,,", "CH-1903",
         "+proj=somerc +lat_0=46.95240555555556 +lon_0=7.439583333333333 +k_0=1 +x_0=600000 +y_0=200000 "
         "+ellps=bessel",
         598000, 201000, 2.5, false, false},  // GDAL reads no Swiss grid
        {"Albers Equal Area", "23,-96,,0,0,29.5,45.5,,,", "NAD83",
         "+proj=aea +lat_1=29.5 +lat_2=45.5 +lat_0=23 +lon_0=-96 +x_0=0 +y_0=0 +ellps=GRS80", 100000, 1500000, 30,
         false, true},
        {"Latitude/Longitude", ",,,,,,,,,", "WGS 84", "+proj=longlat +ellps=WGS84", 16, 48.3, 0.0001, false, true,
         "equirect", 73950},
        {"(UTM) Universal Transverse Mercator", ",,,,,,,,,", "WGS 84", "+proj=utm +zone=33 +ellps=WGS84", 500000,
         5350000, 5, true, true, "utm"},
        {"(IG) Irish Grid", ",,,,,,,,,", "Ireland 1965",
         "+proj=tmerc +lat_0=53.5 +lon_0=-8 +k=1.000035 +x_0=200000 +y_0=250000 +ellps=mod_airy", 300000, 230000, 5,
         true, true},
        {"(SG) Swedish Grid", ",,,,,,,,,", "RT 90",
         "+proj=tmerc +lat_0=0 +lon_0=15.80827777777778 +k=1 +x_0=1500000 +y_0=0 +ellps=bessel", 1600000, 6600000, 10,
         true, false},  // GDAL reads no Swedish grid
        {"(NZG) New Zealand Grid", ",,,,,,,,,", "Geodetic Datum '49",
         "+proj=nzmg +lat_0=-41 +lon_0=173 +x_0=2510000 +y_0=6023150 +ellps=intl", 2660000, 6000000, 10, true, true},
        {"Polyconic (American)", "30,-96,,500000,100000,,,,,", "NAD27 CONUS",
         "+proj=poly +lat_0=30 +lon_0=-96 +x_0=500000 +y_0=100000 +ellps=clrk66", 700000, 1210000, 20, true,
         false},  // GDAL reads no polyconic map
        {"Sinusoidal", "0,20,,1000000,2000000,,,,,", "WGS 84",
         "+proj=sinu +lon_0=20 +x_0=1000000 +y_0=2000000 +ellps=WGS84", 1100000, 1000000, 30, false, true},
    };
    const std::string dir = TestDir();
    WriteBmp(dir + "sheet.bmp", 400, 300);
    const double pixels[][2] = {{0, 0}, {400, 300}, {123.5, 234.25}, {400, 0}, {0, 300}};
    std::string pixelText;
    for (const auto& p : pixels) pixelText += std::to_string(p[0]) + " " + std::to_string(p[1]) + "\n";
    WriteFile(dir + "pixels.txt", pixelText);
    for (const TOziCase& c : cases) {
        SCOPED_TRACE(c.Projection);
        WriteFile(dir + "sheet.map", ProjectedOziText(c, dir, "sheet.bmp"));
        TCliResult r = RunCli("map import-ozi '" + dir + "sheet.map' '" + dir + "sheet.xml'");
        ASSERT_EQ(r.Status, 0) << r.Err << r.Out;
        EXPECT_NE(r.Out.find("model\t" + c.Model), std::string::npos) << r.Out;
        r = RunCli("map to-position '" + dir + "sheet.xml' < '" + dir + "pixels.txt'");
        ASSERT_EQ(r.Status, 0) << r.Err;
        const auto ours = NumberLines(r.Out);
        const TCalibData d = Parsed(dir + "sheet.xml");
        if (c.Datum == "Pulkovo 1942 (1)") {
            EXPECT_NE(d.CRS.find("+ellps=krass +towgs84=28,-130,-95 "), std::string::npos) << d.CRS;
        }
        TCliResult g = RunShell("gdaltransform -order 1 '" + dir + "sheet.map' < '" + dir + "pixels.txt'");
        if (!c.GdalReads) {
            g.Out.clear();
            for (const auto& p : pixels) {
                const auto [e, n] = ExactGrid(c, p[0], p[1]);
                g.Out += std::to_string(e) + " " + std::to_string(n) + "\n";
            }
        }
        WriteFile(dir + "gdal_grid.txt", g.Out);
        // The row's own projection with our datum shift (the models without a CRS are on WGS 84),
        // so that grid points too check the projection we read.
        const std::size_t shift = d.CRS.find("+towgs84=");
        const std::string crs =
            c.Plain + (shift == std::string::npos ? "" : " " + d.CRS.substr(shift, d.CRS.find(' ', shift) - shift)) +
            " +type=crs";
        const TCliResult ref = RunShell("cs2cs -f %.10f " + crs + " +to EPSG:4326 < '" + dir + "gdal_grid.txt'");
        const auto gdal = NumberLines(ref.Out);
        ASSERT_EQ(ours.size(), 5u) << r.Out;
        ASSERT_EQ(gdal.size(), 5u) << g.Out << g.Err << ref.Err;
        for (std::size_t i = 0; i < 5; ++i) {
            const double dn = (ours[i][0] - gdal[i][0]) * 111195,
                         de = (ours[i][1] - gdal[i][1]) * 111195 * std::cos(gdal[i][0] * 3.14159265 / 180);
            EXPECT_LT(std::hypot(dn, de), 0.5 * c.Step * c.UnitMetres) << i;
        }
    }

    // A point 10 px off the others is named and nothing is written; a Cyrillic
    // image name in the file's code page finds the image beside it.
    std::string text = ProjectedOziText(cases[0], dir, "\xEA\xE0\xF0\xF2\xE0.bmp");
    WriteBmp(dir + "карта.bmp", 400, 300);
    const std::size_t p3 = text.find("Point03,xy,380,");
    text.replace(p3, 15, "Point03,xy,370,");
    WriteFile(dir + "off.map", text);
    TCliResult r = RunCli("map import-ozi '" + dir + "off.map' '" + dir + "off.xml'");
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("reference point 3 (pixel 370 290) lies"), std::string::npos) << r.Err;
    EXPECT_FALSE(std::filesystem::exists(dir + "off.xml"));
    r = RunCli("map import-ozi '" + dir + "off.map' '" + dir + "off.xml' --max-residual 20");
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("image\tкарта.bmp\t400x300"), std::string::npos) << r.Out;
}

}  // namespace zylcarto::test

namespace zylcarto::test {

// World files in any CRS: the .prj (ESRI or OGC WKT, written by projinfo) or
// --crs gives the grid; positions agree with gdaltransform's grid taken to
// WGS 84 by cs2cs, and export-world writes the same world file and a .prj.
TEST(CalibReference, WorldFilesInAnyCRSMatchGdal) {
    struct TCase {
        std::string Epsg, PrjFormat;  // "" PrjFormat: no .prj, --crs instead
        double E0, N0, Step;
    };
    const TCase cases[] = {{"EPSG:27700", "WKT1_ESRI", 400000, 300000, 2.5},
                           {"EPSG:2154", "WKT1_GDAL", 690000, 6610000, 10},
                           {"EPSG:3857", "", -8240000, 4980000, 4.77}};
    const std::string dir = TestDir();
    WriteBmp(dir + "w.bmp", 400, 300);
    WriteFile(dir + "px.txt", "0 0\n400 300\n123.5 45.25\n");
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Epsg);
        std::filesystem::remove(dir + "w.prj");
        char world[256];
        std::snprintf(world, sizeof world, "%.6f\n%.6f\n%.6f\n%.6f\n%.6f\n%.6f\n", c.Step, c.Step / 50, c.Step / 100,
                      -c.Step, c.E0 + c.Step / 2, c.N0 - c.Step / 2);
        WriteFile(dir + "w.bpw", world);
        std::string crsOption;
        if (c.PrjFormat.empty()) {
            crsOption = " --crs " + c.Epsg;
        } else {
            const TCliResult prj = RunShell("projinfo -q --single-line -o " + c.PrjFormat + " " + c.Epsg);
            ASSERT_EQ(prj.Status, 0) << prj.Err;
            WriteFile(dir + "w.prj", prj.Out);
        }
        TCliResult r = RunCli("map import-world '" + dir + "w.bmp' '" + dir + "w.xml'" + crsOption);
        ASSERT_EQ(r.Status, 0) << r.Err;
        EXPECT_NE(r.Out.find("model\tprojected"), std::string::npos) << r.Out;
        r = RunCli("map to-position '" + dir + "w.xml' < '" + dir + "px.txt'");
        ASSERT_EQ(r.Status, 0) << r.Err;
        const auto ours = NumberLines(r.Out);
        const TCliResult g = RunShell("gdaltransform '" + dir + "w.bmp' < '" + dir + "px.txt'");
        WriteFile(dir + "g.txt", g.Out);
        const auto ref = NumberLines(RunShell("cs2cs -f %.10f " + c.Epsg + " +to EPSG:4326 < '" + dir + "g.txt'").Out);
        ASSERT_EQ(ours.size(), 3u);
        ASSERT_EQ(ref.size(), 3u) << g.Out;
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_NEAR(ours[i][0], ref[i][0], 1e-7) << i;  // 1 cm
            EXPECT_NEAR(ours[i][1], ref[i][1], 1e-7) << i;
        }
        const auto before = GdalCorners(dir + "w.bmp");
        std::filesystem::remove(dir + "w.bpw");
        std::filesystem::remove(dir + "w.prj");
        r = RunCli("map export-world '" + dir + "w.xml'");
        ASSERT_EQ(r.Status, 0) << r.Err;
        const auto after = GdalCorners(dir + "w.bmp");
        ASSERT_EQ(after.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(after[i].first, before[i].first, 1e-3) << i;
            EXPECT_NEAR(after[i].second, before[i].second, 1e-3) << i;
        }
        // The .prj names the same system: cs2cs takes it and agrees.
        const std::string prjText = ReadFile(dir + "w.prj");
        ASSERT_FALSE(prjText.empty());
        WriteFile(dir + "g1.txt", g.Out.substr(0, g.Out.find('\n') + 1));
        const auto viaPrj = NumberLines(
            RunShell("cs2cs -f %.10f \"$(cat '" + dir + "w.prj')\" +to EPSG:4326 < '" + dir + "g1.txt'").Out);
        ASSERT_EQ(viaPrj.size(), 1u) << prjText;
        EXPECT_NEAR(viaPrj[0][0], ref[0][0], 1e-5);  // ESRI WKT may name the datum only: its shift may differ
        EXPECT_NEAR(viaPrj[0][1], ref[0][1], 1e-5);
    }
}

}  // namespace zylcarto::test
