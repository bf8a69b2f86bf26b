#include "zylcarto/geomap/tracks/track_store.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

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

bool Accept(TTrackPoint& Point) { return AcceptTrackPoint(Point); }
bool Accept(TRoutePoint& Point) { return AcceptRoutePoint(Point); }

// Whether the store takes every point of a track or route, their longitudes
// normalised; the width becomes at least 1.
template <typename T>
bool AcceptAll(T& Item) {
    Item.Width = std::max(Item.Width, 1);
    const auto AcceptPoints = [](auto& Points) {
        return std::all_of(Points.begin(), Points.end(), [](auto& P) { return Accept(P); });
    };
    if constexpr (std::is_same_v<T, TRoute>)
        return AcceptPoints(Item.Points);
    else
        return std::all_of(Item.Segments.begin(), Item.Segments.end(),
                           [&](TTrackSegment& S) { return AcceptPoints(S.Points); });
}

// Appends Item when the store takes it.
template <typename T>
bool Append(std::vector<T>& Items, T& Item) {
    if (!AcceptAll(Item)) return false;
    Items.push_back(std::move(Item));
    return true;
}

// Puts Item in place of Items[Index - 1] when the store takes it.
template <typename T>
bool Replace(std::vector<T>& Items, int Index, T& Item) {
    if (Index < 1 || Index > static_cast<int>(Items.size()) || !AcceptAll(Item)) return false;
    Items[static_cast<std::size_t>(Index - 1)] = std::move(Item);
    return true;
}

}  // namespace

bool AcceptTrackPoint(TTrackPoint& Point) {
    return AcceptPosition(Point.Latitude, Point.Longitude) && KnownOrNaN(Point.Elevation) && KnownOrNaN(Point.Time) &&
           KnownOrNaN(Point.Speed);
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
    if (!Append(FTracks, Track)) return 0;
    Repaint();
    return NumTracks();
}

TTrack TTrackStore::GetTrack(int Index) const { return HasTrack(Index) ? Track(Index) : TTrack{}; }

bool TTrackStore::SetTrack(int Index, TTrack Track) {
    if (!Replace(FTracks, Index, Track)) return false;
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
    if (!Append(FRoutes, Route)) return 0;
    Repaint();
    return NumRoutes();
}

TRoute TTrackStore::GetRoute(int Index) const { return HasRoute(Index) ? Route(Index) : TRoute{}; }

bool TTrackStore::SetRoute(int Index, TRoute Route) {
    if (!Replace(FRoutes, Index, Route)) return false;
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
