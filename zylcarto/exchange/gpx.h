#pragma once
/// @file
/// GPX 1.0 and 1.1 files: waypoints <-> landmarks, tracks and routes <-> the
/// track store's values. A waypoint's lat/lon/ele give the position and altitude,
/// name the caption, desc (else cmt) the identifier, sym the symbol element (our
/// element names, or the common symbols of GPS receivers: "Flag, Blue",
/// "Summit", "Dot", "Geocache"...), time the time stamp in UTC; the other
/// landmark fields take the defaults of a new map's default landmark. A track
/// (trk) keeps its name and its segments (trkseg) of points (trkpt) with ele,
/// time and speed (GPX 1.0's speed, or a speed in the point's extensions, as
/// Garmin's TrackPointExtension writes it); a route (rte) its name and its
/// points (rtept) with name, ele and time. Pure functions, safe from any thread.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "zylcarto/geomap/landmarks/landmark_types.h"
#include "zylcarto/geomap/tracks/track_types.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// The waypoints, tracks and routes of a GPX file, and what had to change to store them.
struct TGpxImport {
    /// One landmark per waypoint, in file order.
    std::vector<TLandMark> LandMarks;
    /// The tracks in file order, with colour and width of a new track.
    std::vector<TTrack> Tracks;
    /// The routes in file order, with colour and width of a new route.
    std::vector<TRoute> Routes;
    /// The version attribute of the gpx element.
    std::string Version;
    /// Characters Windows-1252 cannot hold, stored as '?' in landmarks.
    int Replaced = 0;
    /// Names and descriptions cut to the landmark's capacities, or to 4096 bytes.
    int Shortened = 0;
    /// Symbols without a landmark element, each with its number of waypoints
    /// (drawn with the default element, Cross).
    std::map<std::string, int> UnknownSymbols;
};

/// Parses GPX (UTF-8, or the encoding its declaration names) with expat. Text is
/// composed (NFC) before it goes to Windows-1252; times with a zone offset are
/// shifted to UTC and kept to the second. Malformed XML, another root element, a
/// missing or out-of-range position of a wpt, trkpt or rtept, a bad elevation,
/// time or speed raises EZYLGeoMapError "line N: ...".
ZYLCARTO_EXPORT TGpxImport ReadGpx(std::string_view Bytes);

/// The landmarks, routes and tracks as a GPX 1.1 file in UTF-8. A landmark is a
/// wpt: caption as name, identifier as desc, element name as sym, altitude (unless
/// 0) as ele, time (unless 0 or outside the calendar) as UTC time. Routes and
/// tracks keep what ReadGpx reads; a track point's speed goes into Garmin's
/// TrackPointExtension, GPX 1.1 having no element for it. Values that are not
/// known (NaN) are left out. Never raises.
ZYLCARTO_EXPORT std::string WriteGpx(const std::vector<TLandMark>& LandMarks, const std::vector<TTrack>& Tracks = {},
                                     const std::vector<TRoute>& Routes = {});

}  // namespace zylcarto
