// Time of one map frame (composition plus the copy to a 32-bit screen) on a
// 1920 x 1080 control over a 2000 x 1500 image, while panning, against one
// plain QPainter::drawImage of a 1920 x 1080 frame measured in the same run.
// Run with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cstdio>
#include <functional>

#include "zylcarto/geomap/view/geomap.h"

using namespace zylcarto;

namespace {

// Median-free but warm: the mean of Frames calls after two warm-up calls, in ms.
double TimeMs(const std::function<void(int)>& Frame, int Frames = 30) {
    Frame(0);
    Frame(1);
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < Frames; ++i) Frame(i);
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::milli>(t1 - t0).count() / Frames;
}

QImage MapPicture() {
    QImage I(2000, 1500, QImage::Format_RGB32);
    for (int y = 0; y < I.height(); ++y) {
        auto* Line = reinterpret_cast<QRgb*>(I.scanLine(y));
        for (int x = 0; x < I.width(); ++x) Line[x] = qRgb((x * 7) & 255, (y * 5) & 255, ((x + y) * 3) & 255);
    }
    return I;
}

double Blit(QImage::Format SourceFormat, QImage::Format TargetFormat) {
    const QImage Frame = QImage(1920, 1080, QImage::Format_RGB32).convertToFormat(SourceFormat);
    QImage Target(1920, 1080, TargetFormat);
    Target.fill(Qt::white);
    return TimeMs([&](int) {
        QPainter P(&Target);
        P.setCompositionMode(QPainter::CompositionMode_Source);
        P.drawImage(0, 0, Frame);
    });
}

struct Setup {
    double Mag;
    bool AntiAlias;
    int LandMarks;
    bool Graticule;
};

double MapFrame(TGeoMap& Map, QImage& Screen, const Setup& S) {
    Map.SetSuppressPaint(true);
    Map.SetMagnification(S.Mag);
    Map.SetAntiAlias(S.AntiAlias);
    Map.SetShowGrat(S.Graticule ? sgPointsAndLines : sgNone);
    Map.RemoveAllLandMarks();
    // Landmarks over the part of the image that a 1920 x 1080 view at magnification 1 shows.
    for (int i = 0; i < S.LandMarks; ++i)
        Map.AddLandMark(48.0 - (1 + (i * 7919) % 1070) / 1500.0, 16.0 + (1 + (i * 104729) % 1910) / 2000.0, 0.0);
    Map.SetSuppressPaint(false);
    return TimeMs([&](int i) {
        Map.SetSuppressPaint(true);
        Map.SetTopLeft({(i % 2) * 8, (i % 2) * 6});  // a pan step each frame
        Map.SetSuppressPaint(false);  // composes once
        QPainter P(&Screen);
        P.setCompositionMode(QPainter::CompositionMode_Source);
        P.drawImage(QPoint(0, 0), Map.AuxBitmap(), QRect(0, 0, 1920, 1080));
    });
}

} // namespace

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    const double Base = Blit(QImage::Format_RGB32, QImage::Format_RGB32);
    std::printf("baseline drawImage 1920x1080 RGB32->RGB32: %.3f ms\n", Base);
    std::printf("pixel format: RGB555->RGB555 %.3f ms, RGB555->RGB32 %.3f ms, RGB32->RGB555 %.3f ms\n",
                Blit(QImage::Format_RGB555, QImage::Format_RGB555), Blit(QImage::Format_RGB555, QImage::Format_RGB32),
                Blit(QImage::Format_RGB32, QImage::Format_RGB555));
    {
        const QImage Src = MapPicture();
        const auto Scale = [&](QImage::Format F) {
            const QImage S = Src.convertToFormat(F);
            return TimeMs([&](int) { (void)S.scaled(1000, 750, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); }, 5);
        };
        std::printf("cache rebuild at 0.5 (smooth 2000x1500 -> 1000x750): RGB32 %.2f ms, RGB555 %.2f ms\n",
                    Scale(QImage::Format_RGB32), Scale(QImage::Format_RGB555));
    }

    TGeoMap Map;
    Map.resize(1920, 1080);
    Map.SetMapBitMap(MapPicture());
    Map.SetCalibModel(cmEquiRect);
    Map.AddCalibPoint(48.0, 16.0, 0, 0);
    Map.AddCalibPoint(48.0, 17.0, 2000, 0);
    Map.AddCalibPoint(47.0, 16.0, 0, 1500);
    Map.AddCalibPoint(47.0, 17.0, 2000, 1500);
    QImage Screen(1920, 1080, QImage::Format_RGB32);

    std::printf("%-44s %9s %7s\n", "frame (pan, 1920x1080 control)", "ms", "ratio");
    const auto Report = [&](const char* Label, const Setup& S) {
        const double t = MapFrame(Map, Screen, S);
        std::printf("%-44s %9.3f %7.1f\n", Label, t, t / Base);
    };
    char Label[96];
    for (double Mag : {0.25, 0.5, 1.0, 2.0, 4.0})
        for (bool AA : {true, false}) {
            std::snprintf(Label, sizeof Label, "mag %.2f %s%s", Mag, AA ? "anti-alias" : "no anti-alias",
                          Mag < 2.0 / 3 ? " (cache)" : "");
            Report(Label, {Mag, AA, 0, false});
        }
    Report("mag 1.00 anti-alias, 20000 landmarks", {1.0, true, 20000, false});
    Report("mag 1.00 anti-alias, 100000 landmarks", {1.0, true, 100000, false});
    Report("mag 1.00 anti-alias, graticule", {1.0, true, 0, true});
    Report("mag 0.50 anti-alias, 20000 landmarks + grat.", {0.5, true, 20000, true});
    return 0;
}
