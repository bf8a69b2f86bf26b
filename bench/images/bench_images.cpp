// Loading a 2000 x 1500 JPEG map image with SetMapImgName beside djpeg
// (libjpeg-turbo's command-line decoder) of the same file, in the same run.
// Prints the median times and their ratio.
#include <QApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "zylcarto/geomap/view/geomap.h"
#include "zylcarto/geomap/view/jpeg_codec.h"
#include "../common/timing.h"

using namespace zylcarto;
using zylcarto::bench::MedianMs;
using zylcarto::bench::TimeMs;

namespace {

// A picture with the texture of a scanned map: smooth shading, lines and noise.
QImage MapLikePicture(int W, int H) {
    QImage I(W, H, QImage::Format_RGB32);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int y = 0; y < H; ++y) {
        auto* row = reinterpret_cast<QRgb*>(I.scanLine(y));
        for (int x = 0; x < W; ++x) {
            const bool line = x % 97 == 0 || y % 83 == 0;
            const int base = line ? 40 : 200 + (x * 31 + y * 17) % 40;
            row[x] = qRgb(std::clamp(base + noise(rng), 0, 255), std::clamp(base - 20 + noise(rng), 0, 255),
                          std::clamp(base - 60 + noise(rng), 0, 255));
        }
    }
    return I;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string file =
        (std::filesystem::temp_directory_path() / ("zylcarto_bench_" + std::to_string(::getpid()) + ".jpg")).string();
    EncodeJpegFile(MapLikePicture(2000, 1500), file, 90, {});
    const std::string djpeg = "djpeg -outfile /dev/null '" + file + "'";
    if (std::system(djpeg.c_str()) != 0) {
        std::fprintf(stderr, "djpeg (Debian package libjpeg-turbo-progs) is needed as the baseline\n");
        return 1;
    }

    TGeoMap map;
    map.SetSuppressPaint(true);  // the load alone, not the composition of the view
    constexpr int kRuns = 15;
    std::vector<double> ours, theirs;
    for (int i = 0; i < kRuns; ++i) {
        theirs.push_back(TimeMs([&] { (void)std::system(djpeg.c_str()); }));
        ours.push_back(TimeMs([&] { map.SetMapImgName(file); }));
    }
    std::filesystem::remove(file);
    if (map.MapImgWidth() != 2000) return 1;
    const double a = MedianMs(ours), b = MedianMs(theirs);
    std::printf("JPEG 2000x1500, median of %d runs\n", kRuns);
    std::printf("SetMapImgName   %8.2f ms\n", a);
    std::printf("djpeg           %8.2f ms (process start included)\n", b);
    std::printf("ratio           %8.2f (target: at most 1.3)\n", a / b);
    return 0;
}
