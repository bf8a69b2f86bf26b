// A 12 000 x 10 000 generated JPEG map read through the tile pyramid: the first
// fitted picture beside `djpeg -scale 1/8` of the same file, a pan's reads of
// full-size pixels beside a plain blit of the frame, a cold full-size window
// beside `djpeg -crop` of it, the longest single step (what would freeze a
// window), peak resident memory; then a 20 000 x 20 000 map.
// Medians of several runs, the baselines measured in the same run.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/geomap/landmarks/landmark_store.h"
#include "zylcarto/geomap/view/image_pyramid.h"
#include "zylcarto/geomap/view/map_renderer.h"
#include "zylcarto/geomap/view/view_cache.h"
#include "../common/timing.h"

using namespace zylcarto;
using zylcarto::bench::CpuMs;
using zylcarto::bench::MedianMs;
using zylcarto::bench::TimeMs;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

constexpr int kFrameW = 1920, kFrameH = 1080;

long PeakResidentMB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

std::string MakeMap(const fs::path& Dir, const std::string& Name, int W, int H) {
    const std::string base = (Dir / Name).string();
    const std::string cmd = std::string("'") + ZYLCARTO_CLI + "' map new '" + base + "' 45 5 47 8 0.05 0.05 " +
                            std::to_string(W) + " " + std::to_string(H) + " --jpeg > /dev/null";
    if (std::system(cmd.c_str()) != 0) return {};
    return base + ".jpg";
}

// The level a fitted view reads and that level stretched into the frame.
void FittedPicture(const TImagePyramid& P, QImage& Frame) {
    const double mag = std::min(double(kFrameW) / P.Size().width(), double(kFrameH) / P.Size().height());
    const int level = std::clamp(static_cast<int>(std::floor(std::log2(1 / mag))), 0, P.Levels() - 1);
    const QImage part = P.Region(level, QRect(QPoint(0, 0), P.LevelSize(level)));
    QPainter painter(&Frame);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, P.Size().width() * mag, P.Size().height() * mag), part);
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const fs::path dir = fs::temp_directory_path() / ("zylcarto_bigimage_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string file = MakeMap(dir, "big", 12000, 10000);
    const std::string djpeg = "djpeg -scale 1/8 -outfile /dev/null '" + file + "'";
    if (file.empty() || std::system(djpeg.c_str()) != 0) {
        std::fprintf(stderr, "needs `zylcarto map new` and djpeg (Debian package libjpeg-turbo-progs)\n");
        return 1;
    }
    const bool onDisk = argc < 2 || std::string(argv[1]) != "--memory";
    const TPyramidOptions options{std::size_t{64} << 20, onDisk ? dir.string() : std::string()};
    std::printf("tiles beyond 64 MB %s\n", onDisk ? "in a temporary file" : "decoded again");
    constexpr int kRuns = 7;
    std::vector<double> first, baseline, pan, blit, frames, cold, coldCpu, crop;
    TMapCalibration calib("bench");
    TLandMarkStore marks(nullptr, [] { return std::string("bench"); });
    TMapAppearance look;
    double longestStep = 0;
    QImage frame(kFrameW, kFrameH, QImage::Format_RGB32);
    // Written once: a never written image reads the kernel's zero page and copies several times slower.
    QImage plain(kFrameW, kFrameH, QImage::Format_RGB32);
    plain.fill(qRgb(90, 140, 60));
    for (int run = 0; run < kRuns; ++run) {
        baseline.push_back(TimeMs([&] { (void)std::system(djpeg.c_str()); }));
        auto last = Clock::now();
        const auto step = [&](int) {
            const auto now = Clock::now();
            longestStep = std::max(longestStep, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
        };
        std::unique_ptr<TImagePyramid> pyramid;
        first.push_back(TimeMs([&] {
            pyramid = std::make_unique<TImagePyramid>(file, options, nullptr, step);
            FittedPicture(*pyramid, frame);
        }));
        // A pan at full size: the window 64 pixels on, its band already read once.
        const int y0 = 4000 + run * 64;
        coldCpu.push_back(CpuMs([&] {
            cold.push_back(TimeMs([&] { (void)pyramid->Region(0, QRect(5000, y0, kFrameW, kFrameH)); }));
        }));
        const std::string djpegCrop = "djpeg -crop " + std::to_string(kFrameW) + "x" + std::to_string(kFrameH) +
                                      "+5000+" + std::to_string(y0) + " -outfile /dev/null '" + file + "'";
        crop.push_back(TimeMs([&] { (void)std::system(djpegCrop.c_str()); }));
        pan.push_back(TimeMs([&] { (void)pyramid->Region(0, QRect(5064, y0, kFrameW, kFrameH)); }));
        // The same pan composed by the renderer at magnification 1, as the map control paints it.
        {
            TViewCache cache;
            cache.SetLimit(std::int64_t(64) << 20);  // the map control's default
            TMapScene scene;
            scene.Look = &look;
            scene.HasMap = true;
            scene.Source = pyramid.get();
            scene.ImageWidth = pyramid->Size().width();
            scene.ImageHeight = pyramid->Size().height();
            scene.Cache = &cache;
            scene.Calib = &calib;
            scene.LandMarks = &marks;
            TMapRenderer(scene, TMapViewport{{5000, y0}, 1.0, kFrameW, kFrameH}).Compose(frame);
            frames.push_back(
                TimeMs([&] { TMapRenderer(scene, TMapViewport{{5064, y0}, 1.0, kFrameW, kFrameH}).Compose(frame); }));
        }
        blit.push_back(TimeMs([&] {
            QPainter painter(&frame);
            painter.drawImage(0, 0, plain);
        }));
    }
    const long peak12 = PeakResidentMB();
    const double a = MedianMs(first), b = MedianMs(baseline), c = MedianMs(pan), d = MedianMs(blit),
                 e = MedianMs(frames);
    std::printf("JPEG 12000x10000 generated by `zylcarto map new --jpeg`, medians of %d runs\n", kRuns);
    std::printf("first fitted picture   %8.2f ms\n", a);
    std::printf("djpeg -scale 1/8       %8.2f ms (process start included)\n", b);
    std::printf("ratio                  %8.2f (target: at most 1.5)\n", a / b);
    std::printf("pan, full-size reads   %8.2f ms (Region of a %dx%d window, tiles kept)\n", c, kFrameW, kFrameH);
    std::printf("plain blit of a frame  %8.2f ms\n", d);
    std::printf("ratio                  %8.2f\n", c / d);
    std::printf("composed pan frame     %8.2f ms (the renderer at magnification 1, 64 pixels on)\n", e);
    std::printf("ratio                  %8.2f (target: at most 2)\n", e / d);
    std::printf("longest open step      %8.2f ms (between progress reports; target: at most 100)\n", longestStep);
    std::printf("cold full-size window  %8.2f ms (slowest %.2f ms; processor time %.2f ms)\n", MedianMs(cold),
                *std::max_element(cold.begin(), cold.end()), MedianMs(coldCpu));
    std::printf("djpeg -crop of it      %8.2f ms (process start included; target for the window: at most 100)\n",
                MedianMs(crop));
    std::printf("peak resident memory   %8ld MB (target: under 400)\n", peak12);

    const std::string huge = MakeMap(dir, "huge", 20000, 20000);
    if (huge.empty()) return 1;
    double open = 0, corner = 0, cornerCpu = 0;
    open = TimeMs([&] {
        const TImagePyramid pyramid(huge, options, nullptr, nullptr);
        cornerCpu = CpuMs([&] {
            corner =
                TimeMs([&] { (void)pyramid.Region(0, QRect(20000 - kFrameW, 20000 - kFrameH, kFrameW, kFrameH)); });
        });
    });
    std::printf("JPEG 20000x20000: open and bottom-right window %8.2f ms, of it the window %8.2f ms (processor "
                "time %.2f ms), peak %ld MB\n",
                open, corner, cornerCpu, PeakResidentMB());
    fs::remove_all(dir);
    return 0;
}
