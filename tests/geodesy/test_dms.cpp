#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <string>

#include "zylcarto/geodesy/dms.h"

using namespace zylcarto;

TEST(DMS, ReadsTheWrittenForms) {
    const double dms = 47 + 4 / 60.0 + 12.5 / 3600, dm = 47 + 4.208 / 60;
    const struct {
        const char* text;
        double degrees;
        TDMSAxis axis;
    } cases[] = {
        {"47°04'12.5\"N", dms, dmsLatitude},
        {"47 4 12.5 N", dms, dmsLatitude},
        {"  n 47 4 12.5  ", dms, dmsLatitude},
        {"47:04:12.5", dms, dmsNone},
        {"47d4'12.5''", dms, dmsNone},
        {"47º04’12.5”s", -dms, dmsLatitude},
        {"N47 04.208", dm, dmsLatitude},
        {"47°04.208'", dm, dmsNone},
        {"S47 04.208", -dm, dmsLatitude},
        {"-47.07", -47.07, dmsNone},
        {"+.5", 0.5, dmsNone},
        {"15°26′30″W", -(15 + 26 / 60.0 + 0.5 / 60), dmsLongitude},
        {"e15 26", 15 + 26 / 60.0, dmsLongitude},
        {"90'", 1.5, dmsNone},  // minutes alone may pass 60
        {"4'30\"", 4.5 / 60, dmsNone},
    };
    for (const auto& c : cases) {
        double v = 0;
        TDMSAxis axis = dmsNone;
        std::string message;
        ASSERT_EQ(DMSToDegrees(c.text, v, axis, &message), dmsOK) << c.text << ": " << message;
        EXPECT_NEAR(v, c.degrees, 1e-12) << c.text;
        EXPECT_EQ(axis, c.axis) << c.text;
    }
}

TEST(DMS, RefusesWithAMessageNamingTheFault) {
    const std::string huge = std::string(400, '9') + " 30";
    const std::pair<const char*, const char*> cases[] = {
        {"47x", "unexpected 'x' at position 3"},
        {"47°04'12.5\"N5", "unexpected '5' at position 14 after the hemisphere letter"},
        {"N47S", "a second hemisphere letter 'S' at position 4"},
        {"-47N", "both a sign and a hemisphere letter 'N' at position 4"},
        {"47 75", "minutes \"75\" are not below 60"},
        {"47 4 60", "seconds \"60\" are not below 60"},
        {"47.5 30", "only the last number may have a fraction, not \"47.5\""},
        {"47 4 12 5", "more than three numbers"},
        {"4'47°", "degrees \"47\" after minutes"},
        {"", "empty angle"},
        {"N", "no number in the angle"},
        {"47:", "no number after the last ':'"},
        {"47::5", "unexpected ':' at position 4"},
        {"47 €", "unexpected '€' at position 4"},
        {"47\xFF", "unexpected byte 0xFF at position 3"},
        {"°47", "a unit mark without a number before it '°' at position 1"},
        {"47 .", "a point without digits '.' at position 4"},
        {huge.c_str(), "the number at position 1 is out of range"},
    };
    for (const auto& [text, reason] : cases) {
        double v = 7;
        TDMSAxis axis = dmsLongitude;
        std::string message;
        EXPECT_EQ(DMSToDegrees(text, v, axis, &message), dmsBadText) << text;
        EXPECT_NE(message.find(reason), std::string::npos) << text << ": " << message;
        EXPECT_EQ(v, 7.0);
        EXPECT_EQ(axis, dmsLongitude);
    }
}

TEST(DMS, WritesWithTheHemisphereAndReadsBack) {
    EXPECT_EQ(DegreesToDMS(47 + 4 / 60.0 + 12.5 / 3600, dmsLatitude, 1), "47°04'12.5\"N");
    EXPECT_EQ(DegreesToDMS(-15.5, dmsLongitude, 0), "15°30'00\"W");
    EXPECT_EQ(DegreesToDMS(-1e-12, dmsLatitude, 2), "0°00'00.00\"N");  // no "S" for a zero
    EXPECT_EQ(DegreesToDMS(59.999999999, dmsLongitude, 2), "60°00'00.00\"E");
    EXPECT_EQ(DegreesToDMS(-47.5, dmsNone, 0), "-47°30'00\"");
    std::mt19937 rng(4);
    std::uniform_real_distribution<double> angle(-180, 180);
    for (int i = 0; i < 2000; ++i) {
        const double a = angle(rng);
        double back;
        TDMSAxis axis;
        ASSERT_EQ(DMSToDegrees(DegreesToDMS(a, i % 2 ? dmsLatitude : dmsLongitude, 5), back, axis), dmsOK);
        EXPECT_NEAR(back, a, 0.5e-5 / 3600 + 1e-12) << a;
    }
}
