// ParseCalibData over a stream, into a record that already holds data.
#include "fuzz_input.h"
#include "zylcarto/geomap/calibration/calib_xml.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    // The first byte picks the data identifier, so that id matching is exercised too.
    static const char* const ids[] = {"", "a", "B", "ZYL_geomap_caldata"};
    const std::string id = Size > 0 ? ids[Data[0] % 4] : "";
    TMemoryStream in = fuzz::StreamOf(Size > 0 ? Data + 1 : Data, Size > 0 ? Size - 1 : 0);
    TCalibData d;
    d.NumCalQuads = 150;
    d.NumCalLines = 20;
    TCalibModel model = cmEquiRect;
    try {
        ParseCalibData(in, id, d, model);
    } catch (const EZYLGeoMapError&) {}
    fuzz::Check(static_cast<int>(model) <= static_cast<int>(cmProjected), "model is a valid value");
    fuzz::Check(d.ProjOrder == 1 || d.ProjOrder == 2, "order 1 or 2");
    fuzz::Check(static_cast<std::size_t>(d.Ellipsoid) < 61, "ellipsoid is a valid value");
    fuzz::Check(d.NumCalLines >= 0 && d.NumCalLines <= MaxCalibLines, "line count within capacity");
    return 0;
}
