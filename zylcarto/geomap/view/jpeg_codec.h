#pragma once
// JPEG files for the map image, through libjpeg(-turbo) directly: it decodes
// straight into the map's pixel format, reports progress by scanline and tells
// a truncated or corrupt file from a good one.
#include <QImage>
#include <QRect>
#include <functional>
#include <memory>
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

// The size a JPEG file's header gives; raises EImageDecodeError.
QSize JpegFileSize(const std::string& FileName);

// Decodes Part of the picture scaled by 1/ScaleDenom (1, 2, 4 or 8; the scaled
// size rounds up), Part in scaled pixels; an empty Part is the whole picture.
// Rows above Part are skipped and columns beside it cropped by the decoder,
// so the cost follows the part read rather than the file. Raises as
// DecodeJpegFile, also for a Part outside the scaled picture.
QImage DecodeJpegPart(const std::string& FileName, int ScaleDenom, const QRect& Part,
                      const std::function<void(int Width, int Height)>& CheckSize, const TCodecProgress& Progress);

// A decoder kept open on a file scaled by 1/ScaleDenom (1, 2, 4 or 8) for the
// Columns columns from FirstColumn (scaled pixels; Columns 0 for all to the
// right), reading rows downwards: a later band continues where the last one
// ended instead of decoding the file from its start again, and columns beside
// the span are not decoded. Rows above the next one are still entropy-decoded
// when skipped, as the format has no index into the rows.
class TJpegRowReader {
public:
    // Raises EImageDecodeError for a file that cannot be opened or decoded.
    TJpegRowReader(const std::string& FileName, int ScaleDenom, int FirstColumn = 0, int Columns = 0);
    ~TJpegRowReader();
    TJpegRowReader(const TJpegRowReader&) = delete;
    TJpegRowReader& operator=(const TJpegRowReader&) = delete;

    // The scaled picture's size.
    QSize Size() const;
    // The span of columns read, within the scaled picture.
    int FirstColumn() const;
    int Columns() const;
    // The first row not read or skipped yet.
    int NextRow() const;
    // Gets Row's pixels of the span (Columns() of them), valid until it returns.
    using TPutRow = std::function<void(int Row, const QRgb* Pixels)>;
    // Hands rows First .. First + Count - 1 to Put in order; First must be at
    // least NextRow() and the rows within the picture. Raises EImageDecodeError,
    // after which the reader reads nothing more; the rows handed on before
    // the damage are sound.
    void ReadRows(int First, int Count, const TPutRow& Put);

    struct TState;

private:
    std::unique_ptr<TState> S;
};

// Rows of a picture being encoded, Rows of them from FirstRow, in RGB32.
using TJpegRowSource = std::function<QImage(int FirstRow, int Rows)>;

// Writes Width x Height pixels taken from Source a band at a time, so that a
// picture larger than memory can be written; raises EInOutError.
void EncodeJpegRows(int Width, int Height, const TJpegRowSource& Source, const std::string& FileName, int Quality,
                    const TCodecProgress& Progress);

// Writes Image as a baseline JPEG of the given quality (1..100); raises EInOutError.
void EncodeJpegFile(const QImage& Image, const std::string& FileName, int Quality, const TCodecProgress& Progress);

}  // namespace zylcarto
