#pragma once
// Sine and cosine, arc tangent, logarithm and exponential written without branches,
// table look-ups or library calls, so that the batch loops vectorise: the C
// library's vector functions are only used under -ffast-math. The kernels are
// fdlibm's (Sun Microsystems, 1993, as kept by FreeBSD and musl), within about one
// unit in the last place over the arguments the conversions give them; the batch
// tests hold them to the per-point functions, which call the C library. Internal.
//
// The polynomial coefficients come from fdlibm, under this notice:
// Copyright (C) 1993 by Sun Microsystems, Inc. All rights reserved.
// Developed at SunPro, a Sun Microsystems, Inc. business.
// Permission to use, copy, modify, and distribute this software is freely granted,
// provided that this notice is preserved.
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

// A vector loop must see every call of its body inlined.
#if defined(__GNUC__)
#define ZYLCARTO_FORCE_INLINE [[gnu::always_inline]] inline
#else
#define ZYLCARTO_FORCE_INLINE inline
#endif

namespace zylcarto::simdmath {

// Adding and taking away 1.5 * 2^52 rounds to the nearest integer for |x| < 2^51
// and leaves that integer in the low bits of the sum.
inline constexpr double RoundShift = 0x1.8p52;

ZYLCARTO_FORCE_INLINE double CopySign(double Magnitude, double Sign) {
    constexpr std::uint64_t SignBit = 0x8000000000000000;
    return std::bit_cast<double>((std::bit_cast<std::uint64_t>(Magnitude) & ~SignBit) |
                                 (std::bit_cast<std::uint64_t>(Sign) & SignBit));
}

// sin and cos of x; accurate for |x| below 2^20 pi / 2, which covers any angle in radians.
ZYLCARTO_FORCE_INLINE void SinCos(double x, double& Sin, double& Cos) {
    // pi/2 in three parts, the first two of 33 bits so that k times them is exact.
    constexpr double Pio2_1 = 1.57079632673412561417e+00, Pio2_2 = 6.07710050630396597660e-11,
                     Pio2_2t = 2.02226624879595063154e-21;
    constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                     S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                     S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
    constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03, C3 = 2.48015872894767294178e-05,
                     C4 = -2.75573143513906633035e-07, C5 = 2.08757232129817482790e-09,
                     C6 = -1.13596475577881948265e-11;
    const double shifted = x * (2 / std::numbers::pi) + RoundShift;
    const double k = shifted - RoundShift;
    const std::uint64_t quadrant = std::bit_cast<std::uint64_t>(shifted);
    const double r = ((x - k * Pio2_1) - k * Pio2_2) - k * Pio2_2t;  // within pi/4
    const double z = r * r;
    const double s = r + z * r * (S1 + z * (S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)))));
    const double p = z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    const double hz = 0.5 * z, w = 1.0 - hz;
    const double c = w + (((1.0 - w) - hz) + z * p);
    // Quadrant k: sin is s, c, -s, -c and cos c, -s, -c, s.
    const bool odd = (quadrant & 1) != 0;
    const std::uint64_t sinSign = (quadrant & 2) << 62, cosSign = ((quadrant + 1) & 2) << 62;
    Sin = std::bit_cast<double>(std::bit_cast<std::uint64_t>(odd ? c : s) ^ sinSign);
    Cos = std::bit_cast<double>(std::bit_cast<std::uint64_t>(odd ? s : c) ^ cosSign);
}

// atan t for 0 <= t <= 1.
ZYLCARTO_FORCE_INLINE double Atan01(double t) {
    constexpr double AtanHalfHi = 4.63647609000806093515e-01, AtanHalfLo = 2.26987774529616870924e-17;
    constexpr double AtanOneHi = 7.85398163397448278999e-01, AtanOneLo = 3.06161699786838301793e-17;
    constexpr double T0 = 3.33333333333329318027e-01, T1 = -1.99999999998764832476e-01, T2 = 1.42857142725034663711e-01,
                     T3 = -1.11111104054623557880e-01, T4 = 9.09088713343650656196e-02,
                     T5 = -7.69187620504482999495e-02, T6 = 6.66107313738753120669e-02,
                     T7 = -5.83357013379057348645e-02, T8 = 4.97687799461593236017e-02,
                     T9 = -3.65315727442169155270e-02, T10 = 1.62858201153657823623e-02;
    // Below 7/16 as it is; below 11/16 about atan 1/2; else about atan 1.
    const bool small = t < 0.4375, half = t < 0.6875;
    const double u = small ? t : half ? (2.0 * t - 1.0) / (2.0 + t) : (t - 1.0) / (t + 1.0);
    const double hi = small ? 0.0 : half ? AtanHalfHi : AtanOneHi;
    const double lo = small ? 0.0 : half ? AtanHalfLo : AtanOneLo;
    const double z = u * u, w = z * z;
    const double s1 = z * (T0 + w * (T2 + w * (T4 + w * (T6 + w * (T8 + w * T10)))));
    const double s2 = w * (T1 + w * (T3 + w * (T5 + w * (T7 + w * T9))));
    return hi - ((u * (s1 + s2) - lo) - u);
}

// atan2(y, x), the signs of zeros included; NaN when either is.
ZYLCARTO_FORCE_INLINE double Atan2(double y, double x) {
    constexpr double Pio2Hi = 1.57079632679489655800e+00, Pio2Lo = 6.12323399573676603587e-17;
    constexpr double PiHi = 3.1415926535897931160e+00, PiLo = 1.2246467991473532072e-16;
    const double ax = x < 0 ? -x : x, ay = y < 0 ? -y : y;
    const bool steep = ay > ax;
    const double big = steep ? ay : ax, little = steep ? ax : ay;
    double a = Atan01(big > 0 ? little / big : 0.0);
    a = steep ? (Pio2Hi - a) + Pio2Lo : a;
    a = std::bit_cast<std::int64_t>(x) < 0 ? (PiHi - a) + PiLo : a;
    a = CopySign(a, y);
    return x != x || y != y ? x + y : a;
}

// The natural logarithm of a positive, finite and normal x.
ZYLCARTO_FORCE_INLINE double Log(double x) {
    constexpr double Ln2Hi = 6.93147180369123816490e-01, Ln2Lo = 1.90821492927058770002e-10;
    constexpr double Lg1 = 6.666666666666735130e-01, Lg2 = 3.999999999940941908e-01, Lg3 = 2.857142874366239149e-01,
                     Lg4 = 2.222219843214978396e-01, Lg5 = 1.818357216161805012e-01, Lg6 = 1.531383769920937332e-01,
                     Lg7 = 1.479819860511658591e-01;
    // x = 2^k m with m in sqrt(2)/2 .. sqrt(2): move the bits of sqrt(2)/2 to 1 first.
    constexpr std::uint64_t Offset = std::uint64_t(0x3ff00000 - 0x3fe6a09e) << 32;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x) + Offset;
    const double k = std::bit_cast<double>((bits >> 52) | 0x4330000000000000) - (0x1p52 + 1023);
    const double m = std::bit_cast<double>((bits & 0x000fffffffffffff) + (std::uint64_t(0x3fe6a09e) << 32));
    const double f = m - 1.0, hfsq = 0.5 * f * f, s = f / (2.0 + f);
    const double z = s * s, w = z * z;
    const double R = z * (Lg1 + w * (Lg3 + w * (Lg5 + w * Lg7))) + w * (Lg2 + w * (Lg4 + w * Lg6));
    return s * (hfsq + R) + k * Ln2Lo - hfsq + f + k * Ln2Hi;
}

// asinh x, to within about 1e-16 absolute.
ZYLCARTO_FORCE_INLINE double Asinh(double x) {
    const double a = x < 0 ? -x : x;
    return CopySign(Log(a + std::sqrt(a * a + 1.0)), x);
}

// e^x for |x| below 700.
ZYLCARTO_FORCE_INLINE double Exp(double x) {
    constexpr double Ln2Hi = 6.93147180369123816490e-01, Ln2Lo = 1.90821492927058770002e-10,
                     InvLn2 = 1.44269504088896338700e+00;
    constexpr double P1 = 1.66666666666666019037e-01, P2 = -2.77777777770155933842e-03, P3 = 6.61375632143793436117e-05,
                     P4 = -1.65339022054652515390e-06, P5 = 4.13813679705723846039e-08;
    const double shifted = x * InvLn2 + RoundShift;
    const double k = shifted - RoundShift;
    const double hi = x - k * Ln2Hi, lo = k * Ln2Lo, r = hi - lo;
    const double rr = r * r;
    const double c = r - rr * (P1 + rr * (P2 + rr * (P3 + rr * (P4 + rr * P5))));
    const double y = 1.0 + ((r * c / (2.0 - c) - lo) + hi);
    const std::uint64_t scale = (std::bit_cast<std::uint64_t>(shifted) + 1023) << 52;  // 2^k
    return y * std::bit_cast<double>(scale);
}

// The functions the conversions take from a policy: the C library's point by point,
// the kernels above in the batch loops.
struct TLibraryMath {
    ZYLCARTO_FORCE_INLINE static void SinCos(double x, double& Sin, double& Cos) {
        Sin = std::sin(x);
        Cos = std::cos(x);
    }
    ZYLCARTO_FORCE_INLINE static double Atan(double x) { return std::atan(x); }
    ZYLCARTO_FORCE_INLINE static double Atan2(double y, double x) { return std::atan2(y, x); }
    ZYLCARTO_FORCE_INLINE static double Asinh(double x) { return std::asinh(x); }
    ZYLCARTO_FORCE_INLINE static double Exp(double x) { return std::exp(x); }
    // Degrees to -180..180 when beyond; values inside are kept as they are.
    ZYLCARTO_FORCE_INLINE static double WrapDegrees(double a) {
        return std::fabs(a) > 180 ? std::remainder(a, 360.0) : a;
    }
};
struct TVectorMath {
    // One turn at most, the same as above for |a| below 540, where the conversions
    // call it; beyond, only sines and cosines are taken, which do not mind the turns.
    ZYLCARTO_FORCE_INLINE static double WrapDegrees(double a) { return a > 180 ? a - 360 : a < -180 ? a + 360 : a; }
    ZYLCARTO_FORCE_INLINE static void SinCos(double x, double& Sin, double& Cos) { simdmath::SinCos(x, Sin, Cos); }
    ZYLCARTO_FORCE_INLINE static double Atan(double x) { return simdmath::Atan2(x, 1.0); }
    ZYLCARTO_FORCE_INLINE static double Atan2(double y, double x) { return simdmath::Atan2(y, x); }
    ZYLCARTO_FORCE_INLINE static double Asinh(double x) { return simdmath::Asinh(x); }
    ZYLCARTO_FORCE_INLINE static double Exp(double x) { return simdmath::Exp(x); }
};

}  // namespace zylcarto::simdmath
