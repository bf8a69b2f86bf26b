#pragma once
// Tracks and routes over the map: their lines in image pixels, thinned for the
// magnification they are drawn at, and drawn as polylines with the route
// points and their names. Internal to the renderer.
#include <cstddef>
#include <vector>

#include "zylcarto/geomap/calibration/calib_params.h"
#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/geomap/tracks/polyline_thinning.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

class TCanvas;
class TMapCalibration;
class TMapViewport;
class TTrackStore;
struct TMapScene;

// A left-out vertex strays at most this many control pixels from the line drawn.
inline constexpr double TrackThinning = 0.5;

// The lines of a track store placed on the map image, kept between frames: the
// placing lasts while the tracks and the fit stay, the thinning while the
// magnification does, so a pan only draws. A plain value used by one thread at a time.
class TTrackLines {
public:
    // A segment of a track, or a route.
    struct TLine {
        TColor Color = 0;
        int Width = 1;
        int Route = 0;                  // the route's index; 0 for a track segment
        std::vector<TPixelPos> Points;  // image pixels; NaN where the fit places none
        std::vector<std::size_t> Kept;  // what ThinPolyline keeps at the magnification
    };

    // The tracks changed: place them again at the next Lines.
    void Invalidate() { FPlaced = false; }
    // Every segment of the tracks, then every route, as Calib places them, with the
    // vertices kept for Magnify; placed and thinned again where stale.
    const std::vector<TLine>& Lines(const TTrackStore& Tracks, const TMapCalibration& Calib, double Magnify);

private:
    bool FPlaced = false;
    // The fit the lines were placed by.
    TCalibModel FModel = cmUndefined;
    TCalibParams FParams;
    TCalibData FData;
    double FMagnify = 0;  // of Kept; 0 for none
    std::vector<TLine> FLines;
};

// Draws the scene's tracks and routes (nothing when it has none) through its
// track lines, or lines of its own when it keeps none; the canvas's pen, brush
// and font are restored.
void DrawTracks(TCanvas& Canvas, const TMapScene& Scene, const TMapViewport& View);

}  // namespace zylcarto
