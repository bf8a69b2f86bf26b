#pragma once
// The residuals of a calibration as arrows over the map: from each reference
// point to where the fit puts it, lengthened so that pixels show. Internal to
// the renderer.
#include "zylcarto/support/types.h"

namespace zylcarto {

class TCanvas;
class TMapCalibration;
class TMapViewport;

// Control pixel of the tip of reference point Index's arrow (1-based) at View:
// the point's pixel plus Scale times the way to where the fit puts it, rounded.
// False when the fit gives the point no pixel.
bool ResidualArrowTip(const TMapCalibration& Calib, int Index, const TMapViewport& View, double Scale, TPoint& Tip);

// An arrow one pixel wide for every reference point of Calib's point model that
// the fit places, in OutlierColor for a point ReviewCalibPoints finds an outlier,
// which is ringed in that colour too, and in Color for the others; an arrow
// under a pixel long is left out. The canvas's pen and brush are restored.
void DrawResidualArrows(TCanvas& Canvas, const TMapCalibration& Calib, const TMapViewport& View, TColor Color,
                        TColor OutlierColor, double Scale);

}  // namespace zylcarto
