#include "zylcarto/geomap/view/bmp4.h"

#include <stdexcept>
#include <string_view>
#include <vector>

#include "zylcarto/support/streams.h"

namespace zylcarto {

const std::array<TColor, 16> StandardPalette16{0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                               0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                               0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

int NearestPaletteIndex(TColor Color, const std::array<TColor, 16>& Palette) {
    const auto channel = [](TColor c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    int best = 0;
    long bestDist = -1;
    for (int i = 0; i < 16; ++i) {
        long d = 0;
        for (int shift : {0, 8, 16}) {
            const long diff = channel(Color, shift) - channel(Palette[static_cast<std::size_t>(i)], shift);
            d += diff * diff;
        }
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}

namespace {

void Put16(std::vector<std::uint8_t>& B, std::uint32_t V) {
    B.push_back(static_cast<std::uint8_t>(V));
    B.push_back(static_cast<std::uint8_t>(V >> 8));
}
void Put32(std::vector<std::uint8_t>& B, std::uint32_t V) {
    Put16(B, V & 0xFFFF);
    Put16(B, V >> 16);
}

}  // namespace

void WriteBmp4File(const std::string& FileName, int Width, int Height, std::span<const std::uint8_t> Indices,
                   const std::array<TColor, 16>& Palette) {
    if (Width <= 0 || Height <= 0 ||
        Indices.size() != static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height))
        throw std::invalid_argument("WriteBmp4File: pixel count does not match the size");
    const std::uint32_t rowBytes = ((static_cast<std::uint32_t>(Width) * 4 + 31) / 32) * 4;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(Height);
    constexpr std::uint32_t headerBytes = 14 + 40 + 16 * 4;
    constexpr std::uint32_t pixelsPerMetre = 3780;  // 96 dpi

    std::vector<std::uint8_t> b;
    b.reserve(headerBytes + imageBytes);
    b.push_back('B');
    b.push_back('M');
    Put32(b, headerBytes + imageBytes);
    Put32(b, 0);
    Put32(b, headerBytes);
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(Width));
    Put32(b, static_cast<std::uint32_t>(Height));  // positive: rows bottom-up
    Put16(b, 1);
    Put16(b, 4);
    Put32(b, 0);  // no compression
    Put32(b, imageBytes);
    Put32(b, pixelsPerMetre);
    Put32(b, pixelsPerMetre);
    Put32(b, 16);
    Put32(b, 0);
    for (TColor c : Palette) {
        b.push_back(static_cast<std::uint8_t>(c >> 16));  // blue
        b.push_back(static_cast<std::uint8_t>(c >> 8));
        b.push_back(static_cast<std::uint8_t>(c));
        b.push_back(0);
    }
    for (int y = Height - 1; y >= 0; --y) {
        const std::size_t rowStart = b.size();
        const std::uint8_t* row = Indices.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
        for (int x = 0; x < Width; x += 2) {
            const std::uint8_t hi = row[x] & 0x0F;
            const std::uint8_t lo = x + 1 < Width ? (row[x + 1] & 0x0F) : 0;
            b.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
        }
        b.resize(rowStart + rowBytes, 0);
    }

    WriteFileBytes(FileName, std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

}  // namespace zylcarto
