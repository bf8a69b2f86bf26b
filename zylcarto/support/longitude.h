#pragma once
// Longitudes are a circle: the same meridian may be written 179, -181 or 539.
// Maps across the antimeridian are fitted, converted and tested with their
// longitudes unwrapped around the map's centre (so that they run on without a
// jump), and every longitude handed out is normalised.
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace zylcarto {

// The same meridian within -180..180; values already there are kept as they
// are (so 180 stays 180), non-finite ones are returned unchanged.
inline double NormalizeLongitude(double Long) {
    if (!(std::fabs(Long) > 180) || !std::isfinite(Long)) return Long;
    const double r = std::remainder(Long, 360.0);  // -180..180
    return r == -180 && Long > 0 ? 180.0 : r;
}

// A longitude given to the library: within a whole turn of 0 it names its
// meridian, returned within -180..180 (181 is -179); further off, or not finite,
// it is no longitude and NaN comes back.
inline double GivenLongitude(double Long) {
    return std::fabs(Long) <= 360 ? NormalizeLongitude(Long) : std::numeric_limits<double>::quiet_NaN();
}

// The same meridian within Centre - 180 .. Centre + 180, kept as it is when it
// lies there already (both edges of a whole-world map stay apart).
inline double UnwrapLongitude(double Long, double Centre) {
    const double d = Long - Centre;
    if (!(std::fabs(d) > 180) || !std::isfinite(d)) return Long;
    return Centre + std::remainder(d, 360.0);
}

// A longitude and where it lies across the image (pixel x, or any measure
// growing to the right).
struct TLongitudeAt {
    double Long = 0;
    double X = 0;
};

namespace detail {

// Sum of squared residuals of Long = a + b X over the points in a frame, and b.
template <typename Frame>
double LinearMisfit(const std::vector<TLongitudeAt>& P, const Frame& F, double& Slope) {
    double mx = 0, ml = 0;
    const auto n = static_cast<double>(P.size());
    const auto at = [&](const TLongitudeAt& p) { return F.Apply(p.Long); };
    for (const TLongitudeAt& p : P) {
        mx += p.X;
        ml += at(p);
    }
    mx /= n;
    ml /= n;
    double sxx = 0, sxl = 0, sll = 0;
    for (const TLongitudeAt& p : P) {
        const double dx = p.X - mx, dl = at(p) - ml;
        sxx += dx * dx;
        sxl += dx * dl;
        sll += dl * dl;
    }
    Slope = sxx > 0 ? sxl / sxx : 0;
    return sxx > 0 ? std::max(0.0, sll - sxl * sxl / sxx) : sll;
}

}  // namespace detail

// How a map's longitudes run on without a jump: unwrapped around Centre, or
// (Unwrap false) as written, Centre then being their middle.
struct TLongitudeFrame {
    double Centre = 0;
    bool Unwrap = false;
    // A longitude of the map in this frame.
    double Apply(double Long) const { return Unwrap ? UnwrapLongitude(Long, Centre) : Long; }
};

// The frame of a map's longitudes. The values as written are one reading; when
// they span more than half a turn though they all lie within a shorter arc (179
// and -179), that arc is the other. The reading in which longitude follows the
// image x more closely wins, and of two that follow it equally, the one in which
// it grows to the right. Two different values of one meridian (-180 and 180 at
// the two edges of a world map) keep the values as written. Centre 0, as
// written, without a finite value.
inline TLongitudeFrame LongitudeFrame(const std::vector<TLongitudeAt>& Points) {
    std::vector<TLongitudeAt> v;
    v.reserve(Points.size());
    for (const TLongitudeAt& p : Points)
        if (std::isfinite(p.Long) && std::isfinite(p.X)) v.push_back(p);
    if (v.empty()) return {};
    const auto [lo, hi] = std::minmax_element(
        v.begin(), v.end(), [](const TLongitudeAt& a, const TLongitudeAt& b) { return a.Long < b.Long; });
    const double written = hi->Long - lo->Long;
    const TLongitudeFrame asWritten{0.5 * (lo->Long + hi->Long), false};
    if (written <= 180) return asWritten;
    // Positions on the circle, 0 .. 360, in order; the largest gap between
    // neighbours (the wrap-around one included) lies outside the map.
    std::vector<double> c;
    c.reserve(v.size());
    for (const TLongitudeAt& p : v) c.push_back(p.Long - 360.0 * std::floor(p.Long / 360.0));
    std::sort(c.begin(), c.end());
    double gap = c.front() + 360.0 - c.back(), start = c.front();
    for (std::size_t i = 1; i < c.size(); ++i)
        if (c[i] - c[i - 1] > gap) {
            gap = c[i] - c[i - 1];
            start = c[i];
        }
    const double arc = 360.0 - gap;
    if (!(arc < written)) return asWritten;
    const TLongitudeFrame unwrapped{NormalizeLongitude(start + 0.5 * arc), true};
    // Unwrapping must not fold distinct values as written onto one another.
    std::vector<std::pair<double, double>> u;
    u.reserve(v.size());
    for (const TLongitudeAt& p : v) u.emplace_back(unwrapped.Apply(p.Long), p.Long);
    std::sort(u.begin(), u.end());
    for (std::size_t i = 1; i < u.size(); ++i)
        if (u[i].first == u[i - 1].first && u[i].second != u[i - 1].second) return asWritten;
    double slopeW = 0, slopeU = 0;
    const double misfitW = detail::LinearMisfit(v, asWritten, slopeW);
    const double misfitU = detail::LinearMisfit(v, unwrapped, slopeU);
    const double tie = 1e-9 * (1 + misfitW + misfitU) + 1e-12 * written * written * static_cast<double>(v.size());
    if (std::fabs(misfitW - misfitU) > tie) return misfitU < misfitW ? unwrapped : asWritten;
    return slopeU > 0 && !(slopeW > 0) ? unwrapped : asWritten;
}

}  // namespace zylcarto
