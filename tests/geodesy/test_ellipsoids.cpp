#include <gtest/gtest.h>

#include "zylcarto/geodesy/ellipsoids.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

TEST(Ellipsoids, DerivedFromStoredAxes) {
    EXPECT_NEAR(RecipFlattening(gelWGS84), 298.2572235605, 1e-9);
    EXPECT_EQ(RecipFlattening(gelSphere), 0.0);
    EXPECT_EQ(GeoEllEccSquared(gelSphere), 0.0);
}
