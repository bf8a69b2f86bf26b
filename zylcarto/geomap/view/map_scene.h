#pragma once
/// @file
/// What a map picture is composed from: the look of the view, the map image
/// with its cache of scaled tiles, the calibration, the landmarks, the tracks,
/// the mouse trace and the host's drawing hooks. The map control keeps these;
/// the renderer reads them and touches nothing but the caches and the target
/// picture. Plain values and pointers, used by one thread at a time.
#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "zylcarto/geomap/view/canvas.h"
#include "zylcarto/geomap/view/geomap_types.h"
#include "zylcarto/geomap/view/image_source.h"
#include "zylcarto/geomap/view/map_viewport.h"
#include "zylcarto/geomap/view/view_cache.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

class TObject;
class TCRSConverter;
class TMapCalibration;
class TLandMarkStore;
class TMeasurePath;
class TTrackStore;
class TTrackLines;
struct TLandMark;
struct TPositionDisplay;

/// Pixel format of the map image, the cache and the composed picture.
inline constexpr QImage::Format ViewImageFormat = QImage::Format_RGB32;

/// The look of the map view: a plain value owned by the map control, whose
/// property setters check the ranges; the renderer takes the fields as they are.
/// Colours are $00BBGGRR.
struct TMapAppearance {
    /// Background around the image, and of an empty map.
    TColor ColorBakGnd = 0xC0C0C0;
    /// Style of the frame round the picture.
    TFrameStyle FrameStyle = fsSimple;
    /// Colour of the empty message and of the placeholder text.
    TColor FrameColor = 0;
    /// Graticule and UTM grid lines.
    TColor ColorGratLine = 0xFF0000;
    /// Calibration point markers.
    TColor ColorGratPoints = 0x0000FF;
    /// @{
    /// The frame's dark, grey and light shading lines.
    TColor ColBlackLine = 0, ColGrayLine = 0x808080, ColWhiteLine = 0xFFFFFF;
    /// @}
    /// Written at the top left when no map is loaded.
    std::string EmptyMsg = "GeoMap: empty";
    /// Which overlay is drawn.
    TShowGrat ShowGrat = sgNone;
    /// Smooth scaling of the map image; off takes the nearest pixel.
    bool AntiAlias = true;
    /// Graticule spacing in degrees; 0 or less is automatic: the largest power of
    /// ten, at most 1 degree, that fits into the map's extent.
    double GratLineDist = 0;
    /// UTM grid spacing in metres; 0 or less is automatic: a tenth of the northing
    /// span of the image's left edge, rounded to 1, 2 or 5 times a power of ten,
    /// at least 1 metre.
    int UTMGridDist = 0;
    /// Not null: the UTM grid overlay draws the grid of this coordinate reference
    /// system instead, at a spacing of its own.
    std::shared_ptr<const TCRSConverter> GridCrs;
    /// @{
    /// A scale bar at the bottom left, a north arrow at the top right.
    bool ShowScaleBar = false, ShowNorthArrow = false;
    /// @}
    /// An arrow from each reference point of a point model to where the fit puts it.
    bool ShowResiduals = false;
    /// The residual arrows are this many times longer than the residuals.
    double ResidualScale = 10;
    /// The residual arrows of points judged outliers; the others have ColorGratPoints.
    TColor ColorResidualOutliers = 0xFF00FF;
};

/// The host's drawing hooks, each run only when assigned; what a hook raises
/// passes through the composition.
struct TMapHooks {
    /// @{
    /// Run after the map image, before the overlay (OnBeforeRenderData), and after
    /// the landmarks, before the highlighted one (OnDataRendered).
    TRenderEvent OnBeforeRenderData, OnDataRendered;
    /// @}
    /// Run for each landmark of a visible class (after sampling) whose position
    /// converts, also off the picture, and again for the highlighted one.
    TDrawLandMarkEvent OnDrawLandmark;
};

/// A description of one picture, a plain value made for one composition. It owns
/// nothing: everything it points to outlives the composition. Look must always
/// be set, and with HasMap also Source, Calib and LandMarks; Cache and Hooks may
/// be null.
struct TMapScene {
    /// Handed to the hooks.
    TObject* Sender = nullptr;
    /// Colours and overlays.
    const TMapAppearance* Look = nullptr;
    /// A map is loaded; else the empty message is shown.
    bool HasMap = false;
    /// The control is not hidden on purpose; false draws no map, overlays or landmarks.
    bool Shown = true;
    /// Where the map image's pixels are read from.
    const TImageSource* Source = nullptr;
    /// @{
    /// Size of the map image in image pixels.
    int ImageWidth = 0, ImageHeight = 0;
    /// @}
    /// The scaled tiles of the image; null, or one with a limit of 0, for none:
    /// the visible part is then scaled on every paint.
    TViewCache* Cache = nullptr;
    /// Converts between image pixels and degrees.
    const TMapCalibration* Calib = nullptr;
    /// The landmarks, their visibility and the highlighted one.
    const TLandMarkStore* LandMarks = nullptr;
    /// The tracks and routes; null for none.
    const TTrackStore* Tracks = nullptr;
    /// Their lines kept between compositions; null: placed for this one only.
    TTrackLines* TrackLines = nullptr;
    /// The mouse trace, in image pixels; drawn whether or not a map is loaded.
    std::span<const TColoredPoint> Trace;
    /// The path of the measure tool; null for none. Drawn over the trace.
    const TMeasurePath* Measure = nullptr;
    /// The host's hooks; null for none.
    const TMapHooks* Hooks = nullptr;
    /// The live position with its trail, drawn over the landmarks; null for none.
    const TPositionDisplay* Position = nullptr;
    /// Draws the frame of the look's style round the picture.
    bool Frame = true;
    /// Not empty: this text on a blank graticule instead of the map (a map in a form designer).
    std::string Placeholder;
    /// For paper: no background, the map image from its own pixels (no cache)
    /// and everything clipped to the view.
    bool Paper = false;
};

}  // namespace zylcarto
