#pragma once
// A TGeoMap that counts its paints and cache rebuilds and reaches into the
// state the tests have to arrange (mouse trace, last click).
#include <QImage>

#include "zylcarto/geomap/view/geomap.h"

namespace zylcarto::test {

class ProbeMap : public TGeoMap {
public:
    int Paints = 0;
    int CacheRebuilds = 0;

    void Paint() override {
        ++Paints;
        TGeoMap::Paint();
    }
    void AddTracePoint(double X, double Y, bool EndsStroke) {
        FMTrace[static_cast<std::size_t>(FNumMTrace)] = {X, Y, static_cast<std::uint16_t>(EndsStroke ? 1 : 0), 0x00FFFF};
        ++FNumMTrace;
    }
    void SetLastClick(int X, int Y) {
        FLastMClickPosX = X;
        FLastMClickPosY = Y;
    }
    double CacheMag() const { return FCacheMag; }
    const QImage& ImgCache() const { return FImgCache; }

protected:
    void RebuildImgCache() override {
        ++CacheRebuilds;
        TGeoMap::RebuildImgCache();
    }
};

// A W x H picture in one colour.
inline QImage Picture(int W, int H, QRgb Color = qRgb(255, 255, 255)) {
    QImage I(W, H, QImage::Format_RGB32);
    I.fill(Color);
    return I;
}

// An equirectangular calibration: image (0,0) at (LatTop, LongLeft), (W,H) at (LatBottom, LongRight).
inline void CalibrateEquiRect(TGeoMap& Map, double LatTop, double LongLeft, double LatBottom, double LongRight) {
    const int W = Map.MapImgWidth(), H = Map.MapImgHeight();
    Map.SetCalibModel(cmEquiRect);
    Map.AddCalibPoint(LatTop, LongLeft, 0, 0);
    Map.AddCalibPoint(LatTop, LongRight, W, 0);
    Map.AddCalibPoint(LatBottom, LongLeft, 0, H);
    Map.AddCalibPoint(LatBottom, LongRight, W, H);
}

} // namespace zylcarto::test
