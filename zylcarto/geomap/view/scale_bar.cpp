#include "zylcarto/geomap/view/scale_bar.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "zylcarto/support/numeric.h"

namespace zylcarto {

namespace {

// The sphere on which the calibration measures its resolution.
constexpr double EarthRadius = 6378000;
constexpr double MetresPerDegree = EarthRadius * DegToRad;
// Half the span, in control pixels, over which the local scale and north are measured.
constexpr double ProbeHalfSpan = 25;

std::string ShortNumber(double Value) {
    char Buf[32];
    const auto R = std::to_chars(Buf, Buf + sizeof Buf, Value);  // shortest form, no locale
    return std::string(Buf, R.ptr);
}

struct TCentre {
    double X, Y;
};

// The view's centre in fractional image pixels.
TCentre CentreOf(const TMapViewport& View) {
    return {View.TopLeft().X + View.Width() / 2.0 / View.Magnify(),
            View.TopLeft().Y + View.Height() / 2.0 / View.Magnify()};
}

}  // namespace

TScaleBar ChooseScaleBar(double MetresPerPixel, double MaxPixels) {
    const double MaxMetres = MetresPerPixel * MaxPixels;
    if (!(MetresPerPixel > 0) || !std::isfinite(MaxMetres) || !(MaxMetres > 0)) return {};
    // The slack keeps a limit that is itself a round value (1000 m) from dropping to the next lower one.
    const double Slack = 1 + 1e-9;
    const double Power = std::pow(10.0, std::floor(std::log10(MaxMetres * Slack)));
    const double Leading = MaxMetres * Slack / Power;
    const double Metres = (Leading >= 5 ? 5 : Leading >= 2 ? 2 : 1) * Power;
    return {Metres, Metres / MetresPerPixel,
            Metres >= 1000 ? ShortNumber(Metres / 1000) + " km" : ShortNumber(Metres) + " m"};
}

double MetresPerControlPixel(const TMapCalibration& Calib, const TMapViewport& View) {
    const TCentre C = CentreOf(View);
    const double h = ProbeHalfSpan / View.Magnify();
    double Lat1 = 0, Long1 = 0, Lat2 = 0, Long2 = 0;
    if (!Calib.CalcPositionFrac(C.X - h, C.Y, Lat1, Long1) || !Calib.CalcPositionFrac(C.X + h, C.Y, Lat2, Long2))
        return 0;
    const double Metres = SphereGreatCircleDist(EarthRadius, Lat1, Long1, Lat2, Long2);
    return std::isfinite(Metres) ? Metres / (2 * ProbeHalfSpan) : 0;
}

double NorthDirection(const TMapCalibration& Calib, const TMapViewport& View) {
    constexpr double Unknown = std::numeric_limits<double>::quiet_NaN();
    const TCentre C = CentreOf(View);
    const double Mpp = MetresPerControlPixel(Calib, View);
    double Lat = 0, Long = 0, X = 0, Y = 0;
    if (!(Mpp > 0) || !Calib.CalcPositionFrac(C.X, C.Y, Lat, Long)) return Unknown;
    // A step north of about the probe span; south of the centre, reversed, where it would pass the pole.
    double dLat = ProbeHalfSpan * Mpp / MetresPerDegree;
    if (Lat + dLat > 90) dLat = -dLat;
    if (!Calib.CalcPixelCoordsFrac(Lat + dLat, Long, X, Y)) return Unknown;
    double dx = X - C.X, dy = Y - C.Y;
    if (dLat < 0) dx = -dx, dy = -dy;
    if (dx == 0 && dy == 0) return Unknown;
    return std::atan2(dx, -dy) / DegToRad;
}

}  // namespace zylcarto
