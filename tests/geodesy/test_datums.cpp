#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "zylcarto/geodesy/datums.h"

using namespace zylcarto;

namespace {

bool HasSevenParameters(const TGeoDatum& d) { return d.Scale != 0 || d.RotX != 0 || d.RotY != 0 || d.RotZ != 0; }

void ExpectRow(int number, const char* name, const char* region, TGeoEllipsoid e, std::array<double, 7> p) {
    const TGeoDatum& d = GeoDatumData[number];
    EXPECT_EQ(d.Name.Str(), name) << number;
    EXPECT_EQ(d.Region.Str(), region) << number;
    EXPECT_EQ(d.Ellipsoid, e) << number;
    const std::array<double, 7> got{d.DX, d.DY, d.DZ, d.Scale, d.RotX, d.RotY, d.RotZ};
    EXPECT_EQ(got, p) << number;
}

}  // namespace

TEST(GeoDatumData, RowsGivenInFull) {
    ExpectRow(1, "ACCRA", "Ghana", gelWarOffice, {-199, 32, 322, 0, 0, 0, 0});
    ExpectRow(2, "ADINDAN", "Burkina Faso", gelClrk80, {-118, -14, 218, 0, 0, 0, 0});
    ExpectRow(13, "RD, AMERSFOORT", "Netherlands", gelBess41, {565, 49.9, 465.8, 4.08, -0.409, 0.36, -1.869});
    ExpectRow(37, "BERNE (1898),", "Switzerland", gelBess41, {660.077, 13.551, 369.344, 5.66, -0.805, -0.578, -0.952});
    ExpectRow(62, "EUROPEAN DATUM 1950", "Denmark", gelInt24, {-81.1, -89.4, -115.8, -0.54, 0.485, 0.024, 0.413});
    ExpectRow(183, "ORDNANCE GB 1936", "GB - Great Britain", gelAiry30,
              {446.448, -125.157, 542.06, -20.49, 0.15, 0.247, 0.8421});
    ExpectRow(217, "DHDN (RAUENBERG),", "Germany", gelBess41, {582, 105, 414, 8.3, 1.04, 0.35, -3.08});
    ExpectRow(238, "SOVIET GEODETIC SYSTEM 85", "Russia", gelSGS85, {0, 0, 4, 0, 0, 0, 0.6});
    ExpectRow(239, "PZ90 (GLONASS),", "Russia", gelPZ90, {-1.1, -0.3, -0.9, 0, 0, 0, 0.169});
    ExpectRow(268, "WORLD GEODETIC SYSTEM 1972", "World", gelWGS72, {0, 0, 4.5, 0.219, 0, 0, 0.554});
    ExpectRow(269, "WORLD GEODETIC SYSTEM 1984", "World", gelWGS84, {0, 0, 0, 0, 0, 0, 0});
}

TEST(GeoDatumData, NamesAndRegionsAreNotCut) {
    // The longest name and region and the ones with nested brackets.
    EXPECT_EQ(GeoDatumData[132].Name.Str(), "LISBON (Castelo di Sao Jorge), D7");
    EXPECT_EQ(GeoDatumData[132].Region.Str(), "Portugal");
    EXPECT_EQ(GeoDatumData[67].Region.Str(), "Spain (except NW),");
    EXPECT_EQ(GeoDatumData[160].Region.Str(), "Canada-Alberta/British Columbia");
    EXPECT_EQ(GeoDatumData[213].Region.Str(), "Puerto Rico & Virgin Islands");
    EXPECT_EQ(GeoDatumData[235].Name.Str(), "SAPPER HILL 1943 (2000 adj),");
    EXPECT_EQ(GeoDatumData[271].Name.Str(), "ZANDERIJ");
    for (const TGeoDatum& d : GeoDatumData) {
        EXPECT_FALSE(d.Name.Empty());
        EXPECT_FALSE(d.Region.Empty()) << d.Name.Str();
    }
}

TEST(GeoDatumData, CountsOfParameterKindsAndEllipsoids) {
    int seven = 0;
    std::map<TGeoEllipsoid, int> byEllipsoid;
    for (const TGeoDatum& d : GeoDatumData) {
        if (HasSevenParameters(d)) ++seven;
        ++byEllipsoid[d.Ellipsoid];
    }
    // One fewer seven-parameter row (61, ED50 Norway & Finland, has the onshore
    // translation) and one fewer on Bessel 1841 (261, Timbalai 1948, is on Everest)
    // than the catalogue's counts of 58 and 19: those rows were wrong for their region.
    EXPECT_EQ(seven, 57);
    EXPECT_EQ(GeoDatumCount - seven, 214);
    EXPECT_EQ(byEllipsoid[gelInt24], 101);
    EXPECT_EQ(byEllipsoid[gelClrk80], 42);
    EXPECT_EQ(byEllipsoid[gelClrk66], 35);
    EXPECT_EQ(byEllipsoid[gelBess41], 18);
    EXPECT_EQ(byEllipsoid[gelWGS84], 15);
    EXPECT_EQ(byEllipsoid[gelKrass40], 13);
    EXPECT_EQ(byEllipsoid[gelSAm69], 13);
}

TEST(GeoDatumData, ParametersArePlausible) {
    // Catches a slipped decimal point or a rotation given in the wrong unit.
    for (int n = 1; n <= GeoDatumCount; ++n) {
        const TGeoDatum& d = GeoDatumData[n];
        EXPECT_LT(static_cast<int>(d.Ellipsoid), GeoEllipsoidCount) << n;
        EXPECT_LT(std::hypot(d.DX, d.DY, d.DZ), 2200.0) << n;
        EXPECT_LT(std::fabs(d.Scale), 60.0) << n;
        for (double rot : {d.RotX, d.RotY, d.RotZ}) EXPECT_LT(std::fabs(rot), 15.0) << n;
    }
}

TEST(GeoDatumData, NumbersOutsideTheTable) {
    EXPECT_FALSE(IsGeoDatumNumber(0));
    EXPECT_TRUE(IsGeoDatumNumber(1));
    EXPECT_TRUE(IsGeoDatumNumber(271));
    EXPECT_FALSE(IsGeoDatumNumber(272));
    EXPECT_FALSE(IsGeoDatumNumber(-1));
}
