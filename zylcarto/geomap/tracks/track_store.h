#pragma once
/// @file
/// The tracks and routes of a map: adding, recording, changing and removing them,
/// numbered 1..N in the order they were added.
#include <functional>
#include <vector>

#include "zylcarto/geomap/tracks/track_types.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// The tracks and routes of one map. Used from its owner's thread; calls the
/// repaint callback synchronously after every change the map shows. Positions are
/// checked as landmark positions are: a longitude within a whole turn is
/// normalised to -180..180, and a position outside the globe, a non-finite one
/// or an infinite elevation, time or speed is refused, never stored as 0°N 0°E.
/// Removing keeps the order of the others, so the indexes after it move down.
class ZYLCARTO_EXPORT TTrackStore {
public:
    /// Called after every change.
    void SetOnRepaint(std::function<void()> Handler) { FOnRepaint = std::move(Handler); }

    /// Copies the tracks and routes, not the callback; no repaint.
    void Assign(const TTrackStore& Source);
    /// Exchanges the tracks and routes with Other's, not the callbacks; no repaint.
    /// Never raises: a copy made beforehand goes in without a failure.
    void Swap(TTrackStore& Other) noexcept {
        FTracks.swap(Other.FTracks);
        FRoutes.swap(Other.FRoutes);
    }

    /// Number of tracks, N.
    int NumTracks() const { return static_cast<int>(FTracks.size()); }
    /// Adds Track and returns its index; 0, adding nothing, when one of its fixes is refused.
    int AddTrack(TTrack Track);
    /// Track Index, 1 <= Index <= N, unchecked: for rendering.
    const TTrack& Track(int Index) const { return FTracks[static_cast<std::size_t>(Index - 1)]; }
    /// A copy of track Index; an empty track outside 1..N.
    TTrack GetTrack(int Index) const;
    /// Replaces track Index; false, changing nothing, outside 1..N or when a fix is refused.
    bool SetTrack(int Index, TTrack Track);
    /// Sets how track Index is drawn (Width at least 1); false outside 1..N.
    bool SetTrackLook(int Index, TColor Color, int Width);
    /// Appends a fix to the last segment of track Index, or to a new segment when
    /// NewSegment is set or the track has none: recording. False, changing
    /// nothing, outside 1..N or for a fix that is refused.
    bool AppendTrackPoint(int Index, TTrackPoint Point, bool NewSegment = false);
    /// Removes track Index; false outside 1..N.
    bool RemoveTrack(int Index);

    /// Number of routes.
    int NumRoutes() const { return static_cast<int>(FRoutes.size()); }
    /// Adds Route and returns its index; 0, adding nothing, when one of its points is refused.
    int AddRoute(TRoute Route);
    /// Route Index, 1 <= Index <= NumRoutes(), unchecked: for rendering.
    const TRoute& Route(int Index) const { return FRoutes[static_cast<std::size_t>(Index - 1)]; }
    /// A copy of route Index; an empty route outside 1..NumRoutes().
    TRoute GetRoute(int Index) const;
    /// Replaces route Index; false, changing nothing, outside the range or when a point is refused.
    bool SetRoute(int Index, TRoute Route);
    /// Removes route Index; false outside 1..NumRoutes().
    bool RemoveRoute(int Index);

    /// Removes every track and route.
    void Clear();

private:
    bool HasTrack(int Index) const { return Index >= 1 && Index <= NumTracks(); }
    bool HasRoute(int Index) const { return Index >= 1 && Index <= NumRoutes(); }
    void Repaint();

    std::function<void()> FOnRepaint;
    std::vector<TTrack> FTracks;
    std::vector<TRoute> FRoutes;
};

/// Normalises the longitude of Point and tells whether the store takes it.
ZYLCARTO_EXPORT bool AcceptTrackPoint(TTrackPoint& Point);
/// Normalises the longitude of Point and tells whether the store takes it.
ZYLCARTO_EXPORT bool AcceptRoutePoint(TRoutePoint& Point);

}  // namespace zylcarto
