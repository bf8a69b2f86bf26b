#pragma once
// GPX 1.0 and 1.1 waypoints <-> landmarks. A waypoint's lat/lon/ele give the
// position and altitude, name the caption, desc (else cmt) the identifier,
// sym the symbol element, time the time stamp; the other landmark fields take
// the defaults of a new map's default landmark.
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/geomap/landmarks/landmark_types.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

struct TGpxImport {
    std::vector<TLandMark> LandMarks;
    std::string Version;  // of the gpx element
    int Replaced = 0;     // characters Windows-1252 cannot hold, stored as '?'
    int Shortened = 0;    // names and descriptions cut to the landmark's capacities
};

// Parses GPX (UTF-8, or the encoding its declaration names) with expat. Malformed
// XML, a missing or out-of-range position or a bad time raises EZYLGeoMapError
// "line N: ...". Routes and tracks are passed over.
ZYLCARTO_EXPORT TGpxImport ReadGpxWaypoints(std::string_view Bytes);

// The landmarks as a GPX 1.1 file in UTF-8, one wpt each.
ZYLCARTO_EXPORT std::string WriteGpxWaypoints(const std::vector<TLandMark>& LandMarks);

}  // namespace zylcarto
