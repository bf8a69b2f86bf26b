#include "zylcarto/geomap/view/bmp_check.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace zylcarto {

namespace {

constexpr std::uint32_t BiRGB = 0, BiRLE8 = 1, BiRLE4 = 2, BiBitFields = 3;

std::uint32_t LittleEndian(const unsigned char* P, int Bytes) {
    std::uint32_t v = 0;
    for (int i = Bytes - 1; i >= 0; --i) v = v << 8 | P[i];
    return v;
}

struct THeader {
    TBmpLayout Layout;
    std::uint32_t InfoSize = 0;
    std::uint64_t Offset = 0;
};

// The first 54 bytes: file header and the start of the information header.
bool ParseHeader(std::ifstream& In, THeader& H) {
    unsigned char F[54] = {};
    In.read(reinterpret_cast<char*>(F), sizeof F);
    const auto got = static_cast<std::size_t>(In.gcount());
    if (got < 18 || F[0] != 'B' || F[1] != 'M') return false;
    H.InfoSize = LittleEndian(&F[14], 4);
    TBmpLayout& L = H.Layout;
    if (H.InfoSize == 12) {  // the old OS/2 header: 16-bit sizes, always bottom-up and uncompressed
        if (got < 26) return false;
        L.Width = static_cast<int>(LittleEndian(&F[18], 2));
        L.Height = static_cast<int>(LittleEndian(&F[20], 2));
        L.Bits = static_cast<int>(LittleEndian(&F[24], 2));
        return L.Width > 0 && L.Height > 0;
    }
    if (H.InfoSize < 40 || got < sizeof F) return false;
    H.Offset = LittleEndian(&F[10], 4);
    const auto width = static_cast<std::int32_t>(LittleEndian(&F[18], 4));
    const auto height = static_cast<std::int32_t>(LittleEndian(&F[22], 4));
    L.Bits = static_cast<int>(LittleEndian(&F[28], 2));
    L.Compression = LittleEndian(&F[30], 4);
    // a top-down file may not be compressed; INT32_MIN has no positive height
    if (width <= 0 || height == 0 || height == INT32_MIN) return false;
    L.TopDown = height < 0;
    if (L.TopDown && L.Compression != BiRGB && L.Compression != BiBitFields) return false;
    L.Width = width;
    L.Height = L.TopDown ? -height : height;
    return true;
}

// Walks a run-length stream (RLE8, or RLE4 with two pixels a byte) from the
// reader's position, without holding the file.
bool RunLengthComplete(std::ifstream& In, const TBmpLayout& L, bool Rle4) {
    std::int64_t y = 0;
    char pair[2];
    while (In.read(pair, 2)) {
        const auto count = static_cast<unsigned char>(pair[0]), value = static_cast<unsigned char>(pair[1]);
        if (count > 0) continue;  // a run of count pixels
        if (value == 0) {         // end of a row
            if (++y >= L.Height) return true;
        } else if (value == 1) {  // end of the bitmap
            return true;
        } else if (value == 2) {  // a jump right and down
            if (!In.read(pair, 2)) return false;
            y += static_cast<unsigned char>(pair[1]);
            if (y >= L.Height) return true;
        } else {  // value literal pixels, padded to a 16-bit boundary
            const std::size_t bytes = Rle4 ? (value + 1u) / 2 : value;
            if (!In.ignore(static_cast<std::streamsize>((bytes + 1) / 2 * 2))) return false;
        }
    }
    return false;
}

}  // namespace

bool ReadBmpLayout(const std::string& FileName, TBmpLayout& Layout) {
    std::ifstream in(FileName, std::ios::binary);
    THeader h;
    if (!ParseHeader(in, h)) return false;
    Layout = h.Layout;
    return true;
}

bool BmpPixelsComplete(const std::string& FileName) {
    std::error_code ec;
    const std::uint64_t fileSize = std::filesystem::file_size(FileName, ec);
    std::ifstream in(FileName, std::ios::binary);
    THeader h;
    if (ec || !ParseHeader(in, h)) return false;
    if (h.InfoSize < 40) return true;  // OS/2 files: left to the reader
    const TBmpLayout& L = h.Layout;
    if (h.Offset > fileSize) return false;
    if (L.Compression == BiRLE8 || L.Compression == BiRLE4) {
        in.seekg(static_cast<std::streamoff>(h.Offset));
        return in && RunLengthComplete(in, L, L.Compression == BiRLE4);
    }
    if (L.Compression != BiRGB && L.Compression != BiBitFields) return true;  // left to the reader
    const std::uint64_t rowBytes =
        (static_cast<std::uint64_t>(L.Width) * static_cast<std::uint64_t>(L.Bits) + 31) / 32 * 4;
    return fileSize >= h.Offset + rowBytes * static_cast<std::uint64_t>(L.Height);
}

}  // namespace zylcarto
