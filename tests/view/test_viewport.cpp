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
    EXPECT_EQ(V.TopLeft(), (TPoint{500, 400}));
    V.SetMagnify(0.25);  // the image fills half the control: centred
    V.Confine(1000, 800);
    EXPECT_EQ(V.TopLeft(), (TPoint{-500, -400}));

    V = {{0, 0}, 2.0, 500, 400};
    V.CenterOn({300, 300});
    EXPECT_EQ(V.TopLeft(), (TPoint{175, 200}));
    EXPECT_EQ(V.Center(), (TPoint{300, 300}));
    V.CenterOnWithin({990, 5}, 1000, 800);  // right edge kept inside, top at 0
    EXPECT_EQ(V.TopLeft(), (TPoint{750, 0}));

    V = {{100, 100}, 1.0, 400, 200};
    V.ZoomAroundCenter(4.0);
    EXPECT_EQ(V.Center(), (TPoint{300, 200}));
    EXPECT_EQ(V.TopLeft(), (TPoint{250, 175}));

    V.FitBox({10, 10}, 200, 50);  // the longer side fills the control, the box centred
    EXPECT_EQ(V.Magnify(), 2.0);
    EXPECT_EQ(V.TopLeft(), (TPoint{10, -15}));
    const TMapViewport Before = V;
    V.FitBox({0, 0}, 0, 10);
    EXPECT_EQ(V, Before);
    EXPECT_EQ(V.FitMagnification(800, 100), 0.5);
    EXPECT_EQ(V.FitMagnification(0, 100), 0);
}

// A refused value leaves the view as it was; magnifications beyond the control's
// range are taken, as printing and export use them.
TEST(MapViewport, SettersRefuseWhatWouldBreakTheInvariants) {
    constexpr double Inf = std::numeric_limits<double>::infinity();
    const TMapViewport Start{{7, 9}, 2.0, 300, 200};
    struct Case {
        const char* Name;
        bool (*Apply)(TMapViewport&);
        bool Taken;
        double Magnify;
        int Width, Height;
    };
    const Case Cases[] = {
        {"zero magnification", [](TMapViewport& V) { return V.SetMagnify(0); }, false, 2.0, 300, 200},
        {"negative magnification", [](TMapViewport& V) { return V.SetMagnify(-1); }, false, 2.0, 300, 200},
        {"NaN magnification", [](TMapViewport& V) { return V.SetMagnify(std::numeric_limits<double>::quiet_NaN()); },
         false, 2.0, 300, 200},
        {"infinite magnification", [](TMapViewport& V) { return V.SetMagnify(Inf); }, false, 2.0, 300, 200},
        {"beyond the control's range", [](TMapViewport& V) { return V.SetMagnify(5000); }, true, 5000, 300, 200},
        {"below the control's range", [](TMapViewport& V) { return V.SetMagnify(1e-6); }, true, 1e-6, 300, 200},
        {"negative width", [](TMapViewport& V) { return V.SetSize(-1, 10); }, false, 2.0, 300, 200},
        {"negative height", [](TMapViewport& V) { return V.SetSize(10, -1); }, false, 2.0, 300, 200},
        {"empty size", [](TMapViewport& V) { return V.SetSize(0, 0); }, true, 2.0, 0, 0},
        {"negative resize", [](TMapViewport& V) { return V.Resize(-5, 100); }, false, 2.0, 300, 200},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        TMapViewport V = Start;
        EXPECT_EQ(C.Apply(V), C.Taken);
        EXPECT_EQ(V.TopLeft(), Start.TopLeft());
        EXPECT_EQ(V.Magnify(), C.Magnify);
        EXPECT_EQ(V.Width(), C.Width);
        EXPECT_EQ(V.Height(), C.Height);
    }
    // The constructor goes through the same setters.
    EXPECT_EQ(TMapViewport({1, 1}, -3, -4, 5), TMapViewport({1, 1}, 1.0, 0, 0));
}
