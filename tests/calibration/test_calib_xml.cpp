#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <filesystem>

#include "scratch_dir.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/streams.h"

using namespace zylcarto;
using test::ReadFile;
using test::ScratchFile;
using test::ScratchPath;

namespace {

TCalibData SampleData() {
    TCalibData d;
    d.MapFName = "maps/alps.jpg";
    d.Caption = "Alps North";
    d.Corners[gcoTopLeft] = {47.123456789, 8.5};
    d.Corners[gcoBottomLeft] = {46.0, 8.5};
    d.Corners[gcoBottomRight] = {46.0, -10.25};
    d.Corners[gcoTopRight] = {47.1, -10.25};
    d.Resolution = 12.3456;
    d.NumCalLines = 2;
    d.CalLines[1].LineType = gtlMeridian;
    d.CalLines[1].LineValue = 8.123456789012345;
    d.CalLines[1].NumPoints = 3;
    d.CalLines[1].CalPoints[1] = {10, 20};
    d.CalLines[1].CalPoints[2] = {11, 200};
    d.CalLines[1].CalPoints[3] = {-12, 400};
    d.CalLines[2].LineType = gtlParallel;
    d.CalLines[2].LineValue = 0.000001;
    d.CalLines[2].NumPoints = 3;
    d.CalLines[2].CalPoints[1] = {5, 100};
    d.CalLines[2].CalPoints[2] = {300, 101};
    d.CalLines[2].CalPoints[3] = {600, 99};
    d.NumCalQuads = 2;
    d.CalQuads[1] = {47.000004, 8.25, 30, 40};
    d.CalQuads[2] = {-33.5, -70.654321, 1024, 768};
    d.UTMZone = 32;
    d.UTMSouth = true;
    d.Ellipsoid = gelBess41;
    return d;
}

// What a text-file round trip keeps: corners and quads exactly, the resolution to 3 decimals.
void ExpectRoundTrip(const TCalibData& In, const TCalibData& Out) {
    EXPECT_EQ(Out.MapFName, In.MapFName);
    EXPECT_EQ(Out.Caption, In.Caption);
    for (int c = 0; c < 4; ++c) {
        const auto k = static_cast<TCorners>(c);
        EXPECT_EQ(Out.Corners[k].Latit, In.Corners[k].Latit);
        EXPECT_EQ(Out.Corners[k].Longit, In.Corners[k].Longit);
    }
    ASSERT_EQ(Out.NumCalLines, In.NumCalLines);
    for (int i = 1; i <= In.NumCalLines; ++i) {
        EXPECT_EQ(Out.CalLines[i].LineType, In.CalLines[i].LineType);
        EXPECT_DOUBLE_EQ(Out.CalLines[i].LineValue, In.CalLines[i].LineValue);
        ASSERT_EQ(Out.CalLines[i].NumPoints, In.CalLines[i].NumPoints);
        for (int k = 1; k <= In.CalLines[i].NumPoints; ++k)
            EXPECT_EQ(Out.CalLines[i].CalPoints[k], In.CalLines[i].CalPoints[k]);
    }
    ASSERT_EQ(Out.NumCalQuads, In.NumCalQuads);
    for (int i = 1; i <= In.NumCalQuads; ++i) {
        EXPECT_EQ(Out.CalQuads[i].Latitude, In.CalQuads[i].Latitude);
        EXPECT_EQ(Out.CalQuads[i].Longitude, In.CalQuads[i].Longitude);
        EXPECT_EQ(Out.CalQuads[i].MapX, In.CalQuads[i].MapX);
        EXPECT_EQ(Out.CalQuads[i].MapY, In.CalQuads[i].MapY);
    }
}

std::string SetText(const std::string& Id, const std::string& Body, const std::string& Extra = "") {
    return "<geomap sig=\"ZYLCSuite\" vers=\"1.0\" id=\"" + Id + "\"" + Extra + ">\r\n" + Body + "</geomap>\r\n";
}

}  // namespace

TEST(CalibXmlWriter, TextLayoutLineByLine) {
    TCalibData d;
    d.MapFName = "Map.jpg";
    d.Caption = "Test";
    d.Corners[gcoTopLeft] = {47.123456789, -8.5};
    d.Resolution = 2.5;
    d.NumCalLines = 1;
    d.CalLines[1].LineType = gtlParallel;
    d.CalLines[1].LineValue = 12.5;
    d.CalLines[1].NumPoints = 3;
    d.CalLines[1].CalPoints[1] = {1, 2};
    d.CalLines[1].CalPoints[2] = {3, -4};
    d.CalLines[1].CalPoints[3] = {5, 6};
    d.NumCalQuads = 1;
    d.CalQuads[1] = {1.5, 2.25, 7, 8};
    d.UTMZone = 61;  // out of 1..60: no zone lines
    const std::string path = ScratchPath("layout.xml");
    TTextFile f;
    f.OpenWrite(path);
    WriteRawCalDataToOpenXMLFile(f, true, "ID1", d, cmEquiRect);
    f.Close();
    EXPECT_EQ(
        ReadFile(path),
        "<?xml version=\"1.0\"?>\r\n"
        "\r\n"
        "<!-- TGeoMap Calibration / Zyl Component Suite -->\r\n"
        "<geomap sig=\"ZYLCSuite\" vers=\"1.0\" id=\"ID1\" model=\"equirect\" map=\"Map.jpg\" caption=\"Test\">\r\n"
        "<corners>\r\n"
        "[47.123456789,-8.50000] [0.00000,0.00000] [0.00000,0.00000] [0.00000,0.00000] \r\n"
        "</corners>\r\n"
        "<resolution>2.500</resolution>\r\n"
        "<ellipsoid>gelWGS84</ellipsoid>\r\n"
        "<calline type=\"parallel\" value=\"12.5\" npoints=\"3\">\r\n"
        "[1,2] [3,-4] [5,6] \r\n"
        "</calline>\r\n"
        "<calquads npoints=\"1\">\r\n"
        "[1.50000,2.25000,7,8] \r\n"
        "</calquads>\r\n"
        "</geomap>\r\n");
}

TEST(CalibXmlWriter, StreamLayoutAlwaysHasHeaderResolutionAndQuads) {
    TCalibData d;
    d.UTMZone = 32;
    TMemoryStream s;
    WriteCalDataToStream(s, "x", d, cmUTM);
    const std::string text(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\"?>\r\n\r\n", 0), 0u);
    EXPECT_NE(text.find("<resolution>0.000</resolution>\r\n"), std::string::npos);
    EXPECT_NE(text.find("<calquads npoints=\"0\">\r\n\r\n</calquads>\r\n</geomap>\r\n"), std::string::npos);
    // Unlike the old stream layout, zone and ellipsoid are kept.
    EXPECT_NE(text.find("<utmzone>32</utmzone>\r\n<utmsouth>FALSE</utmsouth>\r\n<ellipsoid>gelWGS84</ellipsoid>"),
              std::string::npos);

    const std::string path = ScratchPath("nores.xml");
    TTextFile f;
    f.OpenWrite(path);
    WriteRawCalDataToOpenXMLFile(f, false, "x", d, cmUTM);
    f.Close();
    const std::string fileText = ReadFile(path);
    EXPECT_EQ(fileText.rfind("\r\n<!--", 0), 0u);
    EXPECT_EQ(fileText.find("resolution"), std::string::npos);
    EXPECT_EQ(fileText.find("calquads"), std::string::npos);
    EXPECT_NE(fileText.find("<utmzone>32</utmzone>\r\n<utmsouth>FALSE</utmsouth>"), std::string::npos);
}

TEST(CalibXmlRoundTrip, TextFileAndStreamGiveTheFieldsBack) {
    const TCalibData in = SampleData();
    const std::string path = ScratchPath("roundtrip.xml");
    TTextFile f;
    f.OpenWrite(path);
    WriteRawCalDataToOpenXMLFile(f, true, "set1", in, cmConicConformal);
    f.Close();

    TCalibData out;
    TCalibModel model = cmUndefined;
    ASSERT_TRUE(ParseCalibData(path, "SET1", out, model));
    EXPECT_EQ(model, cmConicConformal);
    ExpectRoundTrip(in, out);
    EXPECT_NEAR(out.Resolution, 12.346, 1e-9);
    EXPECT_EQ(out.UTMZone, 32);
    EXPECT_TRUE(out.UTMSouth);
    EXPECT_EQ(out.Ellipsoid, gelBess41);

    TMemoryStream s;
    s.WriteString("leading junk\r\n");
    const auto start = s.Position();
    WriteCalDataToStream(s, "set1", in, cmMillerCylindrical);
    s.SetPosition(start);
    TCalibData fromStream;
    ASSERT_TRUE(ParseCalibData(s, "set1", fromStream, model));
    EXPECT_EQ(model, cmMillerCylindrical);
    ExpectRoundTrip(in, fromStream);
    EXPECT_EQ(fromStream.UTMZone, 32);
    EXPECT_TRUE(fromStream.UTMSouth);
    EXPECT_EQ(fromStream.Ellipsoid, gelBess41);
}

TEST(CalibXmlReader, PicksTheDataSetByIdWithoutCase) {
    const std::string text =
        SetText("a", "<resolution>1</resolution>\r\n") + SetText("b", "<resolution>2</resolution>\r\n");
    const std::string path = ScratchFile("two.xml", text);
    TCalibData d;
    TCalibModel m;
    ASSERT_TRUE(ParseCalibData(path, "B", d, m));
    EXPECT_EQ(d.Resolution, 2.0);
    ASSERT_TRUE(ParseCalibData(path, "", d, m));
    EXPECT_EQ(d.Resolution, 1.0);

    TCalibData untouched = SampleData();
    m = cmUTM;
    EXPECT_FALSE(ParseCalibData(path, "c", untouched, m));
    EXPECT_EQ(untouched, SampleData());
    EXPECT_EQ(m, cmUTM);
    EXPECT_FALSE(ParseCalibData(ScratchPath("missing.xml"), "", untouched, m));
}

TEST(CalibXmlReader, HeaderValuesMapNameLoweredCaptionKept) {
    const std::string path = ScratchFile(
        "hdr.xml", SetText(" Q ", "", R"( model="ParabolicIp" map=" Maps/Big.JPG " caption=" My Caption ")"));
    TCalibData d;
    TCalibModel m;
    ASSERT_TRUE(ParseCalibData(path, "q", d, m));
    EXPECT_EQ(d.MapFName, "maps/big.jpg");
    EXPECT_EQ(d.Caption, "My Caption");
    EXPECT_EQ(m, cmParabolicIp);

    TTextFile f;
    ASSERT_TRUE(f.OpenRead(path));
    TTextFileSource src(f);
    TCalibSetHeader h;
    ASSERT_TRUE(FindCalibSet(src, "Q", h));
    EXPECT_EQ(h.Id, "q");
    EXPECT_EQ(MapReaderModel(h), cmParabolicIp);

    h.HasModel = false;
    EXPECT_EQ(ParsedCalibModel(h), cmBiquadraticPn);
    h.HasModel = true;
    h.ModelName = "mercator";
    EXPECT_EQ(ParsedCalibModel(h), cmUndefined);
    EXPECT_EQ(MapReaderModel(h), cmUndefined);
    h.ModelName = "utm";
    EXPECT_EQ(MapReaderModel(h), cmUTM);
}

TEST(CalibXmlReader, ShortLinesKeptByParseDroppedByTheMapRules) {
    const std::string body =
        "<calline type=\"meridian\" value=\"3\" npoints=\"2\">\r\n[1,2] [3,4] \r\n</calline>\r\n"
        "<calline type=\"PARALLEL\" value=\"12,5\" npoints=\"3\">\r\n[1,2] [3,4] [5,6]\r\n</calline>\r\n";
    const std::string path = ScratchFile("short.xml", SetText("s", body));
    TCalibData d;
    TCalibModel m;
    ASSERT_TRUE(ParseCalibData(path, "s", d, m));
    ASSERT_EQ(d.NumCalLines, 2);
    EXPECT_EQ(d.CalLines[1].NumPoints, 2);

    TTextFile f;
    ASSERT_TRUE(f.OpenRead(path));
    TTextFileSource src(f);
    TCalibSetHeader h;
    ASSERT_TRUE(FindCalibSet(src, "s", h));
    TCalibData mapData;
    ReadCalibTags(src, mapData, {"Component \"M\": ", true});
    ASSERT_EQ(mapData.NumCalLines, 1);
    EXPECT_EQ(mapData.CalLines[1].LineType, gtlParallel);
    EXPECT_EQ(mapData.CalLines[1].LineValue, 12.5);
    EXPECT_EQ(mapData.CalLines[1].CalPoints[3], (TPoint{5, 6}));
}

TEST(CalibXmlReader, CountMismatchAndBadTypeRaiseWithTheirMessages) {
    const auto expectMessage = [](const std::string& Body, const std::string& Message) {
        const std::string path = ScratchFile("bad.xml", SetText("e", Body));
        TCalibData d;
        TCalibModel m;
        try {
            ParseCalibData(path, "e", d, m);
            ADD_FAILURE() << "no error for " << Body;
        } catch (const EZYLGeoMapError& e) {
            EXPECT_EQ(std::string(e.what()), Message);
        }
        return d;
    };
    const std::string mismatch =
        "ParseCalibData: specified number of calibration points and actual number does not match";
    TCalibData d =
        expectMessage("<calline type=\"meridian\" value=\"3\" npoints=\"3\">[1,2][3,4][5,6][7,8]</calline>", mismatch);
    EXPECT_EQ(d.NumCalLines, 1);  // what was read stays
    expectMessage("<calquads npoints=\"2\">[1.0,2.0,3,4]</calquads>", mismatch);
    expectMessage("<calquads>[1.0,2.0,3,4]</calquads>", mismatch);  // no npoints reads as 0
    expectMessage("<calline type=\"Diagonal\" value=\"3\" npoints=\"0\"></calline>",
                  "ParseCalibData: invalid type of graticule line: type=\"diagonal\"");

    const std::string path =
        ScratchFile("empty.xml", SetText("e", "<calquads></calquads><calline type=\"meridian\"></calline>"));
    TCalibData ok;
    TCalibModel m;
    EXPECT_TRUE(ParseCalibData(path, "e", ok, m));
    EXPECT_EQ(ok.NumCalQuads, 0);
}

TEST(CalibXmlReader, UTMSouthOnlyForTrueAndUnknownEllipsoidIsWGS84) {
    const auto read = [](const std::string& Body) {
        TMemoryStream s;
        s.WriteString(SetText("u", Body));
        s.SetPosition(0);
        TCalibData d;
        d.Ellipsoid = gelClrk66;
        TCalibModel m;
        EXPECT_TRUE(ParseCalibData(s, "u", d, m));
        return d;
    };
    EXPECT_TRUE(read("<utmsouth>True</utmsouth>").UTMSouth);
    for (const char* no : {"T", "1", "YES", " true"})
        EXPECT_FALSE(read(std::string("<utmsouth>") + no + "</utmsouth>").UTMSouth) << no;
    EXPECT_EQ(read("<ellipsoid>gelAiry30</ellipsoid>").Ellipsoid, gelAiry30);
    EXPECT_EQ(read("<ellipsoid>gelNowhere</ellipsoid>").Ellipsoid, gelWGS84);
    EXPECT_EQ(read("").Ellipsoid, gelClrk66);  // missing tags leave the caller's values
    EXPECT_EQ(read("<utmzone> 33 </utmzone>").UTMZone, 33);
    EXPECT_DOUBLE_EQ(read("<resolution>1,5E2</resolution>").Resolution, 150.0);
    TCalibData c = read("<corners>[1,5;2] junk [3.5E1 , -4] [5,6] [7,8] [9,10]</corners>");
    EXPECT_EQ(c.Corners[gcoTopLeft].Latit, 1.0);
    EXPECT_EQ(c.Corners[gcoTopLeft].Longit, 5.0);  // the scan stops at the semicolon
    EXPECT_EQ(c.Corners[gcoBottomLeft].Latit, 35.0);
    EXPECT_EQ(c.Corners[gcoBottomLeft].Longit, -4.0);
    EXPECT_EQ(c.Corners[gcoTopRight].Latit, 7.0);
}

TEST(CalibXmlReader, ContentBeyondTheCapacitiesIsCut) {
    std::string body;
    for (int i = 0; i < 30; ++i)
        body +=
            "<calline type=\"meridian\" value=\"" + std::to_string(i) + "\" npoints=\"3\">[1,1][2,2][3,3]</calline>";
    std::string pts;
    for (int i = 1; i <= 12; ++i) pts += "[" + std::to_string(i) + "," + std::to_string(-i) + "]";
    std::string quads;
    for (int i = 1; i <= 250; ++i) quads += "[1.0,2.0," + std::to_string(i) + ",5]";
    TMemoryStream s;
    s.WriteString(SetText("c", body + "<calquads npoints=\"250\">" + quads + "</calquads>"));
    s.SetPosition(0);
    TCalibData d;
    TCalibModel m;
    ASSERT_TRUE(ParseCalibData(s, "c", d, m));
    EXPECT_EQ(d.NumCalLines, 25);
    EXPECT_EQ(d.CalLines[25].LineValue, 24.0);
    EXPECT_EQ(d.NumCalQuads, 200);
    EXPECT_EQ(d.CalQuads[200].MapX, 200);

    TMemoryStream s2;
    s2.WriteString(SetText("c", "<calline type=\"meridian\" value=\"1\" npoints=\"12\">" + pts + "</calline>"));
    s2.SetPosition(0);
    ASSERT_TRUE(ParseCalibData(s2, "c", d, m));
    ASSERT_EQ(d.NumCalLines, 1);
    EXPECT_EQ(d.CalLines[1].NumPoints, 10);
    EXPECT_EQ(d.CalLines[1].CalPoints[10], (TPoint{10, -10}));

    // A record whose counts exceed the capacities is written as what it can hold.
    TCalibData big;
    big.NumCalLines = 99;
    for (auto& l : big.CalLines) l.NumPoints = 50;
    big.NumCalQuads = 1000;
    TMemoryStream out;
    WriteCalDataToStream(out, "w", big, cmEquiRect);
    out.SetPosition(0);
    TCalibData back;
    ASSERT_TRUE(ParseCalibData(out, "w", back, m));
    EXPECT_EQ(back.NumCalLines, 25);
    EXPECT_EQ(back.CalLines[1].NumPoints, 10);
    EXPECT_EQ(back.NumCalQuads, 200);
}

// Values that used to come back changed: quotes and line breaks in the header,
// exponents in quads; a quad field that is not a number (NaN too) is refused,
// not read as 0 or kept to spoil the fit.
TEST(CalibXmlRoundTrip, QuotesLineBreaksAndExponentsComeBackNaNIsRefused) {
    TCalibData in = SampleData();
    in.MapFName = "say \"cheese\".jpg";
    in.Caption = "The \"Alps\"\r\nsheet 2 &#10; &#38;";
    const std::string id = "q\nr";
    TMemoryStream s;
    WriteCalDataToStream(s, id, in, cmParabolicIp);
    s.SetPosition(0);
    TCalibData out;
    TCalibModel model = cmUndefined;
    ASSERT_TRUE(ParseCalibData(s, id, out, model));
    EXPECT_EQ(model, cmParabolicIp);
    EXPECT_EQ(out.MapFName, "say 'cheese'.jpg");
    EXPECT_EQ(out.Caption, "The 'Alps'\r\nsheet 2 &#10; &#38;");
    ASSERT_EQ(out.NumCalQuads, 2);
    EXPECT_EQ(out.CalQuads[2].MapX, 1024);
    // files written before read as they did: a plain "&" stays
    const std::string old = ScratchFile("old.xml", SetText("o", "", " caption=\"A & B &amp; C\""));
    ASSERT_TRUE(ParseCalibData(old, "o", out, model));
    EXPECT_EQ(out.Caption, "A & B &amp; C");

    in.CalQuads[2].Longitude = std::numeric_limits<double>::quiet_NaN();
    TMemoryStream withNaN;
    WriteCalDataToStream(withNaN, "n", in, cmEquiRect);
    withNaN.SetPosition(0);
    EXPECT_THROW(ParseCalibData(withNaN, "n", out, model), EZYLGeoMapError);

    const std::string path = ScratchFile(
        "exp.xml", SetText("e", "<calquads npoints=\"2\">\r\n[4.8e1,7E-1,10,20] [-1.5e+1,2,30,40]\r\n</calquads>\r\n"));
    ASSERT_TRUE(ParseCalibData(path, "e", out, model));
    EXPECT_EQ(out.CalQuads[1], (TCalQuad{48.0, 0.7, 10, 20}));
    EXPECT_EQ(out.CalQuads[2], (TCalQuad{-15.0, 2.0, 30, 40}));
    const std::string bad =
        ScratchFile("bad.xml", SetText("b", "<calquads npoints=\"1\">\r\n[4.8x,7,10,20]\r\n</calquads>\r\n"));
    try {
        ParseCalibData(bad, "b", out, model);
        ADD_FAILURE() << "no error";
    } catch (const EZYLGeoMapError& e) {
        EXPECT_STREQ(e.what(), "ParseCalibData: invalid coordinate of calibration point: \"4.8x\"");
    }
    // a quad with too few fields is refused, not read past its end
    const std::string shortQuad =
        ScratchFile("short.xml", SetText("s", "<calquads npoints=\"1\">\r\n[5]\r\n</calquads>\r\n"));
    EXPECT_THROW(ParseCalibData(shortQuad, "s", out, model), EZYLGeoMapError);
}

TEST(CalibXmlRoundTrip, ProjectedModelKeepsItsCRSByteForByteAndOlderTagsFirst) {
    TCalibData in = SampleData();
    // WKT quotes and brackets, markup characters, a line break, a tab, blanks at
    // the ends, UTF-8 letters and a byte that is no UTF-8.
    in.CRS = std::string(" PROJCS[\"Réseau <a&b> 1\",\n\tUNIT[\"metre\",1]]  ") + "\xff" + " Ω ";
    in.ProjOrder = 2;
    const std::string path = ScratchPath("projected.xml");
    TTextFile f;
    f.OpenWrite(path);
    WriteRawCalDataToOpenXMLFile(f, true, "set1", in, cmProjected);
    f.Close();
    const std::string text = ReadFile(path);
    // After the quads, on one line of ASCII.
    const auto crsAt = text.find("<crs>");
    ASSERT_NE(crsAt, std::string::npos) << text;
    EXPECT_GT(crsAt, text.find("</calquads>"));
    const auto crsEnd = text.find("</crs>", crsAt);
    ASSERT_NE(crsEnd, std::string::npos);
    const std::string crsLine = text.substr(crsAt, crsEnd - crsAt);
    for (char c : crsLine) EXPECT_TRUE(c >= 0x20 && c < 0x7f) << crsLine;
    EXPECT_NE(text.find("<projorder>2</projorder>"), std::string::npos);

    TCalibData out;
    TCalibModel model = cmUndefined;
    ASSERT_TRUE(ParseCalibData(path, "set1", out, model));
    EXPECT_EQ(model, cmProjected);
    EXPECT_EQ(out.CRS, in.CRS);
    EXPECT_EQ(out.ProjOrder, 2);
    ExpectRoundTrip(in, out);

    TMemoryStream s;
    WriteCalDataToStream(s, "set1", in, cmProjected);
    s.SetPosition(0);
    TCalibData fromStream;
    ASSERT_TRUE(ParseCalibData(s, "set1", fromStream, model));
    EXPECT_EQ(fromStream.CRS, in.CRS);
    EXPECT_EQ(fromStream.ProjOrder, 2);

    // The map widget takes the model; other models write no CRS.
    TCalibSetHeader header;
    header.HasModel = true;
    header.ModelName = "projected";
    EXPECT_EQ(MapReaderModel(header), cmProjected);
    TMemoryStream plain;
    WriteCalDataToStream(plain, "set1", SampleData(), cmEquiRect);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(plain.Memory()), plain.Size()).find("<crs>"),
              std::string::npos);
}
