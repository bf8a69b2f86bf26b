// The view arithmetic as a value, without a widget.
#include <gtest/gtest.h>

#include <limits>

#include "zylcarto/geomap/view/map_viewport.h"

using namespace zylcarto;

TEST(MapViewport, ConversionsRoundHalvesToEvenAndSaturate) {
    const TMapViewport V{{10, 20}, 2.0, 500, 400};
    struct Case {
        TPoint Control, Image;
    };
    for (const Case& C : {Case{{3, 3}, {12, 22}}, Case{{1, 5}, {10, 22}}, Case{{-3, 0}, {8, 20}}})
        EXPECT_EQ(V.ControlToImage(C.Control), C.Image) << C.Control.X << "," << C.Control.Y;
    EXPECT_EQ(V.ImageToControl({12, 22}), (TPoint{4, 4}));
    const TMapViewport Huge{{std::numeric_limits<int>::min(), 0}, 1024, 10, 10};
    EXPECT_EQ(Huge.ImageToControl({std::numeric_limits<int>::max(), 0}).X, std::numeric_limits<int>::max());
    EXPECT_EQ(TMapViewport::Clamped(0), TMapViewport::MinMagnify);
    EXPECT_EQ(TMapViewport::Clamped(std::numeric_limits<double>::quiet_NaN()), TMapViewport::MinMagnify);
    EXPECT_EQ(TMapViewport::Clamped(1e9), TMapViewport::MaxMagnify);
}

TEST(MapViewport, ConfineCentreFitAndZoom) {
    TMapViewport V{{900, 700}, 1.0, 500, 400};
    V.Confine(1000, 800);
    EXPECT_EQ(V.TopLeft, (TPoint{500, 400}));
    V.Magnify = 0.25;  // the image fills half the control: centred
    V.Confine(1000, 800);
    EXPECT_EQ(V.TopLeft, (TPoint{-500, -400}));

    V = {{0, 0}, 2.0, 500, 400};
    V.CenterOn({300, 300});
    EXPECT_EQ(V.TopLeft, (TPoint{175, 200}));
    EXPECT_EQ(V.Center(), (TPoint{300, 300}));
    V.CenterOnWithin({990, 5}, 1000, 800);  // right edge kept inside, top at 0
    EXPECT_EQ(V.TopLeft, (TPoint{750, 0}));

    V = {{100, 100}, 1.0, 400, 200};
    V.ZoomAroundCenter(4.0);
    EXPECT_EQ(V.Center(), (TPoint{300, 200}));
    EXPECT_EQ(V.TopLeft, (TPoint{250, 175}));

    V.FitBox({10, 10}, 200, 50);  // the longer side fills the control, the box centred
    EXPECT_EQ(V.Magnify, 2.0);
    EXPECT_EQ(V.TopLeft, (TPoint{10, -15}));
    const TMapViewport Before = V;
    V.FitBox({0, 0}, 0, 10);
    EXPECT_EQ(V, Before);
    EXPECT_EQ(V.FitMagnification(800, 100), 0.5);
    EXPECT_EQ(V.FitMagnification(0, 100), 0);
}
