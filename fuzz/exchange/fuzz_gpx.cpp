// The GPX reader, then a write and a second read that must give every
// landmark, track point and route point back.
#include <string_view>

#include "../files/fuzz_input.h"
#include "zylcarto/exchange/gpx.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TGpxImport g;
    try {
        g = ReadGpx(std::string_view(reinterpret_cast<const char*>(Data), Size));
    } catch (const EZYLGeoMapError&) {
        return 0;
    }
    TGpxImport back;
    try {
        back = ReadGpx(WriteGpx(g.LandMarks, g.Tracks, g.Routes));
    } catch (const EZYLGeoMapError& e) {
        fuzz::Check(false, e.what());
    }
    fuzz::Check(back.LandMarks.size() == g.LandMarks.size(), "waypoint count survives");
    for (std::size_t i = 0; i < g.LandMarks.size(); ++i) {
        const TLandMark &a = g.LandMarks[i], &b = back.LandMarks[i];
        fuzz::Check(a.Latitude == b.Latitude && a.Longitude == b.Longitude && a.Altitude == b.Altitude,
                    "position survives");
        fuzz::Check(a.SymbolProps.Kind == b.SymbolProps.Kind && a.Time == b.Time, "symbol and time survive");
    }
    fuzz::Check(back.Tracks.size() == g.Tracks.size() && back.Routes.size() == g.Routes.size(), "tracks survive");
    for (std::size_t t = 0; t < g.Tracks.size(); ++t) {
        fuzz::Check(back.Tracks[t].Segments.size() == g.Tracks[t].Segments.size(), "segments survive");
        for (std::size_t s = 0; s < g.Tracks[t].Segments.size(); ++s) {
            const auto &a = g.Tracks[t].Segments[s].Points, &b = back.Tracks[t].Segments[s].Points;
            fuzz::Check(a.size() == b.size(), "track points survive");
            for (std::size_t i = 0; i < a.size(); ++i)
                fuzz::Check(a[i].Latitude == b[i].Latitude && a[i].Longitude == b[i].Longitude &&
                                (a[i].Time == b[i].Time || (a[i].Time != a[i].Time && b[i].Time != b[i].Time)),
                            "track point position and time survive");
        }
    }
    for (std::size_t r = 0; r < g.Routes.size(); ++r)
        fuzz::Check(back.Routes[r].Points.size() == g.Routes[r].Points.size(), "route points survive");
    return 0;
}
