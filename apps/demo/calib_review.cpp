#include "calib_review.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zylcarto::demo {

namespace {

// Where the calibration without point Index puts that point's position.
double LeftOutResidual(const TMapCalibration& Calib, int Index) {
    TMapCalibration Others;  // no repaint handler: the map stays as it is
    Others.Assign(Calib);
    Others.SetMapImageSize(Calib.MapImageWidth(), Calib.MapImageHeight());
    TCalibData D = Calib.CalibData();
    const TCalQuad Q = D.CalQuads[Index];
    for (int i = Index; i < UsedCalQuads(D); ++i) D.CalQuads[i] = D.CalQuads[i + 1];
    --D.NumCalQuads;
    Others.SetCalibData(D);
    Others.RecalcCalibration();
    int x = 0, y = 0;
    const bool Placed = Calib.CalibModel() == cmUTM ? Others.CalcPixelCoordsUTM(Q.Latitude, Q.Longitude, x, y)
                                                    : Others.CalcPixelCoords(Q.Latitude, Q.Longitude, x, y);
    return Placed ? std::hypot(x - Q.MapX, y - Q.MapY) : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

std::vector<TReferencePoint> ReferencePoints(const TMapCalibration& Calib) {
    const TCalibData& D = Calib.CalibData();
    std::vector<TReferencePoint> Points;
    for (int i = 1; i <= UsedCalQuads(D); ++i) {
        const TCalQuad& Q = D.CalQuads[i];
        Points.push_back({Q.Latitude, Q.Longitude, Q.MapX, Q.MapY, LeftOutResidual(Calib, i)});
    }
    return Points;
}

double MedianResidualOfOthers(const std::vector<TReferencePoint>& Points, std::size_t Except) {
    std::vector<double> R;
    for (std::size_t i = 0; i < Points.size(); ++i)
        if (i != Except && !std::isnan(Points[i].Residual)) R.push_back(Points[i].Residual);
    if (R.empty()) return 0;
    const auto Mid = R.begin() + static_cast<std::ptrdiff_t>(R.size() / 2);
    std::nth_element(R.begin(), Mid, R.end());
    if (R.size() % 2 == 1) return *Mid;
    return (*Mid + *std::max_element(R.begin(), Mid)) / 2;
}

bool StandsOut(const std::vector<TReferencePoint>& Points, std::size_t Index) {
    if (Index >= Points.size()) return false;
    const double R = Points[Index].Residual;
    return !std::isnan(R) && R > OutlierMinPixels && R > OutlierFactor * MedianResidualOfOthers(Points, Index);
}

}  // namespace zylcarto::demo
