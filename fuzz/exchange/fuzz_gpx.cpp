// The GPX reader, then a write and a second read that must give every
// landmark back.
#include <string_view>

#include "../files/fuzz_input.h"
#include "zylcarto/exchange/gpx.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TGpxImport g;
    try {
        g = ReadGpxWaypoints(std::string_view(reinterpret_cast<const char*>(Data), Size));
    } catch (const EZYLGeoMapError&) {
        return 0;
    }
    TGpxImport back;
    try {
        back = ReadGpxWaypoints(WriteGpxWaypoints(g.LandMarks));
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
    return 0;
}
