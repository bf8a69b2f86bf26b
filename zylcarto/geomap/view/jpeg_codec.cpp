#include "zylcarto/geomap/view/jpeg_codec.h"

#include <QtEndian>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <memory>
#include <string_view>

#include <jpeglib.h>
#include <jerror.h>

#include "zylcarto/support/numeric.h"
#include "zylcarto/support/errors.h"
#include "zylcarto/support/streams.h"

namespace zylcarto {

namespace {

// libjpeg reports errors through a callback that must not return; it jumps
// back to the decoding function, which then raises.
struct TJpegErrorMgr {
    jpeg_error_mgr Pub;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX] = {};
    bool Corrupt = false;
};

void ErrorExit(j_common_ptr Info) {
    auto* err = reinterpret_cast<TJpegErrorMgr*>(Info->err);
    (*Info->err->format_message)(Info, err->Message);
    std::longjmp(err->Jump, 1);
}

void EmitMessage(j_common_ptr Info, int Level) {
    if (Level >= 0) return;  // trace messages
    auto* err = reinterpret_cast<TJpegErrorMgr*>(Info->err);
    // Warnings that mean the picture has holes; libjpeg would fill them with grey.
    switch (Info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
        if (!err->Corrupt) (*Info->err->format_message)(Info, err->Message);
        err->Corrupt = true;
        break;
    default: break;
    }
}

struct TFileCloser {
    void operator()(std::FILE* F) const { std::fclose(F); }
};

struct TMallocFree {
    void operator()(unsigned char* P) const { std::free(P); }
};

constexpr J_COLOR_SPACE kRGB32Space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;

// What one decoding reads: the picture scaled by 1/ScaleDenom (1, 2, 4 or 8)
// and, when Part is not empty, only that rectangle of the scaled picture.
struct TJpegRequest {
    int ScaleDenom = 1;
    QRect Part;
    const std::function<void(int, int)>* CheckSize = nullptr;
    const TCodecProgress* Progress = nullptr;
    bool HeaderOnly = false;  // Picture stays null
};

// Narrows decoding to output columns First .. First + Count - 1 and returns
// where First lies in a decoded row. The decoder starts a cropped row at an
// iMCU boundary and treats the crop's sides as the picture's, where smooth
// chroma upsampling differs; an iMCU more on each side where the picture goes
// on keeps the wanted pixels those of a full decode.
std::size_t CropColumns(jpeg_decompress_struct& cinfo, int First, int Count) {
    const int width = static_cast<int>(cinfo.output_width);
    if (First == 0 && Count == width) return 0;
    const int margin = cinfo.max_h_samp_factor * DCTSIZE;
    JDIMENSION x = static_cast<JDIMENSION>(std::max(0, First - margin));
    JDIMENSION w = static_cast<JDIMENSION>(std::min(width, First + Count + margin)) - x;
    jpeg_crop_scanline(&cinfo, &x, &w);
    return static_cast<std::size_t>(First) - x;
}

// One decoded row of the (cropped) output, freed with the decoder.
JSAMPROW RowBuffer(jpeg_decompress_struct& cinfo) {
    return static_cast<JSAMPROW>((*cinfo.mem->alloc_large)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                           static_cast<std::size_t>(cinfo.output_width) * 4));
}

// The part of decoding between setjmp and the end: no C++ objects with
// destructors live in this frame, so a longjmp out of libjpeg skips nothing.
// Returns false with err.Message set when libjpeg gave up.
bool DecodeWithJump(jpeg_decompress_struct& cinfo, TJpegErrorMgr& err, std::FILE* File, QImage& Picture,
                    const TJpegRequest& Request, std::exception_ptr& Raised) {
    if (setjmp(err.Jump)) return false;
    jpeg_stdio_src(&cinfo, File);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = kRGB32Space;
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned>(Request.ScaleDenom);
    jpeg_calc_output_dimensions(&cinfo);
    const QRect whole(0, 0, static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
    const QRect part = Request.Part.isEmpty() ? whole : Request.Part;
    try {
        if (Request.CheckSize && *Request.CheckSize)
            (*Request.CheckSize)(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height));
        if (Request.HeaderOnly) return true;
        if (whole.contains(part)) Picture = QImage(part.size(), QImage::Format_RGB32);
    } catch (...) {
        Raised = std::current_exception();
        return false;
    }
    if (!whole.contains(part)) {
        std::snprintf(err.Message, sizeof err.Message, "the part asked for lies outside the %ux%u picture",
                      cinfo.output_width, cinfo.output_height);
        return false;
    }
    if (Picture.isNull()) {
        std::snprintf(err.Message, sizeof err.Message, "not enough memory for %dx%d pixels", part.width(),
                      part.height());
        return false;
    }
    jpeg_start_decompress(&cinfo);
    const std::size_t shift = CropColumns(cinfo, part.x(), part.width()) * 4;
    JSAMPROW buffer = nullptr;
    if (cinfo.output_width != static_cast<JDIMENSION>(part.width())) buffer = RowBuffer(cinfo);
    if (part.y() > 0) jpeg_skip_scanlines(&cinfo, static_cast<JDIMENSION>(part.y()));
    int lastPercent = -1;
    for (int y = 0; y < part.height(); ++y) {
        JSAMPROW row = buffer ? buffer : Picture.scanLine(y);
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (buffer) std::memcpy(Picture.scanLine(y), buffer + shift, static_cast<std::size_t>(part.width()) * 4);
        const int percent = RoundToInt(100.0 * (y + 1) / part.height());
        if (Request.Progress && *Request.Progress && percent != lastPercent) {
            lastPercent = percent;
            try {
                (*Request.Progress)(percent);
            } catch (...) {
                Raised = std::current_exception();
                return false;
            }
        }
    }
    // Unread rows below the part would make finishing fail.
    if (cinfo.output_scanline < cinfo.output_height)
        jpeg_abort_decompress(&cinfo);
    else
        jpeg_finish_decompress(&cinfo);
    return true;
}

QImage DecodeJpeg(const std::string& FileName, const TJpegRequest& Request) {
    std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(FileName.c_str(), "rb"));
    if (!file) throw EImageDecodeError("cannot open the file");
    jpeg_decompress_struct cinfo{};
    TJpegErrorMgr err;
    cinfo.err = jpeg_std_error(&err.Pub);
    err.Pub.error_exit = ErrorExit;
    err.Pub.emit_message = EmitMessage;
    jpeg_create_decompress(&cinfo);
    QImage picture;
    std::exception_ptr raised;
    const bool ok = DecodeWithJump(cinfo, err, file.get(), picture, Request, raised);
    jpeg_destroy_decompress(&cinfo);
    if (raised) std::rethrow_exception(raised);
    if (!ok || err.Corrupt) throw EImageDecodeError(std::string("not a valid JPEG image: ") + err.Message);
    return picture;
}

}  // namespace

QImage DecodeJpegFile(const std::string& FileName, const std::function<void(int, int)>& CheckSize,
                      const TCodecProgress& Progress) {
    return DecodeJpeg(FileName, {1, {}, &CheckSize, &Progress});
}

QSize JpegFileSize(const std::string& FileName) {
    QSize size;
    const std::function<void(int, int)> seen = [&size](int W, int H) { size = {W, H}; };
    TJpegRequest request{1, {}, &seen, nullptr};
    request.HeaderOnly = true;
    DecodeJpeg(FileName, request);
    return size;
}

QImage DecodeJpegPart(const std::string& FileName, int ScaleDenom, const QRect& Part,
                      const std::function<void(int, int)>& CheckSize, const TCodecProgress& Progress) {
    if (ScaleDenom != 1 && ScaleDenom != 2 && ScaleDenom != 4 && ScaleDenom != 8)
        throw std::invalid_argument("JPEG scale must be 1/1, 1/2, 1/4 or 1/8");
    return DecodeJpeg(FileName, {ScaleDenom, Part, &CheckSize, &Progress});
}

struct TJpegRowReader::TState {
    std::unique_ptr<std::FILE, TFileCloser> File;
    jpeg_decompress_struct Info{};
    TJpegErrorMgr Err;
    QSize Size;
    int FirstColumn = 0, Columns = 0;
    std::size_t Shift = 0;  // of FirstColumn in Row, in bytes
    JSAMPROW Row = nullptr;
    bool Failed = false;
    ~TState() { jpeg_destroy_decompress(&Info); }
};

namespace {

bool StartRowsWithJump(TJpegRowReader::TState& S, int ScaleDenom, int FirstColumn, int Columns) {
    jpeg_decompress_struct& cinfo = S.Info;
    if (setjmp(S.Err.Jump)) return false;
    jpeg_stdio_src(&cinfo, S.File.get());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = kRGB32Space;
    cinfo.scale_num = 1;
    cinfo.scale_denom = static_cast<unsigned>(ScaleDenom);
    jpeg_start_decompress(&cinfo);
    S.Size = {static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height)};
    S.FirstColumn = std::clamp(FirstColumn, 0, S.Size.width());
    S.Columns = Columns <= 0 ? S.Size.width() - S.FirstColumn : std::min(Columns, S.Size.width() - S.FirstColumn);
    if (S.Columns == 0) return true;
    S.Shift = CropColumns(cinfo, S.FirstColumn, S.Columns) * 4;
    S.Row = RowBuffer(cinfo);
    return true;
}

// Stops at the first row of a damaged stretch: no row libjpeg had to patch is handed on.
bool ReadRowsWithJump(TJpegRowReader::TState& S, int First, int Count, const TJpegRowReader::TPutRow& Put) {
    jpeg_decompress_struct& cinfo = S.Info;
    if (setjmp(S.Err.Jump)) return false;
    if (static_cast<JDIMENSION>(First) > cinfo.output_scanline)
        jpeg_skip_scanlines(&cinfo, static_cast<JDIMENSION>(First) - cinfo.output_scanline);
    for (int y = First; y < First + Count; ++y) {
        jpeg_read_scanlines(&cinfo, &S.Row, 1);
        if (S.Err.Corrupt) return false;
        Put(y, reinterpret_cast<const QRgb*>(S.Row + S.Shift));
    }
    return true;
}

}  // namespace

TJpegRowReader::TJpegRowReader(const std::string& FileName, int ScaleDenom, int FirstColumn, int Columns)
    : S(std::make_unique<TState>()) {
    S->File.reset(std::fopen(FileName.c_str(), "rb"));
    if (!S->File) throw EImageDecodeError("cannot open the file");
    S->Info.err = jpeg_std_error(&S->Err.Pub);
    S->Err.Pub.error_exit = ErrorExit;
    S->Err.Pub.emit_message = EmitMessage;
    jpeg_create_decompress(&S->Info);
    if (!StartRowsWithJump(*S, ScaleDenom, FirstColumn, Columns))
        throw EImageDecodeError(std::string("not a valid JPEG image: ") + S->Err.Message);
}

TJpegRowReader::~TJpegRowReader() = default;

QSize TJpegRowReader::Size() const { return S->Size; }

int TJpegRowReader::FirstColumn() const { return S->FirstColumn; }

int TJpegRowReader::Columns() const { return S->Columns; }

int TJpegRowReader::NextRow() const { return static_cast<int>(S->Info.output_scanline); }

void TJpegRowReader::ReadRows(int First, int Count, const TPutRow& Put) {
    if (S->Failed || S->Columns == 0 || First < NextRow() || Count < 0 || First + Count > Size().height())
        throw EImageDecodeError("rows outside what the reader can still read");
    if (!ReadRowsWithJump(*S, First, Count, Put)) {
        S->Failed = true;
        throw EImageDecodeError(std::string("not a valid JPEG image: ") + S->Err.Message);
    }
}

namespace {

constexpr int kEncodeBand = 64;

// Compresses into a buffer that libjpeg allocates and grows; *Buffer is the
// caller's to free, also after a failure. Band is filled from Source between
// libjpeg calls, so an exception from Source crosses no libjpeg frame.
bool EncodeWithJump(jpeg_compress_struct& cinfo, TJpegErrorMgr& err, unsigned char** Buffer, unsigned long* Size,
                    int Width, int Height, const TJpegRowSource& Source, QImage& Band, int Quality,
                    const TCodecProgress& Progress) {
    if (setjmp(err.Jump)) return false;
    jpeg_mem_dest(&cinfo, Buffer, Size);
    cinfo.image_width = static_cast<JDIMENSION>(Width);
    cinfo.image_height = static_cast<JDIMENSION>(Height);
    cinfo.input_components = 4;
    cinfo.in_color_space = kRGB32Space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, Quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    int lastPercent = -1;
    while (cinfo.next_scanline < cinfo.image_height) {
        const int first = static_cast<int>(cinfo.next_scanline);
        const int rows = std::min(kEncodeBand, Height - first);
        Band = Source(first, rows);
        if (Band.width() != Width || Band.height() != rows) return false;
        Band = std::move(Band).convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rows; ++y) {
            JSAMPROW row = const_cast<JSAMPROW>(Band.constScanLine(y));
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        const int percent = RoundToInt(100.0 * cinfo.next_scanline / cinfo.image_height);
        if (Progress && percent != lastPercent) {
            lastPercent = percent;
            Progress(percent);
        }
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

}  // namespace

void EncodeJpegRows(int Width, int Height, const TJpegRowSource& Source, const std::string& FileName, int Quality,
                    const TCodecProgress& Progress) {
    jpeg_compress_struct cinfo{};
    TJpegErrorMgr err;
    cinfo.err = jpeg_std_error(&err.Pub);
    err.Pub.error_exit = ErrorExit;
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    QImage band;
    bool ok = false;
    try {
        ok = Width > 0 && Height > 0 &&
             EncodeWithJump(cinfo, err, &buffer, &size, Width, Height, Source, band, std::clamp(Quality, 1, 100),
                            Progress);
    } catch (...) {  // from the row source or the progress handler
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        throw;
    }
    jpeg_destroy_compress(&cinfo);
    const std::unique_ptr<unsigned char, TMallocFree> owned(buffer);
    if (!ok) RaiseInOutError(FileName, "cannot write");
    // Whole, so that a failure leaves an earlier image of that name as it was.
    WriteFileBytes(FileName, std::string_view(reinterpret_cast<const char*>(buffer), size));
}

void EncodeJpegFile(const QImage& Image, const std::string& FileName, int Quality, const TCodecProgress& Progress) {
    EncodeJpegRows(
        Image.width(), Image.height(), [&Image](int First, int Rows) { return Image.copy(0, First, Image.width(), Rows); },
        FileName, Quality, Progress);
}

}  // namespace zylcarto
