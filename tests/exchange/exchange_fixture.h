#pragma once
// Files for the exchange tests: small BMP, PNG and TIFF images and OziExplorer map texts.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "file_bytes.h"
#include "scratch_dir.h"

namespace zylcarto::test {

// A grey 24-bit BMP of Width x Height.
inline void WriteBmp(const std::string& Name, int Width, int Height) {
    const std::uint32_t row = (static_cast<std::uint32_t>(Width) * 3 + 3) / 4 * 4, data = row * Height;
    std::string b = "BM";
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto u16 = [&](std::uint16_t v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>(v >> 8);
    };
    u32(54 + data);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<std::uint32_t>(Width));
    u32(static_cast<std::uint32_t>(Height));
    u16(1);
    u16(24);
    u32(0);
    u32(data);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    b.append(data, '\x80');
    WriteFile(Name, b);
}

// The header of a PNG image of Width x Height (no pixel data: enough for a size).
inline void WritePngHeader(const std::string& Name, std::uint32_t Width, std::uint32_t Height) {
    std::string b("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
    for (std::uint32_t v : {Width, Height})
        for (int i = 3; i >= 0; --i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    b.append("\x08\x02\0\0\0\0\0\0\0", 9);
    WriteFile(Name, b);
}

// The header and first directory of a classic TIFF image of Width x Height, little-
// or big-endian, the width as SHORT and the height as LONG.
inline void WriteTiffHeader(const std::string& Name, std::uint16_t Width, std::uint32_t Height, bool BigEndian) {
    std::string b = BigEndian ? "MM" : "II";
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b += static_cast<char>((v >> (8 * (BigEndian ? n - 1 - i : i))) & 0xFF);
    };
    put(42, 2);
    put(8, 4);
    put(3, 2);                                                    // entries
    put(254, 2), put(4, 2), put(1, 4), put(0, 4);                 // NewSubfileType
    put(256, 2), put(3, 2), put(1, 4), put(Width, 2), put(0, 2);  // ImageWidth, SHORT
    put(257, 2), put(4, 2), put(1, 4), put(Height, 4);            // ImageLength, LONG
    put(0, 4);
    WriteFile(Name, b);
}

struct TOziPointSpec {
    int X, Y;
    double Lat, Long;
};

// degrees and decimal minutes with a hemisphere letter, as OziExplorer writes them
inline std::string OziAngle(double v, char Pos, char Neg) {
    char buf[64];
    const double a = v < 0 ? -v : v;
    const int d = static_cast<int>(a);
    std::snprintf(buf, sizeof buf, "%4d,%9.5f,%c", d, (a - d) * 60, v < 0 ? Neg : Pos);
    return buf;
}

// A .map text with the given points in Point01.., the rest of the 30 slots empty.
inline std::string OziMapText(const std::vector<TOziPointSpec>& Points, const std::string& Datum = "WGS 84",
                              const std::string& Version = "2.2", const std::string& Eol = "\r\n",
                              const std::string& Projection = "Latitude/Longitude",
                              const std::string& Title = "Z\xFCrich Nord") {
    std::string t = "OziExplorer Map Data File Version " + Version + Eol + Title + Eol + "C:\\Maps\\scan.bmp" + Eol +
                    "1 ,Map Code," + Eol + Datum + "," + Datum + ",   0.0000,   0.0000," + Datum + Eol + "Reserved 1" +
                    Eol + "Reserved 2" + Eol + "Magnetic Variation,,,E" + Eol + "Map Projection," + Projection +
                    ",PolyCal,No,AutoCalOnly,No,BSBUseWPX,No" + Eol;
    for (int i = 0; i < 30; ++i) {
        char head[32];
        std::snprintf(head, sizeof head, "Point%02d,xy,", i + 1);
        t += head;
        if (i < static_cast<int>(Points.size())) {
            const TOziPointSpec& p = Points[static_cast<std::size_t>(i)];
            t += std::to_string(p.X) + "," + std::to_string(p.Y) + ",in, deg," + OziAngle(p.Lat, 'N', 'S') + "," +
                 OziAngle(p.Long, 'E', 'W') + ", grid,   ,           ,           ,N" + Eol;
        } else {
            t += "     ,     ,in, deg,    ,        ,N,    ,        ,E, grid,   ,           ,           ,N" + Eol;
        }
    }
    t += "Projection Setup,,,,,,,,,," + Eol + "MM0,Yes" + Eol + "MMPNUM,4" + Eol +
         "IWH,Map Image Width/Height,400,300" + Eol;
    return t;
}

}  // namespace zylcarto::test
