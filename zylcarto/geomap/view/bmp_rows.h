#pragma once
// Rows of an uncompressed BMP file read where they lie, for pictures too large
// to load whole.
#include <QImage>
#include <QSize>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace zylcarto {

class TBmpRowReader {
public:
    // Reads the headers and palette of an uncompressed 1-, 4-, 8-, 24- or 32-bit
    // Windows BMP whose rows are all in the file; raises EImageDecodeError otherwise.
    explicit TBmpRowReader(const std::string& FileName);

    QSize Size() const { return {FWidth, FHeight}; }
    // Rows First .. First + Count - 1 counted from the top, in RGB32; they must
    // lie within the picture. Raises EImageDecodeError when the file fails to read.
    QImage ReadRows(int First, int Count);

private:
    std::ifstream FIn;
    int FWidth = 0, FHeight = 0, FBits = 0;
    bool FTopDown = false;
    std::uint64_t FOffset = 0, FRowBytes = 0;
    std::vector<QRgb> FPalette;
};

}  // namespace zylcarto
