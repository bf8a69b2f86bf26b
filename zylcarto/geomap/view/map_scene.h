#pragma once
// What a map picture is composed from: the look of the view, the map image
// with its scaled cache, the calibration, the landmarks, the mouse trace and
// the host's drawing hooks. The map control keeps these; the renderer reads
// them and touches nothing but the cache and the target picture.
#include <QImage>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

class TObject;
class TMapCalibration;
class TLandMarkStore;
struct TLandMark;

// Pixel format of the map image, the cache and the composed picture.
inline constexpr QImage::Format ViewImageFormat = QImage::Format_RGB32;

// What overlay is drawn over the map image.
enum class TShowGrat : std::uint8_t { sgNone, sgPoints, sgLines, sgPointsAndLines, sgUTMGrid, sgPointsAndUTMGrid };
using enum TShowGrat;

using TRenderEvent = std::function<void(TObject* Sender, TCanvas& Canvas)>;
using TDrawLandMarkEvent = std::function<void(TObject* Sender, bool& Handled, TCanvas& Canvas, const TPoint& APoint,
                                              const TLandMark& LandMarkData)>;

// Flag bits of a mouse trace point.
inline constexpr std::uint16_t TraceEndsStroke = 1U << 0;
inline constexpr std::uint16_t TraceDrawnXor = 1U << 1;
inline constexpr std::uint16_t TraceInvalid = 0xFFFF;  // all bits: a point that does not convert

// The look of the map view.
struct TMapAppearance {
    static constexpr double DefaultCacheMagLimit = 2.0 / 3.0;

    TColor ColorBakGnd = 0xC0C0C0;
    TFrameStyle FrameStyle = fsSimple;
    TColor FrameColor = 0;
    TColor ColorGratLine = 0xFF0000;
    TColor ColorGratPoints = 0x0000FF;
    TColor ColBlackLine = 0, ColGrayLine = 0x808080, ColWhiteLine = 0xFFFFFF;
    std::string EmptyMsg = "GeoMap: empty";
    TShowGrat ShowGrat = sgNone;
    bool AntiAlias = true;
    double GratLineDist = 0;  // degrees, 0 = automatic
    int UTMGridDist = 0;      // metres, 0 = automatic
    bool ShowScaleBar = false, ShowNorthArrow = false;
    double CacheMagLimit = DefaultCacheMagLimit;
};

// The whole map image scaled to one magnification, in the device pixels of
// one pixel ratio (Image carries that ratio); Mag 0 means invalid.
struct ZYLCARTO_EXPORT TImageCache {
    QImage Image;
    double Mag = 0;
    double Ratio = 1;
    bool AntiAlias = true;
    int Builds = 0;  // how often it was rebuilt

    bool Fits(double Magnify, double PixelRatio) const { return Magnify == Mag && PixelRatio == Ratio; }
    void Invalidate() { Mag = 0; }
    void Rebuild(const QImage& Source, double Magnify, bool Smooth, double PixelRatio);
};

struct TMapHooks {
    TRenderEvent OnBeforeRenderData, OnDataRendered;
    TDrawLandMarkEvent OnDrawLandmark;
};

// A description of one picture. Everything it points to outlives the composition.
struct TMapScene {
    enum class TCacheUse : std::uint8_t {
        Rebuild,   // rebuilt below the look's limit when it does not fit (the control's own paint)
        IfItFits,  // used when it fits, else the image is stretched directly (a window of another view)
    };

    TObject* Sender = nullptr;  // handed to the hooks
    const TMapAppearance* Look = nullptr;
    bool HasMap = false;  // a map is loaded; else the empty message is shown
    bool Shown = true;    // the control is not hidden on purpose
    const QImage* Image = nullptr;
    int ImageWidth = 0, ImageHeight = 0;
    TImageCache* Cache = nullptr;
    TCacheUse CacheUse = TCacheUse::Rebuild;
    const TMapCalibration* Calib = nullptr;
    const TLandMarkStore* LandMarks = nullptr;
    std::span<const TColoredPoint> Trace;
    const TMapHooks* Hooks = nullptr;
    bool Frame = true;
    // Not empty: this text on a blank graticule instead of the map (a map in a form designer).
    std::string Placeholder;
    // For paper: no background, the map image from its own pixels (no cache)
    // and everything clipped to the view.
    bool Paper = false;
};

}  // namespace zylcarto
