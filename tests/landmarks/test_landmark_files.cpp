#include <gtest/gtest.h>

#include <filesystem>

#include "scratch_dir.h"
#include "zylcarto/geomap/calibration/xml_source.h"
#include "zylcarto/geomap/landmarks/landmark_xml.h"
#include "zylcarto/support/numeric.h"
#include "zylcarto/support/streams.h"

using namespace zylcarto;
using test::ScratchPath;

namespace {

std::vector<TLandMark> ReadText(const std::string& Text, const std::string& DataID, bool* Found = nullptr) {
    TMemoryStream s;
    s.WriteString(Text);
    s.SetPosition(0);
    TStreamSource src(s);
    std::vector<TLandMark> lms;
    const bool found = ReadLandMarkSet(src, DataID, lms);
    if (Found) *Found = found;
    return lms;
}

std::string Set(const std::string& IdAttr, const std::string& Tags) {
    return "<gmlandmarks sig=\"ZYLCSuite\" vers=\"1.0\"" + IdAttr + ">\r\n" + Tags + "</gmlandmarks>\r\n";
}

TLandMark Single(const std::string& Attributes) {
    const auto lms = ReadText(Set("", "<landmark " + Attributes + " />\r\n"), "");
    EXPECT_EQ(lms.size(), 1u);
    return lms.empty() ? TLandMark{} : lms[0];
}

TLandMark Varied(int i) {
    TLandMark L;
    L.Latitude = 47.123456789012345 + i * 0.1;
    L.Longitude = -8.1 / 3.0 - i;
    L.Altitude = 1e-7 * i;
    L.ClassFlag = static_cast<std::uint8_t>(200 + i);
    L.Tag = -1000 * i;
    L.SymbolProps = {
        static_cast<TLandMarkElement>(1 + i % 7), 3 + i, 0x00ABCDEFu + i, 0x00FFFFFFu, i % 2 == 0, 45 * i, 12};
    L.Caption.Text = "Caption é " + std::to_string(i);
    L.Caption.Size = 9;
    L.Caption.FontName = "DejaVu Sans";
    L.Caption.FontStyles = {fsItalic, fsStrikeOut};
    L.Caption.FGColor = 0x123456;
    L.Caption.BGColor = 0x654321;
    L.Caption.Transparent = i % 2 == 1;
    L.Caption.dx = -5;
    L.Caption.dy = 7;
    L.Caption.Direction = 30;
    L.Caption.HAlignment = taRightJustify;
    L.Caption.VAlignment = vaBottom;
    L.Identifier = "ID" + std::to_string(i);
    L.Time = EncodeDateTime(2024, 2, 29, 23, 59, 58 - i);
    return L;
}

}  // namespace

TEST(LandmarkFile, WriteAndReadGiveEveryFieldBack) {
    std::vector<TLandMark> in;
    for (int i = 0; i < 5; ++i) in.push_back(Varied(i));
    const std::string path = ScratchPath("lms.xml");
    TTextFile f;
    f.OpenWrite(path);
    WriteLandMarkSet(f, true, "MyMarks", static_cast<int>(in.size()),
                     [&](int i) -> const TLandMark& { return in[i - 1]; });
    f.Close();

    TTextFile r;
    ASSERT_TRUE(r.OpenRead(path));
    std::string first;
    ASSERT_TRUE(r.ReadLn(first));
    EXPECT_EQ(first, "<?xml version=\"1.0\"?>");
    TTextFileSource src(r);
    std::vector<TLandMark> out;
    ASSERT_TRUE(ReadLandMarkSet(src, "mymarks", out));
    ASSERT_EQ(out.size(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i) EXPECT_EQ(out[i], in[i]) << "landmark " << i + 1;
}

TEST(LandmarkFile, ReadingGoesOnPastTheEndOfTheSet) {
    const std::string text = Set(" id=\"a\"", "<landmark lat=\"1\" />\r\n") +
                             Set(" id=\"b\"", "<landmark lat=\"2\" />\r\n") + "</geomap>\r\n" +
                             "<landmark lat=\"3\" />\r\n";
    const auto lms = ReadText(text, "A");
    ASSERT_EQ(lms.size(), 2u);
    EXPECT_EQ(lms[1].Latitude, 2.0);
    EXPECT_EQ(ReadText(text, "b").size(), 1u);

    bool found = true;
    EXPECT_TRUE(ReadText(text, "c", &found).empty());
    EXPECT_FALSE(found);
    ReadText(Set("", "<landmark />"), "x", &found);
    EXPECT_FALSE(found);  // a header without an id counts only for an empty DataID
    ReadText(Set("", "<landmark />"), "", &found);
    EXPECT_TRUE(found);
}

TEST(LandmarkFile, AttributeReadingRules) {
    EXPECT_EQ(Single("element=\"Spade\"").SymbolProps.Kind, lmSpade);
    EXPECT_EQ(Single("element=\"ArrowTo\"").SymbolProps.Kind, lmArrowTo);
    EXPECT_EQ(Single("element=\"plus\"").SymbolProps.Kind, lmCross);
    EXPECT_EQ(Single("element=\"User-Defined\"").SymbolProps.Kind, lmCross);
    EXPECT_TRUE(Single("transp=\"TRUE\"").SymbolProps.Transparent);
    EXPECT_TRUE(Single("transp=\"untrue\"").SymbolProps.Transparent);
    EXPECT_FALSE(Single("transp=\"1\"").SymbolProps.Transparent);
    EXPECT_EQ(Single("capfst=\"0100\"").Caption.FontStyles, TFontStyles{fsItalic});
    EXPECT_EQ(Single("capfst=\"1\"").Caption.FontStyles, TFontStyles{fsBold});
    EXPECT_EQ(Single("class=\"255\"").ClassFlag, 255);
    EXPECT_EQ(Single("id=\"ABCDEFGHIJKLMNOPQRST\"").Identifier.Str(), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(Single("CAPTEXT=\"" + std::string(100, 'x') + "\"").Caption.Text.Length(), 80u);
    EXPECT_EQ(Single("lat=\"47,5\" long=\"-1.5E1\"").Longitude, -15.0);
    EXPECT_EQ(Single("colorfg=\"00FF00FF\"").SymbolProps.FGColor, 0x00FF00FFu);
    EXPECT_EQ(Single("caphal=\"7\" capval=\"2\"").Caption.HAlignment, taLeftJustify);  // no such alignment
    EXPECT_EQ(Single("caphal=\"2\" capval=\"2\"").Caption.VAlignment, vaBottom);
    EXPECT_EQ(Single("date=\"20240229120000\"").Time, EncodeDateTime(2024, 2, 29, 12, 0, 0));
    EXPECT_EQ(Single("date=\"20241399120000\"").Time, 0.0);
}

// Landmarks that cannot be are passed over and counted, not read as 0 or as
// class 300 mod 256; across the antimeridian a longitude names its meridian.
TEST(LandmarkFile, ImpossibleLandmarksAreSkippedAndCounted) {
    const std::string skipped[] = {R"(lat="nan" long="5")",           R"(lat="5" long="abc")",
                                   R"(lat="5" long="5" class="300")", R"(lat="95" long="5")",
                                   R"(lat="5" long="3757")",          R"(lat="5" long="5" class="-1")",
                                   R"(lat="1e999" long="5")"};
    std::string tags = "<landmark lat=\"65\" long=\"181\" />\r\n";
    for (const std::string& a : skipped) tags += "<landmark " + a + " />\r\n";
    tags += "<landmark lat=\"-16.5\" long=\"-179.5\" class=\"7\" />\r\n";
    TMemoryStream s;
    s.WriteString(Set("", tags));
    s.SetPosition(0);
    TStreamSource src(s);
    std::vector<TLandMark> lms;
    int count = -1;
    ASSERT_TRUE(ReadLandMarkSet(src, "", lms, &count));
    EXPECT_EQ(count, 7);
    ASSERT_EQ(lms.size(), 2u);
    EXPECT_EQ(lms[0].Longitude, -179.0);
    EXPECT_EQ(lms[1].Longitude, -179.5);
    EXPECT_EQ(lms[1].ClassFlag, 7);
}

TEST(LandmarkFile, MissingAttributesReadAsZeroNotAsTheDefaultLandmark) {
    const TLandMark L = Single("");
    EXPECT_EQ(L.SymbolProps.Size, 0);
    EXPECT_EQ(L.SymbolProps.FGColor, 0u);
    EXPECT_EQ(L.SymbolProps.Kind, lmCross);
    EXPECT_FALSE(L.Caption.Transparent);
    EXPECT_EQ(L.Caption.FontName, "");
    EXPECT_EQ(L.Caption.dy, 0);
    EXPECT_EQ(L.Caption.HAlignment, taLeftJustify);
    EXPECT_EQ(L.Time, 0.0);
}

TEST(LandmarkFile, QuotesInTextsDoNotCutTheFollowingAttributes) {
    TLandMark L = Varied(1);
    L.Caption.Text = "the \"old\" mill";
    const std::string path = ScratchPath("quote.xml");
    TTextFile f;
    f.OpenWrite(path);
    WriteLandMarkSet(f, false, "q", 1, [&](int) -> const TLandMark& { return L; });
    f.Close();
    TTextFile r;
    ASSERT_TRUE(r.OpenRead(path));
    TTextFileSource src(r);
    std::vector<TLandMark> out;
    ASSERT_TRUE(ReadLandMarkSet(src, "q", out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Caption.Text.Str(), "the 'old' mill");
    EXPECT_EQ(out[0].Caption.FGColor, L.Caption.FGColor);
}
