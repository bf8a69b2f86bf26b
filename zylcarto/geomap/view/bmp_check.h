#pragma once
// What a BMP file's header announces, and whether its pixel data is all there:
// Qt reads a file whose pixels were cut off as a partly black picture.
#include <cstdint>
#include <string>

namespace zylcarto {

struct TBmpLayout {
    int Width = 0, Height = 0;  // Height positive also for top-down files
    bool TopDown = false;       // rows stored from the top (a negative height in the file)
    int Bits = 0;
    std::uint32_t Compression = 0;
};

// Reads the header of a BMP file (Windows or OS/2); false when the file is no
// BMP or its sizes are impossible (a top-down file may not be compressed).
bool ReadBmpLayout(const std::string& FileName, TBmpLayout& Layout);

// True when the file holds every pixel its header announces: every row of an
// uncompressed file, and a run-length stream that reaches its end-of-bitmap
// mark or its last row before the file ends. OS/2 files pass unchecked.
bool BmpPixelsComplete(const std::string& FileName);

}  // namespace zylcarto
