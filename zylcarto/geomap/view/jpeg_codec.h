#pragma once
// JPEG files for the map image, through libjpeg(-turbo) directly: it decodes
// straight into the map's pixel format, reports progress by scanline and tells
// a truncated or corrupt file from a good one.
#include <QImage>
#include <functional>
#include <stdexcept>
#include <string>

namespace zylcarto {

// A file that is not a readable image; the text says why.
class EImageDecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TCodecProgress = std::function<void(int PercentDone)>;

// Decodes a JPEG file into a QImage::Format_RGB32 picture. CheckSize is called
// with the picture's size before any pixel is decoded and may raise to refuse it.
// A missing, unreadable, truncated or corrupt file raises EImageDecodeError.
QImage DecodeJpegFile(const std::string& FileName, const std::function<void(int Width, int Height)>& CheckSize,
                      const TCodecProgress& Progress);

// Writes Image as a baseline JPEG of the given quality (1..100); raises EInOutError.
void EncodeJpegFile(const QImage& Image, const std::string& FileName, int Quality, const TCodecProgress& Progress);

}  // namespace zylcarto
