// The world file reader: any input is refused with an error or gives six finite
// coefficients of a non-zero pixel area, which write and read back unchanged.
#include <cmath>
#include <string_view>

#include "../files/fuzz_input.h"
#include "zylcarto/exchange/world_file.h"
#include "zylcarto/support/errors.h"

using namespace zylcarto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TWorldFile w;
    try {
        w = ParseWorldFile(std::string_view(reinterpret_cast<const char*>(Data), Size));
    } catch (const EZYLGeoMapError&) {
        return 0;
    }
    for (double v : {w.A, w.D, w.B, w.E, w.C, w.F}) fuzz::Check(std::isfinite(v), "finite coefficients");
    fuzz::Check(w.A * w.E - w.B * w.D != 0, "a pixel area");
    TWorldFile back;
    try {
        back = ParseWorldFile(FormatWorldFile(w));
    } catch (const EZYLGeoMapError& e) {
        fuzz::Check(false, e.what());
    }
    fuzz::Check(back.A == w.A && back.D == w.D && back.B == w.B && back.E == w.E && back.C == w.C && back.F == w.F,
                "coefficients survive");
    return 0;
}
