// GPX waypoints <-> landmarks.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "zylcarto/exchange/gpx.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto::test {
namespace {

using namespace zylcarto;

TEST(Gpx, ReadsWaypointsOfBothVersions) {
    const char* const docs[] = {
        // GPX 1.0, default namespace, a route that is not read
        "<?xml version=\"1.0\"?>\n<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\">\n"
        "<wpt lat=\"47.5\" lon=\"-8.25\"><ele>412.5</ele><time>2024-05-01T10:20:30Z</time>"
        "<name>Z\xC3\xBCrich &amp; \xCE\xB1\xCE\xB2</name><desc>Summit cross</desc><sym>Circle</sym></wpt>\n"
        "<rte><rtept lat=\"1\" lon=\"2\"><name>route point</name></rtept></rte>\n"
        "<wpt lat=\"-33.9\" lon=\"18.4\"><name>Cape</name><cmt>only a comment</cmt></wpt></gpx>",
        // GPX 1.1 with a prefix and extensions
        "<g:gpx version=\"1.1\" xmlns:g=\"http://www.topografix.com/GPX/1/1\">"
        "<g:wpt lat=\"47.5\" lon=\"-8.25\"><g:ele>412.5</g:ele><g:time>2024-05-01T12:20:30.250+02:00</g:time>"
        "<g:name>Z\xC3\xBCrich &amp; \xCE\xB1\xCE\xB2</g:name><g:desc>Summit cross</g:desc><g:sym>circle</g:sym>"
        "<g:extensions><x:name xmlns:x=\"urn:x\">not the name</x:name></g:extensions></g:wpt>"
        "<g:wpt lat=\"-33.9\" lon=\"18.4\"><g:name>Cape</g:name><g:cmt>only a comment</g:cmt></g:wpt></g:gpx>"};
    for (const char* doc : docs) {
        const TGpxImport g = ReadGpx(doc);
        ASSERT_EQ(g.LandMarks.size(), 2u) << doc;
        const TLandMark& a = g.LandMarks[0];
        EXPECT_EQ(a.Latitude, 47.5);
        EXPECT_EQ(a.Longitude, -8.25);
        EXPECT_EQ(a.Altitude, 412.5);
        EXPECT_EQ(a.Time, EncodeDateTime(2024, 5, 1, 10, 20, 30));
        EXPECT_EQ(a.Caption.Text.Str(), "Z\u00FCrich & ??");
        EXPECT_EQ(a.Identifier.Str(), "Summit cross");
        EXPECT_EQ(a.SymbolProps.Kind, lmCircle);
        EXPECT_EQ(g.LandMarks[1].Identifier.Str(), "only a comment");
        EXPECT_EQ(g.LandMarks[1].SymbolProps.Kind, TLandMark{}.SymbolProps.Kind);
        EXPECT_EQ(g.Replaced, 2);  // alpha and beta
        EXPECT_EQ(g.Shortened, 0);
    }
    const TGpxImport w = ReadGpx("<?xml version=\"1.0\" encoding=\"windows-1252\"?>"
                                          "<gpx version=\"1.1\"><wpt lat=\"1\" lon=\"2\"><name>\x80 Gr\xFC"
                                          "e</name></wpt></gpx>");
    EXPECT_EQ(w.LandMarks.at(0).Caption.Text.Str(), "\u20AC Gr\u00FCe");
}

TEST(Gpx, WrittenWaypointsReadBack) {
    std::vector<TLandMark> lms(2);
    lms[0].Latitude = 0.1 + 0.2;  // needs all 17 digits
    lms[0].Longitude = -179.999999999;
    lms[0].Altitude = -12.25;
    lms[0].Caption.Text.Assign("A <b> & \"c\" \xC3\xA9");
    lms[0].Identifier.Assign("id 1");
    lms[0].SymbolProps.Kind = lmSpade;
    lms[0].Time = EncodeDateTime(1999, 12, 31, 23, 59, 59);
    lms[1].Caption.Text = TLMText::FromAnsi("tab\there\x01");
    const TGpxImport back = ReadGpx(WriteGpx(lms));
    ASSERT_EQ(back.LandMarks.size(), 2u);
    EXPECT_EQ(back.LandMarks[0], lms[0]);
    EXPECT_EQ(back.Version, "1.1");
    EXPECT_EQ(back.LandMarks[1].Caption.Text.Str(), "tab\there?");  // no control characters in XML
}

std::string Waypoint(const std::string& Inner) { return "<wpt lat=\"1\" lon=\"2\">" + Inner + "</wpt>"; }

TEST(Gpx, SymbolsOfReceiversBecomeElementsAndTheRestIsCounted) {
    struct Case {
        const char* Sym;
        TLandMarkElement Kind;
    };
    const Case known[] = {{"Flag, Blue", lmTriangle}, {"Summit", lmTriangle},     {"Dot", lmCircle},
                          {"Dot, White", lmCircle},   {"geocache", lmSquare},     {"Geocache Found", lmCrossBox},
                          {"Waypoint", lmCross},      {"Church", lmPlus},         {"Pin, Red", lmArrowTo},
                          {"Exit", lmArrowFrom},      {"Block, Green", lmSquare}, {"Spade", lmSpade}};
    std::string doc = "<gpx version=\"1.1\">";
    for (const Case& c : known) doc += Waypoint(std::string("<sym>") + c.Sym + "</sym>");
    doc += Waypoint("<sym>Parking Area</sym>") + Waypoint("<sym>Flagpole</sym>") + Waypoint("<sym>Parking Area</sym>");
    doc += "<rte><rtept lat=\"1\" lon=\"2\"/><rtept lat=\"1\" lon=\"3\"/></rte><rte/>"
           "<trk><trkseg><trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"1\" lon=\"3\"/></trkseg>"
           "<trkseg><trkpt lat=\"1\" lon=\"4\"/></trkseg></trk></gpx>";
    const TGpxImport g = ReadGpx(doc);
    ASSERT_EQ(g.LandMarks.size(), std::size(known) + 3);
    for (std::size_t i = 0; i < std::size(known); ++i)
        EXPECT_EQ(g.LandMarks[i].SymbolProps.Kind, known[i].Kind) << known[i].Sym;
    EXPECT_EQ(g.LandMarks.back().SymbolProps.Kind, lmCross);
    EXPECT_EQ(g.UnknownSymbols, (std::map<std::string, int>{{"Flagpole", 1}, {"Parking Area", 2}}));
    ASSERT_EQ(g.Tracks.size(), 1u);
    ASSERT_EQ(g.Tracks[0].Segments.size(), 2u);
    EXPECT_EQ(g.Tracks[0].Segments[1].Points.at(0).Longitude, 4);
    ASSERT_EQ(g.Routes.size(), 2u);
    EXPECT_EQ(g.Routes[0].Points.size(), 2u);
    EXPECT_TRUE(g.Routes[1].Points.empty());
}

TEST(Gpx, TracksAndRoutesKeepTheirPointsAndReadBack) {
    const char* const docs[] = {
        // GPX 1.0: speed is an element of the point
        "<gpx version=\"1.0\"><trk><name>Morning &amp; ride</name><trkseg>"
        "<trkpt lat=\"0.000091697\" lon=\"-179.5\"><ele>10.5</ele><time>2023-01-16T18:02:26Z</time>"
        "<speed>4.25</speed><name>not a track name</name></trkpt><trkpt lat=\"1\" lon=\"2\"/></trkseg>"
        "<trkseg><trkpt lat=\"3\" lon=\"4\"><time>2023-01-16T19:02:26.5+01:00</time></trkpt></trkseg></trk>"
        "<rte><name>R\xC3\xBC" "ckweg</name><rtept lat=\"5\" lon=\"6\"><name>A</name><ele>7</ele><time>2023-01-16T17:00:00Z</time></rtept>"
        "<rtept lat=\"8\" lon=\"9\"/></rte></gpx>",
        // GPX 1.1: speed in Garmin's extension
        "<gpx version=\"1.1\" xmlns:t=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\">"
        "<rte><name>R\xC3\xBC" "ckweg</name><rtept lat=\"5\" lon=\"6\"><ele>7</ele><time>2023-01-16T17:00:00Z</time><name>A</name></rtept>"
        "<rtept lat=\"8\" lon=\"9\"/></rte><trk><name>Morning &amp; ride</name><trkseg>"
        "<trkpt lat=\"0.000091697\" lon=\"-179.5\"><ele>10.5</ele><time>2023-01-16T18:02:26Z</time>"
        "<extensions><t:TrackPointExtension><t:speed>4.25</t:speed></t:TrackPointExtension></extensions>"
        "</trkpt><trkpt lat=\"1\" lon=\"2\"/></trkseg><trkseg><trkpt lat=\"3\" lon=\"4\">"
        "<time>2023-01-16T18:02:26Z</time></trkpt></trkseg></trk></gpx>"};
    for (const char* doc : docs) {
        SCOPED_TRACE(doc);
        const TGpxImport g = ReadGpx(doc);
        ASSERT_EQ(g.Tracks.size(), 1u);
        const TTrack& t = g.Tracks[0];
        EXPECT_EQ(t.Name, "Morning & ride");
        ASSERT_EQ(t.Segments.size(), 2u);
        ASSERT_EQ(t.Segments[0].Points.size(), 2u);
        const TTrackPoint& p = t.Segments[0].Points[0];
        EXPECT_EQ(p.Latitude, 0.000091697);
        EXPECT_EQ(p.Longitude, -179.5);
        EXPECT_EQ(p.Elevation, 10.5);
        EXPECT_EQ(p.Time, EncodeDateTime(2023, 1, 16, 18, 2, 26));
        EXPECT_EQ(p.Speed, 4.25);
        const TTrackPoint& bare = t.Segments[0].Points[1];
        EXPECT_TRUE(std::isnan(bare.Elevation) && std::isnan(bare.Time) && std::isnan(bare.Speed));
        EXPECT_EQ(t.Segments[1].Points.at(0).Time, p.Time);
        ASSERT_EQ(g.Routes.size(), 1u);
        EXPECT_EQ(g.Routes[0].Name, "R\xC3\xBC" "ckweg");
        ASSERT_EQ(g.Routes[0].Points.size(), 2u);
        EXPECT_EQ(g.Routes[0].Points[0].Name, "A");
        EXPECT_EQ(g.Routes[0].Points[0].Elevation, 7);
        EXPECT_EQ(g.Routes[0].Points[0].Time, EncodeDateTime(2023, 1, 16, 17, 0, 0));
        EXPECT_TRUE(g.LandMarks.empty());

        const std::string out = WriteGpx(g.LandMarks, g.Tracks, g.Routes);
        EXPECT_NE(out.find("lat=\"0.000091697\""), std::string::npos) << out;  // XML decimals have no exponent
        const TGpxImport back = ReadGpx(out);
        ASSERT_EQ(back.Tracks.size(), 1u);
        EXPECT_EQ(back.Tracks[0].Name, t.Name);
        ASSERT_EQ(back.Tracks[0].Segments.size(), 2u);
        const TTrackPoint& q = back.Tracks[0].Segments[0].Points.at(0);
        EXPECT_EQ(std::vector<double>({q.Latitude, q.Longitude, q.Elevation, q.Time, q.Speed}),
                  std::vector<double>({p.Latitude, p.Longitude, p.Elevation, p.Time, p.Speed}));
        EXPECT_EQ(back.Routes.at(0).Points.at(0).Name, "A");
        EXPECT_EQ(back.Routes[0].Points[0].Time, g.Routes[0].Points[0].Time);
        EXPECT_EQ(back.Routes[0].Name, g.Routes[0].Name);
    }
}

TEST(Gpx, TextIsComposedAndTimesAreUTC) {
    const TGpxImport g =
        ReadGpx("<gpx version=\"1.1\">" +
                         Waypoint("<name>Wu\xCC\x88rzburg &amp; S\xCC\x8C</name><desc>Cafe\xCC\x81\xCC\x81</desc>"
                                  "<time>2021-03-28T01:30:00-05:30</time>") +
                         Waypoint("<time>2021-01-01T00:15:00+0100</time>") + "</gpx>");
    ASSERT_EQ(g.LandMarks.size(), 2u);
    EXPECT_EQ(g.LandMarks[0].Caption.Text.Str(), "W\u00FCrzburg & \u0160");
    EXPECT_EQ(g.LandMarks[0].Identifier.Str(), "Caf\u00E9?");  // one mark composes, the second has no place
    EXPECT_EQ(g.Replaced, 1);
    EXPECT_EQ(g.LandMarks[0].Time, EncodeDateTime(2021, 3, 28, 7, 0, 0));
    EXPECT_EQ(g.LandMarks[1].Time, EncodeDateTime(2020, 12, 31, 23, 15, 0));
    const std::string out = WriteGpx(g.LandMarks);
    for (const char* want : {"<time>2021-03-28T07:00:00Z</time>", "<name>W\xC3\xBCrzburg &amp; \xC5\xA0</name>"})
        EXPECT_NE(out.find(want), std::string::npos) << want << "\n" << out;
}

TEST(Gpx, BadDocumentsNameTheirLine) {
    struct Case {
        const char* Doc;
        const char* Message;
    };
    const Case cases[] = {
        {"", "line 1: no element found"},
        {"<kml/>", "line 1: not a GPX file"},
        {"<gpx>\n<wpt lat=\"91\" lon=\"0\"/></gpx>", "line 2: wpt position out of range"},
        {"<gpx>\n\n<wpt lon=\"0\"/></gpx>", "line 3: wpt needs numeric lat and lon"},
        {"<gpx>\n<wpt lat=\"1\" lon=\"x\"/></gpx>", "line 2: wpt needs numeric"},
        {"<gpx><wpt lat=\"1\" lon=\"2\">\n<time>yesterday</time></wpt></gpx>", "line 2: bad time \"yesterday\""},
        {"<gpx><wpt lat=\"1\" lon=\"2\">\n<time>2020-01-01T00:00:00+25:00</time></wpt></gpx>", "line 2: bad time"},
        {"<gpx><wpt lat=\"1\" lon=\"2\"><name>a</wpt></gpx>", "line 1: mismatched tag"},
        {"<gpx><trk><trkseg>\n<trkpt lat=\"1\"/></trkseg></trk></gpx>", "line 2: trkpt needs numeric lat and lon"},
        {"<gpx><rte>\n<rtept lat=\"1\" lon=\"180.5\"/></rte></gpx>", "line 2: rtept position out of range"},
        {"<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"2\">\n<speed>-3</speed></trkpt></trkseg></trk></gpx>",
         "line 2: bad speed \"-3\""},
        {"<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"2\"><ele>high</ele>\n</trkpt></trkseg></trk></gpx>",
         "line 2: bad ele \"high\""},
        {"<!DOCTYPE gpx [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
         "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
         "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>"
         "<gpx><wpt lat=\"1\" lon=\"2\"><name>&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;</name></wpt></gpx>",
         "line 1: "},  // amplification is refused, not expanded
    };
    for (const Case& c : cases) {
        try {
            ReadGpx(c.Doc);
            ADD_FAILURE() << "accepted: " << c.Doc;
        } catch (const EZYLGeoMapError& e) {
            EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace zylcarto::test
