#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "zylcarto/geomap/calibration/calib_text.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/support/streams.h"

using namespace zylcarto;

TEST(ScanNumber, StopsOnTheCharacterThatEndsTheNumber) {
    std::size_t p = 0;
    EXPECT_DOUBLE_EQ(ScanNumber(" -8.5]", true, dsPointOrComma, p), -8.5);
    EXPECT_EQ(p, 5u);

    p = 0;
    EXPECT_DOUBLE_EQ(ScanNumber("12,5", true, dsPoint, p), 12.0);
    EXPECT_EQ(p, 2u);
    EXPECT_DOUBLE_EQ(ScanNumber("12,5", true, dsComma), 12.5);
    EXPECT_DOUBLE_EQ(ScanNumber("12,5", true, dsPointOrComma), 12.5);
    EXPECT_DOUBLE_EQ(ScanNumber("12.5", true, dsComma), 12.0);

    p = 3;
    EXPECT_DOUBLE_EQ(ScanNumber("[1,47.5 x", false, dsPoint, p), 47.5);
    EXPECT_EQ(p, 7u);
}

TEST(ScanNumber, ExponentOnlyWhenAllowed) {
    EXPECT_DOUBLE_EQ(ScanNumber("1.5E-3", true, dsPoint), 0.0015);
    EXPECT_DOUBLE_EQ(ScanNumber("1.5e+3", true, dsPoint), 1500.0);
    std::size_t p = 0;
    EXPECT_DOUBLE_EQ(ScanNumber("1.5E-3", false, dsPoint, p), 1.5);
    EXPECT_EQ(p, 3u);
    EXPECT_DOUBLE_EQ(ScanNumber("2E", true, dsPoint), 2.0);
    EXPECT_DOUBLE_EQ(ScanNumber("2E+", true, dsPoint), 2.0);
}

TEST(ScanNumber, MalformedTextGivesZero) {
    EXPECT_EQ(ScanNumber("+-3", true, dsPoint), 0.0);
    EXPECT_EQ(ScanNumber("", true, dsPoint), 0.0);
    EXPECT_EQ(ScanNumber("   ", true, dsPoint), 0.0);
    EXPECT_EQ(ScanNumber("1.2.3", true, dsPoint), 0.0);
    EXPECT_EQ(ScanNumber("E5", true, dsPoint), 0.0);
    EXPECT_EQ(ScanNumber("- 5", true, dsPoint), 0.0);
    EXPECT_EQ(ScanNumber("abc", true, dsPoint), 0.0);
    EXPECT_EQ(ScanNumber("1E5.", true, dsPoint), 100000.0);  // the separator ends the exponent
    EXPECT_DOUBLE_EQ(ScanNumber("5.", true, dsPoint), 5.0);
    EXPECT_DOUBLE_EQ(ScanNumber(".25", true, dsPoint), 0.25);
    EXPECT_DOUBLE_EQ(ScanNumber("+.5", true, dsPoint), 0.5);
}

TEST(ScanNumber, ValuesOutOfRangeAreClampedNotInfinite) {
    const double maxD = std::numeric_limits<double>::max();
    EXPECT_EQ(ScanNumber("1E99999999999999999999", true, dsPoint), maxD);
    EXPECT_EQ(ScanNumber("-1E400", true, dsPoint), -maxD);
    EXPECT_EQ(ScanNumber("1E-400", true, dsPoint), 0.0);
    EXPECT_EQ(ScanNumber("0.0000001E-400", true, dsPoint), 0.0);
    EXPECT_EQ(ScanNumber(std::string(400, '9'), true, dsPoint), maxD);
    std::size_t p = 0;
    const std::string longExp = "1E-" + std::string(5000, '0') + "1";
    EXPECT_DOUBLE_EQ(ScanNumber(longExp, true, dsPoint, p), 0.1);  // leading zeros keep the exponent small
    EXPECT_EQ(p, longExp.size());
}

TEST(ScanInteger, SignsBlanksAndLimits) {
    std::size_t p = 0;
    EXPECT_EQ(ScanInteger("  -42x", p), -42);
    EXPECT_EQ(p, 5u);
    EXPECT_EQ(ScanInteger("+7"), 7);
    EXPECT_EQ(ScanInteger("abc"), 0);
    EXPECT_EQ(ScanInteger(""), 0);
    EXPECT_EQ(ScanInteger("99999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ScanInteger("-99999999999"), std::numeric_limits<std::int32_t>::min());
    p = 10;
    EXPECT_EQ(ScanInteger("12", p), 0);  // a position past the end reads nothing
    EXPECT_EQ(p, 10u);
    p = 0;
    EXPECT_EQ(ScanInteger("   ", p), 0);
    EXPECT_EQ(p, 2u);  // blanks are skipped up to the last character only
}

TEST(GetAttribute, FindsNamesWithoutCaseAndQuotedValuesWithBlanks) {
    const std::string attrs = R"(Lat="47.5" captext="a = b c" size=12 transp='x' )";
    EXPECT_EQ(GetAttribute(attrs, "lat"), "47.5");
    EXPECT_EQ(GetAttribute(attrs, "CAPTEXT"), "a = b c");
    EXPECT_EQ(GetAttribute(attrs, "size"), "12");
    EXPECT_EQ(GetAttribute(attrs, "transp"), "'x'");
    EXPECT_EQ(GetAttribute(attrs, "missing"), "");
    EXPECT_EQ(GetAttribute(" a = \"1\"\r\n\tb=2", "b"), "2");
    EXPECT_EQ(GetAttribute("a=\"unclosed", "a"), "unclosed");
}

TEST(GetAttribute, StopsAtAMalformedPair) {
    EXPECT_EQ(GetAttribute("a==1 b=2", "b"), "");
    EXPECT_EQ(GetAttribute("a=1=2 b=2", "b"), "");
    EXPECT_EQ(GetAttribute("x\"y=1 b=2", "b"), "");
    EXPECT_EQ(GetAttribute("a=1 b=2", "a"), "1");
    EXPECT_EQ(GetAttribute("my name=1", "my name"), "1");  // inner blanks belong to the name
}

TEST(QuotedValue, PlainSearchUpToTheNextQuote) {
    EXPECT_EQ(QuotedValue(R"(<geomap id=" A b " model="utm">)", "id"), " A b ");
    EXPECT_EQ(QuotedValue(R"(x id="open)", "id"), "");
    EXPECT_EQ(QuotedValue(R"(x id=1)", "id"), "");
}

TEST(TrimBlanks, OnlyCharacter32) {
    EXPECT_EQ(TrimBlanks("  a b  "), "a b");
    EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
    EXPECT_EQ(TrimBlanks("    "), "");
}

TEST(ReadStreamLine, SplitsAtLineFeedsAndFlagsTheEnd) {
    TMemoryStream s;
    s.WriteString("one\r\ntwo\nthree\r\r\nlast");
    s.SetPosition(0);
    bool eos = false;
    EXPECT_EQ(ReadStreamLine(s, eos), "one");
    EXPECT_FALSE(eos);
    EXPECT_EQ(ReadStreamLine(s, eos), "two");
    EXPECT_EQ(ReadStreamLine(s, eos), "three\r");  // only two line-end characters go
    EXPECT_EQ(ReadStreamLine(s, eos), "last");
    EXPECT_TRUE(eos);
    s.WriteString(std::string("\xE9\x00z\n", 4));
    s.SetPosition(static_cast<std::int64_t>(s.Size()) - 4);
    EXPECT_EQ(ReadStreamLine(s, eos), std::string("\xE9\x00z", 3));
}

TEST(FormatFixed, ExactDecimalsRoundedWithPoint) {
    EXPECT_EQ(FormatFixed(47.123456789, 5), "47.12346");
    EXPECT_EQ(FormatFixed(-8.5, 5), "-8.50000");
    EXPECT_EQ(FormatFixed(12.0, 3), "12.000");
    EXPECT_EQ(FormatFixed(-0.000001, 5), "0.00000");
    EXPECT_EQ(FormatFixed(1234567.0, 0), "1234567");
}

TEST(FormatGeneral15, FifteenSignificantDigitsTrailingZerosDropped) {
    EXPECT_EQ(FormatGeneral15(12.5), "12.5");
    EXPECT_EQ(FormatGeneral15(47), "47");
    EXPECT_EQ(FormatGeneral15(-47), "-47");
    EXPECT_EQ(FormatGeneral15(0), "0");
    EXPECT_EQ(FormatGeneral15(0.000001), "1E-6");
    EXPECT_EQ(FormatGeneral15(0.00001), "0.00001");
    EXPECT_EQ(FormatGeneral15(-2.5e-7), "-2.5E-7");
    EXPECT_EQ(FormatGeneral15(123456789012345.0), "123456789012345");
    EXPECT_EQ(FormatGeneral15(1e15), "1E15");
    EXPECT_EQ(FormatGeneral15(1.5e20), "1.5E20");
    EXPECT_EQ(FormatGeneral15(0.1 + 0.2), "0.3");
    EXPECT_EQ(FormatGeneral15(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatGeneral15(99999999999999.99), "100000000000000");
}

TEST(CalibTagList, EighteenTagsInIndexOrder) {
    const TTagList& tags = CalibTagList();
    ASSERT_EQ(tags.size(), 18u);
    EXPECT_EQ(tags[ctCRS], "crs");
    EXPECT_EQ(tags[ctProjOrder], "projorder");
    EXPECT_EQ(tags[ctCalLine], "calline");
    EXPECT_EQ(tags[ctLandmark], "landmark");
    EXPECT_EQ(tags[ctSymbol], "symbol");
    EXPECT_EQ(tags[ctEllipsoid], "ellipsoid");
    EXPECT_EQ(tags[ctInvalidTag], "invalidtag");
}
