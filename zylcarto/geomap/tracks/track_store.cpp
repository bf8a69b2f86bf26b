#include "zylcarto/geomap/tracks/track_store.h"

#include <algorithm>
#include <cmath>

#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/support/longitude.h"

namespace zylcarto {
namespace {

// NaN says "unknown"; an infinity is no measurement at all.
bool KnownOrNaN(double V) { return !std::isinf(V); }

bool AcceptPosition(double Lat, double& Long) {
    Long = GivenLongitude(Long);
    return IsGeoPosition(Lat, Long);
}

bool AcceptAll(TTrack& Track) {
    for (TTrackSegment& s : Track.Segments)
        for (TTrackPoint& p : s.Points)
            if (!AcceptTrackPoint(p)) return false;
    Track.Width = std::max(Track.Width, 1);
    return true;
}

bool AcceptAll(TRoute& Route) {
    Route.Width = std::max(Route.Width, 1);
    return std::all_of(Route.Points.begin(), Route.Points.end(), [](TRoutePoint& p) { return AcceptRoutePoint(p); });
}

}  // namespace

bool AcceptTrackPoint(TTrackPoint& Point) {
    return AcceptPosition(Point.Latitude, Point.Longitude) && KnownOrNaN(Point.Elevation) &&
           KnownOrNaN(Point.Time) && KnownOrNaN(Point.Speed);
}

bool AcceptRoutePoint(TRoutePoint& Point) {
    return AcceptPosition(Point.Latitude, Point.Longitude) && KnownOrNaN(Point.Elevation) && KnownOrNaN(Point.Time);
}

void TTrackStore::Assign(const TTrackStore& Source) {
    if (&Source == this) return;
    std::vector<TTrack> tracks = Source.FTracks;  // copied first: a failure leaves this store as it was
    std::vector<TRoute> routes = Source.FRoutes;
    FTracks.swap(tracks);
    FRoutes.swap(routes);
}

int TTrackStore::AddTrack(TTrack Track) {
    if (!AcceptAll(Track)) return 0;
    FTracks.push_back(std::move(Track));
    Repaint();
    return NumTracks();
}

TTrack TTrackStore::GetTrack(int Index) const { return HasTrack(Index) ? Track(Index) : TTrack{}; }

bool TTrackStore::SetTrack(int Index, TTrack Track) {
    if (!HasTrack(Index) || !AcceptAll(Track)) return false;
    FTracks[static_cast<std::size_t>(Index - 1)] = std::move(Track);
    Repaint();
    return true;
}

bool TTrackStore::SetTrackLook(int Index, TColor Color, int Width) {
    if (!HasTrack(Index)) return false;
    TTrack& t = FTracks[static_cast<std::size_t>(Index - 1)];
    t.Color = Color;
    t.Width = std::max(Width, 1);
    Repaint();
    return true;
}

bool TTrackStore::AppendTrackPoint(int Index, TTrackPoint Point, bool NewSegment) {
    if (!HasTrack(Index) || !AcceptTrackPoint(Point)) return false;
    TTrack& t = FTracks[static_cast<std::size_t>(Index - 1)];
    if (NewSegment || t.Segments.empty()) t.Segments.emplace_back();
    t.Segments.back().Points.push_back(Point);
    Repaint();
    return true;
}

bool TTrackStore::RemoveTrack(int Index) {
    if (!HasTrack(Index)) return false;
    FTracks.erase(FTracks.begin() + (Index - 1));
    Repaint();
    return true;
}

int TTrackStore::AddRoute(TRoute Route) {
    if (!AcceptAll(Route)) return 0;
    FRoutes.push_back(std::move(Route));
    Repaint();
    return NumRoutes();
}

TRoute TTrackStore::GetRoute(int Index) const { return HasRoute(Index) ? Route(Index) : TRoute{}; }

bool TTrackStore::SetRoute(int Index, TRoute Route) {
    if (!HasRoute(Index) || !AcceptAll(Route)) return false;
    FRoutes[static_cast<std::size_t>(Index - 1)] = std::move(Route);
    Repaint();
    return true;
}

bool TTrackStore::RemoveRoute(int Index) {
    if (!HasRoute(Index)) return false;
    FRoutes.erase(FRoutes.begin() + (Index - 1));
    Repaint();
    return true;
}

void TTrackStore::Clear() {
    FTracks.clear();
    FRoutes.clear();
    Repaint();
}

void TTrackStore::Repaint() {
    if (FOnRepaint) FOnRepaint();
}

}  // namespace zylcarto
