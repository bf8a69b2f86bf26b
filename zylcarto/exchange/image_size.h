#pragma once
// The pixel size of a JPEG or BMP map image, read from its header only.
#include <string>

namespace zylcarto::exchange {

struct TImageSize {
    int Width = 0;
    int Height = 0;
};

// False when the file is missing, not a JPEG or BMP, or its header is damaged.
bool ReadImageSize(const std::string& FileName, TImageSize& Size);

} // namespace zylcarto::exchange
