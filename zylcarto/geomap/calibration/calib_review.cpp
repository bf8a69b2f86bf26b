#include <algorithm>
#include <cmath>

#include "zylcarto/geomap/calibration/calib_models.h"
#include "zylcarto/geomap/calibration/calibration.h"

namespace zylcarto {

namespace {

// Pixels from the point's pixel to where Cal puts its coordinates; NaN without an answer.
double Residual(const TMapCalibration& Cal, const TCalQuad& Q) {
    double x = 0, y = 0;
    return FittedPixel(Cal, Q, x, y) ? std::hypot(x - Q.MapX, y - Q.MapY) : std::nan("");
}

double Median(std::vector<double> V) {
    if (V.empty()) return std::nan("");
    const auto Mid = V.begin() + static_cast<std::ptrdiff_t>(V.size() / 2);
    std::nth_element(V.begin(), Mid, V.end());
    if (V.size() % 2 == 1) return *Mid;
    return (*Mid + *std::max_element(V.begin(), Mid)) / 2;
}

}  // namespace

bool FittedPixel(const TMapCalibration& Calib, const TCalQuad& Q, double& x, double& y) {
    return IsGridModel(Calib.CalibModel()) ? Calib.CalcPixelCoordsGridFrac(Q.Latitude, Q.Longitude, x, y)
                                           : Calib.CalcPixelCoordsFrac(Q.Latitude, Q.Longitude, x, y);
}

std::vector<TPointReview> ReviewCalibPoints(const TMapCalibration& Calib) {
    const TCalibModel Model = Calib.CalibModel();
    const int Least = MinimumCalibPoints(Model, Calib.ProjOrder());
    if (Least == 0) return {};
    const TCalibData& D = Calib.CalibData();
    const int N = UsedCalQuads(D);
    std::vector<TPointReview> Out(static_cast<std::size_t>(N));
    // Others that only just determine the fit match themselves exactly and
    // cannot tell which point is wrong.
    if (N - 1 <= Least) return Out;
    TMapCalibration Others;  // no repaint handler: nothing outside sees the refits
    Others.Assign(Calib);
    Others.SetMapImageSize(Calib.MapImageWidth(), Calib.MapImageHeight());
    for (int Index = 1; Index <= N; ++Index) {
        TCalibData Without = D;
        for (int i = Index; i < N; ++i) Without.CalQuads[i] = Without.CalQuads[i + 1];
        --Without.NumCalQuads;
        Others.SetCalibData(Without);
        Others.RecalcCalibration();
        TPointReview& R = Out[static_cast<std::size_t>(Index - 1)];
        std::vector<double> Rest;
        for (int i = 1; i <= N - 1; ++i) {
            const double r = Residual(Others, Without.CalQuads[i]);
            if (!std::isnan(r)) Rest.push_back(r);
        }
        const double Left = Residual(Others, D.CalQuads[Index]);
        if (std::isnan(Left) || Rest.empty()) continue;
        R.LeftOutResidual = Left;
        R.OthersResidual = Median(std::move(Rest));
        R.Outlier = Left > OutlierMinPixels && Left > OutlierFactor * R.OthersResidual;
    }
    return Out;
}

}  // namespace zylcarto
