#pragma once
// What the scale bar and the north arrow of a map view show, from the
// calibration at the view's centre. No drawing here.
#include <string>

#include "zylcarto/geomap/calibration/calibration.h"
#include "zylcarto/geomap/view/map_viewport.h"

namespace zylcarto {

// The bar lies ScaleBarMargin pixels in from the control's bottom-left corner and
// is at most ScaleBarMaxLength long; with its label and plate it keeps within
// ScaleBarCornerWidth x ScaleBarCornerHeight control pixels of that corner.
inline constexpr int ScaleBarMargin = 10, ScaleBarMaxLength = 150;
inline constexpr int ScaleBarCornerWidth = ScaleBarMargin + ScaleBarMaxLength + 5, ScaleBarCornerHeight = 45;

struct TScaleBar {
    double Metres = 0;  // 0: no bar
    double Pixels = 0;  // its length in control pixels
    std::string Label;  // "500 m", "2 km"
};

// The longest bar of 1, 2 or 5 times a power of ten metres that is at most
// MaxPixels long at MetresPerPixel; no bar for values that are not finite and positive.
TScaleBar ChooseScaleBar(double MetresPerPixel, double MaxPixels);

// Metres on the ground per control pixel along the horizontal through the
// view's centre (on the sphere the calibration's resolution is measured on);
// 0 where the calibration gives no positions.
double MetresPerControlPixel(const TMapCalibration& Calib, const TMapViewport& View);

// The direction of geographic north at the view's centre, in degrees clockwise
// from the control's up (0 for a map with north up, 90 when north is to the
// right); NaN where the calibration gives no answer.
double NorthDirection(const TMapCalibration& Calib, const TMapViewport& View);

}  // namespace zylcarto
