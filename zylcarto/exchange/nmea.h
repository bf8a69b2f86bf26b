#pragma once
/// @file
/// NMEA 0183 logs of GPS receivers -> a track. The fixes come from RMC (date, time,
/// position, speed) and GGA (time, position, altitude) sentences of any talker
/// ($GPRMC, $GNGGA...); an RMC and a GGA of the same time of day make one fix.
/// Also the way back (a track as a log) and a log replayed faster. Pure
/// functions, safe from any thread.
#include <string>
#include <string_view>

#include "zylcarto/geomap/tracks/track_types.h"
#include "zylcarto/support/export.h"

namespace zylcarto {

/// The fixes of an NMEA log and the sentences passed over.
struct TNmeaImport {
    /// One segment per stretch of valid fixes: a sentence saying the receiver has
    /// no fix starts a new segment. Times are UTC; fixes before the first RMC
    /// (which alone carries the date) have none. Speeds are in metres per second.
    TTrack Track;
    /// Sentences read (lines that start with '$').
    int Sentences = 0;
    /// Without a checksum, or with one that does not match: passed over.
    int BadChecksum = 0;
    /// RMC or GGA sentences with a field that cannot be (a latitude of 91°, minutes
    /// of 60, a hemisphere "X", a date of 31 February...): passed over.
    int Malformed = 0;
    /// RMC sentences with status V and GGA sentences of quality 0: no position.
    int NoFix = 0;
    /// Well-formed sentences of other types ($GPGSV...), and lines that are not
    /// sentences.
    int Ignored = 0;
};

/// Reads an NMEA log: lines ended by CR LF or LF. Never raises, never takes a
/// sentence it cannot check for a position (an empty or damaged position is never
/// read as 0°N 0°E), and reads each line once.
ZYLCARTO_EXPORT TNmeaImport ReadNmea(std::string_view Bytes);

/// A track as the log a receiver would have written: per fix a $GPRMC (course
/// along the geodesic to the next fix, or from the one before at a segment's
/// end) and a $GPGGA with the elevation, lines ended by CR LF; between segments
/// an RMC of status V (no fix). Fixes without a time or outside years 1..9999
/// are left out. ReadNmea gives the track back to 1e-6 minutes of arc.
ZYLCARTO_EXPORT std::string WriteNmea(const TTrack& Track);

/// The log with the times of day of its GGA, RMC, GLL and ZDA sentences brought
/// Speed times closer to the first one (past midnight counting on), to the
/// millisecond, and their checksums made anew: replayed at the pace of its time
/// stamps it runs Speed times as fast. Other lines pass unchanged; lines end in
/// CR LF. A Speed that is not finite and positive changes nothing.
ZYLCARTO_EXPORT std::string ScaleNmeaTimes(std::string_view Log, double Speed);

}  // namespace zylcarto
