#include "zylcarto/geomap/view/image_scaling.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace zylcarto {

namespace {

constexpr int One = 256;  // the sum of one device pixel's weights

// The kernels below are plain loops that the compiler vectorises (at -O2 with
// the dynamic cost model this file is built with), each three times: for SSE2,
// which every x86-64 has, for AVX2 and for AVX-512 (x86-64-v4), picked at load
// time by what the processor has. Restrict: the compiler vectorises only what
// it knows cannot overlap.
#if defined(__GNUC__) && defined(__x86_64__)
#define ZYLCARTO_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define ZYLCARTO_VECTOR_CLONES
#endif

// Channel sums stay below 2^16 (255 * 256 + 128), so that two channels 16 bits
// apart share one 32-bit multiply without carrying into each other.
inline std::uint32_t Pack(std::uint32_t RB, std::uint32_t AG) { return ((RB >> 8) & 0x00FF00FFu) | (AG & 0xFF00FF00u); }
inline std::uint32_t RB(std::uint32_t p, std::uint32_t w) { return (p & 0x00FF00FFu) * w; }
inline std::uint32_t AG(std::uint32_t p, std::uint32_t w) { return ((p >> 8) & 0x00FF00FFu) * w; }
constexpr std::uint32_t Half = 0x00800080u;  // rounds both channels to nearest

// Enlarging, both pixels of a device pixel in one 8-byte load: half as many
// loads gathered from scattered places, what the step across spends most on.
ZYLCARTO_VECTOR_CLONES
void Across2(const std::uint32_t* __restrict In, const int* __restrict I0, const std::uint16_t* __restrict W0,
             const std::uint16_t* __restrict W1, int Count, std::uint32_t* __restrict Out) {
    for (int k = 0; k < Count; ++k) {
        std::uint64_t Pair;
        std::memcpy(&Pair, In + I0[k], sizeof Pair);
        const std::uint32_t a = std::uint32_t(Pair), b = std::uint32_t(Pair >> 32), wa = W0[k], wb = W1[k];
        Out[k] = Pack(Half + RB(a, wa) + RB(b, wb), Half + AG(a, wa) + AG(b, wb));
    }
}

ZYLCARTO_VECTOR_CLONES
void Across3(const std::uint32_t* __restrict In, const int* __restrict I0, const int* __restrict I1,
             const int* __restrict I2, const std::uint16_t* __restrict W0, const std::uint16_t* __restrict W1,
             const std::uint16_t* __restrict W2, int Count, std::uint32_t* __restrict Out) {
    for (int k = 0; k < Count; ++k) {
        const std::uint32_t a = In[I0[k]], b = In[I1[k]], c = In[I2[k]], wa = W0[k], wb = W1[k], wc = W2[k];
        Out[k] = Pack(Half + RB(a, wa) + RB(b, wb) + RB(c, wc), Half + AG(a, wa) + AG(b, wb) + AG(c, wc));
    }
}

// One row of device pixels from one row of source pixels.
void Across(const std::uint8_t* Line, const TScaleTaps& X, std::uint8_t* Target) {
    const auto* In = reinterpret_cast<const std::uint32_t*>(Line);
    auto* Out = reinterpret_cast<std::uint32_t*>(Target);
    const int n = X.Count;
    const int* I = X.Index.data();
    const std::uint16_t* W = X.Weight.data();
    if (X.Adjacent) return Across2(In, I, W, W + n, n, Out);
    if (X.Taps == 3) return Across3(In, I, I + n, I + 2 * n, W, W + n, W + 2 * n, n, Out);
    for (int k = 0; k < n; ++k) {  // a rare wide reduction (the coarsest level only)
        std::uint32_t Sums[2] = {Half, Half};
        for (int t = 0; t < X.Taps; ++t) {
            const std::uint32_t p = In[I[t * n + k]], w = W[t * n + k];
            Sums[0] += RB(p, w);
            Sums[1] += AG(p, w);
        }
        Out[k] = Pack(Sums[0], Sums[1]);
    }
}

ZYLCARTO_VECTOR_CLONES
void Blend2(const std::uint8_t* __restrict A, std::uint16_t Wa, const std::uint8_t* __restrict B, std::uint16_t Wb,
            std::size_t Bytes, std::uint8_t* __restrict Out) {
    for (std::size_t i = 0; i < Bytes; ++i) Out[i] = std::uint8_t(std::uint16_t(One / 2 + A[i] * Wa + B[i] * Wb) >> 8);
}

ZYLCARTO_VECTOR_CLONES
void Blend3(const std::uint8_t* __restrict A, std::uint16_t Wa, const std::uint8_t* __restrict B, std::uint16_t Wb,
            const std::uint8_t* __restrict C, std::uint16_t Wc, std::size_t Bytes, std::uint8_t* __restrict Out) {
    for (std::size_t i = 0; i < Bytes; ++i)
        Out[i] = std::uint8_t(std::uint16_t(One / 2 + A[i] * Wa + B[i] * Wb + C[i] * Wc) >> 8);
}

// One row of device pixels from the rows of Taps, weighted as device row v of Y.
void Down(const std::uint8_t* const* Rows, const TScaleTaps& Y, int v, std::size_t Bytes, std::uint8_t* Out) {
    const int n = Y.Count;
    const std::uint16_t* W = &Y.Weight[std::size_t(v)];
    if (Y.Taps == 2) return Blend2(Rows[0], W[0], Rows[1], W[n], Bytes, Out);
    if (Y.Taps == 3) return Blend3(Rows[0], W[0], Rows[1], W[n], Rows[2], W[2 * n], Bytes, Out);
    std::vector<std::uint16_t> Sum(Bytes, One / 2);  // a rare wide reduction
    for (int t = 0; t < Y.Taps; ++t)
        for (std::size_t i = 0; i < Bytes; ++i) Sum[i] = std::uint16_t(Sum[i] + Rows[t][i] * W[t * n]);
    for (std::size_t i = 0; i < Bytes; ++i) Out[i] = std::uint8_t(Sum[i] >> 8);
}

// std::floor and std::lround are calls into libm without SSE4.1; a tile's
// tables need hundreds of them.
int Floor(double x) {
    const int i = int(x);
    return i - (x < i);
}

}  // namespace

TScaleTaps ScaleTaps(int First, int Count, double Phase, double Scale, int Origin, int Size) {
    TScaleTaps T;
    // A reduction's box is 1 / Scale source pixels wide and so touches at most one more.
    T.Taps = Scale >= 1 ? 2 : int(std::ceil(1 / Scale)) + 1;
    const std::size_t N = std::size_t(T.Taps), n = std::size_t(std::max(0, Count));
    T.Count = int(n);
    T.Adjacent = T.Taps == 2 && Size >= 2;
    T.Index.resize(n * N);
    T.Weight.resize(n * N);
    if (Scale >= 1) {  // bilinear: tap 0 and the pixel after it
        for (std::size_t k = 0; k < n; ++k) {
            const double u = double(First) + double(k) + Phase;
            // At exactly 1, the pixel under the centre, sharp, as Qt draws a moved image.
            const double Centre = Scale == 1 ? Floor(u + 0.5) : (u + 0.5) / Scale - 0.5;
            const int Start = Floor(Centre);
            int Tap = Start - Origin, Then = int((Centre - Start) * One + 0.5);  // tap 0, and the weight of tap 1
            if (T.Adjacent && Tap < 0) {  // both taps on the first pixel: the pair starting there
                Tap = 0;
                Then = 0;
            } else if (T.Adjacent && Tap > Size - 2) {  // ...or on the last: the pair ending there
                Tap = Size - 2;
                Then = One;
            }
            T.Index[k] = std::clamp(Tap, 0, Size - 1);
            T.Index[n + k] = std::clamp(Tap + 1, 0, Size - 1);
            T.Weight[k] = std::uint16_t(One - Then);
            T.Weight[n + k] = std::uint16_t(Then);
        }
        return T;
    }
    std::vector<double> Share(N);
    for (std::size_t k = 0; k < n; ++k) {  // the area average of the box a device pixel covers
        const double u = double(First) + double(k) + Phase, Lo = u / Scale, Hi = (u + 1) / Scale;
        const int Start = Floor(Lo);
        for (std::size_t t = 0; t < N; ++t)
            Share[t] = std::max(0.0, std::min(Hi, Start + double(t) + 1) - std::max(Lo, Start + double(t))) * Scale;
        int Sum = 0;
        std::size_t Largest = 0;
        for (std::size_t t = 0; t < N; ++t) {
            T.Index[t * n + k] = std::clamp(Start + int(t) - Origin, 0, Size - 1);
            const int w = int(Share[t] * One + 0.5);
            T.Weight[t * n + k] = std::uint16_t(w);
            Sum += w;
            if (w > T.Weight[Largest * n + k]) Largest = t;
        }
        // Rounding errors go to the largest share, where they weigh least.
        T.Weight[Largest * n + k] = std::uint16_t(T.Weight[Largest * n + k] + One - Sum);
    }
    return T;
}

void SmoothScale(const QImage& Source, QPoint Origin, double Scale, QPointF Phase, const QRect& Rect, QImage& Target) {
    if (Rect.isEmpty() || Source.isNull()) return;
    const TScaleTaps X = ScaleTaps(Rect.left(), Rect.width(), Phase.x(), Scale, Origin.x(), Source.width());
    const TScaleTaps Y = ScaleTaps(Rect.top(), Rect.height(), Phase.y(), Scale, Origin.y(), Source.height());
    const std::size_t N = std::size_t(Y.Taps);
    const auto Tap = [&Y](int v, std::size_t t) { return Y.Index[t * std::size_t(Y.Count) + std::size_t(v)]; };
    std::vector<const std::uint8_t*> Rows(N);
    if (Scale < 1) {
        // Reducing, the rows are blended first, over the source's width, so that
        // the dearer step across (a gather per pixel) runs once per device pixel.
        const std::size_t Bytes = 4 * std::size_t(Source.width());
        std::vector<std::uint8_t> Blended(Bytes);
        for (int v = 0; v < Rect.height(); ++v) {
            for (std::size_t t = 0; t < N; ++t) Rows[t] = Source.constScanLine(Tap(v, t));
            Down(Rows.data(), Y, v, Bytes, Blended.data());
            Across(Blended.data(), X, Target.scanLine(v));
        }
        return;
    }
    // Enlarging, each source row is scaled across once, when the first device
    // row needs it, into the slot of its row number modulo the tap count: a
    // device row's taps are consecutive rows, so they never share a slot.
    const std::size_t Bytes = 4 * std::size_t(Rect.width());
    std::vector<std::uint8_t> Scaled(N * Bytes);
    std::vector<int> Holds(N, -1);
    for (int v = 0; v < Rect.height(); ++v) {
        for (std::size_t t = 0; t < N; ++t) {
            const int Row = Tap(v, t);
            const std::size_t Slot = std::size_t(Row) % N;
            std::uint8_t* Line = &Scaled[Slot * Bytes];
            if (Holds[Slot] != Row) {
                Across(Source.constScanLine(Row), X, Line);
                Holds[Slot] = Row;
            }
            Rows[t] = Line;
        }
        Down(Rows.data(), Y, v, Bytes, Target.scanLine(v));
    }
}

}  // namespace zylcarto
