#pragma once
// The demo's built-in region: Zylland, an invented island in the North
// Atlantic, with its coast, a lake, rivers, roads, towns and a few sights.
// Small enough to read, big enough to make maps of three scales worth having.
#include <span>
#include <string_view>

namespace zylcarto::demo {

struct TGeoPoint {
    double Lat, Long;
};

struct TTown {
    std::string_view Name;
    TGeoPoint Position;
    int Population;
};

struct TPolyline {
    std::string_view Name;
    std::span<const TGeoPoint> Points;
};

struct TSight {
    std::string_view Caption;
    TGeoPoint Position;
};

struct TRegion {
    std::string_view Name;
    std::span<const TGeoPoint> Coast;  // closed polygon
    std::span<const TGeoPoint> Lake;   // closed polygon
    std::span<const TPolyline> Rivers;
    std::span<const TPolyline> Roads;
    std::span<const TPolyline> Streets;  // of the capital, for the town map
    std::span<const TTown> Towns;        // the capital first
    std::span<const TSight> Sights;
};

const TRegion& Zylland();

// The town of that name, or nullptr.
const TTown* FindTown(std::string_view Name);

}  // namespace zylcarto::demo
