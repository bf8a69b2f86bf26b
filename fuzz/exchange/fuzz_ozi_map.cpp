// The OziExplorer reader: any input is refused with an error or gives a fitted
// calibration of 2 to 30 points with finite corners.
#include <cmath>
#include <string_view>

#include "../files/fuzz_input.h"
#include "zylcarto/exchange/ozi_map.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TImportedCalibration c;
    try {
        // A directory that does not exist: the image is never found, IWH gives the size.
        c = ReadOziMap(std::string_view(reinterpret_cast<const char*>(Data), Size), "/nonexistent-fuzz-dir/in.map");
    } catch (const EZYLGeoMapError&) {
        return 0;
    }
    fuzz::Check(c.Data.NumCalQuads >= 2 && c.Data.NumCalQuads <= 30, "point count within the 30 slots");
    fuzz::Check(c.ResidualsM.size() == static_cast<std::size_t>(c.Data.NumCalQuads), "a residual per point");
    fuzz::Check(c.ResidualsPx.size() == c.ResidualsM.size(), "a pixel residual per point");
    fuzz::Check(c.Model == cmEquiRect || c.Model == cmUTM || c.Model == cmBiquadraticPn || c.Model == cmProjected,
                "a point model");
    fuzz::Check(c.Model != cmProjected || !c.Data.CRS.empty(), "a projected model has its CRS");
    fuzz::Check(c.ImageWidth >= 1 && c.ImageHeight >= 1, "an image size");
    return 0;
}
