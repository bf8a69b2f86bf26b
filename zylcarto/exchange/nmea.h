#pragma once
/// @file
/// NMEA 0183 logs of GPS receivers -> a track. The fixes come from RMC (date, time,
/// position, speed) and GGA (time, position, altitude) sentences of any talker
/// ($GPRMC, $GNGGA...); an RMC and a GGA of the same time of day make one fix.
/// A pure function, safe from any thread.
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

}  // namespace zylcarto
