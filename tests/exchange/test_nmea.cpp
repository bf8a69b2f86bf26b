// NMEA logs -> tracks: fixes from RMC and GGA, every other line counted, and
// no damaged sentence ever read as a position.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "zylcarto/exchange/nmea.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto::test {
namespace {

// "$Body*HH" with the checksum of Body.
std::string Sentence(const std::string& Body) {
    unsigned sum = 0;
    for (char c : Body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + Body + tail;
}

TEST(Nmea, FixesComeFromRmcAndGgaAndTheRestIsCounted) {
    const std::string log =
        Sentence("GPGGA,120000,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,") +  // no date yet
        Sentence("GPRMC,120001,A,4807.038,N,01131.600,E,10.0,084.4,230394,003.1,W") +
        Sentence("GPGGA,120001,4807.038,N,01131.600,E,1,08,0.9,546.0,M,46.9,M,,") +   // the same fix
        "$GPRMC,120002,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*00\r\n" +  // checksum wrong
        "$GPRMC,120002,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W\r\n" +     // none
        Sentence("GPRMC,120003,V,,,,,,,230394,,") +                                    // lost the fix
        Sentence("GNRMC,120003,A,9107.000,N,01131.000,E,0,0,230394,,") +               // latitude 91
        Sentence("GPRMC,120003,A,,,,,0,0,230394,,") +                                  // no position
        Sentence("GPRMC,120003,A,4860.000,N,01131.000,E,0,0,230394,,") +               // 60 minutes
        Sentence("GPRMC,120003,A,4807.038,X,01131.000,E,0,0,230394,,") +               // hemisphere
        Sentence("GPRMC,120003,A,4807.038,N,01131.000,E,0,0,310294,,") +               // 31 February
        Sentence("GPGGA,120003,4807.038,N,01131.000,E,0,00,,,M,,M,,") +                // quality 0
        Sentence("GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00") + "log started\n\n" +
        Sentence("GNRMC,120004.50,A,3351.000,S,15112.000,W,1.0,0,230394,,,A") +
        Sentence("GPGGA,120005,3351.060,S,15112.000,W,2,08,0.9,-3.5,M,,M,,");
    const TNmeaImport n = ReadNmea(log);
    EXPECT_EQ(n.Sentences, 15);
    EXPECT_EQ(n.BadChecksum, 2);
    EXPECT_EQ(n.Malformed, 5);
    EXPECT_EQ(n.NoFix, 2);
    EXPECT_EQ(n.Ignored, 2);
    const auto& segs = n.Track.Segments;
    ASSERT_EQ(segs.size(), 2u);
    ASSERT_EQ(segs[0].Points.size(), 2u);
    ASSERT_EQ(segs[1].Points.size(), 2u);
    const TTrackPoint &a = segs[0].Points[0], &b = segs[0].Points[1], &c = segs[1].Points[0], &d = segs[1].Points[1];
    EXPECT_DOUBLE_EQ(a.Latitude, 48 + 7.038 / 60);
    EXPECT_DOUBLE_EQ(a.Longitude, 11 + 31.0 / 60);
    EXPECT_EQ(a.Elevation, 545.4);
    EXPECT_TRUE(std::isnan(a.Time));
    EXPECT_DOUBLE_EQ(b.Longitude, 11 + 31.6 / 60);
    EXPECT_EQ(b.Elevation, 546.0);
    EXPECT_NEAR(b.Speed, 10 * 1852.0 / 3600, 1e-12);
    EXPECT_DOUBLE_EQ(b.Time, EncodeDateTime(1994, 3, 23, 12, 0, 1));
    EXPECT_DOUBLE_EQ(c.Latitude, -(33 + 51.0 / 60));
    EXPECT_DOUBLE_EQ(c.Longitude, -(151 + 12.0 / 60));
    EXPECT_NEAR((c.Time - EncodeDateTime(1994, 3, 23, 12, 0, 4)) * 86400, 0.5, 1e-6);
    EXPECT_DOUBLE_EQ(d.Time, EncodeDateTime(1994, 3, 23, 12, 0, 5));  // the date of the last RMC
    EXPECT_EQ(d.Elevation, -3.5);
    for (const auto& s : segs)
        for (const TTrackPoint& p : s.Points) EXPECT_FALSE(p.Latitude == 0 && p.Longitude == 0);

    // a GGA past midnight without its RMC takes the next day
    const TNmeaImport m = ReadNmea(Sentence("GPRMC,235959,A,0000.600,N,00000.600,E,,,311299,,") +
                                   Sentence("GPGGA,000001,0000.600,N,00000.600,E,1,08,0.9,1,M,,M,,") +
                                   Sentence("GPGGA,000002,0000.600,N,00000.600,E,1,08,0.9,1,M,,M,,"));
    ASSERT_EQ(m.Track.NumPoints(), 3u);
    EXPECT_DOUBLE_EQ(m.Track.Segments[0].Points[2].Time, EncodeDateTime(2000, 1, 1, 0, 0, 2));
    EXPECT_TRUE(ReadNmea("").Track.Segments.empty());
}

}  // namespace
}  // namespace zylcarto::test
