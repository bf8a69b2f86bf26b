// The track store: indexes, recording, and fixes it must refuse whole.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "zylcarto/geomap/tracks/track_store.h"

namespace zylcarto {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TTrack OneFix(const char* Name, double Lat, double Long) {
    TTrack t;
    t.Name = Name;
    t.Segments.push_back({{TTrackPoint{Lat, Long}}});
    return t;
}

TEST(TrackStore, KeepsOrderAndRecordsIntoSegments) {
    TTrackStore s;
    int repaints = 0;
    s.SetOnRepaint([&] { ++repaints; });
    EXPECT_EQ(s.AddTrack(OneFix("a", 1, 181)), 1);  // 181 is the meridian -179
    EXPECT_EQ(s.AddTrack(OneFix("b", 2, 2)), 2);
    EXPECT_EQ(s.AddTrack(OneFix("c", 3, 3)), 3);
    EXPECT_EQ(s.Track(1).Segments[0].Points[0].Longitude, -179);
    ASSERT_TRUE(s.RemoveTrack(2));
    EXPECT_EQ(s.NumTracks(), 2);
    EXPECT_EQ(s.Track(2).Name, "c");

    ASSERT_TRUE(s.AppendTrackPoint(2, {3.1, 3.1, 400, 46000.5, 1.5}));
    ASSERT_TRUE(s.AppendTrackPoint(2, {3.2, 3.2}, true));
    ASSERT_TRUE(s.AppendTrackPoint(2, {3.3, 3.3}));
    const TTrack c = s.GetTrack(2);
    ASSERT_EQ(c.Segments.size(), 2u);
    EXPECT_EQ(c.Segments[0].Points.size(), 2u);
    EXPECT_EQ(c.Segments[1].Points.size(), 2u);
    EXPECT_EQ(c.NumPoints(), 4u);
    EXPECT_EQ(c.Segments[0].Points[1].Elevation, 400);

    ASSERT_TRUE(s.SetTrackLook(1, 0x00FF00, 0));
    EXPECT_EQ(s.Track(1).Width, 1);  // a line is at least a pixel wide
    TRoute r;
    r.Name = "r";
    r.Points = {{10, 20, kNaN, "start"}, {11, 21, 5, "end"}};
    EXPECT_EQ(s.AddRoute(r), 1);
    EXPECT_EQ(s.GetRoute(1).Points[1].Name, "end");
    EXPECT_EQ(repaints, 9);

    TTrackStore copy;
    copy.Assign(s);
    EXPECT_EQ(copy.NumTracks(), 2);
    EXPECT_EQ(copy.NumRoutes(), 1);
    s.Clear();
    EXPECT_EQ(s.NumTracks() + s.NumRoutes(), 0);
    EXPECT_EQ(copy.Track(1).Color, 0x00FF00u);
}

TEST(TrackStore, RefusesFixesOffTheGlobeWithoutChangingAnything) {
    const std::vector<TTrackPoint> bad{{91, 0},           {kNaN, 0},          {0, kNaN},        {0, 361},
                                       {0, 0, kInf},      {0, 0, 0, kInf},    {0, 0, 0, 0, -kInf}};
    for (const TTrackPoint& p : bad) {
        TTrackStore s;
        ASSERT_EQ(s.AddTrack(OneFix("ok", 45, 7)), 1);
        int repaints = 0;
        s.SetOnRepaint([&] { ++repaints; });
        TTrack t = OneFix("bad", 1, 1);
        t.Segments[0].Points.push_back(p);
        EXPECT_EQ(s.AddTrack(t), 0);
        EXPECT_FALSE(s.SetTrack(1, t));
        EXPECT_FALSE(s.AppendTrackPoint(1, p));
        TRoute r;
        r.Points = {{1, 1, 0, "a"}, {p.Latitude, p.Longitude, p.Elevation, "b"}};
        const bool routeBad = !(std::fabs(p.Latitude) <= 90 && std::fabs(p.Longitude) <= 360) || std::isinf(p.Elevation);
        EXPECT_EQ(s.AddRoute(r), routeBad ? 0 : 1);  // a route point has no time or speed to be wrong
        EXPECT_EQ(s.NumTracks(), 1);
        EXPECT_EQ(s.Track(1).NumPoints(), 1u);
        EXPECT_EQ(s.Track(1).Segments[0].Points[0].Latitude, 45);
        EXPECT_EQ(repaints, routeBad ? 0 : 1);
    }
    TTrackStore s;
    EXPECT_FALSE(s.AppendTrackPoint(1, {1, 1}));  // no such track
    EXPECT_FALSE(s.RemoveTrack(0));
    EXPECT_TRUE(s.GetTrack(5).Segments.empty());
}

}  // namespace
}  // namespace zylcarto
