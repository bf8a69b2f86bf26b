// MGRS beyond what GeographicLib can check: the old lettering, the forms a
// reference may be written in, and the faults named in the messages.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "zylcarto/geodesy/mgrs.h"
#include "zylcarto/geodesy/projections.h"

using namespace zylcarto;

TEST(MGRS, TruncatesToEachPrecision) {
    // UTM 33U 604028.2757 5339477.3311: never rounded up into the next square
    const char* expected[] = {"33UXP", "33UXP03", "33UXP0439", "33UXP040394", "33UXP04023947", "33UXP0402839477"};
    for (int p = 0; p <= 5; ++p) {
        std::string s;
        ASSERT_EQ(LatLongToMGRS(48.2, 16.4, gelWGS84, p, s), mgrsOK);
        EXPECT_EQ(s, expected[p]);
    }
    std::string s;
    EXPECT_EQ(LatLongToMGRS(48.2, 16.4 - 360, gelWGS84, 5, s), mgrsOK);  // longitudes modulo 360
    EXPECT_EQ(s, "33UXP0402839477");
    EXPECT_EQ(LatLongToMGRS(90, 0, gelWGS84, 5, s), mgrsOK);
    EXPECT_EQ(s, "ZAH0000000000");
    EXPECT_EQ(LatLongToMGRS(-90, 0, gelWGS84, 2, s), mgrsOK);
    EXPECT_EQ(s, "BAN0000");
    // A hair south of the equator: band M and the southern rows, not band N.
    EXPECT_EQ(LatLongToMGRS(-1e-13, 3, gelWGS84, 5, s), mgrsOK);
    EXPECT_EQ(s, "31MEV0000099999");
}

TEST(MGRS, OldLetteringShiftsTheRowsByTen) {
    const std::string rows = "ABCDEFGHJKLMNPQRSTUV";
    const std::pair<double, double> points[] = {{48.2, 16.4}, {48.2, 10.4}, {-33.9, 18.4}, {-33.9, 25}, {60, 5}};
    for (TGeoEllipsoid e : {gelBess41, gelClrk66, gelClrk80, gelClrk80IGN, gelWGS84, gelInt24, gelBesselMod}) {
        const bool old = e != gelWGS84 && e != gelInt24 && e != gelBesselMod;
        EXPECT_EQ(MGRSUsesOldLettering(e), old) << static_cast<int>(e);
        for (const auto& [lat, lon] : points) {
            int zone;
            double easting, northing;
            LatLongToUTM(lat, lon, e, zone, easting, northing);
            const int row = static_cast<int>(northing / 1e5) + (zone % 2 == 0 ? 5 : 0) + (old ? 10 : 0);
            std::string s;
            ASSERT_EQ(LatLongToMGRS(lat, lon, e, 5, s), mgrsOK);
            EXPECT_EQ(s[4], rows[static_cast<std::size_t>(row % 20)]) << s;
            double lat2, lon2;
            int p;
            ASSERT_EQ(MGRSToLatLong(s, e, lat2, lon2, p), mgrsOK) << s;
            EXPECT_NEAR(lat2, lat, 1e-5);
            EXPECT_NEAR(lon2, lon, 1e-5);
            // Read in the other scheme, the square lies in another band or is 1000 km away.
            if (MGRSToLatLong(s, old ? gelWGS84 : gelClrk66, lat2, lon2, p) == mgrsOK) {
                EXPECT_GT(std::fabs(lat2 - lat), 8) << s;
            }
        }
    }
}

TEST(MGRS, ReadsLowerCaseBlanksAndShortZones) {
    double lat0, lon0;
    int p0;
    ASSERT_EQ(MGRSToLatLong("33UXP0402839477", gelWGS84, lat0, lon0, p0), mgrsOK);
    EXPECT_EQ(p0, 5);
    for (const char* text : {"33uxp0402839477", "33U XP 04028 39477", " 33 u xp 0402839477 ", "33UXP\t04028 39477"}) {
        double lat, lon;
        int p;
        ASSERT_EQ(MGRSToLatLong(text, gelWGS84, lat, lon, p), mgrsOK) << text;
        EXPECT_EQ(lat, lat0);
        EXPECT_EQ(lon, lon0);
        EXPECT_EQ(p, 5);
    }
    double lat1, lon1, lat2, lon2;
    ASSERT_EQ(MGRSToLatLong("5QKB", gelWGS84, lat1, lon1, p0), mgrsOK);
    ASSERT_EQ(MGRSToLatLong("05QKB", gelWGS84, lat2, lon2, p0), mgrsOK);
    EXPECT_EQ(lat1, lat2);
    EXPECT_EQ(p0, 0);
    // the centre of the 100 km square, and one of zone 60 across the antimeridian
    EXPECT_NEAR(lat1, 19.42877412783, 1e-9);
    EXPECT_NEAR(lon1, -155.38092809964, 1e-9);
    ASSERT_EQ(MGRSToLatLong("60NZF", gelWGS84, lat1, lon1, p0), mgrsOK);
    EXPECT_NEAR(lon1, -179.85, 0.01);
}

TEST(MGRS, RefusesWithAMessageNamingTheFault) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "empty MGRS reference"},
        {"61UXP", "zone 61 is not 1..60"},
        {"123UXP", "zone \"123\" is not 1..60"},
        {"33", "no latitude band letter"},
        {"33IXP", "latitude band 'I' does not exist"},
        {"QXP", "expected a zone number or a polar band A, B, Y or Z, found 'Q'"},
        {"33UX", "the 100 km square needs two letters"},
        {"33UX5", "expected a 100 km square letter, found '5'"},
        {"33UXP0402839", "an odd number of digits (7)"},
        {"33UXP040283947712", "more than 5 digits each"},
        {"33UXP 0402 839477", "different numbers of digits (4 and 6)"},
        {"33UXP 04 02 83", "the digits are in more than two groups"},
        {"33UXP04028x9477", "unexpected 'x' at position 11"},
        {"33UAP", "column letter 'A' is not used in zone 33 (letters STUVWXYZ)"},
        {"33UXW", "row letter 'W' does not exist"},
        {"32XMH", "grid zone 32X does not exist"},
        {"33UXN", "the 100 km square XN is not in grid zone 33U"},
        {"AAN", "column letter 'A' is not used in polar band A"},
        {"YRQ", "row letter 'Q' is not used in polar band Y"},
    };
    for (const auto& [text, reason] : cases) {
        double lat = 1, lon = 2;
        int p = 3;
        std::string message;
        EXPECT_EQ(MGRSToLatLong(text, gelWGS84, lat, lon, p, &message), mgrsBadText) << text;
        EXPECT_NE(message.find(reason), std::string::npos) << text << ": " << message;
        EXPECT_EQ(lat, 1.0);
        EXPECT_EQ(lon, 2.0);
        EXPECT_EQ(p, 3);
    }
    std::string s = "x";
    EXPECT_EQ(LatLongToMGRS(90.5, 0, gelWGS84, 5, s), mgrsBadLatitude);
    EXPECT_EQ(s, "");
    EXPECT_EQ(LatLongToMGRS(NAN, 0, gelWGS84, 5, s), mgrsBadLatitude);
    EXPECT_EQ(LatLongToMGRS(0, INFINITY, gelWGS84, 5, s), mgrsBadLongitude);
    EXPECT_EQ(LatLongToMGRS(0, 0, gelWGS84, 6, s), mgrsBadPrecision);
    EXPECT_EQ(LatLongToMGRS(0, 0, gelWGS84, -1, s), mgrsBadPrecision);
}
