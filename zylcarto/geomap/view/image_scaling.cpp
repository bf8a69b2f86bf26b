#include "zylcarto/geomap/view/image_scaling.h"

#include <algorithm>
#include <cmath>

namespace zylcarto {

namespace {

constexpr int One = 256;  // the sum of one device pixel's weights

// Channel sums stay below 2^16 (255 * 256 + 128), so that two channels 16
// bits apart share one 32-bit multiply without carrying into each other.
// Fixed is the tap count when known at compile time (the loops unroll), 0 when not.
template <int Fixed>
void ScaleRow(const std::uint32_t* In, const TScaleTaps& X, std::uint32_t* Out) {
    const int N = Fixed ? Fixed : X.Taps;
    const int* Index = X.Index.data();
    const std::uint16_t* Weight = X.Weight.data();
    const std::size_t Count = X.Index.size() / std::size_t(N);
    for (std::size_t k = 0; k < Count; ++k, Index += N, Weight += N) {
        std::uint32_t RB = 0x00800080u, AG = 0x00800080u;
#pragma GCC unroll 4
        for (int t = 0; t < N; ++t) {
            const std::uint32_t p = In[Index[t]];
            RB += (p & 0x00FF00FFu) * Weight[t];
            AG += ((p >> 8) & 0x00FF00FFu) * Weight[t];
        }
        Out[k] = ((RB >> 8) & 0x00FF00FFu) | (AG & 0xFF00FF00u);
    }
}

void ScaleRow(const std::uint32_t* In, const TScaleTaps& X, std::uint32_t* Out) {
    switch (X.Taps) {
    case 2: return ScaleRow<2>(In, X, Out);
    case 3: return ScaleRow<3>(In, X, Out);
    default: return ScaleRow<0>(In, X, Out);
    }
}

// Sixteen bytes at a time, a count the compiler sees, so that at -O2 (which
// vectorises only what needs no scalar remainder) each block becomes 16-byte
// vectors; the last bytes of a row one at a time. Rows apart (restrict): the
// compiler vectorises only what it knows cannot overlap.
void Blend(const std::uint8_t* __restrict A, std::uint16_t Wa, const std::uint8_t* __restrict B, std::uint16_t Wb,
           std::size_t Bytes, std::uint8_t* __restrict Out) {
    std::size_t i = 0;
    for (; i + 16 <= Bytes; i += 16)
        for (std::size_t j = i; j < i + 16; ++j)
            Out[j] = std::uint8_t(std::uint16_t(One / 2 + A[j] * Wa + B[j] * Wb) >> 8);
    for (; i < Bytes; ++i) Out[i] = std::uint8_t(std::uint16_t(One / 2 + A[i] * Wa + B[i] * Wb) >> 8);
}

void Blend(const std::uint8_t* __restrict A, std::uint16_t Wa, const std::uint8_t* __restrict B, std::uint16_t Wb,
           const std::uint8_t* __restrict C, std::uint16_t Wc, std::size_t Bytes, std::uint8_t* __restrict Out) {
    std::size_t i = 0;
    for (; i + 16 <= Bytes; i += 16)
        for (std::size_t j = i; j < i + 16; ++j)
            Out[j] = std::uint8_t(std::uint16_t(One / 2 + A[j] * Wa + B[j] * Wb + C[j] * Wc) >> 8);
    for (; i < Bytes; ++i) Out[i] = std::uint8_t(std::uint16_t(One / 2 + A[i] * Wa + B[i] * Wb + C[i] * Wc) >> 8);
}

void BlendRows(const std::uint8_t* const* Rows, const std::uint16_t* Weight, int Taps, std::size_t Bytes,
               std::uint8_t* Out) {
    if (Taps == 2) return Blend(Rows[0], Weight[0], Rows[1], Weight[1], Bytes, Out);
    if (Taps == 3) return Blend(Rows[0], Weight[0], Rows[1], Weight[1], Rows[2], Weight[2], Bytes, Out);
    // A rare wide reduction (the coarsest level only): one row at a time.
    std::vector<std::uint16_t> Sum(Bytes, One / 2);
    for (int t = 0; t < Taps; ++t)
        for (std::size_t i = 0; i < Bytes; ++i) Sum[i] = std::uint16_t(Sum[i] + Rows[t][i] * Weight[t]);
    for (std::size_t i = 0; i < Bytes; ++i) Out[i] = std::uint8_t(Sum[i] >> 8);
}

}  // namespace

TScaleTaps ScaleTaps(int First, int Count, double Phase, double Scale, int Origin, int Size) {
    TScaleTaps T;
    // A reduction's box is 1 / Scale source pixels wide and so touches at most one more.
    T.Taps = Scale >= 1 ? 2 : int(std::ceil(1 / Scale)) + 1;
    const std::size_t N = std::size_t(T.Taps);
    T.Index.resize(std::size_t(std::max(0, Count)) * N);
    T.Weight.resize(T.Index.size());
    std::vector<double> Share(N);
    for (int k = 0; k < Count; ++k) {
        const double u = double(First) + k + Phase;
        double Start;      // the source pixel of the first tap
        if (Scale == 1) {  // the pixel under the centre, sharp, as Qt draws a moved image
            Start = std::floor(u + 0.5);
            Share = {1, 0};
        } else if (Scale > 1) {
            const double Centre = (u + 0.5) / Scale - 0.5;
            Start = std::floor(Centre);
            Share = {1 - (Centre - Start), Centre - Start};
        } else {
            const double Lo = u / Scale, Hi = (u + 1) / Scale;
            Start = std::floor(Lo);
            for (std::size_t t = 0; t < N; ++t)
                Share[t] = std::max(0.0, std::min(Hi, Start + double(t) + 1) - std::max(Lo, Start + double(t))) * Scale;
        }
        std::uint16_t* W = &T.Weight[std::size_t(k) * N];
        int Sum = 0;
        for (std::size_t t = 0; t < N; ++t) {
            T.Index[std::size_t(k) * N + t] = int(std::clamp(Start + double(t) - Origin, 0.0, double(Size - 1)));
            W[t] = std::uint16_t(std::lround(Share[t] * One));
            Sum += W[t];
        }
        // Rounding errors go to the largest share, where they weigh least.
        *std::max_element(W, W + N) += std::uint16_t(One - Sum);
    }
    return T;
}

void SmoothScale(const QImage& Source, QPoint Origin, double Scale, QPointF Phase, const QRect& Rect, QImage& Target) {
    if (Rect.isEmpty() || Source.isNull()) return;
    const TScaleTaps X = ScaleTaps(Rect.left(), Rect.width(), Phase.x(), Scale, Origin.x(), Source.width());
    const TScaleTaps Y = ScaleTaps(Rect.top(), Rect.height(), Phase.y(), Scale, Origin.y(), Source.height());
    const int N = Y.Taps;
    std::vector<const std::uint8_t*> Rows(std::size_t(N), nullptr);
    const auto Taps = [&](int v) {
        for (int t = 0; t < N; ++t) Rows[std::size_t(t)] = Source.constScanLine(Y.Index[std::size_t(v * N + t)]);
        return &Y.Weight[std::size_t(v * N)];
    };
    const auto Pixels = [](const std::uint8_t* Line) { return reinterpret_cast<const std::uint32_t*>(Line); };
    if (Scale < 1) {
        // Reducing, the rows are blended first, over the source's width, so that
        // the dearer step across (a gather per pixel) runs once per device pixel.
        const std::size_t Bytes = 4 * std::size_t(Source.width());
        std::vector<std::uint8_t> Down(Bytes);
        for (int v = 0; v < Rect.height(); ++v) {
            BlendRows(Rows.data(), Taps(v), N, Bytes, Down.data());
            ScaleRow(Pixels(Down.data()), X, reinterpret_cast<std::uint32_t*>(Target.scanLine(v)));
        }
        return;
    }
    // Enlarging, each source row is scaled across once, when the first device
    // row needs it, into the slot of its row number modulo the tap count: a
    // device row's taps are consecutive rows, so they never share a slot.
    const std::size_t Bytes = 4 * std::size_t(Rect.width());
    std::vector<std::uint8_t> Across(std::size_t(N) * Bytes);
    std::vector<int> Holds(std::size_t(N), -1);
    for (int v = 0; v < Rect.height(); ++v) {
        const std::uint16_t* Weight = Taps(v);
        for (int t = 0; t < N; ++t) {
            const int Row = Y.Index[std::size_t(v * N + t)];
            const std::size_t Slot = std::size_t(Row % N);
            std::uint8_t* Line = &Across[Slot * Bytes];
            if (Holds[Slot] != Row) {
                ScaleRow(Pixels(Rows[std::size_t(t)]), X, reinterpret_cast<std::uint32_t*>(Line));
                Holds[Slot] = Row;
            }
            Rows[std::size_t(t)] = Line;
        }
        BlendRows(Rows.data(), Weight, N, Bytes, Target.scanLine(v));
    }
}

}  // namespace zylcarto
