#pragma once
/// @file
/// GPX 1.0 and 1.1 waypoints <-> landmarks. A waypoint's lat/lon/ele give the
/// position and altitude, name the caption, desc (else cmt) the identifier,
/// sym the symbol element (our element names, or the common symbols of GPS
/// receivers: "Flag, Blue", "Summit", "Dot", "Geocache"...), time the time stamp
/// in UTC; the other landmark fields take the defaults of a new map's default
/// landmark. Pure functions, safe from any thread.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/geomap/landmarks/landmark_types.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// The waypoints of a GPX file and what had to change to store them.
struct TGpxImport {
    /// One landmark per waypoint, in file order.
    std::vector<TLandMark> LandMarks;
    /// The version attribute of the gpx element.
    std::string Version;
    /// Characters Windows-1252 cannot hold, stored as '?'.
    int Replaced = 0;
    /// Names and descriptions cut to the landmark's capacities.
    int Shortened = 0;
    /// Symbols without a landmark element, each with its number of waypoints
    /// (drawn with the default element, Cross).
    std::map<std::string, int> UnknownSymbols;
    /// @{
    /// Tracks and routes, and their points, which landmarks do not hold.
    int Tracks = 0, TrackPoints = 0, Routes = 0, RoutePoints = 0;
    /// @}
};

/// Parses GPX (UTF-8, or the encoding its declaration names) with expat. Text is
/// composed (NFC) before it goes to Windows-1252; times with a zone offset are
/// shifted to UTC. Malformed XML, another root element, a missing or out-of-range
/// position, a bad elevation or time raises EZYLGeoMapError "line N: ...". Routes
/// and tracks are counted and passed over.
ZYLCARTO_EXPORT TGpxImport ReadGpxWaypoints(std::string_view Bytes);

/// The landmarks as a GPX 1.1 file in UTF-8, one wpt each: caption as name,
/// identifier as desc, element name as sym, altitude (unless 0) as ele, time (unless
/// 0 or outside the calendar) as UTC time. Never raises.
ZYLCARTO_EXPORT std::string WriteGpxWaypoints(const std::vector<TLandMark>& LandMarks);

}  // namespace zylcarto
