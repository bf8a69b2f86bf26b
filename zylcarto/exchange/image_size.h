#pragma once
/// @file
/// The pixel size of a JPEG, BMP, PNG or TIFF image, read from its header only
/// (no decoding). A pure function of the file, safe from any thread.
#include <string>
#include "zylcarto/support/export.h"

namespace zylcarto {

/// Width and height of an image.
struct TImageSize {
    /// Pixels across.
    int Width = 0;
    /// Pixels down.
    int Height = 0;
};

/// The size from the file's header; false, Size unchanged, when the file is missing,
/// not one of these (BigTIFF neither), or its header is damaged. Never raises.
ZYLCARTO_EXPORT bool ReadImageSize(const std::string& FileName, TImageSize& Size);

}  // namespace zylcarto
