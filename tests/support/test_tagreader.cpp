#include <gtest/gtest.h>

#include <filesystem>

#include "scratch_dir.h"
#include "zylcarto/support/streams.h"
#include "zylcarto/support/tagreader.h"

using namespace zylcarto;

namespace {
const TTagList kTags = {"geomap",       "/geomap",  "calline",   "corners",   "resolution", "gmlandmarks",
                        "/gmlandmarks", "landmark", "calquads",  "lmsymbols", "/lmsymbols", "symbol",
                        "utmzone",      "utmsouth", "ellipsoid", "invalidtag"};

struct Tag {
    int index;
    std::string attrs, content;
};

std::vector<Tag> ReadAllTags(const std::string& text) {
    TMemoryStream s;
    s.WriteString(text);
    s.SetPosition(0);
    std::vector<Tag> tags;
    for (int guard = 0; guard < 100; ++guard) {
        Tag t;
        t.index = ReadNextTagInStream(s, kTags, t.attrs, t.content);
        tags.push_back(t);
        if (t.index == 1 || t.index == 15) break;
    }
    return tags;
}
}  // namespace

TEST(TagReader, CalibrationBody) {
    const auto tags = ReadAllTags(
        "<!-- a <calline> in a comment is no tag -->\r\n"
        "<corners>\r\n[47.1,8.2] [46.0,8.2] \r\n</corners>\r\n"
        "<calline type=\"meridian\" value=\"8.5\"\r\n npoints=\"3\">\r\n[1,2] [3,4] [5,6] \r\n</CALLINE>\r\n"
        "<unknown a=\"1\">x</unknown>\r\n"
        "<utmzone>33</utmzone>\r\n</geomap>\r\n<utmzone>1</utmzone>");
    ASSERT_EQ(tags.size(), 4u);
    EXPECT_EQ(tags[0].index, 3);
    EXPECT_EQ(tags[0].content, "\r\n[47.1,8.2] [46.0,8.2] \r\n");
    EXPECT_EQ(tags[1].index, 2);
    EXPECT_EQ(tags[1].attrs, "type=\"meridian\" value=\"8.5\"\r\n npoints=\"3\"");  // spread over two lines
    EXPECT_EQ(tags[1].content, "\r\n[1,2] [3,4] [5,6] \r\n");
    EXPECT_EQ(tags[2].index, 12);
    EXPECT_EQ(tags[2].content, "33");
    EXPECT_EQ(tags[3].index, 1);
}

TEST(TagReader, SelfClosingAndContainerTagsKeepTheirSiblings) {
    const auto tags =
        ReadAllTags("<gmlandmarks sig=\"ZYLCSuite\" id=\"a\">\r\n"
                    "<landmark lat=\"1\" captext=\"a > b\" />\r\n"
                    "</gmlandmarks>\r\n<gmlandmarks id=\"b\">\r\n<landmark lat=\"2\"/>\r\n</gmlandmarks>\r\n");
    ASSERT_EQ(tags.size(), 7u);
    EXPECT_EQ(tags[0].index, 5);
    EXPECT_EQ(tags[1].index, 7);
    EXPECT_EQ(tags[1].attrs, "lat=\"1\" captext=\"a > b\"");  // ">" inside quotes does not end the tag
    EXPECT_EQ(tags[1].content, "");
    EXPECT_EQ(tags[2].index, 6);
    EXPECT_EQ(tags[3].index, 5);
    EXPECT_EQ(tags[4].attrs, "lat=\"2\"");
    EXPECT_EQ(tags[5].index, 6);
    EXPECT_EQ(tags[6].index, 15);  // end of input
}

TEST(TagReader, InputEndingInsideATag) {
    for (const char* text : {"<calline type=\"mer", "<callin", "<", "<!-- open comment", "", "no tags at all"}) {
        const auto tags = ReadAllTags(text);
        ASSERT_EQ(tags.size(), 1u) << text;
        EXPECT_EQ(tags[0].index, 15) << text;
    }
    // A short tag inside the content is no closing tag, however near the end it stands.
    const auto shortTag = ReadAllTags("<calline>aaaaaaaaaa<b>");
    EXPECT_EQ(shortTag[0].index, 2);
    EXPECT_EQ(shortTag[0].content, "aaaaaaaaaa<b>");
    // A tag without its closing tag takes the rest of the input as content.
    const auto tags = ReadAllTags("<resolution>12.5");
    EXPECT_EQ(tags[0].index, 4);
    EXPECT_EQ(tags[0].content, "12.5");
}

TEST(TagReader, PathologicalContentIsReadInOnePass) {
    // Megabytes of what makes a backward search per character quadratic: ">" without
    // "<", "<" before ever more ">", closing names cut short or run on, and a tag
    // name and attribute text without end. Each tag must come back whole.
    constexpr std::size_t N = 1 << 20;
    const std::string gts(N, '>'), cut = [] {
        std::string s;
        while (s.size() < N) s += "</callin</callinex></calline";
        return s;
    }();
    const auto tags = ReadAllTags("<calline>" + gts + "</calline>" + "<corners><" + gts + "</corners >" +
                                  "<resolution>" + cut + "</RESOLUTION\r\n>" + "<" + std::string(N, 'a') + ">" +
                                  "<utmzone a=\"" + std::string(N, 'x') + "\">1</utmzone></geomap>");
    ASSERT_EQ(tags.size(), 5u);
    EXPECT_EQ(tags[0].content, gts);
    EXPECT_EQ(tags[1].content, "<" + gts);
    EXPECT_EQ(tags[2].index, 4);
    EXPECT_EQ(tags[2].content, cut);
    EXPECT_EQ(tags[3].index, 12);
    EXPECT_EQ(tags[3].attrs.size(), N + 4);
    EXPECT_EQ(tags[4].index, 1);
}

TEST(TagReader, TextFileContinuesAfterLineReads) {
    const std::string path = zylcarto::test::ScratchFile(
        "tags.xml", "<?xml version=\"1.0\"?>\r\n<geomap id=\"x\">\r\n<resolution>2.5</resolution>\r\n");
    TTextFile f;
    ASSERT_TRUE(f.OpenRead(path));
    std::string line;
    f.ReadLn(line);
    f.ReadLn(line);
    EXPECT_EQ(line, "<geomap id=\"x\">");
    std::string attrs, content;
    EXPECT_EQ(ReadNextTagInTextFile(f, kTags, attrs, content), 4);
    EXPECT_EQ(content, "2.5");
    EXPECT_EQ(ReadNextTagInTextFile(f, kTags, attrs, content), 15);
}
