// Time of one map frame (composition plus the copy to a 32-bit screen) on a
// 1920 x 1080 control over a 2000 x 1500 image, while panning, against one
// plain QPainter::drawImage of a 1920 x 1080 frame measured in the same run.
// Frames and baseline blits alternate and both are reported as medians of wall
// and of processor time, so a machine shared with other work loads both alike.
// Pans drift across the image 8 control pixels a frame, so the view cache
// scales the strips that come into view as a user's pan does; their mean and
// their dearest frame are shown too. A zoom step goes to a new magnification
// every frame, every tile cold. The screen and the baseline
// images are page-aligned like a shared-memory window surface: Qt's copy slows
// down several times when the target lies 16 bytes past the source modulo the
// page size, which consecutive malloc'ed images of one size do. The last line
// times the whole road on a shown control: Paint, repaint and paintEvent's
// copy into the platform's backing store. Two frames time the UTM grid and the
// grid of a CRS through PROJ over the same view. The window case times CopyToBMP of a
// 64 x 64 window beside a 64 x 64 control composing the same window. Four frames
// time a track of 100 000 fixes, panned and zoomed, beside a zoom without it.
// Run with QT_QPA_PLATFORM=offscreen; an argument runs only the frames whose
// label contains it (for profiling one case).
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "zylcarto/geomap/view/geomap.h"

using namespace zylcarto;

namespace {

template <typename F>
double WallMs(F&& Work) {
    const auto t0 = std::chrono::steady_clock::now();
    Work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Processor time of the whole process, every thread.
double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
}

QImage Pattern(int W, int H) {
    QImage I(W, H, QImage::Format_RGB32);
    for (int y = 0; y < I.height(); ++y) {
        auto* Line = reinterpret_cast<QRgb*>(I.scanLine(y));
        for (int x = 0; x < I.width(); ++x) Line[x] = qRgb((x * 7) & 255, (y * 5) & 255, ((x + y) * 3) & 255);
    }
    return I;
}

QImage MapPicture() { return Pattern(2000, 1500); }

QImage PageAligned(QImage::Format Format) {
    const QImage Probe(1, 1, Format);
    const qsizetype Stride = (qsizetype(1920) * Probe.depth() / 8 + 63) / 64 * 64;
    const std::size_t Bytes = (std::size_t(Stride) * 1080 + 4095) / 4096 * 4096;
    auto* Data = static_cast<uchar*>(std::aligned_alloc(4096, Bytes));
    return QImage(
        Data, 1920, 1080, Stride, Format, [](void* p) { std::free(p); }, Data);
}

QImage PageAligned(const QImage& Content) {
    QImage I = PageAligned(Content.format());
    for (int y = 0; y < I.height(); ++y)
        std::memcpy(I.scanLine(y), Content.constScanLine(y), std::size_t(I.width()) * Content.depth() / 8);
    return I;
}

// One plain copy of a 1920 x 1080 frame. The frame has content: an image that
// was never written reads the kernel's shared zero page and copies from cache.
struct TBlit {
    QImage Frame, Target;
    TBlit(QImage::Format SourceFormat, QImage::Format TargetFormat, bool Untouched = false)
        : Frame(Untouched ? QImage(1920, 1080, SourceFormat)
                          : PageAligned(Pattern(1920, 1080).convertToFormat(SourceFormat))),
          Target(PageAligned(TargetFormat)) {
        Target.fill(Qt::white);
    }
    void operator()() {
        QPainter P(&Target);
        P.setCompositionMode(QPainter::CompositionMode_Source);
        P.drawImage(0, 0, Frame);
    }
};

struct TFigures {
    double Ms, BlitMs;               // medians of wall time
    double Cpu, BlitCpu;             // medians of processor time
    double MeanCpu = 0, MaxCpu = 0;  // of the work
};

// Rounds of one baseline blit and one call of Work(i), after two warm-up rounds.
TFigures Measure(const std::function<void(int)>& Work, TBlit& Blit, int Rounds = 41) {
    std::vector<double> Times, Blits, Cpus, BlitCpus;
    for (int i = -2; i < Rounds; ++i) {
        const double c0 = CpuMs();
        const double b = WallMs(Blit);
        const double c1 = CpuMs();
        const double t = WallMs([&] { Work(i); });
        const double c2 = CpuMs();
        if (i < 0) continue;
        Blits.push_back(b);
        Times.push_back(t);
        BlitCpus.push_back(c1 - c0);
        Cpus.push_back(c2 - c1);
    }
    double Sum = 0;
    for (const double c : Cpus) Sum += c;
    return {Median(Times),
            Median(Blits),
            Median(Cpus),
            Median(BlitCpus),
            Sum / double(Cpus.size()),
            *std::max_element(Cpus.begin(), Cpus.end())};
}

double BlitMs(QImage::Format SourceFormat, QImage::Format TargetFormat, bool Untouched = false) {
    TBlit B(SourceFormat, TargetFormat, Untouched);
    return Measure([&](int) { B(); }, B).Ms;
}

struct Setup {
    double Mag;
    bool AntiAlias;
    int LandMarks;
    TShowGrat Overlay;
    const char* GridCRS = "";  // of the UTM grid overlay; "" for UTM
    int TrackPoints = 0;
    bool Zoom = false;  // each frame steps the magnification by 1 % and back instead of panning
};

// A ride of N fixes over the part of the image that a 1920 x 1080 view at
// magnification 1 shows: 0.2 image pixels (7 m) a fix, the heading wandering,
// turned back at the edges, with 3 m of receiver noise; some 20 000 pixels of
// line crossing itself often.
TTrack Ride(int N) {
    TTrack T;
    TTrackSegment& S = T.Segments.emplace_back();
    std::uint32_t Seed = 12345;
    const auto Random = [&Seed] {  // -1..1
        Seed = Seed * 1664525u + 1013904223u;
        return (Seed >> 8) / double(1 << 23) - 1;
    };
    double x = 960, y = 540, Heading = 0.3;
    for (int i = 0; i < N; ++i) {
        Heading += 0.03 * Random();
        x += 0.2 * std::cos(Heading);
        y += 0.2 * std::sin(Heading);
        if (x < 20 || x > 1900 || y < 20 || y > 1060) Heading += 3.14159;
        S.Points.push_back({48.0 - (y + 0.08 * Random()) / 1500, 16.0 + (x + 0.08 * Random()) / 2000});
    }
    return T;
}

TFigures MapFrame(TGeoMap& Map, QImage& Screen, TBlit& Blit, const Setup& S) {
    Map.SetSuppressPaint(true);
    Map.SetMagnification(S.Mag);
    Map.SetAntiAlias(S.AntiAlias);
    Map.SetShowGrat(S.Overlay);
    Map.SetGridCRS(S.GridCRS);
    Map.RemoveAllLandMarks();
    // Landmarks over the part of the image that a 1920 x 1080 view at magnification 1 shows.
    for (int i = 0; i < S.LandMarks; ++i)
        Map.AddLandMark(48.0 - (1 + (i * 7919) % 1070) / 1500.0, 16.0 + (1 + (i * 104729) % 1910) / 2000.0, 0.0);
    Map.Tracks().Clear();
    if (S.TrackPoints > 0) Map.AddTrack(Ride(S.TrackPoints));
    Map.SetSuppressPaint(false);
    // Back and forth over what the view can reach, 8 control pixels a frame.
    const int Step = std::max(1, int(8 / S.Mag)), RangeX = std::max(0, 2000 - int(1920 / S.Mag)),
              RangeY = std::max(0, 1500 - int(1080 / S.Mag));
    const auto Wave = [](int At, int Range) { return Range == 0 ? 0 : Range - std::abs(At % (2 * Range) - Range); };
    return Measure(
        [&](int i) {
            Map.SetSuppressPaint(true);
            if (S.Zoom)
                Map.SetMagnification(S.Mag * (i % 2 ? 1.01 : 1));
            else
                Map.SetTopLeft({Wave((i + 2) * Step, RangeX), Wave((i + 2) * Step / 2, RangeY)});
            Map.SetSuppressPaint(false);  // composes once
            QPainter P(&Screen);
            P.setCompositionMode(QPainter::CompositionMode_Source);
            P.drawImage(QPoint(0, 0), Map.AuxBitmap(), QRect(0, 0, 1920, 1080));
        },
        Blit, 81);
}

// Frames each at a magnification not shown before, near Mag: every tile cold.
// Steps at magnification 2 fill the cache to its limit first, so that the
// tiles' memory is recycled as in a session: memory new to the process costs a
// page fault per 4 KB, which only the cache's first growth pays, and which
// would otherwise fall on whichever case comes first.
TFigures ZoomStep(TGeoMap& Map, TBlit& Blit, double Mag, bool AntiAlias) {
    Map.SetSuppressPaint(true);
    Map.SetAntiAlias(AntiAlias);
    Map.SetShowGrat(sgNone);
    Map.RemoveAllLandMarks();
    Map.SetSuppressPaint(false);
    static int Zooms = 0;
    for (int i = 0; i < 8; ++i) Map.SetMagnification(2 * (1 + 0.001 * ++Zooms));
    return Measure([&](int) { Map.SetMagnification(Mag * (1 + 0.001 * ++Zooms)); }, Blit);
}

void Row(const char* Label, const TFigures& F) {
    std::printf("%-40s %8.3f %8.3f %6.2f %8.3f %8.3f %6.2f %8.3f %8.3f\n", Label, F.Ms, F.BlitMs, F.Ms / F.BlitMs,
                F.Cpu, F.BlitCpu, F.Cpu / F.BlitCpu, F.MeanCpu / F.BlitCpu, F.MaxCpu);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    const double Plain = BlitMs(QImage::Format_RGB32, QImage::Format_RGB32);
    const double Unwritten = BlitMs(QImage::Format_RGB32, QImage::Format_RGB32, true);
    std::printf("drawImage 1920x1080 (median): RGB32->RGB32 %.3f ms; of a never written frame %.3f ms\n", Plain,
                Unwritten);
    const double From555To555 = BlitMs(QImage::Format_RGB555, QImage::Format_RGB555);
    const double From555To32 = BlitMs(QImage::Format_RGB555, QImage::Format_RGB32);
    const double From32To555 = BlitMs(QImage::Format_RGB32, QImage::Format_RGB555);
    std::printf("pixel format: RGB555->RGB555 %.3f ms, RGB555->RGB32 %.3f ms, RGB32->RGB555 %.3f ms\n", From555To555,
                From555To32, From32To555);
    TGeoMap Map;
    Map.resize(1920, 1080);
    Map.SetMapBitMap(MapPicture());
    Map.SetCalibModel(cmEquiRect);
    Map.AddCalibPoint(48.0, 16.0, 0, 0);
    Map.AddCalibPoint(48.0, 17.0, 2000, 0);
    Map.AddCalibPoint(47.0, 16.0, 0, 1500);
    Map.AddCalibPoint(47.0, 17.0, 2000, 1500);
    QImage Screen = PageAligned(QImage::Format_RGB32);
    Screen.fill(Qt::white);

    const char* Only = argc > 1 ? argv[1] : nullptr;
    TBlit Blit(QImage::Format_RGB32, QImage::Format_RGB32);
    std::printf("%-40s %8s %8s %6s %8s %8s %6s %8s %8s\n", "frame (1920x1080 control)", "ms", "blit ms", "ratio",
                "cpu ms", "blit cpu", "ratio", "mean r.", "max cpu");
    const auto Report = [&](const char* Label, const Setup& S) {
        if (Only && !std::strstr(Label, Only)) return;
        Row(Label, MapFrame(Map, Screen, Blit, S));
    };
    char Label[96];
    for (double Mag : {1.0 / 16, 0.25, 1.0, 2.0, 4.0, 16.0, 64.0})
        for (bool AA : {true, false}) {
            std::snprintf(Label, sizeof Label, "pan, mag %g %s", Mag, AA ? "anti-alias" : "no anti-alias");
            Report(Label, {Mag, AA, 0, sgNone});
        }
    for (double Mag : {1.0 / 16, 0.3, 1.5, 3.0, 8.0, 64.0})
        for (bool AA : {true, false}) {
            std::snprintf(Label, sizeof Label, "zoom step to mag %g %s", Mag, AA ? "anti-alias" : "no anti-alias");
            if (!Only || std::strstr(Label, Only)) Row(Label, ZoomStep(Map, Blit, Mag, AA));
        }
    Report("mag 1.00 anti-alias, 20000 landmarks", {1.0, true, 20000, sgNone});
    Report("mag 1.00 anti-alias, 100000 landmarks", {1.0, true, 100000, sgNone});
    Report("mag 1.00 anti-alias, graticule", {1.0, true, 0, sgPointsAndLines});
    Report("mag 0.50 anti-alias, 20000 landmarks + grat.", {0.5, true, 20000, sgPointsAndLines});
    // The grid of a CRS through PROJ beside the UTM grid it replaces.
    Report("mag 1.00 anti-alias, UTM grid", {1.0, true, 0, sgUTMGrid});
    Report("mag 1.00 anti-alias, grid of EPSG:31287", {1.0, true, 0, sgUTMGrid, "EPSG:31287"});
    // A track of 100 000 fixes: panned, the thinning kept; zoomed, thinned every frame.
    Report("mag 1.00 anti-alias, 100000 track points", {1.0, true, 0, sgNone, "", 100000});
    Report("mag 0.50 anti-alias, 100000 track points", {0.5, true, 0, sgNone, "", 100000});
    Report("zoom 1.00/1.01, no track", {1.0, true, 0, sgNone, "", 0, true});
    Report("zoom 1.00/1.01, 100000 track points", {1.0, true, 0, sgNone, "", 100000, true});
    Map.Tracks().Clear();
    Map.SetGridCRS("");
    const char* Window = "64x64 window, 100000 landmarks";
    if (!Only || std::strstr(Window, Only)) {
        // CopyToBMP of a window beside a 64 x 64 control composing the same window.
        Map.SetSuppressPaint(true);
        Map.SetMagnification(1.0);
        Map.SetShowGrat(sgNone);
        Map.RemoveAllLandMarks();
        for (long long i = 0; i < 100000; ++i)
            Map.AddLandMark(48.0 - double(1 + (i * 7919) % 1070) / 1500.0,
                            16.0 + double(1 + (i * 104729) % 1910) / 2000.0, 0.0);
        Map.SetSuppressPaint(false);
        TGeoMap Small;
        Small.SetSuppressPaint(true);
        Small.Assign(Map);
        Small.resize(64, 64);
        Small.SetFrameStyle(fsNone);
        QImage Dest(64, 64, QImage::Format_RGB32);
        const TFigures Compose = Measure(
            [&](int i) {
                Small.SetSuppressPaint(true);
                Small.SetTopLeft({400 + (i % 2) * 8, 300});
                Small.SetSuppressPaint(false);
            },
            Blit);
        const TFigures Copy = Measure(
            [&](int i) {
                Map.CopyToBMP(Dest, {400 + (i % 2) * 8, 300}, 1.0, 0, 0, 64, 64);
            },
            Blit);
        Row("64x64 window, 100000 landmarks: compose", Compose);
        Row("64x64 window, 100000 landmarks: CopyToBMP", Copy);
    }
    const char* Shown = "shown control, mag 0.50, Paint";
    if (!Only || std::strstr(Shown, Only)) {
        Map.SetSuppressPaint(true);
        Map.SetMagnification(0.5);
        Map.SetShowGrat(sgNone);
        Map.RemoveAllLandMarks();
        Map.SetSuppressPaint(false);
        Map.show();
        App.processEvents();
        const TFigures F = Measure([&](int i) { Map.SetTopLeft({(i % 2) * 8, (i % 2) * 6}); }, Blit);
        Row(Shown, F);
    }
    return 0;
}
