#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

namespace {

// Stringising the enumerators ties each identifier to the enumeration's own spelling.
#define ZYL_ELL(e)                                                                                                     \
    std::pair<TGeoEllipsoid, std::string_view> { e, #e }
constexpr std::pair<TGeoEllipsoid, std::string_view> kEnumNames[] = {
    ZYL_ELL(gelWGS84),      ZYL_ELL(gelWGS72),         ZYL_ELL(gelWGS66),       ZYL_ELL(gelWGS60),
    ZYL_ELL(gelClrk80RGS),  ZYL_ELL(gelClrk66),        ZYL_ELL(gelBess41),      ZYL_ELL(gelBess41Jap),
    ZYL_ELL(gelBess41Nam),  ZYL_ELL(gelNewInt67),      ZYL_ELL(gelInt24),       ZYL_ELL(gelEver69),
    ZYL_ELL(gelEver56),     ZYL_ELL(gelEver48),        ZYL_ELL(gelEver30Ind),   ZYL_ELL(gelEverPak),
    ZYL_ELL(gelEverest),    ZYL_ELL(gelGRS80),         ZYL_ELL(gelAiry30),      ZYL_ELL(gelModifAiry),
    ZYL_ELL(gelFish68),     ZYL_ELL(gelFish60),        ZYL_ELL(gelModifFish60), ZYL_ELL(gelAuNat65),
    ZYL_ELL(gelKrass40),    ZYL_ELL(gelHough60),       ZYL_ELL(gelSphere),      ZYL_ELL(gelIndo74),
    ZYL_ELL(gelHelm06),     ZYL_ELL(gelSGS85),         ZYL_ELL(gelSAm69),       ZYL_ELL(gelATS77),
    ZYL_ELL(gelAuthSph),    ZYL_ELL(gelBesselMod),     ZYL_ELL(gelCGCS2000),    ZYL_ELL(gelClrk58),
    ZYL_ELL(gelClrk66Mich), ZYL_ELL(gelClrk80),        ZYL_ELL(gelClrk80Arc),   ZYL_ELL(gelClrk80Benoit),
    ZYL_ELL(gelClrk80IGN),  ZYL_ELL(gelClrk80intfoot), ZYL_ELL(gelClrk80SGA22), ZYL_ELL(gelDan76),
    ZYL_ELL(gelEver30),     ZYL_ELL(gelEver75),        ZYL_ELL(gelGEM10C),      ZYL_ELL(gelGRS67),
    ZYL_ELL(gelGRS67Mod),   ZYL_ELL(gelHughes80),      ZYL_ELL(gelIAG75),       ZYL_ELL(gelInt24AuthSph),
    ZYL_ELL(gelOSU86F),     ZYL_ELL(gelOSU91A),        ZYL_ELL(gelPlessis17),   ZYL_ELL(gelPopVisSphere),
    ZYL_ELL(gelPZ90),       ZYL_ELL(gelStruve60),      ZYL_ELL(gelWarOffice),   ZYL_ELL(gelHongKong63),
    ZYL_ELL(gelNahrwan29),
};
#undef ZYL_ELL

TGeoEllipsoid Ell(int i) { return static_cast<TGeoEllipsoid>(i); }

template <typename F>
std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const EZYLGeoBasicsError& e) {
        const EZYLError& base = e;  // hosts catch the library's base class
        return base.what();
    }
    return "(no exception)";
}

}  // namespace

TEST(Ellipsoids, IdentifiersAreTheEnumerationNamesInOrdinalOrder) {
    ASSERT_EQ(std::size(kEnumNames), std::size_t(GeoEllipsoidCount));
    for (int i = 0; i < GeoEllipsoidCount; ++i) {
        EXPECT_EQ(static_cast<int>(kEnumNames[i].first), i) << kEnumNames[i].second;
        EXPECT_EQ(GeoEllipsoidId[i], kEnumNames[i].second);
    }
    EXPECT_EQ(static_cast<int>(hemiNorth), 0);
    EXPECT_EQ(static_cast<int>(hemiSouth), 1);
}

TEST(Ellipsoids, CatalogueSpotChecks) {
    EXPECT_EQ(GeoEllipsoidName[static_cast<int>(gelWGS84)], "WGS 1984");
    EXPECT_EQ(GeoEllipsoidName[static_cast<int>(gelEver30Ind)], "Everest 1830 (India 1937 adj.)");
    EXPECT_EQ(GeoEllipsoidName[static_cast<int>(gelNahrwan29)], "Nahrwan 1929");
    EXPECT_EQ(EllipsoidAxes(gelClrk80RGS).b, 6356514.86955);
    EXPECT_EQ(EllipsoidAxes(gelNahrwan29).a, 6378300.782);
    EXPECT_EQ(EllipsoidAxes(gelNahrwan29).b, 6356566.42744);

    std::set<std::string_view> names(GeoEllipsoidName.begin(), GeoEllipsoidName.end());
    EXPECT_EQ(names.size(), std::size_t(GeoEllipsoidCount)) << "display names must be distinct";

    std::set<TGeoEllipsoid> spheres;
    for (int i = 0; i < GeoEllipsoidCount; ++i) {
        const auto& ax = EllipsoidAxes(Ell(i));
        if (ax.a == ax.b)
            spheres.insert(Ell(i));
        else
            EXPECT_GT(ax.a, ax.b) << GeoEllipsoidId[i];
    }
    EXPECT_EQ(spheres, (std::set<TGeoEllipsoid>{gelSphere, gelAuthSph, gelInt24AuthSph, gelPopVisSphere}));
}

TEST(Ellipsoids, DerivedFromStoredAxes) {
    // From the stored minor axes, not the defining 298.257223563 and 298.257222101.
    EXPECT_NEAR(RecipFlattening(gelWGS84), 298.2572235605, 1e-9);
    EXPECT_NEAR(RecipFlattening(gelGRS80), 298.2572220960, 1e-9);
    EXPECT_NEAR(GeoEllEccSquared(gelWGS84), 0.0066943799901976, 1e-16);
    for (TGeoEllipsoid sphere : {gelSphere, gelAuthSph, gelInt24AuthSph, gelPopVisSphere}) {
        EXPECT_EQ(RecipFlattening(sphere), 0.0);
        EXPECT_EQ(GeoEllEccSquared(sphere), 0.0);
    }
}

TEST(Ellipsoids, ConversionsRoundTripForEveryEntry) {
    for (int i = 0; i < GeoEllipsoidCount; ++i) {
        const auto e = Ell(i);
        const auto& ax = EllipsoidAxes(e);
        const double rf = RecipFlattening(e), e2 = GeoEllEccSquared(e);
        SCOPED_TRACE(std::string(GeoEllipsoidId[i]));
        EXPECT_EQ(rf, RecipFlattening(ax.a, ax.b));
        EXPECT_EQ(e2, GeoEllEccSquared(ax.a, ax.b));
        EXPECT_NEAR(GeoEllEccSquared(rf), e2, 1e-15);
        EXPECT_NEAR(RecipFlattening(e2), rf, rf * 1e-9);
        EXPECT_NEAR(EllipsoidMinAxFlat(ax.a, rf), ax.b, 1e-6);
        EXPECT_NEAR(EllipsoidMinAxEcc(ax.a, e2), ax.b, 1e-6);
    }
}

TEST(Ellipsoids, AxisOrder) {
    const double a = 6378137, b = 6356752.314245;
    EXPECT_EQ(GeoEllEccSquared(b, a), GeoEllEccSquared(a, b));
    // Swapped axes are not corrected: the flattening turns negative.
    EXPECT_LT(RecipFlattening(b, a), 0.0);
    EXPECT_NEAR(RecipFlattening(b, a), -(RecipFlattening(a, b) - 1), 1e-6);
    EXPECT_EQ(RecipFlattening(a, a), 0.0);
}

TEST(Ellipsoids, LimitsAndZeroFlattening) {
    EXPECT_EQ(GeoEllEccSquared(0.0), 0.0);
    EXPECT_EQ(RecipFlattening(0.0), 0.0);
    EXPECT_EQ(RecipFlattening(1.0), 1.0);  // e^2 = 1 degenerates to b = 0
    EXPECT_EQ(EllipsoidMinAxFlat(6378137, 0), 6378137.0);
    EXPECT_EQ(EllipsoidMinAxEcc(6378137, 0), 6378137.0);
    EXPECT_EQ(EllipsoidMinAxEcc(6378137, 1), 0.0);
    EXPECT_TRUE(std::isnan(EllipsoidMinAxEcc(6378137, 1.5)));  // no axis exists, and none is made up
}

TEST(Ellipsoids, InvalidArgumentsRaiseWithExactMessages) {
    EXPECT_EQ(MessageOf([] { RecipFlattening(1.5); }), "invalid eccentricity");
    EXPECT_EQ(MessageOf([] { RecipFlattening(-0.1); }), "invalid eccentricity");
    EXPECT_EQ(MessageOf([] { RecipFlattening(std::nan("")); }), "invalid eccentricity");
    EXPECT_EQ(MessageOf([] { EllipsoidMinAxEcc(6378137, -1e-12); }), "invalid eccentricity");
    EXPECT_EQ(MessageOf([] { EllipsoidMinAxFlat(6378137, -1); }), "invalid reciprocal flattening");
    EXPECT_EQ(MessageOf([] { EllipsoidMinAxFlat(6378137, -1e-300); }), "invalid reciprocal flattening");
}
