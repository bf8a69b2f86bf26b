#pragma once
// The generated map: its bounds, the labelled latitude/longitude grid drawn on
// it and the calibration that goes with it.
#include <string>

#include "zylcarto/geomap/calibration/calib_types.h"
#include "zylcarto/support/export.h"
#include "zylcarto/support/types.h"

namespace zylcarto {

class TCanvas;

// Inset of the plot area from the picture's edges, in pixels.
inline constexpr int GeneratedMapInset = 30;

struct TGeneratedMapBounds {
    double LatLow, LongLow, LatHigh, LongHigh, dLat, dLong;
    int Wid, Hgt;
};

// Bounds in order, steps of 0 or less as 1 degree, sizes of at least 100 pixels.
ZYLCARTO_EXPORT TGeneratedMapBounds NormalizedMapBounds(TGeneratedMapBounds B);

// The degree format of the labels of a grid step: minutes and seconds up to
// 0.06 degrees, whole degrees for whole steps, degrees and minutes otherwise.
ZYLCARTO_EXPORT TDegreeFormat GridLabelFormat(double Step);
// " 47°30' N " and the like.
ZYLCARTO_EXPORT std::string GridLabel(double Value, bool Parallel, double Step);

// The outline, the dashed silver parallels and meridians and their labels.
// A step that would need more lines than the plot area has pixels draws none.
ZYLCARTO_EXPORT void DrawMapGrid(TCanvas& Canvas, const TGeneratedMapBounds& B);

// The calibration of a generated map: corners, nine reference points in a 3 x 3
// raster over the plot area (Inset) or the whole picture, WGS84, no lines.
ZYLCARTO_EXPORT TCalibData GeneratedMapCalibration(const TGeneratedMapBounds& B, bool Inset,
                                                   const std::string& MapFName);

}  // namespace zylcarto
