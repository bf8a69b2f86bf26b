#include "zylcarto/exchange/image_size.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
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
    }
    if (ok) Size = s;
    return ok;
}

}  // namespace zylcarto
