#pragma once
// How far each reference point of a map lies from where the other points put
// it, and whether one stands out. The fit of all points is no judge: a
// position far off the map has the leverage to pull the fit through itself
// and leave its error on the others, so each point is tried against a fit
// made without it.
#include <cstddef>
#include <vector>

#include "zylcarto/geomap/calibration/calibration.h"

namespace zylcarto::demo {

struct TReferencePoint {
    double Lat = 0, Long = 0;  // northing and easting on a cmUTM map
    int X = 0, Y = 0;          // image pixel
    // Pixels from (X, Y) to where the fit of the other points puts the position;
    // NaN when they cannot place it (too few of them).
    double Residual = 0;
};

// A residual stands out above this many times the median of the others, and above this many pixels.
constexpr double OutlierFactor = 5;
constexpr double OutlierMinPixels = 10;

std::vector<TReferencePoint> ReferencePoints(const TMapCalibration& Calib);

// The median residual of the points other than Except; 0 when there are none.
double MedianResidualOfOthers(const std::vector<TReferencePoint>& Points, std::size_t Except);

// False for a point the others cannot judge.
bool StandsOut(const std::vector<TReferencePoint>& Points, std::size_t Index);

}  // namespace zylcarto::demo
