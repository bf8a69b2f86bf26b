#include "zylcarto/geodesy/projections.h"

#include <array>
#include <cmath>
#include <numbers>

#include "zylcarto/support/mathhooks.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

constexpr double RadToDeg = 180.0 / std::numbers::pi;

constexpr double UTMScale = 0.9996;
constexpr double UTMFalseEasting = 500000.0;
constexpr double UTMFalseNorthingSouth = 10000000.0;
constexpr double UPSScale = 0.994;
constexpr double UPSFalseOrigin = 2000000.0;

// Everything the series need that depends on the ellipsoid alone, computed once:
// a projection then costs only the trigonometry of the point.
struct TEllipsoidSeries {
    double a, b;
    double ep2;                              // second eccentricity squared
    double e2, e;                            // first eccentricity squared and its root
    double a2OverB;                          // a^2/b, the polar radius of curvature
    double alpha;                            // meridian arc scale
    double beta, gamma, delta, epsilon;      // meridian arc series
    double betaI, gammaI, deltaI, epsilonI;  // its inverse
    double upsDenominator;                   // sqrt(1 - e^2) * exp(e * artanh e)
};

TEllipsoidSeries MakeSeries(TGeoEllipsoid E) {
    const auto& ax = EllipsoidAxes(E);
    TEllipsoidSeries s{};
    s.a = ax.a;
    s.b = ax.b;
    const double n = (ax.a - ax.b) / (ax.a + ax.b);
    const double n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n;
    s.e2 = 1.0 - (ax.b / ax.a) * (ax.b / ax.a);
    s.e = std::sqrt(std::fabs(s.e2));
    s.ep2 = (ax.a * ax.a - ax.b * ax.b) / (ax.b * ax.b);
    s.a2OverB = ax.a * ax.a / ax.b;
    s.alpha = ((ax.a + ax.b) / 2.0) * (1.0 + n2 / 4.0 + n4 / 64.0);
    s.beta = -3.0 * n / 2.0 + 9.0 * n3 / 16.0 - 3.0 * n5 / 32.0;
    s.gamma = 15.0 * n2 / 16.0 - 15.0 * n4 / 32.0;
    s.delta = -35.0 * n3 / 48.0 + 105.0 * n5 / 256.0;
    s.epsilon = 315.0 * n4 / 512.0;
    s.betaI = 3.0 * n / 2.0 - 27.0 * n3 / 32.0 + 269.0 * n5 / 512.0;
    s.gammaI = 21.0 * n2 / 16.0 - 55.0 * n4 / 32.0;
    s.deltaI = 151.0 * n3 / 96.0 - 417.0 * n5 / 128.0;
    s.epsilonI = 1097.0 * n4 / 512.0;
    s.upsDenominator = std::sqrt(1.0 - s.e2) * std::exp(s.e * std::atanh(s.e));
    return s;
}

const TEllipsoidSeries& Series(TGeoEllipsoid E) {
    static const auto table = [] {
        std::array<TEllipsoidSeries, GeoEllipsoidCount> t{};
        for (int i = 0; i < GeoEllipsoidCount; ++i) t[i] = MakeSeries(static_cast<TGeoEllipsoid>(i));
        return t;
    }();
    return table[static_cast<std::size_t>(E)];
}

// c1 + c2 sin 2x + c4 sin 4x + c6 sin 6x + c8 sin 8x from sin x and cos x: the
// multiple angles by the double-angle identities instead of four more sines.
double SineSeries(double sinX, double cosX, double c2, double c4, double c6, double c8) {
    const double s2 = 2.0 * sinX * cosX, k2 = (cosX - sinX) * (cosX + sinX);
    const double s4 = 2.0 * s2 * k2, k4 = (k2 - s2) * (k2 + s2);
    const double s6 = s4 * k2 + k4 * s2;
    const double s8 = 2.0 * s4 * k4;
    return c2 * s2 + c4 * s4 + c6 * s6 + c8 * s8;
}

double ArcLength(const TEllipsoidSeries& s, double phi, double sinPhi, double cosPhi) {
    return s.alpha * (phi + SineSeries(sinPhi, cosPhi, s.beta, s.gamma, s.delta, s.epsilon));
}

double Footpoint(const TEllipsoidSeries& s, double y) {
    const double yp = y / s.alpha;
    return yp + SineSeries(std::sin(yp), std::cos(yp), s.betaI, s.gammaI, s.deltaI, s.epsilonI);
}

void ProjectTM(const TEllipsoidSeries& s, double phi, double l, double& x, double& y) {
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double c2 = cosPhi * cosPhi;
    const double nu2 = s.ep2 * c2;
    const double N = s.a2OverB / std::sqrt(1.0 + nu2);
    const double t = sinPhi / cosPhi;
    const double t2 = t * t;
    const double l2 = l * l;

    // Horner in l^2 with the cos powers folded in: the same terms as the series.
    const double cl = cosPhi * l, cl2 = c2 * l2;
    const double x3 = (1.0 - t2 + nu2) / 6.0;
    const double x5 = (5.0 - 18.0 * t2 + t2 * t2 + 14.0 * nu2 - 58.0 * t2 * nu2) / 120.0;
    const double x7 = (61.0 - 479.0 * t2 + 179.0 * t2 * t2 - t2 * t2 * t2) / 5040.0;
    x = N * cl * (1.0 + cl2 * (x3 + cl2 * (x5 + cl2 * x7)));

    const double y2 = 0.5;
    const double y4 = (5.0 - t2 + 9.0 * nu2 + 4.0 * nu2 * nu2) / 24.0;
    const double y6 = (61.0 - 58.0 * t2 + t2 * t2 + 270.0 * nu2 - 330.0 * t2 * nu2) / 720.0;
    const double y8 = (1385.0 - 3111.0 * t2 + 543.0 * t2 * t2 - t2 * t2 * t2) / 40320.0;
    y = ArcLength(s, phi, sinPhi, cosPhi) + t * N * cl2 * (y2 + cl2 * (y4 + cl2 * (y6 + cl2 * y8)));
}

void UnprojectTM(const TEllipsoidSeries& s, double x, double y, double lambda0, double& phi, double& lambda) {
    const double pf = Footpoint(s, y);
    const double sf = std::sin(pf), cf = std::cos(pf);
    const double nf2 = s.ep2 * cf * cf;
    const double Nf = s.a2OverB / std::sqrt(1.0 + nf2);
    const double tf = sf / cf;
    const double tf2 = tf * tf, tf4 = tf2 * tf2;

    const double u = x / Nf;  // x^k / Nf^k as powers of one ratio
    const double u2 = u * u;

    const double p2 = (-1.0 - nf2) / 2.0;
    const double p4 = (5.0 + 3.0 * tf2 + 6.0 * nf2 - 6.0 * tf2 * nf2 - 3.0 * nf2 * nf2 - 9.0 * tf2 * nf2 * nf2) / 24.0;
    const double p6 = (-61.0 - 90.0 * tf2 - 45.0 * tf4 - 107.0 * nf2 + 162.0 * tf2 * nf2) / 720.0;
    const double p8 = (1385.0 + 3633.0 * tf2 + 4095.0 * tf4 + 1575.0 * tf4 * tf2) / 40320.0;
    phi = pf + tf * u2 * (p2 + u2 * (p4 + u2 * (p6 + u2 * p8)));

    const double l3 = (-1.0 - 2.0 * tf2 - nf2) / 6.0;
    const double l5 = (5.0 + 28.0 * tf2 + 24.0 * tf4 + 6.0 * nf2 + 8.0 * tf2 * nf2) / 120.0;
    const double l7 = (-61.0 - 662.0 * tf2 - 1320.0 * tf4 - 720.0 * tf4 * tf2) / 5040.0;
    lambda = lambda0 + (u / cf) * (1.0 + u2 * (l3 + u2 * (l5 + u2 * l7)));
}

}  // namespace

double ArcLengthOfMeridian(double Phi, TGeoEllipsoid E) {
    return ArcLength(Series(E), Phi, std::sin(Phi), std::cos(Phi));
}

double FootpointLatitude(TGeoEllipsoid E, double Y) { return Footpoint(Series(E), Y); }

double UTMCentralMeridian(int Zone) {
    if (Zone < 1 || Zone > 60) return 0.0;
    return (6.0 * Zone - 183.0) * DegToRad;
}

void LatLongToTM(double Phi, double Lambda, double Lambda0, TGeoEllipsoid E, double& X, double& Y) {
    ProjectTM(Series(E), Phi, Lambda - Lambda0, X, Y);
}

void TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid E, double& Phi, double& Lambda) {
    UnprojectTM(Series(E), X, Y, Lambda0, Phi, Lambda);
}

void GeoToUTMZone(double Lat, double Long, int& Zone, char& Letter) {
    Zone = 0;
    Letter = ' ';
    // Written so that NaN fails too.
    if (!(Lat >= -80.0 && Lat <= 84.0 && Long >= -180.0 && Long < 180.0)) return;
    int k = static_cast<int>(std::floor(Lat + 80.0)) / 8;
    if (k >= 6) ++k;   // no band I
    if (k >= 12) ++k;  // no band O
    if (k > 21) k = 21;
    Letter = static_cast<char>('C' + k);
    Zone = static_cast<int>(std::floor((Long + 180.0) / 6.0)) + 1;
    if (Zone > 60) Zone = 60;  // Long a hair below 180 can round up to 360/6
    if (Letter == 'V' && Long >= 3.0 && Long < 12.0) Zone = 32;
    if (Letter == 'X' && Long >= 0.0 && Long < 42.0) Zone = 2 * static_cast<int>(std::floor((Long + 3.0) / 12.0)) + 31;
}

std::string GeoToUTMZone(double Lat, double Long) {
    int zone = 0;
    char letter = ' ';
    GeoToUTMZone(Lat, Long, zone, letter);
    if (zone == 0) return {};
    return std::to_string(zone) + letter;
}

void LatLongToUTM(double Lat, double Long, TGeoEllipsoid E, int& Zone, double& Easting, double& Northing) {
    char letter = ' ';
    GeoToUTMZone(Lat, Long, Zone, letter);
    double x = 0.0, y = 0.0;
    ProjectTM(Series(E), Lat * DegToRad, Long * DegToRad - UTMCentralMeridian(Zone), x, y);
    Easting = UTMScale * x + UTMFalseEasting;
    Northing = UTMScale * y;
    if (Northing < 0.0) Northing += UTMFalseNorthingSouth;
}

void LatLongToUTMInZone(double Lat, double Long, int Zone, bool South, TGeoEllipsoid E, double& Easting,
                        double& Northing) {
    double x = 0.0, y = 0.0;
    ProjectTM(Series(E), Lat * DegToRad, Long * DegToRad - UTMCentralMeridian(Zone), x, y);
    Easting = UTMScale * x + UTMFalseEasting;
    Northing = UTMScale * y + (South ? UTMFalseNorthingSouth : 0.0);
}

void UTMToLatLong(double Easting, double Northing, int Zone, bool South, TGeoEllipsoid E, double& Lat, double& Long) {
    const double x = (Easting - UTMFalseEasting) / UTMScale;
    if (South) Northing -= UTMFalseNorthingSouth;
    const double y = Northing / UTMScale;
    double phi = 0.0, lambda = 0.0;
    UnprojectTM(Series(E), x, y, UTMCentralMeridian(Zone), phi, lambda);
    Lat = phi * RadToDeg;
    Long = lambda * RadToDeg;
}

void LatLongToUPS(double Lat, double Long, TGeoEllipsoid E, double& X, double& Y) {
    const auto& s = Series(E);
    const double c = (Lat >= 0.0 ? 90.0 - Lat : 90.0 + Lat) * DegToRad;
    const double T = 2.0 * std::tan(c / 2.0) * std::exp(s.e * std::atanh(s.e * std::cos(c)));
    const double rho = UPSScale * s.a * T / s.upsDenominator;
    if (Long >= 180.0)
        Long -= 360.0;
    else if (Long < -180.0)
        Long += 360.0;
    const double lambda = Long * DegToRad;
    // Exact zeros where sin and cos of a rounded pi or pi/2 would leave a residue.
    X = Long == -180.0 ? 0.0 : rho * std::sin(lambda);
    Y = std::fabs(Long) == 90.0 ? 0.0 : rho * std::cos(lambda);
    if (Lat >= 0.0) Y = -Y;
    X += UPSFalseOrigin;
    Y += UPSFalseOrigin;
}

void UPSToLatLong(double X, double Y, bool South, TGeoEllipsoid E, double& Lat, double& Long) {
    const auto& s = Series(E);
    const double xp = X - UPSFalseOrigin, yp = Y - UPSFalseOrigin;
    const double rho = std::sqrt(xp * xp + yp * yp);
    const double T = rho * s.upsDenominator / (UPSScale * s.a);
    const double tolerance = 0.1 * std::sqrt(static_cast<double>(uc_MinDouble));
    double c = 2.0 * std::atan(T / 2.0);
    for (int i = 0; i < 6; ++i) {
        const double cosC = std::cos(c);
        const double ex = std::exp(s.e * std::atanh(s.e * cosC));
        const double cosHalf = std::cos(c / 2.0);
        const double f = 2.0 * std::tan(c / 2.0) * ex - T;
        const double df = (1.0 - s.e2) * ex / (cosHalf * cosHalf * (1.0 - s.e2 * cosC * cosC));
        const double step = -f / df;
        c += step;
        if (std::fabs(step) < tolerance) break;
    }
    Lat = 90.0 - c * RadToDeg;
    if (South) Lat = -Lat;
    Long = (South ? -std::atan2(-xp, yp) : -std::atan2(-xp, -yp)) * RadToDeg;
}

}  // namespace zylcarto
