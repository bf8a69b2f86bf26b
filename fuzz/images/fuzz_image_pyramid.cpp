// The tile pyramid over a file of fuzzed bytes, read as a JPEG or a BMP (by the
// first byte): opening raises EImageDecodeError or gives levels whose every
// region comes back at the size asked for, damaged bands grey.
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "zylcarto/geomap/view/image_pyramid.h"

using namespace zylcarto;

namespace {

void Check(bool Condition, const char* What) {
    if (Condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", What);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size < 1) return 0;
    const std::string file = "/tmp/fuzz_image_pyramid_" + std::to_string(::getpid()) + (Data[0] & 1 ? ".bmp" : ".jpg");
    if (std::FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(Data + 1, 1, Size - 1, f);
        std::fclose(f);
    }
    try {
        // a small memory budget so that tiles are evicted and decoded again
        const TImagePyramid pyramid(file, {std::size_t{1} << 20, ""}, [](int W, int H) {
            if (static_cast<long long>(W) * H > 4000000) throw EImageDecodeError("too large for the fuzzer");
        }, nullptr);
        Check(pyramid.Levels() >= 1, "at least one level");
        for (int level = 0; level < pyramid.Levels(); ++level) {
            const QSize size = pyramid.LevelSize(level);
            const QRect all(0, 0, size.width(), size.height());
            Check(pyramid.Region(level, all).size() == size, "a whole level at its size");
            const QRect edge(size.width() / 2, size.height() / 2, size.width(), 3);
            Check(pyramid.Region(level, edge).size() == edge.size(), "a part beyond the edge at its size");
        }
    } catch (const EImageDecodeError&) {
    }
    std::remove(file.c_str());
    return 0;
}
