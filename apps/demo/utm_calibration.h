#pragma once
// The UTM grid needs a map calibrated in UTM metres: this converts the
// reference points of a geographic calibration into one UTM zone.
#include "zylcarto/geomap/calibration/calib_types.h"

namespace zylcarto::demo {

// The zone of the map's centre, used for every point, even those beyond its
// edges (a map may straddle two zones); false when the centre has no zone.
bool ToUTMCalibration(const TCalibData& Geographic, TCalibData& UTM);

}  // namespace zylcarto::demo
