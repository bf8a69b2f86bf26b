#pragma once
// The reference points of a map as the calibration panel lists them, each with
// the library's judgement by the fit of the other points.
#include <vector>

#include "zylcarto/geomap/calibration/calibration.h"

namespace zylcarto::demo {

struct TReferencePoint {
    double Lat = 0, Long = 0;  // northing and easting on a cmUTM map
    int X = 0, Y = 0;          // image pixel
    TPointReview Review;
};

std::vector<TReferencePoint> ReferencePoints(const TMapCalibration& Calib);

}  // namespace zylcarto::demo
