#include <gtest/gtest.h>

#include "zylcarto/geoatlas/map_registry.h"
#include "zylcarto/geoatlas/zoom_step.h"

using namespace zylcarto;

namespace {

TCornerArray Square(double LatLow, double LongLow, double LatHigh, double LongHigh) {
    TCornerArray C;
    C[gcoTopLeft] = {LatHigh, LongLow};
    C[gcoBottomLeft] = {LatLow, LongLow};
    C[gcoBottomRight] = {LatLow, LongHigh};
    C[gcoTopRight] = {LatHigh, LongHigh};
    return C;
}

TMapDefinition Map(const std::string& Name, double Resolution, TCornerArray Corners = Square(47, 16, 48, 17),
                   const std::string& Caption = "") {
    TCalibData D;
    D.Caption = Caption;
    D.Resolution = Resolution;
    D.Corners = Corners;
    return MapDefinitionFromCalib(Name, D);
}

}  // namespace

TEST(MapRegistry, SameNameInOtherCaseUpdatesTheEntryInPlace) {
    TMapRegistry R;
    EXPECT_EQ(R.Store(Map("/maps/Alpha.xml", 10, Square(47, 16, 48, 17), "first")), 1);
    EXPECT_EQ(R.Store(Map("/maps/beta.xml", 20)), 2);
    EXPECT_EQ(R.Store(Map("/MAPS/ALPHA.XML", 30, Square(47, 16, 48, 17), "second")), 1);
    EXPECT_EQ(R.NumRegMaps(), 2);
    const TMapDefinition A = R.Maps(1);
    EXPECT_EQ(A.MapFName, "/maps/alpha.xml");
    EXPECT_EQ(A.Caption, "second");
    EXPECT_EQ(A.Resolution, 30);
    EXPECT_EQ(A.FileName, "/MAPS/ALPHA.XML");  // the spelling that opens the file
}

TEST(MapRegistry, ZoomStepsFollowTheResolutionsWithAMinimumStepOnlyInwards) {
    TMapRegistry R;
    R.Store(Map("r100.xml", 100));
    R.Store(Map("r50.xml", 50));
    R.Store(Map("r95.xml", 95));
    R.Store(Map("r20.xml", 20));
    // 95 is within 10 percent of 100, so the coarsest qualifying map is 50.
    EXPECT_EQ(R.FindFinerMap(47.5, 16.5, 100, 10), 2);
    EXPECT_EQ(R.FindFinerMap(47.5, 16.5, 50, 10), 4);
    EXPECT_EQ(R.FindFinerMap(47.5, 16.5, 20, 10), 0);
    // Outwards any coarser map counts: from 50 the next is 95, not 100.
    EXPECT_EQ(R.FindCoarserMap(47.5, 16.5, 50), 3);
    EXPECT_EQ(R.FindCoarserMap(47.5, 16.5, 95), 1);
    EXPECT_EQ(R.FindCoarserMap(47.5, 16.5, 100), 0);
    // A larger minimum step skips 50 as well.
    EXPECT_EQ(R.FindFinerMap(47.5, 16.5, 100, 60), 4);
}

TEST(MapRegistry, EqualResolutionsPickTheLowestNumber) {
    TMapRegistry R;
    R.Store(Map("coarse.xml", 100));
    R.Store(Map("a.xml", 40));
    R.Store(Map("b.xml", 40));
    EXPECT_EQ(R.FindFinerMap(47.5, 16.5, 100, 10), 2);
    EXPECT_EQ(R.FindCoarserMap(47.5, 16.5, 10), 2);
}

TEST(MapRegistry, OnlyMapsCoveringThePositionAreConsidered) {
    TMapRegistry R;
    R.Store(Map("west.xml", 50, Square(47, 10, 48, 11)));
    R.Store(Map("east.xml", 60, Square(47, 16, 48, 17)));
    EXPECT_EQ(R.FindFinerMap(47.5, 16.5, 100, 10), 2);
    EXPECT_EQ(R.FindFinerMap(40, 0, 100, 10), 0);
    EXPECT_EQ(R.FindCoarserMap(40, 0, 1), 0);
    // Across the antimeridian, corners written 179 and -179 (Fiji) or 179 and 181
    // (Taveuni); a whole-world map keeps its edges at -180 and 180 apart.
    R.Store(Map("fiji.xml", 40, Square(-18, 179, -16, -179)));
    R.Store(Map("taveuni.xml", 30, Square(-17.5, 179, -16.5, 181)));
    R.Store(Map("world.xml", 1000, Square(-80, -180, 80, 180)));
    for (const double Long : {179.5, 180.0, -180.0, -179.5}) {
        EXPECT_EQ(R.FindFinerMap(-17, Long, 100, 10), 3) << Long;
        EXPECT_EQ(R.FindFinerMap(-17, Long, 40, 10), 4) << Long;
        EXPECT_EQ(R.FindCoarserMap(-17, Long, 30), 3) << Long;
    }
    EXPECT_EQ(R.FindCoarserMap(-17, 179.5, 40), 5);
    EXPECT_EQ(R.FindCoarserMap(-17, -179.5, 40), 5);
    EXPECT_EQ(R.FindFinerMap(-17, 0, 2000, 10), 5);
    EXPECT_EQ(R.FindFinerMap(-17, 178.5, 100, 10), 0);
}

TEST(MapRegistry, DegenerateResolutionsAreNeverChosen) {
    TMapRegistry R;
    R.Store(Map("zero.xml", 0));
    R.Store(Map("negative.xml", -5));
    R.Store(Map("huge.xml", 1e10));
    R.Store(Map("fine.xml", 10));
    EXPECT_EQ(R.FindFinerMap(47.5, 16.5, 100, 10), 4);
    EXPECT_EQ(R.FindCoarserMap(47.5, 16.5, 10), 0);
    // Nothing is finer than an unknown (zero or negative) current resolution.
    EXPECT_EQ(R.FindFinerMap(47.5, 16.5, 0, 10), 0);
    EXPECT_EQ(R.FindFinerMap(47.5, 16.5, -100, 10), 0);
    // Zooming out from no map at all takes the finest covering map.
    EXPECT_EQ(R.FindCoarserMap(47.5, 16.5, 0), 4);
}

TEST(MapRegistry, TheTableHoldsTwoHundredMaps) {
    TMapRegistry R;
    for (int i = 1; i <= TMapRegistry::Capacity; ++i) ASSERT_EQ(R.Store(Map("m" + std::to_string(i) + ".xml", i)), i);
    EXPECT_EQ(R.Store(Map("one-too-many.xml", 1)), 0);
    EXPECT_EQ(R.NumRegMaps(), 200);
    EXPECT_EQ(R.Maps(200).MapFName, "m200.xml");
    // A full table still refreshes a map it holds.
    EXPECT_EQ(R.Store(Map("M7.XML", 77)), 7);
    EXPECT_EQ(R.Maps(7).Resolution, 77);
}

TEST(MapRegistry, MapsOutsideTheCapacityAreEmpty) {
    TMapRegistry R;
    R.Store(Map("a.xml", 10));
    EXPECT_EQ(R.Maps(0), TMapDefinition{});
    EXPECT_EQ(R.Maps(201), TMapDefinition{});
    EXPECT_EQ(R.Maps(-1), TMapDefinition{});
    EXPECT_EQ(R.Maps(2), TMapDefinition{});  // within capacity, never used
}

TEST(MapRegistry, RemovingRenumbersAndKeepsTheOldLastSlot) {
    TMapRegistry R;
    R.Store(Map("a.xml", 10));
    R.Store(Map("b.xml", 20));
    R.Store(Map("c.xml", 30));
    EXPECT_FALSE(R.Remove(0));
    EXPECT_FALSE(R.Remove(4));
    EXPECT_TRUE(R.Remove(1));
    EXPECT_EQ(R.NumRegMaps(), 2);
    EXPECT_EQ(R.Maps(1).MapFName, "b.xml");
    EXPECT_EQ(R.Maps(2).MapFName, "c.xml");
    EXPECT_EQ(R.Maps(3).MapFName, "c.xml");
    // Found by name under the new numbers, never in the stale slot.
    EXPECT_EQ(R.Find("c.xml"), 2);
    EXPECT_EQ(R.Find("a.xml"), 0);
    // The stale slot is not a registered map: storing appends over it.
    EXPECT_EQ(R.Store(Map("d.xml", 40)), 3);
    EXPECT_EQ(R.Maps(3).MapFName, "d.xml");
}

TEST(MapRegistry, TheCurrentMapFollowsRenumbering) {
    TMapRegistry R;
    R.Store(Map("/one/a.xml", 10));
    R.Store(Map("/two/b.xml", 20));
    R.Store(Map("/three/c.xml", 30));
    R.SetCurrentMapIdx(3);
    R.Remove(1);
    EXPECT_EQ(R.CurrentMapIdx(), 2);
    EXPECT_EQ(R.MapImageLocation("elsewhere/c.bmp"), "/three/c.bmp");
    R.Remove(1);  // below the current map
    EXPECT_EQ(R.CurrentMapIdx(), 1);
    R.Store(Map("/four/d.xml", 40));
    R.Remove(2);  // above it
    EXPECT_EQ(R.CurrentMapIdx(), 1);
    R.Remove(1);  // the current map itself
    EXPECT_EQ(R.CurrentMapIdx(), 0);
}

TEST(MapRegistry, MapImagesAreTakenFromTheCalibrationFilesDirectory) {
    TMapRegistry R;
    R.Store(Map("/data/Atlas/Coarse.xml", 10));
    EXPECT_EQ(R.MapImageLocation("c:/old/place/coarse.bmp"), "c:/old/place/coarse.bmp");  // no current map
    R.SetCurrentMapIdx(1);
    EXPECT_EQ(R.MapImageLocation("c:/old/place/coarse.bmp"), "/data/Atlas/coarse.bmp");
    EXPECT_EQ(R.MapImageLocation("coarse.bmp"), "/data/Atlas/coarse.bmp");
    R.SetCurrentMapIdx(5);  // out of range
    EXPECT_EQ(R.MapImageLocation("x.bmp"), "x.bmp");
}

TEST(MapRegistry, SelectorItemsAreCaptionsOrNames) {
    TMapRegistry R;
    R.Store(Map("a.xml", 10, Square(47, 16, 48, 17), "Overview"));
    R.Store(Map("B.xml", 20));
    EXPECT_EQ(R.SelectorItems(), (std::vector<std::string>{"Overview", "b.xml"}));
}

TEST(MapRegistry, AZoomStepChangesMapsAtTheCoarserMapsFullScale) {
    TMapRegistry R;
    R.Store(Map("coarse.xml", 100, Square(46, 15, 49, 19)));
    R.Store(Map("fine.xml", 50, Square(47, 16, 48, 18)));
    const double Root2 = 1.4142135623730951;
    struct Step {
        double Lat, Long, Resolution, From, To;
        TMapChange Expected;
    };
    // A step in past the coarse map's 1:1 and the step back out are each other's inverse.
    for (const Step& S : {Step{47.5, 17, 100, 1, Root2, {2, Root2 / 2}}, Step{47.5, 17, 50, Root2 / 2, 0.5, {1, 1}},
                          Step{47.5, 17, 100, 1 / Root2, 1, {}},          // the coarse map still at 1:1
                          Step{47.5, 17, 100, 2, 2 * Root2, {2, Root2}},  // already enlarged, coming onto the fine map
                          Step{46.5, 15.5, 100, 1, Root2, {}},            // off the fine map
                          Step{47.5, 17, 50, 1, 1 / Root2, {}},           // the coarse map would be enlarged
                          Step{47.5, 17, 100, 1, 1 / Root2, {}},          // nothing coarser
                          Step{47.5, 17, 0, 1, 1 / Root2, {}}}) {         // an uncalibrated map
        const TMapChange C = ZoomStepMapChange(R, S.Lat, S.Long, S.Resolution, S.From, S.To, 10);
        EXPECT_EQ(C.Map, S.Expected.Map) << S.Resolution << " " << S.From << " -> " << S.To;
        EXPECT_NEAR(C.Magnify, S.Expected.Magnify, 1e-9) << S.Resolution << " " << S.From << " -> " << S.To;
    }
}
