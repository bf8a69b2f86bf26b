#include "zylcarto/geomap/view/jpeg_codec.h"

#include <QtEndian>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
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

// The part of decoding between setjmp and the end: no C++ objects with
// destructors live in this frame, so a longjmp out of libjpeg skips nothing.
// Returns false with err.Message set when libjpeg gave up.
bool DecodeWithJump(jpeg_decompress_struct& cinfo, TJpegErrorMgr& err, std::FILE* File, QImage& Picture,
                    const std::function<void(int, int)>& CheckSize, const TCodecProgress& Progress,
                    std::exception_ptr& Raised) {
    if (setjmp(err.Jump)) return false;
    jpeg_stdio_src(&cinfo, File);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = kRGB32Space;
    try {
        if (CheckSize) CheckSize(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height));
        Picture =
            QImage(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height), QImage::Format_RGB32);
    } catch (...) {
        Raised = std::current_exception();
        return false;
    }
    if (Picture.isNull()) {
        std::snprintf(err.Message, sizeof err.Message, "not enough memory for %ux%u pixels", cinfo.image_width,
                      cinfo.image_height);
        return false;
    }
    jpeg_start_decompress(&cinfo);
    int lastPercent = -1;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = Picture.scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
        const int percent = RoundToInt(100.0 * cinfo.output_scanline / cinfo.output_height);
        if (Progress && percent != lastPercent) {
            lastPercent = percent;
            try {
                Progress(percent);
            } catch (...) {
                Raised = std::current_exception();
                return false;
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

}  // namespace

QImage DecodeJpegFile(const std::string& FileName, const std::function<void(int, int)>& CheckSize,
                      const TCodecProgress& Progress) {
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
    const bool ok = DecodeWithJump(cinfo, err, file.get(), picture, CheckSize, Progress, raised);
    jpeg_destroy_decompress(&cinfo);
    if (raised) std::rethrow_exception(raised);
    if (!ok || err.Corrupt) throw EImageDecodeError(std::string("not a valid JPEG image: ") + err.Message);
    return picture;
}

namespace {

// Compresses into a buffer that libjpeg allocates and grows; *Buffer is the
// caller's to free, also after a failure.
bool EncodeWithJump(jpeg_compress_struct& cinfo, TJpegErrorMgr& err, unsigned char** Buffer, unsigned long* Size,
                    const QImage& Picture, int Quality, const TCodecProgress& Progress) {
    if (setjmp(err.Jump)) return false;
    jpeg_mem_dest(&cinfo, Buffer, Size);
    cinfo.image_width = static_cast<JDIMENSION>(Picture.width());
    cinfo.image_height = static_cast<JDIMENSION>(Picture.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = kRGB32Space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, Quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    int lastPercent = -1;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(Picture.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
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

void EncodeJpegFile(const QImage& Image, const std::string& FileName, int Quality, const TCodecProgress& Progress) {
    const QImage picture = Image.convertToFormat(QImage::Format_RGB32);
    jpeg_compress_struct cinfo{};
    TJpegErrorMgr err;
    cinfo.err = jpeg_std_error(&err.Pub);
    err.Pub.error_exit = ErrorExit;
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    bool ok = false;
    try {
        ok = !picture.isNull() &&
             EncodeWithJump(cinfo, err, &buffer, &size, picture, std::clamp(Quality, 1, 100), Progress);
    } catch (...) {  // from the progress handler
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

}  // namespace zylcarto
