#include "zylcarto/geomap/view/crs_grid.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "zylcarto/support/numeric.h"

namespace zylcarto {

bool CrsGridRange(const TMapCalibration& Calib, const TCRSConverter& Crs, double Left, double Top, double Right,
                  double Bottom, TCrsGridRange& Range) {
    // As for the UTM grid, the limits lie on the border for any map a grid suits.
    constexpr int PointsPerSide = 16;
    std::vector<double> X, Y;
    for (int k = 0; k <= PointsPerSide; ++k) {
        const double f = double(k) / PointsPerSide;
        const double PX = Left + f * (Right - Left), PY = Top + f * (Bottom - Top);
        X.insert(X.end(), {PX, PX, Left, Right});
        Y.insert(Y.end(), {Top, Bottom, PY, PY});
    }
    std::vector<std::uint8_t> Valid(X.size()), InCrs(X.size());
    Calib.CalcPositionsFrac(X, Y, Valid);  // X becomes latitude, Y longitude
    for (std::size_t i = 0; i < X.size(); ++i)
        if (!Valid[i]) X[i] = Y[i] = std::nan("");
    Crs.FromWGS84(X, Y, InCrs);  // then northing and easting
    bool Any = false;
    for (std::size_t i = 0; i < X.size(); ++i) {
        const double E = Y[i], N = X[i];
        if (!InCrs[i]) continue;
        if (!Any) Range = {E, E, N, N};
        Range = {std::min(Range.EastMin, E), std::max(Range.EastMax, E), std::min(Range.NorthMin, N),
                 std::max(Range.NorthMax, N)};
        Any = true;
    }
    return Any;
}

double CrsGridStep(double Extent) {
    if (!std::isfinite(Extent) || Extent <= 0) return 0;
    return Round125(Extent / 10);
}

std::string CrsGridLabel(double Value, double Step) {
    const int Decimals = Step >= 1 ? 0 : std::clamp(int(std::ceil(-std::log10(Step) - 1e-9)), 0, 12);
    const double Shown = std::abs(Value) < Step / 2 ? 0.0 : Value;  // no "-0"
    char Text[64];
    std::snprintf(Text, sizeof Text, "%.*f", Decimals, Shown);
    return Text;
}

TCrsGridPixels CrsGridLinePixels(const TMapCalibration& Calib, const TCRSConverter& Crs, const TCrsGridRange& Range,
                                 const std::vector<double>& Northings, const std::vector<double>& Eastings,
                                 int Points) {
    Points = std::max(Points, 2);
    TCrsGridPixels P;
    const std::size_t n = (Northings.size() + Eastings.size()) * std::size_t(Points);
    // East and north first, converted in place to longitude and latitude.
    std::vector<double> E, N;
    E.reserve(n);
    N.reserve(n);
    for (const double v : Northings)
        for (int k = 0; k < Points; ++k) {
            E.push_back(Range.EastMin + double(k) / (Points - 1) * (Range.EastMax - Range.EastMin));
            N.push_back(v);
        }
    for (const double v : Eastings)
        for (int k = 0; k < Points; ++k) {
            E.push_back(v);
            N.push_back(Range.NorthMin + double(k) / (Points - 1) * (Range.NorthMax - Range.NorthMin));
        }
    std::vector<std::uint8_t> Geo(n);
    Crs.ToWGS84(N, E, Geo);
    for (std::size_t i = 0; i < n; ++i)
        if (!Geo[i]) E[i] = N[i] = std::nan("");
    P.Valid.resize(n);
    Calib.CalcPixelCoordsFrac(std::span<double>(N), std::span<double>(E), P.Valid);
    P.X = std::move(N);
    P.Y = std::move(E);
    return P;
}

}  // namespace zylcarto
