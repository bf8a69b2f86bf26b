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
        M.FTrace.Points[static_cast<std::size_t>(M.FTrace.Count)] = {
            X, Y, EndsStroke ? TraceEndsStroke : std::uint16_t(0), 0x00FFFF};
        ++M.FTrace.Count;
    }
    static const QImage& ScreenPicture(const TGeoMap& M) { return M.ScreenPicture(); }
    static const QImage& AuxBmp(const TGeoMap& M) { return M.AuxBmp; }
    static bool SelectRectOn(const TGeoMap& M) { return M.FDrag.SelectRectOn; }
    static void SetLastClick(TGeoMap& M, int X, int Y) {
        M.FDrag.LastClickX = X;
        M.FDrag.LastClickY = Y;
    }
};

}  // namespace zylcarto::test
