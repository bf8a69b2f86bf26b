#pragma once
// The pixel size of a JPEG or BMP map image, read from its header only.
#include <string>
#include "zylcarto/support/export.h"

namespace zylcarto {

struct TImageSize {
    int Width = 0;
    int Height = 0;
};

// False when the file is missing, not a JPEG or BMP, or its header is damaged.
ZYLCARTO_EXPORT bool ReadImageSize(const std::string& FileName, TImageSize& Size);

}  // namespace zylcarto
