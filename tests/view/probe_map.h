#pragma once
// A TGeoMap that counts its paints and scaled tiles and reaches into the
// state the tests have to arrange (mouse trace, last click).
#include <QImage>

#include "calibrated_map.h"
#include "geomap_test_access.h"
#include "zylcarto/geomap/view/geomap.h"

namespace zylcarto::test {

class ProbeMap : public TGeoMap {
public:
    int Paints = 0;

    void Paint() override {
        ++Paints;
        TGeoMap::Paint();
    }
    void AddTracePoint(double X, double Y, bool EndsStroke) {
        TGeoMapTestAccess::AddTracePoint(*this, X, Y, EndsStroke);
    }
    void SetLastClick(int X, int Y) { TGeoMapTestAccess::SetLastClick(*this, X, Y); }
    int TilesMade() { return TGeoMapTestAccess::Cache(*this).TilesMade(); }
};

// A W x H picture in one colour.
inline QImage Picture(int W, int H, QRgb Color = qRgb(255, 255, 255)) {
    QImage I(W, H, QImage::Format_RGB32);
    I.fill(Color);
    return I;
}

}  // namespace zylcarto::test
