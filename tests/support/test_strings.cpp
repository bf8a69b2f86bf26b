#include <gtest/gtest.h>

#include "zylcarto/support/ansi.h"
#include "zylcarto/support/bitfld.h"
#include "zylcarto/support/component.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/short_string.h"
#include "zylcarto/support/strings.h"

using namespace zylcarto;

TEST(FileNames, StripAndExtract) {
    EXPECT_EQ(StripExtension("maps/vienna.jpg"), "maps/vienna");
    EXPECT_EQ(StripExtension("maps.d/vienna"), "maps.d/vienna");  // a dot in the directory is no extension
    EXPECT_EQ(StripExtension("a.tar.gz"), "a.tar");
    EXPECT_EQ(StripPath("/data/maps/vienna.jpg"), "vienna.jpg");
    EXPECT_EQ(StripPath("C:\\maps\\x.bmp"), "x.bmp");
    EXPECT_EQ(ExtractFilePath("/data/maps/vienna.jpg"), "/data/maps/");
    EXPECT_EQ(ExtractFilePath("vienna.jpg"), "");
    EXPECT_EQ(ExtractFileExt("/data/maps/vienna.JPEG"), ".JPEG");
    EXPECT_EQ(ExtractFileExt("/data/maps.d/vienna"), "");
}

TEST(FileNames, Reduce83) {
    EXPECT_EQ(ReduceStringToFN83CompliantChars("My Map: v1.2*?"), "MyMapv12");
    EXPECT_EQ(ReduceStringToFN83CompliantChars("a/b\\c<d>e|f\"g"), "abcdefg");
}

TEST(Strings, IndexAndCase) {
    static constexpr std::string_view list[] = {"geomap", "/geomap", "calline"};
    EXPECT_EQ(StringIx("calline", list), 3);
    EXPECT_EQ(StringIx("CALLINE", list), 0);
    EXPECT_EQ(StringIx("x", std::vector<std::string_view>{"a", "x"}), 2);
    EXPECT_TRUE(SameText("GeoMap", "gEOMAP"));
    EXPECT_FALSE(SameText("GeoMap", "GeoMaps"));
    EXPECT_EQ(LowerCase("ÄBC"), "Äbc");  // only ASCII letters change
}

TEST(ShortString, ConvertsAndCuts) {
    TShortString<5> s("Zürich");
    EXPECT_EQ(s.Length(), 5u);
    EXPECT_EQ(s.Ansi(), std::string_view("Z\xFCric", 5));
    EXPECT_EQ(s.Str(), "Züric");
    TShortString<10> euro("5 €");
    EXPECT_EQ(euro.Ansi(), "5 \x80");
    EXPECT_EQ(euro.Str(), "5 €");
    TShortString<10> cjk("東京");
    EXPECT_EQ(cjk.Str(), "??");
    // A corrupt length byte from a file never reads past the capacity.
    TShortString<3> bad;
    bad.Len = 200;
    EXPECT_EQ(bad.Ansi().size(), 3u);
    EXPECT_EQ(TShortString<8>("abc"), TShortString<8>::FromAnsi("abc"));
}

TEST(Ansi, MalformedUtf8BecomesQuestionMark) {
    EXPECT_EQ(Utf8ToAnsi("a\xC3"), "a?");
    EXPECT_EQ(Utf8ToAnsi("\xFF"
                         "b"),
              "?b");
    EXPECT_EQ(AnsiToUtf8("\x81"), "\xEF\xBF\xBD");
}

TEST(BitFld, RangeIsOneBased) {
    TBitFld b;
    b.SetSize(10);
    b.SetBit(1, true);
    b.SetBit(10, true);
    b.SetBit(0, true);   // ignored
    b.SetBit(11, true);  // ignored
    EXPECT_TRUE(b.GetBit(1));
    EXPECT_TRUE(b.GetBit(10));
    EXPECT_FALSE(b.GetBit(0));
    EXPECT_FALSE(b.GetBit(11));
    b.Clear();
    EXPECT_FALSE(b.GetBit(1));
}

TEST(Component, OwnerDestroysWhatItOwns) {
    static int alive = 0;
    struct Counted : TComponent {
        explicit Counted(TComponent* o) : TComponent(o) { ++alive; }
        ~Counted() override { --alive; }
    };
    {
        Counted root(nullptr);
        auto* a = new Counted(&root);
        new Counted(a);
        auto* c = new Counted(&root);
        EXPECT_EQ(alive, 4);
        delete c;  // leaves its owner's list
        EXPECT_EQ(root.ComponentCount(), 1);
    }
    EXPECT_EQ(alive, 0);
}

TEST(Errors, MessagesAndHierarchy) {
    try {
        throw EZYLGeoDBError(ComponentMessage("GeoDB1", "file not found"));
    } catch (const EZYLError& e) {
        EXPECT_STREQ(e.what(), "Component \"GeoDB1\": file not found");
    }
    errno = ENOENT;
    try {
        RaiseInOutError("/x/y", "cannot open");
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Path(), "/x/y");
        EXPECT_EQ(e.ErrorCode(), ENOENT);
        EXPECT_NE(std::string(e.what()).find("/x/y"), std::string::npos);
    }
}
