// The NMEA reader: every sentence is counted once, every fix lies on the globe,
// and the track it makes writes as GPX and reads back with the same fixes.
#include <cmath>
#include <string_view>

#include "../files/fuzz_input.h"
#include "zylcarto/exchange/gpx.h"
#include "zylcarto/exchange/nmea.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const TNmeaImport n = ReadNmea(std::string_view(reinterpret_cast<const char*>(Data), Size));
    fuzz::Check(n.BadChecksum + n.Malformed + n.NoFix <= n.Sentences, "each sentence counted once");
    for (const TTrackSegment& s : n.Track.Segments) {
        fuzz::Check(!s.Points.empty(), "no empty segment");
        for (const TTrackPoint& p : s.Points)
            fuzz::Check(std::fabs(p.Latitude) <= 90 && std::fabs(p.Longitude) <= 180 && !std::isinf(p.Elevation) &&
                            !std::isinf(p.Speed) && !(p.Speed < 0),
                        "fixes on the globe");
    }
    TGpxImport back;
    try {
        back = ReadGpx(WriteGpx({}, {n.Track}));
    } catch (const EZYLGeoMapError& e) {
        fuzz::Check(false, e.what());
    }
    fuzz::Check(back.Tracks.size() == 1 && back.Tracks[0].NumPoints() == n.Track.NumPoints(), "fixes survive GPX");
    return 0;
}
