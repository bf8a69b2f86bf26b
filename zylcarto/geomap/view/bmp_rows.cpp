#include "zylcarto/geomap/view/bmp_rows.h"

#include <algorithm>

#include "zylcarto/geomap/view/bmp_check.h"
#include "zylcarto/geomap/view/jpeg_codec.h"

namespace zylcarto {

namespace {

std::uint32_t LittleEndian32(const unsigned char* P) {
    return std::uint32_t{P[0]} | std::uint32_t{P[1]} << 8 | std::uint32_t{P[2]} << 16 | std::uint32_t{P[3]} << 24;
}

[[noreturn]] void Refuse(const std::string& Why) { throw EImageDecodeError("not a readable BMP image: " + Why); }

}  // namespace

TBmpRowReader::TBmpRowReader(const std::string& FileName) : FIn(FileName, std::ios::binary) {
    TBmpLayout layout;
    if (!FIn || !ReadBmpLayout(FileName, layout)) Refuse("no valid BMP header");
    if (layout.Compression != 0) Refuse("a picture this large must be uncompressed");
    if (layout.Bits != 1 && layout.Bits != 4 && layout.Bits != 8 && layout.Bits != 24 && layout.Bits != 32)
        Refuse(std::to_string(layout.Bits) + " bits per pixel");
    if (!BmpPixelsComplete(FileName)) Refuse("its pixel data is cut off");
    unsigned char header[50] = {};
    if (!FIn.read(reinterpret_cast<char*>(header), sizeof header)) Refuse("no valid BMP header");
    const std::uint32_t infoSize = LittleEndian32(&header[14]);
    if (infoSize < 40) Refuse("an OS/2 header");
    FWidth = layout.Width;
    FHeight = layout.Height;
    FBits = layout.Bits;
    FTopDown = layout.TopDown;
    FOffset = LittleEndian32(&header[10]);
    FRowBytes = (static_cast<std::uint64_t>(FWidth) * static_cast<std::uint64_t>(FBits) + 31) / 32 * 4;
    if (FBits <= 8) {
        const std::uint32_t used = LittleEndian32(&header[46]);
        const std::uint32_t colours = used == 0 || used > (1u << FBits) ? 1u << FBits : used;
        std::vector<unsigned char> entries(std::size_t{colours} * 4);
        FIn.seekg(14 + static_cast<std::streamoff>(infoSize));
        if (!FIn.read(reinterpret_cast<char*>(entries.data()), static_cast<std::streamsize>(entries.size())))
            Refuse("its palette is cut off");
        FPalette.assign(std::size_t{1} << FBits, qRgb(0, 0, 0));
        for (std::uint32_t i = 0; i < colours; ++i)
            FPalette[i] = qRgb(entries[i * 4 + 2], entries[i * 4 + 1], entries[i * 4]);
    }
}

QImage TBmpRowReader::ReadRows(int First, int Count) {
    QImage rows(FWidth, Count, QImage::Format_RGB32);
    if (rows.isNull()) throw EImageDecodeError("not enough memory for a band of the BMP image");
    std::vector<unsigned char> line(FRowBytes);
    for (int y = 0; y < Count; ++y) {
        const std::uint64_t fileRow = FTopDown ? First + y : FHeight - 1 - (First + y);
        FIn.seekg(static_cast<std::streamoff>(FOffset + fileRow * FRowBytes));
        if (!FIn.read(reinterpret_cast<char*>(line.data()), static_cast<std::streamsize>(FRowBytes))) {
            FIn.clear();
            throw EImageDecodeError("the BMP image could not be read");
        }
        auto* out = reinterpret_cast<QRgb*>(rows.scanLine(y));
        const unsigned char* p = line.data();
        switch (FBits) {
        case 32:
        case 24: {
            const int step = FBits / 8;
            for (int x = 0; x < FWidth; ++x, p += step) out[x] = qRgb(p[2], p[1], p[0]);
            break;
        }
        default: {  // palette indexes packed from the high bits
            const int perByte = 8 / FBits, mask = (1 << FBits) - 1;
            for (int x = 0; x < FWidth; ++x) {
                const int shift = 8 - FBits * (x % perByte + 1);
                out[x] = FPalette[static_cast<std::size_t>(p[x / perByte] >> shift & mask)];
            }
        }
        }
    }
    return rows;
}

}  // namespace zylcarto
