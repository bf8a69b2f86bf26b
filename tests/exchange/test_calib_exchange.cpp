// OziExplorer .map import and world files, through the library.
#include <gtest/gtest.h>

#include <cmath>

#include "exchange_fixture.h"
#include "file_size_limit.h"
#include "zylcarto/exchange/image_size.h"
#include "zylcarto/exchange/ozi_map.h"
#include "zylcarto/exchange/world_file.h"
#include "zylcarto/geodesy/datums.h"
#include "zylcarto/geodesy/geocentric.h"
#include "zylcarto/geodesy/projections.h"
#include "zylcarto/support/errors.h"

namespace zylcarto::test {
namespace {

using namespace zylcarto;

const std::vector<TOziPointSpec> kSquare = {
    {0, 0, 47.5, 8.0}, {400, 0, 47.5, 8.4}, {400, 300, 47.3, 8.4}, {0, 300, 47.3, 8.0}};

std::vector<TOziPointSpec> Shifted(double dLat, double dLong, double sLat = 1) {
    std::vector<TOziPointSpec> p = kSquare;
    for (auto& q : p) {
        q.Lat = q.Lat * sLat + dLat;
        q.Long += dLong;
    }
    return p;
}

TEST(OziMap, VersionsLineEndsAndHemispheres) {
    struct Case {
        const char* Version;
        const char* Eol;
        double dLat, dLong, sLat;
    };
    for (const Case& c : {Case{"2.0", "\n", 0, 0, 1}, Case{"2.1", "\r\n", 0, -16.2, 1}, Case{"2.2", "\r\n", 0, 0, -1},
                          Case{"2.2", "\n", 0, -16.2, -1}}) {
        SCOPED_TRACE(std::string(c.Version) + (c.Eol[0] == '\r' ? " CRLF" : " LF"));
        const std::string dir = TestDir();
        WriteBmp(dir + "Scan.BMP", 400, 300);
        const auto pts = Shifted(c.dLat, c.dLong, c.sLat);
        const TImportedCalibration r = ReadOziMap(OziMapText(pts, "WGS 84", c.Version, c.Eol), dir + "scan.map");
        EXPECT_EQ(r.Model, cmEquiRect);
        EXPECT_EQ(r.Data.MapFName, "Scan.BMP");  // found beside the .map whatever its case
        EXPECT_EQ(r.Data.Caption, "Z\u00FCrich Nord");
        ASSERT_EQ(r.Data.NumCalQuads, 4);
        EXPECT_NEAR(r.Data.Corners[gcoTopLeft].Latit, pts[0].Lat, 1e-9);
        EXPECT_NEAR(r.Data.Corners[gcoBottomRight].Longit, pts[2].Long, 1e-9);
        EXPECT_LT(r.MaxResidualM(), 1e-3);
    }
    // Degrees signed as well as lettered stay south (not flipped back north).
    std::string t = OziMapText(kSquare);
    t.replace(t.find("  47, 30.00000,N"), 16, " -47, 30.00000,S");
    EXPECT_EQ(ReadOziMap(t, TestDir() + "scan.map").Data.CalQuads[1].Latitude, -47.5);
}

TEST(OziMap, DatumsAreShiftedToWGS84) {
    const std::string dir = TestDir();
    const TImportedCalibration r = ReadOziMap(OziMapText(kSquare, "European 1950"), dir + "scan.map");
    double lat = 0, lon = 0, h = 0;
    ASSERT_EQ(HelmertTransform(59, 47.5, 8.0, 0, GeoDatumWGS84, lat, lon, h), htOK);
    EXPECT_NEAR(r.Data.CalQuads[1].Latitude, lat, 1e-9);
    EXPECT_NEAR(r.Data.CalQuads[1].Longitude, lon, 1e-9);
    EXPECT_GT(std::fabs(lon - 8.0), 1e-4);  // the shift is really there
    EXPECT_EQ(OziDatumNumber("Ord Srvy Grt Britn"), 183);
    EXPECT_EQ(OziDatumNumber("ordnance gb 1936"), 183);  // a row name of the table itself
    try {
        ReadOziMap(OziMapText(kSquare, "Moon Datum 1969"), dir + "scan.map");
        FAIL() << "an unknown datum must not pass as WGS 84";
    } catch (const EZYLGeoMapError& e) {
        EXPECT_STREQ(e.what(), "line 5: unknown datum \"Moon Datum 1969\"");
    }
}

TEST(OziMap, UTMGridPointsMakeAUTMCalibration) {
    const std::string dir = TestDir();
    std::string t = OziMapText({}, "WGS 84", "2.2", "\r\n", "(UTM) Universal Transverse Mercator");
    const char* grid[] = {
        "Point01,xy,    0,    0,in, deg,    ,        ,N,    ,        ,E, grid,  33,   500000.0,  6200000.0,S",
        "Point02,xy,  400,    0,in, deg,    ,        ,N,    ,        ,E, grid,  33,   504000.0,  6200000.0,S",
        "Point03,xy,  400,  300,in, deg,    ,        ,N,    ,        ,E, grid,  33,   504000.0,  6197000.0,S"};
    for (int i = 0; i < 3; ++i) {
        const std::string slot = "Point0" + std::to_string(i + 1) + ",xy,     ,";
        const std::size_t at = t.find(slot);
        t.replace(at, t.find("\r\n", at) - at, grid[i]);
    }
    const TImportedCalibration r = ReadOziMap(t, dir + "scan.map");
    EXPECT_EQ(r.Model, cmUTM);
    EXPECT_EQ(r.Data.UTMZone, 33);
    EXPECT_TRUE(r.Data.UTMSouth);
    EXPECT_EQ(r.Data.CalQuads[2].Longitude, 504000.0);  // easting, kept exactly
    EXPECT_EQ(r.Data.CalQuads[2].Latitude, 6200000.0);
    double lat = 0, lon = 0;
    UTMToLatLong(504000, 6197000, 33, true, TGeoEllipsoid::gelWGS84, lat, lon);
    EXPECT_NEAR(r.Data.Corners[gcoBottomRight].Latit, lat, 1e-8);
    EXPECT_NEAR(r.Data.Corners[gcoBottomRight].Longit, lon, 1e-8);
}

TEST(OziMap, AWriteThatFailsMidwayLeavesTheOldCalibration) {
    const std::string dir = TestDir();
    TImportedCalibration c = ReadOziMap(OziMapText(kSquare), dir + "scan.map");
    WriteImportedCalibration(dir + "m.xml", c);
    const std::string before = ReadFile(dir + "m.xml");
    c.Data.Caption = "changed";
    {
        const TFileSizeLimit limit(100);
        EXPECT_THROW(WriteImportedCalibration(dir + "m.xml", c), EInOutError);
    }
    EXPECT_EQ(ReadFile(dir + "m.xml"), before);
}

TEST(OziMap, BadFilesNameTheirLine) {
    const std::string good = OziMapText(kSquare);
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    // Point lines beyond the 30 slots (27 more than the 4 points), or 31 corner lines (the fallback without points)
    std::string morePoints, corners;
    for (int i = 0; i < 31; ++i) {
        if (i < 27)
            morePoints += "Point" + std::to_string(31 + i) + ",xy," + std::to_string(i * 10) + ",5,in, deg," +
                          OziAngle(47.5, 'N', 'S') + "," + OziAngle(8 + i * 0.01, 'E', 'W') + ", grid, , , ,N\r\n";
        corners += "MMPXY," + std::to_string(i + 1) + "," + std::to_string(i * 10) + ",5\r\n";
    }
    for (int i = 0; i < 31; ++i)
        corners += "MMPLL," + std::to_string(i + 1) + "," + std::to_string(8 + i * 0.01) + ",47.5\r\n";
    struct Case {
        std::string Text, Message;
    };
    const Case cases[] = {
        {"", "line 1: not an OziExplorer map file"},
        {replaced("Version 2.2", "Version 3.0"), "line 1: unsupported OziExplorer map version \"3.0\""},
        {good.substr(0, good.find("1 ,Map Code")), "line 4: the file ends before the datum line"},
        {good.substr(0, good.find("Map Projection")), "the file has no Map Projection line"},
        {replaced("  47, 30.00000,N", "  47, 30.00000,Q"), "line 10: latitude hemisphere must be N or S"},
        {replaced("  47, 30.00000,N", "  47, 61.00000,N"), "line 10: latitude minutes out of range"},
        {replaced("  47, 30.00000,N", "  4x, 30.00000,N"), "line 10: bad latitude \"4x\""},
        {replaced("Point02,xy,400", "Point02,xy,-5"), "line 11: pixel position out of range"},
        {replaced("  47, 30.00000,N", "  47, 30.00000,N, 17"), "line 10: longitude hemisphere must be E or W"},
        {replaced("IWH,Map Image Width/Height,400,300", "IWH,Map Image Width/Height,0,300"), "IWH needs"},
        {replaced("Projection Setup", morePoints + "Projection Setup"), "line 66: more than 30 calibration points"},
        {OziMapText({}) + corners, "line 74: more than 30 calibration points"},
    };
    const std::string dir = TestDir();
    for (const Case& c : cases) {
        try {
            ReadOziMap(c.Text, dir + "scan.map");
            ADD_FAILURE() << "accepted: " << c.Message;
        } catch (const EZYLGeoMapError& e) {
            EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
        }
    }
}

TEST(WorldFile, ParsesSixNumbersAndRefusesTheRest) {
    const TWorldFile w = ParseWorldFile("\r\n 0.001\r\n0\r\n0\r\n-6.5E-4\r\n8.0005\r\n47.49966666\r\n\r\n");
    EXPECT_EQ(w.A, 0.001);
    EXPECT_EQ(w.E, -6.5e-4);
    EXPECT_EQ(w.F, 47.49966666);
    EXPECT_EQ(ParseWorldFile(FormatWorldFile(w)).F, w.F);
    const TWorldFile comma =
        ParseWorldFile("  0.38\n  -0,01\n0.01\n-0,38\n700000.50\n4287500,50\n");  // as GDAL reads it
    EXPECT_EQ(comma.D, -0.01);
    EXPECT_EQ(comma.E, -0.38);
    EXPECT_EQ(comma.F, 4287500.5);
    for (const char* bad : {"1\n0\n0\n-1\n5\n", "1\n0\n0\n-1\n5\nx\n", "0\n0\n0\n0\n5\n6\n", "1\n0\n0\n-1\n5\n6\n7\n",
                            "1\n0\n0\n-1\n5\n6,0,1\n", "1\n0\n0\n-1\n5\n6.0,1\n"})
        EXPECT_THROW(ParseWorldFile(bad), EZYLGeoMapError) << bad;
    int zone = 0;
    bool south = false;
    EXPECT_TRUE(PrjNamesWGS84UTM("PROJCS[\"WGS_1984_UTM_Zone_33S\",GEOGCS[\"GCS_WGS_1984\"]]", zone, south));
    EXPECT_EQ(zone, 33);
    EXPECT_TRUE(south);
    EXPECT_TRUE(PrjNamesWGS84UTM("PROJCS[\"WGS 84 / UTM zone 7N\"]", zone, south));
    EXPECT_EQ(zone, 7);
    EXPECT_FALSE(PrjNamesWGS84UTM("PROJCS[\"ETRS89 / UTM zone 32N\"]", zone, south));
}

TEST(WorldFile, ImageSizesComeFromTheHeaders) {
    const std::string dir = TestDir();
    // JPEG headers: an APP0 segment, then a baseline or a progressive frame of 300 x 500.
    const std::string app0 = std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    for (char sof : {'\xC0', '\xC2'}) {
        WriteFile(dir + "a.jpg", std::string("\xFF\xD8", 2) + app0 + "\xFF" + sof +
                                     std::string("\x00\x11\x08\x01\xF4\x01\x2C\x03", 8));
        TImageSize s;
        ASSERT_TRUE(ReadImageSize(dir + "a.jpg", s));
        EXPECT_EQ(s.Width, 300);
        EXPECT_EQ(s.Height, 500);
    }
    WriteBmp(dir + "b.bmp", 7, 3);
    TImageSize s;
    ASSERT_TRUE(ReadImageSize(dir + "b.bmp", s));
    EXPECT_EQ(s.Width, 7);
    EXPECT_EQ(s.Height, 3);
    struct Sized {
        std::string Name;
        int Width, Height;
    };
    WritePngHeader(dir + "p.png", 2048, 1024);
    WriteTiffHeader(dir + "l.tif", 300, 70000, false);
    WriteTiffHeader(dir + "m.tif", 65535, 2, true);
    for (const Sized& k : {Sized{"p.png", 2048, 1024}, Sized{"l.tif", 300, 70000}, Sized{"m.tif", 65535, 2}}) {
        ASSERT_TRUE(ReadImageSize(dir + k.Name, s)) << k.Name;
        EXPECT_EQ(s.Width, k.Width) << k.Name;
        EXPECT_EQ(s.Height, k.Height) << k.Name;
    }
    std::string bigTiff = ReadFile(dir + "l.tif");
    bigTiff[2] = 43;
    std::string pastEnd = ReadFile(dir + "m.tif");
    pastEnd[7] = 99;  // the directory lies beyond the file
    for (const std::string& bad : {std::string("\xFF\xD8\xFF\xE0\x00", 5), std::string("\xFF\xD8\xFF\xDA\x00\x02", 6),
                                   std::string("BM\x00"), std::string("GIF89a"), bigTiff, pastEnd,
                                   ReadFile(dir + "p.png").substr(0, 20), std::string("II*\0\x08\0\0\0\0\0", 10)}) {
        WriteFile(dir + "c.img", bad);
        EXPECT_FALSE(ReadImageSize(dir + "c.img", s)) << bad.size();
    }
}

TEST(WorldFile, ExportOfImportGivesTheSameRule) {
    // Degrees and UTM metres, with a rotation term, come back as written.
    struct Case {
        TWorldFile W;
        int Zone;
    };
    for (const Case& c :
         {Case{{0.001, 1e-5, 2e-5, -0.0007, 8.0005, 47.49965}, 0}, Case{{10, 0.5, 0.25, -10, 500005, 5300005}, 32}}) {
        const std::string dir = TestDir();
        WriteBmp(dir + "m.bmp", 400, 300);
        WriteFile(dir + "m.bpw", FormatWorldFile(c.W));
        const TImportedCalibration r = ImportWorldFile(dir + "m.bmp", c.Zone, false);
        EXPECT_EQ(r.Model, c.Zone ? cmUTM : cmEquiRect);
        const TWorldExport e = WorldFileOf(r.Data, r.Model, 400, 300);
        EXPECT_TRUE(e.Exact);
        const double tol = c.Zone ? 1e-6 : 1e-12;
        EXPECT_NEAR(e.World.A, c.W.A, tol);
        EXPECT_NEAR(e.World.B, c.W.B, tol);
        EXPECT_NEAR(e.World.C, c.W.C, tol * 1e3);
        EXPECT_NEAR(e.World.D, c.W.D, tol);
        EXPECT_NEAR(e.World.E, c.W.E, tol);
        EXPECT_NEAR(e.World.F, c.W.F, tol * 1e3);
    }
    const std::string dir = TestDir();
    WriteBmp(dir + "m.bmp", 400, 300);
    WriteFile(dir + "m.bpw", FormatWorldFile({10, 0, 0, -10, 500005, 5300005}));
    EXPECT_THROW(ImportWorldFile(dir + "m.bmp", 0, false), EZYLGeoMapError);  // metres without a zone
    TCalibData zone33;
    zone33.UTMZone = 33;
    WriteFile(dir + "m.prj", PrjText(zone33, true));
    EXPECT_EQ(ImportWorldFile(dir + "m.bmp", 0, false).Data.UTMZone, 33);
}

TEST(WorldFile, FoundByTheImageExtensionOrNamedWhenMissing) {
    const std::string dir = TestDir();
    const TWorldFile w{0.001, 0, 0, -0.001, 8.0005, 47.4995};
    struct Case {
        std::string Image, World;
    };
    for (const Case& c :
         {Case{"a.tif", "a.tfw"}, Case{"b.tif", "b.TIFW"}, Case{"c.png", "c.pgw"}, Case{"d.tiff", "d.wld"}}) {
        if (c.Image.find(".png") != std::string::npos)
            WritePngHeader(dir + c.Image, 400, 300);
        else
            WriteTiffHeader(dir + c.Image, 400, 300, false);
        WriteFile(dir + c.World, FormatWorldFile(w));
        const TImportedCalibration r = ImportWorldFile(dir + c.Image, 0, false);
        EXPECT_EQ(r.ImageWidth, 400) << c.World;
        EXPECT_NE(r.Notes.at(0).find(c.World), std::string::npos) << r.Notes[0];
    }
    WriteTiffHeader(dir + "e.tif", 400, 300, false);
    try {
        ImportWorldFile(dir + "e.tif", 0, false);
        ADD_FAILURE() << "no world file, yet imported";
    } catch (const EInOutError& e) {
        EXPECT_NE(std::string(e.what()).find("e.tif (looked for e.tfw, e.tifw, e.wld, in either case)"),
                  std::string::npos)
            << e.what();
    }
}

TEST(WorldFile, GlobalFilesMayOvershootTheGlobeByHalfAPixel) {
    const std::string dir = TestDir();
    WritePngHeader(dir + "g.png", 2048, 1024);
    const double px = 360.0 / 2048;
    // The first pixel's centre, not its edge, on -180/90; then half a pixel more.
    for (double extra : {0.0, 0.5}) {
        const TWorldFile w{px, 0, 0, -px, -180 - extra * px, 90 + extra * px};
        WriteFile(dir + "g.pgw", FormatWorldFile(w));
        if (extra > 0) {
            EXPECT_THROW(ImportWorldFile(dir + "g.png", 0, false), EZYLGeoMapError);
            continue;
        }
        const TImportedCalibration r = ImportWorldFile(dir + "g.png", 0, false);
        EXPECT_EQ(r.Data.Corners[gcoTopLeft], (TCoords{90, -180}));
        EXPECT_NEAR(r.Data.Corners[gcoBottomRight].Latit, -90 + px / 2, 1e-9);  // on the globe anyway
        EXPECT_NEAR(r.Data.Corners[gcoBottomRight].Longit, 180 - px / 2, 1e-9);
        for (int i = 1; i <= r.Data.NumCalQuads; ++i) {
            EXPECT_LE(std::fabs(r.Data.CalQuads[i].Latitude), 90);
            EXPECT_LE(std::fabs(r.Data.CalQuads[i].Longitude), 180);
        }
        const TWorldExport e = WorldFileOf(r.Data, r.Model, 2048, 1024);
        EXPECT_NEAR(e.World.C, w.C, 1e-9);
        EXPECT_NEAR(e.World.F, w.F, 1e-9);
    }
}

TEST(WorldFile, NorthUpRulesAreWrittenWithoutRotation) {
    struct Case {
        TWorldFile W;
        int Zone, Width, Height;
    };
    for (const Case& c :
         {Case{{0.125934, 0, 0, -0.093431, 118.822966, 47.818861}, 0, 300, 200},
          Case{{21.17068399999995, 0, 0, -21.17068399999995, 347671.101552591, 5196940.182175256}, 32, 500, 500},
          Case{{100, 0, 0, -100, 456850, 4957100}, 17, 1000, 1000}}) {
        const std::string dir = TestDir();
        WritePngHeader(dir + "n.png", static_cast<std::uint32_t>(c.Width), static_cast<std::uint32_t>(c.Height));
        WriteFile(dir + "n.pgw", FormatWorldFile(c.W));
        const TImportedCalibration r = ImportWorldFile(dir + "n.png", c.Zone, false);
        const std::string text = FormatWorldFile(WorldFileOf(r.Data, r.Model, c.Width, c.Height).World);
        EXPECT_NE(text.find("\r\n0\r\n0\r\n"), std::string::npos) << text;
    }
}

TEST(WorldFile, RefusesRulesAndZonesItCouldNotWriteOrCheck) {
    // An exact model without a fit has a zero pixel, which no world file may hold.
    TCalibData few;
    for (int n = 0; n <= 1; ++n) {
        for (TCalibModel m : {cmEquiRect, cmUTM})
            EXPECT_THROW(WorldFileOf(few, m, 400, 300), EZYLGeoMapError)
                << n << " points, model " << static_cast<int>(m);
        few.CalQuads[++few.NumCalQuads] = TCalQuad{47.5 - n * 0.1, 8.0 + n * 0.1, n * 100, n * 100};
    }
    const std::string dir = TestDir();
    WriteBmp(dir + "m.bmp", 400, 300);
    WriteFile(dir + "m.bpw", FormatWorldFile({0.001, 0, 0, -0.001, 8.0005, 47.4995}));
    TCalibData zone;
    for (int z : {-1, 0, 61}) {
        zone.UTMZone = z;
        EXPECT_THROW(PrjText(zone, true), EZYLGeoMapError) << z;
        if (z == 0) {
            EXPECT_EQ(ImportWorldFile(dir + "m.bmp", z, false).Model, cmEquiRect);  // the file itself is fine
        } else {
            EXPECT_THROW(ImportWorldFile(dir + "m.bmp", z, false), EZYLGeoMapError) << z;
        }
    }
}

}  // namespace
}  // namespace zylcarto::test
