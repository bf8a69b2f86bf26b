#pragma once
// The one way tests reach the map's internal state.
#include <QImage>
#include <cstdint>

#include "zylcarto/geomap/view/geomap_p.h"

namespace zylcarto::test {

class TGeoMapTestAccess {
public:
    static const TViewCache& Cache(TGeoMap& M) { return M.d_func()->FCache; }
    static void AddTracePoint(TGeoMap& M, double X, double Y, bool EndsStroke) {
        TGeoMapPrivate::TTraceState& Trace = M.d_func()->FTrace;
        Trace.Points[static_cast<std::size_t>(Trace.Count)] = {X, Y, EndsStroke ? TraceEndsStroke : std::uint16_t(0),
                                                               0x00FFFF};
        ++Trace.Count;
    }
    static const QImage& ScreenPicture(const TGeoMap& M) { return M.d_func()->ScreenPicture(); }
    static const QImage& AuxBmp(const TGeoMap& M) { return M.d_func()->AuxBmp; }
    static bool ToolDragging(const TGeoMap& M) { return M.d_func()->FTool->Dragging(); }
    static void SetLastClick(TGeoMap& M, int X, int Y) { M.d_func()->FPointer.LastClick = {X, Y}; }
};

}  // namespace zylcarto::test
