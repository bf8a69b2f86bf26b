// Track statistics on tracks whose answers are known: legs along the equator,
// where a geodesic of d degrees is a·d·π/180 long.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "zylcarto/geomap/tracks/track_stats.h"

namespace zylcarto {
namespace {

constexpr double kSecond = 1.0 / 86400;
constexpr double kStepMetres = 6378137.0 * 0.01 * std::numbers::pi / 180;  // 0.01 degrees of the equator

TEST(TrackStats, LengthTimesAndClimbOfAKnownTrack) {
    TTrack t;
    const double elevations[] = {100, 102, 98, 103, 110, 104, 120, 119, 100};  // noise, +10, -6, +16, -20
    TTrackSegment ride;  // 8 legs of 0.01 degrees, 100 s each (11 m/s), then 600 s standing
    for (int i = 0; i < 9; ++i) ride.Points.push_back({0, 0.01 * i, elevations[i], 46000 + 100 * i * kSecond});
    for (int i = 1; i <= 3; ++i) ride.Points.push_back({0, 0.08, NAN, 46000 + (800 + 200 * i) * kSecond});
    TTrackSegment walk;  // after a gap that counts for neither length nor moving time: 2 legs at 1.1 m/s
    for (int i = 0; i < 3; ++i) walk.Points.push_back({0, 1 + 0.01 * i, NAN, 46001 + 1000 * i * kSecond});
    walk.Points.push_back({0, 1.02, NAN, 46001 + 2500 * kSecond});  // a drift of 0: not moving
    t.Segments = {ride, walk};

    const TTrackStats s = TrackStatistics(t);
    EXPECT_EQ(s.Points, 16u);
    EXPECT_NEAR(s.Length, 10 * kStepMetres, 1e-6);
    ASSERT_TRUE(s.Timed);
    EXPECT_NEAR(s.Duration, 86400 + 2500, 1e-3);
    EXPECT_NEAR(s.MovingTime, 800 + 2000, 1e-3);
    ASSERT_TRUE(s.HasElevation);
    EXPECT_DOUBLE_EQ(s.Ascent, 26);
    EXPECT_DOUBLE_EQ(s.Descent, 26);

    // without times or elevations there is nothing to say about them
    TTrack bare;
    bare.Segments = {{{{0, 0}, {0, 0.01}}}};
    const TTrackStats b = TrackStatistics(bare);
    EXPECT_NEAR(b.Length, kStepMetres, 1e-6);
    EXPECT_FALSE(b.Timed);
    EXPECT_FALSE(b.HasElevation);
    EXPECT_EQ(b.MovingTime, 0);
}

}  // namespace
}  // namespace zylcarto
