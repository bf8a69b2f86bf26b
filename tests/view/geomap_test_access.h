#pragma once
// The one way tests reach the map's internal state.
#include <QImage>
#include <cstdint>

#include "zylcarto/geomap/view/geomap.h"

namespace zylcarto::test {

class TGeoMapTestAccess {
public:
    static TImageCache& Cache(TGeoMap& M) { return M.FCache; }
    static void AddTracePoint(TGeoMap& M, double X, double Y, bool EndsStroke) {
        M.FMTrace[static_cast<std::size_t>(M.FNumMTrace)] = {X, Y, EndsStroke ? TraceEndsStroke : std::uint16_t(0),
                                                            0x00FFFF};
        ++M.FNumMTrace;
    }
    static void SetLastClick(TGeoMap& M, int X, int Y) {
        M.FLastMClickPosX = X;
        M.FLastMClickPosY = Y;
    }
};

} // namespace zylcarto::test
