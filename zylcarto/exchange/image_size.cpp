#include "zylcarto/exchange/image_size.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string_view>
#include <vector>

namespace zylcarto {
namespace {

int Byte(std::ifstream& f) {
    const int c = f.get();
    return c == std::char_traits<char>::eof() ? -1 : c;
}

bool JpegSize(std::ifstream& f, TImageSize& Size) {
    // Walk the marker segments up to the first start-of-frame.
    for (;;) {
        int c = Byte(f);
        if (c != 0xFF) return false;
        while (c == 0xFF) c = Byte(f);
        if (c < 0) return false;
        if (c == 0xD8 || (c >= 0xD0 && c <= 0xD7) || c == 0x01) continue;  // no length
        const int hi = Byte(f), lo = Byte(f);
        if (hi < 0 || lo < 0) return false;
        const int len = hi * 256 + lo;
        if (len < 2) return false;
        const bool sof = c >= 0xC0 && c <= 0xCF && c != 0xC4 && c != 0xC8 && c != 0xCC;
        if (sof) {
            unsigned char b[5];
            if (!f.read(reinterpret_cast<char*>(b), 5)) return false;
            Size.Height = b[1] * 256 + b[2];
            Size.Width = b[3] * 256 + b[4];
            return Size.Width > 0 && Size.Height > 0;
        }
        if (c == 0xD9 || c == 0xDA) return false;  // end of image or scan data before any frame
        f.seekg(len - 2, std::ios::cur);
        if (!f) return false;
    }
}

bool BmpSize(std::ifstream& f, TImageSize& Size) {
    unsigned char h[26];
    if (!f.read(reinterpret_cast<char*>(h), 26)) return false;
    auto le32 = [&](int at) {
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>(h[at]) | static_cast<std::uint32_t>(h[at + 1]) << 8 |
            static_cast<std::uint32_t>(h[at + 2]) << 16 | static_cast<std::uint32_t>(h[at + 3]) << 24);
    };
    const std::int32_t headerSize = le32(14);
    if (headerSize == 12) {  // OS/2 core header: 16-bit sizes
        Size.Width = h[18] | h[19] << 8;
        Size.Height = h[20] | h[21] << 8;
    } else if (headerSize >= 40) {
        Size.Width = le32(18);
        const std::int32_t height = le32(22);
        if (height == INT32_MIN) return false;
        Size.Height = std::abs(height);  // negative: rows stored top-down
    } else {
        return false;
    }
    return Size.Width > 0 && Size.Height > 0;
}

// The IHDR chunk comes first, right after the 8-byte signature.
bool PngSize(std::ifstream& f, TImageSize& Size) {
    unsigned char h[24];
    if (!f.read(reinterpret_cast<char*>(h), 24)) return false;
    if (h[1] != 'P' || h[2] != 'N' || h[3] != 'G' || std::string_view(reinterpret_cast<char*>(h + 12), 4) != "IHDR")
        return false;
    auto be31 = [&](int at) {
        if (h[at] & 0x80) return -1;  // beyond the format's 2^31 - 1
        return static_cast<int>(static_cast<std::uint32_t>(h[at]) << 24 | static_cast<std::uint32_t>(h[at + 1]) << 16 |
                                static_cast<std::uint32_t>(h[at + 2]) << 8 | h[at + 3]);
    };
    Size.Width = be31(16);
    Size.Height = be31(20);
    return Size.Width > 0 && Size.Height > 0;
}

// Classic TIFF: the first directory's ImageWidth and ImageLength entries.
bool TiffSize(std::ifstream& f, TImageSize& Size) {
    unsigned char h[8];
    if (!f.read(reinterpret_cast<char*>(h), 8)) return false;
    const bool big = h[0] == 'M';
    auto num = [big](const unsigned char* b, int n) {
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i) v |= static_cast<std::uint32_t>(b[big ? n - 1 - i : i]) << (8 * i);
        return v;
    };
    if (num(h + 2, 2) != 42) return false;  // 43 is BigTIFF, not read
    f.seekg(num(h + 4, 4));
    unsigned char c[2];
    if (!f || !f.read(reinterpret_cast<char*>(c), 2)) return false;
    std::int64_t w = 0, l = 0;
    for (std::uint32_t n = num(c, 2); n > 0; --n) {
        unsigned char e[12];
        if (!f.read(reinterpret_cast<char*>(e), 12)) return false;
        const std::uint32_t tag = num(e, 2), type = num(e + 2, 2);
        if ((tag != 256 && tag != 257) || num(e + 4, 4) != 1) continue;
        const std::int64_t v = type == 3 ? num(e + 8, 2) : type == 4 ? num(e + 8, 4) : 0;
        (tag == 256 ? w : l) = v;
    }
    if (w < 1 || l < 1 || w > INT32_MAX || l > INT32_MAX) return false;
    Size.Width = static_cast<int>(w);
    Size.Height = static_cast<int>(l);
    return true;
}

}  // namespace

bool ReadImageSize(const std::string& FileName, TImageSize& Size) {
    std::ifstream f(FileName, std::ios::binary);
    if (!f) return false;
    const int b0 = Byte(f), b1 = Byte(f);
    TImageSize s;
    bool ok = false;
    if (b0 == 0xFF && b1 == 0xD8) {
        f.seekg(0);
        ok = JpegSize(f, s);
    } else if (b0 == 'B' && b1 == 'M') {
        f.seekg(0);
        ok = BmpSize(f, s);
    } else if (b0 == 0x89 && b1 == 'P') {
        f.seekg(0);
        ok = PngSize(f, s);
    } else if ((b0 == 'I' && b1 == 'I') || (b0 == 'M' && b1 == 'M')) {
        f.seekg(0);
        ok = TiffSize(f, s);
    }
    if (ok) Size = s;
    return ok;
}

}  // namespace zylcarto
