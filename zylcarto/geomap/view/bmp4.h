#pragma once
// A writer of 4-bit (16-colour) BMP files, which Qt cannot write itself.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "zylcarto/support/types.h"

namespace zylcarto {

// The 16 colours of the standard 4-bit palette ($00BBGGRR), black first, white last.
extern const std::array<TColor, 16> StandardPalette16;

// Index of the palette colour nearest to Color (in RGB distance).
int NearestPaletteIndex(TColor Color, const std::array<TColor, 16>& Palette);

// Writes Width x Height pixels, given as palette indexes row by row from the top,
// as an uncompressed 4-bit BMP file (bottom-up rows, 96 dpi). Raises
// std::invalid_argument for a size that does not match Indices, EInOutError on I/O failure.
void WriteBmp4File(const std::string& FileName, int Width, int Height, std::span<const std::uint8_t> Indices,
                   const std::array<TColor, 16>& Palette);

}  // namespace zylcarto
