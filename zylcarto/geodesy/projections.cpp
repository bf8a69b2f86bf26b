#include "zylcarto/geodesy/projections.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>

#include "zylcarto/geodesy/tm_series.h"
#include "zylcarto/support/mathhooks.h"
#include "zylcarto/support/numeric.h"

namespace zylcarto {
namespace {

using tmseries::RadToDeg;

using tmseries::UTMFalseNorthingSouth;
constexpr double UPSScale = 0.994;
constexpr double UPSFalseOrigin = 2000000.0;

// Everything the series need that depends on the ellipsoid alone, computed once:
// a projection then costs only the trigonometry of the point.
struct TEllipsoidSeries {
    double a, b;
    double e2, e;                            // first eccentricity squared and its root
    double alpha;                            // meridian arc scale
    double beta, gamma, delta, epsilon;      // meridian arc series
    double betaI, gammaI, deltaI, epsilonI;  // its inverse
    double upsDenominator;                   // sqrt(1 - e^2) * exp(e * artanh e)
    tmseries::TEllipsoid tm;                 // the Transverse Mercator series
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
    s.tm = tmseries::MakeEllipsoid(ax.a, (ax.a - ax.b) / ax.a);
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

using tmseries::NaN;
using tmseries::WrapRadians;

// Unscaled grid metres of phi and l = longitude - central meridian, radians.
bool ProjectTM(const tmseries::TEllipsoid& s, double phi, double l, double& x, double& y) {
    double xi = 0, eta = 0;
    if (!tmseries::Forward(s, phi, WrapRadians(l), xi, eta)) {
        x = y = NaN;
        return false;
    }
    x = s.A * eta;
    y = s.A * xi;
    return true;
}

// The inverse: phi and l, the longitude from the central meridian, in radians.
bool UnprojectTM(const tmseries::TEllipsoid& s, double x, double y, double& phi, double& l) {
    if (!tmseries::Inverse(s, y / s.A, x / s.A, phi, l)) {
        phi = l = NaN;
        return false;
    }
    return true;
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

bool LatLongToTM(double Phi, double Lambda, double Lambda0, TGeoEllipsoid E, double& X, double& Y) {
    return ProjectTM(Series(E).tm, Phi, Lambda - Lambda0, X, Y);
}

bool TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid E, double& Phi, double& Lambda) {
    double l = 0;
    const bool ok = UnprojectTM(Series(E).tm, X, Y, Phi, l);
    Lambda = WrapRadians(Lambda0 + l);
    return ok;
}

void GeoToUTMZone(double Lat, double Long, int& Zone, char& Letter) {
    Zone = 0;
    Letter = ' ';
    // Written so that NaN fails too.
    if (!(Lat >= -80.0 && Lat <= 84.0 && Long >= -180.0 && Long <= 180.0)) return;
    if (Long == 180.0) Long = -180.0;  // one meridian
    // The arguments of the conversions to int below are not negative: they truncate
    // as floor would, without its call, which shows in large batches.
    int k = static_cast<int>(Lat + 80.0) / 8;
    if (k >= 6) ++k;   // no band I
    if (k >= 12) ++k;  // no band O
    if (k > 21) k = 21;
    Letter = static_cast<char>('C' + k);
    Zone = static_cast<int>((Long + 180.0) / 6.0) + 1;
    if (Zone > 60) Zone = 60;  // Long a hair below 180 can round up to 360/6
    if (Letter == 'V' && Long >= 3.0 && Long < 12.0) Zone = 32;
    if (Letter == 'X' && Long >= 0.0 && Long < 42.0) Zone = 2 * static_cast<int>((Long + 3.0) / 12.0) + 31;
}

std::string GeoToUTMZone(double Lat, double Long) {
    int zone = 0;
    char letter = ' ';
    GeoToUTMZone(Lat, Long, zone, letter);
    if (zone == 0) return {};
    return std::to_string(zone) + letter;
}

bool LatLongToUTM(double Lat, double Long, TGeoEllipsoid E, int& Zone, double& Easting, double& Northing) {
    char letter = ' ';
    GeoToUTMZone(Lat, Long, Zone, letter);
    const bool ok = tmseries::UTMForward(Series(E).tm, Lat, Long, Zone, Easting, Northing);
    if (Northing < 0.0) Northing += UTMFalseNorthingSouth;
    return ok && Zone != 0;
}

bool LatLongToUTMInZone(double Lat, double Long, int Zone, bool South, TGeoEllipsoid E, double& Easting,
                        double& Northing) {
    const bool ok = tmseries::UTMForward(Series(E).tm, Lat, Long, Zone, Easting, Northing);
    if (South) Northing += UTMFalseNorthingSouth;
    return ok;
}

bool LatLongToUTMForced(double Lat, double Long, int Zone, TGeoEllipsoid E, double& Easting, double& Northing) {
    return tmseries::UTMForcedForward(Series(E).tm, Lat, Long, Zone, Easting, Northing);
}

bool UTMToLatLong(double Easting, double Northing, int Zone, bool South, TGeoEllipsoid E, double& Lat, double& Long) {
    return tmseries::UTMInverse(Series(E).tm, Easting, Northing, Zone, South, Lat, Long);
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

TTransverseMercator TransverseMercatorOn(TGeoEllipsoid E) {
    TTransverseMercator p;
    p.SemiMajor = EllipsoidAxes(E).a;
    p.RecipFlattening = RecipFlattening(E);
    return p;
}

bool IsValidTransverseMercator(const TTransverseMercator& P) {
    const auto finite = [](double v) { return std::isfinite(v); };
    return finite(P.SemiMajor) && P.SemiMajor > 0 &&
           (P.RecipFlattening == 0 || (finite(P.RecipFlattening) && P.RecipFlattening >= TMMinRecipFlattening)) &&
           P.CentralMeridian >= -180 && P.CentralMeridian <= 180 && P.OriginLatitude >= -90 && P.OriginLatitude <= 90 &&
           finite(P.Scale) && P.Scale > 0 && finite(P.FalseEasting) && finite(P.FalseNorthing);
}

namespace tmseries {

const TEllipsoid& OfEllipsoid(TGeoEllipsoid E) { return Series(E).tm; }

TPrepared Prepare(const TTransverseMercator& P) {
    TPrepared t;
    t.Valid = IsValidTransverseMercator(P);
    if (!t.Valid) return t;
    t.S = MakeEllipsoid(P.SemiMajor, P.RecipFlattening == 0 ? 0.0 : 1 / P.RecipFlattening);
    t.Lon0 = P.CentralMeridian;
    t.KA = P.Scale * t.S.A;
    double xi0 = 0, eta0 = 0;
    Forward(t.S, P.OriginLatitude * DegToRad, 0.0, xi0, eta0);
    t.X0 = P.FalseEasting;
    t.Y0 = P.FalseNorthing - t.KA * xi0;
    return t;
}

}  // namespace tmseries

bool GeoToTM(const TTransverseMercator& P, double Lat, double Long, double& Easting, double& Northing) {
    return tmseries::GeoToGrid(tmseries::Prepare(P), Lat, Long, Easting, Northing);
}

bool TMToGeo(const TTransverseMercator& P, double Easting, double Northing, double& Lat, double& Long) {
    return tmseries::GridToGeo(tmseries::Prepare(P), Easting, Northing, Lat, Long);
}

}  // namespace zylcarto
