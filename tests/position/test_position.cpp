// The live position driven by replays at high speed: what the map shows and
// where it pans, what the atlas switches to, and what is never taken as a fix.
#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cmath>
#include <limits>
#include <vector>

#include "calibrated_map.h"
#include "qt_input.h"
#include "zylcarto/exchange/gpx.h"
#include "zylcarto/exchange/nmea.h"
#include "zylcarto/geoatlas/geoatlas.h"
#include "zylcarto/geodesy/geodesic.h"
#include "zylcarto/geomap/position/position_source.h"
#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto::test {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

// A straight track of N fixes a second apart from (Lat0, Long0) to (Lat1, Long1).
TTrack Line(double Lat0, double Long0, double Lat1, double Long1, int N) {
    TTrack T;
    T.Segments.emplace_back();
    const TDateTime Start = EncodeDateTime(2024, 6, 1, 10, 0, 0);
    for (int i = 0; i < N; ++i) {
        const double f = static_cast<double>(i) / (N - 1);
        TTrackPoint P;
        P.Latitude = Lat0 + (Lat1 - Lat0) * f;
        P.Longitude = Long0 + (Long1 - Long0) * f;
        P.Time = Start + i / 86400.0;
        T.Segments.back().Points.push_back(P);
    }
    return T;
}

// What a host does to show a source on a map.
void Show(TPositionSource& Source, TGeoMap& Map) {
    QObject::connect(&Source, &TPositionSource::positionUpdated, &Map, &TGeoMap::ShowPosition);
    QObject::connect(&Source, &TPositionSource::fixStateChanged, &Map,
                     [&Map](int State) { Map.SetPositionCurrent(State == fsFix); });
}

bool RunReplay(TPositionSource& Source) {
    QSignalSpy Done(&Source, &TPositionSource::replayFinished);
    return Done.wait(20000);
}

// A 400 x 300 map of a 2000 x 1500 image over 50..51°N, 10..12°E at magnification 1.
struct TMapFixture {
    TGeoMap Map;
    TMapFixture() {
        Map.resize(400, 300);
        QImage Image(2000, 1500, QImage::Format_RGB32);
        Image.fill(Qt::white);
        Map.SetMapBitMap(Image);
        CalibrateEquiRect(Map, 51, 10, 50, 12);
        Map.SetMagnification(1);
    }
    QPointF ControlPoint(const TPositionFix& F, TPoint TopLeft) const {
        double x = 0, y = 0;
        EXPECT_TRUE(Map.Calibration().CalcPixelCoordsFrac(F.Latitude, F.Longitude, x, y));
        return {x - TopLeft.X, y - TopLeft.Y};
    }
    bool InMiddle(QPointF P) const {
        const double m = (1 - TGeoMap::FollowMiddle) / 2;
        return P.x() >= m * Map.width() && P.x() <= (1 - m) * Map.width() && P.y() >= m * Map.height() &&
               P.y() <= (1 - m) * Map.height();
    }
};

TEST(PositionFollow, PansOnlyWhenThePositionLeavesTheMiddleAndStopsWhenTheUserPans) {
    TMapFixture F;
    TPositionSource Source;
    F.Map.SetFollowPosition(true);
    QSignalSpy Stopped(&F.Map, &TGeoMap::followStopped);
    int Fixes = 0, Pans = 0;
    bool UserPanned = false;
    QObject::connect(&Source, &TPositionSource::positionUpdated, &F.Map, [&](const TPositionFix& Fix) {
        ++Fixes;
        if (Fixes == 120) {  // the user drags the map aside
            SendMouse(F.Map, QEvent::MouseButtonPress, {200, 150}, Qt::LeftButton, Qt::LeftButton);
            SendMouse(F.Map, QEvent::MouseMove, {140, 120}, Qt::NoButton, Qt::LeftButton);
            SendMouse(F.Map, QEvent::MouseButtonRelease, {140, 120}, Qt::LeftButton, Qt::NoButton);
            UserPanned = true;
            EXPECT_FALSE(F.Map.FollowPosition());
        }
        const TPoint Before = F.Map.TopLeft();
        const bool WasInMiddle = F.InMiddle(F.ControlPoint(Fix, Before));
        F.Map.ShowPosition(Fix);
        const bool Panned = !(F.Map.TopLeft() == Before);
        Pans += Panned;
        if (UserPanned) {
            EXPECT_FALSE(Panned) << "fix " << Fixes;
        } else {
            EXPECT_EQ(Panned, !WasInMiddle) << "fix " << Fixes;
            EXPECT_TRUE(F.InMiddle(F.ControlPoint(Fix, F.Map.TopLeft()))) << "fix " << Fixes;
        }
    });
    // Across the image, well inside its edges so that centring is never confined.
    ASSERT_TRUE(Source.ReplayTrack(Line(50.8, 10.3, 50.2, 11.7, 200), 2000));
    ASSERT_TRUE(RunReplay(Source));
    EXPECT_EQ(Fixes, 200);
    EXPECT_GT(Pans, 2);
    EXPECT_LT(Pans, 20);  // not on every fix
    EXPECT_EQ(Stopped.count(), 1);
    // Asked again, it brings the position back into the middle at once.
    F.Map.SetFollowPosition(true);
    EXPECT_TRUE(F.InMiddle(F.ControlPoint(F.Map.ShownPosition(), F.Map.TopLeft())));
}

TEST(PositionFix, ImpossibleFixesAreReportedAndNeverMoveTheMarker) {
    struct TRow {
        const char* Name;
        double Lat, Long;
    };
    const TRow Rows[] = {{"NaN latitude", NaN, 11},         {"latitude beyond the pole", 91, 11},
                         {"infinite longitude", 50.5, Inf}, {"no position", NaN, NaN},
                         {"longitude beyond a turn", 50.5, 361}};
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TMapFixture F;
        TPositionSource Source;
        Show(Source, F.Map);
        Source.SetRecording(true);
        QSignalSpy States(&Source, &TPositionSource::fixStateChanged);
        TPositionFix Good;
        Good.Latitude = 50.5;
        Good.Longitude = 11;
        Good.Course = 400;  // taken modulo 360
        Good.Accuracy = -3;  // no accuracy
        Source.Feed(Good);
        TPositionFix Bad = Good;
        Bad.Latitude = R.Lat;
        Bad.Longitude = R.Long;
        Source.Feed(Bad);
        EXPECT_EQ(Source.FixState(), fsNoFix);
        EXPECT_FALSE(F.Map.PositionCurrent());
        EXPECT_EQ(F.Map.ShownPosition().Latitude, 50.5);
        EXPECT_EQ(F.Map.ShownPosition().Longitude, 11);
        EXPECT_EQ(F.Map.ShownPosition().Course, 40);
        EXPECT_TRUE(std::isnan(F.Map.ShownPosition().Accuracy));
        EXPECT_EQ(Source.RecordedTrack().NumPoints(), 1u);
        ASSERT_EQ(States.count(), 2);  // fix, then no fix
        EXPECT_EQ(States[1][0].toInt(), fsNoFix);
        // A host calling the map directly is refused the same way.
        F.Map.ShowPosition(Bad);
        EXPECT_EQ(F.Map.ShownPosition().Latitude, 50.5);
    }
}

TEST(PositionReplay, AnNmeaLogReplaysThroughQtAtSpeedAndGoesStaleAfterwards) {
    TTrack T = Line(50.8, 10.3, 50.6, 10.7, 30);
    TTrack Second = Line(50.6, 10.7, 50.4, 11.0, 20);
    for (TTrackPoint& P : Second.Segments[0].Points) P.Time += 60 / 86400.0;
    T.Segments.push_back(Second.Segments[0]);
    const std::string Log = WriteNmea(T);
    TMapFixture F;
    TPositionSource Source;
    Show(Source, F.Map);
    Source.SetStaleAfterMs(300);
    std::vector<TPositionFix> Fixes;
    QObject::connect(&Source, &TPositionSource::positionUpdated, &Source,
                     [&](const TPositionFix& Fix) { Fixes.push_back(Fix); });
    QElapsedTimer Clock;
    Clock.start();
    // 110 s of log at 500 times: about a quarter of a second.
    ASSERT_TRUE(Source.ReplayNmea(QByteArray::fromStdString(Log), 500));
    ASSERT_TRUE(RunReplay(Source));
    EXPECT_LT(Clock.elapsed(), 5000);
    ASSERT_EQ(Fixes.size(), 50u);
    for (std::size_t i = 0; i < Fixes.size(); ++i) {
        const std::size_t Seg = i < 30 ? 0 : 1, At = i < 30 ? i : i - 30;
        const TTrackPoint& P = T.Segments[Seg].Points[At];
        EXPECT_NEAR(Fixes[i].Latitude, P.Latitude, 1e-6) << i;
        EXPECT_NEAR(Fixes[i].Longitude, P.Longitude, 1e-6) << i;
        EXPECT_NEAR(Fixes[i].Accuracy, 10, 1e-9) << i;  // Qt's 95 % circle: 2 x HDOP 1 x the range error
    }
    EXPECT_NEAR(Fixes[5].Course, GeodesicInverse({50.8, 10.3}, {50.6, 10.7}).Azimuth1, 0.5);
    QSignalSpy States(&Source, &TPositionSource::fixStateChanged);
    ASSERT_TRUE(States.wait(3000));
    EXPECT_EQ(Source.FixState(), fsStale);
    EXPECT_FALSE(F.Map.PositionCurrent());
}

TEST(PositionRecording, RecordsTheReplayedFixesWithTheirBreaksAndSavesThemAsGpx11) {
    TTrack T = Line(50.8, 10.3, 50.6, 10.7, 12);
    T.Segments.push_back(Line(50.5, 10.8, 50.4, 11.0, 8).Segments[0]);
    TPositionSource Source;
    Source.SetRecording(true);
    ASSERT_TRUE(Source.ReplayTrack(T, 5000));
    ASSERT_TRUE(RunReplay(Source));
    QTemporaryDir Dir;
    const std::string File = Dir.filePath("recorded.gpx").toStdString();
    ASSERT_TRUE(Source.SaveRecordedTrack(File));
    QFile F(QString::fromStdString(File));
    ASSERT_TRUE(F.open(QIODevice::ReadOnly));
    const TGpxImport Gpx = ReadGpx(F.readAll().toStdString());
    EXPECT_EQ(Gpx.Version, "1.1");
    ASSERT_EQ(Gpx.Tracks.size(), 1u);
    const TTrack& R = Gpx.Tracks[0];
    ASSERT_EQ(R.Segments.size(), 2u);  // the break between the segments was a moment without a fix
    for (std::size_t s = 0; s < 2; ++s) {
        ASSERT_EQ(R.Segments[s].Points.size(), T.Segments[s].Points.size());
        for (std::size_t i = 0; i < R.Segments[s].Points.size(); ++i) {
            const TTrackPoint &Got = R.Segments[s].Points[i], &Want = T.Segments[s].Points[i];
            EXPECT_NEAR(Got.Latitude, Want.Latitude, 1e-9);
            EXPECT_NEAR(Got.Longitude, Want.Longitude, 1e-9);
            EXPECT_NEAR(Got.Time, Want.Time, 1e-5);
            EXPECT_GT(Got.Speed, 0);  // from the geodesic to the next fix
        }
    }
    EXPECT_FALSE(Source.SaveRecordedTrack(Dir.filePath("missing/folder/x.gpx").toStdString()));
}

// A traveller along 51°N over three nested maps, replayed into an atlas that follows.
TEST(PositionAtlas, SwitchesToTheFinestMapAtTheRightFixAndDoesNotFlapAtAnEdge) {
    struct TRow {
        const char* Name;
        std::vector<double> Longitudes;
        std::vector<std::pair<int, double>> Switches;  // to map, at the fix of this longitude
    };
    std::vector<double> East, Zigzag = {10.9, 11.1, 11.2};
    for (int i = 0; i < 360; ++i) East.push_back(10.205 + 0.01 * i);
    for (int i = 0; i < 20; ++i) Zigzag.insert(Zigzag.end(), {10.995, 11.02});
    const TRow Rows[] = {
        // Fine entered 5 % of its width inside, finer likewise; each left at its edge.
        {"east across all", East, {{2, 11.055}, {3, 11.415}, {2, 11.605}, {1, 12.005}}},
        // In and out across the fine map's west edge, never deep enough to come back.
        {"zigzag at an edge", Zigzag, {{2, 11.1}, {1, 10.995}}},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        QTemporaryDir Dir;
        TGeoAtlas Atlas;
        Atlas.resize(480, 360);
        for (const TMapFile& M : {TMapFile{"coarse", "coarse", 1000, 50, 10, 52, 14, 400, 200},
                                  TMapFile{"fine", "fine", 100, 50.5, 11, 51.5, 12, 600, 600},
                                  TMapFile{"finer", "finer", 10, 50.9, 11.4, 51.1, 11.6, 400, 400}})
            ASSERT_TRUE(Atlas.RegisterMap(WriteMapFile(Dir.path(), M)));
        ASSERT_TRUE(Atlas.SelectMap(1));
        TGeoMap& Map = *Atlas.CurrentMap();
        Map.SetMagnification(0.5);
        Atlas.SetFollowTraveller(true);
        TTrack T;
        T.Segments.emplace_back();
        for (const double Long : R.Longitudes) T.Segments[0].Points.push_back({51.0, Long});
        TPositionSource Source;
        double Shown = NaN;  // the fix being shown, noted before the map and the atlas take it
        QObject::connect(&Source, &TPositionSource::positionUpdated, &Atlas,
                         [&](const TPositionFix& F) { Shown = F.Longitude; });
        Show(Source, Map);
        std::vector<std::pair<int, double>> Switches;
        const double MetresPerPixel = 1000 / 0.5;
        Atlas.SetOnTravellerMapChange([&](TObject* Sender, int Number) {
            EXPECT_EQ(Sender, &Atlas);
            Switches.emplace_back(Number, Shown);
            // The scale on screen stays.
            EXPECT_NEAR(Atlas.Maps(Number).Resolution / Map.Magnification(), MetresPerPixel, 1e-9);
        });
        ASSERT_TRUE(Source.ReplayTrack(T, 1000));
        ASSERT_TRUE(RunReplay(Source));
        ASSERT_EQ(Switches.size(), R.Switches.size());
        for (std::size_t i = 0; i < Switches.size(); ++i) {
            EXPECT_EQ(Switches[i].first, R.Switches[i].first) << i;
            EXPECT_NEAR(Switches[i].second, R.Switches[i].second, 1e-9) << i;
        }
    }
}

}  // namespace
}  // namespace zylcarto::test
