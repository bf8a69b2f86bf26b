#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zylcarto/geomap/landmarks/landmark_store.h"
#include "zylcarto/geomap/landmarks/landmark_xml.h"
#include "zylcarto/support/component.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

namespace {

struct StoreFixture : ::testing::Test {
    TObject Sender;
    int Repaints = 0;
    TLandMarkStore Store{&Sender, [] { return std::string("Map1"); }};
    StoreFixture() {
        Store.SetOnRepaint([this] { ++Repaints; });
    }

    // Landmark k at latitude k (k mod 90 from 90 on), longitude 0, tag k, so the order can be read back.
    void AddNumbered(int Count) {
        for (int k = 1; k <= Count; ++k) {
            Store.AddLandMark(k % 90, 0, 0);
            TLandMark LM = Store.GetLandMarkData(Store.NumLandMarks());
            LM.Tag = k;
            Store.SetLandMarkData(Store.NumLandMarks(), LM);
        }
    }
    std::vector<int> Tags() const {
        std::vector<int> T;
        for (int i = 1; i <= Store.NumLandMarks(); ++i) T.push_back(Store.GetLandMarkData(i).Tag);
        return T;
    }
};

}  // namespace

TEST_F(StoreFixture, NewStoreHasTheDocumentedDefaults) {
    EXPECT_EQ(Store.NumLandMarks(), 0);
    EXPECT_EQ(Store.Capacity(), 1000);
    EXPECT_EQ(Store.LMRandomDisplayThreshold(), 20000);
    EXPECT_EQ(Store.HighLightLandMark(), 0);
    EXPECT_EQ(Store.HighLMColFG(), 0xFF0000u);
    EXPECT_EQ(Store.HighLMColBG(), 0x00FFFFu);
    EXPECT_FALSE(Store.HighLMTrans());
    for (int c = 0; c < 256; ++c) EXPECT_TRUE(Store.GetClassVisibility(static_cast<std::uint8_t>(c)));
    const TLandMark& D = Store.LandMarkDefault();
    EXPECT_EQ(D.SymbolProps.Kind, lmCross);
    EXPECT_EQ(D.SymbolProps.Size, 7);
    EXPECT_EQ(D.SymbolProps.FGColor, 0xFF0000u);
    EXPECT_EQ(D.SymbolProps.BGColor, 0xFFFFFFu);
    EXPECT_FALSE(D.SymbolProps.Transparent);
    EXPECT_EQ(D.SymbolProps.Length, 10);
    EXPECT_EQ(D.Caption.Size, 8);
    EXPECT_EQ(D.Caption.FontName, "MS Sans Serif");
    EXPECT_TRUE(D.Caption.Transparent);
    EXPECT_EQ(D.Caption.dy, 8);
    EXPECT_EQ(D.Caption.HAlignment, taCenter);
    EXPECT_EQ(D.Caption.VAlignment, vaTop);
    EXPECT_EQ(LMTypeNames[static_cast<int>(lmUserDef)], "User-Defined");
}

TEST_F(StoreFixture, OverloadsTakeWhatTheyAreGivenAndTheRestFromTheDefault) {
    Store.LandMarkDefault().ClassFlag = 7;
    Store.LandMarkDefault().Caption.Size = 11;
    Store.AddLandMark(1, 2, 3, "ABCDEFGHIJKLMNOPQRS", 45000.5);
    TLandMark A = Store.GetLandMarkData(1);
    EXPECT_EQ(A.Identifier.Str(), "ABCDEFGHIJKLMNO");  // cut to 15
    EXPECT_EQ(A.Time, 45000.5);
    EXPECT_EQ(A.ClassFlag, 7);
    EXPECT_EQ(A.Altitude, 3);

    Store.AddLandMark(1, 2, 3, std::string(100, 'x'), 14, 0x123456);
    TLandMark B = Store.GetLandMarkData(2);
    EXPECT_EQ(B.Caption.Text.Length(), 80u);
    EXPECT_EQ(B.Caption.Size, 14);
    EXPECT_EQ(B.Caption.FGColor, 0x123456u);
    EXPECT_EQ(B.Caption.dy, 8);

    Store.AddLandMark(5, 6, 0, lmSpade, 9, "id", 1.0, 42, 0x1, 0x2, 5, true, 90, 20);
    TLandMark C = Store.GetLandMarkData(3);
    EXPECT_EQ(C.ClassFlag, 9);
    EXPECT_EQ(C.Tag, 42);
    EXPECT_EQ(C.SymbolProps, (TSymbolProperties{lmSpade, 5, 0x1, 0x2, true, 90, 20}));
    EXPECT_EQ(C.Caption.Size, 11);  // caption from the default
    EXPECT_EQ(Repaints, 3);
}

TEST_F(StoreFixture, CapacityGrowsInStepsOfAThousandAndFallsBackWhenEmptied) {
    AddNumbered(1000);
    EXPECT_EQ(Store.Capacity(), 1000);
    Store.AddLandMark(0, 0, 0);
    EXPECT_EQ(Store.Capacity(), 2000);
    for (int k = 0; k < 1000; ++k) Store.AddLandMark(0, 0, 0);
    EXPECT_EQ(Store.NumLandMarks(), 2001);
    EXPECT_EQ(Store.Capacity(), 3000);
    Store.RemoveAllLandMarks(0);
    EXPECT_EQ(Store.NumLandMarks(), 0);
    EXPECT_EQ(Store.Capacity(), 1000);
}

TEST_F(StoreFixture, FindLandMarkPicksTheNearestOfTheClassAndTheLowestIndexOnTies) {
    EXPECT_EQ(Store.FindLandMark(0, 0, -1), 0);
    Store.AddLandMark(1, 0, 0, lmPlus, 3, "", 0, 0, 0, 0, 7, false, 0, 10);
    Store.AddLandMark(-1, 0, 0, lmPlus, 3, "", 0, 0, 0, 0, 7, false, 0, 10);
    Store.AddLandMark(0.5, 0.5, 0, lmPlus, 4, "", 0, 0, 0, 0, 7, false, 0, 10);
    EXPECT_EQ(Store.FindLandMark(0, 0, 3), 1);  // landmarks 1 and 2 tie
    EXPECT_EQ(Store.FindLandMark(0, 0, -1), 3);
    EXPECT_EQ(Store.FindLandMark(0, 0, 300), 3);  // out of range: every class
    EXPECT_EQ(Store.FindLandMark(0, 0, -5), 3);
    EXPECT_EQ(Store.FindLandMark(0, 0, 5), 0);
}

TEST_F(StoreFixture, RemovingOneMovesTheLastIntoTheGap) {
    AddNumbered(5);
    Repaints = 0;
    EXPECT_EQ(Store.RemoveLandMark(3), 3);
    EXPECT_EQ(Tags(), (std::vector<int>{1, 2, 5, 4}));
    EXPECT_EQ(Store.RemoveLandMark(0), 0);
    EXPECT_EQ(Store.RemoveLandMark(5), 0);
    EXPECT_EQ(Store.RemoveLandMark(2.1, 0.0, -1), 2);  // nearest reports the index removed
    EXPECT_EQ(Tags(), (std::vector<int>{1, 4, 5}));
    Store.RemoveLastLandMark();
    EXPECT_EQ(Tags(), (std::vector<int>{1, 4}));
    EXPECT_EQ(Repaints, 5);  // out-of-range indexes on a non-empty list repaint too
}

TEST_F(StoreFixture, MultiRemovalFillsHolesFromTheEnd) {
    AddNumbered(5);
    // Latitudes 1 and 2 inside a radius of 1.6 around (1.4, 0).
    EXPECT_EQ(Store.RemoveLandMark(1.4, 0.0, -1, 1.0), 2);
    EXPECT_EQ(Tags(), (std::vector<int>{5, 4, 3}));
}

TEST_F(StoreFixture, RadiusAndRectangleBoundariesKeepLandmarksOnTheEdge) {
    Store.AddLandMark(1, 0, 0);  // distance exactly 1
    Store.AddLandMark(0.5, 0, 0);
    EXPECT_EQ(Store.RemoveLandMark(0.0, 0.0, -1, 1.0), 1);
    EXPECT_EQ(Store.NumLandMarks(), 1);
    EXPECT_EQ(Store.GetLandMarkData(1).Latitude, 1);

    Store.AddLandMark(5, 5, 0);                 // inside
    Store.AddLandMark(10, 5, 0);                // on the northern edge
    const TRectDouble R{0, 10, 10, 0};          // west, north, east, south
    EXPECT_EQ(Store.RemoveLandMark(R, -1), 1);  // (1, 0) lies on the western edge
    ASSERT_EQ(Store.NumLandMarks(), 2);
    EXPECT_EQ(Store.GetLandMarkData(1).Latitude, 1);
    EXPECT_EQ(Store.GetLandMarkData(2).Latitude, 10);
}

TEST_F(StoreFixture, VetoKeepsExactlyTheRefusedLandmarks) {
    std::vector<TLandMarkAction> Seen;
    Store.SetOnLandMarkAction([&](TObject* S, bool& Allowed, TLandMarkAction A, const TLandMark& LM) {
        EXPECT_EQ(S, &Sender);
        Seen.push_back(A);
        if (A == lmaAdd && LM.Latitude == 89) Allowed = false;
        if (A == lmaRemove && LM.Latitude == 2) Allowed = false;
    });
    Store.AddLandMark(89, 0, 0);
    EXPECT_EQ(Store.NumLandMarks(), 0);
    EXPECT_EQ(Repaints, 0);  // a vetoed addition does not repaint
    Store.AddLandMark(1, 0, 0);
    Store.AddLandMark(2, 0, 0);
    Store.AddLandMark(3, 0, 0);
    Seen.clear();
    EXPECT_EQ(Store.RemoveLandMark(2.0, 0.0, -1, 10.0), 2);
    EXPECT_EQ(Seen.size(), 3u);  // once per candidate
    ASSERT_EQ(Store.NumLandMarks(), 1);
    EXPECT_EQ(Store.GetLandMarkData(1).Latitude, 2);
    EXPECT_EQ(Store.RemoveLandMark(1), 0);  // vetoed
    Seen.clear();
    Store.RemoveAllLandMarks();  // asks nobody
    EXPECT_TRUE(Seen.empty());
    EXPECT_EQ(Store.NumLandMarks(), 0);
}

TEST_F(StoreFixture, RemoveAllOfAClassRemovesOnlyThatClass) {
    Store.AddLandMark(1, 0, 0, lmPlus, 1, "", 0, 1, 0, 0, 7, false, 0, 10);
    Store.AddLandMark(2, 0, 0, lmPlus, 2, "", 0, 2, 0, 0, 7, false, 0, 10);
    Store.AddLandMark(3, 0, 0, lmPlus, 1, "", 0, 3, 0, 0, 7, false, 0, 10);
    Store.RemoveAllLandMarks(1);
    EXPECT_EQ(Tags(), (std::vector<int>{2}));
}

TEST_F(StoreFixture, HighlightIsResetByRemovalsButNotByClearingAll) {
    AddNumbered(3);
    Store.SetHighLM(4);
    EXPECT_EQ(Store.HighLightLandMark(), 0);
    Store.SetHighLM(-1);
    EXPECT_EQ(Store.HighLightLandMark(), 0);
    Store.SetHighLM(2);
    Repaints = 0;
    Store.SetHighLM(2);
    EXPECT_EQ(Repaints, 0);   // unchanged
    Store.RemoveLandMark(9);  // nothing removed, still resets
    EXPECT_EQ(Store.HighLightLandMark(), 0);
    Store.SetHighLM(3);
    Store.RemoveAllLandMarks();
    EXPECT_EQ(Store.HighLightLandMark(), 3);
}

TEST_F(StoreFixture, EmptyListRemovalsDoNotRepaint) {
    Store.RemoveLandMark(1);
    Store.RemoveAllLandMarks(0);
    Store.RemoveLandMark(0.0, 0.0, -1);
    Store.RemoveLandMark(0.0, 0.0, -1, 5.0);
    Store.RemoveLandMark(TRectDouble{-1, 1, 1, -1}, -1);
    EXPECT_EQ(Repaints, 0);
}

TEST_F(StoreFixture, SettingsRepaintOnlyWhenTheyChangeSomething) {
    Store.SetRandSampleLimit(1000);
    EXPECT_EQ(Store.LMRandomDisplayThreshold(), 20000);
    Store.SetRandSampleLimit(1001);
    EXPECT_EQ(Store.LMRandomDisplayThreshold(), 1001);
    Store.SetRandSampleLimit(1001);
    EXPECT_EQ(Repaints, 1);
    Store.SetLandMarkData(1, TLandMark{});  // out of range
    EXPECT_EQ(Repaints, 1);
    Store.SetClassVisibility(200, false);
    EXPECT_FALSE(Store.GetClassVisibility(200));
    Store.SetHighLightProperties(1, 2, true);
    EXPECT_EQ(Store.HighLMColBG(), 2u);
    EXPECT_EQ(Repaints, 3);
}

TEST_F(StoreFixture, AnIndexOutsideTheListIsIgnoredByReadingAndWritingAlike) {
    AddNumbered(1);
    const TLandMark Only = Store.GetLandMarkData(1);
    for (const int Index : {0, 2, -1}) {
        EXPECT_EQ(Store.GetLandMarkData(Index), TLandMark{});  // not garbage
        Store.SetLandMarkData(Index, TLandMark{});
        EXPECT_EQ(Store.NumLandMarks(), 1);
        EXPECT_EQ(Store.GetLandMarkData(1), Only);
    }
}

TEST_F(StoreFixture, AssignCopiesTheListAndSettingsButNotTheHandler) {
    AddNumbered(1500);
    Store.SetHighLM(7);
    Store.SetClassVisibility(3, false);
    bool Asked = false;
    TLandMarkStore Copy(&Sender, [] { return std::string("Copy"); });
    Copy.SetOnLandMarkAction([&](TObject*, bool&, TLandMarkAction, const TLandMark&) { Asked = true; });
    Copy.Assign(Store);
    EXPECT_EQ(Copy.NumLandMarks(), 1500);
    EXPECT_EQ(Copy.Capacity(), 2000);
    EXPECT_EQ(Copy.GetLandMarkData(1500).Tag, 1500);
    EXPECT_EQ(Copy.HighLightLandMark(), 7);
    EXPECT_FALSE(Copy.GetClassVisibility(3));
    Copy.AddLandMark(0, 0, 0);
    EXPECT_TRUE(Asked);  // the copy kept its own handler
}

// Within a whole turn a longitude names its meridian: 181 E is stored as 179 W,
// by adding and by replacing; further off it is refused.
TEST_F(StoreFixture, LongitudesWithinAWholeTurnAreStoredNormalised) {
    for (const auto& [Given, Stored] : {std::pair{181.0, -179.0}, {-181.0, 179.0}, {360.0, 0.0}, {180.0, 180.0}}) {
        Store.AddLandMark(-16, Given, 0);
        EXPECT_EQ(Store.GetLandMarkData(Store.NumLandMarks()).Longitude, Stored) << Given;
    }
    const int Count = Store.NumLandMarks();
    Store.AddLandMark(-16, 400, 0);
    EXPECT_EQ(Store.NumLandMarks(), Count);
    TLandMark LM = Store.GetLandMarkData(1);
    LM.Longitude = -359;
    Store.SetLandMarkData(1, LM);
    EXPECT_EQ(Store.GetLandMarkData(1).Longitude, 1.0);
}

// Text the landmark cannot hold is stored changed, and says so: per landmark and
// as a count over the list, whichever way it came in.
TEST_F(StoreFixture, AlteredCaptionsAndIdentifiersAreReported) {
    const struct {
        std::string Identifier, Caption;
        bool Altered;
    } cases[] = {
        {"Zurich", "Zürich – Genève", false},         // all in Windows-1252
        {"ZH", "Zürich – Москва", true},              // Cyrillic has no Windows-1252 form
        {"long", std::string(80, 'x'), false},        // exactly fits
        {"long", std::string(81, 'x'), true},         // cut
        {"ABCDEFGHIJKLMNOP", "sixteen", true},        // identifier cut at 15
        {"?", "?", false},                            // a question mark is no replacement
    };
    int altered = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Identifier + " / " + c.Caption);
        Store.AddLandMark(1, 2, 0, c.Identifier, 0.0, c.Caption, 8, 0);
        EXPECT_EQ(TextAltered(Store.LandMark(Store.NumLandMarks())), c.Altered);
        altered += c.Altered;
        EXPECT_EQ(Store.TextsAltered(), altered);
    }
    EXPECT_EQ(Store.LandMark(2).Caption.Text.Str(), "Zürich – ??????");
    // A landmark file's caption longer than the landmark holds, and one a host built.
    TLandMark fromFile = LandMarkFromAttributes("lat=\"1\" long=\"2\" captext=\"" + std::string(90, 'y') + "\"");
    EXPECT_TRUE(TextAltered(fromFile));
    Store.SetLandMarkData(1, fromFile);
    EXPECT_EQ(Store.TextsAltered(), altered + 1);
    Store.RemoveAllLandMarks();
    EXPECT_EQ(Store.TextsAltered(), 0);
}
